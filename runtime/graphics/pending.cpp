// Graphics operations that other parts already call but whose own code is not
// written yet. Each is removed from here when its real body lands.
#include "runtime/graphics/d3d_device.h"
#include "runtime/graphics/d3d_draw.h"
#include "runtime/graphics/d3d_start.h"
#include "runtime/graphics/ddraw_screen.h"
#include "runtime/graphics/graphic_load.h"
#include "runtime/graphics/graphic.h"
#include "runtime/graphics/graphics_system.h"
#include "runtime/graphics/present.h"
#include "runtime/graphics/screen_capture.h"
#include "runtime/graphics/screen_state.h"
#include "runtime/graphics/subtractive_blend.h"
#include "runtime/graphics/surface_2d.h"
#include "runtime/graphics/font.h"
#include "runtime/graphics/texture.h"

// Direct3D start and end: Direct3D never runs yet, so there is nothing to
// release or to take again around a screen rebuild.
int InitializeDirect3D() { return -1; }
int TerminateDirect3D() { return -1; }
int ReleaseDirect3D() { return 0; }
int AcquireDirect3DObject() { return -1; }

// Screen capture: no Direct3D side yet; spare bits are left as they are.
int GetDrawScreenGraphD3D(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return -1; }
int SetSpareBitsInRect(const RECT*, void*, int32_t, const ColorFormat*, uint32_t) { return -1; }
// Direct3D drawing of texture graphics, clearing a texture draw target and
// the subtractive blend: none yet.
int ClearDrawScreenD3D() { return -1; }
int DrawGraphicD3D(int32_t, int32_t, const GraphicRecord*, int32_t, int32_t) { return -1; }
int DrawGraphicStretchedD3D(int32_t, int32_t, int32_t, int32_t, const GraphicRecord*, int32_t,
                            int32_t) {
  return -1;
}
int DrawGraphicFourCornersD3D(float, float, float, float, float, float, float, float,
                              const GraphicRecord*, int32_t) {
  return -1;
}
int InvertBoxThenAddMode(int32_t, int32_t, int32_t, int32_t) { return -1; }
int InvertBoxThenSubMode(int32_t, int32_t, int32_t, int32_t) { return -1; }

// Direct3D text and boxes, and the texture glyph cache of fonts: none while
// Direct3D does not run.
int DrawStringWithFontCache(int32_t, int32_t, const char*, uint32_t, int32_t, uint32_t, int32_t) {
  return -1;
}
int DrawBoxD3D(int32_t, int32_t, int32_t, int32_t, uint32_t, int32_t) { return -1; }
int PrepareFontTextureCache(int32_t) { return -1; }
