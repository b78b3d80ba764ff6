// Helpers shared by the library lock and API entry tests.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <thread>

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
