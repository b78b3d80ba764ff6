// The null host's virtual clock (microseconds). The game thread moves it: by
// the length of a Sleep or of a timed wait that times out, to the next 1/60 s
// boundary at a vertical-blank wait, and by 10 us at every read of the clock,
// of the blank status or of the scan line. Other threads' sleeps and timed
// waits end when the clock reaches their deadline (or their object is
// signalled) and never move it. One exception: while the game thread is
// blocked in a wait the clock sees, other threads that keep reading the clock
// move it by the read step at each read past the first kBusyReads, so a busy
// wait on the clock off the game thread ends even while the game thread waits
// for that thread. The first reads leave the clock alone: a thread that reads
// it a few times while the game thread happens to block (the message thread's
// pass) keeps runs repeatable.
//
// To make runs repeatable the clock also keeps track of the threads it knows
// to be running (a thread it woke at a deadline, a thread whose wait object was
// signalled, a thread just started) and does not move on until each of them
// has blocked again or ended. When the game thread waits for something and
// every known thread is blocked, nothing can happen before the earliest
// deadline, so the clock moves there.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include "platform/host/host.h"

class NullClock : public ClockHost {
 public:
  static constexpr uint64_t kReadStepMicroseconds = 10;
  // Reads by other threads during one block of the game thread that leave the
  // clock alone.
  static constexpr int kBusyReads = 1000;
  // Scan lines of one 1/60 s period: 480 visible lines, then the blank.
  static constexpr int kVisibleLines = 480;
  static constexpr int kTotalLines = 525;

  // `on_vertical_blank` runs on the game thread after each of its
  // vertical-blank waits, once the clock stands on the boundary, and after
  // each of its blank-status reads that finds a blank (which consumes it as
  // a wait does).
  NullClock(uint64_t start_microseconds, std::function<void()> on_vertical_blank);
  ~NullClock() override;

  uint64_t Microseconds() override;
  void Sleep(uint32_t milliseconds) override;
  void WaitVerticalBlank() override;
  bool InVerticalBlank() override;
  int ScanLine() override;
  bool WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
               uint32_t timeout_milliseconds, const std::function<bool()>& ready) override;
  void Notify(std::condition_variable& cv) override;
  void ThreadStarting(uint32_t thread_id) override;
  void ThreadEnded(uint32_t thread_id) override;

  // The clock's value without counting as a read.
  uint64_t Peek() const;
  // How many threads are blocked in a wait on this clock right now (for tests
  // that must see a thread waiting before they go on).
  int BlockedThreadCount() const;

  // Index of the 1/60 s period holding `t`, and the first microsecond of
  // period `k` (boundary k lies at k * 50000 / 3 us, rounded up).
  static uint64_t PeriodIndex(uint64_t t) { return t * 3 / 50000; }
  static uint64_t BoundaryTime(uint64_t k) { return (k * 50000 + 2) / 3; }

 private:
  struct Waiter {
    uint32_t thread;
    bool has_deadline;
    uint64_t deadline;
    std::condition_variable* cv;
    bool woken;  // its deadline has passed and it has been told
  };

  // Whether the calling thread moves the clock: the game thread, or any
  // thread while no game thread has been named.
  bool MovesClock() const { return IsGameThread() || !HasGameThread(); }

  bool GameWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                uint32_t timeout_milliseconds, const std::function<bool()>& ready);
  bool OtherWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                 uint32_t timeout_milliseconds, const std::function<bool()>& ready);
  void OtherSleepUntil(std::unique_lock<std::mutex>& clock_lock, uint64_t deadline);

  // All with mutex_ held.
  void AdvanceLocked(std::unique_lock<std::mutex>& clock_lock, uint64_t target);
  // Wakes the waiters whose deadline the clock has reached.
  void WakeDueLocked();
  // The game thread starts or ends being blocked in a wait of the clock.
  void BeginGameBlockLocked();
  void EndGameBlockLocked() { --game_blocked_; }
  void SettleLocked(std::unique_lock<std::mutex>& clock_lock);
  uint64_t EarliestDeadlineLocked() const;
  void EnterWaitLocked(Waiter* waiter);
  void LeaveWaitLocked(Waiter* waiter);
  void MarkSettledLocked(uint32_t thread);

  mutable std::mutex mutex_;
  std::condition_variable changed_;  // the clock moved or a running thread settled
  uint64_t now_;
  uint64_t consumed_period_;  // the last period whose boundary a wait or status read took
  std::vector<Waiter*> waiters_;
  std::set<uint32_t> running_;  // known threads not yet blocked again
  int game_blocked_ = 0;  // the game thread is blocked in a wait of the clock
  int reads_while_blocked_ = 0;  // by other threads, since the game thread blocked
  std::function<void()> on_vertical_blank_;
};
