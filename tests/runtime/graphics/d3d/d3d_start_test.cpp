// Direct3D start, end, and the release and return of the Direct3D object
// around a rebuild of the screen objects, against the recording Direct3D
// object on a DirectDraw stand-in that answers it: the choice of device from
// the device list, every missing capability failing cleanly, the states a new
// device gets, and what the real stand-in (no Direct3D) gives.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "runtime/core/handle.h"
#include "runtime/core/memory.h"
#include "runtime/graphics/d3d/d3d_start.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/graphics/records/texture.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/screen/screen_capture.h"
#include "runtime/graphics/state/screen_state.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/d3d/recording_d3d.h"

namespace {

D3DDEVICEDESC7 Device(const IID& kind, DWORD depths, DWORD max_side = 1024, DWORD min_side = 1) {
  D3DDEVICEDESC7 device{};
  device.deviceGUID = kind;
  device.dwDeviceRenderBitDepth = depths;
  device.dwMaxTextureWidth = max_side;
  device.dwMaxTextureHeight = max_side;
  device.dwMinTextureWidth = min_side;
  device.dwMinTextureHeight = min_side;
  device.wMaxTextureBlendStages = 8;
  return device;
}

DDPIXELFORMAT DepthFormat(DWORD bits, DWORD flags = DDPF_ZBUFFER) {
  DDPIXELFORMAT format{};
  format.dwSize = sizeof(format);
  format.dwFlags = flags;
  format.dwRGBBitCount = bits;
  format.dwRBitMask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
  return format;
}

const IID kSoftwareDevice = {0x12345678, 0x1, 0x2, {0, 0, 0, 0, 0, 0, 0, 9}};

class Direct3DStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_screen_ = Screen;
    blocks_ = TrackedBlockCount();
    Screen.HardwareAccelOff = 0;
    Screen.MemImageRendering = 0;
    Screen.VistaCompatMode = 0;
    Screen.ScreenWidth = 640;
    Screen.ScreenHeight = 480;
    Screen.ScreenColorDepth = 16;
    Screen.ScreenPixelDepth = 16;
    BuildColorFormatFromMasks(&Screen.ScreenColorFormat, 16, 0xF800, 0x07E0, 0x001F, 0);
    DrawArea = RECT{0, 0, 640, 480};
    DrawAreaF[0] = 0.0f;
    DrawAreaF[1] = 0.0f;
    DrawAreaF[2] = 640.0f;
    DrawAreaF[3] = 480.0f;
    DrawTargetRect = RECT{0, 0, 0, 0};
    DrawTarget = kDrawTargetBackScreen;
    BlendGraphic = -1;
    BlendMode = 0;
    BlendParam = 0;
    DrawBrightness = 0xFFFFFF;
    TransparentColor = 0;
  }

  void TearDown() override {
    TerminateDirect3D();
    for (IDirectDrawSurface7** surface : {&Screen.PrimarySurface, &Screen.BackSurface}) {
      if (*surface != nullptr) (*surface)->Release();
      *surface = nullptr;
    }
    if (direct_draw_ != nullptr) direct_draw_->Release();
    direct_draw_ = nullptr;
    EXPECT_EQ(Direct3DObject, nullptr);
    for (const D3DDeviceRecord& record : D3DDeviceTable) EXPECT_EQ(record.in_use, 0);
    EXPECT_EQ(TextureHandleTable.live_count, 0);
    EXPECT_EQ(SurfaceDataTable.live_count, 0);
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "blocks left behind";
    Direct3DWanted = 0;
    GraphicsReady = 0;
    Use3DDrawing = 0;
    Screen = saved_screen_;
  }

  // A DirectDraw object that answers Direct3D with `config`, and the two
  // screen surfaces on it at `depth` bits.
  void MakeScreen(D3DDoubleConfig config, int32_t depth = 16) {
    direct_draw_ = new Direct3DDirectDraw(std::move(config));
    Screen.DirectDrawObject = direct_draw_;
    Screen.ScreenPixelDepth = depth;
    Screen.PrimarySurface = MakeScreenSurface();
    Screen.BackSurface = MakeScreenSurface();
  }

  static IDirectDrawSurface7* MakeScreenSurface() {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    description.dwWidth = 640;
    description.dwHeight = 480;
    description.ddpfPixelFormat = MakeTextureFormat(16, 0xF800, 0x07E0, 0x001F, 0);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(Screen.DirectDrawObject->CreateSurface(&description, &surface, nullptr), DD_OK);
    return surface;
  }

  RecordingDirect3D& direct3d() { return direct_draw_->direct3d(); }
  // The device start made.
  RecordingD3DDevice& device() { return *direct3d().LastDevice(); }

  // Nothing of Direct3D is left: no object held, no record, every device
  // made released again.
  void ExpectNothingLeft() {
    EXPECT_EQ(Direct3DObject, nullptr);
    EXPECT_EQ(Direct3DWanted, 0);
    for (const D3DDeviceRecord& record : D3DDeviceTable) EXPECT_EQ(record.in_use, 0);
    if (direct_draw_ == nullptr) return;
    EXPECT_EQ(direct3d().References(), 1u) << "the Direct3D object is still held";
    for (RecordingD3DDevice* made : direct3d().Devices()) {
      EXPECT_EQ(made->References(), 1u) << "a device is still held";
    }
  }

  Direct3DDirectDraw* direct_draw_ = nullptr;

 private:
  ScreenState saved_screen_{};
  int32_t blocks_ = 0;
};

