#include "runtime/system/debug_console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DebugConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EndDebugConsole();
    ASSERT_EQ(InitDebugConsole(), 0);
  }
  void TearDown() override { EndDebugConsole(); }

  static std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < kDebugConsoleLines; ++i) lines.push_back(DebugConsoleLineText(i));
    return lines;
  }
  // The lines up to the last one that holds text.
  static std::vector<std::string> UsedLines() {
    std::vector<std::string> lines = Lines();
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
};

TEST_F(DebugConsoleTest, FirstPrintShowsTheConsole) {
  EXPECT_EQ(IsDebugConsoleShown(), 0);
  EXPECT_EQ(InitDebugConsole(), 0);  // a second start changes nothing
  EXPECT_EQ(DebugConsolePrint("%s=%d", "hp", 12), 0);
  EXPECT_EQ(IsDebugConsoleShown(), 1);
  EXPECT_EQ(UsedLines(), std::vector<std::string>{"hp=12"});
  EXPECT_EQ(DebugConsoleUsableLines(), 80);
}

TEST_F(DebugConsoleTest, PrintBeforeTheStartDoesNothing) {
  EndDebugConsole();
  EXPECT_EQ(DebugConsolePrint("ignored"), 0);
  ASSERT_EQ(InitDebugConsole(), 0);
  EXPECT_EQ(IsDebugConsoleShown(), 0);
  EXPECT_TRUE(UsedLines().empty());
}

TEST_F(DebugConsoleTest, HundredLinesKeepTheLatest) {
  for (int i = 0; i < 100; ++i) DebugConsolePrint("line %d\n", i);
  const std::vector<std::string> lines = Lines();
  // Lines 0 to 78 hold the last 79 printed lines; line 79 is the current,
  // empty line behind the last line feed.
  for (int i = 0; i < 79; ++i) EXPECT_EQ(lines[i], "line " + std::to_string(21 + i)) << i;
  EXPECT_EQ(lines[79], "");
  DebugConsolePrint("tail");
  EXPECT_EQ(DebugConsoleLineText(79), std::string("tail"));
  EXPECT_EQ(DebugConsoleLineText(0), std::string("line 21"));
}

TEST_F(DebugConsoleTest, LineFillsAt254BytesAndNeverSplitsACharacter) {
  struct Case {
    const char* name;
    int filled;        // single-byte characters printed first
    const char* next;  // then this
    size_t first_line_bytes;
    const char* second_line;
  };
  const Case cases[] = {
      {"one byte fills the line", 253, "b", 254, ""},
      {"one byte past the fill", 254, "b", 254, "b"},
      {"two bytes fill the line", 252, "あ", 254, ""},
      {"two bytes do not fit", 253, "あ", 253, "あ"},
      {"a tab's blanks wrap", 252, "\tz", 254, "  z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EndDebugConsole();
    InitDebugConsole();
    DebugConsolePrint("%s%s", std::string(static_cast<size_t>(c.filled), 'a').c_str(), c.next);
    const std::string first = DebugConsoleLineText(0);
    EXPECT_EQ(first.size(), c.first_line_bytes);
    EXPECT_EQ(first.substr(0, static_cast<size_t>(c.filled)), std::string(c.filled, 'a'));
    EXPECT_EQ(std::string(DebugConsoleLineText(1)), c.second_line);
  }
}

TEST_F(DebugConsoleTest, TextRules) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"tab puts four blanks", "a\tb", {"a    b"}},
      {"skipped bytes", "a\a\b\v\f\r?b", {"ab"}},
      {"line feed", "one\ntwo", {"one", "two"}},
      {"empty lines", "a\n\nb", {"a", "", "b"}},
      {"two-byte characters", "表示テスト", {"表示テスト"}},
      {"lead byte before the end", "ab\x82", {"ab"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EndDebugConsole();
    InitDebugConsole();
    DebugConsolePrint("%s", c.text);
    EXPECT_EQ(UsedLines(), c.lines);
  }
}

TEST_F(DebugConsoleTest, LongPrintIsCutToTheFormatBuffer) {
  DebugConsolePrint("%s", std::string(2000, 'q').c_str());
  // 1023 bytes: four full lines of 254 and 7 more.
  const std::vector<std::string> lines = UsedLines();
  ASSERT_EQ(lines.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(lines[i], std::string(254, 'q'));
  EXPECT_EQ(lines[4], std::string(7, 'q'));
}

}  // namespace
