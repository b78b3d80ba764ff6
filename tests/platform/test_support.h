// Helpers shared by the stand-in layer's tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/dsound.h"
#include "platform/win32/kernel.h"

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

// The names a folder search yields, in order; empty when FindFirstFileA fails.
inline std::vector<std::string> SearchNames(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(data.cFileName);
  } while (FindNextFileA(search, &data));
  EXPECT_FALSE(FindNextFileA(search, &data));  // the end stays the end
  EXPECT_TRUE(FindClose(search));
  return names;
}

// Mixes the sound buffers on a thread of its own, as the host's audio thread
// does, from construction to destruction; a test that returns early (a failed
// ASSERT) still stops and joins it.
class BackgroundMixer {
 public:
  BackgroundMixer(int frames_per_mix, int rate)
      : thread_([this, frames_per_mix, rate] {
          std::vector<int16_t> frames(static_cast<size_t>(frames_per_mix) * 2);
          while (!done_.load()) {
            MixSoundBuffers(frames.data(), frames_per_mix, rate);
            mixes_.fetch_add(1);
          }
        }) {}
  ~BackgroundMixer() { Stop(); }
  BackgroundMixer(const BackgroundMixer&) = delete;
  BackgroundMixer& operator=(const BackgroundMixer&) = delete;

  // Returns once the thread has finished `count` more whole mixes.
  void AfterMixes(uint64_t count) const {
    const uint64_t target = mixes_.load() + count + 1;
    while (mixes_.load() < target) std::this_thread::yield();
  }
  void Stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::atomic<uint64_t> mixes_{0};
  std::thread thread_;
};
