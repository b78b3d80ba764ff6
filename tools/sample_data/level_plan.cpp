// Laying out one floor of the sample level data and writing its files.
#include "tools/sample_data/level_plan.h"

#include <algorithm>

#include "tools/sample_data/sample_data.h"

int PlanRandom::Below(int bound) {
  state_ = state_ * 1664525u + 1013904223u;
  return static_cast<int>((state_ >> 8) % static_cast<uint32_t>(bound));
}

FloorPlan::FloorPlan(int width, int height, const ChipStyle& style)
    : width_(width), height_(height), style_(style) {
  for (int r = 0; r < kPlanGrid; ++r) {
    for (int c = 0; c < kPlanGrid; ++c) {
      chip_[r][c] = style.walls[(c + r) % 2];
      cover_[r][c] = kNoCover;
      cell_[r][c] = kWallCell;
      reserved_[r][c] = false;
      taken_[r][c] = false;
    }
  }
}

void FloorPlan::Open(int c0, int r0, int c1, int r1) {
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      // A few floor patterns mixed by place, the first one most often.
      const int pick = (c * 7 + r * 13) % 11;
      chip_[r][c] = style_.floors[pick < 8 ? 0 : pick - 7];
      cell_[r][c] = kOpenCell;
    }
  }
}

void FloorPlan::Wall(int c0, int r0, int c1, int r1) {
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      chip_[r][c] = style_.walls[(c + r) % 2];
      cell_[r][c] = kWallCell;
    }
  }
}

void FloorPlan::OpenPit(int c0, int r0, int c1, int r1) {
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      chip_[r][c] = kPitChip;
      cell_[r][c] = kOpenCell;
      reserved_[r][c] = true;
    }
  }
}

void FloorPlan::Reserve(int c0, int r0, int c1, int r1) {
  for (int r = std::max(r0, 0); r <= std::min(r1, kPlanGrid - 1); ++r) {
    for (int c = std::max(c0, 0); c <= std::min(c1, kPlanGrid - 1); ++c) reserved_[r][c] = true;
  }
}

bool FloorPlan::Free(int c, int r, int clearance) const {
  if (!Inside(c, r) || cell_[r][c] != kOpenCell || reserved_[r][c]) return false;
  for (int dr = -clearance; dr <= clearance; ++dr) {
    for (int dc = -clearance; dc <= clearance; ++dc) {
      if (Inside(c + dc, r + dr) && taken_[r + dr][c + dc]) return false;
    }
  }
  return true;
}

void FloorPlan::SetPort(FloorPort& port, int sc, int sr, int ac, int ar, bool drawn) {
  port.used = true;
  port.has_stairs = sc >= 0;
  port.drawn = drawn;
  port.stairs_c = sc;
  port.stairs_r = sr;
  port.arrival_x = CellCentre(ac);
  port.arrival_y = CellCentre(ar);
  appearances.push_back({port.arrival_x, port.arrival_y});
  if (port.has_stairs) {
    if (drawn) chip_[sr][sc] = kStairsChip;
    Reserve(sc - 1, sr - 1, sc + 1, sr + 1);
  }
  // The party's 2 x 2 cells and a ring around them.
  Reserve(ac - 1, ar - 1, ac + 2, ar + 2);
}

namespace {

// The game's field and the reach of a generator's release past its right
// and bottom edges.
constexpr int kFieldWidth = 512;
constexpr int kFieldHeight = 360;
constexpr int kReleaseMargin = 16;

// The field's first map pixel on one axis with the camera on `centre`: the
// centre in the field's middle, the field kept inside the map (a map
// smaller than the field put at its far edge).
int FieldStart(int centre, int field, int map) {
  int scroll = std::min(0, field / 2 - centre);
  scroll = std::max(scroll, field - map);
  return -scroll;
}

}  // namespace

bool FloorPlan::InSight(int x, int y, int half) const {
  // The camera's centre for a party of one, of two (side by side) and of
  // three or four (a square).
  constexpr int kCentres[3][2] = {{0, 0}, {16, 0}, {16, 16}};
  for (const MapPoint& point : appearances) {
    for (const auto& centre : kCentres) {
      const int left = FieldStart(point.x + centre[0], kFieldWidth, width_ * 32);
      const int top = FieldStart(point.y + centre[1], kFieldHeight, height_ * 32);
      const bool apart = x + half < left || x - half > left + kFieldWidth + kReleaseMargin ||
                         y + half < top || y - half > top + kFieldHeight + kReleaseMargin;
      if (!apart) return true;
    }
  }
  return false;
}

namespace {

void AppendLayer(std::string& text, const int (&layer)[kPlanGrid][kPlanGrid], int width, int height) {
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      if (c > 0) text += ',';
      text += std::to_string(layer[r][c]);
    }
    text += "\r\n";
  }
}

// One row line of comma-separated values.
std::string Row(std::initializer_list<int> values) {
  std::string line;
  for (int value : values) {
    if (!line.empty()) line += ',';
    line += std::to_string(value);
  }
  return line + "\r\n";
}

template <typename Rows, typename Format>
std::string TableText(const Rows& rows, Format format) {
  std::string text = std::to_string(rows.size()) + "\r\n";
  for (const auto& row : rows) text += format(row);
  return text + "@\r\n";
}

}  // namespace

std::string FloorPlan::MapText() const {
  std::string text = std::to_string(width_) + "," + std::to_string(height_) + "\r\n";
  AppendLayer(text, chip_, width_, height_);
  text += "\r\n";
  AppendLayer(text, cover_, width_, height_);
  text += "\r\n";
  AppendLayer(text, cell_, width_, height_);
  return text;
}

std::string StairsText(const std::vector<StairsPlan>& rows) {
  return TableText(rows, [](const StairsPlan& s) {
    return Row({s.x, s.y, s.to_area, s.to_floor, s.to_x, s.to_y, s.look});
  });
}

std::string GeneratorText(const std::vector<GeneratorPlan>& rows, int columns) {
  return TableText(rows, [columns](const GeneratorPlan& g) {
    return columns == 6 ? Row({g.x, g.y, 1, g.kind, g.hp, g.interval}) : Row({g.x, g.y, 1, g.kind, g.hp});
  });
}

std::string HazardText(const std::vector<HazardPlan>& rows) {
  return TableText(rows, [](const HazardPlan& h) {
    return Row({h.x, h.y, 1, h.kind, h.hp, h.width, h.height, h.variant, h.tick});
  });
}

std::string RockText(const std::vector<RockPlan>& rows) {
  return TableText(rows, [](const RockPlan& r) { return Row({r.x, r.y}); });
}

std::string ItemText(const std::vector<ItemPlan>& rows) {
  return TableText(rows, [](const ItemPlan& i) { return Row({i.x, i.y, 1, i.kind, i.hp, 13, 13}); });
}
