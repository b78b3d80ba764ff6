// Shared by the menu, save and settings tests: the shell at the title with a
// distinct handle in every image global, direct input states, the drawing
// the fake recorded, and a scratch working folder for the settings and save
// files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/support/api_fake/api_fake.h"

// input_state indexes.
constexpr int kUp = 0;
constexpr int kRight = 1;
constexpr int kDown = 2;
constexpr int kLeft = 3;
constexpr int kButton0 = 4;

// The title state: the fake answers every load with a fresh handle, so each
// image global holds its own handle; every player's action a is button a and
// player p reads joypad p + 1.
inline void StartAtTitle() {
  api_fake().Reset();
  load_images();
  for (int p = 0; p < 4; ++p) {
    player[p] = player_data{};
    for (int a = 0; a < 5; ++a) player[p].action_button[a] = a;
    pad_device[p] = p + 1;
  }
  reset_game();
  first_character_stock = 2;
  second_character_stock = 2;
  choice_done_count = 0;
  for (int32_t& done : choice_done) done = 0;
  game_over_counter = 0;
  api_fake().calls.clear();
}

// No button of any player pressed, no action, no sound requested.
inline void ClearInput() {
  for (player_data& record : player) {
    for (int32_t& state : record.input_state) state = 0;
    for (int32_t& action : record.actions) action = 0;
  }
  se_title_cursor_request = 0;
  se_title_decide_request = 0;
  se_title_exit_request = 0;
}

struct Draw {
  int64_t x, y, handle, transparent;
  bool operator==(const Draw&) const = default;
};

inline void PrintTo(const Draw& d, std::ostream* os) {
  *os << "(" << d.x << ", " << d.y << ", handle " << d.handle << ", t" << d.transparent << ")";
}

// The ApiDrawGraphicAt calls recorded since the last clear, in order.
inline std::vector<Draw> Draws() {
  std::vector<Draw> out;
  for (const ApiCall& c : api_fake().Calls("ApiDrawGraphicAt"))
    out.push_back(Draw{c.args[0], c.args[1], c.args[2], c.args[3]});
  return out;
}

inline bool Drew(int32_t handle) {
  for (const Draw& d : Draws())
    if (d.handle == handle) return true;
  return false;
}

// The brightness calls recorded, one value per call (the three are equal).
inline std::vector<int64_t> Brightness() {
  std::vector<int64_t> out;
  for (const ApiCall& c : api_fake().Calls("ApiSetDrawBrightness")) out.push_back(c.args[0]);
  return out;
}

// A fresh working folder for the test's files; the test runs inside it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    std::ostringstream name;
    name << "brimal_shell_" << std::hex << random() << random();
    path_ = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::create_directories(path_);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  static void Write(const std::string& name, const std::string& bytes) {
    const std::filesystem::path file(name);
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static bool Exists(const std::string& name) { return std::filesystem::exists(name); }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};
