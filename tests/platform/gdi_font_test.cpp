// The GDI font stand-in: font objects in memory contexts, text metrics,
// glyph bitmaps in GDI's layouts (with hand-drawn glyphs), character codes,
// and the installed Japanese face through fontconfig and FreeType.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/gdi_font.h"
#include "tests/support/gdi_font/fake_font_face.h"

namespace {

// "ＭＳ ゴシック" in code page 932.
const char kMsGothic[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";
constexpr UINT kHiraganaA = 0x82A0;  // あ

MAT2 Identity() {
  MAT2 m{};
  m.eM11.value = 1;
  m.eM22.value = 1;
  return m;
}

HFONT MakeFont(int height, int weight = 400, const char* face = nullptr,
               DWORD char_set = SHIFTJIS_CHARSET) {
  return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, char_set, 0, 0, NONANTIALIASED_QUALITY,
                     FIXED_PITCH, face);
}

// A memory context with `font` selected, released at the end of the scope.
class FontDc {
 public:
  explicit FontDc(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
    old_ = SelectObject(dc_, font);
  }
  ~FontDc() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

struct Bitmap {
  DWORD size = 0;
  GLYPHMETRICS metrics{};
  std::vector<uint8_t> bytes;
};

Bitmap Outline(HDC dc, UINT code, UINT format) {
  Bitmap bitmap;
  const MAT2 identity = Identity();
  bitmap.size = GetGlyphOutlineA(dc, code, format, &bitmap.metrics, 0, nullptr, &identity);
  if (bitmap.size == GDI_ERROR || bitmap.size == 0) return bitmap;
  bitmap.bytes.assign(bitmap.size, 0xEE);
  EXPECT_EQ(GetGlyphOutlineA(dc, code, format, &bitmap.metrics, bitmap.size, bitmap.bytes.data(),
                             &identity),
            bitmap.size);
  return bitmap;
}

// Inked pixels of a bitmap in either layout.
int InkCount(const Bitmap& bitmap, UINT format) {
  if (bitmap.bytes.empty()) return 0;
  const int height = static_cast<int>(bitmap.metrics.gmBlackBoxY);
  const int width = static_cast<int>(bitmap.metrics.gmBlackBoxX);
  const int pitch = static_cast<int>(bitmap.size) / height;
  int ink = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* row = bitmap.bytes.data() + y * pitch;
      const bool set = format == GGO_BITMAP ? (row[x >> 3] & (0x80 >> (x & 7))) != 0 : row[x] != 0;
      ink += set ? 1 : 0;
    }
  }
  return ink;
}

class GdiFontFakeTest : public ::testing::Test {
 protected:
  ScopedFakeFonts fake_;
};

