// The Direct3D device layer against the recording device: the state cache,
// the vertex batch and its flushes, scenes, viewports and render targets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/graphics/screen/present.h"
#include "runtime/system/main_window.h"
#include "tests/runtime/graphics/d3d_test_support.h"
#include "tests/runtime/graphics/graphics_test_support.h"

namespace {

using D3DDeviceTest = Direct3DTest;

// Queues one triangle list quad (6 vertices) of the current kind.
void QueueQuad() {
  ASSERT_NE(QueueD3DVertices(&D3DDeviceTable[0], D3DPT_TRIANGLELIST, 6), nullptr);
}

// The names of the recorded calls, in order.
std::vector<std::string> CallNames(const RecordingD3DDevice& device) {
  std::vector<std::string> names;
  for (const D3DCallRecord& record : device.Records()) names.push_back(record.call);
  return names;
}

struct CachedStateCase {
  const char* name;
  int (*set)(int32_t device, int32_t value);
  D3DRENDERSTATETYPE state;
  int32_t value;   // differs from the value a new device starts with
  DWORD sent;      // what the device receives for it
  bool flushes;    // the batch is drawn before the state goes out
};

const CachedStateCase kCachedStates[] = {
    {"perspective", SetD3DTexturePerspective, D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1, 1, false},
    {"colour key", SetD3DColorKeyEnable, D3DRENDERSTATE_COLORKEYENABLE, 1, 1, true},
    {"z enable", SetD3DZEnable, D3DRENDERSTATE_ZENABLE, 0, 0, true},
    {"z write", SetD3DZWriteEnable, D3DRENDERSTATE_ZWRITEENABLE, 1, 1, true},
    {"z function", SetD3DZFunc, D3DRENDERSTATE_ZFUNC, 7, 7, true},
    {"shade mode", SetD3DShadeMode, D3DRENDERSTATE_SHADEMODE, 2, D3DSHADE_GOURAUD, true},
    {"cull", SetD3DCullMode, D3DRENDERSTATE_CULLMODE, 1, D3DCULL_CCW, true},
};

TEST_F(D3DDeviceTest, EachCachedStateIsSentOnceAndAgainOnlyWhenForced) {
  for (const CachedStateCase& c : kCachedStates) {
    SCOPED_TRACE(c.name);
    device().Clear();
    QueueQuad();
    EXPECT_EQ(c.set(0, c.value), 0);
    std::vector<std::string> expected;
    if (c.flushes) expected.push_back("DrawPrimitive");
    expected.push_back("SetRenderState");
    EXPECT_EQ(CallNames(device()), expected);
    EXPECT_EQ(device().LastRenderState(c.state), static_cast<int64_t>(c.sent));
    FlushD3DVertexBatch(0);

    // The cached value again: nothing is sent and the batch stays.
    device().Clear();
    QueueQuad();
    EXPECT_EQ(c.set(0, c.value), 0);
    EXPECT_TRUE(device().Records().empty());
    EXPECT_EQ(record().vertex_count, 6);

    // Forced, it goes out although it is cached.
    record().force = 1;
    EXPECT_EQ(c.set(0, c.value), 0);
    record().force = 0;
    EXPECT_EQ(device().Count("SetRenderState"), 1);
    FlushD3DVertexBatch(0);
  }
}

TEST_F(D3DDeviceTest, SettersReportAFailedCallOnlyWhereTheyCheckIt) {
  device().FailAlways("SetRenderState");
  EXPECT_EQ(SetD3DTexturePerspective(0, 1), -1);
  EXPECT_EQ(SetD3DShadeMode(0, 2), -1);
  EXPECT_EQ(SetD3DZFunc(0, 7), 0);
  // The cache follows what was asked, so the same value is not sent again.
  device().Clear();
  EXPECT_EQ(SetD3DShadeMode(0, 2), 0);
  EXPECT_TRUE(device().Records().empty());
}

TEST_F(D3DDeviceTest, EveryOperationRefusesWithoutDirect3DOrRecord) {
  IDirect3D7* const saved = Direct3DObject;
  Direct3DObject = nullptr;
  EXPECT_EQ(SetD3DZEnable(0, 0), -1);
  EXPECT_EQ(FlushCurrentD3DBatch(), -1);
  EXPECT_EQ(EndCurrentD3DScene(), -1);
  EXPECT_EQ(SetTextureFilterCurrent(1), -1);
  EXPECT_EQ(GetCurrentD3DDeviceObject(), nullptr);
  EXPECT_EQ(SetDrawScreenD3D(kDrawTargetBackScreen, kDrawTargetFrontScreen), 0);
  Direct3DObject = saved;
  // Records 1 to 3 are not in use, and a fifth device does not exist.
  for (int32_t number : {1, 2, 3, 4, 0x10004}) EXPECT_EQ(SetD3DZEnable(number, 0), -1) << number;
  EXPECT_TRUE(device().Records().empty());
}

TEST_F(D3DDeviceTest, TextureFilterGoesToEveryStageOfTheProgramAndRefusesOtherValues) {
  record().stage_count = 2;
  EXPECT_EQ(SetD3DTextureFilter(0, 2), -1);
  EXPECT_EQ(SetD3DTextureFilter(0, -1), -1);
  EXPECT_TRUE(device().Records().empty());
  EXPECT_EQ(record().texture_filter, 0);

  EXPECT_EQ(SetD3DTextureFilter(0, 1), 0);
  EXPECT_EQ(device().Count("SetTextureStageState"), 4);
  for (int stage = 0; stage < 2; ++stage) {
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_MAGFILTER), D3DTFG_LINEAR);
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_MINFILTER), D3DTFN_LINEAR);
  }
  EXPECT_EQ(device().LastStageState(2, D3DTSS_MAGFILTER), -1);
  device().Clear();
  EXPECT_EQ(SetTextureFilterCurrent(1), 0);
  EXPECT_TRUE(device().Records().empty());
  EXPECT_EQ(SetTextureFilterCurrent(0), 0);
  EXPECT_EQ(device().LastStageState(0, D3DTSS_MAGFILTER), D3DTFG_POINT);
}

