// The item an enemy may leave where it died: a draw by the kind's chance, then
// the first free one of the two dropped-item slots.
#include "game/enemies/enemies.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

// One row per enemy kind. The item drops when ApiGetRandom(bound) gives 0, a
// chance of 1 in bound + 1; a bound of kNoDrop means the kind drops nothing and
// draws nothing. Item kinds: 0 and 1 a stock of special attack 1 or 2,
// 5 intelligence, 6 the holly, 7 a potion, 8 the shot reflection, 9 the item
// only kind 38 leaves.
struct DropRow {
  int32_t item_kind;
  int32_t bound;
  int32_t hp;
  int32_t width;  // half-extents of the item's box
  int32_t height;
};
constexpr int32_t kNoDrop = -1;
constexpr DropRow kNone = {0, kNoDrop, 0, 0, 0};

constexpr DropRow kDropTable[55] = {
    {0, 30, 50, 13, 13},  // 0
    {0, 30, 50, 13, 13},  // 1
    {1, 30, 50, 13, 13},  // 2
    {1, 30, 50, 13, 13},  // 3
    kNone,                // 4
    {1, 30, 50, 13, 13},  // 5
    kNone,                // 6
    kNone,                // 7
    kNone,                // 8
    kNone,                // 9
    kNone,                // 10
    kNone,                // 11
    kNone,                // 12
    kNone,                // 13
    kNone,                // 14
    kNone,                // 15
    kNone,                // 16
    kNone,                // 17
    kNone,                // 18
    kNone,                // 19
    {1, 30, 50, 13, 13},  // 20
    {0, 30, 50, 13, 13},  // 21
    {1, 30, 50, 13, 13},  // 22
    {0, 30, 50, 13, 13},  // 23
    {7, 30, 50, 13, 13},  // 24
    {7, 60, 50, 13, 13},  // 25
    {7, 10, 50, 13, 13},  // 26
    {0, 30, 50, 13, 13},  // 27
    {1, 30, 50, 13, 13},  // 28
    {5, 40, 50, 11, 11},  // 29: the one smaller box
    {7, 30, 50, 13, 13},  // 30
    {7, 30, 60, 13, 13},  // 31
    {7, 30, 60, 13, 13},  // 32
    {6, 30, 60, 13, 13},  // 33
    {8, 60, 60, 13, 13},  // 34
    {0, 30, 70, 13, 13},  // 35
    {1, 30, 70, 13, 13},  // 36
    {7, 30, 70, 13, 13},  // 37
    {9, 60, 70, 13, 13},  // 38
    {0, 10, 70, 13, 13},  // 39
    {1, 10, 70, 13, 13},  // 40
    {7, 30, 75, 13, 13},  // 41
    {1, 30, 75, 13, 13},  // 42
    {0, 30, 75, 13, 13},  // 43
    {7, 20, 75, 13, 13},  // 44
    {7, 30, 75, 13, 13},  // 45
    {1, 20, 75, 13, 13},  // 46
    {0, 20, 75, 13, 13},  // 47
    {7, 10, 75, 13, 13},  // 48
    {7, 30, 75, 13, 13},  // 49
    {0, 30, 75, 13, 13},  // 50
    {6, 30, 75, 13, 13},  // 51
    {1, 30, 75, 13, 13},  // 52
    {7, 30, 75, 13, 13},  // 53
    {7, 30, 75, 13, 13},  // 54
};

}  // namespace

void drop_item_from_enemy(int32_t kind, float x, float y) {
  // Kinds come from level files: one outside the table drops nothing.
  if (kind < 0 || kind >= 55) return;
  const DropRow& row = kDropTable[kind];
  if (row.bound == kNoDrop) return;
  // The draw is made even when both slots are taken.
  if (ApiGetRandom(row.bound) != 0) return;
  for (int32_t s = 0; s < kDroppedItemSlots; ++s) {
    if (dropped_item_present[s] != 0) continue;
    dropped_item_present[s] = 1;
    dropped_item_kind[s] = row.item_kind;
    dropped_item_x[s] = x;
    dropped_item_y[s] = y;
    dropped_item_hp[s] = row.hp;
    dropped_item_width[s] = row.width;
    dropped_item_height[s] = row.height;
    return;
  }
}
