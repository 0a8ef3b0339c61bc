// The system's accessibility functions, reached without linking to them: events through USER32,
// objects through oleacc.dll when the system has it.
#pragma once

#include "win32/types.h"

void CallNotifyWinEvent(DWORD event, HWND hwnd, LONG objectId, LONG childId);
HRESULT CallAccessibleObjectFromWindow(HWND hwnd, DWORD objectId, const IID& riid, void** object);
LRESULT CallLresultFromObject(const IID& riid, WPARAM wParam, void* object);
