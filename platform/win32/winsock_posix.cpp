#include "platform/win32/winsock_posix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace {

SocketError ErrorOf(int code) {
  switch (code) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
      return SocketError::kWouldBlock;
    case EALREADY:
      return SocketError::kAlready;
    case EFAULT:
      return SocketError::kFault;
    case EMFILE:
    case ENFILE:
      return SocketError::kTooManyOpen;
    case EAFNOSUPPORT:
      return SocketError::kFamilyNotSupported;
    case EADDRINUSE:
      return SocketError::kAddressInUse;
    case EADDRNOTAVAIL:
      return SocketError::kAddressNotAvailable;
    case ENETUNREACH:
      return SocketError::kNetworkUnreachable;
    case ECONNABORTED:
      return SocketError::kAborted;
    case ECONNRESET:
    case EPIPE:
      return SocketError::kReset;
    case ENOBUFS:
    case ENOMEM:
      return SocketError::kNoBuffers;
    case EISCONN:
      return SocketError::kConnected;
    case ENOTCONN:
      return SocketError::kNotConnected;
    case ETIMEDOUT:
      return SocketError::kTimedOut;
    case ECONNREFUSED:
      return SocketError::kRefused;
    case EHOSTUNREACH:
      return SocketError::kHostUnreachable;
    default:  // EINVAL and everything else
      return SocketError::kInvalid;
  }
}

// Runs `call` again while a signal interrupts it; on failure sets `error`.
template <typename Call>
auto Retried(SocketError* error, Call call) {
  for (;;) {
    const auto result = call();
    if (result >= 0) return result;
    if (errno == EINTR) continue;
    *error = ErrorOf(errno);
    return result;
  }
}

sockaddr_in AddressOf(SocketEndPoint end_point) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = end_point.port;
  address.sin_addr.s_addr = end_point.address;
  return address;
}

SocketEndPoint EndPointOf(const sockaddr_in& address) {
  return SocketEndPoint{address.sin_addr.s_addr, address.sin_port};
}

}  // namespace

int PosixSocketOpen(SocketError* error) {
  return Retried(error, [] { return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP); });
}

void PosixSocketClose(int socket) {
  if (socket >= 0) ::close(socket);
}

bool PosixSocketMakeNonBlocking(int socket, SocketError* error) {
  const int flags = Retried(error, [&] { return ::fcntl(socket, F_GETFL); });
  if (flags < 0) return false;
  return Retried(error, [&] { return ::fcntl(socket, F_SETFL, flags | O_NONBLOCK); }) >= 0;
}

bool PosixSocketBind(int socket, SocketEndPoint end_point, SocketError* error) {
  const sockaddr_in address = AddressOf(end_point);
  return Retried(error, [&] {
           return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
         }) == 0;
}

bool PosixSocketListen(int socket, int backlog, SocketError* error) {
  return Retried(error, [&] { return ::listen(socket, backlog); }) == 0;
}

int PosixSocketAccept(int socket, SocketEndPoint* peer, SocketError* error) {
  sockaddr_in address{};
  socklen_t length = sizeof(address);
  const int accepted = Retried(error, [&] {
    length = sizeof(address);
    return ::accept4(socket, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
  });
  if (accepted >= 0) *peer = EndPointOf(address);
  return accepted;
}

bool PosixSocketConnect(int socket, SocketEndPoint end_point, SocketError* error) {
  const sockaddr_in address = AddressOf(end_point);
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) {
    return true;
  }
  if (errno != EINTR) {
    *error = ErrorOf(errno);
    return false;
  }
  // Interrupted, the connect goes on by itself: a blocking socket waits for
  // its end, a non-blocking one reports it under way.
  const int flags = ::fcntl(socket, F_GETFL);
  if (flags >= 0 && (flags & O_NONBLOCK) != 0) {
    *error = SocketError::kWouldBlock;
    return false;
  }
  pollfd entry{socket, POLLOUT, 0};
  while (::poll(&entry, 1, -1) < 0 && errno == EINTR) {
  }
  const SocketError result = PosixSocketTakeError(socket);
  if (result == SocketError::kNone) return true;
  *error = result;
  return false;
}

bool PosixSocketName(int socket, SocketEndPoint* end_point, SocketError* error) {
  sockaddr_in address{};
  socklen_t length = sizeof(address);
  if (Retried(error, [&] {
        return ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
      }) != 0) {
    return false;
  }
  *end_point = EndPointOf(address);
  return true;
}

int64_t PosixSocketReceive(int socket, void* buffer, size_t size, bool peek, SocketError* error) {
  return Retried(error, [&] { return ::recv(socket, buffer, size, peek ? MSG_PEEK : 0); });
}

int64_t PosixSocketSend(int socket, const void* buffer, size_t size, SocketError* error) {
  return Retried(error, [&] { return ::send(socket, buffer, size, MSG_NOSIGNAL); });
}

SocketError PosixSocketTakeError(int socket) {
  int code = 0;
  socklen_t length = sizeof(code);
  if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &code, &length) != 0) return ErrorOf(errno);
  return code == 0 ? SocketError::kNone : ErrorOf(code);
}

