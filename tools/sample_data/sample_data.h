// The sample data set: every picture of the game's image table, the loading
// picture, every sound effect and music track, and the settings files,
// generated so that the game runs without its own data. The same call gives
// the same bytes and the same file times every time.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "game/shell/image_table.h"
#include "tools/sample_data/canvas.h"

struct ImageSize {
  int width;
  int height;
};

// The size of the picture of a table row: its cell grid's for a cut image,
// the generator's own choice (by stem) for a whole one. False for a whole
// image the generator has no size for.
bool SampleImageSize(const ImageTableRow& row, ImageSize* size);

// Paints the picture of a table row. False (with `error` set) when the
// generator has no painter or size for the row.
bool PaintSampleImage(const ImageTableRow& row, Canvas* canvas, std::string* error);

// The loading picture shown while the tables load.
constexpr const char* kLoadingImagePath = "data/img/title/loading_img.png";
constexpr ImageSize kLoadingImageSize{240, 40};
Canvas PaintLoadingImage();

// 16-bit samples of a sound file of the tables or of the musician scene's
// own list, by path; mono at `*rate` Hz. Empty for a path the generator does
// not know.
std::vector<int16_t> SynthesizeSound(const std::string& path, int* rate);

// The level files of every floor of every area, the item and boss files
// and the patch maps, by path relative to the set's folder ("data/mapdata/
// ...", "patch/patch_data/..."). Every map draws its stairs with this chip
// of its area's chip set.
constexpr int kStairsChip = 110;
std::map<std::string, std::string> SampleLevelFiles();

// The settings files, as the game reads them.
constexpr const char* kConfigFileName = "config_data.dat";
constexpr const char* kPadFileName = "pad.dat";
std::string SampleConfigText();
std::string SamplePadText();

// Every file and folder written gets this modification and access time:
// 2007-01-01 00:00:00 UTC.
constexpr int64_t kSampleFileTime = 1167609600;

// The archive key the game opens archives with; the packed form of the data
// folder is "data.dat" beside it.
constexpr const char* kSampleArchiveKey = "quietmarble";

struct SampleDataOptions {
  // Also pack the data folder into "data.dat" with the archive writer.
  bool archive = false;
};

// Writes the whole set under `folder`, created when missing. Pictures,
// sounds and level files of the set are replaced (and without `archive`, a
// "data.dat" of an earlier run is removed, since the game would read it
// instead of the folder); the settings files are written only where they do
// not exist yet, since the player's settings live in them; other files, such
// as save slots, are left alone. False with `error` set on any failure.
bool GenerateSampleData(const std::string& folder, const SampleDataOptions& options,
                        std::string* error);
