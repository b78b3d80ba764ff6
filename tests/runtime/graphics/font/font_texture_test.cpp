// Text on the Direct3D road against the recording device, over hand-drawn
// glyphs (the fake face of tests/support/gdi_font): the texture cache of 4444
// or 1555 cells with the edge cells beside the glyph cells, strings drawn
// through the graphic drawing across and turned, the glyph pixels they place
// (read back from the recorded quads and the cache texture's contents)
// compared with what the software cache draws, and the ring of cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/font/glyph_cache.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/d3d_test_support.h"
#include "tests/support/gdi_font/fake_font_face.h"

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;

// What a pixel of the screen shows: a colour and how covered it is (1 to 15
// for anti-aliased text, 15 for every other).
struct Ink {
  uint32_t rgb;
  int level;
  bool operator==(const Ink& other) const { return rgb == other.rgb && level == other.level; }
};
using Inked = std::map<std::pair<int, int>, Ink>;

std::string Describe(const Inked& inked) {
  std::string out;
  for (const auto& [at, ink] : inked) {
    char line[64];
    std::snprintf(line, sizeof line, "(%d,%d)=%06X/%d ", at.first, at.second, ink.rgb, ink.level);
    out += line;
  }
  return out;
}

// A 16-bit texture locked for reading, its texels as white-with-alpha
// coverage: the level of the alpha (0 to 15), 15 for a set alpha bit of a
// 1555 texel.
struct TextureView {
  IDirectDrawSurface7* surface;
  uint32_t alpha_mask;
  DDSURFACEDESC2 description{};
  TextureView(IDirectDrawSurface7* s, uint32_t mask) : surface(s), alpha_mask(mask) {
    description.dwSize = sizeof(description);
    EXPECT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  }
  ~TextureView() { surface->Unlock(nullptr); }
  int Width() const { return static_cast<int>(description.dwWidth); }
  int Height() const { return static_cast<int>(description.dwHeight); }
  uint16_t At(int x, int y) const {
    uint16_t v;
    std::memcpy(&v, static_cast<const uint8_t*>(description.lpSurface) +
                        static_cast<size_t>(y) * description.lPitch + x * 2,
                2);
    return v;
  }
  int Level(int x, int y) const {
    const uint16_t v = At(x, y);
    if (alpha_mask == 0x8000) return (v & 0x8000) != 0 ? 15 : 0;
    return (v & 0xF000) >> 12;
  }
};

// The alpha mask of the texture format of the surface data holding `surface`.
uint32_t AlphaMaskOf(IDirectDrawSurface7* surface) {
  for (int32_t slot = 0; slot < SurfaceDataTable.area_end; ++slot) {
    const auto* data = reinterpret_cast<const SurfaceDataRecord*>(SurfaceDataTable.records[slot]);
    if (data != nullptr && data->surface == surface) {
      return GetTextureFormatRecord(data->texture_format)->format.alpha_mask;
    }
  }
  ADD_FAILURE() << "no surface data holds the texture";
  return 0;
}

// The cache texture of a graphic's first piece.
TextureView View(int32_t piece) {
  IDirectDrawSurface7* const surface =
      GetSurfaceDataRecord(GetSurface3DData(piece)->texture)->surface;
  return TextureView(surface, AlphaMaskOf(surface));
}

