#include "platform/host/pixel.h"

namespace {

uint32_t Widen5(uint32_t v) { return (v << 3) | (v >> 2); }
uint32_t Widen6(uint32_t v) { return (v << 2) | (v >> 4); }

}  // namespace

uint32_t ExpandRgb565(uint16_t pixel) {
  const uint32_t r = Widen5((pixel >> 11) & 0x1F);
  const uint32_t g = Widen6((pixel >> 5) & 0x3F);
  const uint32_t b = Widen5(pixel & 0x1F);
  return (r << 16) | (g << 8) | b;
}

uint32_t ExpandRgb555(uint16_t pixel) {
  const uint32_t r = Widen5((pixel >> 10) & 0x1F);
  const uint32_t g = Widen5((pixel >> 5) & 0x1F);
  const uint32_t b = Widen5(pixel & 0x1F);
  return (r << 16) | (g << 8) | b;
}