SocketReadiness PosixSocketReadiness(int socket, bool listening) {
  SocketReadiness readiness;
  pollfd entry{socket, static_cast<short>(POLLIN | POLLOUT | POLLRDHUP), 0};
  int ready;
  while ((ready = ::poll(&entry, 1, 0)) < 0 && errno == EINTR) {
  }
  if (ready > 0) {
    readiness.readable = (entry.revents & POLLIN) != 0;
    readiness.writable = (entry.revents & POLLOUT) != 0;
    readiness.peer_closed = (entry.revents & (POLLRDHUP | POLLHUP)) != 0;
    readiness.failed = (entry.revents & POLLERR) != 0;
  }
  if (listening) {
    // A listening socket's TCP information counts the connections in its
    // accept queue.
    tcp_info info{};
    socklen_t length = sizeof(info);
    if (::getsockopt(socket, IPPROTO_TCP, TCP_INFO, &info, &length) == 0) {
      readiness.connections = info.tcpi_unacked;
    }
  } else {
    int unread = 0;
    if (::ioctl(socket, FIONREAD, &unread) == 0) readiness.unread = unread;
  }
  return readiness;
}

int64_t PosixSocketUnread(int socket) {
  int unread = 0;
  return ::ioctl(socket, FIONREAD, &unread) == 0 ? unread : -1;
}

bool PosixLookUpIpv4(const char* name, std::vector<uint32_t>* addresses, SocketError* error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int result = ::getaddrinfo(name, nullptr, &hints, &found);
  if (result != 0) {
    *error = result == EAI_MEMORY ? SocketError::kNoBuffers : SocketError::kNameNotFound;
    return false;
  }
  addresses->clear();
  for (const addrinfo* info = found; info != nullptr; info = info->ai_next) {
    if (info->ai_family != AF_INET || info->ai_addrlen < sizeof(sockaddr_in)) continue;
    const uint32_t address = reinterpret_cast<const sockaddr_in*>(info->ai_addr)->sin_addr.s_addr;
    if (std::find(addresses->begin(), addresses->end(), address) == addresses->end()) {
      addresses->push_back(address);
    }
  }
  ::freeaddrinfo(found);
  if (addresses->empty()) {
    *error = SocketError::kNameNotFound;
    return false;
  }
  return true;
}

// ---- The poller ---------------------------------------------------------------

// Edge-triggered: the kernel reports a socket again only when something new
// happens on it, so the thread never spins on a socket whose state it has
// already handed on. The wake-up descriptor is watched under id 0 (socket ids
// start at 1) and ends the thread.
struct SocketPoller::Impl {
  int epoll = -1;
  int wake = -1;
  std::function<void(uint64_t, bool)> on_event;
  std::thread thread;

  ~Impl() {
    PosixSocketClose(wake);
    PosixSocketClose(epoll);
  }

  void Run() {
    constexpr int kBatch = 64;
    epoll_event events[kBatch];
    for (;;) {
      const int count = ::epoll_wait(epoll, events, kBatch, -1);
      if (count < 0) {
        if (errno == EINTR) continue;
        return;
      }
      bool stop = false;
      for (int i = 0; i < count; ++i) {
        if (events[i].data.u64 == 0) {
          stop = true;
        } else {
          on_event(events[i].data.u64,
                   (events[i].events & (EPOLLRDHUP | EPOLLHUP | EPOLLERR)) != 0);
        }
      }
      if (stop) return;
    }
  }
};

SocketPoller::SocketPoller(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

std::unique_ptr<SocketPoller> SocketPoller::Start(
    std::function<void(uint64_t id, bool end_or_failure)> on_event) {
  auto impl = std::make_unique<Impl>();
  impl->on_event = std::move(on_event);
  impl->epoll = ::epoll_create1(EPOLL_CLOEXEC);
  impl->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (impl->epoll < 0 || impl->wake < 0) return nullptr;
  epoll_event wake{};
  wake.events = EPOLLIN;
  wake.data.u64 = 0;
  if (::epoll_ctl(impl->epoll, EPOLL_CTL_ADD, impl->wake, &wake) != 0) return nullptr;
  Impl* raw = impl.get();
  impl->thread = std::thread([raw] { raw->Run(); });
  return std::unique_ptr<SocketPoller>(new SocketPoller(std::move(impl)));
}

SocketPoller::~SocketPoller() {
  const uint64_t one = 1;
  while (::write(impl_->wake, &one, sizeof(one)) < 0 && errno == EINTR) {
  }
  impl_->thread.join();
}

bool SocketPoller::Watch(int socket, uint64_t id) {
  epoll_event event{};
  event.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
  event.data.u64 = id;
  return ::epoll_ctl(impl_->epoll, EPOLL_CTL_ADD, socket, &event) == 0;
}

void SocketPoller::Forget(int socket) {
  epoll_event unused{};
  ::epoll_ctl(impl_->epoll, EPOLL_CTL_DEL, socket, &unused);
}
