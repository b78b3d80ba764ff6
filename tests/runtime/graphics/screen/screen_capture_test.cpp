// Capturing the draw screen into texture graphics: what each of the five
// methods copies (clipped at the screen's edge, into every piece), the order
// they are tried in, the method remembered for the next capture of the same
// kind of graphic, refusals; and the spare bits set in copied pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/screen/screen_capture.h"
#include "runtime/image/color_format.h"
#include "tests/runtime/graphics/d3d_test_support.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/ddraw/display_script.h"

namespace {

// What the back screen holds at (x, y): never 0, so a pixel left alone in a
// fresh (black) texture shows.
uint16_t ScreenPixel(int x, int y) {
  return static_cast<uint16_t>(((x * 37 + y * 101) & 0xFFFF) | 0x0020);
}

class ScreenCaptureTest : public Direct3DTest {
 protected:
  void SetUp() override {
    Direct3DTest::SetUp();
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    description.dwWidth = 640;
    description.dwHeight = 480;
    description.ddpfPixelFormat = MakeTextureFormat(16, 0xF800, 0x07E0, 0x001F, 0);
    ASSERT_EQ(Screen.DirectDrawObject->CreateSurface(&description, &back_, nullptr), DD_OK);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof(locked);
    ASSERT_EQ(back_->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), DD_OK);
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const uint16_t value = ScreenPixel(x, y);
        std::memcpy(static_cast<uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * 2, &value,
                    2);
      }
    }
    back_->Unlock(nullptr);
    Screen.BackSurface = back_;
    record().render_target = back_;
    DrawTarget = kDrawTargetBackScreen;
    DrawScreenGraphMethodMemo[0] = -1;
    DrawScreenGraphMethodMemo[1] = -1;
    NewGraphicAlphaTest = 0;
  }
  void TearDown() override {
    record().render_target = nullptr;
    Screen.BackSurface = nullptr;
    back_->Release();
    DrawScreenGraphMethodMemo[0] = -1;
    DrawScreenGraphMethodMemo[1] = -1;
    Direct3DTest::TearDown();
  }

  // The pixel (x, y) of a graphic, read from the texture of the piece that
  // holds it.
  static uint32_t GraphicPixel(int32_t graphic, int x, int y) {
    const GraphicRecord* const record = GetGraphicRecord(graphic);
    for (int32_t i = 0; i < record->surface_count; ++i) {
      const Surface3DData* const piece = GetSurface3DData(record->surfaces[i]);
      if (x < piece->x || y < piece->y || x >= piece->x + piece->width ||
          y >= piece->y + piece->height) {
        continue;
      }
      IDirectDrawSurface7* const texture = TextureOf(record->surfaces[i]);
      DDSURFACEDESC2 locked{};
      locked.dwSize = sizeof(locked);
      if (texture->Lock(nullptr, &locked, DDLOCK_WAIT | DDLOCK_READONLY, nullptr) != DD_OK) {
        return 0xDEAD;
      }
      const int bytes = static_cast<int>(locked.ddpfPixelFormat.dwRGBBitCount / 8);
      uint32_t value = 0;
      std::memcpy(&value,
                  static_cast<uint8_t*>(locked.lpSurface) +
                      (piece->texture_y + y - piece->y) * locked.lPitch +
                      (piece->texture_x + x - piece->x) * bytes,
                  bytes);
      texture->Unlock(nullptr);
      return value;
    }
    return 0xDEAD;
  }

  // Checks that the graphic shows the screen's rectangle from (left, top),
  // `width` x `height` of it, and holds 0 (untouched) elsewhere.
  static void ExpectCopied(int32_t graphic, int left, int top, int width, int height) {
    const GraphicRecord* const record = GetGraphicRecord(graphic);
    int wrong = 0;
    for (int y = 0; y < record->height; ++y) {
      for (int x = 0; x < record->width; ++x) {
        const uint32_t expected = x < width && y < height ? ScreenPixel(left + x, top + y) : 0;
        if (GraphicPixel(graphic, x, y) != expected && ++wrong <= 3) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << GraphicPixel(graphic, x, y)
                        << ", expected " << expected;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }

 private:
  IDirectDrawSurface7* back_ = nullptr;
};

struct MethodCase {
  const char* name;
  DrawScreenGraphFunction method;
};

const MethodCase kMethods[] = {
    {"lock and convert", G_D3D_GetDrawScreenGraphFunction5},
    {"blit", G_D3D_GetDrawScreenGraphFunction1},
    {"work texture's pixels", G_D3D_GetDrawScreenGraphFunction3},
    {"device contexts", G_D3D_GetDrawScreenGraphFunction2},
    {"texture load", G_D3D_GetDrawScreenGraphFunction4},
};

TEST_F(ScreenCaptureTest, EveryMethodCopiesTheRectangleIntoEveryPiece) {
  for (const MethodCase& c : kMethods) {
    SCOPED_TRACE(c.name);
    // 640 wide: pieces of 512 and 128.
    const int32_t wide = MakeEmptyGraphic(640, 40, 0);
    ASSERT_EQ(GetGraphicRecord(wide)->surface_count, 2);
    EXPECT_EQ(c.method(0, 100, 640, 140, GetGraphicRecord(wide), 1), 0);
    ExpectCopied(wide, 0, 100, 640, 40);

    // Past the screen's right and bottom edges only what the screen has is
    // copied; the rest of the graphic stays as it was.
    const int32_t corner = MakeEmptyGraphic(100, 20, 0);
    EXPECT_EQ(c.method(600, 470, 700, 490, GetGraphicRecord(corner), 1), 0);
    ExpectCopied(corner, 600, 470, 40, 10);

    // A rectangle smaller than the graphic fills only its part.
    const int32_t part = MakeEmptyGraphic(100, 20, 0);
    EXPECT_EQ(c.method(5, 6, 55, 16, GetGraphicRecord(part), 1), 0);
    ExpectCopied(part, 5, 6, 50, 10);
    DeleteAllGraphics(0);
  }
}

TEST_F(ScreenCaptureTest, EveryMethodRefusesABadRectangle) {
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  GraphicRecord* const record = GetGraphicRecord(graphic);
  const RECT bad[] = {
      {10, 10, 10, 30},    // no width
      {10, 10, 60, 10},    // no height
      {-1, 0, 50, 10},     // left of the screen
      {0, -1, 50, 10},     // above it
      {641, 0, 700, 10},   // beyond its right edge
      {0, 0, 101, 10},     // wider than the graphic
      {0, 0, 50, 21},      // higher than the graphic
  };
  for (const MethodCase& c : kMethods) {
    for (const RECT& r : bad) {
      EXPECT_EQ(c.method(r.left, r.top, r.right, r.bottom, record, 1), -1)
          << c.name << " " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
  }
  ExpectCopied(graphic, 0, 0, 0, 0);
}

// Where each method's log lines first appear, in the order they appear.
std::vector<int> MethodOrder(const std::string& log) {
  std::vector<std::pair<size_t, int>> found;
  for (int method = 1; method <= 5; ++method) {
    const std::string name = "G_D3D_GetDrawScreenGraphFunction" + std::to_string(method);
    for (size_t at = log.find(name); at != std::string::npos; at = log.find(name, at + 1)) {
      found.emplace_back(at, method);
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<int> order;
  for (const auto& [at, method] : found) {
    // A method may log more than one line for one failure.
    (void)at;
    order.push_back(method);
  }
  return order;
}

TEST_F(ScreenCaptureTest, TheMethodsAreTriedInTheirOrderUntilAllFail) {
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  DisplayScript script;
  for (const char* call :
       {"IDirectDrawSurface7::Lock", "IDirectDrawSurface7::BltFast", "IDirectDrawSurface7::GetDC"}) {
    script.FailAlways(call);
  }
  LogCapture log;
  EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, graphic, 1), -1);
  EXPECT_EQ(MethodOrder(log.text()), (std::vector<int>{5, 1, 3, 2, 4}));
  EXPECT_EQ(DrawScreenGraphMethodMemo[0], -1);
}

TEST_F(ScreenCaptureTest, TheRememberedMethodIsTriedFirstAndAgainInItsTurn) {
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  DrawScreenGraphMethodMemo[0] = 2;
  DisplayScript script;
  for (const char* call :
       {"IDirectDrawSurface7::Lock", "IDirectDrawSurface7::BltFast", "IDirectDrawSurface7::GetDC"}) {
    script.FailAlways(call);
  }
  LogCapture log;
  EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, graphic, 1), -1);
  EXPECT_EQ(MethodOrder(log.text()), (std::vector<int>{3, 5, 1, 3, 2, 4}));
  EXPECT_EQ(DrawScreenGraphMethodMemo[0], -1);
}

