// Drawing through Direct3D against the recording device: the vertex streams
// of graphics at a position, stretched, mirrored, clipped and on four
// corners (quads, grids and the blend graphic's second texture), boxes in
// screen colour values, the batch filling up, the subtractive blend's three
// passes through the drawing entry, and clearing a texture draw target.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/subtractive_blend.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/present.h"
#include "tests/runtime/graphics/d3d_test_support.h"

namespace {

// One vertex as the device received it, whatever its kind.
struct Vertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;    // kinds 1 and 2
  float u2, v2;  // kind 2
};

std::vector<Vertex> VerticesOf(const D3DCallRecord& draw) {
  const DWORD fvf = static_cast<DWORD>(draw.args[1]);
  const int stride = VertexStride(fvf);
  const int count = static_cast<int>(draw.vertices.size()) / stride;
  std::vector<Vertex> out;
  for (int i = 0; i < count; ++i) {
    Vertex v{};
    v.x = draw.VertexFloat(i, 0, stride);
    v.y = draw.VertexFloat(i, 1, stride);
    v.z = draw.VertexFloat(i, 2, stride);
    v.rhw = draw.VertexFloat(i, 3, stride);
    v.color = draw.VertexWord(i, 4, stride);
    if (fvf == D3DVertexFormatTable[1].fvf) {
      v.u = draw.VertexFloat(i, 5, stride);
      v.v = draw.VertexFloat(i, 6, stride);
    } else if (fvf == D3DVertexFormatTable[2].fvf) {
      v.u = draw.VertexFloat(i, 6, stride);
      v.v = draw.VertexFloat(i, 7, stride);
      v.u2 = draw.VertexFloat(i, 8, stride);
      v.v2 = draw.VertexFloat(i, 9, stride);
    }
    out.push_back(v);
  }
  return out;
}

// A quad's corners as expected: top-left and bottom-right position and
// texture coordinates.
struct Quad {
  float left, top, right, bottom;
  float u0, v0, u1, v1;
};

// The six vertices of a quad in the device's order: TL, TR, BL, BR, BL, TR.
void ExpectQuad(const std::vector<Vertex>& vertices, size_t first, const Quad& q,
                uint32_t color) {
  ASSERT_GE(vertices.size(), first + 6);
  const float xs[6] = {q.left, q.right, q.left, q.right, q.left, q.right};
  const float ys[6] = {q.top, q.top, q.bottom, q.bottom, q.bottom, q.top};
  const float us[6] = {q.u0, q.u1, q.u0, q.u1, q.u0, q.u1};
  const float vs[6] = {q.v0, q.v0, q.v1, q.v1, q.v1, q.v0};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(testing::Message() << "vertex " << i);
    const Vertex& v = vertices[first + i];
    EXPECT_FLOAT_EQ(v.x, xs[i]);
    EXPECT_FLOAT_EQ(v.y, ys[i]);
    EXPECT_FLOAT_EQ(v.u, us[i]);
    EXPECT_FLOAT_EQ(v.v, vs[i]);
    EXPECT_FLOAT_EQ(v.z, 0.0f);
    EXPECT_FLOAT_EQ(v.rhw, 1.0f);
    EXPECT_EQ(v.color, color);
  }
}

int32_t FloatBits(float value) {
  int32_t bits;
  std::memcpy(&bits, &value, sizeof(bits));
  return bits;
}

class D3DDrawTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    SetArea(RECT{0, 0, 640, 480});
    DrawAreaEmpty = 0;
    NewGraphicAlphaTest = 0;
    BackgroundColor = 0;
    UpdateD3DDiffuseColor();
  }
  void TearDown() override {
    DrawTargetRect = RECT{0, 0, 0, 0};
    BlendGraphic = -1;
    DrawTarget = kDrawTargetBackScreen;
    Direct3DTest::TearDown();
  }

  static void SetArea(RECT area) {
    DrawArea = area;
    DrawAreaF[0] = static_cast<float>(area.left);
    DrawAreaF[1] = static_cast<float>(area.top);
    DrawAreaF[2] = static_cast<float>(area.right);
    DrawAreaF[3] = static_cast<float>(area.bottom);
  }

  // The draws the device received, the batch drawn first.
  std::vector<D3DCallRecord> Draws() {
    FlushCurrentD3DBatch();
    return device().RecordsOf("DrawPrimitive");
  }

  // A 100 x 20 texture graphic: one piece in a 128 x 32 texture.
  static int32_t SmallGraphic() { return MakeEmptyGraphic(100, 20, 0); }
};

