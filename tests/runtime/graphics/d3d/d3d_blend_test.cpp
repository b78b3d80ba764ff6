// Blend and texture-stage state against the recording device: the states and
// stage programs for each blend mode, brightness and kind of texture, the
// blend texture's border arithmetic, the vertex colour, and that unchanged
// settings send nothing.
#include <gtest/gtest.h>

#include <string>

#include "tests/runtime/graphics/d3d_test_support.h"

namespace {

enum class TextureCase { kNone, kPlain, kAlphaChannel, kAlphaTest };

struct BlendCase {
  const char* name;
  int32_t blend_mode;
  uint32_t brightness;
  TextureCase texture;
  int32_t flags;
  int32_t filter;  // DrawFilterMode: 1 bilinear
  // Expected:
  int32_t vertex_kind;
  int64_t color_op;    // stage 0
  int64_t color_arg1;  // stage 0, -1: not checked
  int64_t alpha_op;    // stage 0
  int64_t alpha_arg;   // stage 0, the argument the operation reads first
  int64_t alpha_blend;
  int64_t src_blend;   // -1: never sent
  int64_t dest_blend;  // -1: never sent
  int64_t alpha_test;
  int64_t color_key;
};

std::ostream& operator<<(std::ostream& out, const BlendCase& c) { return out << c.name; }

constexpr int64_t kSel1 = D3DTOP_SELECTARG1;
constexpr int64_t kSel2 = D3DTOP_SELECTARG2;
constexpr int64_t kMod = D3DTOP_MODULATE;
constexpr int64_t kTex = D3DTA_TEXTURE;
constexpr int64_t kDif = D3DTA_DIFFUSE;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int32_t kT = kD3DDrawTransparent;

const BlendCase kBlendCases[] = {
    // name, mode, brightness, texture, flags, filter,
    //   kind, colour op, colour arg, alpha op, alpha arg, blend, src, dest, test, key
    {"plain texture as it is", 0, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 0, -1, -1, 0, 1},
    {"brightness one step below white modulates", 0, 0xFFFFFE, TextureCase::kPlain, kT, 0,
     1, kMod, kTex, kSel2, kDif, 0, -1, -1, 0, 1},
    {"colour modulation asked by the caller", 0, kWhite, TextureCase::kPlain,
     kT | kD3DDrawModulateColor, 0, 1, kMod, kTex, kSel2, kDif, 0, -1, -1, 0, 1},
    {"opaque draw of a plain texture has no key", 0, kWhite, TextureCase::kPlain, 0, 0,
     1, kSel1, kTex, kSel2, kDif, 0, -1, -1, 0, 0},
    {"alpha channel blends with its own alpha", 0, kWhite, TextureCase::kAlphaChannel, kT, 0,
     1, kSel1, kTex, kSel1, kTex, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0},
    {"alpha test cuts at 16", 0, kWhite, TextureCase::kAlphaTest, kT, 0,
     1, kSel1, kTex, kSel1, kTex, 0, -1, -1, 1, 0},
    {"alpha test under bilinear filtering blends", 0, kWhite, TextureCase::kAlphaTest, kT, 1,
     1, kSel1, kTex, kSel1, kTex, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0},
    {"alpha test kept for an unscaled bilinear draw", 0, kWhite, TextureCase::kAlphaTest,
     kT | kD3DDrawKeepAlphaKind, 1, 1, kSel1, kTex, kSel1, kTex, 0, -1, -1, 1, 0},
    {"alpha blend modulates the vertex alpha", 1, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 1},
    {"alpha blend of an alpha channel", 1, kWhite, TextureCase::kAlphaChannel, kT, 0,
     1, kSel1, kTex, kMod, kTex, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0},
    {"blended alpha test blends its edges", 1, kWhite, TextureCase::kAlphaTest, kT, 0,
     1, kSel1, kTex, kMod, kTex, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0},
    {"add", 2, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0, 1},
    {"subtract", 3, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0, 1},
    {"multiply", 4, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0, 1},
    {"mode 5 adds like mode 2", 5, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0, 1},
    {"mode 6 does not blend", 6, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 0, -1, -1, 0, 1},
    {"mode 8 keeps the destination", 8, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_ZERO, D3DBLEND_ONE, 0, 1},
    {"mode 8 keeps an alpha test", 8, kWhite, TextureCase::kAlphaTest, kT, 0,
     1, kSel1, kTex, kMod, kTex, 1, D3DBLEND_ZERO, D3DBLEND_ONE, 1, 0},
    {"mode 9 subtracts like mode 3", 9, kWhite, TextureCase::kPlain, kT, 0,
     1, kSel1, kTex, kSel2, kDif, 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0, 1},
    {"untextured subtract has its own program", 3, kWhite, TextureCase::kNone, 0, 0,
     0, kSel1, kDif, kSel2, kDif, 1, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO, 0, 0},
    {"untextured without blend", 0, kWhite, TextureCase::kNone, 0, 0,
     0, D3DTOP_DISABLE, -1, D3DTOP_DISABLE, -1, 0, -1, -1, 0, 0},
    {"untextured alpha blend", 1, kWhite, TextureCase::kNone, 0, 0,
     0, D3DTOP_DISABLE, -1, D3DTOP_DISABLE, -1, 1, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 0},
};

class BlendProgramTest : public Direct3DTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(BlendProgramTest, StatesAndStageProgramFollowTheSettings) {
  const BlendCase& c = GetParam();
  // As after any earlier draw: the z-buffer is off.
  record().z_enable = 0;
  BlendMode = c.blend_mode;
  BlendParam = 128;
  DrawBrightness = c.brightness;
  DrawFilterMode = c.filter;
  int32_t piece = -1;
  if (c.texture != TextureCase::kNone) {
    piece = MakePiece(64, 64, c.texture == TextureCase::kAlphaChannel ? 1 : 0,
                      c.texture == TextureCase::kAlphaTest ? 1 : 0);
    ASSERT_GE(piece, 0);
  }
  const Surface3DData* const data = piece >= 0 ? GetSurface3DData(piece) : nullptr;
  ASSERT_EQ(PrepareD3DDrawStates(data, c.flags), 0);

