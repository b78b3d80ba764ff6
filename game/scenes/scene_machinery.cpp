// The machinery every scene shares.
#include "game/scenes/scene_machinery.h"

#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

// actions indexes.
constexpr int32_t kDecide = 0;
constexpr int32_t kFastForward = 4;

constexpr int32_t kUp = 0, kRight = 2, kDown = 4, kLeft = 6;

constexpr int32_t kHeld = 1;
constexpr int32_t kNewlyPressed = 2;

constexpr int32_t kFirstWait = 90;
constexpr int32_t kWaitSpacing = 40;
constexpr int32_t kFirstPageShownFrom = 60;

// The message window.
constexpr int32_t kWindowX = 20, kWindowY = 368;
constexpr int32_t kSpeakX = 112, kSpeakY = 373;
constexpr int32_t kFaceX = 23, kFaceY = 371;
constexpr int32_t kLineX = 145;
constexpr int32_t kLineY[3] = {386, 411, 436};
constexpr int32_t kLabelX = 40, kLabelY = 410;
constexpr int32_t kWindowOpacity = 220;
constexpr int32_t kSpeakOpacity = 240;

void draw_window_images() {
  ApiSetBlendMode(1, kWindowOpacity);
  ApiDrawGraphicAt(kWindowX, kWindowY, message_window_img, 1);
  ApiSetBlendMode(1, kSpeakOpacity);
  ApiDrawGraphicAt(kSpeakX, kSpeakY, message_window_speak_img, 1);
  ApiSetBlendMode(0, 0);
}

void draw_line(int32_t x, int32_t y, const char* text, uint32_t colour) {
  ApiDrawTextWithFont(x, y, text, colour, message_font, 0, 0);
}

}  // namespace

int32_t& scene_counter(int32_t id) { return scene_vars.counter[id - 100]; }

int32_t& scene_played_word(int32_t id) { return progress_flags[id - 100]; }

scene_party current_scene_party() {
  bool first_side = false;
  bool second_side = false;
  for (int32_t p = 0; p < player_count; ++p) {
    if (player[p].alive == 0) continue;
    const int32_t character = player[p].character;
    if (character == 0 || character == 2) first_side = true;
    if (character == 1 || character == 3) second_side = true;
  }
  if (first_side && second_side) return kPartyBoth;
  if (first_side) return kPartyPelune;
  if (second_side) return kPartyOrven;
  return kPartyNone;
}

bool decide_pressed(int32_t p) { return player[p].actions[kDecide] == kNewlyPressed; }

bool fast_forward_held(int32_t p) { return player[p].actions[kFastForward] == kHeld; }

bool decide_or_fast_forward(int32_t p) { return decide_pressed(p) || fast_forward_held(p); }

int32_t scene_step() {
  // All four records, whatever player_count is.
  for (int32_t p = 0; p < 4; ++p) {
    if (fast_forward_held(p)) return 3;
  }
  return 1;
}

int32_t players_passing_wait() {
  int32_t count = 0;
  for (int32_t p = 0; p < player_count; ++p) {
    if (decide_or_fast_forward(p)) ++count;
  }
  return count;
}

void draw_field_under_frame(bool with_player_shots) {
  update_camera();
  draw_map_chips();
  draw_field_objects();
  if (with_player_shots) {
    draw_player_shots();
    draw_player_shot_fades();
  }
}

void draw_field_frame() {
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);
  draw_status();
}

void draw_frozen_field(bool with_player_shots) {
  draw_field_under_frame(with_player_shots);
  draw_field_frame();
}

void draw_dialogue_frame(int32_t face, const scene_page_text& text, int32_t line_count) {
  draw_window_images();
  ApiDrawGraphicAt(kFaceX, kFaceY, face, 1);
  const uint32_t black = ApiGetColorValue(0, 0, 0);
  for (int32_t i = 0; i < line_count && i < 3; ++i) {
    if (text.line[i] != nullptr) draw_line(kLineX, kLineY[i], text.line[i], black);
  }
}

void draw_label_page(const char* label, const char* line) {
  draw_window_images();
  draw_line(kLabelX, kLabelY, label, ApiGetColorValue(255, 255, 255));
  draw_line(kLineX, kLineY[0], line, ApiGetColorValue(0, 0, 0));
}

void walk_actor(scene_actor& actor, float speed) {
  switch (actor.direction) {
    case kUp:
      actor.y -= speed;
      break;
    case kRight:
      actor.x += speed;
      break;
    case kDown:
      actor.y += speed;
      break;
    case kLeft:
      actor.x -= speed;
      break;
    default:
      break;
  }
  actor.walk += 1;
}

