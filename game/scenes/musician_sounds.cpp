// The musician's scene (114) handles sound effects of its own: it loads
// them on its first frame, plays them on some pages while its page table
// silences the music, stops them on later pages and deletes them at its
// end. The pelune-only copy plays one effect, the orven-only copy two in
// turn, the copy for both none.
#include "game/scenes/boss_scenes.h"
#include "game/scenes/scenes.h"
#include "runtime/system/api.h"

namespace {

constexpr int32_t kSoundA = 0;  // scene_114_sound_a
constexpr int32_t kSoundB = 1;  // scene_114_sound_b
constexpr int32_t kPlayBuffers = 3;
constexpr int32_t kNoShare = -1;

int32_t load_effect(int32_t file) {
  return ApiLoadSoundFile(scene_sound_files[file], kPlayBuffers, kNoShare);
}

// Starts the effect when it is not playing, so it starts again each time it
// ends while its page stays up. A failed load left -1, which answers -1 and
// not 0: it is never played.
void play_if_silent(int32_t handle) {
  if (ApiIsSoundPlaying(handle) == 0) ApiPlaySound(handle, 1, 1);
}

// Pages with a sound action, by copy.
constexpr int32_t kPelunePlayPage = 8;
constexpr int32_t kPeluneStopPage = 10;
constexpr int32_t kOrvenFirstPage = 6;
constexpr int32_t kOrvenSecondPage = 7;
constexpr int32_t kOrvenStopPage = 9;

}  // namespace

void load_musician_sounds() {
  int32_t* sound = scene_vars.sound;
  switch (current_scene_party()) {
    case kPartyPelune:
      sound[kSoundA] = load_effect(kSoundFileBrisca);
      break;
    case kPartyOrven:
      sound[kSoundA] = load_effect(kSoundFileNingyo);
      sound[kSoundB] = load_effect(kSoundFileBrisca);
      break;
    default:
      break;
  }
}

void run_musician_sounds(int32_t page) {
  const int32_t* sound = scene_vars.sound;
  switch (current_scene_party()) {
    case kPartyPelune:
      if (page == kPelunePlayPage) play_if_silent(sound[kSoundA]);
      if (page == kPeluneStopPage) ApiStopSound(sound[kSoundA]);
      break;
    case kPartyOrven:
      if (page == kOrvenFirstPage) play_if_silent(sound[kSoundA]);
      if (page == kOrvenSecondPage) {
        // The first effect is cut off as the second starts.
        ApiStopSound(sound[kSoundA]);
        play_if_silent(sound[kSoundB]);
      }
      if (page == kOrvenStopPage) ApiStopSound(sound[kSoundB]);
      break;
    default:
      break;
  }
}

void delete_musician_sounds() {
  const int32_t* sound = scene_vars.sound;
  switch (current_scene_party()) {
    case kPartyPelune:
      ApiDeleteSound(sound[kSoundA], 0);
      break;
    case kPartyOrven:
      ApiDeleteSound(sound[kSoundA], 0);
      ApiDeleteSound(sound[kSoundB], 0);
      break;
    default:
      break;
  }
}
