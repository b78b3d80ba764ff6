// The library lock: the one process-wide lock that every API entry takes.
//
// It is recursive (the holder may take it again; it is free after as many
// releases as takes) and hands itself over first come first served: threads
// that find it taken wait in a queue of 4096 rows, each row with its own
// manual-reset event, and a free lock goes only to the head of that queue.
// While the queue is full, further threads poll every 1 ms.
//
// The lock is made on first use and destroyed by DestroyLibraryLock (after
// ApiEndLibrary); a later use makes it anew.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/types.h"

// Rows in the wait queue.
constexpr int32_t kLibraryLockQueueRows = 4096;
// The holder id while nobody holds the lock.
constexpr DWORD kLibraryLockNobody = 0xFFFFFFFFu;

// Takes the lock, waiting in the queue while another thread holds it or
// while other threads wait before this one.
void AcquireLibraryLock();
// Gives up one take of the lock. The last one frees it and wakes the head of
// the queue. A thread that does not hold the lock must not call it: such a
// call changes nothing (and asserts in debug builds).
void ReleaseLibraryLock();

// The message thread's way of taking and giving up the lock. It takes the
// lock by the same rule as AcquireLibraryLock, but while queued it first
// looks at its row's event without waiting and then waits in slices of
// 1000 ms, giving up when `give_up()` says so between slices. A thread that
// gives up keeps its row in the queue: it must call LeaveLibraryLockQueue
// before it ends. Returns whether the lock was taken.
bool AcquireLibraryLockUnless(bool (*give_up)());
// Gives up one take like ReleaseLibraryLock, waking the head when somebody
// waits, but without the yield that follows.
void ReleaseLibraryLockWithoutYield();
// Removes the calling thread's row from the wait queue, if it has one: the
// rows behind move up one place, its event goes to the last row, and when it
// was the head and others still wait, the new head is woken.
void LeaveLibraryLockQueue();

// Destroys the lock (its events and its guard) so that the next use makes it
// anew. Only a lock that nobody holds, nobody waits for and no other thread is
// working on is destroyed; otherwise it stays as it is, since destroying it
// would pull the events and the guard from under their users. Returns whether
// the lock was destroyed (false as well when it did not exist).
bool DestroyLibraryLock();

// Takes the lock for the lifetime of the object.
class ScopedLibraryLock {
 public:
  ScopedLibraryLock() { AcquireLibraryLock(); }
  ~ScopedLibraryLock() { ReleaseLibraryLock(); }
  ScopedLibraryLock(const ScopedLibraryLock&) = delete;
  ScopedLibraryLock& operator=(const ScopedLibraryLock&) = delete;
};

// A consistent picture of the lock, read under its guard, for tests and
// diagnostics. Reading it neither creates the lock nor waits for it.
struct LibraryLockState {
  bool exists = false;          // made and not destroyed since
  int32_t nesting_count = 0;    // takes by the holder not yet released
  int32_t held = 0;             // 1 while some thread holds the lock
  DWORD holder = kLibraryLockNobody;
  std::vector<DWORD> queue;     // thread ids of the waiting rows, head first
  uint32_t head_wakeups = 0;    // releases that woke the head of the queue
  uint32_t full_queue_polls = 0;  // times a thread found the queue full and slept
};
LibraryLockState ReadLibraryLockState();
