// The display the DirectDraw and GDI stand-ins share: its current mode, the
// modes it can be switched to, the vertical blank, the pixel conversions
// between surface formats and the host's XRGB window image, and the test
// seam that can make any display call fail.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32/types.h"

struct DisplayMode {
  int width;
  int height;
  int bits;     // 16 or 32 (the desktop may report another depth)
  int refresh;  // Hz
};

// The display's current mode; the desktop's until a change.
DisplayMode CurrentDisplayMode();
// The host's desktop mode (refresh 60).
DisplayMode DesktopDisplayMode();
// Every mode the display accepts, smallest first, 16-bit before 32-bit.
std::vector<DisplayMode> ListedDisplayModes();
// Whether (width, height, bits) is listed; a refresh of 0 means the default,
// any other must be 60.
bool IsListedDisplayMode(int width, int height, int bits, int refresh);
// Makes `mode` current (refresh 0: 60). When it differs from the current one,
// WM_DISPLAYCHANGE is posted to every top-level window. False for a mode that
// is not listed.
bool SetCurrentDisplayMode(const DisplayMode& mode);
// Back to the desktop's mode (posting WM_DISPLAYCHANGE when that changes it).
void RestoreDesktopDisplayMode();

// The host window's client area on the desktop and whether there is one.
bool HostWindowClientRect(RECT* rect);

// Pixel layouts of surfaces: bits per pixel and the three channel masks.
struct PixelLayout {
  int bits;  // 8, 16 or 32
  uint32_t red_mask;
  uint32_t green_mask;
  uint32_t blue_mask;
};
// The display's layout: 5-6-5 at 16 bits, X8R8G8B8 at 32.
PixelLayout DisplayPixelLayout(int bits);
// A pixel of `layout` as XRGB, each channel widened exactly by repeating its
// top bits (5-6-5 and 5-5-5 through the host's expansion helpers).
uint32_t PixelToXrgb(const PixelLayout& layout, uint32_t pixel);
// An XRGB colour in `layout`: the top bits of each channel.
uint32_t XrgbToPixel(const PixelLayout& layout, uint32_t xrgb);

// The test seam behind DisplayCallFails (see ddraw.h).
HRESULT DisplayCallFault(const char* call);