struct BatchCase {
  int kind;
  D3DPRIMITIVETYPE type;
  int per_primitive;
  int capacity;
};

TEST_F(D3DDeviceTest, ABatchDrawsWhenTheNextPrimitiveNoLongerFits) {
  const BatchCase cases[] = {{0, D3DPT_TRIANGLELIST, 3, 3225},
                             {1, D3DPT_TRIANGLELIST, 6, 2340},
                             {2, D3DPT_TRIANGLELIST, 6, 1638}};
  for (const BatchCase& c : cases) {
    SCOPED_TRACE(c.kind);
    device().Clear();
    record().vertex_kind = c.kind;
    record().write_position = record().buffers[c.kind];
    const int fitting = c.capacity / c.per_primitive;
    for (int i = 0; i < fitting; ++i) {
      ASSERT_NE(QueueD3DVertices(&record(), c.type, c.per_primitive), nullptr);
    }
    EXPECT_EQ(device().Count("DrawPrimitive"), 0);
    ASSERT_NE(QueueD3DVertices(&record(), c.type, c.per_primitive), nullptr);
    const auto draws = device().RecordsOf("DrawPrimitive");
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].args[1], D3DVertexFormatTable[c.kind].fvf);
    EXPECT_EQ(draws[0].args[2], fitting * c.per_primitive);
    EXPECT_EQ(record().vertex_count, c.per_primitive);
    FlushD3DVertexBatch(0);
  }
}

