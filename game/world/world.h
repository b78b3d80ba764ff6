// Player and world objects: players, shots, collisions, items, rocks, moving
// blocks, generators, the enemy frame and shots, stairs, map exits, revival
// and the camera.
#pragma once

#include <cstdint>

// The record of one player; four of them in `player`. Records at or beyond
// `player_count` stay cleared.
struct player_data {
  int32_t character;  // 0 and 2 the first character, 1 and 3 the second (2, 3: second colours)
  int32_t alive;      // 1 up, 0 down
  int32_t on_stairs;  // 1 from touching stairs until the map exit
  int32_t level;      // +1 for each crystal taken
  float X, Y;         // the body's centre in map pixels
  float vx, vy;       // the step of this frame
  int32_t facing;     // 0 to 7 clockwise from up
  int32_t walk_anim;  // 0 to 63
  int32_t stairs_counter;
  int32_t stairs_look;
  int32_t hit_counter;
  int32_t revive_timer;
  int32_t boss_overlap;
  int32_t hp_max;
  int32_t hp;
  float agility;  // agility_base + agility_bonus, pixels a frame
  float agility_base;
  float agility_bonus;
  int32_t attack;  // attack_base + attack_bonus
  int32_t attack_base;
  int32_t attack_bonus;
  int32_t vitality;
  int32_t vitality_base;
  int32_t vitality_bonus;
  int32_t intelligence;
  int32_t intelligence_base;
  int32_t intelligence_bonus;
  int32_t spell1_stock;
  int32_t spell1_timer;
  int32_t spell1_length;
  int32_t spell2_stock;
  int32_t spell2_timer;
  int32_t spell2_length;
  int32_t reflect_timer;
  int32_t width;  // half-extents of the body box (also called box_w, box_h)
  int32_t height;
  int32_t shot_width;  // half-extents of the shot box (also called shot_box_w, shot_box_h)
  int32_t shot_height;
  // The two shot slots.
  int32_t shot_state[2];
  int32_t shot_power[2];
  float shot_x[2];
  float shot_y[2];
  float shot_vx[2];
  float shot_vy[2];
  int32_t shot_bounces[2];
  int32_t shot_direction[2];
  int32_t shot_anim[2];
  // The five shot vanish effects.
  int32_t shot_fade_alive[5];
  float shot_fade_x[5];
  float shot_fade_y[5];
  int32_t shot_fade_timer[5];
  int32_t shot_cooldown;
  int32_t pushed;
  int32_t drawn;
  int32_t pad_bits;         // the pad bit set of this frame
  int32_t pad_bits_before;  // the pad bit set of the previous frame
  // Up, right, down, left, then buttons 0 to 7: 0 up, 1 held, 2 newly pressed.
  int32_t input_state[12];
  int32_t action_button[5];  // configured button number of each action
  // State of each action's button (also called action_state): 0 shot and
  // decide, 1 and 2 the special attacks, 3 pause and revival, 4 panel toggle.
  int32_t actions[5];
  int32_t select_column;  // the player's column on the character choice
  int32_t crystal_taken[9];
  int32_t compact_panel;
};

extern player_data player[4];

// ---- Walls, cells and box collisions -----------------------------------------------
//
// A body moves in one frame by this scheme: its own logic writes its step
// (vx, vy); apply_floor_push adds the push of the floor under its centre;
// push_out_of_box cancels the step along an axis that would run into another
// body and hands that body a push of 3.0; stop_at_walls moves the body by what
// is left, clipped at wall cells.

// Cell codes of map_cell with a meaning of their own.
constexpr int32_t kWallCellMax = 2;  // 2 or less stops bodies (1 or less also shots)
constexpr int32_t kRevivalCell = 9;  // open floor that a revival beside a partner needs

// The cell code under map pixel (x, y). Outside the 65 x 65 grid: 0, a wall.
int32_t map_cell_at(float x, float y);
// Moves the body at (x, y) with half-extents (width, height) by its step,
// vertically first at the unmoved x, then horizontally at the new y. Moving up
// or left it stops flush with a wall cell, moving down or right 1.0 short of
// it. The step comes back holding only the corner nudges for the next frame
// (+-1.0 toward the free side when one leading corner caught a wall). 1 when
// any probe corner lay in a wall, whatever the step's direction.
int32_t stop_at_walls(float& x, float& y, float& vx, float& vy, int32_t width, int32_t height);
// Cancels the mover's step along y, then along x (tested with the y step as
// left), where the moved box would overlap the other box; an axis whose step
// is 0 is not tested. Unless no_push is 1, the other body's step gets 3.0 in
// the mover's direction and its pushed flag 1. The mover's position is not
// changed.
void push_out_of_box(float x, float y, float& vx, float& vy, int32_t width, int32_t height,
                     int32_t no_push, float other_x, float other_y, float& other_vx,
                     float& other_vy, int32_t other_width, int32_t other_height,
                     int32_t& other_pushed);
