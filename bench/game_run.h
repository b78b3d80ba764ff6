// Running the game in the benchmark's own process, on the null host.
#pragma once

#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "game/shell/shell.h"
#include "platform/host/host.h"
#include "platform/null/null_host.h"

extern char** environ;

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

// Runs `program` with `args` (after its own name) as a process of its own;
// its user plus system CPU seconds, or -1 when it did not end with 0.
inline double ProgramCpuSeconds(const std::string& program, std::vector<std::string> args) {
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return -1;
  }
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
