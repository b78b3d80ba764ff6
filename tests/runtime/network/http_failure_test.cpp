// HTTP transfers that fail or are cut short: a refused connection, no memory
// for the body, a file that refuses the body, a connection taken for lost
// only by the step's own failed read, a second finish, a caller's pointer
// reused after a failure, deletes while running; and many transfers at once,
// up to a full table.
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "tests/support/open_descriptors.h"
#include "tests/runtime/network/http_test_support.h"
#include "tests/support/network/recording_sockets.h"

namespace {

class HttpFailureTest : public HttpTest {};

int DescriptorCount() { return OpenDescriptorsOtherThanFolders(); }

// The socket stand-ins watch sockets from one thread, with descriptors of its
// own, from the first selection to the last cleanup: started here, so that
// counts of descriptors taken afterwards see only the transfers' own.
void StartSocketPoller() {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(WSAAsyncSelect(s, NetWorkWindow, kSocketEventMessage, FD_READ), 0);
  closesocket(s);
}

// An answer that never comes: the connection stays open, the transfer runs.
LoopbackHttpServer::AnswerFor Silent() {
  return [](int, const std::string&) {
    HttpAnswer answer;
    answer.end = HttpAnswerEnd::kKeepOpen;
    return answer;
  };
}

TEST_F(HttpFailureTest, ARefusedConnectionLeavesNothingBehind) {
  LoopbackPeer refusing;
  ASSERT_TRUE(refusing.BindWithoutListening());
  StartSocketPoller();
  const int descriptors = DescriptorCount();
  const std::string path = FilePath("refused.bin");
  void* block = nullptr;
  EXPECT_EQ(CreateHttpTransferForTest(kHttpGet, "127.0.0.1", refusing.Port(), "/", path.c_str(),
                                      nullptr, nullptr, 0),
            -1);
  EXPECT_EQ(CreateHttpTransferForTest(kHttpPost, "127.0.0.1", refusing.Port(), "/", nullptr,
                                      &block, "body", 4),
            -1);
  EXPECT_EQ(HttpTransferTable.count, 0);
  EXPECT_EQ(NetWorkHandleTable.live_count, 0);
  EXPECT_EQ(TrackedBlockCount(), blocks_);
  EXPECT_EQ(DescriptorCount(), descriptors);
  EXPECT_EQ(FileText(path), "") << "the file was made";
}

TEST_F(HttpFailureTest, NoMemoryForTheBody) {
  LoopbackHttpServer server(
      [](int, const std::string&) {
        return WholeAnswer(OkAnswer("Content-Length: 5000\r\n", std::string(5000, 'm')));
      },
      1);
  ASSERT_TRUE(StartServer(&server));
  const int slot = MemoryGet(server, &block_);
  ASSERT_GE(slot, 0);
  AllocFailFromSizeForTest = 4096;
  ASSERT_TRUE(StepUntilFinished(slot, &server));
  AllocFailFromSizeForTest = -1;
  EXPECT_EQ(Transfer(slot)->Result, kHttpFailed);
  EXPECT_EQ(Transfer(slot)->ErrorDetail, kHttpNoRoomForBody);
  EXPECT_EQ(block_, nullptr);
}

TEST_F(HttpFailureTest, AFileThatRefusesTheBody) {
  LoopbackHttpServer server(
      [](int, const std::string&) {
        return WholeAnswer(OkAnswer("Content-Length: 5\r\n", "hello"));
      },
      1);
  ASSERT_TRUE(StartServer(&server));
  const std::string path = FilePath("read_only.bin");
  const int slot = CreateHttpTransferForTest(kHttpGet, "127.0.0.1", server.Port(), "/",
                                             path.c_str(), nullptr, nullptr, 0);
  ASSERT_GE(slot, 0);
  // The same file, opened for reading only.
  HttpTransfer* transfer = Transfer(slot);
  CloseHandle(transfer->FileHandle);
  transfer->FileHandle = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(transfer->FileHandle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(StepUntilFinished(slot, &server));
  EXPECT_EQ(transfer->Result, kHttpFailed);
  EXPECT_EQ(transfer->ErrorDetail, kHttpNoRoomForBody);
  EXPECT_EQ(transfer->FileHandle, nullptr);
  EXPECT_NE(log_.text().find("受信したデータをファイルに書き込めませんでした\r\n"), std::string::npos);
}

// HTTP handles are never auto-closed; one released under its transfer ends
// the transfer at the next step.
TEST_F(HttpFailureTest, AHandleReleasedUnderTheTransferEndsIt) {
  LoopbackHttpServer server(Silent(), 1);
  ASSERT_TRUE(StartServer(&server));
  const int slot = MemoryGet(server, &block_);
  ASSERT_GE(slot, 0);
  const NetWorkHandleRecord* record = Record(Transfer(slot)->NetHandle);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->AutoCloseFlag, 0);
  EXPECT_EQ(record->BufferedFlag, 0);
  Step();
  ASSERT_EQ(ReleaseNetWorkHandle(Transfer(slot)->NetHandle), 0);
  Step();
  EXPECT_EQ(Transfer(slot)->Result, kHttpFailed);
  EXPECT_EQ(Transfer(slot)->ErrorDetail, kHttpConnectionLost);
}

// After a close event, a step whose read of the connection fails for another
// reason than finding nothing yet takes the connection for lost. The error is
// that read's own: a step that made no read (a receive pump is running) goes
// on, whatever an earlier call left as the last error.
TEST_F(HttpFailureTest, OnlyTheStepsOwnFailedReadEndsAClosedConnection) {
  enum class Read {
    kFailsWithAReset,  // the step's peek fails with a reset
    kFindsNothingYet,  // the step's peek finds nothing waiting
    kNotMade,          // no peek: an earlier call failed with a reset
  };
  struct Case {
    const char* name;
    Read read;
    int32_t result;
  };
  const Case cases[] = {
      {"the read fails with a reset", Read::kFailsWithAReset, kHttpFailed},
      {"the read finds nothing yet", Read::kFindsNothingYet, kHttpRunning},
      {"no read, an earlier call failed", Read::kNotMade, kHttpRunning},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackHttpServer server(Silent(), 1);
    ASSERT_TRUE(StartServer(&server));
    void* block = nullptr;
    const int slot = MemoryGet(server, &block);
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(StepUntil([&] { return !server.Request(0).empty(); }, &server));
    const SOCKET s = Record(Transfer(slot)->NetHandle)->Socket;
    // A close event that comes while the connection can still be read.
    EXPECT_EQ(HandleSocketEvent(FD_CLOSE, s), 1);
    ASSERT_EQ(Record(Transfer(slot)->NetHandle)->ConnectionFlag, 0);

    RecordingSockets sockets;
    if (c.read == Read::kFailsWithAReset) {
      // The step's first socket call is its peek.
      sockets.FailNth("recv", 1, WSAECONNRESET);
      StepHttpTransfer(slot);
    } else if (c.read == Read::kFindsNothingYet) {
      StepHttpTransfer(slot);
    } else {
      sockets.FailNth("recv", 1, WSAECONNRESET);
      char byte;
      ASSERT_EQ(recv(s, &byte, 1, MSG_PEEK), SOCKET_ERROR);
      RecvSocketGuard = 1;
      StepHttpTransfer(slot);
      RecvSocketGuard = 0;
      EXPECT_EQ(sockets.Uses("recv"), 1) << "the step read the connection";
    }
    EXPECT_EQ(Transfer(slot)->Result, c.result);
    if (c.result == kHttpFailed) {
      EXPECT_EQ(Transfer(slot)->ErrorDetail, kHttpConnectionLost);
    }
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
  }
}

TEST_F(HttpFailureTest, TheFirstFinishDecides) {
  LoopbackHttpServer server(Silent(), 1);
  ASSERT_TRUE(StartServer(&server));
  const int slot = MemoryGet(server, &block_);
  ASSERT_GE(slot, 0);
  EXPECT_EQ(FinishHttpTransfer(slot, kHttpFailed, kHttpNotFound), 0);
  EXPECT_EQ(FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail), 0);
  EXPECT_EQ(Transfer(slot)->Result, kHttpFailed);
  EXPECT_EQ(Transfer(slot)->ErrorDetail, kHttpNotFound);
  EXPECT_EQ(Transfer(slot)->NetHandle, -1);
  EXPECT_EQ(NetWorkHandleTable.live_count, 0);
  // A finished transfer is no longer stepped.
  Step();
  EXPECT_EQ(Transfer(slot)->Step, 0);
  EXPECT_EQ(FinishHttpTransfer(slot + 1, kHttpDone, kHttpNoDetail), -1) << "an empty slot";
  EXPECT_EQ(DeleteHttpTransfer(slot + 1), -1);
  EXPECT_EQ(DeleteHttpTransfer(kHttpTransferSlots), -1);
  EXPECT_EQ(StepHttpTransfer(slot + 1), -1);
}