TEST_F(D3DDeviceTest, APrimitiveOfAnotherTypeDrawsTheBatchFirst) {
  QueueQuad();
  QueueQuad();
  ASSERT_NE(QueueD3DVertices(&record(), D3DPT_LINELIST, 8), nullptr);
  auto draws = device().RecordsOf("DrawPrimitive");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].args[0], D3DPT_TRIANGLELIST);
  EXPECT_EQ(draws[0].args[2], 12);
  FlushCurrentD3DBatch();
  draws = device().RecordsOf("DrawPrimitive");
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[1].args[0], D3DPT_LINELIST);
  EXPECT_EQ(draws[1].args[2], 8);
  // An empty batch draws nothing.
  FlushCurrentD3DBatch();
  EXPECT_EQ(device().Count("DrawPrimitive"), 2);
}

TEST_F(D3DDeviceTest, ASuppressedOrClosedBatchIsEmptiedWithoutDrawing) {
  record().suppress_draw = 1;
  QueueQuad();
  EXPECT_EQ(FlushD3DVertexBatch(0), 0);
  EXPECT_EQ(record().vertex_count, 0);
  EXPECT_EQ(record().write_position, record().buffers[1]);
  record().suppress_draw = 0;

  WindowClosedFlag = 1;
  QueueQuad();
  FlushD3DVertexBatch(0);
  WindowClosedFlag = 0;
  EXPECT_EQ(record().vertex_count, 0);
  EXPECT_EQ(device().Count("DrawPrimitive"), 0);
}

TEST_F(D3DDeviceTest, VerticesReachTheDeviceAsWrittenOverTheirStartValues) {
  // Drawing fills x, y, colour and texture coordinates; z and rhw (and the
  // second colour of kind 2) keep what the device was given at creation.
  auto* quad = static_cast<D3DVertexTextured*>(QueueD3DVertices(&record(), D3DPT_TRIANGLELIST, 6));
  ASSERT_NE(quad, nullptr);
  for (int i = 0; i < 6; ++i) {
    quad[i].x = 10.0f - 0.5f + i;
    quad[i].y = 20.0f - 0.5f;
    quad[i].color = 0x80FFFFFFu;
    quad[i].u = 0.25f;
    quad[i].v = 0.5f;
  }
  FlushCurrentD3DBatch();
  const auto draws = device().RecordsOf("DrawPrimitive");
  ASSERT_EQ(draws.size(), 1u);
  const int stride = VertexStride(static_cast<DWORD>(draws[0].args[1]));
  ASSERT_EQ(stride, 28);
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(draws[0].VertexFloat(i, 0, stride), 9.5f + i);
    EXPECT_FLOAT_EQ(draws[0].VertexFloat(i, 1, stride), 19.5f);
    EXPECT_FLOAT_EQ(draws[0].VertexFloat(i, 2, stride), 0.0f);
    EXPECT_FLOAT_EQ(draws[0].VertexFloat(i, 3, stride), 1.0f);
    EXPECT_EQ(draws[0].VertexWord(i, 4, stride), 0x80FFFFFFu);
    EXPECT_FLOAT_EQ(draws[0].VertexFloat(i, 5, stride), 0.25f);
  }
  for (const D3DVertexBlended& v : record().buffer2) {
    ASSERT_EQ(v.specular, 0xFFFFFFFFu);
    ASSERT_EQ(v.rhw, 1.0f);
  }
}

TEST_F(D3DDeviceTest, ScenesOpenOnceAndCloseAfterDrawingTheBatch) {
  EXPECT_EQ(BeginD3DScene(), 0);
  EXPECT_EQ(BeginD3DScene(), 0);
  QueueQuad();
  EXPECT_EQ(EndCurrentD3DScene(), 0);
  EXPECT_EQ(EndCurrentD3DScene(), 0);
  EXPECT_EQ(CallNames(device()),
            (std::vector<std::string>{"BeginScene", "DrawPrimitive", "EndScene"}));
}

