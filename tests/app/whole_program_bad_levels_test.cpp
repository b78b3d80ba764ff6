// Damaged level files of tests/fixtures/bad-input through the whole program:
// a copy of the set whose house stairs are stairs-data-house-to-boss-room.csv
// (a new game walks into dansion01's boss room) and whose dansion01 boss file
// is one of the far boss files. The party walks in, through the encounter
// scene and into the fight, and fires for some 400 frames; the program must
// end with 0 on Escape (the sanitizer build stopped in the boss's target
// choice before, with "240 - -2147483648").
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/whole_program_support.h"
#include "tests/support/bad_input.h"

namespace {

constexpr int32_t kDansion01 = 2;
constexpr int32_t kBossFloor = 5;

// A copy named `name` with two files of the set replaced by fixtures.
fs::path SetWithBadFiles(const fs::path& scratch, const fs::path& set, const std::string& name,
                         const std::vector<std::pair<std::string, const char*>>& files) {
  const fs::path copy = scratch / name;
  std::string error;
  if (!CopyDataSet(set, copy, &error)) {
    ADD_FAILURE() << error;
    return fs::path();
  }
  for (const auto& [level_file, fixture] : files) {
    const std::vector<uint8_t> bytes = ReadBadInput(fixture);
    if (bytes.empty()) {
      ADD_FAILURE() << "cannot read " << fixture;
      return fs::path();
    }
    std::ofstream out(copy / level_file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      ADD_FAILURE() << "cannot write " << (copy / level_file);
      return fs::path();
    }
  }
  return copy;
}

TEST_F(WholeProgramTest, ANewGameFightsAFarBossAndEndsWith0) {
  // The keys of the first boss's run: up through the scene with S held, then
  // up and left, firing.
  const std::string keys = std::string(kWalkToHomeStairs) +
                           "620 key=200,31\n822 key=200\n846 key=200,203\n"
                           "847 key=200,203,44\n1250 key=1\n";
  const struct {
    const char* name;
    const char* boss_fixture;
  } kRuns[] = {{"far_boss_huge_x", "boss-data-huge-x.csv"},
               {"far_boss_negative_x", "boss-data-negative-x.csv"}};
  for (const auto& [run_name, boss_fixture] : kRuns) {
    const std::string name = run_name;
    const fs::path set = SetWithBadFiles(
        Scratch(), DataSet(), name + "-set",
        {{LevelFile(0, "stairs_data_", 0), "stairs-data-house-to-boss-room.csv"},
         {LevelFile(kDansion01, "boss_data_", kBossFloor), boss_fixture}});
    ASSERT_FALSE(set.empty());
    const ScriptedRun run{name.c_str(), keys.c_str(), 1250, {1250}};
    std::map<int32_t, std::string> hashes;
    EXPECT_EQ(RunProgram(run, &hashes, set), 0) << boss_fixture;
    // The run went all the way to the frame of Escape.
    EXPECT_EQ(hashes.count(1250), 1u) << boss_fixture;
  }
}

}  // namespace
