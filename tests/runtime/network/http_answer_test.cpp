// HTTP transfers against a table of answers: what each leaves as result and
// detail, in the file or the memory block, and in the caller's pointer; and
// an answer whose announced length has all come, with the peer's close
// before, after or never.
#include <gtest/gtest.h>

#include <string>

#include "tests/runtime/network/http_test_support.h"

namespace {

class HttpAnswerTest : public HttpTest {};

enum class To { kFile, kMemory };

struct AnswerCase {
  const char* name;
  int method;
  To to;
  HttpAnswer answer;
  int32_t result, detail;
  std::string body;  // in the file, or in the block (none when the pointer must be null)
  std::string line = "";  // a log line that must be written
  int32_t content_length = -2;  // -2: not looked at
};

HttpAnswer Script(const std::string& bytes, HttpAnswerEnd end = HttpAnswerEnd::kClose,
                  int end_step = -1) {
  HttpAnswer answer = WholeAnswer(bytes);
  answer.end = end;
  answer.end_step = end_step;
  return answer;
}

TEST_F(HttpAnswerTest, Answers) {
  std::string varied(12000, '\0');
  for (size_t i = 0; i < varied.size(); ++i) varied[i] = static_cast<char>('a' + i % 26);
  const std::string length5 = "Content-Length: 5\r\n";
  const std::string cookie = "X-Cookie: " + std::string(290, 'c') + "\r\n";
  const AnswerCase cases[] = {
      {"200 with a body of several reads to a file", kHttpGet, To::kFile,
       Script(OkAnswer("Content-Length: 12000\r\n", varied)), kHttpDone, -1, varied},
      {"200 to memory: bytes past the length stay unread", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: 12000\r\n", varied + "EXTRA"), HttpAnswerEnd::kKeepOpen),
       kHttpDone, -1, varied},
      {"lines ending with a bare LF", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: 5\n", "hello", "\n")), kHttpDone, -1, "hello"},
      {"404", kHttpGet, To::kMemory, Script("HTTP/1.0 404 Not Found\r\n\r\n"), kHttpFailed, 1, "",
       "接続に失敗しました (戻り値:404)\r\n"},
      {"404 of a POST is not logged", kHttpPost, To::kMemory,
       Script("HTTP/1.0 404 Not Found\r\n\r\n"), kHttpFailed, 1, ""},
      {"500", kHttpGet, To::kFile, Script("HTTP/1.0 500 Server Error\r\n\r\n"), kHttpFailed, 0,
       "", "接続に失敗しました (戻り値:500)\r\n"},
      {"a status line without a blank", kHttpGet, To::kMemory, Script("HTTP/1.0\r\n\r\n"),
       kHttpFailed, 0, "", "接続に失敗しました (戻り値:-1)\r\n"},
      {"an empty status line", kHttpGet, To::kMemory, Script("\r\n"), kHttpFailed, 0, ""},
      {"Content-Length -5", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: -5\r\n", "hello")), kHttpFailed, 0, ""},
      {"Content-Length past 32 bits", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: 99999999999\r\n", "hello")), kHttpFailed, 0, ""},
      {"Content-Length that is no number", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: abc\r\n", "hello")), kHttpFailed, 0, ""},
      {"Content-Length without a blank", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length:5\r\n", "hello")), kHttpDone, -1, "hello"},
      {"Content-Length repeated with the same value", kHttpGet, To::kMemory,
       Script(OkAnswer(length5 + length5, "hello")), kHttpDone, -1, "hello"},
      {"Content-Length repeated with another value", kHttpGet, To::kMemory,
       Script(OkAnswer(length5 + "Content-Length: 6\r\n", "hello!")), kHttpFailed, 0, ""},
      {"lower-case content-length to a file: read to the end", kHttpGet, To::kFile,
       Script(OkAnswer("content-length: 5\r\n", "hello")), kHttpDone, -1, "hello"},
      {"lower-case content-length to memory", kHttpGet, To::kMemory,
       Script(OkAnswer("content-length: 5\r\n", "hello")), kHttpFailed, 0, ""},
      // A close steps after the last byte: see the request tests.
      {"no length to a file, closed with the last data", kHttpGet, To::kFile,
       Script(OkAnswer("Server: x\r\n", varied)), kHttpDone, -1, varied},
      {"the peer closes before answering", kHttpGet, To::kMemory, HttpAnswer{}, kHttpFailed, 3,
       ""},
      {"the peer closes mid-body", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: 10\r\n", "hello")), kHttpFailed, 3, ""},
      {"a reset mid-body", kHttpGet, To::kMemory,
       Script(OkAnswer("Content-Length: 10\r\n", "hello"), HttpAnswerEnd::kReset), kHttpFailed,
       3, ""},
      {"a 300-byte header line is skipped", kHttpGet, To::kMemory,
       Script(OkAnswer(cookie + length5, "hello")), kHttpDone, -1, "hello"},
      {"a 300-byte status line", kHttpGet, To::kMemory,
       Script("HTTP/1.0 200 " + std::string(287, 'o') + "\r\n" + length5 + "\r\nhello"),
       kHttpFailed, 0, ""},
      {"1 MiB without a line end", kHttpGet, To::kMemory,
       Script(std::string(1 << 20, 'n'), HttpAnswerEnd::kKeepOpen), kHttpFailed, 0, ""},
      {"HEAD with a length", kHttpHead, To::kMemory,
       Script(OkAnswer("Server: x\r\nContent-Length: 1234\r\n", ""), HttpAnswerEnd::kKeepOpen),
       kHttpDone, -1, "", "", 1234},
      {"HEAD without a length, once the peer closes", kHttpHead, To::kMemory,
       Script(OkAnswer("Server: x\r\n", "")), kHttpFailed, 3, "", "", -1},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.name);
    LoopbackHttpServer server([&](int, const std::string&) { return c.answer; }, 1);
    ASSERT_TRUE(StartServer(&server));
    void* block = reinterpret_cast<void*>(1);  // made null by the creation
    const std::string path = FilePath("answer.bin");
    const int slot = CreateHttpTransferForTest(
        c.method, "127.0.0.1", server.Port(), "/", c.to == To::kFile ? path.c_str() : nullptr,
        &block, "post", 4);
    ASSERT_GE(slot, 0);
    log_.TakeNew();
    ASSERT_TRUE(StepUntilFinished(slot, &server));
    const HttpTransfer* transfer = Transfer(slot);
    EXPECT_EQ(transfer->Result, c.result);
    EXPECT_EQ(transfer->ErrorDetail, c.detail);
    EXPECT_EQ(transfer->NetHandle, -1);
    EXPECT_EQ(transfer->FileHandle, nullptr);
    EXPECT_EQ(transfer->PostData, nullptr);
    if (c.content_length != -2) {
      EXPECT_EQ(transfer->ContentLength, c.content_length);
    }
    const std::string lines = log_.TakeNew();
    if (!c.line.empty()) {
      EXPECT_NE(lines.find(c.line), std::string::npos) << lines;
    }
    if (c.method != kHttpGet) {
      EXPECT_EQ(lines.find("接続に失敗しました"), std::string::npos) << "only a GET logs its status";
    }
    if (c.to == To::kFile) {
      EXPECT_TRUE(FileText(path) == c.body) << FileText(path).size() << " bytes in the file";
    } else if (c.result == kHttpDone && c.method != kHttpHead) {
      ASSERT_NE(block, nullptr);
      EXPECT_EQ(transfer->ReceivedBytes, static_cast<int32_t>(c.body.size()));
      EXPECT_TRUE(std::string(static_cast<char*>(block), c.body.size()) == c.body);
      FreeTracked(block);
    } else {
      EXPECT_EQ(block, nullptr);
    }
    ASSERT_EQ(DeleteHttpTransfer(slot), 0);
  }
}

// An answer whose announced length has all come is complete, to a file as
// to memory, empty or not, whether the server closes with the answer, closes
// once the headers were read, or keeps the connection open: the transfer is
// done by the step that takes the end of the headers, and stays done.
TEST_F(HttpAnswerTest, AnAnswerWhoseAnnouncedLengthHasAllComeIsComplete) {
  enum class End {
    kWithTheAnswer,  // the server closes right after writing it
    kAfterTheHeaders,  // once the transfer has read the headers
    kNever,  // the connection stays open
  };
  const char* const kEndNames[] = {"closed with the answer", "closed after the headers",
                                   "kept open"};
  constexpr int kCloseStep = 1 << 30;  // reached only when the test says so
  // Steps after the headers in which a close is looked for.
  constexpr int kStepsAfterTheHeaders = 4;
  for (const To to : {To::kFile, To::kMemory}) {
    for (const std::string& body : {std::string(), std::string("hello")}) {
      for (const End end : {End::kWithTheAnswer, End::kAfterTheHeaders, End::kNever}) {
        SCOPED_TRACE(std::string(to == To::kFile ? "to a file" : "to memory") + ", " +
                     std::to_string(body.size()) + " bytes, " +
                     kEndNames[static_cast<int>(end)]);
        HttpAnswer answer =
            WholeAnswer(OkAnswer("Content-Length: " + std::to_string(body.size()) + "\r\n", body));
        answer.end = end == End::kNever ? HttpAnswerEnd::kKeepOpen : HttpAnswerEnd::kClose;
        answer.end_step = end == End::kWithTheAnswer ? -1 : kCloseStep;
        LoopbackHttpServer server([&](int, const std::string&) { return answer; }, 1);
        ASSERT_TRUE(StartServer(&server));
        const std::string path = FilePath("complete.bin");
        const int slot = CreateHttpTransferForTest(kHttpGet, "127.0.0.1", server.Port(), "/",
                                                   to == To::kFile ? path.c_str() : nullptr,
                                                   &block_, nullptr, 0);
        ASSERT_GE(slot, 0);
        const HttpTransfer* transfer = Transfer(slot);
        ASSERT_TRUE(StepUntil(
            [&] { return transfer->Step >= 3 || transfer->Result != kHttpRunning; }, &server));
        EXPECT_EQ(transfer->Result, kHttpDone) << "not done by the end of the headers";
        if (end == End::kAfterTheHeaders) {
          SetServerStep(&server, kCloseStep);
          ASSERT_TRUE(RepeatUntil([] {}, [&] { return server.Ended(0); }));
        }
        for (int step = 0; step < kStepsAfterTheHeaders; ++step) Step();
        EXPECT_EQ(transfer->Result, kHttpDone);
        EXPECT_EQ(transfer->ErrorDetail, kHttpNoDetail);
        EXPECT_EQ(transfer->ReceivedBytes, static_cast<int32_t>(body.size()));
        EXPECT_EQ(transfer->NetHandle, -1);
        if (to == To::kFile) {
          EXPECT_EQ(transfer->FileHandle, nullptr);
          EXPECT_EQ(FileText(path), body);
        } else if (transfer->Result == kHttpDone) {
          EXPECT_NE(block_, nullptr);
          EXPECT_EQ(std::string(static_cast<char*>(block_), body.size()), body);
        }
        ASSERT_EQ(DeleteHttpTransfer(slot), 0);
        FreeTracked(block_);
        block_ = nullptr;
      }
    }
  }
}

}  // namespace
