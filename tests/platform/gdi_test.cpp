// The GDI stand-in: image transfers to the host's window image, read-back
// through a memory bitmap, sections whose pixels their maker writes and
// reads, mirrored and palette images, the display's mode.
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

// ---- Sections -------------------------------------------------------------------------

// A section's description: the header and the three masks of bit fields.
struct SectionInfo {
  BITMAPINFOHEADER header{};
  DWORD masks[3]{};
  const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};

SectionInfo DescribeSection(int width, int height, WORD bits, DWORD compression, DWORD red,
                            DWORD green, DWORD blue) {
  SectionInfo section;
  section.header.biSize = sizeof(BITMAPINFOHEADER);
  section.header.biWidth = width;
  section.header.biHeight = height;
  section.header.biPlanes = 1;
  section.header.biBitCount = bits;
  section.header.biCompression = compression;
  section.masks[0] = red;
  section.masks[1] = green;
  section.masks[2] = blue;
  return section;
}

// One layout of section: its description and how a colour is stored and
// read back in it.
struct SectionCase {
  const char* name;
  WORD bits;
  DWORD compression;
  DWORD red, green, blue;
  bool bottom_up;
  // Stores the XRGB colour at pixel (x, y) of a section's bits (`pitch`
  // bytes a row, rows as the header says).
  void (*put)(uint8_t* pixel, uint32_t xrgb);
  // The XRGB colour the stored value stands for.
  uint32_t (*shown)(uint32_t xrgb);
};

void Put565(uint8_t* pixel, uint32_t xrgb) {
  const uint16_t value = static_cast<uint16_t>(((xrgb >> 19) & 0x1F) << 11 |
                                               ((xrgb >> 10) & 0x3F) << 5 | ((xrgb >> 3) & 0x1F));
  std::memcpy(pixel, &value, 2);
}
uint32_t Shown565(uint32_t xrgb) {
  uint8_t stored[2];
  Put565(stored, xrgb);
  uint16_t value;
  std::memcpy(&value, stored, 2);
  return ExpandRgb565(value);
}
void Put888(uint8_t* pixel, uint32_t xrgb) {
  pixel[0] = static_cast<uint8_t>(xrgb);
  pixel[1] = static_cast<uint8_t>(xrgb >> 8);
  pixel[2] = static_cast<uint8_t>(xrgb >> 16);
}
void PutXrgb(uint8_t* pixel, uint32_t xrgb) { std::memcpy(pixel, &xrgb, 4); }
// 32 bits with blue on top: 0xBBGGRR00.
void PutBgrx(uint8_t* pixel, uint32_t xrgb) {
  const uint32_t value = (xrgb & 0xFF) << 24 | ((xrgb >> 8) & 0xFF) << 16 | ((xrgb >> 16) & 0xFF) << 8;
  std::memcpy(pixel, &value, 4);
}
uint32_t Exact(uint32_t xrgb) { return xrgb & 0xFFFFFF; }

uint32_t Colour(int x, int y) {
  return static_cast<uint32_t>((x * 37 + y * 11) & 0xFF) << 16 |
         static_cast<uint32_t>((x * 5 + y * 71) & 0xFF) << 8 |
         static_cast<uint32_t>((x * 113 + y * 3) & 0xFF);
}

const SectionCase kSectionCases[] = {
    {"Rgb565TopDown", 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F, false, Put565, Shown565},
    {"Rgb888BottomUp", 24, BI_RGB, 0, 0, 0, true, Put888, Exact},
    {"Xrgb8888TopDown", 32, BI_RGB, 0, 0, 0, false, PutXrgb, Exact},
    {"Bgrx8888BitFieldsBottomUp", 32, BI_BITFIELDS, 0xFF00, 0xFF0000, 0xFF000000, true, PutBgrx,
     Exact},
};

class SectionTest : public ::testing::TestWithParam<SectionCase> {};

