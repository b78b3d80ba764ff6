#include "platform/win32/window_icons.h"

#include <array>

namespace {

constexpr int kIconSize = 32;
using IconImage = std::array<uint32_t, kIconSize * kIconSize>;

// A plain window picture: a white page with a blue title bar.
IconImage MakeApplicationIcon() {
  IconImage image{};
  for (int y = 2; y < 30; ++y) {
    for (int x = 2; x < 30; ++x) {
      const bool edge = x == 2 || x == 29 || y == 2 || y == 29;
      image[y * kIconSize + x] = edge ? 0xFF404040u : y < 8 ? 0xFF2050C0u : 0xFFFFFFFFu;
    }
  }
  return image;
}

// The program's own icon: a green gem on a transparent background.
IconImage MakeProgramIcon() {
  IconImage image{};
  for (int y = 0; y < kIconSize; ++y) {
    for (int x = 0; x < kIconSize; ++x) {
      const int dx = x * 2 - 31, dy = y * 2 - 31;
      const int distance = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
      if (distance > 56) continue;
      const uint32_t light = distance < 20 ? 0xFFB0F0B0u : distance < 44 ? 0xFF30B050u : 0xFF106020u;
      image[y * kIconSize + x] = light;
    }
  }
  return image;
}

const IconImage& ApplicationIcon() {
  static const IconImage image = MakeApplicationIcon();
  return image;
}

const IconImage& ProgramIcon() {
  static const IconImage image = MakeProgramIcon();
  return image;
}

}  // namespace

HICON IconHandle(IconKind kind) {
  return reinterpret_cast<HICON>(static_cast<uintptr_t>(0x7000 + kind * 4));
}

const uint32_t* IconPixels(HICON icon, int* width, int* height) {
  const IconImage* image = nullptr;
  if (icon == IconHandle(kApplicationIcon)) image = &ApplicationIcon();
  if (icon == IconHandle(kProgramIcon)) image = &ProgramIcon();
  if (image == nullptr) return nullptr;
  *width = kIconSize;
  *height = kIconSize;
  return image->data();
}