// A failed transfer frees its block and sets the caller's pointer to null
// once. A caller that puts a new block into the same pointer before deleting
// the transfer keeps that block: the delete's finish must not free it.
TEST_F(HttpFailureTest, AFailedTransferLeavesAReusedPointerAlone) {
  struct Case {
    const char* name;
    HttpAnswer answer;
    int32_t detail;
  };
  HttpAnswer cut = WholeAnswer(OkAnswer("Content-Length: 10\r\n", "hello"));
  const Case cases[] = {
      {"the peer closes mid-body, the block handed out", cut, kHttpConnectionLost},
      {"404, no block yet", WholeAnswer("HTTP/1.0 404 Not Found\r\n\r\n"), kHttpNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackHttpServer server([&](int, const std::string&) { return c.answer; }, 1);
    ASSERT_TRUE(StartServer(&server));
    const int slot = MemoryGet(server, &block_);
    ASSERT_GE(slot, 0);
    ASSERT_TRUE(StepUntilFinished(slot, &server));
    EXPECT_EQ(Transfer(slot)->Result, kHttpFailed);
    EXPECT_EQ(Transfer(slot)->ErrorDetail, c.detail);
    ASSERT_EQ(block_, nullptr);

    block_ = AllocTracked(4, "", 0);
    ASSERT_NE(block_, nullptr);
    std::memcpy(block_, "mine", 4);
    EXPECT_EQ(FinishHttpTransfer(slot, kHttpFailed, kHttpOtherStatus), 0);
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
    ASSERT_NE(block_, nullptr) << "the caller's new block was taken";
    EXPECT_EQ(std::string(static_cast<char*>(block_), 4), "mine");
    EXPECT_EQ(TrackedBlockCount(), blocks_ + 1);
    FreeTracked(block_);
    block_ = nullptr;
  }
}

TEST_F(HttpFailureTest, ADeleteWhileRunningLeavesTheBlockWithTheCaller) {
  HttpAnswer answer = WholeAnswer(OkAnswer("Content-Length: 10\r\n", "hello"));
  answer.end = HttpAnswerEnd::kKeepOpen;
  LoopbackHttpServer server([&](int, const std::string&) { return answer; }, 1);
  ASSERT_TRUE(StartServer(&server));
  void* block = nullptr;
  const int slot = MemoryGet(server, &block);
  ASSERT_GE(slot, 0);
  ASSERT_TRUE(StepUntil([&] { return Transfer(slot)->ReceivedBytes == 5; }, &server));
  ASSERT_EQ(DeleteHttpTransfer(slot), 0);
  EXPECT_EQ(GetHttpTransfer(slot), nullptr);
  EXPECT_EQ(HttpTransferTable.count, 0);
  EXPECT_EQ(NetWorkHandleTable.live_count, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(block), 5), "hello");
  FreeTracked(block);
}

