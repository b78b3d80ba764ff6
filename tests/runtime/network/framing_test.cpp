// Packets over real loopback connections: what a peer writes and what the
// receive ring and its counts then hold, what the layer's sends put on the
// wire, length words that go out in pieces, pieces that wrap the ring, and a
// socket event that reaches a pump while it runs (turned away by the pump's
// guard, then posted again so the rest of a packet still goes).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/user.h"
#include "runtime/network/ring_buffer.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/network/recording_sockets.h"

namespace {

class FramingTest : public NetWorkTest {};

// ---- Receive side ------------------------------------------------------------

enum class Act {
  kWrite,  // the peer writes `bytes` in one call
  kWriteOneByOne,  // the peer writes `bytes` a byte a call
  kTake,  // the user takes `bytes.size()` bytes with NetWorkRecv: they must be `bytes`
};

// What the layer holds after a step. A capacity or write position of -1 is
// not looked at.
struct Held {
  int32_t complete;  // RecvCompleteBytes
  int32_t left;  // RecvPacketLeft
  int32_t stored;  // the receive ring's count
  int unread;  // bytes left in the socket
  int32_t capacity = -1;
  int32_t write_position = -1;
};

struct RecvStep {
  Act act;
  Bytes bytes;
  Held held;
};

struct RecvCase {
  const char* name;
  std::vector<RecvStep> steps;
};

// After a write, the layer runs once the written bytes are all in the socket:
// one pass of the receive pump, so what a single pass takes is seen.
TEST_F(FramingTest, WhatThePeerWritesIsWhatTheRingHolds) {
  const Bytes hello = Packet("hello");
  const Bytes ten = Packet("0123456789");
  const Bytes first = Pattern(600, 1), second = Pattern(1200, 2);
  const RecvCase cases[] = {
      {"a length word written byte by byte counts nothing until it is whole",
       {{Act::kWriteOneByOne, Bytes(hello.begin(), hello.begin() + 3), {0, 0, 0, 3}},
        {Act::kWriteOneByOne, Bytes(hello.begin() + 3, hello.end()), {5, 0, 5, 0}},
        {Act::kTake, ToBytes("hello"), {0, 0, 0, 0}}}},
      {"a zero-length packet is taken, adds nothing and ends the pass",
       {{Act::kWrite, Joined({Packet(""), Packet("abc")}), {0, 0, 0, 7}},
        {Act::kWrite, {}, {3, 0, 3, 0}},
        {Act::kTake, ToBytes("abc"), {0, 0, 0, 0}}}},
      {"several packets in one write, in one pass",
       {{Act::kWrite, Joined({Packet("ab"), Packet("cde"), Packet("f")}), {6, 0, 6, 0}},
        {Act::kTake, ToBytes("abcdef"), {0, 0, 0, 0}}}},
      {"a packet arriving across several frames",
       {{Act::kWrite, Bytes(ten.begin(), ten.begin() + 7), {0, 7, 3, 0}},
        {Act::kWrite, ToBytes("3456"), {0, 3, 7, 0}},
        {Act::kWrite, ToBytes("789"), {10, 0, 10, 0}},
        {Act::kTake, ToBytes("0123456789"), {0, 0, 0, 0}}}},
      {"a packet that wraps the ring",
       {{Act::kWrite, Packet(first), {600, 0, 600, 0, 1600, 600}},
        {Act::kTake, first, {0, 0, 0, 0, 1600, 600}},
        {Act::kWrite, Packet(second), {1200, 0, 1200, 0, 1600, 200}},
        {Act::kTake, second, {0, 0, 0, 0, 1600, 200}}}},
  };
  for (const RecvCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    int unread = 0;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      SCOPED_TRACE(i);
      const RecvStep& step = c.steps[i];
      if (step.act == Act::kTake) {
        Bytes taken(step.bytes.size());
        ASSERT_EQ(NetWorkRecv(h, taken.data(), static_cast<int32_t>(taken.size())), 0);
        EXPECT_EQ(taken, step.bytes);
      } else {
        ASSERT_TRUE(step.act == Act::kWrite ? peer.Write(step.bytes.data(), step.bytes.size())
                                            : peer.WriteOneByOne(step.bytes.data(),
                                                                 step.bytes.size()));
        unread += static_cast<int>(step.bytes.size());
        ASSERT_TRUE(WaitForSocketBytes(h, unread));
        EXPECT_EQ(RecvSocket(h), 0);
      }
      const NetWorkHandleRecord* record = Record(h);
      EXPECT_EQ(record->RecvCompleteBytes, step.held.complete);
      EXPECT_EQ(record->RecvPacketLeft, step.held.left);
      EXPECT_EQ(record->RecvBuffer.count, step.held.stored);
      unread = SocketUnread(h);
      EXPECT_EQ(unread, step.held.unread);
      if (step.held.capacity >= 0) {
        EXPECT_EQ(record->RecvBuffer.capacity, step.held.capacity);
      }
      if (step.held.write_position >= 0) {
        EXPECT_EQ(record->RecvBuffer.write_position, step.held.write_position);
      }
    }
    EXPECT_EQ(ReleaseNetWorkHandle(h), 0);
  }
}

