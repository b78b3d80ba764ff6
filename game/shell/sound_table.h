// The sound files of the game: every effect in loading order with the handle
// and request flag it belongs to, and the music track of every music_request
// value. load_sounds, play_requested_sounds and update_music walk these
// tables; the sample data generator writes a file for every row.
#pragma once

#include <cstdint>

struct SoundEffectRow {
  const char* path;   // e.g. "data/se/se_title_cursor.wav"
  int32_t* handle;    // the global named after the file's stem
  int32_t* request;   // its request flag; null: played directly, never requested
};

constexpr int32_t kSoundEffectCount = 19;

// In loading order; the requested effects also play in this order.
extern const SoundEffectRow sound_effect_table[kSoundEffectCount];

constexpr int32_t kMusicTrackCount = 21;

// The file of music_request value v (1 to 21) at index v - 1.
extern const char* const music_track_table[kMusicTrackCount];
