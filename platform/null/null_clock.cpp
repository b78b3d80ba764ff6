#include "platform/null/null_clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <thread>

#include "platform/host/thread_id.h"

namespace {

constexpr uint64_t kNoDeadline = std::numeric_limits<uint64_t>::max();

// How long the clock waits for a running thread to block again before it
// gives up on it. Only reached when a thread blocks on something the clock
// cannot see (a plain mutex held by the game thread, a socket): the run goes
// on, no longer strictly repeatable, and says so once.
constexpr std::chrono::seconds kSettleLimit{5};

// A timed wait of another thread may miss the wake-up of a clock step (the
// clock cannot take the waited object's lock); it looks again this often.
constexpr std::chrono::milliseconds kOtherPollSlice{2};

// A game-thread wait with nothing left that the clock can move looks for an
// outside signal this often.
constexpr std::chrono::milliseconds kGamePollSlice{5};

uint64_t MillisecondsToMicroseconds(uint32_t ms) { return static_cast<uint64_t>(ms) * 1000; }

// The live clocks, so a thread that ends can be forgotten by each of them.
std::mutex& LiveClocksMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}
std::set<NullClock*>& LiveClocks() {
  static auto* clocks = new std::set<NullClock*>;
  return *clocks;
}

// Tells every live clock, when a thread that has waited on one ends, that it
// will not block again (threads made by CreateThread are also reported by the
// kernel stand-in; this covers the others).
struct ThreadExitReport {
  uint32_t thread = 0;
  ~ThreadExitReport() {
    if (thread == 0) return;
    std::lock_guard<std::mutex> lock(LiveClocksMutex());
    for (NullClock* clock : LiveClocks()) clock->ThreadEnded(thread);
  }
};
thread_local ThreadExitReport exit_report;

}  // namespace

NullClock::NullClock(uint64_t start_microseconds, std::function<void()> on_vertical_blank)
    : now_(start_microseconds),
      consumed_period_(PeriodIndex(start_microseconds)),
      on_vertical_blank_(std::move(on_vertical_blank)) {
  std::lock_guard<std::mutex> lock(LiveClocksMutex());
  LiveClocks().insert(this);
}

NullClock::~NullClock() {
  std::lock_guard<std::mutex> lock(LiveClocksMutex());
  LiveClocks().erase(this);
}

uint64_t NullClock::Peek() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

int NullClock::BlockedThreadCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(waiters_.size());
}

uint64_t NullClock::Microseconds() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (MovesClock()) {
    AdvanceLocked(lock, now_ + kReadStepMicroseconds);
  } else if (game_blocked_ > 0 && ++reads_while_blocked_ > kBusyReads) {
    // The game thread cannot move the clock now, and may be waiting for this
    // very thread. The step does not wait for running threads to settle:
    // this thread may be one of them.
    now_ += kReadStepMicroseconds;
    WakeDueLocked();
  }
  return now_;
}

void NullClock::Sleep(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (MovesClock()) {
    // Sleep(0) lets the threads just woken run before the game thread goes on.
    AdvanceLocked(lock, now_ + MillisecondsToMicroseconds(milliseconds));
    return;
  }
  if (milliseconds == 0) {
    // A yield: the thread is waiting for someone else, so the clock need not
    // wait for it.
    MarkSettledLocked(HostThreadId());
    lock.unlock();
    std::this_thread::yield();
    return;
  }
  OtherSleepUntil(lock, now_ + MillisecondsToMicroseconds(milliseconds));
}

void NullClock::WaitVerticalBlank() {
  std::unique_lock<std::mutex> lock(mutex_);
  const uint64_t target = BoundaryTime(PeriodIndex(now_) + 1);
  if (MovesClock()) {
    AdvanceLocked(lock, target);
  } else {
    OtherSleepUntil(lock, target);
  }
  consumed_period_ = std::max(consumed_period_, PeriodIndex(target));
  const bool game = MovesClock();
  lock.unlock();
  if (game && on_vertical_blank_) on_vertical_blank_();
}

bool NullClock::InVerticalBlank() {
  std::unique_lock<std::mutex> lock(mutex_);
  const bool game = MovesClock();
  if (game) AdvanceLocked(lock, now_ + kReadStepMicroseconds);
  const uint64_t period = PeriodIndex(now_);
  if (period <= consumed_period_) return false;
  // A read that finds the blank consumes it as a wait would: the frame that
  // waited for it starts here.
  consumed_period_ = period;
  lock.unlock();
  if (game && on_vertical_blank_) on_vertical_blank_();
  return true;
}

int NullClock::ScanLine() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (MovesClock()) AdvanceLocked(lock, now_ + kReadStepMicroseconds);
  // The blank starts at the boundary; the visible lines follow it.
  const uint64_t phase = now_ - BoundaryTime(PeriodIndex(now_));
  const int line = std::min<int>(static_cast<int>(phase * 3 * kTotalLines / 50000), kTotalLines - 1);
  return (line + kVisibleLines) % kTotalLines;
}

bool NullClock::WaitFor(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                        uint32_t timeout_milliseconds, const std::function<bool()>& ready) {
  if (ready()) return true;
  if (timeout_milliseconds == 0) return false;
  if (MovesClock()) return GameWait(lock, cv, timeout_milliseconds, ready);
  return OtherWait(lock, cv, timeout_milliseconds, ready);
}

void NullClock::Notify(std::condition_variable& cv) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Waiter* waiter : waiters_) {
      if (waiter->cv == &cv) running_.insert(waiter->thread);
    }
  }
  cv.notify_all();
}

void NullClock::ThreadStarting(uint32_t thread_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_.insert(thread_id);
}

