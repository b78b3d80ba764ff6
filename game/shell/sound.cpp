// Sound requests and music: the effects are loaded at start-up, played once
// at the end of a frame when their request flag is 1, and the background
// music follows music_request at the start of each frame.
#include "game/shell/shell.h"
#include "game/shell/sound_table.h"
#include "runtime/system/api.h"

namespace {

// Every effect is loaded with 3 playing buffers and no shared handle.
constexpr int32_t kEffectBuffers = 3;
// Effects play once (not looped), from the start; music loops.
constexpr int32_t kPlayOnce = 1;
constexpr int32_t kFromTheTop = 1;
constexpr int32_t kPlayLooped = 3;

constexpr int32_t kTitleTrack = 1;
constexpr int32_t kLastTrack = kMusicTrackCount;
constexpr int32_t kSilence = 100;

}  // namespace

void load_sounds() {
  for (const SoundEffectRow& row : sound_effect_table)
    *row.handle = ApiLoadSoundFile(row.path, kEffectBuffers, -1);
}

void play_requested_sounds() {
  // A flag set several times in one frame plays its effect once; a flag
  // holding anything but 1 is left alone.
  for (const SoundEffectRow& row : sound_effect_table) {
    if (row.request == nullptr || *row.request != 1) continue;
    ApiPlaySound(*row.handle, kPlayOnce, kFromTheTop);
    *row.request = 0;
  }
}

void update_music() {
  if (game_status == kStatusTitle) music_request = kTitleTrack;
  if (music_request == music_current) return;
  if (music_request >= kTitleTrack && music_request <= kLastTrack) {
    ApiPlayMusicFile(music_track_table[music_request - 1], kPlayLooped);
    music_current = music_request;
  } else if (music_request == kSilence) {
    ApiStopMusic();
    music_current = kSilence;
  }
}
