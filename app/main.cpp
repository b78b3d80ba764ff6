// The program entry: reads the options, installs the chosen host, makes this
// thread the game thread and runs the game.
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "game/shell/shell.h"
#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/sdl/sdl_host.h"

namespace {

constexpr const char* kUsage =
    "usage: brimal [options]\n"
    "  --host=null|sdl          the host (default: BRIMAL_HOST, else sdl)\n"
    "  --data=DIR               run in DIR (holds data/, patch/, settings and saves)\n"
    "  --frames=N               close the window after frame N\n"
    "  --input=FILE             scripted input: lines 'FRAME key=DIK,... pad1=HEX ... pad4=HEX'\n"
    "  --answer=yes|no          the start-up question's answer on the null host (default no)\n"
    "  --frame-hashes=FILE      write 'N HASH' for every frame (null host)\n"
    "  --save-frames=DIR        write the frames of --frame-list as PNG files (null host)\n"
    "  --frame-list=A,B,...     the frames to save\n"
    "  --audio-out=FILE.wav     record the sound, 735 samples a frame at 44,100 Hz (null host)\n"
    "  --clock-start=MS         the virtual clock's start (null host)\n"
    "  --desktop-depth=16|32    the desktop's bits per pixel (null host, default 32)\n";

int Usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "brimal: %s\n", problem);
  std::fputs(kUsage, stderr);
  return 2;
}

template <typename T>
bool ParseNumber(std::string_view text, T* value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// Output and input paths are taken relative to where the program was started,
// before --data changes the working folder.
std::string Absolute(std::string_view path) {
  return std::filesystem::absolute(std::filesystem::path(path)).string();
}

struct Options {
  std::string host;
  std::string data;
  std::string input_file;
  NullHostOptions null;
  bool null_only_given = false;
  bool frame_list_given = false;
};

// Returns 0 when the options are good, else the exit status.
int ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    const size_t equals = arg.find('=');
    if (arg.substr(0, 2) != "--" || equals == std::string_view::npos) {
      return Usage(("unknown option " + std::string(arg)).c_str());
    }
    const std::string_view name = arg.substr(2, equals - 2);
    const std::string_view value = arg.substr(equals + 1);
    const std::string bad = "bad value for --" + std::string(name) + ": " + std::string(value);
    if (name == "host") {
      options->host = value;
    } else if (name == "data") {
      options->data = value;
    } else if (name == "frames") {
      if (!ParseNumber(value, &options->null.close_after_frame) || options->null.close_after_frame < 1) {
        return Usage(bad.c_str());
      }
    } else if (name == "input") {
      options->input_file = Absolute(value);
      options->null_only_given = true;
    } else if (name == "answer") {
      if (value != "yes" && value != "no") return Usage(bad.c_str());
      options->null.answer_yes = value == "yes";
      options->null_only_given = true;
    } else if (name == "frame-hashes") {
      options->null.frame_hashes_file = Absolute(value);
      options->null_only_given = true;
    } else if (name == "save-frames") {
      options->null.save_frames_dir = Absolute(value);
      options->null_only_given = true;
    } else if (name == "frame-list") {
      if (!ParseFrameList(value, &options->null.save_frame_list)) return Usage(bad.c_str());
      options->frame_list_given = true;
      options->null_only_given = true;
    } else if (name == "audio-out") {
      options->null.audio_out_file = Absolute(value);
      options->null_only_given = true;
    } else if (name == "clock-start") {
      if (!ParseNumber(value, &options->null.clock_start_ms)) return Usage(bad.c_str());
      options->null_only_given = true;
    } else if (name == "desktop-depth") {
      if (value != "16" && value != "32") return Usage(bad.c_str());
      options->null.desktop_depth = value == "16" ? 16 : 32;
      options->null_only_given = true;
    } else {
      return Usage(("unknown option --" + std::string(name)).c_str());
    }
  }
  if (options->host.empty()) {
    const char* env = std::getenv("BRIMAL_HOST");
    options->host = env != nullptr && *env != '\0' ? env : "sdl";
  }
  if (options->host != "null" && options->host != "sdl") {
    return Usage(("unknown host " + options->host + " (null or sdl)").c_str());
  }
  if (options->frame_list_given && options->null.save_frames_dir.empty()) {
    return Usage("--frame-list needs --save-frames");
  }
  return 0;
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
  if (const int status = ParseOptions(argc, argv, &options); status != 0) return status;

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
      host = std::make_unique<SdlHost>(sdl);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "brimal: the %s host cannot start: %s\n", options.host.c_str(), error.what());
    return 1;
  }

  if (!options.data.empty() && chdir(options.data.c_str()) != 0) {
    std::fprintf(stderr, "brimal: cannot enter %s: %s\n", options.data.c_str(), std::strerror(errno));
    return 1;
  }

  InstallHost(std::move(host));
  CurrentHost().Clock().SetGameThread();
  const int result = WinMain();
  CurrentHost().Finish();
  return result;
}
