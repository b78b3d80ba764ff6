// Small image files made in the tests: a picture of 8-bit colours written as
// BMP, TGA, DDS, BGRA, PNG (through libpng) or JPEG (through libjpeg), and
// the colour a decoded GraphImage holds at a pixel, so that a decoded file
// can be compared pixel by pixel with what was written.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The stand-in layer's TRUE and FALSE before libjpeg's macros of those names.
#include <png.h>

#include "platform/win32/types.h"

extern "C" {
#include <jpeglib.h>
}

#include "runtime/image/color_format.h"

namespace image_files {

using Bytes = std::vector<uint8_t>;

// Colours 0xAARRGGBB, row by row from the top.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> argb;

  uint32_t At(int32_t x, int32_t y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

inline uint8_t A(uint32_t c) { return static_cast<uint8_t>(c >> 24); }
inline uint8_t R(uint32_t c) { return static_cast<uint8_t>(c >> 16); }
inline uint8_t G(uint32_t c) { return static_cast<uint8_t>(c >> 8); }
inline uint8_t B(uint32_t c) { return static_cast<uint8_t>(c); }
constexpr uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}

// A channel value of `width` bits spread over 8 bits: fewer bits repeated
// downwards, more bits cut to their top 8.
inline uint8_t Expand(uint32_t value, int width) {
  if (width <= 0) return 0;
  if (width >= 8) return static_cast<uint8_t>(value >> (width - 8));
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << width) | value;
    filled += width;
  }
  return static_cast<uint8_t>(out >> (filled - 8));
}

// An 8-bit value kept to `width` bits and spread back.
inline uint8_t Requant(uint8_t v, int width) {
  if (width >= 8) return v;
  return Expand(static_cast<uint32_t>(v) >> (8 - width), width);
}

// Packs an 8-bit value into a channel of the mask's width at its place.
inline uint32_t PackChannel(uint8_t v, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = __builtin_ctz(mask);
  int width = 0;
  while (width < 32 - shift && ((mask >> (shift + width)) & 1)) ++width;
  const uint32_t bits = width >= 8 ? uint32_t{v} << (width - 8) : uint32_t{v} >> (8 - width);
  return (bits << shift) & mask;
}

// The colour of pixel (x, y) of a decoded image: a one-byte image through its
// palette, any other through its channel masks; opaque without alpha.
inline uint32_t ColorAt(const GraphImage& image, int32_t x, int32_t y) {
  const ColorFormat& f = image.format;
  const uint8_t* p = image.pixels + static_cast<int64_t>(y) * image.pitch +
                     static_cast<int64_t>(x) * f.bytes_per_pixel;
  if (f.bytes_per_pixel == 1) {
    const ColorPaletteEntry& e = f.palette[p[0]];
    return Argb(255, e.red, e.green, e.blue);
  }
  uint32_t v = 0;
  for (int k = 0; k < f.bytes_per_pixel; ++k) v |= uint32_t{p[k]} << (8 * k);
  auto channel = [v](uint32_t mask, int shift, int width) {
    return Expand((v & mask) >> shift, width);
  };
  const uint8_t a = f.alpha_width == 0 ? 255 : channel(f.alpha_mask, f.alpha_shift, f.alpha_width);
  return Argb(a, channel(f.red_mask, f.red_shift, f.red_width),
              channel(f.green_mask, f.green_shift, f.green_width),
              channel(f.blue_mask, f.blue_shift, f.blue_width));
}

// A picture with a different colour at every pixel (and a few repeats, so
// that run-length coders find runs): opaque unless `alpha`.
inline Picture MakePicture(int32_t width, int32_t height, bool alpha = false) {
  Picture p{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t r = static_cast<uint32_t>(x * 53 + y * 7) & 0xFF;
      const uint32_t g = static_cast<uint32_t>(y * 71 + 30) & 0xFF;
      const uint32_t b = static_cast<uint32_t>((x / 2) * 97 + y * 13 + 200) & 0xFF;
      const uint32_t a = alpha ? static_cast<uint32_t>(x * 40 + y * 90) & 0xFF : 255;
      p.argb.push_back(Argb(a, r, g, b));
    }
  }
  // A run along the top row.
  for (int32_t x = 0; x < width / 2; ++x) p.argb[x] = p.argb[0];
  return p;
}

