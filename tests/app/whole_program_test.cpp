// The whole program on the null host: `brimal --host=null` runs over a
// generated sample data set with scripted keys, and the frame hashes show
// the loading picture, the title menu, the selection moved by a key press,
// the player count and character choice screens and the configuration
// screen; the run ends with 0 on Escape (in the sanitizer build the program's
// own leak check would end it otherwise).
//
// The hashes of chosen frames are compared with the golden files in
// tests/fixtures/whole_program. They change only when the test runs with
// --update-golden, which writes them anew from this run:
//   build/test/tests/app/whole_program_tests --update-golden
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/sample_data/sample_data.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

bool UpdateGolden = false;

struct ScriptedRun {
  const char* name;
  const char* script;
  int32_t escape_frame;  // the frame whose poll sees Escape: the last one
  std::vector<int32_t> checked_frames;
};

// DirectInput key codes: 208 down, 200 up, 44 Z (shot and decide), 1 Escape.
const ScriptedRun kNewGame = {"new_game",
                      "100 key=208\n104 key=\n130 key=200\n134 key=\n"
                      "160 key=44\n164 key=\n200 key=44\n204 key=\n280 key=1\n",
                      280,
                      {1, 99, 110, 140, 170, 210, 280}};
// Z on START, on one player and on the first character: the new game starts
// and play is entered (the first floor shows nothing yet).
const ScriptedRun kStartGame = {"start_game",
                        "100 key=44\n104 key=\n130 key=44\n134 key=\n160 key=44\n164 key=\n"
                        "240 key=1\n",
                        240,
                        {99, 120, 150, 165, 240}};
const ScriptedRun kConfig = {"config",
                     "100 key=208\n104 key=\n130 key=208\n134 key=\n160 key=44\n164 key=\n"
                     "220 key=1\n",
                     220,
                     {1, 99, 110, 140, 180, 220}};

class WholeProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/brimal_whole_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = new fs::path(pattern);
    std::string error;
    ASSERT_TRUE(GenerateSampleData((*folder_ / "data-set").string(), SampleDataOptions{}, &error))
        << error;
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(*folder_, ignored);
    delete folder_;
    folder_ = nullptr;
  }

  // A copy of the generated set, named `name`, changed by `edit` (which gets
  // the copy's folder): the one way a run gets a set of its own.
  template <typename Edit>
  static fs::path EditedDataSet(const std::string& name, Edit edit) {
    const fs::path copy = *folder_ / name;
    fs::remove_all(copy);
    fs::copy(*folder_ / "data-set", copy, fs::copy_options::recursive);
    edit(copy);
    return copy;
  }

  // Runs the program with `run`'s script on `data` (the generated set when
  // empty); returns its exit status (-1 when it did not exit normally) and
  // fills `hashes` from its hash file.
  static int RunProgram(const ScriptedRun& run, std::map<int32_t, std::string>* hashes,
                        const fs::path& data = {}) {
    std::string label = run.name;
    if (!data.empty()) {
      label += '-';
      label += data.filename().string();
    }
    const fs::path script = *folder_ / (label + ".input");
    const fs::path hash_file = *folder_ / (label + ".hashes");
    std::ofstream(script) << run.script;
    std::vector<std::string> args = {BRIMAL_PROGRAM, "--host=null",
                                     "--data=" + (data.empty() ? *folder_ / "data-set" : data).string(),
                                     "--input=" + script.string(),
                                     "--frame-hashes=" + hash_file.string()};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, BRIMAL_PROGRAM, nullptr, nullptr, argv.data(), environ) != 0) {
      return -1;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    std::ifstream in(hash_file);
    int32_t frame = 0;
    std::string hash;
    while (in >> frame >> hash) (*hashes)[frame] = hash;
    return WEXITSTATUS(status);
  }

  // Compares the chosen frames with the golden file, or writes it anew.
  static void CompareWithGolden(const ScriptedRun& run, const std::map<int32_t, std::string>& hashes) {
    const fs::path golden = fs::path(BRIMAL_GOLDEN_DIR) / (std::string(run.name) + ".hashes");
    if (UpdateGolden) {
      std::ofstream out(golden);
      out << "# Frame hashes of the whole-program run \"" << run.name
          << "\"; written by whole_program_tests --update-golden.\n";
      for (int32_t frame : run.checked_frames) out << frame << ' ' << hashes.at(frame) << '\n';
      std::printf("golden hashes written to %s\n", golden.c_str());
      return;
    }
    std::ifstream in(golden);
    ASSERT_TRUE(in) << "no golden file " << golden << " (write it with --update-golden)";
    std::map<int32_t, std::string> expected;
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      std::istringstream fields(line);
      int32_t frame = 0;
      std::string hash;
      fields >> frame >> hash;
      expected[frame] = hash;
    }
    for (int32_t frame : run.checked_frames) {
      ASSERT_EQ(expected.count(frame), 1u) << "frame " << frame << " is not in " << golden;
      EXPECT_EQ(hashes.at(frame), expected.at(frame)) << "frame " << frame;
    }
  }

  static fs::path* folder_;
};

