// The game on the SDL host under SDL's dummy video and audio drivers, with a
// virtual joystick whose stick is held down from the start: the title
// selection moves one row down with the pad, and the run, closed after a few
// frames, ends through the normal shut-down with 0.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "game/shell/shell.h"
#include "platform/host/host.h"
#include "platform/sdl/sdl_host.h"
#include "tools/sample_data/sample_data.h"

namespace {

namespace fs = std::filesystem;

TEST(SdlSmokeTest, PadMovesTheTitleSelectionAndTheRunEndsWithZero) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);

  char pattern[] = "/tmp/brimal_sdl_smoke_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path folder = pattern;
  std::string error;
  ASSERT_TRUE(GenerateSampleData(folder.string(), SampleDataOptions{}, &error)) << error;
  const fs::path previous = fs::current_path();
  fs::current_path(folder);

  SdlHostOptions options;
  options.close_after_frame = 120;
  InstallHost(std::make_unique<SdlHost>(options));
  CurrentHost().Clock().SetGameThread();
  const int pad = SdlAttachVirtualPad(2, 4, 1);
  ASSERT_GE(pad, 0);
  SdlSetVirtualPadAxis(pad, 1, 32767);  // the stick held down

  const int result = WinMain();
  CurrentHost().Finish();

  EXPECT_EQ(result, 0);
  EXPECT_EQ(game_status, kStatusTitle);
  EXPECT_EQ(menu_cursor, 2) << "one row down: the held stick is one press";
  SdlDetachVirtualPad(pad);

  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace
