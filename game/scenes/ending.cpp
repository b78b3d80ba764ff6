// The ending rolls its narration up a black screen, fades in the ending
// room, plays its last pages with its own figures and effects, shows the
// end image, fades out and returns to the title. The trial end is a short
// dialogue that returns to the title the same way.
#include "game/scenes/ending.h"

#include <algorithm>
#include <climits>

#include "game/areas/areas.h"
#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/scenes/scene_text.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

// ---- Page tables -----------------------------------------------------------------

namespace {

const scene_page k118Pelune[5] = {
    {&pelune_smile01_img, 2, 0}, {&pelune_normal_img, 1, 0}, {&pelune_normal_img, 1, 0},
    {&pelune_smile01_img, 2, 0}, {&pelune_smile02_img, 1, 0},
};
const scene_page k118Orven[11] = {
    {&orven_worry_img, 1, 0},    {&pelune_smile02_img, 1, 0}, {&orven_smile_img, 2, 0},
    {&orven_worry_img, 1, 0},    {&pelune_normal_img, 2, 0},  {&orven_angry_img, 2, 0},
    {&pelune_normal_img, 1, 0},  {&orven_smile_img, 2, 0},    {&pelune_smile02_img, 3, 0},
    {&pelune_smile02_img, 2, 0}, {&orven_smile_img, 2, 0},
};
const scene_page k118Both[10] = {
    // The talk in the room.
    {&orven_worry_img, 1, 0}, {&orven_smile_img, 1, 0}, {&pelune_normal_img, 1, 0},
    {&orven_worry_img, 1, 0}, {&pelune_smile02_img, 3, 0}, {&orven_angry_img, 1, 0},
    {&pelune_normal_img, 2, 0},
    // After the first character's walk.
    {&pelune_smile03_img, 1, 0}, {&orven_angry_img, 1, 0}, {&orven_worry_img, 1, 0},
};

const scene_page k119Pelune[3] = {
    {&pelune_normal_img, 1, 0}, {&pelune_smile02_img, 1, 0}, {&pelune_smile02_img, 1, 0},
};
const scene_page k119Orven[3] = {
    {&orven_smile_img, 1, 0}, {&orven_smile_img, 1, 0}, {&orven_smile_img, 1, 0},
};
const scene_page k119Both[6] = {
    {&pelune_smile01_img, 3, 0}, {&orven_worry_img, 2, 0},  {&pelune_normal_img, 1, 0},
    {&pelune_smile02_img, 1, 0}, {&orven_smile_img, 1, 0},  {&pelune_smile02_img, 1, 0},
};

}  // namespace

const scene_copy scene118_copies[3] = {
    {k118Pelune, scene118_pelune_text, 5},
    {k118Orven, scene118_orven_text, 11},
    {k118Both, scene118_both_text, 10},
};
const scene_copy scene119_copies[3] = {
    {k119Pelune, scene119_pelune_text, 3},
    {k119Orven, scene119_orven_text, 3},
    {k119Both, scene119_both_text, 6},
};

