// People: the two player characters in both colour sets and the bosses that
// are drawn as people, the big frog, the winged last boss, the musician's
// keyboard and shadow, and the save-point figure.
#include <cmath>

#include "tools/sample_data/painters.h"

namespace {

enum class Headwear { kNone, kLongHair, kPointedHat, kCrown, kHorns, kHood, kTopHat, kBigCrown };

struct PersonLook {
  Rgb skin{255, 220, 190};
  Rgb hair;
  Rgb clothes;
  Rgb accent;
  Rgb outline = kInk;
  Headwear headwear = Headwear::kNone;
  bool cape = false;
  bool wide = false;  // a broad body
};

// The look of each person by the sheet's stem (the white partners are
// painted from these and then whitened).
PersonLook LookOf(std::string_view stem) {
  PersonLook look;
  const Rgb kBossOutline{110, 10, 20};
  if (stem.starts_with("dot_pelune")) {
    const bool second = StemHasWord(stem, "2P");
    look.hair = second ? Rgb{250, 175, 50} : Rgb{245, 120, 175};
    look.clothes = second ? Rgb{230, 190, 30} : Rgb{205, 40, 90};
    look.accent = Rgb{255, 255, 255};
    look.headwear = Headwear::kLongHair;
  } else if (stem.starts_with("dot_orven")) {
    const bool second = StemHasWord(stem, "2P");
    look.hair = second ? Rgb{40, 120, 50} : Rgb{40, 55, 150};
    look.clothes = second ? Rgb{70, 190, 90} : Rgb{60, 110, 235};
    look.accent = second ? Rgb{200, 250, 120} : Rgb{140, 200, 255};
    look.headwear = Headwear::kPointedHat;
  } else if (stem.starts_with("dot_talvo")) {
    look.hair = Rgb{30, 110, 60};
    look.clothes = Rgb{40, 150, 80};
    look.accent = Rgb{250, 210, 60};
    look.outline = kBossOutline;
    look.headwear = Headwear::kBigCrown;
    look.cape = true;
  } else if (stem.starts_with("dot_dask_gorlan")) {
    look.skin = Rgb{200, 160, 120};
    look.hair = Rgb{110, 70, 40};
    look.clothes = Rgb{140, 90, 50};
    look.accent = Rgb{240, 230, 200};
    look.outline = kBossOutline;
    look.headwear = Headwear::kHorns;
    look.wide = true;
  } else if (stem.starts_with("dot_bremonkal")) {
    look.hair = Rgb{90, 40, 130};
    look.clothes = Rgb{130, 60, 180};
    look.accent = Rgb{250, 220, 90};
    look.outline = kBossOutline;
    look.headwear = Headwear::kHood;
  } else if (stem.starts_with("dot_vantor_ludera")) {
    look.skin = Rgb{235, 225, 235};
    look.hair = Rgb{60, 20, 30};
    look.clothes = Rgb{150, 25, 45};
    look.accent = Rgb{40, 20, 30};
    look.outline = kBossOutline;
    look.headwear = Headwear::kCrown;
    look.cape = true;
  } else if (stem.starts_with("dot_orsenta")) {
    look.hair = Rgb{250, 120, 20};
    look.clothes = Rgb{240, 150, 40};
    look.accent = Rgb{255, 240, 160};
    look.outline = kBossOutline;
    look.headwear = Headwear::kCrown;
  } else if (stem.starts_with("dot_mobaki")) {
    look.hair = Rgb{120, 120, 130};
    look.clothes = Rgb{160, 160, 175};
    look.accent = Rgb{230, 90, 90};
    look.outline = kBossOutline;
    look.headwear = Headwear::kTopHat;
    look.wide = true;
  } else {  // the musician
    look.hair = Rgb{40, 40, 45};
    look.clothes = Rgb{245, 215, 50};
    look.accent = Rgb{30, 30, 35};
    look.outline = kBossOutline;
    look.headwear = Headwear::kTopHat;
    look.cape = true;
  }
  return look;
}

// A person in a 32 x 48 design scaled to the canvas, turned to `facing`,
// in walking frame `frame` (0 and 2 standing, 1 and 3 a step).
void DrawPerson(Canvas& c, const PersonLook& look, int facing, int frame) {
  const double s = c.width() / 32.0;
  const Direction d = DirectionVector(facing);
  const bool back = d.dy < -0.5;
  const bool side = std::fabs(d.dy) < 0.5;
  const int step = frame == 1 ? 1 : (frame == 3 ? -1 : 0);
  const double cx = 16 + d.dx * 1.0;
  const Rgb shoe{60, 40, 30};
  const Rgb hair_dark = Shade(look.hair, 75);
  // Everything above the legs rises by a pixel in frame 2, the passing
  // stride, so the two frames with both feet down differ.
  double lift = 0;

  auto rect = [&](double x, double y, double w, double h, Rgb col) {
    y += lift;
    c.FillRect(static_cast<int>(std::lround(x * s)), static_cast<int>(std::lround(y * s)),
               static_cast<int>(std::lround(w * s)), static_cast<int>(std::lround(h * s)), col);
  };
  auto ellipse = [&](double x, double y, double rx, double ry, Rgb col) {
    c.FillEllipse(x * s, (y + lift) * s, rx * s, ry * s, col);
  };
  auto polygon = [&](std::vector<Point> pts, Rgb col) {
    for (Point& p : pts) p = Point{p.x * s, (p.y + lift) * s};
    c.FillPolygon(pts, col);
  };

  // Cape and long hair hang behind the body when seen from the front.
  if (look.cape && !back) polygon({{cx - 8, 22}, {cx + 8, 22}, {cx + 11, 42}, {cx - 11, 42}}, look.accent);
  if (look.headwear == Headwear::kLongHair && !back) rect(cx - 8, 12, 16, 16, hair_dark);

  // Legs: apart along the walk in side views, one foot lifted otherwise.
  if (side) {
    const double spread = 3.0 * step;
    rect(cx - 2 + spread, 36, 3, 9, Shade(look.clothes, 60));
    rect(cx - 1 - spread, 36, 3, 9, Shade(look.clothes, 50));
    rect(cx - 3 + spread, 44, 5, 3, shoe);
    rect(cx - 2 - spread, 44, 5, 3, shoe);
  } else {
    const double lift_left = step == 1 ? 2 : 0;
    const double lift_right = step == -1 ? 2 : 0;
    rect(cx - 5, 36, 3, 9 - lift_left, Shade(look.clothes, 55));
    rect(cx + 2, 36, 3, 9 - lift_right, Shade(look.clothes, 55));
    rect(cx - 6, 44 - lift_left, 5, 3, shoe);
    rect(cx + 1, 44 - lift_right, 5, 3, shoe);
  }

  lift = frame == 2 ? -1 : 0;

  // Body: a dress or coat widening downwards.
  const double half_top = look.wide ? 8 : 6;
  const double half_bottom = look.wide ? 11 : 9;
  polygon({{cx - half_top, 22}, {cx + half_top, 22}, {cx + half_bottom, 38}, {cx - half_bottom, 38}},
          look.clothes);
  // A belt, and from the front a collar in the accent colour.
  rect(cx - half_top - 1, 30, 2 * half_top + 2, 2, Shade(look.clothes, 65));
  if (!back) polygon({{cx - 3, 22}, {cx + 3, 22}, {cx, 26}}, look.accent);
  if (look.cape && back) polygon({{cx - 9, 21}, {cx + 9, 21}, {cx + 12, 42}, {cx - 12, 42}}, look.accent);

  // Arms swing against the legs.
  if (side) {
    const double swing = -3.0 * step;
    rect(cx - 1.5 + swing + d.dx, 24, 3, 9, Shade(look.clothes, 85));
    ellipse(cx + swing + d.dx, 34, 1.8, 1.8, look.skin);
  } else {
    rect(cx - half_top - 3, 23 + step, 3, 9, Shade(look.clothes, 85));
    rect(cx + half_top, 23 - step, 3, 9, Shade(look.clothes, 85));
    ellipse(cx - half_top - 1.5, 33 + step, 1.8, 1.8, look.skin);
    ellipse(cx + half_top + 1.5, 33 - step, 1.8, 1.8, look.skin);
  }

  // Head: hair all round, the face turned towards the facing.
  ellipse(cx, 13, 8.5, 8.5, look.hair);
  if (back) {
    if (std::fabs(d.dx) > 0.1) ellipse(cx + d.dx * 6, 15, 2.5, 4, look.skin);  // a cheek
    if (look.headwear == Headwear::kLongHair) rect(cx - 8, 12, 16, 15, look.hair);
    // The back of the head: a ribbon or clasp in the accent colour.
    rect(cx - 2, 18, 4, 3, look.accent);
  } else {
    const double fx = cx + d.dx * 2.5;
    ellipse(fx, 15.5, side ? 5 : 6.5, 5.5, look.skin);
    const Rgb eye{30, 30, 60};
    if (side) {
      rect(fx + d.dx * 2.5 - 1, 14, 2, 3, eye);
    } else {
      const double ex = d.dx * 1.5;
      rect(fx - 3.5 + ex, 14, 2, 3, eye);
      rect(fx + 1.5 + ex, 14, 2, 3, eye);
      rect(fx - 1 + ex, 18.5, 2, 1, Rgb{190, 80, 80});
    }
    // Fringe.
    rect(cx - 7, 7, 14, 4, look.hair);
  }

  switch (look.headwear) {
    case Headwear::kPointedHat:
      polygon({{cx - 11, 8}, {cx + 11, 8}, {cx + d.dx * 4, -3}}, Shade(look.clothes, 70));
      rect(cx - 11, 7, 22, 2, look.accent);
      break;
    case Headwear::kCrown:
    case Headwear::kBigCrown: {
      const double h = look.headwear == Headwear::kBigCrown ? 7 : 5;
      polygon({{cx - 7, 6}, {cx - 7, 6 - h}, {cx - 3.5, 3}, {cx, 6 - h}, {cx + 3.5, 3}, {cx + 7, 6 - h},
               {cx + 7, 6}},
              Rgb{250, 210, 40});
      ellipse(cx, 4, 1.2, 1.2, Rgb{230, 40, 60});
      break;
    }
    case Headwear::kHorns:
      polygon({{cx - 8, 7}, {cx - 4, 5}, {cx - 11, -1}}, look.accent);
      polygon({{cx + 8, 7}, {cx + 4, 5}, {cx + 11, -1}}, look.accent);
      break;
    case Headwear::kHood:
      polygon({{cx - 10, 18}, {cx - 9, 4}, {cx, 0}, {cx + 9, 4}, {cx + 10, 18}, {cx + 7, 10}, {cx - 7, 10}},
              Shade(look.clothes, 80));
      break;
    case Headwear::kTopHat:
      rect(cx - 10, 6, 20, 2, look.accent);
      rect(cx - 6, -1, 12, 8, look.accent);
      rect(cx - 6, 4, 12, 1, Rgb{200, 40, 40});
      break;
    case Headwear::kLongHair:
      rect(cx + 4, 4, 4, 3, look.accent);  // a ribbon
      break;
    case Headwear::kNone:
      break;
  }
  c.Outline(look.outline);
}

}  // namespace