constexpr float kU = 100.0f / 128.0f;  // the small graphic's right edge in its texture
constexpr float kV = 20.0f / 32.0f;    // its bottom edge

struct PlaceCase {
  const char* name;
  int32_t x, y;
  RECT area;
  RECT target_rect;
  Quad quad;
};

TEST_F(D3DDrawTest, AGraphicIsAQuadAtPixelCentresClippedToTheDrawArea) {
  const PlaceCase cases[] = {
      {"inside", 10, 20, {0, 0, 640, 480}, {0, 0, 0, 0},
       {9.5f, 19.5f, 109.5f, 39.5f, 0, 0, kU, kV}},
      {"on a draw screen placed on its surface", 10, 20, {0, 0, 640, 480}, {5, 7, 645, 487},
       {14.5f, 26.5f, 114.5f, 46.5f, 0, 0, kU, kV}},
      {"cut at the right and bottom", 10, 20, {0, 0, 50, 30}, {0, 0, 0, 0},
       {9.5f, 19.5f, 49.5f, 29.5f, 0, 0, 40.0f / 128, 10.0f / 32}},
      {"cut at the left and top", -30, -5, {0, 0, 640, 480}, {0, 0, 0, 0},
       {-0.5f, -0.5f, 69.5f, 14.5f, 30.0f / 128, 5.0f / 32, kU, kV}},
  };
  const int32_t graphic = SmallGraphic();
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    device().Clear();
    SetArea(c.area);
    DrawTargetRect = c.target_rect;
    EXPECT_EQ(DrawGraphicD3D(c.x, c.y, record, 0, 1), 0);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[0], D3DPT_TRIANGLELIST);
    EXPECT_EQ(draws[0].args[1], D3DVertexFormatTable[1].fvf);
    ExpectQuad(VerticesOf(draws[0]), 0, c.quad, 0xFFFFFFFFu);
    EXPECT_EQ(device().Count("BeginScene"), c.name == cases[0].name ? 1 : 0)
        << "the scene opens once";
  }
}

TEST_F(D3DDrawTest, FloatPositionsOutsideDrawsAndUnusableTargets) {
  const GraphicRecord* const record = GetGraphicRecord(SmallGraphic());
  // Float coordinates come as their bit patterns.
  EXPECT_EQ(DrawGraphicD3D(FloatBits(10.25f), FloatBits(-2.0f), record, 0, 0), 0);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  ExpectQuad(VerticesOf(draws[0]), 0, {9.75f, -0.5f, 109.75f, 17.5f, 0, 2.0f / 32, kU, kV},
             0xFFFFFFFFu);

  // Wholly outside: nothing at all reaches the device.
  device().Clear();
  EXPECT_EQ(DrawGraphicD3D(640, 0, record, 0, 1), 0);
  EXPECT_EQ(DrawGraphicD3D(0, -20, record, 0, 1), 0);
  EXPECT_EQ(DrawGraphicStretchedD3D(-300, 0, -100, 20, record, 0, 1), 0);
  EXPECT_TRUE(device().Records().empty());

  // A target Direct3D cannot render into: 0 and nothing done.
  D3DTargetUnusable = 1;
  EXPECT_EQ(DrawGraphicD3D(0, 0, record, 0, 1), 0);
  EXPECT_EQ(DrawGraphicStretchedD3D(0, 0, 50, 50, record, 0, 1), 0);
  EXPECT_EQ(DrawGraphicFourCornersD3D(0, 0, 9, 0, 0, 9, 9, 9, record, 0), 0);
  EXPECT_TRUE(device().Records().empty());
  D3DTargetUnusable = 0;

  // Without Direct3D every operation refuses.
  IDirect3D7* const saved = Direct3DObject;
  Direct3DObject = nullptr;
  EXPECT_EQ(DrawGraphicD3D(0, 0, record, 0, 1), -1);
  EXPECT_EQ(DrawGraphicStretchedD3D(0, 0, 50, 50, record, 0, 1), -1);
  EXPECT_EQ(DrawGraphicFourCornersD3D(0, 0, 9, 0, 0, 9, 9, 9, record, 0), -1);
  EXPECT_EQ(DrawFilledBoxD3D(0, 0, 10, 10, 0xFFFF), -1);
  EXPECT_EQ(DrawBoxOutlineD3D(0, 0, 10, 10, 0xFFFF), -1);
  EXPECT_EQ(ClearDrawScreenD3D(), -1);
  EXPECT_EQ(InvertBoxThenAddMode(0, 0, 10, 10), -1);
  Direct3DObject = saved;
  EXPECT_TRUE(device().Records().empty());
}

