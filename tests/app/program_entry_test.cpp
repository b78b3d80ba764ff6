// The program entry and its command line: the option parser's ranges (a
// table of arguments and what becomes of them), and the built `brimal` run
// where it finds no game data, with game data that is damaged, with refused
// options and with the largest virtual-clock start.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.h"
#include "tests/support/private_runtime_folder.h"
#include "tools/sample_data/sample_data.h"

namespace fs = std::filesystem;

namespace {

// ---- The parser -----------------------------------------------------------------

struct OptionCase {
  const char* argument;
  OptionsResult expected;
};

class OptionRangeTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionRangeTest, AcceptsValuesTheHostCanHoldAndRefusesOthers) {
  const OptionCase& c = GetParam();
  // --save-frames lets --frame-list cases stand alone.
  const char* argv[] = {"brimal", "--host=null", "--save-frames=/tmp/frames", c.argument};
  Options options;
  std::string problem;
  EXPECT_EQ(ParseOptions(4, argv, &options, &problem), c.expected) << c.argument << ": " << problem;
  if (c.expected == OptionsResult::kBad) {
    EXPECT_NE(problem.find("bad value"), std::string::npos) << problem;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionRangeTest,
    ::testing::Values(
        // The virtual clock is kept in 64-bit microseconds and tripled to find
        // frame boundaries; starts past 10^15 ms would let that wrap.
        OptionCase{"--clock-start=0", OptionsResult::kRun},
        OptionCase{"--clock-start=1000000000000000", OptionsResult::kRun},
        OptionCase{"--clock-start=1000000000000001", OptionsResult::kBad},
        OptionCase{"--clock-start=18446744073709551", OptionsResult::kBad},
        OptionCase{"--clock-start=9223372036854775807", OptionsResult::kBad},
        OptionCase{"--clock-start=18446744073709551615", OptionsResult::kBad},
        OptionCase{"--clock-start=18446744073709551616", OptionsResult::kBad},
        OptionCase{"--clock-start=-1", OptionsResult::kBad},
        OptionCase{"--clock-start=", OptionsResult::kBad},
        OptionCase{"--clock-start=12ms", OptionsResult::kBad},
        // Frames are counted in 64 bits from 1.
        OptionCase{"--frames=1", OptionsResult::kRun},
        OptionCase{"--frames=9223372036854775807", OptionsResult::kRun},
        OptionCase{"--frames=9223372036854775808", OptionsResult::kBad},
        OptionCase{"--frames=0", OptionsResult::kBad},
        OptionCase{"--frames=-5", OptionsResult::kBad},
        OptionCase{"--frame-list=1,2,9223372036854775807", OptionsResult::kRun},
        OptionCase{"--frame-list=1,9223372036854775808", OptionsResult::kBad},
        OptionCase{"--frame-list=0", OptionsResult::kBad},
        OptionCase{"--frame-list=1,,2", OptionsResult::kBad},
        OptionCase{"--desktop-depth=16", OptionsResult::kRun},
        OptionCase{"--desktop-depth=32", OptionsResult::kRun},
        OptionCase{"--desktop-depth=24", OptionsResult::kBad},
        OptionCase{"--desktop-depth=0x20", OptionsResult::kBad},
        // An empty path names no file (making it absolute once ended the
        // program with an uncaught exception).
        OptionCase{"--input=", OptionsResult::kBad},
        OptionCase{"--frame-hashes=", OptionsResult::kBad},
        OptionCase{"--save-frames=", OptionsResult::kBad},
        OptionCase{"--audio-out=", OptionsResult::kBad},
        OptionCase{"--data=", OptionsResult::kBad},
        OptionCase{"--audio-out=out.wav", OptionsResult::kRun}));

TEST(OptionParserTest, KeepsTheLargestClockStartAsGiven) {
  const char* argv[] = {"brimal", "--host=null", "--clock-start=1000000000000000"};
  Options options;
  std::string problem;
  ASSERT_EQ(ParseOptions(3, argv, &options, &problem), OptionsResult::kRun);
  EXPECT_EQ(options.null.clock_start_ms, kMaxClockStartMilliseconds);
}

TEST(OptionParserTest, NamesHelpUnknownOptionsAndLonelyFrameLists) {
  Options options;
  std::string problem;
  const char* help[] = {"brimal", "--frames=3", "-h"};
  EXPECT_EQ(ParseOptions(3, help, &options, &problem), OptionsResult::kHelp);
  const char* unknown[] = {"brimal", "--speed=2"};
  EXPECT_EQ(ParseOptions(2, unknown, &options, &problem), OptionsResult::kBad);
  EXPECT_EQ(problem, "unknown option --speed");
  Options fresh;
  const char* lonely[] = {"brimal", "--host=null", "--frame-list=5"};
  EXPECT_EQ(ParseOptions(3, lonely, &fresh, &problem), OptionsResult::kBad);
  EXPECT_EQ(problem, "--frame-list needs --save-frames");
}

// --fullscreen and --window answer the start-up question on both hosts (on
// the null host as --answer does); options that give different answers are
// refused, naming both, and the two take no value.
TEST(OptionParserTest, FullScreenAndWindowAnswerTheStartUpQuestion) {
  struct Case {
    std::vector<const char*> args;
    OptionsResult expected;
    std::optional<bool> full_screen;  // when kRun
    bool null_answer_yes;             // when kRun
    const char* problem;              // when kBad
  };
  const Case cases[] = {
      {{}, OptionsResult::kRun, std::nullopt, false, ""},
      {{"--fullscreen"}, OptionsResult::kRun, true, true, ""},
      {{"--window"}, OptionsResult::kRun, false, false, ""},
      {{"--host=null", "--fullscreen"}, OptionsResult::kRun, true, true, ""},
      {{"--fullscreen", "--fullscreen"}, OptionsResult::kRun, true, true, ""},
      {{"--answer=yes", "--fullscreen"}, OptionsResult::kRun, true, true, ""},
      {{"--window", "--answer=no"}, OptionsResult::kRun, false, false, ""},
      {{"--answer=yes"}, OptionsResult::kRun, std::nullopt, true, ""},
      {{"--fullscreen", "--window"}, OptionsResult::kBad, {}, false, "--window contradicts --fullscreen"},
      {{"--window", "--fullscreen"}, OptionsResult::kBad, {}, false, "--fullscreen contradicts --window"},
      {{"--answer=yes", "--window"}, OptionsResult::kBad, {}, false, "--window contradicts --answer=yes"},
      {{"--fullscreen", "--answer=no"}, OptionsResult::kBad, {}, false, "--answer=no contradicts --fullscreen"},
      {{"--answer=no", "--answer=yes"}, OptionsResult::kBad, {}, false, "--answer=yes contradicts --answer=no"},
      {{"--fullscreen=yes"}, OptionsResult::kBad, {}, false, "--fullscreen takes no value"},
      {{"--window="}, OptionsResult::kBad, {}, false, "--window takes no value"},
      {{"-fullscreen"}, OptionsResult::kBad, {}, false, "unknown option -fullscreen"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"brimal"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args.back());
    Options options;
    std::string problem;
    ASSERT_EQ(ParseOptions(static_cast<int>(argv.size()), argv.data(), &options, &problem), c.expected)
        << problem;
    if (c.expected == OptionsResult::kBad) {
      EXPECT_EQ(problem, c.problem);
      continue;
    }
    EXPECT_EQ(options.full_screen, c.full_screen);
    EXPECT_EQ(options.null.answer_yes, c.null_answer_yes);
    // Only --answer is the null host's own: the sdl host is told of it.
    EXPECT_EQ(options.null_only_given,
              std::any_of(c.args.begin(), c.args.end(),
                          [](const char* arg) { return std::string_view(arg).starts_with("--answer"); }));
  }
}

// ---- The program ----------------------------------------------------------------

struct ProgramResult {
  int status = -1;  // the exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ProgramEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brimal_entry_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Runs the program with `args` in the folder `cwd`.
  ProgramResult Run(const std::vector<std::string>& args, const fs::path& cwd) {
    const fs::path out = folder_ / "stdout.txt";
    const fs::path err = folder_ / "stderr.txt";
    std::vector<std::string> all = {BRIMAL_PROGRAM};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    // A runtime folder of the run's own: no other copy of the game stops it.
    const std::string runtime_folder = NewRuntimeFolder(folder_);
    EnvironmentWithRuntimeFolder environment(runtime_folder);
    std::vector<char*> env = environment.Pointers();
    ProgramResult result;
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, BRIMAL_PROGRAM, &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = ReadWhole(out);
    result.err = ReadWhole(err);
    return result;
  }

