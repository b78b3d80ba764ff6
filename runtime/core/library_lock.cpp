// The library lock. See library_lock.h for what it offers.
#include "runtime/core/library_lock.h"

#include <atomic>
#include <cassert>

#include "platform/win32/kernel.h"

// One row of the wait queue. The event belongs to the row, not to the thread
// in it: when the head leaves, the rows behind move up one place with their
// events, and the head's event goes to the row freed at the end. A waiting
// thread therefore keeps the same event from entering the queue until it
// leaves, and a row's event is set only while that row is the head.
struct LibraryLockRow {
  DWORD thread_id;  // 0 for a free row
  HANDLE event;     // manual-reset
};

struct LibraryLock {
  CRITICAL_SECTION guard;  // guards every field below
  int32_t nesting_count;
  int32_t held;
  DWORD holder;
  LibraryLockRow rows[kLibraryLockQueueRows];  // row 0 is the head
  int32_t queue_length;
  uint32_t head_wakeups;
  uint32_t full_queue_polls;
};

static LibraryLock g_lock;

// The lock's life, in one word, so that making, using and destroying the lock
// never overlap even when threads arrive together: the low two bits hold the
// phase (absent, being made, alive, being destroyed), the bits above count the
// threads working on the lock (inside an acquire, a release or a state read).
// A thread waiting in the queue counts as working on it.
static constexpr uint32_t kPhaseMask = 3;
static constexpr uint32_t kAbsent = 0;
static constexpr uint32_t kCreating = 1;
static constexpr uint32_t kAlive = 2;
static constexpr uint32_t kDestroying = 3;
static constexpr uint32_t kOneUser = 4;

static std::atomic<uint32_t> g_life{kAbsent};

static void CreateLockObjects() {
  for (LibraryLockRow& row : g_lock.rows) {
    row.thread_id = 0;
    row.event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    assert(row.event != nullptr && "the library lock could not make its queue events");
  }
  InitializeCriticalSection(&g_lock.guard);
  g_lock.nesting_count = 0;
  g_lock.held = 0;
  g_lock.holder = kLibraryLockNobody;
  g_lock.queue_length = 0;
  g_lock.head_wakeups = 0;
  g_lock.full_queue_polls = 0;
}

static void DestroyLockObjects() {
  for (LibraryLockRow& row : g_lock.rows) {
    if (row.event != nullptr) {
      CloseHandle(row.event);
    }
    row.event = nullptr;
    row.thread_id = 0;
  }
  DeleteCriticalSection(&g_lock.guard);
}

// Registers the calling thread as working on the lock. Makes the lock first
// when it does not exist and `create` is set; returns false when it does not
// exist and `create` is not set. Threads that meet the lock being made or
// destroyed by another thread yield until that has finished.
static bool BeginLockUse(bool create) {
  for (;;) {
    uint32_t life = g_life.load(std::memory_order_acquire);
    const uint32_t phase = life & kPhaseMask;
    if (phase == kAlive) {
      if (g_life.compare_exchange_weak(life, life + kOneUser, std::memory_order_acquire)) {
        return true;
      }
      continue;
    }
    if (phase == kAbsent) {
      if (!create) {
        return false;
      }
      if (g_life.compare_exchange_weak(life, kCreating, std::memory_order_acquire)) {
        CreateLockObjects();
        g_life.store(kAlive + kOneUser, std::memory_order_release);
        return true;
      }
      continue;
    }
    Sleep(0);
  }
}

static void EndLockUse() { g_life.fetch_sub(kOneUser, std::memory_order_release); }

static void TakeLock(DWORD me) {
  g_lock.nesting_count += 1;
  g_lock.held = 1;
  g_lock.holder = me;
}

// The head leaves the queue: the rows behind move up one place with their
// events, and the head's event goes to the freed last row.
static void RemoveQueueHead() {
  const int32_t n = g_lock.queue_length;
  if (n > 1) {
    const HANDLE head_event = g_lock.rows[0].event;
    for (int32_t row = 1; row < n; ++row) {
      g_lock.rows[row - 1] = g_lock.rows[row];
    }
    g_lock.rows[n - 1].thread_id = 0;
    g_lock.rows[n - 1].event = head_event;
  } else {
    g_lock.rows[0].thread_id = 0;
  }
  g_lock.queue_length = n - 1;
}

namespace {

// Waits on the queue row's event. The plain lock waits without a limit; the
// message thread's variant looks once without waiting and then waits in
// slices of 1000 ms, stopping when `give_up()` says so. Returns false when it
// gave up.
bool WaitOnRow(HANDLE event, bool (*give_up)()) {
  if (give_up == nullptr) {
    WaitForSingleObject(event, INFINITE);
    return true;
  }
  if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) return true;
  for (;;) {
    if (WaitForSingleObject(event, 1000) == WAIT_OBJECT_0) return true;
    if (give_up()) return false;
  }
}