TEST_F(D3DDrawTest, EachPieceIsDrawnWithItsOwnTexture) {
  // 640 wide on a 640 screen: pieces of 512 and 128.
  const int32_t graphic = MakeEmptyGraphic(640, 40, 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(record->surface_count, 2);
  EXPECT_EQ(DrawGraphicD3D(0, 0, record, 0, 1), 0);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 2u);
  ExpectQuad(VerticesOf(draws[0]), 0, {-0.5f, -0.5f, 511.5f, 39.5f, 0, 0, 1, 40.0f / 64},
             0xFFFFFFFFu);
  ExpectQuad(VerticesOf(draws[1]), 0, {511.5f, -0.5f, 639.5f, 39.5f, 0, 0, 1, 40.0f / 64},
             0xFFFFFFFFu);
  const auto textures = device().RecordsOf("SetTexture");
  ASSERT_GE(textures.size(), 2u);
  EXPECT_EQ(textures[textures.size() - 2].args[1],
            reinterpret_cast<intptr_t>(TextureOf(record->surfaces[0])));
  EXPECT_EQ(textures.back().args[1], reinterpret_cast<intptr_t>(TextureOf(record->surfaces[1])));
}

struct StretchCase {
  const char* name;
  int32_t x1, y1, x2, y2;
  RECT area;
  Quad quad;
};

TEST_F(D3DDrawTest, StretchedGraphicsScaleMirrorAndClip) {
  const StretchCase cases[] = {
      {"twice as large", 10, 20, 210, 60, {0, 0, 640, 480},
       {9.5f, 19.5f, 209.5f, 59.5f, 0, 0, kU, kV}},
      {"mirrored left to right", 210, 20, 10, 60, {0, 0, 640, 480},
       {209.5f, 19.5f, 9.5f, 59.5f, 0, 0, kU, kV}},
      {"mirrored and cut at the right", 210, 20, 10, 60, {0, 0, 110, 480},
       {109.5f, 19.5f, 9.5f, 59.5f, 0.5f * kU, 0, kU, kV}},
      {"upside down and cut at the top", 10, 60, 210, 20, {0, 30, 640, 480},
       {9.5f, 59.5f, 209.5f, 29.5f, 0, 0, kU, 0.75f * kV}},
  };
  const GraphicRecord* const record = GetGraphicRecord(SmallGraphic());
  for (const StretchCase& c : cases) {
    SCOPED_TRACE(c.name);
    device().Clear();
    SetArea(c.area);
    EXPECT_EQ(DrawGraphicStretchedD3D(c.x1, c.y1, c.x2, c.y2, record, 0, 1), 0);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    ExpectQuad(VerticesOf(draws[0]), 0, c.quad, 0xFFFFFFFFu);
  }
  EXPECT_EQ(DrawGraphicStretchedD3D(10, 20, 10, 60, record, 0, 1), -1);
  EXPECT_EQ(DrawGraphicStretchedD3D(10, 20, 50, 20, record, 0, 1), -1);
}

