// The sound effect and music tables.
#include "game/shell/sound_table.h"

#include "game/shell/shell.h"

const SoundEffectRow sound_effect_table[kSoundEffectCount] = {
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

const char* const music_track_table[kMusicTrackCount] = {
    "data/bgm/bgm_title.ogg",        "data/bgm/bgm_pelune_house.ogg",
    "data/bgm/bgm_feild.ogg",        "data/bgm/bgm_dansion01.ogg",
    "data/bgm/bgm_dusmoren.ogg",     "data/bgm/bgm_dansion02.ogg",
    "data/bgm/bgm_boss01.ogg",       "data/bgm/bgm_dansion03.ogg",
    "data/bgm/bgm_boss_pelwick.ogg", "data/bgm/bgm_dansion04.ogg",
    "data/bgm/bgm_amber_clock.ogg",  "data/bgm/bgm_dansion05.ogg",
    "data/bgm/bgm_sola_cogs.ogg",    "data/bgm/bgm_dansion06.ogg",
    "data/bgm/bgm_boss_orsanta.ogg", "data/bgm/bgm_dansion07.ogg",
    "data/bgm/bgm_yurei.ogg",        "data/bgm/bgm_dansion08.ogg",
    "data/bgm/bgm_mobaki.ogg",       "data/bgm/bgm_dansion09.ogg",
    "data/bgm/bgm_thessan.ogg",
};
