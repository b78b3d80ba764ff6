// The constant-colour pixel operations of each blend mode.
#include "runtime/softrender/solid_pixel.h"

#include "runtime/graphics/state/draw_state.h"
#include "runtime/softrender/blend_tables.h"

bool PrepareSolidColor(int32_t kind, uint32_t color, SolidColor* solid, SolidTint tint) {
  int32_t mode = BlendMode;
  const int32_t param = BlendParam < 0 ? 0 : (BlendParam > 255 ? 255 : BlendParam);
  if (mode < 0 || mode > 4) return false;
  if (mode >= 1 && mode <= 3 && param == 0) return false;
  if (mode == 1 && param == 255) mode = 0;

  const uint32_t br = (DrawBrightness >> 16) & 0xFF;
  const uint32_t bg = (DrawBrightness >> 8) & 0xFF;
  const uint32_t bb = DrawBrightness & 0xFF;
  const bool white = (DrawBrightness & 0xFFFFFFu) == 0xFFFFFFu;
  const int32_t* scale = ScaleTable[param];
  auto tinted = [tint](uint32_t c, uint32_t level) {
    return tint == SolidTint::kShift8 ? (c * level) >> 8
                                      : static_cast<uint32_t>(ScaleTable[level][c]);
  };
  if (kind == 1) {
    if (!white) {
      color = (color & 0xFF000000u) | PackChannels(tinted(Channel(color, 16), br),
                                                   tinted(Channel(color, 8), bg),
                                                   tinted(Channel(color, 0), bb));
    }
    solid->amount = PackChannels(static_cast<uint32_t>(scale[Channel(color, 16)]),
                                 static_cast<uint32_t>(scale[Channel(color, 8)]),
                                 static_cast<uint32_t>(scale[Channel(color, 0)]));
  } else {
    Fields16 f = SplitFields(color);
    if (!white) {
      f = {static_cast<int32_t>(tinted(static_cast<uint32_t>(f.r), br)),
           static_cast<int32_t>(tinted(static_cast<uint32_t>(f.g), bg)),
           static_cast<int32_t>(tinted(static_cast<uint32_t>(f.b), bb))};
    }
    color = PackFields(f.r, f.g, f.b);
    solid->amount = PackFields(scale[f.r], scale[f.g], scale[f.b]);
  }
  solid->mode = mode;
  solid->param = param;
  solid->color = color;
  solid->delta_param = SignedScaleRow(param);
  return true;
}
