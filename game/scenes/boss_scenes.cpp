// The boss encounter scenes 110 to 117: the dialogue timeline with, for
// each scene, the facings set on its first frame and its pages. The page
// that requests the boss's music makes the request on every frame it shows
// (every page shows on at least one frame, even under fast-forward), so the
// music starts while the talk still runs; the scene's end clears the boss
// pattern counter so the fight starts from its first tick. Scene 117 asks
// for no music. Scene 114 also plays sound effects of its own.
#include "game/scenes/boss_scenes.h"

#include "game/scenes/scene_text.h"
#include "game/shell/shell.h"

namespace {

constexpr int32_t kSilence = 100;

// ---- Page tables: face, lines, music -----------------------------------------------

const scene_page k110Pelune[7] = {
    {&pelune_normal_img, 1, 0},  {&gorlan_normal_img, 2, 0},  {&pelune_smile01_img, 2, 0},
    {&gorlan_cry_img, 3, 0},     {&gorlan_cry_img, 3, 0},     {&pelune_smile03_img, 1, 0},
    {&gorlan_normal_img, 1, 9},
};
const scene_page k110Orven[4] = {
    {&gorlan_normal_img, 1, 0}, {&orven_smile_img, 1, 0}, {&gorlan_cry_img, 2, 0},
    {&orven_angry_img, 1, 9},
};
const scene_page k110Both[10] = {
    {&orven_smile_img, 1, 0},    {&pelune_normal_img, 1, 0}, {&gorlan_normal_img, 1, 0},
    {&pelune_smile02_img, 1, 0}, {&gorlan_normal_img, 3, 0}, {&orven_smile_img, 1, 0},
    {&pelune_normal_img, 2, 0},  {&orven_angry_img, 1, 0},   {&gorlan_cry_img, 3, 0},
    {&gorlan_normal_img, 1, 9},
};

const scene_page k111Pelune[6] = {
    {&bremonkal_normal_img, 1, 0},  {&pelune_normal_img, 2, 0},
    {&bremonkal_normal_img, 2, 0},  {&pelune_smile03_img, 2, 0},
    {&bremonkal_worry_img, 1, 11},  {&pelune_smile02_img, 1, 0},
};
const scene_page k111Orven[7] = {
    {&bremonkal_normal_img, 1, 0}, {&orven_smile_img, 1, 0},     {&bremonkal_worry_img, 2, 0},
    {&orven_smile_img, 2, 0},      {&bremonkal_normal_img, 2, 0}, {&orven_worry_img, 2, 11},
    {&orven_smile_img, 3, 0},
};
const scene_page k111Both[9] = {
    {&bremonkal_normal_img, 1, 0}, {&pelune_normal_img, 2, 0},   {&bremonkal_normal_img, 2, 0},
    {&orven_worry_img, 2, 0},      {&bremonkal_worry_img, 1, 0}, {&pelune_normal_img, 2, 0},
    {&bremonkal_worry_img, 2, 0},  {&orven_smile_img, 2, 11},    {&bremonkal_normal_img, 1, 0},
};

const scene_page k112Pelune[7] = {
    {&ludera_normal_img, 1, 0},   {&pelune_smile02_img, 2, 0}, {&ludera_smile_img, 1, 0},
    {&pelune_normal_img, 1, 0},   {&ludera_smile_img, 2, 0},   {&pelune_smile03_img, 1, 13},
    {&ludera_normal_img, 1, 0},
};
const scene_page k112Orven[7] = {
    {&ludera_normal_img, 1, 0}, {&orven_smile_img, 1, 0},  {&ludera_normal_img, 2, 0},
    {&orven_worry_img, 2, 0},   {&ludera_normal_img, 1, 0}, {&orven_smile_img, 1, 13},
    {&ludera_smile_img, 2, 0},
};
const scene_page k112Both[10] = {
    {&pelune_normal_img, 1, 0},  {&orven_smile_img, 1, 0},   {&ludera_normal_img, 1, 0},
    {&ludera_smile_img, 1, 0},   {&pelune_smile02_img, 2, 0}, {&orven_smile_img, 3, 0},
    {&ludera_normal_img, 2, 0},  {&pelune_normal_img, 1, 0},  {&ludera_normal_img, 1, 13},
    {&orven_worry_img, 1, 0},
};

const scene_page k113Pelune[6] = {
    {&pelune_normal_img, 3, 0},    {&orsenta_normal_img, 3, 0}, {&pelune_smile03_img, 3, 0},
    {&orsenta_angry_img, 1, 0},    {&pelune_smile01_img, 1, 15}, {&orsenta_normal_img, 2, 0},
};
const scene_page k113Orven[10] = {
    {&orsenta_normal_img, 1, 0}, {&orven_smile_img, 1, 0},     {&orsenta_normal_img, 1, 0},
    {&orven_smile_img, 3, 0},    {&orsenta_normal_img, 1, 0},  {&orven_smile_img, 1, 0},
    {&orsenta_normal_img, 2, 0}, {&orven_worry_img, 1, 0},     {&orsenta_smile_img, 1, 15},
    {&orsenta_smile_img, 1, 0},
};
const scene_page k113Both[12] = {
    {&orven_worry_img, 2, 0},    {&orsenta_normal_img, 1, 0}, {&pelune_smile02_img, 1, 0},
    {&orsenta_angry_img, 3, 0},  {&pelune_smile01_img, 2, 0}, {&orsenta_smile_img, 3, 0},
    {&pelune_smile02_img, 2, 0}, {&orven_smile_img, 2, 0},    {&orsenta_angry_img, 1, 0},
    {&pelune_smile03_img, 1, 0}, {&orven_smile_img, 1, 15},   {&orsenta_angry_img, 3, 0},
};

// The musician silences the music while it plays its own effects.
const scene_page k114Pelune[11] = {
    {&pelune_smile02_img, 2, 0}, {&wendel_smile_img, 1, 0},        {&pelune_smile03_img, 2, 0},
    {&wendel_normal_img, 2, 0},  {&pelune_smile03_img, 1, 0},      {&wendel_normal_img, 2, 0},
    {&pelune_normal_img, 2, 0},  {&wendel_normal_img, 1, kSilence}, {&pelune_smile02_img, 1, 0},
    {&pelune_normal_img, 1, 17}, {&wendel_smile_img, 2, 0},
};
const scene_page k114Orven[11] = {
    {&orven_smile_img, 2, 0},          {&wendel_smile_img, 1, 0},  {&wendel_normal_img, 3, 0},
    {&orven_smile_img, 1, 0},          {&wendel_normal_img, 2, 0}, {&orven_smile_img, 2, kSilence},
    {&wendel_normal_img, 1, kSilence}, {&orven_smile_img, 1, 0},   {&wendel_angry_img, 2, 0},
    {&orven_smile_img, 1, 17},         {&wendel_smile_img, 2, 0},
};
const scene_page k114Both[9] = {
    {&pelune_normal_img, 1, 0},   {&orven_smile_img, 1, 0},   {&wendel_angry_img, 3, 0},
    {&pelune_normal_img, 1, 0},   {&orven_smile_img, 1, 0},   {&wendel_angry_img, 1, 0},
    {&wendel_normal_img, 3, 0},   {&pelune_smile02_img, 1, 17}, {&wendel_angry_img, 3, 0},
};

const scene_page k115Pelune[14] = {
    {&mobaki_worry_img, 2, 0},   {&pelune_normal_img, 1, 0},   {&mobaki_normal_img, 2, 0},
    {&pelune_normal_img, 2, 0},  {&mobaki_normal_img, 1, 0},   {&pelune_smile03_img, 1, 0},
    {&mobaki_worry_img, 1, 0},   {&pelune_normal_img, 1, 0},   {&mobaki_hungry_img, 2, 0},
    {&pelune_smile03_img, 2, 0}, {&mobaki_hungry_img, 1, 0},   {&pelune_normal_img, 1, 0},
    {&mobaki_hungry_img, 1, 19}, {&pelune_smile03_img, 1, 0},
};
const scene_page k115Orven[7] = {
    {&mobaki_worry_img, 1, 0},  {&orven_smile_img, 1, 0},     {&mobaki_worry_img, 2, 0},
    {&orven_smile_img, 1, 0},   {&mobaki_hungry_img, 2, 0},   {&orven_angry_img, 2, 19},
    {&mobaki_hungry_img, 2, 0},
};
const scene_page k115Both[12] = {
    {&orven_worry_img, 1, 0},    {&pelune_smile02_img, 2, 0}, {&mobaki_worry_img, 2, 0},
    {&orven_smile_img, 1, 0},    {&pelune_normal_img, 1, 0},  {&mobaki_normal_img, 2, 0},
    {&pelune_normal_img, 2, 0},  {&orven_smile_img, 1, 0},    {&mobaki_hungry_img, 2, 0},
    {&pelune_smile03_img, 2, 0}, {&orven_smile_img, 1, 19},   {&mobaki_hungry_img, 1, 0},
};

// The three copies differ only in their script.
const scene_page k116[2] = {{&thessa_img, 2, 0}, {&thessa_img, 2, 21}};

const scene_page k117Pelune[3] = {
    {&pelune_normal_img, 1, 0}, {&pelune_normal_img, 2, 0}, {&pelune_normal_img, 1, 0},
};
const scene_page k117Orven[4] = {
    {&orven_angry_img, 1, 0}, {&orven_angry_img, 1, 0}, {&orven_worry_img, 1, 0},
    {&orven_worry_img, 1, 0},
};
const scene_page k117Both[5] = {
    {&pelune_smile03_img, 2, 0}, {&orven_worry_img, 1, 0}, {&orven_worry_img, 1, 0},
    {&pelune_normal_img, 1, 0},  {&orven_smile_img, 2, 0},
};

}  // namespace