TEST_F(Direct3DStartTest, StartMakesTheDeviceOnTheScreenWithItsDefaultStates) {
  MakeScreen(StandardD3DConfig());
  LogCapture log;
  ASSERT_EQ(InitializeDirect3D(), 0);

  EXPECT_EQ(Direct3DObject, static_cast<IDirect3D7*>(&direct3d()));
  EXPECT_EQ(Direct3DWanted, 1);
  EXPECT_EQ(D3DDrawToFront, 1);
  EXPECT_EQ(D3DTargetUnusable, 0);
  EXPECT_EQ(CurrentD3DDevice, 0);
  const D3DDeviceRecord& record = D3DDeviceTable[0];
  EXPECT_EQ(record.in_use, 1);
  EXPECT_EQ(record.device, static_cast<IDirect3DDevice7*>(&device()));
  EXPECT_EQ(record.creation_surface, Screen.PrimarySurface);
  EXPECT_EQ(record.render_target, Screen.PrimarySurface);
  EXPECT_EQ(record.texture_address, static_cast<int32_t>(D3DTADDRESS_CLAMP));
  ASSERT_EQ(direct3d().Count("CreateDevice"), 1);
  EXPECT_EQ(direct3d().Records().back().args,
            (std::vector<int64_t>{reinterpret_cast<intptr_t>(Screen.PrimarySurface), 1}));

  // Every stage clamps and filters by point; the render states of a new
  // device.
  for (int stage = 0; stage < 4; ++stage) {
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_ADDRESS), D3DTADDRESS_CLAMP);
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_MAGFILTER), D3DTFG_POINT);
    EXPECT_EQ(device().LastStageState(stage, D3DTSS_MINFILTER), D3DTFN_POINT);
  }
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_COLORKEYBLENDENABLE), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_CULLMODE), D3DCULL_NONE);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_LIGHTING), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_SHADEMODE), D3DSHADE_FLAT);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_DITHERENABLE), 0);
  EXPECT_EQ(device().LastRenderState(D3DRENDERSTATE_COLORKEYENABLE), 0);

  // The formats, sizes and capture memos start fresh.
  EXPECT_EQ(TextureFormatTable[0].format.red_mask, 0xF800u);
  EXPECT_EQ(TextureFormatTable[2].format.alpha_mask, 0xF000u);
  EXPECT_EQ(TextureFormatTable[6].format.red_mask, 0xF800u) << "render targets fall back";
  EXPECT_EQ(TextureMaxSize, 1024);
  EXPECT_EQ(TextureMinSize, 1);
  EXPECT_EQ(DrawScreenGraphMethodMemo[0], -1);
  EXPECT_EQ(DrawScreenGraphMethodMemo[1], -1);
  EXPECT_EQ(GetZBufferPixelFormat()->dwRGBBitCount, 16u);
  EXPECT_NE(log.text().find("テクスチャ最大幅:1024 最小幅:1 "), std::string::npos);
  EXPECT_NE(log.text().find("Direct3D 関連の初期化は正常に終了しました"), std::string::npos);

  ASSERT_EQ(TerminateDirect3D(), 0);
  ExpectNothingLeft();
  EXPECT_NE(log.text().find("Direct3D 関連の終了処理は正常に終了しました"), std::string::npos);
  EXPECT_EQ(TerminateDirect3D(), -1) << "a second end has nothing to end";
}

