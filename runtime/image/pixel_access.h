// Reading and writing one packed pixel of 1 to 4 bytes, low byte first
// (a 3-byte pixel: the low 16 bits, then bits 16 to 23).
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

inline uint32_t ReadPixelBytes(const uint8_t* pixel, int bytes) {
  switch (bytes) {
    case 1:
      return pixel[0];
    case 2:
      return uint32_t{pixel[0]} | (uint32_t{pixel[1]} << 8);
    case 3:
      return uint32_t{pixel[0]} | (uint32_t{pixel[1]} << 8) | (uint32_t{pixel[2]} << 16);
    default:
      return uint32_t{pixel[0]} | (uint32_t{pixel[1]} << 8) | (uint32_t{pixel[2]} << 16) |
             (uint32_t{pixel[3]} << 24);
  }
}

inline void WritePixelBytes(uint8_t* pixel, int bytes, uint32_t value) {
  pixel[0] = static_cast<uint8_t>(value);
  if (bytes >= 2) pixel[1] = static_cast<uint8_t>(value >> 8);
  if (bytes >= 3) pixel[2] = static_cast<uint8_t>(value >> 16);
  if (bytes >= 4) pixel[3] = static_cast<uint8_t>(value >> 24);
}

// The same for a size known at compile time: one store where the machine
// keeps its low byte first.
template <int kBytes>
inline void WritePixelBytesOf(uint8_t* pixel, uint32_t value) {
  if constexpr (std::endian::native == std::endian::little && kBytes == 2) {
    const uint16_t low = static_cast<uint16_t>(value);
    std::memcpy(pixel, &low, 2);
  } else if constexpr (std::endian::native == std::endian::little && kBytes == 4) {
    std::memcpy(pixel, &value, 4);
  } else {
    WritePixelBytes(pixel, kBytes, value);
  }
}
