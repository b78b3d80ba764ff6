// The three openings: the home floor with one or two walking actors drawn
// by the scene itself, a fade-in, the pages, a fade-out, and the players put
// where the actors stand before play begins.
#include "game/scenes/openings.h"

#include <iterator>

#include "game/draw/draw.h"
#include "game/scenes/scene_machinery.h"
#include "game/scenes/scene_text.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

// ---- Page tables -----------------------------------------------------------------

const opening_page scene101_pages[3] = {
    {660, 720, &pelune_normal_img, 2, kDecideEachAddsOne},
    {721, 780, &pelune_normal_img, 2, kDecideEachAddsOne},
    {781, 840, &pelune_smile02_img, 1, kDecideOrForwardEachAddsOne},
};

const opening_page scene102_pages[5] = {
    {180, 240, &orven_angry_img, 2, kPlayerZeroAddsStep},
    {400, 460, &orven_angry_img, 1, kPlayerZeroAddsStep},
    {700, 760, &orven_worry_img, 1, kPlayerZeroAddsStep},
    {761, 820, &orven_worry_img, 1, kPlayerZeroAddsStep},
    {821, 880, &orven_smile_img, 2, kPlayerZeroAddsOne},
};

const opening_page scene103_pages[13] = {
    {440, 480, &orven_angry_img, 3, kDecideOrForwardEachAddsStep},
    {650, 690, &pelune_smile02_img, 3, kDecideOrForwardEachAddsStep},
    {691, 730, &orven_angry_img, 1, kDecideOrForwardEachAddsStep},
    {731, 770, &pelune_smile01_img, 1, kDecideOrForwardEachAddsStep},
    {910, 950, &pelune_normal_img, 1, kDecideOrForwardEachAddsStep},
    {951, 990, &orven_smile_img, 1, kDecideOrForwardEachAddsStep},
    {991, 1030, &pelune_smile02_img, 1, kDecideOrForwardEachAddsStep},
    {1031, 1070, &orven_worry_img, 1, kDecideOrForwardEachAddsStep},
    {1071, 1110, &pelune_smile01_img, 2, kDecideOrForwardEachAddsStep},
    {1111, 1150, &orven_angry_img, 2, kDecideOrForwardEachAddsStep},
    {1151, 1190, &pelune_smile02_img, 1, kDecideOrForwardEachAddsStep},
    {1191, 1230, &orven_worry_img, 1, kDecideOrForwardEachAddsStep},
    {1231, 1270, &pelune_smile02_img, 1, kDecideOrForwardEachAddsOne},
};

