// Readable pages: every text the scenes draw over the sample set's message
// windows stands out from what lies behind it by a contrast ratio of at
// least 4.5 : 1 (the relative luminance of the text's colour against that of
// the mean colour behind the text's box, in the saved frame): the white name
// label of a page without a face, the dark lines of the pages, and the two
// white closing lines of the ending of the second character alone.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/app/whole_program_support.h"

namespace {

// The relative luminance of an sRGB colour (0 to 255 a channel).
double Luminance(double r, double g, double b) {
  auto linear = [](double c) {
    c /= 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

// A text drawn in grey `level` (255 white, 0 black) somewhere in the area
// [left, right) x [top, bottom) of a saved frame.
struct PageText {
  const char* what;
  int32_t frame;
  int32_t left, top, right, bottom;
  uint8_t level;
};

struct Contrast {
  double ratio = 0.0;
  int32_t width = 0, height = 0;  // of the text's box
};

// The text's box is the bounding box of the area's pixels of exactly the
// text's colour; behind it, the mean of the box's other pixels (the edges
// of the glyphs among them, which only lower the ratio).
Contrast ContrastOf(const SavedPicture& picture, const PageText& text) {
  int32_t x0 = text.right, y0 = text.bottom, x1 = -1, y1 = -1;
  auto is_text = [&](const uint8_t* p) { return p[0] == text.level && p[1] == text.level && p[2] == text.level; };
  for (int32_t y = text.top; y < text.bottom; ++y) {
    for (int32_t x = text.left; x < text.right; ++x) {
      if (!is_text(picture.at(x, y))) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  Contrast result;
  if (x1 < 0) return result;
  double sum[3] = {0, 0, 0};
  int64_t count = 0;
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      const uint8_t* p = picture.at(x, y);
      if (is_text(p)) continue;
      for (int c = 0; c < 3; ++c) sum[c] += p[c];
      ++count;
    }
  }
  if (count == 0) return result;
  const double behind = Luminance(sum[0] / count, sum[1] / count, sum[2] / count);
  const double own = Luminance(text.level, text.level, text.level);
  result.ratio = (std::max(own, behind) + 0.05) / (std::min(own, behind) + 0.05);
  result.width = x1 - x0 + 1;
  result.height = y1 - y0 + 1;
  return result;
}

class WholeProgramPagesTest : public WholeProgramTest {
 protected:
  // Each text is found (a box of some glyphs) and reads at 4.5 : 1 or more.
  static void ExpectReadable(const ScriptedRun& run, const std::vector<PageText>& texts) {
    for (const PageText& text : texts) {
      SCOPED_TRACE(text.what);
      const SavedPicture picture = ReadSavedFrame(FramesFolder(run), text.frame);
      ASSERT_GT(picture.width, 0) << "frame " << text.frame << " was not saved";
      const Contrast contrast = ContrastOf(picture, text);
      std::printf("%s (frame %d): contrast %.2f : 1 over a %d x %d box\n", text.what,
                  static_cast<int>(text.frame), contrast.ratio, static_cast<int>(contrast.width),
                  static_cast<int>(contrast.height));
      EXPECT_GE(contrast.width, 30) << "no text found";
      EXPECT_GE(contrast.height, 8) << "no text found";
      EXPECT_GE(contrast.ratio, 4.5);
    }
  }
};

// The message window lies at (20, 368), 600 x 104, drawn over the status
// band at opacity 220; the speech panel at (112, 373) over it. A label at
// (40, 410), the page lines from (145, 386), the closing lines at (40, 395)
// and (40, 425).
constexpr int32_t kLabelArea[4] = {24, 398, 110, 440};
constexpr int32_t kFirstLineArea[4] = {140, 380, 610, 408};

// dansion02 floor 6, arriving below the boss room (272, 448): up onto the
// scene cell starts the giant toad's talk, hurried by S from 790: a page
// with the name label "？？？" at 812, a face page at 824, the label
// "フェスク" at 836.
TEST_F(WholeProgramPagesTest, LabelAndFacePagesAreReadable) {
  const fs::path copy = SetWithHomeStairsTo("pages-ice-boss", 3, 6, 272, 448);
  ASSERT_FALSE(copy.empty());
  const std::string script =
      std::string(kWalkToHomeStairs) + "770 key=200\n790 key=200,31\n800 key=31\n840 key=1\n";
  const ScriptedRun run = {"pages_label_and_face", script.c_str(), 840, {812, 824, 836}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ExpectReadable(run, {
                          {"the label ？？？", 812, kLabelArea[0], kLabelArea[1], kLabelArea[2], kLabelArea[3], 255},
                          {"the label page's line", 812, kFirstLineArea[0], kFirstLineArea[1], kFirstLineArea[2],
                           kFirstLineArea[3], 0},
                          {"the face page's line", 824, kFirstLineArea[0], kFirstLineArea[1], kFirstLineArea[2],
                           kFirstLineArea[3], 0},
                          {"the label フェスク", 836, kLabelArea[0], kLabelArea[1], kLabelArea[2], kLabelArea[3], 255},
                      });
}

// A slot of one player of the second character in the ending area:
// CONTINUE, slot 1, and S held from 180 hurries the roll and the pages; the
// two closing lines stand on the opaque message window at 980.
TEST_F(WholeProgramPagesTest, ClosingLinesOfTheSecondCharacterAloneAreReadable) {
  const fs::path copy = Scratch() / "pages-ending";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
  std::vector<uint8_t> slot = SlotImage(14, 0);
  slot[6040] = 1;  // player 0's character
  ASSERT_TRUE(WriteSaveSlot(copy, 0, slot, &error)) << error;
  const ScriptedRun run = {"pages_closing_lines",
                           "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"
                           "180 key=31\n1000 key=1\n",
                           1000,
                           {980}};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ExpectReadable(run, {
                          {"the first closing line", 980, 24, 388, 615, 418, 255},
                          {"the second closing line", 980, 24, 418, 615, 448, 255},
                      });
}

}  // namespace
