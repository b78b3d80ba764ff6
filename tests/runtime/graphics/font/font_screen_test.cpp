// Text and boxes on the screen of the null host, with the installed Japanese
// face: the game's two fonts drawing a message, screen colour values given to
// text and boxes, blended text, the front screen and the debug console, all
// checked in the window image.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/core/log.h"
#include "runtime/graphics/draw/box_draw.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/system/debug_console.h"
#include "tests/support/screen_fixture.h"

namespace {

// A 5-6-5 value as the window shows it (each field spread over 8 bits).
uint32_t Shown(uint32_t v) {
  const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

struct Box {
  int32_t left, top, right, bottom;
  bool Holds(int32_t x, int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
};

class FontScreenTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    background_ = GetScreenColorValue(96, 96, 96);
    ASSERT_EQ(RenderFilledBox(0, 0, 640, 480, background_), 0);
  }

  // The window after presenting the back screen.
  std::vector<uint32_t> Presented() {
    EXPECT_EQ(PresentScreen(), 0);
    return Window();
  }
  std::vector<uint32_t> Window() {
    int width = 0, height = 0;
    std::vector<uint32_t> image = WindowImage(&width, &height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 480);
    return image;
  }
  static uint32_t At(const std::vector<uint32_t>& image, int32_t x, int32_t y) {
    return image[static_cast<size_t>(y) * 640 + x] & 0xFFFFFF;
  }
  // Pixels of `colour` inside the box.
  static int Count(const std::vector<uint32_t>& image, const Box& box, uint32_t colour) {
    int count = 0;
    for (int32_t y = box.top; y < box.bottom; ++y)
      for (int32_t x = box.left; x < box.right; ++x) count += At(image, x, y) == colour ? 1 : 0;
    return count;
  }
  // The first pixel outside every box that is not the background, as text.
  std::string StrayPixel(const std::vector<uint32_t>& image, const std::vector<Box>& boxes) const {
    for (int32_t y = 0; y < 480; ++y) {
      for (int32_t x = 0; x < 640; ++x) {
        bool inside = false;
        for (const Box& box : boxes) inside = inside || box.Holds(x, y);
        if (!inside && At(image, x, y) != Shown(background_)) {
          return std::to_string(x) + "," + std::to_string(y);
        }
      }
    }
    return "";
  }

  uint32_t background_ = 0;
};

TEST_F(FontScreenTest, GameFontsDrawTheMessageWhereAskedInTheirColours) {
  // The game's two fonts: the runtime's defaults, and size 24 anti-aliased
  // with an edge.
  const int32_t message_font = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1);
  const int32_t roll_font = CreateFontToHandle(nullptr, 24, -1, 3, -1, -1, 0, -1, -1);
  ASSERT_GE(message_font, 0);
  ASSERT_GE(roll_font, 0);
  const uint32_t black = GetScreenColorValue(0, 0, 0);
  const uint32_t white = GetScreenColorValue(255, 255, 255);
  const char* lines[2] = {"森の奥に古い塔が見える。", "扉には鍵がかかっている。"};
  const char* roll = "ブリマルの冒険";
  EXPECT_EQ(RenderTextWithFont(145, 386, lines[0], black, message_font, 0, 0), 0);
  EXPECT_EQ(RenderTextWithFont(145, 411, lines[1], black, message_font, 0, 0), 0);
  EXPECT_EQ(RenderTextWithFont(120, 100, roll, white, roll_font, black, 0), 0);

