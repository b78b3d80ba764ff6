// The BMP, BGRA, TGA and DDS decoders and the loader tables.
#include "runtime/image/image_decoder.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "runtime/core/file_access.h"
#include "runtime/image/color_format.h"
#include "runtime/image/image_decoder_internal.h"

const ImageLoader ImageLoaderTable[7] = {LoadBmpImage, LoadJpegImage, LoadPngImage, LoadBgraImage,
                                         LoadTgaImage, LoadDdsImage,  nullptr};

ImageLoader UserImageLoaderTable[kUserImageLoaderMax] = {};
int32_t UserImageLoaderCount = 0;

const DdsFormatRow DdsFormatTable[15] = {
    {20, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {21, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000},
    {22, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {23, 16, 0xF800, 0x7E0, 0x1F, 0},
    {24, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {25, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {26, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {27, 8, 0xE0, 0x1C, 0x3, 0},
    {29, 16, 0xE0, 0x1C, 0x3, 0xFF00},
    {30, 16, 0xF00, 0xF0, 0xF, 0},
    {31, 32, 0x3FF, 0x000FFC00, 0x3FF00000, 0xC0000000},
    {32, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000},
    {33, 32, 0xFF, 0xFF00, 0xFF0000, 0},
    {35, 32, 0x3FF00000, 0x000FFC00, 0x3FF, 0xC0000000},
    {0xFFFFFFFFu, 0, 0, 0, 0, 0},
};

// ---- Shared helpers -------------------------------------------------------------------

int64_t ImageStream::Size() {
  if (stream->functions.Seek(stream->handle, 0, 2) != 0) return -1;
  const int64_t size = stream->functions.Tell(stream->handle);
  if (stream->functions.Seek(stream->handle, 0, 0) != 0) return -1;
  return size;
}

int64_t ImageStream::Tell() { return stream->functions.Tell(stream->handle); }

bool ImageStream::SeekTo(int64_t position) {
  if (position < 0) return false;
  if (stream->functions.Seek(stream->handle, position, 0) != 0) return false;
  return stream->functions.Tell(stream->handle) == position;
}

bool ImageStream::ReadExact(void* buffer, int64_t bytes) {
  if (bytes < 0) return false;
  if (bytes == 0) return true;
  // Element size 1, so that the count is the number of bytes delivered for
  // every kind of stream.
  const size_t wanted = static_cast<size_t>(bytes);
  return stream->functions.Read(buffer, 1, wanted, stream->handle) == wanted;
}

bool ImageSizeAccepted(int64_t width, int64_t height) {
  return width >= 1 && height >= 1 && width <= kImageMaxSide && height <= kImageMaxSide &&
         width * height <= kImageMaxPixels;
}

TrackedBytes AllocImageBytes(int64_t bytes, bool cleared) {
  if (bytes < 1 || bytes > INT32_MAX) return TrackedBytes();
  void* block = cleared ? AllocTrackedCleared(static_cast<size_t>(bytes), __FILE__, __LINE__)
                        : AllocTracked(static_cast<size_t>(bytes), __FILE__, __LINE__);
  return TrackedBytes(static_cast<uint8_t*>(block));
}

void HandOverImage(GraphImage* image, const ColorFormat& format, int32_t width, int32_t height,
                   int32_t pitch, TrackedBytes pixels) {
  image->format = format;
  image->width = width;
  image->height = height;
  image->pitch = pitch;
  image->pixels = pixels.release();
}

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

// ---- BMP ------------------------------------------------------------------------------

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiRle8 = 1;
constexpr uint32_t kBiRle4 = 2;
constexpr uint32_t kBiBitfields = 3;

// A channel of a bit-field pixel spread over 8 bits the way a display
// conversion does: fewer bits are repeated downwards (5 bits v become
// v << 3 | v >> 2), more bits keep their top 8.
struct FieldChannel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  explicit FieldChannel(uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      width = std::countr_one(m >> shift);
    }
  }
  uint8_t Expand(uint32_t pixel) const {
    if (width == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift & ((width >= 32) ? 0xFFFFFFFFu : (1u << width) - 1);
    if (width >= 8) return static_cast<uint8_t>(v >> (width - 8));
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
      out = (out << width) | v;
      filled += width;
    }
    return static_cast<uint8_t>(out >> (filled - 8));
  }
};

// The run-length coded pixel data of an 8-bit or 4-bit bitmap into one index
// byte per pixel (rows `pitch` bytes apart); with `out` null the data is only
// checked. A line holds `padded_width` pixels, the pixels of a row of the
// uncompressed file, as encoders pad their runs: pixels past the width are
// dropped. False for data that ends before the end-of-bitmap code, writes or
// moves past a padded line or the last line, or names an index past the
// palette.
bool DecodeBmpRle(const uint8_t* data, size_t size, int32_t width, int64_t padded_width,
                  int32_t height, bool bottom_up, bool four_bit, uint32_t entries, uint8_t* out,
                  int32_t pitch) {
  size_t i = 0;
  int64_t x = 0;
  int64_t line = 0;
  auto put = [&](uint32_t index) {
    if (x >= padded_width || line >= height) return false;
    if (x < width) {
      if (index >= entries) return false;
      const int64_t row = bottom_up ? height - 1 - line : line;
      if (out != nullptr) out[row * pitch + x] = static_cast<uint8_t>(index);
    }
    ++x;
    return true;
  };
  auto nibble = [](uint8_t byte, int32_t k) { return (k & 1) ? (byte & 0x0Fu) : (byte >> 4u); };

  for (;;) {
    if (size - i < 2) return false;
    const uint8_t count = data[i];
    const uint8_t code = data[i + 1];
    i += 2;
    if (count > 0) {
      for (int32_t k = 0; k < count; ++k)
        if (!put(four_bit ? nibble(code, k) : code)) return false;
    } else if (code == 0) {  // end of line
      x = 0;
      ++line;
      if (line > height) return false;
    } else if (code == 1) {  // end of bitmap
      return true;
    } else if (code == 2) {  // move on
      if (size - i < 2) return false;
      x += static_cast<int8_t>(data[i]);
      line += static_cast<int8_t>(data[i + 1]);
      i += 2;
      if (x < 0 || x > padded_width || line < 0 || line > height) return false;
    } else {  // `code` pixels given one by one
      const size_t bytes = four_bit ? (code + 1u) / 2u : code;
      if (size - i < bytes) return false;
      for (int32_t k = 0; k < code; ++k)
        if (!put(four_bit ? nibble(data[i + k / 2], k) : data[i + k])) return false;
      i += bytes;
      if (i & 1) ++i;  // on to an even position
      if (i > size) return false;
    }
  }
}

}  // namespace

int LoadBmpImage(StreamSource* source, GraphImage* image) {
  ImageStream stream{source};
  const int64_t size = stream.Size();
  uint8_t file_header[14];
  if (size < 0 || !stream.ReadExact(file_header, sizeof(file_header))) return -1;
  if (file_header[0] != 'B' || file_header[1] != 'M') return -1;
  const int64_t data_offset = U32(file_header + 10);

  uint8_t info[40];
  if (!stream.ReadExact(info, sizeof(info))) return -1;
  const int64_t header_size = U32(info);
  const int32_t width = S32(info + 4);
  const int32_t raw_height = S32(info + 8);
  const uint16_t bits = U16(info + 14);
  const uint32_t compression = U32(info + 16);
  const uint32_t colors_used = U32(info + 32);
  if (header_size < 40 || raw_height == INT32_MIN) return -1;
  const bool bottom_up = raw_height > 0;
  const int32_t height = std::abs(raw_height);
  if (!ImageSizeAccepted(width, height)) return -1;

  switch (compression) {
    case kBiRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return -1;
      break;
    case kBiRle8:
      if (bits != 8) return -1;
      break;
    case kBiRle4:
      if (bits != 4) return -1;
      break;
    case kBiBitfields:
      if (bits != 16 && bits != 32) return -1;
      break;
    default:
      return -1;
  }

  // The colour table follows the info header; only the entries the file has
  // are taken, and every index must name one of them.
  ColorPaletteEntry palette[256] = {};
  uint32_t entries = 0;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    entries = colors_used == 0 ? full : colors_used;
    if (entries > full) return -1;
    uint8_t table[256 * 4];
    if (!stream.SeekTo(14 + header_size) || !stream.ReadExact(table, entries * 4u)) return -1;
    for (uint32_t i = 0; i < entries; ++i)
      palette[i] = ColorPaletteEntry{table[i * 4], table[i * 4 + 1], table[i * 4 + 2], 0};
  }
  uint32_t masks[3] = {0x7C00, 0x3E0, 0x1F};
  if (bits == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  if (compression == kBiBitfields) {
    uint8_t field_bytes[12];
    if (!stream.SeekTo(14 + 40) || !stream.ReadExact(field_bytes, sizeof(field_bytes))) return -1;
    for (int i = 0; i < 3; ++i) masks[i] = U32(field_bytes + 4 * i);
  }

  // The pixel data: to the end of the file for run-length data, the rows
  // themselves otherwise.
  const int64_t row_size = (int64_t{bits} * width + 31) / 32 * 4;
  const bool run_length = compression == kBiRle8 || compression == kBiRle4;
  const int64_t available = size - data_offset;
  const int64_t wanted = run_length ? available : row_size * height;
  if (data_offset < 14 || available < 1 || wanted > available) return -1;
  TrackedBytes data = AllocImageBytes(wanted, false);
  if (!data || !stream.SeekTo(data_offset) || !stream.ReadExact(data.get(), wanted)) return -1;
  const uint8_t* rows = data.get();
  // Row y of the picture, counted from the top.
  auto file_row = [&](int64_t y) { return rows + (bottom_up ? height - 1 - y : y) * row_size; };

  ColorFormat format{};
  if (run_length || bits == 4) {
    const int32_t pitch = (width + 3) & ~3;
    // Run-length data is checked whole before the picture is reserved.
    const int64_t padded_width = row_size * 8 / bits;
    if (run_length && !DecodeBmpRle(rows, static_cast<size_t>(wanted), width, padded_width,
                                    height, bottom_up, compression == kBiRle4, entries, nullptr,
                                    pitch))
      return -1;
    TrackedBytes pixels = AllocImageBytes(int64_t{pitch} * height, true);
    if (!pixels) return -1;
    if (run_length) {
      DecodeBmpRle(rows, static_cast<size_t>(wanted), width, padded_width, height, bottom_up,
                   compression == kBiRle4, entries, pixels.get(), pitch);
    } else {
      for (int64_t y = 0; y < height; ++y) {
        const uint8_t* in = file_row(y);
        uint8_t* out = pixels.get() + y * pitch;
        for (int64_t x = 0; x < width; ++x) {
          const uint8_t index = (x & 1) ? (in[x / 2] & 0x0F) : (in[x / 2] >> 4);
          if (index >= entries) return -1;
          out[x] = index;
        }
      }
    }
    SetPalette8ColorFormat(&format);
    std::memcpy(format.palette, palette, sizeof(palette));
    HandOverImage(image, format, width, height, pitch, std::move(pixels));
    return 0;
  }

  if (bits == 8 || bits == 24) {
    if (bits == 8) {
      for (int64_t y = 0; y < height; ++y) {
        const uint8_t* in = file_row(y);
        for (int64_t x = 0; x < width; ++x)
          if (in[x] >= entries) return -1;
      }
      SetPalette8ColorFormat(&format);
      std::memcpy(format.palette, palette, sizeof(palette));
    } else {
      SetRgb888ColorFormat(&format);
    }
    if (!bottom_up) {
      // Already top-down: the rows read are the pixels.
      HandOverImage(image, format, width, height, static_cast<int32_t>(row_size), std::move(data));
      return 0;
    }
    TrackedBytes pixels = AllocImageBytes(row_size * height, false);
    if (!pixels) return -1;
    for (int64_t y = 0; y < height; ++y)
      std::memcpy(pixels.get() + y * row_size, file_row(y), static_cast<size_t>(row_size));
    HandOverImage(image, format, width, height, static_cast<int32_t>(row_size), std::move(pixels));
    return 0;
  }

  // 1, 16 and 32 bits and bit fields: turned into 24-bit 0xRRGGBB.
  const int32_t pitch = (width * 3 + 3) & ~3;
  TrackedBytes pixels = AllocImageBytes(int64_t{pitch} * height, true);
  if (!pixels) return -1;
  const FieldChannel red(masks[0]), green(masks[1]), blue(masks[2]);
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* in = file_row(y);
    uint8_t* out = pixels.get() + y * pitch;
    for (int64_t x = 0; x < width; ++x, out += 3) {
      if (bits == 1) {
        const uint32_t index = (in[x / 8] >> (7 - x % 8)) & 1;
        if (index >= entries) return -1;
        out[0] = palette[index].blue;
        out[1] = palette[index].green;
        out[2] = palette[index].red;
      } else {
        const uint32_t value = bits == 16 ? U16(in + x * 2) : U32(in + x * 4);
        out[0] = blue.Expand(value);
        out[1] = green.Expand(value);
        out[2] = red.Expand(value);
      }
    }
  }
  SetRgb888ColorFormat(&format);
  HandOverImage(image, format, width, height, pitch, std::move(pixels));
  return 0;
}

// ---- BGRA -----------------------------------------------------------------------------

int LoadBgraImage(StreamSource* source, GraphImage* image) {
  ImageStream stream{source};
  const int64_t size = stream.Size();
  uint8_t header[16];
  if (size < 0 || !stream.ReadExact(header, sizeof(header))) return -1;
  if (std::memcmp(header, "BGRA", 4) != 0) return -1;
  const uint32_t depth = U32(header + 4);
  const int64_t width = U32(header + 8);
  const int64_t height = U32(header + 12);
  if ((depth != 0x08080808u && depth != 0x10101010u) || !ImageSizeAccepted(width, height))
    return -1;

  const int64_t pitch = width * 4;
  // The file must hold every pixel before the picture is reserved.
  const int64_t file_pitch = depth == 0x08080808u ? pitch : width * 8;
  if (file_pitch * height > size - 16) return -1;
  TrackedBytes pixels = AllocImageBytes(pitch * height, false);
  if (!pixels) return -1;
  if (depth == 0x08080808u) {
    if (!stream.ReadExact(pixels.get(), pitch * height)) return -1;
  } else {
    // 16 bits a channel: the high byte of each.
    TrackedBytes row = AllocImageBytes(width * 8, false);
    if (!row) return -1;
    for (int64_t y = 0; y < height; ++y) {
      if (!stream.ReadExact(row.get(), width * 8)) return -1;
      uint8_t* out = pixels.get() + y * pitch;
      for (int64_t i = 0; i < width * 4; ++i) out[i] = row[i * 2 + 1];
    }
  }

  ColorFormat format{};
  SetRgb888ColorFormat(&format);
  format.bit_depth = 32;
  format.bytes_per_pixel = 4;
  format.alpha_width = 8;
  format.alpha_shift = 24;
  format.alpha_mask = 0xFF000000u;
  HandOverImage(image, format, static_cast<int32_t>(width), static_cast<int32_t>(height),
                static_cast<int32_t>(pitch), std::move(pixels));
  return 0;
}

// ---- TGA ------------------------------------------------------------------------------

int LoadTgaImage(StreamSource* source, GraphImage* image) {
  ImageStream stream{source};
  const int64_t size = stream.Size();
  if (size < 18) return -1;

  // A footer without an extension area marks where run-length data ends.
  bool footer = false;
  if (size >= 18 + 26) {
    uint8_t tail[26];
    if (!stream.SeekTo(size - 26) || !stream.ReadExact(tail, sizeof(tail))) return -1;
    footer = std::memcmp(tail + 8, "TRUEVISION-XFILE", 16) == 0 && U32(tail) == 0;
  }

  uint8_t header[18];
  if (!stream.SeekTo(0) || !stream.ReadExact(header, sizeof(header))) return -1;
  const uint8_t id_length = header[0];
  const uint8_t map_type = header[1];
  const uint8_t type = header[2];
  const int32_t map_first = U16(header + 3);
  const int32_t map_length = U16(header + 5);
  const int32_t map_entry_bits = header[7];
  const int32_t width = U16(header + 12);
  const int32_t height = U16(header + 14);
  const int32_t pixel_bits = header[16];
  const uint8_t descriptor = header[17];

  if (type != 1 && type != 2 && type != 9 && type != 10) return -1;
  if (U16(header + 8) != 0 || U16(header + 10) != 0) return -1;
  if (width < 1 || height < 1 || width > 4095 || height > 4095) return -1;
  if (map_type > 1) return -1;
  const bool mapped = type == 1 || type == 9;
  const bool run_length = type == 9 || type == 10;
  const int32_t depth = mapped ? map_entry_bits : pixel_bits;
  if (depth != 16 && depth != 24 && depth != 32) return -1;
  const int32_t bytes_per_pixel = depth / 8;
  // A colour-mapped image has one index byte a pixel and a map that fits the
  // 256 entries.
  if (mapped &&
      (map_type != 1 || pixel_bits != 8 || map_length < 1 || map_first + map_length > 256))
    return -1;

  int64_t position = 18 + int64_t{id_length};
  uint8_t map[256 * 4] = {};
  if (map_type == 1) {
    const int64_t map_bytes = int64_t{map_length} * ((map_entry_bits + 7) / 8);
    if (mapped) {
      if (!stream.SeekTo(position) ||
          !stream.ReadExact(map + map_first * bytes_per_pixel, map_bytes))
        return -1;
    }
    // A true-colour image may carry a map too; its pixels come after it.
    position += map_bytes;
  }
  if (!stream.SeekTo(position)) return -1;

  const int64_t pixel_count = int64_t{width} * height;
  const int32_t value_bytes = mapped ? 1 : bytes_per_pixel;
  // The data must be able to give every pixel before the picture is
  // reserved: raw data a value each, run-length data at least a packet
  // (header and one value) for every 128.
  const int64_t data_end = run_length && footer ? size - 26 : size;
  const int64_t least_data = run_length ? (pixel_count + 127) / 128 * (1 + value_bytes)
                                        : pixel_count * value_bytes;
  if (least_data > data_end - position) return -1;
  TrackedBytes pixels = AllocImageBytes(pixel_count * bytes_per_pixel, false);
  if (!pixels) return -1;
  // One stored value (a map index or a pixel) into pixel `n`.
  auto store = [&](const uint8_t* value, int64_t n) {
    if (mapped) {
      if (value[0] < map_first || value[0] >= map_first + map_length) return false;
      value = map + value[0] * bytes_per_pixel;
    }
    std::memcpy(pixels.get() + n * bytes_per_pixel, value, bytes_per_pixel);
    return true;
  };

  if (!run_length) {
    if (mapped) {
      TrackedBytes indexes = AllocImageBytes(pixel_count, false);
      if (!indexes || !stream.ReadExact(indexes.get(), pixel_count)) return -1;
      for (int64_t n = 0; n < pixel_count; ++n)
        if (!store(indexes.get() + n, n)) return -1;
    } else if (!stream.ReadExact(pixels.get(), pixel_count * bytes_per_pixel)) {
      return -1;
    }
  } else {
    const int64_t data_size = data_end - position;
    if (data_size < 1) return -1;
    TrackedBytes data = AllocImageBytes(data_size, false);
    if (!data || !stream.ReadExact(data.get(), data_size)) return -1;
    int64_t i = 0;
    int64_t n = 0;
    while (n < pixel_count) {
      if (i >= data_size) return -1;
      const uint8_t packet = data[i++];
      const int64_t count = std::min<int64_t>((packet & 0x7F) + 1, pixel_count - n);
      if (packet & 0x80) {
        if (data_size - i < value_bytes) return -1;
        for (int64_t k = 0; k < count; ++k)
          if (!store(data.get() + i, n++)) return -1;
        i += value_bytes;
      } else {
        if (data_size - i < count * value_bytes) return -1;
        for (int64_t k = 0; k < count; ++k, i += value_bytes)
          if (!store(data.get() + i, n++)) return -1;
      }
    }
  }

  // Rows stored bottom-up or right to left are put top-down, left to right.
  const bool bottom_up = (descriptor & 0x20) == 0;
  const bool right_to_left = (descriptor & 0x10) != 0;
  const int32_t pitch = width * bytes_per_pixel;
  if (bottom_up || right_to_left) {
    TrackedBytes turned = AllocImageBytes(int64_t{pitch} * height, false);
    if (!turned) return -1;
    for (int64_t y = 0; y < height; ++y) {
      const uint8_t* in = pixels.get() + (bottom_up ? height - 1 - y : y) * pitch;
      uint8_t* out = turned.get() + y * pitch;
      for (int64_t x = 0; x < width; ++x) {
        const int64_t from = right_to_left ? width - 1 - x : x;
        std::memcpy(out + x * bytes_per_pixel, in + from * bytes_per_pixel, bytes_per_pixel);
      }
    }
    pixels = std::move(turned);
  }

  ColorFormat format{};
  if (depth == 16) BuildColorFormatFromMasks(&format, 16, 0x7C00, 0x3E0, 0x1F, 0);
  if (depth == 24) BuildColorFormatFromMasks(&format, 24, 0xFF0000, 0xFF00, 0xFF, 0);
  if (depth == 32) BuildColorFormatFromMasks(&format, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u);
  HandOverImage(image, format, width, height, pitch, std::move(pixels));
  return 0;
}

// ---- DDS ------------------------------------------------------------------------------

int LoadDdsImage(StreamSource* source, GraphImage* image) {
  ImageStream stream{source};
  const int64_t size = stream.Size();
  uint8_t magic[4];
  uint8_t header[124];
  if (size < 0 || !stream.ReadExact(magic, sizeof(magic)) || std::memcmp(magic, "DDS", 3) != 0)
    return -1;
  if (!stream.ReadExact(header, sizeof(header))) return -1;
  const uint32_t flags = U32(header + 4);
  const int64_t height = U32(header + 8);
  const int64_t width = U32(header + 12);
  const int32_t header_pitch = S32(header + 16);
  const uint32_t format_flags = U32(header + 76);
  const uint32_t four_cc = U32(header + 80);
  if (!ImageSizeAccepted(width, height)) return -1;

  const DdsFormatRow* row = nullptr;
  if (format_flags == 0x4) {
    for (const DdsFormatRow& r : DdsFormatTable)
      if (r.code == four_cc && r.code != 0xFFFFFFFFu) row = &r;
  }
  // A format code that no row has is a compressed or unknown layout.
  if ((format_flags & 0x4) != 0 && row == nullptr) return -1;
  const DdsFormatRow layout = row != nullptr ? *row : DdsFormatRow{0,
                                                                   U32(header + 84),
                                                                   U32(header + 88),
                                                                   U32(header + 92),
                                                                   U32(header + 96),
                                                                   U32(header + 100)};
  if (layout.bit_depth != 8 && layout.bit_depth != 16 && layout.bit_depth != 24 &&
      layout.bit_depth != 32)
    return -1;
  const int64_t bytes_per_pixel = layout.bit_depth / 8;
  // Without a pitch in the header the rows are packed.
  const int64_t pitch = (flags & 0x8) ? header_pitch : bytes_per_pixel * width;
  if (pitch < bytes_per_pixel * width || pitch * height > INT32_MAX) return -1;
  // The file must hold the rows before they are reserved.
  if (pitch * height > size - 128) return -1;

  TrackedBytes pixels = AllocImageBytes(pitch * height, false);
  if (!pixels || !stream.ReadExact(pixels.get(), pitch * height)) return -1;
  ColorFormat format{};
  BuildColorFormatFromMasks(&format, static_cast<int32_t>(layout.bit_depth), layout.red_mask,
                            layout.green_mask, layout.blue_mask, layout.alpha_mask);
  HandOverImage(image, format, static_cast<int32_t>(width), static_cast<int32_t>(height),
                static_cast<int32_t>(pitch), std::move(pixels));
  return 0;
}