  // The cache holds what the device now has (a value equal to what a new
  // device starts with is not sent).
  const D3DDeviceRecord& r = record();
  EXPECT_EQ(r.vertex_kind, c.vertex_kind);
  EXPECT_EQ(r.stages[0].color_op, c.color_op);
  if (c.color_arg1 != -1) {
    EXPECT_EQ(r.stages[0].color_arg1, c.color_arg1);
  }
  EXPECT_EQ(r.stages[0].alpha_op, c.alpha_op);
  if (c.alpha_arg != -1) {
    EXPECT_EQ(c.alpha_op == kSel2 ? r.stages[0].alpha_arg2 : r.stages[0].alpha_arg1, c.alpha_arg);
  }
  if (c.vertex_kind == 1) {
    // One real stage, ended by a disabled one.
    EXPECT_EQ(r.stages[1].color_op, D3DTOP_DISABLE);
    EXPECT_EQ(r.stages[1].alpha_op, D3DTOP_DISABLE);
  }
  EXPECT_EQ(r.alpha_blend_enable, c.alpha_blend);
  EXPECT_EQ(r.src_blend, c.src_blend == -1 ? 0 : c.src_blend);
  EXPECT_EQ(r.dest_blend, c.dest_blend == -1 ? 0 : c.dest_blend);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_SRCBLEND), c.src_blend);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_DESTBLEND), c.dest_blend);
  EXPECT_EQ(r.alpha_test_enable, c.alpha_test);
  if (c.alpha_test == 1) {
    EXPECT_EQ(r.alpha_ref, 16);
    EXPECT_EQ(r.alpha_func, static_cast<int32_t>(D3DCMP_GREATER));
  }
  EXPECT_EQ(r.color_key_enable, c.color_key);
  if (piece >= 0) {
    // The texture is bound on the stage the program reads it from.
    const auto textures = device().RecordsOf("SetTexture");
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].args[0], 0);
    EXPECT_EQ(textures[0].args[1], reinterpret_cast<intptr_t>(TextureOf(piece)));
  }

  if (piece >= 0) DeleteSurface3DData(piece);
}

