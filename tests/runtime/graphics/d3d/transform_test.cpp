// The look-at view matrix: the eye goes to the origin and the target onto
// the +z axis, with the up vector kept upright.
#include "runtime/graphics/d3d/transform.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

std::array<float, 3> Apply(const TransformMatrix& m, const float p[3]) {
  std::array<float, 3> out{};
  for (int c = 0; c < 3; ++c) {
    out[c] = p[0] * m.m[0][c] + p[1] * m.m[1][c] + p[2] * m.m[2][c] + m.m[3][c];
  }
  return out;
}

TEST(LookAtMatrixTest, EyeToOriginTargetOntoTheViewAxis) {
  struct Case {
    const char* name;
    float eye[3], target[3], up[3];
  };
  const Case cases[] = {
      {"straight ahead", {0, 0, -10}, {0, 0, 0}, {0, 1, 0}},
      {"from the side", {5, 0, 0}, {0, 0, 0}, {0, 1, 0}},
      {"the screen camera", {320, 240, -415.7f}, {320, 240, -414.7f}, {0, 1, 0}},
      {"from above and behind", {1, 8, -4}, {2, 0, 3}, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TransformMatrix m;
    ASSERT_EQ(MakeLookAtMatrix(&m, c.eye, c.target, c.up), 0);
    const std::array<float, 3> eye = Apply(m, c.eye);
    const std::array<float, 3> target = Apply(m, c.target);
    const float d[3] = {c.target[0] - c.eye[0], c.target[1] - c.eye[1], c.target[2] - c.eye[2]};
    const float distance = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(eye[i], 0.0f, 1e-3f) << i;
    EXPECT_NEAR(target[0], 0.0f, 1e-3f);
    EXPECT_NEAR(target[1], 0.0f, 1e-3f);
    EXPECT_NEAR(target[2], distance, 1e-3f);
    // A point above the eye stays above it.
    const float above[3] = {c.eye[0] + c.up[0], c.eye[1] + c.up[1], c.eye[2] + c.up[2]};
    EXPECT_GT(Apply(m, above)[1], 0.0f);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(m.m[r][3], 0.0f);
    EXPECT_EQ(m.m[3][3], 1.0f);
  }
  // Straight ahead is the identity rotation moved by the distance.
  TransformMatrix m;
  const float eye[3] = {0, 0, -10}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
  MakeLookAtMatrix(&m, eye, target, up);
  const TransformMatrix want{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 10, 1}}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], want.m[r][c]) << r << "," << c;
}

}  // namespace
