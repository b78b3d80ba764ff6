// The scene dispatcher: state 22 runs the routine of scene_number.
#include "game/scenes/boss_scenes.h"
#include "game/scenes/ending.h"
#include "game/scenes/first_boss_scenes.h"
#include "game/scenes/openings.h"
#include "game/scenes/scene_machinery.h"
#include "game/scenes/scenes.h"
#include "game/scenes/short_scenes.h"

void (*scene_table[kSceneSlots])() = {
    run_opening_alone_first,   // 100: runs as 101
    run_opening_alone_first,   // 101
    run_opening_alone_second,  // 102
    run_opening_both,          // 103
    run_blocked_path_right,    // 104
    run_first_boss_dialogue,   // 105
    run_keep_exploring,        // 106
    run_giant_toad_dialogue,   // 107
    run_ice_boss_fall,         // 108
    run_blocked_path_up,       // 109
    scene_110_gorlan,          // 110
    scene_111_bremonkal,       // 111
    scene_112_ludera,          // 112
    scene_113_orsenta,         // 113
    scene_114_wendel,          // 114
    scene_115_mobaki,          // 115
    scene_116_thessa,          // 116
    scene_117_nimbra,          // 117
    run_ending,                // 118
    run_trial_end,             // 119
    run_save_point,            // 120
};

void run_scene() {
  // The scene cells 121 and 122 (and any number a level file could hold
  // outside 100 to 120) have no slot: no call, back to play, nothing drawn.
  const int32_t slot = scene_number - 100;
  if (slot < 0 || slot >= kSceneSlots) {
    hand_back_to_play();
    return;
  }
  scene_table[slot]();
}
