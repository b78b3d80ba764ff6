// Events, threads, critical sections and handles over the installed null host.
// The test thread is the game thread; other threads are ordered by observing
// the clock's count of blocked threads, never by sleeping.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <vector>

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "tests/platform/test_support.h"

namespace {

// Waits for a thread handle and returns its exit code.
DWORD Join(HANDLE thread) {
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  CloseHandle(thread);
  return code;
}

HANDLE StartThread(LPTHREAD_START_ROUTINE start, void* parameter, DWORD* id = nullptr) {
  HANDLE thread = CreateThread(nullptr, 0, start, parameter, 0, id);
  EXPECT_NE(thread, nullptr);
  return thread;
}

struct EventCase {
  const char* name;
  BOOL manual_reset;
  BOOL initial_state;
  bool set;
  std::vector<DWORD> waits;  // results of successive waits with time-out 0
};

TEST(EventTest, SignalledFlagFollowsResetMode) {
  const EventCase cases[] = {
      {"manual stays set", TRUE, FALSE, true, {WAIT_OBJECT_0, WAIT_OBJECT_0, WAIT_OBJECT_0}},
      {"auto lets one wait through", FALSE, FALSE, true, {WAIT_OBJECT_0, WAIT_TIMEOUT}},
      {"manual initially set", TRUE, TRUE, false, {WAIT_OBJECT_0, WAIT_OBJECT_0}},
      {"auto initially set", FALSE, TRUE, false, {WAIT_OBJECT_0, WAIT_TIMEOUT}},
      {"manual never set", TRUE, FALSE, false, {WAIT_TIMEOUT}},
      {"auto never set", FALSE, FALSE, false, {WAIT_TIMEOUT}},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.name);
    HANDLE event = CreateEventA(nullptr, c.manual_reset, c.initial_state, nullptr);
    ASSERT_NE(event, nullptr);
    if (c.set) {
      EXPECT_TRUE(SetEvent(event));
    }
    for (DWORD expected : c.waits) {
      EXPECT_EQ(WaitForSingleObject(event, 0), expected);
    }
    EXPECT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(event));
  }
}

DWORD SetEventThread(void* event) {
  SetEvent(static_cast<HANDLE>(event));
  return 0;
}

TEST(EventTest, SetBeforeTheWaitIsNotLost) {
  for (BOOL manual : {TRUE, FALSE}) {
    HANDLE event = CreateEventA(nullptr, manual, FALSE, nullptr);
    Join(StartThread(SetEventThread, event));  // set, and the setter gone
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    CloseHandle(event);
  }
}

TEST(EventTest, TimedWaitOnTheGameThreadMovesTheClockByItsLength) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  const uint64_t before = InstalledNullHost().PeekMicroseconds();
  EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
  EXPECT_EQ(InstalledNullHost().PeekMicroseconds() - before, 50000u);
  // A wait that is satisfied at once does not move it.
  SetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_OBJECT_0);
  EXPECT_EQ(InstalledNullHost().PeekMicroseconds() - before, 50000u);
  CloseHandle(event);
}

struct AutoResetWaiters {
  HANDLE event;
  std::atomic<int> passed{0};
};

DWORD WaitOnAutoEvent(void* parameter) {
  auto* shared = static_cast<AutoResetWaiters*>(parameter);
  if (WaitForSingleObject(shared->event, INFINITE) != WAIT_OBJECT_0) return 1;
  ++shared->passed;
  return 0;
}

TEST(EventTest, AutoResetReleasesExactlyOneWaitingThreadPerSet) {
  AutoResetWaiters shared;
  shared.event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE a = StartThread(WaitOnAutoEvent, &shared);
  HANDLE b = StartThread(WaitOnAutoEvent, &shared);
  AwaitBlockedThreads(2);
  SetEvent(shared.event);
  while (shared.passed.load() != 1) std::this_thread::yield();
  AwaitBlockedThreads(1);
  // The flag went with the thread that passed: the other one stays blocked.
  EXPECT_EQ(WaitForSingleObject(shared.event, 0), WAIT_TIMEOUT);
  EXPECT_EQ(shared.passed.load(), 1);
  SetEvent(shared.event);
  EXPECT_EQ(Join(a), 0u);
  EXPECT_EQ(Join(b), 0u);
  EXPECT_EQ(shared.passed.load(), 2);
  CloseHandle(shared.event);
}

struct ThreadProbe {
  HANDLE go;
  DWORD id_seen = 0;
};

DWORD ProbeThread(void* parameter) {
  auto* probe = static_cast<ThreadProbe*>(parameter);
  probe->id_seen = GetCurrentThreadId();
  WaitForSingleObject(probe->go, INFINITE);
  return 42;
}

