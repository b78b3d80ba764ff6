#include "tests/support/network/recording_sockets.h"

#include <cstring>

RecordingSockets::RecordingSockets() {
  SetSocketCallHook([this](const char* call, SOCKET s, const char* buffer, int length,
                           int flags) { return OnCall(call, s, buffer, length, flags); });
}

RecordingSockets::~RecordingSockets() { SetSocketCallHook(nullptr); }

std::vector<SocketCallRecord> RecordingSockets::CallsOf(const std::string& call, SOCKET s) const {
  std::vector<SocketCallRecord> found;
  for (const SocketCallRecord& record : calls_) {
    if (record.call == call && record.socket == s) found.push_back(record);
  }
  return found;
}

void RecordingSockets::LimitNth(const std::string& call, int n, int length) {
  limits_[{call, n}] = length;
}

void RecordingSockets::FailNth(const std::string& call, int n, int error) {
  failures_[{call, n}] = error;
}

void RecordingSockets::OnNth(const std::string& call, int n, std::function<void()> action) {
  actions_[{call, n}] = std::move(action);
}

void RecordingSockets::OnEach(const std::string& call, std::function<void()> action) {
  each_actions_[call] = std::move(action);
}

int RecordingSockets::Uses(const std::string& call) const {
  const auto found = uses_.find(call);
  return found != uses_.end() ? found->second : 0;
}

SocketCallVerdict RecordingSockets::OnCall(const char* call, SOCKET s, const char* buffer,
                                           int length, int flags) {
  const int use = ++uses_[call];
  const auto key = std::make_pair(std::string(call), use);
  const auto action = actions_.find(key);
  if (action != actions_.end()) {
    // Taken out first: the action may make calls of its own.
    const std::function<void()> run = std::move(action->second);
    actions_.erase(action);
    run();
  }
  if (const auto each = each_actions_.find(call); each != each_actions_.end()) {
    // A copy: the action may replace itself.
    const std::function<void()> run = each->second;
    run();
  }
  SocketCallRecord record{call, s, length, flags, {}};
  if (std::strcmp(call, "send") == 0 && length > 0) record.bytes.assign(buffer, buffer + length);
  calls_.push_back(std::move(record));

  SocketCallVerdict verdict{length, 0};
  if (const auto limit = limits_.find(key); limit != limits_.end()) verdict.length = limit->second;
  if (const auto failure = failures_.find(key); failure != failures_.end()) {
    verdict.error = failure->second;
  }
  return verdict;
}