TEST_F(D3DDrawTest, FourCornersOfOnePieceMakeOneQuadTurnedWhenMirrored) {
  const GraphicRecord* const record = GetGraphicRecord(SmallGraphic());
  // An exact rectangle: six vertices, no half-pixel move.
  EXPECT_EQ(DrawGraphicFourCornersD3D(10, 20, 110, 20, 10, 40, 110, 40, record, 0), 0);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  ExpectQuad(VerticesOf(draws[0]), 0, {10, 20, 110, 40, 0, 0, kU, kV}, 0xFFFFFFFFu);

  // Mirrored, both triangles turn the other way: A, C, B, D, B, C.
  device().Clear();
  EXPECT_EQ(DrawGraphicFourCornersD3D(110, 20, 10, 20, 110, 40, 10, 40, record, 0), 0);
  draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  const auto v = VerticesOf(draws[0]);
  ASSERT_EQ(v.size(), 6u);
  const float expected_x[6] = {110, 110, 10, 10, 10, 110};
  const float expected_y[6] = {20, 40, 20, 40, 20, 40};
  const float expected_u[6] = {0, 0, kU, kU, kU, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, expected_x[i]) << i;
    EXPECT_FLOAT_EQ(v[i].y, expected_y[i]) << i;
    EXPECT_FLOAT_EQ(v[i].u, expected_u[i]) << i;
  }

  // A graphic of several pieces: each piece's corners mapped into the quad.
  device().Clear();
  const GraphicRecord* const wide = GetGraphicRecord(MakeEmptyGraphic(640, 40, 0));
  EXPECT_EQ(DrawGraphicFourCornersD3D(0, 0, 320, 0, 0, 20, 320, 20, wide, 0), 0);
  draws = Draws();
  ASSERT_EQ(draws.size(), 2u);
  ExpectQuad(VerticesOf(draws[0]), 0, {0, 0, 256, 20, 0, 0, 1, 40.0f / 64}, 0xFFFFFFFFu);
  ExpectQuad(VerticesOf(draws[1]), 0, {256, 0, 320, 20, 0, 0, 1, 40.0f / 64}, 0xFFFFFFFFu);
}

