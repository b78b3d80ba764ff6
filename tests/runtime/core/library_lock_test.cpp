#include "runtime/core/library_lock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/win32/kernel.h"
#include "runtime/system/api.h"
#include "tests/runtime/core/lock_test_support.h"

TEST_F(LibraryLockTest, NestedTakesHoldTheLockUntilTheLastRelease) {
  const DWORD me = GetCurrentThreadId();
  AcquireLibraryLock();
  AcquireLibraryLock();
  AcquireLibraryLock();
  // An entry made by the holder nests as well instead of waiting for itself.
  ApiGetMilliseconds(0);
  LibraryLockState state = ReadLibraryLockState();
  EXPECT_EQ(state.holder, me);
  EXPECT_EQ(state.nesting_count, 3);

  std::atomic<bool> waiter_took{false};
  std::thread waiter([&] {
    AcquireLibraryLock();
    waiter_took = true;
    ReleaseLibraryLock();
  });
  ASSERT_TRUE(WaitUntil([] { return QueueLength() == 1; }));

  for (int32_t remaining : {2, 1}) {
    SCOPED_TRACE(remaining);
    ReleaseLibraryLock();
    state = ReadLibraryLockState();
    EXPECT_EQ(state.held, 1);
    EXPECT_EQ(state.holder, me);
    EXPECT_EQ(state.nesting_count, remaining);
    EXPECT_EQ(state.queue.size(), 1u);
    EXPECT_EQ(state.head_wakeups, 0u);
    EXPECT_FALSE(waiter_took);
  }

  ReleaseLibraryLock();
  waiter.join();
  EXPECT_TRUE(waiter_took);
  state = ReadLibraryLockState();
  EXPECT_EQ(state.head_wakeups, 1u);
  EXPECT_EQ(state.held, 0);
  EXPECT_EQ(state.nesting_count, 0);
  EXPECT_EQ(state.holder, kLibraryLockNobody);
  EXPECT_TRUE(state.queue.empty());
}

// A holds the lock, B then C queue. A gives it up and asks again at once:
// B and C still come first, and A queues behind C. A is not the test thread,
// whose yield after a release lets the woken threads finish first on the null
// host; repeated, so that A's new request meets both a lock B has already
// taken and one that B has not reached yet.
TEST_F(LibraryLockTest, HandsOverInOrderOfArrival) {
  for (int round = 0; round < 25; ++round) {
    SCOPED_TRACE(round);
    std::vector<DWORD> order;  // appended to under the lock only
    auto take_once = [&order](std::atomic<DWORD>* id) {
      *id = GetCurrentThreadId();
      AcquireLibraryLock();
      order.push_back(GetCurrentThreadId());
      ReleaseLibraryLock();
    };
    std::atomic<DWORD> a{0};
    std::atomic<DWORD> b{0};
    std::atomic<DWORD> c{0};
    Gate go;

    std::thread thread_a([&] {
      a = GetCurrentThreadId();
      AcquireLibraryLock();
      go.Wait();
      ReleaseLibraryLock();
      AcquireLibraryLock();
      order.push_back(GetCurrentThreadId());
      ReleaseLibraryLock();
    });
    ASSERT_TRUE(WaitUntil([&] { return a != 0 && ReadLibraryLockState().holder == a; }));
    std::thread thread_b(take_once, &b);
    ASSERT_TRUE(WaitUntil([] { return QueueLength() == 1; }));
    std::thread thread_c(take_once, &c);
    ASSERT_TRUE(WaitUntil([] { return QueueLength() == 2; }));
    EXPECT_EQ(ReadLibraryLockState().queue, (std::vector<DWORD>{b, c}));

    go.Open();
    thread_a.join();
    thread_b.join();
    thread_c.join();
    EXPECT_EQ(order, (std::vector<DWORD>{b, c, a}));
  }
}

// Many threads taking the lock (nested, and through an entry) never hold it
// at the same time, and none is left waiting.
TEST_F(LibraryLockTest, OneHolderAtATimeUnderContention) {
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  int64_t counter = 0;  // changed under the lock only
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < kRounds; ++round) {
        AcquireLibraryLock();
        if (inside.fetch_add(1) != 0) {
          overlaps += 1;
        }
        AcquireLibraryLock();
        counter += 1;
        if (round % 16 == 0) {
          ApiGetMilliseconds(round);
        }
        ReleaseLibraryLock();
        inside.fetch_sub(1);
        ReleaseLibraryLock();
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(overlaps, 0);
  EXPECT_EQ(counter, int64_t{kThreads} * kRounds);
  const LibraryLockState state = ReadLibraryLockState();
  EXPECT_EQ(state.held, 0);
  EXPECT_EQ(state.nesting_count, 0);
  EXPECT_TRUE(state.queue.empty());
}