struct DeviceListCase {
  const char* name;
  std::vector<D3DDEVICEDESC7> devices;
  int32_t screen_depth;
  bool starts;
  int64_t kind;  // what CreateDevice is asked for: 1 hardware, 2 with transform
  int32_t max_size;
  int32_t min_size;
};

TEST_F(Direct3DStartTest, TheDeviceIsChosenFromTheListByKindAndScreenDepth) {
  const DeviceListCase cases[] = {
      {"one hardware device", {Device(IID_IDirect3DHALDevice, DDBD_16)}, 16, true, 1, 1024, 1},
      {"transform and lighting wins after a hardware device",
       {Device(IID_IDirect3DHALDevice, DDBD_16, 2048), Device(IID_IDirect3DTnLHalDevice, DDBD_16, 512)},
       16, true, 2, 512, 1},
      {"the list ends at a transform and lighting device",
       {Device(IID_IDirect3DTnLHalDevice, DDBD_16, 512), Device(IID_IDirect3DHALDevice, DDBD_16, 2048)},
       16, true, 2, 512, 1},
      {"a later hardware device replaces an earlier one",
       {Device(IID_IDirect3DHALDevice, DDBD_16, 2048), Device(IID_IDirect3DHALDevice, DDBD_16, 256)},
       16, true, 1, 256, 1},
      {"sizes the device leaves at 0", {Device(IID_IDirect3DHALDevice, DDBD_16, 0, 0)}, 16, true,
       1, 256, 32},
      {"a 32-bit screen", {Device(IID_IDirect3DHALDevice, DDBD_32, 1024, 8)}, 32, true, 1, 1024, 8},
      {"a device of no hardware kind", {Device(kSoftwareDevice, DDBD_16 | DDBD_32)}, 16, false, 0,
       0, 0},
      {"no device at the screen's depth",
       {Device(IID_IDirect3DHALDevice, DDBD_32), Device(IID_IDirect3DTnLHalDevice, DDBD_32)}, 16,
       false, 0, 0, 0},
      {"a 24-bit screen", {Device(IID_IDirect3DHALDevice, DDBD_16 | DDBD_24 | DDBD_32)}, 24, false,
       0, 0, 0},
      {"an empty list", {}, 16, false, 0, 0, 0},
  };
  for (const DeviceListCase& c : cases) {
    SCOPED_TRACE(c.name);
    D3DDoubleConfig config = StandardD3DConfig();
    config.devices = c.devices;
    MakeScreen(config, c.screen_depth);
    LogCapture log;
    EXPECT_EQ(InitializeDirect3D(), c.starts ? 0 : -1);
    if (c.starts) {
      ASSERT_EQ(direct3d().Count("CreateDevice"), 1);
      EXPECT_EQ(direct3d().Records().back().args[1], c.kind);
      EXPECT_EQ(TextureMaxSize, c.max_size);
      EXPECT_EQ(TextureMinSize, c.min_size);
      EXPECT_EQ(TerminateDirect3D(), 0);
    } else {
      EXPECT_NE(log.text().find("現在の画面モードで使用できる描画デバイスが見つかりませんでした"),
                std::string::npos);
      EXPECT_EQ(direct3d().Count("CreateDevice"), 0);
    }
    ExpectNothingLeft();
    TearDown();
    SetUp();
  }
}

