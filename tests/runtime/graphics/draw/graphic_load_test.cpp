// Loading graphics from files on the software road: whole images and cell
// sheets (cells in row order, their sizes and pixels), the alpha image
// beside an image, missing and damaged files (-1 and the log line, nothing
// left behind), graphics made from and filled with decoded images, and the
// refill of marked graphics from their files.
#include "runtime/graphics/draw/graphic_load.h"

#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/file_access.h"
#include "runtime/image/color_format.h"
#include "runtime/image/image_decoder.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/runtime/image/image_file_writers.h"

namespace {

using namespace image_files;

// A temporary folder of the test's own, removed with what it holds.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/graphic_load_XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    if (path_.empty()) return;
    nftw(
        path_.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) { return remove(path); }, 8,
        FTW_DEPTH | FTW_PHYS);
  }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::string path = path_ + "/" + name;
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    EXPECT_GE(file, 0) << path;
    EXPECT_EQ(write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(file);
    return path;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The 5-6-5 value of a colour, as a 16-bit software image holds it.
uint32_t Rgb565(uint32_t argb) {
  return (uint32_t{R(argb)} >> 3) << 11 | (uint32_t{G(argb)} >> 2) << 5 | (uint32_t{B(argb)} >> 3);
}

uint32_t PixelOf(const MEMIMG& image, int32_t x, int32_t y) {
  const uint8_t* p = image.pixels + y * image.pitch + x * image.format->bytes_per_pixel;
  uint32_t v = 0;
  for (int k = 0; k < image.format->bytes_per_pixel; ++k) v |= uint32_t{p[k]} << (8 * k);
  return v;
}

// Checks that the graphic shows `picture` from (px, py) on, pixel by pixel.
void ExpectGraphicShows(int32_t graphic, const Picture& picture, int32_t px, int32_t py) {
  const GraphicRecord* record = GetGraphicRecord(graphic);
  ASSERT_NE(record, nullptr);
  const Surface2DRecord* surface = Surface2DOf(graphic);
  const SurfaceDataRecord* data = SurfaceDataOf(graphic);
  ASSERT_NE(data, nullptr);
  for (int32_t y = 0; y < record->height; ++y)
    for (int32_t x = 0; x < record->width; ++x)
      ASSERT_EQ(PixelOf(data->image, surface->data_x + x, surface->data_y + y) & 0xFFFF,
                Rgb565(picture.At(px + x, py + y)))
          << "graphic " << graphic << " pixel (" << x << ", " << y << ")";
}

// A sheet of `across` x `down` cells of w x h, each cell its own colour.
Picture Sheet(int32_t across, int32_t down, int32_t w, int32_t h) {
  Picture p{across * w, down * h, {}};
  for (int32_t y = 0; y < p.height; ++y)
    for (int32_t x = 0; x < p.width; ++x) {
      const uint32_t cell = static_cast<uint32_t>((y / h) * across + x / w);
      p.argb.push_back(Argb(255, cell * 24 + 16, 200 - cell * 16, (x % w) * 8 + (y % h) * 4));
    }
  return p;
}

// A 24-bit image of `picture`; the caller releases it.
GraphImage ImageOfPicture(const Picture& picture) {
  GraphImage image{};
  EXPECT_EQ(AllocateGraphImage(picture.width, picture.height, &image), 0);
  for (int32_t y = 0; y < picture.height; ++y)
    for (int32_t x = 0; x < picture.width; ++x) {
      const uint32_t c = picture.At(x, y);
      SetGraphImagePixel(&image, x, y, R(c), G(c), B(c), 255);
    }
  return image;
}

class GraphicLoadTest : public SoftwareGraphicsTest {
 protected:
  TempFolder folder_;
};

TEST_F(GraphicLoadTest, WholeImagesOfEveryFileKindLoadWithTheirPixelsAndName) {
  const Picture picture = MakePicture(7, 5);
  const struct {
    const char* name;
    Bytes file;
  } files[] = {
      {"picture.bmp", MakeBmp(picture, BmpSpec{})},
      {"picture.png", MakePng(picture, PngSpec{})},
      {"picture.tga", MakeTga(picture, TgaSpec{})},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const std::string path = folder_.Write(f.name, f.file);
    const int32_t graphic = LoadGraphicFileDefault(path.c_str(), 0);
    ASSERT_NE(graphic, -1);
    const GraphicRecord* record = GetGraphicRecord(graphic);
    EXPECT_EQ(record->width, 7);
    EXPECT_EQ(record->height, 5);
    EXPECT_STREQ(record->file_name, path.c_str());
    ExpectGraphicShows(graphic, picture, 0, 0);
    EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
  }
}

TEST_F(GraphicLoadTest, SheetGivesItsCellsInRowOrderWithTheirSizes) {
  const Picture sheet = Sheet(4, 2, 8, 6);
  const std::string path = folder_.Write("sheet.png", MakePng(sheet, PngSpec{}));
  int32_t cells[8];
  std::fill(std::begin(cells), std::end(cells), 77);
  ASSERT_EQ(LoadGraphicCellsDefault(path.c_str(), 8, 4, 2, 8, 6, cells, 0), 0);
  char directory[MAX_PATH + 1] = {};
  FileGetDirThunk(directory);
  ASSERT_NE(directory[0], '\0');
  for (int32_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    const GraphicRecord* record = GetGraphicRecord(cells[i]);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->width, 8);
    EXPECT_EQ(record->height, 6);
    EXPECT_EQ(record->offset_x, (i % 4) * 8);
    EXPECT_EQ(record->offset_y, (i / 4) * 6);
    EXPECT_STREQ(record->file_name, path.c_str());
    EXPECT_STREQ(record->load_directory, directory);
    ExpectGraphicShows(cells[i], sheet, (i % 4) * 8, (i / 4) * 6);
  }
  // All cells share one picture.
  EXPECT_EQ(SurfaceDataTable.live_count, 1);
}

