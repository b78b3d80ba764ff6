// The scene script: every table against the pages the scenes' page tables
// give, typed here from those tables; every string well-formed CP932 that
// reads back as its UTF-8 source text; and every string's width, measured
// with the runtime's fonts made as the game makes them, within the room it
// is drawn in.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/cp932.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "tests/game/scenes/script/script_tables.h"
#include "tests/support/screen_fixture.h"

namespace {

// Each table's pages, one character a page: '1' to '3' a page of that many
// lines, 'L' a label page (the speaker's name and one line), '-' a page
// without a window (no text); a line table's lines, one character a line:
// 'r' a roll line, 'c' a closing line. In the order of script_table_list.h.
struct expected_table {
  const char* name;
  const char* pages;
};
const expected_table kScript[] = {
    // Openings.
    {"scene101_text", "221"},
    {"scene102_text", "21112"},
    {"scene103_text", "3311111122111"},
    // Blocked paths, keep exploring, the save point.
    {"scene104_pelune_text", "1"},
    {"scene104_orven_text", "1"},
    {"scene104_both_text", "1"},
    {"scene106_pelune_text", "2"},
    {"scene106_orven_text", "2"},
    {"scene106_both_text", "21"},
    {"scene109_pelune_text", "1"},
    {"scene109_orven_text", "1"},
    {"scene109_both_text", "1"},
    {"scene120_text", "1"},
    // The first boss and the giant toad.
    {"scene105_pelune_text", "211111"},
    {"scene105_orven_text", "11211"},
    {"scene105_both_text", "11212221"},
    {"scene107_pelune_text", "L1L-12"},
    {"scene107_orven_text", "1L1L-1"},
    {"scene107_both_text", "L11L-112"},
    // The later bosses and the talk after the fall.
    {"scene110_pelune_text", "1223311"},
    {"scene110_orven_text", "1121"},
    {"scene110_both_text", "1111312131"},
    {"scene111_pelune_text", "122211"},
    {"scene111_orven_text", "1122223"},
    {"scene111_both_text", "122212221"},
    {"scene112_pelune_text", "1211211"},
    {"scene112_orven_text", "1122112"},
    {"scene112_both_text", "1111232111"},
    {"scene113_pelune_text", "333112"},
    {"scene113_orven_text", "1113112111"},
    {"scene113_both_text", "211323221113"},
    {"scene114_pelune_text", "21221221112"},
    {"scene114_orven_text", "21312211212"},
    {"scene114_both_text", "113111313"},
    {"scene115_pelune_text", "21221111221111"},
    {"scene115_orven_text", "1121222"},
    {"scene115_both_text", "122112212211"},
    {"scene116_pelune_text", "22"},
    {"scene116_orven_text", "22"},
    {"scene116_both_text", "22"},
    {"scene117_pelune_text", "121"},
    {"scene117_orven_text", "1111"},
    {"scene117_both_text", "21112"},
    // The ending and the trial end.
    {"scene118_pelune_text", "21121"},
    {"scene118_orven_text", "11212212322"},
    {"scene118_both_text", "1111312111"},
    {"scene118_pelune_roll", "rrrrr"},
    {"scene118_orven_roll", "rrrrr"},
    {"scene118_both_roll", "rrrrrr"},
    {"scene118_closing", "cc"},
    {"scene119_pelune_text", "111"},
    {"scene119_orven_text", "111"},
    {"scene119_both_text", "321111"},
};

// The size of the script.
constexpr size_t kScriptStrings = 443;

enum string_kind { kPageLine, kLabel, kRollLine, kClosingLine };

struct script_string {
  std::string where;  // table, page and line, for messages
  string_kind kind;
  const char* text;   // as compiled
};

bool IsLineTable(const expected_table& expected) {
  return expected.pages[0] == 'r' || expected.pages[0] == 'c';
}

// The strings of one table, checked against what the table should hold.
void CollectTable(const expected_table& expected, const script_table& table,
                  std::vector<script_string>* strings) {
  SCOPED_TRACE(expected.name);
  ASSERT_EQ(table.name, expected.name);
  const size_t count = std::strlen(expected.pages);
  if (IsLineTable(expected)) {
    ASSERT_EQ(table.pages.size(), 0u);
    ASSERT_EQ(table.lines.size(), count);
    for (size_t i = 0; i < count; ++i) {
      const string_kind kind = expected.pages[i] == 'r' ? kRollLine : kClosingLine;
      strings->push_back({table.name + " line " + std::to_string(i + 1), kind, table.lines[i]});
    }
    return;
  }
  ASSERT_EQ(table.lines.size(), 0u);
  ASSERT_EQ(table.pages.size(), count);
  for (size_t i = 0; i < count; ++i) {
    const std::string page = table.name + " page " + std::to_string(i + 1);
    SCOPED_TRACE(page);
    const scene_page_text& text = table.pages[i];
    const char code = expected.pages[i];
    const int lines = code == 'L' ? 1 : code == '-' ? 0 : code - '0';
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(text.line[k] != nullptr, k < lines) << "line " << k + 1;
      if (text.line[k] != nullptr) {
        strings->push_back({page + " line " + std::to_string(k + 1), kPageLine, text.line[k]});
      }
    }
    EXPECT_EQ(text.label != nullptr, code == 'L') << "label";
    if (text.label != nullptr) strings->push_back({page + " label", kLabel, text.label});
  }
}

