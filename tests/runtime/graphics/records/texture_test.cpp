// Texture pieces and formats: the division of graphics for tables of graphic
// and screen sizes, the vertex templates, the texture-format enumeration,
// derived graphics sharing textures, uploads (whole, of a rectangle, of a
// movie frame) and restores (of a graphic, of one piece).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/image/color_format.h"
#include "tests/runtime/graphics/d3d_test_support.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/ddraw/display_script.h"

namespace {

using TextureTest = Direct3DTest;

struct SplitCase {
  int32_t screen_width;
  int32_t max_size;
  int32_t min_size;
  int32_t whole;
  int32_t size;
  std::vector<int32_t> pieces;
};

TEST_F(TextureTest, SidesAreDividedByTheScreenWidthAndTheTextureLimits) {
  const SplitCase cases[] = {
      // The screen's width is divided; a side below it is covered by one piece.
      {640, 1024, 1, 0, 640, {512, 128}},
      {640, 1024, 1, 0, 480, {512}},
      {640, 1024, 1, 0, 100, {128}},
      {640, 1024, 16, 0, 20, {32}},
      {640, 1024, 64, 0, 20, {64}},
      // After 512 the remaining 400 exceeds three quarters of 512.
      {640, 1024, 1, 0, 912, {1024}},
      {800, 1024, 1, 0, 800, {512, 256, 32}},
      // A screen wider than the largest texture divides by that size.
      {640, 256, 32, 0, 640, {256, 256, 128}},
      // A draw target is kept whole up to the largest texture.
      {640, 1024, 1, 1, 640, {1024}},
      {640, 256, 1, 1, 600, {256, 256, 64, 32}},
  };
  const int32_t saved_max = TextureMaxSize;
  const int32_t saved_min = TextureMinSize;
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "screen " << c.screen_width << " max " << c.max_size
                                    << " whole " << c.whole << " size " << c.size);
    Screen.ScreenWidth = c.screen_width;
    TextureMaxSize = c.max_size;
    TextureMinSize = c.min_size;
    int32_t out[kTexturePieceMax + 1] = {};
    const int32_t count = SplitSizeForTextures(c.size, out, c.whole);
    EXPECT_EQ(std::vector<int32_t>(out, out + count), c.pieces);
  }
  TextureMaxSize = saved_max;
  TextureMinSize = saved_min;
  Screen.ScreenWidth = 640;
}

struct PieceLayout {
  int32_t x, y, texture_width, texture_height, width, height;
  bool operator==(const PieceLayout&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PieceLayout& p) {
  return out << "(" << p.x << "," << p.y << " " << p.texture_width << "x" << p.texture_height
             << " shows " << p.width << "x" << p.height << ")";
}

std::vector<PieceLayout> LayoutOf(int32_t graphic) {
  std::vector<PieceLayout> layout;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  for (int32_t i = 0; i < record->surface_count; ++i) {
    const Surface3DData* const piece = GetSurface3DData(record->surfaces[i]);
    const SurfaceDataRecord* const data = GetSurfaceDataRecord(piece->texture);
    layout.push_back({piece->x, piece->y, data->width, data->height, piece->width, piece->height});
  }
  return layout;
}

struct GraphicCase {
  int32_t screen_width;
  int32_t width;
  int32_t height;
  std::vector<PieceLayout> pieces;
};

TEST_F(TextureTest, GraphicsAreCutIntoPiecesRowByRow) {
  const GraphicCase cases[] = {
      {640, 640, 480, {{0, 0, 512, 512, 512, 480}, {512, 0, 128, 512, 128, 480}}},
      {640, 100, 20, {{0, 0, 128, 32, 100, 20}}},
      {640, 800, 700,
       {{0, 0, 512, 512, 512, 512},
        {512, 0, 256, 512, 256, 512},
        {768, 0, 32, 512, 32, 512},
        {0, 512, 512, 128, 512, 128},
        {512, 512, 256, 128, 256, 128},
        {768, 512, 32, 128, 32, 128},
        {0, 640, 512, 64, 512, 60},
        {512, 640, 256, 64, 256, 60},
        {768, 640, 32, 64, 32, 60}}},
      {1024, 1000, 30, {{0, 0, 1024, 32, 1000, 30}}},
  };
  for (const GraphicCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " on " << c.screen_width);
    Screen.ScreenWidth = c.screen_width;
    const int32_t graphic = MakeEmptyGraphic(c.width, c.height, 0);
    ASSERT_GE(graphic, 0);
    EXPECT_EQ(LayoutOf(graphic), c.pieces);
    DeleteGraphicHandle(graphic, 0);
  }
  Screen.ScreenWidth = 640;
}

