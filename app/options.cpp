// The program's command line: the usage text and the option parser.
#include "app/options.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

const char* const kUsage =
    "usage: brimal [options]\n"
    "  --host=null|sdl          the host (default: BRIMAL_HOST, else sdl)\n"
    "  --data=DIR               run in DIR (holds data/, patch/, settings and saves)\n"
    "  --frames=N               close the window after frame N\n"
    "  --input=FILE             scripted input: lines 'FRAME key=DIK,... pad1=HEX ... pad4=HEX'\n"
    "  --fullscreen             start in full screen without asking the start-up question\n"
    "  --window                 start in a window without asking the start-up question\n"
    "  --answer=yes|no          the start-up question's answer on the null host (default no)\n"
    "  --frame-hashes=FILE      write 'N HASH' for every frame (null host)\n"
    "  --save-frames=DIR        write the frames of --frame-list as PNG files (null host)\n"
    "  --frame-list=A,B,...     the frames to save\n"
    "  --audio-out=FILE.wav     record the sound, 735 samples a frame at 44,100 Hz (null host)\n"
    "  --clock-start=MS         the virtual clock's start, 0 to 1000000000000000 (null host)\n"
    "  --desktop-depth=16|32    the desktop's bits per pixel (null host, default 32)\n";

namespace {

template <typename T>
bool ParseNumber(std::string_view text, T* value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// Output and input paths are taken relative to where the program was started,
// before --data changes the working folder. False for an empty path (which
// names no file) or one that cannot be made absolute.
bool Absolute(std::string_view path, std::string* absolute) {
  if (path.empty()) return false;
  std::error_code error;
  const std::filesystem::path made = std::filesystem::absolute(std::filesystem::path(path), error);
  if (error) return false;
  *absolute = made.string();
  return true;
}

OptionsResult Bad(std::string* problem, std::string text) {
  *problem = std::move(text);
  return OptionsResult::kBad;
}

}  // namespace

OptionsResult ParseOptions(int argc, const char* const* argv, Options* options, std::string* problem) {
  // The start-up question's answer and the option that gave it first, so that
  // two options giving different answers are refused.
  std::optional<bool> answer;
  std::string answered_by;
  const auto answer_with = [&](bool yes, std::string_view option) {
    if (answer.has_value() && *answer != yes) {
      *problem = std::string(option) + " contradicts " + answered_by;
      return false;
    }
    answer = yes;
    answered_by = option;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return OptionsResult::kHelp;
    if (arg == "--fullscreen" || arg == "--window") {
      const bool yes = arg == "--fullscreen";
      if (!answer_with(yes, arg)) return OptionsResult::kBad;
      options->full_screen = yes;
      options->null.answer_yes = yes;
      continue;
    }
    const size_t equals = arg.find('=');
    if (arg.substr(0, 2) != "--" || equals == std::string_view::npos) {
      return Bad(problem, "unknown option " + std::string(arg));
    }
    const std::string_view name = arg.substr(2, equals - 2);
    const std::string_view value = arg.substr(equals + 1);
    const std::string bad = "bad value for --" + std::string(name) + ": " + std::string(value);
    if (name == "host") {
      options->host = value;
    } else if (name == "data") {
      // An empty folder name would leave the program in the folder it was
      // started in, which the user did not name.
      if (value.empty()) return Bad(problem, bad);
      options->data = value;
    } else if (name == "frames") {
      // Any positive 64-bit frame number: the hosts count frames in 64 bits.
      if (!ParseNumber(value, &options->null.close_after_frame) || options->null.close_after_frame < 1) {
        return Bad(problem, bad);
      }
    } else if (name == "input") {
      if (!Absolute(value, &options->input_file)) return Bad(problem, bad);
      options->null_only_given = true;
    } else if (name == "answer") {
      if (value != "yes" && value != "no") return Bad(problem, bad);
      if (!answer_with(value == "yes", arg)) return OptionsResult::kBad;
      options->null.answer_yes = value == "yes";
      options->null_only_given = true;
    } else if (name == "frame-hashes") {
      if (!Absolute(value, &options->null.frame_hashes_file)) return Bad(problem, bad);
      options->null_only_given = true;
    } else if (name == "save-frames") {
      if (!Absolute(value, &options->null.save_frames_dir)) return Bad(problem, bad);
      options->null_only_given = true;
    } else if (name == "frame-list") {
      if (!ParseFrameList(value, &options->null.save_frame_list)) return Bad(problem, bad);
      options->frame_list_given = true;
      options->null_only_given = true;
    } else if (name == "audio-out") {
      if (!Absolute(value, &options->null.audio_out_file)) return Bad(problem, bad);
      options->null_only_given = true;
    } else if (name == "clock-start") {
      if (!ParseNumber(value, &options->null.clock_start_ms) ||
          options->null.clock_start_ms > kMaxClockStartMilliseconds) {
        return Bad(problem, bad);
      }
      options->null_only_given = true;
    } else if (name == "desktop-depth") {
      if (value != "16" && value != "32") return Bad(problem, bad);
      options->null.desktop_depth = value == "16" ? 16 : 32;
      options->null_only_given = true;
    } else if (name == "fullscreen" || name == "window") {
      return Bad(problem, "--" + std::string(name) + " takes no value");
    } else {
      return Bad(problem, "unknown option --" + std::string(name));
    }
  }
  if (options->host.empty()) {
    const char* env = std::getenv("BRIMAL_HOST");
    options->host = env != nullptr && *env != '\0' ? env : "sdl";
  }
  if (options->host != "null" && options->host != "sdl") {
    return Bad(problem, "unknown host " + options->host + " (null or sdl)");
  }
  if (options->frame_list_given && options->null.save_frames_dir.empty()) {
    return Bad(problem, "--frame-list needs --save-frames");
  }
  return OptionsResult::kRun;
}
