#include "platform/win32/imm.h"

#include <map>
#include <mutex>

#include "platform/win32/user.h"

namespace {

struct ImeState {
  std::mutex mutex;
  std::map<HWND, HIMC> attached;  // windows whose context was changed
  std::map<HIMC, bool> open;
};

ImeState& State() {
  static auto* state = new ImeState;
  return *state;
}

// Each window's own context: a value derived from the window.
HIMC OwnContext(HWND window) {
  return reinterpret_cast<HIMC>(reinterpret_cast<uintptr_t>(window) | 1);
}

}  // namespace

HIMC ImmGetContext(HWND window) {
  if (!IsWindow(window)) return nullptr;
  std::lock_guard<std::mutex> lock(State().mutex);
  auto found = State().attached.find(window);
  return found != State().attached.end() ? found->second : OwnContext(window);
}

BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

HIMC ImmAssociateContext(HWND window, HIMC context) {
  if (!IsWindow(window)) return nullptr;
  std::lock_guard<std::mutex> lock(State().mutex);
  auto found = State().attached.find(window);
  const HIMC previous = found != State().attached.end() ? found->second : OwnContext(window);
  State().attached[window] = context;
  return previous;
}

LONG ImmGetCompositionStringA(HIMC, DWORD, LPVOID, DWORD) { return 0; }

DWORD ImmGetCandidateListA(HIMC, DWORD, CANDIDATELIST*, DWORD) { return 0; }

BOOL ImmGetOpenStatus(HIMC context) {
  if (context == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(State().mutex);
  auto found = State().open.find(context);
  return found != State().open.end() && found->second ? TRUE : FALSE;
}

BOOL ImmSetOpenStatus(HIMC context, BOOL open) {
  if (context == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(State().mutex);
  State().open[context] = open != FALSE;
  return TRUE;
}

BOOL ImmNotifyIME(HIMC context, DWORD, DWORD, DWORD) { return context != nullptr ? TRUE : FALSE; }

BOOL ImmSetCompositionStringA(HIMC context, DWORD, LPCVOID, DWORD, LPCVOID, DWORD) {
  return context != nullptr ? TRUE : FALSE;
}
