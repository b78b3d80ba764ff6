// The whole program on the null host: `brimal --host=null` runs over a
// generated sample data set with scripted keys, and the frame hashes show
// the loading picture, the title menu, the selection moved by a key press,
// the player count and character choice screens and the configuration
// screen; a new game and a continued one load their first floor from the
// set's level files; every run ends with 0 on Escape (in the sanitizer build
// the program's own leak check, or a fault found while a floor loads, would
// end it otherwise).
//
// The hashes of chosen frames are compared with the golden files in
// tests/fixtures/whole_program (<run>.hashes), and the PNG files the program
// saves of those frames with the digests of the files saved when the golden
// hashes were written (<run>.frames: XXH3-64 of each file's bytes), so a
// change of the frame hash's function shows that the pictures stayed the
// same. Each hash is also checked to be XXH3-64 of its saved picture's RGB
// bytes. Both change only when the test runs with --update-golden, which
// writes them anew from this run:
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
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <png.h>
#include <xxhash.h>

#include "tests/app/data_set_copy.h"
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
// The first character chosen at 240: the opening scene plays over the
// house's floor, hurried by the fast-forward button (button 4, key S = 31)
// held from 244 to 420; play begins near frame 392 and fades in until 455.
const ScriptedRun kFirstFloor = {"first_floor",
                         "160 key=44\n164 key=\n200 key=44\n204 key=\n240 key=44\n244 key=31\n"
                         "420 key=\n480 key=1\n",
                         480,
                         {210, 260, 380, 440, 470, 480}};
// CONTINUE, then the first slot.
const ScriptedRun kContinue = {"continue_at_save_point",
                       "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"
                       "260 key=1\n",
                       260,
                       {150, 200, 260}};
// CONTINUE, then the first slot, on the field02 floor with the save-point
// figure: play from frame 171, faded in by 215.
const ScriptedRun kContinueAtFigure = {"continue",
                               "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"
                               "320 key=1\n",
                               320,
                               {150, 200, 220, 231, 235, 244, 250, 305, 320}};
// Z on START, on one player and on the first character: the new game starts
// with its opening scene.
const ScriptedRun kStartGame = {"start_game",
                        "100 key=44\n104 key=\n130 key=44\n134 key=\n160 key=44\n164 key=\n"
                        "240 key=1\n",
                        240,
                        {99, 120, 150, 165, 240}};