// Each channel kept to the given widths (0 for alpha: opaque).
inline Picture Quantized(const Picture& p, int rw, int gw, int bw, int aw) {
  Picture q = p;
  for (uint32_t& c : q.argb)
    c = Argb(aw == 0 ? 255 : Requant(A(c), aw), Requant(R(c), rw), Requant(G(c), gw),
             Requant(B(c), bw));
  return q;
}

// The distinct colours of a picture in order of first appearance, and each
// pixel's index among them.
struct Indexed {
  std::vector<uint32_t> palette;
  std::vector<uint8_t> index;
};
inline Indexed IndexPicture(const Picture& p) {
  Indexed out;
  for (uint32_t c : p.argb) {
    size_t i = 0;
    while (i < out.palette.size() && out.palette[i] != c) ++i;
    if (i == out.palette.size()) out.palette.push_back(c);
    out.index.push_back(static_cast<uint8_t>(i));
  }
  return out;
}

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
inline void Poke32(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

// ---- BMP --------------------------------------------------------------------------

struct BmpSpec {
  int bits = 24;
  uint32_t compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  bool top_down = false;
  uint32_t colors_used = 0;       // entries in the colour table; 0: 1 << bits
  uint32_t header_size = 40;      // 40, or 108 / 124 for the later headers
  uint32_t masks[3] = {0, 0, 0};  // bit fields; 0: the defaults of the depth
  // Run-length lines padded to a multiple of four pixels by repeating their
  // last pixel, as common encoders write them.
  bool padded_runs = false;
};

// Run-length codes of one line of indexes: runs of two or more as runs,
// stretches of three or more single pixels as literal groups.
inline void RleLine(Bytes& out, const std::vector<uint8_t>& line, bool four_bit) {
  size_t i = 0;
  while (i < line.size()) {
    size_t run = 1;
    while (i + run < line.size() && line[i + run] == line[i] && run < 255) ++run;
    if (run >= 2) {
      out.push_back(static_cast<uint8_t>(run));
      out.push_back(four_bit ? static_cast<uint8_t>(line[i] << 4 | line[i]) : line[i]);
      i += run;
      continue;
    }
    size_t n = 1;
    while (i + n < line.size() && n < 255 &&
           !(i + n + 1 < line.size() && line[i + n + 1] == line[i + n]))
      ++n;
    if (n >= 3) {
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(n));
      const size_t start = out.size();
      if (four_bit) {
        for (size_t k = 0; k < n; k += 2)
          out.push_back(static_cast<uint8_t>(line[i + k] << 4 | (k + 1 < n ? line[i + k + 1] : 0)));
      } else {
        for (size_t k = 0; k < n; ++k) out.push_back(line[i + k]);
      }
      if ((out.size() - start) & 1) out.push_back(0);
      i += n;
    } else {
      out.push_back(1);
      out.push_back(four_bit ? static_cast<uint8_t>(line[i] << 4) : line[i]);
      ++i;
    }
  }
}