// The second piece of a wrapped packet fails: the write position goes to 0
// and the first piece stays counted.
TEST_F(FramingTest, AFailedSecondPieceKeepsTheFirst) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const Bytes first = Pattern(600, 3), second = Pattern(1200, 4);
  ASSERT_TRUE(peer.Write(Packet(first).data(), 604));
  ASSERT_TRUE(WaitForSocketBytes(h, 604));
  ASSERT_EQ(RecvSocket(h), 0);
  Bytes taken(600);
  ASSERT_EQ(NetWorkRecv(h, taken.data(), 600), 0);

  ASSERT_TRUE(peer.Write(Packet(second).data(), 1204));
  ASSERT_TRUE(WaitForSocketBytes(h, 1204));
  {
    RecordingSockets sockets;
    // The peek, the length word, the piece up to the end, the piece from the
    // start.
    sockets.FailNth("recv", 4, WSAECONNRESET);
    ASSERT_EQ(RecvSocket(h), 0);
    ASSERT_EQ(sockets.Uses("recv"), 4);
  }
  const NetWorkHandleRecord* record = Record(h);
  EXPECT_EQ(record->RecvBuffer.write_position, 0);
  EXPECT_EQ(record->RecvBuffer.count, 1000);
  EXPECT_EQ(record->RecvPacketLeft, 200);
  EXPECT_EQ(record->RecvCompleteBytes, 0);
  // The rest comes with the next pass, in order.
  ASSERT_EQ(RecvSocket(h), 0);
  EXPECT_EQ(record->RecvCompleteBytes, 1200);
  taken.resize(1200);
  ASSERT_EQ(NetWorkRecv(h, taken.data(), 1200), 0);
  EXPECT_EQ(taken, second);
}

// ---- Send side ---------------------------------------------------------------

TEST_F(FramingTest, EachSendIsOnePacketAndNothingMakesNone) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  EXPECT_EQ(NetWorkSend(h, "abc", 3), 0);
  EXPECT_EQ(NetWorkSend(h, "", 0), 0);
  EXPECT_EQ(NetWorkSend(h, "defg", 4), 0);
  Bytes read;
  ASSERT_TRUE(peer.ReadExactly(15, &read, kBoundMs));
  EXPECT_EQ(read, Joined({Packet("abc"), Packet("defg")}));
  // Nothing more follows before the close.
  ASSERT_EQ(ReleaseNetWorkHandle(h), 0);
  ASSERT_TRUE(peer.ReadUntilClose(&read, kBoundMs));
  EXPECT_TRUE(read.empty());
}