// Every string of the tables, in table order, each table checked against
// kScript first.
std::vector<script_string> CollectScript(const std::vector<script_table>& tables) {
  std::vector<script_string> strings;
  EXPECT_EQ(tables.size(), std::size(kScript));
  for (size_t t = 0; t < tables.size() && t < std::size(kScript); ++t) {
    CollectTable(kScript[t], tables[t], &strings);
  }
  return strings;
}

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// What is wrong with `text` as a line of CP932 text, or "" when nothing is:
// printable ASCII single bytes; double bytes with a lead of 0x81-0x9F,
// 0xE0-0xEF or 0xFA-0xFC and a trail of 0x40-0x7E or 0x80-0xFC; no
// half-width katakana (0xA1-0xDF), no user-defined characters (leads
// 0xF0-0xF9), no control bytes; not empty and no space, ASCII or
// full-width, at either end.
std::string Cp932Fault(const char* text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const size_t size = std::strlen(text);
  if (size == 0) return "empty";
  size_t last_start = 0;
  for (size_t i = 0; i < size;) {
    const unsigned char b = bytes[i];
    last_start = i;
    if (b >= 0x20 && b <= 0x7E) {
      ++i;
      continue;
    }
    if (b < 0x20 || b == 0x7F) return "control byte at " + std::to_string(i);
    if (b >= 0xA1 && b <= 0xDF) return "half-width katakana at " + std::to_string(i);
    if (b >= 0xF0 && b <= 0xF9) return "user-defined character at " + std::to_string(i);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF) || (b >= 0xFA && b <= 0xFC);
    if (!lead) return "stray byte at " + std::to_string(i);
    if (i + 1 >= size) return "lead byte without a trail at the end";
    const unsigned char t = bytes[i + 1];
    if (t < 0x40 || t == 0x7F || t > 0xFC) return "bad trail byte at " + std::to_string(i + 1);
    i += 2;
  }
  const auto is_space = [&](size_t at) {
    return bytes[at] == 0x20 || (bytes[at] == 0x81 && at + 1 < size && bytes[at + 1] == 0x40);
  };
  if (is_space(0)) return "leading space";
  if (is_space(last_start)) return "trailing space";
  return "";
}

TEST(SceneScriptTest, EveryTableHoldsThePagesOfItsScenesPageTables) {
  const std::vector<script_string> strings = CollectScript(script_as_cp932());
  EXPECT_EQ(strings.size(), kScriptStrings);
}

TEST(SceneScriptTest, NoPlaceholderIsLeft) {
  // Every placeholder named its scene ("シーン１０１　ページ１　行１").
  const std::string placeholder = Utf8(u8"シーン");
  for (const script_string& s : CollectScript(script_as_utf8())) {
    EXPECT_EQ(std::string(s.text).find(placeholder), std::string::npos) << s.where;
  }
}

