// A plain POSIX end of a TCP connection over 127.0.0.1, for tests of the
// socket stand-ins and of the network layer on them. It works apart from the
// stand-ins (its own translation unit, its own sockets), so what it sees is
// what went over the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LoopbackPeer {
 public:
  LoopbackPeer() = default;
  // Closes whatever it still holds.
  ~LoopbackPeer();
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  // Listens on 127.0.0.1 with a port of the system's choosing.
  bool Listen();
  // Takes one connection of the listening socket, waiting at most
  // `timeout_ms`. The connection replaces any it held before.
  bool Accept(int timeout_ms);
  // Connects to 127.0.0.1:`port` (host order), waiting at most `timeout_ms`.
  bool Connect(uint16_t port, int timeout_ms);
  // Holds a socket bound to 127.0.0.1 that does not listen: connections to
  // its port are refused.
  bool BindWithoutListening();

  // Its own port (host order): the listening or bound socket's when it holds
  // one, else its connection's local end.
  uint16_t Port() const;

  // Writes all of `size` bytes in one call, or in one call per byte.
  bool Write(const void* bytes, size_t size);
  bool WriteOneByOne(const void* bytes, size_t size);
  // Reads exactly `size` bytes, waiting at most `timeout_ms` in all; false
  // when they did not come (the bytes that did are in `bytes`).
  bool ReadExactly(size_t size, std::vector<uint8_t>* bytes, int timeout_ms);
  // Reads until the other end closes, waiting at most `timeout_ms` in all;
  // false when the close did not come in time (or the connection was reset).
  bool ReadUntilClose(std::vector<uint8_t>* bytes, int timeout_ms);
  // Reads what has come, up to `size` bytes, waiting without a time bound
  // until at least one byte or the end comes (for the benchmarks, whose
  // yardstick is a plain blocking read): the count, 0 at the end of the
  // stream, -1 on failure.
  int64_t ReadSome(void* bytes, size_t size);
  // Appends the bytes that have arrived to `bytes` without waiting; how many.
  size_t ReadAvailable(std::vector<uint8_t>* bytes);

  // Closes the connection in order.
  void Close();
  // Resets the connection: the other end sees a reset, not an orderly end.
  void Reset();

 private:
  int listener_ = -1;  // listening or bound without listening
  int connection_ = -1;
};

// Closes descriptor 0 (standard input), so that the next descriptor the
// system hands out is 0: for tests of code that must not take descriptor 0
// for "no socket".
void CloseStandardInput();
