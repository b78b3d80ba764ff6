// Player sprites and the depth-sorted object pass.
#include <algorithm>
#include <iterator>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/enemies/enemies.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class PlayerSpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    for (player_data& record : player) record = player_data{};
    game_status = kStatusPlay;
    player_count = 1;
    player_data& r = player[0];
    r.alive = 1;
    r.X = 100.9f;
    r.Y = 80.2f;
    r.facing = 2;
  }
  static int64_t Drawn() {
    const std::vector<DrawOp> ops = OpsOf([] { draw_player(0); });
    return ops.empty() ? -1 : ops[0].args[2];
  }
};

TEST_F(PlayerSpriteTest, TheWalkAdvancesOnlyInPlayWithADirectionHeld) {
  player[0].input_state[1] = 1;
  std::vector<int64_t> cells;
  for (int f = 0; f < 17; ++f) cells.push_back(Drawn());
  EXPECT_EQ(cells[0], dot_pelune_img3248[8]);   // frame 0 while 1 to 15
  EXPECT_EQ(cells[14], dot_pelune_img3248[8]);
  EXPECT_EQ(cells[15], dot_pelune_img3248[9]);  // the 16th draw shows frame 1
  EXPECT_EQ(OpsOf([] { draw_player(0); })[0], At(100 + 48, 80 - 36, dot_pelune_img3248[9]));

  struct Case {
    int32_t status, state;
    int32_t walk_after;
  };
  const Case cases[] = {{kStatusPlay, 2, 5}, {kStatusScene, 1, 5}, {kStatusPlay, 0, 5},
                        {kStatusPlay, 1, 6}};
  for (const Case& c : cases) {
    player[0].walk_anim = 5;
    game_status = c.status;
    player[0].input_state[1] = c.state;
    Drawn();
    EXPECT_EQ(player[0].walk_anim, c.walk_after);
  }
  game_status = kStatusPlay;
  player[0].walk_anim = 63;
  player[0].input_state[1] = 1;
  EXPECT_EQ(Drawn(), dot_pelune_img3248[8]);  // 64 becomes 0 at once
}

TEST_F(PlayerSpriteTest, SheetsByCharacterAndTheBlink) {
  struct Case {
    int32_t character, hit_counter;
    const int32_t* sheet;
  };
  const Case cases[] = {{0, 0, dot_pelune_img3248},   {1, 2, dot_orven_img3248},
                        {2, 0, dot_pelune_2P_img},    {3, 4, dot_orven_2P_img},
                        {0, 1, dot_pelune_white_img}, {2, 5, dot_pelune_white_img},
                        {3, 29, dot_orven_white_img}, {1, 6, dot_orven_img3248}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.character << " " << c.hit_counter);
    player[0].character = c.character;
    player[0].hit_counter = c.hit_counter;
    EXPECT_EQ(Drawn(), c.sheet[8]);
  }
  // Another character draws nothing but still animates.
  player[0].character = 7;
  player[0].walk_anim = 0;
  player[0].input_state[0] = 1;
  EXPECT_EQ(Drawn(), -1);
  EXPECT_EQ(player[0].walk_anim, 1);
}

