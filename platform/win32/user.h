// User-interface stand-ins used by the game and the runtime.
#pragma once

#include "platform/win32/types.h"

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONERROR = 0x00000010;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a question box. Text and caption are Shift-JIS. Only MB_OK and
// MB_YESNO boxes (with any icon) are emulated. The null host answers from its
// configuration (No unless told otherwise).
int MessageBoxA(HWND parent, LPCSTR text, LPCSTR caption, UINT type);
