// Graphic handles, surface data and 2D surfaces on the software road: what a
// new graphic is made of, derived graphics and their rectangles, the shared
// surface data and its reference count, stale handles, deletes and the
// stores around a screen rebuild.
#include "runtime/graphics/records/graphic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/graphics/records/surface_2d.h"
#include "runtime/graphics/records/surface_data.h"
#include "runtime/image/color_format.h"
#include "runtime/image/mem_image.h"
#include "tests/runtime/graphics/graphics_test_support.h"

namespace {

using GraphicTest = SoftwareGraphicsTest;

// ---------------------------------------------------------------------------
// What a new graphic is made of.

struct MakeCase {
  const char* name;
  int32_t drawable;      // NewGraphicDrawable
  int32_t alpha_option;  // NewGraphicAlphaChannel
  int32_t screen_depth;  // ScreenColorDepth
  int32_t depth_wish;    // NewGraphicColorDepth
  // The graphic's settings.
  int alpha, draw_valid, alpha_test, depth;
  // The store under it.
  int store_software_byte, store_alpha_test, kind_number, image_kind, image_alpha;
};

void PrintTo(const MakeCase& c, std::ostream* os) { *os << c.name; }

const MakeCase kMakeCases[] = {
    {"Plain16", 0, 0, 16, 0, 0, 0, 1, 16, 0, 0, 10, 0, 0},
    {"Plain32", 0, 0, 32, 0, 0, 0, 1, 32, 0, 0, 12, 1, 0},
    // Alpha pictures are kept as software images whatever was asked.
    {"Alpha16", 0, 1, 16, 0, 1, 0, 1, 16, 1, 0, 11, 0, 1},
    {"Alpha32", 0, 1, 32, 0, 1, 0, 1, 32, 1, 0, 13, 1, 1},
    // A draw target never has alpha or an alpha test.
    {"DrawableDropsAlpha", 1, 1, 16, 0, 0, 1, 0, 16, 0, 0, 10, 0, 0},
    // With acceleration off the screen's depth wins over the wish.
    {"WishIgnoredWithoutAcceleration", 0, 0, 16, 32, 0, 0, 1, 16, 0, 0, 10, 0, 0},
};

class MakeEmptyGraphicTest : public GraphicTest,
                             public ::testing::WithParamInterface<MakeCase> {};

TEST_P(MakeEmptyGraphicTest, SettingsAndStore) {
  const MakeCase& c = GetParam();
  NewGraphicDrawable = c.drawable;
  NewGraphicAlphaChannel = c.alpha_option;
  Screen.ScreenColorDepth = c.screen_depth;
  NewGraphicColorDepth = c.depth_wish;
  TransparentColor = 0x00FF00FF;

  const int32_t handle = MakeEmptyGraphic(30, 20, 0);
  ASSERT_NE(handle, -1);
  const GraphicRecord* const graphic = GetGraphicRecord(handle);
  ASSERT_NE(graphic, nullptr);
  EXPECT_EQ(graphic->width, 30);
  EXPECT_EQ(graphic->height, 20);
  EXPECT_EQ(graphic->movie_handle, -1);
  EXPECT_EQ(graphic->settings.texture_flag, 0) << "no textures on the software road";
  EXPECT_EQ(graphic->settings.AlphaChFlag, c.alpha);
  EXPECT_EQ(graphic->settings.DrawValid, c.draw_valid);
  EXPECT_EQ(graphic->settings.AlphaTestFlag, c.alpha_test);
  EXPECT_EQ(graphic->settings.ColorBitDepth, c.depth);
  ASSERT_EQ(graphic->surface_count, 1);

  const Surface2DRecord* const surface = Surface2DOf(handle);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(surface->graphic, handle);
  EXPECT_EQ(surface->width, 30);
  EXPECT_EQ(surface->height, 20);
  EXPECT_EQ(surface->data_x, 0);
  EXPECT_EQ(surface->data_y, 0);

  const SurfaceDataRecord* const data = SurfaceDataOf(handle);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->ref_count, 1);
  EXPECT_EQ(data->software_flag, 1);
  EXPECT_EQ(data->settings.software_image_flag, c.store_software_byte);
  EXPECT_EQ(data->settings.DrawValid, 1);
  EXPECT_EQ(data->settings.AlphaTestFlag, c.store_alpha_test);
  EXPECT_EQ(data->texture_format, c.kind_number);
  EXPECT_EQ(data->transparent_color, 0x00FF00FFu);
  ASSERT_EQ(data->image.magic, kMemImageMagic);
  EXPECT_EQ(data->image.kind, c.image_kind);
  EXPECT_EQ(data->image.alpha_flag, c.image_alpha);
  EXPECT_EQ(data->image.width, 30);
  EXPECT_EQ(data->image.height, 20);
  // The key is the transparent colour in the image's own layout.
  EXPECT_EQ(data->image.transparent_value,
            PackColor(data->image.format, 255, 0, 255, 255));
  // A new graphic starts cleared, so it is the same from run to run.
  for (int32_t y = 0; y < 20; ++y) {
    const uint8_t* row = data->image.pixels + y * data->image.pitch;
    EXPECT_TRUE(std::all_of(row, row + 30 * data->image.format->bytes_per_pixel,
                            [](uint8_t b) { return b == 0; }))
        << "row " << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Graphics, MakeEmptyGraphicTest, ::testing::ValuesIn(kMakeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GraphicTest, HandlesFollowTheRegistryLayout) {
  const int32_t first = MakeEmptyGraphic(8, 8, 1);
  const int32_t second = MakeEmptyGraphic(8, 8, 1);
  EXPECT_EQ(first, 0x08000000);
  EXPECT_EQ(second, 0x08000000 | (1 << 16) | 1);
  // A handle of another kind names no graphic.
  const int32_t surface = GetGraphicRecord(first)->surfaces[0];
  EXPECT_EQ(surface & kHandleTypeMask, 0x28000000);
  EXPECT_EQ(GetGraphicRecord(surface), nullptr);
  EXPECT_EQ(GetGraphicRecord(first & ~kHandleTypeMask), nullptr);
}

// A graphic whose pixels cannot be had does not stay in the registry.
TEST_F(GraphicTest, FailedSurfacesLeaveNoGraphic) {
  struct Case {
    const char* name;
    int32_t width, height;
    int32_t accel_off;
  };
  const Case cases[] = {
      {"ZeroWidth", 0, 10, 1},
      {"NegativeHeight", 10, -3, 1},
      {"WiderThanSixteenBits", 70000, 1, 1},
      {"TooManyBytes", 60000, 60000, 1},
      {"NoDirectDrawWithAcceleration", 10, 10, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Screen.HardwareAccelOff = c.accel_off;
    const int32_t blocks = TrackedBlockCount();
    LogCapture log;
    EXPECT_EQ(MakeEmptyGraphic(c.width, c.height, 1), -1);
    EXPECT_EQ(GraphicTable.live_count, 0);
    EXPECT_EQ(GraphicTable.area_end, 0);
    EXPECT_EQ(Surface2DTable.live_count, 0);
    EXPECT_EQ(SurfaceDataTable.live_count, 0);
    EXPECT_EQ(TrackedBlockCount(), blocks);
    EXPECT_NE(log.text().find("グラフィックの作成に失敗しました"), std::string::npos);
  }
}

TEST_F(GraphicTest, QueryGraphicSize) {
  Screen.ScreenWidth = 0;
  Screen.ScreenHeight = 0;
  int32_t w = 0;
  int32_t h = 0;
  EXPECT_EQ(QueryGraphicSize(kDrawTargetBackScreen, &w, &h), 0);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(QueryGraphicSize(kDrawTargetFrontScreen, nullptr, &h), 0);
  Screen.ScreenWidth = 800;
  Screen.ScreenHeight = 600;
  EXPECT_EQ(QueryGraphicSize(kDrawTargetFrontScreen, &w, nullptr), 0);
  EXPECT_EQ(w, 800);

  const int32_t graphic = MakeEmptyGraphic(33, 17, 1);
  EXPECT_EQ(QueryGraphicSize(graphic, &w, &h), 0);
  EXPECT_EQ(w, 33);
  EXPECT_EQ(h, 17);
  w = 5;
  EXPECT_EQ(QueryGraphicSize(graphic + 1, &w, &h), -1);
  EXPECT_EQ(w, 5) << "a bad handle writes nothing";
}

// ---------------------------------------------------------------------------
// Derived graphics.

struct DeriveCase {
  const char* name;
  int32_t x, y, width, height;
  int32_t expect_width, expect_height;  // 0: refused
};

void PrintTo(const DeriveCase& c, std::ostream* os) { *os << c.name; }

const DeriveCase kDeriveCases[] = {
    {"Inside", 8, 4, 16, 16, 16, 16},
    {"CutAtRightAndBottom", 10, 10, 1000, 1000, 54, 54},
    {"LastPixel", 63, 63, 5, 5, 1, 1},
    {"XAtParentWidth", 64, 0, 8, 8, 0, 0},
    {"YAtParentHeight", 0, 64, 8, 8, 0, 0},
    {"XBeyondParent", 100, 0, 8, 8, 0, 0},
    {"NegativeX", -1, 0, 8, 8, 0, 0},
    {"NegativeY", 0, -8, 8, 8, 0, 0},
    {"ZeroWidth", 0, 0, 0, 8, 0, 0},
    {"NegativeHeight", 0, 0, 8, -1, 0, 0},
};

class DeriveGraphicTest : public GraphicTest, public ::testing::WithParamInterface<DeriveCase> {};

// Every derived graphic lies inside its parent's pixels: its size is cut at
// the parent's edges and a corner outside the parent is refused.
TEST_P(DeriveGraphicTest, RectangleStaysInsideParent) {
  const DeriveCase& c = GetParam();
  const int32_t parent = MakeEmptyGraphic(64, 64, 1);
  const int32_t derived = DeriveGraphic(c.x, c.y, c.width, c.height, parent);
  if (c.expect_width == 0) {
    EXPECT_EQ(derived, -1);
    EXPECT_EQ(GraphicTable.live_count, 1) << "a refused derive leaves nothing";
    EXPECT_EQ(SurfaceDataOf(parent)->ref_count, 1);
    return;
  }
  ASSERT_NE(derived, -1);
  const GraphicRecord* const record = GetGraphicRecord(derived);
  EXPECT_EQ(record->width, c.expect_width);
  EXPECT_EQ(record->height, c.expect_height);
  EXPECT_EQ(record->offset_x, c.x);
  EXPECT_EQ(record->offset_y, c.y);
  const Surface2DRecord* const surface = Surface2DOf(derived);
  EXPECT_EQ(surface->data_x, c.x);
  EXPECT_EQ(surface->data_y, c.y);
  EXPECT_LE(surface->data_x + surface->width, 64);
  EXPECT_LE(surface->data_y + surface->height, 64);
  EXPECT_EQ(SurfaceDataOf(derived), SurfaceDataOf(parent));
  EXPECT_EQ(SurfaceDataOf(parent)->ref_count, 2);
}

INSTANTIATE_TEST_SUITE_P(Graphics, DeriveGraphicTest, ::testing::ValuesIn(kDeriveCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A derived graphic of a derived graphic sits at both offsets, in the
// record and in the shared pixels, and takes its parent's file and settings.
TEST_F(GraphicTest, DerivedOfDerivedAddsOffsets) {
  NewGraphicAlphaChannel = 1;
  const int32_t sheet = MakeEmptyGraphic(64, 64, 1);
  ASSERT_EQ(StoreGraphicFileName(sheet, "data/img/sheet.png"), 0);
  GetGraphicRecord(sheet)->LoadOptionWord = 7;
  const int32_t cell = DeriveGraphic(8, 16, 32, 32, sheet);
  const int32_t part = DeriveGraphic(4, 2, 100, 100, cell);
  ASSERT_NE(part, -1);
  const GraphicRecord* const record = GetGraphicRecord(part);
  EXPECT_EQ(record->offset_x, 12);
  EXPECT_EQ(record->offset_y, 18);
  EXPECT_EQ(record->width, 28);
  EXPECT_EQ(record->height, 30);
  EXPECT_STREQ(record->file_name, "data/img/sheet.png");
  EXPECT_EQ(record->LoadOptionWord, 7);
  EXPECT_EQ(record->settings.AlphaChFlag, 1);
  const Surface2DRecord* const surface = Surface2DOf(part);
  EXPECT_EQ(surface->data_x, 12);
  EXPECT_EQ(surface->data_y, 18);
  EXPECT_EQ(SurfaceDataOf(sheet)->ref_count, 3);
}

// A derive whose surface cannot be made leaves no record behind.
TEST_F(GraphicTest, FailedDeriveLeavesNoGraphic) {
  const int32_t parent = MakeEmptyGraphic(16, 16, 1);
  // The parent loses its surface: there is nothing to share.
  DeleteSurface2D(GetGraphicRecord(parent)->surfaces[0]);
  LogCapture log;
  EXPECT_EQ(DeriveGraphic(0, 0, 8, 8, parent), -1);
  EXPECT_EQ(GraphicTable.live_count, 1);
  EXPECT_NE(log.text().find("グラフィックの派生に失敗しました"), std::string::npos);
}

// Without DirectDraw and with acceleration on there is nowhere to keep
// pixels.
TEST_F(GraphicTest, Surface2DNeedsDirectDrawOrSoftwareRendering) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  const SurfaceSettings settings = GetGraphicRecord(graphic)->settings;
  Screen.HardwareAccelOff = 0;
  LogCapture log;
  EXPECT_EQ(AddSurface2D(8, 8, 0, 0, -1, nullptr, 0, 0, &settings), -1);
  EXPECT_NE(log.text().find("ザーネルが初期化されていません"), std::string::npos);
  EXPECT_EQ(Surface2DTable.live_count, 1);
  EXPECT_EQ(DeleteAll2DSurfaces(), -1);
  EXPECT_EQ(Surface2DTable.live_count, 1);
}

// ---------------------------------------------------------------------------
// Shared surface data lives exactly as long as its last user.

class DeleteOrderTest : public GraphicTest,
                        public ::testing::WithParamInterface<std::vector<int>> {};

TEST_P(DeleteOrderTest, SharedDataFreedWithLastUser) {
  const int32_t sheet = MakeEmptyGraphic(64, 32, 1);
  const int32_t graphics[3] = {sheet, DeriveGraphic(0, 0, 32, 32, sheet),
                               DeriveGraphic(32, 0, 32, 32, sheet)};
  const int32_t data = Surface2DOf(sheet)->surface_data;
  ASSERT_EQ(GetSurfaceDataRecord(data)->ref_count, 3);
  const int32_t blocks_with_all = TrackedBlockCount();

  int left = 3;
  for (int index : GetParam()) {
    ASSERT_EQ(DeleteGraphicHandle(graphics[index], 0), 0);
    --left;
    if (left > 0) {
      ASSERT_NE(GetSurfaceDataRecord(data), nullptr) << "freed while still in use";
      EXPECT_EQ(GetSurfaceDataRecord(data)->ref_count, left);
      EXPECT_EQ(GetSurfaceDataRecord(data)->image.magic, kMemImageMagic);
    }
  }
  EXPECT_EQ(GetSurfaceDataRecord(data), nullptr);
  EXPECT_EQ(SurfaceDataTable.live_count, 0);
  EXPECT_EQ(Surface2DTable.live_count, 0);
  EXPECT_LT(TrackedBlockCount(), blocks_with_all);
}

INSTANTIATE_TEST_SUITE_P(Graphics, DeleteOrderTest,
                         ::testing::Values(std::vector<int>{0, 1, 2}, std::vector<int>{0, 2, 1},
                                           std::vector<int>{1, 0, 2}, std::vector<int>{1, 2, 0},
                                           std::vector<int>{2, 0, 1},
                                           std::vector<int>{2, 1, 0}));

TEST_F(GraphicTest, DeleteAllGraphicsFreesEverythingOnlyOnceStarted) {
  const int32_t sheet = MakeEmptyGraphic(64, 32, 1);
  DeriveGraphic(0, 0, 32, 32, sheet);
  DeriveGraphic(32, 0, 32, 32, sheet);
  GraphicsReady = 0;
  EXPECT_EQ(DeleteAllGraphics(0), 0);
  EXPECT_EQ(GraphicTable.live_count, 3) << "nothing is deleted before graphics start";
  GraphicsReady = 1;
  EXPECT_EQ(DeleteAllGraphics(0), 0);
  EXPECT_EQ(GraphicTable.live_count, 0);
  EXPECT_EQ(GraphicTable.area_end, 0);
  EXPECT_EQ(Surface2DTable.live_count, 0);
  EXPECT_EQ(SurfaceDataTable.live_count, 0);
}

// ---------------------------------------------------------------------------
// Stale handles.

TEST_F(GraphicTest, StaleHandlesRefusedAfterSlotReuse) {
  const int32_t old_graphic = MakeEmptyGraphic(16, 16, 1);
  const int32_t old_surface = GetGraphicRecord(old_graphic)->surfaces[0];
  const int32_t old_data = Surface2DOf(old_graphic)->surface_data;
  ASSERT_EQ(DeleteGraphicHandle(old_graphic, 0), 0);

  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  const int32_t surface = GetGraphicRecord(graphic)->surfaces[0];
  const int32_t data = Surface2DOf(graphic)->surface_data;
  // Each kind reuses the slot under a new check id.
  EXPECT_EQ(HandleSlot(graphic), HandleSlot(old_graphic));
  EXPECT_NE(graphic, old_graphic);
  EXPECT_EQ(HandleSlot(surface), HandleSlot(old_surface));
  EXPECT_NE(surface, old_surface);
  EXPECT_EQ(HandleSlot(data), HandleSlot(old_data));
  EXPECT_NE(data, old_data);

  int32_t w = 0;
  int32_t flag = 5;
  EXPECT_EQ(GetGraphicRecord(old_graphic), nullptr);
  EXPECT_EQ(QueryGraphicSize(old_graphic, &w, nullptr), -1);
  EXPECT_EQ(DeriveGraphic(0, 0, 4, 4, old_graphic), -1);
  EXPECT_EQ(SetGraphicLostFlagAddress(old_graphic, &flag), -1);
  EXPECT_EQ(flag, 5);
  EXPECT_EQ(StoreGraphicFileName(old_graphic, "x.png"), -1);
  EXPECT_EQ(DeleteGraphicHandle(old_graphic, 0), -1);
  EXPECT_EQ(GetSurface2DRecord(old_surface), nullptr);
  EXPECT_EQ(DeleteSurface2D(old_surface), 0);
  EXPECT_EQ(GetSurfaceDataRecord(old_data), nullptr);
  EXPECT_EQ(AddSurfaceDataRef(old_data), -1);
  EXPECT_EQ(ReleaseSurfaceDataRef(old_data), -1);
  EXPECT_EQ(DeleteSurfaceData(old_data), -1);

  // The new graphic is untouched by all of that.
  ASSERT_NE(GetGraphicRecord(graphic), nullptr);
  ASSERT_NE(GetSurface2DRecord(surface), nullptr);
  EXPECT_EQ(GetSurfaceDataRecord(data)->ref_count, 1);
  EXPECT_EQ(QueryGraphicSize(graphic, &w, nullptr), 0);
  EXPECT_EQ(w, 8);
}

TEST_F(GraphicTest, LostFlagClearedOnRegisterAndSetOnDelete) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  int32_t lost = 9;
  EXPECT_EQ(SetGraphicLostFlagAddress(graphic, &lost), 0);
  EXPECT_EQ(lost, 0);
  DeleteGraphicHandle(graphic, 0);
  EXPECT_EQ(lost, 1);
}

TEST_F(GraphicTest, DeleteLogNamesTheFileAsGiven) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  const int32_t unnamed = MakeEmptyGraphic(8, 8, 1);
  ASSERT_EQ(StoreGraphicFileName(graphic, "data/img/Title/loading_img.png"), 0);
  LogCapture log;
  DeleteGraphicHandle(graphic, 1);
  DeleteGraphicHandle(unnamed, 0);
  EXPECT_NE(log.text().find("グラフィック data/img/Title/loading_img.png の削除"),
            std::string::npos)
      << log.text();
  EXPECT_EQ(log.text().find("の削除", log.text().find("の削除") + 1), std::string::npos)
      << "only the delete with the log flag logs";
}

// A path longer than the record's room is cut, never written past it.
TEST_F(GraphicTest, LongFileNameIsCut) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  const std::string path(400, 'a');
  ASSERT_EQ(StoreGraphicFileName(graphic, path.c_str()), 0);
  const GraphicRecord* const record = GetGraphicRecord(graphic);
  EXPECT_EQ(std::string(record->file_name), path.substr(0, kGraphicPathBytes - 1));
  EXPECT_EQ(record->width, 8) << "the fields after the name are intact";
  ASSERT_EQ(StoreGraphicFileName(graphic, nullptr), 0);
  EXPECT_STREQ(record->file_name, "");
}

// The cells of one picture all take its name and folder; a bad handle among
// them is passed over and reported.
TEST_F(GraphicTest, NamesOfManyCellsSkipABadHandle) {
  const int32_t gone = MakeEmptyGraphic(8, 8, 1);
  DeleteGraphicHandle(gone, 0);
  const int32_t cells[] = {gone, MakeEmptyGraphic(8, 8, 1), MakeEmptyGraphic(8, 8, 1)};
  EXPECT_EQ(StoreGraphicFileNames(cells, 3, "data/img/cells.png"), -1);
  for (int i = 1; i < 3; ++i) {
    const GraphicRecord* const record = GetGraphicRecord(cells[i]);
    EXPECT_STREQ(record->file_name, "data/img/cells.png") << i;
    EXPECT_NE(record->load_directory[0], '\0') << i;
    EXPECT_STREQ(record->load_directory, GetGraphicRecord(cells[1])->load_directory);
  }
  EXPECT_EQ(StoreGraphicFileNames(cells + 1, 2, nullptr), 0);
  EXPECT_STREQ(GetGraphicRecord(cells[2])->file_name, "");
}

TEST_F(GraphicTest, OptionSetters) {
  struct Case {
    int32_t accel_off;
    int32_t flag;
    int32_t software_image;  // after SetNewGraphicSoftwareImage
    int32_t video_memory;    // after SetNewGraphicVideoMemory
  };
  const Case cases[] = {
      {0, 0, 1, 1}, {0, 1, 1, 1}, {1, 0, 0, 1}, {1, 1, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "accel_off " << c.accel_off << " flag " << c.flag);
    Screen.HardwareAccelOff = c.accel_off;
    SetNewGraphicSoftwareImage(c.flag);
    EXPECT_EQ(NewGraphicSoftwareImage, c.software_image);
    SetNewGraphicVideoMemory(c.flag);
    EXPECT_EQ(NewGraphicSoftwareImage, c.video_memory);
  }
  SetMakeDrawableGraphics(1);
  EXPECT_EQ(NewGraphicDrawable, 1);
  SetUse3DForNewGraphics(0);
  EXPECT_EQ(NewGraphicUse3D, 0);
}

// ---------------------------------------------------------------------------
// Surface data operations.

TEST_F(GraphicTest, NestedLockHandsOutTheSameAddress) {
  const int32_t graphic = MakeEmptyGraphic(40, 30, 1);
  const int32_t data = Surface2DOf(graphic)->surface_data;
  const MEMIMG& image = GetSurfaceDataRecord(data)->image;
  const RECT rect = {3, 5, 10, 9};

  int32_t pitch = 0;
  void* address = nullptr;
  const ColorFormat* format = nullptr;
  EXPECT_EQ(LockSurfaceData(data, &pitch, &address, 1, &rect, &format), 0);
  EXPECT_EQ(pitch, image.pitch);
  EXPECT_EQ(address, image.pixels + 5 * image.pitch + 3 * 2);
  EXPECT_EQ(format, image.format);

  int32_t pitch2 = 0;
  void* address2 = nullptr;
  EXPECT_EQ(LockSurfaceData(data, &pitch2, &address2, 0, nullptr, nullptr), -2);
  EXPECT_EQ(address2, address);
  EXPECT_EQ(pitch2, pitch);
  EXPECT_EQ(UnlockSurfaceData(data, nullptr), 0);
  EXPECT_EQ(GetSurfaceDataRecord(data)->lock_count, 1) << "only the last unlock releases";
  EXPECT_EQ(UnlockSurfaceData(data, nullptr), 0);
  EXPECT_EQ(UnlockSurfaceData(data, nullptr), -1);

  // A rectangle that leaves the image gives no address outside it.
  const RECT outside[] = {{-1, 0, 4, 4}, {0, 0, 41, 4}, {0, 25, 4, 31}, {5, 0, 4, 4}};
  for (const RECT& r : outside) {
    EXPECT_EQ(LockSurfaceData(data, &pitch, &address, 0, &r, nullptr), -1);
  }
  EXPECT_EQ(GetSurfaceDataRecord(data)->lock_count, 0);
}

TEST_F(GraphicTest, ZBufferMadeOnceAndRemoved) {
  const int32_t graphic = MakeEmptyGraphic(16, 16, 1);
  const int32_t data = Surface2DOf(graphic)->surface_data;
  const int32_t blocks = TrackedBlockCount();
  EXPECT_EQ(CreateZBuffer(data, 1), 0);
  const int32_t with_z = TrackedBlockCount();
  EXPECT_GT(with_z, blocks);
  EXPECT_EQ(CreateZBuffer(data, 1), 0);
  EXPECT_EQ(TrackedBlockCount(), with_z) << "a second call makes no second buffer";
  EXPECT_EQ(GetSurfaceDataRecord(data)->z_image.kind, 3);
  EXPECT_EQ(CreateZBuffer(data, 0), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
  EXPECT_EQ(GetSurfaceDataRecord(data)->zbuffer_flag, 0);
  EXPECT_EQ(CreateZBuffer(data + 1, 1), -1);
}

// Filling needs a DirectDraw surface, which a software image is not.
TEST_F(GraphicTest, ColourFillNeedsADirectDrawSurface) {
  const int32_t graphic = MakeEmptyGraphic(8, 8, 1);
  EXPECT_EQ(FillGraphicColor(graphic, 1, 2, 3, 255), -1);
  EXPECT_EQ(FillGraphicColor(graphic + 1, 1, 2, 3, 255), -1);
  EXPECT_EQ(RestoreGraphicSurfaces2D(graphic), 0) << "a software image is never lost";
  EXPECT_EQ(RestoreGraphicSurfaces2D(graphic + 1), -1);
}

// Around a screen rebuild every store is released and made again; a store
// shared by several surfaces is made once and survives the visits of the
// others.
TEST_F(GraphicTest, StoresReleasedAndMadeAgainAroundARebuild) {
  const int32_t sheet = MakeEmptyGraphic(64, 32, 1);
  DeriveGraphic(0, 0, 32, 32, sheet);
  DeriveGraphic(32, 0, 32, 32, sheet);
  const int32_t other = MakeEmptyGraphic(16, 16, 1);
  ASSERT_EQ(CreateZBuffer(Surface2DOf(other)->surface_data, 1), 0);
  const int32_t blocks = TrackedBlockCount();

  EXPECT_EQ(ReleaseAllSurfaceObjects(), 0);
  EXPECT_EQ(SurfaceDataOf(sheet)->image.magic, 0u);
  EXPECT_EQ(SurfaceDataOf(other)->image.magic, 0u);
  EXPECT_LT(TrackedBlockCount(), blocks);
  EXPECT_EQ(SurfaceDataTable.live_count, 2) << "the records stay";

  EXPECT_EQ(RecreateAllSurfaceObjects(), 0);
  EXPECT_EQ(SurfaceDataOf(sheet)->image.magic, kMemImageMagic);
  EXPECT_EQ(SurfaceDataOf(sheet)->image.width, 64);
  EXPECT_EQ(SurfaceDataOf(other)->z_image.magic, kMemImageMagic) << "the Z buffer comes back";
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// ---------------------------------------------------------------------------
// The 2D surface registry.

TEST_F(GraphicTest, Surface2DRegistryFullAndCheckCounterWrap) {
  const int32_t graphic = MakeEmptyGraphic(4, 4, 1);
  const Surface2DRecord* const shared = Surface2DOf(graphic);
  const int32_t data = shared->surface_data;
  const SurfaceSettings settings = GetGraphicRecord(graphic)->settings;

  Surface2DTable.check_counter = 2046;
  std::vector<int32_t> handles;
  for (int32_t i = 1; i < kSurface2DSlotCount; ++i) {
    const int32_t handle = AddSurface2D(4, 4, 0, 0, -1, shared, 0, 0, &settings);
    ASSERT_NE(handle, -1) << i;
    handles.push_back(handle);
  }
  EXPECT_EQ(HandleCheckId(handles[0]), 2046);
  EXPECT_EQ(HandleCheckId(handles[1]), 2047);
  EXPECT_EQ(HandleCheckId(handles[2]), 0);
  EXPECT_EQ(GetSurfaceDataRecord(data)->ref_count, kSurface2DSlotCount);

  {
    LogCapture log;
    EXPECT_EQ(AddSurface2D(4, 4, 0, 0, -1, shared, 0, 0, &settings), -1);
    EXPECT_NE(log.text().find("２Ｄグラフィックの量が許容量を越えました"), std::string::npos);
  }
  EXPECT_EQ(Surface2DTable.live_count, kSurface2DSlotCount);
  EXPECT_EQ(GetSurfaceDataRecord(data)->ref_count, kSurface2DSlotCount);

  for (int32_t handle : handles) ASSERT_EQ(DeleteSurface2D(handle), 0);
  EXPECT_EQ(GetSurfaceDataRecord(data)->ref_count, 1);
  EXPECT_EQ(Surface2DTable.area_end, 1);
}

// A shared rectangle must lie inside the one it is cut from.
TEST_F(GraphicTest, SharedRectangleMustLieInside) {
  const int32_t graphic = MakeEmptyGraphic(32, 32, 1);
  const int32_t cell = DeriveGraphic(16, 16, 16, 16, graphic);
  const Surface2DRecord* const shared = Surface2DOf(cell);
  const SurfaceSettings settings = GetGraphicRecord(graphic)->settings;
  struct Case {
    int32_t x, y, width, height;
    bool accepted;
  };
  const Case cases[] = {
      {0, 0, 16, 16, true}, {8, 8, 8, 8, true},  {8, 8, 9, 8, false},
      {-1, 0, 4, 4, false}, {0, 16, 1, 1, false}, {0, 0, 0, 4, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.width << "x" << c.height);
    const int32_t handle = AddSurface2D(c.width, c.height, 0, 0, -1, shared, c.x, c.y, &settings);
    EXPECT_EQ(handle != -1, c.accepted);
    if (handle != -1) {
      EXPECT_EQ(GetSurface2DRecord(handle)->data_x, 16 + c.x);
      EXPECT_EQ(GetSurface2DRecord(handle)->data_y, 16 + c.y);
      DeleteSurface2D(handle);
    }
  }
  EXPECT_EQ(SurfaceDataOf(graphic)->ref_count, 2);
}

}  // namespace