// The screen the recorded draws make: every textured triangle is filled at
// the pixel centres it covers (inside the viewport of its time) with the
// nearest texel; a texel with coverage shows the vertex colour over what
// was there.
Inked RasterizeRecordedText(const RecordingD3DDevice& device) {
  Inked screen;
  IDirectDrawSurface7* texture = nullptr;
  RECT viewport{0, 0, 640, 480};
  for (const D3DCallRecord& call : device.Records()) {
    if (call.call == "SetTexture" && call.args[0] == 0) {
      texture = reinterpret_cast<IDirectDrawSurface7*>(static_cast<intptr_t>(call.args[1]));
    }
    if (call.call == "SetViewport") {
      viewport = RECT{static_cast<LONG>(call.args[0]), static_cast<LONG>(call.args[1]),
                      static_cast<LONG>(call.args[0] + call.args[2]),
                      static_cast<LONG>(call.args[1] + call.args[3])};
    }
    if (call.call != "DrawPrimitive" || texture == nullptr) continue;
    EXPECT_EQ(call.args[0], D3DPT_TRIANGLELIST);
    const DWORD fvf = static_cast<DWORD>(call.args[1]);
    EXPECT_EQ(fvf, D3DVertexFormatTable[1].fvf);
    const int stride = VertexStride(fvf);
    const int count = static_cast<int>(call.vertices.size()) / stride;
    const TextureView view(texture, AlphaMaskOf(texture));
    for (int t = 0; t + 2 < count; t += 3) {
      float x[3], y[3], u[3], v[3];
      uint32_t colour = 0;
      for (int k = 0; k < 3; ++k) {
        x[k] = call.VertexFloat(t + k, 0, stride);
        y[k] = call.VertexFloat(t + k, 1, stride);
        colour = call.VertexWord(t + k, 4, stride);
        u[k] = call.VertexFloat(t + k, 5, stride);
        v[k] = call.VertexFloat(t + k, 6, stride);
      }
      const float area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
      if (area == 0.0f) continue;
      const int left = std::max<int>(viewport.left, static_cast<int>(std::floor(std::min({x[0], x[1], x[2]}))));
      const int right = std::min<int>(viewport.right - 1, static_cast<int>(std::ceil(std::max({x[0], x[1], x[2]}))));
      const int top = std::max<int>(viewport.top, static_cast<int>(std::floor(std::min({y[0], y[1], y[2]}))));
      const int bottom = std::min<int>(viewport.bottom - 1, static_cast<int>(std::ceil(std::max({y[0], y[1], y[2]}))));
      for (int py = top; py <= bottom; ++py) {
        for (int px = left; px <= right; ++px) {
          // Barycentric weights of the pixel centre (pixel centres lie on
          // whole numbers, quad edges on halves).
          const float w1 = ((px - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (py - y[0])) / area;
          const float w2 = ((x[1] - x[0]) * (py - y[0]) - (px - x[0]) * (y[1] - y[0])) / area;
          const float w0 = 1.0f - w1 - w2;
          if (w0 < 0 || w1 < 0 || w2 < 0) continue;
          const float tu = w0 * u[0] + w1 * u[1] + w2 * u[2];
          const float tv = w0 * v[0] + w1 * v[1] + w2 * v[2];
          const int tx = static_cast<int>(std::floor(tu * view.Width()));
          const int ty = static_cast<int>(std::floor(tv * view.Height()));
          if (tx < 0 || ty < 0 || tx >= view.Width() || ty >= view.Height()) continue;
          const int level = view.Level(tx, ty);
          if (level == 0) continue;
          screen[{px, py}] = Ink{colour & 0xFFFFFF, level};
        }
      }
    }
  }
  return screen;
}

// What the software cache writes into a 32-bit image with alpha.
Inked SoftwareText(int32_t font, const char* text, int32_t x, int32_t y, int32_t vertical) {
  MEMIMG image{};
  EXPECT_EQ(InitMemImage(&image, 96, 96, -1, 0, 1, 0, 1, 0), 0);
  FillMemImage(&image, nullptr, 0);
  const RECT whole{0, 0, 96, 96};
  DrawStringWithCache(1, x, y, text, kRed, &image, &whole, font, kBlue, -1, vertical, nullptr);
  Inked inked;
  for (int py = 0; py < 96; ++py) {
    for (int px = 0; px < 96; ++px) {
      uint32_t value;
      std::memcpy(&value, image.pixels + py * image.pitch + px * 4, 4);
      const int alpha = static_cast<int>(value >> 24);
      // Levels are stored as alpha = level x 16; an opaque pixel is 15.
      if (alpha != 0) inked[{px, py}] = Ink{value & 0xFFFFFF, alpha == 255 ? 15 : alpha / 16};
    }
  }
  ReleaseMemImage(&image);
  return inked;
}

class FontTextureTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    DrawAreaF[0] = 0, DrawAreaF[1] = 0, DrawAreaF[2] = 640, DrawAreaF[3] = 480;
    DrawAreaEmpty = 0;
    ASSERT_EQ(FontHandleTable.live_count, 0);
    DefaultFontHandle = -1;
    UpdateD3DDiffuseColor();
  }
  void TearDown() override {
    DeleteAllHandleRecords(&FontHandleTable, [](int32_t handle) { DeleteFontHandle(handle); });
    Direct3DTest::TearDown();
  }

  // A font of the fake face, with a texture cache (`texture`) or, made as if
  // Direct3D were not drawing, with a software cache.
  static int32_t Font(int32_t size, int32_t type, int32_t edge, bool texture) {
    Use3DDrawing = texture ? 1 : 0;
    const int32_t handle = CreateFontToHandle(nullptr, size, -1, type, -1, edge, 0, -1, -1);
    Use3DDrawing = 1;
    EXPECT_GE(handle, 0);
    EXPECT_EQ(GetFontRecord(handle)->texture_cache, texture ? 1 : 0);
    return handle;
  }

  ScopedFakeFonts fake_;
};

