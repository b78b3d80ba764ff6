// Area 13's moving blocks: platforms that follow timed routes across the
// pits of floors 1 to 7, carrying and holding the players who stand on
// them, while a player off them cannot step into a pit.
#include <algorithm>
#include <iterator>

#include "game/areas/areas.h"
#include "game/world/world.h"

namespace {

constexpr int32_t kBlockArea = 13;
constexpr int32_t kStopped = 255;
constexpr int32_t kUp = 0, kRight = 2, kDown = 4, kLeft = 6;
constexpr float kHalf = 47.0f;  // a block is 94 x 94

struct route_step {
  int32_t timer;
  int32_t direction;
};

// A hold of the player's next position inside the block: margin, and the
// pull-backs right, left, bottom, top (-1: that side is not held).
struct hold {
  int32_t margin;
  int32_t right, left, bottom, top;
};

constexpr route_step kShortRoute[] = {{0, kStopped}, {60, kRight}, {284, kStopped}, {344, kLeft}};
constexpr route_step kFloor6Route[] = {{0, kStopped},  {180, kLeft},   {692, kUp},
                                       {1268, kRight}, {1780, kStopped}, {2080, kLeft},
                                       {2592, kDown},  {3168, kRight}};
constexpr route_step kFloor7Route[] = {{0, kStopped},    {180, kLeft},  {948, kDown},
                                       {2132, kRight},   {3060, kUp},   {3540, kStopped},
                                       {3840, kDown},    {4320, kLeft}, {5248, kUp},
                                       {6432, kRight}};

constexpr hold kShortRight = {46, 1, 2, 1, 1};
constexpr hold kShortLeft = {46, 2, 1, 1, 1};
constexpr hold kStoppedYOnly = {47, -1, -1, 1, 1};  // floors 1 to 6
constexpr hold kFloor6Moving = {46, 1, 2, 1, 1};
constexpr hold kFloor7Moving = {45, 2, 2, 2, 2};
constexpr hold kFloor7FirstStop = {45, -1, 1, 1, 1};
constexpr hold kFloor7SecondStop = {45, 2, -1, 2, 2};
constexpr int32_t kFloor7SecondStopTimer = 3540;

struct floor_routes {
  const route_step* route;
  int32_t steps;
  int32_t cycle;
};

floor_routes routes_of(int32_t floor) {
  if (floor == 6) return {kFloor6Route, static_cast<int32_t>(std::size(kFloor6Route)), 3680};
  if (floor == 7) return {kFloor7Route, static_cast<int32_t>(std::size(kFloor7Route)), 7200};
  return {kShortRoute, static_cast<int32_t>(std::size(kShortRoute)), 568};
}

// The step of the route whose phase holds `timer`.
const route_step& phase_of(const floor_routes& r, int32_t timer) {
  int32_t k = 0;
  while (k + 1 < r.steps && r.route[k + 1].timer <= timer) ++k;
  return r.route[k];
}

const hold& hold_of(int32_t floor, const route_step& phase) {
  if (floor <= 5) {
    if (phase.direction == kStopped) return kStoppedYOnly;
    return phase.direction == kLeft ? kShortLeft : kShortRight;
  }
  if (floor == 6) return phase.direction == kStopped ? kStoppedYOnly : kFloor6Moving;
  if (phase.direction != kStopped) return kFloor7Moving;
  return phase.timer == kFloor7SecondStopTimer ? kFloor7SecondStop : kFloor7FirstStop;
}

void move_block(moving_block_data& block) {
  switch (block.direction) {
    case kUp:
      block.y -= 1.0f;
      break;
    case kRight:
      block.x += 1.0f;
      break;
    case kDown:
      block.y += 1.0f;
      break;
    case kLeft:
      block.x -= 1.0f;
      break;
    default:
      break;
  }
}

void hold_x(const moving_block_data& b, const player_data& r, float& vx, const hold& h) {
  const float m = static_cast<float>(h.margin);
  if (h.right >= 0 && r.X + vx > b.x + m) {
    vx = b.x + m - r.X - static_cast<float>(h.right);
  } else if (h.left >= 0 && r.X + vx < b.x - m) {
    vx = b.x - m - r.X + static_cast<float>(h.left);
  }
}

void hold_y(const moving_block_data& b, const player_data& r, float& vy, const hold& h) {
  const float m = static_cast<float>(h.margin);
  if (r.Y + vy > b.y + m) {
    vy = b.y + m - r.Y - static_cast<float>(h.bottom);
  } else if (r.Y + vy < b.y - m) {
    vy = b.y - m - r.Y + static_cast<float>(h.top);
  }
}

bool in_pit(int32_t floor, int32_t b, float x, float y) {
  if (floor <= 5) return b == 0 ? (x >= 258.0f && x <= 574.0f) : (x >= 1474.0f && x <= 1790.0f);
  if (floor == 6) return x <= 702.0f;
  return (x <= 958.0f && y <= 320.0f) || (x >= 1026.0f && y >= 800.0f);
}

}  // namespace

void update_moving_blocks(int32_t p) {
  if (present_map_number != kBlockArea) return;
  const int32_t floor = present_map_floor;
  if (floor < 1 || floor > 7) return;
  const floor_routes routes = routes_of(floor);
  const int32_t blocks = std::clamp(moving_block_count, 0, floor <= 5 ? 2 : 1);
  player_data& r = player[p];

  for (int32_t b = 0; b < blocks; ++b) {
    moving_block_data& block = moving_block[b];
    // Only player 0's call moves the blocks, before any test.
    if (p == 0) {
      for (int32_t k = 0; k < routes.steps; ++k) {
        if (block.timer == routes.route[k].timer) block.direction = routes.route[k].direction;
      }
      move_block(block);
    }

    const route_step& phase = phase_of(routes, block.timer);
    const bool moving = phase.direction != kStopped;
    // Stopped: the next x decides; moving: the current centre.
    const float x = moving ? r.X : r.X + r.vx;
    bool on_block = block.x - kHalf <= x && x <= block.x + kHalf;
    if (floor >= 6) on_block = on_block && block.y - kHalf <= r.Y && r.Y <= block.y + kHalf;

    const hold& h = hold_of(floor, phase);
    if (on_block) {
      if (moving) {
        if (phase.direction == kRight) r.vx += 1.0f;
        if (phase.direction == kLeft) r.vx -= 1.0f;
        if (phase.direction == kUp) r.vy -= 1.0f;
        if (phase.direction == kDown) r.vy += 1.0f;
        hold_x(block, r, r.vx, h);
        hold_y(block, r, r.vy, h);
      } else {
        // The player may walk off along x; floor 7 holds one x side.
        if (floor == 7) hold_x(block, r, r.vx, h);
        hold_y(block, r, r.vy, h);
      }
    } else if (in_pit(floor, b, r.X + r.vx, r.Y + r.vy)) {
      r.vx = 0.0f;  // only the x step
    }

    if (p == 0) block.timer = block.timer == routes.cycle - 1 ? 0 : block.timer + 1;
  }
}
