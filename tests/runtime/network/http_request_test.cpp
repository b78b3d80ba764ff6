// HTTP transfers: the request bytes of each method as the server reads them,
// and the steps a transfer takes: the request and the status line in one
// step, header lines one a step, the body in the step that ends the headers,
// and a POST's body without a length read once a step; a POST body far
// larger than the socket takes at once, sent whole over many steps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/runtime/network/http_test_support.h"

namespace {

class HttpRequestTest : public HttpTest {};

TEST_F(HttpRequestTest, RequestBytes) {
  const std::string long_path = "/" + std::string(254, 'p');
  const std::string long_host(127, 'h');
  struct Case {
    const char* name;
    int method;
    const char* host;
    std::string path;
    std::string post;
    bool long_host;  // the record's Host is made 127 bytes long after creation
    std::string expected;  // %d: the port
  };
  const Case cases[] = {
      {"GET", kHttpGet, "127.0.0.1", "/index.html", "", false,
       "GET /index.html HTTP/1.0\r\nHost: 127.0.0.1:%d\r\nConnection: close\r\n\r\n"},
      {"GET by name", kHttpGet, "localhost", "/a", "", false,
       "GET /a HTTP/1.0\r\nHost: localhost:%d\r\nConnection: close\r\n\r\n"},
      {"POST", kHttpPost, "127.0.0.1", "/form", "hello", false,
       "POST /form HTTP/1.0\nHost: 127.0.0.1:%d\nContent-Length: 5\n\nhello"},
      {"POST without a body", kHttpPost, "localhost", "/form", "", false,
       "POST /form HTTP/1.0\nHost: localhost:%d\nContent-Length: 0\n\n"},
      {"HEAD", kHttpHead, "127.0.0.1", "/head", "", false, "HEAD /head HTTP/1.0\n\n"},
      {"POST with the longest path and host", kHttpPost, "127.0.0.1", long_path, "hello", true,
       "POST " + long_path + " HTTP/1.0\nHost: " + long_host +
           ":%d\nContent-Length: 5\n\nhello"},
      {"HEAD with the longest path", kHttpHead, "127.0.0.1", long_path, "", true,
       "HEAD " + long_path + " HTTP/1.0\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackHttpServer server(
        [](int, const std::string&) { return WholeAnswer("HTTP/1.0 200 OK\r\n\r\n"); }, 1);
    ASSERT_TRUE(StartServer(&server));
    void* block = nullptr;
    const int slot = CreateHttpTransferForTest(c.method, c.host, server.Port(), c.path.c_str(),
                                               nullptr, &block, c.post.data(),
                                               static_cast<int32_t>(c.post.size()));
    ASSERT_GE(slot, 0);
    if (c.long_host) std::strcpy(Transfer(slot)->Host, long_host.c_str());
    char expected[1024];
    std::snprintf(expected, sizeof(expected), c.expected.c_str(), server.Port());
    Step();
    EXPECT_TRUE(RepeatUntil([] {}, [&] { return server.Request(0) == expected; }))
        << server.Request(0);
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
  }
}

// The answer comes after the first step: the status line and the first
// header in the next, the length in the one after, and the blank line with
// the body in the third.
TEST_F(HttpRequestTest, StepCounts) {
  const std::string answer =
      "HTTP/1.0 200 OK\r\nContent-Type: x\r\nContent-Length: 5\r\n\r\nhello";
  for (const bool to_file : {true, false}) {
    SCOPED_TRACE(to_file ? "to a file" : "to memory");
    LoopbackHttpServer server([&](int, const std::string&) { return WholeAnswer(answer, 1); }, 1);
    ASSERT_TRUE(StartServer(&server));
    void* block = nullptr;
    const std::string path = FilePath("steps.bin");
    const int slot = CreateHttpTransferForTest(kHttpGet, "127.0.0.1", server.Port(), "/",
                                               to_file ? path.c_str() : nullptr, &block, nullptr, 0);
    ASSERT_GE(slot, 0);
    const HttpTransfer* transfer = Transfer(slot);
    const RuntimeHandle handle = transfer->NetHandle;
    Step();
    EXPECT_EQ(transfer->Step, 1);
    ASSERT_TRUE(RepeatUntil([] {}, [&] { return !server.Request(0).empty(); }));
    SetServerStep(&server, 1);
    ASSERT_TRUE(WaitForSocketBytes(handle, static_cast<int>(answer.size())));

    struct After {
      int32_t step, content_length, result;
    };
    const After afters[] = {{2, -1, kHttpRunning}, {2, 5, kHttpRunning}, {4, 5, kHttpDone}};
    for (const After& after : afters) {
      Step();
      EXPECT_EQ(transfer->Step, after.step);
      EXPECT_EQ(transfer->ContentLength, after.content_length);
      EXPECT_EQ(transfer->Result, after.result);
    }
    EXPECT_EQ(transfer->ErrorDetail, kHttpNoDetail);
    EXPECT_EQ(transfer->NetHandle, -1);
    if (to_file) {
      EXPECT_EQ(transfer->FileHandle, nullptr);
      EXPECT_EQ(FileText(path), "hello");
    } else {
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(std::string(static_cast<char*>(block), 5), "hello");
    }
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
    if (!to_file) {
      EXPECT_NE(block, nullptr) << "a finished transfer's block stays with the caller";
      FreeTracked(block);
    }
  }
}

// A body without a length: a POST reads once a step, a GET as long as bytes
// come; the close, steps after the last byte, ends the body and the transfer
// is done.
TEST_F(HttpRequestTest, ABodyWithoutALengthEndsWithTheCloseAndAPostReadsItOnceAStep) {
  const std::string body(10000, 'b');
  const std::string answer = "HTTP/1.0 200 OK\n\n" + body;
  struct Case {
    int method;
    std::vector<int32_t> received;  // after each step from the status line on
  };
  const Case cases[] = {
      {kHttpPost, {4096, 8192, 10000}},
      {kHttpGet, {10000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    HttpAnswer script = WholeAnswer(answer, 1);
    script.end_step = 1000;  // the close comes much later
    LoopbackHttpServer server([&](int, const std::string&) { return script; }, 1);
    ASSERT_TRUE(StartServer(&server));
    const std::string path = FilePath("unknown_length.bin");
    const int slot = CreateHttpTransferForTest(c.method, "127.0.0.1", server.Port(), "/",
                                               path.c_str(), nullptr, "x", 1);
    ASSERT_GE(slot, 0);
    const HttpTransfer* transfer = Transfer(slot);
    Step();
    ASSERT_TRUE(RepeatUntil([] {}, [&] { return !server.Request(0).empty(); }));
    SetServerStep(&server, 1);
    ASSERT_TRUE(WaitForSocketBytes(transfer->NetHandle, static_cast<int>(answer.size())));
    Step();  // the status line and the blank line: the body starts
    for (size_t i = 0; i < c.received.size(); ++i) {
      if (i > 0) Step();
      EXPECT_EQ(transfer->ReceivedBytes, c.received[i]) << i;
      EXPECT_EQ(transfer->Result, kHttpRunning);
    }
    Step();
    EXPECT_EQ(transfer->Result, kHttpRunning) << "no close has come yet";
    // The close ends the body: the transfer is done.
    SetServerStep(&server, 1000);
    ASSERT_TRUE(StepUntilFinished(slot, &server));
    EXPECT_EQ(transfer->Result, kHttpDone);
    EXPECT_EQ(FileText(path), body);
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
  }
}

// A request the socket does not take at once goes out over the next steps,
// whole and in order: a POST body of megabytes to a server that reads it
// slowly (nothing in the first step, then a bounded share a step). Once the
// server has it all, its answer ends the transfer.
TEST_F(HttpRequestTest, ALargePostBodyGoesOutWholeToASlowReader) {
  struct Case {
    const char* name;
    int32_t bytes;
    size_t read_per_step;  // by the server
    // More than the socket's buffers can hold on any usual system, so the
    // first step cannot send it all.
    bool surely_cut;
  };
  const Case cases[] = {
      {"6,000,000 bytes", 6000000, 64 * 1024, false},
      {"32 MiB", 32 << 20, 256 * 1024, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string body(static_cast<size_t>(c.bytes), '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 131 + (i >> 13));
    LoopbackHttpServer server(
        [](int, const std::string&) {
          return WholeAnswer(OkAnswer("Content-Length: 2\r\n", "ok"));
        },
        1, 60000);
    server.ReadSlowly(c.read_per_step);
    ASSERT_TRUE(StartServer(&server));
    const int slot = CreateHttpTransferForTest(kHttpPost, "127.0.0.1", server.Port(), "/upload",
                                               nullptr, &block_, body.data(), c.bytes);
    ASSERT_GE(slot, 0);
    const HttpTransfer* transfer = Transfer(slot);
    Step();
    if (c.surely_cut) {
      EXPECT_EQ(transfer->Step, 0) << "the socket took the whole request at once";
    }
    ASSERT_TRUE(StepUntilFinished(slot, &server));
    EXPECT_EQ(transfer->Result, kHttpDone);
    const std::string head = "POST /upload HTTP/1.0\nHost: 127.0.0.1:" +
                             std::to_string(server.Port()) +
                             "\nContent-Length: " + std::to_string(c.bytes) + "\n\n";
    const std::string request = server.Request(0);
    EXPECT_EQ(request.size(), head.size() + body.size());
    EXPECT_TRUE(request.compare(0, head.size(), head) == 0) << request.substr(0, head.size());
    EXPECT_TRUE(request.compare(head.size(), std::string::npos, body) == 0)
        << "the body arrived changed";
    ASSERT_NE(block_, nullptr);
    EXPECT_EQ(std::string(static_cast<char*>(block_), 2), "ok");
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
    FreeTracked(block_);
    block_ = nullptr;
  }
}

}  // namespace