TEST_F(PlayerSpriteTest, TheStairsLooks) {
  player[0].on_stairs = 1;
  player[0].alive = 0;  // down, still the stairs look
  player[0].stairs_look = 0;
  const int32_t spins[][2] = {{0, 0}, {1, 0}, {2, 1}, {15, 7}, {16, 0}};
  for (const auto& s : spins) {
    player[0].stairs_counter = s[0];
    EXPECT_EQ(Drawn(), dot_pelune_img3248[s[1] * 4]) << s[0];
  }
  player[0].stairs_look = 1;
  player[0].walk_anim = 20;
  std::vector<int> shown;
  for (int counter = 0; counter <= 120; ++counter) {
    player[0].stairs_counter = counter;
    const int64_t handle = Drawn();
    if (handle != -1) {
      EXPECT_EQ(handle, dot_pelune_img3248[2 * 4 + 1]);
      shown.push_back(counter);
    }
  }
  std::vector<int> expected;
  for (int c = 1; c <= 19; c += 2) expected.push_back(c);
  for (int c = 22; c <= 37; c += 3) expected.push_back(c);
  for (int c = 41; c <= 77; c += 4) expected.push_back(c);
  for (int c = 81; c <= 116; c += 5) expected.push_back(c);
  EXPECT_EQ(shown, expected);
  player[0].stairs_look = 2;
  player[0].stairs_counter = 5;
  EXPECT_EQ(Drawn(), -1);
  // Down and off stairs: invisible.
  player[0].on_stairs = 0;
  EXPECT_EQ(Drawn(), -1);
}

class DepthPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    for (player_data& record : player) record = player_data{};
    for (enemy_data& e : enemy) e = enemy_data{};
    game_status = kStatusPlay;
    player_count = 1;
    scroll_x = 0;
    scroll_y = 0;
    map_status = 1;
  }
  // The objects drawn, by their own handles, in order.
  static std::vector<int64_t> Order() {
    std::vector<int64_t> out;
    for (const DrawOp& op : OpsOf(draw_field_objects)) {
      if (op.name == "At") out.push_back(op.args[2]);
    }
    return out;
  }
};

TEST_F(DepthPassTest, BandsOfTwentyPixelsByKindThenIndex) {
  player[0].alive = 1;
  player[0].Y = 105.0f;  // drawn at line 120
  player[0].facing = 4;
  enemy[3].alive = 1;
  enemy[3].kind = 29;  // the book
  enemy[3].Y = 101.0f;  // also at line 120, after the player
  enemy[5].alive = 1;
  enemy[5].kind = 29;
  enemy[5].Y = 100.0f;  // exactly on line 100
  const std::vector<int64_t> order = Order();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], dot_book_img[0]);  // enemy 5 at line 100
  EXPECT_EQ(order[1], dot_pelune_img3248[16]);
  EXPECT_EQ(order[2], dot_book_img[0]);
  EXPECT_EQ(enemy[3].drawn, 1);
}

TEST_F(DepthPassTest, GeneratorsAndNeedlesFirstAndNothingBelowTheSweep) {
  scroll_y = -200;  // the field shows map y 200 to 560; the sweep ends at 620
  generator_count = 1;
  generator_active[0] = 1;
  generator_kind[0] = 0;
  generator_y[0] = 600.0f;
  set_enemy_count = 2;
  set_enemy_active[0] = 1;
  set_enemy_kind[0] = 4;  // a needle at the bottom
  set_enemy_y[0] = 610.0f;
  set_enemy_active[1] = 1;
  set_enemy_kind[1] = 2;
  set_enemy_y[1] = 150.0f;  // above the field's top: at the first line
  player[0].alive = 1;
  player[0].Y = 621.0f;  // below the last line: neither drawn nor animated
  player[0].input_state[1] = 1;
  const std::vector<int64_t> order = Order();
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(player[0].walk_anim, 0);
  EXPECT_EQ(player[0].drawn, 0);
  // The generator, the needle, then the korone above the field.
  EXPECT_TRUE(std::count(std::begin(dot_generator_red_img), std::end(dot_generator_red_img),
                         order[0]) == 1);
  EXPECT_EQ(set_enemy_drawn[0], 1);
  EXPECT_EQ(set_enemy_drawn[1], 1);
}

TEST_F(DepthPassTest, TheBossOnlyOnABossFloor) {
  boss_active = 1;
  boss_id = 0;
  boss_y = 100.0f;
  draw_field_objects();
  EXPECT_EQ(boss_drawn, 0);
  map_status = 2;
  draw_field_objects();
  EXPECT_EQ(boss_drawn, 1);
}

}  // namespace
