// Shot wall tests and bounces: bullets are tested against the wall cells one
// frame ahead; the caller moves the bullet by the step these leave.
#include "game/world/world.h"

namespace {

// Cell codes that stop bullets: 1 or less (code 2 stops only bodies).
constexpr int32_t kShotWallMax = 1;
constexpr int32_t kCellSize = 32;

// Coordinates are held within this before truncation, so the conversion
// stays defined; beyond it everything is outside the grid anyway.
constexpr float kFarAway = 1073741824.0f;  // 2^30

bool stops_shots(float x, float y) { return map_cell_at(x, y) <= kShotWallMax; }

// trunc(v) / 32, both toward zero.
int32_t cell_of(float v) {
  if (!(v >= -kFarAway)) v = -kFarAway;
  if (!(v <= kFarAway)) v = kFarAway;
  return static_cast<int32_t>(v) / kCellSize;
}

// The step that brings an upper or left edge 1 px past the wall cell's far edge.
float cut_to_far_edge(float probe, float edge) {
  return static_cast<float>((cell_of(probe) + 1) * kCellSize) - edge + 1.0f;
}

// The step that brings a lower or right edge 1 px short of the wall cell.
float cut_to_near_edge(float probe, float edge) {
  return static_cast<float>(cell_of(probe) * kCellSize) - edge - 1.0f;
}

// Mirror tables of the eight directions.
constexpr int32_t kMirrorVertical8[8] = {4, 3, 2, 1, 0, 7, 6, 5};    // off a ceiling or floor
constexpr int32_t kMirrorHorizontal8[8] = {0, 7, 6, 5, 4, 3, 2, 1};  // off a side wall

// Whether any corner of the box of half-extent `half` around (x, y), moved by
// (dx, dy), lies in a wall.
bool corners_in_wall(float x, float y, float dx, float dy, float half) {
  return stops_shots(x - half + dx, y - half + dy) || stops_shots(x + half + dx, y - half + dy) ||
         stops_shots(x + half + dx, y + half + dy) || stops_shots(x - half + dx, y + half + dy);
}

}  // namespace

void shot_hits_wall(float x, float y, float& vx, float& vy, int32_t& state, int32_t half) {
  const float h = static_cast<float>(half);
  const float top = y - h, bottom = y + h, left = x - h, right = x + h;

  // Vertical probes, at the unmoved x.
  if (stops_shots(left, top + vy) && vy < 0.0f) {
    vy = cut_to_far_edge(top + vy, top);
    state = 0;
  }
  if (stops_shots(right, top + vy) && vy < 0.0f) {
    vy = cut_to_far_edge(top + vy, top);
    state = 0;
  }
  if (stops_shots(right, bottom + vy) && vy > 0.0f) {
    vy = cut_to_near_edge(bottom + vy, bottom);
    state = 0;
  }
  if (stops_shots(left, bottom + vy) && vy > 0.0f) {
    vy = cut_to_near_edge(bottom + vy, bottom);
    state = 0;
  }
  // Horizontal probes, at the unmoved y.
  if (stops_shots(left + vx, top) && vx < 0.0f) {
    vx = cut_to_far_edge(left + vx, left);
    state = 0;
  }
  if (stops_shots(right + vx, top) && vx > 0.0f) {
    vx = cut_to_near_edge(right + vx, right);
    state = 0;
  }
  if (stops_shots(right + vx, bottom) && vx > 0.0f) {
    vx = cut_to_near_edge(right + vx, right);
    state = 0;
  }
  if (stops_shots(left + vx, bottom) && vx < 0.0f) {
    vx = cut_to_far_edge(left + vx, left);
    state = 0;
  }
}

int32_t reflect_on_walls8(float x, float y, float& vx, float& vy, int32_t& direction) {
  // The sign of the step is not looked at: a probe in a wall reflects.
  constexpr float kHalf = 2.0f;
  if (corners_in_wall(x, y, 0.0f, vy, kHalf)) {
    if (direction >= 0 && direction < 8) direction = kMirrorVertical8[direction];
    vy = -vy;
    return 1;
  }
  if (corners_in_wall(x, y, vx, 0.0f, kHalf)) {
    if (direction >= 0 && direction < 8) direction = kMirrorHorizontal8[direction];
    vx = -vx;
    return 1;
  }
  return 0;
}

void reflect_on_walls16(float x, float y, float& vx, float& vy, int32_t& direction) {
  constexpr float kHalf = 9.0f;
  if (corners_in_wall(x, y, 0.0f, vy, kHalf)) {
    if (direction >= 0 && direction < 16) direction = (16 + 8 - direction) % 16;
    vy = -vy;
    return;
  }
  if (corners_in_wall(x, y, vx, 0.0f, kHalf)) {
    if (direction >= 0 && direction < 16) direction = (16 - direction) % 16;
    vx = -vx;
  }
}
