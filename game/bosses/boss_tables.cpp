// The behaviours and the shot patterns by boss id.
#include "game/bosses/boss_kinds.h"
#include "game/bosses/bosses.h"

void (*boss_update_table[kBossKinds])() = {
    update_boss_0, update_boss_1, update_boss_2, update_boss_3, update_boss_4,
    update_boss_5, update_boss_6, update_boss_7, update_boss_8,
};

void (*boss_shot_update_table[kBossKinds])() = {
    update_boss_shots_0, update_boss_shots_1, update_boss_shots_2,
    update_boss_shots_3, update_boss_shots_4, update_boss_shots_5,
    update_boss_shots_6, update_boss_shots_7, update_boss_shots_8,
};
