// Helpers shared by the library lock and API entry tests.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

#include "platform/win32/kernel.h"
#include "runtime/core/library_lock.h"

// Yields until `ready()` holds; false if it still does not after a generous
// real-time limit (a hang shows as a failure, not as a stuck test). The limit
// is read with time(): <chrono> cannot be compiled with the Shift-JIS
// execution character set.
template <typename Ready>
bool WaitUntil(Ready ready) {
  const std::time_t limit = std::time(nullptr) + 60;
  while (!ready()) {
    if (std::time(nullptr) > limit) {
      return false;
    }
    std::this_thread::yield();
  }
  return true;
}

// A manual-reset event of the stand-in layer. Threads that must stay put
// wait on one of these rather than spin, so the null host's clock sees them
// as blocked and never waits for them.
class Gate {
 public:
  Gate() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Gate() { CloseHandle(event_); }
  Gate(const Gate&) = delete;
  Gate& operator=(const Gate&) = delete;
  void Open() { SetEvent(event_); }
  void Wait() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

inline size_t QueueLength() { return ReadLibraryLockState().queue.size(); }

// Starts every test on a lock that does not exist yet, so its counters begin
// at 0. A lock left held or with waiters by an earlier test is a fault.
class LibraryLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const LibraryLockState state = ReadLibraryLockState();
    ASSERT_TRUE(!state.exists || (state.held == 0 && state.queue.empty()));
    DestroyLibraryLock();
    ASSERT_FALSE(ReadLibraryLockState().exists);
  }
};
