// The socket stand-ins over real loopback sockets on the null host, with
// their events taken through a message-only window. The other end of each
// connection is a plain POSIX peer. Every wait has a real-time bound; threads
// are ordered by observing state (a message arrived, bytes came), never by
// sleeping.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/user.h"
#include "platform/win32/winsock.h"
#include "tests/support/network/loopback_peer.h"

namespace {

constexpr UINT kSocketMessage = WM_USER + 0x105;
constexpr int kBoundMs = 5000;
constexpr LONG kConnectionEvents = FD_READ | FD_WRITE | FD_CLOSE;
constexpr LONG kClientEvents = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;

LPARAM Word(LONG event, int error = 0) { return static_cast<LPARAM>(event | (error << 16)); }

struct SocketEvent {
  SOCKET socket;
  LPARAM lparam;
};

// What the window procedure saw, and what it does on each socket message.
std::vector<SocketEvent> g_events;
std::function<void(SOCKET, LPARAM)> g_on_event;

LRESULT SocketWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != kSocketMessage) return DefWindowProcA(window, message, wparam, lparam);
  g_events.push_back({static_cast<SOCKET>(wparam), lparam});
  if (g_on_event) g_on_event(static_cast<SOCKET>(wparam), lparam);
  return 0;
}

int CountEntries(const char* folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}
int ThreadCount() { return CountEntries("/proc/self/task"); }
int DescriptorCount() { return CountEntries("/proc/self/fd"); }

sockaddr_in LoopbackAddress(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  return address;
}

const sockaddr* AsAddress(const sockaddr_in* address) {
  return reinterpret_cast<const sockaddr*>(address);
}

// A blocking listening socket on 127.0.0.1; its port in `port`.
SOCKET ListenOnLoopback(uint16_t* port) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  EXPECT_NE(s, INVALID_SOCKET);
  const sockaddr_in address = LoopbackAddress(0);
  EXPECT_EQ(bind(s, AsAddress(&address), sizeof(address)), 0);
  EXPECT_EQ(listen(s, SOMAXCONN), 0);
  sockaddr_in name{};
  int length = sizeof(name);
  EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&name), &length), 0);
  *port = ntohs(name.sin_port);
  return s;
}

// The network window: a message-only window on this thread, with WinSock
// started.
class SocketWindow {
 public:
  SocketWindow() {
    WSADATA data;
    EXPECT_EQ(WSAStartup(0x0101, &data), 0);
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = SocketWindowProc;
    window_class.lpszClassName = "WinSockTestWindow";
    RegisterClassA(&window_class);
    window_ = CreateWindowExA(0, "WinSockTestWindow", "", 0, 0, 0, 0, 0, HWND_MESSAGE(), nullptr,
                              nullptr, nullptr);
    EXPECT_NE(window_, nullptr);
    g_events.clear();
  }
  ~SocketWindow() {
    WSACleanup();
    DestroyWindow(window_);
    UnregisterClassA("WinSockTestWindow", nullptr);
    g_events.clear();
    g_on_event = nullptr;
  }
  SocketWindow(const SocketWindow&) = delete;
  SocketWindow& operator=(const SocketWindow&) = delete;

  HWND window() const { return window_; }

  int Select(SOCKET s, LONG mask) { return WSAAsyncSelect(s, window_, kSocketMessage, mask); }

  // Dispatches the window's waiting messages.
  void Pump() {
    MSG message;
    while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  // Pumps until `done` holds, for kBoundMs at most.
  bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
    for (;;) {
      Pump();
      if (done()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::yield();
    }
  }
  // Whether a message of socket `s` waits in the queue (without taking it).
  bool Queued(SOCKET s) {
    MSG message;
    return PeekMessageA(&message, window_, 0, 0, PM_NOREMOVE) && message.wParam == s;
  }

 private:
  HWND window_ = nullptr;
};

std::vector<LPARAM> EventsOf(SOCKET s) {
  std::vector<LPARAM> words;
  for (const SocketEvent& event : g_events) {
    if (event.socket == s) words.push_back(event.lparam);
  }
  return words;
}

class WinSockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_ = ListenOnLoopback(&port_);
    // The yardstick connection: see Settle.
    ASSERT_TRUE(yardstick_peer_.Connect(port_, kBoundMs));
    yardstick_ = Accept();
    ASSERT_EQ(net_.Select(yardstick_, FD_READ), 0);
  }

  // Takes the next connection of the blocking listener.
  SOCKET Accept(sockaddr_in* peer = nullptr) {
    sockaddr_in address{};
    int length = sizeof(address);
    const SOCKET s = accept(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    EXPECT_NE(s, INVALID_SOCKET);
    if (peer != nullptr) *peer = address;
    return s;
  }

  // Returns once the poller has handed on what the peers sent before the
  // call, as far as the kernel keeps order across connections: a byte
  // written now on the yardstick connection arrives after it, and its
  // FD_READ comes after their events. The checks that follow a settle look
  // for events that must not come, so a late one can only hide a fault,
  // never fail a sound stand-in.
  void Settle() {
    const size_t before = EventsOf(yardstick_).size();
    ASSERT_TRUE(yardstick_peer_.Write("y", 1));
    ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(yardstick_).size() > before; }));
    char byte;
    ASSERT_EQ(recv(yardstick_, &byte, 1, 0), 1);
  }

  SocketWindow net_;
  uint16_t port_ = 0;
  SOCKET listener_ = INVALID_SOCKET;
  LoopbackPeer yardstick_peer_;
  SOCKET yardstick_ = INVALID_SOCKET;
};

