// The behaviours inside the world's frame: update_enemies and
// update_enemy_shots run the real routines on a small open map, so what a
// behaviour leaves for the move, what the move leaves for the next frame, the
// holly reversal and the shot that a request becomes are seen together.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <deque>
#include <vector>

#include "game/world/spawn_table.h"
#include "tests/game/enemies/enemy_test_support.h"
#include "tests/game/world/world_test_support.h"

namespace {

// A field of open cells seen from the map's corner, one player counted, no
// holly running.
void OpenField() {
  ResetField();
  FillCells(kOpen);
  scroll_x = 0;
  scroll_y = 0;
  player_count = 1;
  holly_counter = 0;
}

// An enemy as its generator releases it (the spawn table's values), already
// off every generator.
enemy_data& Release(int32_t slot, int32_t kind, float x, float y) {
  enemy_data& e = PlaceEnemy(slot, kind, x, y);
  const spawn_row& row = spawn_table[kind];
  e.width = row.width;
  e.height = row.height;
  e.hp = row.hp;
  e.attack = row.attack;
  e.speed = row.speed;
  e.shot_power_start = row.shot_power;
  e.shot_width = row.shot_box;
  e.shot_height = row.shot_box;
  e.left_generator = 1;
  return e;
}

// One frame of the world as far as the enemies go.
void EnemyFrame() {
  update_enemies();
  update_enemy_shots();
}

int ShotSounds() {
  int count = 0;
  for (const ApiCall& call : api_fake().Calls("ApiPlaySound")) {
    if (call.args[0] == se_boss_shot10) ++count;
  }
  return count;
}

// A resting chaser (kind 0: 13 x 10, speed 0.5) walking straight up under a
// wall cell that only its top-left corner meets: the wall stop leaves the
// 1.0 slide in vx. On its next walking frame the approach step writes vy
// only, so the slide moves it along the wall together with the step; on its
// first resting frame it writes nothing and the slide alone moves it.
TEST(EnemyFrameBehavioursTest, ARestingChasersCornerSlideCarriesIntoItsNextFrame) {
  struct Case {
    const char* name;
    int32_t tick;          // before the first frame
    float slide_after_2;   // vx the second move leaves
  };
  const Case cases[] = {
      {"walking on", 0, 1.0f},     // the step runs into the corner again
      {"then resting", 178, 0.0f}, // no vertical step: no corner met
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OpenField();
    CellAt(70, 70) = kWall;  // the cell from (64, 64) to (95, 95)
    PlacePlayer(0, 100.0f, 20.0f);
    Release(0, 0, 100.0f, 106.25f).tick = c.tick;  // top edge 96.25, left edge 87

    EnemyFrame();  // up 0.25 to the wall, then the slide
    EXPECT_EQ(enemy[0].X, 100.0f);
    EXPECT_EQ(enemy[0].Y, 106.0f);
    EXPECT_EQ(enemy[0].vx, 1.0f);
    EXPECT_EQ(enemy[0].vy, 0.0f);
    EXPECT_EQ(enemy[0].facing, 0);

    EnemyFrame();
    EXPECT_EQ(enemy[0].X, 101.0f) << "the slide left by the last move";
    EXPECT_EQ(enemy[0].Y, 106.0f);
    EXPECT_EQ(enemy[0].vx, c.slide_after_2);
    EXPECT_EQ(enemy[0].tick, c.tick + 2);
  }
}

// A steady shooter (kind 28) walking right at a far player: its request
// becomes a shot along the facing its approach step chose in the same frame,
// not the one it had. The next request, 100 frames on, comes while that shot
// still crosses the view: it waits and becomes one shot in the frame the
// first one leaves the view.
TEST(EnemyFrameBehavioursTest, ASteadyShootersRequestFiresAlongItsNewFacingAndWaitsForItsShot) {
  OpenField();
  scroll_x = -100;  // the view's left edge at 100
  PlacePlayer(0, 1500.0f, 200.0f);
  enemy_data& e = Release(0, 28, 84.0f, 200.0f);  // on the view's closed left margin
  e.facing = 6;
  e.tick = 60;

  EnemyFrame();
  EXPECT_EQ(e.facing, 2);
  EXPECT_EQ(e.X, 85.0f);
  EXPECT_EQ(e.shot_state, 1);
  EXPECT_EQ(e.shot_direction, 2);
  EXPECT_EQ(e.shot_X, 109.0f) << "24 px along facing 2 from where the enemy stands";
  EXPECT_EQ(e.shot_Y, 200.0f);
  EXPECT_EQ(e.shot_power, 7);
  EXPECT_EQ(e.shot_request, 0);
  EXPECT_EQ(ShotSounds(), 1);

  for (int32_t frame = 2; frame <= 100; ++frame) EnemyFrame();
  EXPECT_EQ(e.shot_request, 0);
  EXPECT_EQ(e.tick, 60);
  EnemyFrame();  // frame 101: the second request
  EXPECT_EQ(e.shot_request, 1);
  EXPECT_EQ(e.shot_state, 1);
  EXPECT_EQ(e.shot_X, 609.0f) << "the first shot flies on";
  EXPECT_EQ(ShotSounds(), 1);

  for (int32_t frame = 102; frame <= 108; ++frame) {
    EnemyFrame();
    ASSERT_EQ(e.shot_request, 1) << "frame " << frame;
    ASSERT_EQ(ShotSounds(), 1) << "frame " << frame;
  }
  EnemyFrame();  // frame 109: the first shot passes 644 and ends
  EXPECT_EQ(e.shot_fade_state, 1);
  EXPECT_EQ(e.shot_fade_X, 649.0f);
  EXPECT_EQ(e.shot_state, 1);
  EXPECT_EQ(e.shot_request, 0);
  EXPECT_EQ(e.X, 193.0f);
  EXPECT_EQ(e.shot_X, 217.0f) << "the waiting request's shot starts at once";
  EXPECT_EQ(e.shot_direction, 2);
  EXPECT_EQ(ShotSounds(), 2);
}

// While the holly runs, the world reverses each step and turns each facing
// after the behaviour. Behaviours that re-aim from the positions every frame
// move away steadily (or, retreating, come closer); those that keep a heading
// read the turned facing back on the next frame and go back and forth; a
// range keeper in its shooting band stands, facing away.
enum Motion { kAway, kToward, kBackAndForth, kStands };

struct HollyCase {
  const char* name;
  int32_t kind;
  int32_t tick, aggro;
  float target_x, target_y;
  int32_t target_facing;
  float aim_x, aim_y;  // the point the distances are taken from
  std::deque<int32_t> draws;
  Motion motion;
  int32_t facing_after;  // -1: not checked
};

// Every enemy starts at (200, 200) in slot 0.
const HollyCase kHollyCases[] = {
    {"chaser", 1, 0, 0, 300, 200, 0, 300, 200, {}, kAway, 6},
    {"one-sided flanker", 2, 0, 0, 300, 200, 0, 360, 140, {}, kAway, 5},
    {"flanker, even slot", 23, 0, 0, 300, 200, 2, 360, 260, {}, kAway, 7},
    {"flanking shooter, aggro", 32, 0, 1, 300, 200, 0, 300, 200, {}, kAway, 6},
    {"flanking shooter, sidestepping", 32, 0, 0, 300, 300, 0, 300, 300, {}, kAway, 6},
    {"wanderer", 4, 0, 0, 300, 300, 0, 300, 300, {2}, kBackAndForth, -1},
    {"weaver", 21, 0, 0, 200, 100, 0, 200, 100, {}, kBackAndForth, -1},
    {"weaver with slowdown, near", 37, 0, 0, 200, 150, 0, 200, 150, {}, kBackAndForth, -1},
    {"axis walker", 6, 0, 0, 300, 250, 0, 300, 250, {}, kBackAndForth, -1},
    {"shy charger, charging", 31, 0, 0, 300, 200, 2, 300, 200, {}, kAway, 6},
    {"shy charger, running along", 31, 0, 0, 300, 200, 6, 300, 200, {}, kBackAndForth, -1},
    {"sidestepper, across", 7, 0, 0, 300, 200, 6, 300, 200, {0}, kBackAndForth, -1},
    {"sidestepper, chasing", 7, 0, 0, 300, 200, 2, 300, 200, {}, kAway, 6},
    {"range keeper, retreating", 22, 0, 0, 250, 200, 0, 250, 200, {}, kToward, 2},
    {"range keeper, shooting band", 51, 0, 0, 300, 200, 0, 300, 200, {}, kStands, 6},
    {"kind 8, walking in", 8, 0, 0, 400, 200, 0, 400, 200, {}, kAway, 6},
};

TEST(EnemyFrameBehavioursTest, TheHollyReversalByBehaviour) {
  constexpr int kFrames = 4;
  for (const HollyCase& c : kHollyCases) {
    SCOPED_TRACE(c.name);
    OpenField();
    holly_counter = 1;
    PlacePlayer(0, c.target_x, c.target_y, 1, c.target_facing);
    enemy_data& e = Release(0, c.kind, 200.0f, 200.0f);
    e.tick = c.tick;
    e.aggro = c.aggro;
    api_fake().random_values = c.draws;

    std::vector<float> x = {e.X}, y = {e.Y};
    for (int frame = 1; frame <= kFrames; ++frame) {
      EnemyFrame();
      ASSERT_EQ(e.alive, 1);
      x.push_back(e.X);
      y.push_back(e.Y);
      if (c.facing_after >= 0) {
        EXPECT_EQ(e.facing, c.facing_after) << "frame " << frame;
      }
    }
    EXPECT_EQ(RandomBounds().size(), c.draws.size());
    EXPECT_EQ(holly_counter, 1 + kFrames);

    auto distance = [&](int k) { return std::hypot(x[k] - c.aim_x, y[k] - c.aim_y); };
    constexpr float kNear = 1e-3f;
    switch (c.motion) {
      case kAway:
      case kToward:
        for (int k = 1; k <= kFrames; ++k) {
          if (c.motion == kAway) {
            EXPECT_GT(distance(k), distance(k - 1)) << "frame " << k;
          } else {
            EXPECT_LT(distance(k), distance(k - 1)) << "frame " << k;
          }
          // Steadily: the same step every frame.
          EXPECT_NEAR(x[k] - x[k - 1], x[1] - x[0], kNear) << "frame " << k;
          EXPECT_NEAR(y[k] - y[k - 1], y[1] - y[0], kNear) << "frame " << k;
        }
        break;
      case kBackAndForth:
        EXPECT_GT(std::hypot(x[1] - x[0], y[1] - y[0]), 0.1f);
        for (int k = 2; k <= kFrames; ++k) {
          EXPECT_NEAR(x[k], x[k - 2], kNear) << "frame " << k;
          EXPECT_NEAR(y[k], y[k - 2], kNear) << "frame " << k;
        }
        break;
      case kStands:
        for (int k = 1; k <= kFrames; ++k) {
          EXPECT_EQ(x[k], x[0]) << "frame " << k;
          EXPECT_EQ(y[k], y[0]) << "frame " << k;
        }
        break;
    }
  }
}

// The random draws of one frame come in slot order, whoever makes them: the
// wanderer's heading, a death's drop, the sidestepper's side and the death
// enemy's jolt; each takes the value drawn in its own turn.
TEST(EnemyFrameBehavioursTest, TheDrawsOfAFrameComeInSlotOrder) {
  OpenField();
  PlacePlayer(0, 250.0f, 250.0f, 1, 0);                  // facing up
  Release(0, 4, 100.0f, 100.0f);                         // draws its heading at tick 1
  Release(1, 39, 300.0f, 100.0f).hp = 0;                 // dies: the drop's draw
  Release(2, 7, 100.0f, 150.0f);                         // ahead of the target: a side
  Release(3, 19, 400.0f, 300.0f);                        // the jolt
  api_fake().random_values = {3, 0, 1, 5};

  update_enemies();
  EXPECT_EQ(RandomBounds(), (std::vector<int64_t>{7, 10, 1, 7}));
  EXPECT_EQ(enemy[0].facing, 3);
  EXPECT_EQ(enemy[0].X, 100.375f);
  EXPECT_EQ(enemy[0].Y, 100.375f);
  EXPECT_EQ(enemy[1].dying, 1);
  EXPECT_EQ(dropped_item_present[0], 1);
  EXPECT_EQ(dropped_item_x[0], 300.0f);
  EXPECT_EQ(dropped_item_y[0], 100.0f);
  EXPECT_EQ(enemy[2].facing, 6) << "the second side across a target facing up";
  // The death enemy's step toward the target, up-left (-0.75, -0.75), with the
  // jolt of direction 5 (-0.75, 0.75): it keeps the step's facing.
  EXPECT_EQ(enemy[3].X, 398.5f);
  EXPECT_EQ(enemy[3].Y, 300.0f);
  EXPECT_EQ(enemy[3].facing, 7);
}

}  // namespace
