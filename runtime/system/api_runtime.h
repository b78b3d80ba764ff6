// API entries whose arguments or results are runtime types. Runtime code
// only: game code reaches the runtime through runtime/core/api.h.
#pragma once

#include <cstdint>

struct ColorFormat;
struct DDPIXELFORMAT;
struct RECT;
struct ScreenState;

// The address of the screen's state block.
ScreenState* ApiGetScreenStateBlock();

// Entries that take no lock (runtime code calls them from inside locked
// work); they forward to the colour-format builders.
// Fills `format` from a bit depth and the red, green, blue and alpha masks. 0.
int32_t ApiBuildColorFormatFromMasks(ColorFormat* format, int32_t bit_depth, uint32_t red_mask,
                                     uint32_t green_mask, uint32_t blue_mask,
                                     uint32_t alpha_mask);
// Clears `pixel_format` and describes an RGB layout of `bit_count` bits with
// the four masks in it. 0.
int32_t ApiBuildDDPixelFormat(DDPIXELFORMAT* pixel_format, int32_t bit_count, uint32_t red_mask,
                              uint32_t green_mask, uint32_t blue_mask, uint32_t alpha_mask);
// Clips `rect` in place to `clip` (right and bottom exclusive); an empty
// result has zero width or height. 0.
int32_t ApiClipRect(RECT* rect, const RECT* clip);
