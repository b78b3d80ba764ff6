#include "platform/win32/kernel.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "platform/host/host.h"
#include "platform/host/not_emulated.h"
#include "platform/host/thread_id.h"
#include "platform/win32/handle_table.h"

namespace {

// ---- Kernel objects and their handles -------------------------------------

// A waitable object: its state lives under `mutex`; waiters sleep on `cv`.
struct KernelObject : HandleObject {
  // Whether a wait would be satisfied now (mutex held).
  virtual bool Signalled() const = 0;
  // What a satisfied wait does to the object (mutex held): an auto-reset
  // event clears itself.
  virtual void Consume() {}

  std::mutex mutex;
  std::condition_variable cv;
};

struct EventObject : KernelObject {
  EventObject(bool manual, bool initial) : manual_reset(manual), signalled(initial) {}
  bool Signalled() const override { return signalled; }
  void Consume() override {
    if (!manual_reset) signalled = false;
  }
  const bool manual_reset;
  bool signalled;
};

struct ThreadObject : KernelObject {
  bool Signalled() const override { return ended; }
  bool ended = false;
  DWORD exit_code = STILL_ACTIVE;
};

// The table is never destroyed: detached threads may still reach it while the
// program exits.
class HandleTable {
 public:
  HANDLE Add(std::shared_ptr<HandleObject> object) {
    std::lock_guard<std::mutex> lock(mutex_);
    next_ += 4;
    objects_[next_] = std::move(object);
    return reinterpret_cast<HANDLE>(next_);
  }

  std::shared_ptr<HandleObject> Find(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects_.end() ? nullptr : it->second;
  }

  // The removed object is released after the table's lock is let go: its
  // destructor may take locks of its own (an open file leaves the table of
  // open files).
  bool Remove(HANDLE handle, bool (*accept)(const HandleObject&)) {
    std::shared_ptr<HandleObject> removed;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
      if (it == objects_.end() || (accept != nullptr && !accept(*it->second))) return false;
      removed = std::move(it->second);
      objects_.erase(it);
    }
    return true;
  }

 private:
  std::mutex mutex_;
  uintptr_t next_ = 0;
  std::unordered_map<uintptr_t, std::shared_ptr<HandleObject>> objects_;
};

HandleTable& Handles() {
  static auto* table = new HandleTable;
  return *table;
}

ClockHost& HostClock() { return CurrentHost().Clock(); }

// Wakes the waiters of an object whose state just changed (its lock held).
// Without a host nobody can be waiting through it.
void NotifyWaiters(std::condition_variable& cv) {
  if (HostInstalled()) {
    HostClock().Notify(cv);
  } else {
    cv.notify_all();
  }
}

// ---- Critical sections ----------------------------------------------------

struct CriticalSectionImpl {
  std::mutex mutex;
  std::condition_variable cv;
  uint32_t owner = 0;  // thread id, 0 when free
  int count = 0;
  int waiting = 0;  // threads blocked in EnterCriticalSection
};

CriticalSectionImpl* Impl(CRITICAL_SECTION* section, const char* call) {
  RequireEmulated(section != nullptr && section->impl != nullptr, call,
                  "the critical section is not initialised", section);
  return static_cast<CriticalSectionImpl*>(section->impl);
}

// ---- Threads --------------------------------------------------------------

// Thrown by ExitThread and caught where the thread started.
struct ThreadExit {
  DWORD code;
};

}  // namespace

// ---- Handles ------------------------------------------------------------------

HANDLE AddHandle(std::shared_ptr<HandleObject> object) { return Handles().Add(std::move(object)); }

std::shared_ptr<HandleObject> FindHandle(HANDLE handle) { return Handles().Find(handle); }

bool RemoveHandle(HANDLE handle, bool (*accept)(const HandleObject& object)) {
  return Handles().Remove(handle, accept);
}

// ---- Critical sections ------------------------------------------------------

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  section->impl = new CriticalSectionImpl;
}

void DeleteCriticalSection(CRITICAL_SECTION* section) {
  CriticalSectionImpl* impl = Impl(section, "DeleteCriticalSection");
  RequireEmulated(impl->count == 0, "DeleteCriticalSection", "the critical section is held",
                  impl->count);
  delete impl;
  section->impl = nullptr;
}

void EnterCriticalSection(CRITICAL_SECTION* section) {
  CriticalSectionImpl* impl = Impl(section, "EnterCriticalSection");
  const uint32_t me = HostThreadId();
  std::unique_lock<std::mutex> lock(impl->mutex);
  if (impl->owner == me) {
    ++impl->count;
    return;
  }
  if (impl->owner != 0) {
    ++impl->waiting;
    HostClock().WaitFor(lock, impl->cv, ClockHost::kInfinite, [impl] { return impl->owner == 0; });
    --impl->waiting;
  }
  impl->owner = me;
  impl->count = 1;
}