TEST_F(GraphicLoadTest, CountBeyondTheGridFillsOnlyTheGrid) {
  const std::string path = folder_.Write("sheet.bmp", MakeBmp(Sheet(2, 2, 4, 4), BmpSpec{}));
  int32_t cells[6] = {-1, -1, -1, -1, 55, 66};
  ASSERT_EQ(LoadGraphicCellsDefault(path.c_str(), 6, 2, 2, 4, 4, cells, 0), 0);
  for (int i = 0; i < 4; ++i) EXPECT_NE(GetGraphicRecord(cells[i]), nullptr) << i;
  EXPECT_EQ(cells[4], 55);
  EXPECT_EQ(cells[5], 66);
}

TEST_F(GraphicLoadTest, MissingAndDamagedFilesGiveMinusOneAndTheirLogLine) {
  const Bytes png = MakePng(MakePicture(6, 4), PngSpec{});
  const std::string damaged = folder_.Write("damaged.png", Bytes(png.begin(), png.end() - 9));
  const std::string text = folder_.Write("notes.png", Bytes{'h', 'e', 'l', 'l', 'o'});
  const std::string missing = folder_.path() + "/missing.png";
  struct Case {
    std::string path;
    std::string line;
  };
  const Case cases[] = {
      {missing, "グラフィックファイル " + missing + " がありません"},
      // The log ends its lines with CR LF.
      {damaged, "右記のグラフィックファイルのロードに失敗しました：" + damaged + " \r\n"},
      {text, "右記のグラフィックファイルのロードに失敗しました：" + text + " \r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    LogCapture log;
    EXPECT_EQ(LoadGraphicFileDefault(c.path.c_str(), 0), -1);
    EXPECT_NE(log.text().find(c.line), std::string::npos) << log.text();
    EXPECT_EQ(GraphicTable.live_count, 0);
  }

  // A sheet that cannot be read leaves the array as it was.
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    LogCapture log;
    int32_t cells[4] = {9, 9, 9, 9};
    EXPECT_EQ(LoadGraphicCellsDefault(c.path.c_str(), 4, 2, 2, 2, 2, cells, 0), -1);
    EXPECT_NE(log.text().find("右記のグラフィックファイルのロードに失敗しました：" + c.path),
              std::string::npos)
        << log.text();
    for (int32_t h : cells) EXPECT_EQ(h, 9);
  }
  EXPECT_EQ(TrackedBlockCount(), blocks_at_start());
}

TEST_F(GraphicLoadTest, AlphaImageBesideTheFileGivesTheGraphicItsAlpha) {
  const Picture picture = MakePicture(4, 2);
  Picture alpha{4, 2, {}};
  for (int i = 0; i < 8; ++i) {
    const uint8_t level = static_cast<uint8_t>(i * 30 + 15);
    alpha.argb.push_back(Argb(255, level, level, level));
  }
  const std::string path = folder_.Write("logo.png", MakePng(picture, PngSpec{}));
  folder_.Write("logo_a.png", MakePng(alpha, PngSpec{}));
  const int32_t graphic = LoadGraphicFileDefault(path.c_str(), 0);
  ASSERT_NE(graphic, -1);
  EXPECT_EQ(GetGraphicRecord(graphic)->settings.AlphaChFlag, 1);
  const MEMIMG& image = SurfaceDataOf(graphic)->image;
  ASSERT_EQ(image.alpha_flag, 1);
  for (int32_t y = 0; y < 2; ++y)
    for (int32_t x = 0; x < 4; ++x) {
      EXPECT_EQ(PixelOf(image, x, y) & 0xFFFF, Rgb565(picture.At(x, y)));
      EXPECT_EQ((PixelOf(image, x, y) >> 16) & 0xFF, R(alpha.At(x, y))) << x << ", " << y;
    }

  // Without the alpha image the same file has no alpha.
  const std::string plain = folder_.Write("plain.png", MakePng(picture, PngSpec{}));
  const int32_t opaque = LoadGraphicFileDefault(plain.c_str(), 0);
  ASSERT_NE(opaque, -1);
  EXPECT_EQ(GetGraphicRecord(opaque)->settings.AlphaChFlag, 0);
}