namespace {

constexpr int32_t kFirstActor = 0;   // drawn with the first character's sheet
constexpr int32_t kSecondActor = 1;  // drawn with the second character's sheet
constexpr int32_t kNoActor = -1;
constexpr int32_t kKeepDirection = -1;

constexpr int32_t kUp = 0, kRight = 2, kDown = 4, kLeft = 6;

// Where the second character comes in.
constexpr float kArrivalX = 368.0f, kArrivalY = 336.0f;
// Where the party places of a second player lie from the actor.
constexpr float kPartnerOffset = 64.0f;

constexpr int32_t kFadeInEnd = 120;  // the fade-in runs for counters 1 to 119

// One counter range of an opening and what it does to its actor.
struct opening_stage {
  int32_t first;  // counter range, both ends included
  int32_t last;
  int32_t actor;      // kFirstActor, kSecondActor or kNoActor
  int32_t direction;  // kKeepDirection leaves it
  bool walks;         // moves along its direction at the actor's speed
  bool arrives;       // first puts the actor at the arrival point
  bool adds;          // false where the page of the range moves the counter
};

// Scene 101 runs two chains: a counter that leaves the first one's last
// range enters the second one's first range in the same frame.
constexpr opening_stage kAloneFirstChain1[] = {
    {1, 119, kFirstActor, kRight, true, false, true},
    {120, 179, kFirstActor, kDown, false, false, true},
    {180, 299, kFirstActor, kLeft, true, false, true},
    {300, 359, kFirstActor, kDown, false, false, true},
};
constexpr opening_stage kAloneFirstChain2[] = {
    {360, 479, kFirstActor, kRight, true, false, true},
    {480, 539, kFirstActor, kDown, false, false, true},
    {540, 599, kFirstActor, kLeft, true, false, true},
    {600, 659, kFirstActor, kDown, false, false, true},
    {660, 840, kFirstActor, kDown, false, false, false},
};

constexpr opening_stage kAloneSecond[] = {
    {1, 119, kSecondActor, kKeepDirection, false, false, true},
    {120, 179, kSecondActor, kUp, false, true, true},
    {180, 240, kSecondActor, kUp, false, false, false},
    {241, 399, kSecondActor, kUp, true, false, true},
    {400, 460, kSecondActor, kLeft, false, false, false},
    {461, 579, kSecondActor, kLeft, true, false, true},
    {580, 609, kSecondActor, kDown, false, false, true},
    {610, 639, kSecondActor, kRight, false, false, true},
    {640, 669, kSecondActor, kLeft, false, false, true},
    {670, 699, kSecondActor, kDown, false, false, true},
    {700, 880, kSecondActor, kDown, false, false, false},
};

// Scene 103: the waits are not stages; their pages' ranges between the
// waits only add the step.
constexpr opening_stage kBoth[] = {
    {1, 119, kFirstActor, kRight, true, false, true},
    {120, 139, kFirstActor, kRight, false, false, true},
    {140, 199, kFirstActor, kDown, false, false, true},
    {200, 219, kFirstActor, kLeft, false, false, true},
    {220, 339, kFirstActor, kLeft, true, false, true},
    {340, 359, kFirstActor, kLeft, false, false, true},
    {360, 439, kFirstActor, kDown, false, false, true},
    {440, 479, kSecondActor, kUp, false, true, true},
    {481, 587, kSecondActor, kUp, true, false, true},
    {588, 619, kSecondActor, kLeft, false, false, true},
    {620, 649, kFirstActor, kRight, false, false, true},
    {650, 689, kNoActor, kKeepDirection, false, false, true},
    {691, 729, kNoActor, kKeepDirection, false, false, true},
    {731, 769, kNoActor, kKeepDirection, false, false, true},
    {771, 849, kFirstActor, kDown, false, false, true},
    {850, 909, kFirstActor, kRight, false, false, true},
    {910, 949, kNoActor, kKeepDirection, false, false, true},
    {951, 989, kNoActor, kKeepDirection, false, false, true},
    {991, 1029, kNoActor, kKeepDirection, false, false, true},
    {1031, 1069, kNoActor, kKeepDirection, false, false, true},
    {1071, 1109, kNoActor, kKeepDirection, false, false, true},
    {1111, 1149, kNoActor, kKeepDirection, false, false, true},
    {1151, 1189, kNoActor, kKeepDirection, false, false, true},
    {1191, 1229, kNoActor, kKeepDirection, false, false, true},
    {1231, 1269, kNoActor, kKeepDirection, false, false, true},
};

struct opening_timing {
  int32_t fade_out;  // the counter held during the fade-out
  int32_t end;
};
constexpr opening_timing kAloneFirstTiming = {841, 842};
constexpr opening_timing kAloneSecondTiming = {881, 882};
constexpr opening_timing kBothTiming = {1271, 1272};

// Below these the held fast-forward speeds an opening up, so that it never
// carries the counter past the last wait.
constexpr int32_t kAloneFirstForwardBelow = 835;
constexpr int32_t kAloneSecondForwardBelow = 873;
constexpr int32_t kBothForwardBelow = 1263;

// Runs the first stage of `chain` that holds the counter; `speed` is per actor.
template <size_t N>
void run_stages(const opening_stage (&chain)[N], int32_t& counter, const float speed[2],
                int32_t add) {
  for (const opening_stage& stage : chain) {
    if (counter < stage.first || counter > stage.last) continue;
    if (stage.actor != kNoActor) {
      scene_actor& actor = scene_vars.actor[stage.actor];
      if (stage.arrives) {
        actor.x = kArrivalX;
        actor.y = kArrivalY;
      }
      if (stage.direction != kKeepDirection) actor.direction = stage.direction;
      if (stage.walks) walk_actor(actor, speed[stage.actor]);
    }
    if (stage.adds) counter += add;
    return;
  }
}

void wrap_walk_counters() {
  for (scene_actor& actor : scene_vars.actor) {
    if (actor.walk == 64) actor.walk = 0;
  }
}

int32_t wait_addition(opening_wait_rule rule, int32_t step) {
  int32_t add = 0;
  switch (rule) {
    case kDecideEachAddsOne:
      for (int32_t p = 0; p < player_count; ++p) {
        if (decide_pressed(p)) add += 1;
      }
      break;
    case kDecideOrForwardEachAddsOne:
      add = players_passing_wait();
      break;
    case kPlayerZeroAddsStep:
      if (decide_or_fast_forward(0)) add = step;
      break;
    case kPlayerZeroAddsOne:
      if (decide_or_fast_forward(0)) add = 1;
      break;
    case kDecideOrForwardEachAddsStep:
      add = step * players_passing_wait();
      break;
  }
  return add;
}

void draw_page(const opening_page& page, const scene_page_text& text) {
  draw_dialogue_frame(*page.face, text, page.line_count);
}

// Scenes 101 and 102: the page whose range holds the counter is drawn and
// moves the counter on, or waits; true when a page ran (the call ends there).
template <size_t N>
bool run_pages_alone(const opening_page (&pages)[N], const scene_page_text* text,
                     int32_t& counter, int32_t add, int32_t step) {
  for (size_t i = 0; i < N; ++i) {
    const opening_page& page = pages[i];
    if (page.first <= counter && counter < page.wait) {
      draw_page(page, text[i]);
      counter += add;
      return true;
    }
    if (counter == page.wait) {
      draw_page(page, text[i]);
      counter += wait_addition(page.rule, step);
      return true;
    }
  }
  return false;
}

void draw_opening_field() {
  update_camera();
  draw_map_chips();
}

// The end of an opening: the fade-in level and the counter back to 0, the
// players placed (by `place`), the actors cleared, the played word set and
// play faded in.
void end_opening(int32_t id, int32_t& counter, void (*place)()) {
  scene_vars.fade_in_level = 0;
  counter = 0;
  place();
  scene_vars.actor[0] = scene_actor{};
  scene_vars.actor[1] = scene_actor{};
  scene_played_word(id) = 1;
  hand_back_to_play();
  for (int32_t p = 0; p < player_count; ++p) player[p].facing = kDown;
  fade_counter = 1;
}

// Player 0 at the actor, player 1 to its left.
void place_beside(const scene_actor& actor) {
  player[0].X = actor.x;
  player[0].Y = actor.y;
  player[1].X = actor.x - kPartnerOffset;
  player[1].Y = actor.y;
}

void place_alone_first() { place_beside(scene_vars.actor[kFirstActor]); }
void place_alone_second() { place_beside(scene_vars.actor[kSecondActor]); }

bool first_side(int32_t character) { return character == 0 || character == 2; }

void place_both() {
  const scene_actor& first = scene_vars.actor[kFirstActor];
  const scene_actor& second = scene_vars.actor[kSecondActor];
  for (int32_t p = 0; p < player_count; ++p) {
    player_data& record = player[p];
    switch (record.character) {
      case 0:
        record.X = first.x;
        record.Y = first.y;
        break;
      case 2:
        record.X = first.x;
        record.Y = first.y + kPartnerOffset;
        break;
      case 1:
        record.X = second.x;
        record.Y = second.y;
        break;
      case 3:
        record.X = second.x;
        record.Y = second.y + kPartnerOffset;
        break;
      default:
        break;
    }
  }
}

void follow_single_actor(const scene_actor& actor) {
  player[0].X = actor.x;
  player[0].Y = actor.y;
}

bool forward_by_first_two() { return fast_forward_held(0) || fast_forward_held(1); }

bool forward_by_any() {
  for (int32_t p = 0; p < 4; ++p) {
    if (fast_forward_held(p)) return true;
  }
  return false;
}

}  // namespace

