// The colour-format entries. They take no library lock: runtime code calls
// them from inside locked work, and they touch only the caller's record.
#include "runtime/image/color_format.h"
#include "runtime/system/api_runtime.h"

int32_t ApiBuildColorFormatFromMasks(ColorFormat* format, int32_t bit_depth, uint32_t red_mask,
                                     uint32_t green_mask, uint32_t blue_mask,
                                     uint32_t alpha_mask) {
  return BuildColorFormatFromMasks(format, bit_depth, red_mask, green_mask, blue_mask,
                                   alpha_mask);
}

int32_t ApiBuildDDPixelFormat(DDPIXELFORMAT* pixel_format, int32_t bit_count, uint32_t red_mask,
                              uint32_t green_mask, uint32_t blue_mask, uint32_t alpha_mask) {
  return BuildDDPixelFormat(pixel_format, bit_count, red_mask, green_mask, blue_mask, alpha_mask);
}
