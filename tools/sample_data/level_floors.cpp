// The floors of the sample level data. Most floors are one walled room with
// its stairs back in one corner and its stairs on in the opposite one; a
// few floors are laid out for what the game does there: the house where a
// new game starts, the four save points, the nine boss rooms, dansion09's
// pits and moving blocks, and the ending.
#include "tools/sample_data/level_floors.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "game/areas/area_table.h"
#include "tools/sample_data/sample_data.h"

namespace {

// Scene cells.
constexpr int kScenePushedRight = 104;  // left of x 112
constexpr int kSceneKeepExploring = 106;
constexpr int kScenePushedUp = 109;  // below y 688
constexpr int kSceneNimbra = 117;
constexpr int kSceneTrialEnd = 119;
constexpr int kSceneSavePoint = 120;
// The encounter scene of bosses 0 to 8.
constexpr int kBossScenes[9] = {105, 107, 110, 111, 112, 113, 114, 115, 116};

// Push floors (tens digit the speed, units digit the direction) and damage
// floors.
constexpr int kPushCodes[4] = {12, 16, 10, 14};
constexpr int kFastPushCode = 22;
constexpr int kDamageCell = 60;
constexpr int kHeavyDamageCell = 61;

// Item kinds.
constexpr int kWhitePotion = 0;
constexpr int kBlackPotion = 1;
constexpr int kFirstStatItem = 2;  // 2 to 5: AG, AT, VT, IN
constexpr int kHolly = 6;
constexpr int kHealing = 7;
constexpr int kMirror = 8;
constexpr int kLifeUp = 9;
constexpr int kFirstFloorCrystal = 21;  // 21 to 29
constexpr int kBreakableRock = 100;
constexpr int kItemHp = 10000;  // items are taken, not shot away

// Placed hazards.
enum HazardKind { kFire = 0, kVine = 1, kKorone = 2, kBookshelf = 3, kNeedle = 4 };

// The cell of each beaten boss room that its exit chip covers (column,
// row), by boss row.
constexpr int kExitCells[9][2] = {{14, 2}, {14, 5}, {3, 4}, {13, 8}, {2, 3},
                                  {7, 2},  {2, 3},  {2, 8}, {8, 2}};

// The enemy kinds whose generators fit each area: weak kinds early, strong
// ones late; the straight movers 14 to 17, which need a short interval, in
// the areas whose generators give one; the bee and death figure generators,
// drawn with chips of the dansion08 set, in dansion08.
const std::vector<int> kGeneratorKinds[kAreaCount] = {
    {},
    {0, 1, 4},
    {0, 1, 2, 3, 5, 9},
    {6, 7, 8, 10, 11, 20, 21},
    {12, 13, 22, 23, 24, 25},
    {26, 27, 28, 30},
    {29, 31, 32, 33},
    {29, 34, 35, 36},
    {37, 38, 39, 40},
    {41, 42, 43, 44},
    {45, 46, 47, 48},
    {14, 15, 16, 17, 49, 50, 51},
    {18, 19, 52, 53},
    {14, 16, 50, 52, 54},
    {},
};

// The floors met before the first boss hold one generator each, of the
// area's kinds that walk at the party without shooting, so the route grows
// harder after it.
const std::vector<int> kEarlyGeneratorKinds[kAreaCount] = {{}, {0, 1, 4}, {0, 1, 2, 3}};

// A generator's half box in the game.
constexpr int kGeneratorHalfBox = 15;

// A floor with one generator of each kind the first enemy runs need:
// chasers, resting chasers, a pausing and a steady shooter, straight movers,
// bees and a chaser whose drops are frequent.
constexpr int kEnemyRunArea = kAreaDansion08;
constexpr int kEnemyRunFloor = 1;
const std::vector<int> kEnemyRunKinds = {1, 0, 5, 28, 10, 12, 18, 39};
// A floor with one generator of each flanking, wandering, weaving, axis
// walking, range keeping and heading holding kind, and kinds 7 and 8.
constexpr int kFlankRunArea = 10;
constexpr int kFlankRunFloor = 1;
const std::vector<int> kFlankRunKinds = {23, 47, 32, 2, 4, 21, 6, 22, 51, 31, 37, 7, 8};

struct HazardSpec {
  int kind;
  int variant;
};
struct FloorHazards {
  int area;
  int floor;
  std::vector<HazardSpec> hazards;
};
// Fires only where fires hurt (dansion01, dansion06, dansion09), needles
// where needles hurt (dansion05, dansion06, dansion09), bookshelves in the
// library and dansion09; vines and korone hurt anywhere.
const FloorHazards kHazardFloors[] = {
    {2, 2,
     {{kFire, 0}, {kFire, 2}, {kFire, 4}, {kFire, 6}, {kFire, 10}, {kFire, 12}, {kFire, 14},
      {kFire, 16}, {kVine, 2}, {kKorone, 0}}},
    {2, 4, {{kFire, 0}, {kFire, 14}}},
    {3, 2, {{kVine, 0}, {kVine, 2}, {kVine, 4}, {kVine, 6}, {kKorone, 0}}},
    {3, 4, {{kVine, 4}, {kKorone, 0}}},
    {7, 2,
     {{kBookshelf, 0}, {kBookshelf, 2}, {kBookshelf, 4}, {kBookshelf, 6}, {kBookshelf, 10},
      {kBookshelf, 12}, {kBookshelf, 14}, {kBookshelf, 16}}},
    {7, 4, {{kBookshelf, 2}, {kBookshelf, 12}}},
    {8, 2, {{kNeedle, 0}, {kNeedle, 1}, {kNeedle, 0}, {kNeedle, 1}}},
    {8, 5, {{kNeedle, 0}, {kNeedle, 1}}},
    {9, 2, {{kFire, 2}, {kNeedle, 0}, {kNeedle, 1}, {kFire, 16}}},
    {9, 6, {{kFire, 4}}},
    {10, 2, {{kKorone, 0}, {kKorone, 0}, {kVine, 6}}},
    {11, 5, {{kKorone, 0}}},
    {12, 3, {{kVine, 0}}},
    {13, 8, {{kFire, 0}, {kFire, 12}, {kNeedle, 1}, {kBookshelf, 4}, {kBookshelf, 14}}},
};

ChipStyle StyleOf(int area) {
  if (area % 2 == 0) return ChipStyle{{64, 65, 66, 67}, {160, 161}};
  return ChipStyle{{80, 81, 82, 83}, {176, 177}};
}

// ---- Placing objects ------------------------------------------------------------------------

// The open cells of the plan in a shuffled order.
std::vector<std::pair<int, int>> ShuffledCells(const FloorPlan& plan, PlanRandom& rng) {
  std::vector<std::pair<int, int>> cells;
  for (int r = 1; r < plan.height() - 1; ++r) {
    for (int c = 1; c < plan.width() - 1; ++c) cells.emplace_back(c, r);
  }
  for (size_t i = cells.size(); i > 1; --i) {
    std::swap(cells[i - 1], cells[static_cast<size_t>(rng.Below(static_cast<int>(i)))]);
  }
  return cells;
}

// The first free cell in shuffled order that `fits`; false when none.
template <typename Fits>
bool FindCell(FloorPlan& plan, PlanRandom& rng, int clearance, Fits fits, int* c, int* r) {
  for (const auto& [cc, rr] : ShuffledCells(plan, rng)) {
    if (!plan.Free(cc, rr, clearance) || !fits(cc, rr)) continue;
    plan.Take(cc, rr);
    *c = cc;
    *r = rr;
    return true;
  }
  return false;
}

bool Anywhere(int, int) { return true; }

int IntervalOf(int area, int kind, PlanRandom& rng) {
  if (area_table[area].generator_columns < 6) return 126;
  if (kind >= 14 && kind <= 17) return 20 + rng.Below(23);  // 20 to 42
  return 60 + rng.Below(67);  // 60 to 126
}

void AddGenerators(FloorPlan& plan, int area, const std::vector<int>& kinds, PlanRandom& rng) {
  for (int kind : kinds) {
    int c = 0, r = 0;
    // Out of sight of every point where a party appears: a generator
    // releases only on screen, so a party arriving there meets nobody until
    // it walks on.
    auto out_of_sight = [&plan](int cc, int rr) {
      return !plan.InSight(CellCentre(cc), CellCentre(rr), kGeneratorHalfBox);
    };
    if (!FindCell(plan, rng, 2, out_of_sight, &c, &r)) return;
    plan.generators.push_back(
        {CellCentre(c), CellCentre(r), kind, 20 + 4 * area, IntervalOf(area, kind, rng)});
  }
}

// The cells `count` steps from (c, r) in direction `direction` (0 up, 2
// right, 4 down, 6 left) are open and nobody's arrival or stairs.
bool ReachIsOpen(const FloorPlan& plan, int c, int r, int direction, int count) {
  const int dc = direction == 2 ? 1 : (direction == 6 ? -1 : 0);
  const int dr = direction == 4 ? 1 : (direction == 0 ? -1 : 0);
  for (int k = 1; k <= count; ++k) {
    if (!plan.Free(c + k * dc, r + k * dr, 0)) return false;
  }
  return true;
}

void AddHazards(FloorPlan& plan, const std::vector<HazardSpec>& specs, PlanRandom& rng) {
  for (const HazardSpec& spec : specs) {
    // Fires and vines reach five cells, shelves slide four.
    const int reach = spec.kind == kFire || spec.kind == kVine ? 5 : (spec.kind == kBookshelf ? 4 : 0);
    auto fits = [&](int c, int r) { return reach == 0 || ReachIsOpen(plan, c, r, spec.variant % 10, reach); };
    int c = 0, r = 0;
    if (!FindCell(plan, rng, 2, fits, &c, &r)) continue;
    HazardPlan hazard{CellCentre(c), CellCentre(r), spec.kind, 30, 12, 12, spec.variant, 0};
    switch (spec.kind) {
      case kFire:
        hazard.hp = 40;
        hazard.tick = rng.Below(spec.variant >= 10 ? 65 : 90);
        break;
      case kVine:
        hazard.tick = rng.Below(135);
        break;
      case kKorone:
        hazard.height = 16;
        hazard.tick = rng.Below(192);
        break;
      case kBookshelf:
        hazard.hp = 60;
        hazard.width = hazard.height = 16;
        hazard.tick = rng.Below(spec.variant >= 10 ? 180 : 256);
        break;
      default:  // needle
        hazard.hp = 20;
        hazard.tick = rng.Below(spec.variant == 1 ? 104 : 44);
        break;
    }
    plan.hazards.push_back(hazard);
  }
}

void AddItem(FloorPlan& plan, int c, int r, int kind, int hp) {
  plan.Take(c, r);
  plan.items.push_back({CellCentre(c), CellCentre(r), kind, hp});
}

int CrystalOf(int area) { return kFirstFloorCrystal + area % 9; }

int RockHpOf(int area) { return 20 + 2 * area; }

void AddItems(FloorPlan& plan, int area, PlanRandom& rng) {
  const int extras[] = {kHolly, kHealing, kMirror, kBreakableRock, CrystalOf(area), kLifeUp};
  std::vector<int> kinds = {rng.Below(2) == 0 ? kWhitePotion : kBlackPotion,
                            kFirstStatItem + rng.Below(4)};
  const int more = rng.Below(3);
  for (int k = 0; k < more; ++k) kinds.push_back(extras[rng.Below(k == 0 ? 5 : 6)]);
  for (int kind : kinds) {
    int c = 0, r = 0;
    if (!FindCell(plan, rng, 1, Anywhere, &c, &r)) return;
    plan.items.push_back(
        {CellCentre(c), CellCentre(r), kind, kind == kBreakableRock ? RockHpOf(area) : kItemHp});
  }
}

void AddRocks(FloorPlan& plan, int count, PlanRandom& rng) {
  for (int k = 0; k < count; ++k) {
    int c = 0, r = 0;
    if (!FindCell(plan, rng, 1, Anywhere, &c, &r)) return;
    plan.rocks.push_back({CellCentre(c), CellCentre(r)});
  }
}

// A strip of `length` cells of `code` in one row, on free cells.
void AddFloorStrip(FloorPlan& plan, int code, int length, PlanRandom& rng) {
  auto fits = [&](int c, int r) {
    for (int k = 1; k < length; ++k) {
      if (!plan.Free(c + k, r, 1)) return false;
    }
    return true;
  };
  int c = 0, r = 0;
  if (!FindCell(plan, rng, 1, fits, &c, &r)) return;
  for (int k = 0; k < length; ++k) {
    plan.SetCell(c + k, r, code);
    plan.Take(c + k, r);
    plan.Reserve(c + k, r, c + k, r);
  }
}

// Push floors from dansion03 on, damage floors from dansion05 on.
void AddFloorCells(FloorPlan& plan, int area, int floor, PlanRandom& rng) {
  if (area >= 6 && floor % 3 == 1) {
    AddFloorStrip(plan, area >= 10 ? kFastPushCode : kPushCodes[(area + floor) % 4], 3, rng);
  }
  if (area >= 8 && floor % 3 == 2) AddFloorStrip(plan, kDamageCell, 2, rng);
  if (area >= 11 && floor % 4 == 3) AddFloorStrip(plan, kHeavyDamageCell, 1, rng);
}

const std::vector<HazardSpec>* HazardsOf(int area, int floor) {
  for (const FloorHazards& entry : kHazardFloors) {
    if (entry.area == area && entry.floor == floor) return &entry.hazards;
  }
  return nullptr;
}

// Whether the floor comes before the first boss's room on the route.
bool BeforeFirstBoss(int area, int floor) {
  for (int a = 0; a < kAreaCount; ++a) {
    if (area_table[a].boss_row == 0) return area < a || (area == a && floor < area_table[a].boss_floor);
  }
  return false;
}

// Generators, hazards, items, rocks and the push and damage floors of an
// ordinary floor (or of a special floor's free part).
void Furnish(FloorPlan& plan, int area, int floor, PlanRandom& rng) {
  if (const std::vector<HazardSpec>* hazards = HazardsOf(area, floor)) AddHazards(plan, *hazards, rng);
  const std::vector<int>& pool = kGeneratorKinds[area];
  if (area == kEnemyRunArea && floor == kEnemyRunFloor) {
    AddGenerators(plan, area, kEnemyRunKinds, rng);
  } else if (area == kFlankRunArea && floor == kFlankRunFloor) {
    AddGenerators(plan, area, kFlankRunKinds, rng);
  } else if (BeforeFirstBoss(area, floor)) {
    const std::vector<int>& early = kEarlyGeneratorKinds[area];
    if (!early.empty()) {
      const int kind = early[static_cast<size_t>(rng.Below(static_cast<int>(early.size())))];
      AddGenerators(plan, area, {kind}, rng);
    }
  } else if (!pool.empty()) {
    std::vector<int> kinds;
    const int count = 1 + rng.Below(3);
    for (int k = 0; k < count; ++k) kinds.push_back(pool[static_cast<size_t>(rng.Below(static_cast<int>(pool.size())))]);
    AddGenerators(plan, area, kinds, rng);
  }
  AddItems(plan, area, rng);
  AddRocks(plan, rng.Below(3), rng);
  AddFloorCells(plan, area, floor, rng);
}

// Cover pieces here and there over open floor that nothing stands on and
// nobody arrives at: flowers, pots, pebbles, signposts.
void Decorate(FloorPlan& plan, PlanRandom& rng) {
  for (int k = 0; k < plan.width() * plan.height() / 40; ++k) {
    const int c = 1 + rng.Below(plan.width() - 2);
    const int r = 1 + rng.Below(plan.height() - 2);
    if (plan.Free(c, r, 0)) plan.SetCover(c, r, 112 + rng.Below(16));
  }
}

// ---- Ordinary rooms ------------------------------------------------------------------------

bool IsHazardFloor(int area, int floor) { return HazardsOf(area, floor) != nullptr; }

// One walled room: the way back by one corner, the way on by the opposite
// one (top-left to bottom-right, or bottom-left to top-right), pillars
// between them.
FloorPlan OrdinaryRoom(int area, int floor, PlanRandom& rng) {
  int width = 24 + rng.Below(13);
  int height = 18 + rng.Below(9);
  if (IsHazardFloor(area, floor)) {
    width = 38;
    height = 26;
  }
  if ((area == kEnemyRunArea && floor == kEnemyRunFloor) ||
      (area == kFlankRunArea && floor == kFlankRunFloor)) {
    width = 42;
    height = 28;
  }
  // dansion08 floor 7's overlay reaches row 34 and column 35.
  if (area == kAreaDansion08 && floor == 7) width = height = 38;

  FloorPlan plan(width, height, StyleOf(area));
  plan.Open(1, 1, width - 2, height - 2);
  if ((area + floor) % 2 == 0) {
    plan.SetPort(plan.up, 3, 3, 3, 5);
    plan.SetPort(plan.down, width - 4, height - 4, width - 5, height - 7);
  } else {
    plan.SetPort(plan.up, 3, height - 4, 3, height - 7);
    plan.SetPort(plan.down, width - 4, 3, width - 5, 5);
  }
  // The first floor after the first boss: a scene across the room.
  if (area == 2 && floor == 6) {
    for (int r = 1; r <= height - 2; ++r) plan.SetCell(7, r, kSceneKeepExploring);
    plan.Reserve(7, 1, 7, height - 2);
  }
  for (int c = 9; c + 1 < width - 6; c += 6) {
    for (int r = 7; r + 1 < height - 6; r += 6) {
      if (rng.Below(3) == 0 || !plan.Free(c, r, 0) || !plan.Free(c + 1, r + 1, 0)) continue;
      plan.Wall(c, r, c + 1, r + 1);
    }
  }
  return plan;
}

// ---- The house --------------------------------------------------------------------------------

// The house: the first character starts at (176, 176), the second at
// (999, 999). From the first start the stairs on are reached along row 5 and
// then column 12, with a potion, a floor crystal, a breakable rock and a
// movable rock in the first screen.
FloorPlan House() {
  FloorPlan plan(34, 34, StyleOf(kAreaPeluneHouse));
  plan.Open(1, 1, 32, 32);
  plan.Reserve(4, 4, 13, 6);    // row 5 from the start
  plan.Reserve(11, 4, 13, 10);  // column 12 down to the stairs
  plan.Reserve(29, 29, 32, 32);  // the second start
  plan.SetPort(plan.down, 12, 9, 10, 11);
  plan.appearances.push_back({176, 176});
  plan.appearances.push_back({999, 999});
  AddItem(plan, 8, 2, kWhitePotion, kItemHp);
  AddItem(plan, 3, 9, CrystalOf(kAreaPeluneHouse), kItemHp);
  AddItem(plan, 8, 8, kBreakableRock, RockHpOf(kAreaPeluneHouse));
  plan.Take(14, 3);
  plan.rocks.push_back({CellCentre(14), CellCentre(3)});
  // Furniture away from the way out.
  plan.Wall(20, 14, 27, 15);
  plan.Wall(20, 20, 21, 26);
  return plan;
}

// ---- field01's first floor ---------------------------------------------------------------------

// The first field: a path west whose end pushes players back (scene 104
// left of x 112), a path south that does the same upward (scene 109 below
// y 688), and the gate whose posts and trees the overlay draws over the
// players.
FloorPlan FieldGate(PlanRandom& rng) {
  FloorPlan plan(30, 24, StyleOf(1));
  plan.Open(4, 1, 28, 20);
  plan.Open(1, 10, 3, 11);
  plan.Open(14, 21, 15, 22);
  for (int r = 10; r <= 11; ++r) {
    plan.SetCell(1, r, kScenePushedRight);
    plan.SetCell(2, r, kScenePushedRight);
  }
  plan.SetCell(14, 22, kScenePushedUp);
  plan.SetCell(15, 22, kScenePushedUp);
  plan.Reserve(0, 9, 4, 12);
  plan.Reserve(13, 20, 16, 23);
  // The gate that the overlay draws over rows 7 to 9: posts in columns 4
  // and 13, trees in columns 5 and 12, their feet in row 9.
  for (const int column : {4, 5, 12, 13}) plan.Wall(column, 9, column, 9);
  plan.Reserve(3, 6, 6, 10);
  plan.Reserve(11, 6, 14, 10);
  plan.SetPort(plan.up, 7, 3, 7, 5);
  plan.SetPort(plan.down, 26, 19, 25, 16);
  Furnish(plan, 1, 0, rng);
  return plan;
}

// ---- Save points -------------------------------------------------------------------------------

// The save figure stands on walls (cells c0..c0+2, rows r0..r0+1); the save
// cell is under it. `restore` is where a restored game puts player 0.
void SavePoint(FloorPlan& plan, int c0, int r0, int save_c, int save_r, int restore_c, int restore_r) {
  plan.Wall(c0, r0, c0 + 2, r0 + 1);
  plan.SetCell(save_c, save_r, kSceneSavePoint);
  plan.Reserve(save_c, save_r, save_c, save_r);
  plan.Reserve(restore_c - 1, restore_r - 1, restore_c + 2, restore_r + 2);
  plan.appearances.push_back({CellCentre(restore_c), CellCentre(restore_r)});
}

// field02's second floor: a restored game starts at (592, 144). In its first
// screen the stairs on (along row 4, then column 12), a potion, a floor
// crystal, a breakable rock and a movable rock; the trial end scene a few
// cells below the start; its generators further on.
FloorPlan Field02SavePoint(PlanRandom& rng) {
  FloorPlan plan(40, 20, StyleOf(kAreaField02));
  plan.Open(1, 1, 38, 18);
  SavePoint(plan, 18, 2, 20, 4, 18, 4);
  plan.SetCell(18, 7, kSceneTrialEnd);
  plan.Reserve(17, 6, 19, 8);
  plan.Reserve(11, 3, 19, 5);   // row 4 from the start
  plan.Reserve(11, 3, 13, 10);  // column 12 down to the stairs
  plan.SetPort(plan.down, 12, 9, 14, 11);
  plan.SetPort(plan.up, 3, 16, 3, 13);
  AddItem(plan, 21, 7, kWhitePotion, kItemHp);
  AddItem(plan, 23, 3, CrystalOf(kAreaField02), kItemHp);
  AddItem(plan, 24, 7, kBreakableRock, RockHpOf(kAreaField02));
  plan.Take(20, 9);
  plan.rocks.push_back({CellCentre(20), CellCentre(9)});
  AddGenerators(plan, kAreaField02, {28, 26}, rng);
  AddItems(plan, kAreaField02, rng);
  return plan;
}

// dansion02sub's floors 3 and 4: a restored game starts at (400, 112).
FloorPlan SubSavePoint(int floor, PlanRandom& rng) {
  FloorPlan plan(28, 18, StyleOf(4));
  plan.Open(1, 1, 26, 16);
  SavePoint(plan, 13, 1, 14, 3, 12, 3);
  plan.SetPort(plan.up, 3, 14, 3, 11);
  plan.SetPort(plan.down, 24, 14, 23, 11);
  Furnish(plan, 4, floor, rng);
  return plan;
}

// dansion09's first floor: a restored game starts at (1136, 208); a party
// coming from dansion08 crosses the nimbra scene's column.
FloorPlan NimbraSavePoint(PlanRandom& rng) {
  FloorPlan plan(44, 20, StyleOf(kAreaDansion09));
  plan.Open(1, 1, 42, 18);
  SavePoint(plan, 34, 3, 35, 5, 35, 6);
  for (int r = 1; r <= 18; ++r) plan.SetCell(8, r, kSceneNimbra);
  plan.Reserve(8, 1, 8, 18);
  plan.SetPort(plan.up, 3, 3, 3, 5);
  plan.SetPort(plan.down, 40, 16, 39, 13);
  Furnish(plan, kAreaDansion09, 0, rng);
  return plan;
}

// ---- Boss rooms ---------------------------------------------------------------------------------

// The room (columns 1 to 15, rows 1 to 11) over what every boss walks and
// where the crystals appear; below it the way in: the encounter scene's two
// cells in the wall's gap (row 12), then the corridor where the party
// arrives and the stairs back lie. The stairs on are on the cell of the
// room's exit chip and are not drawn: the chip shows them once the room is
// cleared. Boss 8 lays shots along the room's top row, so its room has no
// wall there (the edge of the grid stops bodies as a wall).
FloorPlan BossRoom(int area, int row) {
  FloorPlan plan(17, 16, StyleOf(area));
  plan.Open(1, 1, 15, 11);
  if (row == 8) plan.Open(1, 0, 15, 0);
  plan.Open(7, 12, 8, 12);
  plan.SetCell(7, 12, kBossScenes[row]);
  plan.SetCell(8, 12, kBossScenes[row]);
  plan.Open(2, 13, 14, 14);
  plan.SetPort(plan.up, 3, 14, 7, 13);
  plan.SetPort(plan.down, kExitCells[row][0], kExitCells[row][1], kExitCells[row][0],
               kExitCells[row][1] + 2, false);
  return plan;
}

// ---- dansion09's block floors --------------------------------------------------------------------

// Floors 1 to 5: one band from west to east over two pits (x 258 to 574 and
// 1474 to 1790), each crossed by a block that carries the party 224 pixels
// east and back.
FloorPlan TwoPits(int floor, PlanRandom& rng) {
  FloorPlan plan(64, 64, StyleOf(kAreaDansion09));
  plan.Open(1, 8, 62, 14);
  plan.OpenPit(8, 8, 17, 14);
  plan.OpenPit(46, 8, 55, 14);
  plan.SetPort(plan.up, 2, 13, 3, 9);
  plan.SetPort(plan.down, 61, 13, 59, 9);
  Furnish(plan, kAreaDansion09, floor, rng);
  return plan;
}

// Floor 6: the pit is everything west of x 703. The party comes in on the
// ground south-east, the block carries it west, north and east to the
// ground north-east, which no path on foot reaches.
FloorPlan BlockFloorSix(PlanRandom& rng) {
  FloorPlan plan(64, 64, StyleOf(kAreaDansion09));
  plan.OpenPit(1, 4, 21, 26);
  plan.Open(22, 21, 40, 27);
  plan.Open(22, 3, 40, 9);
  plan.SetPort(plan.up, 39, 26, 36, 22);
  plan.SetPort(plan.down, 39, 4, 36, 6);
  Furnish(plan, kAreaDansion09, 6, rng);
  return plan;
}

// Floor 7: the block's long round from (912, 208) west, south, east and
// north to (1072, 912) runs over void; the party boards it from the ground
// north-east (beside the pit north of y 320) and leaves it to the ground
// west of x 1026 at y 912 (beside the pit south-east).
FloorPlan BlockFloorSeven(PlanRandom& rng) {
  FloorPlan plan(64, 64, StyleOf(kAreaDansion09));
  plan.OpenPit(3, 5, 29, 7);
  plan.OpenPit(3, 5, 5, 44);
  plan.OpenPit(3, 42, 34, 44);
  plan.OpenPit(32, 27, 34, 44);
  plan.Open(30, 3, 40, 9);
  plan.Open(24, 26, 31, 31);
  plan.SetPort(plan.up, 39, 4, 35, 4);
  plan.SetPort(plan.down, 25, 30, 28, 27);
  Furnish(plan, kAreaDansion09, 7, rng);
  return plan;
}

// ---- The ending ----------------------------------------------------------------------------------

// The room the ending scene plays over; no stairs leave it.
FloorPlan Ending() {
  FloorPlan plan(16, 12, StyleOf(kAreaEnding));
  plan.Open(1, 1, 14, 10);
  plan.SetPort(plan.up, -1, -1, 7, 8);
  return plan;
}

}  // namespace