TEST_F(D3DDeviceTest, TheViewportComesFromTheDrawScreenRectangleAndIsCached) {
  DrawTargetRect = RECT{10, 20, 650, 500};
  BeginD3DScene();
  const RECT area = {5, 6, 105, 56};
  EXPECT_EQ(SetD3DViewportRect(&area), 0);
  EXPECT_EQ(CallNames(device()), (std::vector<std::string>{"BeginScene", "EndScene", "SetViewport"}));
  const auto viewport = device().RecordsOf("SetViewport")[0];
  EXPECT_EQ(viewport.args, (std::vector<int64_t>{15, 26, 100, 50}));
  EXPECT_EQ(viewport.floats, (std::vector<float>{0.0f, 1.0f}));

  device().Clear();
  EXPECT_EQ(SetD3DViewportRect(&area), 0);
  const RECT flat = {5, 6, 5, 56};
  EXPECT_EQ(SetD3DViewportRect(&flat), -1);
  const RECT upside_down = {5, 56, 105, 6};
  EXPECT_EQ(SetD3DViewportRect(&upside_down), -1);
  D3DTargetUnusable = 1;
  const RECT other = {0, 0, 10, 10};
  EXPECT_EQ(SetD3DViewportRect(&other), 0);
  D3DTargetUnusable = 0;
  EXPECT_TRUE(device().Records().empty());
}

TEST_F(D3DDeviceTest, ARefusedViewportIsLoggedAndKeepsTheOldValues) {
  ASSERT_EQ(SetD3DViewport(0, 0, 0, 640, 480, 0.0f, 1.0f), 0);
  device().FailOn("SetViewport", 1, static_cast<HRESULT>(0x88760082u));
  LogCapture log;
  EXPECT_EQ(SetD3DViewport(0, 1, 2, 30, 40, 0.0f, 1.0f), -1);
  EXPECT_NE(log.text().find("ビューポートのセットに失敗しました ErrorCode 88760082"),
            std::string::npos);
  EXPECT_EQ(record().viewport_width, 640);
  // Not cached, so the same viewport is tried again.
  EXPECT_EQ(SetD3DViewport(0, 1, 2, 30, 40, 0.0f, 1.0f), 0);
  EXPECT_EQ(device().Count("SetViewport"), 3);
}

TEST_F(D3DDeviceTest, RestoringSendsEveryCachedStateWithoutComparing) {
  SetD3DZEnable(0, 0);
  SetD3DCullMode(0, 1);
  device().Clear();
  EXPECT_EQ(RestoreD3DDeviceStates(0), 0);
  EXPECT_EQ(record().force, 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZENABLE), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZWRITEENABLE), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ZFUNC), D3DCMP_LESSEQUAL);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_CULLMODE), D3DCULL_CCW);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_DITHERENABLE), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_LIGHTING), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_SHADEMODE), D3DSHADE_FLAT);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_COLORKEYENABLE), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_ALPHABLENDENABLE), 0);
  EXPECT_EQ(device().Count("SetViewport"), 1);
  const int64_t coordinate_index[4] = {0, 1, 1, 0};
  for (int stage = 0; stage < 4; ++stage) {
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_ADDRESS), D3DTADDRESS_CLAMP);
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_TEXCOORDINDEX), coordinate_index[stage]);
  }
  // Afterwards the cache holds again: nothing more goes out.
  device().Clear();
  SetD3DZEnable(0, 0);
  SetD3DCullMode(0, 1);
  EXPECT_TRUE(device().Records().empty());
}