TEST_F(TextureTest, APieceCarriesItsCornersTextureCoordinatesAndDiagonalFlags) {
  const int32_t graphic = MakeEmptyGraphic(640, 480, 0);
  ASSERT_GE(graphic, 0);
  const Surface3DData* const right = GetSurface3DData(GetGraphicRecord(graphic)->surfaces[1]);
  ASSERT_NE(right, nullptr);
  // Corners inside the graphic, without any half-pixel offset; u and v are
  // the shown part of the 128 x 512 texture.
  const float expected[4][4] = {{512, 0, 0, 0},
                                {640, 0, 1, 0},
                                {512, 480, 0, 480.0f / 512},
                                {640, 480, 1, 480.0f / 512}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(right->vertices[i].x, expected[i][0]);
    EXPECT_FLOAT_EQ(right->vertices[i].y, expected[i][1]);
    EXPECT_FLOAT_EQ(right->vertices[i].u, expected[i][2]);
    EXPECT_FLOAT_EQ(right->vertices[i].v, expected[i][3]);
    EXPECT_FLOAT_EQ(right->vertices[i].z, 0.0f);
    EXPECT_FLOAT_EQ(right->vertices[i].rhw, 1.0f);
    EXPECT_EQ(right->vertices[i].color, 0xFFFFFFFFu);
  }
  // 480 - x * 0.75 >= y: (512, 0) lies above the diagonal, (640, 0) on it,
  // the bottom corners below.
  EXPECT_EQ(std::vector<int>(right->diagonal, right->diagonal + 4),
            (std::vector<int>{1, 1, 0, 0}));
  EXPECT_EQ(right->graphic, graphic);
}

TEST_F(TextureTest, ASquareOnlyDeviceGetsOblongPiecesCutIntoSquares) {
  Stop();
  D3DDoubleConfig config = StandardD3DConfig();
  config.devices[0].dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_SQUAREONLY;
  Start(config);
  const int32_t graphic = MakeEmptyGraphic(640, 480, 0);
  ASSERT_GE(graphic, 0);
  const std::vector<PieceLayout> expected = {{0, 0, 512, 512, 512, 480},
                                             {512, 0, 128, 128, 128, 128},
                                             {512, 128, 128, 128, 128, 128},
                                             {512, 256, 128, 128, 128, 128},
                                             {512, 384, 128, 128, 128, 96}};
  EXPECT_EQ(LayoutOf(graphic), expected);
}

TEST_F(TextureTest, MoreThan64PiecesAreRefused) {
  TextureMaxSize = 32;
  TextureMinSize = 32;
  LogCapture log;
  // 9 x 8 pieces of 32.
  EXPECT_EQ(MakeEmptyGraphic(288, 256, 0), -1);
  EXPECT_NE(log.text().find("エラー：画像の分割数が最大数の 64 を超えました"), std::string::npos);
  EXPECT_EQ(TextureHandleTable.live_count, 0);
  // 8 x 8 is allowed.
  const int32_t graphic = MakeEmptyGraphic(256, 256, 0);
  ASSERT_GE(graphic, 0);
  EXPECT_EQ(GetGraphicRecord(graphic)->surface_count, 64);
}

