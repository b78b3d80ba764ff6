// The item a dying enemy may leave: the draw of its kind and the slot it takes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/game/enemies/enemy_test_support.h"

namespace {

struct DropRow {
  int32_t item_kind;  // -1: the kind drops nothing and draws nothing
  int32_t bound;
  int32_t hp;
  int32_t box;  // width and height
};
constexpr DropRow kNothing = {-1, 0, 0, 0};

// By enemy kind.
const DropRow kDropRows[55] = {
    {0, 30, 50, 13}, {0, 30, 50, 13}, {1, 30, 50, 13}, {1, 30, 50, 13}, kNothing,  // 0 to 4
    {1, 30, 50, 13}, kNothing,        kNothing,        kNothing,        kNothing,  // 5 to 9
    kNothing,        kNothing,        kNothing,        kNothing,        kNothing,  // 10 to 14
    kNothing,        kNothing,        kNothing,        kNothing,        kNothing,  // 15 to 19
    {1, 30, 50, 13}, {0, 30, 50, 13}, {1, 30, 50, 13}, {0, 30, 50, 13}, {7, 30, 50, 13},  // 20
    {7, 60, 50, 13}, {7, 10, 50, 13}, {0, 30, 50, 13}, {1, 30, 50, 13}, {5, 40, 50, 11},  // 25
    {7, 30, 50, 13}, {7, 30, 60, 13}, {7, 30, 60, 13}, {6, 30, 60, 13}, {8, 60, 60, 13},  // 30
    {0, 30, 70, 13}, {1, 30, 70, 13}, {7, 30, 70, 13}, {9, 60, 70, 13}, {0, 10, 70, 13},  // 35
    {1, 10, 70, 13}, {7, 30, 75, 13}, {1, 30, 75, 13}, {0, 30, 75, 13}, {7, 20, 75, 13},  // 40
    {7, 30, 75, 13}, {1, 20, 75, 13}, {0, 20, 75, 13}, {7, 10, 75, 13}, {7, 30, 75, 13},  // 45
    {0, 30, 75, 13}, {6, 30, 75, 13}, {1, 30, 75, 13}, {7, 30, 75, 13}, {7, 30, 75, 13},  // 50
};

// The fields of slot s that the drop does not write, set to marks.
void MarkUnwrittenFields(int32_t s) {
  dropped_item_push_vx[s] = 0.5f;
  dropped_item_push_vy[s] = -0.5f;
  dropped_item_pushed[s] = 1;
  dropped_item_hit_blink[s] = 3;
  dropped_item_vanish[s] = 4;
  dropped_item_anim[s] = 5;
}

void ExpectUnwrittenFieldsKept(int32_t s, const char* name) {
  EXPECT_EQ(dropped_item_push_vx[s], 0.5f) << name;
  EXPECT_EQ(dropped_item_push_vy[s], -0.5f) << name;
  EXPECT_EQ(dropped_item_pushed[s], 1) << name;
  EXPECT_EQ(dropped_item_hit_blink[s], 3) << name;
  EXPECT_EQ(dropped_item_vanish[s], 4) << name;
  EXPECT_EQ(dropped_item_anim[s], 5) << name;
}

TEST(ItemDropTest, RowOfEveryKind) {
  for (int32_t kind = 0; kind < 55; ++kind) {
    const DropRow& row = kDropRows[kind];
    ResetField();
    MarkUnwrittenFields(0);
    api_fake().random_values = {0};
    drop_item_from_enemy(kind, 123.5f, -67.25f);
    if (row.item_kind < 0) {
      EXPECT_TRUE(RandomBounds().empty()) << "kind " << kind;
      EXPECT_EQ(dropped_item_present[0], 0) << "kind " << kind;
      continue;
    }
    EXPECT_EQ(RandomBounds(), std::vector<int64_t>{row.bound}) << "kind " << kind;
    EXPECT_EQ(dropped_item_present[0], 1) << "kind " << kind;
    EXPECT_EQ(dropped_item_kind[0], row.item_kind) << "kind " << kind;
    EXPECT_EQ(dropped_item_x[0], 123.5f) << "kind " << kind;
    EXPECT_EQ(dropped_item_y[0], -67.25f) << "kind " << kind;
    EXPECT_EQ(dropped_item_hp[0], row.hp) << "kind " << kind;
    EXPECT_EQ(dropped_item_width[0], row.box) << "kind " << kind;
    EXPECT_EQ(dropped_item_height[0], row.box) << "kind " << kind;
    ExpectUnwrittenFieldsKept(0, "slot 0");
    EXPECT_EQ(dropped_item_present[1], 0) << "kind " << kind;
  }
}

TEST(ItemDropTest, ADrawOtherThanZeroDropsNothing) {
  for (int32_t draw : {1, 10}) {
    ResetField();
    api_fake().random_values = {draw};
    drop_item_from_enemy(26, 50.0f, 60.0f);
    EXPECT_EQ(RandomBounds(), std::vector<int64_t>{10});
    EXPECT_EQ(dropped_item_present[0], 0) << "draw " << draw;
    EXPECT_EQ(dropped_item_present[1], 0) << "draw " << draw;
  }
}

TEST(ItemDropTest, SecondSlotWhenTheFirstIsTaken) {
  ResetField();
  dropped_item_present[0] = 1;
  dropped_item_kind[0] = 3;
  dropped_item_x[0] = 10.0f;
  MarkUnwrittenFields(1);
  drop_item_from_enemy(29, 200.0f, 150.5f);
  EXPECT_EQ(dropped_item_kind[0], 3);
  EXPECT_EQ(dropped_item_x[0], 10.0f);
  EXPECT_EQ(dropped_item_present[1], 1);
  EXPECT_EQ(dropped_item_kind[1], 5);
  EXPECT_EQ(dropped_item_x[1], 200.0f);
  EXPECT_EQ(dropped_item_y[1], 150.5f);
  EXPECT_EQ(dropped_item_hp[1], 50);
  EXPECT_EQ(dropped_item_width[1], 11);
  EXPECT_EQ(dropped_item_height[1], 11);
  ExpectUnwrittenFieldsKept(1, "slot 1");
}

TEST(ItemDropTest, BothSlotsTakenTheDrawIsStillMade) {
  ResetField();
  for (int32_t s = 0; s < 2; ++s) {
    dropped_item_present[s] = 1;
    dropped_item_kind[s] = 4 + s;
    dropped_item_x[s] = 1.0f + s;
    dropped_item_y[s] = 2.0f + s;
    dropped_item_hp[s] = 7 + s;
    dropped_item_width[s] = 13;
    dropped_item_height[s] = 13;
  }
  drop_item_from_enemy(39, 80.0f, 90.0f);
  EXPECT_EQ(RandomBounds(), std::vector<int64_t>{10});
  for (int32_t s = 0; s < 2; ++s) {
    EXPECT_EQ(dropped_item_present[s], 1);
    EXPECT_EQ(dropped_item_kind[s], 4 + s);
    EXPECT_EQ(dropped_item_x[s], 1.0f + s);
    EXPECT_EQ(dropped_item_y[s], 2.0f + s);
    EXPECT_EQ(dropped_item_hp[s], 7 + s);
  }
}

// Kinds come from level files; one outside 0 to 54 drops nothing and draws nothing.
TEST(ItemDropTest, KindOutsideTheTable) {
  for (int32_t kind : {-1, 55, 100, INT32_MIN, INT32_MAX}) {
    ResetField();
    drop_item_from_enemy(kind, 10.0f, 10.0f);
    EXPECT_TRUE(RandomBounds().empty()) << "kind " << kind;
    EXPECT_EQ(dropped_item_present[0], 0) << "kind " << kind;
    EXPECT_EQ(dropped_item_present[1], 0) << "kind " << kind;
  }
}

}  // namespace