void run_opening_alone_first() {
  constexpr int32_t kId = 101;
  if (scene_played_word(kId) == 1) {
    hand_back_to_play();
    return;
  }
  int32_t& counter = scene_counter(kId);
  scene_actor& actor = scene_vars.actor[kFirstActor];
  if (counter == 0) {
    actor.x = 176.0f;
    actor.y = 176.0f;
    counter = 1;
  }

  // Fast-forward here moves the counter 5 more and walks faster; the stages
  // still add 1 each, so the path differs from the one at normal speed.
  float speed = 0.5f;
  if (forward_by_first_two() && counter < kAloneFirstForwardBelow) {
    counter += 5;
    speed = 2.5f;
  }
  const float speeds[2] = {speed, speed};
  if (1 <= counter && counter < kFadeInEnd) scene_fade_in(counter);
  run_stages(kAloneFirstChain1, counter, speeds, 1);
  run_stages(kAloneFirstChain2, counter, speeds, 1);
  wrap_walk_counters();
  follow_single_actor(actor);

  draw_opening_field();
  draw_actor(dot_pelune_img3248, actor.x, actor.y, actor.direction, actor.walk);
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);

  if (run_pages_alone(scene101_pages, scene101_text, counter, 1, 1)) return;
  if (counter == kAloneFirstTiming.fade_out) {
    scene_fade_out(counter);
    return;
  }
  if (counter >= kAloneFirstTiming.end) end_opening(kId, counter, place_alone_first);
}

