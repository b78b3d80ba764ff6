#include "bench/posix_stream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace {

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

}  // namespace

int PosixListenLoopback(uint16_t* port) {
  const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return -1;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof(address);
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listener, SOMAXCONN) != 0 ||
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return listener;
}

int PosixAcceptConnection(int listener) {
  for (;;) {
    const int accepted = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (accepted >= 0 || errno != EINTR) return accepted;
  }
}

int PosixConnectLoopback(uint16_t port) {
  const int connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (connection < 0) return -1;
  const sockaddr_in address = Loopback(port);
  if (::connect(connection, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(connection);
    return -1;
  }
  return connection;
}

bool PosixWriteAll(int socket, const void* bytes, size_t size) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  while (size > 0) {
    const ssize_t written = ::send(socket, p, size, MSG_NOSIGNAL);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

int64_t PosixReadSome(int socket, void* bytes, size_t size) {
  for (;;) {
    const ssize_t got = ::recv(socket, bytes, size, 0);
    if (got >= 0 || errno != EINTR) return got;
  }
}

void PosixCloseSocket(int socket) {
  if (socket >= 0) ::close(socket);
}