INSTANTIATE_TEST_SUITE_P(Table, BlendProgramTest, ::testing::ValuesIn(kBlendCases));

using D3DBlendTest = Direct3DTest;

TEST_F(D3DBlendTest, DrawingTwiceWithTheSameSettingsSendsNothingTheSecondTime) {
  const int32_t piece = MakePiece(32, 32, 0, 1);
  BlendMode = 1;
  BlendParam = 100;
  ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(piece), kT), 0);
  ASSERT_NE(QueueD3DVertices(&record(), D3DPT_TRIANGLELIST, 6), nullptr);
  device().Clear();
  ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(piece), kT), 0);
  EXPECT_TRUE(device().Records().empty());
  EXPECT_EQ(record().vertex_count, 6);
  EXPECT_EQ(ApplyD3DBlendStates(0), -1) << "nothing dirty";

  // Another texture of the same kind only rebinds it, after the batch.
  const int32_t other = MakePiece(32, 32, 0, 1);
  ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(other), kT), 0);
  ASSERT_EQ(device().Records().size(), 2u);
  EXPECT_EQ(device().Records()[0].call, "DrawPrimitive");
  EXPECT_EQ(device().Records()[1].call, "SetTexture");
  EXPECT_EQ(device().Records()[1].args[1], reinterpret_cast<intptr_t>(TextureOf(other)));
  DeleteSurface3DData(piece);
  DeleteSurface3DData(other);
}

TEST_F(D3DBlendTest, EveryStateChangeDrawsTheBatchQueuedWithTheOldState) {
  const int32_t piece = MakePiece(32, 32, 0, 0);
  ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(piece), kT), 0);
  const auto change = [&](const char* what, auto apply) {
    SCOPED_TRACE(what);
    ASSERT_NE(QueueD3DVertices(&record(), D3DPT_TRIANGLELIST, 6), nullptr);
    device().Clear();
    apply();
    ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(piece), kT), 0);
    ASSERT_FALSE(device().Records().empty());
    EXPECT_EQ(device().Records()[0].call, "DrawPrimitive");
    EXPECT_EQ(device().Count("DrawPrimitive"), 1);
  };
  change("vertex alpha", [] { DrawVertexAlphaFlag = 1; });
  change("blend mode", [] { BlendMode = 2; });
  change("brightness", [] { DrawBrightness = 0x808080; });
  change("cull", [] { DrawCullFlag = 1; });
  DeleteSurface3DData(piece);
}

TEST_F(D3DBlendTest, UntexturedDrawingKeepsTheStageOperationsOfTheLastTexturedDraw) {
  const int32_t piece = MakePiece(32, 32, 0, 0);
  DrawBrightness = 0x808080;
  ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(piece), kT), 0);
  device().Clear();
  ASSERT_EQ(PrepareD3DDrawStates(nullptr, 0), 0);
  EXPECT_EQ(record().vertex_kind, 0);
  // Only the texture goes; the operations stay cached as they were.
  EXPECT_EQ(device().Count("SetTextureStageState"), 0);
  EXPECT_EQ(record().stages[0].color_op, static_cast<int16_t>(D3DTOP_MODULATE));
  const auto textures = device().RecordsOf("SetTexture");
  ASSERT_EQ(textures.size(), 1u);
  EXPECT_EQ(textures[0].args[1], 0);
  DeleteSurface3DData(piece);
}

