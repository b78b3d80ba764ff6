// What a device context draws on, for the stand-ins that hand out device
// contexts of their own (DirectDraw surfaces).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/host/pixel.h"
#include "platform/win32/gdi.h"

// Pixels seen as XRGB. Rectangles given to Read and Write lie inside
// (0, 0, Width(), Height()).
class GdiTarget {
 public:
  virtual ~GdiTarget() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int BitsPerPixel() const = 0;
  virtual void Read(const RECT& rect, uint32_t* xrgb, int pitch) = 0;
  virtual void Write(const RECT& rect, const uint32_t* xrgb, int pitch) = 0;
  // Writes `src` scaled by nearest pixel onto the rectangle (x, y, width,
  // height), clipped to the target. By default in one XRGB block through
  // Write; a target that takes such images directly does better.
  virtual void WritePixels(int x, int y, int width, int height, const HostPixels& src);
};

// A device context over `target`, until DeleteTargetDC.
HDC CreateTargetDC(std::shared_ptr<GdiTarget> target);
// False when `dc` is not a device context made by CreateTargetDC.
bool DeleteTargetDC(HDC dc);
