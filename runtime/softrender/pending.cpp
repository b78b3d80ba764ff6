// Software front ends whose bodies are not written yet: each refuses until
// it lands.
#include "runtime/softrender/soft_front.h"

int DrawGraphicStretchedSoft(int32_t, int32_t, int32_t, int32_t, const GraphicRecord*, int32_t,
                             int32_t, int32_t) {
  return -1;
}
int SetupMemImageTriangle(const TriangleVertex*, const GraphicRecord*, int32_t, uint32_t) {
  return -1;
}
int DrawMemImageQuad(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                     const GraphicRecord*, int32_t) {
  return -1;
}
int DrawGraphicFourCornersSoft(float, float, float, float, float, float, float, float,
                               const GraphicRecord*, int32_t) {
  return -1;
}
int DrawFilledBoxSoft(int32_t, int32_t, int32_t, int32_t, uint32_t) { return -1; }
int DrawBoxOutlineSoft(int32_t, int32_t, int32_t, int32_t, uint32_t) { return -1; }
void DrawMemImageLines(MEMIMG*, const LineRecord*, int32_t) {}
