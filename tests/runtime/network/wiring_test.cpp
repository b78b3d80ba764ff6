// The network layer as the runtime drives it: after library start-up on the
// null host, socket events reach the layer through the runtime's message
// processing, and the library end takes the layer down with its two log
// lines. The library lock is held throughout, as the API entries hold it
// around start-up and every call.
#include <dirent.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/core/api.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/library_folder.h"

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
int DescriptorCount() { return CountEntries("/proc/self/fd"); }

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
  EXPECT_EQ(ThreadCount(), threads);
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

}  // namespace
