// Enemies: slimes, golems, fairies and fairy maids, fuzzballs, books, bees,
// the death figure, the generators and the vanish effect.
#include <cmath>

#include "tools/sample_data/painters.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Two eyes looking towards `facing`, around (cx, cy), `gap` apart.
void Eyes(Canvas& c, double cx, double cy, double gap, double size, int facing, Rgb white, Rgb pupil) {
  const Direction d = DirectionVector(facing);
  if (d.dy < -0.5) return;  // seen from behind
  if (std::fabs(d.dy) < 0.5) {
    const double ex = cx + d.dx * gap * 0.6;
    c.FillEllipse(ex, cy, size, size, white);
    c.FillEllipse(ex + d.dx * size * 0.4, cy, size * 0.5, size * 0.6, pupil);
    return;
  }
  for (int side : {-1, 1}) {
    const double ex = cx + side * gap / 2 + d.dx * gap * 0.3;
    c.FillEllipse(ex, cy, size, size, white);
    c.FillEllipse(ex + d.dx * size * 0.3, cy + size * 0.25, size * 0.5, size * 0.6, pupil);
  }
}

}  // namespace

void PaintSlimeCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // A jelly blob that squashes and stretches through cells 0 to 3; cell 4
  // (never shown by the game) lies flat.
  const Rgb body = ColourOfStem(stem, Rgb{60, 185, 70});
  static const double kWidth[5] = {12, 13.5, 11, 10, 15};
  static const double kHeight[5] = {9, 7.5, 10.5, 12, 5};
  const int k = spec.column % 5;
  const double rx = kWidth[k];
  const double ry = kHeight[k];
  const double base = 29;
  cell.FillEllipse(16, base - ry, rx, ry, body);
  cell.FillEllipse(16 - rx * 0.4, base - ry * 1.4, rx * 0.25, ry * 0.25, Mix(body, kWhite, 170));
  Eyes(cell, 16, base - ry * 0.9, 8, 2.2, 4, kWhite, Rgb{20, 20, 30});
  cell.Outline(Shade(body, 35));
}

void PaintGolemCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // A blocky stone walker: one row per facing, four steps per row.
  const Rgb stone = ColourOfStem(stem, Rgb{165, 140, 115});
  const Rgb dark = Shade(stone, 65);
  const int facing = spec.row;
  const Direction d = DirectionVector(facing);
  const int step = spec.column == 1 ? 1 : (spec.column == 3 ? -1 : 0);
  const int cx = 16 + static_cast<int>(std::lround(d.dx * 2));
  // Legs.
  cell.FillRect(cx - 8, 36 - (step == 1 ? 2 : 0), 6, 11, dark);
  cell.FillRect(cx + 2, 36 - (step == -1 ? 2 : 0), 6, 11, dark);
  // The upper body sinks a pixel in frame 2, under the weight of the stride.
  const int sink = spec.column == 2 ? 1 : 0;
  // Torso with a band of rivets.
  cell.FillRect(cx - 11, 18 + sink, 22, 19, stone);
  cell.FillRect(cx - 11, 26 + sink, 22, 3, dark);
  // Arms.
  cell.FillRect(cx - 15, 19 + step + sink, 4, 15, dark);
  cell.FillRect(cx + 11, 19 - step + sink, 4, 15, dark);
  // Head.
  cell.FillRect(cx - 7, 5 + sink, 14, 13, stone);
  cell.FillRect(cx - 7, 5 + sink, 14, 2, Mix(stone, kWhite, 90));
  const Rgb glow{255, 230, 60};
  if (d.dy > -0.5) {
    if (std::fabs(d.dy) < 0.5) {
      cell.FillRect(cx + static_cast<int>(d.dx * 3) - 1, 10 + sink, 3, 3, glow);
    } else {
      cell.FillRect(cx - 5 + static_cast<int>(d.dx * 2), 10 + sink, 3, 3, glow);
      cell.FillRect(cx + 2 + static_cast<int>(d.dx * 2), 10 + sink, 3, 3, glow);
    }
  } else {
    cell.FillRect(cx - 3, 9 + sink, 6, 5, dark);  // the back of the head
  }
  cell.Outline(kInk);
}

void PaintFairyCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // A small winged figure; maids wear a white apron and headdress.
  const bool maid = StemHasWord(stem, "maid");
  const Rgb dress = ColourOfStem(stem, Rgb{50, 100, 235});
  const int facing = spec.row;
  const Direction d = DirectionVector(facing);
  const double cx = 12 + d.dx;
  const Rgb wing{215, 240, 255};
  // Wings flap: open, closed, half open, closed.
  static const double kWingWidth[4] = {6.5, 3.5, 5.0, 3.5};
  const double wing_w = kWingWidth[spec.column % 4];
  cell.FillEllipse(cx - 6, 12, wing_w, 5, wing);
  cell.FillEllipse(cx + 6, 12, wing_w, 5, wing);
  // Dress and legs.
  cell.FillPolygon({{cx - 4, 14}, {cx + 4, 14}, {cx + 7, 26}, {cx - 7, 26}}, dress);
  if (maid) cell.FillPolygon({{cx - 2.5, 16}, {cx + 2.5, 16}, {cx + 4, 25}, {cx - 4, 25}}, kWhite);
  const int lift = spec.column == 1 ? 1 : (spec.column == 3 ? -1 : 0);
  cell.FillRect(static_cast<int>(cx) - 3, 26, 2, 4 - std::max(lift, 0), Rgb{255, 220, 190});
  cell.FillRect(static_cast<int>(cx) + 1, 26, 2, 4 + std::min(lift, 0), Rgb{255, 220, 190});
  // Head.
  cell.FillEllipse(cx, 8, 5.5, 5.5, Rgb{250, 230, 120});  // blonde hair
  if (d.dy > -0.5) cell.FillEllipse(cx + d.dx * 1.5, 9.5, 4, 3.5, Rgb{255, 225, 200});
  Eyes(cell, cx, 9, 4, 1.1, facing, Rgb{20, 20, 40}, Rgb{20, 20, 40});
  if (maid) cell.FillRect(static_cast<int>(cx) - 4, 2, 8, 2, kWhite);
  cell.Outline(kInk);
}

void PaintKedamaCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // A fuzzball: a round body in a ring of spikes that turns with the frame.
  const Rgb fur = ColourOfStem(stem, Rgb{235, 225, 200});
  const int facing = spec.row;
  const double turn = spec.column * kPi / 16;
  for (int k = 0; k < 12; ++k) {
    const double a = turn + k * 2 * kPi / 12;
    cell.Line(20 + std::cos(a) * 8, 21 + std::sin(a) * 8, 20 + std::cos(a) * 17, 21 + std::sin(a) * 17,
              Shade(fur, 80), 2.0);
  }
  cell.FillEllipse(20, 21, 13, 13, fur);
  const Direction d = DirectionVector(facing);
  // A darker tuft on its back shows which way it faces, also from behind.
  cell.FillEllipse(20 - d.dx * 8, 21 - d.dy * 8, 3.5, 3.5, Shade(fur, 70));
  Eyes(cell, 20 + d.dx * 4, 20 + d.dy * 3, 9, 3, facing, kWhite, Rgb{20, 20, 30});
  cell.Outline(Shade(fur, 30));
}

void PaintBookCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // A flying book whose covers flap: the angle of the covers follows the cell.
  static const double kOpen[5] = {0.1, 0.4, 0.75, 0.55, 0.25};
  const double open = kOpen[spec.column % 5];
  const Rgb cover{150, 30, 40};
  const Rgb pages{250, 245, 225};
  const double spine_x = 24;
  const double spine_top = 8;
  const double spine_bottom = 26;
  const double reach = 20;
  for (int side : {-1, 1}) {
    const double tip_x = spine_x + side * reach * std::cos(open);
    const double lift = reach * std::sin(open) * 0.6;
    cell.FillPolygon({{spine_x, spine_top}, {tip_x, spine_top - lift}, {tip_x, spine_bottom - lift},
                      {spine_x, spine_bottom}},
                     cover);
    cell.FillPolygon({{spine_x, spine_top + 2}, {tip_x - side * 2, spine_top + 2 - lift * 0.8},
                      {tip_x - side * 2, spine_bottom - 2 - lift * 0.8}, {spine_x, spine_bottom - 2}},
                     pages);
  }
  cell.FillRect(static_cast<int>(spine_x) - 1, static_cast<int>(spine_top), 2, 18, Rgb{240, 200, 60});
  // An eye on the open pages.
  cell.FillEllipse(spine_x + 7, 16, 2.5, 2.5, Rgb{200, 20, 40});
  cell.Outline(kInk);
}

void PaintBeeCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // Wings up, level, down, level; the body bobs a pixel in the second half.
  static const double kWingY[4] = {6, 8, 10, 8};
  static const double kWingH[4] = {5, 4, 3, 4};
  const int k = spec.column % 4;
  const double bob = k >= 2 ? 1 : 0;
  const Rgb wing{220, 240, 255};
  cell.FillEllipse(9, kWingY[k], 4, kWingH[k], wing);
  cell.FillEllipse(15, kWingY[k], 4, kWingH[k], wing);
  cell.FillEllipse(12, 14 + bob, 8, 6, Rgb{245, 200, 30});
  cell.FillRect(9, 9 + static_cast<int>(bob), 2, 10, Rgb{30, 25, 20});
  cell.FillRect(14, 9 + static_cast<int>(bob), 2, 10, Rgb{30, 25, 20});
  cell.FillPolygon({{19, 13 + bob}, {23, 14 + bob}, {19, 16 + bob}}, Rgb{40, 30, 20});  // sting
  cell.FillEllipse(5.5, 13 + bob, 2, 2, Rgb{30, 25, 20});                             // head
  cell.Outline(kInk);
}

void PaintDeathCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // A hooded figure with a skull face and a scythe that sweeps round.
  const double bob = std::sin(spec.column * 2 * kPi / 16) * 1.5;
  const Rgb robe{45, 25, 70};
  cell.FillPolygon({{16, 4 + bob}, {25, 12 + bob}, {27, 30}, {5, 30}, {7, 12 + bob}}, robe);
  cell.FillEllipse(16, 12 + bob, 5, 5, Rgb{235, 235, 220});
  cell.FillRect(13, 11 + static_cast<int>(bob), 2, 2, Rgb{10, 10, 10});
  cell.FillRect(17, 11 + static_cast<int>(bob), 2, 2, Rgb{10, 10, 10});
  const double a = spec.column * 2 * kPi / 16;
  const double hx = 16 + std::cos(a) * 12;
  const double hy = 17 + std::sin(a) * 12;
  cell.Line(16, 17, hx, hy, Rgb{120, 80, 40}, 2.0);
  const double bx = hx + std::cos(a + kPi / 2) * 6;
  const double by = hy + std::sin(a + kPi / 2) * 6;
  cell.FillPolygon({{hx, hy}, {bx, by}, {hx + std::cos(a) * 2, hy + std::sin(a) * 2}}, Rgb{210, 215, 225});
  cell.Outline(Rgb{150, 0, 40});
}

void PaintGeneratorCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // A stone gate whose core glows brighter from cell 0 to cell 6, the cell
  // shown just before an enemy comes out.
  const Rgb glow = ColourOfStem(stem, Rgb{225, 50, 50});
  cell.FillRect(3, 5, 26, 24, Rgb{90, 85, 95});
  cell.FrameRect(3, 5, 26, 24, Rgb{55, 50, 60}, 2);
  cell.FillRect(7, 9, 18, 16, Rgb{25, 20, 30});
  const double r = 2 + spec.column * 1.2;
  cell.FillEllipse(16, 17, r, r, Shade(glow, 60 + spec.column * 7));
  cell.FillEllipse(16, 17, r * 0.5, r * 0.5, Mix(glow, kWhite, 60 + spec.column * 20));
  // Corner studs in the generator's colour.
  for (int x : {4, 26})
    for (int y : {6, 26}) cell.FillRect(x, y, 2, 2, glow);
  cell.Outline(kInk);
}

void PaintVanishCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // A puff that grows and thins out over the 11 cells.
  const double t = static_cast<double>(spec.column) / std::max(1, spec.count - 1);
  const double r = 3 + t * 12;
  const Rgb core = Mix(Rgb{255, 250, 200}, Rgb{160, 150, 170}, static_cast<int>(t * 256));
  const int puffs = 8;
  for (int k = 0; k < puffs; ++k) {
    const double a = k * 2 * kPi / puffs + t;
    cell.FillEllipse(16 + std::cos(a) * r, 16 + std::sin(a) * r, 3.5 * (1 - t) + 1, 3.5 * (1 - t) + 1, core);
  }
  if (t < 0.5) cell.FillEllipse(16, 16, r * (1 - t), r * (1 - t), Rgb{255, 255, 230});
}
