// The data operations: their entry checks and log lines, the unbuffered
// pass-through of recv and send, sends to a peer that has gone, and lines
// taken from unbuffered and buffered handles.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/runtime/network/network_test_support.h"

namespace {

class DataOperationTest : public NetWorkTest {};

struct Operation {
  const char* name;
  std::function<int(RuntimeHandle)> call;
  // The operation's own lines: record not in use, record in error.
  std::string not_in_use, in_error;
  // Whether the pumps run (and log) before the operation's own tests.
  bool pumps_first;
};

std::vector<Operation> Operations() {
  const std::string invalid = "有効なネットワークハンドルではありません in ";
  const std::string error = "このネットワークハンドルにはエラーが発生しています in ";
  auto lines = [&](const std::string& name, const std::string& error_name) {
    return std::make_pair(invalid + name + "\r\n", error + error_name + "\r\n");
  };
  static char buffer[256];
  std::vector<Operation> operations;
  auto add = [&](const char* name, std::function<int(RuntimeHandle)> call,
                 std::pair<std::string, std::string> own, bool pumps_first) {
    operations.push_back({name, std::move(call), own.first, own.second, pumps_first});
  };
  add("GetNetWorkAcceptState", GetNetWorkAcceptState,
      lines("GetNetWorkAcceptState", "GetNetWorkAcceptStateh"), false);
  add("GetNetWorkDataLength", GetNetWorkDataLength,
      lines("GetNetWorkDataLength", "GetNetWorkDataLength"), true);
  add("NetWorkRecv", [](RuntimeHandle h) { return NetWorkRecv(h, buffer, 1); },
      lines("NetWorkRecv", "NetWorkRecv"), false);
  add("NetWorkRecvToPeek", [](RuntimeHandle h) { return NetWorkRecvToPeek(h, buffer, 1); },
      lines("NetWorkRecvToPeek", "NetWorkRecvToPeek"), false);
  add("NetWorkSend", [](RuntimeHandle h) { return NetWorkSend(h, "x", 1); },
      lines("NetWorkSend", "NetWorkSend"), false);
  // Its peek makes the checks.
  add("NetWorkRecvLine", [](RuntimeHandle h) { return NetWorkRecvLine(h, buffer); },
      lines("NetWorkRecvToPeek", "NetWorkRecvToPeek"), false);
  return operations;
}

TEST_F(DataOperationTest, EntryChecks) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  NetWorkHandleRecord* record = Record(h);
  // No socket events from here on: what is logged comes from the calls alone.
  ASSERT_EQ(WSAAsyncSelect(record->Socket, NetWorkWindow, 0, 0), 0);

  enum class Situation { kNotStarted, kBadHandle, kNotInUse, kInError };
  const std::string invalid = "有効なネットワークハンドルではありません in ";
  const std::string error = "このネットワークハンドルにはエラーが発生しています in ";
  const RuntimeHandle bad_handles[] = {
      -1,
      h ^ 0x00010000,           // another check id
      (h & ~0xFFFF) | 0x1001,  // slot 4097
      (h & ~kHandleTypeMask) | 0x08000000,  // a graphic's type bits
  };
  for (const Operation& op : Operations()) {
    SCOPED_TRACE(op.name);
    for (Situation situation :
         {Situation::kNotStarted, Situation::kBadHandle, Situation::kNotInUse,
          Situation::kInError}) {
      SCOPED_TRACE(static_cast<int>(situation));
      log_.TakeNew();
      std::string expected;
      switch (situation) {
        case Situation::kNotStarted:
          NetWorkStartedFlag = 0;
          EXPECT_EQ(op.call(h), -1);
          NetWorkStartedFlag = 1;
          break;
        case Situation::kBadHandle:
          for (RuntimeHandle bad : bad_handles) EXPECT_EQ(op.call(bad), -1) << bad;
          break;
        case Situation::kNotInUse:
        case Situation::kInError: {
          const bool in_error = situation == Situation::kInError;
          int32_t& flag = in_error ? record->ErrorFlag : record->UseFlag;
          const int32_t kept = flag;
          flag = in_error ? 1 : 0;
          EXPECT_EQ(op.call(h), -1);
          flag = kept;
          const std::string& start = in_error ? error : invalid;
          if (op.pumps_first) expected = start + "RecvSocket\r\n" + start + "SendSocket\r\n";
          expected += in_error ? op.in_error : op.not_in_use;
          break;
        }
      }
      EXPECT_EQ(log_.TakeNew(), expected);
    }
  }
  // Nothing was taken or sent on the way.
  EXPECT_EQ(record->SendBuffer.count, 0);
  EXPECT_EQ(record->LostNotifiedFlag, 0);
}