void LeaveCriticalSection(CRITICAL_SECTION* section) {
  CriticalSectionImpl* impl = Impl(section, "LeaveCriticalSection");
  std::unique_lock<std::mutex> lock(impl->mutex);
  RequireEmulated(impl->owner == HostThreadId(), "LeaveCriticalSection",
                  "left by a thread that does not hold it; its holder is thread", impl->owner);
  if (--impl->count == 0) {
    impl->owner = 0;
    if (impl->waiting > 0) HostClock().Notify(impl->cv);
  }
}

// ---- Events -------------------------------------------------------------------

HANDLE CreateEventA(void* security, BOOL manual_reset, BOOL initial_state, LPCSTR name) {
  RequireEmulated(security == nullptr, "CreateEventA", "event security attributes are not emulated",
                  security);
  RequireEmulated(name == nullptr, "CreateEventA", "named events are not emulated", name);
  return AddHandle(std::make_shared<EventObject>(manual_reset != 0, initial_state != 0));
}

BOOL SetEvent(HANDLE event) {
  auto object = FindHandleAs<EventObject>(event);
  if (!object) return FALSE;
  std::lock_guard<std::mutex> lock(object->mutex);
  object->signalled = true;
  NotifyWaiters(object->cv);
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  auto object = FindHandleAs<EventObject>(event);
  if (!object) return FALSE;
  std::lock_guard<std::mutex> lock(object->mutex);
  object->signalled = false;
  return TRUE;
}

// ---- Threads ------------------------------------------------------------------

HANDLE CreateThread(void* security, SIZE_T stack_size, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creation_flags, LPDWORD thread_id) {
  (void)stack_size;  // the platform's default stack is large enough
  RequireEmulated(security == nullptr, "CreateThread", "thread security attributes are not emulated",
                  security);
  RequireEmulated(creation_flags == 0, "CreateThread", "thread creation flags are not emulated",
                  creation_flags);
  if (start == nullptr) return nullptr;

  auto object = std::make_shared<ThreadObject>();
  const uint32_t id = ReserveHostThreadId();
  ClockHost& clock = HostClock();
  clock.ThreadStarting(id);
  try {
    std::thread([object, start, parameter, id] {
      AdoptHostThreadId(id);
      DWORD code;
      try {
        code = start(parameter);
      } catch (const ThreadExit& exit) {
        code = exit.code;
      }
      ClockHost& clock = HostClock();
      {
        std::lock_guard<std::mutex> lock(object->mutex);
        object->exit_code = code;
        object->ended = true;
        clock.Notify(object->cv);
      }
      clock.ThreadEnded(id);
    }).detach();
  } catch (const std::system_error&) {
    clock.ThreadEnded(id);
    return nullptr;
  }
  if (thread_id != nullptr) *thread_id = id;
  return AddHandle(object);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exit_code) {
  auto object = FindHandleAs<ThreadObject>(thread);
  if (!object || exit_code == nullptr) return FALSE;
  std::lock_guard<std::mutex> lock(object->mutex);
  *exit_code = object->exit_code;
  return TRUE;
}

void ExitThread(DWORD exit_code) { throw ThreadExit{exit_code}; }

// ---- Waiting and handles --------------------------------------------------------

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::shared_ptr<KernelObject> object = FindHandleAs<KernelObject>(handle);
  if (!object) {
    RequireEmulated(FindHandle(handle) == nullptr, "WaitForSingleObject",
                    "only events and threads can be waited for", handle);
    return WAIT_FAILED;
  }
  std::unique_lock<std::mutex> lock(object->mutex);
  KernelObject* raw = object.get();
  if (!HostClock().WaitFor(lock, object->cv, milliseconds, [raw] { return raw->Signalled(); })) {
    return WAIT_TIMEOUT;
  }
  object->Consume();
  return WAIT_OBJECT_0;
}

BOOL CloseHandle(HANDLE object) {
  const bool closed =
      RemoveHandle(object, [](const HandleObject& named) { return named.ClosedByCloseHandle(); });
  RequireEmulated(closed || !FindHandle(object), "CloseHandle",
                  "a folder search is closed by FindClose", object);
  return closed ? TRUE : FALSE;
}

DWORD GetCurrentThreadId() { return HostThreadId(); }

void Sleep(DWORD milliseconds) { HostClock().Sleep(milliseconds); }

// ---- Time ---------------------------------------------------------------------------

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (count == nullptr) return FALSE;
  count->QuadPart = static_cast<LONGLONG>(HostClock().Microseconds());
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (frequency == nullptr) return FALSE;
  frequency->QuadPart = 1000000;
  return TRUE;
}

DWORD GetTickCount() { return HostClock().Milliseconds(); }
