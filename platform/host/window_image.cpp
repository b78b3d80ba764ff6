#include "platform/host/window_image.h"

#include <algorithm>

void WindowImage::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<uint32_t> resized(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < std::min(height, height_); ++y) {
    std::copy_n(&pixels_[static_cast<size_t>(y) * width_], std::min(width, width_),
                &resized[static_cast<size_t>(y) * width]);
  }
  pixels_.swap(resized);
  width_ = width;
  height_ = height;
}

bool WindowImage::Write(int x, int y, int width, int height, const uint32_t* src, int src_width,
                        int src_height, int src_pitch) {
  if (width <= 0 || height <= 0 || src_width <= 0 || src_height <= 0) return false;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, width_), y1 = std::min(y + height, height_);
  for (int dy = y0; dy < y1; ++dy) {
    const int sy = static_cast<int>(static_cast<int64_t>(dy - y) * src_height / height);
    const uint32_t* src_row = src + static_cast<size_t>(sy) * src_pitch;
    uint32_t* dst_row = &pixels_[static_cast<size_t>(dy) * width_];
    for (int dx = x0; dx < x1; ++dx) {
      dst_row[dx] = src_row[static_cast<int64_t>(dx - x) * src_width / width] & 0xFFFFFF;
    }
  }
  return width_ > 0 && height_ > 0 && x <= 0 && y <= 0 && x + width >= width_ &&
         y + height >= height_;
}

void WindowImage::Read(int x, int y, int width, int height, uint32_t* dst, int dst_pitch) const {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + width, width_), y1 = std::min(y + height, height_);
  for (int sy = y0; sy < y1; ++sy) {
    for (int sx = x0; sx < x1; ++sx) {
      dst[static_cast<size_t>(sy - y) * dst_pitch + (sx - x)] =
          pixels_[static_cast<size_t>(sy) * width_ + sx];
    }
  }
}