// Writes `p` as a bitmap; returns the picture a decoder should give (colours
// kept to what the depth holds).
inline Bytes MakeBmp(const Picture& p, const BmpSpec& s, Picture* expected = nullptr) {
  const int bits = s.bits;
  const bool bitfields = s.compression == 3;
  uint32_t masks[3] = {s.masks[0], s.masks[1], s.masks[2]};
  if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0) {
    if (bits == 16) {
      masks[0] = 0x7C00, masks[1] = 0x3E0, masks[2] = 0x1F;
    } else {
      masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
  }
  Indexed indexed;
  Picture q = Quantized(p, 8, 8, 8, 0);
  if (bits <= 8) {
    indexed = IndexPicture(q);
  } else if (bits == 16 || bits == 32) {
    auto width = [](uint32_t m) { return m == 0 ? 0 : __builtin_popcount(m); };
    q = Quantized(p, width(masks[0]), width(masks[1]), width(masks[2]), 0);
  }
  if (expected != nullptr) *expected = q;

  const uint32_t table_entries = bits <= 8 ? (s.colors_used ? s.colors_used : 1u << bits) : 0;
  Bytes pixels;
  const int32_t row_size = (bits * p.width + 31) / 32 * 4;
  std::vector<int32_t> order;  // picture rows in file order
  for (int32_t i = 0; i < p.height; ++i) order.push_back(s.top_down ? i : p.height - 1 - i);
  if (s.compression == 1 || s.compression == 2) {
    for (size_t k = 0; k < order.size(); ++k) {
      const int32_t y = order[k];
      std::vector<uint8_t> line(indexed.index.begin() + y * p.width,
                                indexed.index.begin() + (y + 1) * p.width);
      if (s.padded_runs) line.resize((line.size() + 3) & ~size_t{3}, line.back());
      RleLine(pixels, line, s.compression == 2);
      pixels.push_back(0);
      pixels.push_back(k + 1 == order.size() ? 1 : 0);
    }
  } else {
    for (int32_t y : order) {
      Bytes row(row_size, 0);
      for (int32_t x = 0; x < p.width; ++x) {
        const uint32_t c = q.At(x, y);
        const uint8_t index = bits <= 8 ? indexed.index[y * p.width + x] : 0;
        switch (bits) {
          case 1:
            row[x / 8] |= static_cast<uint8_t>(index << (7 - x % 8));
            break;
          case 4:
            row[x / 2] |= static_cast<uint8_t>(x & 1 ? index : index << 4);
            break;
          case 8:
            row[x] = index;
            break;
          case 24:
            row[x * 3] = B(c), row[x * 3 + 1] = G(c), row[x * 3 + 2] = R(c);
            break;
          default: {
            const uint32_t v = PackChannel(R(c), masks[0]) | PackChannel(G(c), masks[1]) |
                               PackChannel(B(c), masks[2]);
            for (int k = 0; k < bits / 8; ++k)
              row[x * (bits / 8) + k] = static_cast<uint8_t>(v >> (8 * k));
          }
        }
      }
      pixels.insert(pixels.end(), row.begin(), row.end());
    }
  }

  const uint32_t masks_after_header = bitfields && s.header_size == 40 ? 12 : 0;
  const uint32_t offset = 14 + s.header_size + masks_after_header + table_entries * 4;
  Bytes b = {'B', 'M'};
  Put32(b, offset + static_cast<uint32_t>(pixels.size()));
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, s.header_size);
  Put32(b, static_cast<uint32_t>(p.width));
  Put32(b, static_cast<uint32_t>(s.top_down ? -p.height : p.height));
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(bits));
  Put32(b, s.compression);
  Put32(b, static_cast<uint32_t>(pixels.size()));
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, s.colors_used);
  Put32(b, 0);
  if (bitfields) {
    for (uint32_t m : masks) Put32(b, m);
  }
  b.resize(14 + s.header_size + masks_after_header, 0);
  for (uint32_t i = 0; i < table_entries; ++i) {
    const uint32_t c = i < indexed.palette.size() ? indexed.palette[i] : 0;
    b.push_back(B(c));
    b.push_back(G(c));
    b.push_back(R(c));
    b.push_back(0x5A);  // a reserved byte that the decoder must clear
  }
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// ---- TGA --------------------------------------------------------------------------

struct TgaSpec {
  int type = 2;               // 1, 2, 9, 10
  int depth = 24;             // bits of a pixel or of a map entry
  uint8_t descriptor = 0x20;  // bit 5 top-down, bit 4 right to left
  bool footer = false;
  uint8_t id_length = 0;
  bool map_with_true_colour = false;  // a colour map in front of true-colour pixels
  int map_first = 0;
};

inline void PutTgaValue(Bytes& b, uint32_t c, int depth) {
  if (depth == 16) {
    Put16(b, (uint32_t{R(c)} >> 3) << 10 | (uint32_t{G(c)} >> 3) << 5 | (uint32_t{B(c)} >> 3));
  } else {
    b.push_back(B(c));
    b.push_back(G(c));
    b.push_back(R(c));
    if (depth == 32) b.push_back(A(c));
  }
}