// A new game walks: the opening hurried by S, then right along the house's
// row and down its column onto the stairs (touched near 601), the spin for
// 120 frames, field01 floor 0 fading in, then down its first column and
// right along the bottom row onto its stairs (touched near 1242), the spin
// again and field01 floor 1. Keys: 205 right, 208 down.
const ScriptedRun kWalk = {"walk",
                   "160 key=44\n164 key=\n200 key=44\n204 key=\n240 key=44\n244 key=31\n"
                   "420 key=\n460 key=205\n550 key=208\n610 key=\n760 key=208\n965 key=205\n"
                   "1243 key=\n1420 key=1\n",
                   1420,
                   {459, 500, 600, 650, 740, 900, 1100, 1300, 1400}};
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

  // The folder the program saves the checked frames of `run` in.
  static fs::path FramesFolder(const ScriptedRun& run) {
    return *folder_ / (std::string(run.name) + "-frames");
  }

  // Runs the program with `run`'s script over `data_set` (by default the
  // generated set); returns its exit status (-1 when it did not exit
  // normally) and fills `hashes` from its hash file. The checked frames are
  // saved as PNG files in FramesFolder(run).
  static int RunProgram(const ScriptedRun& run, std::map<int32_t, std::string>* hashes,
                        const fs::path& data_set = fs::path()) {
    const fs::path script = *folder_ / (std::string(run.name) + ".input");
    const fs::path hash_file = *folder_ / (std::string(run.name) + ".hashes");
    std::ofstream(script) << run.script;
    std::string frame_list;
    for (int32_t frame : run.checked_frames) {
      frame_list += (frame_list.empty() ? "" : ",") + std::to_string(frame);
    }
    std::vector<std::string> args = {BRIMAL_PROGRAM, "--host=null",
                                     "--data=" + (data_set.empty() ? *folder_ / "data-set" : data_set).string(),
                                     "--input=" + script.string(),
                                     "--frame-hashes=" + hash_file.string(),
                                     "--save-frames=" + FramesFolder(run).string(),
                                     "--frame-list=" + frame_list};
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

  // XXH3-64 of the bytes of the PNG file the run saved of `frame`, as 16
  // hex digits; empty when the file cannot be read.
  static std::string SavedFrameDigest(const ScriptedRun& run, int32_t frame) {
    char name[32];
    std::snprintf(name, sizeof(name), "frame_%06d.png", static_cast<int>(frame));
    std::ifstream in(FramesFolder(run) / name, std::ios::binary);
    if (!in) return "";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx",
                  static_cast<unsigned long long>(XXH3_64bits(bytes.data(), bytes.size())));
    return text;
  }

  // XXH3-64 of the 8-bit RGB bytes of the picture in the PNG file the run
  // saved of `frame`, as 16 hex digits; empty when it cannot be read.
  static std::string SavedFramePictureHash(const ScriptedRun& run, int32_t frame) {
    char name[32];
    std::snprintf(name, sizeof(name), "frame_%06d.png", static_cast<int>(frame));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, (FramesFolder(run) / name).c_str())) return "";
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return "";
    char text[17];
    std::snprintf(text, sizeof(text), "%016llx",
                  static_cast<unsigned long long>(XXH3_64bits(rgb.data(), rgb.size())));
    return text;
  }

  // Compares the chosen frames of one kind (`extension`: "hashes" or
  // "frames") with its golden file, or writes that file anew.
  static void CompareWithGoldenFile(const ScriptedRun& run, const char* extension,
                                    const char* what,
                                    const std::map<int32_t, std::string>& values) {
    const fs::path golden = fs::path(BRIMAL_GOLDEN_DIR) / (std::string(run.name) + "." + extension);
    if (UpdateGolden) {
      std::ofstream out(golden);
      out << "# " << what << " of the whole-program run \"" << run.name
          << "\"; written by whole_program_tests --update-golden.\n";
      for (int32_t frame : run.checked_frames) out << frame << ' ' << values.at(frame) << '\n';
      std::printf("golden values written to %s\n", golden.c_str());
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
      std::string value;
      fields >> frame >> value;
      expected[frame] = value;
    }
    for (int32_t frame : run.checked_frames) {
      ASSERT_EQ(expected.count(frame), 1u) << "frame " << frame << " is not in " << golden;
      EXPECT_EQ(values.at(frame), expected.at(frame)) << "frame " << frame << " in " << golden;
    }
  }

  // Compares the chosen frames' hashes and saved PNG files with the golden
  // files, or writes them anew.
  static void CompareWithGolden(const ScriptedRun& run, const std::map<int32_t, std::string>& hashes) {
    std::map<int32_t, std::string> digests;
    for (int32_t frame : run.checked_frames) {
      digests[frame] = SavedFrameDigest(run, frame);
      ASSERT_FALSE(digests[frame].empty()) << "frame " << frame << " was not saved";
      EXPECT_EQ(SavedFramePictureHash(run, frame), hashes.at(frame))
          << "frame " << frame << ": the hash is not that of the saved picture";
    }
    CompareWithGoldenFile(run, "hashes", "Frame hashes", hashes);
    CompareWithGoldenFile(run, "frames", "XXH3-64 of the saved PNG file of each frame", digests);
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
  EXPECT_NE(with_files[165], with_files[150]) << "the character is taken and the game begins";
  CompareWithGolden(kStartGame, with_files);

  const fs::path bare = *folder_ / "no-settings";
  std::string error;
  ASSERT_TRUE(CopyDataSet(*folder_ / "data-set", bare, &error)) << error;
  fs::remove(bare / "config_data.dat");
  fs::remove(bare / "pad.dat");
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

// Choosing the first character starts the house's floor, read from the
// set's level files: its map chips show behind the opening scene and then in
// play.
TEST_F(WholeProgramTest, NewGameLoadsTheFirstFloor) {
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kFirstFloor, &h), 0) << "the run ends with 0 on Escape";
  ASSERT_EQ(h.rbegin()->first, kFirstFloor.escape_frame);
  EXPECT_NE(h[260], h[210]) << "the floor follows the character choice";
  EXPECT_NE(h[440], h[380]) << "play follows the opening's page";
  CompareWithGolden(kFirstFloor, h);
}

// Walking with the arrow keys from the house to field01 floor 1: the walk
// cells change, the stairs spin, each new floor fades in.
TEST_F(WholeProgramTest, WalkingAcrossTwoFloorsByTheirStairs) {
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kWalk, &h), 0) << "the run ends with 0 on Escape";
  ASSERT_EQ(h.rbegin()->first, kWalk.escape_frame);
  EXPECT_NE(h[500], h[459]) << "walking right";
  EXPECT_NE(h[650], h[600]) << "the spin on the stairs";
  EXPECT_NE(h[740], h[650]) << "field01 floor 0";
  EXPECT_NE(h[1100], h[900]) << "walking on field01";
  EXPECT_NE(h[1400], h[1300]) << "field01 floor 1";
  CompareWithGolden(kWalk, h);
}

// A 6216-byte save slot: one player of the first character, every item row
// present and every boss row active, on floor `floor` of area `area`.
std::vector<uint8_t> SlotImage(int32_t area, int32_t floor) {
  std::vector<uint8_t> image(6216, 0);
  auto word = [&image](size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  };
  word(0, 1);  // used
  word(4, 1);  // one player
  word(8, 3);  // revival stock
  word(12, area);
  word(16, floor);
  for (size_t row = 0; row < 92 * 16; ++row) word(116 + 4 * row, 1);
  for (size_t boss = 0; boss < 9; ++boss) word(6004 + 4 * boss, 1);
  const size_t player = 6040;
  const float agility = 2.2f;
  int32_t agility_bits = 0;
  std::memcpy(&agility_bits, &agility, sizeof agility_bits);
  const int32_t fields[11] = {0, 1, 1, 15, 15, agility_bits, 8, 5, 5, 0, 0};
  for (size_t f = 0; f < 11; ++f) word(player + 4 * f, fields[f]);
  return image;
}