TEST_F(TextureTest, PieceHandlesAreCheckedAndTheHintDropsPastEmptySlots) {
  const int32_t a = MakePiece(32, 32, 0, 0);
  const int32_t b = MakePiece(32, 32, 0, 0);
  const int32_t c = MakePiece(32, 32, 0, 0);
  ASSERT_GE(c, 0);
  EXPECT_EQ(a & 0x78000000, 0x30000000);
  EXPECT_EQ(TextureHandleTable.area_end, 3);
  int32_t lost = 0;
  GetSurface3DData(c)->head.lost_flag = &lost;
  EXPECT_EQ(DeleteSurface3DData(b), 0);
  EXPECT_EQ(TextureHandleTable.area_end, 3);
  EXPECT_EQ(DeleteSurface3DData(c), 0);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(TextureHandleTable.area_end, 1);
  EXPECT_EQ(DeleteSurface3DData(c), -1);
  EXPECT_EQ(GetSurface3DData(c), nullptr);
  EXPECT_EQ(GetSurface3DData(a ^ 0x00010000), nullptr) << "another check id";
  EXPECT_EQ(DeleteSurface3DData(a), 0);

  IDirect3D7* const saved = Direct3DObject;
  Direct3DObject = nullptr;
  LogCapture log;
  EXPECT_EQ(MakePiece(32, 32, 0, 0), -1);
  EXPECT_NE(log.text().find("３Ｄグラフィックエンジンが初期化されていません"), std::string::npos);
  Direct3DObject = saved;
}

TEST_F(TextureTest, DerivedGraphicsShareTheTexturesTheyShow) {
  const int32_t parent = MakeEmptyGraphic(640, 480, 0);
  ASSERT_GE(parent, 0);
  const GraphicRecord* const parent_record = GetGraphicRecord(parent);
  const int32_t left_texture = GetSurface3DData(parent_record->surfaces[0])->texture;
  const int32_t right_texture = GetSurface3DData(parent_record->surfaces[1])->texture;

  // Across the boundary between the two pieces.
  const int32_t cell = DeriveGraphic(500, 100, 40, 50, parent);
  ASSERT_GE(cell, 0);
  const GraphicRecord* const cell_record = GetGraphicRecord(cell);
  ASSERT_EQ(cell_record->surface_count, 2);
  const Surface3DData* const a = GetSurface3DData(cell_record->surfaces[0]);
  const Surface3DData* const b = GetSurface3DData(cell_record->surfaces[1]);
  EXPECT_EQ(a->texture, left_texture);
  EXPECT_EQ(b->texture, right_texture);
  EXPECT_EQ((std::vector<int>{a->x, a->y, a->width, a->height, a->texture_x, a->texture_y}),
            (std::vector<int>{0, 0, 12, 50, 500, 100}));
  EXPECT_EQ((std::vector<int>{b->x, b->y, b->width, b->height, b->texture_x, b->texture_y}),
            (std::vector<int>{12, 0, 28, 50, 0, 100}));
  EXPECT_FLOAT_EQ(a->vertices[0].u, 500.0f / 512);
  EXPECT_FLOAT_EQ(b->vertices[3].u, 28.0f / 128);
  EXPECT_EQ(GetSurfaceDataRecord(left_texture)->ref_count, 2);

  // A one-piece graphic derived again adds both offsets.
  const int32_t inner = DeriveGraphic(2, 3, 5, 5, DeriveGraphic(10, 20, 30, 40, DeriveGraphic(0, 0, 100, 100, parent)));
  ASSERT_GE(inner, 0);
  const Surface3DData* const deep = GetSurface3DData(GetGraphicRecord(inner)->surfaces[0]);
  EXPECT_EQ((std::vector<int>{deep->texture_x, deep->texture_y, deep->source_x, deep->source_y}),
            (std::vector<int>{12, 23, 12, 23}));

  // The parent goes first; the textures live on with the cells.
  EXPECT_EQ(DeleteGraphicHandle(parent, 0), 0);
  ASSERT_NE(GetSurfaceDataRecord(left_texture), nullptr);
  // The cell's piece and the three one-piece graphics.
  EXPECT_EQ(GetSurfaceDataRecord(left_texture)->ref_count, 4);
  EXPECT_EQ(DeleteGraphicHandle(cell, 0), 0);
  EXPECT_EQ(GetSurfaceDataRecord(left_texture)->ref_count, 3);
  EXPECT_NE(GetSurfaceDataRecord(left_texture), nullptr);
}

