// What the tests of the Direct3D layer share: a fixture with Direct3D in use
// (a recording device as device 0, the texture formats of a common device),
// a DirectDraw stand-in object for the texture surfaces, a 640 x 480 x 16
// 5-6-5 screen drawn without software images, graphics management started
// and the draw settings at their start values. On the way out every graphic,
// piece, surface data and block must be gone.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "platform/win32/ddraw.h"
#include "runtime/core/handle.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/system/main_window.h"
#include "tests/support/d3d/recording_d3d.h"

class Direct3DTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(StandardD3DConfig()); }
  void TearDown() override { Stop(); }

  // SetUp with another device configuration (call Stop first).
  void Start(D3DDoubleConfig config) {
    saved_screen_ = Screen;
    ASSERT_EQ(GraphicTable.live_count, 0);
    ASSERT_EQ(TextureHandleTable.live_count, 0);
    ASSERT_EQ(SurfaceDataTable.live_count, 0);
    blocks_ = TrackedBlockCount();

    ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                               reinterpret_cast<void**>(&direct_draw_)),
              S_OK);
    ASSERT_EQ(direct_draw_->Initialize(nullptr), DD_OK);
    Screen.DirectDrawObject = direct_draw_;
    Screen.HardwareAccelOff = 0;
    Screen.MemImageRendering = 0;
    Screen.ScreenWidth = 640;
    Screen.ScreenHeight = 480;
    Screen.ScreenColorDepth = 16;
    Screen.ScreenPixelDepth = 16;
    BuildColorFormatFromMasks(&Screen.ScreenColorFormat, 16, 0xF800, 0x07E0, 0x001F, 0);
    GraphicsReady = 1;
    Use3DDrawing = 1;
    // A window closed by an earlier test would hold every batch back.
    WindowClosedFlag = 0;

    NewGraphicUse3D = 1;
    NewGraphicDrawable = 0;
    NewGraphicAlphaChannel = 0;
    NewGraphicAlphaTest = 1;
    NewGraphicColorDepth = 0;

    DrawTarget = kDrawTargetBackScreen;
    DrawArea = RECT{0, 0, 640, 480};
    DrawTargetRect = RECT{0, 0, 0, 0};
    BlendMode = 0;
    BlendParam = 0;
    BlendGraphic = -1;
    DrawBrightness = 0xFFFFFF;
    TransparentColor = 0;
    DrawFilterMode = 0;
    DrawVertexAlphaFlag = 0;
    DrawZBufferFlag = 0;
    DrawCullFlag = 0;
    d3d_ = std::make_unique<ScopedD3DDevice>(nullptr, std::move(config));
  }

  void Stop() {
    DeleteAllGraphics(0);
    EXPECT_EQ(TextureHandleTable.live_count, 0) << "pieces left behind";
    EXPECT_EQ(SurfaceDataTable.live_count, 0) << "surface data left behind";
    d3d_.reset();
    direct_draw_->Release();
    direct_draw_ = nullptr;
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "blocks left behind";
    GraphicsReady = 0;
    Use3DDrawing = 0;
    Screen = saved_screen_;
  }

  RecordingD3DDevice& device() { return d3d_->device(); }
  D3DDeviceRecord& record() { return D3DDeviceTable[0]; }

  // A piece of its own texture, outside any graphic.
  static int32_t MakePiece(int32_t width, int32_t height, int32_t alpha_channel,
                           int32_t alpha_test, int32_t depth = 16) {
    SurfaceSettings settings{};
    settings.texture_flag = 1;
    settings.AlphaChFlag = static_cast<uint8_t>(alpha_channel);
    settings.AlphaTestFlag = static_cast<uint8_t>(alpha_test);
    settings.ColorBitDepth = static_cast<uint8_t>(depth);
    return AddSurface3DData(width, height, 0, 0, width, height, 0, 0, -1, -1, 0, 0, &settings);
  }
  static IDirectDrawSurface7* TextureOf(int32_t piece) {
    const Surface3DData* const data = GetSurface3DData(piece);
    return data != nullptr ? GetSurfaceDataRecord(data->texture)->surface : nullptr;
  }

 private:
  ScreenState saved_screen_{};
  int32_t blocks_ = 0;
  IDirectDraw7* direct_draw_ = nullptr;
  std::unique_ptr<ScopedD3DDevice> d3d_;
};
