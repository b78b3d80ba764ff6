// Font handles, the glyph cache and the string walk over hand-drawn glyphs
// (the fake face of tests/support/gdi_font): defaults and cell sizes, the GDI
// fall-backs, the handle limits, the ring of cache slots, and glyph
// placement, colours, edges and clipping checked pixel by pixel in software
// images.
#include "runtime/graphics/font/font.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/font/glyph_cache.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/graphics_test_support.h"
#include "tests/support/gdi_font/fake_font_face.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlue = 0x0000FF;
// The face name GDI is asked for when none is given, as the face sees it.
const std::string kGothicUtf8 = reinterpret_cast<const char*>(u8"ＭＳ ゴシック");

void DeleteAllFonts() {
  DeleteAllHandleRecords(&FontHandleTable, [](int32_t handle) { DeleteFontHandle(handle); });
}

// A software image of its own, cleared to 0.
class TestImage {
 public:
  TestImage(int32_t width, int32_t height, int32_t kind, int32_t alpha) {
    image_ = MEMIMG{};
    EXPECT_EQ(InitMemImage(&image_, width, height, -1, 0, kind, 0, alpha, 0), 0);
    FillMemImage(&image_, nullptr, 0);
  }
  ~TestImage() { ReleaseMemImage(&image_); }
  MEMIMG* get() { return &image_; }
  uint32_t At(int32_t x, int32_t y) const {
    const uint8_t* p = image_.pixels + y * image_.pitch + x * image_.format->bytes_per_pixel;
    uint32_t value = 0;
    std::memcpy(&value, p, image_.format->bytes_per_pixel);
    return value;
  }
  uint32_t Pack(int32_t r, int32_t g, int32_t b, int32_t a = 255) const {
    return PackColor(image_.format, r, g, b, a);
  }
  // The pixels that are not 0, as "x,y=value" lines in row order.
  std::vector<std::string> Inked() const {
    std::vector<std::string> inked;
    for (int32_t y = 0; y < image_.height; ++y) {
      for (int32_t x = 0; x < image_.width; ++x) {
        if (At(x, y) != 0) inked.push_back(Spot(x, y, At(x, y)));
      }
    }
    return inked;
  }
  static std::string Spot(int32_t x, int32_t y, uint32_t value) {
    return std::to_string(x) + "," + std::to_string(y) + "=" + std::to_string(value);
  }

 private:
  MEMIMG image_;
};

class FontTest : public SoftwareGraphicsTest {
 protected:
  void SetUp() override {
    SoftwareGraphicsTest::SetUp();
    ASSERT_EQ(FontHandleTable.live_count, 0);
    FontHandleTable.check_counter = 0;
    DefaultFontHandle = -1;
    InitDefaultFontSettings();
    // Faces 16 pixels high have an ascent of 12.
    FakeFonts().ascent = -1;
  }
  void TearDown() override {
    DeleteAllFonts();
    DefaultFontHandle = -1;
    SoftwareGraphicsTest::TearDown();
  }

  // A font of the fake face; every argument as CreateFontToHandle takes it.
  int32_t Font(int32_t size = 16, int32_t type = 0, int32_t edge = -1) {
    const int32_t handle = CreateFontToHandle(nullptr, size, -1, type, -1, edge, 0, -1, -1);
    EXPECT_GE(handle, 0);
    return handle;
  }
  static int32_t Draw(int32_t font, const char* text, int32_t x, int32_t y, MEMIMG* dest,
                      uint32_t color = kWhite, uint32_t edge = 0, const RECT* clip = nullptr,
                      int32_t vertical = 0, StringSize* size = nullptr) {
    const RECT whole{0, 0, dest->width, dest->height};
    return DrawStringWithCache(1, x, y, text, color, dest, clip != nullptr ? clip : &whole, font,
                               edge, -1, vertical, size);
  }

  ScopedFakeFonts fake_;
};

// ---- Font handles ------------------------------------------------------------------

