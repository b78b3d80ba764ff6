// The virtual clock's rules. Rule tests use a clock of their own whose game
// thread is the test thread; tests with other threads use the installed host,
// which the kernel stand-ins run on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>

#include "platform/null/null_clock.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "tests/platform/test_support.h"

namespace {

constexpr uint64_t kStart = 10'000'000;  // a 1/60 s boundary (period 600)

class NullClockTest : public ::testing::Test {
 protected:
  NullClockTest() : clock_(kStart, [this] { ++blank_waits_; }) { clock_.SetGameThread(); }
  NullClock clock_;
  int blank_waits_ = 0;
};

TEST_F(NullClockTest, EveryReadOnTheGameThreadMovesTheClockTenMicroseconds) {
  const std::pair<const char*, std::function<void()>> reads[] = {
      {"microseconds", [&] { clock_.Microseconds(); }},
      {"milliseconds", [&] { clock_.Milliseconds(); }},
      {"blank status", [&] { clock_.InVerticalBlank(); }},
      {"scan line", [&] { clock_.ScanLine(); }},
  };
  for (const auto& [name, read] : reads) {
    SCOPED_TRACE(name);
    const uint64_t before = clock_.Peek();
    read();
    read();
    EXPECT_EQ(clock_.Peek() - before, 2 * NullClock::kReadStepMicroseconds);
  }
  // A read returns the clock after its step.
  const uint64_t read = clock_.Microseconds();
  EXPECT_EQ(read, clock_.Peek());
}

TEST_F(NullClockTest, ReadsOnOtherThreadsLeaveTheClockAlone) {
  const uint64_t before = clock_.Peek();
  uint64_t seen = 0;
  std::thread([&] {
    seen = clock_.Microseconds();
    clock_.InVerticalBlank();
    clock_.ScanLine();
  }).join();
  EXPECT_EQ(seen, before);
  EXPECT_EQ(clock_.Peek(), before);
}

TEST_F(NullClockTest, SleepMovesTheClockByItsLength) {
  const uint64_t before = clock_.Peek();
  clock_.Sleep(25);
  EXPECT_EQ(clock_.Peek() - before, 25000u);
  clock_.Sleep(0);
  EXPECT_EQ(clock_.Peek() - before, 25000u);
}

TEST(NullClockGameThreadTest, WithoutANamedGameThreadEveryThreadMovesIt) {
  NullClock clock(kStart, nullptr);
  clock.Sleep(5);
  std::thread([&] { clock.Sleep(5); }).join();
  EXPECT_EQ(clock.Peek(), kStart + 10000);
  // Once named, only the game thread does.
  clock.SetGameThread();
  std::thread([&] { clock.Microseconds(); }).join();
  EXPECT_EQ(clock.Peek(), kStart + 10000);
}

TEST(NullClockBlankTest, VerticalBlankWaitGoesToTheNextBoundary) {
  struct Case {
    uint64_t start;
    uint64_t after_wait;
  };
  // Boundary k lies at k * 50000 / 3 us, rounded up.
  const Case cases[] = {
      {10'000'000, 10'016'667},  // on a boundary: the next one
      {10'000'001, 10'016'667},
      {10'016'666, 10'016'667},
      {10'016'667, 10'033'334},
      {0, 16'667},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    int waits = 0;
    NullClock clock(c.start, [&] { ++waits; });
    clock.SetGameThread();
    clock.WaitVerticalBlank();
    EXPECT_EQ(clock.Peek(), c.after_wait);
    EXPECT_EQ(waits, 1);
  }
}

TEST_F(NullClockTest, BlankStatusIsReportedOncePerUnconsumedBoundary) {
  // The start's own boundary counts as consumed.
  EXPECT_FALSE(clock_.InVerticalBlank());
  clock_.WaitVerticalBlank();  // consumes its boundary
  EXPECT_FALSE(clock_.InVerticalBlank());
  clock_.Sleep(17);  // crosses one boundary
  EXPECT_TRUE(clock_.InVerticalBlank());
  EXPECT_FALSE(clock_.InVerticalBlank());
  clock_.Sleep(50);  // crosses three: still reported once
  EXPECT_TRUE(clock_.InVerticalBlank());
  EXPECT_FALSE(clock_.InVerticalBlank());
  // A frame's polling loop ends after a bounded, repeatable number of reads.
  int reads = 1;
  while (!clock_.InVerticalBlank()) ++reads;
  EXPECT_GT(reads, 1);
  EXPECT_LE(reads, 16667 / 10 + 1);
  // The wait and each read that found a blank consumed one: each told the
  // host.
  EXPECT_EQ(blank_waits_, 4);
}

TEST_F(NullClockTest, ScanLineRunsThroughTheVisibleLinesAfterTheBlank) {
  clock_.WaitVerticalBlank();
  const int first = clock_.ScanLine();
  EXPECT_GE(first, NullClock::kVisibleLines);  // the blank starts at the boundary
  clock_.Sleep(5);
  const int middle = clock_.ScanLine();
  EXPECT_GE(middle, 0);
  EXPECT_LT(middle, NullClock::kVisibleLines);
  clock_.Sleep(5);
  EXPECT_GT(clock_.ScanLine(), middle);
}

// ---- Other threads on the installed host --------------------------------------

struct Sleeper {
  DWORD milliseconds;
  std::atomic<bool> woke{false};
  uint64_t woke_at = 0;
};

DWORD SleepThread(void* parameter) {
  auto* sleeper = static_cast<Sleeper*>(parameter);
  Sleep(sleeper->milliseconds);
  sleeper->woke_at = InstalledNullHost().PeekMicroseconds();
  sleeper->woke = true;
  return 0;
}

TEST(NullClockThreadTest, AnotherThreadsSleepEndsOnlyWhenTheGameThreadPassesItsDeadline) {
  Sleeper sleeper{30};
  HANDLE thread = CreateThread(nullptr, 0, SleepThread, &sleeper, 0, nullptr);
  AwaitBlockedThreads(1);
  const uint64_t start = InstalledNullHost().PeekMicroseconds();
  Sleep(29);
  EXPECT_FALSE(sleeper.woke.load());
  EXPECT_EQ(InstalledNullHost().BlockedThreadCount(), 1);
  // Its sleep never moved the clock.
  EXPECT_EQ(InstalledNullHost().PeekMicroseconds() - start, 29000u);
  Sleep(5);
  // The game thread's Sleep returns only after the woken thread has run on to
  // its end, and the clock stood at the deadline while it ran.
  EXPECT_TRUE(sleeper.woke.load());
  EXPECT_EQ(sleeper.woke_at, start + 30000);
  EXPECT_EQ(InstalledNullHost().PeekMicroseconds(), start + 34000);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

struct TimedWaiter {
  HANDLE event;
  DWORD result = 0;
};

DWORD TimedWaitThread(void* parameter) {
  auto* waiter = static_cast<TimedWaiter*>(parameter);
  waiter->result = WaitForSingleObject(waiter->event, 20);
  return 0;
}

TEST(NullClockThreadTest, AnotherThreadsTimedWaitTimesOutOnTheVirtualClock) {
  TimedWaiter waiter{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  HANDLE thread = CreateThread(nullptr, 0, TimedWaitThread, &waiter, 0, nullptr);
  AwaitBlockedThreads(1);
  const uint64_t start = InstalledNullHost().PeekMicroseconds();
  for (int i = 0; i < 19; ++i) Sleep(1);
  EXPECT_EQ(InstalledNullHost().BlockedThreadCount(), 1);
  Sleep(1);
  // The thread timed out and ended before the Sleep returned.
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
  EXPECT_EQ(waiter.result, WAIT_TIMEOUT);
  EXPECT_EQ(InstalledNullHost().PeekMicroseconds(), start + 20000);
  CloseHandle(thread);
  CloseHandle(waiter.event);
}

struct DelayedSetter {
  HANDLE event;
  DWORD delay;
};

DWORD DelayedSetThread(void* parameter) {
  auto* setter = static_cast<DelayedSetter*>(parameter);
  Sleep(setter->delay);
  SetEvent(setter->event);
  return 0;
}

TEST(NullClockThreadTest, GameThreadWaitEndsWhenASleepingThreadSignalsOnTheVirtualClock) {
  struct Case {
    const char* name;
    DWORD setter_delay;
    DWORD timeout;
    DWORD expected;
    uint64_t clock_moved;
  };
  const Case cases[] = {
      {"signalled before the time-out", 30, 100, WAIT_OBJECT_0, 30000},
      {"no time-out", 45, INFINITE, WAIT_OBJECT_0, 45000},
      {"times out first", 80, 50, WAIT_TIMEOUT, 50000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DelayedSetter setter{CreateEventA(nullptr, TRUE, FALSE, nullptr), c.setter_delay};
    HANDLE thread = CreateThread(nullptr, 0, DelayedSetThread, &setter, 0, nullptr);
    AwaitBlockedThreads(1);
    const uint64_t start = InstalledNullHost().PeekMicroseconds();
    EXPECT_EQ(WaitForSingleObject(setter.event, c.timeout), c.expected);
    EXPECT_EQ(InstalledNullHost().PeekMicroseconds() - start, c.clock_moved);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    CloseHandle(thread);
    CloseHandle(setter.event);
  }
}

// While the game thread is blocked in a wait, another thread that keeps
// reading the clock moves it, so a busy wait off the game thread ends; a
// thread that reads it a few times leaves it alone.
struct ClockReader {
  HANDLE done;
  DWORD busy_milliseconds;  // 0: ten reads and no more
};

DWORD ReadClockThenSignal(void* parameter) {
  auto* reader = static_cast<ClockReader*>(parameter);
  const DWORD start = timeGetTime();
  if (reader->busy_milliseconds == 0) {
    for (int i = 1; i < 10; ++i) timeGetTime();
  } else {
    // Gives up after a few seconds of real time, should the clock stand still.
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (timeGetTime() - start < reader->busy_milliseconds &&
           std::chrono::steady_clock::now() < give_up) {
    }
  }
  SetEvent(reader->done);
  return 0;
}

TEST(NullClockThreadTest, ABusyWaitOnAnotherThreadEndsWhileTheGameThreadWaitsForIt) {
  struct Case {
    const char* name;
    bool kernel_thread;  // made by CreateThread, known to the clock
    DWORD busy_milliseconds;
    uint64_t least_moved;
    uint64_t most_moved;
  };
  const Case cases[] = {
      {"a thread of CreateThread waiting 1000 ms", true, 1000, 1'000'000, 1'100'000},
      {"a plain thread waiting 1000 ms", false, 1000, 1'000'000, 1'100'000},
      {"a thread of CreateThread reading ten times", true, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClockReader reader{CreateEventA(nullptr, TRUE, FALSE, nullptr), c.busy_milliseconds};
    const uint64_t start = InstalledNullHost().PeekMicroseconds();
    HANDLE thread = nullptr;
    std::thread plain;
    if (c.kernel_thread) {
      thread = CreateThread(nullptr, 0, ReadClockThenSignal, &reader, 0, nullptr);
    } else {
      plain = std::thread(ReadClockThenSignal, &reader);
    }
    EXPECT_EQ(WaitForSingleObject(reader.done, INFINITE), WAIT_OBJECT_0);
    const uint64_t moved = InstalledNullHost().PeekMicroseconds() - start;
    EXPECT_GE(moved, c.least_moved);
    EXPECT_LE(moved, c.most_moved);
    if (thread != nullptr) {
      EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
      CloseHandle(thread);
    }
    if (plain.joinable()) plain.join();
    CloseHandle(reader.done);
  }
}

}  // namespace
