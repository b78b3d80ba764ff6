#include "runtime/softrender/blend_tables.h"

#include <gtest/gtest.h>

#include "runtime/image/clip_rect.h"
#include "runtime/system/api_runtime.h"

namespace {

TEST(SoftwareRenderTables, FixedTablesFollowTheirFormulas) {
  BuildSoftwareRenderTables();
  for (int level = 0; level < 64; ++level) {
    for (int s = 0; s < 64; ++s) {
      for (int d = 0; d < 64; ++d) {
        ASSERT_EQ(BlendLerpTable[level * 4096 + s * 64 + d], (s * level + d * (63 - level)) / 63)
            << level << " " << s << " " << d;
      }
    }
  }
  // Level 63 gives the source, level 0 the destination.
  EXPECT_EQ(BlendLerpTable[63 * 4096 + 40 * 64 + 7], 40);
  EXPECT_EQ(BlendLerpTable[0 * 4096 + 40 * 64 + 7], 7);
  // ScaleTable: truncated, row 255 the identity.
  EXPECT_EQ(ScaleTable[128][255], 128);
  EXPECT_EQ(ScaleTable[128][31], 15);
  EXPECT_EQ(ScaleTable[254][1], 0);
  for (int v = 0; v < 256; ++v) EXPECT_EQ(ScaleTable[255][v], v);
  // SignedScaleTable truncates toward zero on both sides; row 255 is the
  // difference itself, row 0 is zero.
  EXPECT_EQ(SignedScaleRow(128)[-31], -15);
  EXPECT_EQ(SignedScaleRow(128)[31], 15);
  EXPECT_EQ(SignedScaleRow(1)[-254], 0);
  EXPECT_EQ(SignedScaleRow(200)[-255], -200);
  for (int e = -255; e <= 255; ++e) {
    EXPECT_EQ(SignedScaleRow(255)[e], e);
    EXPECT_EQ(SignedScaleRow(0)[e], 0);
  }
}

struct BlendGraphicCase {
  int param, range;
  int index;
  int expected;
};

TEST(SoftwareRenderTables, BlendGraphicTable) {
  const BlendGraphicCase cases[] = {
      // Full range, parameter 0: every byte weighs 255.
      {0, 255, 0, 255}, {0, 255, 255, 255},
      // Full range, parameter 255: 0 up to 254, 1 at 255.
      {255, 255, 0, 0}, {255, 255, 254, 0}, {255, 255, 255, 1},
      // Range 0: a step at the parameter (base = 256 - 65792 x 100 / 256).
      {100, 0, 99, 0}, {100, 0, 100, 156}, {100, 0, 101, 255},
      // Range 127, parameter 128: n = 128, base = 256 - (768 x 128) / 256 = -128.
      {128, 127, 64, 0}, {128, 127, 65, 2}, {128, 127, 127, 126}, {128, 127, 200, 255},
  };
  for (const BlendGraphicCase& c : cases) {
    BuildBlendGraphicTable(c.param, c.range);
    EXPECT_EQ(int{BlendGraphicTable[c.index]}, c.expected)
        << "p=" << c.param << " r=" << c.range << " i=" << c.index;
  }
}

struct ClipCase {
  const char* name;
  RECT rect, clip, expected;
};

TEST(ClipRect, ClipsInPlace) {
  const ClipCase cases[] = {
      {"reversed width collapses", {10, 10, 5, 20}, {0, 0, 100, 100}, {10, 10, 10, 20}},
      {"reversed height collapses", {10, 30, 20, 5}, {0, 0, 100, 100}, {10, 30, 20, 30}},
      {"hangs over the top left", {-50, -50, 30, 30}, {0, 0, 640, 480}, {0, 0, 30, 30}},
      {"wholly right", {700, 10, 800, 20}, {0, 0, 640, 480}, {640, 10, 640, 20}},
      {"wholly above", {10, -40, 20, -5}, {0, 0, 640, 480}, {10, 0, 20, 0}},
      {"inside stays", {3, 4, 5, 6}, {0, 0, 640, 480}, {3, 4, 5, 6}},
      {"larger than the clip", {-1, -1, 1000, 1000}, {8, 9, 100, 200}, {8, 9, 100, 200}},
  };
  for (const ClipCase& c : cases) {
    RECT r = c.rect;
    EXPECT_EQ(ClipRect(&r, &c.clip), 0);
    EXPECT_EQ(r.left, c.expected.left) << c.name;
    EXPECT_EQ(r.top, c.expected.top) << c.name;
    EXPECT_EQ(r.right, c.expected.right) << c.name;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
    RECT through_api = c.rect;
    EXPECT_EQ(ApiClipRect(&through_api, &c.clip), 0);
    EXPECT_EQ(through_api.right - through_api.left, r.right - r.left) << c.name;
    EXPECT_EQ(through_api.bottom - through_api.top, r.bottom - r.top) << c.name;
  }
}

}  // namespace