TEST_F(FramingTest, SendsQueuedBehindABatchGoOutAsTheNextBatch) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const Bytes big = SendMoreThanTheSocketTakes(h, 5);
  const NetWorkHandleRecord* record = Record(h);
  ASSERT_EQ(NetWorkSend(h, "abc", 3), 0);
  ASSERT_EQ(NetWorkSend(h, "de", 2), 0);

  const Bytes expected = Joined({Packet(big), Packet("abcde")});
  Bytes read;
  ASSERT_TRUE(ReadWhilePumping(&peer, expected.size(), &read,
                               [&] { return record->SendBuffer.count == 0; }));
  EXPECT_TRUE(read == expected);
}

TEST_F(FramingTest, ALengthWordSentInPiecesIsFinishedBeforeTheBody) {
  // The length 0x010203 makes the word's bytes 03 02 01 00, so each rest of
  // it is told apart.
  const Bytes body = Pattern(0x010203, 6);
  const Bytes word = {0x03, 0x02, 0x01, 0x00};
  for (int taken_per_send = 1; taken_per_send <= 3; ++taken_per_send) {
    SCOPED_TRACE(taken_per_send);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    const NetWorkHandleRecord* record = Record(h);
    const int header_sends = (4 + taken_per_send - 1) / taken_per_send;
    RecordingSockets sockets;
    for (int n = 1; n <= header_sends; ++n) sockets.LimitNth("send", n, taken_per_send);

    ASSERT_EQ(NetWorkSend(h, body.data(), static_cast<int32_t>(body.size())), 0);
    EXPECT_EQ(record->SendHeaderLeft, 4 - taken_per_send);
    Bytes read;
    ASSERT_TRUE(ReadWhilePumping(&peer, 4 + body.size(), &read,
                                 [&] { return record->SendBuffer.count == 0; }));
    EXPECT_TRUE(read == Joined({word, body}));

    const std::vector<SocketCallRecord> sends = sockets.CallsOf("send", record->Socket);
    ASSERT_GT(sends.size(), static_cast<size_t>(header_sends));
    for (int n = 0; n < header_sends; ++n) {
      EXPECT_EQ(sends[n].bytes, Bytes(word.begin() + n * taken_per_send, word.end())) << n;
    }
    EXPECT_EQ(sends[header_sends].length, static_cast<int>(body.size()));
    EXPECT_TRUE(sends[header_sends].bytes == body) << "the body follows the whole word";
    ASSERT_EQ(ReleaseNetWorkHandle(h), 0);
  }
}

// A body piece that reaches the end of the send ring and one from its start:
// the second failing leaves the read position at 0 and the first counted.
TEST_F(FramingTest, AFailedSecondSendPieceKeepsTheFirst) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  NetWorkHandleRecord* record = Record(h);
  // Queue without sending: the ring gets 600 bytes, capacity 1600, of which
  // 500 are taken as sent, so the next 1200 wrap.
  const Bytes first = Pattern(600, 7);
  ASSERT_EQ(AppendRingBuffer(&record->SendBuffer, first.data(), 600), 0);
  Bytes drop(500);
  ASSERT_EQ(ReadRingBuffer(&record->SendBuffer, drop.data(), 500, 0), 0);
  const Bytes second = Pattern(1100, 8);
  ASSERT_EQ(AppendRingBuffer(&record->SendBuffer, second.data(), 1100), 0);
  ASSERT_EQ(record->SendBuffer.capacity, 1600);
  ASSERT_EQ(record->SendBuffer.count, 1200);
  {
    RecordingSockets sockets;
    // The length word, the piece up to the end, the piece from the start.
    sockets.FailNth("send", 3, WSAEWOULDBLOCK);
    ASSERT_EQ(SendSocket(h), 0);
    ASSERT_EQ(sockets.Uses("send"), 3);
  }
  EXPECT_EQ(record->SendBuffer.read_position, 0);
  EXPECT_EQ(record->SendBuffer.count, 1200 - 1100);
  EXPECT_EQ(record->SendPacketLeft, 100);
  // The rest goes with the next pass.
  ASSERT_EQ(SendSocket(h), 0);
  EXPECT_EQ(record->SendBuffer.count, 0);
  Bytes read;
  ASSERT_TRUE(peer.ReadExactly(4 + 1200, &read, kBoundMs));
  EXPECT_TRUE(read == Joined({Packet(Joined({Bytes(first.begin() + 500, first.end()), second}))}));
}