struct MissingCase {
  const char* name;
  std::function<void(D3DDoubleConfig*)> config;
  std::function<void(Direct3DDirectDraw*)> plan;
  const char* message;  // null: the step logs nothing of its own
};

TEST_F(Direct3DStartTest, EachMissingCapabilityFailsStartAndLeavesNothing) {
  auto no_config = [](D3DDoubleConfig*) {};
  auto no_plan = [](Direct3DDirectDraw*) {};
  const char* kNoZBuffer = "使用可能なＺバッファが見つかりませんでした";
  const char* kNoTextureFormat = "使用可能なテクスチャフォーマットが見つかりませんでした";
  const MissingCase cases[] = {
      {"no Direct3D interface", no_config,
       [](Direct3DDirectDraw* dd) { dd->FailDirect3DQueryFrom(1); },
       "Direct3Dオブジェクトの作成に失敗しました"},
      {"the device list cannot be read", no_config,
       [](Direct3DDirectDraw* dd) { dd->direct3d().FailAlways("EnumDevices"); },
       "現在の画面モードで使用できる描画デバイスが見つかりませんでした"},
      {"no depth buffer layout", [](D3DDoubleConfig* c) { c->zbuffer_formats.clear(); }, no_plan,
       kNoZBuffer},
      {"only a 24-bit depth buffer",
       [](D3DDoubleConfig* c) { c->zbuffer_formats = {DepthFormat(24)}; }, no_plan, kNoZBuffer},
      {"a 16-bit depth layout that is a four-character code",
       [](D3DDoubleConfig* c) { c->zbuffer_formats = {DepthFormat(16, DDPF_ZBUFFER | DDPF_FOURCC)}; },
       no_plan, kNoZBuffer},
      {"the depth layouts cannot be read", no_config,
       [](Direct3DDirectDraw* dd) { dd->direct3d().FailAlways("EnumZBufferFormats"); }, kNoZBuffer},
      {"the device cannot be made", no_config,
       [](Direct3DDirectDraw* dd) { dd->direct3d().FailAlways("CreateDevice"); },
       "３Ｄデバイスの作成に失敗しました"},
      {"the texture address mode is refused",
       [](D3DDoubleConfig* c) { c->device_failures = {"SetTextureStageState"}; }, no_plan, nullptr},
      {"the texture formats cannot be read",
       [](D3DDoubleConfig* c) { c->device_failures = {"EnumTextureFormats"}; }, no_plan,
       kNoTextureFormat},
      {"no 16-bit texture format without alpha",
       [](D3DDoubleConfig* c) {
         c->texture_formats = {MakeTextureFormat(32, 0xFF0000, 0xFF00, 0xFF, 0),
                               MakeTextureFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000)};
       },
       no_plan, kNoTextureFormat},
  };
  for (const MissingCase& c : cases) {
    SCOPED_TRACE(c.name);
    D3DDoubleConfig config = StandardD3DConfig();
    c.config(&config);
    MakeScreen(config);
    c.plan(direct_draw_);
    LogCapture log;
    EXPECT_EQ(InitializeDirect3D(), -1);
    if (c.message != nullptr) {
      EXPECT_NE(log.text().find(c.message), std::string::npos);
    }
    EXPECT_EQ(log.text().find("Direct3D 関連の初期化は正常に終了しました"), std::string::npos);
    ExpectNothingLeft();
    EXPECT_EQ(TerminateDirect3D(), -1);
    // The capability came back: start works again from the beginning.
    TearDown();
    SetUp();
  }
}

TEST_F(Direct3DStartTest, TheRealStandInHasNoDirect3DSoStartFailsForTheSoftwareRoad) {
  ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                             reinterpret_cast<void**>(&Screen.DirectDrawObject)),
            S_OK);
  ASSERT_EQ(Screen.DirectDrawObject->Initialize(nullptr), DD_OK);
  LogCapture log;
  EXPECT_EQ(InitializeDirect3D(), -1);
  EXPECT_NE(log.text().find("Direct3Dオブジェクトの作成に失敗しました"), std::string::npos);
  ExpectNothingLeft();
  Screen.DirectDrawObject->Release();
}

