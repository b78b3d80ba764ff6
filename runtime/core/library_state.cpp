// The library's start-up settings and state, and its fatal exit.
#include "runtime/core/library_state.h"

#include <cstdarg>
#include <cstdlib>

#include "platform/win32/kernel.h"
#include "runtime/core/format.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/upper_layers.h"
#include "runtime/core/window_state.h"

int32_t SkipInputFlag = 0;
int32_t SkipSoundFlag = 0;
int32_t SkipGraphicsFlag = 0;
int32_t AccelerationOffAtStartFlag = 1;
int32_t InitRunningFlag = 0;
int32_t ComStartedFlag = 0;

namespace {

// 1 while FatalExit runs: a fatal error met while the library is being ended
// for an earlier one ends the process at once.
int32_t FatalExitRunning = 0;

}  // namespace

void FatalExit(const char* message) {
  if (FatalExitRunning) std::_Exit(-1);
  FatalExitRunning = 1;
  LogAdd(message);
  LogAdd("\n");
  // Ending the library waits for the message thread; only the thread that
  // made the window may do that, any other thread would wait for itself or
  // for a thread that waits for the lock it holds.
  if (GetMainWindowHandle() == nullptr || GetCurrentThreadId() == WindowThreadId) UpperEndLibrary();
  DestroyLibraryLock();
  // The process ends at once, without running static destructors or exit
  // handlers, which could touch runtime state left half made.
  std::_Exit(-1);
}

void FatalExitFormatted(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  FormatToBuffer(buffer, sizeof(buffer), format, args);
  va_end(args);
  FatalExit(buffer);
}