TEST(AlphaImagePathTest, UnderscoreAGoesBeforeTheLastDot) {
  const struct {
    const char* path;
    const char* alpha;
  } cases[] = {
      {"logo.png", "logo_a.png"},
      {"data/img/a.b.bmp", "data/img/a.b_a.bmp"},
      {"a/b.c/d", "a/b_a.c/d"},
      {"noextension", "noextension_a"},
      {"", "_a"},
  };
  for (const auto& c : cases) {
    char out[64];
    ASSERT_EQ(MakeAlphaImagePath(c.path, out, sizeof(out)), 0);
    EXPECT_STREQ(out, c.alpha) << c.path;
  }
  // The alpha path must fit the buffer with its NUL.
  char small[8];
  EXPECT_EQ(MakeAlphaImagePath("ab.png", small, sizeof(small)), -1);
  EXPECT_EQ(MakeAlphaImagePath("a.png", small, sizeof(small)), 0);
  EXPECT_STREQ(small, "a_a.png");
}

// A decoder offered every stream first, counting them; it takes none.
int decodes_seen = 0;
int CountingLoader(StreamSource*, GraphImage*) {
  ++decodes_seen;
  return -1;
}

TEST_F(GraphicLoadTest, RefillReadsEachSheetOnceAndSkipsNamesTooLong) {
  const Picture sheet = Sheet(3, 2, 5, 4);
  const std::string path = folder_.Write("cells.bmp", MakeBmp(sheet, BmpSpec{}));
  int32_t first[6];
  int32_t second[6];
  ASSERT_EQ(LoadGraphicCellsDefault(path.c_str(), 6, 3, 2, 5, 4, first, 0), 0);
  // Between the two sets, a whole image whose name (as it was loaded) is 65
  // characters long.
  std::string long_name = "x";
  long_name += std::string(65 - folder_.path().size() - 1 - 5, 'n') + ".bmp";
  const std::string long_path = folder_.Write(long_name, MakeBmp(MakePicture(3, 3), BmpSpec{}));
  ASSERT_EQ(long_path.size(), 65u);
  const int32_t long_graphic = LoadGraphicFileDefault(long_path.c_str(), 0);
  ASSERT_NE(long_graphic, -1);
  ASSERT_EQ(LoadGraphicCellsDefault(path.c_str(), 6, 3, 2, 5, 4, second, 0), 0);

  // The surfaces were lost: every picture is blank and marked.
  for (const int32_t* set : {first, second})
    FillMemImage(&SurfaceDataOf(set[0])->image, nullptr, 0);
  FillMemImage(&SurfaceDataOf(long_graphic)->image, nullptr, 0);
  for (int32_t slot = 0; slot < GraphicTable.area_end; ++slot) {
    if (GraphicTable.records[slot] != nullptr)
      reinterpret_cast<GraphicRecord*>(GraphicTable.records[slot])->RestoreMark = 1;
  }

  decodes_seen = 0;
  UserImageLoaderTable[0] = CountingLoader;
  UserImageLoaderCount = 1;
  {
    LogCapture log;
    RestoreGraphicsFromFiles();
    EXPECT_NE(log.text().find("グラフィックを復帰します\r\n"), std::string::npos);
  }
  UserImageLoaderTable[0] = nullptr;
  UserImageLoaderCount = 0;

  // The six cells of each set read the file once; the long name is not read.
  EXPECT_EQ(decodes_seen, 2);
  for (const int32_t* set : {first, second})
    for (int32_t i = 0; i < 6; ++i) {
      SCOPED_TRACE(i);
      ExpectGraphicShows(set[i], sheet, (i % 3) * 5, (i / 3) * 4);
      EXPECT_EQ(GetGraphicRecord(set[i])->RestoreMark, 0);
    }
  EXPECT_EQ(GetGraphicRecord(long_graphic)->RestoreMark, 0);
  EXPECT_EQ(PixelOf(SurfaceDataOf(long_graphic)->image, 1, 1), 0u);
}

