// The ring of typed characters and the key inputs fed from it.
#include "runtime/system/char_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class CharInputTest : public ::testing::Test {
 protected:
  void SetUp() override { InitCharCodeBuffer(); }
  void TearDown() override { InitCharCodeBuffer(); }

  static void Put(const std::string& bytes) {
    for (char byte : bytes) PutTypedChar(static_cast<uint8_t>(byte));
  }
  static std::string Take(int32_t take) {
    char character[2];
    const int size = TakeTypedChar(character, take);
    return std::string(character, size);
  }
};

TEST_F(CharInputTest, TheRingHolds1024BytesAndRefusesMoreUntilOneIsTaken) {
  for (int i = 0; i < 1024; ++i) ASSERT_EQ(PutTypedChar('a' + i % 26), 0) << i;
  EXPECT_EQ(PutTypedChar('x'), -1);
  EXPECT_EQ(TypedCharRoom(), 0);
  EXPECT_EQ(Take(1), "a");
  EXPECT_EQ(PutTypedChar('x'), 0);
  EXPECT_EQ(PutTypedChar('y'), -1);
  // It wraps: the bytes come out in order.
  for (int i = 1; i < 1024; ++i) ASSERT_EQ(Take(1), std::string(1, 'a' + i % 26)) << i;
  EXPECT_EQ(Take(1), "x");
  EXPECT_EQ(Take(1), "");
}

TEST_F(CharInputTest, ALeadByteWaitsForItsTrailByte) {
  Put("\x82");
  EXPECT_EQ(Take(1), "");
  EXPECT_EQ(Take(0), "");
  Put("\xA0");
  EXPECT_EQ(Take(0), "\x82\xA0");
  EXPECT_EQ(Take(0), "\x82\xA0");  // peeking leaves it
  EXPECT_EQ(Take(1), "\x82\xA0");
  EXPECT_EQ(Take(1), "");
}

TEST_F(CharInputTest, ControlCodesAreSingleBytesAndPeekingWorksAcrossTheWrap) {
  // Move the indexes to the end of the slots, so the next bytes wrap.
  CharCodeRing.read = CharCodeRing.write = kCharCodeRingSlots - 1;
  Put("\x1D" "\x88\x9F");
  EXPECT_EQ(IsControlCharCode(0x1D), 1);
  EXPECT_EQ(IsControlCharCode('a'), 0);
  EXPECT_EQ(Take(0), "\x1D");
  EXPECT_EQ(Take(1), "\x1D");
  EXPECT_EQ(Take(0), "\x88\x9F");
  EXPECT_EQ(Take(1), "\x88\x9F");
}

TEST_F(CharInputTest, CountSjisCharsCountsDoubleByteCharactersOnceAndStopsAtNul) {
  EXPECT_EQ(CountSjisChars("a\x82\xA0" "b", 4), 3);
  EXPECT_EQ(CountSjisChars("a\x82\xA0" "b", 3), 2);
  EXPECT_EQ(CountSjisChars("ab", 10), 2);
  EXPECT_EQ(CountSjisChars("", 5), 0);
}

// ---- Key inputs -------------------------------------------------------------------

struct EditCase {
  const char* name;
  const char* start;  // text before, with the cursor at `cursor`
  int32_t cursor;
  int32_t max_length;
  int32_t numbers_only;
  int32_t single_byte_only;
  const char* typed;
  const char* text;  // after
  int32_t cursor_after;
  int32_t ended;
};

