// The installed faces of the GDI font stand-in: fontconfig finds the file,
// FreeType draws the glyphs.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <iconv.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/gdi_font.h"

namespace {

// The faces tried after the one asked for.
const char* const kFallbackFamilies[] = {"IPAGothic", "Noto Sans CJK JP", "VL Gothic"};
// The family asked for when no face is named: GDI's default for a fixed-pitch
// Japanese font is its gothic face.
const char* const kDefaultFamily = "monospace";
// A face that has this character has Japanese glyphs (U+3042, HIRAGANA A).
constexpr FcChar32 kJapaneseProbe = 0x3042;

// FreeType's library, shared by every face; FreeType calls run under its lock.
struct FreeTypeLibrary {
  std::mutex mutex;
  FT_Library library = nullptr;
  bool started = false;
};

FreeTypeLibrary& Library() {
  static auto* library = new FreeTypeLibrary;
  return *library;
}

struct FaceFile {
  std::string path;
  int index = 0;
};

// Asks fontconfig for `family` in Japanese; true with the file of the match
// when the matched face has Japanese glyphs.
bool MatchJapaneseFace(const std::string& family, FaceFile* file) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return false;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  bool found = false;
  FcCharSet* characters = nullptr;
  FcChar8* path = nullptr;
  int index = 0;
  if (FcPatternGetCharSet(match, FC_CHARSET, 0, &characters) == FcResultMatch &&
      FcCharSetHasChar(characters, kJapaneseProbe) &&
      FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    file->path = reinterpret_cast<const char*>(path);
    file->index = index;
    found = true;
  }
  FcPatternDestroy(match);
  return found;
}

// The file of the face asked for, or of the first fallback with Japanese
// glyphs. False when there is none.
bool MatchFaceFile(const std::string& face_name, FaceFile* file) {
  static std::once_flag init;
  static bool ready = false;
  std::call_once(init, [] { ready = FcInit() == FcTrue; });
  if (!ready) return false;
  if (MatchJapaneseFace(face_name.empty() ? kDefaultFamily : face_name, file)) return true;
  for (const char* family : kFallbackFamilies) {
    if (MatchJapaneseFace(family, file)) return true;
  }
  return false;
}

// What MatchFaceFile gave for each face name asked for so far. fontconfig
// reads the installed fonts once, at its start, and never again in this
// process, so a name always matches the same file: the match (and a failed
// one) is kept rather than made again for every font of the same face.
struct FaceMatch {
  bool found = false;
  FaceFile file;
};

bool FindFaceFile(const std::string& face_name, FaceFile* file) {
  static std::mutex mutex;
  static auto* matches = new std::map<std::string, FaceMatch>;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = matches->find(face_name);
  if (it == matches->end()) {
    FaceMatch match;
    match.found = MatchFaceFile(face_name, &match.file);
    it = matches->emplace(face_name, std::move(match)).first;
  }
  if (it->second.found) *file = it->second.file;
  return it->second.found;
}

