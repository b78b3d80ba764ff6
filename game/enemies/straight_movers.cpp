// Enemies that follow no player: the straight movers, each along its own
// axis, and the bee along one of sixteen directions kept in its facing.
#include "game/enemies/behaviour_common.h"
#include "game/enemies/enemy_kinds.h"

namespace {

// Direction codes of the straight movers' steps.
constexpr int32_t kUp = 0;
constexpr int32_t kRight = 2;
constexpr int32_t kDown = 4;
constexpr int32_t kLeft = 6;

// One component at full speed; the facing is never written.
void move_straight(int32_t slot, int32_t direction) {
  enemy_data& e = enemy[slot];
  step_along(e, direction, e.speed);
}

// The bee's step by its facing, sixteen directions clockwise from up, as
// factors of its speed on each axis.
struct BeeStep {
  float x, y;
};
constexpr BeeStep kBeeSteps[16] = {
    {0.0f, -1.0f}, {0.4f, -0.9f},  {0.75f, -0.75f},  {0.9f, -0.4f},
    {1.0f, 0.0f},  {0.9f, 0.4f},   {0.75f, 0.75f},   {0.4f, 0.9f},
    {0.0f, 1.0f},  {-0.4f, 0.9f},  {-0.75f, 0.75f},  {-0.9f, 0.4f},
    {-1.0f, 0.0f}, {-0.9f, -0.4f}, {-0.75f, -0.75f}, {-0.4f, -0.9f},
};

void run_bee(int32_t slot) {
  enemy_data& e = enemy[slot];
  if (e.facing < 0 || e.facing > 15) return;
  const BeeStep step = kBeeSteps[e.facing];
  e.vx = e.speed * step.x;
  e.vy = e.speed * step.y;
}

}  // namespace

void update_enemy_kind_10(int32_t slot) { move_straight(slot, kUp); }
void update_enemy_kind_11(int32_t slot) { move_straight(slot, kRight); }
void update_enemy_kind_12(int32_t slot) { move_straight(slot, kDown); }
void update_enemy_kind_13(int32_t slot) { move_straight(slot, kLeft); }
void update_enemy_kind_14(int32_t slot) { move_straight(slot, kUp); }
void update_enemy_kind_15(int32_t slot) { move_straight(slot, kRight); }
void update_enemy_kind_16(int32_t slot) { move_straight(slot, kDown); }
void update_enemy_kind_17(int32_t slot) { move_straight(slot, kLeft); }

void update_enemy_kind_18(int32_t slot) { run_bee(slot); }