TEST_F(D3DDeviceTest, RenderTargetsFollowTheDrawTarget) {
  auto* const front = reinterpret_cast<IDirectDrawSurface7*>(0x1000);
  auto* const back = reinterpret_cast<IDirectDrawSurface7*>(0x2000);
  Screen.PrimarySurface = front;
  Screen.BackSurface = back;
  record().creation_surface = back;

  EXPECT_EQ(SetDrawScreenD3D(kDrawTargetFrontScreen, kDrawTargetBackScreen), 0);
  EXPECT_EQ(record().render_target, front);
  EXPECT_EQ(D3DDrawToFront, 1);
  EXPECT_EQ(SetDrawScreenD3D(kDrawTargetBackScreen, kDrawTargetFrontScreen), 0);
  EXPECT_EQ(record().render_target, back);
  EXPECT_EQ(D3DDrawToFront, 0);
  // Back to the creation surface first, then to the back screen: the back
  // screen is that surface, so one call.
  const auto targets = device().RecordsOf("SetRenderTarget");
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_EQ(targets[0].args[0], reinterpret_cast<intptr_t>(front));
  EXPECT_EQ(targets[1].args[0], reinterpret_cast<intptr_t>(back));

  // The same target again sends nothing.
  device().Clear();
  SetDrawScreenD3D(kDrawTargetBackScreen, kDrawTargetBackScreen);
  EXPECT_EQ(device().Count("SetRenderTarget"), 0);
  Screen.PrimarySurface = nullptr;
  Screen.BackSurface = nullptr;
}

TEST_F(D3DDeviceTest, ATextureDrawTargetMustBeDrawableAndIsUnboundFirst) {
  NewGraphicDrawable = 1;
  const int32_t drawable = MakeEmptyGraphic(64, 64, 0);
  NewGraphicDrawable = 0;
  const int32_t plain = MakeEmptyGraphic(64, 64, 0);
  ASSERT_GE(drawable, 0);
  ASSERT_GE(plain, 0);
  const GraphicRecord* const graphic = GetGraphicRecord(drawable);
  ASSERT_EQ(graphic->settings.texture_flag, 1);
  IDirectDrawSurface7* const surface = TextureOf(graphic->surfaces[0]);

  SetD3DPendingTexture(0, surface);
  EXPECT_EQ(SetDrawScreenD3D(drawable, kDrawTargetBackScreen), 0);
  EXPECT_EQ(record().render_target, surface);
  EXPECT_EQ(record().pending_texture, nullptr);
  EXPECT_EQ(record().texture_state_dirty, 1);
  EXPECT_EQ(SetDrawScreenD3D(plain, drawable), -1);
  EXPECT_EQ(D3DTargetUnusable, 0);
}

TEST_F(D3DDeviceTest, ASoftwareImageTargetMakesDrawingWaitUntilTheTargetChanges) {
  Screen.MemImageRendering = 1;
  const int32_t graphic = MakeEmptyGraphic(32, 32, 1);
  Screen.MemImageRendering = 0;
  ASSERT_GE(graphic, 0);
  ASSERT_EQ(GetGraphicRecord(graphic)->settings.texture_flag, 0);

  EXPECT_EQ(SetDrawScreenD3D(graphic, kDrawTargetBackScreen), -1);
  EXPECT_EQ(D3DTargetUnusable, 1);
  device().Clear();
  const RECT area = {0, 0, 32, 32};
  EXPECT_EQ(SetD3DViewportRect(&area), 0);
  EXPECT_EQ(device().Count("SetViewport"), 0);
  EXPECT_EQ(SetDrawScreenD3D(kDrawTargetBackScreen, graphic), 0);
  EXPECT_EQ(D3DTargetUnusable, 0);
}

TEST_F(D3DDeviceTest, TransformsGoToTheCurrentDeviceUncached) {
  D3DMATRIX matrix{};
  matrix.m[3][0] = 7.0f;
  EXPECT_EQ(SetD3DWorldMatrix(&matrix), 0);
  EXPECT_EQ(SetD3DWorldMatrix(&matrix), 0);
  EXPECT_EQ(SetD3DProjectionMatrix(&matrix), 0);
  const auto sets = device().RecordsOf("SetTransform");
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0].args[0], D3DTRANSFORMSTATE_WORLD);
  EXPECT_EQ(sets[2].args[0], D3DTRANSFORMSTATE_PROJECTION);
  EXPECT_FLOAT_EQ(sets[0].floats[12], 7.0f);
}

}  // namespace