struct FormatCase {
  const char* name;
  std::vector<DDPIXELFORMAT> offered;
  uint32_t screen_red_mask;
  int found;
  // Red mask and alpha mask of kinds 0 to 8 (0 / 0: empty).
  std::vector<std::pair<uint32_t, uint32_t>> kinds;
};

TEST_F(TextureTest, TextureFormatsAreChosenFromWhatTheDeviceOffers) {
  const DDPIXELFORMAT f565 = MakeTextureFormat(16, 0xF800, 0x07E0, 0x001F, 0);
  const DDPIXELFORMAT f555 = MakeTextureFormat(16, 0x7C00, 0x03E0, 0x001F, 0);
  const DDPIXELFORMAT f888 = MakeTextureFormat(32, 0xFF0000, 0xFF00, 0xFF, 0);
  const DDPIXELFORMAT f4444 = MakeTextureFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
  const DDPIXELFORMAT f1555 = MakeTextureFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
  const DDPIXELFORMAT f8888 = MakeTextureFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  DDPIXELFORMAT luminance = f565;
  luminance.dwFlags |= DDPF_LUMINANCE;
  DDPIXELFORMAT four_cc = f565;
  four_cc.dwFlags |= DDPF_FOURCC;
  DDPIXELFORMAT alpha_only = f4444;
  alpha_only.dwFlags |= DDPF_ALPHA;
  const DDPIXELFORMAT odd_alpha = MakeTextureFormat(16, 0x00F0, 0x000F, 0x0F00, 0x7000);
  const std::pair<uint32_t, uint32_t> none = {0, 0};
  const std::pair<uint32_t, uint32_t> k565 = {0xF800, 0}, k555 = {0x7C00, 0},
                                      k888 = {0xFF0000, 0}, k4444 = {0x0F00, 0xF000},
                                      k1555 = {0x7C00, 0x8000}, k8888 = {0xFF0000, 0xFF000000};
  const FormatCase cases[] = {
      {"everything, 5-6-5 screen", {f565, f555, f888, f4444, f1555, f8888}, 0xF800, 1,
       {k565, k888, k4444, k8888, k1555, k8888, k565, k888, k8888}},
      {"a later format of the screen's layout wins", {f565, f555}, 0x7C00, 1,
       {k555, k555, none, none, none, none, k555, k555, none}},
      {"16 bits plain only: the fallbacks", {f565, f4444}, 0xF800, 1,
       {k565, k565, k4444, k4444, k4444, k4444, k565, k565, k4444}},
      {"nothing usable", {luminance, four_cc, alpha_only, odd_alpha, f888}, 0xF800, 0,
       {none, k888, none, none, none, none, none, k888, none}},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    BuildColorFormatFromMasks(&Screen.ScreenColorFormat, 16, c.screen_red_mask,
                              c.screen_red_mask == 0xF800 ? 0x07E0 : 0x03E0, 0x001F, 0);
    device().config().texture_formats = c.offered;
    ClearTextureFormats();
    int32_t found = 0;
    ASSERT_EQ(device().EnumTextureFormats(EnumTextureFormatCallback, &found), S_OK);
    ApplyTextureFormatFallbacks();
    EXPECT_EQ(found, c.found);
    for (int kind = 0; kind < kTextureFormatCount; ++kind) {
      const ColorFormat* const format = GetTextureColorFormat(kind);
      EXPECT_EQ(std::make_pair(format->red_mask, format->alpha_mask), c.kinds[kind])
          << "kind " << kind;
    }
  }
  EXPECT_EQ(GetTextureColorFormat(9), nullptr);
}

