// The dialogues of the first two boss rooms. Both turn the players toward
// the boss through their first page, request the boss music on one page and
// leave the fight to start from its first tick. The giant toad's talk also
// has label pages (a speaker's name in place of a face) and a page without
// a window on which the toad spits a shot.
#include "game/scenes/first_boss_scenes.h"

#include "game/bosses/bosses.h"
#include "game/scenes/scene_text.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kFirstBossMusic = 5;
constexpr int32_t kToadMusic = 7;

// The toad opens its mouth on the spit page and closes it on the next.
constexpr int32_t kToadSpitting = 3;
constexpr int32_t kToadResting = 0;

const scene_page kLabel = {nullptr, 1, 0, kKeepBossAnim, kLabelWindow};
const scene_page kSpit = {nullptr, 0, 0, kToadSpitting, kNoWindow};

const scene_page k105Pelune[6] = {
    {&pelune_normal_img, 2, 0},  {&talvo_worry_img, 1, 0},
    {&pelune_normal_img, 1, 0},  {&talvo_smile_img, 1, 0},
    {&pelune_smile02_img, 1, kFirstBossMusic}, {&pelune_smile03_img, 1, 0},
};
const scene_page k105Orven[5] = {
    {&orven_smile_img, 1, 0}, {&talvo_worry_img, 1, 0}, {&orven_smile_img, 2, 0},
    {&talvo_angry_img, 1, kFirstBossMusic}, {&talvo_angry_img, 1, 0},
};
const scene_page k105Both[8] = {
    {&orven_smile_img, 1, 0},  {&pelune_smile02_img, 1, 0},
    {&talvo_smile_img, 2, 0},  {&orven_smile_img, 1, 0},
    {&talvo_smile_img, 2, 0},  {&pelune_normal_img, 2, 0},
    {&talvo_smile_img, 2, kFirstBossMusic}, {&pelune_smile03_img, 1, 0},
};

const scene_page k107Pelune[6] = {
    kLabel,
    {&pelune_normal_img, 1, 0},
    kLabel,
    kSpit,
    {&pelune_smile02_img, 1, 0, kToadResting},
    {&pelune_normal_img, 2, kToadMusic},
};
const scene_page k107Orven[6] = {
    {&orven_smile_img, 1, 0},
    kLabel,
    {&orven_worry_img, 1, 0},
    kLabel,
    kSpit,
    {&orven_smile_img, 1, kToadMusic, kToadResting},
};
const scene_page k107Both[8] = {
    kLabel,
    {&pelune_normal_img, 1, 0},
    {&orven_smile_img, 1, 0},
    kLabel,
    kSpit,
    {&pelune_smile02_img, 1, 0, kToadResting},
    {&orven_smile_img, 1, 0},
    {&pelune_smile01_img, 2, kToadMusic},
};

}  // namespace

const scene_copy scene105_copies[3] = {
    {k105Pelune, scene105_pelune_text, 6},
    {k105Orven, scene105_orven_text, 5},
    {k105Both, scene105_both_text, 8},
};
const scene_copy scene107_copies[3] = {
    {k107Pelune, scene107_pelune_text, 6},
    {k107Orven, scene107_orven_text, 6},
    {k107Both, scene107_both_text, 8},
};

namespace {

constexpr int32_t kFaceUpRight = 1;
constexpr int32_t kFaceUpLeft = 7;
constexpr int32_t kFirstBossFacesDownLeft = 5;

void face_all_players(int32_t facing) {
  for (int32_t p = 0; p < player_count; ++p) player[p].facing = facing;
}

// ---- The spit page ------------------------------------------------------------------

// The shot falls from the toad's mouth, 7 px per counter unit from the
// page's first value, between the field's objects and its frame image.
constexpr int32_t kShotX = 308;
constexpr int32_t kShotY = 114;
constexpr int32_t kShotFallPerUnit = 7;

bool is_spit_page(int32_t page) {
  if (page == 0) return false;
  const scene_party party = current_scene_party();
  return scene107_copies[party].pages[page - 1].window == kNoWindow;
}

void draw_falling_shot(int32_t page) {
  if (!is_spit_page(page)) return;
  const int32_t fallen = scene_counter(107) - dialogue_page_first(page);
  ApiDrawGraphicAt(scroll_x + kShotX, scroll_y + kShotY + fallen * kShotFallPerUnit,
                   dot_fesku_shot_img, 1);
}

// The spit's sound, played at once (not through its request flag), only on
// the frame the counter stands one past the page's first value: a wait
// passed with step 3, or by two players at once, jumps over it.
void play_spit_sound(int32_t page) {
  if (!is_spit_page(page)) return;
  if (scene_counter(107) == dialogue_page_first(page) + 1) ApiPlaySound(se_boss_shot10, 1, 1);
}

const dialogue_scene kFirstBossDialogue = {
    105,
    {scene105_copies[0], scene105_copies[1], scene105_copies[2]},
    nullptr,
    [] { face_all_players(kFaceUpRight); },
    nullptr,
    [] { boss_facing = kFirstBossFacesDownLeft; },
};

const dialogue_scene kGiantToadDialogue = {
    107,
    {scene107_copies[0], scene107_copies[1], scene107_copies[2]},
    nullptr,
    [] { face_all_players(kFaceUpLeft); },
    play_spit_sound,
    nullptr,
    kKeepFacing,
    kKeepFacing,
    draw_falling_shot,
};

}  // namespace

void run_first_boss_dialogue() { run_dialogue_scene(kFirstBossDialogue); }

void run_giant_toad_dialogue() { run_dialogue_scene(kGiantToadDialogue); }