TEST_F(FontTest, DefaultsAndCellSizes) {
  struct Case {
    const char* name;
    int32_t size, type, edge, max_width;  // max_width: the face's widest advance
    int32_t want_type, want_cell_width, want_cell_height, want_slots, want_bpp;
  };
  const Case cases[] = {
      {"all defaults", -1, -1, -1, 16, 0, 24, 16, 568, 1},
      {"edge 2 makes an edged font", 16, 0, 2, 16, 1, 24, 20, 568, 8},
      {"anti-aliased and edged, size 24", 24, 3, -1, 24, 3, 32, 26, 320, 8},
      {"odd height rounds up", 15, 2, -1, 15, 2, 24, 16, 568, 8},
      {"narrow face: the cell is the height", 30, 0, -1, 4, 0, 30, 30, 364, 1},
      {"huge cells keep 20 slots", 200, 0, -1, 200, 0, 208, 200, 20, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFonts().max_width = c.max_width;
    FakeFonts().requests.clear();
    const int32_t font = CreateFontToHandle(nullptr, c.size, -1, c.type, -1, c.edge, 0, -1, -1);
    ASSERT_GE(font, 0);
    const FontRecord* record = GetFontRecord(font);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->font_type, c.want_type);
    EXPECT_EQ(record->cell_width, c.want_cell_width);
    EXPECT_EQ(record->cell_height, c.want_cell_height);
    EXPECT_EQ(record->slot_count, c.want_slots);
    EXPECT_EQ(record->soft_cache_bpp, c.want_bpp);
    EXPECT_EQ(record->cache_height, c.want_slots * c.want_cell_width);
    EXPECT_EQ(record->slots[c.want_slots].slot_number, -1);
    EXPECT_EQ(record->thickness, 6);
    EXPECT_EQ(record->char_set_index, 1) << "code page 932 gives Shift-JIS";
    EXPECT_EQ(record->face_name[0], '\0');
    ASSERT_FALSE(FakeFonts().requests.empty());
    EXPECT_EQ(FakeFonts().requests[0].weight, 600);
    EXPECT_EQ(FakeFonts().requests[0].char_set, SHIFTJIS_CHARSET);
    EXPECT_EQ(FakeFonts().requests[0].face_name, kGothicUtf8);
    EXPECT_EQ(GetFontSize(font), c.size == -1 ? 16 : c.size);
    EXPECT_EQ(DeleteFontHandle(font), 0);
  }
}

TEST_F(FontTest, GdiFallBacksAndFailures) {
  struct Case {
    const char* name;
    const char* face;
    std::vector<std::string> refused_faces;
    std::vector<DWORD> refused_sets;
    // The requests GDI sees: face (UTF-8, "" for none), character set, italic.
    std::vector<std::tuple<std::string, DWORD, bool>> requests;
    bool made;
    const char* log;
  };
  const std::string gothic = kGothicUtf8;
  const Case cases[] = {
      {"named face refused in Shift-JIS", "Foo", {}, {SHIFTJIS_CHARSET},
       {{"Foo", SHIFTJIS_CHARSET, true}, {"Foo", DEFAULT_CHARSET, true}}, true, ""},
      {"named face refused everywhere", "Foo", {"Foo"}, {},
       {{"Foo", SHIFTJIS_CHARSET, true}, {"Foo", DEFAULT_CHARSET, true},
        {"Foo", SHIFTJIS_CHARSET, true}},
       false, "指定のフォントの作成に失敗しました"},
      {"default gothic refused: no face", nullptr, {gothic}, {},
       {{gothic, SHIFTJIS_CHARSET, true}, {gothic, DEFAULT_CHARSET, false},
        {"", DEFAULT_CHARSET, false}},
       true, ""},
      {"nothing at all", nullptr, {gothic, ""}, {},
       {{gothic, SHIFTJIS_CHARSET, true}, {gothic, DEFAULT_CHARSET, false},
        {"", DEFAULT_CHARSET, false}},
       false, "フォントの作成に失敗しました"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFonts().requests.clear();
    FakeFonts().refused_faces = c.refused_faces;
    FakeFonts().refused_char_sets = c.refused_sets;
    const int32_t blocks = TrackedBlockCount();
    LogCapture log;
    const int32_t font = CreateFontToHandle(c.face, 16, -1, 0, -1, -1, 1, -1, -1);
    std::vector<std::tuple<std::string, DWORD, bool>> seen;
    for (const FontRequest& r : FakeFonts().requests) {
      seen.emplace_back(r.face_name, r.char_set, r.italic);
    }
    EXPECT_EQ(seen, c.requests);
    if (c.made) {
      ASSERT_GE(font, 0);
      EXPECT_STREQ(GetFontRecord(font)->face_name, c.face != nullptr ? c.face : "")
          << "the face name kept is the one given";
      DeleteFontHandle(font);
    } else {
      EXPECT_EQ(font, -1);
      EXPECT_NE(log.text().find(c.log), std::string::npos) << log.text();
      EXPECT_EQ(FontHandleTable.live_count, 0) << "no slot left occupied";
      EXPECT_EQ(Surface2DTable.live_count, 0);
      EXPECT_EQ(TrackedBlockCount(), blocks);
    }
  }
}

TEST_F(FontTest, SlotLimitsAndRequestedSlots) {
  std::vector<int32_t> fonts;
  for (int i = 0; i < 40; ++i) fonts.push_back(Font());
  {
    LogCapture log;
    EXPECT_EQ(CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, -1, -1), -1);
    EXPECT_NE(log.text().find("作成できるフォントハンドル数 40 の限界を超えました"),
              std::string::npos)
        << log.text();
  }
  ASSERT_EQ(DeleteFontHandle(fonts[7]), 0);
  EXPECT_EQ(IsFontHandleValid(fonts[7]), 0);
  // Slots outside the table, or taken, are refused without a message.
  for (int32_t slot : {40, 41, -2, 65535, 8}) {
    SCOPED_TRACE(slot);
    LogCapture log;
    EXPECT_EQ(CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, slot, -1), -1);
    EXPECT_EQ(log.text(), "");
  }
  const int32_t again = CreateFontToHandle(nullptr, -1, -1, -1, -1, -1, 0, 7, 5);
  EXPECT_EQ(again, MakeRuntimeHandle(5, HandleType::kFont, 7));
  EXPECT_EQ(IsFontHandleValid(again), 1);
}