TEST_F(DataOperationTest, UnbufferedHandlesPassRecvAndSendThrough) {
  NetWorkBufferingOff = 1;
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  ASSERT_EQ(Record(h)->BufferedFlag, 0);
  char buffer[8] = {};

  EXPECT_EQ(GetNetWorkDataLength(h), -1) << "nothing waits yet";
  ASSERT_TRUE(peer.Write("abc", 3));
  ASSERT_TRUE(RepeatUntil([] {}, [&] { return GetNetWorkDataLength(h) == 1; }));
  EXPECT_EQ(NetWorkRecvToPeek(h, buffer, 8), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  EXPECT_EQ(NetWorkRecv(h, buffer, 2), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  EXPECT_EQ(NetWorkRecv(h, buffer, -1), -1);
  EXPECT_EQ(NetWorkRecvToPeek(h, buffer, -1), -1);

  EXPECT_EQ(NetWorkSend(h, "xyz", 3), 3);
  EXPECT_EQ(NetWorkSend(h, "xyz", -1), -1);
  Bytes read;
  ASSERT_TRUE(peer.ReadExactly(3, &read, kBoundMs));
  EXPECT_EQ(read, ToBytes("xyz"));

  peer.Close();
  EXPECT_EQ(NetWorkRecv(h, buffer, 8), 1);
  EXPECT_EQ(buffer[0], 'c');
  ASSERT_TRUE(RepeatUntil([] {}, [&] { return GetNetWorkDataLength(h) == 0; }))
      << "the end of the stream was never reported";
  EXPECT_EQ(NetWorkRecv(h, buffer, 8), 0);
}

TEST_F(DataOperationTest, ASendToAPeerThatHasGoneFailsWithoutALine) {
  for (int32_t buffering_off : {0, 1}) {
    SCOPED_TRACE(buffering_off);
    NetWorkBufferingOff = buffering_off;
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    peer.Close();
    ASSERT_TRUE(Pump([&] { return Record(h)->ConnectionFlag == 0; }));
    log_.TakeNew();
    EXPECT_EQ(NetWorkSend(h, "data", 4), -1);
    EXPECT_EQ(log_.TakeNew(), "");
    EXPECT_EQ(Record(h)->SendBuffer.count, 0);
    ASSERT_EQ(ReleaseNetWorkHandle(h), 0);
  }
}

TEST_F(DataOperationTest, LinesFromUnbufferedHandles) {
  struct Take {
    int result;
    std::string line;
  };
  struct Case {
    const char* name;
    std::string written;
    std::vector<Take> takes;
    int unread_after;
  };
  const std::string long_line(254, 'a');
  const Case cases[] = {
      {"the CR stays in the line", "GET / HTTP\r\nrest", {{0, "GET / HTTP\r"}, {-1, ""}}, 4},
      {"a 254-byte line is taken", long_line + "\nb\n", {{0, long_line}, {0, "b"}}, 0},
      {"a 255-byte line never is", long_line + "a\n", {{-1, ""}, {-1, ""}}, 256},
      // The UTF-8 text of one character whose last byte, 0x82, is a Shift-JIS
      // lead byte.
      {"a line after a UTF-8 character that ends in 0x82",
       "\xE3\x81\x82\nnext\n",
       {{0, "\xE3\x81\x82"}, {0, "next"}},
       0},
      {"no line end yet", "partial", {{-1, ""}}, 7},
  };
  NetWorkBufferingOff = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackPeer peer;
    const RuntimeHandle h = Accept(&peer);
    ASSERT_NE(h, -1);
    ASSERT_TRUE(peer.Write(c.written.data(), c.written.size()));
    ASSERT_TRUE(WaitForSocketBytes(h, static_cast<int>(c.written.size())));
    for (const Take& take : c.takes) {
      char line[256];
      std::memset(line, '#', sizeof(line));
      ASSERT_EQ(NetWorkRecvLine(h, line), take.result);
      if (take.result == 0) {
        EXPECT_EQ(std::string(line), take.line);
      }
    }
    EXPECT_EQ(SocketUnread(h), c.unread_after);
    ASSERT_EQ(ReleaseNetWorkHandle(h), 0);
  }
}

TEST_F(DataOperationTest, ABufferedHandleNeverGivesALine) {
  LoopbackPeer peer;
  const RuntimeHandle h = Accept(&peer);
  ASSERT_NE(h, -1);
  ASSERT_TRUE(peer.Write(Packet("line\n").data(), 9));
  ASSERT_TRUE(RepeatUntil([] {}, [&] { return GetNetWorkDataLength(h) == 5; }));
  char line[256];
  EXPECT_EQ(NetWorkRecvLine(h, line), -1);
  EXPECT_EQ(NetWorkRecvLine(h, line), -1);
  EXPECT_EQ(GetNetWorkDataLength(h), 5);
}

}  // namespace
