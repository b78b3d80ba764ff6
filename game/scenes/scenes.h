// Scenes: the dialogue and event scenes that state 22 runs.
#pragma once

#include <cstdint>

// The scene (100 to 120) that state 22 runs.
extern int32_t scene_number;
// The fade-out level shared by the opening scenes; 0 between fades.
extern int32_t scene_fade_level;

// A figure that a scene walks itself (the openings and the ending).
struct scene_actor {
  float x;  // map pixels
  float y;
  int32_t direction;  // 0 to 7 clockwise from up
  int32_t walk;       // walk counter 0 to 63
};

constexpr int32_t kSceneSlots = 21;

// The scenes' own variables. They keep their values from frame to frame; a
// scene puts its counter and actors back to 0 at its end.
struct scene_variables {
  // The frame counter of each scene, by slot (scene_number - 100); 0 = not
  // started. Scenes 100 and 101 run one routine and count in slot 1.
  int32_t counter[kSceneSlots];
  // The openings' first actor (drawn with the first character's sheet) and
  // second actor (the second character's sheet).
  scene_actor actor[2];
  // The level of an opening's fade-in.
  int32_t fade_in_level;
  // The two sound effects the musician's scene loads and deletes itself
  // (also called scene_114_sound_a and scene_114_sound_b).
  int32_t sound[2];
  // The ending's brightness and flash levels, and the direction of the
  // first character's standing figure.
  int32_t ending_brightness;
  int32_t ending_flash;
  int32_t ending_figure_direction;
};
extern scene_variables scene_vars;

// The sound files the musician's scene loads itself. No sound table lists
// them; the sample data generator writes them from this list.
constexpr int32_t kSceneSoundFileCount = 2;
constexpr int32_t kSoundFileBrisca = 0;
constexpr int32_t kSoundFileNingyo = 1;
extern const char* const scene_sound_files[kSceneSoundFileCount];

// Runs one frame of the scene scene_number.
void run_scene();
// One routine per scene, slot = scene_number - 100 (100 and 101 share one).
extern void (*scene_table[kSceneSlots])();
