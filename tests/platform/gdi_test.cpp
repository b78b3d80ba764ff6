// The GDI stand-in: image transfers to the host's window image, read-back
// through a memory bitmap, the display's mode.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/host/pixel.h"
#include "platform/win32/gdi.h"
#include "tests/platform/display_test_support.h"

namespace {

// A device-independent image: header, masks and pixels.
struct Dib {
  BITMAPINFOHEADER header{};
  DWORD masks[3]{};
  std::vector<uint8_t> bits;
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

uint16_t Pixel565(int x, int y) {
  return static_cast<uint16_t>(((x * 3) & 0x1F) << 11 | ((y * 5 + x) & 0x3F) << 5 | (y & 0x1F));
}

Dib TopDown565(int width, int height) {
  Dib dib;
  dib.header.biSize = sizeof(BITMAPINFOHEADER);
  dib.header.biWidth = width;
  dib.header.biHeight = -height;
  dib.header.biPlanes = 1;
  dib.header.biBitCount = 16;
  dib.header.biCompression = BI_BITFIELDS;
  dib.masks[0] = 0xF800;
  dib.masks[1] = 0x07E0;
  dib.masks[2] = 0x001F;
  const int pitch = (width * 2 + 3) / 4 * 4;
  dib.bits.assign(static_cast<size_t>(pitch) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint16_t value = Pixel565(x, y);
      std::memcpy(&dib.bits[static_cast<size_t>(y) * pitch + x * 2], &value, 2);
    }
  }
  return dib;
}

using GdiTest = HostWindowTest;

TEST_F(GdiTest, WholeImageAfterABlankWaitIsAFrameOfExactlyExpandedPixels) {
  const Dib dib = TopDown565(kWidth, kHeight);
  HDC dc = GetDC(window_);
  CurrentHost().Clock().WaitVerticalBlank();
  const int64_t frames = InstalledNullHost().FrameCount();
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, dib.bits.data(),
                              dib.info(), DIB_RGB_COLORS),
            kHeight);
  EXPECT_EQ(InstalledNullHost().FrameCount(), frames + 1);
  const std::vector<uint32_t> image = Image();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      ASSERT_EQ(image[static_cast<size_t>(y) * kWidth + x], ExpandRgb565(Pixel565(x, y)));
    }
  }
  ReleaseDC(window_, dc);
}

TEST_F(GdiTest, RectangleOfAnImageLandsWhereAskedAndIsNoFrame) {
  const Dib dib = TopDown565(64, 32);
  HDC dc = GetDC(window_);
  std::vector<uint32_t> before = Image();
  CurrentHost().Clock().WaitVerticalBlank();
  const int64_t frames = InstalledNullHost().FrameCount();
  // The 8 x 4 rectangle at (10, 20) of the image to (300, 5): its right part
  // falls off the 320-pixel window.
  SetDIBitsToDevice(dc, 300, 5, 30, 4, 10, 20, 0, 32, dib.bits.data(), dib.info(), DIB_RGB_COLORS);
  EXPECT_EQ(InstalledNullHost().FrameCount(), frames) << "a partial transfer is no frame";
  const std::vector<uint32_t> image = Image();
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool inside = x >= 300 && y >= 5 && y < 9;
      const uint32_t expected = inside ? ExpandRgb565(Pixel565(x - 300 + 10, y - 5 + 20))
                                       : before[static_cast<size_t>(y) * kWidth + x];
      ASSERT_EQ(image[static_cast<size_t>(y) * kWidth + x], expected) << x << "," << y;
    }
  }
  ReleaseDC(window_, dc);
}

TEST_F(GdiTest, StretchedBottomUpImageIsScaledByNearestPixel) {
  // A 2 x 2 bottom-up 32-bit image: its first stored row is the bottom one.
  Dib dib;
  dib.header.biSize = sizeof(BITMAPINFOHEADER);
  dib.header.biWidth = 2;
  dib.header.biHeight = 2;
  dib.header.biPlanes = 1;
  dib.header.biBitCount = 32;
  dib.header.biCompression = BI_RGB;
  const uint32_t stored[4] = {0x000011, 0x000022, 0x000033, 0x000044};  // bottom row first
  dib.bits.resize(sizeof(stored));
  std::memcpy(dib.bits.data(), stored, sizeof(stored));
  HDC dc = GetDC(window_);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, kWidth, kHeight, 0, 0, 2, 2, dib.bits.data(), dib.info(),
                          DIB_RGB_COLORS, SRCCOPY),
            2);
  const std::vector<uint32_t> image = Image();
  EXPECT_EQ(image[0], 0x000033u);
  EXPECT_EQ(image[kWidth - 1], 0x000044u);
  EXPECT_EQ(image[static_cast<size_t>(kHeight - 1) * kWidth], 0x000011u);
  EXPECT_EQ(image[static_cast<size_t>(kHeight / 2 - 1) * kWidth + kWidth / 2 - 1], 0x000033u);
  EXPECT_EQ(image[static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2], 0x000022u);
  ReleaseDC(window_, dc);
}

