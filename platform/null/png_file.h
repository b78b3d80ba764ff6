// Writes an XRGB image as an 8-bit RGB PNG file (libpng).
#pragma once

#include <cstdint>
#include <string>

bool WritePngFile(const std::string& path, const uint32_t* xrgb, int width, int height,
                  std::string* error);
