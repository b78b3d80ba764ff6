// Running the game in the benchmark's own process, on the null host.
#pragma once

#include <cstdint>
#include <memory>

#include "game/shell/shell.h"
#include "platform/host/host.h"
#include "platform/null/null_host.h"

// The game's WinMain on a new null host in the current folder, to the end of
// frame `last_frame` and through the normal shut-down; WinMain's result.
inline int RunGameToFrame(int64_t last_frame) {
  NullHostOptions options;
  options.close_after_frame = last_frame;
  InstallHost(std::make_unique<NullHost>(options));
  CurrentHost().Clock().SetGameThread();
  const int result = WinMain();
  CurrentHost().Finish();
  return result;
}