TEST(SceneScriptTest, EveryStringIsCp932ThatReadsBackAsItsUtf8Source) {
  const std::vector<script_string> compiled = CollectScript(script_as_cp932());
  const std::vector<script_string> source = CollectScript(script_as_utf8());
  ASSERT_EQ(compiled.size(), source.size());
  for (size_t i = 0; i < compiled.size(); ++i) {
    SCOPED_TRACE(compiled[i].where);
    const std::string bytes = compiled[i].text;
    EXPECT_EQ(Cp932Fault(bytes.c_str()), "");
    const std::string read_back = Cp932ToUtf8(bytes);
    // A character whose CP932 form reads back as another one (U+301C, the
    // wave dash, becomes U+FF5E) shows here.
    EXPECT_EQ(read_back, source[i].text);
    EXPECT_EQ(Utf8ToCp932(read_back), bytes);
  }
}

TEST(SceneScriptTest, TheCheckOfCp932FindsEachFault) {
  struct Case {
    const char* text;
    const char* fault;
  };
  const Case cases[] = {
      {"\x82\xA0\x82\xA2", ""},                      // two full-width characters
      {"OK\x81\x49", ""},                             // ASCII and a full-width mark
      {"", "empty"},
      {"\x82\xA0\x0A", "control byte at 2"},
      {"\xB1\xB2", "half-width katakana at 0"},
      {"\xF0\x40", "user-defined character at 0"},
      {"\x80", "stray byte at 0"},
      {"\x82", "lead byte without a trail at the end"},
      {"\x82\x7F", "bad trail byte at 1"},
      {" \x82\xA0", "leading space"},
      {"\x81\x40\x82\xA0", "leading space"},
      {"\x82\xA0 ", "trailing space"},
      {"\x82\xA0\x81\x40", "trailing space"},
      {"\x82\x81\x40", ""},  // no full-width space: 0x82 0x81 is one character, 0x40 '@'
  };
  for (const Case& c : cases) EXPECT_EQ(Cp932Fault(c.text), c.fault) << testing::PrintToString(c.text);
}

// The read-back check sees the wave dash written as U+301C: the compiler's
// conversion gives it the byte pair of U+FF5E, which reads back as that.
TEST(SceneScriptTest, TheReadBackTellsTheTwoWaveDashesApart) {
  const std::string wave_dash = Utf8(u8"\u301C");
  const std::string fullwidth_tilde = Utf8(u8"\uFF5E");
  EXPECT_EQ(Utf8ToCp932(wave_dash), Utf8ToCp932(fullwidth_tilde));
  EXPECT_EQ(Cp932ToUtf8(Utf8ToCp932(fullwidth_tilde)), fullwidth_tilde);
  EXPECT_NE(Cp932ToUtf8(Utf8ToCp932(wave_dash)), wave_dash);
}

// The widths on the null host with the installed Japanese face.
class SceneScriptWidthTest : public ScreenFixture {};

TEST_F(SceneScriptWidthTest, EveryStringFitsWhereItIsDrawn) {
  // The game's two fonts, made as the game's start-up makes them.
  const int32_t message_font = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  const int32_t roll_font = CreateFontToHandle(nullptr, 24, -1, 3, -1, -1, 0, -1, -1);
  ASSERT_GE(message_font, 0);
  ASSERT_GE(roll_font, 0);
  struct Room {
    int32_t font;
    int32_t max_width;
  };
  // By string_kind: a page line beside the face, a name label in the face's
  // place, a roll line across the screen, a closing line across the window.
  const Room rooms[] = {{message_font, 448}, {message_font, 96}, {roll_font, 600}, {message_font, 560}};

  for (const script_string& s : CollectScript(script_as_cp932())) {
    const Room& room = rooms[s.kind];
    const int32_t width = MeasureStringWithFont(s.text, -1, room.font, 0);
    EXPECT_GT(width, 0) << s.where;
    EXPECT_LE(width, room.max_width) << s.where << ": " << Cp932ToUtf8(s.text);
  }
}

}  // namespace