TEST_F(FontTextureTest, TheCacheIsATextureOf4444Or1555CellsWithTheEdgeCellsBeside) {
  struct Case {
    int32_t type;
    int32_t edge;
    DWORD alpha_mask;  // of the cache's texture format
    bool edged;
  };
  const Case cases[] = {{0, -1, 0x8000, false},
                        {1, 2, 0x8000, true},
                        {2, -1, 0xF000, false},
                        {3, 1, 0xF000, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const int32_t font = Font(16, c.type, c.edge, true);
    const FontRecord* const record = GetFontRecord(font);
    // 16 pixels high and wide: cells of 24 (18 rounded up), 21 x 21 of them.
    EXPECT_EQ(record->cell_width, 24);
    EXPECT_EQ(record->cache_width, 512);
    EXPECT_EQ(record->cache_height, 512);
    EXPECT_EQ(record->slot_count, 441);
    EXPECT_EQ(record->cells_per_column, 21);
    const GraphicRecord* const cache = GetGraphicRecord(record->cache_graphic);
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->settings.texture_flag, 1);
    EXPECT_EQ(cache->width, c.edged ? 1024 : 512);
    EXPECT_EQ(cache->height, 512);
    {
      const TextureView view = View(cache->surfaces[0]);
      EXPECT_EQ(view.alpha_mask, c.alpha_mask);
      EXPECT_EQ(view.At(100, 100), c.alpha_mask == 0x8000 ? 0x7FFF : 0x0FFF) << "white and clear";
    }
    const GraphicRecord* const edge = GetGraphicRecord(record->edge_cache_graphic);
    EXPECT_EQ(edge != nullptr, c.edged);
    if (edge != nullptr) {
      EXPECT_EQ(edge->offset_x, 512);
      EXPECT_EQ(edge->width, 512);
    }
    // The work image holds one character (and its edge beside it).
    EXPECT_EQ(record->work_image.width, c.edged ? 48 : 24);
    EXPECT_EQ(record->work_image.height, 24 + (c.edged ? 2 * record->edge_size : 0));
    EXPECT_EQ(record->work_image.format.alpha_mask, c.alpha_mask);
    DeleteFontHandle(font);
  }
}

