// A recording double of the socket calls recv and send, over the socket
// stand-ins' call hook. While it lives it records every recv and send call in
// order, and can cut a named call's length, fail it, or run an action at its
// start on its n-th use (counted from the double's making). The calls still
// reach the stand-in, so real sockets stay behind them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/winsock.h"

struct SocketCallRecord {
  std::string call;  // "recv" or "send"
  SOCKET socket;
  int length;  // as the caller gave it
  int flags;
  std::vector<uint8_t> bytes;  // send: the bytes the caller gave
};

class RecordingSockets {
 public:
  RecordingSockets();
  ~RecordingSockets();
  RecordingSockets(const RecordingSockets&) = delete;
  RecordingSockets& operator=(const RecordingSockets&) = delete;

  // Every call so far, oldest first; those of one call name and socket.
  const std::vector<SocketCallRecord>& calls() const { return calls_; }
  std::vector<SocketCallRecord> CallsOf(const std::string& call, SOCKET s) const;

  // The n-th use of `call` (1 = the first) goes on with at most `length`
  // bytes.
  void LimitNth(const std::string& call, int n, int length);
  // The n-th use of `call` fails with `error`.
  void FailNth(const std::string& call, int n, int error);
  // `action` runs at the start of the n-th use of `call`, before the call
  // does anything (and before it is recorded).
  void OnNth(const std::string& call, int n, std::function<void()> action);

  // `action` runs at the start of every use of `call`, after any action of
  // OnNth.
  void OnEach(const std::string& call, std::function<void()> action);

  // Uses of `call` so far.
  int Uses(const std::string& call) const;

 private:
  SocketCallVerdict OnCall(const char* call, SOCKET s, const char* buffer, int length, int flags);

  std::vector<SocketCallRecord> calls_;
  std::map<std::string, int> uses_;
  std::map<std::pair<std::string, int>, int> limits_;
  std::map<std::pair<std::string, int>, int> failures_;
  std::map<std::pair<std::string, int>, std::function<void()>> actions_;
  std::map<std::string, std::function<void()>> each_actions_;
};
