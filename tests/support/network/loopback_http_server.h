// A tiny HTTP server over 127.0.0.1 for tests and benchmarks, in plain POSIX
// (its own translation unit; the header names no POSIX or WinSock type).
//
// It listens with a port of the system's choosing and serves its
// connections on a thread of its own, several at once. From each it reads
// the request up to its blank line ("\r\n\r\n", or "\n\n": bare LF ends lines
// too) and the body its Content-Length announces, and keeps the raw bytes; it
// can read slowly, at a pace the step counter sets.
// Then it writes the connection's scripted answer: the pieces in order, each
// once the test's step counter has reached the piece's step, and after them
// it closes, resets or keeps the connection as the script says, again once
// the counter has reached the end's step. The counter only moves when the
// test says so, so pieces land in chosen frames without any sleep. The
// server stops by itself once every connection it expects has ended, or
// after its time bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct HttpAnswerPiece {
  std::string bytes;
  int step = 0;  // written once the counter is at least this
};

enum class HttpAnswerEnd {
  kClose,     // an orderly close
  kReset,     // a reset (SO_LINGER 0)
  kKeepOpen,  // left open until the server stops
};

struct HttpAnswer {
  std::vector<HttpAnswerPiece> pieces;
  HttpAnswerEnd end = HttpAnswerEnd::kClose;
  // The end comes once the counter is at least this and every piece is out;
  // -1: right after the last piece.
  int end_step = -1;
};

// The whole answer at step `step`, then the close.
HttpAnswer WholeAnswer(const std::string& bytes, int step = 0);

class LoopbackHttpServer {
 public:
  // `answer_for(index, request)` gives the answer to the index-th connection
  // (0 first, in the order they were accepted) once its request is in.
  // `connections`: how many connections the script expects; the server stops
  // once that many have ended. `time_bound_ms`: it stops then at the latest.
  using AnswerFor = std::function<HttpAnswer(int index, const std::string& request)>;
  LoopbackHttpServer(AnswerFor answer_for, int connections, int time_bound_ms = 20000);
  // Stops the server (closing what is still open) and joins its thread.
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  // Before Start: reads each request at most `bytes_per_step` bytes for
  // each step the counter has moved on (nothing at step 0), as a server
  // that takes its time reads. 0, the default, reads what comes at once.
  void ReadSlowly(size_t bytes_per_step);
  // Listens and starts the thread; false when the system refused.
  bool Start();
  // Its port, host order.
  uint16_t Port() const;

  // The step counter; pieces and ends whose step it has reached go out.
  void SetStep(int step);
  int Step() const;

  // The raw request of the index-th connection so far ("" before it came).
  std::string Request(int index) const;
  // Connections accepted so far.
  int Accepted() const;
  // Bytes written to the index-th connection so far.
  size_t Written(int index) const;
  // Whether the index-th connection has ended as its script says (closed or
  // reset; a kept connection counts once all its pieces are out).
  bool Ended(int index) const;
  // Whether the server has stopped by itself.
  bool Stopped() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