void PaintPersonCell(Canvas& cell, const CellSpec& spec, std::string_view stem) {
  // One row per facing; one-column sheets hold one standing frame per facing.
  DrawPerson(cell, LookOf(stem), spec.row, spec.across == 1 ? 0 : spec.column);
}

void PaintFrogCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // The ice frog: 0 sitting, 1 crouching, 2 in the air, 3 landing.
  const double w = cell.width();
  const double h = cell.height();
  const Rgb body{140, 200, 250};
  const Rgb belly{235, 245, 255};
  const Rgb dark{60, 110, 180};
  static const double kLift[4] = {0, -4, -14, -6};
  static const double kSquash[4] = {1.0, 0.85, 1.1, 0.9};
  const double lift = kLift[spec.column % 4] * h / 128;
  const double sq = kSquash[spec.column % 4];
  const double base = h * 0.86 + lift;
  // Shadow on the ground while in the air.
  if (spec.column % 4 == 2) cell.FillEllipse(w / 2, h * 0.92, w * 0.3, h * 0.05, Rgb{40, 60, 80});
  // Hind legs.
  cell.FillEllipse(w * 0.22, base - h * 0.1, w * 0.16, h * 0.12 * sq, dark);
  cell.FillEllipse(w * 0.78, base - h * 0.1, w * 0.16, h * 0.12 * sq, dark);
  // Body and belly.
  cell.FillEllipse(w / 2, base - h * 0.3 * sq, w * 0.36, h * 0.3 * sq, body);
  cell.FillEllipse(w / 2, base - h * 0.22 * sq, w * 0.22, h * 0.18 * sq, belly);
  // Front feet.
  cell.FillEllipse(w * 0.36, base - h * 0.03, w * 0.07, h * 0.04, dark);
  cell.FillEllipse(w * 0.64, base - h * 0.03, w * 0.07, h * 0.04, dark);
  // Eyes on top of the head, and a crown of ice.
  const double ey = base - h * 0.56 * sq;
  for (double ex : {w * 0.34, w * 0.66}) {
    cell.FillEllipse(ex, ey, w * 0.09, h * 0.09, belly);
    cell.FillEllipse(ex, ey + 2, w * 0.04, h * 0.05, Rgb{20, 20, 40});
  }
  cell.FillPolygon({{w * 0.4, ey - h * 0.08}, {w * 0.5, ey - h * 0.2}, {w * 0.6, ey - h * 0.08}},
                   Rgb{200, 240, 255});
  // Mouth.
  cell.Line(w * 0.38, base - h * 0.4 * sq, w * 0.62, base - h * 0.4 * sq, Rgb{30, 50, 90}, 2.0);
  cell.Outline(Rgb{20, 40, 80});
}

void PaintWingedBossCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // The last boss: a pale figure with wide wings, one cell per facing.
  const int facing = spec.row;
  const Direction d = DirectionVector(facing);
  const double w = cell.width();
  const double h = cell.height();
  const double cx = w / 2 + d.dx * 2;
  const Rgb wing{210, 200, 255};
  const Rgb wing_dark{150, 130, 230};
  const Rgb robe{245, 245, 255};
  // Wings: two fans of three feathers each side.
  for (int side : {-1, 1}) {
    for (int k = 0; k < 3; ++k) {
      const double tip_x = cx + side * (w * 0.48 - k * 4);
      const double tip_y = h * (0.12 + 0.18 * k);
      cell.FillPolygon({{cx + side * 5, h * 0.35}, {tip_x, tip_y}, {tip_x - side * 6, tip_y + 10},
                        {cx + side * 5, h * 0.55}},
                       k % 2 == 0 ? wing : wing_dark);
    }
  }
  // Robe and head.
  cell.FillPolygon({{cx - 6, h * 0.35}, {cx + 6, h * 0.35}, {cx + 10, h * 0.95}, {cx - 10, h * 0.95}},
                   robe);
  cell.FillEllipse(cx, h * 0.22, 7, 7, Rgb{240, 230, 250});  // silver hair
  if (d.dy > -0.5) {
    cell.FillEllipse(cx + d.dx * 2, h * 0.25, 4.5, 4.5, Rgb{255, 225, 210});
    cell.FillRect(static_cast<int>(cx + d.dx * 3 - 3), static_cast<int>(h * 0.24), 2, 2, Rgb{150, 0, 60});
    cell.FillRect(static_cast<int>(cx + d.dx * 3 + 1), static_cast<int>(h * 0.24), 2, 2, Rgb{150, 0, 60});
  }
  // A halo.
  cell.Ring(cx, h * 0.08, 6, 4, Rgb{255, 220, 80});
  cell.Outline(Rgb{90, 40, 120});
}

void PaintKeyboardCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // The musician's floating keyboard; the lit key moves along the cells.
  const Rgb frame{60, 40, 30};
  cell.FillRoundRect(2, 8, 28, 18, 3, frame);
  for (int k = 0; k < 6; ++k) {
    const Rgb key = k == spec.column + 1 ? Rgb{255, 220, 60} : kWhite;
    cell.FillRect(4 + k * 4, 12, 3, 12, key);
  }
  for (int k = 0; k < 5; ++k)
    if (k != 2) cell.FillRect(6 + k * 4, 12, 2, 7, Rgb{20, 20, 20});
  cell.Outline(kInk);
}

void PaintShadowCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // Ground shadows, small to large.
  const double rx = 6 + 4 * spec.row;
  cell.FillEllipse(16, 22, rx, rx * 0.4, Rgb{35, 35, 45});
}

void PaintSaveFigureCell(Canvas& cell, const CellSpec& spec, std::string_view) {
  // The save-point keeper: a small figure bobbing inside a glowing ring.
  const double bob = (spec.column == 1 || spec.column == 2) ? -2 : 0;
  const Rgb glow = spec.column % 2 == 0 ? Rgb{120, 250, 220} : Rgb{200, 255, 240};
  cell.Ring(20, 20, 19, 16.5, glow);
  cell.FillPolygon({{14, 18 + bob}, {26, 18 + bob}, {29, 34 + bob}, {11, 34 + bob}}, Rgb{40, 160, 150});
  cell.FillEllipse(20, 13 + bob, 6.5, 6.5, Rgb{30, 120, 130});
  cell.FillEllipse(20, 15 + bob, 4.5, 4, Rgb{255, 225, 200});
  cell.FillRect(17, 14 + static_cast<int>(bob), 2, 2, Rgb{20, 20, 50});
  cell.FillRect(22, 14 + static_cast<int>(bob), 2, 2, Rgb{20, 20, 50});
  // The book of records held in front.
  cell.FillRect(15, 24 + static_cast<int>(bob), 10, 7, Rgb{250, 240, 200});
  cell.FillRect(19, 24 + static_cast<int>(bob), 2, 7, Rgb{150, 60, 40});
  // A sparkle that circles the ring.
  const Direction d = DirectionVector(spec.column * 2 + 1);
  cell.FillEllipse(20 + d.dx * 15, 20 + d.dy * 15, 2.5, 2.5, kWhite);
  cell.Outline(Rgb{10, 60, 60});
}
