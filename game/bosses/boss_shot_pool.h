// The work every boss shot pattern shares: moving, testing and ending the live
// shots of the pool, starting their vanish effects, and launching new shots
// into the lowest free slot.
#pragma once

#include <cstdint>

// Which box a pattern's shots meet the players with. Bosses 0 to 3 use the
// boss row's shot box; bosses 4 and up give each shot a box of its own, and
// their ended shots hand their kind on to the vanish effect.
enum class ShotBox : int32_t {
  kRowBox,
  kOwnBox,
};

// A pattern's own velocity rule for live slot i, called with the step cleared
// (a pattern that times its shots counts the age here). It may end the shot
// by setting its state to 0. False skips the rest of the common steps for the
// slot this frame (no hits, no wall test, no move, no vanish effect).
using ShotRule = bool (*)(int32_t i);

// The common steps of one frame. With the boss no longer active every slot is
// freed without a vanish effect and the result is false: the pattern fires
// nothing. Otherwise each slot in use, in slot order, is ended when drained,
// gets its step from `rule`, hurts at most one player, is cut at walls, moves
// and leaves a vanish effect when it ended; the result is true.
bool move_boss_shots(ShotRule rule, ShotBox box);

// The lowest free slot, or -1 when all 50 fly.
int32_t free_boss_shot_slot();
// Starts a shot in the lowest free slot at (x, y) with the power and the box
// given and age 0, and requests the shot sound. The direction, mode, aim and
// kind are the caller's to set. The slot, or -1 (no sound) when none is free.
int32_t launch_boss_shot(float x, float y, int32_t power, int32_t box_width, int32_t box_height);
// The same with the boss row's shot box, as bosses 0 to 3 fire.
int32_t launch_row_box_shot(float x, float y, int32_t power);

// Sets slot i's step from its direction (0 up, clockwise): `speed` on each
// axis it moves along, diagonals included. Another direction: no step.
void step_shot_by_direction(int32_t i, float speed);
// Sets slot i's step to `speed` times its aim vector.
void step_shot_by_aim(int32_t i, float speed);
