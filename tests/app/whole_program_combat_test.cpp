// Whole-program runs of combat and pickups on field02 floor 1, continued
// from a save slot: the player shoots a wall and the enemy a generator
// releases; and the player takes a potion and a floor crystal whose look
// changes every 120 frames, with the status band showing what each pickup
// gave.
#include <png.h>
#include <xxhash.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/app/whole_program_support.h"

namespace {

// field02, whose floor 1 holds the save-point figure the slot continues at.
constexpr int32_t kField02 = 5;

// CONTINUE, then the first slot: play from frame 171, faded in by 215. The
// slot's decision (Z, held from 170 to 173) also fires one shot downwards
// as play begins.
#define CONTINUE_FIRST_SLOT "100 key=208\n104 key=\n130 key=44\n134 key=\n170 key=44\n174 key=\n"

// Keys: 200 up, 203 left, 205 right, 208 down, 44 Z (shot).
// The player steps left from under the stone block above the save point
// (176 to 187), turns up (a direction counts from its second frame) and fires
// once at 189: the shot flies up to the floor's top wall and vanishes there
// (near 204). Then it walks right until the generator that the test places
// at (816, 304) lies on its down-right diagonal, turns down-right with Z held
// (from 230) and shoots every 14 frames: the enemy the generator released
// near frame 200 walks up that diagonal at the player, is hit at 250, its
// first shot is met by a player shot at 258, it blinks from the hits and
// dies near 275, its fade running from 276; the shots that fly on hit the
// generator, which blinks.
const ScriptedRun kShoot = {"shoot",
                            CONTINUE_FIRST_SLOT
                            "176 key=203\n188 key=200\n189 key=200,44\n191 key=205\n"
                            "229 key=205,208\n230 key=44,205,208\n236 key=44\n300 key=1\n",
                            300,
                            {190, 196, 206, 236, 250, 258, 268, 280, 292, 300}};

// The player walks down-right into the white potion (taken at 221), then
// up-right to stand below the floor crystal, and waits while the crystal
// shows AG (frames 171 to 289), AT (from 290) and VT (from 410); at 411 it
// walks up into the crystal and takes it in its VT quarter (429). The
// vitality sum, which the VT gauge shows, is taken at the next update (430).
const ScriptedRun kPickups = {"pickups",
                              CONTINUE_FIRST_SLOT
                              "176 key=205,208\n228 key=200,205\n262 key=\n411 key=200\n"
                              "430 key=1\n",
                              430,
                              {200, 220, 221, 289, 290, 409, 410, 428, 429, 430}};

// A copy of the generated set with a slot on field02 floor 1.
fs::path SetWithSlotOnField02(const fs::path& data_set, const fs::path& copy) {
  std::string error;
  if (!CopyDataSet(data_set, copy, &error) ||
      !WriteSaveSlot(copy, 0, SlotImage(kField02, 1), &error)) {
    ADD_FAILURE() << error;
    return fs::path();
  }
  return copy;
}

// Marks every generator row of floor `floor` of area `area` in the copy
// `set` as gone (third column 0), so the floor releases no enemy.
bool SwitchOffGenerators(const fs::path& set, int32_t area, int32_t floor, std::string* error) {
  const std::string file = LevelFile(area, "generator_data_", floor);
  std::ifstream in(set / file, std::ios::binary);
  std::string line;
  if (!std::getline(in, line)) {
    *error = "cannot read " + file;
    return false;
  }
  const int count = std::stoi(line);
  std::vector<std::string> rows;
  for (int row = 0; row < count && std::getline(in, line); ++row) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    rows.push_back(line);
  }
  for (size_t row = 0; row < rows.size(); ++row) {
    std::vector<std::string> fields;
    std::stringstream cells(rows[row]);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    if (fields.size() < 5) {
      *error = file + ": a generator row of fewer than five columns";
      return false;
    }
    // Built, then moved in: assigning the literal draws a false -Wrestrict
    // from GCC 12 inside libstdc++.
    fields[2] = std::string("0");
    std::string values;
    for (const std::string& field : fields) {
      if (!values.empty()) values += ',';
      values += field;
    }
    if (!ReplaceLevelRow(set, file, static_cast<int32_t>(row), values, error)) return false;
  }
  return true;
}

// XXH3-64 of the RGB bytes of the status band (rows 360 to 479) of the
// frame the run saved as `png`; 0 when it cannot be read.
uint64_t StatusBandHash(const fs::path& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, png.c_str())) return 0;
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) || image.height < 480) {
    return 0;
  }
  const size_t stride = static_cast<size_t>(image.width) * 3;
  return XXH3_64bits(rgb.data() + 360 * stride, 120 * stride);
}

fs::path SavedFrame(const fs::path& folder, int32_t frame) {
  char name[32];
  std::snprintf(name, sizeof(name), "frame_%06d.png", static_cast<int>(frame));
  return folder / name;
}

TEST_F(WholeProgramTest, ThePlayerShootsAWallAndTheEnemyAGeneratorReleases) {
  const fs::path copy = SetWithSlotOnField02(DataSet(), Scratch() / "shoot-set");
  ASSERT_FALSE(copy.empty());
  // The set keeps its generators out of the restore point's sight; the copy
  // puts the steady shooter's in it.
  std::string error;
  ASSERT_TRUE(ReplaceLevelRow(copy, LevelFile(kField02, "generator_data_", 1), 0, "816,304,1,28,40", &error))
      << error;
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kShoot, &h, copy), 0) << "the run ends with 0 on Escape";
  ASSERT_EQ(h.rbegin()->first, kShoot.escape_frame);
  CompareWithGolden(kShoot, h);
  // The enemy never reaches the player, nor does its shot: the band (hit
  // points, stocks, statistics) stays as it was once play has faded in.
  const fs::path frames = FramesFolder(kShoot);
  EXPECT_NE(StatusBandHash(SavedFrame(frames, 236)), 0u);
  EXPECT_EQ(StatusBandHash(SavedFrame(frames, 300)), StatusBandHash(SavedFrame(frames, 236)));
}

TEST_F(WholeProgramTest, PickupsShowOnTheStatusBand) {
  const fs::path copy = SetWithSlotOnField02(DataSet(), Scratch() / "pickups-set");
  ASSERT_FALSE(copy.empty());
  // Without enemies the player waits for the crystal's quarters unhurt.
  std::string error;
  ASSERT_TRUE(SwitchOffGenerators(copy, kField02, 1, &error)) << error;
  std::map<int32_t, std::string> h;
  ASSERT_EQ(RunProgram(kPickups, &h, copy), 0) << "the run ends with 0 on Escape";
  ASSERT_EQ(h.rbegin()->first, kPickups.escape_frame);
  CompareWithGolden(kPickups, h);

  const fs::path frames = FramesFolder(kPickups);
  auto band = [&frames](int32_t frame) { return StatusBandHash(SavedFrame(frames, frame)); };
  ASSERT_NE(band(220), 0u);
  EXPECT_NE(band(221), band(220)) << "the white potion's stock shows 1";
  // The crystal changes its look at 290 and 410; the band stays.
  for (int32_t frame : {289, 290, 409, 410, 428}) {
    EXPECT_EQ(band(frame), band(221)) << "frame " << frame;
  }
  EXPECT_NE(band(429), band(428)) << "the crystal: level 2, hit points 156 of 156";
  EXPECT_NE(band(430), band(429)) << "the VT gauge grows at the next update";
}

}  // namespace