const scene_copy scene110_copies[3] = {
    {k110Pelune, scene110_pelune_text, 7},
    {k110Orven, scene110_orven_text, 4},
    {k110Both, scene110_both_text, 10},
};
const scene_copy scene111_copies[3] = {
    {k111Pelune, scene111_pelune_text, 6},
    {k111Orven, scene111_orven_text, 7},
    {k111Both, scene111_both_text, 9},
};
const scene_copy scene112_copies[3] = {
    {k112Pelune, scene112_pelune_text, 7},
    {k112Orven, scene112_orven_text, 7},
    {k112Both, scene112_both_text, 10},
};
const scene_copy scene113_copies[3] = {
    {k113Pelune, scene113_pelune_text, 6},
    {k113Orven, scene113_orven_text, 10},
    {k113Both, scene113_both_text, 12},
};
const scene_copy scene114_copies[3] = {
    {k114Pelune, scene114_pelune_text, 11},
    {k114Orven, scene114_orven_text, 11},
    {k114Both, scene114_both_text, 9},
};
const scene_copy scene115_copies[3] = {
    {k115Pelune, scene115_pelune_text, 14},
    {k115Orven, scene115_orven_text, 7},
    {k115Both, scene115_both_text, 12},
};
const scene_copy scene116_copies[3] = {
    {k116, scene116_pelune_text, 2},
    {k116, scene116_orven_text, 2},
    {k116, scene116_both_text, 2},
};
const scene_copy scene117_copies[3] = {
    {k117Pelune, scene117_pelune_text, 3},
    {k117Orven, scene117_orven_text, 4},
    {k117Both, scene117_both_text, 5},
};