  fs::path folder_;
};

// Where the program runs, it finds its folder neither through --data nor
// as the folder it was started in: one line on stderr names the folder and
// both remedies, and the program ends with 1 before any host starts.
TEST_F(ProgramEntryTest, AFolderWithoutGameDataIsNamedAndEndsWithOne) {
  const fs::path empty = folder_ / "empty";
  fs::create_directory(empty);
  fs::create_directory(empty / "patch");  // other folders are not game data
  struct Case {
    std::vector<std::string> args;
    fs::path cwd;
  };
  const Case cases[] = {
      {{"--host=null"}, empty},
      {{"--host=sdl"}, empty},
      {{"--host=null", "--data=" + empty.string()}, folder_},
      {{"--host=sdl", "--data=" + empty.string(), "--frames=1"}, folder_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " in " + c.cwd.string());
    const ProgramResult result = Run(c.args, c.cwd);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(empty.string()), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("--data=DIR"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("bash scripts/run.sh"), std::string::npos) << result.err;
  }
}

// A data folder or archive that is there but holds nothing usable is the
// game's own business: the program runs its frames and ends as it always did.
TEST_F(ProgramEntryTest, GameDataThatIsPresentButDamagedStillRuns) {
  fs::create_directories(folder_ / "folder" / "data");
  fs::create_directories(folder_ / "archive");
  std::ofstream(folder_ / "archive" / "data.dat") << "not an archive";
  for (const char* name : {"folder", "archive"}) {
    SCOPED_TRACE(name);
    const ProgramResult result = Run({"--host=null", "--frames=60"}, folder_ / name);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err.find("no game data"), std::string::npos) << result.err;
  }
}