TEST_F(D3DDrawTest, ATrapezoidIsDrawnAsAGridOfTriangleStrips) {
  const GraphicRecord* const record = GetGraphicRecord(SmallGraphic());
  DrawTargetRect = RECT{5, 7, 645, 487};
  EXPECT_EQ(DrawGraphicFourCornersD3D(10, 20, 110, 20, 0, 62, 120, 62, record, 0), 0);
  EXPECT_EQ(device().Count("DrawPrimitive"), 0);
  const auto grids = device().RecordsOf("DrawIndexedPrimitive");
  ASSERT_EQ(grids.size(), 1u);
  const D3DCallRecord& grid = grids[0];
  EXPECT_EQ(grid.args[0], D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(grid.args[1], D3DVertexFormatTable[1].fvf);
  EXPECT_EQ(grid.args[2], 64);
  EXPECT_EQ(grid.args[3], 124);

  // Row by row: the next row's vertex, then this row's, rows joined by two
  // repeated indices.
  const std::vector<uint16_t> first_row = {8, 0, 9, 1, 10, 2, 11, 3, 12, 4, 13, 5, 14, 6, 15, 7};
  EXPECT_EQ(std::vector<uint16_t>(grid.indices.begin(), grid.indices.begin() + 16), first_row);
  EXPECT_EQ(grid.indices[16], 7);
  EXPECT_EQ(grid.indices[17], 16);
  EXPECT_EQ(grid.indices[18], 16);
  EXPECT_EQ(grid.indices[19], 8);
  int triangles = 0;
  for (size_t i = 2; i < grid.indices.size(); ++i) {
    const uint16_t a = grid.indices[i - 2], b = grid.indices[i - 1], c = grid.indices[i];
    if (a != b && b != c && a != c) ++triangles;
  }
  EXPECT_EQ(triangles, 98);

  // The grid's corners are the quad's, moved by the draw screen's place;
  // each row is an equal step.
  const int stride = VertexStride(D3DVertexFormatTable[1].fvf);
  auto at = [&](int index, int word) { return grid.VertexFloat(index, word, stride); };
  EXPECT_FLOAT_EQ(at(0, 0), 15.0f);
  EXPECT_FLOAT_EQ(at(0, 1), 27.0f);
  EXPECT_FLOAT_EQ(at(7, 0), 115.0f);
  EXPECT_FLOAT_EQ(at(63, 0), 125.0f);
  EXPECT_FLOAT_EQ(at(63, 1), 69.0f);
  EXPECT_FLOAT_EQ(at(56, 0), 5.0f);
  EXPECT_FLOAT_EQ(at(8, 1), 33.0f);  // one seventh of the 42-pixel height
  EXPECT_FLOAT_EQ(at(63, 5), kU);
  EXPECT_FLOAT_EQ(at(63, 6), kV);
  EXPECT_EQ(grid.VertexWord(27, 4, stride), 0xFFFFFFFFu);
}

TEST_F(D3DDrawTest, AGridOfManyRowsIsDrawnInCallsOfAtMostAThousandIndices) {
  std::vector<D3DVertexTextured> vertices(100 * 20);
  EXPECT_EQ(DrawD3DGrid(0, 100, vertices.data(), 20), 0);
  const auto grids = device().RecordsOf("DrawIndexedPrimitive");
  // A row pair takes 200 indices and two more join it to the last: four
  // pairs a call (4 x 200 + 3 x 2 = 806; a fifth would pass 1000).
  ASSERT_EQ(grids.size(), 5u);
  for (size_t i = 0; i + 1 < grids.size(); ++i) EXPECT_EQ(grids[i].args[3], 806) << i;
  EXPECT_EQ(grids.back().args[3], 3 * 200 + 2 * 2);
  EXPECT_EQ(grids[1].indices[0], 500) << "a new strip starts at its row";
  EXPECT_EQ(DrawD3DGrid(0, 1, vertices.data(), 20), -1);
  EXPECT_EQ(DrawD3DGrid(0, 100, vertices.data(), 1), -1);
  EXPECT_EQ(DrawD3DGrid(0, 600, vertices.data(), 2), -1) << "a row pair must fit one call";
}

TEST_F(D3DDrawTest, TheBlendGraphicAddsSecondCoordinatesAndItsAffineCorners) {
  const int32_t graphic = SmallGraphic();
  const int32_t blend = MakeEmptyGraphic(128, 32, 0);
  ASSERT_EQ(SelectBlendImage(blend, 128, 0), 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);

  // A rhombus: the corners on or above the diagonal follow the top-left
  // corner's edges, the one below it the bottom-right corner's.
  EXPECT_EQ(DrawGraphicFourCornersD3D(50, 0, 100, 50, 0, 50, 50, 100, record, 0), 0);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args[1], D3DVertexFormatTable[2].fvf);
  auto v = VerticesOf(draws[0]);
  ASSERT_EQ(v.size(), 6u);
  const float xs[6] = {49.5f, 99.5f, -0.5f, 49.5f, -0.5f, 99.5f};
  const float ys[6] = {-0.5f, 49.5f, 49.5f, 99.5f, 49.5f, 49.5f};
  const float u2s[6] = {0, 100.0f / 128, 0, 100.0f / 128, 0, 100.0f / 128};
  const float v2s[6] = {0, 0, 20.0f / 32, 20.0f / 32, 20.0f / 32, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, xs[i]) << i;
    EXPECT_FLOAT_EQ(v[i].y, ys[i]) << i;
    EXPECT_FLOAT_EQ(v[i].u2, u2s[i]) << i;
    EXPECT_FLOAT_EQ(v[i].v2, v2s[i]) << i;
  }

  // The blend drawing takes integer corners: one that no integer holds
  // draws nothing.
  device().Clear();
  EXPECT_EQ(DrawGraphicFourCornersD3D(50, 0, 100, std::numeric_limits<float>::quiet_NaN(), 0, 50,
                                      50, 100, record, 0),
            -1);
  EXPECT_EQ(DrawGraphicFourCornersD3D(50, 0, 100, 50, 0, 50, 4e9f, 100, record, 0), -1);
  EXPECT_TRUE(Draws().empty());

  // An axis-aligned rectangle goes the stretched way, with the blend
  // texture's coordinates all the same.
  device().Clear();
  EXPECT_EQ(DrawGraphicFourCornersD3D(10, 20, 210, 20, 10, 60, 210, 60, record, 0), 0);
  draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  v = VerticesOf(draws[0]);
  EXPECT_FLOAT_EQ(v[0].x, 9.5f);
  EXPECT_FLOAT_EQ(v[3].x, 209.5f);
  EXPECT_FLOAT_EQ(v[3].u2, 100.0f / 128);
  EXPECT_FLOAT_EQ(v[3].v2, 20.0f / 32);
  SelectBlendImage(-1, 0, 0);
}

