#include "tests/support/network/loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Connection {
  int descriptor = -1;
  std::string request;
  // The request's whole length once its head is in (0 before).
  size_t request_length = 0;
  bool request_in = false;
  HttpAnswer answer;
  size_t piece = 0;  // the next piece to write
  size_t piece_written = 0;  // of it
  size_t written = 0;
  bool ended = false;
};

// The request's length once its head is in (its announced body counted,
// whether it has come or not); 0 before.
size_t RequestLength(const std::string& request) {
  size_t head_end = std::string::npos;
  const size_t crlf = request.find("\r\n\r\n");
  const size_t lf = request.find("\n\n");
  if (crlf != std::string::npos) head_end = crlf + 4;
  if (lf != std::string::npos && (head_end == std::string::npos || lf + 2 < head_end)) {
    head_end = lf + 2;
  }
  if (head_end == std::string::npos) return 0;
  std::string head = request.substr(0, head_end);
  std::transform(head.begin(), head.end(), head.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  size_t body = 0;
  const size_t field = head.find("\ncontent-length:");
  if (field != std::string::npos) body = std::strtoul(head.c_str() + field + 16, nullptr, 10);
  return head_end + body;
}

void SetNonBlocking(int descriptor) {
  ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) | O_NONBLOCK);
}

}  // namespace

HttpAnswer WholeAnswer(const std::string& bytes, int step) {
  HttpAnswer answer;
  answer.pieces.push_back({bytes, step});
  return answer;
}

struct LoopbackHttpServer::Impl {
  AnswerFor answer_for;
  int expected;
  int time_bound_ms;
  size_t read_bytes_per_step = 0;  // 0: no bound
  int listener = -1;
  int wake[2] = {-1, -1};
  uint16_t port = 0;

  mutable std::mutex mutex;
  std::vector<Connection> connections;
  int step = 0;
  bool stopped = false;
  std::atomic<bool> stop{false};
  std::thread thread;

  void Run();
  // With the mutex held: writes what is due, then ends the connection when
  // its end is due. Whether it still has bytes to write now.
  bool Serve(Connection* connection);
  void End(Connection* connection);
  bool AllEnded() const;
  // With the mutex held: how many bytes of its request the connection may
  // read now.
  size_t ReadRoom(const Connection& connection) const;
};

size_t LoopbackHttpServer::Impl::ReadRoom(const Connection& connection) const {
  constexpr size_t kReadBytes = 65536;
  if (read_bytes_per_step == 0) return kReadBytes;
  const size_t allowed = static_cast<size_t>(std::max(step, 0)) * read_bytes_per_step;
  return allowed > connection.request.size()
             ? std::min(kReadBytes, allowed - connection.request.size())
             : 0;
}

bool LoopbackHttpServer::Impl::AllEnded() const {
  if (static_cast<int>(connections.size()) < expected) return false;
  for (const Connection& connection : connections) {
    if (!connection.ended) return false;
  }
  return true;
}

void LoopbackHttpServer::Impl::End(Connection* connection) {
  connection->ended = true;
  switch (connection->answer.end) {
    case HttpAnswerEnd::kReset: {
      const linger abort_on_close{1, 0};
      ::setsockopt(connection->descriptor, SOL_SOCKET, SO_LINGER, &abort_on_close,
                   sizeof(abort_on_close));
      [[fallthrough]];
    }
    case HttpAnswerEnd::kClose:
      ::close(connection->descriptor);
      connection->descriptor = -1;
      break;
    case HttpAnswerEnd::kKeepOpen:
      break;
  }
}

bool LoopbackHttpServer::Impl::Serve(Connection* connection) {
  if (connection->ended || !connection->request_in) return false;
  const std::vector<HttpAnswerPiece>& pieces = connection->answer.pieces;
  while (connection->piece < pieces.size() && pieces[connection->piece].step <= step) {
    const std::string& bytes = pieces[connection->piece].bytes;
    while (connection->piece_written < bytes.size()) {
      const ssize_t sent =
          ::send(connection->descriptor, bytes.data() + connection->piece_written,
                 bytes.size() - connection->piece_written, MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
        // The client has gone: nothing more can reach it.
        connection->answer.end = HttpAnswerEnd::kClose;
        End(connection);
        return false;
      }
      connection->piece_written += static_cast<size_t>(sent);
      connection->written += static_cast<size_t>(sent);
    }
    ++connection->piece;
    connection->piece_written = 0;
  }
  const int end_step = connection->answer.end_step;
  if (connection->piece == pieces.size() && (end_step < 0 || end_step <= step)) End(connection);
  return false;
}