// ---- The event rules ------------------------------------------------------------

enum class Start {
  kAccepted,  // a connection of a listener that waits for FD_ACCEPT
  kConnected,  // connects to a peer that listens
  kRefused,  // connects to a port that refuses
};

enum class Act {
  kPeerWrites,  // `count` bytes in one write
  kPeerWritesInPieces,  // `count` bytes, one write each
  kRecv,  // asks for `count` bytes; `result` expected
  kPeek,
  kPeerCloses,
  kPeerResets,
  kFill,  // sends until the socket takes no more
  kPeerReadsAll,  // the peer reads everything sent
};

struct Step {
  Act act;
  int count;
  int result;
  std::vector<LPARAM> events;  // every event of the socket so far
};

struct EventCase {
  const char* name;
  Start start;
  std::vector<LPARAM> first_events;
  std::vector<Step> steps;
};

TEST_F(WinSockTest, EventsFollowTheRules) {
  const LPARAM kWrite = Word(FD_WRITE), kRead = Word(FD_READ), kClose = Word(FD_CLOSE);
  const EventCase cases[] = {
      {"accepted, FD_WRITE once selected", Start::kAccepted, {kWrite}, {}},
      {"ten pieces before any recv: one FD_READ",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWritesInPieces, 10, 0, {kWrite, kRead}}}},
      {"a recv that takes part of the bytes: another FD_READ",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWrites, 10, 0, {kWrite, kRead}},
        {Act::kRecv, 4, 4, {kWrite, kRead, kRead}},
        {Act::kRecv, 6, 6, {kWrite, kRead, kRead}}}},
      {"a peek that takes nothing: none until the peer sends more",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWrites, 3, 0, {kWrite, kRead}},
        {Act::kPeek, 4, 3, {kWrite, kRead}},
        {Act::kPeek, 4, 3, {kWrite, kRead}},
        {Act::kPeerWrites, 1, 0, {kWrite, kRead, kRead}},
        {Act::kPeek, 4, 4, {kWrite, kRead, kRead}},
        {Act::kRecv, 4, 4, {kWrite, kRead, kRead}}}},
      {"bytes that come while FD_READ waits: a peek owes one more, a recv of all none",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWrites, 3, 0, {kWrite, kRead}},
        {Act::kPeerWrites, 1, 0, {kWrite, kRead}},
        {Act::kPeek, 8, 4, {kWrite, kRead, kRead}},
        {Act::kPeerWrites, 5, 0, {kWrite, kRead, kRead}},
        {Act::kRecv, 9, 9, {kWrite, kRead, kRead}},
        {Act::kPeerWrites, 2, 0, {kWrite, kRead, kRead, kRead}}}},
      {"a reset while FD_READ waits: FD_CLOSE with its error at once",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWrites, 5, 0, {kWrite, kRead}},
        {Act::kPeerResets, 0, 0, {kWrite, kRead, Word(FD_CLOSE, WSAECONNRESET)}}}},
      {"bytes a short peek saw still count: FD_READ for more, FD_CLOSE once they are taken",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWrites, 2, 0, {kWrite, kRead}},
        {Act::kPeek, 4, 2, {kWrite, kRead}},
        {Act::kPeerWrites, 3, 0, {kWrite, kRead, kRead}},
        {Act::kPeek, 4, 4, {kWrite, kRead, kRead}},
        {Act::kRecv, 3, 3, {kWrite, kRead, kRead, kRead}},
        {Act::kPeek, 4, 2, {kWrite, kRead, kRead, kRead}},
        {Act::kPeerCloses, 0, 0, {kWrite, kRead, kRead, kRead}},
        {Act::kRecv, 8, 2, {kWrite, kRead, kRead, kRead, kClose}},
        {Act::kRecv, 8, 0, {kWrite, kRead, kRead, kRead, kClose}}}},
      {"FD_CLOSE once, after the last byte was taken",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerWrites, 5, 0, {kWrite, kRead}},
        {Act::kPeerCloses, 0, 0, {kWrite, kRead}},
        {Act::kRecv, 3, 3, {kWrite, kRead, kRead}},
        {Act::kRecv, 8, 2, {kWrite, kRead, kRead, kClose}},
        {Act::kRecv, 8, 0, {kWrite, kRead, kRead, kClose}},
        {Act::kPeek, 8, 0, {kWrite, kRead, kRead, kClose}}}},
      {"FD_CLOSE at once when nothing was sent",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerCloses, 0, 0, {kWrite, kClose}}}},
      {"a reset: FD_CLOSE with its error",
       Start::kAccepted,
       {kWrite},
       {{Act::kPeerResets, 0, 0, {kWrite, Word(FD_CLOSE, WSAECONNRESET)}}}},
      {"connect to a listener", Start::kConnected, {Word(FD_CONNECT), kWrite}, {}},
      {"connect to a port that refuses", Start::kRefused, {Word(FD_CONNECT, WSAECONNREFUSED)}, {}},
      {"FD_WRITE once after the socket was full and the peer read",
       Start::kConnected,
       {Word(FD_CONNECT), kWrite},
       {{Act::kFill, 0, 0, {Word(FD_CONNECT), kWrite}},
        {Act::kPeerReadsAll, 0, 0, {Word(FD_CONNECT), kWrite, kWrite}}}},
  };
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.name);
    g_events.clear();
    LoopbackPeer peer;
    SOCKET s = INVALID_SOCKET;
    if (c.start == Start::kAccepted) {
      ASSERT_EQ(net_.Select(listener_, FD_ACCEPT), 0);
      ASSERT_TRUE(peer.Connect(port_, kBoundMs));
      ASSERT_TRUE(net_.PumpUntil([&] { return !EventsOf(listener_).empty(); }));
      EXPECT_EQ(EventsOf(listener_), std::vector<LPARAM>{Word(FD_ACCEPT)});
      s = Accept();
      ASSERT_EQ(net_.Select(listener_, 0), 0);
      ASSERT_EQ(net_.Select(s, kConnectionEvents), 0);
    } else {
      ASSERT_TRUE(c.start == Start::kConnected ? peer.Listen() : peer.BindWithoutListening());
      s = socket(AF_INET, SOCK_STREAM, 0);
      ASSERT_EQ(net_.Select(s, kClientEvents), 0);
      const sockaddr_in address = LoopbackAddress(peer.Port());
      EXPECT_EQ(connect(s, AsAddress(&address), sizeof(address)), SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
      if (c.start == Start::kConnected) {
        ASSERT_TRUE(peer.Accept(kBoundMs));
      }
    }
    auto check = [&](const std::vector<LPARAM>& expected) {
      net_.PumpUntil([&] { return EventsOf(s).size() >= expected.size(); });
      Settle();
      EXPECT_EQ(EventsOf(s), expected);
    };
    check(c.first_events);

    int64_t sent = 0;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& step = c.steps[i];
      SCOPED_TRACE(i);
      const std::string bytes(static_cast<size_t>(step.count), 'b');
      char buffer[64] = {};
      std::vector<uint8_t> read;
      switch (step.act) {
        case Act::kPeerWrites:
          ASSERT_TRUE(peer.Write(bytes.data(), bytes.size()));
          break;
        case Act::kPeerWritesInPieces:
          ASSERT_TRUE(peer.WriteOneByOne(bytes.data(), bytes.size()));
          break;
        case Act::kRecv:
          EXPECT_EQ(recv(s, buffer, step.count, 0), step.result);
          break;
        case Act::kPeek:
          EXPECT_EQ(recv(s, buffer, step.count, MSG_PEEK), step.result);
          break;
        case Act::kPeerCloses:
          peer.Close();
          break;
        case Act::kPeerResets:
          peer.Reset();
          break;
        case Act::kFill: {
          const std::string block(65536, 'f');
          int taken;
          while ((taken = send(s, block.data(), static_cast<int>(block.size()), 0)) > 0) {
            sent += taken;
          }
          EXPECT_EQ(taken, SOCKET_ERROR);
          EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
          break;
        }
        case Act::kPeerReadsAll:
          ASSERT_TRUE(peer.ReadExactly(static_cast<size_t>(sent), &read, kBoundMs));
          break;
      }
      check(step.events);
    }
    closesocket(s);
  }
}