TEST_F(D3DDrawTest, TheBatchIsDrawnWhenThe391stQuadNoLongerFits) {
  const GraphicRecord* const record = GetGraphicRecord(SmallGraphic());
  for (int i = 0; i < 390; ++i) ASSERT_EQ(DrawGraphicD3D(i % 500, 0, record, 0, 1), 0);
  EXPECT_EQ(device().Count("DrawPrimitive"), 0);
  ASSERT_EQ(DrawGraphicD3D(0, 100, record, 0, 1), 0);
  auto draws = device().RecordsOf("DrawPrimitive");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args[2], 2340);
  for (int i = 391; i < 600; ++i) ASSERT_EQ(DrawGraphicD3D(0, 0, record, 0, 1), 0);
  draws = Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[1].args[2], 210 * 6);
}

struct BoxColorCase {
  const char* name;
  int32_t r, g, b;  // the colour given as a screen value
  uint32_t brightness;
  int32_t blend_mode;
  int32_t blend_param;
  uint32_t expected;
};

TEST_F(D3DDrawTest, ABoxColourIsAScreenValueTakenTimesTheDiffuseColour) {
  const BoxColorCase cases[] = {
      {"white", 255, 255, 255, 0xFFFFFF, 0, 0, 0xFFFFFFFFu},
      {"red is read with the 5-6-5 layout", 255, 0, 0, 0xFFFFFF, 0, 0, 0xFFFF0000u},
      {"mid grey as the screen holds it", 128, 128, 128, 0xFFFFFF, 0, 0, 0xFF838183u},
      {"darkened red", 255, 0, 0, 0x80FFFF, 0, 0, 0xFF800000u},
      {"blended white", 255, 255, 255, 0xFFFFFF, 1, 100, 0x64FFFFFFu},
  };
  for (const BoxColorCase& c : cases) {
    SCOPED_TRACE(c.name);
    device().Clear();
    DrawBrightness = c.brightness;
    BlendMode = c.blend_mode;
    BlendParam = c.blend_param;
    UpdateD3DDiffuseColor();
    EXPECT_EQ(DrawFilledBoxD3D(0, 0, 4, 4, GetScreenColorValue(c.r, c.g, c.b)), 0);
    const auto draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    for (const Vertex& v : VerticesOf(draws[0])) EXPECT_EQ(v.color, c.expected);
  }
}