TEST_F(HttpFailureTest, DeletingThemAllReleasesEveryHandleAndFile) {
  constexpr int kTransfers = 3;
  LoopbackHttpServer server(Silent(), kTransfers);
  ASSERT_TRUE(StartServer(&server));
  StartSocketPoller();
  // The server's own ends of the connections stay open.
  const int descriptors = DescriptorCount() + kTransfers;
  for (int i = 0; i < kTransfers; ++i) {
    const std::string path = FilePath("running" + std::to_string(i) + ".bin");
    ASSERT_GE(CreateHttpTransferForTest(kHttpGet, "127.0.0.1", server.Port(), "/", path.c_str(),
                                        nullptr, nullptr, 0),
              0);
  }
  ASSERT_TRUE(StepUntil([&] { return server.Accepted() == kTransfers; }, &server));
  EXPECT_EQ(HttpTransferTable.count, kTransfers);
  EXPECT_EQ(DeleteAllHttpTransfers(), 0);
  EXPECT_EQ(HttpTransferTable.count, 0);
  for (int slot = 0; slot < kHttpTransferSlots; ++slot) EXPECT_EQ(GetHttpTransfer(slot), nullptr);
  EXPECT_EQ(NetWorkHandleTable.live_count, 0);
  EXPECT_EQ(DescriptorCount(), descriptors) << "a file or socket left open";
}

