// 16-bit pixel expansion to 8-bit RGB. Each channel is widened exactly by
// repeating its top bits (5 bits: v<<3 | v>>2; 6 bits: v<<2 | v>>4), so full
// intensity becomes 255 and zero stays 0.
#pragma once

#include <cstdint>

// 5-6-5 (red in bits 11-15, green 5-10, blue 0-4) to XRGB 0x00RRGGBB.
uint32_t ExpandRgb565(uint16_t pixel);
// 5-5-5 (red in bits 10-14, green 5-9, blue 0-4; bit 15 ignored) to XRGB.
uint32_t ExpandRgb555(uint16_t pixel);
