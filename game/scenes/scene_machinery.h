// The machinery every scene shares: played flags, the party test, the
// counter's step and waits, the frozen field, the message window, actors,
// fades, and the dialogue timeline that most scenes follow.
#pragma once

#include <cstdint>

#include "game/scenes/scenes.h"

// ---- Text -------------------------------------------------------------------

// The lines of one page (one to three; unused lines are null), and the
// speaker's name of a label page.
struct scene_page_text {
  const char* line[3];
  const char* label = nullptr;
};

// ---- Flags, party and input ------------------------------------------------

// The frame counter of scene `id` (100 to 120).
int32_t& scene_counter(int32_t id);
// The played word of scene `id`: word id - 100 of progress_flags.
int32_t& scene_played_word(int32_t id);

// Which copy of a scene runs: by the sides of the living players.
enum scene_party : int32_t {
  kPartyNone = -1,    // no living player of either side
  kPartyPelune = 0,   // only the first character's side (characters 0 and 2)
  kPartyOrven = 1,    // only the second character's side (1 and 3)
  kPartyBoth = 2,
};
scene_party current_scene_party();

// 3 while the fast-forward action of any of the four records is held (1),
// else 1. A newly pressed fast-forward does not count.
int32_t scene_step();
bool decide_pressed(int32_t p);  // decide newly pressed
bool fast_forward_held(int32_t p);
bool decide_or_fast_forward(int32_t p);
// The number of players below player_count who pressed decide or hold
// fast-forward: each adds one step at a wait.
int32_t players_passing_wait();

// ---- Drawing -------------------------------------------------------------------

// The field behind the message window: camera, map chips, objects (and the
// player shots for the push scenes), the frame image and the status display.
void draw_frozen_field(bool with_player_shots);
// Its two halves, for scenes that draw between the objects and the frame
// image: the camera, map chips, objects (and player shots)...
void draw_field_under_frame(bool with_player_shots);
// ...then the frame image and the status display.
void draw_field_frame();
// The message window with a face and `line_count` lines of `text`.
void draw_dialogue_frame(int32_t face, const scene_page_text& text, int32_t line_count);
// The message window with a speaker's name in white in place of a face,
// then one line.
void draw_label_page(const char* label, const char* line);
// Moves the actor `speed` px along its direction (0 up, 2 right, 4 down,
// 6 left; others stay) and adds 1 to its walk counter, which the caller
// wraps at 64.
void walk_actor(scene_actor& actor, float speed);
// One frame of a 32 x 48 walking figure of `sheet` at map (x, y).
void draw_actor(const int32_t* sheet, float x, float y, int32_t direction, int32_t walk);

// ---- Fades ----------------------------------------------------------------------

// One frame of an opening's fade-in at `counter`, with scene_vars.fade_in_level.
void scene_fade_in(int32_t counter);
// One frame of the fade-out on the scene's fade value: scene_fade_level
// rises by 10 and the brightness falls; on the 26th frame the level is 0
// again, the screen black and the counter moves on by 1.
void scene_fade_out(int32_t& counter);

// ---- The dialogue timeline -------------------------------------------------------

// Waits of the dialogue timeline: 90 for the first page, then every 40.
int32_t dialogue_wait(int32_t page);  // page 1, 2, ...

// What the message window of a page shows.
enum scene_page_window : int32_t {
  kFaceWindow,   // a face and one to three lines
  kLabelWindow,  // the speaker's name in white in place of a face, then one line
  kNoWindow,     // nothing: the scene draws the page itself
};

constexpr int32_t kKeepBossAnim = -1;
constexpr int32_t kKeepFacing = -1;

struct scene_page {
  const int32_t* face;  // the face image's handle global; null without a face
  int32_t line_count;   // 1 to 3 (0 for a page without a window)
  int32_t music;        // music_request set on every frame the page shows; 0 none
  int32_t boss_anim = kKeepBossAnim;  // boss_anim set on every frame the page shows
  scene_page_window window = kFaceWindow;
};

// One party copy: its pages and their texts.
struct scene_copy {
  const scene_page* pages;
  const scene_page_text* text;
  int32_t page_count;
};

struct dialogue_scene {
  int32_t id;  // 100 to 120
  // Pelune only, orven only, both.
  scene_copy copies[3];
  // Optional steps of the scene's own (null: none).
  void (*first_frame)();          // once, when the counter becomes 1
  void (*block1)();               // every frame of the first page's block
  void (*page_shown)(int32_t page);  // every frame page `page` is shown, after its lines
  void (*end)();                  // what the scene adds at its end
  // Set once on the first frame, before first_frame runs: the facing of
  // every player record below player_count, alive or not, and boss_facing.
  int32_t first_frame_facing = kKeepFacing;
  int32_t first_frame_boss_facing = kKeepFacing;
  // Drawn between the field's objects and its frame image, with the page
  // whose range holds the counter (0 for none).
  void (*over_field_objects)(int32_t page) = nullptr;
};

// The window of page `page` (1-based) of `copy`, as its page table says.
void draw_scene_page(const scene_copy& copy, int32_t page);

// The page of `copy` whose range holds `counter` (page 1 from 60, page k
// while the counter lies between the wait before it and its own wait); 0
// for none.
int32_t dialogue_page_at(const scene_copy& copy, int32_t counter);
// The first counter value of page `page`'s block (the wait before it + 1).
int32_t dialogue_page_first(int32_t page);

// One frame of a dialogue scene: played test, party test, first frame, the
// counter blocks with their waits, the frozen field, the page of the
// counter, and the end.
void run_dialogue_scene(const dialogue_scene& scene);

// The end of every scene that leaves to play: game_status 21.
void hand_back_to_play();