const EditCase kEditCases[] = {
    {"append", "ab", 2, 10, 0, 0, "c", "abc", 3, 0},
    {"insert_at_cursor", "ac", 1, 10, 0, 0, "b", "abc", 2, 0},
    {"back_space", "abc", 3, 10, 0, 0, "\x08", "ab", 2, 0},
    {"back_space_two_byte", "a\x82\xA0", 3, 10, 0, 0, "\x08", "a", 1, 0},
    {"back_space_at_start", "ab", 0, 10, 0, 0, "\x08", "ab", 0, 0},
    {"delete", "abc", 1, 10, 0, 0, "\x10", "ac", 1, 0},
    {"delete_two_byte", "\x82\xA0" "b", 0, 10, 0, 0, "\x10", "b", 0, 0},
    {"left_over_two_byte", "a\x82\xA0", 3, 10, 0, 0, "\x1D", "a\x82\xA0", 1, 0},
    {"right_over_two_byte", "\x82\xA0" "b", 0, 10, 0, 0, "\x1C", "\x82\xA0" "b", 2, 0},
    {"tab_and_up_down_ignored", "ab", 1, 10, 0, 0, "\x09\x1E\x1F", "ab", 1, 0},
    {"return_ends", "ab", 2, 10, 0, 0, "\rc", "ab", 2, 1},
    {"numbers_only_takes_digits", "", 0, 10, 1, 0, "1a2", "12", 2, 0},
    {"minus_only_first", "", 0, 10, 1, 0, "-1-", "-1", 2, 0},
    {"minus_not_later", "5", 1, 10, 1, 0, "-", "5", 1, 0},
    {"single_byte_only", "", 0, 10, 0, 1, "a\x82\xA0" "b", "ab", 2, 0},
    {"full_field_replaces_last", "abcd", 4, 4, 0, 0, "e", "abce", 4, 0},
    {"full_field_two_byte", "abcd", 4, 4, 0, 0, "\x82\xA0", "ab\x82\xA0", 4, 0},
};

class KeyInputEditTest : public CharInputTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(KeyInputEditTest, EditsTheActiveKeyInput) {
  const EditCase& c = GetParam();
  char text[32] = {};
  std::strcpy(text, c.start);
  KeyInputRecords[3] = KeyInputRecord{1, 5, 0, 0, static_cast<int32_t>(std::strlen(c.start)),
                                      c.max_length, c.cursor, text, 0, c.single_byte_only,
                                      c.numbers_only};
  KeyInputState.active = KeyInputHandle(3);
  Put(c.typed);
  EXPECT_EQ(ProcessKeyInput(), 0);
  EXPECT_STREQ(text, c.text);
  EXPECT_EQ(KeyInputRecords[3].length, static_cast<int32_t>(std::strlen(c.text)));
  EXPECT_EQ(KeyInputRecords[3].cursor, c.cursor_after);
  EXPECT_EQ(KeyInputRecords[3].ended, c.ended);
  KeyInputRecords[3] = KeyInputRecord{};
}

INSTANTIATE_TEST_SUITE_P(CharInput, KeyInputEditTest, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CharInputTest, EscapeCancelsOnlyWhenCancelIsAllowed) {
  for (int32_t allowed : {0, 1}) {
    SCOPED_TRACE(allowed);
    char text[8] = {};
    KeyInputRecords[0] = KeyInputRecord{1, 0, 0, 0, 0, 7, 0, text, allowed, 0, 0};
    KeyInputState.active = KeyInputHandle(0);
    Put("\x1B" "a");
    ProcessKeyInput();
    EXPECT_EQ(KeyInputRecords[0].cancelled, allowed);
    EXPECT_EQ(KeyInputRecords[0].ended, allowed);
    // An ended input takes nothing more.
    EXPECT_STREQ(text, allowed ? "" : "a");
    KeyInputRecords[0] = KeyInputRecord{};
    CharCodeRing.read = CharCodeRing.write = 0;
  }
}

TEST_F(CharInputTest, AStaleActiveHandleIsBadAndNoneIsNothingToDo) {
  EXPECT_EQ(ProcessKeyInput(), 0);
  char text[8] = {};
  KeyInputRecords[2] = KeyInputRecord{1, 7, 0, 0, 0, 7, 0, text, 0, 0, 0};
  KeyInputState.active = KeyInputHandle(2);
  KeyInputRecords[2].check_id = 8;  // the slot was used again since
  EXPECT_EQ(ProcessKeyInput(), -1);
  KeyInputRecords[2] = KeyInputRecord{};
  KeyInputState.active = -1;
}

}  // namespace
