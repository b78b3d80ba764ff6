// The message thread's way of taking the library lock: it gives up waiting
// once the window is closed and then leaves the queue, waking the next head.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/kernel.h"
#include "runtime/core/library_lock.h"
#include "tests/runtime/core/lock_test_support.h"

namespace {

std::atomic<bool> g_give_up{false};
bool GiveUp() { return g_give_up.load(); }

using MessageThreadLockTest = LibraryLockTest;

TEST_F(MessageThreadLockTest, GivesUpWhenToldAndLeavesTheQueueToTheNextThread) {
  g_give_up = false;
  AcquireLibraryLock();
  std::atomic<DWORD> message_thread{0};
  std::atomic<int> message_result{-1};
  std::atomic<bool> left{false};
  std::thread message([&] {
    message_thread = GetCurrentThreadId();
    message_result = AcquireLibraryLockUnless(GiveUp) ? 1 : 0;
    LeaveLibraryLockQueue();
    left = true;
  });
  ASSERT_TRUE(WaitUntil([] { return QueueLength() == 1; }));
  std::atomic<DWORD> other_thread{0};
  std::atomic<bool> other_took{false};
  std::thread other([&] {
    other_thread = GetCurrentThreadId();
    AcquireLibraryLock();
    other_took = true;
    ReleaseLibraryLock();
  });
  ASSERT_TRUE(WaitUntil([] { return QueueLength() == 2; }));

  // The window closes; the waiting slice runs out on the virtual clock.
  g_give_up = true;
  while (!left) Sleep(1);
  message.join();
  EXPECT_EQ(message_result, 0);
  // Its row is gone; the other thread is the head, woken but still waiting
  // while this thread holds the lock.
  LibraryLockState state = ReadLibraryLockState();
  ASSERT_EQ(state.queue.size(), 1u);
  EXPECT_EQ(state.queue[0], other_thread.load());
  EXPECT_FALSE(other_took);

  ReleaseLibraryLock();
  other.join();
  EXPECT_TRUE(other_took);
  state = ReadLibraryLockState();
  EXPECT_EQ(state.held, 0);
  EXPECT_TRUE(state.queue.empty());
}

TEST_F(MessageThreadLockTest, TakesAFreeLockAndGivesItBackWithoutTheYield) {
  g_give_up = false;
  std::thread message([] {
    ASSERT_TRUE(AcquireLibraryLockUnless(GiveUp));
    ReleaseLibraryLockWithoutYield();
    LeaveLibraryLockQueue();  // no row: nothing changes
  });
  message.join();
  const LibraryLockState state = ReadLibraryLockState();
  EXPECT_EQ(state.held, 0);
  EXPECT_TRUE(state.queue.empty());
}

}  // namespace
