// The life of a connection: the loss reported once the data is in, the
// auto-close pass, a length word the layer refuses, the release's drains
// timed on the virtual clock, and a peer that goes mid-packet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/mmsystem.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/network/recording_sockets.h"

namespace {

class LifecycleTest : public NetWorkTest {};

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
// releases it whatever its auto-close, after the receive drain has spun its
// time (the packet never ends).
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
    ProcessNetWorkMessages(1);
    EXPECT_EQ(Record(h), nullptr);
    Bytes rest;
    EXPECT_TRUE(peer.ReadUntilClose(&rest, kBoundMs));
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

  // The pass releases it after the receive drain has waited its time.
  const DWORD start = timeGetTime();
  ProcessNetWorkMessages(1);
  EXPECT_GE(timeGetTime() - start, 1000u);
  EXPECT_EQ(Record(h), nullptr);
}

}  // namespace
