#include "runtime/core/log.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "runtime/core/memory.h"

namespace {

// A temporary folder of the test's own, removed with everything in it. Its
// POSIX path serves the log too: the file stand-ins take "/" as a separator
// and a path from the root as one on drive C.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                          "/log_test_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~TemporaryFolder() {
    if (path_.empty()) return;
    if (DIR* dir = opendir(path_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        std::string file = entry->d_name;
        if (file != "." && file != "..") unlink((path_ + "/" + file).c_str());
      }
      closedir(dir);
    }
    rmdir(path_.c_str());
  }
  const std::string& path() const { return path_; }

  std::vector<std::string> Files() const {
    std::vector<std::string> files;
    if (DIR* dir = opendir(path_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        std::string file = entry->d_name;
        if (file != "." && file != "..") files.push_back(file);
      }
      closedir(dir);
    }
    return files;
  }

 private:
  std::string path_;
};

// Reads a whole file; nullopt-like empty flag when it does not exist.
bool ReadWholeFile(const std::string& path, std::string* contents) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  contents->clear();
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) contents->append(buffer, got);
  std::fclose(file);
  return true;
}

// Splits log text into lines at CR LF (each line keeps no line end); the text
// must end with CR LF.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "the text does not end with CR LF: " << text;
  return lines;
}

// The time stamp "N:" a line begins with: N, and the rest of the line in
// `rest`; -1 when the line has no stamp.
long long StampOf(const std::string& line, std::string* rest) {
  size_t digits = 0;
  while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
  if (digits == 0 || digits >= line.size() || line[digits] != ':') return -1;
  *rest = line.substr(digits + 1);
  return std::stoll(line.substr(0, digits));
}

// The lines of the log without their time stamps; every line must have one.
std::vector<std::string> UnstampedLines(const std::string& text) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(text)) {
    std::string rest;
    EXPECT_GE(StampOf(line, &rest), 0) << "no time stamp: " << line;
    lines.push_back(rest);
  }
  return lines;
}

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    SetLogOutputFlag(1);
    UserWindowFlag = 0;
    LogDatedNameFlag = 0;
    SetLogFolder(folder_.path().c_str());
    SetDebugOutputSink(&LogTest::Collect, &debug_output_);
    ASSERT_EQ(InitLog(), 1);
  }
  void TearDown() override {
    SetDebugOutputSink(nullptr, nullptr);
    SetLogFolder("");
    SetLogOutputFlag(1);
    UserWindowFlag = 0;
    LogDatedNameFlag = 0;
  }

  static void Collect(void* context, const char* text) {
    static_cast<std::vector<std::string>*>(context)->push_back(text);
  }

  std::string LogPath(const char* name = "Log.txt") const { return folder_.path() + "/" + name; }
  std::string LogText() const {
    std::string text;
    EXPECT_TRUE(ReadWholeFile(LogPath(), &text)) << "no log file";
    return text;
  }
  std::string DebugOutput() const {
    std::string all;
    for (const std::string& piece : debug_output_) all += piece;
    return all;
  }

  TemporaryFolder folder_;
  std::vector<std::string> debug_output_;
};

