// MainWindowFlags: the two flags of the main window that controls read and write, set by the application.
#pragma once

#include "win32/win32.h"

class IMainWindowFlags {
public:
    virtual ~IMainWindowFlags() = default;
    // Nonzero: hover buttons write their hints into the page's status text.
    virtual LONG GetModeHintFlag() const = 0;
    // Nonzero while a hover button is hovered.
    virtual void SetButtonHoverFlag(LONG value) = 0;
};

// Null (the default) reads as hints off, and writes go nowhere.
void SetMainWindowFlags(IMainWindowFlags* flags);
IMainWindowFlags* GetMainWindowFlags();
