// Helpers shared by the stand-in layer's tests.
#pragma once

#include <thread>

#include "platform/host/host.h"
#include "platform/null/null_host.h"

// The null host installed by the test entry.
inline NullHost& InstalledNullHost() { return dynamic_cast<NullHost&>(CurrentHost()); }

// Waits, without sleeping, until `count` threads are blocked on the installed
// null host's clock.
inline void AwaitBlockedThreads(int count) {
  while (InstalledNullHost().BlockedThreadCount() != count) std::this_thread::yield();
}

// Installs `host` for the scope of a test, then a fresh default null host with
// the test thread as its game thread again.
class ScopedHost {
 public:
  explicit ScopedHost(std::unique_ptr<Host> host) {
    InstallHost(std::move(host));
    CurrentHost().Clock().SetGameThread();
  }
  ~ScopedHost() {
    InstallHost(std::make_unique<NullHost>(NullHostOptions{}));
    CurrentHost().Clock().SetGameThread();
  }
  ScopedHost(const ScopedHost&) = delete;
  ScopedHost& operator=(const ScopedHost&) = delete;
};
