// The text tables of the scenes met in play against their page tables.
#include <cstring>
#include <iterator>
#include <string>

#include "game/scenes/boss_scenes.h"
#include "game/scenes/ending.h"
#include "game/scenes/first_boss_scenes.h"
#include "game/scenes/scene_text.h"
#include "game/scenes/short_scenes.h"
#include "tests/game/scenes/scene_test_support.h"

namespace {

// A line fits the message window: at most 28 full-width characters, two
// bytes each in CP932.
void ExpectFits(const char* line) {
  ASSERT_NE(line, nullptr);
  EXPECT_GT(std::strlen(line), 0u);
  EXPECT_LE(std::strlen(line), 56u) << line;
}

TEST(SceneTextTest, EveryPageHoldsTheLinesItsPageTableShows) {
  struct Scene {
    int32_t id;
    const scene_copy* copies;
    int count;
  };
  const Scene scenes[] = {
      {104, scene104_copies, 3}, {105, scene105_copies, 3}, {106, scene106_copies, 3},
      {107, scene107_copies, 3}, {109, scene109_copies, 3}, {110, scene110_copies, 3},
      {111, scene111_copies, 3}, {112, scene112_copies, 3}, {113, scene113_copies, 3},
      {114, scene114_copies, 3}, {115, scene115_copies, 3}, {116, scene116_copies, 3},
      {117, scene117_copies, 3}, {118, scene118_copies, 3}, {119, scene119_copies, 3},
      {120, &scene120_copy, 1},
  };
  for (const Scene& scene : scenes) {
    for (int c = 0; c < scene.count; ++c) {
      const scene_copy& copy = scene.copies[c];
      for (int i = 0; i < copy.page_count; ++i) {
        SCOPED_TRACE(testing::Message() << "scene " << scene.id << " copy " << c << " page " << i + 1);
        const scene_page& page = copy.pages[i];
        const scene_page_text& text = copy.text[i];
        int lines = 0;
        for (const char* line : text.line) lines += line != nullptr ? 1 : 0;
        EXPECT_EQ(lines, page.line_count);
        for (int k = 0; k < page.line_count; ++k) ExpectFits(text.line[k]);
        EXPECT_EQ(text.label != nullptr, page.window == kLabelWindow);
        if (page.window == kLabelWindow) ExpectFits(text.label);
        EXPECT_EQ(page.face != nullptr, page.window == kFaceWindow);
      }
    }
  }
}

// The roll and closing lines have bounds of their own, wider than a page
// line's; the script test measures them with their fonts.
void ExpectThere(const char* line) {
  ASSERT_NE(line, nullptr);
  EXPECT_GT(std::strlen(line), 0u);
}

TEST(SceneTextTest, TheEndingsRollAndClosingLinesAreThere) {
  for (const char* line : scene118_pelune_roll) ExpectThere(line);
  for (const char* line : scene118_orven_roll) ExpectThere(line);
  for (const char* line : scene118_both_roll) ExpectThere(line);
  for (const char* line : scene118_closing) ExpectThere(line);
  EXPECT_EQ(std::size(scene118_pelune_roll), 5u);
  EXPECT_EQ(std::size(scene118_orven_roll), 5u);
  EXPECT_EQ(std::size(scene118_both_roll), 6u);
  EXPECT_EQ(std::size(scene118_closing), 2u);
}

}  // namespace