// Pixels the maker writes into a section are what a copy out of it reads,
// and a transfer into it is what the maker then finds in its bits.
TEST_P(SectionTest, MakerWritesAndTransfersReadTheSameBits) {
  const SectionCase& c = GetParam();
  constexpr int kW = 7, kH = 5;
  const SectionInfo section = DescribeSection(kW, c.bottom_up ? kH : -kH, c.bits, c.compression,
                                              c.red, c.green, c.blue);
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, section.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(bits, nullptr);
  const int pitch = (kW * c.bits / 8 + 3) / 4 * 4;
  auto pixel = [&](int x, int y) {
    const int stored_row = c.bottom_up ? kH - 1 - y : y;
    return static_cast<uint8_t*>(bits) + static_cast<size_t>(stored_row) * pitch + x * (c.bits / 8);
  };
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) EXPECT_EQ(*pixel(x, y), 0) << "made cleared";
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) c.put(pixel(x, y), Colour(x, y));

  // Out of the section: a copy into a memory bitmap, read back as XRGB.
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(DeleteObject(bitmap), FALSE) << "a selected section stays";
  HDC copy_dc = CreateCompatibleDC(nullptr);
  HBITMAP copy = CreateCompatibleBitmap(copy_dc, kW, kH);
  const HGDIOBJ copy_previous = SelectObject(copy_dc, copy);
  ASSERT_TRUE(BitBlt(copy_dc, 0, 0, kW, kH, dc, 0, 0, SRCCOPY));
  SelectObject(copy_dc, copy_previous);
  SectionInfo xrgb = DescribeSection(kW, -kH, 32, BI_RGB, 0, 0, 0);
  std::vector<uint32_t> read(static_cast<size_t>(kW) * kH);
  ASSERT_EQ(GetDIBits(copy_dc, copy, 0, kH, read.data(), const_cast<BITMAPINFO*>(xrgb.info()),
                      DIB_RGB_COLORS),
            kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      ASSERT_EQ(read[static_cast<size_t>(y) * kW + x], c.shown(Colour(x, y))) << x << "," << y;

  // Into the section: the 3 x 2 rectangle at (1, 1) of a 5-6-5 image to (4, 3)
  // lands in the maker's bits there, and nowhere else.
  const Dib image = TopDown565(8, 8);
  EXPECT_EQ(SetDIBitsToDevice(dc, 4, 3, 3, 2, 1, 1, 0, 8, image.bits.data(), image.info(),
                              DIB_RGB_COLORS),
            8);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      uint8_t expected[4] = {};
      const bool inside = x >= 4 && y >= 3;
      c.put(expected, inside ? ExpandRgb565(Pixel565(x - 3, y - 2)) : Colour(x, y));
      ASSERT_EQ(std::memcmp(pixel(x, y), expected, c.bits / 8), 0) << x << "," << y;
    }
  // The section read back whole gives the same.
  SelectObject(dc, previous);
  std::fill(read.begin(), read.end(), 0);
  ASSERT_EQ(GetDIBits(dc, bitmap, 0, kH, read.data(), const_cast<BITMAPINFO*>(xrgb.info()),
                      DIB_RGB_COLORS),
            kH);
  EXPECT_EQ(read[4 * kW + 6], c.shown(ExpandRgb565(Pixel565(3, 2))));
  EXPECT_EQ(read[0], c.shown(Colour(0, 0)));

  EXPECT_TRUE(DeleteObject(copy));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(copy_dc));
  EXPECT_TRUE(DeleteDC(dc));
}

INSTANTIATE_TEST_SUITE_P(Layouts, SectionTest, ::testing::ValuesIn(kSectionCases),
                         [](const ::testing::TestParamInfo<SectionCase>& info) {
                           return std::string(info.param.name);
                         });

// A 24-bit section of `width` x `height` selected into a new memory device
// context; its bits are top-down.
struct Section24 {
  Section24(int width, int height) : width(width), height(height) {
    const SectionInfo section = DescribeSection(width, -height, 24, BI_RGB, 0, 0, 0);
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, section.info(), DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = SelectObject(dc, bitmap);
  }
  ~Section24() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  uint32_t At(int x, int y) const {
    const uint8_t* p = static_cast<const uint8_t*>(bits) +
                       static_cast<size_t>(y) * ((width * 3 + 3) / 4 * 4) + x * 3;
    return static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
  }
  int width, height;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
};

TEST(GdiSectionTest, NegativeSourceWidthWritesTheImageMirrored) {
  const Dib image = TopDown565(6, 3);
  Section24 section(6, 3);
  ASSERT_NE(section.bitmap, nullptr);
  EXPECT_EQ(StretchDIBits(section.dc, 0, 0, 6, 3, 5, 0, -6, 3, image.bits.data(), image.info(),
                          DIB_RGB_COLORS, SRCCOPY),
            3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x)
      ASSERT_EQ(section.At(x, y), ExpandRgb565(Pixel565(5 - x, y))) << x << "," << y;
  // Columns 3, 2, 1 stretched over six: each shown twice.
  EXPECT_EQ(StretchDIBits(section.dc, 0, 0, 6, 3, 3, 0, -3, 3, image.bits.data(), image.info(),
                          DIB_RGB_COLORS, SRCCOPY),
            3);
  EXPECT_EQ(section.At(0, 1), ExpandRgb565(Pixel565(3, 1)));
  EXPECT_EQ(section.At(3, 1), ExpandRgb565(Pixel565(2, 1)));
  EXPECT_EQ(section.At(5, 1), ExpandRgb565(Pixel565(1, 1)));
  // Columns that run out of the image on the left: nothing is written.
  EXPECT_EQ(StretchDIBits(section.dc, 0, 0, 6, 3, 2, 0, -4, 3, image.bits.data(), image.info(),
                          DIB_RGB_COLORS, SRCCOPY),
            0);
  EXPECT_EQ(section.At(0, 1), ExpandRgb565(Pixel565(3, 1)));
}