// Another thread keeps the stand-in busy with calls on a socket of its own
// while the peer of a second socket writes byte after byte: every byte's
// FD_READ still comes, and FD_CLOSE after the last, although the poller often
// finds the stand-in taken when it reports them.
TEST_F(WinSockTest, EventsReportedWhileAnotherThreadsCallsRunStillCome) {
  LoopbackPeer busy_peer, peer;
  ASSERT_TRUE(busy_peer.Connect(port_, kBoundMs));
  const SOCKET busy = Accept();
  ASSERT_TRUE(peer.Connect(port_, kBoundMs));
  const SOCKET s = Accept();
  ASSERT_EQ(net_.Select(busy, FD_READ), 0);
  ASSERT_EQ(net_.Select(s, FD_READ | FD_CLOSE), 0);
  std::atomic<bool> stop{false};
  std::thread calls([&] {
    char byte;
    while (!stop.load()) recv(busy, &byte, 1, MSG_PEEK);
  });
  bool all_came = true;
  for (int i = 1; i <= 300 && all_came; ++i) {
    ASSERT_TRUE(peer.Write("r", 1));
    all_came = net_.PumpUntil([&] { return EventsOf(s).size() == static_cast<size_t>(i); });
    char byte;
    EXPECT_EQ(recv(s, &byte, 1, 0), 1);
  }
  EXPECT_TRUE(all_came) << "an FD_READ did not come";
  peer.Close();
  EXPECT_TRUE(net_.PumpUntil([&] {
    const std::vector<LPARAM> events = EventsOf(s);
    return !events.empty() && events.back() == Word(FD_CLOSE);
  })) << "FD_CLOSE did not come";
  stop.store(true);
  calls.join();
  closesocket(s);
  closesocket(busy);
}