void NullClock::ThreadEnded(uint32_t thread_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  MarkSettledLocked(thread_id);
}

bool NullClock::GameWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                         uint32_t timeout_milliseconds, const std::function<bool()>& ready) {
  const bool timed = timeout_milliseconds != kInfinite;
  uint64_t target = kNoDeadline;
  {
    std::lock_guard<std::mutex> clock_lock(mutex_);
    BeginGameBlockLocked();
    if (timed) target = now_ + MillisecondsToMicroseconds(timeout_milliseconds);
  }
  struct Unblock {
    NullClock* clock;
    ~Unblock() {
      std::lock_guard<std::mutex> clock_lock(clock->mutex_);
      clock->EndGameBlockLocked();
    }
  } unblock{this};
  for (;;) {
    // Let every running thread get as far as it can (the waited object's lock
    // is given up meanwhile, so they can signal it), then look again.
    lock.unlock();
    uint64_t next;
    bool idle;
    {
      std::unique_lock<std::mutex> clock_lock(mutex_);
      SettleLocked(clock_lock);
      next = std::min(target, EarliestDeadlineLocked());
      idle = running_.empty();
    }
    lock.lock();
    if (ready()) return true;
    if (timed && Peek() >= target) return false;
    if (idle && next != kNoDeadline) {
      // Every thread the clock knows of is blocked: nothing can happen before
      // `next` but the clock reaching it.
      lock.unlock();
      {
        std::unique_lock<std::mutex> clock_lock(mutex_);
        AdvanceLocked(clock_lock, next);
      }
      lock.lock();
      continue;
    }
    // Only a thread the clock does not know of can help now.
    if (cv.wait_for(lock, kGamePollSlice, ready)) return true;
  }
}

bool NullClock::OtherWait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                          uint32_t timeout_milliseconds, const std::function<bool()>& ready) {
  exit_report.thread = HostThreadId();
  Waiter waiter{HostThreadId(), timeout_milliseconds != kInfinite, 0, &cv, false};
  {
    std::lock_guard<std::mutex> clock_lock(mutex_);
    if (waiter.has_deadline) waiter.deadline = now_ + MillisecondsToMicroseconds(timeout_milliseconds);
    EnterWaitLocked(&waiter);
  }
  bool result = false;
  for (;;) {
    if (ready()) {
      result = true;
      break;
    }
    {
      std::lock_guard<std::mutex> clock_lock(mutex_);
      if (waiter.has_deadline && now_ >= waiter.deadline) break;
      // Woken (by a signal that another waiter took first): blocked again.
      MarkSettledLocked(waiter.thread);
    }
    if (waiter.has_deadline) {
      cv.wait_for(lock, kOtherPollSlice);
    } else {
      cv.wait(lock);
    }
  }
  std::lock_guard<std::mutex> clock_lock(mutex_);
  LeaveWaitLocked(&waiter);
  return result;
}

void NullClock::OtherSleepUntil(std::unique_lock<std::mutex>& clock_lock, uint64_t deadline) {
  exit_report.thread = HostThreadId();
  Waiter waiter{HostThreadId(), true, deadline, &changed_, false};
  EnterWaitLocked(&waiter);
  changed_.wait(clock_lock, [&] { return now_ >= deadline; });
  LeaveWaitLocked(&waiter);
}

void NullClock::AdvanceLocked(std::unique_lock<std::mutex>& clock_lock, uint64_t target) {
  for (;;) {
    SettleLocked(clock_lock);
    uint64_t next = EarliestDeadlineLocked();
    if (next > target) {
      now_ = std::max(now_, target);
      return;
    }
    now_ = std::max(now_, next);
    WakeDueLocked();
  }
}

void NullClock::BeginGameBlockLocked() {
  if (game_blocked_++ == 0) reads_while_blocked_ = 0;
}

void NullClock::WakeDueLocked() {
  for (Waiter* waiter : waiters_) {
    if (waiter->has_deadline && !waiter->woken && waiter->deadline <= now_) {
      waiter->woken = true;
      running_.insert(waiter->thread);
      if (waiter->cv != &changed_) waiter->cv->notify_all();
    }
  }
  changed_.notify_all();
}

void NullClock::SettleLocked(std::unique_lock<std::mutex>& clock_lock) {
  if (running_.empty()) return;
  // The game thread blocks here until the running threads block again; one of
  // them may be busy waiting on the clock meanwhile.
  const bool game = IsGameThread();
  if (game) BeginGameBlockLocked();
  const bool settled = changed_.wait_for(clock_lock, kSettleLimit, [&] { return running_.empty(); });
  if (game) EndGameBlockLocked();
  if (!settled) {
    static bool warned = false;
    if (!warned) {
      warned = true;
      std::fprintf(stderr,
                   "brimal: null host: a thread has run for %lld s without blocking on the "
                   "clock; going on without it\n",
                   static_cast<long long>(kSettleLimit.count()));
    }
    running_.clear();
  }
}

uint64_t NullClock::EarliestDeadlineLocked() const {
  uint64_t earliest = kNoDeadline;
  for (const Waiter* waiter : waiters_) {
    if (waiter->has_deadline && !waiter->woken) earliest = std::min(earliest, waiter->deadline);
  }
  return earliest;
}

void NullClock::EnterWaitLocked(Waiter* waiter) {
  waiters_.push_back(waiter);
  MarkSettledLocked(waiter->thread);
}

void NullClock::LeaveWaitLocked(Waiter* waiter) {
  waiters_.erase(std::find(waiters_.begin(), waiters_.end(), waiter));
}

void NullClock::MarkSettledLocked(uint32_t thread) {
  if (running_.erase(thread) != 0) changed_.notify_all();
}
