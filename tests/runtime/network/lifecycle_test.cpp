// The life of a connection: the loss reported once the data is in, the
// auto-close pass, a length word the layer refuses, the release's drains
// timed on the virtual clock (none for a handle in error), and a peer that
// goes mid-packet, whose rest the release does not wait for.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/mmsystem.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/network/recording_sockets.h"

namespace {

class LifecycleTest : public NetWorkTest {};

// Virtual time, in microseconds, that a release may take without draining:
// a hundredth of one drain's second. A drain that spins takes the whole
// second, as every clock read moves the null host's clock by 10 µs.
constexpr uint64_t kNoDrainMicroseconds = 10000;

uint64_t VirtualMicroseconds() { return static_cast<NullHost&>(CurrentHost()).PeekMicroseconds(); }

// Runs `release`, which must release `h`, and checks that it did not drain
// and that the release did all the rest: the socket closed, the record out of
// its slot and out of the list.
void ExpectReleasedWithoutDraining(RuntimeHandle h, const std::function<void()>& release) {
  ASSERT_NE(Record(h), nullptr);
  const SOCKET s = Record(h)->Socket;
  const int32_t live = NetWorkHandleTable.live_count;
  const uint64_t start = VirtualMicroseconds();
  release();
  EXPECT_LT(VirtualMicroseconds() - start, kNoDrainMicroseconds) << "the release drained";
  EXPECT_EQ(Record(h), nullptr);
  EXPECT_EQ(NetWorkHandleTable.records[h & 0xFFFF], nullptr);
  EXPECT_EQ(NetWorkHandleTable.live_count, live - 1);
  const std::vector<RuntimeHandle> live_handles = LiveConnections();
  EXPECT_EQ(std::find(live_handles.begin(), live_handles.end(), h), live_handles.end());
  char byte;
  EXPECT_EQ(recv(s, &byte, 1, MSG_PEEK), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK) << "the socket was not closed";
  EXPECT_EQ(ReleaseNetWorkHandle(h), -1);
}

// The lines in a piece of captured log.
int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Pumps with the auto-close pass until the FD_CLOSE of `h` was handled.
bool PassUntilLost(RuntimeHandle h) {
  return RepeatUntil([] { ProcessNetWorkMessages(1); },
                     [&] { return Record(h) != nullptr && Record(h)->ConnectionFlag == 0; });
}

TEST_F(LifecycleTest, TheLossIsReportedOnceTheDataIsInAndAutoCloseFollowsIt) {
  for (int32_t auto_close_off : {0, 1}) {
    SCOPED_TRACE(auto_close_off);
    NetWorkAutoCloseOff = auto_close_off;
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    ASSERT_TRUE(peer.Write(Packet("hello").data(), 9));
    peer.Close();

    // 1 while the data comes in; the first 0 finds all of it in.
    std::vector<int> states;
    ASSERT_TRUE(RepeatUntil(
        [&] {
          ProcessNetWorkMessages(1);
          // -2: released before the loss was reported.
          states.push_back(Record(h) != nullptr ? GetNetWorkAcceptState(h) : -2);
        },
        [&] { return states.back() != 1; }));
    EXPECT_EQ(states.back(), 0);
    EXPECT_EQ(Record(h)->RecvCompleteBytes, 5);
    EXPECT_EQ(Record(h)->LostNotifiedFlag, 1);

    ProcessNetWorkMessages(1);
    if (auto_close_off == 0) {
      EXPECT_EQ(Record(h), nullptr) << "the pass after the report releases it";
      EXPECT_EQ(GetNetWorkDataLength(h), -1);
    } else {
      for (int pass = 0; pass < 5; ++pass) ProcessNetWorkMessages(1);
      ASSERT_NE(Record(h), nullptr) << "released with auto-close off";
      EXPECT_EQ(GetNetWorkAcceptState(h), 0);
      char hello[5];
      ASSERT_EQ(NetWorkRecv(h, hello, 5), 0);
      EXPECT_EQ(std::string(hello, 5), "hello");
      EXPECT_EQ(ReleaseNetWorkHandle(h), 0);
    }
  }
}

TEST_F(LifecycleTest, ALossNotYetReportedSurvivesThePasses) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  peer.Close();
  ASSERT_TRUE(PassUntilLost(h));
  for (int pass = 0; pass < 5; ++pass) ProcessNetWorkMessages(1);
  ASSERT_NE(Record(h), nullptr);
  EXPECT_EQ(GetNetWorkAcceptState(h), 0);
  ProcessNetWorkMessages(1);
  EXPECT_EQ(Record(h), nullptr);
}

