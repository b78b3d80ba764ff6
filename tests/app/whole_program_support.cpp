// The fixture of the whole-program tests.
#include "tests/app/whole_program_support.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <png.h>
#include <xxhash.h>

#include "tests/support/private_runtime_folder.h"
#include "tools/sample_data/sample_data.h"

bool UpdateGolden = false;

const char* const kWalkToHomeStairs =
    "160 key=44\n164 key=\n200 key=44\n204 key=\n240 key=44\n244 key=31\n"
    "420 key=\n460 key=205\n550 key=208\n610 key=\n";

fs::path* WholeProgramTest::folder_ = nullptr;

void WholeProgramTest::SetUpTestSuite() {
  char pattern[] = "/tmp/brimal_whole_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  folder_ = new fs::path(pattern);
  std::string error;
  ASSERT_TRUE(GenerateSampleData((*folder_ / "data-set").string(), SampleDataOptions{}, &error))
      << error;
}

void WholeProgramTest::TearDownTestSuite() {
  std::error_code ignored;
  fs::remove_all(*folder_, ignored);
  delete folder_;
  folder_ = nullptr;
}

// The folder the program saves the checked frames of `run` in.
fs::path WholeProgramTest::FramesFolder(const ScriptedRun& run) {
  return *folder_ / (std::string(run.name) + "-frames");
}

int WholeProgramTest::RunProgram(const ScriptedRun& run, std::map<int32_t, std::string>* hashes,
                                  const fs::path& data_set, const std::vector<std::string>& extra) {
  const fs::path script = *folder_ / (std::string(run.name) + ".input");
  const fs::path hash_file = *folder_ / (std::string(run.name) + ".hashes");
  std::ofstream(script) << run.script;
  std::string frame_list;
  for (int32_t frame : run.checked_frames) {
    if (!frame_list.empty()) frame_list += ',';
    frame_list += std::to_string(frame);
  }
  std::vector<std::string> args = {BRIMAL_PROGRAM, "--host=null",
                                   "--data=" + (data_set.empty() ? *folder_ / "data-set" : data_set).string(),
                                   "--input=" + script.string(),
                                   "--frame-hashes=" + hash_file.string(),
                                   "--save-frames=" + FramesFolder(run).string(),
                                   "--frame-list=" + frame_list};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // Each run has a runtime folder of its own, so that no other copy of the
  // game (another test's, or one a person plays) stops it at start-up.
  const std::string runtime_folder = NewRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"));
  if (runtime_folder.empty()) return -1;
  EnvironmentWithRuntimeFolder environment(runtime_folder);
  std::vector<char*> env = environment.Pointers();
  pid_t child = 0;
  const int spawned =
      posix_spawn(&child, BRIMAL_PROGRAM, nullptr, nullptr, argv.data(), env.data());
  int status = 0;
  const bool exited = spawned == 0 && waitpid(child, &status, 0) == child && WIFEXITED(status);
  std::error_code ignored;
  fs::remove_all(runtime_folder, ignored);
  if (!exited) return -1;
  std::ifstream in(hash_file);
  int32_t frame = 0;
  std::string hash;
  while (in >> frame >> hash) (*hashes)[frame] = hash;
  return WEXITSTATUS(status);
}

// XXH3-64 of the bytes of the PNG file the run saved of `frame`, as 16
// hex digits; empty when the file cannot be read.
std::string WholeProgramTest::SavedFrameDigest(const ScriptedRun& run, int32_t frame) {
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
std::string WholeProgramTest::SavedFramePictureHash(const ScriptedRun& run, int32_t frame) {
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
void WholeProgramTest::CompareWithGoldenFile(const ScriptedRun& run, const char* extension,
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
void WholeProgramTest::CompareWithGolden(const ScriptedRun& run,
                                         const std::map<int32_t, std::string>& hashes) {
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

fs::path WholeProgramTest::SetWithHomeStairsTo(const std::string& name, int32_t area,
                                               int32_t floor, int32_t x, int32_t y) {
  const fs::path copy = *folder_ / name;
  std::string error;
  if (!CopyDataSet(DataSet(), copy, &error)) {
    ADD_FAILURE() << error;
    return fs::path();
  }
  const std::string row = "400,304," + std::to_string(area) + "," + std::to_string(floor) + "," +
                          std::to_string(x) + "," + std::to_string(y) + ",0";
  if (!ReplaceLevelRow(copy, LevelFile(0, "stairs_data_", 0), 0, row, &error)) {
    ADD_FAILURE() << error;
    return fs::path();
  }
  return copy;
}

SavedPicture ReadSavedFrame(const fs::path& folder, int32_t frame) {
  char name[32];
  std::snprintf(name, sizeof(name), "frame_%06d.png", static_cast<int>(frame));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  SavedPicture picture;
  if (!png_image_begin_read_from_file(&image, (folder / name).c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  picture.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return SavedPicture{};
  picture.width = static_cast<int32_t>(image.width);
  picture.height = static_cast<int32_t>(image.height);
  return picture;
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