struct BorderCase {
  int32_t param1;  // border position
  int32_t param2;  // border range
  bool alpha_channel;
  // Expected:
  int64_t alpha_test;
  int64_t alpha_ref;  // when tested
  uint32_t factor;
  int64_t stage0_alpha_op;
  int64_t stage1_alpha_op;
};

TEST_F(D3DBlendTest, TheBlendTextureBorderBecomesAlphaTestOrTextureFactorArithmetic) {
  const BorderCase cases[] = {
      {100, 0, false, 1, 100, 0x00FFFFFFu, D3DTOP_ADD, D3DTOP_SELECTARG1},
      {0, 1, true, 1, 1, 0x00FFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE},
      {0, 1, false, 1, 0, 0x00FFFFFFu, D3DTOP_ADD, D3DTOP_SELECTARG1},
      // Range below 65: scale 1280, 4x; t = p x 1280 / 255.
      {0, 32, false, 0, 0, 0x40FFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE4X},
      {51, 32, false, 0, 0, 0x00FFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE4X},
      {100, 32, false, 0, 0, 0x3EFFFFFFu, D3DTOP_SUBTRACT, D3DTOP_MODULATE4X},
      // Range below 129: scale 768, 2x.
      {200, 100, false, 0, 0, 0xADFFFFFFu, D3DTOP_SUBTRACT, D3DTOP_MODULATE2X},
      // Otherwise scale 512, 1x.
      {64, 200, false, 0, 0, 0x7FFFFFFFu, D3DTOP_ADD, D3DTOP_MODULATE},
      {254, 255, false, 0, 0, 0xFDFFFFFFu, D3DTOP_SUBTRACT, D3DTOP_MODULATE},
  };
  const int32_t blend = MakePiece(64, 64, 0, 0);
  const int32_t plain = MakePiece(32, 32, 0, 0);
  const int32_t alpha = MakePiece(32, 32, 1, 0);
  for (const BorderCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.param1 << " / " << c.param2);
    record().z_enable = 0;
    ASSERT_EQ(SetD3DPendingBlendTexture(0, TextureOf(blend), c.param1, c.param2), 0);
    device().Clear();
    const int32_t piece = c.alpha_channel ? alpha : plain;
    ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(piece), kT), 0);
    EXPECT_EQ(record().vertex_kind, 2);
    EXPECT_EQ(record().suppress_draw, 0);
    EXPECT_EQ(record().alpha_test_enable, c.alpha_test);
    if (c.alpha_test == 1) {
      EXPECT_EQ(record().alpha_ref, c.alpha_ref);
      EXPECT_EQ(record().alpha_func, static_cast<int32_t>(D3DCMP_GREATEREQUAL));
      EXPECT_EQ(record().alpha_blend_enable, 0);
    } else {
      EXPECT_EQ(record().alpha_blend_enable, 1);
    }
    EXPECT_EQ(record().texture_factor, c.factor);
    EXPECT_EQ(record().stages[0].alpha_op, c.stage0_alpha_op);
    EXPECT_EQ(record().stages[1].alpha_op, c.stage1_alpha_op);
    // Blend texture on stage 0; the drawing texture on stage 2 behind the
    // scaling stage of an alpha channel, else on stage 1.
    EXPECT_EQ(record().stages[0].texture, TextureOf(blend));
    EXPECT_EQ(record().stages[c.alpha_channel ? 2 : 1].texture, TextureOf(piece));
    // Without a blend mode the result is blended by its alpha.
    EXPECT_EQ(record().src_blend, static_cast<int32_t>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(record().dest_blend, static_cast<int32_t>(D3DBLEND_INVSRCALPHA));
  }

  // A border at 255 hides everything: the batch is emptied, never drawn.
  SetD3DPendingBlendTexture(0, TextureOf(blend), 255, 0);
  ASSERT_EQ(PrepareD3DDrawStates(GetSurface3DData(plain), kT), 0);
  EXPECT_EQ(record().suppress_draw, 1);
  ASSERT_NE(QueueD3DVertices(&record(), D3DPT_TRIANGLELIST, 6), nullptr);
  device().Clear();
  FlushCurrentD3DBatch();
  EXPECT_EQ(device().Count("DrawPrimitive"), 0);
  EXPECT_EQ(record().vertex_count, 0);

  for (int32_t piece : {blend, plain, alpha}) DeleteSurface3DData(piece);
}

