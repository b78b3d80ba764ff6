// Walls, cells and box collisions: the routines through which everything that
// moves on the play field meets wall cells, push floors and other bodies.
#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kCellSize = 32;
constexpr int32_t kOutsideGrid = 0;  // what a lookup outside the grid answers: a wall

// Push floors: codes 10 to 57 whose units digit is a direction 0 to 7.
constexpr int32_t kPushFloorFirst = 10;
constexpr int32_t kPushFloorLast = 57;
constexpr int32_t kLastDirection = 7;

constexpr float kPush = 3.0f;   // what a bump hands the other body
constexpr float kNudge = 1.0f;  // the corner-slide nudge left in the step

// Positions far beyond any map are clamped before they are truncated, so the
// conversion to an integer stays defined; they are outside the grid either way.
constexpr float kFarAway = 1073741824.0f;  // 2^30

// The cell index of a map coordinate: truncated toward zero, then divided by
// 32 toward zero (so -31 to 31 all give 0).
int32_t cell_index(float v) {
  if (!(v >= -kFarAway)) v = -kFarAway;
  if (!(v <= kFarAway)) v = kFarAway;
  return static_cast<int32_t>(v) / kCellSize;
}

bool is_wall(float x, float y) { return map_cell_at(x, y) <= kWallCellMax; }

// Where a step up (or left) stops: the probe's cell's far edge less the
// body's leading edge.
float step_to_far_edge(float probe, float leading_edge) {
  return static_cast<float>(kCellSize * (cell_index(probe) + 1)) - leading_edge;
}

// Where a step down (or right) stops: 1.0 short of the probe's cell's near edge.
float step_to_near_edge(float probe, float leading_edge) {
  return static_cast<float>(kCellSize * cell_index(probe)) - leading_edge - kNudge;
}

}  // namespace

int32_t map_cell_at(float x, float y) {
  const int32_t column = cell_index(x);
  const int32_t row = cell_index(y);
  if (column < 0 || column >= kMapGridSize || row < 0 || row >= kMapGridSize) return kOutsideGrid;
  return map_cell[row][column];
}

int32_t stop_at_walls(float& x, float& y, float& vx, float& vy, int32_t width, int32_t height) {
  const float vx0 = vx;
  const float vy0 = vy;
  float dx = vx0;
  float dy = vy0;
  vx = 0.0f;
  vy = 0.0f;
  int32_t hit = 0;

  // Vertical pass at the unmoved x: the two top corners, then the two bottom
  // ones, each moved by the vertical step.
  const float left = x - static_cast<float>(width);
  const float right = x + static_cast<float>(width);
  const float top = y - static_cast<float>(height);
  const float bottom = y + static_cast<float>(height);
  const float top_probe = top + vy0;
  const float bottom_probe = bottom + vy0;
  if (is_wall(left, top_probe)) {
    hit = 1;
    if (vy0 < 0.0f) {
      dy = step_to_far_edge(top_probe, top);
      vx += kNudge;
    }
  }
  if (is_wall(right, top_probe)) {
    hit = 1;
    if (vy0 < 0.0f) {
      dy = step_to_far_edge(top_probe, top);
      vx -= kNudge;
    }
  }
  if (is_wall(right, bottom_probe)) {
    hit = 1;
    if (vy0 > 0.0f) {
      dy = step_to_near_edge(bottom_probe, bottom);
      vx -= kNudge;
    }
  }
  if (is_wall(left, bottom_probe)) {
    hit = 1;
    if (vy0 > 0.0f) {
      dy = step_to_near_edge(bottom_probe, bottom);
      vx += kNudge;
    }
  }
  y += dy;

  // Horizontal pass at the new y: top-left, top-right, bottom-right,
  // bottom-left, each moved by the horizontal step.
  const float new_top = y - static_cast<float>(height);
  const float new_bottom = y + static_cast<float>(height);
  const float left_probe = left + vx0;
  const float right_probe = right + vx0;
  if (is_wall(left_probe, new_top)) {
    hit = 1;
    if (vx0 < 0.0f) {
      dx = step_to_far_edge(left_probe, left);
      vy += kNudge;
    }
  }
  if (is_wall(right_probe, new_top)) {
    hit = 1;
    if (vx0 > 0.0f) {
      dx = step_to_near_edge(right_probe, right);
      vy += kNudge;
    }
  }
  if (is_wall(right_probe, new_bottom)) {
    hit = 1;
    if (vx0 > 0.0f) {
      dx = step_to_near_edge(right_probe, right);
      vy -= kNudge;
    }
  }
  if (is_wall(left_probe, new_bottom)) {
    hit = 1;
    if (vx0 < 0.0f) {
      dx = step_to_far_edge(left_probe, left);
      vy -= kNudge;
    }
  }
  x += dx;

  return hit;
}

int32_t push_out_of_box_hit(float x, float y, float& vx, float& vy, int32_t width, int32_t height,
                            int32_t no_push, float other_x, float other_y, float& other_vx,
                            float& other_vy, int32_t other_width, int32_t other_height,
                            int32_t& other_pushed) {
  int32_t met = 0;

  if (vy != 0.0f &&
      rects_overlap(x, y + vy, width, height, other_x, other_y, other_width, other_height) == 1) {
    met = 1;
    const float push = vy < 0.0f ? -kPush : kPush;
    vy = 0.0f;
    if (no_push == 0) {
      other_vy += push;
      other_pushed = 1;
    }
  }

  // Tested with the vertical step as it now stands: a cancelled one puts the
  // sideways test at the unmoved y.
  if (vx != 0.0f &&
      rects_overlap(x + vx, y + vy, width, height, other_x, other_y, other_width, other_height) ==
          1) {
    met = 1;
    const float push = vx < 0.0f ? -kPush : kPush;
    vx = 0.0f;
    if (no_push == 0) {
      other_vx += push;
      other_pushed = 1;
    }
  }

  return met;
}

void push_out_of_box(float x, float y, float& vx, float& vy, int32_t width, int32_t height,
                     int32_t no_push, float other_x, float other_y, float& other_vx,
                     float& other_vy, int32_t other_width, int32_t other_height,
                     int32_t& other_pushed) {
  push_out_of_box_hit(x, y, vx, vy, width, height, no_push, other_x, other_y, other_vx, other_vy,
                      other_width, other_height, other_pushed);
}

void apply_floor_push(float x, float y, float& vx, float& vy) {
  const int32_t code = map_cell_at(x, y);
  if (code < kPushFloorFirst || code > kPushFloorLast) return;
  const int32_t direction = code % 10;
  if (direction > kLastDirection) return;

  // A diagonal pushes the full speed on both axes.
  const float s = static_cast<float>(code / 10);
  switch (direction) {
    case 0: vy -= s; break;
    case 1: vx += s; vy -= s; break;
    case 2: vx += s; break;
    case 3: vx += s; vy += s; break;
    case 4: vy += s; break;
    case 5: vx -= s; vy += s; break;
    case 6: vx -= s; break;
    case 7: vx -= s; vy -= s; break;
  }
}
