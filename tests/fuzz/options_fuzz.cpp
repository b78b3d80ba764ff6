// The program's option parser over any argument list: the input's bytes are
// the arguments, each ended by a NUL (a last argument may lack its NUL). What
// the parser accepts must lie within what the hosts can hold, and a refusal
// must say why.
#include <cstdint>
#include <string>
#include <vector>

#include "app/options.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Bounds the work per input: the parser is linear in the arguments.
  constexpr size_t kMaxArguments = 64;
  std::vector<std::string> arguments = {"brimal"};
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (!current.empty()) arguments.push_back(current);
  if (arguments.size() > kMaxArguments) arguments.resize(kMaxArguments);
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);

  Options options;
  std::string problem;
  const OptionsResult result =
      ParseOptions(static_cast<int>(arguments.size()), argv.data(), &options, &problem);
  if (result == OptionsResult::kBad) {
    FUZZ_CHECK(!problem.empty());
    return 0;
  }
  if (result == OptionsResult::kHelp) return 0;
  FUZZ_CHECK(options.host == "null" || options.host == "sdl");
  FUZZ_CHECK(options.null.clock_start_ms <= kMaxClockStartMilliseconds);
  FUZZ_CHECK(options.null.close_after_frame >= 0);
  FUZZ_CHECK(options.null.desktop_depth == 16 || options.null.desktop_depth == 32);
  for (const int64_t frame : options.null.save_frame_list) FUZZ_CHECK(frame >= 1);
  FUZZ_CHECK(!options.frame_list_given || !options.null.save_frames_dir.empty());
  // --fullscreen and --window answer the question on the null host too.
  FUZZ_CHECK(!options.full_screen.has_value() || *options.full_screen == options.null.answer_yes);
  return 0;
}