// A body sent in part leaves the stand-in owing one write event, which can
// come while the pump still runs: the guard turns that pass away, and the
// event is posted again when the pump ends, so the rest goes out by itself.
TEST_F(FramingTest, ABodySentInPartGoesOnByItself) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const NetWorkHandleRecord* record = Record(h);
  const Bytes body = Pattern(100, 9);
  {
    RecordingSockets sockets;
    sockets.LimitNth("send", 2, 50);
    ASSERT_EQ(NetWorkSend(h, body.data(), 100), 0);
    EXPECT_EQ(record->SendPacketLeft, 50);
  }
  Bytes read;
  ASSERT_TRUE(ReadWhilePumping(&peer, 104, &read, [&] { return record->SendBuffer.count == 0; }));
  EXPECT_TRUE(read == Packet(body));
}

// The same for a body received in part and its read event.
TEST_F(FramingTest, ABodyReceivedInPartGoesOnByItself) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const NetWorkHandleRecord* record = Record(h);
  const Bytes body = Pattern(100, 9);
  ASSERT_TRUE(peer.Write(Packet(body).data(), 104));
  ASSERT_TRUE(WaitForSocketBytes(h, 104));
  {
    RecordingSockets sockets;
    sockets.LimitNth("recv", 3, 50);
    ASSERT_EQ(RecvSocket(h), 0);
    EXPECT_EQ(record->RecvPacketLeft, 50);
  }
  EXPECT_TRUE(Pump([&] { return record->RecvCompleteBytes == 100; }));
}

// The receive ring's values after each step of a connection that takes a
// large packet and a small one, then a packet that wraps the ring's capacity.
struct RingSeen {
  const uint8_t* data;
  int32_t capacity, read, write, count, complete;
};

// A second connection's receive ring takes the large block the first one's
// left at its release, and reads exactly as the first's did: the growth
// rule's capacity (not the block's size), positions, counts, and the bytes in
// order, also where a packet wraps the capacity inside the larger block.
TEST_F(FramingTest, ARingBlockLeftByOneConnectionServesTheNextAlike) {
  ReleaseKeptRingBlock();
  const Bytes large = Pattern(300000, 3), small = Pattern(10, 4), wrapping = Pattern(5000, 5);
  std::vector<std::vector<RingSeen>> connections;
  for (int connection = 0; connection < 2; ++connection) {
    SCOPED_TRACE(connection);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    const NetWorkHandleRecord* record = Record(h);
    const RingBuffer& ring = record->RecvBuffer;
    std::vector<RingSeen> seen;
    const auto look = [&] {
      seen.push_back({ring.data, ring.capacity, ring.read_position, ring.write_position,
                      ring.count, record->RecvCompleteBytes});
    };
    const auto receive = [&](const Bytes& wire, int32_t complete) {
      bool written = false;
      std::thread writer([&] { written = peer.Write(wire.data(), wire.size()); });
      EXPECT_TRUE(Pump([&] { return record->RecvCompleteBytes == complete; }));
      writer.join();
      EXPECT_TRUE(written);
      look();
    };
    const auto take = [&](const Bytes& expected) {
      Bytes taken(expected.size());
      ASSERT_EQ(NetWorkRecv(h, taken.data(), static_cast<int32_t>(taken.size())), 0);
      EXPECT_TRUE(taken == expected);
      look();
    };
    receive(Joined({Packet(large), Packet(small)}), 300010);
    take(Joined({large, small}));
    receive(Packet(wrapping), 5000);
    take(wrapping);
    EXPECT_EQ(ReleaseNetWorkHandle(h), 0);
    const RingSeen expected[] = {
        {seen[0].data, 301000, 0, 300010, 300010, 300010},
        {seen[0].data, 301000, 300010, 300010, 0, 0},
        {seen[0].data, 301000, 300010, 4010, 5000, 5000},
        {seen[0].data, 301000, 4010, 4010, 0, 0},
    };
    ASSERT_EQ(seen.size(), std::size(expected));
    for (size_t i = 0; i < seen.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(seen[i].data, expected[i].data);
      EXPECT_EQ(seen[i].capacity, expected[i].capacity);
      EXPECT_EQ(seen[i].read, expected[i].read);
      EXPECT_EQ(seen[i].write, expected[i].write);
      EXPECT_EQ(seen[i].count, expected[i].count);
      EXPECT_EQ(seen[i].complete, expected[i].complete);
    }
    connections.push_back(seen);
  }
  ASSERT_EQ(connections.size(), 2u);
  EXPECT_EQ(connections[1][0].data, connections[0][0].data) << "the block was not taken again";
}