// The queue holds 4096 threads; one more polls every millisecond of the clock
// until a row frees, and then queues behind the others. The null host's clock
// moves only when the test thread sleeps, which paces the late thread's polls.
TEST_F(LibraryLockTest, FullQueueMakesAFurtherThreadPollUntilARowFrees) {
  Gate go;
  std::vector<DWORD> order;  // appended to under the lock only
  auto take_and_hold = [&] {
    AcquireLibraryLock();
    order.push_back(GetCurrentThreadId());
    go.Wait();
    ReleaseLibraryLock();
  };

  AcquireLibraryLock();
  std::vector<std::thread> waiters;
  waiters.reserve(kLibraryLockQueueRows);
  for (int32_t i = 0; i < kLibraryLockQueueRows; ++i) {
    waiters.emplace_back(take_and_hold);
  }
  ASSERT_TRUE(WaitUntil([] { return QueueLength() == kLibraryLockQueueRows; }));

  std::atomic<DWORD> late{0};
  std::thread late_thread([&] {
    late = GetCurrentThreadId();
    take_and_hold();
  });
  ASSERT_TRUE(WaitUntil([] { return ReadLibraryLockState().full_queue_polls >= 1; }));
  // The clock moves on 1 ms: the late thread looks again and still finds the
  // queue full.
  Sleep(1);
  ASSERT_TRUE(WaitUntil([] { return ReadLibraryLockState().full_queue_polls >= 2; }));
  const LibraryLockState full = ReadLibraryLockState();
  ASSERT_EQ(full.queue.size(), size_t{kLibraryLockQueueRows});
  EXPECT_EQ(std::count(full.queue.begin(), full.queue.end(), late.load()), 0);

  // The head takes the lock and holds it; its row is free, and at its next
  // look the late thread takes the last row.
  ReleaseLibraryLock();
  ASSERT_TRUE(WaitUntil([&] { return ReadLibraryLockState().holder == full.queue[0]; }));
  Sleep(1);
  ASSERT_TRUE(WaitUntil([&] {
    const LibraryLockState state = ReadLibraryLockState();
    return state.queue.size() == size_t{kLibraryLockQueueRows} && state.queue.back() == late;
  }));

  go.Open();
  for (std::thread& waiter : waiters) {
    waiter.join();
  }
  late_thread.join();
  std::vector<DWORD> expected = full.queue;
  expected.push_back(late);
  EXPECT_EQ(order, expected);
}

TEST_F(LibraryLockTest, EndLibraryDestroysTheLockAndALaterUseMakesItAnew) {
  for (int cycle = 0; cycle < 2; ++cycle) {
    SCOPED_TRACE(cycle);
    ApiGetMilliseconds(0);
    EXPECT_TRUE(ReadLibraryLockState().exists);
    ApiEndLibrary();
    EXPECT_FALSE(ReadLibraryLockState().exists);

    // The new lock queues and wakes as the first one did.
    const DWORD me = GetCurrentThreadId();
    AcquireLibraryLock();
    EXPECT_EQ(ReadLibraryLockState().holder, me);
    std::atomic<bool> waiter_took{false};
    std::thread waiter([&] {
      AcquireLibraryLock();
      waiter_took = true;
      ReleaseLibraryLock();
    });
    ASSERT_TRUE(WaitUntil([] { return QueueLength() == 1; }));
    EXPECT_FALSE(waiter_took);
    ReleaseLibraryLock();
    waiter.join();
    EXPECT_TRUE(waiter_took);
  }
}

// The thread a release wakes may destroy the lock as soon as it has given it
// up: the releasing thread no longer counts as a user by then. Each round
// hands over a fresh lock, so a gap between the wake-up and the end of the
// release shows in some round.
TEST_F(LibraryLockTest, AWokenThreadCanDestroyTheLockAtOnce) {
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    AcquireLibraryLock();
    bool destroyed = false;
    std::thread waiter([&] {
      AcquireLibraryLock();
      ReleaseLibraryLock();
      destroyed = DestroyLibraryLock();
    });
    ASSERT_TRUE(WaitUntil([] { return QueueLength() == 1; }));
    ReleaseLibraryLock();
    waiter.join();
    ASSERT_TRUE(destroyed);
    ASSERT_FALSE(ReadLibraryLockState().exists);
  }
}

// Ending the library from inside locked work leaves the lock in place: the
// caller still holds it and must be able to release it.
TEST_F(LibraryLockTest, AHeldLockIsNotDestroyed) {
  const DWORD me = GetCurrentThreadId();
  AcquireLibraryLock();
  EXPECT_FALSE(DestroyLibraryLock());
  ApiEndLibrary();
  LibraryLockState state = ReadLibraryLockState();
  ASSERT_TRUE(state.exists);
  EXPECT_EQ(state.holder, me);
  EXPECT_EQ(state.nesting_count, 1);

  ReleaseLibraryLock();
  state = ReadLibraryLockState();
  EXPECT_EQ(state.held, 0);
  EXPECT_TRUE(DestroyLibraryLock());
  EXPECT_FALSE(ReadLibraryLockState().exists);
}

// A release by a thread that does not hold the lock is a fault; outside debug
// builds it changes nothing.
TEST_F(LibraryLockTest, ReleaseByANonHolderChangesNothing) {
  EXPECT_DEBUG_DEATH(ReleaseLibraryLock(), "without the library lock");
  EXPECT_FALSE(ReadLibraryLockState().exists);

  Gate done;
  std::thread holder([&] {
    AcquireLibraryLock();
    done.Wait();
    ReleaseLibraryLock();
  });
  ASSERT_TRUE(WaitUntil([] { return ReadLibraryLockState().held == 1; }));
  const DWORD holder_id = ReadLibraryLockState().holder;
  EXPECT_DEBUG_DEATH(ReleaseLibraryLock(), "does not hold the library lock");
  const LibraryLockState state = ReadLibraryLockState();
  EXPECT_EQ(state.holder, holder_id);
  EXPECT_EQ(state.nesting_count, 1);
  done.Open();
  holder.join();
}
