// The game shell as the settings and save targets run it: through the
// recording fake of the API layer, in the scratch folder, from the state the
// program starts in (every global as the program starts it), with scripted
// pad presses.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Once per process: the scratch folder current, with its "patch" folder.
void StartGameForFuzzing();

// The program's start: the images and sounds loaded through the fake, the
// game reset, the settings read from the scratch folder; every global the
// settings and save files set starts at 0 first, as in a new process. The
// fake serves `files` (path to bytes) from the start on, so the item and boss
// files and every floor's files are read from them.
void StartGameState(std::map<std::string, std::string> files = {});

// Runs the frame loop until `frames` frames have been shown, the pad of
// every player pressing presses[i] in frame 2i + 1 and nothing in between
// (so each press is a new one).
void RunFrames(const std::vector<int32_t>& presses, int frames);

// Pad bits of the input poll.
constexpr int32_t kPadDown = 0x1;
constexpr int32_t kPadLeft = 0x2;
constexpr int32_t kPadRight = 0x4;
constexpr int32_t kPadUp = 0x8;
constexpr int32_t PadButton(int b) { return 0x10 << b; }