namespace {

// Directions: 0 up, 1 up-right, 4 down, 5 down-left.
constexpr int32_t kUp = 0, kUpRight = 1, kDown = 4, kDownLeft = 5;

// The eight constant sets of the one body: the copies, the facings of the
// players and of the boss set on the first frame, and scene 114's sounds.
const dialogue_scene kGorlan = {
    110, {scene110_copies[0], scene110_copies[1], scene110_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kUpRight, kDownLeft,
};
const dialogue_scene kBremonkal = {
    111, {scene111_copies[0], scene111_copies[1], scene111_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kUpRight, kDownLeft,
};
const dialogue_scene kLudera = {
    112, {scene112_copies[0], scene112_copies[1], scene112_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kUpRight, kDownLeft,
};
const dialogue_scene kOrsenta = {
    113, {scene113_copies[0], scene113_copies[1], scene113_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kUp, kDown,
};
const dialogue_scene kWendel = {
    114, {scene114_copies[0], scene114_copies[1], scene114_copies[2]},
    load_musician_sounds, nullptr, run_musician_sounds, delete_musician_sounds,
    kUp, kDown,
};
const dialogue_scene kMobaki = {
    115, {scene115_copies[0], scene115_copies[1], scene115_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kUpRight, kDown,
};
const dialogue_scene kThessa = {
    116, {scene116_copies[0], scene116_copies[1], scene116_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kUp, kDown,
};
const dialogue_scene kNimbra = {
    117, {scene117_copies[0], scene117_copies[1], scene117_copies[2]},
    nullptr, nullptr, nullptr, nullptr,
    kDown, kDown,
};

}  // namespace

void scene_110_gorlan() { run_dialogue_scene(kGorlan); }
void scene_111_bremonkal() { run_dialogue_scene(kBremonkal); }
void scene_112_ludera() { run_dialogue_scene(kLudera); }
void scene_113_orsenta() { run_dialogue_scene(kOrsenta); }
void scene_114_wendel() { run_dialogue_scene(kWendel); }
void scene_115_mobaki() { run_dialogue_scene(kMobaki); }
void scene_116_thessa() { run_dialogue_scene(kThessa); }
void scene_117_nimbra() { run_dialogue_scene(kNimbra); }
