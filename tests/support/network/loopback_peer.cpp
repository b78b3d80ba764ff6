#include "tests/support/network/loopback_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

void CloseDescriptor(int* descriptor) {
  if (*descriptor >= 0) ::close(*descriptor);
  *descriptor = -1;
}

int OpenSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

bool BindLoopback(int descriptor) {
  const sockaddr_in address = Loopback(0);
  return ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

// Milliseconds left until `deadline`, at least 0.
int LeftUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until `descriptor` is ready for `events` or the deadline passes.
bool WaitFor(int descriptor, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd entry{descriptor, events, 0};
    const int ready = ::poll(&entry, 1, LeftUntil(deadline));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

LoopbackPeer::~LoopbackPeer() {
  CloseDescriptor(&connection_);
  CloseDescriptor(&listener_);
}

bool LoopbackPeer::Listen() {
  CloseDescriptor(&listener_);
  listener_ = OpenSocket();
  return listener_ >= 0 && BindLoopback(listener_) && ::listen(listener_, SOMAXCONN) == 0;
}

bool LoopbackPeer::Accept(int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  if (listener_ < 0 || !WaitFor(listener_, POLLIN, deadline)) return false;
  const int accepted = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (accepted < 0) return false;
  CloseDescriptor(&connection_);
  connection_ = accepted;
  return true;
}

bool LoopbackPeer::Connect(uint16_t port, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  CloseDescriptor(&connection_);
  connection_ = OpenSocket();
  if (connection_ < 0) return false;
  // Without waiting inside connect, so the time bound holds.
  const int flags = ::fcntl(connection_, F_GETFL);
  ::fcntl(connection_, F_SETFL, flags | O_NONBLOCK);
  const sockaddr_in address = Loopback(port);
  if (::connect(connection_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    if (errno != EINPROGRESS || !WaitFor(connection_, POLLOUT, deadline)) return false;
    int error = 0;
    socklen_t length = sizeof(error);
    if (::getsockopt(connection_, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      return false;
    }
  }
  ::fcntl(connection_, F_SETFL, flags);
  return true;
}

bool LoopbackPeer::BindWithoutListening() {
  CloseDescriptor(&listener_);
  listener_ = OpenSocket();
  return listener_ >= 0 && BindLoopback(listener_);
}

uint16_t LoopbackPeer::Port() const {
  const int descriptor = listener_ >= 0 ? listener_ : connection_;
  sockaddr_in address{};
  socklen_t length = sizeof(address);
  if (descriptor < 0 ||
      ::getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

bool LoopbackPeer::Write(const void* bytes, size_t size) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  while (size > 0) {
    const ssize_t written = ::send(connection_, p, size, MSG_NOSIGNAL);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool LoopbackPeer::WriteOneByOne(const void* bytes, size_t size) {
  // Each byte leaves at once as a segment of its own.
  const int one = 1;
  ::setsockopt(connection_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
  const auto* p = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < size; ++i) {
    if (!Write(p + i, 1)) return false;
  }
  return true;
}

bool LoopbackPeer::ReadExactly(size_t size, std::vector<uint8_t>* bytes, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  bytes->clear();
  uint8_t buffer[65536];
  while (bytes->size() < size) {
    if (!WaitFor(connection_, POLLIN, deadline)) return false;
    const size_t wanted = std::min(sizeof(buffer), size - bytes->size());
    const ssize_t got = ::recv(connection_, buffer, wanted, MSG_DONTWAIT);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) return false;
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
  return true;
}

bool LoopbackPeer::ReadUntilClose(std::vector<uint8_t>* bytes, int timeout_ms) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  bytes->clear();
  uint8_t buffer[65536];
  for (;;) {
    if (!WaitFor(connection_, POLLIN, deadline)) return false;
    const ssize_t got = ::recv(connection_, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    bytes->insert(bytes->end(), buffer, buffer + got);
  }
}

int64_t LoopbackPeer::ReadSome(void* bytes, size_t size) {
  for (;;) {
    const ssize_t got = ::recv(connection_, bytes, size, 0);
    if (got >= 0 || errno != EINTR) return got;
  }
}

size_t LoopbackPeer::ReadAvailable(std::vector<uint8_t>* bytes) {
  uint8_t buffer[65536];
  size_t taken = 0;
  for (;;) {
    const ssize_t got = ::recv(connection_, buffer, sizeof(buffer), MSG_DONTWAIT);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return taken;
    bytes->insert(bytes->end(), buffer, buffer + got);
    taken += static_cast<size_t>(got);
  }
}

void LoopbackPeer::Close() { CloseDescriptor(&connection_); }

void LoopbackPeer::Reset() {
  if (connection_ >= 0) {
    const linger abort_on_close{1, 0};
    ::setsockopt(connection_, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof(abort_on_close));
  }
  CloseDescriptor(&connection_);
}

void CloseStandardInput() { ::close(0); }
