// Network handles over real loopback connections: their values, slots and
// check ids, the peer's address, an accept with nothing waiting, a full
// table, the socket event handler by event, and many connections at once.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/user.h"
#include "tests/runtime/network/network_test_support.h"

namespace {

class HandleTest : public NetWorkTest {};

// The port field as it came off the wire, read back as a host-order port.
uint16_t PortOfField(int32_t field) {
  return static_cast<uint16_t>(((field & 0xFF) << 8) | ((field >> 8) & 0xFF));
}

TEST_F(HandleTest, ValuesSlotsCheckIdsAndThePeersAddress) {
  LoopbackPeer a, b, c, d, e;
  // The listening record took check id 0.
  const RuntimeHandle first = Accept(&a);
  EXPECT_EQ(first, 0x48010000);
  EXPECT_EQ(Accept(&b), 0x48020001);

  const NetWorkHandleRecord* record = Record(first);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->head.check_id, 1);
  EXPECT_EQ(record->ListNode.value, first);
  EXPECT_EQ(record->ListNode.data, record);
  const uint8_t loopback[4] = {0x7F, 0x00, 0x00, 0x01};
  EXPECT_EQ(std::memcmp(record->PeerIp, loopback, 4), 0);
  // The port field is kept as it came: in network byte order.
  const uint16_t port = a.Port();
  EXPECT_EQ(record->PeerPort, ((port & 0xFF) << 8) | (port >> 8));
  EXPECT_EQ(record->UseFlag, 1);
  EXPECT_EQ(record->ConnectionFlag, 1);
  EXPECT_EQ(record->BufferedFlag, 1);
  EXPECT_EQ(record->AutoCloseFlag, 1);

  // A released slot is the lowest empty one again.
  ASSERT_EQ(ReleaseNetWorkHandle(first), 0);
  EXPECT_EQ(Accept(&c), 0x48030000);
  // Check ids start again at 0 after 2047.
  NetWorkIdCounter = 2047;
  EXPECT_EQ(Accept(&d), 0x4FFF0002);
  EXPECT_EQ(Accept(&e), 0x48000003);
  EXPECT_EQ(NetWorkIdCounter, 1);

  // The released handle fails the test without a line, though its slot is
  // in use again.
  log_.TakeNew();
  EXPECT_EQ(GetNetWorkAcceptState(first), -1);
  EXPECT_EQ(ReleaseNetWorkHandle(first), -1);
  EXPECT_EQ(log_.TakeNew(), "");
}

TEST_F(HandleTest, AnAcceptWithNothingWaitingChangesNothing) {
  LoopbackPeer peer;
  ASSERT_NE(Accept(&peer), -1);
  const int32_t live = NetWorkHandleTable.live_count;
  const int32_t counter = NetWorkIdCounter;
  const std::vector<RuntimeHandle> connections = LiveConnections();
  log_.TakeNew();

  EXPECT_EQ(AcceptNetWork(), -1);
  EXPECT_EQ(log_.TakeNew(), "ネットワークログ。acceptに失敗しました[10035]\r\n");
  EXPECT_EQ(NetWorkHandleTable.live_count, live);
  EXPECT_EQ(NetWorkHandleTable.records[1], nullptr);
  EXPECT_EQ(NetWorkIdCounter, counter);
  EXPECT_EQ(LiveConnections(), connections);
}

TEST_F(HandleTest, AFullTableRefusesAndTheWaitingConnectionIsTakenLater) {
  // The test's own records in every empty connection slot.
  static NetWorkHandleRecord fillers[kNetWorkConnectionSlots];
  std::vector<int32_t> filled;
  for (int32_t slot = 0; slot < kNetWorkConnectionSlots; ++slot) {
    if (NetWorkHandleTable.records[slot] == nullptr) {
      NetWorkHandleTable.records[slot] = &fillers[slot].head;
      filled.push_back(slot);
    }
  }
  const std::string refusal = "空きソケットデータがなかったので accept を拒否しました \r\n";
  LoopbackPeer first, second;
  ASSERT_TRUE(first.Connect(port_, kBoundMs));
  ASSERT_TRUE(Pump([&] { return log_.Count(refusal) == 1; }));

  // A slot comes free; the next arrival's FD_ACCEPT takes the connection that
  // waited, and the one that just came is refused in its turn.
  constexpr int32_t kFreed = 7;
  NetWorkHandleTable.records[kFreed] = nullptr;
  ASSERT_TRUE(second.Connect(port_, kBoundMs));
  ASSERT_TRUE(Pump([&] {
    return NetWorkHandleTable.records[kFreed] != nullptr && log_.Count(refusal) == 2;
  }));
  const auto* taken = reinterpret_cast<NetWorkHandleRecord*>(NetWorkHandleTable.records[kFreed]);
  EXPECT_EQ(PortOfField(taken->PeerPort), first.Port());

  for (int32_t slot : filled) {
    if (slot != kFreed) NetWorkHandleTable.records[slot] = nullptr;
  }
  EXPECT_EQ(ReleaseNetWorkHandle(taken->ListNode.value), 0);
}

