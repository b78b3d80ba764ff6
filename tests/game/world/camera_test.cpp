// The camera: anchors on the players who are up, the centre by player count,
// the scroll and its clamps, and the anchors of downed or waited players
// gliding to the centre.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

struct Walker {
  float x, y;
  int32_t alive = 1;
  int32_t stairs_counter = 0;
};

// A party on a map of the given size, the camera state of the frame before
// cleared.
void PlaceParty(const std::vector<Walker>& walkers, int32_t map_w, int32_t map_h) {
  for (player_data& record : player) record = player_data{};
  player_count = static_cast<int32_t>(walkers.size());
  for (size_t i = 0; i < walkers.size(); ++i) {
    player[i].X = walkers[i].x;
    player[i].Y = walkers[i].y;
    player[i].alive = walkers[i].alive;
    player[i].stairs_counter = walkers[i].stairs_counter;
  }
  for (int i = 0; i < 4; ++i) {
    camera_anchor_x[i] = camera_anchor_y[i] = 0;
    camera_sorted_x[i] = camera_sorted_y[i] = 0;
  }
  camera_centre_x = camera_centre_y = 0;
  map_width_px = map_w;
  map_height_px = map_h;
}

struct FrameCase {
  const char* name;
  std::vector<Walker> walkers;
  int32_t map_w, map_h;
  int32_t centre_x, centre_y;
  int32_t scroll_x, scroll_y;
};

TEST(CameraTest, CentreAndScrollByPlayerCountAndMapSize) {
  const FrameCase cases[] = {
      {"one player, truncated", {{600.7f, 300.2f}}, 1280, 960, 600, 300, -344, -120},
      {"two players: the midpoint", {{100, 200}, {700, 200}}, 1280, 960, 400, 200, -144, -20},
      {"midpoints truncate toward zero", {{100, 200}, {101, 203}}, 1280, 960, 100, 201, 0, -21},
      {"three players: the extremes of the sorted copies",
       {{500, 300}, {10, 100}, {300, 400}}, 1280, 960, 255, 250, 0, -70},
      {"four players: anchors x 10, 500, 300, 200",
       {{10, 200}, {500, 200}, {300, 200}, {200, 200}}, 1280, 960, 255, 200, 0, -20},
      {"near the top-left corner", {{30, 40}}, 1280, 960, 30, 40, 0, 0},
      {"near the bottom-right corner", {{1270, 950}}, 1280, 960, 1270, 950, -768, -600},
      {"a map 400 pixels wide", {{390, 200}}, 400, 960, 390, 200, 112, -20},
      {"a map 300 pixels high", {{200, 20}}, 1280, 300, 200, 20, 0, 60},
  };
  for (const FrameCase& c : cases) {
    PlaceParty(c.walkers, c.map_w, c.map_h);
    update_camera();
    EXPECT_EQ(camera_centre_x, c.centre_x) << c.name;
    EXPECT_EQ(camera_centre_y, c.centre_y) << c.name;
    EXPECT_EQ(scroll_x, c.scroll_x) << c.name;
    EXPECT_EQ(scroll_y, c.scroll_y) << c.name;
  }
}

TEST(CameraTest, SortedCopiesWithThreePlayers) {
  PlaceParty({{500, 300}, {10, 100}, {300, 400}}, 1280, 960);
  camera_sorted_x[3] = 7777;  // beyond the party: neither written nor sorted
  update_camera();
  EXPECT_EQ(std::vector<int32_t>(camera_sorted_x, camera_sorted_x + 4),
            (std::vector<int32_t>{10, 300, 500, 7777}));
  EXPECT_EQ(std::vector<int32_t>(camera_sorted_y, camera_sorted_y + 3),
            (std::vector<int32_t>{100, 300, 400}));
  // The anchors themselves stay in player order.
  EXPECT_EQ(std::vector<int32_t>(camera_anchor_x, camera_anchor_x + 3),
            (std::vector<int32_t>{500, 10, 300}));
}

// Three players up hold the centre at (300, 300); player 3's anchor, let go,
// glides from (start_x, start_y) between them. The anchor after each frame.
std::vector<std::pair<int32_t, int32_t>> Glide(int32_t start_x, int32_t start_y,
                                              Walker fourth, int frames) {
  PlaceParty({{100, 100}, {500, 500}, {300, 300}, fourth}, 1280, 960);
  camera_centre_x = 300;
  camera_centre_y = 300;
  camera_anchor_x[3] = start_x;
  camera_anchor_y[3] = start_y;
  std::vector<std::pair<int32_t, int32_t>> out;
  for (int f = 0; f < frames; ++f) {
    update_camera();
    EXPECT_EQ(camera_centre_x, 300);
    EXPECT_EQ(camera_centre_y, 300);
    out.emplace_back(camera_anchor_x[3], camera_anchor_y[3]);
  }
  return out;
}

using Path = std::vector<std::pair<int32_t, int32_t>>;

TEST(CameraTest, ADownedPlayersAnchorComesTenCloserAndSnapsWithinTwenty) {
  Walker down{900, 900};
  down.alive = 0;
  EXPECT_EQ(Glide(400, 300, down, 10),
            (Path{{390, 300}, {380, 300}, {370, 300}, {360, 300}, {350, 300}, {340, 300},
                  {330, 300}, {320, 300}, {300, 300}, {300, 300}}));
}

TEST(CameraTest, APlayerWhoWaitedOnStairsLetsGoAndOneStillWaitingDoesNot) {
  Walker waited{900, 900};
  waited.stairs_counter = 120;
  EXPECT_EQ(Glide(400, 300, waited, 2), (Path{{390, 300}, {380, 300}}));
  Walker waiting{900, 900};
  waiting.stairs_counter = 119;
  PlaceParty({{100, 200}, {500, 200}, {300, 200}, waiting}, 2000, 2000);
  update_camera();
  EXPECT_EQ(camera_anchor_x[3], 900);
  EXPECT_EQ(camera_centre_x, 500);  // (100 + 900) / 2
}

TEST(CameraTest, AnAnchorJustBelowTheCentreOvershootsAndStaysWhileTheOtherAxisIsApart) {
  Walker down{900, 900};
  down.alive = 0;
  // x 4 below the centre goes to the centre + 6 and stays; y 100 below comes
  // 10 closer each frame until the boxes meet, then both snap.
  EXPECT_EQ(Glide(296, 400, down, 9),
            (Path{{306, 390}, {306, 380}, {306, 370}, {306, 360}, {306, 350}, {306, 340},
                  {306, 330}, {306, 320}, {300, 300}}));
  // Above the centre by less than 10 it stays where it is.
  EXPECT_EQ(Glide(307, 400, down, 2), (Path{{307, 390}, {307, 380}}));
  // Below by exactly 10 it goes onto the centre.
  EXPECT_EQ(Glide(290, 400, down, 2), (Path{{300, 390}, {300, 380}}));
}

TEST(CameraTest, WithTwoPlayersAndOneDownTheCentreClosesInOnTheStandingPlayer) {
  PlaceParty({{300, 200}, {900, 900}}, 1280, 960);
  player[1].alive = 0;
  camera_centre_x = 300;
  camera_centre_y = 200;
  camera_anchor_x[1] = 400;
  camera_anchor_y[1] = 200;
  std::vector<int32_t> centres;
  for (int f = 0; f < 12; ++f) {
    update_camera();
    centres.push_back(camera_centre_x);
  }
  EXPECT_EQ(centres,
            (std::vector<int32_t>{345, 340, 335, 330, 325, 320, 310, 305, 302, 301, 300, 300}));
}

}  // namespace