TEST_F(D3DBlendTest, TheBlendGraphicIsTheFirstPieceOfItsGraphic) {
  const int32_t graphic = MakeEmptyGraphic(640, 480, 0);
  ASSERT_GE(graphic, 0);
  const GraphicRecord* const record_of_graphic = GetGraphicRecord(graphic);
  ASSERT_EQ(record_of_graphic->surface_count, 2);
  EXPECT_EQ(SetBlendGraphicD3D(graphic, 10, 20), 0);
  EXPECT_EQ(record().pending_blend_texture, TextureOf(record_of_graphic->surfaces[0]));
  EXPECT_EQ(record().blend_texture_param1, 10);
  EXPECT_EQ(record().blend_texture_param2, 20);
  EXPECT_FLOAT_EQ(D3DBlendTextureWidth, 512.0f);
  EXPECT_FLOAT_EQ(D3DBlendTextureInvHeight, 1.0f / 512.0f);
  // -1 keeps the stored parameters.
  EXPECT_EQ(SetD3DPendingBlendTexture(0, record().pending_blend_texture, -1, -1), 0);
  EXPECT_EQ(record().blend_texture_param1, 10);

  EXPECT_EQ(SetBlendGraphicD3D(-1, 30, -1), 0);
  EXPECT_EQ(record().pending_blend_texture, nullptr);
  EXPECT_EQ(record().blend_texture_param1, 30);
  EXPECT_EQ(record().blend_texture_param2, 20);
  EXPECT_EQ(record().blend_state_dirty, 1);
  EXPECT_EQ(SetBlendGraphicD3D(0x08001234, 0, 0), -1);
}

TEST_F(D3DBlendTest, TheVertexColourCarriesBrightnessAndTheBlendAlpha) {
  struct Case {
    int32_t mode;
    int32_t param;
    uint32_t brightness;
    int32_t vertex_alpha;
    uint32_t color;
  };
  const Case cases[] = {
      {0, 100, 0xFFFFFF, 0, 0xFFFFFFFFu},
      {0, 100, 0x123456, 1, 0x64123456u},
      {1, 100, 0xFFFFFF, 0, 0x64FFFFFFu},
      {2, 0, 0x808080, 0, 0x00808080u},
  };
  for (const Case& c : cases) {
    BlendMode = c.mode;
    BlendParam = c.param;
    DrawBrightness = c.brightness;
    DrawVertexAlphaFlag = c.vertex_alpha;
    EXPECT_EQ(UpdateD3DDiffuseColor(), 0);
    EXPECT_EQ(D3DDiffuseColor, c.color) << c.mode << " " << c.param;
  }
}

TEST_F(D3DBlendTest, ZSettingsGoOutOnlyForDrawsThatAskForThem) {
  ASSERT_EQ(record().z_enable, 1);
  ASSERT_EQ(PrepareD3DDrawStates(nullptr, 0), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZENABLE), 0);
  DrawZBufferFlag = 1;
  DrawZWriteFlag = 1;
  DrawZFunction = D3DCMP_LESS;
  device().Clear();
  ASSERT_EQ(PrepareD3DDrawStates(nullptr, kD3DDrawUseZ), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZENABLE), 1);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZWRITEENABLE), 1);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZFUNC), D3DCMP_LESS);
  DrawZWriteFlag = 0;
  DrawZFunction = D3DCMP_LESSEQUAL;
}

}  // namespace
