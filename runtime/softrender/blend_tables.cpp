// The lookup tables every software blit reads, and their builders.
#include "runtime/softrender/blend_tables.h"

uint8_t BlendLerpTable[64 * 64 * 64];
int32_t ScaleTable[256][256];
int32_t SignedScaleTable[256][512];
uint8_t BlendGraphicTable[256];

void BuildSoftwareRenderTables() {
  for (int32_t r = 0; r < 256; ++r) {
    for (int32_t k = 0; k < 511; ++k) SignedScaleTable[r][k] = (k - 255) * r / 255;
    SignedScaleTable[r][511] = 0;
  }
  for (int32_t r = 0; r < 256; ++r) {
    for (int32_t v = 0; v < 256; ++v) ScaleTable[r][v] = v * r / 255;
  }
  for (int32_t level = 0; level < 64; ++level) {
    for (int32_t source = 0; source < 64; ++source) {
      for (int32_t dest = 0; dest < 64; ++dest) {
        BlendLerpTable[level * 4096 + source * 64 + dest] =
            static_cast<uint8_t>((source * level + dest * (63 - level)) / 63);
      }
    }
  }
}

void BuildBlendGraphicTable(int32_t param, int32_t range) {
  const int32_t n = range + 1;
  const int32_t base = 256 - ((65536 / n + 256) * param) / 256;
  for (int32_t i = 0; i < 256; ++i) {
    int32_t value = i * 256 / n + base;
    if (value < 0) value = 0;
    if (value > 255) value = 255;
    BlendGraphicTable[i] = static_cast<uint8_t>(value);
  }
}