void LoopbackHttpServer::Impl::Run() {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(time_bound_ms);
  while (!stop.load()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    std::vector<pollfd> watched = {{wake[0], POLLIN, 0}};
    std::vector<int> watched_index = {-1};
    {
      std::lock_guard<std::mutex> lock(mutex);
      if (AllEnded()) {
        stopped = true;
        return;
      }
      if (static_cast<int>(connections.size()) < expected) {
        watched.push_back({listener, POLLIN, 0});
        watched_index.push_back(-2);
      }
      for (size_t i = 0; i < connections.size(); ++i) {
        Connection& connection = connections[i];
        if (connection.ended) continue;
        const bool writing = Serve(&connection);
        if (connection.ended) continue;
        short events = connection.request_in || ReadRoom(connection) == 0 ? 0 : POLLIN;
        if (writing) events |= POLLOUT;
        if (events == 0) continue;
        watched.push_back({connection.descriptor, events, 0});
        watched_index.push_back(static_cast<int>(i));
      }
    }
    const int ready = ::poll(watched.data(), watched.size(), static_cast<int>(left));
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;

    char drained[64];
    if (watched[0].revents != 0) {
      while (::read(wake[0], drained, sizeof(drained)) > 0) {
      }
    }
    for (size_t w = 1; w < watched.size(); ++w) {
      if (watched[w].revents == 0) continue;
      if (watched_index[w] == -2) {
        const int accepted = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (accepted < 0) continue;
        std::lock_guard<std::mutex> lock(mutex);
        connections.emplace_back();
        connections.back().descriptor = accepted;
        continue;
      }
      const int index = watched_index[w];
      std::string request;
      bool complete = false;
      {
        std::lock_guard<std::mutex> lock(mutex);
        Connection& connection = connections[static_cast<size_t>(index)];
        const size_t room = ReadRoom(connection);
        if (connection.request_in || connection.ended || room == 0) continue;
        char buffer[65536];
        const ssize_t got = ::recv(connection.descriptor, buffer, room, 0);
        if (got <= 0) {
          if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
          // The client went before its request was whole.
          connection.answer.end = HttpAnswerEnd::kClose;
          End(&connection);
          continue;
        }
        connection.request.append(buffer, static_cast<size_t>(got));
        if (connection.request_length == 0) {
          connection.request_length = RequestLength(connection.request);
        }
        complete = connection.request_length != 0 &&
                   connection.request.size() >= connection.request_length;
        if (complete) request = connection.request;
      }
      if (!complete) continue;
      // The answer is made outside the lock: the test's function may look at
      // the server.
      HttpAnswer answer = answer_for(index, request);
      std::lock_guard<std::mutex> lock(mutex);
      Connection& connection = connections[static_cast<size_t>(index)];
      connection.answer = std::move(answer);
      connection.request_in = true;
    }
  }
  std::lock_guard<std::mutex> lock(mutex);
  stopped = true;
}

LoopbackHttpServer::LoopbackHttpServer(AnswerFor answer_for, int connections, int time_bound_ms)
    : impl_(std::make_unique<Impl>()) {
  impl_->answer_for = std::move(answer_for);
  impl_->expected = connections;
  impl_->time_bound_ms = time_bound_ms;
}

LoopbackHttpServer::~LoopbackHttpServer() {
  impl_->stop.store(true);
  if (impl_->wake[1] >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(impl_->wake[1], &byte, 1);
  }
  if (impl_->thread.joinable()) impl_->thread.join();
  for (Connection& connection : impl_->connections) {
    if (connection.descriptor >= 0) ::close(connection.descriptor);
  }
  for (int descriptor : {impl_->listener, impl_->wake[0], impl_->wake[1]}) {
    if (descriptor >= 0) ::close(descriptor);
  }
}

void LoopbackHttpServer::ReadSlowly(size_t bytes_per_step) {
  impl_->read_bytes_per_step = bytes_per_step;
}

bool LoopbackHttpServer::Start() {
  impl_->listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (impl_->listener < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (::bind(impl_->listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(impl_->listener, SOMAXCONN) != 0 ||
      ::getsockname(impl_->listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
      ::pipe2(impl_->wake, O_CLOEXEC) != 0) {
    return false;
  }
  SetNonBlocking(impl_->listener);
  // A full pipe wakes the thread as well as one more byte would; a stopped
  // thread drains it no more.
  SetNonBlocking(impl_->wake[0]);
  SetNonBlocking(impl_->wake[1]);
  impl_->port = ntohs(address.sin_port);
  impl_->thread = std::thread([this] { impl_->Run(); });
  return true;
}

uint16_t LoopbackHttpServer::Port() const { return impl_->port; }

void LoopbackHttpServer::SetStep(int step) {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->step = step;
  }
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(impl_->wake[1], &byte, 1);
}

int LoopbackHttpServer::Step() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->step;
}

std::string LoopbackHttpServer::Request(int index) const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (index < 0 || index >= static_cast<int>(impl_->connections.size())) return "";
  return impl_->connections[static_cast<size_t>(index)].request;
}

int LoopbackHttpServer::Accepted() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return static_cast<int>(impl_->connections.size());
}

size_t LoopbackHttpServer::Written(int index) const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (index < 0 || index >= static_cast<int>(impl_->connections.size())) return 0;
  return impl_->connections[static_cast<size_t>(index)].written;
}

bool LoopbackHttpServer::Ended(int index) const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (index < 0 || index >= static_cast<int>(impl_->connections.size())) return false;
  return impl_->connections[static_cast<size_t>(index)].ended;
}

bool LoopbackHttpServer::Stopped() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->stopped;
}
