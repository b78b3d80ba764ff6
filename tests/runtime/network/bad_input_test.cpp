// Peers' bytes of tests/fixtures/bad-input that once stalled a transfer or
// made the process reserve gigabytes: HTTP answers cut by the server's close
// inside a line, an answer announcing a 2 GiB body, and a 2 GB packet length
// word; with the bounds that now hold for every length a peer announces.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "tests/runtime/network/http_test_support.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/bad_input.h"

namespace {

// A transfer whose server has closed must finish within this many steps.
constexpr int kStepsAfterTheClose = 4;

std::string BadInputText(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadBadInput(name);
  return std::string(bytes.begin(), bytes.end());
}

class HttpBadInputTest : public HttpTest {
 protected:
  // Steps until the server has written everything and closed (or the
  // transfer has finished), then at most kStepsAfterTheClose more; whether
  // the transfer finished.
  bool FinishesSoonAfterTheClose(int slot, LoopbackHttpServer* server) {
    if (!StepUntil([&] { return server->Ended(0) || Transfer(slot)->Result != kHttpRunning; },
                   server)) {
      return false;
    }
    for (int step = 0; step < kStepsAfterTheClose && Transfer(slot)->Result == kHttpRunning;
         ++step) {
      Step();
    }
    return Transfer(slot)->Result != kHttpRunning;
  }
};

// The bytes of a line that never got its line end are taken from the
// connection, so the close behind them is seen: a cut status line is an
// answer not understood, a cut header line a lost connection.
TEST_F(HttpBadInputTest, AnAnswerCutInsideALineEndsSoonAfterTheClose) {
  struct Case {
    const char* file;
    int method;
    bool to_file;
    int32_t detail;
  };
  const Case cases[] = {
      {"http-answer-cut-status-line.txt", kHttpGet, false, kHttpOtherStatus},
      {"http-answer-cut-status-line.txt", kHttpPost, true, kHttpOtherStatus},
      {"http-answer-cut-status-line.txt", kHttpHead, false, kHttpOtherStatus},
      {"http-answer-last-header-without-line-end.txt", kHttpGet, false, kHttpConnectionLost},
      {"http-answer-last-header-without-line-end.txt", kHttpGet, true, kHttpConnectionLost},
      {"http-answer-last-header-without-line-end.txt", kHttpPost, false, kHttpConnectionLost},
      {"http-head-answer-last-line-without-line-end.txt", kHttpHead, false, kHttpConnectionLost},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " method " + std::to_string(c.method) +
                 (c.to_file ? " to a file" : " to memory"));
    const std::string answer = BadInputText(c.file);
    ASSERT_FALSE(answer.empty());
    LoopbackHttpServer server([&](int, const std::string&) { return WholeAnswer(answer); }, 1);
    ASSERT_TRUE(StartServer(&server));
    void* block = nullptr;
    const std::string path = FilePath("cut.bin");
    const int slot = CreateHttpTransferForTest(c.method, "127.0.0.1", server.Port(), "/",
                                               c.to_file ? path.c_str() : nullptr, &block,
                                               "post", 4);
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(FinishesSoonAfterTheClose(slot, &server));
    EXPECT_EQ(Transfer(slot)->Result, kHttpFailed);
    EXPECT_EQ(Transfer(slot)->ErrorDetail, c.detail);
    EXPECT_EQ(Transfer(slot)->NetHandle, -1);
    EXPECT_EQ(block, nullptr);
    if (c.to_file) {
      EXPECT_EQ(FileText(path), "");
    }
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
  }
}

// A line cut only for a while is joined with the rest when it comes: the
// pieces land in separate steps.
TEST_F(HttpBadInputTest, ALineThatComesInPiecesIsJoined) {
  HttpAnswer answer;
  answer.pieces = {{"HTTP/1.0 2", 0},
                   {"00 OK\r\nContent-Le", 3},
                   {"ngth: 5\r\n\r\nhel", 6},
                   {"lo", 9}};
  answer.end = HttpAnswerEnd::kKeepOpen;
  LoopbackHttpServer server([&](int, const std::string&) { return answer; }, 1);
  ASSERT_TRUE(StartServer(&server));
  void* block = nullptr;
  const int slot = MemoryGet(server, &block);
  ASSERT_GE(slot, 0);
  ASSERT_TRUE(StepUntilFinished(slot, &server));
  EXPECT_EQ(Transfer(slot)->Result, kHttpDone);
  EXPECT_EQ(Transfer(slot)->ContentLength, 5);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(block), 5), "hello");
  FreeTracked(block);
}