TEST_F(TextureTest, TheKindOfTextureFollowsTheSurfaceSettings) {
  struct Case {
    int alpha_channel, alpha_test, depth, draw_valid, kind;
  };
  const Case cases[] = {{0, 0, 16, 0, 0}, {0, 0, 32, 0, 1}, {1, 0, 16, 0, 2}, {1, 1, 32, 0, 3},
                        {0, 1, 16, 0, 4}, {0, 1, 32, 0, 5}, {0, 0, 16, 1, 6}, {0, 0, 32, 1, 7},
                        {1, 0, 16, 1, 8}, {0, 1, 32, 1, 8}};
  for (const Case& c : cases) {
    SurfaceSettings settings{};
    settings.AlphaChFlag = static_cast<uint8_t>(c.alpha_channel);
    settings.AlphaTestFlag = static_cast<uint8_t>(c.alpha_test);
    settings.ColorBitDepth = static_cast<uint8_t>(c.depth);
    settings.DrawValid = static_cast<uint8_t>(c.draw_valid);
    EXPECT_EQ(GetTextureFormatIndex(&settings), c.kind);
    EXPECT_EQ(GetTextureFormatByKind(c.alpha_channel, c.alpha_test, c.depth == 32, c.draw_valid),
              GetTextureColorFormat(c.kind));
  }
}

// A 24-bit image whose pixel (x, y) is (x * 8, y * 8, 0x40) (each taken as a
// byte), with the
// transparent colour (0, 0, 0) at (1, 1).
GraphImage MakePatternImage(int32_t width, int32_t height) {
  GraphImage image{};
  EXPECT_EQ(AllocateGraphImage(width, height, &image), 0);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) SetGraphImagePixel(&image, x, y, (x * 8) & 0xFF, (y * 8) & 0xFF, 0x40, 255);
  }
  SetGraphImagePixel(&image, 1, 1, 0, 0, 0, 255);
  return image;
}

// The texture pixel at (x, y), 16 bits.
uint16_t TexturePixel(int32_t piece, int32_t x, int32_t y) {
  IDirectDrawSurface7* const surface =
      GetSurfaceDataRecord(GetSurface3DData(piece)->texture)->surface;
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  EXPECT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
  uint16_t value;
  std::memcpy(&value, static_cast<uint8_t*>(description.lpSurface) + y * description.lPitch + x * 2,
              2);
  surface->Unlock(nullptr);
  return value;
}

uint16_t Expected565(int32_t x, int32_t y) {
  return static_cast<uint16_t>(PackColor(GetTextureColorFormat(0), (x * 8) & 0xFF, (y * 8) & 0xFF,
                                         0x40, 255));
}

TEST_F(TextureTest, AnImageIsUploadedIntoEveryPieceAtItsPlace) {
  NewGraphicAlphaTest = 0;
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(record->surface_count, 2);
  GraphImage image = MakePatternImage(640, 40);
  ASSERT_EQ(UploadImageToTextures(graphic, &image, nullptr), 0);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {37, 5}, {511, 39}}) {
    EXPECT_EQ(TexturePixel(record->surfaces[0], x, y), Expected565(x, y)) << x << "," << y;
  }
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{512, 0}, {600, 17}, {639, 39}}) {
    EXPECT_EQ(TexturePixel(record->surfaces[1], x - 512, y), Expected565(x, y)) << x << "," << y;
  }
  // Nothing went through the device.
  EXPECT_EQ(device().Count("Load"), 0);

  // A cell reads the image at its own offset.
  const int32_t cell = DeriveGraphic(500, 10, 20, 10, graphic);
  ASSERT_GE(cell, 0);
  GraphImage blank{};
  ASSERT_EQ(AllocateGraphImage(640, 40, &blank), 0);
  FillGraphImage(&blank, 0, 0, 0, 255);
  ASSERT_EQ(UploadImageToTextures(graphic, &blank, nullptr), 0);
  ASSERT_EQ(UploadImageToTextures(cell, &image, nullptr), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[0], 505, 12), Expected565(505, 12));
  EXPECT_EQ(TexturePixel(record->surfaces[1], 3, 19), Expected565(515, 19));
  EXPECT_EQ(TexturePixel(record->surfaces[0], 499, 12), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[1], 8, 19), 0);
  ReleaseGraphImage(&blank);
  ReleaseGraphImage(&image);
}

