// The whole Direct3D road: library start-up on a display whose DirectDraw
// objects answer Direct3D (the recording double) starts Direct3D with the
// screen, makes graphics as textures, draws graphics and boxes through the
// device, captures the screen, presents, and ends Direct3D with the library.
#include <gtest/gtest.h>

#include <memory>

#include "runtime/core/library_state.h"
#include "runtime/graphics/d3d/d3d_start.h"
#include "runtime/graphics/draw/box_draw.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/graphics/state/screen_state.h"
#include "tests/support/d3d/recording_d3d.h"
#include "tests/support/screen_fixture.h"

namespace {

class Direct3DRoadTest : public ScreenFixture {
 protected:
  void SetUp() override {
    display_ = std::make_unique<ScopedDirect3DDisplay>();
    // This display has a Direct3D device: start-up tries the accelerated
    // road, as on a system that has one.
    AccelerationOffAtStartFlag = 0;
    OpenWindow();
    StartScreen();
  }
  void TearDown() override {
    EndScreen();
    CloseWindow();
    display_.reset();
    AccelerationOffAtStartFlag = 1;
  }

  std::unique_ptr<ScopedDirect3DDisplay> display_;
};

TEST_F(Direct3DRoadTest, TheRuntimeStartsDrawsAndEndsThroughDirect3D) {
  ASSERT_NE(display_->Last(), nullptr);
  RecordingDirect3D& direct3d = display_->Last()->direct3d();
  ASSERT_EQ(Direct3DObject, static_cast<IDirect3D7*>(&direct3d));
  EXPECT_EQ(Direct3DWanted, 1);
  EXPECT_EQ(Screen.MemImageRendering, 0);
  EXPECT_EQ(Use3DDrawing, 1);
  EXPECT_EQ(IsTextureGraphicsInUse(), 1);
  ASSERT_NE(direct3d.LastDevice(), nullptr);
  RecordingD3DDevice& device = *direct3d.LastDevice();

  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  ASSERT_NE(graphic, -1);
  EXPECT_EQ(GetGraphicRecord(graphic)->settings.texture_flag, 1);

  device.Clear();
  EXPECT_EQ(RenderGraphicAt(10, 20, graphic, 1), 0);
  EXPECT_EQ(RenderBox(0, 0, 8, 8, GetScreenColorValue(255, 0, 0), 1), 0);
  FlushCurrentD3DBatch();
  const auto draws = device.RecordsOf("DrawPrimitive");
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[0].args[1], D3DVertexFormatTable[1].fvf);
  EXPECT_FLOAT_EQ(draws[0].VertexFloat(0, 0, 28), 9.5f);
  EXPECT_EQ(draws[1].args[1], D3DVertexFormatTable[0].fvf);
  EXPECT_EQ(draws[1].VertexWord(0, 4, 20), 0xFFFF0000u) << "red on the screen's format";
  // The game draws on the back screen.
  EXPECT_EQ(D3DDeviceTable[CurrentD3DDevice & 0xFFFF].render_target, Screen.BackSurface);

  // Text: the default font keeps its glyphs in a texture and draws them
  // through the device.
  const FontRecord* const font = GetFontRecord(GetDefaultFontHandle());
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->texture_cache, 1);
  device.Clear();
  EXPECT_EQ(RenderTextDefaultFont(10, 40, "Text", GetScreenColorValue(255, 255, 255), 0), 0);
  FlushCurrentD3DBatch();
  EXPECT_GE(device.Count("DrawPrimitive"), 1);

  EXPECT_EQ(CopyScreenToGraphic(0, 0, 100, 20, graphic, 1), 0);
  EXPECT_EQ(PresentScreen(), 0);
  EXPECT_GE(device.Count("EndScene"), 1) << "presenting closes the scene";
  EXPECT_EQ(DeleteGraphicHandle(graphic, 0), 0);
}

TEST_F(Direct3DRoadTest, EndingTheLibraryEndsDirect3D) {
  ASSERT_NE(display_->Last(), nullptr);
  RecordingDirect3D& direct3d = display_->Last()->direct3d();
  direct3d.AddRef();
  EndScreen();
  EXPECT_EQ(Direct3DObject, nullptr);
  EXPECT_EQ(Direct3DWanted, 0);
  for (const D3DDeviceRecord& record : D3DDeviceTable) EXPECT_EQ(record.in_use, 0);
  EXPECT_EQ(direct3d.References(), 1u) << "only this test still holds the Direct3D object";
  for (RecordingD3DDevice* device : direct3d.Devices()) EXPECT_EQ(device->References(), 1u);
  direct3d.Release();
}

}  // namespace
