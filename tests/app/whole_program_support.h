// The fixture of the whole-program tests: `brimal --host=null` runs over a
// generated sample data set (or a copy edited through data_set_copy.h) with
// scripted keys; the hashes of chosen frames are compared with the golden
// files in tests/fixtures/whole_program (<run>.hashes), and the PNG files the
// program saves of those frames with the digests of the files saved when the
// golden hashes were written (<run>.frames: XXH3-64 of each file's bytes),
// so a change of the frame hash's function shows that the pictures stayed
// the same. Each hash is also checked to be XXH3-64 of its saved picture's
// RGB bytes. Both change only when the tests run with --update-golden, which
// writes them anew from the run:
//   build/test/tests/app/whole_program_tests --update-golden
// Every run ends with 0 on Escape (in the sanitizer build the program's own
// leak check, or a fault found while it runs, would end it otherwise).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/app/data_set_copy.h"

namespace fs = std::filesystem;

// Set by --update-golden.
extern bool UpdateGolden;

// DirectInput key codes of the scripts: 200 up, 203 left, 205 right,
// 208 down, 44 Z (shot and decide), 45 X and 46 C (the special attacks),
// 30 A (pause and revival), 31 S (fast-forward), 1 Escape.
struct ScriptedRun {
  const char* name;
  const char* script;
  int32_t escape_frame;  // the frame whose poll sees Escape: the last one
  std::vector<int32_t> checked_frames;
};

// The keys of a new game of one player of the first character that hurries
// its opening with S and walks from where the opening leaves it onto the
// house's stairs (touched near frame 601); the party arrives on the stairs'
// destination near frame 722, faded in by 765. A run appends its own lines
// from frame 620 on.
extern const char* const kWalkToHomeStairs;

class WholeProgramTest : public ::testing::Test {
 protected:
  // The generated set, made once for the suite.
  static void SetUpTestSuite();
  static void TearDownTestSuite();

  static fs::path DataSet() { return *folder_ / "data-set"; }
  static fs::path Scratch() { return *folder_; }

  // The folder the program saves the checked frames of `run` in.
  static fs::path FramesFolder(const ScriptedRun& run);

  // Runs the program with `run`'s script over `data_set` (by default the
  // generated set) and any `extra` options (such as "--clock-start=MS" or
  // "--audio-out=FILE"); returns its exit status (-1 when it did not exit
  // normally) and fills `hashes` from its hash file. The checked frames are
  // saved as PNG files in FramesFolder(run).
  static int RunProgram(const ScriptedRun& run, std::map<int32_t, std::string>* hashes,
                        const fs::path& data_set = fs::path(),
                        const std::vector<std::string>& extra = {});

  // Compares the chosen frames' hashes and saved PNG files with the golden
  // files, or writes them anew.
  static void CompareWithGolden(const ScriptedRun& run, const std::map<int32_t, std::string>& hashes);

  // A copy of the generated set named `name` whose house stairs lead to
  // floor `floor` of area `area`, arriving at (x, y). Empty on failure.
  static fs::path SetWithHomeStairsTo(const std::string& name, int32_t area, int32_t floor,
                                      int32_t x, int32_t y);

 private:
  static std::string SavedFrameDigest(const ScriptedRun& run, int32_t frame);
  static std::string SavedFramePictureHash(const ScriptedRun& run, int32_t frame);
  static void CompareWithGoldenFile(const ScriptedRun& run, const char* extension, const char* what,
                                    const std::map<int32_t, std::string>& values);

  static fs::path* folder_;
};

// The 8-bit RGB picture of a frame a run saved as PNG in `folder`; empty
// (width 0) when the file cannot be read.
struct SavedPicture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* at(int32_t x, int32_t y) const {
    return rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  }
};
SavedPicture ReadSavedFrame(const fs::path& folder, int32_t frame);

// A 6216-byte save slot: one player of the first character, every item row
// present and every boss row active, on floor `floor` of area `area`.
std::vector<uint8_t> SlotImage(int32_t area, int32_t floor);