namespace {

constexpr int32_t kEndingId = 118;
constexpr int32_t kTrialEndId = 119;

constexpr int32_t kUp = 0, kRight = 2, kDown = 4, kLeft = 6;
constexpr int32_t kHouseMusic = 2;
constexpr int32_t kFull = 255;
constexpr int32_t kWaitSpacing = 40;
constexpr int32_t kWalkCycle = 64;
constexpr int32_t kDecideAction = 0;

// ---- Copies ------------------------------------------------------------------------

// A roll line: its x and its start offset (drawn at y = start - counter).
struct roll_line {
  int32_t x;
  int32_t start;
};
const roll_line kRollPelune[5] = {{0, 500}, {0, 700}, {0, 750}, {0, 900}, {0, 950}};
const roll_line kRollOrven[5] = {{0, 500}, {0, 700}, {0, 900}, {0, 950}, {0, 1150}};
const roll_line kRollBoth[6] = {{0, 500}, {8, 700}, {0, 750}, {0, 950}, {0, 1000}, {0, 1150}};

struct ending_copy {
  const roll_line* roll;
  const char* const* roll_text;
  int32_t roll_lines;
  int32_t roll_end;         // the roll runs while the counter is at most this
  int32_t end_image_from;   // ending_end_img from here to the end
  int32_t fade_out_from;    // the brightness falls from here to the end
  int32_t end;
};
const ending_copy kEndingCopies[3] = {
    {kRollPelune, scene118_pelune_roll, 5, 1400, 2400, 2651, 3000},
    {kRollOrven, scene118_orven_roll, 5, 1600, 2500, 2651, 3000},
    {kRollBoth, scene118_both_roll, 6, 1600, 2900, 3100, 3400},
};

// ---- Stages ------------------------------------------------------------------------

constexpr int32_t kFirstActor = 0;   // the first character, dot_pelune_img3248
constexpr int32_t kSecondActor = 1;  // the second character, dot_orven_img3248
constexpr int32_t kNoActor = -1;
constexpr int32_t kKeep = -1;

// One counter range (both ends included) and what it does.
struct ending_stage {
  int32_t first;
  int32_t last;
  int32_t actor;      // kFirstActor, kSecondActor or kNoActor
  int32_t direction;  // the actor's new direction, or kKeep
  bool walks;         // the actor moves along its direction at the speed
  bool places;        // the actor is put at (x, y) first
  float x, y;
  int32_t figure_direction;  // the standing figure's new direction, or kKeep
  bool adds;                 // the range adds the step
};

// A group of pages, their waits every 40 from the first page's: the first
// page shows from `first` to its wait, every later one from the wait
// before it + 1 to its own; at a wait each pressing player adds the step.
struct page_group {
  int32_t first;
  int32_t first_wait;
  int32_t first_page;  // index into the copy's page table
  int32_t count;
};

constexpr float kOutOfSight = 999.0f;

// Pelune only.
constexpr ending_stage kPeluneRoom = {1401, 1600, kNoActor, kKeep, false, false, 0, 0, kKeep, true};
constexpr page_group kPelunePages = {1601, 1640, 0, 5};
constexpr ending_stage kPeluneAfterPages = {1801, 2999, kNoActor, kKeep, false, false, 0, 0, kKeep, true};

// Orven only: the second character comes in and walks up to the first.
constexpr ending_stage kOrvenStages[] = {
    {1601, 1750, kSecondActor, kUp, false, true, 368.0f, 336.0f, kDown, true},
    {1751, 1910, kSecondActor, kUp, true, false, 0, 0, kKeep, true},
    {1911, 1942, kSecondActor, kLeft, false, false, 0, 0, kKeep, true},
    {1943, 1972, kNoActor, kKeep, false, false, 0, 0, kRight, true},
};
constexpr page_group kOrvenPages = {1973, 2010, 0, 11};
constexpr ending_stage kOrvenClosing = {2411, 3000, kNoActor, kKeep, false, false, 0, 0, kKeep, true};

// Both: the two stand face to face, then each walks out of the room.
constexpr ending_stage kBothMeeting[] = {
    {1601, 1750, kFirstActor, kRight, false, true, 190.0f, 160.0f, kKeep, false},
    {1601, 1750, kSecondActor, kLeft, false, true, 240.0f, 160.0f, kKeep, true},
};
constexpr page_group kBothTalk = {1751, 1790, 0, 7};
constexpr ending_stage kBothFirstWalk[] = {
    {2031, 2130, kFirstActor, kDown, true, false, 0, 0, kKeep, true},
    {2131, 2330, kFirstActor, kRight, true, false, 0, 0, kKeep, true},
    {2331, 2400, kFirstActor, kDown, true, false, 0, 0, kKeep, true},
};
constexpr page_group kBothLastPages = {2401, 2440, 7, 3};
constexpr ending_stage kBothFirstGone = {2441, INT_MAX, kFirstActor, kKeep, false, true, kOutOfSight,
                                         kOutOfSight, kKeep, false};
constexpr ending_stage kBothSecondWalk[] = {
    {2521, 2670, kSecondActor, kRight, true, false, 0, 0, kKeep, true},
    {2671, 2840, kSecondActor, kDown, true, false, 0, 0, kKeep, true},
    {2841, INT_MAX, kSecondActor, kKeep, false, true, kOutOfSight, kOutOfSight, kKeep, true},
};

void run_stage(const ending_stage& stage, int32_t& counter, int32_t step, float speed) {
  if (counter < stage.first || counter > stage.last) return;
  if (stage.actor != kNoActor) {
    scene_actor& actor = scene_vars.actor[stage.actor];
    if (stage.places) {
      actor.x = stage.x;
      actor.y = stage.y;
    }
    if (stage.direction != kKeep) actor.direction = stage.direction;
    if (stage.walks) {
      walk_actor(actor, speed);
      if (actor.walk == kWalkCycle) actor.walk = 0;
    }
  }
  if (stage.figure_direction != kKeep) scene_vars.ending_figure_direction = stage.figure_direction;
  if (stage.adds) counter += step;
}

template <size_t N>
void run_stages(const ending_stage (&stages)[N], int32_t& counter, int32_t step, float speed) {
  for (const ending_stage& stage : stages) run_stage(stage, counter, step, speed);
}

int32_t group_wait(const page_group& group, int32_t k) {
  return group.first_wait + kWaitSpacing * (k - 1);
}

int32_t group_page_first(const page_group& group, int32_t k) {
  return k == 1 ? group.first : group_wait(group, k - 1) + 1;
}

// The blocks of a group's pages, as separate tests one after another.
void run_page_group(const page_group& group, int32_t& counter, int32_t step) {
  for (int32_t k = 1; k <= group.count; ++k) {
    const int32_t wait = group_wait(group, k);
    if (group_page_first(group, k) <= counter && counter < wait) {
      counter += step;
    } else if (counter == wait) {
      counter += step * players_passing_wait();
    }
  }
}

// The page of the group whose range holds the counter, or -1.
int32_t group_page_at(const page_group& group, int32_t counter) {
  for (int32_t k = 1; k <= group.count; ++k) {
    if (group_page_first(group, k) <= counter && counter <= group_wait(group, k)) {
      return group.first_page + k - 1;
    }
  }
  return -1;
}

void run_counter_rules(scene_party party, int32_t& counter, int32_t step, float speed) {
  switch (party) {
    case kPartyPelune:
      run_stage(kPeluneRoom, counter, step, speed);
      run_page_group(kPelunePages, counter, step);
      run_stage(kPeluneAfterPages, counter, step, speed);
      break;
    case kPartyOrven:
      run_stages(kOrvenStages, counter, step, speed);
      run_page_group(kOrvenPages, counter, step);
      run_stage(kOrvenClosing, counter, step, speed);
      break;
    default:
      run_stages(kBothMeeting, counter, step, speed);
      run_page_group(kBothTalk, counter, step);
      run_stages(kBothFirstWalk, counter, step, speed);
      run_page_group(kBothLastPages, counter, step);
      run_stage(kBothFirstGone, counter, step, speed);
      run_stages(kBothSecondWalk, counter, step, speed);
      break;
  }
}

// ---- Roll, brightness and effects -------------------------------------------------------

void draw_roll(const ending_copy& copy, int32_t counter) {
  const uint32_t white = ApiGetColorValue(255, 255, 255);
  for (int32_t i = 0; i < copy.roll_lines; ++i) {
    ApiDrawTextWithFont(copy.roll[i].x, copy.roll[i].start - counter, copy.roll_text[i], white,
                        roll_font, 0, 0);
  }
}

// The room fades in over the 119 counter units after the roll and out over
// its last ones, one level a frame, so with fast-forward the screen is not
// yet dark when the scene ends.
constexpr int32_t kFadeInLength = 120;

void run_brightness(const ending_copy& copy, int32_t counter) {
  int32_t& level = scene_vars.ending_brightness;
  bool changed = false;
  if (copy.roll_end + 1 <= counter && counter < copy.roll_end + kFadeInLength) {
    level = level < kFull ? (counter - copy.roll_end - 1) * 3 : kFull;
    changed = true;
  }
  if (copy.fade_out_from <= counter && counter <= copy.end) {
    level = std::max(level - 1, 0);
    changed = true;
  }
  if (changed) ApiSetDrawBrightness(level, level, level);
}

// Pelune only: the two effects play on any frame of their ranges on which
// they are not already playing.
constexpr int32_t kPowerUpFrom = 2040, kPowerUpTo = 2044;
constexpr int32_t kPotionFrom = 2100, kPotionTo = 2104;

void play_if_not_playing(int32_t sound) {
  if (ApiIsSoundPlaying(sound) == 0) ApiPlaySound(sound, 1, 1);
}

void play_pelune_effects(int32_t counter) {
  if (kPowerUpFrom <= counter && counter <= kPowerUpTo) play_if_not_playing(collectpowerup);
  if (kPotionFrom <= counter && counter <= kPotionTo) play_if_not_playing(se_potion);
}

// ---- Drawing -------------------------------------------------------------------------

// Pelune only: the first character's figure, facing down, then stretched
// large while the flash fades.
constexpr int32_t kFigureFacingDown = 16;
constexpr int32_t kFigureGrowsAt = 2100;
constexpr int32_t kFlashRiseFrom = 1901, kFlashRiseTo = 2100;
constexpr int32_t kFlashFadeFrom = 2101, kFlashFadeTo = 2400;

void draw_pelune_figure(int32_t counter) {
  const int32_t figure = dot_pelune_img3248[kFigureFacingDown];
  if (counter < kFigureGrowsAt) {
    ApiDrawGraphicAt(230, 150, figure, 1);
  } else {
    ApiDrawGraphicStretched(100, 0, 400, 300, figure, 1);
  }
}

void draw_flash(int32_t counter) {
  int32_t& level = scene_vars.ending_flash;
  bool shown = false;
  if (kFlashRiseFrom <= counter && counter <= kFlashRiseTo) {
    level = level < kFull ? (counter - kFlashRiseFrom) * 3 : kFull;
    shown = true;
  }
  if (kFlashFadeFrom <= counter && counter <= kFlashFadeTo) {
    level = std::max(level - 1, 0);
    shown = true;
  }
  if (!shown) return;
  ApiSetBlendMode(1, level);
  ApiDrawRectangle(0, 0, 640, 480, ApiGetColorValue(255, 255, 255), 1);
  ApiSetBlendMode(0, 0);
}

void draw_figures(scene_party party, int32_t counter) {
  const scene_actor& first = scene_vars.actor[kFirstActor];
  const scene_actor& second = scene_vars.actor[kSecondActor];
  switch (party) {
    case kPartyPelune:
      draw_pelune_figure(counter);
      break;
    case kPartyOrven:
      // The first character stands still at a fixed place on the screen.
      ApiDrawGraphicAt(230, 152, dot_pelune_img3248[scene_vars.ending_figure_direction * 4], 1);
      draw_actor(dot_orven_img3248, second.x, second.y, second.direction, second.walk);
      break;
    default:
      draw_actor(dot_pelune_img3248, first.x, first.y, first.direction, first.walk);
      draw_actor(dot_orven_img3248, second.x, second.y, second.direction, second.walk);
      break;
  }
}

// Orven only: the closing lines over an opaque message window.
constexpr int32_t kClosingFrom = 2411, kClosingTo = 3000;

void draw_closing_lines(int32_t counter) {
  if (counter < kClosingFrom || counter > kClosingTo) return;
  ApiDrawGraphicAt(20, 368, message_window_img, 0);
  const uint32_t white = ApiGetColorValue(255, 255, 255);
  ApiDrawTextWithFont(40, 395, scene118_closing[0], white, message_font, 0, 0);
  ApiDrawTextWithFont(40, 425, scene118_closing[1], white, message_font, 0, 0);
}

void draw_ending_page(scene_party party, int32_t counter) {
  int32_t page = -1;
  switch (party) {
    case kPartyPelune:
      page = group_page_at(kPelunePages, counter);
      break;
    case kPartyOrven:
      page = group_page_at(kOrvenPages, counter);
      break;
    default:
      page = std::max(group_page_at(kBothTalk, counter), group_page_at(kBothLastPages, counter));
      break;
  }
  if (page >= 0) draw_scene_page(scene118_copies[party], page + 1);
}

void draw_room(scene_party party, const ending_copy& copy, int32_t counter) {
  update_camera();
  draw_map_chips();
  draw_figures(party, counter);
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);
  if (party == kPartyPelune) draw_flash(counter);
  draw_ending_page(party, counter);
  if (party == kPartyOrven) draw_closing_lines(counter);
  if (copy.end_image_from <= counter && counter <= copy.end) {
    ApiDrawGraphicAt(200, 150, ending_end_img, 1);
  }
}