// The same; 1 when either axis met the other box, pushed or not.
int32_t push_out_of_box_hit(float x, float y, float& vx, float& vy, int32_t width, int32_t height,
                            int32_t no_push, float other_x, float other_y, float& other_vx,
                            float& other_vy, int32_t other_width, int32_t other_height,
                            int32_t& other_pushed);
// Adds the push of a push-floor cell (codes 10 to 57, units digit 0 to 7)
// under (x, y) to the step: the tens digit in pixels, on both axes for a
// diagonal.
void apply_floor_push(float x, float y, float& vx, float& vy);

// ---- Shot wall tests and bounces ------------------------------------------------
//
// A wall for bullets is a cell of code 1 or less. None of these moves the
// bullet: the caller adds the step afterwards.

// Cuts the step of a bullet of half-extent `half` at (x, y) so that its box
// ends 1 px inside the free cell next to a wall it would enter; every cut
// sets `state` to 0. Eight probes in a fixed order, each reading the step
// the earlier ones left; the horizontal ones at the unmoved y.
void shot_hits_wall(float x, float y, float& vx, float& vy, int32_t& state, int32_t half);
// Bounces an eight-direction bullet (half-extent 2.0): off a ceiling or
// floor first (vy negated, the direction mirrored), else off a side wall.
// 1 when it bounced.
int32_t reflect_on_walls8(float x, float y, float& vx, float& vy, int32_t& direction);
// The same for a sixteen-direction body of half-extent 9.0.
void reflect_on_walls16(float x, float y, float& vx, float& vy, int32_t& direction);

// ---- Power exchange ----------------------------------------------------------------

// A shot of power `power` hits a target of `target` hit points (or a bullet of
// that power): the target loses the power; the shot flies on with the
// difference when that is above 0, else it ends (state 0) keeping its power.
// Values that would leave the 32-bit range stop at its ends.
void power_exchange(int32_t& power, int32_t& state, int32_t& target);

// ---- Camera ----------------------------------------------------------------------

// Added to a map position when drawing: map pixel (x, y) is shown at screen
// (x + scroll_x + 64, y + scroll_y).
extern int32_t scroll_x;
extern int32_t scroll_y;
// The point the camera follows for each player, and the copies sorted for
// three or four players.
extern int32_t camera_anchor_x[4];
extern int32_t camera_anchor_y[4];
extern int32_t camera_sorted_x[4];
extern int32_t camera_sorted_y[4];
// The point the field is centred on (also called camera_center_x,
// camera_center_y); kept from frame to frame.
extern int32_t camera_centre_x;
extern int32_t camera_centre_y;

// ---- Stairs, map exit and revival ----------------------------------------------------

// The destination of the last stairs touched: area, floor and the arrival
// point of player 0.
extern int32_t next_area;
extern int32_t next_floor;
extern int32_t next_x;
extern int32_t next_y;
// 1 once a scene cell started a scene, until a player stands on a cell below 100.
extern int32_t scene_cell_latch;
// Where the last player went down: the revival point when nobody is up.
extern float down_x;
extern float down_y;

// Stairs row s: when player p's box meets its trigger and the player is not
// on stairs yet, puts the player on stairs with the row's exit look, makes
// the row's destination the party's and requests the map-change sound. On a
// boss floor nothing happens until the boss is beaten and every crystal
// taken; a row whose destination does not exist is no trigger.
void touch_stairs(int32_t p, int32_t s);
// Brings downed player p back beside a partner who is up (on the partner's
// spot, when a code-9 cell with free room lies on one of its sides), or where
// the last player fell when nobody is up, for one unit of revive_stock;
// refused with a sound when no place is found.
void revive_player(int32_t p);

// ---- Box half-extents shared by the collisions ----------------------------------------

extern int32_t stairs_box_w;  // 7
extern int32_t stairs_box_h;
extern int32_t generator_box_w;  // 15
extern int32_t generator_box_h;
extern int32_t movable_rock_box_w;  // 14
extern int32_t movable_rock_box_h;

// ---- Enemy timers --------------------------------------------------------------------

// 0 idle; the holly item sets 1, and while it runs (up to 999) every enemy's
// step and facing are reversed.
extern int32_t holly_counter;
// Play frames counted towards the floor's death_appear_time.
extern int32_t death_appear_counter;

// ---- Moving blocks ----------------------------------------------------------------------

struct moving_block_data {
  float x;  // centre in map pixels
  float y;
  int32_t direction;  // 0 up, 2 right, 4 down, 6 left, 255 stopped
  int32_t timer;      // frames into the block's cycle
};

constexpr int32_t kMovingBlockSlots = 8;
extern moving_block_data moving_block[kMovingBlockSlots];
extern int32_t moving_block_count;
// On area 13's floors 1 to 7: player 0's call moves the blocks along their
// routes; every call carries or holds player p on a block, or keeps it out of
// the pits. Changes only p's step and the blocks.
void update_moving_blocks(int32_t p);