TEST_F(GdiTest, ClientAreaReadBackThroughAMemoryBitmapGivesTheImageBack) {
  const Dib dib = TopDown565(kWidth, kHeight);
  HDC window_dc = GetDC(window_);
  SetDIBitsToDevice(window_dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, dib.bits.data(),
                    dib.info(), DIB_RGB_COLORS);
  HDC memory_dc = CreateCompatibleDC(window_dc);
  HBITMAP bitmap = CreateCompatibleBitmap(window_dc, kWidth, kHeight);
  HGDIOBJ previous = SelectObject(memory_dc, bitmap);
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(DeleteObject(bitmap), FALSE) << "a selected bitmap stays";
  ASSERT_TRUE(BitBlt(memory_dc, 0, 0, kWidth, kHeight, window_dc, 0, 0, SRCCOPY));
  SelectObject(memory_dc, previous);
  Dib read = TopDown565(kWidth, kHeight);
  std::fill(read.bits.begin(), read.bits.end(), 0);
  EXPECT_EQ(GetDIBits(memory_dc, bitmap, 0, kHeight, read.bits.data(),
                      const_cast<BITMAPINFO*>(read.info()), DIB_RGB_COLORS),
            kHeight);
  EXPECT_EQ(read.bits, dib.bits) << "16-bit pixels survive the way through XRGB";
  EXPECT_TRUE(DeleteObject(bitmap));
  DeleteDC(memory_dc);
  ReleaseDC(window_, window_dc);
}

TEST_F(GdiTest, OnlyTheHostWindowHasPixels) {
  WNDCLASSA other_class{};
  other_class.lpfnWndProc = DefWindowProcA;
  other_class.lpszClassName = "OtherWindow";
  ASSERT_NE(RegisterClassA(&other_class), 0);
  HWND other = CreateWindowExA(0, "OtherWindow", "o", WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                               nullptr, nullptr);
  const std::vector<uint32_t> before = Image();
  const Dib dib = TopDown565(64, 64);
  HDC dc = GetDC(other);
  SetDIBitsToDevice(dc, 0, 0, 64, 64, 0, 0, 0, 64, dib.bits.data(), dib.info(), DIB_RGB_COLORS);
  ReleaseDC(other, dc);
  EXPECT_EQ(Image(), before);
  DestroyWindow(other);
  UnregisterClassA("OtherWindow", nullptr);
}

TEST_F(GdiTest, DisplaySettingsSwitchListedModesAndTellEveryWindow) {
  DisplayChanges();
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  mode.dmBitsPerPel = 16;
  mode.dmPelsWidth = 800;
  mode.dmPelsHeight = 600;
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES), 16);
  std::vector<MSG> changes = DisplayChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].wParam, 16u);
  EXPECT_EQ(changes[0].lParam, MAKELPARAM(800, 600));

  // The same mode again changes nothing and tells nobody.
  ASSERT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_TRUE(DisplayChanges().empty());

  for (const DEVMODEA& refused : {DEVMODEA{sizeof(DEVMODEA), 24, 800, 600, 0},
                                  DEVMODEA{sizeof(DEVMODEA), 16, 700, 500, 0},
                                  DEVMODEA{sizeof(DEVMODEA), 16, 800, 600, 75},
                                  DEVMODEA{sizeof(DEVMODEA), 32, 4096, 2160, 0}}) {
    DEVMODEA copy = refused;
    EXPECT_EQ(ChangeDisplaySettingsA(&copy, CDS_FULLSCREEN), DISP_CHANGE_BADMODE)
        << copy.dmPelsWidth << " x " << copy.dmPelsHeight << " x " << copy.dmBitsPerPel;
  }
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800) << "a refused mode leaves the display as it was";

  ASSERT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), NullHost::kDesktopWidth);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  changes = DisplayChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].lParam, MAKELPARAM(NullHost::kDesktopWidth, NullHost::kDesktopHeight));
  ReleaseDC(nullptr, dc);
}

}  // namespace