fs::path* WholeProgramTest::folder_ = nullptr;

TEST_F(WholeProgramTest, NewGameThroughPlayerCountAndCharacterChoice) {
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kNewGame, &h), 0) << "the run ends with 0 on Escape";
  ASSERT_EQ(h.size(), static_cast<size_t>(kNewGame.escape_frame));
  ASSERT_EQ(h.rbegin()->first, kNewGame.escape_frame) << "Escape ends it on its frame";
  // The loading picture, then the title menu; the selection moves down and
  // back up again, and the decisions lead to new screens.
  EXPECT_NE(h[1], h[99]);
  EXPECT_NE(h[110], h[99]) << "a key press moves the selection";
  EXPECT_EQ(h[140], h[99]) << "moving back up shows the first row lit again";
  EXPECT_NE(h[170], h[99]) << "player count screen";
  EXPECT_NE(h[210], h[170]) << "character choice screen";
  CompareWithGolden(kNewGame, h);
}

// Without "config_data.dat" and "pad.dat" every action keeps its own button
// and player 1 the keyboard: the same keys start the same game, frame for
// frame.
TEST_F(WholeProgramTest, ANewGameStartsWithTheSettingsFilesRemoved) {
  std::map<int32_t, std::string> with_files;
  ASSERT_EQ(RunProgram(kStartGame, &with_files), 0);
  ASSERT_EQ(with_files.rbegin()->first, kStartGame.escape_frame);
  EXPECT_NE(with_files[120], with_files[99]) << "player count screen";
  EXPECT_NE(with_files[150], with_files[120]) << "character choice screen";
  EXPECT_NE(with_files[165], with_files[150]) << "the character is taken and play entered";
  CompareWithGolden(kStartGame, with_files);

  const fs::path bare = EditedDataSet("no-settings", [](const fs::path& set) {
    fs::remove(set / "config_data.dat");
    fs::remove(set / "pad.dat");
  });
  std::map<int32_t, std::string> without_files;
  ASSERT_EQ(RunProgram(kStartGame, &without_files, bare), 0);
  EXPECT_EQ(without_files, with_files);
}

TEST_F(WholeProgramTest, ConfigurationScreenFromTheTitle) {
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kConfig, &h), 0);
  ASSERT_EQ(h.rbegin()->first, kConfig.escape_frame);
  EXPECT_NE(h[110], h[99]);
  EXPECT_NE(h[140], h[110]) << "the third row lit";
  EXPECT_NE(h[180], h[140]) << "configuration screen";
  CompareWithGolden(kConfig, h);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--update-golden") == 0) {
      UpdateGolden = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  ::testing::InitGoogleTest(&count, args.data());
  return RUN_ALL_TESTS();
}
