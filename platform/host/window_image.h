// The window image both hosts keep: 32-bit XRGB pixels of the window's client
// size. Not locked: each host guards it with its own lock.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host/pixel.h"

class WindowImage {
 public:
  // Keeps the pixels that still fit; new ones are black.
  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  const uint32_t* pixels() const { return pixels_.data(); }
  const std::vector<uint32_t>& pixel_vector() const { return pixels_; }

  // Whether the rectangle covers the whole image.
  bool Covers(int x, int y, int width, int height) const;
  // Writes `src` scaled by nearest pixel onto the rectangle (x, y, width,
  // height), clipped to the image (see WriteScaledPixels). Returns true when
  // the rectangle covers the whole image, every pixel of which it then wrote.
  bool Write(int x, int y, int width, int height, const HostPixels& src);
  // Copies the rectangle into `dst`; parts outside the image stay untouched.
  void Read(int x, int y, int width, int height, uint32_t* dst, int dst_pitch) const;

  // Exchanges the pixels with `other`, which is first sized to the image:
  // the image's pixels are then undefined until a whole write.
  void SwapPixels(std::vector<uint32_t>* other);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};
