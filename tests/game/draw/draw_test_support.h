// Shared by the drawing tests: the game reset with a distinct handle in every
// image global and the camera at 0, and the draws the fake recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/shell/menu_test_support.h"
#include "tests/support/api_fake/api_fake.h"

// The title reset with every image loaded by the fake (each global holds its
// own handle), the camera at 0 and the record cleared.
inline void StartDrawing() {
  api_fake().Reset();
  load_images();
  reset_game();
  api_fake().calls.clear();
}

// One recorded drawing call: a whole graphic, a part of one or a blend mode,
// with the arguments that matter to the game.
struct DrawOp {
  std::string name;  // "At", "Part" or "Blend"
  std::vector<int64_t> args;
  bool operator==(const DrawOp&) const = default;
};

inline void PrintTo(const DrawOp& op, std::ostream* os) {
  *os << op.name << "(";
  for (size_t k = 0; k < op.args.size(); ++k) *os << (k ? ", " : "") << op.args[k];
  *os << ")";
}

// A graphic drawn whole with the transparent colour.
inline DrawOp At(int64_t x, int64_t y, int64_t handle) { return {"At", {x, y, handle}}; }
// The left `width` pixels of a gauge, transparent, not turned.
inline DrawOp Part(int64_t x, int64_t y, int64_t width, int64_t height, int64_t handle) {
  return {"Part", {x, y, width, height, handle}};
}
inline DrawOp Blend(int64_t mode, int64_t parameter) { return {"Blend", {mode, parameter}}; }

// The drawing calls since the last clear, in order. Each draw is checked to
// be transparent (and a part to start at the source's corner, unturned), so
// the ops carry only what varies.
inline std::vector<DrawOp> DrawOps() {
  std::vector<DrawOp> out;
  for (const ApiCall& c : api_fake().calls) {
    if (c.name == "ApiDrawGraphicAt") {
      EXPECT_EQ(c.args[3], 1) << "draw without the transparent colour";
      out.push_back(At(c.args[0], c.args[1], c.args[2]));
    } else if (c.name == "ApiDrawGraphicPart") {
      EXPECT_EQ(c.args[2], 0);
      EXPECT_EQ(c.args[3], 0);
      EXPECT_EQ(c.args[7], 1) << "part without the transparent colour";
      EXPECT_EQ(c.args[8], 0);
      out.push_back(Part(c.args[0], c.args[1], c.args[4], c.args[5], c.args[6]));
    } else if (c.name == "ApiSetBlendMode") {
      out.push_back(Blend(c.args[0], c.args[1]));
    }
  }
  return out;
}

// The ops of one call of `draw`, the record cleared before it.
template <typename F>
std::vector<DrawOp> OpsOf(F draw) {
  api_fake().calls.clear();
  draw();
  return DrawOps();
}
