#include "platform/host/host.h"

#include <cstdio>
#include <cstdlib>

#include "platform/host/thread_id.h"

namespace {

// The installed host. It is deliberately never destroyed at program exit:
// threads that outlive main (as Windows threads may) can still be waiting on
// its clock while static destructors run.
std::atomic<Host*> installed_host{nullptr};

}  // namespace

void ClockHost::SetGameThread() { game_thread_.store(HostThreadId()); }

bool ClockHost::IsGameThread() const { return game_thread_.load() == HostThreadId(); }

void InstallHost(std::unique_ptr<Host> host) {
  Host* previous = installed_host.exchange(host.release());
  delete previous;
}

Host& CurrentHost() {
  Host* host = installed_host.load();
  if (host == nullptr) {
    std::fprintf(stderr, "brimal: no host is installed\n");
    std::abort();
  }
  return *host;
}

bool HostInstalled() { return installed_host.load() != nullptr; }