TEST_F(WinSockTest, CancelAndCloseLeaveNothingBehind) {
  const char* const ways[] = {"select with mask 0", "closesocket"};
  for (const char* way : ways) {
    SCOPED_TRACE(way);
    g_events.clear();
    LoopbackPeer peer;
    ASSERT_TRUE(peer.Connect(port_, kBoundMs));
    const SOCKET s = Accept();
    ASSERT_EQ(net_.Select(s, kConnectionEvents), 0);
    ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(s).size() == 1; }));  // FD_WRITE
    ASSERT_TRUE(peer.Write("abc", 3));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
    while (!net_.Queued(s) && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    ASSERT_TRUE(net_.Queued(s));

    if (std::strcmp(way, "closesocket") == 0) {
      EXPECT_EQ(closesocket(s), 0);
      char byte;
      EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    } else {
      EXPECT_EQ(net_.Select(s, 0), 0);
    }
    EXPECT_FALSE(net_.Queued(s));
    // More comes (a closed socket with unread bytes resets the connection, so
    // the peer's write may fail then).
    peer.Write("def", 3);
    peer.Close();
    Settle();
    EXPECT_FALSE(net_.Queued(s));
    EXPECT_EQ(EventsOf(s), std::vector<LPARAM>{Word(FD_WRITE)});
    if (std::strcmp(way, "closesocket") != 0) {
      // Still a socket, now without events: it does not block either.
      char bytes[8];
      EXPECT_EQ(recv(s, bytes, sizeof(bytes), 0), 6);
      EXPECT_EQ(recv(s, bytes, sizeof(bytes), 0), 0);
      closesocket(s);
    }
  }
}

TEST_F(WinSockTest, ReceiveAndSendResults) {
  LoopbackPeer peer;
  ASSERT_TRUE(peer.Connect(port_, kBoundMs));
  const SOCKET s = Accept();
  ASSERT_EQ(net_.Select(s, kConnectionEvents), 0);
  char buffer[16] = {};

  // Nothing there yet.
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  // A length of 0 gives 0 at once, bytes or none.
  EXPECT_EQ(recv(s, buffer, 0, 0), 0);
  EXPECT_EQ(recv(s, buffer, 0, MSG_PEEK), 0);
  // A negative length never reaches the system as a huge size.
  EXPECT_EQ(recv(s, buffer, -1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  EXPECT_EQ(send(s, buffer, -4, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);

  ASSERT_TRUE(peer.Write("hello", 5));
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(s).size() == 2; }));  // FD_WRITE, FD_READ
  EXPECT_EQ(recv(s, buffer, 0, 0), 0);
  EXPECT_EQ(recv(s, buffer, -2147483647 - 1, MSG_PEEK), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  // The bytes are all still there.
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");

  // Bytes a peek found fewer of than it asked come first, in order, whatever
  // came after them and however the calls cut them.
  ASSERT_TRUE(peer.Write("ab", 2));
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(s).size() == 3; }));
  EXPECT_EQ(recv(s, buffer, 4, MSG_PEEK), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  ASSERT_TRUE(peer.Write("cdef", 4));
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(s).size() == 4; }));
  EXPECT_EQ(recv(s, buffer, 4, MSG_PEEK), 4);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(recv(s, buffer, 1, 0), 1);
  EXPECT_EQ(std::string(buffer, 1), "a");
  EXPECT_EQ(recv(s, buffer, 8, MSG_PEEK), 5);
  EXPECT_EQ(std::string(buffer, 5), "bcdef");
  EXPECT_EQ(recv(s, buffer, 3, 0), 3);
  EXPECT_EQ(std::string(buffer, 3), "bcd");
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), 2);
  EXPECT_EQ(std::string(buffer, 2), "ef");
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  EXPECT_EQ(send(s, "0123456789", 10, 0), 10);
  EXPECT_EQ(send(s, "", 0, 0), 0);
  std::vector<uint8_t> read;
  ASSERT_TRUE(peer.ReadExactly(10, &read, kBoundMs));
  EXPECT_EQ(std::string(read.begin(), read.end()), "0123456789");

  // An orderly end.
  peer.Close();
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(s).back() == Word(FD_CLOSE); }));
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), 0);
  EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), 0);
  closesocket(s);
}

