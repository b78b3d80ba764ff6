// The POSIX calls behind the socket stand-ins, and the one thread that watches
// every socket, kept in their own translation unit so that POSIX socket names
// never meet the WinSock-named ones. Sockets here are TCP over IPv4, reached
// through their descriptors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Why a socket call failed, numbered as the socket stand-ins report it.
enum class SocketError : int {
  kNone = 0,
  kFault = 10014,
  kInvalid = 10022,
  kTooManyOpen = 10024,
  kWouldBlock = 10035,
  kAlready = 10037,
  kFamilyNotSupported = 10047,
  kAddressInUse = 10048,
  kAddressNotAvailable = 10049,
  kNetworkUnreachable = 10051,
  kAborted = 10053,
  kReset = 10054,
  kNoBuffers = 10055,
  kConnected = 10056,
  kNotConnected = 10057,
  kTimedOut = 10060,
  kRefused = 10061,
  kHostUnreachable = 10065,
  kNameNotFound = 11001,
};

// An IPv4 end point as it is on the wire: the address's 4 bytes and the port,
// both in network order, kept in memory order.
struct SocketEndPoint {
  uint32_t address = 0;
  uint16_t port = 0;
};

// Each call that can fail returns -1 (or false) and sets `error`. Calls are
// retried when a signal interrupts them.
int PosixSocketOpen(SocketError* error);
void PosixSocketClose(int socket);
bool PosixSocketMakeNonBlocking(int socket, SocketError* error);
bool PosixSocketBind(int socket, SocketEndPoint end_point, SocketError* error);
bool PosixSocketListen(int socket, int backlog, SocketError* error);
// Gives the new descriptor and the peer's end point.
int PosixSocketAccept(int socket, SocketEndPoint* peer, SocketError* error);
// true when connected at once. A connect under way fails with kWouldBlock.
bool PosixSocketConnect(int socket, SocketEndPoint end_point, SocketError* error);
bool PosixSocketName(int socket, SocketEndPoint* end_point, SocketError* error);
// The bytes taken (or seen, with `peek`); 0 at the end of the stream.
int64_t PosixSocketReceive(int socket, void* buffer, size_t size, bool peek, SocketError* error);
// Never raises a signal: a peer that has gone gives kReset.
int64_t PosixSocketSend(int socket, const void* buffer, size_t size, SocketError* error);
// Takes the socket's pending error (kNone when there is none).
SocketError PosixSocketTakeError(int socket);

// What a socket is ready for right now, without waiting.
struct SocketReadiness {
  bool readable = false;  // bytes or a connection wait, or the end was reached
  bool writable = false;
  bool peer_closed = false;  // the peer will send nothing more
  bool failed = false;  // an error is pending (a reset, a failed connect)
  int64_t unread = 0;  // bytes waiting to be read (stream sockets)
  int64_t connections = 0;  // connections waiting to be accepted (listening sockets)
};
SocketReadiness PosixSocketReadiness(int socket, bool listening);
// The bytes waiting to be read on a stream socket, or -1 when the system
// cannot tell.
int64_t PosixSocketUnread(int socket);

// The IPv4 addresses of `name`, looked up by the system's resolver, each in
// network order; false with kNameNotFound when there is none.
bool PosixLookUpIpv4(const char* name, std::vector<uint32_t>* addresses, SocketError* error);

// One thread that blocks in the kernel until something happens on one of the
// watched sockets (bytes or a connection arrive, room to send, the end or a
// failure), then calls `on_event` with the id the socket was watched under
// and whether the socket's end or a failure may be among the happenings (when
// not, only bytes or room to send came).
// Several happenings between two calls may come as one call, and a call may
// come when nothing changed: `on_event` looks at the socket itself.
class SocketPoller {
 public:
  // Starts the thread; null when the system refuses.
  static std::unique_ptr<SocketPoller> Start(
      std::function<void(uint64_t id, bool end_or_failure)> on_event);
  // Stops and joins the thread. Must not be called from `on_event`.
  ~SocketPoller();
  SocketPoller(const SocketPoller&) = delete;
  SocketPoller& operator=(const SocketPoller&) = delete;

  bool Watch(int socket, uint64_t id);
  void Forget(int socket);

 private:
  struct Impl;
  explicit SocketPoller(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};
