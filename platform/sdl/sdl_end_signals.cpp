// SIGTERM and SIGINT noted for the SDL host.
#include "platform/sdl/sdl_end_signals.h"

#include <signal.h>

#include <atomic>

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT};
constexpr int kEndSignalCount = sizeof(kEndSignals) / sizeof(kEndSignals[0]);

// Written by the handler on whichever thread takes the signal, read by the
// main thread: an atomic that needs no lock is safe in a handler.
std::atomic<bool> EndSignalNoted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

struct SavedAction {
  bool installed = false;
  struct sigaction previous {};
};
SavedAction SavedActions[kEndSignalCount];

void NoteEndSignal(int) { EndSignalNoted.store(true); }

}  // namespace

void InstallEndSignalHandlers() {
  EndSignalNoted.store(false);
  for (int i = 0; i < kEndSignalCount; ++i) {
    struct sigaction current {};
    if (sigaction(kEndSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = &NoteEndSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts start again, so that no library in another
    // thread sees EINTR; the host's own waits are short sleeps, which a
    // signal ends whatever the flag says.
    action.sa_flags = SA_RESTART;
    if (sigaction(kEndSignals[i], &action, &SavedActions[i].previous) == 0) {
      SavedActions[i].installed = true;
    }
  }
}

void RemoveEndSignalHandlers() {
  for (int i = 0; i < kEndSignalCount; ++i) {
    if (!SavedActions[i].installed) continue;
    sigaction(kEndSignals[i], &SavedActions[i].previous, nullptr);
    SavedActions[i].installed = false;
  }
}

bool EndSignalReceived() { return EndSignalNoted.load(); }
