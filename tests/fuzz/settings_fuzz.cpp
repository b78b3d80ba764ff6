// The settings files over any bytes: the input is both "config_data.dat"
// and "pad.dat", read as the program reads them at start. The button
// configuration screen then runs with what they gave: every row pressed with
// every button, the revival stock moved, the screen left (which writes
// "config_data.dat"), and the title menu tried with the buttons read.
#include <cstdint>
#include <vector>

#include "game/shell/shell.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/game_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartGameForFuzzing();
  WriteScratchFile("config_data.dat", data, size);
  WriteScratchFile("pad.dat", data, size);
  StartGameState();

  std::vector<int32_t> presses;
  auto every_button = [&presses] {
    for (int b = 0; b < 8; ++b) presses.push_back(PadButton(b));
  };
  for (int row = 1; row <= 5; ++row) {
    every_button();
    presses.push_back(kPadDown);
  }
  for (const int32_t press : {kPadRight, kPadRight, kPadLeft, kPadDown}) presses.push_back(press);
  every_button();  // on the last row: whichever button decides leaves the screen
  for (const int32_t press : {kPadDown, kPadDown, kPadUp, PadButton(0), PadButton(1), kPadDown,
                              PadButton(0), PadButton(2), kPadRight, PadButton(0)}) {
    presses.push_back(press);
  }
  game_status = kStatusButtonConfig;
  menu_cursor = 1;
  RunFrames(presses, static_cast<int>(presses.size()) * 2 + 4);
  return 0;
}
