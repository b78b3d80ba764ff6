// The digit fonts of the status display: a decimal number drawn digit by
// digit from a font of ten cells, left or right aligned.
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kAdvance10 = 7;
constexpr int32_t kAdvance13 = 9;
constexpr int32_t kAdvance17 = 12;

// Draws `value` with its units digit's top-left corner at (units_x, y) and
// the higher digits one advance apart to its left.
void draw_digits_from_units(const int32_t (&font)[10], int32_t advance, int32_t units_x, int32_t y,
                            int32_t value, int32_t extra_digits) {
  int32_t x = units_x;
  for (int32_t k = 0; k <= extra_digits; ++k) {
    ApiDrawGraphicAt(x, y, font[value % 10], 1);
    x -= advance;
    value /= 10;
  }
}

// The digits after the first: 0 for 0 to 9, 1 for 10 to 99, and so on. The
// power is kept in 64 bits so that the largest values do not overflow it.
int32_t extra_digit_count(int32_t value) {
  int32_t extra = 0;
  for (int64_t power = 10; value >= power; power *= 10) extra += 1;
  return extra;
}

// A downed player's hit points reach the fonts at 0 or below; a negative
// value would pick a cell before the font, so it is shown as 0.
int32_t shown_value(int32_t value) { return value < 0 ? 0 : value; }

void draw_left(const int32_t (&font)[10], int32_t advance, int32_t x, int32_t y, int32_t value) {
  value = shown_value(value);
  const int32_t extra = extra_digit_count(value);
  draw_digits_from_units(font, advance, x + advance * extra, y, value, extra);
}

void draw_right(const int32_t (&font)[10], int32_t advance, int32_t x, int32_t y, int32_t value) {
  value = shown_value(value);
  draw_digits_from_units(font, advance, x, y, value, extra_digit_count(value));
}

}  // namespace

void draw_number_10(int32_t x, int32_t y, int32_t value) {
  draw_left(dot_number_10_img, kAdvance10, x, y, value);
}

void draw_number_13(int32_t x, int32_t y, int32_t value) {
  draw_left(dot_number_13_img, kAdvance13, x, y, value);
}

void draw_number_17(int32_t x, int32_t y, int32_t value) {
  draw_left(dot_number_17_img, kAdvance17, x, y, value);
}

void draw_number_10_right(int32_t x, int32_t y, int32_t value) {
  draw_right(dot_number_10_img, kAdvance10, x, y, value);
}

void draw_number_13_right(int32_t x, int32_t y, int32_t value) {
  draw_right(dot_number_13_img, kAdvance13, x, y, value);
}

void draw_number_17_right(int32_t x, int32_t y, int32_t value) {
  draw_right(dot_number_17_img, kAdvance17, x, y, value);
}
