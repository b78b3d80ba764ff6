// The map exit: once every player has waited out the stairs or is down, the
// party moves to the destination of the last stairs touched.
#include "game/areas/areas.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kStairsWait = 120;
constexpr int32_t kPartySquare = 32;  // players 1 to 3 arrive right, below, below right

bool waited_on_stairs(const player_data& record) {
  return record.on_stairs == 1 && record.stairs_counter >= kStairsWait;
}

// One player: waited, up or down. More: each has waited or is down, and at
// least one is up.
bool party_ready() {
  if (player_count == 1) return waited_on_stairs(player[0]);
  if (player_count < 2 || player_count > 4) return false;
  bool anyone_up = false;
  for (int32_t p = 0; p < player_count; ++p) {
    const player_data& record = player[p];
    if (!waited_on_stairs(record) && record.alive != 0) return false;
    if (record.alive != 0) anyone_up = true;
  }
  return anyone_up;
}

int32_t arrival_x(int32_t p) { return next_x + kPartySquare * (p % 2); }
int32_t arrival_y(int32_t p) { return next_y + kPartySquare * (p / 2); }

}  // namespace

void check_map_exit() {
  if (!party_ready()) return;

  present_map_number = next_area;
  present_map_floor = next_floor;
  // Downed players are moved too and stay down.
  for (int32_t p = 0; p < player_count; ++p) {
    player[p].X = static_cast<float>(arrival_x(p));
    player[p].Y = static_cast<float>(arrival_y(p));
  }
  // The new floor loads at the start of the next frame and fades in.
  area_entry_request = 1;
  fade_counter = 1;
  ApiStopSound(se_win);
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    record.on_stairs = 0;
    record.stairs_counter = 0;
    record.vx = 0.0f;
    record.vy = 0.0f;
  }
  // A lone player's camera follows the new position by itself.
  if (player_count >= 2) {
    for (int32_t p = 0; p < player_count; ++p) {
      camera_anchor_x[p] = arrival_x(p);
      camera_anchor_y[p] = arrival_y(p);
    }
  }
}