TEST_F(GdiFontFakeTest, BitmapsArePaddedToWholeWordsAndSizedExactly) {
  struct Case {
    const char* name;
    std::vector<std::string> rows;
    UINT format;
    DWORD pitch;
    std::vector<uint8_t> first_row;  // the row's bytes as GDI lays them out
  };
  const std::string w33(33, '#');
  const Case cases[] = {
      {"1-bit, 3 wide", {"#.#", ".#."}, GGO_BITMAP, 4, {0xA0, 0, 0, 0}},
      {"1-bit, 33 wide: two words", {w33}, GGO_BITMAP, 8, {0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0}},
      {"grey, 3 wide", {"19G", "..."}, GGO_GRAY4_BITMAP, 4, {1, 9, 16, 0}},
      {"grey, 5 wide", {"#...#"}, GGO_GRAY4_BITMAP, 8, {16, 0, 0, 0, 16, 0, 0, 0}},
      {"grey, 4 wide: no padding", {"2468"}, GGO_GRAY4_BITMAP, 4, {2, 4, 6, 8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFonts().glyphs['A'] = FakeGlyph{c.rows, 1, 7, 9};
    HFONT font = MakeFont(16);
    ASSERT_NE(font, nullptr);
    {
      FontDc dc(font);
      const Bitmap bitmap = Outline(dc.dc(), 'A', c.format);
      EXPECT_EQ(bitmap.size, c.pitch * c.rows.size());
      EXPECT_EQ(bitmap.metrics.gmBlackBoxX, c.rows[0].size());
      EXPECT_EQ(bitmap.metrics.gmBlackBoxY, c.rows.size());
      EXPECT_EQ(bitmap.metrics.gmptGlyphOrigin.x, 1);
      EXPECT_EQ(bitmap.metrics.gmptGlyphOrigin.y, 7);
      EXPECT_EQ(bitmap.metrics.gmCellIncX, 9);
      ASSERT_GE(bitmap.bytes.size(), c.first_row.size());
      const auto first_row_end = bitmap.bytes.begin() + static_cast<ptrdiff_t>(c.first_row.size());
      EXPECT_EQ(std::vector<uint8_t>(bitmap.bytes.begin(), first_row_end), c.first_row);
      // A buffer one byte short is refused and left alone.
      const MAT2 identity = Identity();
      std::vector<uint8_t> small(bitmap.size - 1, 0x55);
      GLYPHMETRICS metrics{};
      EXPECT_EQ(GetGlyphOutlineA(dc.dc(), 'A', c.format, &metrics, bitmap.size - 1, small.data(),
                                 &identity),
                GDI_ERROR);
      EXPECT_EQ(small, std::vector<uint8_t>(bitmap.size - 1, 0x55));
    }
    EXPECT_TRUE(DeleteObject(font));
  }
}

TEST_F(GdiFontFakeTest, BlankGlyphNeedsNoBytesAndMissingCodesDrawTheDefaultGlyph) {
  FakeFonts().glyphs[' '] = FakeGlyph{{}, 0, 0, 8};
  HFONT font = MakeFont(16);
  ASSERT_NE(font, nullptr);
  {
    FontDc dc(font);
    const Bitmap blank = Outline(dc.dc(), ' ', GGO_BITMAP);
    EXPECT_EQ(blank.size, 0u);
    EXPECT_EQ(blank.metrics.gmBlackBoxX, 1u);
    EXPECT_EQ(blank.metrics.gmBlackBoxY, 1u);
    EXPECT_EQ(blank.metrics.gmCellIncX, 8);

    // 'Z' has no drawing; 0x8100 is no code page 932 character at all.
    for (UINT code : {UINT{'Z'}, UINT{0x8100}}) {
      SCOPED_TRACE(code);
      const Bitmap missing = Outline(dc.dc(), code, GGO_GRAY4_BITMAP);
      EXPECT_EQ(missing.size, 8u);  // the 2 x 2 default glyph
      EXPECT_EQ(missing.metrics.gmCellIncX, 3);
    }
  }
  EXPECT_EQ(FakeFonts().rendered.back(), kNoCodePoint);
  DeleteObject(font);
}

TEST_F(GdiFontFakeTest, CharacterCodesAreReadInTheFontsCodePage) {
  struct Case {
    UINT code;
    DWORD char_set;
    uint32_t code_point;
  };
  const Case cases[] = {
      {'A', SHIFTJIS_CHARSET, 'A'},
      {kHiraganaA, SHIFTJIS_CHARSET, 0x3042},
      {0x8140, DEFAULT_CHARSET, 0x3000},  // the full-width space
      {0xB1, SHIFTJIS_CHARSET, 0xFF71},   // a half-width katakana
      {0x8100, SHIFTJIS_CHARSET, kNoCodePoint},
      {0, SHIFTJIS_CHARSET, kNoCodePoint},
      {0x10000, SHIFTJIS_CHARSET, kNoCodePoint},
      {0xB0A1, HANGEUL_CHARSET, 0xAC00},  // the first Hangul syllable
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(FontCodeToCodePoint(c.code, c.char_set), c.code_point);
  }
}

TEST_F(GdiFontFakeTest, FontsSelectLikeBitmapsAndStayWhileSelected) {
  HFONT font = MakeFont(20, 700, kMsGothic, DEFAULT_CHARSET);
  ASSERT_NE(font, nullptr);
  ASSERT_EQ(FakeFonts().requests.size(), 1u);
  EXPECT_EQ(FakeFonts().requests[0].face_name, "ＭＳ ゴシック");
  EXPECT_EQ(FakeFonts().requests[0].height, 20);
  EXPECT_EQ(FakeFonts().requests[0].weight, 700);

  HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ stock = SelectObject(dc, font);
  EXPECT_EQ(stock, StockFontObject());
  EXPECT_FALSE(DeleteObject(font)) << "a selected font stays";
  TEXTMETRICA metrics{};
  ASSERT_TRUE(GetTextMetricsA(dc, &metrics));
  EXPECT_EQ(metrics.tmHeight, 20);
  EXPECT_EQ(metrics.tmAscent, 15);
  EXPECT_EQ(metrics.tmDescent, 5);
  EXPECT_EQ(metrics.tmMaxCharWidth, 20);
  EXPECT_EQ(metrics.tmWeight, 700);
  EXPECT_EQ(SelectObject(dc, stock), font);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_FALSE(DeleteObject(font)) << "deleted once";
  EXPECT_FALSE(DeleteObject(StockFontObject())) << "stock objects are never deleted";
  DeleteDC(dc);

  const MAT2 identity = Identity();
  GLYPHMETRICS glyph{};
  EXPECT_FALSE(GetTextMetricsA(dc, &metrics)) << "a deleted context";
  EXPECT_EQ(GetGlyphOutlineA(dc, 'A', GGO_BITMAP, &glyph, 0, nullptr, &identity), GDI_ERROR);
}

TEST_F(GdiFontFakeTest, NoFaceNoFont) {
  FakeFonts().refuse_all = true;
  EXPECT_EQ(MakeFont(16), nullptr);
}

// ---- The installed Japanese face ------------------------------------------------

TEST(GdiFontInstalledTest, DefaultAndNamedGothicReachAJapaneseFace) {
  struct Case {
    const char* name;
    const char* face;
    int weight;
  };
  const Case cases[] = {
      {"default face", nullptr, 600},
      {"ＭＳ ゴシック", kMsGothic, 400},
      {"a face not installed", "NoSuchFaceAnywhere", 400},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HFONT font = MakeFont(16, c.weight, c.face);
    ASSERT_NE(font, nullptr);
    {
      FontDc dc(font);
      TEXTMETRICA metrics{};
      ASSERT_TRUE(GetTextMetricsA(dc.dc(), &metrics));
      EXPECT_EQ(metrics.tmHeight, 16) << "a positive height is the cell height";
      EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, 16);
      EXPECT_GE(metrics.tmMaxCharWidth, 8);
      for (UINT format : {GGO_BITMAP, GGO_GRAY4_BITMAP}) {
        SCOPED_TRACE(format);
        const Bitmap a = Outline(dc.dc(), kHiraganaA, format);
        ASSERT_NE(a.size, GDI_ERROR);
        EXPECT_GT(InkCount(a, format), 20) << "あ is drawn";
        EXPECT_LE(a.metrics.gmBlackBoxY, 16u);
        EXPECT_GE(a.metrics.gmCellIncX, 15);
        EXPECT_LE(a.metrics.gmptGlyphOrigin.y, metrics.tmAscent);
      }
      const Bitmap space = Outline(dc.dc(), 0x8140, GGO_BITMAP);
      EXPECT_EQ(space.size, 0u);
      EXPECT_GE(space.metrics.gmCellIncX, 15);
    }
    DeleteObject(font);
  }
}

// Each face name keeps its own face however the names are interleaved: the
// default gothic face is fixed-pitch, the proportional gothic face (installed
// with the gothic fonts) gives 'i' less room than 'W'.
TEST(GdiFontInstalledTest, InterleavedFaceNamesKeepTheirOwnFaces) {
  struct Case {
    const char* name;
    const char* face;
    bool proportional;
  };
  const Case cases[] = {
      {"default face", nullptr, false},
      {"proportional gothic", "IPAPGothic", true},
      {"default face again", nullptr, false},
      {"proportional gothic again", "IPAPGothic", true},
      {"named fixed gothic", "IPAGothic", false},
      {"proportional gothic a third time", "IPAPGothic", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HFONT font = MakeFont(24, 400, c.face);
    ASSERT_NE(font, nullptr);
    {
      FontDc dc(font);
      const Bitmap narrow = Outline(dc.dc(), 'i', GGO_BITMAP);
      const Bitmap wide = Outline(dc.dc(), 'W', GGO_BITMAP);
      ASSERT_NE(narrow.size, GDI_ERROR);
      ASSERT_NE(wide.size, GDI_ERROR);
      if (c.proportional) {
        EXPECT_LT(narrow.metrics.gmCellIncX, wide.metrics.gmCellIncX);
      } else {
        EXPECT_EQ(narrow.metrics.gmCellIncX, wide.metrics.gmCellIncX);
      }
    }
    DeleteObject(font);
  }
}

TEST(GdiFontInstalledTest, WeightSixHundredIsEmboldened) {
  HFONT normal = MakeFont(24, 400);
  HFONT bold = MakeFont(24, 600);
  ASSERT_NE(normal, nullptr);
  ASSERT_NE(bold, nullptr);
  int ink[2];
  LONG max_width[2];
  HFONT fonts[2] = {normal, bold};
  for (int i = 0; i < 2; ++i) {
    FontDc dc(fonts[i]);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc.dc(), &metrics);
    max_width[i] = metrics.tmMaxCharWidth;
    ink[i] = InkCount(Outline(dc.dc(), 'H', GGO_BITMAP), GGO_BITMAP);
  }
  EXPECT_GT(ink[1], ink[0]);
  EXPECT_EQ(max_width[1], max_width[0] + 1);
  DeleteObject(normal);
  DeleteObject(bold);
}

}  // namespace
