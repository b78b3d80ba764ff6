// Input-method stand-in. The host has no input method: every window has a
// context, which never composes anything, so compositions and candidate
// lists stay empty and typed text arrives as plain characters.
#pragma once

#include "platform/win32/types.h"

struct HIMC__;
using HIMC = HIMC__*;

// WM_IME_COMPOSITION parts.
constexpr LPARAM GCS_COMPSTR = 0x0008;
constexpr LPARAM GCS_COMPCLAUSE = 0x0020;
constexpr LPARAM GCS_CURSORPOS = 0x0080;
constexpr LPARAM GCS_RESULTSTR = 0x0800;

// WM_IME_NOTIFY codes.
constexpr WPARAM IMN_CHANGECANDIDATE = 0x0003;
constexpr WPARAM IMN_CLOSECANDIDATE = 0x0004;
constexpr WPARAM IMN_OPENCANDIDATE = 0x0005;
constexpr WPARAM IMN_SETOPENSTATUS = 0x0008;
constexpr WPARAM IMN_SETCANDIDATEPOS = 0x0009;

// ImmNotifyIME actions.
constexpr DWORD NI_COMPOSITIONSTR = 0x0015;
constexpr DWORD CPS_CANCEL = 0x0004;
// ImmSetCompositionStringA index.
constexpr DWORD SCS_SETSTR = 0x0009;

struct CANDIDATELIST {
  DWORD dwSize;
  DWORD dwStyle;
  DWORD dwCount;
  DWORD dwSelection;
  DWORD dwPageStart;
  DWORD dwPageSize;
  DWORD dwOffset[1];
};

// The window's context (null for an unknown window); release it again.
HIMC ImmGetContext(HWND window);
BOOL ImmReleaseContext(HWND window, HIMC context);
// Attaches `context` (null: none, so the input method is off for the window)
// and returns the one attached before.
HIMC ImmAssociateContext(HWND window, HIMC context);
// Nothing is ever composed: 0 bytes.
LONG ImmGetCompositionStringA(HIMC context, DWORD index, LPVOID buffer, DWORD length);
// No candidates: 0 bytes.
DWORD ImmGetCandidateListA(HIMC context, DWORD index, CANDIDATELIST* list, DWORD length);
BOOL ImmGetOpenStatus(HIMC context);
BOOL ImmSetOpenStatus(HIMC context, BOOL open);
BOOL ImmNotifyIME(HIMC context, DWORD action, DWORD index, DWORD value);
BOOL ImmSetCompositionStringA(HIMC context, DWORD index, LPCVOID composition,
                              DWORD composition_length, LPCVOID reading, DWORD reading_length);