TEST_F(D3DDrawTest, AFilledBoxIsSortedClippedAndPlacedOnWholePixels) {
  SetArea(RECT{0, 0, 30, 480});
  DrawTargetRect = RECT{5, 7, 645, 487};
  EXPECT_EQ(DrawFilledBoxD3D(50, 40, 10, 20, 0xFFFF), 0);
  auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args[0], D3DPT_TRIANGLELIST);
  EXPECT_EQ(draws[0].args[1], D3DVertexFormatTable[0].fvf);
  const auto v = VerticesOf(draws[0]);
  ASSERT_EQ(v.size(), 6u);
  const float xs[6] = {15, 35, 15, 35, 15, 35};
  const float ys[6] = {27, 27, 47, 47, 47, 27};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, xs[i]) << i;
    EXPECT_FLOAT_EQ(v[i].y, ys[i]) << i;
  }
  // Nothing left after clipping: nothing drawn.
  device().Clear();
  EXPECT_EQ(DrawFilledBoxD3D(40, 0, 60, 10, 0xFFFF), 0);
  EXPECT_TRUE(device().Records().empty());
}

TEST_F(D3DDrawTest, ABoxAfterAGraphicIsDrawnWithoutTheTexture) {
  const GraphicRecord* const graphic = GetGraphicRecord(SmallGraphic());
  EXPECT_EQ(DrawGraphicD3D(0, 0, graphic, 0, 1), 0);
  EXPECT_EQ(DrawFilledBoxD3D(0, 0, 4, 4, 0xFFFF), 0);
  EXPECT_EQ(record().pending_texture, nullptr);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].args[1], D3DVertexFormatTable[1].fvf);
  EXPECT_EQ(draws[1].args[1], D3DVertexFormatTable[0].fvf);
  EXPECT_EQ(device().LastStageState(0, D3DTSS_COLOROP), D3DTOP_SELECTARG1);
  const auto textures = device().RecordsOf("SetTexture");
  ASSERT_FALSE(textures.empty());
  EXPECT_EQ(textures.back().args[1], 0) << "no texture stays bound";
}

TEST_F(D3DDrawTest, ABoxOutlineIsFourLinesRoundTheBorderPixels) {
  EXPECT_EQ(DrawBoxOutlineD3D(14, 23, 10, 20, 0xFFFF), 0);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args[0], D3DPT_LINELIST);
  const auto v = VerticesOf(draws[0]);
  ASSERT_EQ(v.size(), 8u);
  const float xs[8] = {10, 13, 13, 13, 13, 10, 10, 10};
  const float ys[8] = {20, 20, 20, 22, 22, 22, 22, 20};
  for (int i = 0; i < 8; ++i) {
    EXPECT_FLOAT_EQ(v[i].x, xs[i]) << i;
    EXPECT_FLOAT_EQ(v[i].y, ys[i]) << i;
    EXPECT_EQ(v[i].color, 0xFFFFFFFFu);
  }
  device().Clear();
  EXPECT_EQ(DrawBoxD3D(10, 20, 10, 30, 0xFFFF, 0), 0) << "an outline without width";
  EXPECT_TRUE(Draws().empty());
  EXPECT_EQ(DrawBoxD3D(10, 20, 12, 30, 0xFFFF, 1), 0);
  EXPECT_EQ(Draws().size(), 1u);
}

// The source and destination factors in force at each draw.
std::vector<std::pair<int64_t, int64_t>> FactorsAtDraws(const RecordingD3DDevice& device) {
  std::vector<std::pair<int64_t, int64_t>> factors;
  int64_t src = -1, dest = -1;
  for (const D3DCallRecord& call : device.Records()) {
    if (call.call == "SetRenderState" && call.args[0] == D3DRENDERSTATE_SRCBLEND) src = call.args[1];
    if (call.call == "SetRenderState" && call.args[0] == D3DRENDERSTATE_DESTBLEND) {
      dest = call.args[1];
    }
    if (call.call == "DrawPrimitive") factors.emplace_back(src, dest);
  }
  return factors;
}