// An 8-bit image with a colour table is read through its table; an index
// past a short table shows black.
TEST(GdiSectionTest, PaletteImageIsReadThroughItsColourTable) {
  struct PaletteDib {
    BITMAPINFOHEADER header{};
    RGBQUAD colors[256]{};
  } palette;
  palette.header.biSize = sizeof(BITMAPINFOHEADER);
  palette.header.biWidth = 5;
  palette.header.biHeight = 2;  // bottom-up
  palette.header.biPlanes = 1;
  palette.header.biBitCount = 8;
  palette.header.biCompression = BI_RGB;
  palette.header.biClrUsed = 3;
  palette.colors[0] = RGBQUAD{0x10, 0x20, 0x30, 0};
  palette.colors[1] = RGBQUAD{0xFF, 0x00, 0x80, 0};
  palette.colors[2] = RGBQUAD{0x01, 0x02, 0x03, 0};
  palette.colors[3] = RGBQUAD{0x77, 0x77, 0x77, 0};  // past the table's 3 entries
  // Rows of 5 indexes padded to 8 bytes; the bottom row first.
  const uint8_t bits[16] = {2, 1, 0, 3, 1, 9, 9, 9, 0, 1, 2, 0, 1, 9, 9, 9};
  const auto* info = reinterpret_cast<const BITMAPINFO*>(&palette);
  Section24 section(5, 2);
  ASSERT_NE(section.bitmap, nullptr);
  EXPECT_EQ(SetDIBitsToDevice(section.dc, 0, 0, 5, 2, 0, 0, 0, 2, bits, info, DIB_RGB_COLORS), 2);
  const uint32_t top[5] = {0x302010, 0x8000FF, 0x030201, 0x302010, 0x8000FF};
  const uint32_t bottom[5] = {0x030201, 0x8000FF, 0x302010, 0, 0x8000FF};
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(section.At(x, 0), top[x]) << x;
    EXPECT_EQ(section.At(x, 1), bottom[x]) << x;
  }
  // Mirrored as well.
  EXPECT_EQ(StretchDIBits(section.dc, 0, 0, 5, 2, 4, 0, -5, 2, bits, info, DIB_RGB_COLORS, SRCCOPY),
            2);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(section.At(x, 0), top[4 - x]) << x;
}

TEST(GdiSectionTest, UnusableDescriptionsMakeNoSection) {
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = reinterpret_cast<void*>(1);
  const SectionInfo no_width = DescribeSection(0, 4, 24, BI_RGB, 0, 0, 0);
  EXPECT_EQ(CreateDIBSection(dc, no_width.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  const SectionInfo no_height = DescribeSection(4, 0, 24, BI_RGB, 0, 0, 0);
  EXPECT_EQ(CreateDIBSection(dc, no_height.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  const SectionInfo huge = DescribeSection(1 << 16, 1 << 15, 32, BI_RGB, 0, 0, 0);
  EXPECT_EQ(CreateDIBSection(dc, huge.info(), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBSection(dc, nullptr, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  const SectionInfo fine = DescribeSection(4, 4, 24, BI_RGB, 0, 0, 0);
  EXPECT_EQ(CreateDIBSection(reinterpret_cast<HDC>(0x12345), fine.info(), DIB_RGB_COLORS, &bits,
                             nullptr, 0),
            nullptr)
      << "a device context that does not exist";
  EXPECT_EQ(bits, nullptr);
  DeleteDC(dc);
}

TEST(GdiSectionDeathTest, LayoutsAndUsesNotEmulatedEndTheProcess) {
  const SectionInfo palette = DescribeSection(4, 4, 8, BI_RGB, 0, 0, 0);
  EXPECT_DEATH(CreateDIBSection(nullptr, palette.info(), DIB_RGB_COLORS, nullptr, nullptr, 0),
               "CreateDIBSection: device-independent images: 16, 24 or 32 bits only");
  const SectionInfo fine = DescribeSection(4, 4, 24, BI_RGB, 0, 0, 0);
  int mapping = 0;
  EXPECT_DEATH(CreateDIBSection(nullptr, fine.info(), DIB_RGB_COLORS, nullptr, &mapping, 0),
               "CreateDIBSection: only bits of its own");
  const Dib image = TopDown565(4, 4);
  Section24 section(4, 4);
  EXPECT_DEATH(StretchDIBits(section.dc, 4, 0, -4, 4, 0, 0, 4, 4, image.bits.data(),
                             image.info(), DIB_RGB_COLORS, SRCCOPY),
               "StretchDIBits: mirroring only by the source width");
}

}  // namespace
