// Where a party appears, nothing hurts it: a level-1 character of a new
// game that arrives by stairs on any floor that is not a boss room and
// stands still for 600 frames, and a game continued on a save floor that
// stands 600 frames at its restore point, keep every hit point.
//
// One run visits an arrival onto each floor of one area: a copy of the
// set leads the house's stairs to the first arrival, and on each floor
// visited a stairs row moved to 48 pixels below the arrival leads on to the
// next one. The player stands from the fade-in for 600 frames, then steps
// down onto that row; every floor takes the same 779 frames from arrival to
// arrival.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "game/areas/area_table.h"
#include "tests/app/whole_program_support.h"

namespace {

struct Arrival {
  int32_t area, floor, x, y;
};

constexpr int32_t kFirstArrival = 722;      // by the house's stairs
constexpr int32_t kFadedIn = 44;            // frames after an arrival
constexpr int32_t kStandFrames = 600;
constexpr int32_t kArrivalPeriod = 779;     // from one arrival to the next
constexpr int32_t kStepDownAfter = 643;     // frames after an arrival
constexpr int32_t kStepFrames = 20;
constexpr int32_t kNextRowBelow = 48;       // the moved row's trigger below the arrival
constexpr int32_t kCheckSpacing = 100;

// The rows of a row file of the set: each row's values.
std::vector<std::vector<int32_t>> ReadRows(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  std::vector<std::vector<int32_t>> rows;
  if (!std::getline(in, line)) return rows;
  const int count = std::stoi(line);
  for (int row = 0; row < count && std::getline(in, line); ++row) {
    std::vector<int32_t> values;
    std::stringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) values.push_back(std::stoi(cell));
    rows.push_back(values);
  }
  return rows;
}

bool IsBossRoom(int32_t area, int32_t floor) { return floor == area_table[area].boss_floor; }

// One arrival by stairs onto each floor of `area` that is not a boss room:
// that of the first row leading there, which comes from the floor before
// (every arrival of every row is checked against the generators' and
// hazards' places by the level file tests).
std::vector<Arrival> ArrivalsOnto(const fs::path& set, int32_t area) {
  std::vector<Arrival> arrivals;
  for (int32_t from = 0; from < kAreaCount; ++from) {
    for (int32_t floor = 0; floor < area_table[from].floors; ++floor) {
      for (const std::vector<int32_t>& row : ReadRows(set / LevelFile(from, "stairs_data_", floor))) {
        if (row.size() < 7 || row[2] != area || IsBossRoom(row[2], row[3])) continue;
        const Arrival arrival{row[2], row[3], row[4], row[5]};
        bool known = false;
        for (const Arrival& a : arrivals) {
          known = known || a.floor == arrival.floor;
        }
        if (!known) arrivals.push_back(arrival);
      }
    }
  }
  return arrivals;
}

std::string StairsRow(int32_t x, int32_t y, const Arrival& to) {
  return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(to.area) + "," +
         std::to_string(to.floor) + "," + std::to_string(to.x) + "," + std::to_string(to.y) + ",0";
}

// The frames of one stand at a point reached at `arrival`: from the fade-in
// to 600 frames later, every 100.
std::vector<int32_t> StandFrames(int32_t arrival) {
  std::vector<int32_t> frames;
  for (int32_t t = kFadedIn; t <= kFadedIn + kStandFrames; t += kCheckSpacing) frames.push_back(arrival + t);
  return frames;
}

class WholeProgramArrivalsTest : public WholeProgramTest, public ::testing::WithParamInterface<int32_t> {
 protected:
  // The hit points shown at each of `frames` are those shown at the first.
  static void ExpectHitPointsKept(const ScriptedRun& run, const std::vector<int32_t>& frames,
                                  const std::string& where) {
    SCOPED_TRACE(where);
    const SavedPicture first = ReadSavedFrame(FramesFolder(run), frames.front());
    ASSERT_GT(first.width, 0);
    for (int32_t frame : frames) {
      const SavedPicture picture = ReadSavedFrame(FramesFolder(run), frame);
      ASSERT_GT(picture.width, 0) << "frame " << frame;
      EXPECT_EQ(HitPoints(picture), HitPoints(first)) << "hit points lost by frame " << frame;
    }
  }

  // The first player's "HP 15 / 15" and its bar in the status band.
  static std::string HitPoints(const SavedPicture& picture) {
    std::string region;
    for (int32_t y = 400; y < 420; ++y) region.append(reinterpret_cast<const char*>(picture.at(20, y)), 140 * 3);
    return region;
  }
};

