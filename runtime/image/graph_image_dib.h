// Decoded images as GDI device-independent images and bitmaps: a GraphImage
// described as a top-down image of 8 or 24 bits, and a section bitmap made
// from such image bits (mirrored if asked).
#pragma once

#include <cstdint>

#include "platform/win32/gdi.h"

struct ColorFormat;
struct GraphImage;

// The description of a device-independent image with room behind the header
// for a whole colour table (an 8-bit image) or for the three masks of bit
// fields.
struct DibDescription {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];

  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};

// Describes `image` as a top-down device-independent image in `description`
// and puts its pixels at `*pixels`:
//   - a one-byte image (unless `force24` is 1): 8 bits, its palette as the
//     colour table;
//   - any other image, or a one-byte one with `force24`: 24 bits.
// Where the image's own rows already have the layout (a 24-bit 0xRRGGBB
// image, or a one-byte one, whose pitch is the row length rounded up to 4)
// and `copy` is not 1, the image's own pixels are handed out and the result
// is `copy`. Otherwise the rows are copied (or converted) into a new tracked
// block and the result is 1: the caller frees that block with FreeTracked.
// -1 when the block cannot be had, or for an image without pixels, width or
// height.
int GraphImageToDib(const GraphImage* image, DibDescription* description, void** pixels,
                    int32_t copy, int32_t force24);

// A section bitmap of the width and height that `info` gives, holding the
// image `bits` (laid out as `info` describes) drawn into it, mirrored left to
// right with `mirror` 1. Its layout: without `format`, 24 bits; with one, the
// format's depth, with the format's masks as bit fields for 16 bits and for
// 32 bits when `info` does not describe a 24-bit image (a 32-bit format over
// a 24-bit image makes a 24-bit bitmap). The bitmap, or null when it cannot
// be made (also for a format that is not 16, 24 or 32 bits deep, which would
// need a colour table).
HBITMAP CreateDibSectionFromBits(const BITMAPINFO* info, const void* bits, int32_t mirror,
                                 const ColorFormat* format);
