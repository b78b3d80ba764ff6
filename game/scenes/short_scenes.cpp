// The short event scenes: two blocked paths that push the players back from
// a closed way and show one refusal page, keep exploring (once, after the
// first boss), the ice boss's fall after boss 1's defeat, and the save
// point's greeting that hands over to the save menu.
#include "game/scenes/short_scenes.h"

#include "game/bosses/bosses.h"
#include "game/draw/draw.h"
#include "game/scenes/scene_text.h"
#include "game/shell/shell.h"
#include "game/world/positions.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

// ---- Page tables -----------------------------------------------------------------

namespace {

// The blocked paths show one page whose face follows the party.
const scene_page kBlockedPelune[1] = {{&pelune_normal_img, 1, 0}};
const scene_page kBlockedOrven[1] = {{&orven_smile_img, 1, 0}};
const scene_page kBlockedBoth[1] = {{&pelune_normal_img, 1, 0}};

const scene_page kExploringPelune[1] = {{&pelune_normal_img, 2, 0}};
const scene_page kExploringOrven[1] = {{&orven_smile_img, 2, 0}};
const scene_page kExploringBoth[2] = {{&pelune_normal_img, 2, 0}, {&orven_worry_img, 1, 0}};

const scene_page kSavePoint[1] = {{&cg_sadri_img, 1, 0}};

}  // namespace

const scene_copy scene104_copies[3] = {
    {kBlockedPelune, scene104_pelune_text, 1},
    {kBlockedOrven, scene104_orven_text, 1},
    {kBlockedBoth, scene104_both_text, 1},
};
const scene_copy scene109_copies[3] = {
    {kBlockedPelune, scene109_pelune_text, 1},
    {kBlockedOrven, scene109_orven_text, 1},
    {kBlockedBoth, scene109_both_text, 1},
};
const scene_copy scene106_copies[3] = {
    {kExploringPelune, scene106_pelune_text, 1},
    {kExploringOrven, scene106_orven_text, 1},
    {kExploringBoth, scene106_both_text, 2},
};
const scene_copy scene120_copy = {kSavePoint, scene120_text, 1};

namespace {

constexpr int32_t kUp = 0, kRight = 2;

// ---- Blocked paths --------------------------------------------------------------------

// The push runs while the counter is 1 to 79, one unit a frame whatever is
// held; the page shows from 60 and waits at 80; the scene ends at 81.
constexpr int32_t kPushEnd = 80;
constexpr int32_t kBlockedWait = 80;
constexpr int32_t kBlockedPageFrom = 60;
constexpr int32_t kBlockedEnd = 81;
constexpr int32_t kWalkCycle = 64;

struct blocked_path {
  int32_t id;
  const scene_copy* copies;
  int32_t facing;  // the facing of a pushed player
};

// Strictly beyond the line: a player standing on it is not pushed.
constexpr float kRightLineX = 112.0f;
constexpr float kUpLineY = 688.0f;

bool beyond_line(const blocked_path& path, const player_data& record) {
  return path.facing == kRight ? record.X < kRightLineX : record.Y > kUpLineY;
}

void push_toward_line(const blocked_path& path, player_data& record) {
  if (path.facing == kRight) {
    record.X += 1.0f;
  } else {
    record.Y -= 1.0f;
  }
}

void run_blocked_path(const blocked_path& path) {
  // The played word is never set by the scene: 104 plays until the first
  // boss's defeat sets its word, 109 always.
  if (scene_played_word(path.id) == 1) {
    hand_back_to_play();
    return;
  }
  const scene_party party = current_scene_party();
  int32_t& counter = scene_counter(path.id);
  if (counter == 0) counter = 1;

  if (1 <= counter && counter < kPushEnd) {
    for (int32_t p = 0; p < player_count; ++p) {
      player_data& record = player[p];
      if (record.alive != 1 || !beyond_line(path, record)) continue;
      record.facing = path.facing;
      push_toward_line(path, record);
      record.walk_anim += 1;
      if (record.walk_anim == kWalkCycle) record.walk_anim = 0;
    }
    counter += 1;
  } else if (counter == kBlockedWait) {
    counter += players_passing_wait();
  }

  draw_frozen_field(true);
  if (party != kPartyNone && kBlockedPageFrom <= counter && counter < kBlockedEnd) {
    draw_scene_page(path.copies[party], 1);
  }
  if (counter >= kBlockedEnd) {
    counter = 0;
    hand_back_to_play();
  }
}

// ---- Keep exploring -------------------------------------------------------------------

constexpr int32_t kFirstBossBeatenWord = 4;
constexpr int32_t kExploringId = 106;
constexpr int32_t kExploringFirstWait = 60;  // each presser adds 1
constexpr int32_t kExploringSecondWait = 100;  // each presser adds the step (both copy)
constexpr int32_t kExploringPageFrom = 40;

int32_t exploring_step(bool player_one_counts) {
  const bool held = fast_forward_held(0) || (player_one_counts && fast_forward_held(1));
  return held ? 3 : 1;
}

void end_keep_exploring(int32_t& counter) {
  counter = 0;
  scene_played_word(kExploringId) = 1;
  hand_back_to_play();
}

// One side alone, or neither: one page.
void run_exploring_one_side(scene_party party, int32_t& counter) {
  const int32_t step = exploring_step(false);
  if (1 <= counter && counter < kExploringFirstWait) {
    counter += step;
  } else if (counter == kExploringFirstWait) {
    counter += players_passing_wait();
  }
  draw_frozen_field(true);
  if (party != kPartyNone && kExploringPageFrom <= counter && counter < kExploringFirstWait + 1) {
    draw_scene_page(scene106_copies[party], 1);
  }
  if (counter >= kExploringFirstWait + 1) end_keep_exploring(counter);
}

void run_exploring_both(int32_t& counter) {
  const int32_t step = exploring_step(true);
  if (1 <= counter && counter < kExploringFirstWait) {
    counter += step;
  } else if (counter == kExploringFirstWait) {
    counter += players_passing_wait();
  }
  if (kExploringFirstWait + 1 <= counter && counter < kExploringSecondWait) {
    counter += step;
  } else if (counter == kExploringSecondWait) {
    counter += step * players_passing_wait();
  }
  draw_frozen_field(true);
  if (kExploringPageFrom <= counter && counter < kExploringFirstWait + 1) {
    draw_scene_page(scene106_copies[kPartyBoth], 1);
  } else if (kExploringFirstWait + 1 <= counter && counter < kExploringSecondWait + 1) {
    draw_scene_page(scene106_copies[kPartyBoth], 2);
  }
  if (counter >= kExploringSecondWait + 1) end_keep_exploring(counter);
}

// ---- The ice boss's fall --------------------------------------------------------------

constexpr int32_t kFallId = 108;
constexpr int32_t kFallEnd = 90;
constexpr int32_t kFallPerUnit = 5;  // pixels the figure slides down per counter unit

// ---- The save point -------------------------------------------------------------------

constexpr int32_t kSavePointId = 120;
constexpr int32_t kSavePointWait = 90;
constexpr int32_t kSavePointPageFrom = 60;
constexpr int32_t kSavePointEnd = 91;  // its page shows on the end frame too

}  // namespace

