// The stand-ins of the RAR library "unrar.dll" and the cabinet library "Cabinet.dll": they list
// archive headers (through libarchive) and extract nothing. The preview pane registers them in the
// layer's module table, so the listers find them with LoadLibrary; until then they are not found.
#pragma once

#include "win32/win32.h"

void RegisterArchiveLibraries();
void RegisterRarLibrary();
void RegisterCabinetLibrary();

template <typename F>
FARPROC LibraryProc(F* f)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(f));
}

// An entry point of a run-time library as the function type it has.
template <typename Fn>
Fn BoundProc(HMODULE module, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
