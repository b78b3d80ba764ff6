// DirectDraw stand-in declarations. For now only the pixel-format record
// that the colour formats are built from and turned into; the surfaces and
// the DirectDraw object are added by the DirectDraw stand-in.
#pragma once

#include "platform/win32/types.h"

// DDPIXELFORMAT.dwFlags: the format is a packed RGB layout described by its
// bit count and channel masks.
constexpr DWORD DDPF_RGB = 0x00000040;

// A surface's pixel layout: 32 bytes, eight 32-bit words.
struct DDPIXELFORMAT {
  DWORD dwSize;             // 32
  DWORD dwFlags;            // DDPF_*
  DWORD dwFourCC;           // four-character code of a non-RGB layout
  DWORD dwRGBBitCount;      // bits per pixel
  DWORD dwRBitMask;         // red bits of a pixel
  DWORD dwGBitMask;         // green bits
  DWORD dwBBitMask;         // blue bits
  DWORD dwRGBAlphaBitMask;  // alpha bits
};
static_assert(sizeof(DDPIXELFORMAT) == 32);
