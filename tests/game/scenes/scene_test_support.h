// Shared by the scene tests: the game at the start of a scene with a
// distinct handle in every image global, input set per frame, and the
// drawing the fake recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "game/scenes/scenes.h"
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"
#include "tests/support/api_fake/api_fake.h"

// actions indexes.
constexpr int kDecideAction = 0;
constexpr int kFastForwardAction = 4;

struct Draw {
  int64_t x, y, handle;
  bool operator==(const Draw&) const = default;
};

inline void PrintTo(const Draw& d, std::ostream* os) {
  *os << "(" << d.x << ", " << d.y << ", handle " << d.handle << ")";
}

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api_fake().Reset();
    load_images();
    reset_game();
    scene_vars = scene_variables{};
    for (player_data& record : player) record = player_data{};
    api_fake().calls.clear();
  }

  // A party of `characters.size()` living players with these characters.
  static void SetParty(const std::vector<int32_t>& characters) {
    player_count = static_cast<int32_t>(characters.size());
    for (size_t p = 0; p < characters.size(); ++p) {
      player[p].character = characters[p];
      player[p].alive = 1;
    }
  }

  static void StartScene(int32_t id) {
    scene_number = id;
    game_status = kStatusScene;
  }

  static void SetActions(int decide0, int forward0, int decide1 = 0, int forward1 = 0) {
    player[0].actions[kDecideAction] = decide0;
    player[0].actions[kFastForwardAction] = forward0;
    player[1].actions[kDecideAction] = decide1;
    player[1].actions[kFastForwardAction] = forward1;
  }

  static void ClearActions() {
    for (player_data& record : player) {
      for (int32_t& action : record.actions) action = 0;
    }
  }

  // One frame: the scene, then the flip that ends the fake's frame.
  static void Frame() {
    run_scene();
    ApiFlipScreen();
  }

  // The ApiDrawGraphicAt calls of frame `frame`.
  static std::vector<Draw> DrawsIn(int frame) {
    std::vector<Draw> out;
    for (const ApiCall& c : api_fake().CallsInFrame(frame)) {
      if (c.name == "ApiDrawGraphicAt") out.push_back(Draw{c.args[0], c.args[1], c.args[2]});
    }
    return out;
  }

  static bool DrewIn(int frame, int32_t handle) {
    for (const Draw& d : DrawsIn(frame))
      if (d.handle == handle) return true;
    return false;
  }

  // The texts drawn in frame `frame`, in order.
  static std::vector<std::string> TextsIn(int frame) {
    std::vector<std::string> out;
    for (const ApiCall& c : api_fake().CallsInFrame(frame)) {
      if (c.name == "ApiDrawTextWithFont") out.push_back(c.texts[0]);
    }
    return out;
  }

  // The brightness level set in frame `frame` (the last call), or -1.
  static int64_t BrightnessIn(int frame) {
    int64_t level = -1;
    for (const ApiCall& c : api_fake().CallsInFrame(frame)) {
      if (c.name == "ApiSetDrawBrightness") level = c.args[0];
    }
    return level;
  }

  static int CallCountIn(int frame) {
    return static_cast<int>(api_fake().CallsInFrame(frame).size());
  }
};