  const int32_t cell = GetFontRecord(message_font)->cell_height;
  const int32_t roll_cell = GetFontRecord(roll_font)->cell_height;
  const std::vector<Box> boxes = {
      {145, 386, 145 + MeasureStringWithFont(lines[0], -1, message_font, 0), 386 + cell},
      {145, 411, 145 + MeasureStringWithFont(lines[1], -1, message_font, 0), 411 + cell},
      {120, 100, 120 + MeasureStringWithFont(roll, -1, roll_font, 0), 100 + roll_cell},
  };
  EXPECT_GE(boxes[0].right - boxes[0].left, 12 * 15) << "twelve full-width characters";
  const std::vector<uint32_t> image = Presented();
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const int inked = Count(image, boxes[i], 0x000000);
    EXPECT_GT(inked, 300);
    // A plain font draws only its colour.
    const int area = (boxes[i].right - boxes[i].left) * (boxes[i].bottom - boxes[i].top);
    EXPECT_EQ(inked + Count(image, boxes[i], Shown(background_)), area);
  }
  EXPECT_GT(Count(image, boxes[2], 0xFFFFFF), 200) << "white text is white";
  // The anti-aliased edge covers at most 15 of 16: black over the grey.
  int dark = 0;
  for (int32_t y = boxes[2].top; y < boxes[2].bottom; ++y)
    for (int32_t x = boxes[2].left; x < boxes[2].right; ++x)
      dark += (At(image, x, y) & 0xE0E0E0) == 0 ? 1 : 0;
  EXPECT_GT(dark, 200) << "with its black edge";
  EXPECT_EQ(Count(image, boxes[2], 0x00FFFF), 0);

  EXPECT_EQ(StrayPixel(image, boxes), "") << "nothing outside the lines";
}

TEST_F(FontScreenTest, DefaultFontTextAndItsRefusals) {
  const uint32_t white = GetScreenColorValue(255, 255, 255);
  EXPECT_EQ(RenderTextDefaultFont(10, 20, "HP 12", white, 0), 0);
  const int32_t font = GetDefaultFontHandle();
  ASSERT_EQ(IsFontHandleValid(font), 1);
  const Box box{10, 20, 10 + MeasureStringWithFont("HP 12", -1, font, 0),
                20 + GetFontRecord(font)->cell_height};
  std::vector<uint32_t> image = Presented();
  EXPECT_GT(Count(image, box, 0xFFFFFF), 20);
  EXPECT_EQ(StrayPixel(image, {box}), "");

  // Nothing is drawn for an empty text, an inhibited or empty draw area, or a
  // bad font; the bad font is logged.
  ASSERT_EQ(RenderFilledBox(0, 0, 640, 480, background_), 0);
  EXPECT_EQ(RenderTextWithFont(10, 20, "", white, font, 0, 0), 0);
  DrawInhibitFlag = 1;
  EXPECT_EQ(RenderTextWithFont(10, 20, "A", white, font, 0, 0), 0);
  DrawInhibitFlag = 0;
  ChangeDrawArea(5, 5, 5, 5);
  EXPECT_EQ(RenderTextWithFont(10, 20, "A", white, font, 0, 0), 0);
  ChangeDrawArea(0, 0, 640, 480);
  EXPECT_EQ(RenderTextWithFont(10, 20, "A", white, font + 1, 0, 0), -1);
  image = Presented();
  EXPECT_EQ(StrayPixel(image, {}), "");
}

TEST_F(FontScreenTest, BlendedTextIsMixedWithTheScreen) {
  const int32_t font = CreateFontToHandle(nullptr, 16, -1, 0, -1, -1, 0, -1, -1);
  ChangeBlendMode(1, 128);
  EXPECT_EQ(RenderTextWithFont(50, 60, "ABC", GetScreenColorValue(255, 255, 255), font, 0, 0), 0);
  ChangeBlendMode(0, 0);
  const Box box{50, 60, 50 + MeasureStringWithFont("ABC", -1, font, 0),
                60 + GetFontRecord(font)->cell_height};
  const std::vector<uint32_t> image = Presented();
  int mixed = 0, other = 0;
  for (int32_t y = box.top; y < box.bottom; ++y) {
    for (int32_t x = box.left; x < box.right; ++x) {
      const uint32_t v = At(image, x, y);
      if (v == Shown(background_)) continue;
      const int32_t r = static_cast<int32_t>(v >> 16);
      // Half of white over grey 96.
      if (r >= 170 && r <= 182 && (v & 0xFF) >= 170 && (v & 0xFF) <= 182) {
        ++mixed;
      } else {
        ++other;
      }
    }
  }
  EXPECT_GT(mixed, 20);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(StrayPixel(image, {box}), "");
}

