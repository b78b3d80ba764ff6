// The scriptable file layer: records the stand-in's writing calls
// (WriteFile, FlushFileBuffers, MoveFileExA) by name, in order, and makes a
// named call fail on a chosen use, as a failing disk would, for as long as
// the script lives.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/kernel.h"

class FileCallScript {
 public:
  FileCallScript() { SetFileCallHook(&FileCallScript::OnCall, this); }
  ~FileCallScript() { SetFileCallHook(nullptr, nullptr); }
  FileCallScript(const FileCallScript&) = delete;
  FileCallScript& operator=(const FileCallScript&) = delete;

  // Fails the `nth` use (1 = the first from now) of `call`.
  void FailOn(const std::string& call, int nth) {
    std::lock_guard<std::mutex> lock(mutex_);
    failures_.insert({call, nth});
  }

  std::vector<std::string> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }

 private:
  static bool OnCall(void* context, LPCSTR call) {
    auto* script = static_cast<FileCallScript*>(context);
    std::lock_guard<std::mutex> lock(script->mutex_);
    script->calls_.push_back(call);
    const int use = ++script->counts_[call];
    return script->failures_.count({call, use}) == 0;
  }

  mutable std::mutex mutex_;
  std::vector<std::string> calls_;
  std::map<std::string, int> counts_;
  std::set<std::pair<std::string, int>> failures_;
};
