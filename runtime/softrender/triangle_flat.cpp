// Triangle spans of one colour, onto 32-bit and 16-bit destinations: each
// pixel gets the constant-colour operation of the blend mode.
#include "runtime/softrender/solid_pixel.h"
#include "runtime/softrender/triangle_internal.h"

void TriangleFlat32(const TriangleCall& c) {
  WithSolidMode(c.solid, [&]<int kMode>() {
    WalkFlatTriangle<4>(c, [&](uint8_t* d) { SolidPixel32<kMode>(c.solid, d); });
  });
}

void TriangleFlat16(const TriangleCall& c) {
  WithSolidMode(c.solid, [&]<int kMode>() {
    WalkFlatTriangle<2>(c, [&](uint8_t* d) { SolidPixel16<kMode>(c.solid, d); });
  });
}