TEST_F(HandleTest, SocketEventsByKind) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  NetWorkHandleRecord* record = Record(h);
  struct Case {
    const char* name;
    LPARAM lparam;
    int32_t connection, lost;  // before
    LRESULT result;
    int32_t connection_after, lost_after;
    const char* line;
  };
  const Case cases[] = {
      {"FD_READ", FD_READ, 1, 0, 1, 1, 0, ""},
      {"FD_WRITE", FD_WRITE, 1, 0, 1, 1, 0, ""},
      {"FD_ACCEPT gives the accept's result", FD_ACCEPT, 1, 0, -1, 1, 0,
       "ネットワークログ。acceptに失敗しました[10035]\r\n"},
      {"FD_CONNECT that succeeded", FD_CONNECT, 0, 0, 1, 1, 0, ""},
      {"FD_CONNECT that failed", FD_CONNECT | (WSAECONNREFUSED << 16), 0, 0, 1, 0, 0, ""},
      {"FD_CLOSE", FD_CLOSE, 1, 1, 1, 0, 0, ""},
      {"an event of no kind", 64, 1, 1, 1, 1, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    record->ConnectionFlag = c.connection;
    record->LostNotifiedFlag = c.lost;
    log_.TakeNew();
    EXPECT_EQ(HandleSocketEvent(c.lparam, record->Socket), c.result);
    EXPECT_EQ(record->ConnectionFlag, c.connection_after);
    EXPECT_EQ(record->LostNotifiedFlag, c.lost_after);
    EXPECT_EQ(log_.TakeNew(), c.line);
  }
  record->ConnectionFlag = 1;
  record->LostNotifiedFlag = 0;

  // A socket no record holds, called directly and through the window.
  constexpr SOCKET kUnknown = 999999;
  EXPECT_EQ(HandleSocketEvent(FD_READ, kUnknown), 0);
  EXPECT_EQ(log_.TakeNew(), "通信エラー No.1\r\n");
  ASSERT_TRUE(PostMessageA(NetWorkWindow, kSocketEventMessage, kUnknown, FD_CLOSE));
  ProcessNetWorkMessages(0);
  EXPECT_EQ(log_.TakeNew(), "通信エラー No.1\r\n");
}

TEST_F(HandleTest, ManyConnectionsAtOnceEachPacketOnItsPeersHandle) {
  constexpr size_t kPeers = 200;
  std::vector<std::unique_ptr<LoopbackPeer>> peers;
  std::set<uint16_t> ports;
  for (size_t i = 0; i < kPeers; ++i) {
    peers.push_back(std::make_unique<LoopbackPeer>());
    ASSERT_TRUE(peers.back()->Connect(port_, kBoundMs));
    const uint16_t port = peers.back()->Port();
    ports.insert(port);
    ASSERT_TRUE(peers.back()->Write(Packet("port " + std::to_string(port)).data(),
                                    4 + 5 + std::to_string(port).size()));
  }
  auto all_in = [&] {
    const std::vector<RuntimeHandle> handles = LiveConnections();
    if (handles.size() != kPeers) return false;
    for (RuntimeHandle h : handles) {
      if (Record(h)->RecvCompleteBytes == 0) return false;
    }
    return true;
  };
  ASSERT_TRUE(Pump(all_in));
  std::set<uint16_t> seen;
  for (RuntimeHandle h : LiveConnections()) {
    const NetWorkHandleRecord* record = Record(h);
    std::string text(static_cast<size_t>(record->RecvCompleteBytes), '\0');
    ASSERT_EQ(NetWorkRecv(h, text.data(), record->RecvCompleteBytes), 0);
    ASSERT_EQ(text.rfind("port ", 0), 0u) << text;
    const uint16_t port = static_cast<uint16_t>(std::atoi(text.c_str() + 5));
    EXPECT_EQ(port, PortOfField(record->PeerPort)) << "a packet on another peer's handle";
    seen.insert(port);
  }
  EXPECT_EQ(seen, ports);
}

}  // namespace
