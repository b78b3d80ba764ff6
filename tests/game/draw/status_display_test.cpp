// The status band: the full and compact panels step by step, the layouts by
// player count, the gauge widths, the potion cells, the revival icons and
// the revive marks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/draw/draw_test_support.h"

namespace {

class StatusDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartDrawing();
    player_count = 1;
    revive_stock = 0;
    for (player_data& p : player) p = Sample();
  }

  // A player with values that give every gauge a width of its own.
  static player_data Sample() {
    player_data p{};
    p.character = 0;
    p.alive = 1;
    p.level = 3;
    p.hp = 10;
    p.hp_max = 15;
    p.agility = 2.2f;
    p.attack_base = 8;
    p.attack_bonus = 2;
    p.attack = 20;  // raised by a running special attack: not shown
    p.vitality = 5;
    p.intelligence = 20;
    p.spell1_stock = 2;
    p.spell2_stock = 1;
    p.spell2_timer = 9;
    return p;
  }

  // The ops whose x lies in [from, to): one panel of a band.
  static std::vector<DrawOp> OpsBetween(const std::vector<DrawOp>& ops, int64_t from, int64_t to) {
    std::vector<DrawOp> out;
    for (const DrawOp& op : ops)
      if (op.args[0] >= from && op.args[0] < to) out.push_back(op);
    return out;
  }
};

// The Sample player's full panel at ox, with or without its statistics.
std::vector<DrawOp> SampleFullPanel(int64_t ox, bool with_statistics) {
  std::vector<DrawOp> ops = {
      At(ox + 21, 388, dot_letter_PELUNE_img),
      At(ox + 101, 388, dot_letter_LV_img),
      At(ox + 130, 387, dot_number_13_img[3]),
      Part(ox + 19, 407, 87, 13, dot_gauge_HP_13_img),  // 10 / 15 x 131 = 87.3
      At(ox + 21, 407, dot_letter_HP_13_img),
      At(ox + 67, 407, dot_number_13_img[0]),  // hp 10, right-aligned at 67
      At(ox + 58, 407, dot_number_13_img[1]),
      At(ox + 82, 407, dot_letter_slash_13_img),
      At(ox + 106, 407, dot_number_13_img[5]),  // hp_max 15 from 97
      At(ox + 97, 407, dot_number_13_img[1]),
      At(ox + 47, 426, dot_potion_white_img[0]),
      At(ox + 89, 426, dot_potion_black_img[1]),  // timer 9
      At(ox + 30, 438, dot_number_17_img[2]),
      At(ox + 126, 438, dot_number_17_img[1]),
  };
  if (with_statistics) {
    const std::vector<DrawOp> statistics = {
        At(ox + 176, 388, dot_letter_AG_13_img),           At(ox + 176, 407, dot_letter_AT_13_img),
        At(ox + 176, 426, dot_letter_VT_13_img),           At(ox + 176, 445, dot_letter_IN_13_img),
        Part(ox + 202, 388, 57, 13, dot_gauge_AG_13_img),   // 2.2 / 4 x 105 = 57.75
        Part(ox + 202, 407, 52, 13, dot_gauge_AT_13_img),   // (8 + 2) / 20 x 105 = 52.5
        Part(ox + 202, 426, 26, 13, dot_gauge_VT_13_img),   // 5 / 20 x 105 = 26.25
        Part(ox + 202, 445, 105, 13, dot_gauge_IN_13_img),  // full
    };
    ops.insert(ops.end(), statistics.begin(), statistics.end());
  }
  return ops;
}

// The Sample player's compact panel at ox.
std::vector<DrawOp> SampleCompactPanel(int64_t ox) {
  return {
      Part(ox + 19, 388, 87, 10, dot_gauge_HP_10_img),  // the full panel's scale
      At(ox + 20, 388, dot_letter_HP_10_img),           At(ox + 67, 388, dot_number_10_img[0]),
      At(ox + 60, 388, dot_number_10_img[1]),           At(ox + 82, 388, dot_letter_slash_10_img),
      At(ox + 104, 388, dot_number_10_img[5]),          At(ox + 97, 388, dot_number_10_img[1]),
      At(ox + 20, 403, dot_letter_AG_10_img),           At(ox + 20, 418, dot_letter_AT_10_img),
      At(ox + 20, 433, dot_letter_VT_10_img),           At(ox + 20, 448, dot_letter_IN_10_img),
      Part(ox + 41, 403, 59, 10, dot_gauge_AG_10_img),   // 2.2 / 4 x 109 = 59.95
      Part(ox + 41, 418, 54, 10, dot_gauge_AT_10_img),   // 10 / 20 x 109 = 54.5
      Part(ox + 41, 433, 27, 10, dot_gauge_VT_10_img),   // 5 / 20 x 109 = 27.25
      Part(ox + 41, 448, 109, 10, dot_gauge_IN_10_img),  // full
  };
}

TEST_F(StatusDisplayTest, OnePlayerHasOneFullPanelWithStatistics) {
  EXPECT_EQ(OpsOf(draw_status), SampleFullPanel(0, true));
}

