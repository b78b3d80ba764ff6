// One floor of the sample level data while it is laid out: the three map
// layers, the rows of its stairs, generator, hazard, rock and item files,
// and the two ports through which it is joined to the floors before and
// after it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The largest map of the set: 64 x 64 cells.
constexpr int kPlanGrid = 64;

// Cell codes the set uses.
constexpr int kWallCell = 0;
constexpr int kOpenCell = 9;  // open floor; a revival beside a partner needs it
// Chip values.
constexpr int kNoCover = 255;
constexpr int kPitChip = 255;  // drawn black in dansion09

// The centre of cell `cell` in map pixels.
constexpr int CellCentre(int cell) { return cell * 32 + 16; }

struct StairsPlan {
  int x, y;  // trigger centre
  int to_area, to_floor;
  int to_x, to_y;  // arrival of player 0
  int look;
};
struct GeneratorPlan {
  int x, y, kind, hp, interval;
};
struct HazardPlan {
  int x, y, kind, hp, width, height, variant, tick;
};
struct ItemPlan {
  int x, y, kind, hp;
};
struct RockPlan {
  int x, y;
};
// A point in map pixels.
struct MapPoint {
  int x, y;
};

// A way in and out of a floor: stairs on cell (stairs_c, stairs_r) and the
// point where a party coming in this way arrives (player 0; the others at
// +32 to the right and below). A port without stairs only receives.
struct FloorPort {
  bool used = false;
  bool has_stairs = true;
  bool drawn = true;  // the stairs cell shows the stairs chip
  int stairs_c = 0, stairs_r = 0;
  int arrival_x = 0, arrival_y = 0;
  int look = 0;
};

// The ground chips of open floor (chosen cell by cell) and of walls.
struct ChipStyle {
  int floors[4];
  int walls[2];
};

// A small fixed random source: the same seed gives the same floors.
class PlanRandom {
 public:
  explicit PlanRandom(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  // 0 to bound - 1.
  int Below(int bound);

 private:
  uint32_t state_;
};

class FloorPlan {
 public:
  // A `width` x `height` map of walls.
  FloorPlan(int width, int height, const ChipStyle& style);

  int width() const { return width_; }
  int height() const { return height_; }
  bool Inside(int c, int r) const { return c >= 0 && r >= 0 && c < width_ && r < height_; }

  // Cells c0..c1 x r0..r1 (inclusive) become open floor or walls.
  void Open(int c0, int r0, int c1, int r1);
  void Wall(int c0, int r0, int c1, int r1);
  // Open floor with the pit chip: the void that dansion09's blocks cross.
  void OpenPit(int c0, int r0, int c1, int r1);
  void SetCell(int c, int r, int code) { cell_[r][c] = code; }
  void SetChip(int c, int r, int chip) { chip_[r][c] = chip; }
  void SetCover(int c, int r, int chip) { cover_[r][c] = chip; }
  int cell(int c, int r) const { return cell_[r][c]; }

  // Cells no object may take: ports, arrivals, paths, scene cells.
  void Reserve(int c0, int r0, int c1, int r1);
  // An open, unreserved cell with no object within `clearance` cells.
  bool Free(int c, int r, int clearance) const;
  void Take(int c, int r) { taken_[r][c] = true; }

  // The port to the floor before and the port to the floor after.
  FloorPort up;
  FloorPort down;
  // Places a port: stairs on (sc, sr) (none when sc < 0), the party's
  // arrival with player 0 on cell (ac, ar). Reserves both with a ring.
  void SetPort(FloorPort& port, int sc, int sr, int ac, int ar, bool drawn = true);

  // Where a party appears on the floor (player 0; the others at +32 to the
  // right and below): the ports' arrivals, a save floor's restore point, a
  // new game's start points. SetPort adds the arrival.
  std::vector<MapPoint> appearances;
  // Whether a box of half-extents `half` around (x, y) reaches into what a
  // party of one to four sees standing on any of the appearances, as the
  // game's camera frames it: the 512 x 360 field and the 16 pixels past its
  // right and bottom edges in which a generator still releases.
  bool InSight(int x, int y, int half) const;

  std::vector<StairsPlan> stairs;
  std::vector<GeneratorPlan> generators;
  std::vector<HazardPlan> hazards;
  std::vector<RockPlan> rocks;
  std::vector<ItemPlan> items;

  // The map file: W and H, the ground, cover and cell layers with empty
  // separator lines, CR LF line ends.
  std::string MapText() const;

 private:
  int width_, height_;
  ChipStyle style_;
  int chip_[kPlanGrid][kPlanGrid];
  int cover_[kPlanGrid][kPlanGrid];
  int cell_[kPlanGrid][kPlanGrid];
  bool reserved_[kPlanGrid][kPlanGrid];
  bool taken_[kPlanGrid][kPlanGrid];
};

// The row files, CR LF line ends: the count, one row a line, the '@' line.
std::string StairsText(const std::vector<StairsPlan>& rows);
std::string GeneratorText(const std::vector<GeneratorPlan>& rows, int columns);
std::string HazardText(const std::vector<HazardPlan>& rows);
std::string RockText(const std::vector<RockPlan>& rows);
std::string ItemText(const std::vector<ItemPlan>& rows);