TEST_F(ProgramEntryTest, RefusesOutOfRangeNumbersAndEmptyPathsWithTheUsageTextAndTwo) {
  fs::create_directories(folder_ / "data");
  struct Case {
    const char* option;
    const char* named;  // how the refusal names it
  };
  const Case cases[] = {
      {"--clock-start=18446744073709551", "bad value for --clock-start"},
      {"--clock-start=18446744073709551615", "bad value for --clock-start"},
      {"--frames=9223372036854775808", "bad value for --frames"},
      {"--frame-list=0", "bad value for --frame-list"},
      {"--input=", "bad value for --input"},
      {"--data=", "bad value for --data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    // --frames ends a run that was not refused (this folder holds game data).
    const ProgramResult result = Run(
        {"--host=null", "--frames=1", "--save-frames=" + (folder_ / "frames").string(), c.option},
        folder_);
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("usage: brimal"), std::string::npos) << result.err;
  }
}

// At the largest start the virtual clock still reaches every frame.
TEST_F(ProgramEntryTest, TheLargestClockStartStillMakesFrames) {
  std::string error;
  ASSERT_TRUE(GenerateSampleData((folder_ / "set").string(), SampleDataOptions{}, &error)) << error;
  const fs::path hashes = folder_ / "hashes.txt";
  const ProgramResult result =
      Run({"--host=null", "--data=" + (folder_ / "set").string(), "--frames=120",
           "--clock-start=" + std::to_string(kMaxClockStartMilliseconds),
           "--frame-hashes=" + hashes.string()},
          folder_);
  EXPECT_EQ(result.status, 0) << result.err;
  std::ifstream in(hashes);
  int64_t frame = 0, last = 0;
  std::string hash;
  while (in >> frame >> hash) last = frame;
  EXPECT_EQ(last, 120);
}

}  // namespace
