// Scene procedures that do nothing yet: every scene hands straight back to
// play and draws nothing, so a new game reaches its first floor.
#include "game/scenes/scenes.h"
#include "game/shell/shell.h"

namespace {
void back_to_play() { game_status = kStatusPlay; }
}  // namespace

void (*scene_table[21])() = {back_to_play, back_to_play, back_to_play, back_to_play,
                             back_to_play, back_to_play, back_to_play, back_to_play,
                             back_to_play, back_to_play, back_to_play, back_to_play,
                             back_to_play, back_to_play, back_to_play, back_to_play,
                             back_to_play, back_to_play, back_to_play, back_to_play,
                             back_to_play};

void run_scene() { back_to_play(); }