TEST_F(StatusDisplayTest, TwoPlayersHaveFullPanelsWithStatisticsWhateverTheirToggle) {
  player_count = 2;
  player[0].compact_panel = 1;
  player[1].compact_panel = 1;
  std::vector<DrawOp> expected = SampleFullPanel(0, true);
  const std::vector<DrawOp> second = SampleFullPanel(314, true);
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(OpsOf(draw_status), expected);
}

TEST_F(StatusDisplayTest, ThreePlayersChooseFullOrCompactPanelsEach) {
  player_count = 3;
  player[1].compact_panel = 1;
  const std::vector<DrawOp> ops = OpsOf(draw_status);
  EXPECT_EQ(OpsBetween(ops, 0, 157), SampleFullPanel(0, false));
  EXPECT_EQ(OpsBetween(ops, 157, 314), SampleCompactPanel(157));
  EXPECT_EQ(OpsBetween(ops, 314, 640), SampleFullPanel(314, false));
  EXPECT_EQ(ops.size(), 14u + 15u + 14u);
  // Each panel is complete before the next begins.
  EXPECT_EQ(ops[14], SampleCompactPanel(157)[0]);
}

TEST_F(StatusDisplayTest, PanelOriginsFollowThePlayerCount) {
  struct Case {
    int32_t count;
    std::vector<int64_t> origins;
  };
  const Case cases[] = {{1, {0}}, {2, {0, 314}}, {3, {0, 157, 314}}, {4, {0, 157, 314, 471}}};
  for (const Case& c : cases) {
    for (const int32_t compact : {0, 1}) {
      SCOPED_TRACE(testing::Message() << c.count << " players, compact " << compact);
      player_count = c.count;
      revive_stock = 1;
      for (player_data& p : player) {
        p.compact_panel = compact;
        p.alive = 0;
      }
      const std::vector<DrawOp> ops = OpsOf(draw_status);
      // The compact panels show only with three and four players.
      const bool compact_shown = compact == 1 && c.count >= 3;
      const int32_t marker = compact_shown ? dot_letter_HP_10_img : dot_letter_PELUNE_img;
      std::vector<int64_t> marker_x;
      std::vector<int64_t> revive_x;
      for (const DrawOp& op : ops) {
        if (op.name == "At" && op.args[2] == marker) marker_x.push_back(op.args[0]);
        if (op.name == "At" && op.args[2] == revive_img) revive_x.push_back(op.args[0]);
      }
      std::vector<int64_t> expected_marker;
      std::vector<int64_t> expected_revive;
      for (const int64_t ox : c.origins) {
        expected_marker.push_back(ox + (compact_shown ? 20 : 21));
        expected_revive.push_back(ox + 12);
      }
      EXPECT_EQ(marker_x, expected_marker);
      EXPECT_EQ(revive_x, expected_revive);
    }
  }
}

TEST_F(StatusDisplayTest, OtherPlayerCountsDrawNothing) {
  revive_stock = 3;
  for (const int32_t count : {0, 5, -1}) {
    player_count = count;
    EXPECT_TRUE(OpsOf(draw_status).empty()) << count;
  }
}

TEST_F(StatusDisplayTest, NamePlateFollowsTheCharacter) {
  struct Case {
    int32_t character;
    int32_t plate;  // 0 none
  };
  const Case cases[] = {{0, dot_letter_PELUNE_img},
                        {2, dot_letter_PELUNE_img},
                        {1, dot_letter_ORVEN_img},
                        {3, dot_letter_ORVEN_img},
                        {4, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.character);
    player[0].character = c.character;
    const std::vector<DrawOp> ops = OpsOf(draw_status);
    if (c.plate != 0) {
      EXPECT_EQ(ops.front(), At(21, 388, c.plate));
    } else {
      EXPECT_EQ(ops.front(), At(101, 388, dot_letter_LV_img));
    }
  }
}

// The gauge ops of player 0's full panel: HP first, then AG AT VT IN.
std::vector<DrawOp> GaugeOps(const std::vector<DrawOp>& ops) {
  std::vector<DrawOp> out;
  for (const DrawOp& op : ops)
    if (op.name == "Part") out.push_back(op);
  return out;
}

TEST_F(StatusDisplayTest, HpGaugeShowsOnlyWhileBothValuesArePositive) {
  struct Case {
    int32_t hp;
    int32_t hp_max;
    int64_t width;  // -1 no gauge
    int32_t units_digit;
  };
  const Case cases[] = {
      {1, 15, 8, 1},     // 131 / 15 = 8.7: above empty
      {14, 15, 122, 4},  // 122.3: below full
      {15, 15, 131, 5},  // full
      {1, 1, 131, 1},    // full
      {0, 15, -1, 0},    // down: no gauge, the number still drawn
      {-3, 15, -1, 0},   // below 0: drawn as 0
      {5, 0, -1, 5},     // no maximum
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hp << " / " << c.hp_max);
    player[0].hp = c.hp;
    player[0].hp_max = c.hp_max;
    const std::vector<DrawOp> ops = OpsOf(draw_status);
    const std::vector<DrawOp> gauges = GaugeOps(ops);
    ASSERT_EQ(gauges.size(), c.width < 0 ? 4u : 5u);
    if (c.width >= 0) {
      EXPECT_EQ(gauges[0], Part(19, 407, c.width, 13, dot_gauge_HP_13_img));
    }
    EXPECT_EQ(ops[c.width < 0 ? 3 : 4], At(21, 407, dot_letter_HP_13_img));
    EXPECT_EQ(ops[c.width < 0 ? 4 : 5], At(67, 407, dot_number_13_img[c.units_digit]));
  }
}