// The texture road places the glyph pixels the software cache draws, edges
// and anti-aliased levels included, across and turned.
TEST_F(FontTextureTest, AStringPlacesTheSameGlyphPixelsAsTheSoftwareCache) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"#..#", ".##.", "#..#"}, 1, 3, 6};
  FakeFonts().glyphs['B'] = FakeGlyph{{"##", "#.", "##", "#."}, 0, 9, 4};
  FakeFonts().glyphs['a'] = FakeGlyph{{"19#.", "9CG4"}, 0, 5, 6};
  struct Case {
    const char* name;
    int32_t type;
    int32_t edge;
    int32_t vertical;
    const char* text;
  };
  const Case cases[] = {
      {"plain", 0, -1, 0, "AB A"},
      {"edged", 1, 1, 0, "AB"},
      {"edged by 2", 1, 2, 0, "BA"},
      {"anti-aliased", 2, -1, 0, "aAa"},
      {"vertical", 0, -1, 1, "AB"},
      {"vertical and edged", 1, 1, 1, "BA"},
      {"vertical and anti-aliased", 2, -1, 1, "aB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t software = Font(16, c.type, c.edge, false);
    const int32_t texture = Font(16, c.type, c.edge, true);
    const Inked expected = SoftwareText(software, c.text, 7, 5, c.vertical);
    ASSERT_FALSE(expected.empty());

    // The recording device holds no reference to the texture it draws with,
    // as a real one does, so a new texture may take the address of one freed
    // in the case before: the state cache forgets what it bound.
    record().pending_texture = nullptr;
    for (D3DStageCache& stage : record().stages) stage.texture = nullptr;
    device().Clear();
    EXPECT_EQ(DrawStringWithFontCache(7, 5, c.text, kRed, texture, kBlue, c.vertical), 0);
    FlushCurrentD3DBatch();
    const Inked drawn = RasterizeRecordedText(device());
    EXPECT_EQ(drawn, expected) << "drawn:    " << Describe(drawn) << "\nexpected: "
                               << Describe(expected);
    // The draw settings are as they were.
    EXPECT_EQ(DrawBrightness, 0xFFFFFFu);
    EXPECT_EQ(BlendGraphic, -1);
    EXPECT_EQ(DrawArea.right, 640);
    DeleteFontHandle(software);
    DeleteFontHandle(texture);
  }
}

// An anti-aliased edged glyph: its levels less one in the glyph cell, and in
// the edge cell the coverage of the neighbours of every glyph pixel, combined
// where they overlap as coverage does: 16 - (16 - a) x (16 - b) / 16.
TEST_F(FontTextureTest, EdgeCellsCombineOverlappingCoverage) {
  FakeFonts().glyphs['C'] = FakeGlyph{{"9.9"}, 0, 1, 5};
  const int32_t font = Font(16, 3, 1, true);
  EXPECT_EQ(DrawStringWithFontCache(0, 0, "C", kRed, font, kBlue, 0), 0);
  const GraphicRecord* const cache = GetGraphicRecord(GetFontRecord(font)->cache_graphic);
  const TextureView view = View(cache->surfaces[0]);
  struct Texel {
    int x, y, level;
  };
  // The glyph sits at (1, 1) of cell 0; its edge cell is 512 to the right.
  const Texel texels[] = {
      {1, 1, 8},   {2, 1, 0},   {3, 1, 8},        // the glyph: levels 9 less one
      {513, 1, 0}, {515, 1, 0},                   // no edge under a glyph pixel of its own
      {512, 1, 8}, {516, 1, 8}, {513, 0, 8}, {515, 2, 8},
      {514, 1, 11},                               // (256 - 7 x 7) / 16 = 12, less one
      {512, 0, 0},                                // no corners at edge size 1
  };
  for (const Texel& t : texels) EXPECT_EQ(view.Level(t.x, t.y), t.level) << t.x << ", " << t.y;
}

// Text in the draw brightness; the cut of the draw area holds for both the
// glyph and its edge.
TEST_F(FontTextureTest, BrightnessAndDrawAreaApplyToTextureText) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"####", "####"}, 0, 2, 6};
  const int32_t font = Font(16, 1, 1, true);
  ChangeDrawBrightness(255, 128, 255);
  DrawArea = RECT{9, 0, 640, 480};
  DrawAreaF[0] = 9;
  device().Clear();
  EXPECT_EQ(DrawStringWithFontCache(7, 5, "A", 0xFFFFFF, font, 0x0000FF, 0), 0);
  FlushCurrentD3DBatch();
  const Inked drawn = RasterizeRecordedText(device());
  ASSERT_FALSE(drawn.empty());
  for (const auto& [at, ink] : drawn) {
    EXPECT_GE(at.first, 9) << "left of the draw area";
    EXPECT_TRUE(ink.rgb == 0xFF80FF || ink.rgb == 0x0000FF) << std::hex << ink.rgb;
  }
  EXPECT_EQ(DrawBrightness, 0xFF80FFu);
}