// A length word the ring cannot take puts the handle in error; the next pass
// releases it whatever its auto-close.
TEST_F(LifecycleTest, ARefusedLengthWordPutsTheHandleInErrorUntilTheNextPass) {
  struct Case {
    const char* name;
    Bytes word;
    int32_t auto_close_off;
    std::string line;
  };
  const Case cases[] = {
      {"-1", {0xFF, 0xFF, 0xFF, 0xFF}, 0,
       "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ -1 byte)\r\n"},
      {"0x80000000", {0x00, 0x00, 0x00, 0x80}, 1,
       "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ -2147483648 "
       "byte)\r\n"},
      {"more than a block holds", {0xF0, 0xFF, 0xFF, 0x7F}, 1,
       "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ 2147483632 "
       "byte)\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NetWorkAutoCloseOff = c.auto_close_off;
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    ASSERT_TRUE(peer.Write(c.word.data(), 4));
    ASSERT_TRUE(WaitForSocketBytes(h, 4));
    log_.TakeNew();
    EXPECT_EQ(RecvSocket(h), -1);
    EXPECT_NE(log_.TakeNew().find(c.line), std::string::npos);
    EXPECT_EQ(Record(h)->ErrorFlag, 1);
    EXPECT_EQ(Record(h)->RecvBuffer.count, 0);
    // Every data operation refuses it from now on.
    char byte;
    EXPECT_EQ(NetWorkRecv(h, &byte, 1), -1);
    EXPECT_EQ(GetNetWorkAcceptState(h), -1);
    const std::string lines = log_.TakeNew();
    EXPECT_NE(lines.find("このネットワークハンドルにはエラーが発生しています in NetWorkRecv\r\n"),
              std::string::npos);
    EXPECT_NE(lines.find("このネットワークハンドルにはエラーが発生しています in "
                         "GetNetWorkAcceptStateh\r\n"),
              std::string::npos);
    ExpectReleasedWithoutDraining(h, [] { ProcessNetWorkMessages(1); });
    Bytes rest;
    EXPECT_TRUE(peer.ReadUntilClose(&rest, kBoundMs));
  }
}

// A handle in error can never take or send a byte again: the auto-close pass
// releases it without draining either way, so the refused length word leaves
// its one line in the log and nothing more.
TEST_F(LifecycleTest, AHandleInErrorIsReleasedWithoutDraining) {
  struct Case {
    const char* name;
    bool bytes_queued;  // the send ring holds bytes the peer does not read
  };
  const Case cases[] = {{"nothing queued", false}, {"bytes queued to send", true}};
  const Bytes refused = {0xFF, 0xFF, 0xFF, 0xFF};
  const std::string line =
      "受信データを保存するリングバッファのリサイズに失敗しました(データサイズ -1 byte)\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    if (c.bytes_queued) SendMoreThanTheSocketTakes(h, 12);
    log_.TakeNew();
    ASSERT_TRUE(peer.Write(refused.data(), refused.size()));
    // The socket event hands the word to the receive pump.
    ASSERT_TRUE(Pump([&] { return Record(h)->ErrorFlag == 1; }));
    ExpectReleasedWithoutDraining(h, [] { ProcessNetWorkMessages(1); });
    const std::string lines = log_.TakeNew();
    ASSERT_EQ(LineCount(lines), 1);
    EXPECT_EQ(lines, line);
    Bytes rest;
    EXPECT_TRUE(peer.ReadUntilClose(&rest, 4 * kBoundMs)) << "the peer saw no close";
  }
}