TEST_F(Direct3DStartTest, ASecondStartWhileRunningChangesNothing) {
  MakeScreen(StandardD3DConfig());
  ASSERT_EQ(InitializeDirect3D(), 0);
  const int queries = direct_draw_->Direct3DQueries();
  LogCapture log;
  EXPECT_EQ(InitializeDirect3D(), -1);
  EXPECT_EQ(direct_draw_->Direct3DQueries(), queries);
  EXPECT_EQ(direct3d().Count("CreateDevice"), 1);
  EXPECT_EQ(D3DDeviceTable[1].in_use, 0);
  EXPECT_EQ(Direct3DWanted, 1);
  EXPECT_TRUE(log.text().empty());
}

TEST_F(Direct3DStartTest, AFifthDeviceCannotBeMade) {
  MakeScreen(StandardD3DConfig());
  ASSERT_EQ(InitializeDirect3D(), 0);
  EXPECT_EQ(CreateD3DDeviceStates(Screen.BackSurface), 1);
  EXPECT_EQ(CreateD3DDeviceStates(Screen.BackSurface), 2);
  EXPECT_EQ(CreateD3DDeviceStates(Screen.BackSurface), 3);
  EXPECT_EQ(CreateD3DDeviceStates(Screen.BackSurface), -1);
  EXPECT_EQ(direct3d().Count("CreateDevice"), 4);
}

TEST_F(Direct3DStartTest, ReleaseAndAcquireOnlyActAfterAStart) {
  MakeScreen(StandardD3DConfig());
  EXPECT_EQ(AcquireDirect3DObject(), 0);
  EXPECT_EQ(ReleaseDirect3D(), -1);
  EXPECT_EQ(direct_draw_->Direct3DQueries(), 0);
  EXPECT_EQ(Direct3DObject, nullptr);
}