// ---- Floor items (parallel arrays, the current floor's copy of its item rows) ---------

constexpr int32_t kFloorItemSlots = 16;
extern int32_t floor_item_count;
extern float floor_item_x[kFloorItemSlots];
extern float floor_item_y[kFloorItemSlots];
extern int32_t floor_item_present[kFloorItemSlots];
extern int32_t floor_item_kind[kFloorItemSlots];  // 100 is the breakable rock
extern int32_t floor_item_hp[kFloorItemSlots];
extern int32_t floor_item_width[kFloorItemSlots];  // half-extents of the box
extern int32_t floor_item_height[kFloorItemSlots];
extern float floor_item_push_vx[kFloorItemSlots];  // the item's step of this frame
extern float floor_item_push_vy[kFloorItemSlots];
extern int32_t floor_item_pushed[kFloorItemSlots];
extern int32_t floor_item_hit_blink[kFloorItemSlots];
extern int32_t floor_item_vanish[kFloorItemSlots];
extern int32_t floor_item_anim[kFloorItemSlots];

// ---- Dropped items (parallel arrays, two slots) -----------------------------------------

constexpr int32_t kDroppedItemSlots = 2;
extern int32_t dropped_item_present[kDroppedItemSlots];
extern int32_t dropped_item_kind[kDroppedItemSlots];
extern float dropped_item_x[kDroppedItemSlots];
extern float dropped_item_y[kDroppedItemSlots];
extern float dropped_item_push_vx[kDroppedItemSlots];
extern float dropped_item_push_vy[kDroppedItemSlots];
extern int32_t dropped_item_hp[kDroppedItemSlots];
extern int32_t dropped_item_width[kDroppedItemSlots];
extern int32_t dropped_item_height[kDroppedItemSlots];
extern int32_t dropped_item_pushed[kDroppedItemSlots];
extern int32_t dropped_item_hit_blink[kDroppedItemSlots];
extern int32_t dropped_item_vanish[kDroppedItemSlots];
extern int32_t dropped_item_anim[kDroppedItemSlots];

// ---- Items: pickups and the item body ------------------------------------------------

// Item kinds with a rule of their own outside the pickups.
constexpr int32_t kItemBossCrystalFirst = 11;  // boss 0's crystal; boss k's is 11 + k
constexpr int32_t kItemBossCrystalLast = 19;
constexpr int32_t kItemBreakableRock = 100;

// Player `p` takes floor item i: 1 when taken or not there, 0 when refused
// (a statistic at its cap, a boss's second crystal, a kind that cannot be
// taken). A taken item leaves the floor, and its table row unless it is a
// boss crystal.
int32_t pick_up_floor_item(int32_t p, int32_t i);
// The same for dropped-item slot 0 or 1; only kinds 0 to 8 can be taken.
int32_t pick_up_dropped_item(int32_t p, int32_t slot);
// A player's step (vx, vy) against floor item i: the y part, then the x part
// with the y part as it then stands, tries the pickup where the moved box
// would meet the item's; where the pickup refuses, that part of the step is
// cancelled and, unless the player was pushed, the item gets 3.0 of push.
void collide_floor_item(float x, float y, float& vx, float& vy, int32_t w, int32_t h, int32_t p,
                        int32_t player_pushed, float item_x, float item_y, float& item_push_vx,
                        float& item_push_vy, int32_t item_w, int32_t item_h,
                        int32_t& item_pushed, int32_t i);
// The same against dropped-item slot `slot`.
void collide_dropped_item(float x, float y, float& vx, float& vy, int32_t w, int32_t h, int32_t p,
                          int32_t player_pushed, float item_x, float item_y,
                          float& item_push_vx, float& item_push_vy, int32_t item_w,
                          int32_t item_h, int32_t& item_pushed, int32_t slot);
// One frame of an item's body: the push floor under it, bumps against players,
// enemies (a rolling rock it meets is destroyed), placed hazards but for kinds
// 2 and 4, generators, movable rocks, the floor items and dropped items but
// itself (own_floor_item or own_dropped_item, -1 for none), then the wall
// move; its pushed flag is cleared last.
void step_item_body(float& x, float& y, float& push_vx, float& push_vy, int32_t width,
                    int32_t height, int32_t& pushed, int32_t own_floor_item,
                    int32_t own_dropped_item);

// ---- Procedures of the play frame ---------------------------------------------------------

// Player input, movement, cell effects and scene triggers; may set the pause
// (42), game over (43) or scene (22) state.
void update_players();
void update_player_shots();
void update_player_spells();
void update_enemies();
void update_enemy_shots();
void update_set_enemies();
void update_floor_items();
void update_dropped_items();
void update_movable_rocks();
void update_generators();
void update_camera();
// Moves the party to the stairs' destination once every player has waited
// on stairs or is down; sets area_entry_request and fade_counter.
void check_map_exit();
