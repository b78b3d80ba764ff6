// Sound requests and music: the effects are loaded at start-up, played once
// at the end of a frame when their request flag is 1, and the background
// music follows music_request at the start of each frame.
#include "game/shell/shell.h"
#include "runtime/core/api.h"

namespace {

// Every effect is loaded with 3 playing buffers and no shared handle.
constexpr int32_t kEffectBuffers = 3;
// Effects play once (not looped), from the start; music loops.
constexpr int32_t kPlayOnce = 1;
constexpr int32_t kFromTheTop = 1;
constexpr int32_t kPlayLooped = 3;

constexpr int32_t kTitleTrack = 1;
constexpr int32_t kLastTrack = 21;
constexpr int32_t kSilence = 100;

struct EffectRow {
  const char* path;
  int32_t* handle;
  int32_t* request;  // null: played directly, never requested
};

// In loading order. The requested ones play in this order too.
const EffectRow kEffects[] = {
    {"data/se/se_title_cursor.wav", &se_title_cursor, &se_title_cursor_request},
    {"data/se/se_title_decide.wav", &se_title_decide, &se_title_decide_request},
    {"data/se/se_title_exit.wav", &se_title_exit, &se_title_exit_request},
    {"data/se/se_change_map.wav", &se_change_map, &se_change_map_request},
    {"data/se/se_pelune_shot4.wav", &se_pelune_shot4, &se_pelune_shot4_request},
    {"data/se/se_orven_shot.wav", &se_orven_shot, &se_orven_shot_request},
    {"data/se/se_boss_shot10.wav", &se_boss_shot10, &se_boss_shot10_request},
    {"data/se/se_potion.wav", &se_potion, &se_potion_request},
    {"data/se/se_pause.wav", &se_pause, &se_pause_request},
    {"data/se/se_damage.wav", &se_damage, &se_damage_request},
    {"data/se/se_enemy_disappear8.wav", &se_enemy_disappear8, &se_enemy_disappear8_request},
    {"data/se/se_boo.wav", &se_boo, &se_boo_request},
    {"data/se/se_boss_disappear.wav", &se_boss_disappear, &se_boss_disappear_request},
    {"data/se/se_get_item.wav", &se_get_item, &se_get_item_request},
    {"data/se/se_win.wav", &se_win, &se_win_request},
    {"data/se/se_player_damage.wav", &se_player_damage, &se_player_damage_request},
    {"data/se/se_fall.wav", &se_fall, &se_fall_request},
    {"data/se/collectpowerup.wav", &collectpowerup, nullptr},
    // The shot-hit effect is requested by the player shots and plays after
    // the others.
    {"data/se/se_shot_hit05.wav", &se_shot_hit05, &se_shot_hit05_request},
};

// The file of each track, music_request 1 to 21.
const char* const kTracks[kLastTrack] = {
    "data/bgm/bgm_title.ogg",         "data/bgm/bgm_pelune_house.ogg",
    "data/bgm/bgm_feild.ogg",         "data/bgm/bgm_dansion01.ogg",
    "data/bgm/bgm_dusmoren.ogg",      "data/bgm/bgm_dansion02.ogg",
    "data/bgm/bgm_boss01.ogg",        "data/bgm/bgm_dansion03.ogg",
    "data/bgm/bgm_boss_pelwick.ogg",  "data/bgm/bgm_dansion04.ogg",
    "data/bgm/bgm_amber_clock.ogg",   "data/bgm/bgm_dansion05.ogg",
    "data/bgm/bgm_sola_cogs.ogg",     "data/bgm/bgm_dansion06.ogg",
    "data/bgm/bgm_boss_orsanta.ogg",  "data/bgm/bgm_dansion07.ogg",
    "data/bgm/bgm_yurei.ogg",         "data/bgm/bgm_dansion08.ogg",
    "data/bgm/bgm_mobaki.ogg",        "data/bgm/bgm_dansion09.ogg",
    "data/bgm/bgm_thessan.ogg",
};

}  // namespace

void load_sounds() {
  for (const EffectRow& row : kEffects) *row.handle = ApiLoadSoundFile(row.path, kEffectBuffers, -1);
}

void play_requested_sounds() {
  // A flag set several times in one frame plays its effect once; a flag
  // holding anything but 1 is left alone.
  for (const EffectRow& row : kEffects) {
    if (row.request == nullptr || *row.request != 1) continue;
    ApiPlaySound(*row.handle, kPlayOnce, kFromTheTop);
    *row.request = 0;
  }
}

void update_music() {
  if (game_status == kStatusTitle) music_request = kTitleTrack;
  if (music_request == music_current) return;
  if (music_request >= kTitleTrack && music_request <= kLastTrack) {
    ApiPlayMusicFile(kTracks[music_request - 1], kPlayLooped);
    music_current = music_request;
  } else if (music_request == kSilence) {
    ApiStopMusic();
    music_current = kSilence;
  }
}
