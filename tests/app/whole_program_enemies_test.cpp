// Enemies in the whole program: a new game walks onto the house's stairs,
// which a copy of the set leads to a floor whose generators have been moved
// around the arrival point, so that every kind they release comes on screen
// at once and the run stays short. Each run is made twice: the same keys and
// the same clock give the same frames.
#include <string>
#include <vector>

#include "tests/app/whole_program_support.h"

namespace {

struct Generator {
  int32_t x, y, kind;
  int32_t hp;
  int32_t interval;  // 0: the row has no interval column
};

class WholeProgramEnemiesTest : public WholeProgramTest {
 protected:
  // A copy of the set whose house stairs lead to (x, y) on floor `floor` of
  // `area`, with that floor's generator rows replaced in their order.
  static fs::path SetWithGenerators(const std::string& name, int32_t area, int32_t floor,
                                    int32_t x, int32_t y,
                                    const std::vector<Generator>& generators) {
    const fs::path copy = SetWithHomeStairsTo(name, area, floor, x, y);
    if (copy.empty()) return copy;
    const std::string file = LevelFile(area, "generator_data_", floor);
    for (size_t row = 0; row < generators.size(); ++row) {
      const Generator& g = generators[row];
      std::string values = std::to_string(g.x) + "," + std::to_string(g.y) + ",1," +
                           std::to_string(g.kind) + "," + std::to_string(g.hp);
      if (g.interval != 0) values += std::string(",") + std::to_string(g.interval);
      std::string error;
      if (!ReplaceLevelRow(copy, file, static_cast<int32_t>(row), values, &error)) {
        ADD_FAILURE() << error;
        return fs::path();
      }
    }
    return copy;
  }

  // Runs `run` twice over `set` with `extra` options: the two runs give the
  // same hash for every frame; the first one's chosen frames are compared
  // with the golden files.
  static void RunTwiceAndCompare(const ScriptedRun& run, const fs::path& set,
                                 const std::vector<std::string>& extra,
                                 std::map<int32_t, std::string>* hashes) {
    ASSERT_EQ(RunProgram(run, hashes, set, extra), 0) << "the run ends with 0 on Escape";
    ASSERT_EQ(hashes->rbegin()->first, run.escape_frame) << "Escape ends it on its frame";
    CompareWithGolden(run, *hashes);
    std::map<int32_t, std::string> again;
    ASSERT_EQ(RunProgram(run, &again, set, extra), 0);
    EXPECT_EQ(again, *hashes) << "a second run gives other frames";
  }
};

// Floor 1 of dansion08 (area 12) with its eight generators, their kinds, hit
// points and intervals kept, placed around the arrival point (640, 150) in
// the floor's open top band: the chaser 1, the resting chaser 0 and the
// frequent dropper 39 to the left, on and near the player's row; the
// pausing shooter 5, the steady shooter 28, the upward mover 10, the
// downward mover 12 and the bee 18 around it. The player turns left at 766
// and shoots from 768 to 850.
//
// --clock-start=1000 fixes the draws: the first kind-39 enemy that the shots
// kill (near frame 845, at (551, 150)) draws 0 of its 0 to 10 and drops its
// item, a stock of the first special attack, which lies on the floor once
// the shooting has stopped.
const std::vector<Generator> kDansion08Floor1 = {
    {470, 60, 1, 68, 122},  {500, 260, 0, 68, 78},   {860, 270, 5, 68, 79},
    {860, 80, 28, 68, 89},  {760, 320, 10, 68, 107}, {560, 60, 12, 68, 96},
    {880, 200, 18, 68, 97}, {490, 150, 39, 68, 63},
};

TEST_F(WholeProgramEnemiesTest, ChasersShootersMoversAndBeesWithAnItemDrop) {
  const std::string script = std::string(kWalkToHomeStairs) +
                             "766 key=203\n768 key=44\n850 key=\n880 key=1\n";
  const ScriptedRun run = {"enemies_chasers_shooters_drop", script.c_str(), 880,
                           {765, 790, 810, 830, 846, 856, 880}};
  const fs::path set = SetWithGenerators("enemies-dansion08", 12, 1, 640, 150, kDansion08Floor1);
  ASSERT_FALSE(set.empty());
  std::map<int32_t, std::string> h;
  RunTwiceAndCompare(run, set, {"--clock-start=1000"}, &h);
  // 765: the floor faded in, the generators around the player.
  EXPECT_NE(h[790], h[765]) << "enemies leave their generators and walk at the player";
  EXPECT_NE(h[810], h[790]) << "the steady shooter's shot flies along its facing";
  EXPECT_NE(h[830], h[810]) << "a chaser killed by the player's shots fades";
  EXPECT_NE(h[846], h[830]) << "the first kind-39 enemy killed, fading";
  EXPECT_NE(h[856], h[846]) << "its item where it died";
  EXPECT_NE(h[880], h[856]) << "the item lies on; the pausing shooter's shot";
}

// Floor 1 of field03 (area 10) with one generator for each behaviour of the
// remaining kinds around the arrival point (880, 180), all of them off the
// view that the house's camera leaves for the floor's first frame, so they
// release together 20 frames after the floor comes on screen: the flankers
// 23 and 32 and the one-sided flanker 2, the wanderer 4, the weavers 21 and
// 37, the axis walker 6, the range keepers 22 and 8, the shy charger 31 and
// the sidestepper 7. The second range keeper (51) and the second flanker
// (47) of the floor are moved far away. The player stands facing down.
// Near frame 805 the flanking shooter's first shot, which leaves along its
// heading for its flank point, kills the one-sided flanker beside it.
const std::vector<Generator> kField03Floor1 = {
    {700, 60, 23, 60, 0},   {200, 800, 47, 60, 0},  {880, 340, 32, 60, 0}, {980, 340, 2, 60, 0},
    {790, 50, 4, 60, 0},    {700, 190, 21, 60, 0},  {960, 50, 6, 60, 0},   {700, 320, 22, 60, 0},
    {300, 800, 51, 60, 0},  {780, 330, 31, 60, 0},  {1100, 180, 37, 60, 0}, {1120, 320, 7, 60, 0},
    {1100, 60, 8, 60, 0},
};

TEST_F(WholeProgramEnemiesTest, FlankersWanderersWeaversRangeKeepersAndHeadingHolders) {
  const std::string script = std::string(kWalkToHomeStairs) + "900 key=1\n";
  const ScriptedRun run = {"enemies_remaining_kinds", script.c_str(), 900,
                           {770, 812, 842, 866, 900}};
  const fs::path set = SetWithGenerators("enemies-field03", 10, 1, 880, 180, kField03Floor1);
  ASSERT_FALSE(set.empty());
  std::map<int32_t, std::string> h;
  RunTwiceAndCompare(run, set, {}, &h);
  // 770: the enemies just out of their generators; the shy charger below the
  // player, ahead of its facing, runs off down its line of sight.
  EXPECT_NE(h[812], h[770]) << "the flankers head for their flank points; the wanderer's second heading";
  EXPECT_NE(h[842], h[812]) << "the range keepers stand at range and fire";
  EXPECT_NE(h[866], h[842]) << "the weavers swing; the sidestepper turns";
  EXPECT_NE(h[900], h[866]) << "the flankers close in";
}

}  // namespace
