// The scene dispatcher: state 22 runs the routine of scene_number.
#include "game/scenes/openings.h"
#include "game/scenes/scene_machinery.h"
#include "game/scenes/scenes.h"

namespace {

// Scenes whose routines are not written yet hand straight back to play,
// drawing nothing.
void scene_not_built() { hand_back_to_play(); }

}  // namespace

void (*scene_table[kSceneSlots])() = {
    run_opening_alone_first,   // 100: runs as 101
    run_opening_alone_first,   // 101
    run_opening_alone_second,  // 102
    run_opening_both,          // 103
    scene_not_built,           // 104
    scene_not_built,           // 105
    scene_not_built,           // 106
    scene_not_built,           // 107
    scene_not_built,           // 108
    scene_not_built,           // 109
    scene_not_built,           // 110
    scene_not_built,           // 111
    scene_not_built,           // 112
    scene_not_built,           // 113
    scene_not_built,           // 114
    scene_not_built,           // 115
    scene_not_built,           // 116
    scene_not_built,           // 117
    scene_not_built,           // 118
    scene_not_built,           // 119
    scene_not_built,           // 120
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