// In the subtractive blend the text is drawn adding between two white boxes
// that invert the string's rectangle; the blend is as it was afterwards.
TEST_F(FontTextureTest, SubtractedTextIsDrawnAddingBetweenTwoInversions) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"##"}, 0, 2, 3};
  const int32_t font = Font(16, 0, -1, true);
  ChangeBlendMode(3, 128);
  device().Clear();
  EXPECT_EQ(RenderTextWithFont(10, 20, "A", GetScreenColorValue(255, 0, 0), font, 0, 0), 0);
  FlushCurrentD3DBatch();
  const auto draws = device().RecordsOf("DrawPrimitive");
  ASSERT_EQ(draws.size(), 3u);
  const DWORD kinds[3] = {D3DVertexFormatTable[0].fvf, D3DVertexFormatTable[1].fvf,
                          D3DVertexFormatTable[0].fvf};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(draws[i].args[1], kinds[i]) << i;
  // Each box: from the string's left to the draw area's right, the font's
  // size and 3 more high.
  for (int i : {0, 2}) {
    const int stride = VertexStride(kinds[i]);
    float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
    for (int v = 0; v < static_cast<int>(draws[i].vertices.size()) / stride; ++v) {
      left = std::min(left, draws[i].VertexFloat(v, 0, stride));
      right = std::max(right, draws[i].VertexFloat(v, 0, stride));
      top = std::min(top, draws[i].VertexFloat(v, 1, stride));
      bottom = std::max(bottom, draws[i].VertexFloat(v, 1, stride));
    }
    EXPECT_FLOAT_EQ(left, 10.0f) << i;
    EXPECT_FLOAT_EQ(right, 640.0f) << i;
    EXPECT_FLOAT_EQ(top, 20.0f) << i;
    EXPECT_FLOAT_EQ(bottom, 39.0f) << i;
  }
  EXPECT_EQ(BlendMode, 3);
  EXPECT_EQ(BlendParam, 128);
  ChangeBlendMode(0, 0);
}

// Sixteen cells of a large font: the seventeenth character takes the
// oldest cell, and its glyph replaces the old one in the texture.
TEST_F(FontTextureTest, TheRingOfCellsWrapsToTheOldest) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"#"}, 0, 100, 210};
  FakeFonts().glyphs['Q'] = FakeGlyph{{".#", "##"}, 0, 100, 210};
  const int32_t font = Font(200, 0, -1, true);
  FontRecord* const record = GetFontRecord(font);
  // Cells of 208: 2 x 2 fit 512, 2 x 4 a 1024 x 512 texture, 4 x 4 one of
  // 1024 x 1024.
  ASSERT_EQ(record->cell_width, 208);
  ASSERT_EQ(record->slot_count, 16);
  ASSERT_EQ(record->cells_per_column, 4);
  const std::string first16 = "ABCDEFGHIJKLMNOP";
  EXPECT_EQ(DrawStringWithFontCache(0, 0, first16.c_str(), kRed, font, 0, 0), 0);
  const GraphicRecord* const cache = GetGraphicRecord(record->cache_graphic);
  {
    const TextureView view = View(cache->surfaces[0]);
    EXPECT_EQ(view.Level(0, 0), 15) << "A's pixel in cell 0";
    EXPECT_EQ(view.Level(1, 0), 0);
  }
  EXPECT_EQ(DrawStringWithFontCache(0, 0, "Q", kRed, font, 0, 0), 0);
  EXPECT_EQ(FindCachedGlyph(record, GlyphCode{'A', 0, 0}), nullptr) << "A lost its cell";
  const GlyphCacheSlot* const q = FindCachedGlyph(record, GlyphCode{'Q', 0, 0});
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->slot_number, 0);
  {
    const TextureView view = View(cache->surfaces[0]);
    EXPECT_EQ(view.Level(0, 0), 0) << "Q's pixels in cell 0";
    EXPECT_EQ(view.Level(1, 0), 15);
    EXPECT_EQ(view.Level(0, 1), 15);
  }
  // A comes back in the next cell, the one B had.
  EXPECT_EQ(DrawStringWithFontCache(0, 0, "A", kRed, font, 0, 0), 0);
  EXPECT_EQ(FindCachedGlyph(record, GlyphCode{'A', 0, 0})->slot_number, 1);
  EXPECT_EQ(FindCachedGlyph(record, GlyphCode{'B', 0, 0}), nullptr);
}

}  // namespace