TEST_F(TextureTest, ATextureThatCannotBeLockedIsFilledThroughAWorkTexture) {
  NewGraphicAlphaTest = 0;
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  ASSERT_GE(graphic, 0);
  const int32_t piece = GetGraphicRecord(graphic)->surfaces[0];
  GraphImage image = MakePatternImage(100, 20);
  {
    DisplayScript script;
    script.FailOn("IDirectDrawSurface7::Lock", 1);
    ASSERT_EQ(UploadImageToTextures(graphic, &image, nullptr), 0);
    EXPECT_EQ(script.Count("IDirectDraw7::CreateSurface"), 1);
  }
  const auto loads = device().RecordsOf("Load");
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].args[0], reinterpret_cast<intptr_t>(TextureOf(piece)));
  EXPECT_EQ(std::vector<int64_t>(loads[0].args.begin() + 3, loads[0].args.end()),
            (std::vector<int64_t>{0, 0, 0, 0, 100, 20}));
  EXPECT_EQ(TexturePixel(piece, 42, 13), Expected565(42, 13));
  ReleaseGraphImage(&image);
}

TEST_F(TextureTest, AnAlphaTestTextureMakesTheTransparentColourClear) {
  NewGraphicAlphaTest = 1;
  const int32_t graphic = MakeEmptyGraphic(8, 8, 0);
  ASSERT_GE(graphic, 0);
  const int32_t piece = GetGraphicRecord(graphic)->surfaces[0];
  ASSERT_EQ(GetSurfaceDataRecord(GetSurface3DData(piece)->texture)->texture_format, 4);
  GraphImage image = MakePatternImage(8, 8);
  ASSERT_EQ(UploadImageToTextures(graphic, &image, nullptr), 0);
  EXPECT_EQ(TexturePixel(piece, 1, 1) & 0x8000, 0);
  EXPECT_EQ(TexturePixel(piece, 2, 1) & 0x8000, 0x8000);
  EXPECT_EQ(TexturePixel(piece, 0, 0) & 0x8000, 0x8000);
  ReleaseGraphImage(&image);
}

TEST_F(TextureTest, LostTexturesAreRestoredAndReportedForRefilling) {
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  ASSERT_GE(graphic, 0);
  EXPECT_EQ(RestoreGraphicTextures(graphic), 0);
  LoseAllDirectDrawSurfaces();
  EXPECT_EQ(RestoreGraphicTextures(graphic), -1);
  EXPECT_EQ(RestoreGraphicTextures(graphic), 0);
  LoseAllDirectDrawSurfaces();
  EXPECT_EQ(RestoreAllTextures(), 0);
  EXPECT_EQ(RestoreGraphicTextures(graphic), 0);
  EXPECT_EQ(RestoreGraphicTextures(graphic ^ 0x00010000), -1) << "another check id";
}

TEST_F(TextureTest, FillingATextureGraphicFillsEveryPiece) {
  NewGraphicAlphaTest = 0;
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  EXPECT_EQ(TexturePixel(record->surfaces[1], 5, 5), 0) << "made cleared";
  ASSERT_EQ(FillGraphicColor(graphic, 255, 0, 0, 255), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[0], 5, 5), 0xF800);
  EXPECT_EQ(TexturePixel(record->surfaces[1], 127, 39), 0xF800);
}

