// The DirectDraw stand-in: what it makes and refuses, blits, the primary
// surface as the host's window image, flipping on the vertical blank, display
// modes and lost surfaces, and its test seam.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/host/pixel.h"
#include "platform/null/null_clock.h"
#include "platform/win32/ddraw.h"
#include "platform/win32/kernel.h"
#include "tests/platform/display_test_support.h"
#include "tests/support/ddraw/display_script.h"

namespace {

IDirectDraw7* MakeObject() {
  IDirectDraw7* object = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                             reinterpret_cast<void**>(&object)),
            S_OK);
  EXPECT_EQ(object->Initialize(nullptr), DD_OK);
  return object;
}

DDSURFACEDESC2 Plain(int width, int height, DWORD caps = DDSCAPS_OFFSCREENPLAIN) {
  DDSURFACEDESC2 description{};
  description.dwSize = sizeof(description);
  description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  description.dwWidth = static_cast<DWORD>(width);
  description.dwHeight = static_cast<DWORD>(height);
  description.ddsCaps.dwCaps = caps;
  return description;
}

DDSURFACEDESC2 Plain16(int width, int height) {
  DDSURFACEDESC2 description = Plain(width, height);
  description.dwFlags |= DDSD_PIXELFORMAT;
  description.ddpfPixelFormat = DDPIXELFORMAT{sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 16, 0xF800,
                                              0x07E0, 0x001F, 0};
  return description;
}

IDirectDrawSurface7* Make(IDirectDraw7* object, DDSURFACEDESC2 description) {
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(object->CreateSurface(&description, &surface, nullptr), DD_OK);
  return surface;
}

// The 16-bit pixels of a surface, row by row.
std::vector<uint16_t> Pixels16(IDirectDrawSurface7* surface) {
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  std::vector<uint16_t> pixels(static_cast<size_t>(locked.dwWidth) * locked.dwHeight);
  for (DWORD y = 0; y < locked.dwHeight; ++y) {
    std::memcpy(&pixels[y * locked.dwWidth],
                static_cast<uint8_t*>(locked.lpSurface) + static_cast<size_t>(y) * locked.lPitch,
                locked.dwWidth * 2);
  }
  surface->Unlock(nullptr);
  return pixels;
}

void Fill(IDirectDrawSurface7* surface, RECT* rect, DWORD color) {
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = color;
  ASSERT_EQ(surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

TEST(DirectDrawTest, RefusesDirect3DAndCallsBeforeInitialize) {
  IDirectDraw7* object = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_DirectDraw7, nullptr, CLSCTX_ALL, IID_IDirectDraw7,
                             reinterpret_cast<void**>(&object)),
            S_OK);
  DDSURFACEDESC2 mode{};
  mode.dwSize = sizeof(mode);
  EXPECT_EQ(object->GetDisplayMode(&mode), DDERR_NOTINITIALIZED);
  ASSERT_EQ(object->Initialize(nullptr), DD_OK);
  EXPECT_EQ(object->Initialize(nullptr), DDERR_ALREADYINITIALIZED);

  IDirectDraw* first = nullptr;
  ASSERT_EQ(object->QueryInterface(IID_IDirectDraw, reinterpret_cast<void**>(&first)), S_OK);
  DDCAPS caps{};
  caps.dwSize = sizeof(caps);
  EXPECT_EQ(first->GetCaps(&caps, nullptr), DD_OK);
  EXPECT_EQ(caps.dwMinOverlayStretch, 0u) << "no overlay hardware";
  first->Release();
  // Any other interface, a 3D one among them, is refused.
  const IID direct3d = {0xf5049e77, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};
  void* refused = &caps;
  EXPECT_EQ(object->QueryInterface(direct3d, &refused), E_NOINTERFACE);
  EXPECT_EQ(refused, nullptr);
  object->Release();
}

struct SurfaceCase {
  const char* name;
  DWORD caps;
  DWORD format_flags;  // 0: no pixel format given
  DWORD bits;
  HRESULT result;
};

class DirectDrawSurfaceTest : public ::testing::TestWithParam<SurfaceCase> {};

