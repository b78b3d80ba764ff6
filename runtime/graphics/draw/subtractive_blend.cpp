// The first and last pass of the subtractive blend on the Direct3D road.
#include "runtime/graphics/draw/subtractive_blend.h"

#include "runtime/graphics/d3d/d3d_draw.h"
#include "runtime/graphics/records/d3d_device.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/state/screen_state.h"

namespace {

// Draws a white box in blend mode 3 at full strength (the destination
// becomes its inverse), with the caller's brightness kept aside, and ends in
// `mode` with the caller's blend parameter.
int InvertBoxThenMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t mode) {
  if (GetD3DDeviceRecord(CurrentD3DDevice) == nullptr) return -1;
  const uint32_t white = GetScreenColorValue(255, 255, 255);
  const uint32_t brightness = DrawBrightness;
  const int32_t param = BlendParam;
  const bool brightness_changed = DrawBrightness != 0xFFFFFF;
  if (brightness_changed) {
    DrawBrightness = 0xFFFFFF;
    UpdateD3DDiffuseColor();
  }
  if (DrawInhibitFlag == 0 && (BlendMode != 3 || BlendParam != 255)) {
    BlendMode = 3;
    BlendParam = 255;
    UpdateD3DDiffuseColor();
  }
  DrawFilledBoxD3D(x1, y1, x2, y2, white);
  if (brightness_changed) {
    DrawBrightness = brightness;
    UpdateD3DDiffuseColor();
  }
  ChangeBlendMode(mode, param);
  return 0;
}

}  // namespace

int InvertBoxThenAddMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  // The caller's graphic goes on adding, scaled by its parameter.
  return InvertBoxThenMode(x1, y1, x2, y2, 5);
}

int InvertBoxThenSubMode(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  return InvertBoxThenMode(x1, y1, x2, y2, 3);
}
