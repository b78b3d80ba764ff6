// Bosses 2 to 8 until their own movements and volleys are written: they run
// the shared skeleton standing still, their shots only go through the common
// steps, and they can be beaten and leave their crystals.
#include "game/bosses/boss_kinds.h"
#include "game/bosses/boss_shot_pool.h"
#include "game/bosses/boss_skeleton.h"

namespace {

void stand() {}

bool no_step(int32_t) { return true; }

void stand_and_fight() { run_boss_behaviour(stand, TargetKey::kManhattan); }

void common_shot_steps(ShotBox box) { move_boss_shots(no_step, box); }

}  // namespace

void update_boss_2() { stand_and_fight(); }
void update_boss_3() { stand_and_fight(); }
void update_boss_4() { stand_and_fight(); }
void update_boss_5() { stand_and_fight(); }
void update_boss_6() { stand_and_fight(); }
void update_boss_7() { stand_and_fight(); }
void update_boss_8() { stand_and_fight(); }

void update_boss_shots_2() { common_shot_steps(ShotBox::kRowBox); }
void update_boss_shots_3() { common_shot_steps(ShotBox::kRowBox); }
void update_boss_shots_4() { common_shot_steps(ShotBox::kOwnBox); }
void update_boss_shots_5() { common_shot_steps(ShotBox::kOwnBox); }
void update_boss_shots_6() { common_shot_steps(ShotBox::kOwnBox); }
void update_boss_shots_7() { common_shot_steps(ShotBox::kOwnBox); }
void update_boss_shots_8() { common_shot_steps(ShotBox::kOwnBox); }
