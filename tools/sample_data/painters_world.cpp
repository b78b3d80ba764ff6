// The world: placed hazards, shots and bullets with their vanish effects,
// items, map chips, digit fonts and the single-image sprites.
#include <algorithm>
#include <cmath>

#include "tools/sample_data/painters.h"
#include "tools/sample_data/sample_data.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The axis of a directional hazard image: where the hazard's own 32 x 32
// place has its centre in the image, and which way its reach runs.
struct HazardAxis {
  double cx;
  double cy;
  double ax;  // unit step along the reach
  double ay;
};

// The images of fire jets and vines by the number at the end of the stem:
// 01 up, 02 right, 03 down, 04 left. The centre follows from the drawing
// offsets the play field uses for each image.
HazardAxis AxisOf(std::string_view stem, int width, int height) {
  const char last = stem.empty() ? '1' : stem.back();
  switch (last) {
    case '2': return HazardAxis{16, height - 16.0, 1, 0};   // right: own place at the left
    case '3': return HazardAxis{16, height == 160 ? 16.0 : 48.0, 0, 1};  // down
    case '4': return HazardAxis{width - 16.0, height - 16.0, -1, 0};  // left: own place at the right
    default: return HazardAxis{16, height - 16.0, 0, -1};  // up: own place at the bottom
  }
}

Point Along(const HazardAxis& axis, double a, double c) {
  // c runs across the reach: x for vertical reaches, y for horizontal ones.
  return Point{axis.cx + axis.ax * a + (axis.ax == 0 ? c : 0),
               axis.cy + axis.ay * a + (axis.ay == 0 ? c : 0)};
}

// A flame tongue from `a0` to `a1` along the axis, `half` pixels wide.
void Flame(Canvas& c, const HazardAxis& axis, double a0, double a1, double half) {
  const Rgb outer{235, 70, 20};
  const Rgb middle{255, 160, 30};
  const Rgb inner{255, 245, 170};
  auto band = [&](double h, double shrink, Rgb col) {
    const Point p0 = Along(axis, a0 + shrink, -h);
    const Point p1 = Along(axis, a0 + shrink, h);
    const Point p2 = Along(axis, a1 - shrink, h * 0.6);
    const Point p3 = Along(axis, a1 - shrink * 0.5, 0);
    const Point p4 = Along(axis, a1 - shrink, -h * 0.6);
    c.FillPolygon({p0, p1, p2, p3, p4}, col);
  };
  band(half, 0, outer);
  band(half * 0.65, 3, middle);
  band(half * 0.3, 6, inner);
}

void Nozzle(Canvas& c, const HazardAxis& axis) {
  c.FillEllipse(axis.cx, axis.cy, 11, 11, Rgb{80, 75, 85});
  c.FillEllipse(axis.cx, axis.cy, 6, 6, Rgb{25, 20, 25});
}

}  // namespace

void PaintFireCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // Cell 0 burns on the vent; cells 1 to 4 shoot a column 32 px longer each
  // time; in cells 5 and 6 the column leaves the vent, which burns again.
  const HazardAxis axis = AxisOf(stem, cell.width(), cell.height());
  Nozzle(cell, axis);
  const int k = spec.index;
  switch (k) {
    case 0: Flame(cell, axis, -12, 14, 10); break;
    case 1: Flame(cell, axis, -10, 54, 12); break;
    case 2: Flame(cell, axis, -10, 86, 13); break;
    case 3: Flame(cell, axis, -10, 118, 14); break;
    case 4: Flame(cell, axis, -10, 143, 14); break;
    case 5:
      Flame(cell, axis, -12, 14, 10);
      Flame(cell, axis, 74, 143, 13);
      break;
    default:
      Flame(cell, axis, -12, 14, 10);
      Flame(cell, axis, 106, 143, 12);
      break;
  }
  cell.Outline(Rgb{120, 20, 0});
}

void PaintVineCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // Cell 0 is a bud on its root; cells 1 to 4 a thorny shoot growing out.
  const HazardAxis axis = AxisOf(stem, cell.width(), cell.height());
  const Rgb stem_colour{50, 140, 50};
  const Rgb leaf{90, 200, 70};
  const int k = spec.index;
  cell.FillEllipse(axis.cx, axis.cy, 12, 9, Rgb{110, 75, 40});  // the root
  static const double kReach[5] = {6, 60, 92, 124, 150};
  const double reach = std::min(kReach[std::min(k, 4)], 140.0);
  const Point root = Along(axis, 0, 0);
  const Point tip = Along(axis, reach, 0);
  cell.Line(root.x, root.y, tip.x, tip.y, stem_colour, k == 0 ? 6.0 : 5.0);
  for (double a = 14; a < reach - 4; a += 16) {
    const double side = (static_cast<int>(a / 16) % 2 == 0) ? 1 : -1;
    const Point at = Along(axis, a, 0);
    const Point leaf_at = Along(axis, a + 4, side * 6);
    cell.FillEllipse(leaf_at.x, leaf_at.y, 4, 4, leaf);
    const Point thorn = Along(axis, a - 2, -side * 7);
    cell.Line(at.x, at.y, thorn.x, thorn.y, Rgb{230, 230, 180}, 1.5);
  }
  cell.FillEllipse(tip.x, tip.y, k == 0 ? 5 : 4, k == 0 ? 5 : 4, Rgb{230, 60, 120});  // a flower bud
  cell.Outline(Rgb{10, 50, 10});
}

void PaintKoroneCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // A spiked ball that rises out of its hatch: cell 0 closed, 6 fully out.
  const int k = spec.column;
  cell.FillEllipse(16, 50, 13, 8, Rgb{60, 55, 65});
  cell.FillEllipse(16, 50, 9, 5, Rgb{20, 15, 25});
  if (k == 0) {
    cell.FillRect(8, 49, 16, 2, Rgb{120, 115, 125});
    cell.Outline(kInk);
    return;
  }
  const double cy = 50 - k * 3.5;
  const double r = 4 + k * 1.2;
  for (int s = 0; s < 8; ++s) {
    const double a = s * kPi / 4 + k * 0.2;
    cell.Line(16, cy, 16 + std::cos(a) * (r + 4), cy + std::sin(a) * (r + 4), Rgb{220, 220, 230}, 2.0);
  }
  cell.FillEllipse(16, cy, r, r, Rgb{150, 60, 170});
  cell.FillEllipse(16 - r * 0.3, cy - r * 0.3, r * 0.3, r * 0.3, Rgb{230, 180, 240});
  cell.Outline(kInk);
}

void PaintNeedleCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // A floor plate with holes; from cell 1 on its needles come up.
  cell.FillRect(2, 6, 28, 22, Rgb{110, 105, 100});
  cell.FrameRect(2, 6, 28, 22, Rgb{70, 65, 60});
  const int height = spec.column * 4;
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const int x = 8 + col * 8;
      const int y = 12 + row * 7;
      cell.FillRect(x - 1, y, 3, 2, Rgb{30, 25, 25});
      if (height > 0)
        cell.FillPolygon({{x - 1.5, y + 1.0}, {x + 2.5, y + 1.0}, {x + 0.5, y + 1.0 - height}},
                         Rgb{225, 225, 235});
    }
  }
  cell.Outline(kInk);
}

// ---- Shots -------------------------------------------------------------------------

void PaintPlayerShotCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // One row per flight direction, four frames of a pulsing bolt.
  const bool first = stem.starts_with("dot_pelune");
  const Rgb colour = first ? Rgb{255, 110, 190} : Rgb{90, 170, 255};
  const Direction d = DirectionVector(spec.row);
  const double pulse = (spec.column % 2 == 0) ? 0 : 1;
  const double hx = 16 + d.dx * 5;
  const double hy = 16 + d.dy * 5;
  cell.Line(16 - d.dx * 10, 16 - d.dy * 10, hx, hy, Shade(colour, 70), 5.0);
  cell.FillEllipse(hx, hy, 6 + pulse, 6 + pulse, colour);
  cell.FillEllipse(hx, hy, 3, 3, kWhite);
  // A spark that circles the head.
  const Direction s = DirectionVector(spec.column * 2);
  cell.FillEllipse(hx + s.dx * 6, hy + s.dy * 6, 1.5, 1.5, kWhite);
  cell.Outline(Shade(colour, 35));
}

void PaintBulletCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // Enemy and boss bullets: an oval pointed along the cell's direction (one
  // cell per direction), round ones for the small bullets.
  const Rgb colour = ColourOfStem(stem, Rgb{225, 50, 50});
  const double w = cell.width();
  const double cx = w / 2;
  const Direction d = DirectionVector(spec.index);
  const bool round = StemHasWord(stem, "small");
  const bool arrow = StemHasWord(stem, "pelwick");
  const double len = w * (round ? 0.3 : 0.42);
  const double half = w * (round ? 0.3 : 0.2);
  if (arrow) {
    const Point tip{cx + d.dx * len, cx + d.dy * len};
    const Point l{cx - d.dx * len + d.dy * half * 1.3, cx - d.dy * len - d.dx * half * 1.3};
    const Point r{cx - d.dx * len - d.dy * half * 1.3, cx - d.dy * len + d.dx * half * 1.3};
    cell.FillPolygon({tip, l, {cx - d.dx * len * 0.4, cx - d.dy * len * 0.4}, r}, colour);
    cell.FillEllipse(cx, cx, w * 0.1, w * 0.1, kWhite);
  } else {
    std::vector<Point> oval;
    for (int k = 0; k < 16; ++k) {
      const double a = k * 2 * kPi / 16;
      const double u = std::cos(a) * len;
      const double v = std::sin(a) * half;
      oval.push_back(Point{cx + d.dx * u - d.dy * v, cx + d.dy * u + d.dx * v});
    }
    cell.FillPolygon(oval, colour);
    // The bright core sits towards the front, so round bullets show their
    // direction too.
    const double front = round ? 0.6 : 0.2;
    cell.FillEllipse(cx + d.dx * len * front, cx + d.dy * len * front, half * 0.5, half * 0.5,
                     Mix(colour, kWhite, 200));
  }
  cell.Outline(Shade(colour, 35));
}

void PaintBladeCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // Knives, kunai and the 32-pixel bullets of the later bosses: one cell per
  // direction of flight.
  const Rgb colour = ColourOfStem(stem, Rgb{225, 50, 50});
  const Direction d = DirectionVector(spec.index);
  const double nx = -d.dy;
  const double ny = d.dx;
  auto at = [&](double a, double c) { return Point{16 + d.dx * a + nx * c, 16 + d.dy * a + ny * c}; };
  if (StemHasWord(stem, "knife")) {
    cell.FillPolygon({at(13, 0), at(-2, 3), at(-2, -3)}, Rgb{215, 220, 230});
    cell.FillPolygon({at(-2, 5), at(-4, 5), at(-4, -5), at(-2, -5)}, colour);
    cell.FillPolygon({at(-4, 1.5), at(-12, 1.5), at(-12, -1.5), at(-4, -1.5)}, Shade(colour, 70));
  } else if (StemHasWord(stem, "kunai")) {
    cell.FillPolygon({at(13, 0), at(3, 4), at(-3, 0), at(3, -4)}, Rgb{120, 125, 140});
    cell.FillPolygon({at(-3, 1.5), at(-9, 1.5), at(-9, -1.5), at(-3, -1.5)}, colour);
    cell.Ring(16 - d.dx * 12, 16 - d.dy * 12, 3, 1.5, colour);
  } else if (stem.starts_with("dot_mobaki")) {
    // A seed: a pointed grain with a white rim.
    cell.FillPolygon({at(11, 0), at(3, 5), at(-7, 4), at(-11, 0), at(-7, -4), at(3, -5)}, kWhite);
    cell.FillPolygon({at(9, 0), at(3, 3.5), at(-6, 2.5), at(-9, 0), at(-6, -2.5), at(3, -3.5)}, colour);
  } else {
    // A comet: a coloured head with a tail.
    cell.Line(16 - d.dx * 12, 16 - d.dy * 12, 16 + d.dx * 2, 16 + d.dy * 2, Shade(colour, 70), 4.0);
    cell.FillEllipse(16 + d.dx * 5, 16 + d.dy * 5, 6, 6, colour);
    cell.FillEllipse(16 + d.dx * 6, 16 + d.dy * 6, 2.5, 2.5, kWhite);
  }
  cell.Outline(kInk);
}

void PaintShotFadeCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // A ring that widens and thins out over the cells.
  Rgb colour = ColourOfStem(stem, Rgb{225, 50, 50});
  if (stem.starts_with("dot_pelune")) colour = Rgb{255, 110, 190};
  if (stem.starts_with("dot_orven")) colour = Rgb{90, 170, 255};
  const double w = cell.width();
  const double t = static_cast<double>(spec.column + 1) / spec.count;
  const double r = (w / 2 - 1) * (0.3 + 0.7 * t);
  const double thick = std::max(1.0, (w / 6) * (1.1 - t));
  if (StemHasWord(stem, "pelwick")) {
    // The fairy shots burst into a star of rays instead of a ring.
    for (int k = 0; k < 8; ++k) {
      const Direction d = DirectionVector(k);
      cell.Line(w / 2 + d.dx * r * 0.4, w / 2 + d.dy * r * 0.4, w / 2 + d.dx * r, w / 2 + d.dy * r, colour, thick);
    }
  } else {
    cell.Ring(w / 2, w / 2, r, r - thick, colour);
  }
  if (t < 0.6) cell.FillEllipse(w / 2, w / 2, r * 0.4, r * 0.4, Mix(colour, kWhite, 180));
  for (int k = 0; k < 4; ++k) {
    const Direction d = DirectionVector(k * 2 + 1);
    cell.FillEllipse(w / 2 + d.dx * r, w / 2 + d.dy * r, thick * 0.8, thick * 0.8, kWhite);
  }
}

void PaintCrownFadeInCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // The ring of flames gathering: more flames in every cell.
  const int flames = 3 + spec.column * 3;
  for (int k = 0; k < flames; ++k) {
    const double a = k * 2 * kPi / 12;
    const double x = 48 + std::cos(a) * 34;
    const double y = 48 + std::sin(a) * 34;
    const double s = 4 + spec.column * 2;
    cell.FillPolygon({{x - s, y + s}, {x + s, y + s}, {x, y - 2 * s}}, Rgb{250, 120, 30});
    cell.FillEllipse(x, y + s * 0.3, s * 0.5, s * 0.5, Rgb{255, 230, 120});
  }
}

// ---- Items -------------------------------------------------------------------------

void PaintItemCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // Items bob up and down over their four cells; a sparkle goes round.
  static const int kBob[4] = {0, -1, -2, -1};
  const int bob = kBob[spec.column % 4];
  const double cy = 17 + bob;
  if (stem.starts_with("dot_potion")) {
    const bool black = StemHasWord(stem, "black");
    const Rgb liquid = black ? Rgb{70, 30, 90} : Rgb{245, 245, 255};
    cell.FillRect(13, static_cast<int>(cy) - 11, 6, 5, Rgb{170, 220, 240});
    cell.FillRect(12, static_cast<int>(cy) - 12, 8, 2, Rgb{140, 90, 50});  // cork
    cell.FillEllipse(16, cy + 3, 9, 9, Rgb{170, 220, 240});
    cell.FillEllipse(16, cy + 5, 7.5, 6.5, liquid);
    cell.Text(14, static_cast<int>(cy) + 2, black ? "2" : "1", black ? kWhite : Rgb{60, 60, 160}, 1, 1);
  } else if (stem.starts_with("dot_item_") || stem.starts_with("dot_crystal_")) {
    const std::string_view stat = stem.substr(stem.starts_with("dot_item_") ? 9 : 12, 2);
    const Rgb colour = StatColour(stat);
    if (stem.starts_with("dot_crystal_")) {
      const double turn = 3 + (spec.column % 2) * 2;
      cell.FillPolygon({{16, cy - 13}, {16 + turn + 5, cy}, {16, cy + 13}, {16 - turn - 5, cy}}, colour);
      cell.FillPolygon({{16, cy - 13}, {16 + 2, cy}, {16, cy + 13}, {16 - turn - 5, cy}},
                       Mix(colour, kWhite, 110));
    } else {
      cell.FillEllipse(16, cy, 12, 12, colour);
      cell.Ring(16, cy, 12, 10.5, Shade(colour, 60));
    }
    cell.Text(16 - Canvas::TextWidth(std::string(stat), 1) / 2, static_cast<int>(cy) - 3, std::string(stat),
              kInk, 1, 1);
  } else if (stem.starts_with("dot_holly")) {
    // A holly sprig: two leaves and three berries.
    cell.FillPolygon({{4, cy + 2}, {10, cy - 6}, {16, cy - 2}, {12, cy + 2}, {16, cy + 7}, {9, cy + 6}},
                     Rgb{40, 150, 60});
    cell.FillPolygon({{28, cy + 2}, {22, cy - 6}, {16, cy - 2}, {20, cy + 2}, {16, cy + 7}, {23, cy + 6}},
                     Rgb{30, 130, 50});
    for (double x : {13.0, 16.0, 19.0}) cell.FillEllipse(x, cy - 3 + (x == 16.0 ? -3 : 0), 2.5, 2.5, Rgb{220, 30, 40});
  } else if (stem.starts_with("dot_healing") || stem.starts_with("dot_life_up")) {
    const bool life = stem.starts_with("dot_life_up");
    const Rgb red = life ? Rgb{255, 120, 180} : Rgb{230, 40, 60};
    cell.FillEllipse(11, cy - 3, 6, 6, red);
    cell.FillEllipse(21, cy - 3, 6, 6, red);
    cell.FillPolygon({{5.5, cy - 1}, {26.5, cy - 1}, {16, cy + 11}}, red);
    if (life) {
      cell.FillRect(15, static_cast<int>(cy) - 6, 3, 11, kWhite);
      cell.FillRect(11, static_cast<int>(cy) - 2, 11, 3, kWhite);
    } else {
      cell.FillEllipse(11, cy - 5, 2, 2, Rgb{255, 200, 200});
    }
  } else if (stem.starts_with("dot_mirror")) {
    cell.FillRect(15, static_cast<int>(cy) + 6, 3, 8, Rgb{150, 100, 50});
    cell.FillEllipse(16, cy - 2, 10, 10, Rgb{230, 190, 80});
    cell.FillEllipse(16, cy - 2, 7.5, 7.5, Rgb{180, 230, 255});
    cell.Line(12, cy - 5, 15, cy - 8, kWhite, 1.5);
  }
  // The sparkle.
  const Direction d = DirectionVector(spec.column * 2 + 1);
  cell.FillEllipse(16 + d.dx * 12, cy + d.dy * 12, 1.5, 1.5, kWhite);
  cell.Outline(kInk);
}