void run_blocked_path_right() { run_blocked_path({104, scene104_copies, kRight}); }

void run_blocked_path_up() { run_blocked_path({109, scene109_copies, kUp}); }

void run_keep_exploring() {
  // Only after the first boss's defeat, and once.
  if (progress_flags[kFirstBossBeatenWord] == 0 || scene_played_word(kExploringId) == 1) {
    hand_back_to_play();
    return;
  }
  const scene_party party = current_scene_party();
  int32_t& counter = scene_counter(kExploringId);
  if (counter == 0) counter = 1;
  if (party == kPartyBoth) {
    run_exploring_both(counter);
  } else {
    run_exploring_one_side(party, counter);
  }
}

void run_ice_boss_fall() {
  int32_t& word = scene_played_word(kFallId);
  if (word == 1) {
    hand_back_to_play();
    return;
  }
  int32_t& counter = scene_counter(kFallId);
  if (counter == 0) {
    se_fall_request = 1;
    counter = 1;
  }
  // The end comes at 90, before any wait could.
  if (1 <= counter && counter < kFallEnd) counter += scene_step();

  draw_frozen_field(false);
  // Over everything: the figure starts at the boss's place and slides down.
  if (0 <= counter && counter <= kFallEnd) {
    ApiDrawGraphicAt(held_sum(position_to_int(boss_x), scroll_x, 48),
                     held_sum(position_to_int(boss_y), scroll_y, -16 + (counter - 1) * kFallPerUnit),
                     dot_fesku_front_img, 1);
  }
  if (counter >= kFallEnd) {
    counter = 0;
    hand_back_to_play();
    word = 1;
    boss_p_cnt = 0;
  }
}

void run_save_point() {
  // No played word and no party: it greets every time.
  int32_t& counter = scene_counter(kSavePointId);
  if (counter == 0) counter = 1;
  const int32_t step = scene_step();
  if (1 <= counter && counter < kSavePointWait) {
    counter += step;
  } else if (counter == kSavePointWait) {
    counter += step * players_passing_wait();
  }

  draw_frozen_field(false);
  if (kSavePointPageFrom <= counter && counter <= kSavePointEnd) draw_scene_page(scene120_copy, 1);
  // The save menu's handler comes after the scenes' in the frame loop, so it
  // asks its first question within this frame.
  if (counter >= kSavePointEnd) {
    counter = 0;
    game_status = kStatusSaveQuestion;
    boss_p_cnt = 0;
  }
}