TEST_F(D3DDrawTest, ASubtractiveDrawIsInvertAddInvertAndLeavesTheSettingsAsTheyWere) {
  const int32_t graphic = SmallGraphic();
  BlendMode = 3;
  BlendParam = 200;
  DrawBrightness = 0x0A141E;
  UpdateD3DDiffuseColor();
  EXPECT_EQ(RenderGraphicAt(10, 20, graphic, 0), 0);
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 3u);

  // A white box over the graphic's rectangle inverts the screen, the graphic
  // goes on adding at the caller's strength and brightness, a second white
  // box inverts back.
  for (int i : {0, 2}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(draws[i].args[1], D3DVertexFormatTable[0].fvf);
    const auto v = VerticesOf(draws[i]);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_FLOAT_EQ(v[0].x, 10.0f);
    EXPECT_FLOAT_EQ(v[0].y, 20.0f);
    EXPECT_FLOAT_EQ(v[3].x, 110.0f);
    EXPECT_FLOAT_EQ(v[3].y, 40.0f);
    EXPECT_EQ(v[0].color, 0xFFFFFFFFu);
  }
  EXPECT_EQ(draws[1].args[1], D3DVertexFormatTable[1].fvf);
  EXPECT_EQ(VerticesOf(draws[1])[0].color, 0xC80A141Eu);
  const auto factors = FactorsAtDraws(device());
  ASSERT_EQ(factors.size(), 3u);
  using Factors = std::pair<int64_t, int64_t>;
  const Factors invert{D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO};
  const Factors add{D3DBLEND_SRCALPHA, D3DBLEND_ONE};
  EXPECT_EQ(factors, (std::vector<Factors>{invert, add, invert}));

  EXPECT_EQ(BlendMode, 3);
  EXPECT_EQ(BlendParam, 200);
  EXPECT_EQ(DrawBrightness, 0x0A141Eu);
  EXPECT_EQ(D3DDiffuseColor, 0xC80A141Eu);
}

TEST_F(D3DDrawTest, TheAddingPassAtStrengthZeroAddsNothing) {
  BlendMode = 3;
  BlendParam = 0;
  UpdateD3DDiffuseColor();
  EXPECT_EQ(InvertBoxThenAddMode(0, 0, 8, 8), 0);
  EXPECT_EQ(BlendMode, 5);
  EXPECT_EQ(BlendParam, 0);
  EXPECT_EQ(D3DDiffuseColor >> 24, 0u) << "the graphic is added times 0";
  EXPECT_EQ(InvertBoxThenSubMode(0, 0, 8, 8), 0);
  EXPECT_EQ(BlendMode, 3);
  EXPECT_EQ(BlendParam, 0);
  // Both boxes invert at full strength whatever the caller's parameter; with
  // nothing drawn between them they go out in one batch.
  const auto draws = Draws();
  ASSERT_EQ(draws.size(), 1u);
  const auto vertices = VerticesOf(draws[0]);
  EXPECT_EQ(vertices.size(), 12u);
  for (const Vertex& v : vertices) EXPECT_EQ(v.color, 0xFFFFFFFFu);
}

TEST_F(D3DDrawTest, ClearingATextureTargetFillsItsPiecesWithTheBackgroundColour) {
  NewGraphicDrawable = 1;
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  NewGraphicDrawable = 0;
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  ASSERT_EQ(record->settings.DrawValid, 1);
  BackgroundColor = 0x00FF00;
  DrawTarget = graphic;
  EXPECT_EQ(ClearDrawScreenD3D(), 0);

  IDirectDrawSurface7* const texture = TextureOf(record->surfaces[0]);
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  auto pixel = [&](int x, int y) {
    uint16_t value;
    std::memcpy(&value, static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 2, 2);
    return value;
  };
  EXPECT_EQ(pixel(0, 0), 0x07E0);
  EXPECT_EQ(pixel(99, 19), 0x07E0);
  EXPECT_EQ(pixel(100, 0), 0) << "outside the piece the texture is left alone";
  texture->Unlock(nullptr);

  // The screens are cleared by the 2D side.
  BackgroundColor = 0xFF0000;
  DrawTarget = kDrawTargetBackScreen;
  EXPECT_EQ(ClearDrawScreenD3D(), 0);
  ASSERT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  EXPECT_EQ(pixel(0, 0), 0x07E0);
  texture->Unlock(nullptr);
}

}  // namespace
