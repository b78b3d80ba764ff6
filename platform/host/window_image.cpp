#include "platform/host/window_image.h"

#include <algorithm>

void WindowImage::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  std::vector<uint32_t> resized(static_cast<size_t>(width) * height, 0);
  for (int y = 0; y < std::min(height, height_); ++y) {
    std::copy_n(&pixels_[static_cast<size_t>(y) * width_], std::min(width, width_),
                &resized[static_cast<size_t>(y) * width]);
  }
  pixels_.swap(resized);
  width_ = width;
  height_ = height;
}

bool WindowImage::Covers(int x, int y, int width, int height) const {
  return width_ > 0 && height_ > 0 && x <= 0 && y <= 0 && int64_t{x} + width >= width_ &&
         int64_t{y} + height >= height_;
}

bool WindowImage::Write(int x, int y, int width, int height, const HostPixels& src) {
  if (width <= 0 || height <= 0 || src.width <= 0 || src.height <= 0) return false;
  WriteScaledPixels(pixels_.data(), width_, height_, width_, x, y, width, height, src);
  return Covers(x, y, width, height);
}

void WindowImage::Read(int x, int y, int width, int height, uint32_t* dst, int dst_pitch) const {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<int64_t>(int64_t{x} + width, width_));
  const int y1 = static_cast<int>(std::min<int64_t>(int64_t{y} + height, height_));
  if (x0 >= x1) return;
  for (int sy = y0; sy < y1; ++sy) {
    std::copy_n(&pixels_[static_cast<size_t>(sy) * width_ + x0], x1 - x0,
                dst + static_cast<ptrdiff_t>(sy - y) * dst_pitch + (x0 - x));
  }
}

void WindowImage::SwapPixels(std::vector<uint32_t>* other) {
  other->resize(pixels_.size());
  pixels_.swap(*other);
}
