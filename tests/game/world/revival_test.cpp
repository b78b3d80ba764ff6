// Revival: the partner's sides in their order with the code-9 cell and a free
// room, the spot of the last fall when nobody is up, the refusal, the silent
// blocked spot of two floors, and what a revival gives back.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/world/world_test_support.h"
#include "tests/support/api_fake/api_fake.h"

namespace {

// Cell offsets of the partner's sides.
constexpr std::pair<int, int> kNorth{0, -1};
constexpr std::pair<int, int> kEast{1, 0};
constexpr std::pair<int, int> kSouth{0, 1};
constexpr std::pair<int, int> kWest{-1, 0};

// Player 0 is the partner, up at (200, 200); player 1 is down at (500, 500)
// and revives; player 2, down far away unless a case moves it. Open floor
// (code 8) everywhere but the code-9 sides asked for.
constexpr float kPartner = 200.0f;

struct Player3 {
  float x = 900.0f, y = 900.0f;
  int32_t alive = 0;
};

enum Outcome { kRevived, kRefused, kNothing };

struct RevivalCase {
  const char* name;
  std::vector<std::pair<int, int>> nine_sides;
  Player3 third = {};
  std::vector<std::pair<float, float>> rocks = {};
  Outcome outcome = kRevived;
};

void StartRevival(const RevivalCase& c) {
  api_fake().Reset();
  reset_game();
  present_map_number = 1;
  present_map_floor = 0;
  player_count = 3;
  FillCells(8);
  for (const auto& side : c.nine_sides) {
    CellAt(static_cast<int32_t>(kPartner) + 32 * side.first,
           static_cast<int32_t>(kPartner) + 32 * side.second) = kOpen;
  }
  player[0].alive = 1;
  player[0].X = kPartner;
  player[0].Y = kPartner;
  player[1].alive = 0;
  player[1].X = 500.0f;
  player[1].Y = 500.0f;
  player[1].hp_max = 30;
  player[1].hp = -4;
  player[2].alive = c.third.alive;
  player[2].X = c.third.x;
  player[2].Y = c.third.y;
  movable_rock_count = static_cast<int32_t>(c.rocks.size());
  for (size_t k = 0; k < c.rocks.size(); ++k) {
    movable_rock_x[k] = c.rocks[k].first;
    movable_rock_y[k] = c.rocks[k].second;
  }
  revive_stock = 3;
}

void ExpectOutcome(Outcome outcome, float x, float y, const char* name) {
  if (outcome == kRevived) {
    EXPECT_EQ(player[1].alive, 1) << name;
    EXPECT_EQ(player[1].X, x) << name;
    EXPECT_EQ(player[1].Y, y) << name;
    EXPECT_EQ(revive_stock, 2) << name;
    EXPECT_EQ(se_boo_request, 0) << name;
  } else {
    EXPECT_EQ(player[1].alive, 0) << name;
    EXPECT_EQ(player[1].X, 500.0f) << name;
    EXPECT_EQ(revive_stock, 3) << name;
    EXPECT_EQ(player[1].hp, -4) << name;
    EXPECT_EQ(se_boo_request, outcome == kRefused ? 1 : 0) << name;
  }
}

TEST(RevivePlayerTest, APartnersSidesInTheirOrder) {
  const RevivalCase cases[] = {
      {"north", {kNorth}},
      {"east", {kEast}},
      {"south", {kSouth}},
      {"west", {kWest}},
      {"no code-9 side: refused", {}, {}, {}, kRefused},
      {"the code 9 two cells away does not count", {{0, -2}, {2, 0}}, {}, {}, kRefused},
      // A third player 40 pixels north of the partner fills the north room.
      {"a third player in the north room", {kNorth}, {200, 160, 1}, {}, kRefused},
      {"... moves the choice to east", {kNorth, kEast}, {200, 160, 1}},
      {"a downed third player blocks too", {kNorth}, {200, 160, 0}, {}, kRefused},
      {"a player on the room's edge does not block", {kNorth}, {232, 160, 1}},
      {"a rock exactly 64 north does not block", {kNorth}, {}, {{200, 136}}},
      {"a rock 63 north does", {kNorth}, {}, {{200, 137}}, kRefused},
      {"a rock on the partner's own row does not block north", {kNorth}, {}, {{210, 200}}},
      {"a rock in the west room", {kWest}, {}, {{150, 210}}, kRefused},
      {"... leaves the south side free", {kWest, kSouth}, {}, {{150, 210}}},
  };
  for (const RevivalCase& c : cases) {
    StartRevival(c);
    revive_player(1);
    ExpectOutcome(c.outcome, kPartner, kPartner, c.name);
  }
}

TEST(RevivePlayerTest, PartnersAreTriedInIndexOrderAndOnlyWhenUp) {
  RevivalCase c = {"the second partner", {}, {600, 400, 1}};
  StartRevival(c);
  CellAt(600, 368) = kOpen;  // north of player 2
  revive_player(1);
  ExpectOutcome(kRevived, 600.0f, 400.0f, c.name);

  // Both partners could take him: the lower index does.
  StartRevival(c);
  CellAt(600, 368) = kOpen;
  CellAt(232, 200) = kOpen;
  revive_player(1);
  ExpectOutcome(kRevived, kPartner, kPartner, "the first partner first");

  // A partner who is down is no partner.
  StartRevival(c);
  CellAt(232, 200) = kOpen;
  CellAt(600, 368) = kOpen;
  player[0].alive = 0;
  revive_player(1);
  ExpectOutcome(kRevived, 600.0f, 400.0f, "the downed partner skipped");
}

TEST(RevivePlayerTest, PlayersBeyondThePartyDoNotBlock) {
  StartRevival({"", {kNorth}});
  player_count = 2;
  player[2].X = 200.0f;
  player[2].Y = 170.0f;
  revive_player(1);
  ExpectOutcome(kRevived, kPartner, kPartner, "a cleared record inside the room");
}

TEST(RevivePlayerTest, NobodyUpComesBackWhereTheLastPlayerFell) {
  StartRevival({"", {kNorth, kEast, kSouth, kWest}});
  player[0].alive = 0;
  down_x = 50.5f;
  down_y = 60.25f;
  revive_stock = 2;
  revive_player(1);
  EXPECT_EQ(player[1].alive, 1);
  EXPECT_EQ(player[1].X, 50.5f);
  EXPECT_EQ(player[1].Y, 60.25f);
  EXPECT_EQ(revive_stock, 1);
}

TEST(RevivePlayerTest, TheReturnRestoresLifeAndDropsTheItemBonuses) {
  StartRevival({"", {kNorth}});
  player_data& r = player[1];
  r.agility_bonus = 0.6f;
  r.attack_bonus = 2;
  r.vitality_bonus = 3;
  r.intelligence_bonus = 4;
  r.agility_base = 2.2f;
  r.attack_base = 8;
  r.actions[3] = 2;
  r.actions[0] = 2;
  revive_player(1);
  EXPECT_EQ(r.alive, 1);
  EXPECT_EQ(r.hp, 30);
  EXPECT_EQ(r.agility_bonus, 0.0f);
  EXPECT_EQ(r.attack_bonus, 0);
  EXPECT_EQ(r.vitality_bonus, 0);
  EXPECT_EQ(r.intelligence_bonus, 0);
  EXPECT_EQ(r.agility_base, 2.2f);
  EXPECT_EQ(r.attack_base, 8);
  EXPECT_EQ(r.actions[3], 0) << "the same press does not also pause";
  EXPECT_EQ(r.actions[0], 2);
  EXPECT_EQ(r.hit_counter, 2);
  EXPECT_EQ(r.revive_timer, 1);
  EXPECT_EQ(revive_stock, 2);
}

struct BlockedCase {
  int32_t area, floor;
  int32_t hazard_active;
  Outcome outcome;
};

TEST(RevivePlayerTest, AnActiveHazardOnTheSpotBlocksSilentlyInTheLibraryAndOneNimbraFloor) {
  const BlockedCase cases[] = {
      {7, 0, 1, kNothing}, {7, 5, 1, kNothing}, {7, 0, 0, kRevived}, {13, 4, 1, kNothing},
      {13, 3, 1, kRevived}, {13, 4, 0, kRevived}, {5, 4, 1, kRevived},
  };
  for (const BlockedCase& c : cases) {
    StartRevival({"", {kNorth}});
    present_map_number = c.area;
    present_map_floor = c.floor;
    // A hazard box touching the downed player's box at (500, 500).
    set_enemy_count = 2;
    set_enemy_active[1] = c.hazard_active;
    set_enemy_x[1] = 530.0f;
    set_enemy_y[1] = 500.0f;
    set_enemy_width[1] = 18;
    set_enemy_height[1] = 40;
    revive_player(1);
    SCOPED_TRACE(testing::Message() << "area " << c.area << " floor " << c.floor);
    ExpectOutcome(c.outcome, kPartner, kPartner, "blocked spot");
  }
}

}  // namespace
