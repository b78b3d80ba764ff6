// The nine boss fights through the whole program, one run a table row: the
// party reaches the boss room through a copy of the set whose stairs lead
// there, walks up into the encounter scene's cells, hurries the scene with S
// and then holds its spot, firing; the chosen frames show the boss's first
// volleys and, where a row of the boss file is changed, a phase bound passed.
//
// Two ways lead in. Bosses 0 and 1 are met by the first character of a new
// game, walked onto the house's stairs; the copy's house stairs lead to the
// boss room. The later bosses would fell that 15-hit-point character within
// the first 150 frames of their fights, so their runs continue a saved game
// instead: slot 0 of the copy holds a party of one first character of level
// 5 with 400 hit points on field02's save floor, and that floor's second
// stairs row lies just below the save point and leads to the boss room. That
// way the party arrives near frame 317 instead of 722.
//
// Every boss room is the same: the party arrives in the corridor below it at
// (240, 432) and, holding the up key, steps at once onto the two scene cells
// in the gap of the room's bottom wall; the scene plays while S is held and
// clears the boss's count when it ends. The game's work in frame N (the
// frame whose poll reads the script's line N) shows first in the picture of
// frame N + 1.
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "tests/app/whole_program_support.h"

namespace {

enum class Route {
  kNewGame,   // the keys of kWalkToHomeStairs, the run's own lines from frame 620
  kContinue,  // the keys of kContinueToBossRoom, the run's own lines after the scene
};

// CONTINUE and the first slot (play from frame 171), down onto the stairs
// below the save point (touched near frame 197), then up and S held through
// the spin, the arrival near frame 317 and the encounter scene.
const char* const kContinueToBossRoom =
    "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n176 key=208\n"
    "210 key=200,31\n";

// The arrival below each boss room's scene cells.
constexpr int32_t kArrivalX = 240;
constexpr int32_t kArrivalY = 432;

// field02, whose floor 1 holds a save point where a continued party starts
// at (592, 144).
constexpr int32_t kSaveArea = 5;
constexpr int32_t kSaveFloor = 1;

struct BossFight {
  const char* name;  // the run's, which names its golden files
  Route route;
  int32_t area;  // the boss floor
  int32_t floor;
  const char* boss_row;  // the copy's boss file line, or nullptr for the set's own
  const char* keys;      // the run's own lines, after the route's
  int32_t escape_frame;
  std::vector<int32_t> checked_frames;
};

// Names a fight in the test's output (and in the names of discovered tests).
void PrintTo(const BossFight& fight, std::ostream* out) { *out << fight.name; }

// A slot of one seasoned first character: SlotImage's party with level 5
// and 400 of 400 hit points.
std::vector<uint8_t> SeasonedSlot() {
  std::vector<uint8_t> image = SlotImage(kSaveArea, kSaveFloor);
  auto word = [&image](size_t offset, int32_t value) {
    for (int i = 0; i < 4; ++i) {
      image[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    }
  };
  constexpr size_t kPlayer = 6040;  // character, alive, level, hp, hp_max, ...
  word(kPlayer + 8, 5);
  word(kPlayer + 12, 400);
  word(kPlayer + 16, 400);
  return image;
}

const BossFight kFights[] = {
    // Boss 0 walks its diagonals (870), stands on the one the party holds
    // and fires three diagonal shots at it (935, 962) while the party fires
    // back along it; it is beaten on frame 984 (985: the first vanish
    // burst, 1004), its crystal appears 132 frames later (1117), the party
    // walks up and takes it (1130: the exit cell still bare; 1140: taken,
    // level 2, the exit shown), walks onto the exit (1256), spins (1320) and
    // arrives on dansion01 floor 6 (1410, fading in).
    {"boss_0_diagonal_walker", Route::kNewGame, 2, 5, nullptr,
     "620 key=200,31\n822 key=200\n846 key=200,203\n847 key=200,203,44\n990 key=200,203\n"
     "1002 key=200\n1043 key=\n1118 key=200\n1139 key=200,205\n1205 key=205\n1300 key=\n"
     "1410 key=1\n",
     1410,
     {870, 935, 962, 984, 985, 1004, 1117, 1130, 1140, 1256, 1320, 1410}},
    // Boss 1 runs left in its first cycle; its volley of three (913) flies
    // 29 frames (930), hangs in the air from the frame 943 shows to the one
    // 973 shows (945, 973) while the boss runs on, then each shot is aimed
    // anew and flies at the party (974, 980, 990) until one hits (1000).
    {"boss_1_side_stepper", Route::kNewGame, 3, 6, nullptr,
     "620 key=200,31\n822 key=200,205\n905 key=\n1000 key=1\n", 1000,
     {913, 930, 945, 973, 974, 980, 990, 1000}},
    // Boss 2 (the set's 220 hit points) walks down at the party, which
    // fires from the gap below the room (520); it stands and lays its ring,
    // which hangs about it (545, 569); the hit of frame 569 takes it below
    // 150, and the whole hanging ring flies out at once (570, 580, 600);
    // it then presses on, throwing shots that fly at once (640), from its
    // centre below 100 (700).
    {"boss_2_ring_thrower", Route::kContinue, 6, 6, nullptr, "432 key=200,44\n700 key=1\n", 700,
     {520, 545, 569, 570, 580, 600, 640, 700}},
    // Boss 3 flees the near party along the top and left edges (540: facing
    // down after its spin); from frame 568 each of its 20 cues places a shot beside
    // the party that fades in (570, 590) and flies after 40 frames (611,
    // 640, 700, 740, 770); the party, firing left, hits it twice (662).
    {"boss_3_edge_runner", Route::kContinue, 7, 6, nullptr,
     "420 key=200\n556 key=203\n557 key=203,44\n770 key=1\n", 770,
     {540, 570, 590, 611, 640, 662, 700, 740, 770}},
    // Boss 4 stalks down toward the party (480); its first volleys, from
    // frame 530, alternate fast single shots and slow fans of two every five
    // frames (531 to 561) and end with a small wall of five fast shots
    // (571), all flying on (581, 600, 630, 660).
    {"boss_4_duelist", Route::kContinue, 8, 8, nullptr,
     "432 key=200\n470 key=200,44\n660 key=1\n", 660,
     {480, 531, 541, 551, 561, 571, 581, 600, 630, 660}},
    // Boss 5 starts 16 hit points above 350: it walks its script, firing
    // fans of orbs (450, 480), walking left (520) and throwing spears (589,
    // 620); the hit of frame 692 takes it to 350 and it chases the party
    // (692: the last scripted frame, 700), lays a ring of orbs that rides
    // about it as it comes (720, 735, 760) and flies out after 100 frames
    // (800, 840).
    {"boss_5_spears_and_orbs", Route::kContinue, 9, 5, "5,1,256,112,366,12,12,20,4,4",
     "420 key=200\n494 key=200,44\n840 key=1\n", 840,
     {450, 480, 520, 589, 620, 692, 700, 720, 735, 760, 800, 840}},
    // Boss 6 floats across the top with its keyboard circling it (531); its
    // pairs of notes cross the room, its fan of five (576) flies 80 frames
    // (600, 640, 655) and every note splits into a cross of four bullets
    // (656, 660, 680); the next cycle's notes follow (700, 730, 760).
    {"boss_6_musician", Route::kContinue, 11, 9, nullptr,
     "482 key=200\n557 key=200,44\n760 key=1\n", 760,
     {531, 576, 600, 640, 655, 656, 660, 680, 700, 730, 760}},
    // Boss 7 fires aimed pairs of bullet streams (560, 600, 700); on frame
    // 718 she lays a row of 32 bullets through her (719), which hangs (735,
    // 748) and from frame 748 streams away at four speeds (749, 760, 780,
    // 800, 830, 860).
    {"boss_7_ghost_princess", Route::kContinue, 12, 8, nullptr,
     "519 key=200\n594 key=200,44\n860 key=1\n", 860,
     {560, 600, 700, 719, 735, 748, 749, 760, 780, 800, 830, 860}},
    // Boss 8's first volleys while the party walks up to its spot: fixed
    // fans of nine from frames 389, 419 and 449 (390, 420, 450), the fan
    // aimed at the party from frame 489 (490, 500, 520), then the next round
    // (590, 620, 650, 690, 700).
    {"boss_8_final", Route::kContinue, 13, 9, nullptr,
     "371 key=200\n477 key=200,44\n700 key=1\n", 700,
     {390, 420, 450, 490, 500, 520, 590, 620, 650, 690, 700}},
    // Boss 8 starting at 1000 hit points, its last phase: it rises into its
    // rest box and fires a heavy shot every 100 ticks (472); it lays its ring
    // round the room one shot every 5 ticks (520, 620) until it is whole
    // (668); the ring stands (700, 730) and every shot of it moves inward at
    // once on frame 730 (731, 745, 760, 790).
    {"boss_8_laid_ring", Route::kContinue, 13, 9, "8,1,256,96,1000,18,28,24,5,5",
     "371 key=200\n477 key=200,44\n790 key=1\n", 790,
     {472, 520, 620, 668, 700, 730, 731, 745, 760, 790}},
};

class BossFightTest : public WholeProgramTest, public ::testing::WithParamInterface<BossFight> {
 protected:
  // The copy a fight runs on, named after it; empty on failure.
  static fs::path SetFor(const BossFight& fight) {
    const std::string name = std::string(fight.name) + "-set";
    fs::path copy;
    if (fight.route == Route::kNewGame) {
      copy = SetWithHomeStairsTo(name, fight.area, fight.floor, kArrivalX, kArrivalY);
    } else {
      copy = SetWithSavePointStairsTo(name, fight.area, fight.floor);
    }
    if (copy.empty() || fight.boss_row == nullptr) return copy;
    std::string error;
    if (!ReplaceLevelRow(copy, LevelFile(fight.area, "boss_data_", fight.floor), -1,
                         fight.boss_row, &error)) {
      ADD_FAILURE() << error;
      return fs::path();
    }
    return copy;
  }

  // A copy of the set whose slot 0 holds SeasonedSlot() and whose save
  // floor's second stairs row lies just below the save point, leading to the
  // arrival below the boss room of floor `floor` of area `area`.
  static fs::path SetWithSavePointStairsTo(const std::string& name, int32_t area, int32_t floor) {
    const fs::path copy = Scratch() / name;
    std::string error;
    const std::string row = "592,208," + std::to_string(area) + "," + std::to_string(floor) + "," +
                            std::to_string(kArrivalX) + "," + std::to_string(kArrivalY) + ",0";
    if (!CopyDataSet(DataSet(), copy, &error) ||
        !WriteSaveSlot(copy, 0, SeasonedSlot(), &error) ||
        !ReplaceLevelRow(copy, LevelFile(kSaveArea, "stairs_data_", kSaveFloor), 1, row, &error)) {
      ADD_FAILURE() << error;
      return fs::path();
    }
    return copy;
  }
};

TEST_P(BossFightTest, ShowsTheFight) {
  const BossFight& fight = GetParam();
  const fs::path copy = SetFor(fight);
  ASSERT_FALSE(copy.empty());
  const std::string script =
      std::string(fight.route == Route::kNewGame ? kWalkToHomeStairs : kContinueToBossRoom) +
      fight.keys;
  const ScriptedRun run = {fight.name, script.c_str(), fight.escape_frame, fight.checked_frames};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0) << "the run ends with 0 on Escape";
  ASSERT_EQ(h.rbegin()->first, run.escape_frame) << "Escape ends it on its frame";
  CompareWithGolden(run, h);
}

INSTANTIATE_TEST_SUITE_P(Bosses, BossFightTest, ::testing::ValuesIn(kFights),
                         [](const ::testing::TestParamInfo<BossFight>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