using WholeProgramArrivalsByArea = WholeProgramArrivalsTest;

TEST_P(WholeProgramArrivalsByArea, StandingStillAfterArrivingByStairsLosesNoHitPoint) {
  const int32_t area = GetParam();
  const std::vector<Arrival> arrivals = ArrivalsOnto(DataSet(), area);
  ASSERT_FALSE(arrivals.empty());
  const std::string name = "arrivals-" + std::to_string(area);
  const fs::path copy = SetWithHomeStairsTo(name, arrivals[0].area, arrivals[0].floor, arrivals[0].x,
                                            arrivals[0].y);
  ASSERT_FALSE(copy.empty());
  // The rows of each floor already moved.
  std::vector<int32_t> moved(static_cast<size_t>(area_table[area].floors), 0);
  std::string script = kWalkToHomeStairs;
  std::vector<int32_t> checked;
  for (size_t i = 0; i < arrivals.size(); ++i) {
    const Arrival& here = arrivals[i];
    const int32_t arrival = kFirstArrival + kArrivalPeriod * static_cast<int32_t>(i);
    const std::vector<int32_t> stand = StandFrames(arrival);
    checked.insert(checked.end(), stand.begin(), stand.end());
    if (i + 1 == arrivals.size()) break;
    std::string error;
    int32_t& row = moved[static_cast<size_t>(here.floor)];
    ASSERT_TRUE(ReplaceLevelRow(copy, LevelFile(here.area, "stairs_data_", here.floor), row,
                                StairsRow(here.x, here.y + kNextRowBelow, arrivals[i + 1]), &error))
        << error;
    ++row;
    script += std::to_string(arrival + kStepDownAfter) + " key=208\n" +
              std::to_string(arrival + kStepDownAfter + kStepFrames) + " key=\n";
  }
  const int32_t escape = checked.back() + 6;
  script += std::to_string(escape) + " key=1\n";
  const ScriptedRun run = {name.c_str(), script.c_str(), escape, checked};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, escape);
  for (size_t i = 0; i < arrivals.size(); ++i) {
    const Arrival& a = arrivals[i];
    const std::vector<int32_t> stand = StandFrames(kFirstArrival + kArrivalPeriod * static_cast<int32_t>(i));
    const std::string where = std::to_string(a.area) + "/" + std::to_string(a.floor) + " at " +
                              std::to_string(a.x) + "," + std::to_string(a.y);
    if (i > 0) {
      EXPECT_NE(h[stand.front()], h[stand.front() - kArrivalPeriod + kStandFrames]) << where << ": not arrived";
    }
    ExpectHitPointsKept(run, stand, where);
  }
}

// Every area but the ending; the house is arrived at from field01.
INSTANTIATE_TEST_SUITE_P(Areas, WholeProgramArrivalsByArea, ::testing::Range(0, kAreaEnding),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return std::string("area_") + std::to_string(info.param) + "_" +
                                  area_table[info.param].folder;
                         });

// The save floors, by their index in kSaveFloors.
struct SaveFloor {
  int32_t area, floor;
};
constexpr SaveFloor kSaveFloors[] = {{5, 1}, {4, 3}, {4, 4}, {13, 0}};

using WholeProgramContinueStand = WholeProgramArrivalsTest;

// CONTINUE and slot 1: play from frame 171, faded in by 215; the player
// stands at the restore point.
TEST_P(WholeProgramContinueStand, StandingStillAfterContinueLosesNoHitPoint) {
  const SaveFloor& save = kSaveFloors[GetParam()];
  const std::string name = "continue-stand-" + std::to_string(save.area) + "-" + std::to_string(save.floor);
  const fs::path copy = Scratch() / name;
  std::string error;
  ASSERT_TRUE(CopyDataSet(DataSet(), copy, &error)) << error;
  ASSERT_TRUE(WriteSaveSlot(copy, 0, SlotImage(save.area, save.floor), &error)) << error;
  const std::vector<int32_t> stand = StandFrames(171);
  const int32_t escape = stand.back() + 6;
  const std::string script = "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n" +
                             std::to_string(escape) + " key=1\n";
  const ScriptedRun run = {name.c_str(), script.c_str(), escape, stand};
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(run, &h, copy), 0);
  ASSERT_EQ(h.rbegin()->first, escape);
  ExpectHitPointsKept(run, stand, name);
}

INSTANTIATE_TEST_SUITE_P(SaveFloors, WholeProgramContinueStand, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           const SaveFloor& save = kSaveFloors[info.param];
                           return std::string(area_table[save.area].folder) + "_" + std::to_string(save.floor);
                         });

}  // namespace