// A font hands back the face it was asked for (empty for the default face),
// its size and its thickness, defaults filled in; any output may be left
// out, and a bad handle changes none of them.
TEST_F(FontTest, HandleInfoGivesTheFaceSizeAndThickness) {
  struct Case {
    const char* name;
    const char* face;  // null: the default face
    int32_t size, thickness;
    const char* want_face;
    int32_t want_size, want_thickness;
  };
  const Case cases[] = {
      {"a named face", "テスト明朝", 24, 3, "テスト明朝", 24, 3},
      {"the default face and values", nullptr, -1, -1, "", 16, 6},
      {"an empty face name", "", 12, 9, "", 12, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t font = CreateFontToHandle(c.face, c.size, c.thickness, 0, -1, -1, 0, -1, -1);
    ASSERT_GE(font, 0);
    char face[kFontFaceNameBytes];
    std::memset(face, 'x', sizeof(face));
    int32_t size = 0, thickness = 0;
    ASSERT_EQ(GetFontHandleInfo(face, &size, &thickness, font), 0);
    EXPECT_STREQ(face, c.want_face);
    EXPECT_EQ(size, c.want_size);
    EXPECT_EQ(thickness, c.want_thickness);
    size = 0;
    EXPECT_EQ(GetFontHandleInfo(nullptr, &size, nullptr, font), 0);
    EXPECT_EQ(size, c.want_size);
    thickness = 0;
    EXPECT_EQ(GetFontHandleInfo(nullptr, nullptr, &thickness, font), 0);
    EXPECT_EQ(thickness, c.want_thickness);

    ASSERT_EQ(DeleteFontHandle(font), 0);
    std::strcpy(face, "kept");
    size = thickness = 77;
    EXPECT_EQ(GetFontHandleInfo(face, &size, &thickness, font), -1);
    EXPECT_STREQ(face, "kept");
    EXPECT_EQ(size, 77);
    EXPECT_EQ(thickness, 77);
  }
}

TEST_F(FontTest, DeleteRaisesTheLostFlagAndFreesTheCache) {
  const int32_t blocks = TrackedBlockCount();
  const int32_t font = Font(16, 3);
  int32_t lost = 7;
  ASSERT_EQ(SetFontLostFlagAddress(font, &lost), 0);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(Surface2DTable.live_count, 1) << "the font's screen surface";
  ASSERT_EQ(DeleteFontHandle(font), 0);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(Surface2DTable.live_count, 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
  EXPECT_EQ(DeleteFontHandle(font), -1);
  EXPECT_EQ(SetFontCharSpacing(2, font), -1);
  EXPECT_EQ(GetFontSize(font), -1);
}

TEST_F(FontTest, DefaultFontFollowsItsSettingsAndFontsSurviveRecreation) {
  ASSERT_EQ(InitFontSystem(), 0);
  const int32_t first = GetDefaultFontHandle();
  ASSERT_EQ(IsFontHandleValid(first), 1);
  EXPECT_EQ(GetFontRecord(first)->size, 16);

  ASSERT_EQ(RefreshDefaultFont(), 0);
  EXPECT_EQ(GetDefaultFontHandle(), first) << "settings already met";

  DefaultFont.char_spacing = 3;
  ASSERT_EQ(SetDefaultFontSize(24, -1), 0);
  const int32_t second = GetDefaultFontHandle();
  EXPECT_NE(second, first);
  EXPECT_EQ(IsFontHandleValid(first), 0);
  EXPECT_EQ(GetFontRecord(second)->size, 24);
  EXPECT_EQ(GetFontRecord(second)->thickness, 6);
  EXPECT_EQ(GetFontRecord(second)->char_spacing, 3);

  // Another font with a keeper, then every font made again.
  const int32_t other = Font(20, 1, 2);
  SetFontCharSpacing(5, other);
  int32_t lost = 0;
  SetFontLostFlagAddress(other, &lost);
  const int32_t made = FakeFonts().renders;
  std::vector<GlyphCode> a{{'A', 0, 0}};
  RenderGlyphsToCache(other, 1, a.data());
  ASSERT_EQ(RecreateAllFonts(), 0);
  for (int32_t font : {second, other}) EXPECT_EQ(IsFontHandleValid(font), 1);
  EXPECT_EQ(FontHandleTable.live_count, 2);
  EXPECT_EQ(GetFontRecord(other)->char_spacing, 5);
  EXPECT_EQ(GetFontRecord(other)->edge_size, 2);
  EXPECT_EQ(GetFontRecord(other)->font_type, 1);
  EXPECT_EQ(FindCachedGlyph(GetFontRecord(other), a[0]), nullptr) << "caches start empty";
  EXPECT_EQ(lost, 0) << "the keeper keeps its font";
  EXPECT_GT(FakeFonts().renders, made);

  // A new start keeps the default font's look, not its spacing.
  ASSERT_EQ(InitFontSystem(), 0);
  EXPECT_EQ(FontHandleTable.live_count, 1);
  EXPECT_EQ(lost, 1);
  EXPECT_EQ(GetFontRecord(GetDefaultFontHandle())->size, 24);
  EXPECT_EQ(GetFontRecord(GetDefaultFontHandle())->char_spacing, 0);
}

// ---- Glyph cache -------------------------------------------------------------------

TEST_F(FontTest, RingOfSlotsEvictsTheOldestCharacter) {
  FakeFonts().max_width = 200;
  const int32_t font = Font(200);  // 20 slots
  FontRecord* record = GetFontRecord(font);
  ASSERT_EQ(record->slot_count, 20);
  // "AA": an uncached character twice takes two slots; the table names the
  // later one.
  int32_t count = 0;
  ASSERT_EQ(CacheGlyphsOfString(font, "AA", -1, nullptr, &count), 0);
  EXPECT_EQ(count, 2);
  // Each inked glyph is asked for twice: its size, then its bitmap.
  constexpr int kCallsPerGlyph = 2;
  EXPECT_EQ(FakeFonts().renders, 2 * kCallsPerGlyph);
  const GlyphCode a{'A', 0, 0};
  EXPECT_EQ(FindCachedGlyph(record, a), &record->slots[1]);
  // 18 more fill the ring; the 21st character takes slot 0, whose old
  // character ('A' once) is named by slot 1 now and stays cached.
  ASSERT_EQ(CacheGlyphsOfString(font, "bcdefghijklmnopqrs", -1, nullptr, &count), 0);
  EXPECT_EQ(record->next_slot, 0);
  ASSERT_EQ(CacheGlyphsOfString(font, "t", -1, nullptr, &count), 0);
  EXPECT_EQ(FindCachedGlyph(record, a), &record->slots[1]);
  // The next one takes slot 1: 'A' is no longer cached and is rendered again.
  ASSERT_EQ(CacheGlyphsOfString(font, "u", -1, nullptr, &count), 0);
  EXPECT_EQ(FindCachedGlyph(record, a), nullptr);
  const int32_t renders = FakeFonts().renders;
  EXPECT_EQ(MeasureStringWithFont("A", -1, font, 0), FakeFonts().default_glyph.advance);
  EXPECT_EQ(FakeFonts().renders, renders + kCallsPerGlyph);
  EXPECT_EQ(FindCachedGlyph(record, a), &record->slots[2]);

  ASSERT_EQ(ResetFontGlyphCache(font), 0);
  EXPECT_EQ(FindCachedGlyph(record, a), nullptr);
  EXPECT_EQ(record->next_slot, 0);
}

// Emptying the cache leaves no entry of the whole code table set, whatever
// the ring went through: repeated characters, double-byte characters and
// cells taken over by later characters.
TEST_F(FontTest, ResetEmptiesEveryEntryOfTheCodeTable) {
  FakeFonts().max_width = 200;
  const int32_t font = Font(200);  // 20 slots
  FontRecord* record = GetFontRecord(font);
  ASSERT_EQ(record->slot_count, 20);
  const char* const texts[] = {"AAB", "\x82\xa0\x82\xa0x", "cdefghijklmnopq", "rsAtu\x88\x9f",
                               "vwxyzA"};
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    for (const char* text : texts) ASSERT_EQ(CacheGlyphsOfString(font, text, -1, nullptr, nullptr), 0);
    ASSERT_NE(FindCachedGlyph(record, GlyphCode{'A', 0, 0}), nullptr);
    ASSERT_EQ(ResetFontGlyphCache(font), 0);
    int32_t set_entries = 0;
    for (const GlyphCodeEntry& entry : record->code_table) {
      if (entry.cached != 0 || entry.slot != nullptr) ++set_entries;
    }
    EXPECT_EQ(set_entries, 0);
    for (int32_t i = 0; i < record->slot_count; ++i) {
      EXPECT_EQ(record->slots[i].slot_number, i);
      EXPECT_EQ(record->slots[i].in_use, 0);
      EXPECT_EQ(record->slots[i].code_entry, nullptr);
    }
    EXPECT_EQ(record->slots[record->slot_count].slot_number, -1);
    EXPECT_EQ(record->next_slot, 0);
  }
}

TEST_F(FontTest, DoubleByteTestFollowsTheCharacterSet) {
  struct Case {
    int32_t char_set;
    const char* text;
    std::vector<std::pair<int, int>> codes;
  };
  const Case cases[] = {
      {1, "\x81\x41" "B", {{0x81, 0x41}, {'B', 0}}},
      {1, "\xA0\x41", {{0xA0, 0}, {0x41, 0}}},
      {2, "\xA0\x41" "\x81\x41", {{0xA0, 0x41}, {0x81, 0x41}}},
      {1, "a\x82", {{'a', 0}}},  // a lead byte before the end ends the text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const int32_t font = CreateFontToHandle(nullptr, 16, -1, 0, c.char_set, -1, 0, -1, -1);
    GlyphCode list[kGlyphCodeListMax];
    int32_t count = 0;
    ASSERT_EQ(CacheGlyphsOfString(font, c.text, -1, list, &count), 0);
    std::vector<std::pair<int, int>> codes;
    for (int32_t i = 0; i < count; ++i) codes.emplace_back(list[i].first, list[i].second);
    EXPECT_EQ(codes, c.codes);
    DeleteFontHandle(font);
  }
}

// ---- Drawing and measuring -----------------------------------------------------------

TEST_F(FontTest, GlyphsLandAtPenOriginAndAscentInTheTextColour) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"#.", ".#"}, 1, 3, 4};
  const int32_t font = Font();
  TestImage image(40, 24, 0, 0);
  StringSize size{};
  EXPECT_EQ(Draw(font, "AA", 10, 5, image.get(), kWhite, 0, nullptr, 0, &size), 8);
  EXPECT_EQ(size.width, 8);
  EXPECT_EQ(size.height, 16);
  // Left = pen + x + origin x; top = y + ascent (12) - origin y.
  const uint32_t white = image.Pack(255, 255, 255);
  EXPECT_EQ(image.Inked(), (std::vector<std::string>{
                               TestImage::Spot(11, 14, white), TestImage::Spot(15, 14, white),
                               TestImage::Spot(12, 15, white), TestImage::Spot(16, 15, white)}));

  // Extra spacing widens every advance; the brightness darkens the colour.
  TestImage spaced(40, 24, 0, 0);
  SetFontCharSpacing(2, font);
  DrawBrightness = 0x80FFFF;
  EXPECT_EQ(Draw(font, "AA", 0, 0, spaced.get(), kWhite), 12);
  const uint32_t dimmed = spaced.Pack(128, 255, 255);
  EXPECT_EQ(spaced.Inked(), (std::vector<std::string>{
                                TestImage::Spot(1, 9, dimmed), TestImage::Spot(7, 9, dimmed),
                                TestImage::Spot(2, 10, dimmed), TestImage::Spot(8, 10, dimmed)}));
}