// The first screen-copy call of a capture: which method went first.
std::string FirstCopyCall(const DisplayScript& script) {
  for (const std::string& call : script.Calls()) {
    if (call == "IDirectDrawSurface7::Lock" || call == "IDirectDrawSurface7::BltFast" ||
        call == "IDirectDrawSurface7::GetDC") {
      return call;
    }
  }
  return "";
}

TEST_F(ScreenCaptureTest, TheMethodThatWorkedIsRememberedPerKindOfGraphic) {
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  {
    DisplayScript script;
    EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, graphic, 1), 0);
    EXPECT_EQ(DrawScreenGraphMethodMemo[0], 0) << "lock and convert works at once";
    EXPECT_EQ(FirstCopyCall(script), "IDirectDrawSurface7::Lock");
  }
  {
    // Locks fail: the blit is next in the table and works.
    DisplayScript script;
    script.FailAlways("IDirectDrawSurface7::Lock");
    EXPECT_EQ(GetDrawScreenGraphD3D(10, 10, 110, 30, graphic, 1), 0);
    EXPECT_EQ(DrawScreenGraphMethodMemo[0], 1);
  }
  ExpectCopied(graphic, 10, 10, 100, 20);
  {
    // Locks work again, but the blit is tried first now.
    DisplayScript script;
    EXPECT_EQ(GetDrawScreenGraphD3D(20, 20, 120, 40, graphic, 1), 0);
    EXPECT_EQ(FirstCopyCall(script), "IDirectDrawSurface7::BltFast");
    EXPECT_EQ(DrawScreenGraphMethodMemo[0], 1);
  }
  ExpectCopied(graphic, 20, 20, 100, 20);

  // A graphic with alpha keeps a memo of its own.
  NewGraphicAlphaTest = 1;
  const int32_t alpha = MakeEmptyGraphic(100, 20, 0);
  ASSERT_EQ(GetGraphicRecord(alpha)->settings.AlphaTestFlag, 1);
  EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, alpha, 1), 0);
  EXPECT_EQ(DrawScreenGraphMethodMemo[1], 0);
  EXPECT_EQ(DrawScreenGraphMethodMemo[0], 1) << "the plain memo is not disturbed";
}