inline Bytes MakeTga(const Picture& p, const TgaSpec& s, Picture* expected = nullptr) {
  const Picture q = s.depth == 16   ? Quantized(p, 5, 5, 5, 0)
                    : s.depth == 24 ? Quantized(p, 8, 8, 8, 0)
                                    : Quantized(p, 8, 8, 8, 8);
  if (expected != nullptr) *expected = q;
  const bool mapped = s.type == 1 || s.type == 9;
  const Indexed indexed = IndexPicture(q);
  const bool has_map = mapped || s.map_with_true_colour;
  const int map_length = mapped ? static_cast<int>(indexed.palette.size()) : 3;

  Bytes b = {s.id_length, static_cast<uint8_t>(has_map ? 1 : 0), static_cast<uint8_t>(s.type)};
  Put16(b, has_map ? static_cast<uint32_t>(s.map_first) : 0);
  Put16(b, has_map ? static_cast<uint32_t>(map_length) : 0);
  b.push_back(static_cast<uint8_t>(has_map ? (mapped ? s.depth : 24) : 0));
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, static_cast<uint32_t>(p.width));
  Put16(b, static_cast<uint32_t>(p.height));
  b.push_back(static_cast<uint8_t>(mapped ? 8 : s.depth));
  b.push_back(s.descriptor);
  for (int i = 0; i < s.id_length; ++i) b.push_back(static_cast<uint8_t>('i' + i));
  if (has_map) {
    for (int i = 0; i < map_length; ++i) {
      if (mapped) {
        PutTgaValue(b, indexed.palette[i], s.depth);
      } else {
        PutTgaValue(b, 0xFFABCDEF, 24);
      }
    }
  }

  // Values in stored order.
  std::vector<Bytes> values;
  const bool bottom_up = (s.descriptor & 0x20) == 0;
  const bool right_to_left = (s.descriptor & 0x10) != 0;
  for (int32_t i = 0; i < p.height; ++i) {
    const int32_t y = bottom_up ? p.height - 1 - i : i;
    for (int32_t j = 0; j < p.width; ++j) {
      const int32_t x = right_to_left ? p.width - 1 - j : j;
      Bytes v;
      if (mapped) {
        v.push_back(static_cast<uint8_t>(indexed.index[y * p.width + x] + s.map_first));
      } else {
        PutTgaValue(v, q.At(x, y), s.depth);
      }
      values.push_back(v);
    }
  }
  if (s.type == 1 || s.type == 2) {
    for (const Bytes& v : values) b.insert(b.end(), v.begin(), v.end());
  } else {
    size_t i = 0;
    while (i < values.size()) {
      size_t run = 1;
      while (i + run < values.size() && values[i + run] == values[i] && run < 128) ++run;
      if (run >= 2) {
        b.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
        b.insert(b.end(), values[i].begin(), values[i].end());
        i += run;
        continue;
      }
      size_t n = 1;
      while (i + n < values.size() && n < 128 &&
             !(i + n + 1 < values.size() && values[i + n + 1] == values[i + n]))
        ++n;
      b.push_back(static_cast<uint8_t>(n - 1));
      for (size_t k = 0; k < n; ++k) b.insert(b.end(), values[i + k].begin(), values[i + k].end());
      i += n;
    }
  }
  if (s.footer) {
    Put32(b, 0);
    Put32(b, 0);
    const char signature[] = "TRUEVISION-XFILE.";
    b.insert(b.end(), signature, signature + 18);  // with its NUL
  }
  return b;
}

// ---- DDS --------------------------------------------------------------------------

struct DdsSpec {
  int bits = 32;
  uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0};  // red, green, blue, alpha
  uint32_t format_flags = 0x40;                     // 0x40 RGB, 0x1 alpha pixels, 0x4 FourCC
  uint32_t four_cc = 0;
  int32_t pitch = 0;  // 0: no pitch in the header (rows packed)
};