void draw_actor(const int32_t* sheet, float x, float y, int32_t direction, int32_t walk) {
  const int32_t cell = walk / 16 + direction * 4;
  if (cell < 0 || cell >= 32) return;
  ApiDrawGraphicAt(held_sum(position_to_int(x), scroll_x, 48),
                   held_sum(position_to_int(y), scroll_y, -32), sheet[cell], 1);
}

void scene_fade_in(int32_t counter) {
  if (scene_vars.fade_in_level < 255) {
    scene_vars.fade_in_level = counter * 3;
  } else {
    scene_vars.fade_in_level = 255;
  }
  const int32_t level = scene_vars.fade_in_level;
  ApiSetDrawBrightness(level, level, level);
}

void scene_fade_out(int32_t& counter) {
  scene_fade_level += 10;
  // Values below 0 are clamped by the runtime: black from the fifth frame.
  if (scene_fade_level > 0) {
    const int32_t level = 255 - 6 * scene_fade_level;
    ApiSetDrawBrightness(level, level, level);
  }
  if (scene_fade_level > 255) {
    scene_fade_level = 0;
    ApiSetDrawBrightness(0, 0, 0);
    counter += 1;
  }
}

int32_t dialogue_wait(int32_t page) { return kFirstWait + kWaitSpacing * (page - 1); }

int32_t dialogue_page_first(int32_t page) { return page == 1 ? 1 : dialogue_wait(page - 1) + 1; }

int32_t dialogue_page_at(const scene_copy& copy, int32_t counter) {
  for (int32_t page = 1; page <= copy.page_count; ++page) {
    const int32_t first = page == 1 ? kFirstPageShownFrom : dialogue_page_first(page);
    if (first <= counter && counter < dialogue_wait(page) + 1) return page;
  }
  return 0;
}

void hand_back_to_play() { game_status = kStatusPlay; }

void draw_scene_page(const scene_copy& copy, int32_t page) {
  const scene_page& shown = copy.pages[page - 1];
  const scene_page_text& text = copy.text[page - 1];
  switch (shown.window) {
    case kFaceWindow:
      draw_dialogue_frame(*shown.face, text, shown.line_count);
      break;
    case kLabelWindow:
      draw_label_page(text.label, text.line[0]);
      break;
    case kNoWindow:
      break;
  }
}

namespace {

void set_first_frame_facings(const dialogue_scene& scene) {
  if (scene.first_frame_facing != kKeepFacing) {
    for (int32_t p = 0; p < player_count; ++p) player[p].facing = scene.first_frame_facing;
  }
  if (scene.first_frame_boss_facing != kKeepFacing) boss_facing = scene.first_frame_boss_facing;
}

// The page's window, then what else it does on every frame it shows.
void show_page(const dialogue_scene& scene, const scene_copy& copy, int32_t page) {
  const scene_page& shown = copy.pages[page - 1];
  draw_scene_page(copy, page);
  if (shown.music != 0) music_request = shown.music;
  if (shown.boss_anim != kKeepBossAnim) boss_anim = shown.boss_anim;
  if (scene.page_shown != nullptr) scene.page_shown(page);
}

}  // namespace

void run_dialogue_scene(const dialogue_scene& scene) {
  int32_t& word = scene_played_word(scene.id);
  if (word == 1) {
    hand_back_to_play();
    return;
  }
  const scene_party party = current_scene_party();
  if (party == kPartyNone) return;
  const scene_copy& copy = scene.copies[party];

  int32_t& counter = scene_counter(scene.id);
  if (counter == 0) {
    counter = 1;
    set_first_frame_facings(scene);
    if (scene.first_frame != nullptr) scene.first_frame();
  }

  // The blocks are separate tests, one after another: a wait passed in this
  // frame lets the next page's block add its step in the same frame.
  const int32_t step = scene_step();
  for (int32_t page = 1; page <= copy.page_count; ++page) {
    const int32_t wait = dialogue_wait(page);
    if (dialogue_page_first(page) <= counter && counter < wait) {
      counter += step;
      if (page == 1 && scene.block1 != nullptr) scene.block1();
    } else if (counter == wait) {
      counter += step * players_passing_wait();
    }
  }

  // Drawn after every block, so two pages never show in one frame.
  const int32_t page = dialogue_page_at(copy, counter);
  draw_field_under_frame(false);
  if (scene.over_field_objects != nullptr) scene.over_field_objects(page);
  draw_field_frame();
  if (page != 0) show_page(scene, copy, page);

  // Tested after drawing: the end frame shows the field without a page.
  if (counter >= dialogue_wait(copy.page_count) + 1) {
    counter = 0;
    hand_back_to_play();
    word = 1;
    boss_p_cnt = 0;
    if (scene.end != nullptr) scene.end();
  }
}