// A texture graphic that outlives a rebuild of the screen objects: its
// pieces stay, their surfaces are made again for the new device, and the
// blend texture is taken from the blend graphic's new surface.
TEST_F(Direct3DStartTest, ARebuildKeepsThePiecesAndMakesTheirSurfacesAgain) {
  MakeScreen(StandardD3DConfig());
  ASSERT_EQ(InitializeDirect3D(), 0);
  GraphicsReady = 1;
  Use3DDrawing = 1;
  NewGraphicUse3D = 1;
  NewGraphicDrawable = 0;
  NewGraphicAlphaChannel = 0;
  NewGraphicAlphaTest = 0;
  NewGraphicColorDepth = 0;
  const int32_t graphic = MakeEmptyGraphic(64, 64, 0);
  ASSERT_NE(graphic, -1);
  ASSERT_EQ(GetGraphicRecord(graphic)->settings.texture_flag, 1);
  ASSERT_EQ(SelectBlendImage(graphic, 10, 0), 0);
  const Surface3DData* const piece = GetSurface3DData(GetGraphicRecord(graphic)->surfaces[0]);
  const SurfaceDataRecord* const data = GetSurfaceDataRecord(piece->texture);
  ASSERT_NE(data->surface, nullptr);
  EXPECT_EQ(D3DDeviceTable[0].pending_blend_texture, data->surface);
  RecordingD3DDevice* const first = &device();
  Screen.DrawTargetSurface = Screen.BackSurface;

  LogCapture log;
  ASSERT_EQ(ReleaseDirect3D(), 0);
  EXPECT_EQ(Direct3DObject, nullptr);
  EXPECT_EQ(D3DDeviceTable[0].device, nullptr);
  EXPECT_EQ(first->References(), 1u) << "the old device is released";
  EXPECT_EQ(data->surface, nullptr) << "textures belong to the device";
  EXPECT_EQ(GetSurface3DData(GetGraphicRecord(graphic)->surfaces[0]), piece);
  EXPECT_EQ(ReleaseDirect3D(), 0);
  EXPECT_NE(log.text().find("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に解放されています"),
            std::string::npos);

  ASSERT_EQ(AcquireDirect3DObject(), 0);
  EXPECT_EQ(Direct3DObject, static_cast<IDirect3D7*>(&direct3d()));
  ASSERT_EQ(direct3d().Count("CreateDevice"), 2);
  RecordingD3DDevice& second = device();
  EXPECT_NE(&second, first);
  EXPECT_EQ(D3DDeviceTable[0].device, static_cast<IDirect3DDevice7*>(&second));
  EXPECT_EQ(D3DDeviceTable[0].creation_surface, Screen.PrimarySurface);
  // The device goes back to the surface drawing was aimed at.
  const auto targets = second.RecordsOf("SetRenderTarget");
  ASSERT_FALSE(targets.empty());
  EXPECT_EQ(targets.front().args[0], reinterpret_cast<intptr_t>(Screen.BackSurface));
  EXPECT_EQ(second.LastRenderState(D3DRENDERSTATE_DITHERENABLE), 0);
  ASSERT_NE(data->surface, nullptr) << "the piece's texture is made again";
  EXPECT_EQ(D3DDeviceTable[0].pending_blend_texture, data->surface);
  for (const D3DCallRecord& call : second.RecordsOf("SetTexture")) {
    EXPECT_TRUE(call.args[1] == 0 || call.args[1] == reinterpret_cast<intptr_t>(data->surface))
        << "only the new texture is ever bound";
  }
  EXPECT_EQ(AcquireDirect3DObject(), 0);
  EXPECT_NE(log.text().find("Ｄｉｒｅｃｔ３Ｄオブジェクトは既に取得されています"),
            std::string::npos);
  EXPECT_EQ(direct3d().Count("CreateDevice"), 2);

  SelectBlendImage(-1, 0, 0);
  DeleteAllGraphics(0);
}

TEST_F(Direct3DStartTest, AcquireFailsWhenTheObjectCannotBeHadAgain) {
  MakeScreen(StandardD3DConfig());
  ASSERT_EQ(InitializeDirect3D(), 0);
  ASSERT_EQ(ReleaseDirect3D(), 0);
  direct_draw_->FailDirect3DQueryFrom(direct_draw_->Direct3DQueries() + 1);
  LogCapture log;
  EXPECT_EQ(AcquireDirect3DObject(), -1);
  EXPECT_NE(log.text().find("Direct3Dオブジェクトの作成に失敗しました"), std::string::npos);
  EXPECT_EQ(Direct3DObject, nullptr);
  // Direct3D stays wanted: the next rebuild tries again.
  EXPECT_EQ(Direct3DWanted, 1);
  direct_draw_->FailDirect3DQueryFrom(0);
  EXPECT_EQ(AcquireDirect3DObject(), 0);
  EXPECT_NE(D3DDeviceTable[0].device, nullptr);
}

TEST_F(Direct3DStartTest, AStartAfterTheObjectWasLostBeginsWithTheFirstRecordAgain) {
  MakeScreen(StandardD3DConfig());
  ASSERT_EQ(InitializeDirect3D(), 0);
  ASSERT_EQ(ReleaseDirect3D(), 0);
  direct_draw_->FailDirect3DQueryFrom(direct_draw_->Direct3DQueries() + 1);
  EXPECT_EQ(AcquireDirect3DObject(), -1);
  // Without the object there is nothing for the end to end.
  EXPECT_EQ(TerminateDirect3D(), -1);
  direct_draw_->FailDirect3DQueryFrom(0);
  ASSERT_EQ(InitializeDirect3D(), 0);
  EXPECT_EQ(CurrentD3DDevice, 0);
  EXPECT_EQ(D3DDeviceTable[0].device, static_cast<IDirect3DDevice7*>(&device()));
  EXPECT_EQ(D3DDeviceTable[1].in_use, 0);
}

}  // namespace