TEST_P(DirectDrawSurfaceTest, MakesWhatThePartsMakeInSystemMemory) {
  const SurfaceCase& c = GetParam();
  IDirectDraw7* object = MakeObject();
  DDSURFACEDESC2 description = Plain(16, 16, c.caps);
  if (c.format_flags != 0) {
    description.dwFlags |= DDSD_PIXELFORMAT;
    description.ddpfPixelFormat =
        DDPIXELFORMAT{sizeof(DDPIXELFORMAT), c.format_flags, MakeFourCC('Y', 'U', 'Y', '2'),
                      c.bits, c.bits == 16 ? 0x7C00u : 0xFFFFu, 0x03E0, 0x001F, 0};
  }
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(object->CreateSurface(&description, &surface, nullptr), c.result);
  if (c.result == DD_OK) {
    ASSERT_NE(surface, nullptr);
    DDSCAPS2 caps{};
    surface->GetCaps(&caps);
    EXPECT_NE(caps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_EQ(caps.dwCaps & DDSCAPS_VIDEOMEMORY, 0u);
    surface->Release();
  } else {
    EXPECT_EQ(surface, nullptr);
  }
  object->Release();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DirectDrawSurfaceTest,
    ::testing::Values(
        SurfaceCase{"VideoMemoryPlain", DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY, 0, 0, DD_OK},
        SurfaceCase{"ThreeDTarget", DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 0, 0, DD_OK},
        SurfaceCase{"RgbOverlay", DDSCAPS_OVERLAY | DDSCAPS_VIDEOMEMORY, DDPF_RGB, 16, DD_OK},
        SurfaceCase{"FourCcOverlay", DDSCAPS_OVERLAY, DDPF_FOURCC, 0, DDERR_INVALIDPIXELFORMAT},
        SurfaceCase{"DepthCaps", DDSCAPS_ZBUFFER, 0, 0, DDERR_NOZBUFFERHW},
        SurfaceCase{"DepthFormat", DDSCAPS_OFFSCREENPLAIN, DDPF_ZBUFFER, 16, DDERR_NOZBUFFERHW},
        SurfaceCase{"TwentyFourBits", DDSCAPS_OFFSCREENPLAIN, DDPF_RGB, 24,
                    DDERR_INVALIDPIXELFORMAT}),
    [](const ::testing::TestParamInfo<SurfaceCase>& info) { return std::string(info.param.name); });

TEST(DirectDrawBltTest, FillsStretchesAndKeys) {
  IDirectDraw7* object = MakeObject();
  IDirectDrawSurface7* source = Make(object, Plain16(4, 2));
  IDirectDrawSurface7* dest = Make(object, Plain16(8, 4));
  Fill(dest, nullptr, 0x1111);
  RECT left{0, 0, 2, 2}, right{2, 0, 4, 2};
  Fill(source, &left, 0xF800);
  Fill(source, &right, 0x001F);

  // Stretched twice as large into the whole destination.
  ASSERT_EQ(dest->Blt(nullptr, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  std::vector<uint16_t> pixels = Pixels16(dest);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(pixels[y * 8 + x], x < 4 ? 0xF800 : 0x001F) << x << "," << y;
  }

  // With the source key the blue half is left out.
  Fill(dest, nullptr, 0x1111);
  DDCOLORKEY key{0x001F, 0x001F};
  ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  RECT half{0, 0, 4, 2};
  ASSERT_EQ(dest->Blt(&half, source, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
  pixels = Pixels16(dest);
  EXPECT_EQ(pixels[0], 0xF800);
  EXPECT_EQ(pixels[2], 0x1111);
  EXPECT_EQ(pixels[8 * 2], 0x1111) << "rows below the rectangle untouched";

  // A rectangle outside a surface without clipper is refused; BltFast places
  // without stretching.
  RECT outside{6, 2, 10, 4};
  EXPECT_EQ(dest->Blt(&outside, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
  EXPECT_EQ(dest->BltFast(5, 3, source, nullptr, 0), DDERR_INVALIDRECT);
  Fill(dest, nullptr, 0);
  ASSERT_EQ(dest->BltFast(4, 2, source, nullptr, DDBLTFAST_WAIT), DD_OK);
  pixels = Pixels16(dest);
  EXPECT_EQ(pixels[2 * 8 + 4], 0xF800);
  EXPECT_EQ(pixels[3 * 8 + 7], 0x001F);
  EXPECT_EQ(pixels[2 * 8 + 3], 0);

  // A copy within one surface reads the pixels as they were.
  RECT from{4, 2, 8, 4}, to{3, 2, 7, 4};
  ASSERT_EQ(dest->Blt(&to, dest, &from, DDBLT_WAIT, nullptr), DD_OK);
  pixels = Pixels16(dest);
  EXPECT_EQ(pixels[2 * 8 + 3], 0xF800);
  EXPECT_EQ(pixels[2 * 8 + 5], 0x001F);
  EXPECT_EQ(pixels[2 * 8 + 6], 0x001F);

  source->Release();
  dest->Release();
  object->Release();
}

using DirectDrawWindowTest = HostWindowTest;

TEST_F(DirectDrawWindowTest, PrimaryInWindowModeIsTheWindowImageAtItsDesktopPlace) {
  IDirectDraw7* object = MakeObject();
  ASSERT_EQ(object->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  DDSURFACEDESC2 primary_description{};
  primary_description.dwSize = sizeof(primary_description);
  primary_description.dwFlags = DDSD_CAPS;
  primary_description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* primary = Make(object, primary_description);
  DDSURFACEDESC2 described{};
  described.dwSize = sizeof(described);
  primary->GetSurfaceDesc(&described);
  EXPECT_EQ(described.dwWidth, static_cast<DWORD>(NullHost::kDesktopWidth));
  EXPECT_EQ(described.ddpfPixelFormat.dwRGBBitCount, 32u);

  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(object->CreateClipper(0, &clipper, nullptr), DD_OK);
  ASSERT_EQ(clipper->SetHWnd(0, window_), DD_OK);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  EXPECT_EQ(primary->BltFast(0, 0, primary, nullptr, 0), DDERR_INVALIDPARAMS)
      << "BltFast cannot clip";

  // A fill over more than the window is clipped to its client area.
  Fill(primary, nullptr, 0x00123456);
  std::vector<uint32_t> image = Image();
  EXPECT_EQ(image.front(), 0x123456u);
  EXPECT_EQ(image.back(), 0x123456u);

  // A rectangle at the client area's desktop place lands at the window's
  // (10, 20).
  DDSURFACEDESC2 small = Plain(4, 4);
  small.dwFlags |= DDSD_PIXELFORMAT;
  small.ddpfPixelFormat = described.ddpfPixelFormat;
  IDirectDrawSurface7* source = Make(object, small);
  Fill(source, nullptr, 0x00ABCDEF);
  RECT at{kLeft + 10, kTop + 20, kLeft + 14, kTop + 24};
  ASSERT_EQ(primary->Blt(&at, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  image = Image();
  EXPECT_EQ(image[20 * kWidth + 10], 0xABCDEFu);
  EXPECT_EQ(image[23 * kWidth + 13], 0xABCDEFu);
  EXPECT_EQ(image[24 * kWidth + 13], 0x123456u);

  // Reading the primary reads what the window shows now.
  const uint32_t shown[1] = {0x00FEDCBA};
  CurrentHost().Video().WriteImage(0, 0, 1, 1, shown, 1, 1, 1);
  RECT corner{kLeft, kTop, kLeft + 1, kTop + 1};
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  ASSERT_EQ(primary->Lock(&corner, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr), DD_OK);
  EXPECT_EQ(*static_cast<uint32_t*>(locked.lpSurface), 0xFEDCBAu);
  EXPECT_EQ(primary->Unlock(&corner), DD_OK);
  EXPECT_EQ(primary->Unlock(nullptr), DDERR_NOTLOCKED);

  source->Release();
  clipper->Release();
  primary->Release();
  object->Release();
}

class DirectDrawFullScreenTest : public HostWindowTest {
 protected:
  // A window with the full-screen look: no caption, at the desktop's origin.
  void SetUp() override { Open(WS_POPUP | WS_VISIBLE, 0, 0); }
};

TEST_F(DirectDrawFullScreenTest, FlipShowsTheBackBufferOnTheNextBlank) {
  IDirectDraw7* object = MakeObject();
  ASSERT_EQ(object->SetCooperativeLevel(window_, DDSCL_NORMAL), DD_OK);
  ASSERT_EQ(object->SetDisplayMode(320, 240, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
  ASSERT_EQ(object->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  IDirectDraw7* other = MakeObject();
  EXPECT_EQ(other->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DDERR_EXCLUSIVEMODEALREADYSET);
  other->Release();
  EXPECT_EQ(object->SetDisplayMode(333, 240, 16, 0, 0), DDERR_INVALIDMODE);
  ASSERT_EQ(object->SetDisplayMode(320, 240, 16, 0, 0), DD_OK);

  DDSURFACEDESC2 chain{};
  chain.dwSize = sizeof(chain);
  chain.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  chain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  chain.dwBackBufferCount = 1;
  IDirectDrawSurface7* primary = Make(object, chain);
  DDSCAPS2 back_caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(primary->GetAttachedSurface(&back_caps, &back), DD_OK);
  EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

  Fill(back, nullptr, 0xF800);
  CurrentHost().Clock().WaitVerticalBlank();
  const uint64_t before = InstalledNullHost().PeekMicroseconds();
  const int64_t frames = InstalledNullHost().FrameCount();
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  const uint64_t waited = InstalledNullHost().PeekMicroseconds() - before;
  EXPECT_GE(waited, 16'000u);
  EXPECT_LE(waited, 17'000u);
  EXPECT_EQ(InstalledNullHost().FrameCount(), frames + 1);
  EXPECT_EQ(Image()[0], 0xFF0000u);

  // Without vertical sync the flip waits for nothing; the buffers exchange.
  const uint64_t again = InstalledNullHost().PeekMicroseconds();
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
  EXPECT_LT(InstalledNullHost().PeekMicroseconds() - again, 1'000u);
  EXPECT_EQ(Pixels16(back)[0], 0xF800) << "the old front picture is behind now";

  back->Release();
  primary->Release();
  object->Release();
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), NullHost::kDesktopWidth)
      << "the object that set the mode took it with it";
  ReleaseDC(nullptr, dc);
}

TEST_F(DirectDrawWindowTest, ModeChangeLosesSurfacesAndTellsTheWindow) {
  IDirectDraw7* object = MakeObject();
  std::vector<DDSURFACEDESC2> modes;
  object->EnumDisplayModes(0, nullptr, &modes, [](DDSURFACEDESC2* mode, LPVOID context) {
    static_cast<std::vector<DDSURFACEDESC2>*>(context)->push_back(*mode);
    return DDENUMRET_OK;
  });
  bool has_640x480x16 = false;
  for (const DDSURFACEDESC2& mode : modes) {
    EXPECT_LE(mode.dwWidth, static_cast<DWORD>(NullHost::kDesktopWidth));
    EXPECT_TRUE(mode.ddpfPixelFormat.dwRGBBitCount == 16 || mode.ddpfPixelFormat.dwRGBBitCount == 32);
    has_640x480x16 |= mode.dwWidth == 640 && mode.dwHeight == 480 &&
                      mode.ddpfPixelFormat.dwRGBBitCount == 16;
  }
  EXPECT_TRUE(has_640x480x16);

  IDirectDrawSurface7* surface = Make(object, Plain16(8, 8));
  DisplayChanges();
  ASSERT_EQ(object->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(object->SetDisplayMode(640, 480, 16, 60, 0), DD_OK);
  const std::vector<MSG> changes = DisplayChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].hwnd, window_);
  EXPECT_EQ(changes[0].wParam, 16u);

  EXPECT_EQ(surface->IsLost(), DDERR_SURFACELOST);
  DDSURFACEDESC2 locked{};
  locked.dwSize = sizeof(locked);
  EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(surface->Restore(), DD_OK);
  EXPECT_EQ(surface->IsLost(), DD_OK);
  EXPECT_EQ(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
  surface->Unlock(nullptr);

  ASSERT_EQ(object->RestoreDisplayMode(), DD_OK);
  EXPECT_EQ(DisplayChanges().size(), 1u);
  surface->Release();
  object->Release();
}

TEST(DirectDrawBlankTest, StatusReportsEachBoundaryOnceAndTheWaitEndsOnOne) {
  IDirectDraw7* object = MakeObject();
  ASSERT_EQ(object->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  const uint64_t boundary = InstalledNullHost().PeekMicroseconds();
  BOOL in_blank = TRUE;
  object->GetVerticalBlankStatus(&in_blank);
  EXPECT_FALSE(in_blank) << "the wait consumed its blank";
  DWORD line = 0;
  EXPECT_EQ(object->GetScanLine(&line), DDERR_VERTICALBLANKINPROGRESS);
  EXPECT_GE(line, 480u);
  Sleep(5);
  EXPECT_EQ(object->GetScanLine(&line), DD_OK);
  EXPECT_LT(line, 480u);
  Sleep(15);  // past the next boundary
  object->GetVerticalBlankStatus(&in_blank);
  EXPECT_TRUE(in_blank);
  object->GetVerticalBlankStatus(&in_blank);
  EXPECT_FALSE(in_blank);
  ASSERT_EQ(object->WaitForVerticalBlank(DDWAITVB_BLOCKBEGIN, nullptr), DD_OK);
  EXPECT_EQ(NullClock::PeriodIndex(InstalledNullHost().PeekMicroseconds()), NullClock::PeriodIndex(boundary) + 2);
  object->Release();
}

TEST(DirectDrawScriptTest, FailsTheNamedCallOnItsNthUseAndRecordsTheOrder) {
  IDirectDraw7* object = MakeObject();
  DisplayScript script;
  script.FailOn("IDirectDraw7::CreateSurface", 2, DDERR_OUTOFMEMORY);
  IDirectDrawSurface7* first = nullptr;
  IDirectDrawSurface7* second = nullptr;
  IDirectDrawSurface7* third = nullptr;
  DDSURFACEDESC2 description = Plain16(4, 4);
  EXPECT_EQ(object->CreateSurface(&description, &first, nullptr), DD_OK);
  EXPECT_EQ(object->CreateSurface(&description, &second, nullptr), DDERR_OUTOFMEMORY);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(object->CreateSurface(&description, &third, nullptr), DD_OK);
  first->IsLost();
  EXPECT_EQ(script.Calls(),
            (std::vector<std::string>{"IDirectDraw7::CreateSurface", "IDirectDraw7::CreateSurface",
                                      "IDirectDraw7::CreateSurface", "IDirectDrawSurface7::IsLost"}));
  first->Release();
  third->Release();
  object->Release();
}

}  // namespace