// A peer sends 2 bytes and resets. Whether or not a short peek took the 2
// bytes out of the system's queue into the stand-in's hold, and whichever
// call meets the reset first (the system reports it once, to that call), a
// recv gives the 2 bytes, the next recv fails with WSAECONNRESET and
// FD_CLOSE carries that error.
TEST_F(WinSockTest, AResetIsKeptForTheCallsAfterTheOneThatMetIt) {
  enum class Road {
    kPlainRecv,  // no events; the reset has arrived before the first call
    kEventsAfterTheCall,  // as kPlainRecv, with events selected after that call
    kEvents,  // events throughout; the first call races the poller to the reset
  };
  struct Case {
    const char* name;
    Road road;
    bool short_peek;  // the 2 bytes are held by the stand-in
    bool send_first;  // a send is the first call after the reset, not a recv
    int runs;  // a race is run many times
  };
  const Case cases[] = {
      {"plain recv", Road::kPlainRecv, false, false, 1},
      {"plain recv, behind held bytes", Road::kPlainRecv, true, false, 1},
      {"plain recv, after a send", Road::kPlainRecv, false, true, 1},
      {"events selected after the recv, behind held bytes", Road::kEventsAfterTheCall, true,
       false, 1},
      {"events selected after a send", Road::kEventsAfterTheCall, false, true, 1},
      {"events throughout", Road::kEvents, false, false, 50},
      {"events throughout, behind held bytes", Road::kEvents, true, false, 200},
      {"events throughout, after a send", Road::kEvents, false, true, 200},
  };
  const LONG kEvents = FD_READ | FD_CLOSE;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int run = 0; run < c.runs && !::testing::Test::HasFailure(); ++run) {
      SCOPED_TRACE(run);
      g_events.clear();
      LoopbackPeer peer;
      ASSERT_TRUE(peer.Connect(port_, kBoundMs));
      const SOCKET s = Accept();
      ASSERT_EQ(net_.Select(s, c.road == Road::kEvents ? kEvents : 0), 0);
      ASSERT_TRUE(peer.Write("ab", 2));
      char buffer[8] = {};
      if (c.road == Road::kEvents) {
        ASSERT_TRUE(net_.PumpUntil([&] { return !EventsOf(s).empty(); }));
        ASSERT_EQ(EventsOf(s), std::vector<LPARAM>{Word(FD_READ)});
      } else {
        // A peek of exactly the 2 bytes sees them come and holds nothing.
        ASSERT_TRUE(net_.PumpUntil([&] { return recv(s, buffer, 2, MSG_PEEK) == 2; }));
      }
      if (c.short_peek) {
        ASSERT_EQ(recv(s, buffer, 4, MSG_PEEK), 2);
      }
      peer.Reset();
      if (c.road != Road::kEvents) Settle();

      if (c.send_first) {
        // Racing the reset, the send may still go out.
        const int sent = send(s, "data", 4, 0);
        if (c.road != Road::kEvents || sent != 4) {
          EXPECT_EQ(sent, SOCKET_ERROR);
          EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
        }
      }
      EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), 2);
      EXPECT_EQ(std::string(buffer, 2), "ab");
      if (c.road == Road::kEventsAfterTheCall) {
        ASSERT_EQ(net_.Select(s, kEvents), 0);
      }
      if (c.road != Road::kPlainRecv) {
        ASSERT_TRUE(net_.PumpUntil([&] {
          for (LPARAM event : EventsOf(s)) {
            if (WSAGETSELECTEVENT(event) == FD_CLOSE) return true;
          }
          return false;
        }));
        EXPECT_EQ(EventsOf(s).back(), Word(FD_CLOSE, WSAECONNRESET));
      }
      for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(recv(s, buffer, sizeof(buffer), 0), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
      }
      closesocket(s);
    }
  }
}