// One piece is restored on its own: the other pieces' textures stay lost
// until their own restore.
TEST_F(TextureTest, OnePieceIsRestoredOnItsOwn) {
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(record->surface_count, 2);
  const int32_t left = record->surfaces[0];
  const int32_t right = record->surfaces[1];
  EXPECT_EQ(RestoreSurface3DImage(left), 0) << "nothing was lost";

  LoseAllDirectDrawSurfaces();
  EXPECT_EQ(RestoreSurface3DImage(left), -1) << "lost and restored: to be refilled";
  EXPECT_EQ(TextureOf(left)->IsLost(), DD_OK);
  EXPECT_EQ(TextureOf(right)->IsLost(), DDERR_SURFACELOST) << "the other piece is untouched";
  EXPECT_EQ(RestoreSurface3DImage(left), 0);
  EXPECT_EQ(RestoreGraphicTextures(graphic), -1) << "the right piece was still lost";
  EXPECT_EQ(TextureOf(right)->IsLost(), DD_OK);

  // A piece of a derived graphic restores the texture it shares.
  const int32_t cell = DeriveGraphic(600, 0, 20, 20, graphic);
  ASSERT_GE(cell, 0);
  LoseAllDirectDrawSurfaces();
  EXPECT_EQ(RestoreSurface3DImage(GetGraphicRecord(cell)->surfaces[0]), -1);
  EXPECT_EQ(TextureOf(right)->IsLost(), DD_OK);

  EXPECT_EQ(RestoreSurface3DImage(-1), -1);
  EXPECT_EQ(RestoreSurface3DImage(left ^ 0x00010000), -1) << "another check id";
  EXPECT_EQ(RestoreSurface3DImage(graphic), -1) << "a graphic is no piece";
  IDirect3D7* const saved = Direct3DObject;
  Direct3DObject = nullptr;
  EXPECT_EQ(RestoreSurface3DImage(left), -1) << "without Direct3D";
  Direct3DObject = saved;
}

// A movie frame goes into every piece from the piece's place in the movie's
// picture, also into the pieces of a graphic derived from the movie's.
TEST_F(TextureTest, MovieFrameGoesIntoEveryPieceFromItsPlaceInThePicture) {
  NewGraphicAlphaTest = 0;
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(record->surface_count, 2);
  GraphImage frame = MakePatternImage(640, 40);
  ASSERT_EQ(TransferSurfaceToTextures(&frame, graphic, 0), 0);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {300, 21}, {511, 39}}) {
    EXPECT_EQ(TexturePixel(record->surfaces[0], x, y), Expected565(x, y)) << x << "," << y;
  }
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{512, 0}, {639, 39}}) {
    EXPECT_EQ(TexturePixel(record->surfaces[1], x - 512, y), Expected565(x, y)) << x << "," << y;
  }

  // Through a cell across both pieces: the frame lands where the cell's
  // pixels lie in the picture; the rest of the textures keep theirs.
  GraphImage blank{};
  ASSERT_EQ(AllocateGraphImage(640, 40, &blank), 0);
  FillGraphImage(&blank, 0, 0, 0, 255);
  ASSERT_EQ(TransferSurfaceToTextures(&blank, graphic, 0), 0);
  const int32_t cell = DeriveGraphic(500, 10, 20, 10, graphic);
  ASSERT_GE(cell, 0);
  ASSERT_EQ(TransferSurfaceToTextures(&frame, cell, 0), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[0], 505, 12), Expected565(505, 12));
  EXPECT_EQ(TexturePixel(record->surfaces[1], 7, 19), Expected565(519, 19));
  EXPECT_EQ(TexturePixel(record->surfaces[0], 499, 12), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[1], 8, 19), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[0], 505, 20), 0);

  EXPECT_EQ(TransferSurfaceToTextures(&frame, graphic + 1, 0), -1);
  IDirect3D7* const saved = Direct3DObject;
  Direct3DObject = nullptr;
  EXPECT_EQ(TransferSurfaceToTextures(&frame, graphic, 0), -1);
  Direct3DObject = saved;
  ReleaseGraphImage(&blank);
  ReleaseGraphImage(&frame);
}

