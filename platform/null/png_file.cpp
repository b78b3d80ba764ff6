#include "platform/null/png_file.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

// The libpng part, kept free of objects with destructors because libpng
// reports errors by longjmp. `row` holds width * 3 bytes.
bool WriteImage(FILE* file, const uint32_t* xrgb, int width, int height, png_byte* row) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = xrgb + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<png_byte>(src[x] >> 16);
      row[x * 3 + 1] = static_cast<png_byte>(src[x] >> 8);
      row[x * 3 + 2] = static_cast<png_byte>(src[x]);
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool WritePngFile(const std::string& path, const uint32_t* xrgb, int width, int height,
                  std::string* error) {
  if (width <= 0 || height <= 0) {
    *error = "no image to write to " + path;
    return false;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(width) * 3);
  const bool written = WriteImage(file, xrgb, width, height, row.data());
  if (std::fclose(file) != 0 || !written) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}