TEST_F(LifecycleTest, AReleaseWaitsForTheRestOfAPacketForAtMostASecond) {
  struct Case {
    const char* name;
    bool rest_in_socket;
  };
  const Case cases[] = {{"the rest never comes", false}, {"the rest is in the socket", true}};
  const Bytes packet = Packet(Pattern(100, 9));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    ASSERT_TRUE(peer.Write(packet.data(), 14));
    ASSERT_TRUE(Pump([&] { return Record(h)->RecvPacketLeft == 90; }));
    if (c.rest_in_socket) {
      ASSERT_TRUE(peer.Write(packet.data() + 14, 90));
      ASSERT_TRUE(WaitForSocketBytes(h, 90));
    }
    const DWORD start = timeGetTime();
    ASSERT_EQ(ReleaseNetWorkHandle(h), 0);
    const DWORD waited = timeGetTime() - start;
    if (c.rest_in_socket) {
      EXPECT_LT(waited, 1000u);
    } else {
      EXPECT_GE(waited, 1000u);
    }
    EXPECT_EQ(Record(h), nullptr);
    Bytes rest;
    EXPECT_TRUE(peer.ReadUntilClose(&rest, kBoundMs)) << "the peer saw no close";
  }
}

TEST_F(LifecycleTest, AReleaseSendsEverythingQueuedToAPeerThatReads) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const Bytes big = SendMoreThanTheSocketTakes(h, 10);

  // The peer reads what has come before each of the release's sends.
  Bytes read;
  RecordingSockets sockets;
  sockets.OnEach("send", [&] { peer.ReadAvailable(&read); });
  ASSERT_EQ(ReleaseNetWorkHandle(h), 0);
  Bytes rest;
  ASSERT_TRUE(peer.ReadUntilClose(&rest, kBoundMs));
  read.insert(read.end(), rest.begin(), rest.end());
  EXPECT_TRUE(read == Packet(big)) << read.size() << " bytes read";
}

TEST_F(LifecycleTest, APeerThatClosesMidPacket) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const Bytes packet = Packet(Pattern(100, 11));
  ASSERT_TRUE(peer.Write(packet.data(), 14));
  peer.Close();
  // The close comes after the last byte.
  ASSERT_TRUE(PassUntilLost(h));
  const NetWorkHandleRecord* record = Record(h);
  EXPECT_EQ(record->RecvPacketLeft, 90);
  EXPECT_EQ(record->RecvBuffer.count, 10);
  EXPECT_EQ(GetNetWorkDataLength(h), 0);
  EXPECT_EQ(GetNetWorkAcceptState(h), 0);
  // Taking is tested on the stored bytes: more than they hold gives -1, but
  // a caller may take bytes of the half packet, and the count of complete
  // bytes then drops below 0.
  char bytes[11];
  EXPECT_EQ(NetWorkRecv(h, bytes, 11), -1);
  EXPECT_EQ(NetWorkRecv(h, bytes, 4), 0);
  EXPECT_EQ(Bytes(bytes, bytes + 4), Bytes(packet.begin() + 4, packet.begin() + 8));
  EXPECT_EQ(record->RecvCompleteBytes, -4);

  // The rest can no longer come: the pass releases it without waiting.
  ExpectReleasedWithoutDraining(h, [] { ProcessNetWorkMessages(1); });
}

// A release does not wait for the rest of a packet once the peer has gone,
// whether or not its going was handled as a socket event yet.
TEST_F(LifecycleTest, AReleaseWaitsForNoRestFromAPeerThatHasGone) {
  struct Case {
    const char* name;
    bool reset;  // the peer resets the connection instead of closing in order
  };
  const Case cases[] = {{"closed in order", false}, {"reset", true}};
  const Bytes packet = Packet(Pattern(100, 13));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    ASSERT_TRUE(peer.Write(packet.data(), 14));
    ASSERT_TRUE(Pump([&] { return Record(h)->RecvPacketLeft == 90; }));
    // Seen on the socket itself; the socket event may still be on its way.
    const SOCKET s = Record(h)->Socket;
    auto gone = [&] {
      char byte;
      const int peeked = recv(s, &byte, 1, MSG_PEEK);
      return c.reset ? peeked == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK
                     : peeked == 0;
    };
    if (c.reset) {
      peer.Reset();
    } else {
      peer.Close();
    }
    ASSERT_TRUE(RepeatUntil([] {}, gone));
    ExpectReleasedWithoutDraining(h, [&] { EXPECT_EQ(ReleaseNetWorkHandle(h), 0); });
  }
}

}  // namespace