// A frame with an alpha mask: the upper half is the picture, the lower half
// its alpha (blue channel).
TEST_F(TextureTest, FrameWithAnAlphaMaskTakesItsAlphaFromTheLowerHalf) {
  NewGraphicAlphaChannel = 1;
  NewGraphicColorDepth = 16;
  const int32_t graphic = MakeEmptyGraphic(8, 4, 0);
  ASSERT_GE(graphic, 0);
  const int32_t piece = GetGraphicRecord(graphic)->surfaces[0];
  ASSERT_EQ(GetSurfaceDataRecord(GetSurface3DData(piece)->texture)->texture_format, 2);
  GraphImage frame{};
  ASSERT_EQ(AllocateGraphImage(8, 8, &frame), 0);
  for (int32_t y = 0; y < 8; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      if (y < 4) {
        SetGraphImagePixel(&frame, x, y, 0xF0, 0x80, 0x10, 255);
      } else {
        // Alpha from the blue channel: x * 32 + 16.
        SetGraphImagePixel(&frame, x, y, 0, 0, x * 32 + 16, 255);
      }
    }
  ASSERT_EQ(TransferSurfaceToTextures(&frame, graphic, 1), 0);
  for (int32_t y = 0; y < 4; ++y)
    for (int32_t x = 0; x < 8; ++x) {
      const uint16_t value = TexturePixel(piece, x, y);
      EXPECT_EQ(value & 0x0FFF, 0x0F81) << x << "," << y;
      EXPECT_EQ(value >> 12, (x * 32 + 16) >> 4) << x << "," << y;
    }
  ReleaseGraphImage(&frame);
}

// The rectangle of an image goes into the graphic from its top-left corner;
// only that part of the pieces changes, and the graphic keeps the rectangle's
// corner as its offset for a refill.
TEST_F(TextureTest, RectangleOfAnImageFillsOnlyItsPartOfThePieces) {
  NewGraphicAlphaTest = 0;
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(FillGraphicColor(graphic, 0, 0, 255, 255), 0);
  GraphImage image = MakePatternImage(700, 60);
  // 40 x 8 pixels from (480, 5) of the image land at (0, 0)-(40, 8).
  const RECT rect{480, 5, 520, 13};
  ASSERT_EQ(FillGraphicFromImage("sheet.png", &image, nullptr, &rect, graphic, 7), 0);
  for (int32_t y = 0; y < 40; ++y)
    for (int32_t x = 0; x < 512; x += 3) {
      const bool inside = x < 40 && y < 8;
      ASSERT_EQ(TexturePixel(record->surfaces[0], x, y),
                inside ? Expected565(480 + x, 5 + y) : 0x001F)
          << x << "," << y;
    }
  EXPECT_EQ(TexturePixel(record->surfaces[1], 0, 0), 0x001F);
  EXPECT_EQ(record->offset_x, 480);
  EXPECT_EQ(record->offset_y, 5);
  EXPECT_EQ(record->LoadOptionWord, 7);
  EXPECT_STREQ(record->file_name, "sheet.png");

  // A rectangle wider than the graphic is cut at its edge.
  const RECT wide{0, 0, 700, 60};
  ASSERT_EQ(FillGraphicFromImage(nullptr, &image, nullptr, &wide, graphic, 0), 0);
  EXPECT_EQ(TexturePixel(record->surfaces[1], 127, 39), Expected565(639, 39));
  EXPECT_STREQ(record->file_name, "");

  EXPECT_EQ(FillGraphicFromImage("x", &image, nullptr, &rect, graphic + 1, 0), -1);
  EXPECT_EQ(FillGraphicFromImage("x", &image, nullptr, nullptr, graphic, 0), -1);
  ReleaseGraphImage(&image);
}

// The default graphic of an image asks for textures and keeps the image as
// it was.
TEST_F(TextureTest, DefaultGraphicOfAnImageIsATextureGraphic) {
  NewGraphicAlphaTest = 0;
  GraphImage image = MakePatternImage(100, 20);
  const std::vector<uint8_t> before(image.pixels, image.pixels + image.pitch * image.height);
  const int32_t graphic = MakeGraphicFromImageDefault(&image);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  EXPECT_EQ(record->settings.texture_flag, 1);
  EXPECT_EQ(record->width, 100);
  EXPECT_EQ(TexturePixel(record->surfaces[0], 42, 13), Expected565(42, 13)) << "not mirrored";
  EXPECT_EQ(std::vector<uint8_t>(image.pixels, image.pixels + image.pitch * image.height), before);
  ReleaseGraphImage(&image);
}

}  // namespace