inline Bytes MakeDds(const Picture& p, const DdsSpec& s, Picture* expected = nullptr) {
  auto width = [](uint32_t m) { return m == 0 ? 0 : __builtin_popcount(m); };
  const Picture q =
      Quantized(p, width(s.masks[0]), width(s.masks[1]), width(s.masks[2]), width(s.masks[3]));
  if (expected != nullptr) *expected = q;
  Bytes b = {'D', 'D', 'S', ' '};
  Bytes h(124, 0);
  Poke32(h, 0, 124);
  Poke32(h, 4, 0x1007 | (s.pitch != 0 ? 0x8 : 0));
  Poke32(h, 8, static_cast<uint32_t>(p.height));
  Poke32(h, 12, static_cast<uint32_t>(p.width));
  Poke32(h, 16, static_cast<uint32_t>(s.pitch));
  Poke32(h, 72, 32);
  Poke32(h, 76, s.format_flags);
  Poke32(h, 80, s.four_cc);
  Poke32(h, 84, s.format_flags == 0x4 ? 0 : static_cast<uint32_t>(s.bits));
  for (int i = 0; i < 4; ++i) Poke32(h, 88 + 4 * i, s.format_flags == 0x4 ? 0 : s.masks[i]);
  Poke32(h, 104, 0x1000);
  b.insert(b.end(), h.begin(), h.end());
  const int bpp = s.bits / 8;
  const int32_t pitch = s.pitch != 0 ? s.pitch : bpp * p.width;
  for (int32_t y = 0; y < p.height; ++y) {
    Bytes row(pitch, 0xEE);
    for (int32_t x = 0; x < p.width; ++x) {
      const uint32_t c = q.At(x, y);
      const uint32_t v = PackChannel(R(c), s.masks[0]) | PackChannel(G(c), s.masks[1]) |
                         PackChannel(B(c), s.masks[2]) | PackChannel(A(c), s.masks[3]);
      for (int k = 0; k < bpp; ++k) row[x * bpp + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    b.insert(b.end(), row.begin(), row.end());
  }
  return b;
}

// ---- BGRA -------------------------------------------------------------------------

// 8 or 16 bits a channel; a 16-bit channel carries the 8-bit value in its
// high byte and `low` in its low byte.
inline Bytes MakeBgra(const Picture& p, int channel_bits, uint8_t low = 0xAB) {
  Bytes b = {'B', 'G', 'R', 'A'};
  Put32(b, channel_bits == 8 ? 0x08080808u : 0x10101010u);
  Put32(b, static_cast<uint32_t>(p.width));
  Put32(b, static_cast<uint32_t>(p.height));
  for (uint32_t c : p.argb) {
    for (uint8_t v : {B(c), G(c), R(c), A(c)}) {
      if (channel_bits == 16) b.push_back(low);
      b.push_back(v);
    }
  }
  return b;
}

// ---- PNG --------------------------------------------------------------------------

struct PngSpec {
  int color_type = PNG_COLOR_TYPE_RGB;
  int bit_depth = 8;
  bool transparency = false;  // a tRNS chunk (palette images: every entry's alpha)
  bool interlaced = false;
  int palette_entries = 0;  // palette images: entries written (0: as many as colours)
  int filters = 0;          // PNG_FILTER_* bits the writer may choose from (0: its own choice)
};

inline void PngWriteToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
inline void PngFlushNothing(png_structp) {}

// Writes `p` as a PNG; `expected` gets the picture a decoder should give.
// Grey images take the red channel as grey.
inline Bytes MakePng(const Picture& p, const PngSpec& s, Picture* expected = nullptr) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, PngWriteToVector, PngFlushNothing);
  if (s.filters != 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, s.filters);
  png_set_IHDR(png, info, p.width, p.height, s.bit_depth, s.color_type,
               s.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);

  const bool grey = (s.color_type & PNG_COLOR_MASK_COLOR) == 0;
  const bool palette = s.color_type == PNG_COLOR_TYPE_PALETTE;
  const bool alpha = (s.color_type & PNG_COLOR_MASK_ALPHA) != 0;
  Picture q = p;
  Indexed indexed;
  if (grey) {
    const int levels_bits = s.bit_depth >= 8 ? 8 : s.bit_depth;
    for (uint32_t& c : q.argb) {
      const uint8_t level = Requant(R(c), levels_bits);
      c = Argb(255, level, level, level);
    }
  } else if (palette) {
    if (!s.transparency) q = Quantized(p, 8, 8, 8, 0);
    indexed = IndexPicture(q);
    std::vector<png_color> entries;
    std::vector<png_byte> alphas;
    const size_t count =
        s.palette_entries ? static_cast<size_t>(s.palette_entries) : indexed.palette.size();
    for (size_t i = 0; i < count; ++i) {
      const uint32_t c = i < indexed.palette.size() ? indexed.palette[i] : 0;
      entries.push_back(png_color{R(c), G(c), B(c)});
      alphas.push_back(A(c));
    }
    png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
    if (s.transparency)
      png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    // Indexes past the palette are written as asked.
    png_set_check_for_invalid_index(png, 1);
  } else if (!alpha) {
    q = Quantized(p, 8, 8, 8, 0);
  }
  if (expected != nullptr) {
    *expected = q;
    // Grey with alpha gives the grey level only.
    if (grey) {
      for (uint32_t& c : expected->argb) c |= 0xFF000000u;
    }
  }

  png_write_info(png, info);
  const int channels = palette ? 1 : (grey ? 1 : 3) + (alpha ? 1 : 0);
  const int sample_bytes = s.bit_depth == 16 ? 2 : 1;
  std::vector<Bytes> rows(p.height,
                          Bytes(static_cast<size_t>(p.width) * channels * sample_bytes + 8, 0));
  for (int32_t y = 0; y < p.height; ++y) {
    Bytes& row = rows[y];
    for (int32_t x = 0; x < p.width; ++x) {
      const uint32_t c = q.At(x, y);
      if (s.bit_depth < 8) {
        const uint32_t v = palette ? indexed.index[y * p.width + x] : R(c) >> (8 - s.bit_depth);
        const int per_byte = 8 / s.bit_depth;
        row[x / per_byte] |=
            static_cast<uint8_t>(v << ((per_byte - 1 - x % per_byte) * s.bit_depth));
        continue;
      }
      std::vector<uint8_t> samples;
      if (palette) {
        samples = {indexed.index[y * p.width + x]};
      } else if (grey) {
        samples = {R(c)};
      } else {
        samples = {R(c), G(c), B(c)};
      }
      if (alpha) samples.push_back(A(p.At(x, y)));
      for (size_t k = 0; k < samples.size(); ++k) {
        if (sample_bytes == 2) {
          row[(x * channels + k) * 2] = samples[k];
          row[(x * channels + k) * 2 + 1] = static_cast<uint8_t>(samples[k] ^ 0x5A);
        } else {
          row[x * channels + k] = samples[k];
        }
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// The CRC-32 of PNG chunks, for chunks made by hand.
inline uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// ---- JPEG -------------------------------------------------------------------------

// `components` 3 (colour) or 1 (grey from the red channel).
inline Bytes MakeJpeg(const Picture& p, int components, int quality = 95) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(p.width);
  cinfo.image_height = static_cast<JDIMENSION>(p.height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  // Full colour resolution, so that every pixel keeps its own colour.
  for (int i = 0; i < cinfo.num_components; ++i) {
    cinfo.comp_info[i].h_samp_factor = 1;
    cinfo.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  Bytes row(static_cast<size_t>(p.width) * components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int32_t y = static_cast<int32_t>(cinfo.next_scanline);
    for (int32_t x = 0; x < p.width; ++x) {
      const uint32_t c = p.At(x, y);
      if (components == 3) {
        row[x * 3] = R(c), row[x * 3 + 1] = G(c), row[x * 3 + 2] = B(c);
      } else {
        row[x] = R(c);
      }
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

// libjpeg's own decoding of a JPEG, as 0xAARRGGBB.
inline Picture DecodeJpegReference(const Bytes& file) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  Picture p{
      static_cast<int32_t>(cinfo.output_width), static_cast<int32_t>(cinfo.output_height), {}};
  Bytes row(static_cast<size_t>(cinfo.output_width) * cinfo.output_components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW pointer = row.data();
    jpeg_read_scanlines(&cinfo, &pointer, 1);
    for (int32_t x = 0; x < p.width; ++x) {
      if (cinfo.output_components == 3) {
        p.argb.push_back(Argb(255, row[x * 3], row[x * 3 + 1], row[x * 3 + 2]));
      } else {
        p.argb.push_back(Argb(255, row[x], row[x], row[x]));
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return p;
}

}  // namespace image_files
