// The save slot files over any bytes: the input is each of the three slot
// files, read as the program reads them at start. The load menu then loads
// the first slot and play runs with what it gave, pressing every button.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/game_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartGameForFuzzing();
  for (const char* path :
       {"patch/save_data0.dat", "patch/save_data1.dat", "patch/save_data2.dat"}) {
    WriteScratchFile(path, data, size);
  }
  // No settings file: the buttons of the program's first start.
  std::remove("config_data.dat");
  std::remove("pad.dat");
  StartGameState();
  // One player whose action a is button a, at the load menu's first row.
  for (int a = 0; a < 5; ++a) player[0].action_button[a] = a;
  player_count = 1;
  game_status = kStatusLoadMenu;
  menu_cursor = 1;

  std::vector<int32_t> presses = {PadButton(0)};
  for (int round = 0; round < 2; ++round) {
    for (int b = 0; b < 8; ++b) presses.push_back(PadButton(b) | (b % 2 == 0 ? kPadRight : kPadUp));
    for (const int32_t press : {kPadDown, kPadLeft, kPadUp, kPadRight}) presses.push_back(press);
  }
  RunFrames(presses, static_cast<int>(presses.size()) * 2 + 4);
  return 0;
}
