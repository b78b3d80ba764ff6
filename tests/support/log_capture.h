// Collects what the runtime's log writes while it lives, through the debugger
// output (line ends as CR LF, no time stamps). It sets UserWindowFlag so that
// no log file is written, and puts both flags back at the end.
#pragma once

#include <string>

#include "platform/win32/kernel.h"
#include "runtime/core/log.h"

class LogCapture {
 public:
  LogCapture() {
    saved_user_window_ = UserWindowFlag;
    saved_log_off_ = LogOffFlag;
    UserWindowFlag = 1;
    LogOffFlag = 0;
    SetDebugOutputSink(&LogCapture::Receive, this);
  }
  ~LogCapture() {
    SetDebugOutputSink(nullptr, nullptr);
    UserWindowFlag = saved_user_window_;
    LogOffFlag = saved_log_off_;
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::string& text() const { return text_; }
  // The text written since the last call.
  std::string TakeNew() {
    std::string fresh = text_.substr(taken_);
    taken_ = text_.size();
    return fresh;
  }
  // How often `line` was written.
  int Count(const std::string& line) const {
    int count = 0;
    for (size_t at = text_.find(line); at != std::string::npos; at = text_.find(line, at + 1)) {
      ++count;
    }
    return count;
  }

 private:
  static void Receive(void* context, LPCSTR text) {
    static_cast<LogCapture*>(context)->text_ += text;
  }
  std::string text_;
  size_t taken_ = 0;
  int saved_user_window_ = 0;
  int saved_log_off_ = 0;
};