TEST_F(GraphicLoadTest, DefaultRestoreHandlerIsSetAndCanBeTakenAway) {
  EXPECT_EQ(HasGraphicRestoreHandler(), 1);
  EXPECT_EQ(GraphicRestoreHandler, &RestoreGraphicsFromFiles);
  SetGraphicRestoreHandler(nullptr);
  EXPECT_EQ(HasGraphicRestoreHandler(), 0);
  SetGraphicRestoreHandler(RestoreGraphicsFromFiles);
  EXPECT_EQ(HasGraphicRestoreHandler(), 1);
}

// The default graphic of an image: the image as it is (neither mirrored in
// the graphic nor left mirrored), with no name.
TEST_F(GraphicLoadTest, DefaultGraphicOfAnImageHoldsItAsItIs) {
  const Picture picture = MakePicture(9, 4);
  GraphImage image = ImageOfPicture(picture);
  const std::vector<uint8_t> before(image.pixels, image.pixels + image.pitch * image.height);
  const int32_t graphic = MakeGraphicFromImageDefault(&image);
  ASSERT_NE(graphic, -1);
  const GraphicRecord* record = GetGraphicRecord(graphic);
  EXPECT_EQ(record->settings.texture_flag, 0) << "no Direct3D on the software road";
  EXPECT_EQ(record->width, 9);
  EXPECT_EQ(record->height, 4);
  EXPECT_STREQ(record->file_name, "");
  ExpectGraphicShows(graphic, picture, 0, 0);
  EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + image.pitch * image.height), before);
  ReleaseGraphImage(&image);
}

// A rectangle of an image goes into a cell from its top-left corner: only
// that part of the cell changes, the neighbouring cells never, and the cell
// keeps the name, the rectangle's corner and the option, so that a refill
// from the file shows the image from that corner.
TEST_F(GraphicLoadTest, RectangleOfAnImageFillsOnlyTheCornerOfTheCellItLandsOn) {
  const Picture sheet = Sheet(3, 1, 16, 16);
  int32_t cells[3];
  ASSERT_EQ(LoadGraphicCellsDefault(folder_.Write("sheet.png", MakePng(sheet, PngSpec{})).c_str(),
                                    3, 3, 1, 16, 16, cells, 0),
            0);
  const Picture other = MakePicture(40, 30);
  const std::string other_path = folder_.Write("other.png", MakePng(other, PngSpec{}));
  GraphImage image = ImageOfPicture(other);

  const RECT rect{20, 10, 30, 16};
  ASSERT_EQ(FillGraphicFromImage(other_path.c_str(), &image, nullptr, &rect, cells[1], 5), 0);
  const SurfaceDataRecord* data = SurfaceDataOf(cells[1]);
  const Surface2DRecord* surface = Surface2DOf(cells[1]);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x) {
      const bool inside = x < 10 && y < 6;
      ASSERT_EQ(PixelOf(data->image, surface->data_x + x, surface->data_y + y) & 0xFFFF,
                Rgb565(inside ? other.At(20 + x, 10 + y) : sheet.At(16 + x, y)))
          << x << ", " << y;
    }
  ExpectGraphicShows(cells[0], sheet, 0, 0);
  ExpectGraphicShows(cells[2], sheet, 32, 0);
  const GraphicRecord* record = GetGraphicRecord(cells[1]);
  EXPECT_EQ(record->offset_x, 20);
  EXPECT_EQ(record->offset_y, 10);
  EXPECT_EQ(record->LoadOptionWord, 5);
  EXPECT_STREQ(record->file_name, other_path.c_str());
  char directory[MAX_PATH + 1] = {};
  FileGetDirThunk(directory);
  EXPECT_STREQ(record->load_directory, directory);

  // The refill reads the file and shows it from the kept corner.
  GetGraphicRecord(cells[1])->RestoreMark = 1;
  GetGraphicRecord(cells[1])->LoadOptionWord = 0;
  RestoreGraphicsFromFiles();
  ExpectGraphicShows(cells[1], other, 20, 10);
  ExpectGraphicShows(cells[0], sheet, 0, 0);

  // A rectangle larger than the cell is cut at the cell's edges.
  const RECT big{0, 0, 40, 30};
  ASSERT_EQ(FillGraphicFromImage(nullptr, &image, nullptr, &big, cells[2], 0), 0);
  ExpectGraphicShows(cells[2], other, 0, 0);
  ExpectGraphicShows(cells[1], other, 20, 10);
  EXPECT_STREQ(GetGraphicRecord(cells[2])->file_name, "");

  EXPECT_EQ(FillGraphicFromImage("x.png", &image, nullptr, &rect, cells[2] + 1, 0), -1);
  EXPECT_EQ(FillGraphicFromImage("x.png", &image, nullptr, nullptr, cells[2], 0), -1);
  EXPECT_EQ(FillGraphicFromImage("x.png", nullptr, nullptr, &rect, cells[2], 0), -1);
  ReleaseGraphImage(&image);
}

}  // namespace
