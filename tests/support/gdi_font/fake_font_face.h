// A font face with hand-drawn glyphs, installed in place of the installed
// faces for the duration of a test. Glyphs are drawn as rows of characters:
// '.' is empty, '#' full coverage, '1' to '9' and 'A' to 'G' the grey levels
// 1 to 16 (a 1-bit request sets every pixel that is not empty). A code point
// without a drawing gets the default glyph.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/gdi_font.h"

struct FakeGlyph {
  std::vector<std::string> rows;  // all of one length; none for a blank glyph
  int origin_x = 0;
  int origin_y = 0;  // rows above the base line
  int advance = 0;
};

struct FakeFontState {
  // Metrics of every face: ascent = height x 3 / 4 unless set; max width
  // = the height unless set.
  int ascent = -1;
  int max_width = -1;
  std::map<uint32_t, FakeGlyph> glyphs;
  FakeGlyph default_glyph{{"##", "##"}, 0, 2, 3};
  // Requests refused: by face name (UTF-8), or every request of a set.
  std::vector<std::string> refused_faces;
  std::vector<DWORD> refused_char_sets;
  bool refuse_all = false;
  // What was asked.
  std::vector<FontRequest> requests;
  int renders = 0;
  std::vector<uint32_t> rendered;  // code points, in order
};

inline FakeFontState& FakeFonts() {
  static FakeFontState state;
  return state;
}

class FakeFontFace : public FontFace {
 public:
  explicit FakeFontFace(const FontRequest& request) : request_(request) {}
  FontFaceMetrics Metrics() const override {
    const FakeFontState& state = FakeFonts();
    FontFaceMetrics m;
    m.height = request_.height > 0 ? request_.height : -request_.height;
    m.ascent = state.ascent >= 0 ? state.ascent : m.height * 3 / 4;
    m.descent = m.height - m.ascent;
    m.average_width = m.height / 2;
    m.max_width = state.max_width >= 0 ? state.max_width : m.height;
    return m;
  }
  bool Render(uint32_t code_point, bool grey, RenderedGlyph* glyph) override {
    FakeFontState& state = FakeFonts();
    ++state.renders;
    state.rendered.push_back(code_point);
    auto found = state.glyphs.find(code_point);
    const FakeGlyph& drawn = found != state.glyphs.end() ? found->second : state.default_glyph;
    glyph->height = static_cast<int>(drawn.rows.size());
    glyph->width = drawn.rows.empty() ? 0 : static_cast<int>(drawn.rows[0].size());
    glyph->origin_x = drawn.origin_x;
    glyph->origin_y = drawn.origin_y;
    glyph->advance = drawn.advance;
    glyph->levels.clear();
    for (const std::string& row : drawn.rows) {
      for (char c : row) {
        int level = 0;
        if (c == '#') level = 16;
        if (c >= '1' && c <= '9') level = c - '0';
        if (c >= 'A' && c <= 'G') level = c - 'A' + 10;
        if (!grey) level = level != 0 ? 1 : 0;
        glyph->levels.push_back(static_cast<uint8_t>(level));
      }
    }
    return true;
  }

 private:
  FontRequest request_;
};

inline std::unique_ptr<FontFace> MakeFakeFontFace(const FontRequest& request) {
  FakeFontState& state = FakeFonts();
  state.requests.push_back(request);
  if (state.refuse_all) return nullptr;
  for (const std::string& face : state.refused_faces) {
    if (request.face_name == face) return nullptr;
  }
  for (DWORD set : state.refused_char_sets) {
    if (request.char_set == set) return nullptr;
  }
  return std::make_unique<FakeFontFace>(request);
}

// Installs the fake faces (with a fresh state) until the object goes.
class ScopedFakeFonts {
 public:
  ScopedFakeFonts() : previous_(SetFontFaceFactory(MakeFakeFontFace)) {
    FakeFonts() = FakeFontState{};
  }
  ~ScopedFakeFonts() { SetFontFaceFactory(previous_); }
  ScopedFakeFonts(const ScopedFakeFonts&) = delete;
  ScopedFakeFonts& operator=(const ScopedFakeFonts&) = delete;

 private:
  FontFaceFactory previous_;
};
