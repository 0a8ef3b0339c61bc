// In-memory dialog templates for the layer's own common dialogs.
#pragma once

#include "win32/user.h"

#include <string>
#include <vector>

namespace dialogs {

// Builds a DLGTEMPLATE with DS_SETFONT in the program's dialog font; items in dialog units.
class TemplateBuilder {
public:
    TemplateBuilder(const std::u16string& caption, DWORD style, short cx, short cy);
    void Add(const char16_t* cls, const std::u16string& text, int id, DWORD style, short x, short y, short cx,
             short cy, DWORD exStyle = 0);
    LPCDLGTEMPLATEW Get();

private:
    void Word(WORD w) { data_.push_back(w); }
    void Dword(DWORD d)
    {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void Text(const std::u16string& s);
    void Align()
    {
        if (data_.size() % 2)
            Word(0);
    }
    std::vector<WORD> data_;
    WORD count_ = 0;
};

// The last failure of a common dialog on this thread (CommDlgExtendedError).
void SetExtendedError(DWORD error);

// Whether a window class is registered (a dialog falls back when a control is not there).
bool HasClass(const char16_t* name);

} // namespace dialogs