TEST_F(LogTest, LineFeedsBecomeCrLfUpToTheFirstCrLf) {
  struct Case {
    const char* name;
    const char* text;
    const char* written;  // behind the one time stamp
  };
  const Case cases[] = {
      {"two lines", "one\ntwo\n", "one\r\ntwo\r\n"},
      {"already CR LF", "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
      {"stops at the first CR LF", "a\nb\r\nc\nd\n", "a\r\nb\r\nc\nd\n"},
      {"a lone CR stays", "a\rb\n", "a\rb\r\n"},
      {"Japanese", "成功しました\n", "成功しました\r\n"},
      {"two-byte character stepped over", "\x81\nx\n", "\x81\nx\r\n"},
      {"trail byte 0x5C", "表示\n", "表示\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(InitLog(), 1);
    debug_output_.clear();
    EXPECT_EQ(LogAdd(c.text), -1);
    const std::string text = LogText();
    std::string rest;
    EXPECT_GE(StampOf(text, &rest), 0) << text;
    EXPECT_EQ(rest, c.written);
    EXPECT_EQ(DebugOutput(), c.written);
  }
}

TEST_F(LogTest, PiecesOfALineShareOneTimeStamp) {
  LogAdd("ＣＯＭの初期化... ");
  LogAdd("成功しました\n");
  LogAdd("next");
  LogAdd("\n");
  LogAdd("last\n");
  EXPECT_EQ(UnstampedLines(LogText()),
            (std::vector<std::string>{"ＣＯＭの初期化... 成功しました", "next", "last"}));
}

TEST_F(LogTest, LeadByteBeforeTheEndIsDropped) {
  LogAdd("ab\x82");
  LogAdd("c\n");
  LogAdd("\x82");  // nothing but the lone lead byte: nothing is written
  LogAdd("d\n");
  EXPECT_EQ(UnstampedLines(LogText()), (std::vector<std::string>{"abc", "d"}));
}

TEST_F(LogTest, TimeStampCountsFromInitLog) {
  Sleep(250);
  ASSERT_EQ(InitLog(), 1);
  Sleep(120);
  LogAdd("x\n");
  std::string rest;
  const long long stamp = StampOf(LogText(), &rest);
  EXPECT_GE(stamp, 120);
  EXPECT_LT(stamp, 200);
  EXPECT_EQ(rest, "x\r\n");
}

TEST_F(LogTest, NewLinesStartWithOneTabPerIndentLevel) {
  IncreaseLogIndent();
  IncreaseLogIndent();
  LogAdd("a\n");
  LogAdd("b");
  LogAdd("c\n");
  EXPECT_EQ(DecreaseLogIndent(), 0);
  LogAdd("d\n");
  DecreaseLogIndent();
  DecreaseLogIndent();  // at 0: stays 0
  LogAdd("e\n");
  EXPECT_EQ(IncreaseLogIndent(), 0);
  LogAdd("f\n");
  EXPECT_EQ(UnstampedLines(LogText()),
            (std::vector<std::string>{"\t\ta", "\t\tbc", "\td", "e", "\tf"}));
  // The tabs go to the debugger output too; the time stamps do not.
  EXPECT_EQ(DebugOutput(), "\t\ta\r\n\t\tbc\r\n\td\r\ne\r\n\tf\r\n");
}

TEST_F(LogTest, IndentStopsAt255Tabs) {
  for (int i = 0; i < 300; ++i) IncreaseLogIndent();
  LogAdd("deep\n");
  EXPECT_EQ(UnstampedLines(LogText()), (std::vector<std::string>{std::string(255, '\t') + "deep"}));
}

TEST_F(LogTest, InitLogStartsAnEmptyFileAndResetsIndentAndLine) {
  IncreaseLogIndent();
  LogAdd("old text, no line end");
  ASSERT_NE(LogText(), "");
  ASSERT_EQ(InitLog(), 1);
  EXPECT_EQ(LogText(), "");
  LogAdd("new\n");
  EXPECT_EQ(UnstampedLines(LogText()), (std::vector<std::string>{"new"}));
}

TEST_F(LogTest, NothingIsWrittenWhileTheLogIsOff) {
  LogAdd("before\n");
  const std::string before = LogText();
  debug_output_.clear();

  EXPECT_EQ(SetLogOutputFlag(0), 0);
  EXPECT_EQ(LogOffFlag, 1);
  EXPECT_EQ(LogAdd("while off\n"), -1);
  EXPECT_EQ(LogPrintf("%s", "while off"), -1);
  EXPECT_EQ(InitLog(), 1);  // does not touch the file either
  EXPECT_EQ(LogText(), before);
  EXPECT_TRUE(debug_output_.empty());

  EXPECT_EQ(SetLogOutputFlag(1), 0);
  EXPECT_EQ(LogOffFlag, 0);
  LogAdd("after\n");
  EXPECT_EQ(UnstampedLines(LogText()), (std::vector<std::string>{"before", "after"}));
}

TEST_F(LogTest, WithoutALogFolderNothingIsWritten) {
  SetLogFolder("");
  LogAdd("lost\n");
  EXPECT_TRUE(debug_output_.empty());
  EXPECT_EQ(LogText(), "");
}

TEST_F(LogTest, UserWindowSendsTextOnlyToTheDebuggerOutput) {
  UserWindowFlag = 1;
  LogAdd("to the debugger\n");
  EXPECT_EQ(DebugOutput(), "to the debugger\r\n");
  EXPECT_EQ(LogText(), "");
}

TEST_F(LogTest, CurrentFolderIsTheSameAfterWriting) {
  char before[4096];
  char after[4096];
  ASSERT_GT(GetCurrentDirectoryA(sizeof(before), before), 0u);
  LogAdd("x\n");
  ASSERT_GT(GetCurrentDirectoryA(sizeof(after), after), 0u);
  EXPECT_STREQ(after, before);
  std::string log_folder = "C:" + folder_.path();
  for (char& c : log_folder) {
    if (c == '/') c = '\\';
  }
  EXPECT_NE(std::string(after), log_folder);
}

TEST_F(LogTest, MissingLogFolderLosesTheFileTextOnly) {
  const std::string missing = folder_.path() + "/missing";
  SetLogFolder(missing.c_str());
  LogAdd("only for the debugger\n");
  EXPECT_EQ(DebugOutput(), "only for the debugger\r\n");
  EXPECT_EQ(folder_.Files(), std::vector<std::string>{"Log.txt"});
  EXPECT_EQ(LogText(), "");
}

TEST_F(LogTest, DatedNameIsTheLocalTime) {
  LogDatedNameFlag = 1;
  SYSTEMTIME before;
  SYSTEMTIME after;
  GetLocalTime(&before);
  ASSERT_EQ(InitLog(), 1);
  GetLocalTime(&after);
  LogAdd("dated\n");

  auto name_of = [](const SYSTEMTIME& t) {
    char name[64];
    std::snprintf(name, sizeof(name), "Log%d_%d_%d_%d_%d_%d.txt", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    return std::string(name);
  };
  std::string dated;
  for (const std::string& file : folder_.Files()) {
    if (file != "Log.txt") dated = file;
  }
  EXPECT_TRUE(dated == name_of(before) || dated == name_of(after)) << dated;
  std::string text;
  ASSERT_TRUE(ReadWholeFile(LogPath(dated.c_str()), &text));
  EXPECT_EQ(UnstampedLines(text), (std::vector<std::string>{"dated"}));
}

TEST_F(LogTest, LongTextsAreConvertedWhole) {
  struct Case {
    const char* name;
    std::string text;
    std::string written;
  };
  const std::string a(300, 'a');
  const std::string b(300, 'b');
  // Two-byte characters across the 255th byte.
  std::string japanese;
  for (int i = 0; i < 200; ++i) japanese += "あ";
  const Case cases[] = {
      {"two long lines", a + "\n" + b + "\n", a + "\r\n" + b + "\r\n"},
      {"line feeds only", std::string(400, '\n'), [] {
         std::string s;
         for (int i = 0; i < 400; ++i) s += "\r\n";
         return s;
       }()},
      {"two-byte characters", japanese + "\n", japanese + "\r\n"},
      {"lone lead byte at the end", a + "\x82", a},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(InitLog(), 1);
    const int32_t blocks = TrackedBlockCount();
    LogAdd(c.text.c_str());
    EXPECT_EQ(TrackedBlockCount(), blocks);  // the copy's block is freed again
    std::string rest;
    const std::string text = LogText();
    EXPECT_GE(StampOf(text, &rest), 0);
    EXPECT_EQ(rest, c.written);
  }
}

TEST_F(LogTest, PrintfAddsTheLineEnd) {
  LogPrintf("%d:%s", 42, "answer");
  LogPrintf("%s", std::string(3000, 'x').c_str());
  LogPrintf("no arguments");
  const std::vector<std::string> lines = UnstampedLines(LogText());
  EXPECT_EQ(lines, (std::vector<std::string>{"42:answer", std::string(1022, 'x'), "no arguments"}));
}

}  // namespace