TEST_F(FontTest, EdgesSurroundEachGlyphPixel) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"#"}, 0, 1, 3};
  struct Case {
    int32_t edge;
    int edge_pixels;
  };
  // No edge for size 0, the plus of edge 1, the masks of 2 to 4 and the full
  // square above 4, each without the glyph's own pixel.
  const Case cases[] = {{0, 0}, {1, 4}, {2, 20}, {3, 28}, {4, 68}, {5, 120}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edge);
    const int32_t font = CreateFontToHandle(nullptr, 16, -1, 1, -1, c.edge, 0, -1, -1);
    ASSERT_GE(font, 0);
    TestImage image(48, 48, 0, 0);
    EXPECT_EQ(Draw(font, "A", 10, 10, image.get(), kRed, kBlue), 3 + 2 * c.edge);
    const uint32_t red = image.Pack(255, 0, 0), blue = image.Pack(0, 0, 255);
    // The glyph sits at (edge, edge) of the cell; the cell's top is
    // y + ascent - origin y.
    const int32_t gx = 10 + c.edge, gy = 10 + 11 + c.edge;
    int edge_pixels = 0, glyph_pixels = 0;
    for (int32_t y = 0; y < 48; ++y) {
      for (int32_t x = 0; x < 48; ++x) {
        const uint32_t v = image.At(x, y);
        if (v == blue) {
          ++edge_pixels;
          EXPECT_LE(std::abs(x - gx), c.edge);
          EXPECT_LE(std::abs(y - gy), c.edge);
        }
        if (v == red) ++glyph_pixels;
      }
    }
    EXPECT_EQ(image.At(gx, gy), red);
    EXPECT_EQ(glyph_pixels, 1);
    EXPECT_EQ(edge_pixels, c.edge_pixels);
    if (c.edge == 1) {
      EXPECT_EQ(image.At(gx - 1, gy), blue);
      EXPECT_EQ(image.At(gx, gy + 1), blue);
      EXPECT_EQ(image.At(gx - 1, gy - 1), 0u) << "no corners";
    }
    if (c.edge == 3) {
      EXPECT_EQ(image.At(gx, gy - 3), blue);
      EXPECT_EQ(image.At(gx - 1, gy - 3), 0u);
      EXPECT_EQ(image.At(gx - 3, gy), blue);
    }
    DeleteFontHandle(font);
  }
}

