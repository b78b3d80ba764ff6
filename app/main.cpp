// The program entry: reads the options, installs the chosen host, makes this
// thread the game thread and runs the game.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "app/options.h"
#include "game/shell/shell.h"
#include "platform/host/host.h"
#include "platform/host/start_heap.h"
#include "platform/null/null_host.h"
#include "platform/sdl/sdl_host.h"

namespace {

// The game reads its pictures, sounds and level files from the folder "data"
// or the archive "data.dat" in the folder it runs in; without either it could
// only show a black window.
bool HoldsGameData(const std::filesystem::path& folder) {
  std::error_code ignored;
  return std::filesystem::exists(folder / "data", ignored) ||
         std::filesystem::exists(folder / "data.dat", ignored);
}

bool ReadInputScript(const std::string& path, std::vector<InputScriptLine>* lines) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "brimal: cannot read %s\n", path.c_str());
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  std::string error;
  if (!ParseInputScript(text.str(), lines, &error)) {
    std::fprintf(stderr, "brimal: %s: %s\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string problem;
  switch (ParseOptions(argc, argv, &options, &problem)) {
    case OptionsResult::kRun:
      break;
    case OptionsResult::kHelp:
      std::fputs(kUsage, stdout);
      return 0;
    case OptionsResult::kBad:
      std::fprintf(stderr, "brimal: %s\n", problem.c_str());
      std::fputs(kUsage, stderr);
      return 2;
  }

  // The folder is entered before the host starts, so that a folder without
  // game data is reported before any window opens.
  if (!options.data.empty() && chdir(options.data.c_str()) != 0) {
    std::fprintf(stderr, "brimal: cannot enter %s: %s\n", options.data.c_str(), std::strerror(errno));
    return 1;
  }
  std::error_code cwd_error;
  const std::filesystem::path folder = std::filesystem::current_path(cwd_error);
  if (cwd_error || !HoldsGameData(folder)) {
    std::fprintf(stderr,
                 "brimal: no game data (data/ or data.dat) in %s: run with --data=DIR for a folder "
                 "that holds it, or play the sample set with: bash scripts/run.sh\n",
                 (cwd_error ? options.data : folder.string()).c_str());
    return 1;
  }

  // Room for the pictures start-up decodes, faulted in by huge pages.
  constexpr size_t kStartHeapBytes = size_t{64} << 20;
  ReserveStartHeap(kStartHeapBytes);

  std::unique_ptr<Host> host;
  try {
    if (options.host == "null") {
      if (!options.input_file.empty() && !ReadInputScript(options.input_file, &options.null.input)) {
        return 2;
      }
      host = std::make_unique<NullHost>(options.null);
    } else {
      if (options.null_only_given) {
        std::fprintf(stderr, "brimal: note: the sdl host ignores the null host's options\n");
      }
      SdlHostOptions sdl;
      sdl.close_after_frame = options.null.close_after_frame;
      sdl.answer = options.full_screen;
      host = std::make_unique<SdlHost>(sdl);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brimal: the %s host cannot start: %s\n", options.host.c_str(), error.what());
    return 1;
  }

  InstallHost(std::move(host));
  CurrentHost().Clock().SetGameThread();
  const int result = WinMain();
  CurrentHost().Finish();
  return result;
}