// A 50-byte answer announcing 2^31 - 1 bytes: the memory block starts small
// and only the bytes that come make it grow; the close mid-body loses the
// connection and frees the block.
TEST_F(HttpBadInputTest, AnAnnouncedLengthAloneReservesNoMoreThanAFirstBlock) {
  const std::string answer = BadInputText("http-answer-content-length-2-gib.txt");
  ASSERT_NE(answer.find("Content-Length: 2147483647\r\n"), std::string::npos);
  LoopbackHttpServer server([&](int, const std::string&) { return WholeAnswer(answer); }, 1);
  ASSERT_TRUE(StartServer(&server));
  const int slot = MemoryGet(server, &block_);
  ASSERT_GE(slot, 0);
  const int64_t before = TrackedTotalBytes();
  ResetTrackedPeakBytes();
  ASSERT_TRUE(FinishesSoonAfterTheClose(slot, &server));
  EXPECT_EQ(Transfer(slot)->ContentLength, 2147483647);
  EXPECT_EQ(Transfer(slot)->Result, kHttpFailed);
  EXPECT_EQ(Transfer(slot)->ErrorDetail, kHttpConnectionLost);
  EXPECT_EQ(block_, nullptr);
  EXPECT_LE(TrackedPeakBytes() - before, kHttpBodyFirstBytes + 1024);
}

// A body longer than the first block: the block grows with what arrives,
// never far ahead of it, and ends exactly as long as announced.
TEST_F(HttpBadInputTest, AMemoryBodyGrowsWithWhatArrives) {
  constexpr int32_t kBodyBytes = 5 * kHttpBodyFirstBytes + 123;
  std::string body(kBodyBytes, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 31 + (i >> 9));
  const std::string head = OkAnswer("Content-Length: " + std::to_string(kBodyBytes) + "\r\n", "");
  constexpr size_t kFirstPart = 1000;
  // The rest is written only once the test moves the server's counter there,
  // after the first part was taken: a server thread that starts late must not
  // send both parts at once.
  constexpr int kRestStep = 1 << 30;
  HttpAnswer answer;
  answer.pieces = {{head + body.substr(0, kFirstPart), 0}, {body.substr(kFirstPart), kRestStep}};
  answer.end = HttpAnswerEnd::kKeepOpen;
  LoopbackHttpServer server([&](int, const std::string&) { return answer; }, 1);
  ASSERT_TRUE(StartServer(&server));
  void* block = nullptr;
  const int slot = MemoryGet(server, &block);
  ASSERT_GE(slot, 0);
  const int64_t before = TrackedTotalBytes();
  ResetTrackedPeakBytes();
  ASSERT_TRUE(StepUntil([&] { return Transfer(slot)->ReceivedBytes == kFirstPart; }, &server));
  EXPECT_LE(TrackedPeakBytes() - before, kHttpBodyFirstBytes + 1024)
      << "more than a first block before the rest came";
  SetServerStep(&server, kRestStep);
  ASSERT_TRUE(StepUntilFinished(slot, &server));
  EXPECT_EQ(Transfer(slot)->Result, kHttpDone);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(MemoryBlockHeaderOf(block)->size, kBodyBytes);
  EXPECT_TRUE(std::string(static_cast<char*>(block), kBodyBytes) == body);
  // While growing, the old block and the new one: at most three times the
  // body.
  EXPECT_LE(TrackedPeakBytes() - before, 3 * static_cast<int64_t>(kBodyBytes));
  FreeTracked(block);
}

class PacketBadInputTest : public NetWorkTest {};

