// Regenerating the sample set over a folder the game has played in: the
// set's own pictures, sounds and level files are written anew, while the
// player's settings files and save slots stay byte for byte as they were.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/sample_data/sample_data.h"

namespace {

namespace fs = std::filesystem;

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteWhole(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

int64_t ModificationTime(const fs::path& path) {
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_mtime);
}

class SampleDataKeepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sample_data_keep_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  fs::path root_;
};

TEST_F(SampleDataKeepTest, RegeneratingKeepsSettingsAndSlotsAndRenewsTheSetsOwnFiles) {
  const fs::path set = root_ / "set";
  std::string error;
  ASSERT_TRUE(GenerateSampleData(set.string(), SampleDataOptions{}, &error)) << error;
  const fs::path picture = set / kLoadingImagePath;
  const std::string level = SampleLevelFiles().begin()->first;
  const std::string generated_picture = ReadWhole(picture);
  const std::string generated_level = ReadWhole(set / level);
  ASSERT_FALSE(generated_picture.empty());
  EXPECT_EQ(ReadWhole(set / kConfigFileName), SampleConfigText());
  EXPECT_EQ(ReadWhole(set / kPadFileName), SamplePadText());

  // The player changes the settings and saves; the set's files are damaged
  // (as an older generator's would differ).
  const std::string config = "0\r\n1\r\n2\r\nthe player's own\r\n";
  const std::string pad = std::string("\x00\x01\xff pad", 7);
  const std::string slot(6216, '\x5a');
  const std::string spare_slot = "a half-written slot";
  WriteWhole(set / kConfigFileName, config);
  WriteWhole(set / kPadFileName, pad);
  WriteWhole(set / "patch" / "save_data0.dat", slot);
  WriteWhole(set / "patch" / "save_data2.dat.tmp", spare_slot);
  WriteWhole(picture, "an old picture");
  WriteWhole(set / level, "an old level file");
  const int64_t config_time = ModificationTime(set / kConfigFileName);

  for (const bool archive : {false, true}) {
    SCOPED_TRACE(archive ? "with the archive" : "loose files");
    SampleDataOptions options;
    options.archive = archive;
    ASSERT_TRUE(GenerateSampleData(set.string(), options, &error)) << error;
    EXPECT_EQ(ReadWhole(set / kConfigFileName), config);
    EXPECT_EQ(ReadWhole(set / kPadFileName), pad);
    EXPECT_EQ(ReadWhole(set / "patch" / "save_data0.dat"), slot);
    EXPECT_EQ(ReadWhole(set / "patch" / "save_data2.dat.tmp"), spare_slot);
    EXPECT_EQ(ModificationTime(set / kConfigFileName), config_time);
    EXPECT_TRUE(ReadWhole(picture) == generated_picture) << "the picture was not renewed";
    EXPECT_TRUE(ReadWhole(set / level) == generated_level) << level << " was not renewed";
  }
}

// A settings file the player removed is written again from the set.
TEST_F(SampleDataKeepTest, AMissingSettingsFileIsWrittenAgain) {
  const fs::path set = root_ / "set";
  std::string error;
  ASSERT_TRUE(GenerateSampleData(set.string(), SampleDataOptions{}, &error)) << error;
  WriteWhole(set / kConfigFileName, "kept");
  fs::remove(set / kPadFileName);
  ASSERT_TRUE(GenerateSampleData(set.string(), SampleDataOptions{}, &error)) << error;
  EXPECT_EQ(ReadWhole(set / kConfigFileName), "kept");
  EXPECT_EQ(ReadWhole(set / kPadFileName), SamplePadText());
  EXPECT_EQ(ModificationTime(set / kPadFileName), kSampleFileTime);
}

}  // namespace