// ---- Ends ---------------------------------------------------------------------------

// The title's state, then the item tables, boss rows, settings and save
// slots read again. The reset clears the played words again, so the word
// set just before does not survive.
void go_back_to_title() {
  game_status = kStatusTitle;
  menu_cursor = 1;
  reset_game();
  load_item_data();
  load_settings();
}

void end_ending(scene_party party, int32_t& counter) {
  scene_vars.ending_flash = 0;
  scene_vars.ending_brightness = 0;
  counter = 0;
  scene_played_word(kEndingId) = 1;
  boss_p_cnt = 0;
  if (party != kPartyPelune) {
    scene_vars.actor[kFirstActor] = scene_actor{};
    scene_vars.actor[kSecondActor] = scene_actor{};
  }
  ApiSetDrawBrightness(kFull, kFull, kFull);
  go_back_to_title();
}

// The trial end's own end, after the dialogue's: the decide actions are
// cleared so the press that ended it does not also choose on the title,
// which fades in.
void end_trial() {
  for (int32_t p = 0; p < player_count; ++p) player[p].actions[kDecideAction] = 0;
  go_back_to_title();
  fade_counter += 1;
}

const dialogue_scene kTrialEnd = {
    kTrialEndId, {scene119_copies[0], scene119_copies[1], scene119_copies[2]},
    nullptr, nullptr, nullptr, end_trial,
    kDown, kDown,
};

}  // namespace

