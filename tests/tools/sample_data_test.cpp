// The sample data set, generated into temporary folders: every file
// the image, effect and music tables name is there and reads through the
// runtime's own readers (the image decoder chain, the wave readers, the
// archive layer) with the size, grid and kind the game expects; the pictures
// show something different in every cell, flash pictures are white copies of
// their partners and unlit menu rows are darker than lit ones; the settings
// give every action its own button and every player a device of its own; a
// second generation is byte for byte and time for time the first; and the
// archive serves the same files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/scenes/scenes.h"
#include "game/shell/image_table.h"
#include "game/shell/sound_table.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/file_access.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/image/color_format.h"
#include "runtime/sound/wave_reader.h"
#include "tools/sample_data/sample_data.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StartsWith(const Bytes& bytes, const std::string& magic) {
  return bytes.size() >= magic.size() &&
         std::equal(magic.begin(), magic.end(), bytes.begin(),
                    [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

int Luminance(Rgb c) { return (c.r * 30 + c.g * 59 + c.b * 11) / 100; }

// An image decoded by the runtime's decoder chain, the one the game's
// graphics loading uses.
class DecodedImage {
 public:
  explicit DecodedImage(const Bytes& file) {
    StreamSource stream{};
    stream.functions = *GetMemoryStreamFunctions();
    stream.handle = OpenMemoryStream(file.data(), static_cast<uint32_t>(file.size()));
    ok_ = DecodeImageStream(&stream, &image_) == 0;
    CloseMemoryStream(stream.handle);
  }
  ~DecodedImage() {
    if (ok_) ReleaseGraphImage(&image_);
  }
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  bool ok() const { return ok_; }
  int width() const { return image_.width; }
  int height() const { return image_.height; }
  // A pixel of a direct-colour image through its channel masks.
  Rgb At(int x, int y) const {
    const ColorFormat& f = image_.format;
    const uint8_t* p = image_.pixels + static_cast<size_t>(y) * image_.pitch + static_cast<size_t>(x) * f.bytes_per_pixel;
    uint32_t v = 0;
    for (int i = 0; i < f.bytes_per_pixel; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
    if (f.bit_depth == 8) {
      const ColorPaletteEntry& e = f.palette[v];
      return Rgb{e.red, e.green, e.blue};
    }
    auto channel = [v](uint32_t mask, int shift, int width) {
      const uint32_t raw = (v & mask) >> shift;
      return static_cast<uint8_t>(width >= 8 ? raw >> (width - 8) : raw << (8 - width));
    };
    return Rgb{channel(f.red_mask, f.red_shift, f.red_width), channel(f.green_mask, f.green_shift, f.green_width),
               channel(f.blue_mask, f.blue_shift, f.blue_width)};
  }

 private:
  bool ok_ = false;
  GraphImage image_{};
};

struct DecodedSound {
  bool ok = false;
  int32_t kind = -1;
  WAVEFORMATEX format{};
  std::vector<int16_t> samples;
};

// A sound file decoded whole by the wave readers the sound layer uses.
DecodedSound DecodeSound(const Bytes& file) {
  DecodedSound out;
  StreamSource stream{};
  stream.functions = *GetMemoryStreamFunctions();
  stream.handle = OpenMemoryStream(file.data(), static_cast<uint32_t>(file.size()));
  WaveReader reader;
  if (OpenWaveReader(&stream, &reader) == 0) {
    out.kind = reader.kind;
    void* data = nullptr;
    int32_t bytes = 0;
    if (DecodeWaveReaderToMemory(&reader, &out.format, &data, &bytes) == 0) {
      out.ok = true;
      if (out.format.wBitsPerSample == 16) {
        out.samples.resize(static_cast<size_t>(bytes) / 2);
        std::copy_n(static_cast<const uint8_t*>(data), out.samples.size() * 2,
                    reinterpret_cast<uint8_t*>(out.samples.data()));
      }
      FreeTracked(data);
    }
    CloseWaveReader(&reader);
  }
  CloseMemoryStream(stream.handle);
  return out;
}

const ImageTableRow* RowOf(const std::string& stem) {
  for (const ImageTableRow& row : image_table)
    if (stem == row.name) return &row;
  return nullptr;
}

Canvas Painted(const ImageTableRow& row) {
  Canvas canvas;
  std::string error;
  EXPECT_TRUE(PaintSampleImage(row, &canvas, &error)) << error;
  return canvas;
}

Canvas CellOf(const Canvas& sheet, const ImageTableRow& row, int index) {
  Canvas cell(row.cell_width, row.cell_height);
  const int x0 = (index % row.cells_across) * row.cell_width;
  const int y0 = (index / row.cells_across) * row.cell_height;
  for (int y = 0; y < row.cell_height; ++y)
    for (int x = 0; x < row.cell_width; ++x)
      if (!sheet.IsTransparent(x0 + x, y0 + y)) cell.Set(x, y, sheet.Get(x0 + x, y0 + y));
  return cell;
}

bool HasInk(const Canvas& c) {
  for (int y = 0; y < c.height(); ++y)
    for (int x = 0; x < c.width(); ++x)
      if (!c.IsTransparent(x, y)) return true;
  return false;
}

// ---- The generated sets ----------------------------------------------------------

// The sets are generated on first use, once per test process: "first" as
// the run command makes it, "second" the same way but over an archive left
// by an earlier run, "third" and "fourth" with the archive.
class SampleDataTest : public ::testing::Test {
 protected:
  static void TearDownTestSuite() {
    if (root_ != nullptr) fs::remove_all(*root_);
    delete root_;
    root_ = nullptr;
    made_.clear();
  }
  void SetUp() override { ASSERT_TRUE(Make("first")) << error_; }

  static bool Make(const std::string& name) {
    if (made_.count(name) != 0) return made_[name];
    if (root_ == nullptr) {
      char folder[] = "/tmp/sample_data_test_XXXXXX";
      if (mkdtemp(folder) == nullptr) {
        error_ = "no temporary folder";
        return false;
      }
      root_ = new fs::path(folder);
    }
    SampleDataOptions options;
    options.archive = name == "third" || name == "fourth";
    if (name == "second") {
      fs::create_directories(*root_ / name);
      std::ofstream(*root_ / name / "data.dat") << "an archive of an earlier run";
    }
    made_[name] = GenerateSampleData((*root_ / name).string(), options, &error_);
    return made_[name];
  }

  static fs::path First() { return *root_ / "first"; }
  static fs::path Second() { return *root_ / "second"; }
  static fs::path Third() { return *root_ / "third"; }

  static fs::path* root_;
  static std::map<std::string, bool> made_;
  static std::string error_;
};

fs::path* SampleDataTest::root_ = nullptr;
std::map<std::string, bool> SampleDataTest::made_;
std::string SampleDataTest::error_;

// ---- Pictures ------------------------------------------------------------------------

// Every picture is a file of its own format that the game's decoder chain
// reads at the size of its grid (or, for a whole image, at the generator's
// size for it), pixel for pixel as the generator painted it.
TEST_F(SampleDataTest, EveryPictureDecodesAtTheSizeOfItsGrid) {
  for (const ImageTableRow& row : image_table) {
    SCOPED_TRACE(row.path);
    const Bytes file = ReadFile(First() / row.path);
    ASSERT_FALSE(file.empty());
    if (EndsWith(row.path, ".bmp")) {
      EXPECT_TRUE(StartsWith(file, "BM"));
    } else {
      EXPECT_TRUE(StartsWith(file, "\x89PNG\r\n\x1a\n"));
    }
    const DecodedImage image(file);
    ASSERT_TRUE(image.ok());
    if (row.cell_count != 0) {
      EXPECT_EQ(image.width(), row.cells_across * row.cell_width);
      EXPECT_EQ(image.height(), row.cells_down * row.cell_height);
    } else {
      ImageSize size{};
      ASSERT_TRUE(SampleImageSize(row, &size));
      EXPECT_EQ(image.width(), size.width);
      EXPECT_EQ(image.height(), size.height);
    }
    const Canvas painted = Painted(row);
    ASSERT_EQ(image.width(), painted.width());
    ASSERT_EQ(image.height(), painted.height());
    int differing = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (!(image.At(x, y) == painted.Get(x, y))) ++differing;
    EXPECT_EQ(differing, 0);
  }
}

// The pictures the game draws at (0, 0) fill the screen; the loading
// picture fits where it is drawn, at (370, 420).
TEST_F(SampleDataTest, ScreenPicturesFitTheScreen) {
  for (const char* stem : {"title_menu_img", "config_back_ground_img", "back_screen_img"}) {
    SCOPED_TRACE(stem);
    const DecodedImage image(ReadFile(First() / RowOf(stem)->path));
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.width(), 640);
    EXPECT_EQ(image.height(), 480);
  }
  const DecodedImage loading(ReadFile(First() / kLoadingImagePath));
  ASSERT_TRUE(loading.ok());
  EXPECT_EQ(loading.width(), kLoadingImageSize.width);
  EXPECT_EQ(loading.height(), kLoadingImageSize.height);
  EXPECT_LE(370 + loading.width(), 640);
  EXPECT_LE(420 + loading.height(), 480);
}

// No cell is empty and no two cells of a sheet are alike, so every frame,
// facing, digit and chip can be told apart.
TEST_F(SampleDataTest, EveryCellShowsSomethingOfItsOwn) {
  for (const ImageTableRow& row : image_table) {
    SCOPED_TRACE(row.name);
    const Canvas sheet = Painted(row);
    EXPECT_TRUE(HasInk(sheet));
    if (row.cell_count == 0) continue;
    std::map<std::vector<uint8_t>, int> seen;
    for (int i = 0; i < row.cell_count; ++i) {
      const Canvas cell = CellOf(sheet, row, i);
      EXPECT_TRUE(HasInk(cell)) << "cell " << i << " is empty";
      const auto [it, fresh] = seen.emplace(cell.rgb(), i);
      EXPECT_TRUE(fresh) << "cell " << i << " looks like cell " << it->second;
    }
  }
}

// No two files show the same picture: every colour and kind has a look of
// its own.
TEST_F(SampleDataTest, NoTwoPicturesAreAlike) {
  std::map<std::vector<uint8_t>, std::string> seen;
  for (const ImageTableRow& row : image_table) {
    const auto [it, fresh] = seen.emplace(Painted(row).rgb(), row.name);
    EXPECT_TRUE(fresh) << row.name << " looks like " << it->second;
  }
}

// Sprites stand on the transparent colour: the corners of every cell of
// every sheet but the map chip sets are transparent.
TEST_F(SampleDataTest, SpritesStandOnTheTransparentColour) {
  for (const ImageTableRow& row : image_table) {
    if (row.cell_count == 0 || EndsWith(row.path, ".bmp")) continue;
    SCOPED_TRACE(row.name);
    const Canvas sheet = Painted(row);
    for (int i = 0; i < row.cell_count; ++i) {
      const Canvas cell = CellOf(sheet, row, i);
      const int r = cell.width() - 1;
      const int b = cell.height() - 1;
      EXPECT_TRUE(cell.IsTransparent(0, 0) && cell.IsTransparent(r, 0) && cell.IsTransparent(0, b) &&
                  cell.IsTransparent(r, b))
          << "cell " << i;
    }
  }
}

// A flash picture ("..._white") has exactly the shape of the picture it
// flashes over, in near-white.
TEST_F(SampleDataTest, FlashPicturesAreWhiteCopiesOfTheirPartners) {
  int pairs = 0;
  for (const ImageTableRow& row : image_table) {
    const std::string stem = row.name;
    if (stem == "dot_potion_white_img") continue;  // a white potion, not a flash
    size_t at = stem.rfind("_white_img");
    if (at == std::string::npos && EndsWith(stem, "_white")) at = stem.size() - 6;
    if (at == std::string::npos) continue;
    // The partner: the name without "_white", or the first picture of the
    // family when several colours share one flash picture.
    std::string partner_stem = stem;
    partner_stem.erase(at, 6);
    const ImageTableRow* partner = RowOf(partner_stem);
    if (partner == nullptr) {
      const std::string family = partner_stem.substr(0, partner_stem.rfind("_img"));
      for (const ImageTableRow& other : image_table)
        if (std::string(other.name).rfind(family + "_", 0) == 0 && std::string(other.name) != stem) {
          partner = &other;
          break;
        }
    }
    SCOPED_TRACE(stem + " over " + (partner ? partner->name : "nothing"));
    ASSERT_NE(partner, nullptr);
    ASSERT_EQ(partner->cell_count, row.cell_count);
    ASSERT_EQ(partner->cell_width, row.cell_width);
    ASSERT_EQ(partner->cell_height, row.cell_height);
    const Canvas flash = Painted(row);
    const Canvas base = Painted(*partner);
    ASSERT_EQ(flash.width(), base.width());
    ASSERT_EQ(flash.height(), base.height());
    int shape_differs = 0;
    int dark = 0;
    for (int y = 0; y < flash.height(); ++y) {
      for (int x = 0; x < flash.width(); ++x) {
        if (flash.IsTransparent(x, y) != base.IsTransparent(x, y)) ++shape_differs;
        if (!flash.IsTransparent(x, y) && Luminance(flash.Get(x, y)) < 200) ++dark;
      }
    }
    EXPECT_EQ(shape_differs, 0);
    EXPECT_EQ(dark, 0);
    ++pairs;
  }
  EXPECT_GT(pairs, 0);
}

// An unlit row ("..._shade") has its lit partner's size and is clearly
// darker, so the row under the cursor stands out.
TEST_F(SampleDataTest, UnlitRowsAreClearlyDarkerThanLitOnes) {
  auto mean_luminance = [](const Canvas& c) {
    long sum = 0;
    long count = 0;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x)
        if (!c.IsTransparent(x, y)) {
          sum += Luminance(c.Get(x, y));
          ++count;
        }
    return count == 0 ? 0.0 : static_cast<double>(sum) / count;
  };
  int pairs = 0;
  for (const ImageTableRow& row : image_table) {
    std::string lit_stem = row.name;
    const size_t at = lit_stem.find("_shade");
    if (at == std::string::npos) continue;
    lit_stem.erase(at, 6);
    const ImageTableRow* lit = RowOf(lit_stem);
    SCOPED_TRACE(row.name);
    ASSERT_NE(lit, nullptr);
    const Canvas dim = Painted(row);
    const Canvas bright = Painted(*lit);
    EXPECT_EQ(dim.width(), bright.width());
    EXPECT_EQ(dim.height(), bright.height());
    EXPECT_LT(mean_luminance(dim), 0.7 * mean_luminance(bright));
    ++pairs;
  }
  EXPECT_GT(pairs, 0);
}

// ---- Sounds --------------------------------------------------------------------------

// Every effect is a short RIFF WAVE file of 16-bit PCM and every track a few
// seconds of Ogg Vorbis, each read by its own wave reader, none silent, no
// two alike.
TEST_F(SampleDataTest, EveryEffectAndTrackDecodesThroughTheWaveReaders) {
  struct Kind {
    const char* extension;
    const char* magic;
    int32_t reader;
    double shortest;
    double longest;
  };
  const Kind effect{".wav", "RIFF", kWaveReaderPcm, 0.02, 2.0};
  const Kind track{".ogg", "OggS", kWaveReaderOgg, 3.0, 30.0};
  const Kind scene_effect{".ogg", "OggS", kWaveReaderOgg, 0.2, 2.0};
  std::vector<std::pair<std::string, const Kind*>> files;
  for (const SoundEffectRow& row : sound_effect_table) files.emplace_back(row.path, &effect);
  for (const char* path : music_track_table) files.emplace_back(path, &track);
  for (const char* path : scene_sound_files) files.emplace_back(path, &scene_effect);

  std::map<std::vector<int16_t>, std::string> seen;
  for (const auto& [path, kind] : files) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(EndsWith(path, kind->extension));
    const Bytes file = ReadFile(First() / path);
    ASSERT_TRUE(StartsWith(file, kind->magic));
    const DecodedSound sound = DecodeSound(file);
    ASSERT_TRUE(sound.ok);
    EXPECT_EQ(sound.kind, kind->reader);
    ASSERT_EQ(sound.format.wBitsPerSample, 16);
    ASSERT_GT(sound.format.nSamplesPerSec, 0u);
    const double seconds =
        static_cast<double>(sound.samples.size()) / sound.format.nChannels / sound.format.nSamplesPerSec;
    EXPECT_GE(seconds, kind->shortest);
    EXPECT_LE(seconds, kind->longest);
    int peak = 0;
    for (int16_t s : sound.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_GT(peak, 3000) << "nearly silent";
    const auto [it, fresh] = seen.emplace(sound.samples, path);
    EXPECT_TRUE(fresh) << "sounds like " << it->second;
  }
}

// ---- Settings ------------------------------------------------------------------------

std::vector<int> Lines(const fs::path& path) {
  const Bytes bytes = ReadFile(path);
  std::vector<int> values;
  std::string line;
  for (uint8_t b : bytes) {
    if (b != '\n') {
      line += static_cast<char>(b);
      continue;
    }
    // Each line is one decimal number, written as "%d\n".
    EXPECT_EQ(std::to_string(std::atoi(line.c_str())), line);
    values.push_back(std::atoi(line.c_str()));
    line.clear();
  }
  EXPECT_TRUE(line.empty()) << "the last line has no line feed";
  return values;
}

TEST_F(SampleDataTest, SettingsGiveEveryActionItsButtonAndEveryPlayerADevice) {
  const std::vector<int> config = Lines(First() / kConfigFileName);
  ASSERT_EQ(config.size(), 21u);
  for (int player = 0; player < 4; ++player) {
    std::set<int> buttons;
    for (int action = 0; action < 5; ++action) {
      const int button = config[player * 5 + action];
      EXPECT_GE(button, 0);
      EXPECT_LE(button, 7);
      buttons.insert(button);
    }
    EXPECT_EQ(buttons.size(), 5u) << "player " << player + 1 << " has two actions on one button";
  }
  EXPECT_GE(config[20], 0);
  EXPECT_LE(config[20], 9);

  // Devices: 0 the keyboard with pad 1, 1 to 4 a pad, 5 the keyboard alone.
  const std::vector<int> pads = Lines(First() / kPadFileName);
  ASSERT_EQ(pads.size(), 4u);
  std::set<std::string> taken;
  for (int player = 0; player < 4; ++player) {
    const int device = pads[player];
    ASSERT_GE(device, 0);
    ASSERT_LE(device, 5);
    std::vector<std::string> inputs;
    if (device == 0 || device == 5) inputs.push_back("keyboard");
    if (device <= 4) inputs.push_back("pad " + std::to_string(std::max(device, 1)));
    for (const std::string& input : inputs)
      EXPECT_TRUE(taken.insert(input).second) << "player " << player + 1 << " shares the " << input;
  }
}

// ---- Repeatability ---------------------------------------------------------------------

int64_t ModificationTime(const fs::path& path) {
  struct stat info{};
  if (stat(path.c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_mtime);
}

TEST_F(SampleDataTest, GeneratingTwiceGivesTheSameBytesAndTimes) {
  ASSERT_TRUE(Make("second")) << error_;
  std::map<std::string, bool> first;  // relative path, is a folder
  for (const auto& entry : fs::recursive_directory_iterator(First()))
    first[fs::relative(entry.path(), First()).string()] = entry.is_directory();
  std::map<std::string, bool> second;
  for (const auto& entry : fs::recursive_directory_iterator(Second()))
    second[fs::relative(entry.path(), Second()).string()] = entry.is_directory();
  // The same names: the archive the second set was made over is gone, so
  // the game reads the new files.
  EXPECT_EQ(first, second);
  EXPECT_EQ(second.count("data.dat"), 0u);
  // The tables' files, the loading picture, the two settings files and the
  // level files, and nothing else.
  const auto files = std::count_if(first.begin(), first.end(), [](const auto& e) { return !e.second; });
  EXPECT_EQ(files, kImageTableRows + 1 + kSoundEffectCount + kMusicTrackCount +
                       kSceneSoundFileCount + 2 + static_cast<long>(SampleLevelFiles().size()));
  for (const auto& [path, text] : SampleLevelFiles()) {
    EXPECT_EQ(first.count(path), 1u) << path;
  }

  EXPECT_EQ(ModificationTime(First()), kSampleFileTime);
  EXPECT_EQ(ModificationTime(Second()), kSampleFileTime);
  for (const auto& [name, folder] : first) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ModificationTime(First() / name), kSampleFileTime);
    EXPECT_EQ(ModificationTime(Second() / name), kSampleFileTime);
    if (!folder) {
      EXPECT_TRUE(ReadFile(First() / name) == ReadFile(Second() / name)) << "bytes differ";
    }
  }
}

