// What the network layer's tests share: a started layer with a listening
// socket, peers that connect to it, and looks at a handle's record and
// socket. Every wait has a real-time bound; the tests go on once the state
// they wait for is seen, never after a sleep.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/kernel.h"
#include "platform/win32/user.h"
#include "platform/win32/winsock.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/network/network.h"
#include "runtime/network/network_data.h"
#include "runtime/network/network_handle.h"
#include "tests/support/log_capture.h"
#include "tests/support/network/loopback_peer.h"
#include "tests/support/network/network_start.h"

using Bytes = std::vector<uint8_t>;

constexpr int kBoundMs = 5000;

inline Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A packet as it goes over the wire: the length word, little-endian, then the
// body.
inline Bytes Packet(const Bytes& body) {
  const uint32_t length = static_cast<uint32_t>(body.size());
  Bytes packet(4 + body.size());
  for (int i = 0; i < 4; ++i) packet[i] = static_cast<uint8_t>(length >> (8 * i));
  if (!body.empty()) std::memcpy(packet.data() + 4, body.data(), body.size());
  return packet;
}
inline Bytes Packet(const std::string& body) { return Packet(ToBytes(body)); }

inline Bytes Joined(const std::vector<Bytes>& pieces) {
  Bytes all;
  for (const Bytes& piece : pieces) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

// n bytes that differ from their neighbours, starting from `seed`.
inline Bytes Pattern(size_t n, uint8_t seed = 0) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 8));
  return bytes;
}

inline NetWorkHandleRecord* Record(RuntimeHandle handle) { return GetNetWorkRecord(handle); }

// The bytes waiting in a handle's socket, seen without taking them.
inline int SocketUnread(RuntimeHandle handle) {
  const NetWorkHandleRecord* record = Record(handle);
  if (record == nullptr) return -1;
  static char buffer[1 << 16];
  const int peeked = recv(record->Socket, buffer, sizeof(buffer), MSG_PEEK);
  return peeked < 0 ? 0 : peeked;
}

// Waits until the handle's socket holds `n` unread bytes.
inline bool WaitForSocketBytes(RuntimeHandle handle, int n) {
  return RepeatUntil([] {}, [&] { return SocketUnread(handle) == n; });
}

// Sends one packet of 8 MiB on `handle`: more than its socket takes while
// the peer does not read, so that part of it stays queued. Its body.
inline Bytes SendMoreThanTheSocketTakes(RuntimeHandle handle, uint8_t seed) {
  const Bytes big = Pattern(8 << 20, seed);
  EXPECT_EQ(NetWorkSend(handle, big.data(), static_cast<int32_t>(big.size())), 0);
  EXPECT_GT(Record(handle)->SendBuffer.count, 0) << "the socket took the whole send";
  return big;
}

// The live handles, newest first, the listening record left out.
inline std::vector<RuntimeHandle> LiveConnections() {
  std::vector<RuntimeHandle> handles;
  for (ListNode* node = NetWorkHandleList.head.next; node != nullptr && node->next != nullptr;
       node = node->next) {
    if ((node->value & 0xFFFF) != ListeningSlot) handles.push_back(node->value);
  }
  return handles;
}

// The network layer started, with a listening socket, for one test; the log
// captured. The end of the layer must leave no tracked block behind.
class NetWorkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blocks_ = TrackedBlockCount();
    ASSERT_EQ(StartNetWorkForTest(), 0);
    ASSERT_EQ(ListenNetWorkForTest(&port_), 0);
  }
  void TearDown() override {
    const HWND window = NetWorkWindow;
    EndNetWorkSystem();
    // The whole state is cleared, the settings with it, and the window gone.
    EXPECT_EQ(NetWorkStartedFlag, 0);
    EXPECT_EQ(NetWorkWindow, nullptr);
    EXPECT_EQ(NetWorkBufferingOff, 0);
    EXPECT_EQ(NetWorkAutoCloseOff, 0);
    EXPECT_EQ(NetWorkHandleTable.live_count, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "tracked blocks left behind";
  }

  // Connects `peer` to the listening socket and pumps until the layer has
  // accepted it into a new handle; the handle, or -1.
  RuntimeHandle Accept(LoopbackPeer* peer) {
    const int32_t before = NetWorkHandleTable.live_count;
    if (!peer->Connect(port_, kBoundMs)) return -1;
    if (!Pump([&] { return NetWorkHandleTable.live_count > before; })) return -1;
    // New nodes go right after the head.
    return NetWorkHandleList.head.next->value;
  }

  // Pumps the network window until `done` holds.
  static bool Pump(const std::function<bool()>& done) {
    return RepeatUntil([] { ProcessNetWorkMessages(0); }, done);
  }

  // Has `peer` read `n` bytes on a thread of its own while the network window
  // is pumped until `done` holds; whether both came about.
  static bool ReadWhilePumping(LoopbackPeer* peer, size_t n, Bytes* read,
                               const std::function<bool()>& done) {
    bool complete = false;
    std::thread reader([&] { complete = peer->ReadExactly(n, read, 4 * kBoundMs); });
    const bool pumped = Pump(done);
    reader.join();
    return pumped && complete;
  }

  LogCapture log_;
  uint16_t port_ = 0;
  int32_t blocks_ = 0;
};
