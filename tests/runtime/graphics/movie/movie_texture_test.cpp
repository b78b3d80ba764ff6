// Movies into graphics drawn with Direct3D: each frame taken goes into the
// texture pieces, of the movie's graphic and of graphics derived from it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/ddraw.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/movie/movie.h"
#include "tests/runtime/graphics/d3d_test_support.h"
#include "tests/support/dshow/movie_stream_double.h"

namespace {

// The double's movie size.
constexpr int32_t kWidth = 32;
constexpr int32_t kHeight = 24;

// The 5-6-5 value of a pattern colour, as a 16-bit texture holds it.
uint16_t FramePixel(int32_t frame, int32_t x, int32_t y) {
  uint8_t r, g, b;
  MovieFrameColor(frame, x, y, &r, &g, &b);
  return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}

// Direct3D in use (the recording device) on a 5-6-5 screen: a movie graphic
// is made of texture pieces.
class MovieTextureTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    BuildDDPixelFormat(&Screen.ScreenPixelFormat, 16, 0xF800, 0x07E0, 0x001F, 0);
    NewGraphicAlphaTest = 0;
    MovieHandleTable.check_counter = 0;
    char pattern[] = "/tmp/movie_texture_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    EXPECT_EQ(MovieHandleTable.live_count, 0) << "a movie was left open";
    Direct3DTest::TearDown();
    remove(path_.c_str());
    rmdir(folder_.c_str());
  }

  std::string WriteMovie() {
    path_ = folder_ + "/clip.mpg";
    FILE* file = fopen(path_.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    fputs("MOVIE in a texture", file);
    fclose(file);
    return path_;
  }

  // The 16-bit texel at (x, y) of the texture a piece lies in.
  static uint16_t Texel(int32_t piece, int32_t x, int32_t y) {
    IDirectDrawSurface7* const surface = TextureOf(piece);
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    EXPECT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    uint16_t value;
    std::memcpy(&value,
                static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch + x * 2, 2);
    surface->Unlock(nullptr);
    return value;
  }

  std::string folder_;
  std::string path_;
};

// Each frame taken goes into the movie graphic's texture; a graphic derived
// from it takes the frame into the part of the shared texture it shows.
TEST_F(MovieTextureTest, FramesGoIntoTheTexturePiecesOfTheGraphic) {
  MovieStreamDouble player;
  const int32_t graphic = LoadGraphicFileDefault(WriteMovie().c_str(), 0);
  ASSERT_NE(graphic, -1);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(record->settings.texture_flag, 1);
  ASSERT_EQ(record->surface_count, 1);
  const int32_t piece = record->surfaces[0];
  ASSERT_EQ(GetSurfaceDataRecord(GetSurface3DData(piece)->texture)->texture_format, 0);

  ASSERT_EQ(PlayGraphicMovie(graphic), 0);
  ASSERT_EQ(UpdateMovieFrame(graphic, 1), 0);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x)
      ASSERT_EQ(Texel(piece, x, y), FramePixel(0, x, y)) << x << ", " << y;

  const int32_t cell = DeriveGraphic(8, 4, 16, 16, graphic);
  ASSERT_NE(cell, -1);
  ASSERT_EQ(UpdateMovieFrame(cell, 1), 0);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) {
      const bool in_cell = x >= 8 && x < 24 && y >= 4 && y < 20;
      ASSERT_EQ(Texel(piece, x, y), FramePixel(in_cell ? 1 : 0, x, y)) << x << ", " << y;
    }
  EXPECT_EQ(device().Count("Load"), 0) << "the texture was written directly";

  EXPECT_EQ(DeleteGraphicHandle(cell, 0), 0);
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
  EXPECT_EQ(player.LiveObjects(), 0);
}

}  // namespace