// ---- The archive -----------------------------------------------------------------------

// With the game's archive settings, every picture, sound and level file
// under data/ is served from "data.dat", byte for byte the loose file; the archive has the
// fixed time, and generating it again gives the same bytes.
TEST_F(SampleDataTest, TheArchiveServesEveryDataFile) {
  ASSERT_TRUE(Make("third")) << error_;
  const fs::path archive = Third() / "data.dat";
  EXPECT_EQ(ModificationTime(archive), kSampleFileTime);
  EXPECT_EQ(ModificationTime(Third()), kSampleFileTime);
  ASSERT_TRUE(Make("fourth")) << error_;
  EXPECT_TRUE(ReadFile(archive) == ReadFile(*root_ / "fourth" / "data.dat")) << "a second archive differs";

  const int32_t blocks = TrackedBlockCount();
  const fs::path here = fs::current_path();
  fs::current_path(Third());
  InitArchiveLayer();
  StoreArchiveExtension("dat");
  StoreArchiveKey(kSampleArchiveKey);
  SetFileAccessFunctions(nullptr);

  std::vector<std::string> paths;
  for (const ImageTableRow& row : image_table)
    if (std::string(row.path).rfind("data/", 0) == 0) paths.push_back(row.path);
  for (const SoundEffectRow& row : sound_effect_table) paths.push_back(row.path);
  for (const char* path : music_track_table) paths.push_back(path);
  for (const char* path : scene_sound_files) paths.push_back(path);
  paths.push_back(kLoadingImagePath);
  for (const auto& [path, text] : SampleLevelFiles())
    if (path.rfind("data/", 0) == 0) paths.push_back(path);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const intptr_t file = FileOpenThunk(path.c_str(), 0, 1, 0);
    ASSERT_NE(file, 0);
    const FileHandleRecord* record = FileHandleTable.records[static_cast<uint32_t>(file) & kFileHandleSlotMask];
    EXPECT_EQ(record->kind, 1) << "not read from the archive";
    Bytes bytes;
    uint8_t chunk[8192];
    for (;;) {
      const size_t got = FileReadThunk(chunk, 1, sizeof(chunk), file);
      if (got == 0) break;
      bytes.insert(bytes.end(), chunk, chunk + got);
    }
    FileCloseThunk(file);
    EXPECT_TRUE(bytes == ReadFile(path)) << "differs from the loose file";
  }

  EXPECT_EQ(FileHandleTable.count, 0);
  CloseAllArchives();
  InitArchiveLayer();
  StoreArchiveExtension(nullptr);
  StoreArchiveKey(nullptr);
  fs::current_path(here);
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

}  // namespace