TEST_F(StatusDisplayTest, StatisticGaugesAreFractionsOfTheirFullValues) {
  struct Case {
    const char* label;
    float agility;
    int32_t attack_base, attack_bonus, vitality, intelligence;
    int64_t full[4];     // 105 wide
    int64_t compact[4];  // 109 wide
  };
  const Case cases[] = {
      {"agility 2.2", 2.2f, 8, 2, 5, 20, {57, 52, 26, 105}, {59, 54, 27, 109}},
      {"agility 4.0 fills", 4.0f, 20, 0, 20, 20, {105, 105, 105, 105}, {109, 109, 109, 109}},
      {"zero statistics give width 0", 0.0f, 0, 0, 0, 0, {0, 0, 0, 0}, {0, 0, 0, 0}},
      {"bonus counts", 1.0f, 1, 18, 1, 19, {26, 99, 5, 99}, {27, 103, 5, 103}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (player_data& p : player) {
      p.agility = c.agility;
      p.attack_base = c.attack_base;
      p.attack_bonus = c.attack_bonus;
      p.attack = 99;  // the effective value is never shown
      p.vitality = c.vitality;
      p.intelligence = c.intelligence;
      p.compact_panel = 1;
    }
    player_count = 1;
    const std::vector<DrawOp> full = GaugeOps(OpsOf(draw_status));
    ASSERT_EQ(full.size(), 5u);
    player_count = 3;
    std::vector<DrawOp> compact = GaugeOps(OpsOf(draw_status));
    ASSERT_EQ(compact.size(), 15u);
    compact.resize(5);  // player 0's panel
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(k);
      EXPECT_EQ(full[k + 1].args[2], c.full[k]);
      EXPECT_EQ(full[k + 1].args[1], 388 + 19 * k);
      EXPECT_EQ(compact[k + 1].args[2], c.compact[k]);
      EXPECT_EQ(compact[k + 1].args[1], 403 + 15 * k);
    }
  }
}

TEST_F(StatusDisplayTest, PotionsCycleTheirCellsWhileTheirSpecialAttackRuns) {
  struct Case {
    int32_t timer;
    int32_t cell;
  };
  const Case cases[] = {{0, 0}, {1, 0}, {8, 1}, {9, 1}, {31, 3}, {32, 0}, {47, 1}, {-5, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timer);
    player[0].spell1_timer = c.timer;
    player[0].spell2_timer = c.timer;
    const std::vector<DrawOp> ops = OpsOf(draw_status);
    EXPECT_EQ(ops[10], At(47, 426, dot_potion_white_img[c.cell]));
    EXPECT_EQ(ops[11], At(89, 426, dot_potion_black_img[c.cell]));
  }
}

TEST_F(StatusDisplayTest, RevivalIconsSpreadOutwardFromTheMiddle) {
  const int64_t row[] = {308, 290, 326, 272, 344, 254, 362, 236, 380};
  for (int32_t stock = 0; stock <= 9; ++stock) {
    SCOPED_TRACE(stock);
    revive_stock = stock;
    std::vector<DrawOp> expected;
    for (int32_t i = 0; i < stock; ++i) expected.push_back(At(row[i], 359, dot_life_img));
    const std::vector<DrawOp> ops = OpsOf(draw_status);
    EXPECT_EQ(std::vector<DrawOp>(ops.begin() + 22, ops.end()), expected);
  }
}

TEST_F(StatusDisplayTest, ReviveMarksShowOverDownedPlayersWhileStockRemains) {
  player_count = 4;
  player[1].alive = 0;
  player[3].alive = 0;
  struct Case {
    int32_t stock;
    std::vector<DrawOp> marks;
  };
  const Case cases[] = {
      {0, {}},
      {1, {At(169, 380, revive_img), At(483, 380, revive_img)}},
      {2, {At(169, 380, revive_img), At(483, 380, revive_img)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stock);
    revive_stock = c.stock;
    const std::vector<DrawOp> ops = OpsOf(draw_status);
    // The band ends with the icons and then the marks.
    ASSERT_GE(ops.size(), c.marks.size() + c.stock);
    EXPECT_EQ(std::vector<DrawOp>(ops.end() - static_cast<long>(c.marks.size()), ops.end()),
              c.marks);
    EXPECT_EQ(ops[ops.size() - c.marks.size() - 1],
              c.stock > 0 ? At(c.stock == 1 ? 308 : 290, 359, dot_life_img)
                          : At(471 + 126, 438, dot_number_17_img[1]));
  }
}

}  // namespace
