// The screen state, and the accessors and colour values read from it.
#include "runtime/graphics/state/screen_state.h"

#include <cstring>

#include "runtime/core/window_state.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"

ScreenState Screen;

namespace {

// The format screen pixel values are read in: the standard one of the asked
// depth while the screens are software images of another depth than the
// display's, else the screen's.
const ColorFormat* ScreenValueFormat() {
  const int32_t asked = GetScreenColorDepthDefault();
  if (Screen.MemImageRendering == 1 && asked != Screen.ScreenPixelDepth) {
    return GetStandardColorFormat(asked == 16 ? 0 : 1, 0, 0);
  }
  return &Screen.ScreenColorFormat;
}

int32_t Spread(uint32_t value, uint32_t mask, int shift, int width) {
  if (width == 0) return 0;
  const uint64_t top = (uint64_t{1} << width) - 1;
  return static_cast<int32_t>(((value & mask) >> shift) * 255 / top);
}

}  // namespace

uint32_t GetScreenColorValue(int32_t r, int32_t g, int32_t b) {
  if (Screen.ScreenPixelDepth == 8) {
    uint32_t best = 0;
    int64_t best_distance = -1;
    for (uint32_t i = 0; i < 256; ++i) {
      const int64_t dr = r - Screen.ScreenPaletteEntries[i][0];
      const int64_t dg = g - Screen.ScreenPaletteEntries[i][1];
      const int64_t db = b - Screen.ScreenPaletteEntries[i][2];
      const int64_t distance = dr * dr + dg * dg + db * db;
      if (best_distance < 0 || distance < best_distance) {
        best = i;
        best_distance = distance;
      }
    }
    return best;
  }
  if (Screen.MemImageRendering == 1) {
    const ColorFormat* format = GetStandardColorFormat(GetScreenColorDepthDefault() == 16 ? 0 : 1, 0, 0);
    return PackColor(format, r, g, b, 255);
  }
  return PackColor(&Screen.ScreenColorFormat, r, g, b, 255);
}
int GetColorOfScreenValue(uint32_t value, int32_t* r, int32_t* g, int32_t* b) {
  int32_t red, green, blue;
  if (Screen.ScreenPixelDepth == 8) {
    if (value > 255) return -1;
    red = Screen.ScreenPaletteEntries[value][0];
    green = Screen.ScreenPaletteEntries[value][1];
    blue = Screen.ScreenPaletteEntries[value][2];
  } else {
    const ColorFormat* format = ScreenValueFormat();
    red = Spread(value, format->red_mask, format->red_shift, format->red_width);
    green = Spread(value, format->green_mask, format->green_shift, format->green_width);
    blue = Spread(value, format->blue_mask, format->blue_shift, format->blue_width);
  }
  if (r != nullptr) *r = red;
  if (g != nullptr) *g = green;
  if (b != nullptr) *b = blue;
  return 0;
}
int SetNoTextureFlag(int32_t flag) {
  Screen.NoTextureFlag = Screen.HardwareAccelOff == 1 ? 1 : flag;
  return 0;
}
int32_t GetNoTextureFlag() { return Screen.NoTextureFlag; }
IDirectDraw7* GetDirectDrawObject() { return Screen.DirectDrawObject; }
IDirectDrawSurface7* GetScreenDrawSurface() {
  return Screen.VistaCompatMode != 0 ? Screen.TemporaryPrimarySurface : Screen.PrimarySurface;
}
IDirectDrawSurface7* GetDrawTargetSurface() { return Screen.DrawTargetSurface; }
int32_t IsDrawTargetFrontInWindow() {
  return GetWindowModeFlag() != 0 && Screen.DrawTargetSurface != nullptr &&
                 Screen.DrawTargetSurface == Screen.PrimarySurface
             ? 1
             : 0;
}
uint32_t BackgroundColor = 0;
int32_t DrawScreenGraphMethodMemo[2] = {-1, -1};

int CreateScreenMemImage(MEMIMG* image, int32_t width, int32_t height, int32_t kind) {
  std::memset(image, 0, sizeof(*image));
  if (kind == -1) kind = GetScreenColorDepthDefault() == 16 ? 0 : 1;
  return InitMemImage(image, width, height, -1, 0, kind, 0, 0, 0);
}
