// The scriptable display: records every call of the DirectDraw stand-in (and
// of ChangeDisplaySettingsA) by name, in order, and makes a named call fail
// on chosen uses, for as long as the script lives.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ddraw.h"

class DisplayScript {
 public:
  DisplayScript() {
    SetDisplayCallHook([this](const char* call) { return OnCall(call); });
  }
  ~DisplayScript() { SetDisplayCallHook(nullptr); }
  DisplayScript(const DisplayScript&) = delete;
  DisplayScript& operator=(const DisplayScript&) = delete;

  // Fails the `nth` use (1 = the first from now) of `call` with `result`.
  void FailOn(const std::string& call, int nth, HRESULT result = E_FAIL) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_[call][nth] = result;
  }
  // Fails every use of `call` from now on.
  void FailAlways(const std::string& call, HRESULT result = E_FAIL) {
    std::lock_guard<std::mutex> lock(mutex_);
    always_[call] = result;
  }

  std::vector<std::string> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  // How often `call` was made.
  int Count(const std::string& call) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = counts_.find(call);
    return found == counts_.end() ? 0 : found->second;
  }

 private:
  HRESULT OnCall(const char* call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
    const int use = ++counts_[call];
    auto always = always_.find(call);
    if (always != always_.end()) return always->second;
    auto planned = failures_.find(call);
    if (planned != failures_.end()) {
      auto nth = planned->second.find(use);
      if (nth != planned->second.end()) return nth->second;
    }
    return S_OK;
  }

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::map<std::string, int> counts_;
  std::map<std::string, std::map<int, HRESULT>> failures_;
  std::map<std::string, HRESULT> always_;
};
