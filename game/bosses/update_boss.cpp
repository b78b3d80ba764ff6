// The boss floor's per-frame boss update.
#include "game/bosses/bosses.h"

namespace {

bool is_boss_kind(int32_t id) { return id >= 0 && id < kBossKinds; }

}  // namespace

// The behaviour may change boss_id (it never does), so the shot pattern is
// looked up with the value read afresh. An id from the boss row that names no
// boss runs neither: the room then holds a boss that does nothing.
void update_boss() {
  if (is_boss_kind(boss_id)) boss_update_table[boss_id]();
  if (is_boss_kind(boss_id)) boss_shot_update_table[boss_id]();
}