void run_ending() {
  if (scene_played_word(kEndingId) == 1) {
    hand_back_to_play();
    return;
  }
  const scene_party party = current_scene_party();
  if (party == kPartyNone) return;
  const ending_copy& copy = kEndingCopies[party];
  int32_t& counter = scene_counter(kEndingId);
  if (counter == 0) {
    for (int32_t p = 0; p < player_count; ++p) player[p].facing = kDown;
    boss_facing = kDown;
    counter = 1;
  }
  const int32_t step = scene_step();
  const float speed = step == 3 ? 3.0f : 1.0f;

  // The roll: the narration lines alone on black, until the counter passes
  // its end (the frame it does goes on below).
  if (1 <= counter && counter <= copy.roll_end) {
    draw_roll(copy, counter);
    counter += step;
    if (counter <= copy.roll_end) return;
  }

  if (copy.roll_end + 10 <= counter && counter < copy.roll_end + 15 && music_request != kHouseMusic) {
    music_request = kHouseMusic;
  }
  run_counter_rules(party, counter, step, speed);
  run_brightness(copy, counter);
  if (party == kPartyPelune) play_pelune_effects(counter);
  draw_room(party, copy, counter);

  if (counter >= copy.end) end_ending(party, counter);
}

void run_trial_end() { run_dialogue_scene(kTrialEnd); }