TEST_F(ScreenCaptureTest, RefusedAndUnusableCapturesLeaveTheMemosAndThePixels) {
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  DrawScreenGraphMethodMemo[0] = 1;
  LogCapture log;
  EXPECT_EQ(GetDrawScreenGraphD3D(10, 0, 10, 20, graphic, 1), -1);
  EXPECT_EQ(DrawScreenGraphMethodMemo[0], -1) << "every method refused it";
  EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, -1, 1), -1);

  // While Direct3D cannot draw on the target the capture does nothing.
  D3DTargetUnusable = 1;
  EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, graphic, 1), 0);
  D3DTargetUnusable = 0;
  ExpectCopied(graphic, 0, 0, 0, 0);

  IDirect3D7* const saved = Direct3DObject;
  Direct3DObject = nullptr;
  EXPECT_EQ(GetDrawScreenGraphD3D(0, 0, 100, 20, graphic, 1), -1);
  Direct3DObject = saved;
}

TEST_F(ScreenCaptureTest, TheScreenCopyEntryTakesTheDirect3DSideForTextureGraphics) {
  const int32_t graphic = MakeEmptyGraphic(100, 20, 0);
  GraphicsReady = 1;
  EXPECT_EQ(CopyScreenToGraphic(30, 40, 130, 60, graphic, 1), 0);
  ExpectCopied(graphic, 30, 40, 100, 20);
}

struct SpareCase {
  const char* name;
  int32_t depth;
  uint32_t red, green, blue;
  uint32_t before;
  uint32_t after;
};

TEST_F(ScreenCaptureTest, SpareBitsAreSetInTheRectangleOnly) {
  const SpareCase cases[] = {
      {"5-5-5 in 16 bits", 16, 0x7C00, 0x03E0, 0x001F, 0x1234, 0x9234},
      {"5-6-5 has no spare bit", 16, 0xF800, 0x07E0, 0x001F, 0x1234, 0x1234},
      {"8-8-8 in 32 bits: the top byte", 32, 0xFF0000, 0xFF00, 0xFF, 0x00123456, 0xFF123456},
      {"10-10-10 in 32 bits", 32, 0x3FF00000, 0xFFC00, 0x3FF, 0x00123456, 0xC0123456},
      {"24-bit pixels are left alone", 24, 0xFF0000, 0xFF00, 0xFF, 0x123456, 0x123456},
  };
  for (const SpareCase& c : cases) {
    SCOPED_TRACE(c.name);
    ColorFormat format{};
    BuildColorFormatFromMasks(&format, c.depth, c.red, c.green, c.blue, 0);
    const int bytes = c.depth / 8;
    const int pitch = 8 * bytes;
    std::vector<uint8_t> pixels(static_cast<size_t>(pitch) * 4);
    for (int i = 0; i < 8 * 4; ++i) std::memcpy(&pixels[i * bytes], &c.before, bytes);
    // Corners in any order.
    const RECT rect{5, 3, 2, 1};
    EXPECT_EQ(SetSpareBitsInRect(&rect, pixels.data(), pitch, &format, 255), 0);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 8; ++x) {
        uint32_t value = 0;
        std::memcpy(&value, &pixels[y * pitch + x * bytes], bytes);
        const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
        EXPECT_EQ(value, inside ? c.after : c.before) << x << "," << y;
      }
    }
  }
}

}  // namespace