TEST_F(FontScreenTest, BoxesTakeScreenColourValues) {
  const uint32_t red = GetScreenColorValue(255, 0, 0);
  EXPECT_EQ(RenderBox(20, 16, 10, 10, red, 1), 0) << "corners in either order";
  EXPECT_EQ(RenderBox(30, 10, 40, 26, red, 0), 0);
  EXPECT_EQ(RenderBox(50, 10, 52, 12, red, 7), 0) << "any fill flag but 0 fills";
  const std::vector<uint32_t> image = Presented();
  EXPECT_EQ(Count(image, {10, 10, 20, 16}, 0xFF0000), 60);
  EXPECT_EQ(Count(image, {50, 10, 52, 12}, 0xFF0000), 4);
  // The outline: every border pixel of (30, 10)-(40, 26), nothing inside.
  EXPECT_EQ(Count(image, {30, 10, 40, 26}, 0xFF0000), 2 * 10 + 2 * 14);
  EXPECT_EQ(Count(image, {31, 11, 39, 25}, 0xFF0000), 0);
  EXPECT_EQ(StrayPixel(image, {{10, 10, 20, 16}, {30, 10, 40, 26}, {50, 10, 52, 12}}), "");

  // On the front screen a box shows at once; an inhibited one not at all.
  ASSERT_EQ(ChangeDrawTarget(kDrawTargetFrontScreen), 0);
  EXPECT_EQ(RenderFilledBox(100, 100, 104, 104, GetScreenColorValue(0, 0, 255)), 0);
  DrawInhibitFlag = 1;
  EXPECT_EQ(RenderFilledBox(200, 200, 204, 204, red), 0);
  DrawInhibitFlag = 0;
  const std::vector<uint32_t> front = Window();
  EXPECT_EQ(Count(front, {100, 100, 104, 104}, 0x0000FF), 16);
  EXPECT_EQ(Count(front, {200, 200, 204, 204}, 0xFF0000), 0);
  ChangeDrawTarget(kDrawTargetBackScreen);
}

TEST_F(FontScreenTest, TextOnTheFrontScreenShowsAtOnce) {
  ASSERT_EQ(PresentScreen(), 0);
  ASSERT_EQ(ChangeDrawTarget(kDrawTargetFrontScreen), 0);
  const int32_t font = CreateFontToHandle(nullptr, 16, -1, 0, -1, -1, 0, -1, -1);
  EXPECT_EQ(RenderTextWithFont(300, 200, "あ", GetScreenColorValue(255, 255, 0), font, 0, 0), 0);
  const std::vector<uint32_t> image = Window();
  EXPECT_GT(Count(image, {300, 200, 316, 216}, 0xFFFF00), 10);
  ChangeDrawTarget(kDrawTargetBackScreen);
}

TEST_F(FontScreenTest, DebugConsoleDrawsItsLinesWhiteOnBlackAtEachPresent) {
  DebugConsolePrint("HP %d\nMP %d", 12, 3);
  const std::vector<uint32_t> image = Presented();
  // Line i at y = 16 i, from x = 0.
  for (int32_t line = 0; line < 2; ++line) {
    SCOPED_TRACE(line);
    const Box box{0, 16 * line, 60, 16 * line + 18};
    EXPECT_GT(Count(image, box, 0xFFFFFF), 10);
    EXPECT_GT(Count(image, box, 0x000000), 10);
  }
  EXPECT_EQ(StrayPixel(image, {{0, 0, 60, 34}}), "");
  EXPECT_EQ(DebugConsoleUsableLines(), 30) << "480 / 16 lines fit the screen";
}

TEST_F(FontScreenTest, DebugConsoleLinesBreakAtTheScreenWidth) {
  DebugConsolePrint("%s", std::string(200, 'M').c_str());
  std::vector<std::string> lines;
  for (int i = 0; DebugConsoleLineText(i)[0] != '\0'; ++i) lines.push_back(DebugConsoleLineText(i));
  ASSERT_GE(lines.size(), 2u);
  size_t total = 0;
  for (const std::string& line : lines) total += line.size();
  EXPECT_EQ(total, 200u);
  // Each full line stops before the next character would reach the screen's
  // right side, measured in a font made as the console makes its own.
  const int32_t font = CreateFontToHandle(nullptr, 16, 4, 1, -1, -1, 0, -1, -1);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lines[i].size(), lines[0].size());
    EXPECT_LT(MeasureStringWithFont(lines[i].c_str(), -1, font, 0), 640);
    EXPECT_GE(MeasureStringWithFont((lines[i] + "M").c_str(), -1, font, 0), 640);
  }
}

}  // namespace