TEST_F(FontTest, AntiAliasedLevelsBecomeAlphaAndMixOverTheEdge) {
  // Levels 1, 9, 16 and a blank pixel.
  FakeFonts().glyphs['A'] = FakeGlyph{{"19#."}, 0, 12, 5};
  const int32_t plain = Font(16, 2);
  TestImage argb(16, 16, 1, 1);
  EXPECT_EQ(Draw(plain, "A", 0, 0, argb.get(), kRed), 5);
  EXPECT_EQ(argb.At(0, 0), 0u) << "level 1 keeps the pixel";
  EXPECT_EQ(argb.At(1, 0), argb.Pack(255, 0, 0, 128));
  EXPECT_EQ(argb.At(2, 0), argb.Pack(255, 0, 0, 240));
  EXPECT_EQ(argb.At(3, 0), 0u);
  // The same into a 16-bit image with an alpha byte.
  TestImage wide16(16, 16, 0, 1);
  Draw(plain, "A", 0, 0, wide16.get(), kRed);
  EXPECT_EQ(wide16.At(1, 0), wide16.Pack(255, 0, 0, 128));

  // Anti-aliased and edged: the level-9 pixel lies in the edge of the level-16
  // one: g = 8, e = 15, alpha 8 x 16 + 7 x 15 = 233, text weight
  // 8 x 4096 / 233 = 140 of 256.
  FakeFonts().glyphs['B'] = FakeGlyph{{"9#"}, 0, 12, 5};
  const int32_t edged = Font(16, 3);
  TestImage mixed(16, 16, 1, 1);
  EXPECT_EQ(Draw(edged, "B", 0, 0, mixed.get(), kRed, kBlue), 7);
  // The glyph sits at (1, 1) of the cell.
  EXPECT_EQ(mixed.At(1, 1), mixed.Pack(139, 0, 115, 233));
  EXPECT_EQ(mixed.At(2, 1), mixed.Pack(255, 0, 0, 255));
  EXPECT_EQ(mixed.At(3, 1), mixed.Pack(0, 0, 255, 240)) << "edge only: the edge colour";
  EXPECT_EQ(mixed.At(2, 0), mixed.Pack(0, 0, 255, 240));
  EXPECT_EQ(mixed.At(1, 0), mixed.Pack(0, 0, 255, 128));
  EXPECT_EQ(mixed.At(0, 0), 0u);
}