// ---- Map chips ---------------------------------------------------------------------

namespace {

struct ChipSet {
  const char* stem;
  Rgb floor;
  Rgb wall;
  int exit_chip;  // the exit shown in the set's beaten boss room, or -1
};

const ChipSet kChipSets[] = {
    {"BRIMAL_map_chip_field01", {110, 185, 80}, {120, 115, 110}, 222},
    {"BRIMAL_map_chip_dansion01", {150, 120, 90}, {85, 70, 65}, 54},
    {"BRIMAL_map_chip_forest", {60, 130, 60}, {95, 65, 40}, 5},
    {"BRIMAL_map_chip_library", {190, 150, 100}, {120, 60, 40}, 73},
    {"BRIMAL_map_chip_dansion05", {125, 140, 165}, {60, 70, 95}, 103},
    {"BRIMAL_map_chip_dansion06", {150, 120, 175}, {75, 45, 100}, 87},
    {"BRIMAL_map_chip_field03", {225, 200, 130}, {165, 120, 70}, -1},
    {"BRIMAL_map_chip_tower", {175, 60, 60}, {110, 110, 120}, 49},
    {"BRIMAL_map_chip_strandmoorle", {120, 150, 120}, {70, 80, 90}, 98},
    {"BRIMAL_map_chip_nimbra", {215, 230, 245}, {130, 150, 190}, 85},
};

const ChipSet& ChipSetOf(std::string_view stem) {
  for (const ChipSet& set : kChipSets)
    if (stem == set.stem) return set;
  return kChipSets[0];
}

// Stairs down; the exit of a beaten boss room shows a gold arrow, ordinary
// stairs a white one.
void Stairs(Canvas& c, Rgb floor, bool exit) {
  c.FillRect(0, 0, 32, 32, Shade(floor, 50));
  for (int k = 0; k < 4; ++k) {
    c.FillRect(3 + k * 2, 4 + k * 7, 26 - k * 4, 5, Shade(floor, 115 - k * 20));
    c.FillRect(3 + k * 2, 9 + k * 7, 26 - k * 4, 1, Rgb{20, 20, 20});
  }
  c.FillPolygon({{16, 30}, {11, 24}, {21, 24}}, exit ? Rgb{255, 235, 90} : kWhite);  // way down
}

// Two small marks placed by the chip number, so that no two chips of a set
// look the same.
void Details(Canvas& c, int index, Rgb colour) {
  c.FillRect((index * 37) % 27 + 2, (index * 61) % 27 + 2, 3, 1, colour);
  c.FillRect((index * 53) % 27 + 2, (index * 29) % 27 + 2, 1, 2, colour);
}

void Floor(Canvas& c, Rgb base, int variant, int index) {
  const Rgb tint = Shade(base, 92 + (index / 16) * 3);
  c.FillRect(0, 0, 32, 32, tint);
  const Rgb line = Shade(tint, 82);
  switch (variant % 4) {
    case 0:  // plain with a faint tile edge
      c.FillRect(0, 31, 32, 1, line);
      c.FillRect(31, 0, 1, 32, line);
      break;
    case 1:  // speckled
      for (int k = 0; k < 10; ++k)
        c.FillRect((index * 7 + k * 11) % 30 + 1, (index * 3 + k * 13) % 30 + 1, 2, 2, line);
      break;
    case 2:  // four tiles
      c.FillRect(0, 15, 32, 1, line);
      c.FillRect(15, 0, 1, 32, line);
      c.FillRect(0, 31, 32, 1, line);
      c.FillRect(31, 0, 1, 32, line);
      break;
    default:  // cracked
      c.Line(4, 6, 14, 14, line, 1.0);
      c.Line(14, 14, 12, 26, line, 1.0);
      c.Line(14, 14, 26, 18, line, 1.0);
      break;
  }
  Details(c, index, line);
}

void Wall(Canvas& c, Rgb base, int variant, int index) {
  const Rgb stone = Shade(base, 90 + (index / 16 - 8) * 3);
  const Rgb mortar = Shade(stone, 50);
  c.FillRect(0, 0, 32, 32, mortar);
  if (variant % 2 == 0) {  // bricks
    for (int row = 0; row < 4; ++row) {
      const int shift = row % 2 == 0 ? 0 : 8;
      for (int col = -1; col < 3; ++col)
        c.FillRect(col * 16 + shift + 1, row * 8 + 1, 14, 6, stone);
    }
  } else {  // big blocks
    c.FillRect(1, 1, 14, 14, stone);
    c.FillRect(17, 1, 14, 14, stone);
    c.FillRect(1, 17, 14, 14, stone);
    c.FillRect(17, 17, 14, 14, stone);
  }
  c.FillRect(0, 0, 32, 2, Mix(stone, kWhite, 100));  // a lit top edge
  Details(c, index, Shade(stone, 70));
}

void Decor(Canvas& c, Rgb floor, int variant) {
  // Pieces with a transparent background, laid over the ground chips; the
  // four kinds come in four colourings.
  const int tint = (variant / 4) * 40;
  switch (variant % 4) {
    case 0:  // flowers
      for (int k = 0; k < 3; ++k) {
        const double x = 8 + k * 8;
        const double y = 12 + (k % 2) * 8;
        c.FillEllipse(x, y, 3, 3, k == 1 ? Rgb{250, 230, 60} : Mix(Rgb{240, 90, 130}, Rgb{120, 120, 255}, tint));
        c.FillEllipse(x, y, 1, 1, kWhite);
      }
      break;
    case 1:  // a pot
      c.FillEllipse(16, 20, 8, 8, Mix(Rgb{180, 100, 60}, Rgb{90, 120, 180}, tint));
      c.FillRect(11, 9, 10, 4, Rgb{150, 80, 50});
      break;
    case 2:  // pebbles
      c.FillEllipse(10, 20, 4, 3, Shade(floor, 60 - tint / 8));
      c.FillEllipse(20, 14, 5, 4, Shade(floor, 55));
      c.FillEllipse(22, 24, 3, 2, Shade(floor, 65));
      break;
    default:  // a signpost
      c.FillRect(15, 14, 3, 16, Rgb{120, 80, 40});
      c.FillRect(6, 6, 20, 10, Mix(Rgb{190, 140, 80}, Rgb{230, 230, 230}, tint));
      break;
  }
  c.Outline(kInk);
}

void Canopy(Canvas& c, int variant) {
  // Tall pieces that players pass behind: tree crowns and pillars, each in
  // eight shades.
  const int shade = 80 + (variant / 2) * 5;
  if (variant % 2 == 0) {
    c.FillEllipse(16, 16, 15, 14, Shade(Rgb{40, 120, 50}, shade));
    c.FillEllipse(11, 11, 6, 5, Shade(Rgb{70, 160, 70}, shade));
  } else {
    c.FillRect(8, 0, 16, 32, Shade(Rgb{170, 165, 160}, shade));
    c.FillRect(8, 0, 3, 32, Shade(Rgb{210, 205, 200}, shade));
  }
  c.Outline(kInk);
}

// Pieces of the fixed overlays that players pass behind: `part` 0 is the top,
// 1 the middle, 2 the foot of a tree or a gate post; `right` mirrors a post's
// light side, `roots` gives a tree foot its roots.
void TreePiece(Canvas& c, int part, bool roots) {
  const Rgb leaves{40, 120, 50};
  const Rgb light{70, 160, 70};
  const Rgb bark{110, 75, 40};
  if (part == 0) {
    c.FillEllipse(16, 30, 15, 16, leaves);
    c.FillEllipse(11, 24, 6, 5, light);
  } else if (part == 1) {
    c.FillEllipse(16, 14, 15, 16, leaves);
    c.FillEllipse(20, 8, 5, 4, light);
    c.FillRect(13, 26, 6, 6, bark);
  } else {
    c.FillRect(13, 0, 6, 26, bark);
    c.FillEllipse(16, 27, 9, 4, Shade(bark, 70));
    if (roots) {
      c.Line(13, 24, 6, 30, bark, 2.0);
      c.Line(19, 24, 26, 30, bark, 2.0);
    }
  }
  c.Outline(kInk);
}

void PostPiece(Canvas& c, int part, bool right) {
  const Rgb stone{170, 165, 160};
  const Rgb light{215, 210, 205};
  c.FillRect(9, 0, 14, 32, stone);
  c.FillRect(right ? 20 : 9, 0, 3, 32, light);
  if (part == 0) c.FillRect(5, 0, 22, 6, light);
  if (part == 2) c.FillRect(5, 26, 22, 6, Shade(stone, 75));
  c.Outline(kInk);
}

void MovingBlock(Canvas& c, Rgb wall, int part, int column) {
  const Rgb face = Shade(Mix(wall, Rgb{255, 200, 80}, column * 8), part == 0 ? 120 : (part == 1 ? 100 : 75));
  c.FillRect(0, 0, 32, 32, face);
  c.FrameRect(0, 0, 32, 32, Shade(face, 60), 2);
  if (part == 0) c.FillRect(4, 4, 24, 3, Mix(face, kWhite, 120));
  if (part == 2) c.FillRect(0, 26, 32, 6, Shade(face, 50));
}

}  // namespace

void PaintMapChipCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // Chips 0-111 are floors and chips 128-239 walls, in patterns by column;
  // chips 112-127 and 240-255 are pieces with transparent backgrounds for
  // the cover layer. Chips the game draws on its own (exits of beaten boss
  // rooms, overlays, the bee and death generators, the moving blocks) have
  // their own looks, and every set has the stairs of the level files.
  const ChipSet& set = ChipSetOf(stem);
  const int n = spec.index;
  const int col = spec.column;
  if (n == set.exit_chip || n == kStairsChip) {
    Stairs(cell, set.floor, n == set.exit_chip);
    return;
  }
  const bool field = stem == "BRIMAL_map_chip_field01";
  const bool moor = stem == "BRIMAL_map_chip_strandmoorle";
  if (field && (col == 6 || col == 7) && spec.row >= 13) {
    PostPiece(cell, spec.row - 13, col == 7);  // the gate posts over the road
    return;
  }
  if (field && (n == 1 || n == 17 || n == 33 || n == 37)) {
    TreePiece(cell, n / 16, n == 37);  // trees in front of the house
    return;
  }
  if (moor && (n == 16 || n == 18 || n == 35)) {
    PostPiece(cell, n == 35 ? 2 : 1, n == 18);
    return;
  }
  if (moor && n == 130) {  // the bee generator: a hive
    cell.FillEllipse(16, 17, 11, 13, Rgb{220, 170, 50});
    for (int k = 0; k < 4; ++k) cell.FillRect(6, 8 + k * 6, 20, 1, Rgb{140, 90, 20});
    cell.FillEllipse(16, 22, 3, 3, Rgb{40, 25, 10});
    cell.Outline(kInk);
    return;
  }
  if (moor && n == 129) {  // the death generator: a gravestone
    cell.FillRect(7, 24, 18, 6, Rgb{90, 80, 70});
    cell.FillRoundRect(9, 4, 14, 22, 6, Rgb{150, 150, 160});
    cell.FillRect(15, 8, 2, 10, Rgb{70, 70, 80});
    cell.FillRect(12, 11, 8, 2, Rgb{70, 70, 80});
    cell.Outline(kInk);
    return;
  }
  if (stem == "BRIMAL_map_chip_nimbra" && n < 48) {
    MovingBlock(cell, set.wall, n / 16, col);
    return;
  }
  if (n < 112) {
    Floor(cell, set.floor, col, n);
  } else if (n < 128) {
    Decor(cell, set.floor, col);
  } else if (n < 240) {
    Wall(cell, set.wall, col, n);
  } else {
    Canopy(cell, col);
  }
}

void PaintDigitCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  const bool shade = StemHasWord(stem, "shade");
  const bool config = stem.starts_with("config");
  const Rgb ink = shade ? Rgb{120, 120, 130} : (config ? Rgb{255, 225, 70} : kWhite);
  const char digit = static_cast<char>('0' + spec.column % 10);
  cell.GlyphStretched(1, 1, cell.width() - 2, cell.height() - 2, digit, ink);
  cell.Outline(shade ? Rgb{50, 50, 55} : kInk);
}

// ---- Single-image sprites ----------------------------------------------------------

void PaintWholeSprite(Canvas& image, std::string_view stem) {
  const double w = image.width();
  const double h = image.height();
  if (stem.starts_with("dot_movable") || stem.starts_with("dot_breakable_rock")) {
    // Rocks: the movable ones square with a push arrow, the breakable one cracked.
    const bool stone = StemHasWord(stem, "stone");
    const bool breakable = stem.starts_with("dot_breakable");
    const Rgb rock = breakable ? Rgb{170, 130, 95} : (stone ? Rgb{150, 155, 175} : Rgb{140, 125, 110});
    if (breakable) {
      image.FillEllipse(16, 17, 14, 13, rock);
      image.Line(9, 9, 16, 17, Shade(rock, 45), 1.5);
      image.Line(16, 17, 13, 27, Shade(rock, 45), 1.5);
      image.Line(16, 17, 25, 14, Shade(rock, 45), 1.5);
    } else {
      image.FillRoundRect(2, 3, 28, 27, 5, rock);
      image.FillRect(4, 4, 24, 3, Mix(rock, kWhite, 110));
      image.FillPolygon({{16, 9}, {23, 17}, {19, 17}, {19, 24}, {13, 24}, {13, 17}, {9, 17}},
                        Shade(rock, 70));
    }
    image.Outline(kInk);
  } else if (stem.starts_with("dot_bookshelf")) {
    const bool back = StemHasWord(stem, "back");
    image.FillRect(2, 2, 60, 60, Rgb{120, 70, 35});
    if (back) {
      for (int k = 0; k < 6; ++k) image.FillRect(4, 6 + k * 9, 56, 2, Rgb{90, 50, 25});
    } else {
      static const Rgb kSpines[] = {{200, 50, 50}, {50, 90, 200}, {60, 160, 70}, {220, 180, 40}, {140, 70, 170}};
      for (int shelf = 0; shelf < 3; ++shelf) {
        image.FillRect(5, 6 + shelf * 19, 54, 16, Rgb{60, 35, 20});
        for (int b = 0; b < 9; ++b)
          image.FillRect(6 + b * 6, 8 + shelf * 19 + (b % 3), 5, 14 - (b % 3), kSpines[(b + shelf) % 5]);
      }
    }
    image.Outline(kInk);
  } else if (stem == "dot_fesku_front_img") {
    // The ice frog seen from the front as it falls away.
    image.FillEllipse(w / 2, h * 0.6, w * 0.45, h * 0.38, Rgb{140, 200, 250});
    image.FillEllipse(w / 2, h * 0.68, w * 0.28, h * 0.22, Rgb{235, 245, 255});
    for (double ex : {w * 0.3, w * 0.7}) {
      image.FillEllipse(ex, h * 0.25, w * 0.14, w * 0.14, Rgb{235, 245, 255});
      image.FillEllipse(ex, h * 0.27, w * 0.06, w * 0.07, Rgb{20, 20, 40});
    }
    image.Outline(Rgb{20, 40, 80});
  } else if (StemHasWord(stem, "note")) {
    // Musical notes in four colours.
    const Rgb colour = ColourOfStem(stem, Rgb{225, 50, 50});
    image.FillEllipse(w * 0.38, h * 0.72, w * 0.2, h * 0.14, colour);
    image.FillRect(static_cast<int>(w * 0.52), static_cast<int>(h * 0.15), 3, static_cast<int>(h * 0.58), colour);
    image.FillPolygon({{w * 0.52 + 2, h * 0.15}, {w * 0.85, h * 0.3}, {w * 0.85, h * 0.42}, {w * 0.52 + 2, h * 0.28}},
                      colour);
    image.Outline(kInk);
  } else if (stem == "dot_ember_crown_img") {
    for (int k = 0; k < 12; ++k) {
      const double a = k * 2 * kPi / 12;
      const double x = w / 2 + std::cos(a) * 34;
      const double y = h / 2 + std::sin(a) * 34;
      image.FillPolygon({{x - 10, y + 10}, {x + 10, y + 10}, {x, y - 20}}, Rgb{250, 110, 25});
      image.FillEllipse(x, y + 3, 5, 5, Rgb{255, 235, 130});
    }
    image.Ring(w / 2, h / 2, 30, 26, Rgb{255, 190, 60});
  } else {
    // Round bullets and orbs: talvo's, the ice shard, the red and violet orbs.
    Rgb colour = ColourOfStem(stem, Rgb{225, 50, 50});
    double r = w * 0.42;
    if (stem.starts_with("dot_talvo")) colour = Rgb{90, 220, 120};
    if (stem.starts_with("dot_fesku")) colour = Rgb{170, 230, 255};
    if (StemHasWord(stem, "middle")) r = 7;
    if (StemHasWord(stem, "small")) r = 3.5;
    if (stem.starts_with("dot_talvo") || stem.starts_with("dot_fesku")) r = 9;
    if (stem.starts_with("dot_fesku")) {
      image.FillPolygon({{w / 2, h / 2 - 13}, {w / 2 + 6, h / 2}, {w / 2, h / 2 + 13}, {w / 2 - 6, h / 2}}, colour);
    } else {
      image.FillEllipse(w / 2, h / 2, r, r, colour);
    }
    image.FillEllipse(w / 2 - r * 0.25, h / 2 - r * 0.25, std::max(1.0, r * 0.4), std::max(1.0, r * 0.4),
                      Mix(colour, kWhite, 200));
    image.Outline(Shade(colour, 35));
  }
}
