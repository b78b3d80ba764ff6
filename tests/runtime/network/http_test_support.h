// What the HTTP transfer tests share: the network layer started, a folder for
// file destinations, and the step of the runtime's message processing. Every
// transfer talks to the loopback HTTP server; its step counter follows the
// test's steps, so answer pieces land in chosen steps.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/network/http_transfer.h"
#include "tests/runtime/network/network_test_support.h"
#include "tests/support/network/loopback_http_server.h"

inline HttpTransfer* Transfer(int slot) { return GetHttpTransfer(slot); }

// A file's bytes ("" when it cannot be read).
inline std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// An answer with status 200, the given header lines and the body.
inline std::string OkAnswer(const std::string& headers, const std::string& body,
                            const char* line_end = "\r\n") {
  return std::string("HTTP/1.0 200 OK") + line_end + headers + line_end + body;
}

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    blocks_ = TrackedBlockCount();
    char pattern[] = "/tmp/brimal_http_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    ASSERT_EQ(StartNetWorkForTest(), 0);
  }
  void TearDown() override {
    DeleteAllHttpTransfers();
    EXPECT_EQ(HttpTransferTable.count, 0);
    EndNetWorkSystem();
    AllocFailFromSizeForTest = -1;
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(folder_.c_str());
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "tracked blocks left behind";
  }

  // A path in the test's folder for a file destination.
  std::string FilePath(const std::string& name) {
    files_.push_back(folder_ + "/" + name);
    return files_.back();
  }

  // One step, as each message processing makes it.
  static void Step() {
    ProcessNetWorkMessages(1);
    ProcessHttpTransfers();
  }

  // Starts `server` with its step counter at 0.
  bool StartServer(LoopbackHttpServer* server) {
    steps_ = 0;
    return server->Start();
  }
  // A GET of "/" from `server` to a memory block; its slot.
  static int MemoryGet(const LoopbackHttpServer& server, void** block) {
    return CreateHttpTransferForTest(kHttpGet, "127.0.0.1", server.Port(), "/", nullptr, block,
                                     nullptr, 0);
  }
  // Moves the server's step counter on to `step` (never back).
  void SetServerStep(LoopbackHttpServer* server, int step) {
    if (step > steps_) steps_ = step;
    server->SetStep(steps_);
  }

  // Steps until the transfer in `slot` has finished, the server's counter
  // moving on by one after each step; whether it finished.
  bool StepUntilFinished(int slot, LoopbackHttpServer* server) {
    return StepUntil([&] { return Transfer(slot)->Result != kHttpRunning; }, server);
  }
  bool StepUntil(const std::function<bool()>& done, LoopbackHttpServer* server) {
    return RepeatUntil(
        [&] {
          Step();
          server->SetStep(++steps_);
        },
        done, 10000);
  }

  LogCapture log_;
  // The pointer a test's memory transfer hands its block to. It lives as
  // long as the fixture, so a transfer that TearDown deletes never points
  // into the stack of a test body that has returned.
  void* block_ = nullptr;
  std::string folder_;
  std::vector<std::string> files_;
  int steps_ = 0;
  int32_t blocks_ = 0;
};
