// The whole program through its menus and its first floors: the loading
// picture, the title menu, the selection moved by a key press, the player
// count and character choice screens, the configuration screen, a new game
// with and without the settings files, the first floor, a walk over two
// floors by their stairs, continued games, and a sound effect that decodes
// to nothing.
#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/app/whole_program_support.h"

namespace {

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

  const fs::path bare = Scratch() / "no-settings";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), bare, &error)) << error;
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

// A copy of the set with a slot on dansion09's save floor: CONTINUE loads
// that floor and its patch map.
TEST_F(WholeProgramTest, ContinueLoadsTheSavedFloor) {
  const fs::path copy = Scratch() / "continue-set";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
  ASSERT_TRUE(WriteSaveSlot(copy, 0, SlotImage(13, 0), &error)) << error;
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kContinue, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, kContinue.escape_frame);
  EXPECT_NE(h[200], h[150]) << "play follows the load menu";
}

// A copy of the set with a slot on field02's save floor: the save-point
// figure changes its cell every 15 frames of play.
TEST_F(WholeProgramTest, ContinueShowsTheSaveFigure) {
  const fs::path copy = Scratch() / "figure-set";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
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
  const fs::path copy = Scratch() / "edited-set";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
  EXPECT_FALSE(CopyDataSet(DataSet(), copy, &error)) << "a copy never overwrites";

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
  EXPECT_EQ(read(DataSet() / stairs), before);
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
  const fs::path copy = Scratch() / "empty-effect";
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
  fs::copy_file(fs::path(BRIMAL_BAD_INPUT_DIR) / "wav-empty-data-chunk.wav",
                copy / "data" / "se" / "se_title_cursor.wav", fs::copy_options::overwrite_existing);
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kNewGame, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, kNewGame.escape_frame);
  CompareWithGolden(kNewGame, h);
}

}  // namespace