void run_opening_alone_second() {
  constexpr int32_t kId = 102;
  if (scene_played_word(kId) == 1) {
    hand_back_to_play();
    return;
  }
  int32_t& counter = scene_counter(kId);
  scene_actor& actor = scene_vars.actor[kSecondActor];
  if (counter == 0) {
    actor.x = 800.0f;
    actor.y = 800.0f;
    counter = 1;
  }

  int32_t step = 1;
  float speed = 1.0f;
  if (forward_by_first_two() && counter < kAloneSecondForwardBelow) {
    step = 6;
    speed = 6.0f;
  }
  const float speeds[2] = {speed, speed};
  if (1 <= counter && counter < kFadeInEnd) scene_fade_in(counter);
  run_stages(kAloneSecond, counter, speeds, step);
  wrap_walk_counters();
  follow_single_actor(actor);

  draw_opening_field();
  draw_actor(dot_orven_img3248, actor.x, actor.y, actor.direction, actor.walk);
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);

  if (run_pages_alone(scene102_pages, scene102_text, counter, step, step)) return;
  if (counter == kAloneSecondTiming.fade_out) {
    scene_fade_out(counter);
    return;
  }
  if (counter >= kAloneSecondTiming.end) end_opening(kId, counter, place_alone_second);
}

void run_opening_both() {
  constexpr int32_t kId = 103;
  if (scene_played_word(kId) == 1) {
    hand_back_to_play();
    return;
  }
  int32_t& counter = scene_counter(kId);
  scene_actor& first = scene_vars.actor[kFirstActor];
  scene_actor& second = scene_vars.actor[kSecondActor];
  if (counter == 0) {
    first.x = 176.0f;
    first.y = 176.0f;
    second.x = 999.0f;
    second.y = 999.0f;
    counter = 1;
  }

  int32_t step = 1;
  float speed = 1.0f;
  if (forward_by_any() && counter < kBothForwardBelow) {
    step = 6;
    speed = 6.0f;
  }
  // The first actor walks at half the speed, the second at one and a half.
  const float speeds[2] = {0.5f * speed, 1.5f * speed};
  if (1 <= counter && counter < kFadeInEnd) scene_fade_in(counter);

  // Stages, waits and pages are independent tests: the page drawn is the one
  // whose range holds the counter after the stage and the wait moved it.
  run_stages(kBoth, counter, speeds, step);
  for (size_t i = 0; i < std::size(scene103_pages); ++i) {
    if (counter == scene103_pages[i].wait) {
      counter += wait_addition(scene103_pages[i].rule, step);
      break;
    }
  }
  wrap_walk_counters();
  for (int32_t p = 0; p < player_count; ++p) {
    const scene_actor& actor = first_side(player[p].character) ? first : second;
    player[p].X = actor.x;
    player[p].Y = actor.y;
  }

  draw_opening_field();
  for (int32_t p = 0; p < player_count; ++p) {
    const bool first_character = first_side(player[p].character);
    const scene_actor& actor = first_character ? first : second;
    draw_actor(first_character ? dot_pelune_img3248 : dot_orven_img3248, player[p].X, player[p].Y,
               actor.direction, actor.walk);
  }
  ApiDrawGraphicAt(0, 0, back_screen_img, 1);

  for (size_t i = 0; i < std::size(scene103_pages); ++i) {
    const opening_page& page = scene103_pages[i];
    if (page.first <= counter && counter <= page.wait) {
      draw_page(page, scene103_text[i]);
      break;
    }
  }
  if (counter == kBothTiming.fade_out) {
    scene_fade_out(counter);
    return;
  }
  if (counter >= kBothTiming.end) end_opening(kId, counter, place_both);
}
