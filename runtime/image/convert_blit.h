// Copying a rectangle of pixels between two buffers of any two pixel
// formats: every transfer of image data into a surface, a texture or a
// software image goes through ConvertImageBlit.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
// MmxUsableFlag: with it set the 5-6-5 / 5-5-5 loops take four pixels a step.
#include "runtime/core/system_info.h"

struct ColorFormat;

// Converts the source rectangle (right and bottom exclusive) of
// `source_pixels` into `dest_pixels` with its top-left at (dest_x, dest_y),
// each buffer read and written with its own pitch and format. The caller
// sees to it that both (and the alpha image) hold the whole rectangle; a
// rectangle or destination point left of or above its buffer's first row is
// refused.
//   alpha image:     a second source of the source's size supplying alpha
//                    (its blue channel; a one-byte image through its
//                    palette), or null pixels / null format;
//   mirror:          write the rectangle mirrored left to right;
//   alpha_from_key:  destination alpha 0 where the source colour is
//                    `key_color` (0x00RRGGBB), full elsewhere;
//   dither:          channels that lose bits are dithered (4 x 4 ordered);
//   general_only:    any non-zero value takes the general conversion, and a
//                    one-byte destination is then converted to rather than
//                    copied by index;
//   no_key_alpha:    any non-zero value takes the general conversion; 1
//                    cancels alpha_from_key;
//   key_copy:        source pixels whose raw value is `key_color` are not
//                    written.
// Returns 0, or for a copy of one-byte indexes the largest index copied.
int ConvertImageBlit(void* dest_pixels, int32_t dest_pitch, const ColorFormat* dest_format,
                     const void* source_pixels, int32_t source_pitch,
                     const ColorFormat* source_format, const void* alpha_pixels,
                     int32_t alpha_pitch, const ColorFormat* alpha_format, int32_t dest_x,
                     int32_t dest_y, const RECT* source_rect, int mirror, int alpha_from_key,
                     uint32_t key_color, int dither, int general_only, int no_key_alpha,
                     int key_copy);
