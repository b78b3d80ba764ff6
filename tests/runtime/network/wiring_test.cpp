// The network layer as the runtime drives it: after library start-up on the
// null host, socket events reach the layer through the runtime's message
// processing, and the library end takes the layer down with its two log
// lines. The library lock is held throughout, as the API entries hold it
// around start-up and every call.
#include <dirent.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/network/http_transfer.h"
#include "runtime/system/api.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/library_folder.h"
#include "tests/support/network/loopback_http_server.h"
#include "tests/support/open_descriptors.h"

namespace {

const char kEndBegins[] = "ネットワーク関連の終了処理を行います \r\n";
const char kEndDone[] = "ネットワーク関連の終了処理は完了しました\r\n";

int CountEntries(const char* folder) {
  DIR* directory = opendir(folder);
  if (directory == nullptr) return -1;
  int count = 0;
  while (readdir(directory) != nullptr) ++count;
  closedir(directory);
  return count;
}
int ThreadCount() { return CountEntries("/proc/self/task"); }
// A thread that has ended (and even been joined) may still be listed for a
// moment: waits until no more than `threads` are.
bool ThreadsBackTo(int threads) {
  return RepeatUntil([] {}, [&] { return ThreadCount() <= threads; });
}
int DescriptorCount() { return OpenDescriptorsOtherThanFolders(); }

class NetWorkWiringTest : public LibraryFolderTest {};

TEST_F(NetWorkWiringTest, PacketsComeThroughMessageProcessingAndTheEndClosesEverything) {
  const int threads = ThreadCount();
  const int descriptors = DescriptorCount();
  {
    LoopbackPeer peer;
    ASSERT_EQ(InitLibrary(), 0);
    ASSERT_EQ(StartNetWorkForTest(), 0);
    uint16_t port = 0;
    ASSERT_EQ(ListenNetWorkForTest(&port), 0);
    ASSERT_TRUE(peer.Connect(port, kBoundMs));
    ASSERT_TRUE(peer.Write(Packet("hello").data(), 9));

    // Only the runtime's message processing runs the layer here.
    ASSERT_TRUE(RepeatUntil([] { ApiProcessMessage(); }, [] {
      const std::vector<RuntimeHandle> handles = LiveConnections();
      return handles.size() == 1 && Record(handles[0])->RecvCompleteBytes == 5;
    }));
    const RuntimeHandle h = LiveConnections()[0];
    char hello[5];
    ASSERT_EQ(NetWorkRecv(h, hello, 5), 0);
    EXPECT_EQ(std::string(hello, 5), "hello");
    ASSERT_EQ(NetWorkSend(h, "bye", 3), 0);

    ASSERT_EQ(EndLibrary(), 0);
    EXPECT_EQ(NetWorkStartedFlag, 0);
    const std::string log = LogText();
    const size_t begins = log.find(kEndBegins);
    ASSERT_NE(begins, std::string::npos) << log;
    EXPECT_NE(log.find(kEndDone, begins), std::string::npos) << log;
    // What was queued went out before the close.
    Bytes read;
    EXPECT_TRUE(peer.ReadUntilClose(&read, kBoundMs));
    EXPECT_EQ(read, Packet("bye"));
  }
  EXPECT_TRUE(ThreadsBackTo(threads)) << ThreadCount() << " threads, " << threads << " before";
  EXPECT_EQ(DescriptorCount(), descriptors);
}

TEST_F(NetWorkWiringTest, ALayerNeverStartedEndsWithoutALine) {
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(ApiProcessMessage(), 0);
  ASSERT_EQ(EndLibrary(), 0);
  const std::string log = LogText();
  EXPECT_EQ(log.find("ネットワーク関連の終了処理"), std::string::npos) << log;
  EXPECT_NE(log.find("Alloc memory dump"), std::string::npos) << "the end ran";
}

// The answer comes after the first message processing; three more take the
// status line and the first header, the length, and the body.
TEST_F(NetWorkWiringTest, ATransferIsSteppedOncePerMessageProcessing) {
  const std::string answer =
      "HTTP/1.0 200 OK\r\nContent-Type: x\r\nContent-Length: 5\r\n\r\nhello";
  LoopbackHttpServer server([&](int, const std::string&) { return WholeAnswer(answer, 1); }, 1);
  ASSERT_TRUE(server.Start());
  ASSERT_EQ(InitLibrary(), 0);
  ASSERT_EQ(StartNetWorkForTest(), 0);
  void* block = nullptr;
  const int slot = CreateHttpTransferForTest(0, "127.0.0.1", server.Port(), "/", nullptr, &block,
                                             nullptr, 0);
  ASSERT_GE(slot, 0);
  const HttpTransfer* transfer = GetHttpTransfer(slot);
  EXPECT_EQ(ApiProcessMessage(), 0);
  EXPECT_EQ(transfer->Step, 1);
  ASSERT_TRUE(RepeatUntil([] {}, [&] { return !server.Request(0).empty(); }));
  server.SetStep(1);
  ASSERT_TRUE(WaitForSocketBytes(transfer->NetHandle, static_cast<int>(answer.size())));
  for (const int32_t result : {kHttpRunning, kHttpRunning, kHttpDone}) {
    EXPECT_EQ(ApiProcessMessage(), 0);
    EXPECT_EQ(transfer->Result, result);
  }
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(block), 5), "hello");
  FreeTracked(block);
  ASSERT_EQ(EndLibrary(), 0);
  EXPECT_EQ(HttpTransferTable.count, 0);
}

TEST_F(NetWorkWiringTest, TheEndDeletesTheTransfersStillRunning) {
  const int threads = ThreadCount();
  const int descriptors = DescriptorCount();
  const std::string path = folder_ + "/running.bin";
  {
    // Answers that never come.
    LoopbackHttpServer server(
        [](int, const std::string&) {
          HttpAnswer answer;
          answer.end = HttpAnswerEnd::kKeepOpen;
          return answer;
        },
        2);
    ASSERT_TRUE(server.Start());
    ASSERT_EQ(InitLibrary(), 0);
    ASSERT_EQ(StartNetWorkForTest(), 0);
    void* block = nullptr;
    ASSERT_GE(CreateHttpTransferForTest(0, "127.0.0.1", server.Port(), "/", path.c_str(), nullptr,
                                        nullptr, 0),
              0);
    ASSERT_GE(CreateHttpTransferForTest(1, "127.0.0.1", server.Port(), "/", nullptr, &block,
                                        "body", 4),
              0);
    ASSERT_TRUE(RepeatUntil([] { ApiProcessMessage(); },
                            [&] { return !server.Request(1).empty(); }));
    ASSERT_EQ(EndLibrary(), 0);
    EXPECT_EQ(HttpTransferTable.count, 0);
    EXPECT_EQ(NetWorkHandleTable.live_count, 0);
    EXPECT_EQ(block, nullptr);
  }
  std::remove(path.c_str());
  EXPECT_TRUE(ThreadsBackTo(threads)) << ThreadCount() << " threads, " << threads << " before";
  EXPECT_EQ(DescriptorCount(), descriptors) << "a file or socket left open";
}

}  // namespace