// Bosses 0 and 1 fall to a few hundred frames of shots; every other boss
// starts in its first phase.
const SampleBossRow kSampleBossRows[9] = {
    {0, 256, 128, 60, 6, 20, 32, 6, 6},    {1, 272, 128, 80, 8, 40, 40, 8, 8},
    {2, 256, 112, 220, 10, 12, 20, 6, 6},  {3, 256, 128, 300, 10, 12, 20, 6, 6},
    {4, 256, 112, 500, 12, 12, 20, 3, 3},  {5, 256, 112, 520, 12, 12, 20, 4, 4},
    {6, 256, 128, 800, 14, 12, 20, 4, 4},  {7, 256, 112, 1400, 16, 12, 20, 5, 5},
    {8, 256, 96, 4000, 18, 28, 24, 5, 5},
};

FloorPlan BuildSampleFloor(int area, int floor) {
  PlanRandom rng(static_cast<uint32_t>(area * 16 + floor + 1));
  const AreaTableRow& row = area_table[area];
  FloorPlan plan = [&] {
    if (area == kAreaPeluneHouse) return House();
    if (area == kAreaEnding) return Ending();
    if (floor == row.boss_floor) return BossRoom(area, row.boss_row);
    if (area == 1 && floor == 0) return FieldGate(rng);
    if (area == kAreaField02 && floor == 1) return Field02SavePoint(rng);
    if (area == 4 && (floor == 3 || floor == 4)) return SubSavePoint(floor, rng);
    if (area == kAreaDansion09 && floor == 0) return NimbraSavePoint(rng);
    if (area == kAreaDansion09 && floor >= 1 && floor <= 5) return TwoPits(floor, rng);
    if (area == kAreaDansion09 && floor == 6) return BlockFloorSix(rng);
    if (area == kAreaDansion09 && floor == 7) return BlockFloorSeven(rng);
    FloorPlan room = OrdinaryRoom(area, floor, rng);
    Furnish(room, area, floor, rng);
    return room;
  }();
  Decorate(plan, rng);
  return plan;
}