TEST_F(WinSockTest, ASelectionOfNoEventsStillMakesTheSocketNonBlocking) {
  LoopbackPeer peer;
  ASSERT_TRUE(peer.Connect(port_, kBoundMs));
  const SOCKET s = Accept();
  ASSERT_EQ(net_.Select(s, 0), 0);
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  ASSERT_EQ(net_.Select(listener_, 0), 0);
  sockaddr_in address{};
  int length = sizeof(address);
  EXPECT_EQ(accept(listener_, reinterpret_cast<sockaddr*>(&address), &length), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

  LoopbackPeer server;
  ASSERT_TRUE(server.Listen());
  const SOCKET client = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(net_.Select(client, 0), 0);
  const sockaddr_in server_address = LoopbackAddress(server.Port());
  EXPECT_EQ(connect(client, AsAddress(&server_address), sizeof(server_address)), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_TRUE(server.Accept(kBoundMs));
  Settle();
  EXPECT_TRUE(EventsOf(s).empty());
  EXPECT_TRUE(EventsOf(client).empty());
  closesocket(client);
  closesocket(s);
}

TEST_F(WinSockTest, SendToAPeerThatHasGoneFailsWithoutASignal) {
  // A signal would end the process: the test lives only if none comes.
  std::signal(SIGPIPE, SIG_DFL);
  const char* const ends[] = {"reset", "orderly close"};
  for (const char* end : ends) {
    SCOPED_TRACE(end);
    g_events.clear();
    LoopbackPeer peer;
    ASSERT_TRUE(peer.Connect(port_, kBoundMs));
    const SOCKET s = Accept();
    ASSERT_EQ(net_.Select(s, kConnectionEvents), 0);
    const bool reset = std::strcmp(end, "reset") == 0;
    if (reset) {
      peer.Reset();
    } else {
      peer.Close();
    }
    ASSERT_TRUE(net_.PumpUntil([&] {
      return !EventsOf(s).empty() && WSAGETSELECTEVENT(EventsOf(s).back()) == FD_CLOSE;
    }));
    // After an orderly close the first sends still go out, until the peer's
    // system answers them with a reset.
    int result = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBoundMs);
    while ((result = send(s, "data", 4, 0)) != SOCKET_ERROR &&
           std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    EXPECT_EQ(send(s, "data", 4, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    if (reset) {
      char byte;
      EXPECT_EQ(recv(s, &byte, 1, 0), SOCKET_ERROR);
      EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    }
    closesocket(s);
  }
}

TEST_F(WinSockTest, AcceptReportsThePeersAddressAndPort) {
  LoopbackPeer peer;
  ASSERT_TRUE(peer.Connect(port_, kBoundMs));
  sockaddr_in address{};
  std::memset(&address, 0xEE, sizeof(address));
  int length = sizeof(address);
  const SOCKET s = accept(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  ASSERT_NE(s, INVALID_SOCKET);
  EXPECT_EQ(length, 16);
  EXPECT_EQ(address.sin_family, AF_INET);
  uint8_t bytes[4];
  std::memcpy(bytes, &address.sin_addr, 4);
  EXPECT_EQ(bytes[0], 0x7F);
  EXPECT_EQ(bytes[1], 0x00);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0x01);
  // The port field as it is on the wire.
  uint8_t port[2];
  std::memcpy(port, &address.sin_port, 2);
  EXPECT_EQ(port[0], peer.Port() >> 8);
  EXPECT_EQ(port[1], peer.Port() & 0xFF);
  for (char zero : address.sin_zero) EXPECT_EQ(zero, 0);
  closesocket(s);
}

TEST_F(WinSockTest, SocketValuesAreTheStandInsOwnAndNeverRepeat) {
  std::set<SOCKET> seen = {listener_, yardstick_};
  for (int i = 0; i < 300; ++i) {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_NE(s, INVALID_SOCKET);
    EXPECT_NE(s, 0u);
    EXPECT_LT(s, SOCKET{1} << 31);
    EXPECT_TRUE(seen.insert(s).second) << s;
    // Closed at once, so the system hands the same descriptor out again.
    closesocket(s);
  }
}

TEST(WinSockValueTest, NeverZeroWhenTheSystemHandsOutDescriptorZero) {
  EXPECT_EXIT(
      {
        CloseStandardInput();
        WSADATA data;
        WSAStartup(0x0101, &data);
        const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        const std::string zero = std::filesystem::read_symlink("/proc/self/fd/0").string();
        std::exit(s != 0 && s != INVALID_SOCKET && zero.rfind("socket:", 0) == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(WinSockTest, ManyConnectionsAtOnceThroughOnePoller) {
  constexpr int kPeers = 200;
  ASSERT_EQ(net_.Select(listener_, FD_ACCEPT), 0);  // the poller runs from here on
  const int threads = ThreadCount();
  struct Connection {
    std::string received;
    bool closed = false;
  };
  std::map<SOCKET, Connection> connections;
  int accept_events = 0;
  g_on_event = [&](SOCKET s, LPARAM lparam) {
    switch (WSAGETSELECTEVENT(lparam)) {
      case FD_ACCEPT: {
        ++accept_events;
        sockaddr_in address{};
        int length = sizeof(address);
        const SOCKET accepted = accept(s, reinterpret_cast<sockaddr*>(&address), &length);
        ASSERT_NE(accepted, INVALID_SOCKET) << WSAGetLastError();
        connections[accepted];
        ASSERT_EQ(net_.Select(accepted, FD_READ | FD_CLOSE), 0);
        break;
      }
      case FD_READ: {
        char buffer[64];
        const int got = recv(s, buffer, sizeof(buffer), 0);
        if (got > 0) connections[s].received.append(buffer, got);
        break;
      }
      case FD_CLOSE:
        connections[s].closed = true;
        break;
    }
  };
  std::vector<std::unique_ptr<LoopbackPeer>> peers;
  for (int i = 0; i < kPeers; ++i) {
    peers.push_back(std::make_unique<LoopbackPeer>());
    ASSERT_TRUE(peers.back()->Connect(port_, kBoundMs));
    const std::string text = "peer " + std::to_string(i) + ";";
    ASSERT_TRUE(peers.back()->Write(text.data(), text.size()));
    peers.back()->Close();
  }
  auto all_in = [&] {
    if (connections.size() != kPeers) return false;
    for (const auto& [s, connection] : connections) {
      if (!connection.closed) return false;
    }
    return true;
  };
  ASSERT_TRUE(net_.PumpUntil(all_in));
  EXPECT_EQ(ThreadCount(), threads);
  // Every FD_ACCEPT found a connection.
  EXPECT_EQ(accept_events, kPeers);
  std::set<std::string> texts;
  for (const auto& [s, connection] : connections) texts.insert(connection.received);
  for (int i = 0; i < kPeers; ++i) EXPECT_EQ(texts.count("peer " + std::to_string(i) + ";"), 1u) << i;
  g_on_event = nullptr;
}

TEST_F(WinSockTest, ConnectionsThatFoundNoTakerAreAnnouncedAgainByTheNextArrival) {
  ASSERT_EQ(net_.Select(listener_, FD_ACCEPT), 0);
  LoopbackPeer first, second;
  ASSERT_TRUE(first.Connect(port_, kBoundMs));
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(listener_).size() == 1; }));
  // The FD_ACCEPT was taken and nobody accepted: the listener waits, and the
  // next connection to arrive is announced.
  Settle();
  EXPECT_EQ(EventsOf(listener_).size(), 1u);
  ASSERT_TRUE(second.Connect(port_, kBoundMs));
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(listener_).size() == 2; }));
  // Each accept announces the connections still waiting.
  const SOCKET a = Accept();
  ASSERT_TRUE(net_.PumpUntil([&] { return EventsOf(listener_).size() == 3; }));
  const SOCKET b = Accept();
  Settle();
  EXPECT_EQ(EventsOf(listener_), std::vector<LPARAM>(3, Word(FD_ACCEPT)));
  closesocket(a);
  closesocket(b);
}

TEST(WinSockNameTest, AddressesAndNames) {
  struct Quad {
    const char* text;
    ULONG expected;  // in network order, read as bytes
  };
  auto bytes = [](uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t raw[4] = {a, b, c, d};
    ULONG value;
    std::memcpy(&value, raw, 4);
    return value;
  };
  const Quad quads[] = {
      {"127.0.0.1", bytes(127, 0, 0, 1)}, {"10.20.30.40", bytes(10, 20, 30, 40)},
      {"255.255.255.254", bytes(255, 255, 255, 254)}, {"256.0.0.1", INADDR_NONE},
      {"1.2.3", INADDR_NONE}, {"1.2.3.4.5", INADDR_NONE}, {"1.2.3.4 ", INADDR_NONE},
      {"a.b.c.d", INADDR_NONE}, {"", INADDR_NONE}, {"1..2.3", INADDR_NONE},
  };
  for (const Quad& q : quads) EXPECT_EQ(inet_addr(q.text), q.expected) << q.text;

  const USHORT port = htons(0x1234);
  uint8_t port_bytes[2];
  std::memcpy(port_bytes, &port, 2);
  EXPECT_EQ(port_bytes[0], 0x12);
  EXPECT_EQ(port_bytes[1], 0x34);
  EXPECT_EQ(ntohs(port), 0x1234);
  EXPECT_EQ(ntohl(htonl(0x12345678u)), 0x12345678u);
  EXPECT_EQ(htonl(0x7F000001u), bytes(127, 0, 0, 1));

  WSADATA data;
  ASSERT_EQ(WSAStartup(0x0101, &data), 0);
  EXPECT_EQ(data.wVersion, 0x0101);
  for (const char* name : {"localhost", "127.0.0.1"}) {
    SCOPED_TRACE(name);
    const hostent* host = gethostbyname(name);
    ASSERT_NE(host, nullptr) << WSAGetLastError();
    EXPECT_EQ(host->h_addrtype, AF_INET);
    EXPECT_EQ(host->h_length, 4);
    ASSERT_NE(host->h_addr_list[0], nullptr);
    ULONG first;
    std::memcpy(&first, host->h_addr_list[0], 4);
    EXPECT_EQ(first, bytes(127, 0, 0, 1));
    EXPECT_EQ(host->h_aliases[0], nullptr);
  }
  EXPECT_EQ(WSACleanup(), 0);
}

TEST(WinSockStartTest, CallsNeedAStartAndKnownSockets) {
  EXPECT_EQ(socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(gethostbyname("127.0.0.1"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

  WSADATA data;
  ASSERT_EQ(WSAStartup(0x0101, &data), 0);
  char byte;
  EXPECT_EQ(recv(12345678, &byte, 1, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  EXPECT_EQ(closesocket(12345678), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
  // Only IPv4.
  EXPECT_EQ(socket(10, SOCK_STREAM, 0), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  // The last error belongs to each thread.
  int other_error = -1;
  std::thread([&] { other_error = WSAGetLastError(); }).join();
  EXPECT_EQ(other_error, 0);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(WSACleanup(), 0);
}

TEST(WinSockStartTest, ArgumentsThatAreNotEmulatedFailLoudly) {
  EXPECT_DEATH(
      {
        WSADATA data;
        WSAStartup(0x0202, &data);
      },
      "WSAStartup: version \\(got 514");
  EXPECT_DEATH(
      {
        WSADATA data;
        WSAStartup(0x0101, &data);
        char byte;
        recv(1, &byte, 1, 1);
      },
      "recv: flags \\(got 1");
  EXPECT_DEATH(
      {
        WSADATA data;
        WSAStartup(0x0101, &data);
        socket(AF_INET, 2, 0);
      },
      "socket: type \\(got 2");
}

TEST(WinSockCleanupTest, TheLastCleanupClosesWhatIsLeftAndJoinsThePoller) {
  const int threads = ThreadCount();
  const int descriptors = DescriptorCount();
  {
    LoopbackPeer peer;
    {
      SocketWindow net;
      uint16_t port = 0;
      const SOCKET listener = ListenOnLoopback(&port);
      ASSERT_EQ(net.Select(listener, FD_ACCEPT), 0);
      ASSERT_TRUE(peer.Connect(port, kBoundMs));
      ASSERT_TRUE(net.PumpUntil([&] { return !EventsOf(listener).empty(); }));
      sockaddr_in address{};
      int length = sizeof(address);
      const SOCKET s = accept(listener, reinterpret_cast<sockaddr*>(&address), &length);
      ASSERT_NE(s, INVALID_SOCKET);
      ASSERT_EQ(net.Select(s, kConnectionEvents), 0);
      EXPECT_EQ(ThreadCount(), threads + 1);

      // Starts are counted: an inner cleanup closes nothing.
      WSADATA data;
      ASSERT_EQ(WSAStartup(0x0101, &data), 0);
      ASSERT_EQ(WSACleanup(), 0);
      EXPECT_EQ(send(s, "x", 1, 0), 1);
      ASSERT_TRUE(peer.Write("ping", 4));
      ASSERT_TRUE(net.PumpUntil([&] { return EventsOf(s).size() == 2; }));  // FD_WRITE, FD_READ
      char bytes[4];
      EXPECT_EQ(recv(s, bytes, sizeof(bytes), 0), 4);
      // The window's cleanup is the last.
    }
    EXPECT_EQ(ThreadCount(), threads);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(peer.ReadUntilClose(&bytes, kBoundMs));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "x");
  }
  EXPECT_EQ(DescriptorCount(), descriptors);
}

}  // namespace