int Round26Dot6(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

class FreeTypeFace : public FontFace {
 public:
  FreeTypeFace(FT_Face face, const FontRequest& request) : face_(face), request_(request) {
    bold_ = request.weight >= 600;
    SetSize();
  }
  ~FreeTypeFace() override {
    std::lock_guard<std::mutex> lock(Library().mutex);
    FT_Done_Face(face_);
  }

  FontFaceMetrics Metrics() const override { return metrics_; }

  bool Render(uint32_t code_point, bool grey, RenderedGlyph* glyph) override {
    std::lock_guard<std::mutex> lock(Library().mutex);
    const FT_UInt index = code_point == kNoCodePoint ? 0 : FT_Get_Char_Index(face_, code_point);
    const FT_Int32 load = FT_LOAD_NO_BITMAP | (grey ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO);
    if (FT_Load_Glyph(face_, index, load) != 0) return false;
    FT_GlyphSlot slot = face_->glyph;
    FT_Pos advance = slot->advance.x;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (bold_) {
        // GDI's synthetic bold: one pixel wider, and one pixel more advance.
        FT_Outline_EmboldenXY(&slot->outline, 64, 0);
        advance += 64;
      }
      if (request_.italic) {
        FT_Matrix shear = {0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
        FT_Outline_Transform(&slot->outline, &shear);
      }
    }
    if (FT_Render_Glyph(slot, grey ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0) {
      return false;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph->advance = Round26Dot6(advance);
    glyph->width = static_cast<int>(bitmap.width);
    glyph->height = static_cast<int>(bitmap.rows);
    glyph->origin_x = slot->bitmap_left;
    glyph->origin_y = slot->bitmap_top;
    glyph->levels.assign(static_cast<size_t>(glyph->width) * glyph->height, 0);
    for (int y = 0; y < glyph->height; ++y) {
      const unsigned char* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
      for (int x = 0; x < glyph->width; ++x) {
        uint8_t level;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
          const bool set = (row[x >> 3] & (0x80 >> (x & 7))) != 0;
          level = set ? (grey ? 16 : 1) : 0;
        } else {
          // 256 grey levels to GDI's 17 (or to one bit).
          level = static_cast<uint8_t>((row[x] * 16 + 127) / 255);
          if (!grey) level = row[x] >= 128 ? 1 : 0;
        }
        glyph->levels[static_cast<size_t>(y) * glyph->width + x] = level;
      }
    }
    TrimBlankEdges(glyph);
    return true;
  }

 private:
  // GDI's cell height is the face's Windows ascent plus descent; a positive
  // height asks for that cell, a negative one for the em size.
  void SetSize() {
    std::lock_guard<std::mutex> lock(Library().mutex);
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    double ascender = face_->ascender;
    double descender = -static_cast<double>(face_->descender);
    if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      ascender = os2->usWinAscent;
      descender = os2->usWinDescent;
    }
    const double units = face_->units_per_EM > 0 ? face_->units_per_EM : 1000.0;
    double cell_units = ascender + descender;
    if (cell_units <= 0) cell_units = units;
    double em_pixels;
    int height;
    if (request_.height > 0) {
      height = request_.height;
      em_pixels = height * units / cell_units;
    } else {
      em_pixels = -request_.height;
      height = static_cast<int>(std::lround(em_pixels * cell_units / units));
    }
    FT_Set_Char_Size(face_, 0, static_cast<FT_F26Dot6>(std::lround(em_pixels * 64)), 72, 72);
    const double scale = em_pixels / units;
    metrics_.height = height;
    metrics_.ascent = static_cast<int>(std::lround(ascender * scale));
    if (metrics_.ascent > height) metrics_.ascent = height;
    metrics_.descent = height - metrics_.ascent;
    metrics_.internal_leading = height - static_cast<int>(std::lround(em_pixels));
    if (metrics_.internal_leading < 0) metrics_.internal_leading = 0;
    const int extra = bold_ ? 1 : 0;
    metrics_.max_width = static_cast<int>(std::lround(face_->max_advance_width * scale)) + extra;
    int average = os2 != nullptr && os2->version != 0xFFFF && os2->xAvgCharWidth > 0
                      ? static_cast<int>(std::lround(os2->xAvgCharWidth * scale))
                      : static_cast<int>(std::lround(em_pixels / 2));
    metrics_.average_width = average + extra;
  }

  // GDI's black box holds only inked pixels: blank rows and columns at the
  // edges go, and the origin follows.
  static void TrimBlankEdges(RenderedGlyph* glyph) {
    int left = glyph->width, right = -1, top = glyph->height, bottom = -1;
    for (int y = 0; y < glyph->height; ++y) {
      for (int x = 0; x < glyph->width; ++x) {
        if (glyph->levels[static_cast<size_t>(y) * glyph->width + x] == 0) continue;
        if (x < left) left = x;
        if (x > right) right = x;
        if (y < top) top = y;
        if (y > bottom) bottom = y;
      }
    }
    if (right < 0) {
      glyph->width = 0;
      glyph->height = 0;
      glyph->levels.clear();
      return;
    }
    const int width = right - left + 1, height = bottom - top + 1;
    if (width == glyph->width && height == glyph->height) return;
    std::vector<uint8_t> trimmed(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        trimmed[static_cast<size_t>(y) * width + x] =
            glyph->levels[static_cast<size_t>(y + top) * glyph->width + x + left];
      }
    }
    glyph->levels.swap(trimmed);
    glyph->origin_x += left;
    glyph->origin_y -= top;
    glyph->width = width;
    glyph->height = height;
  }

  FT_Face face_;
  FontRequest request_;
  bool bold_ = false;
  FontFaceMetrics metrics_;
};

}  // namespace

std::unique_ptr<FontFace> MakeInstalledFontFace(const FontRequest& request) {
  FaceFile file;
  if (!FindFaceFile(request.face_name, &file)) {
    std::fprintf(stderr,
                 "brimal: no Japanese font face found (tried \"%s\", IPAGothic, Noto Sans CJK JP, "
                 "VL Gothic); install fonts-ipafont-gothic\n",
                 request.face_name.c_str());
    return nullptr;
  }
  FreeTypeLibrary& library = Library();
  FT_Face face = nullptr;
  {
    std::lock_guard<std::mutex> lock(library.mutex);
    if (!library.started) {
      if (FT_Init_FreeType(&library.library) != 0) return nullptr;
      library.started = true;
    }
    if (FT_New_Face(library.library, file.path.c_str(), file.index, &face) != 0) {
      std::fprintf(stderr, "brimal: cannot open the font file %s\n", file.path.c_str());
      return nullptr;
    }
  }
  return std::make_unique<FreeTypeFace>(face, request);
}

std::string Cp949ToUtf8(std::string_view cp949) {
  iconv_t cd = iconv_open("UTF-8", "CP949");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out(cp949.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(cp949.data());
  size_t src_left = cp949.size();
  char* dst = out.data();
  size_t dst_left = out.size();
  const size_t result = iconv(cd, &src, &src_left, &dst, &dst_left);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) return "\xEF\xBF\xBD";
  out.resize(out.size() - dst_left);
  return out;
}