TEST(ThreadTest, HandleIsSignalledWhenTheThreadEndsAndKeepsItsExitCode) {
  ThreadProbe probe;
  probe.go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE thread = StartThread(ProbeThread, &probe, &id);
  AwaitBlockedThreads(1);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
  SetEvent(probe.go);
  EXPECT_EQ(Join(thread), 42u);
  EXPECT_EQ(probe.id_seen, id);
  CloseHandle(probe.go);
}

DWORD ExitEarlyThread(void*) {
  ExitThread(7);
}

TEST(ThreadTest, ExitThreadEndsTheThreadWithItsCode) {
  EXPECT_EQ(Join(StartThread(ExitEarlyThread, nullptr)), 7u);
}

DWORD ReportIdThread(void* out) {
  *static_cast<DWORD*>(out) = GetCurrentThreadId();
  return 0;
}

TEST(ThreadTest, ThreadIdsAreSmallDistinctAndNeverReserved) {
  std::set<DWORD> ids = {GetCurrentThreadId()};
  EXPECT_EQ(GetCurrentThreadId(), GetCurrentThreadId());
  for (int i = 0; i < 8; ++i) {
    DWORD reported = 0, seen = 0;
    Join(StartThread(ReportIdThread, &seen, &reported));
    EXPECT_EQ(seen, reported);
    ids.insert(seen);
  }
  EXPECT_EQ(ids.size(), 9u);
  for (DWORD id : ids) {
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, 0xFFFFFFFFu);
    EXPECT_LT(id, 100000u);
  }
}

struct SectionProbe {
  CRITICAL_SECTION section;
  std::atomic<bool> entered{false};
};

DWORD EnterSectionThread(void* parameter) {
  auto* probe = static_cast<SectionProbe*>(parameter);
  EnterCriticalSection(&probe->section);
  probe->entered = true;
  LeaveCriticalSection(&probe->section);
  return 0;
}

TEST(CriticalSectionTest, HolderMayReenterAndOthersWaitForTheLastLeave) {
  SectionProbe probe;
  InitializeCriticalSection(&probe.section);
  for (int i = 0; i < 3; ++i) EnterCriticalSection(&probe.section);
  HANDLE thread = StartThread(EnterSectionThread, &probe);
  AwaitBlockedThreads(1);
  LeaveCriticalSection(&probe.section);
  LeaveCriticalSection(&probe.section);
  EXPECT_EQ(InstalledNullHost().BlockedThreadCount(), 1);
  EXPECT_FALSE(probe.entered.load());
  LeaveCriticalSection(&probe.section);
  Join(thread);
  EXPECT_TRUE(probe.entered.load());
  // Free again: the game thread takes it at once.
  EnterCriticalSection(&probe.section);
  LeaveCriticalSection(&probe.section);
  DeleteCriticalSection(&probe.section);
}

TEST(HandleTest, ClosedAndUnknownHandlesFail) {
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  EXPECT_TRUE(CloseHandle(event));
  EXPECT_FALSE(CloseHandle(event));
  EXPECT_FALSE(SetEvent(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  for (HANDLE bad : {static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
    EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(bad));
  }
}

TEST(KernelTimeTest, CountersReadTheHostClock) {
  LARGE_INTEGER frequency{}, first{}, second{};
  EXPECT_TRUE(QueryPerformanceFrequency(&frequency));
  EXPECT_EQ(frequency.QuadPart, 1000000);
  EXPECT_TRUE(QueryPerformanceCounter(&first));
  EXPECT_EQ(static_cast<uint64_t>(first.QuadPart), InstalledNullHost().PeekMicroseconds());
  Sleep(3);
  EXPECT_TRUE(QueryPerformanceCounter(&second));
  EXPECT_EQ(second.QuadPart - first.QuadPart, 3000 + 10);
  const DWORD ticks = GetTickCount();
  EXPECT_EQ(ticks, InstalledNullHost().PeekMicroseconds() / 1000);
  const DWORD time = timeGetTime();
  EXPECT_EQ(time, InstalledNullHost().PeekMicroseconds() / 1000);
  EXPECT_EQ(timeBeginPeriod(1), 0u);
  EXPECT_EQ(timeEndPeriod(1), 0u);
}

TEST(KernelDeathTest, ArgumentsThatAreNotEmulatedFailLoudly) {
  EXPECT_DEATH(CreateEventA(nullptr, TRUE, FALSE, "named"),
               "CreateEventA: named events are not emulated \\(got \"named\"\\)");
  EXPECT_DEATH(CreateThread(nullptr, 0, ReportIdThread, nullptr, 4, nullptr),
               "CreateThread: thread creation flags are not emulated \\(got 4\\)");
}

}  // namespace
