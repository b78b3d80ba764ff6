// The digit fonts: where each digit of a number lands in the left and right
// forms of the three fonts, the digit count at the powers of ten, and the
// values outside 0 to 999,999,999.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class DigitFontsTest : public ::testing::Test {
 protected:
  void SetUp() override { StartDrawing(); }
};

using Drawer = void (*)(int32_t, int32_t, int32_t);

struct Font {
  const char* name;
  Drawer left;
  Drawer right;
  const int32_t* cells;
  int32_t advance;
};

const Font kFonts[] = {
    {"10", draw_number_10, draw_number_10_right, dot_number_10_img, 7},
    {"13", draw_number_13, draw_number_13_right, dot_number_13_img, 9},
    {"17", draw_number_17, draw_number_17_right, dot_number_17_img, 12},
};

// Digits as (x, digit), in the order they are drawn.
struct Digit {
  int64_t x;
  int32_t digit;
};

std::vector<DrawOp> DigitsAt(const Font& font, int64_t y, const std::vector<Digit>& digits) {
  std::vector<DrawOp> out;
  for (const Digit& d : digits) out.push_back(At(d.x, y, font.cells[d.digit]));
  return out;
}

TEST_F(DigitFontsTest, DigitsAreDrawnFromTheUnitsLeftwards) {
  const Font& f = kFonts[1];
  EXPECT_EQ(OpsOf([&] { f.left(100, 50, 407); }), DigitsAt(f, 50, {{118, 7}, {109, 0}, {100, 4}}));
  EXPECT_EQ(OpsOf([&] { f.right(100, 50, 407); }), DigitsAt(f, 50, {{100, 7}, {91, 0}, {82, 4}}));
}

TEST_F(DigitFontsTest, EachFontStepsByItsAdvanceAndCountsDigitsAtPowersOfTen) {
  struct Case {
    int32_t value;
    std::vector<int32_t> digits;  // units first
  };
  const Case cases[] = {
      {0, {0}},
      {9, {9}},
      {10, {0, 1}},
      {99, {9, 9}},
      {100, {0, 0, 1}},
      {999999999, {9, 9, 9, 9, 9, 9, 9, 9, 9}},
      {1000000000, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}},
      {std::numeric_limits<int32_t>::max(), {7, 4, 6, 3, 8, 4, 7, 4, 1, 2}},
  };
  for (const Font& f : kFonts) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << "font " << f.name << " value " << c.value);
      const int64_t extra = static_cast<int64_t>(c.digits.size()) - 1;
      std::vector<Digit> left;
      std::vector<Digit> right;
      for (size_t k = 0; k < c.digits.size(); ++k) {
        const int64_t back = static_cast<int64_t>(k) * f.advance;
        left.push_back({300 + extra * f.advance - back, c.digits[k]});
        right.push_back({300 - back, c.digits[k]});
      }
      EXPECT_EQ(OpsOf([&] { f.left(300, 20, c.value); }), DigitsAt(f, 20, left));
      EXPECT_EQ(OpsOf([&] { f.right(300, 20, c.value); }), DigitsAt(f, 20, right));
    }
  }
}

// A downed player's hit points reach the fonts at 0 or below.
TEST_F(DigitFontsTest, NegativeValuesAreDrawnAsZero) {
  for (const Font& f : kFonts) {
    for (const int32_t value : {-1, -10, -407, std::numeric_limits<int32_t>::min()}) {
      SCOPED_TRACE(testing::Message() << "font " << f.name << " value " << value);
      EXPECT_EQ(OpsOf([&] { f.left(64, 388, value); }), DigitsAt(f, 388, {{64, 0}}));
      EXPECT_EQ(OpsOf([&] { f.right(64, 388, value); }), DigitsAt(f, 388, {{64, 0}}));
    }
  }
}

}  // namespace