TEST_F(HttpFailureTest, ManyAtOnce) {
  constexpr int kTransfers = 50;
  auto body_of = [](const std::string& path) {
    std::string body;
    for (int i = 0; i < 40; ++i) body += path + ";";
    return body;
  };
  LoopbackHttpServer server(
      [&](int, const std::string& request) {
        const std::string path = request.substr(4, request.find(' ', 4) - 4);
        const std::string body = body_of(path);
        return WholeAnswer(
            OkAnswer("Content-Length: " + std::to_string(body.size()) + "\r\n", body));
      },
      kTransfers);
  ASSERT_TRUE(StartServer(&server));
  std::vector<void*> blocks(kTransfers, nullptr);
  std::vector<int> slots;
  for (int i = 0; i < kTransfers; ++i) {
    const std::string path = "/item/" + std::to_string(i);
    slots.push_back(CreateHttpTransferForTest(kHttpGet, "127.0.0.1", server.Port(), path.c_str(),
                                              nullptr, &blocks[i], nullptr, 0));
    ASSERT_EQ(slots.back(), i);
  }
  ASSERT_TRUE(StepUntil(
      [&] {
        for (int slot : slots) {
          if (Transfer(slot)->Result == kHttpRunning) return false;
        }
        return true;
      },
      &server));
  for (int i = 0; i < kTransfers; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Transfer(slots[i])->Result, kHttpDone);
    const std::string expected = body_of("/item/" + std::to_string(i));
    ASSERT_NE(blocks[i], nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(blocks[i]), expected.size()), expected);
    FreeTracked(blocks[i]);
  }
}

TEST_F(HttpFailureTest, AFullTableTakesNoMore) {
  LoopbackHttpServer server(Silent(), kHttpTransferSlots);
  ASSERT_TRUE(StartServer(&server));
  std::vector<void*> blocks(kHttpTransferSlots + 1, nullptr);
  for (int i = 0; i < kHttpTransferSlots; ++i) {
    ASSERT_EQ(MemoryGet(server, &blocks[i]), i);
  }
  Step();
  const int32_t handles = NetWorkHandleTable.live_count;
  EXPECT_EQ(MemoryGet(server, &blocks[kHttpTransferSlots]), -1);
  EXPECT_EQ(HttpTransferTable.count, kHttpTransferSlots);
  EXPECT_EQ(NetWorkHandleTable.live_count, handles);
}

}  // namespace
