// What the tests of graphic handles, surfaces, draw settings and the mask
// screen share: a fixture that puts graphics on the software road (hardware
// acceleration off, every picture a software image, a 640 x 480 x 16 screen,
// graphics management started, the back screen as draw target) and checks
// on the way out that every graphic, surface and block is gone; and a log
// capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/win32/kernel.h"
#include "runtime/core/handle.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "tests/support/log_capture.h"

class SoftwareGraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_screen_ = Screen;
    ASSERT_EQ(GraphicTable.live_count, 0);
    ASSERT_EQ(Surface2DTable.live_count, 0);
    ASSERT_EQ(SurfaceDataTable.live_count, 0);
    GraphicTable.check_counter = 0;
    Surface2DTable.check_counter = 0;
    SurfaceDataTable.check_counter = 0;
    blocks_ = TrackedBlockCount();

    Screen.HardwareAccelOff = 1;
    Screen.MemImageRendering = 1;
    Screen.ScreenWidth = 640;
    Screen.ScreenHeight = 480;
    Screen.ScreenColorDepth = 16;
    Screen.ScreenPixelDepth = 16;
    GraphicsReady = 1;
    Use3DDrawing = 0;

    NewGraphicUse3D = 1;
    NewGraphicDrawable = 0;
    NewGraphicAlphaChannel = 0;
    NewGraphicAlphaTest = 1;
    NewGraphicColorDepth = 0;
    NewGraphicSoftwareImage = 0;

    DrawTarget = kDrawTargetBackScreen;
    DrawScreenWidth = 640;
    DrawScreenHeight = 480;
    DrawArea = RECT{0, 0, 640, 480};
    DrawAreaEmpty = 0;
    DrawTargetRect = RECT{0, 0, 0, 0};
    BlendMode = 0;
    BlendParam = 0;
    BlendGraphic = -1;
    BlendGraphicParam1 = 0;
    BlendGraphicParam2 = 0;
    DrawBrightness = 0xFFFFFF;
    TransparentColor = 0;
    DrawFilterMode = 0;
    DrawInhibitFlag = 0;
  }

  void TearDown() override {
    GraphicsReady = 1;
    Screen.HardwareAccelOff = 1;
    DeleteAllGraphics(0);
    DeleteAll2DSurfaces();
    EXPECT_EQ(GraphicTable.live_count, 0);
    EXPECT_EQ(Surface2DTable.live_count, 0);
    EXPECT_EQ(SurfaceDataTable.live_count, 0);
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "blocks left behind";
    GraphicsReady = 0;
    Screen = saved_screen_;
  }

  int32_t blocks_at_start() const { return blocks_; }

 private:
  ScreenState saved_screen_{};
  int32_t blocks_ = 0;
};

// The surface data under a 2D graphic's first surface.
inline SurfaceDataRecord* SurfaceDataOf(int32_t graphic) {
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr || record->surface_count < 1) return nullptr;
  const Surface2DRecord* const surface = GetSurface2DRecord(record->surfaces[0]);
  return surface != nullptr ? GetSurfaceDataRecord(surface->surface_data) : nullptr;
}

inline Surface2DRecord* Surface2DOf(int32_t graphic) {
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  if (record == nullptr || record->surface_count < 1) return nullptr;
  return GetSurface2DRecord(record->surfaces[0]);
}

// The pixel (x, y) of a 2D graphic on the 16-bit software road, 5-6-5.
inline uint16_t GraphicPixel(int32_t graphic, int32_t x, int32_t y) {
  const Surface2DRecord* surface = Surface2DOf(graphic);
  const MEMIMG& image = SurfaceDataOf(graphic)->image;
  return reinterpret_cast<const uint16_t*>(
      image.pixels + (surface->data_y + y) * image.pitch)[surface->data_x + x];
}