// Large packets while the peer reads on its own thread, for ten seconds: the
// write events come at every moment of the pumps, and no round may stall.
TEST_F(FramingTest, LargeSendsWhileThePeerReadsNeverStall) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const NetWorkHandleRecord* record = Record(h);
  const Bytes big = Pattern(8 << 20, 3);
  const auto start = std::chrono::steady_clock::now();
  int rounds = 0;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    ++rounds;
    ASSERT_EQ(NetWorkSend(h, big.data(), static_cast<int32_t>(big.size())), 0);
    bool complete = false;
    Bytes read;
    std::thread reader([&] { complete = peer.ReadExactly(big.size() + 4, &read, 3000); });
    const bool pumped = RepeatUntil([] { ProcessNetWorkMessages(0); },
                                    [&] { return record->SendBuffer.count == 0; }, 2000);
    reader.join();
    ASSERT_TRUE(pumped && complete) << "stalled in round " << rounds << " with "
                                    << record->SendBuffer.count << " bytes queued";
  }
}

// ---- Re-entry ----------------------------------------------------------------

TEST_F(FramingTest, AnEventDuringAPumpRunsANestedPumpThatChangesNothing) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  NetWorkHandleRecord* record = Record(h);
  ASSERT_TRUE(peer.Write(Packet("hello").data(), 9));
  ASSERT_TRUE(WaitForSocketBytes(h, 9));

  RecordingSockets sockets;
  bool nested_ran = false;
  // At the body's recv (after the peek and the length word), with the receive
  // pump under way.
  sockets.OnNth("recv", 3, [&] {
    nested_ran = true;
    NetWorkHandleRecord before;
    std::memcpy(&before, record, sizeof(before));
    // A socket event for the handle, dispatched by a pump of the window.
    ASSERT_TRUE(PostMessageA(NetWorkWindow, kSocketEventMessage, record->Socket, FD_READ));
    ProcessNetWorkMessages(0);
    EXPECT_EQ(RecvSocket(h), -1);
    EXPECT_EQ(std::memcmp(&before, record, sizeof(before)), 0);
    EXPECT_EQ(sockets.Uses("recv"), 3) << "the nested pump made a socket call";
  });
  ASSERT_EQ(RecvSocket(h), 0);
  EXPECT_TRUE(nested_ran);
  EXPECT_EQ(record->RecvCompleteBytes, 5);
  EXPECT_EQ(RecvSocketGuard, 0);
  // The guard is free again: a later pass runs.
  ASSERT_TRUE(peer.Write(Packet("more").data(), 8));
  ASSERT_TRUE(WaitForSocketBytes(h, 8));
  EXPECT_EQ(RecvSocket(h), 0);
  EXPECT_EQ(record->RecvCompleteBytes, 9);
}

}  // namespace