// A peer's 8 bytes: a length word of 0x78000000 and a few bytes of body. The
// word is beyond the longest packet a handle takes, so it is refused as a
// packet the ring cannot hold, before any reservation.
TEST_F(PacketBadInputTest, ALengthWordOf2GbIsRefusedBeforeAnyReservation) {
  const std::vector<uint8_t> bytes = ReadBadInput("packet-length-word-2-gb.bin");
  ASSERT_EQ(bytes.size(), 8u);
  NetWorkAutoCloseOff = 1;
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const int64_t before = TrackedTotalBytes();
  ResetTrackedPeakBytes();
  ASSERT_TRUE(peer.Write(bytes.data(), bytes.size()));
  ASSERT_TRUE(WaitForSocketBytes(h, 8));
  log_.TakeNew();
  EXPECT_EQ(RecvSocket(h), -1);
  EXPECT_NE(log_.TakeNew().find("受信データを保存するリングバッファのリサイズに失敗しました"
                                "(データサイズ 2013265920 byte)\r\n"),
            std::string::npos);
  EXPECT_EQ(Record(h)->ErrorFlag, 1);
  EXPECT_EQ(Record(h)->RecvBuffer.capacity, 0);
  EXPECT_EQ(TrackedPeakBytes(), before) << "reserved for the announced packet";
  EXPECT_EQ(GetNetWorkDataLength(h), -1);
  EXPECT_EQ(ReleaseNetWorkHandle(h), 0);
}

// The longest packet a handle takes is taken with the capacity the growth
// rule gives; one byte more takes the growth failure path.
TEST_F(PacketBadInputTest, TheLongestPacketIsTakenAndOneByteMoreIsRefused) {
  struct Case {
    const char* name;
    uint32_t length;
    int32_t error;
    int32_t capacity;
  };
  const Case cases[] = {
      {"the longest", static_cast<uint32_t>(kMaxNetWorkPacketBytes), 0,
       kMaxNetWorkPacketBytes + 1000},
      {"one byte more", static_cast<uint32_t>(kMaxNetWorkPacketBytes) + 1, 1, 0},
  };
  NetWorkAutoCloseOff = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    Bytes word(4);
    for (int i = 0; i < 4; ++i) word[i] = static_cast<uint8_t>(c.length >> (8 * i));
    ASSERT_TRUE(peer.Write(word.data(), word.size()));
    ASSERT_TRUE(WaitForSocketBytes(h, 4));
    log_.TakeNew();
    EXPECT_EQ(RecvSocket(h), c.error == 1 ? -1 : 0);
    EXPECT_EQ(Record(h)->ErrorFlag, c.error);
    EXPECT_EQ(Record(h)->RecvBuffer.capacity, c.capacity);
    EXPECT_EQ(log_.TakeNew().find("リサイズに失敗しました") != std::string::npos, c.error == 1);
    if (c.error == 0) {
      EXPECT_EQ(Record(h)->RecvPacketLeft, kMaxNetWorkPacketBytes);
      // The rest of the packet, so the release does not wait for it.
      const Bytes body = Pattern(kMaxNetWorkPacketBytes, 3);
      std::thread writer([&] { EXPECT_TRUE(peer.Write(body.data(), body.size())); });
      EXPECT_TRUE(Pump([&] {
        GetNetWorkDataLength(h);
        return Record(h)->RecvCompleteBytes == kMaxNetWorkPacketBytes;
      }));
      writer.join();
      Bytes got(body.size());
      EXPECT_EQ(NetWorkRecv(h, got.data(), static_cast<int32_t>(got.size())), 0);
      EXPECT_TRUE(got == body);
    }
    EXPECT_EQ(ReleaseNetWorkHandle(h), 0);
  }
}

// A batch longer than the longest packet goes out as packets a receiver
// takes: the longest first, then the rest.
TEST_F(PacketBadInputTest, ASendLongerThanTheLongestPacketGoesOutInPacketsThatFit) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  const Bytes body = Pattern(static_cast<size_t>(kMaxNetWorkPacketBytes) + 10, 5);
  const Bytes expected =
      Joined({Packet(Bytes(body.begin(), body.begin() + kMaxNetWorkPacketBytes)),
              Packet(Bytes(body.begin() + kMaxNetWorkPacketBytes, body.end()))});
  ASSERT_EQ(NetWorkSend(h, body.data(), static_cast<int32_t>(body.size())), 0);
  Bytes read;
  ASSERT_TRUE(ReadWhilePumping(&peer, expected.size(), &read, [&] {
    SendSocket(h);
    return Record(h)->SendBuffer.count == 0;
  }));
  EXPECT_TRUE(read == expected);
}

}  // namespace
