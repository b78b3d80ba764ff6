// The rasteriser behind the GDI font stand-in, and the seam through which a
// test puts a face of its own in its place.
//
// A FontFace is one face at one cell height, with the weight, slant and
// character set of the font object that made it. The stand-in asks it for
// metrics and for the coverage of single characters; everything GDI-shaped
// (character codes, row padding, the returned sizes) stays in the stand-in.
//
// The installed faces are found through fontconfig (fontconfig_face.cpp) and
// drawn with FreeType: the look-up asks for the face named, with the Japanese
// language, then for IPAGothic, Noto Sans CJK JP and VL Gothic, and takes the
// first match whose character set covers U+3042; a weight of 600 or more is
// emboldened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/gdi.h"

// What a font object asks of its face.
struct FontRequest {
  std::string face_name;  // UTF-8; empty for the default gothic face
  int height = 0;         // > 0: cell height; < 0: character height (em size)
  int weight = 400;
  bool italic = false;
  DWORD char_set = DEFAULT_CHARSET;
};

struct FontFaceMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int internal_leading = 0;
  int average_width = 0;
  int max_width = 0;  // the widest advance
};

// One rendered character. `levels` holds width x height bytes, rows from the
// top: 0 or 1 for a 1-bit request, 0 to 16 for a grey one. A blank glyph has
// width and height 0.
struct RenderedGlyph {
  int width = 0;
  int height = 0;
  int origin_x = 0;  // bitmap's left side from the pen
  int origin_y = 0;  // bitmap's top above the base line
  int advance = 0;
  std::vector<uint8_t> levels;
};

// The code point of a character the character set does not map: the face
// draws its default glyph.
constexpr uint32_t kNoCodePoint = 0;

class FontFace {
 public:
  virtual ~FontFace() = default;
  virtual FontFaceMetrics Metrics() const = 0;
  // Renders `code_point` (kNoCodePoint or one the face lacks: its default
  // glyph) in 1-bit (grey false) or 17-level form. False only when the
  // rasteriser fails.
  virtual bool Render(uint32_t code_point, bool grey, RenderedGlyph* glyph) = 0;
};

// Makes the face of a request, or null when there is none.
using FontFaceFactory = std::unique_ptr<FontFace> (*)(const FontRequest& request);

// The installed faces: fontconfig's look-up drawn with FreeType.
std::unique_ptr<FontFace> MakeInstalledFontFace(const FontRequest& request);
// Installs the factory of faces made from now on (null: the installed faces)
// and returns the one it replaces. Font objects made before keep their faces.
FontFaceFactory SetFontFaceFactory(FontFaceFactory factory);

// The Unicode code point of a character code of `char_set` (see
// GetGlyphOutlineA), or kNoCodePoint when the code names no character.
uint32_t FontCodeToCodePoint(UINT code, DWORD char_set);
// Code page 949 text as UTF-8, the same way Cp932ToUtf8 converts.
std::string Cp949ToUtf8(std::string_view cp949);

// For the device-context table of gdi.cpp: whether an object is a font, the
// stock font a new context starts with, and the delete of a font object.
bool IsFontObject(HGDIOBJ object);
HFONT StockFontObject();
BOOL DeleteFontObject(HGDIOBJ object);
// The font selected into `dc` (its stock font until another one is), or null
// for a context that does not exist. Defined with the context table.
HFONT SelectedFontOf(HDC dc);
