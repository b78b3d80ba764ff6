// Graphics operations that other parts already call but whose own code is not
// written yet. Each is removed from here when its real body lands.
#include "runtime/graphics/d3d_draw.h"
#include "runtime/graphics/font.h"

// Direct3D text from a font's texture cache, and that cache itself: fonts
// keep their glyphs in software caches until the texture cache is written.
int DrawStringWithFontCache(int32_t, int32_t, const char*, uint32_t, int32_t, uint32_t, int32_t) {
  return -1;
}
int PrepareFontTextureCache(int32_t) { return -1; }