TEST_F(FontTest, ClippingCutsGlyphsAndKeepsThePen) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"###", "###", "###"}, 0, 12, 4};
  const int32_t font = Font();
  struct Case {
    const char* name;
    RECT clip;
    int32_t x;
    std::vector<std::pair<int, int>> inked;  // of the second glyph, at x + 4
  };
  const Case cases[] = {
      {"cut on the left and top", {5, 1, 40, 40}, 1,
       {{5, 1}, {6, 1}, {7, 1}, {5, 2}, {6, 2}, {7, 2}}},
      {"first wholly outside", {4, 0, 6, 40}, 0, {{4, 0}, {5, 0}, {4, 1}, {5, 1}, {4, 2}, {5, 2}}},
      {"off the image's left side", {-10, 0, 40, 40}, -5,
       {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestImage image(16, 8, 0, 0);
    const RECT clip = c.clip;
    EXPECT_EQ(Draw(font, "AA", c.x, 0, image.get(), kWhite, 0, &clip), 8);
    std::vector<std::string> want;
    for (const auto& [x, y] : c.inked) {
      want.push_back(TestImage::Spot(x, y, image.Pack(255, 255, 255)));
    }
    EXPECT_EQ(image.Inked(), want);
  }
}

TEST_F(FontTest, VerticalTextTurnsGlyphsClockwise) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"##", "#."}, 0, 12, 4};
  const int32_t font = Font();
  TestImage image(32, 16, 0, 0);
  StringSize size{};
  EXPECT_EQ(Draw(font, "AA", 0, 0, image.get(), kWhite, 0, nullptr, 1, &size), 8);
  EXPECT_EQ(size.width, 16);
  EXPECT_EQ(size.height, 8);
  // Glyph pixel (c, r) lands on (x + cell height - 1 - r, y + pen + c).
  const uint32_t w = image.Pack(255, 255, 255);
  EXPECT_EQ(image.Inked(),
            (std::vector<std::string>{TestImage::Spot(14, 0, w), TestImage::Spot(15, 0, w),
                                      TestImage::Spot(15, 1, w), TestImage::Spot(14, 4, w),
                                      TestImage::Spot(15, 4, w), TestImage::Spot(15, 5, w)}));
}

