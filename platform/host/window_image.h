// The window image both hosts keep: 32-bit XRGB pixels of the window's client
// size. Not locked: each host guards it with its own lock.
#pragma once

#include <cstdint>
#include <vector>

class WindowImage {
 public:
  // Keeps the pixels that still fit; new ones are black.
  void Resize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  const uint32_t* pixels() const { return pixels_.data(); }
  const std::vector<uint32_t>& pixel_vector() const { return pixels_; }

  // Writes `src` (src_width x src_height XRGB, `src_pitch` pixels a row)
  // scaled by nearest pixel onto the rectangle (x, y, width, height), clipped
  // to the image. Returns true when the rectangle covers the whole image.
  bool Write(int x, int y, int width, int height, const uint32_t* src, int src_width,
             int src_height, int src_pitch);
  // Copies the rectangle into `dst`; parts outside the image stay untouched.
  void Read(int x, int y, int width, int height, uint32_t* dst, int dst_pitch) const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};