// The rule of taking the lock, shared by both ways of taking it.
bool AcquireLock(bool (*give_up)()) {
  BeginLockUse(true);
  const DWORD me = GetCurrentThreadId();
  // The event of this thread's row once it has entered the queue. It stays
  // the same while the row moves towards the head.
  HANDLE my_event = nullptr;
  for (;;) {
    EnterCriticalSection(&g_lock.guard);
    const bool lock_free = g_lock.held == 0;
    if (lock_free && (g_lock.queue_length == 0 || g_lock.holder == me)) {
      break;
    }
    if (lock_free && g_lock.queue_length > 0 && g_lock.rows[0].thread_id == me) {
      RemoveQueueHead();
      break;
    }
    if (!lock_free && g_lock.holder == me) {
      break;
    }
    if (my_event == nullptr && g_lock.queue_length < kLibraryLockQueueRows) {
      LibraryLockRow& row = g_lock.rows[g_lock.queue_length];
      row.thread_id = me;
      my_event = row.event;
      g_lock.queue_length += 1;
    }
    if (my_event != nullptr) {
      // Queued: wait until this row is the head and the lock has been given
      // up. A woken thread that cannot take the lock (it is not the head, or
      // another thread holds the lock) keeps its row and waits on it again;
      // it never enters the queue a second time.
      LeaveCriticalSection(&g_lock.guard);
      const bool woken = WaitOnRow(my_event, give_up);
      ResetEvent(my_event);
      if (!woken) {
        // Given up: the row stays until the thread leaves the queue.
        EndLockUse();
        return false;
      }
      continue;
    }
    // The queue is full: look again in 1 ms.
    g_lock.full_queue_polls += 1;
    LeaveCriticalSection(&g_lock.guard);
    Sleep(1);
  }
  TakeLock(me);
  LeaveCriticalSection(&g_lock.guard);
  EndLockUse();
  return true;
}

void ReleaseLock(bool yield) {
  if (!BeginLockUse(false)) {
    assert(false && "ReleaseLibraryLock without the library lock");
    return;
  }
  const DWORD me = GetCurrentThreadId();
  EnterCriticalSection(&g_lock.guard);
  if (g_lock.held == 0 || g_lock.holder != me) {
    LeaveCriticalSection(&g_lock.guard);
    EndLockUse();
    assert(false && "ReleaseLibraryLock by a thread that does not hold the library lock");
    return;
  }
  HANDLE head_event = nullptr;
  if (g_lock.nesting_count == 1) {
    g_lock.held = 0;
    g_lock.holder = kLibraryLockNobody;
    if (g_lock.queue_length > 0) {
      head_event = g_lock.rows[0].event;
      g_lock.head_wakeups += 1;
    }
  }
  g_lock.nesting_count -= 1;
  LeaveCriticalSection(&g_lock.guard);
  // This thread stops counting as a user before it wakes the head: the woken
  // thread may end the library and destroy the lock at once, which it can do
  // only once nobody else counts. The event outlives this gap: the head still
  // counts as a user until it has been woken and has taken the lock.
  EndLockUse();
  if (head_event != nullptr) {
    // The event is set after the guard is left; being manual-reset, it stays
    // set even if the head has not begun to wait yet.
    SetEvent(head_event);
    // Let the woken thread run at once.
    if (yield) Sleep(0);
  }
}

}  // namespace

void AcquireLibraryLock() { AcquireLock(nullptr); }

bool AcquireLibraryLockUnless(bool (*give_up)()) { return AcquireLock(give_up); }

void ReleaseLibraryLock() { ReleaseLock(true); }

void ReleaseLibraryLockWithoutYield() { ReleaseLock(false); }

void LeaveLibraryLockQueue() {
  if (!BeginLockUse(false)) return;
  const DWORD me = GetCurrentThreadId();
  HANDLE wake = nullptr;
  EnterCriticalSection(&g_lock.guard);
  const int32_t n = g_lock.queue_length;
  for (int32_t row = 0; row < n; ++row) {
    if (g_lock.rows[row].thread_id != me) continue;
    const HANDLE my_event = g_lock.rows[row].event;
    for (int32_t behind = row + 1; behind < n; ++behind) {
      g_lock.rows[behind - 1] = g_lock.rows[behind];
    }
    g_lock.rows[n - 1].thread_id = 0;
    g_lock.rows[n - 1].event = my_event;
    g_lock.queue_length = n - 1;
    // The new head may be free to take the lock now.
    if (row == 0 && g_lock.queue_length > 0) {
      wake = g_lock.rows[0].event;
      g_lock.head_wakeups += 1;
    }
    break;
  }
  LeaveCriticalSection(&g_lock.guard);
  // As in a release: stop counting before waking the new head.
  EndLockUse();
  if (wake != nullptr) SetEvent(wake);
}

bool DestroyLibraryLock() {
  // Only a lock that exists and that no thread is working on can be claimed.
  uint32_t life = kAlive;
  if (!g_life.compare_exchange_strong(life, kDestroying, std::memory_order_acquire)) {
    return false;
  }
  EnterCriticalSection(&g_lock.guard);
  const bool idle = g_lock.held == 0 && g_lock.queue_length == 0;
  LeaveCriticalSection(&g_lock.guard);
  if (!idle) {
    g_life.store(kAlive, std::memory_order_release);
    return false;
  }
  DestroyLockObjects();
  g_life.store(kAbsent, std::memory_order_release);
  return true;
}

LibraryLockState ReadLibraryLockState() {
  LibraryLockState state;
  if (!BeginLockUse(false)) {
    return state;
  }
  EnterCriticalSection(&g_lock.guard);
  state.exists = true;
  state.nesting_count = g_lock.nesting_count;
  state.held = g_lock.held;
  state.holder = g_lock.holder;
  state.queue.reserve(static_cast<size_t>(g_lock.queue_length));
  for (int32_t row = 0; row < g_lock.queue_length; ++row) {
    state.queue.push_back(g_lock.rows[row].thread_id);
  }
  state.head_wakeups = g_lock.head_wakeups;
  state.full_queue_polls = g_lock.full_queue_polls;
  LeaveCriticalSection(&g_lock.guard);
  EndLockUse();
  return state;
}