TEST_F(FontTest, GlyphsLargerThanTheCellAndBlankGlyphsStayInBounds) {
  // A 12 x 12 glyph in a font of 8-pixel cells; a blank glyph that GDI gives
  // as a 1 x 1 box of no bytes.
  FakeFonts().max_width = 4;
  FakeFonts().glyphs['A'] = FakeGlyph{std::vector<std::string>(12, std::string(12, '#')), 0, 4, 6};
  FakeFonts().glyphs['B'] = FakeGlyph{{}, 0, 0, 5};
  for (int32_t type : {0, 1, 2, 3}) {
    SCOPED_TRACE(type);
    const int32_t font = CreateFontToHandle(nullptr, 6, -1, type, -1, -1, 0, -1, -1);
    ASSERT_GE(font, 0);
    const int32_t cell = GetFontRecord(font)->cell_width;
    ASSERT_EQ(cell, 8);
    TestImage image(40, 40, 1, 1);
    EXPECT_EQ(Draw(font, "BA", 10, 10, image.get(), kWhite, kBlue),
              (type & 1) ? 5 + 2 + 6 + 2 : 11);
    // Only the cell is drawn: all of it, or (edged) all but the corner
    // that the edge of the glyph at (1, 1) does not reach.
    EXPECT_EQ(static_cast<int>(image.Inked().size()), (type & 1) ? cell * cell - 1 : cell * cell);
    DeleteFontHandle(font);
  }
}

