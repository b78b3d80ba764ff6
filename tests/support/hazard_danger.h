// Where a placed hazard of the sample set can hurt: the boxes of offsets
// from the hazard (open: left < dx < right, top < dy < bottom) inside which a
// player's centre is hurt at some tick of its cycle. Shared by the checks of
// the generated level files and the planned route through them.
#pragma once

#include <vector>

struct DangerBox {
  float left, right, top, bottom;
};

// Along the hazard's direction (variant % 10: 0 up, 2 right, 4 down, 6 left)
// from `near` to `far`, and within `half` across it.
inline DangerBox DangerAlong(int variant, float near, float far, float half) {
  switch (variant % 10) {
    case 0:
      return {-half, half, -far, -near};
    case 2:
      return {near, far, -half, half};
    case 4:
      return {-half, half, near, far};
    default:
      return {-far, -near, -half, half};
  }
}

// Every box a hazard of `kind` hurts in over its cycle: a fire's base and its
// column of up to 150 pixels, a vine's base and its shoot of up to 155, a
// korone's and a needle's own boxes, and the whole way of a bookshelf that
// slides up to 128 pixels out with a box of up to 47 to each side.
inline std::vector<DangerBox> HazardDanger(int kind, int variant) {
  switch (kind) {
    case 0:
      return {{-26, 26, -26, 26}, DangerAlong(variant, -26, 150, 23)};
    case 1:
      return {{-24, 24, -28, 28}, DangerAlong(variant, -28, 155, 16)};
    case 2:
      return {{-12, 12, -14, 14}};
    case 3:
      return {DangerAlong(variant, -47, 128 + 47, 47)};
    default:
      return {{-19, 19, -22, 12}};
  }
}