// A copy of the set with a slot on dansion09's save floor: CONTINUE loads
// that floor and its patch map.
TEST_F(WholeProgramTest, ContinueLoadsTheSavedFloor) {
  const fs::path copy = *folder_ / "continue-set";
  std::string error;
  ASSERT_TRUE(CopyDataSet(*folder_ / "data-set", copy, &error)) << error;
  ASSERT_TRUE(WriteSaveSlot(copy, 0, SlotImage(13, 0), &error)) << error;
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kContinue, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, kContinue.escape_frame);
  EXPECT_NE(h[200], h[150]) << "play follows the load menu";
}

// A copy of the set with a slot on field02's save floor: the save-point
// figure changes its cell every 15 frames of play.
TEST_F(WholeProgramTest, ContinueShowsTheSaveFigure) {
  const fs::path copy = *folder_ / "figure-set";
  std::string error;
  ASSERT_TRUE(CopyDataSet(*folder_ / "data-set", copy, &error)) << error;
  ASSERT_TRUE(WriteSaveSlot(copy, 0, SlotImage(5, 1), &error)) << error;
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kContinueAtFigure, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, kContinueAtFigure.escape_frame);
  EXPECT_NE(h[220], h[200]) << "play fades in";
  EXPECT_NE(h[235], h[220]) << "the figure's next cell";
  EXPECT_NE(h[250], h[235]) << "the figure's next cell";
  EXPECT_NE(h[320], h[305]) << "the figure's next cell";
  CompareWithGolden(kContinueAtFigure, h);
}

// The copy helper: a row of a copied level file changes and nothing else;
// the generated set stays as it was.
TEST_F(WholeProgramTest, CopiedSetTakesItsOwnRows) {
  const fs::path copy = *folder_ / "edited-set";
  std::string error;
  ASSERT_TRUE(CopyDataSet(*folder_ / "data-set", copy, &error)) << error;
  EXPECT_FALSE(CopyDataSet(*folder_ / "data-set", copy, &error)) << "a copy never overwrites";

  auto read = [](const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::string stairs = LevelFile(0, "stairs_data_", 0);
  EXPECT_EQ(stairs, "data/mapdata/pelune_house/stairs_data_pelune_house.csv");
  const std::string before = read(copy / stairs);
  ASSERT_TRUE(ReplaceLevelRow(copy, stairs, 0, "400,304,2,5,240,432,0", &error)) << error;
  const std::string after = read(copy / stairs);
  EXPECT_EQ(after.substr(0, after.find("\r\n") + 2), before.substr(0, before.find("\r\n") + 2))
      << "the count line stays";
  EXPECT_NE(after.find("\r\n400,304,2,5,240,432,0\r\n"), std::string::npos);
  EXPECT_EQ(after.substr(after.size() - 3), "@\r\n");
  EXPECT_EQ(read(*folder_ / "data-set" / stairs), before);
  EXPECT_FALSE(ReplaceLevelRow(copy, stairs, 5, "1,2", &error)) << "the file has no row 5";

  const std::string boss = LevelFile(2, "boss_data_", 5);
  EXPECT_EQ(boss, "data/mapdata/dansion01/boss_data_dansion015.csv");
  ASSERT_TRUE(ReplaceLevelRow(copy, boss, -1, "0,1,256,128,1,6,20,32,6,6", &error)) << error;
  EXPECT_EQ(read(copy / boss), "0,1,256,128,1,6,20,32,6,6\r\n");

  ASSERT_TRUE(WriteSaveSlot(copy, 2, SlotImage(5, 1), &error)) << error;
  EXPECT_EQ(fs::file_size(copy / "patch" / "save_data2.dat"), 6216u);
  EXPECT_FALSE(WriteSaveSlot(copy, 3, SlotImage(5, 1), &error));
}

// A sound effect whose WAV has an empty data chunk with more chunks behind
// it (once a heap overflow at start-up, when the effects are loaded): the
// game starts, plays its title with the effect silent, shows the frames it
// always shows and ends with 0.
TEST_F(WholeProgramTest, ASoundEffectThatDecodesToNothingLeavesTheGameAsItIs) {
  const fs::path copy = *folder_ / "empty-effect";
  std::string error;
  ASSERT_TRUE(CopyDataSet(*folder_ / "data-set", copy, &error)) << error;
  fs::copy_file(fs::path(BRIMAL_BAD_INPUT_DIR) / "wav-empty-data-chunk.wav",
                copy / "data" / "se" / "se_title_cursor.wav", fs::copy_options::overwrite_existing);
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kNewGame, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, kNewGame.escape_frame);
  CompareWithGolden(kNewGame, h);
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