TEST_F(FontTest, MeasuringSumsAdvancesAndSpacing) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"#"}, 0, 1, 7};
  FakeFonts().glyphs[' '] = FakeGlyph{{}, 0, 0, 4};
  FakeFonts().glyphs[0x3000] = FakeGlyph{{"#"}, 0, 1, 16};  // full-width space
  const int32_t font = Font();
  struct Case {
    const char* text;
    int32_t length;
    int32_t width;
  };
  const Case cases[] = {
      {"A A", -1, 18}, {"A A", 99, 18}, {"A A", 2, 11}, {"", -1, 0},
      {"\x81\x40" "A", -1, 23}, {"A\x82", -1, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(MeasureStringWithFont(c.text, c.length, font, 0), c.width);
  }
  // The full-width space advances without drawing.
  TestImage image(40, 24, 0, 0);
  EXPECT_EQ(Draw(font, "\x81\x40", 0, 0, image.get()), 16);
  EXPECT_TRUE(image.Inked().empty());
  // Spacing and edges add to every character.
  SetFontCharSpacing(1, font);
  EXPECT_EQ(MeasureStringWithFont("AAA", -1, font, 0), 24);
  const int32_t edged = CreateFontToHandle(nullptr, 16, -1, 1, -1, 3, 0, -1, -1);
  EXPECT_EQ(MeasureStringWithFont("AAA", -1, edged, 0), 3 * (7 + 6));
  EXPECT_EQ(MeasureStringWithFont("A", -1, -1, 0), -1);
  EXPECT_EQ(MeasureStringWithFont(nullptr, -1, font, 0), 0);
  DrawInhibitFlag = 1;
  EXPECT_EQ(MeasureStringWithFont("A", -1, font, 0), -1);
  DrawInhibitFlag = 0;
}

TEST_F(FontTest, LongStringsAreDrawnWholeInPieces) {
  FakeFonts().glyphs['A'] = FakeGlyph{{"#"}, 0, 12, 1};
  FakeFonts().glyphs[0x3042] = FakeGlyph{{"#", "#"}, 0, 12, 1};
  const int32_t font = Font();
  // 600 characters, with a two-byte character across the 256th place.
  std::string text(255, 'A');
  text += "\x82\xA0";
  text += std::string(344, 'A');
  EXPECT_EQ(MeasureStringWithFont(text.c_str(), -1, font, 0), 600);
  TestImage image(640, 16, 0, 0);
  EXPECT_EQ(Draw(font, text.c_str(), 0, 0, image.get()), 600);
  const std::vector<std::string> inked = image.Inked();
  EXPECT_EQ(inked.size(), 601u);
  EXPECT_NE(image.At(255, 1), 0u) << "the two-byte character in its place";
  EXPECT_NE(image.At(599, 0), 0u);
  EXPECT_EQ(image.At(600, 0), 0u);
}

}  // namespace
