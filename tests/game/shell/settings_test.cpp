// The settings files and the button configuration screen: the reader on a
// table of files, the screen's rows and actions, and the file it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/shell/shell.h"
#include "game/world/world.h"
#include "tests/game/shell/menu_test_support.h"
#include "tests/support/api_fake/api_fake.h"
#include "tests/support/files/file_call_script.h"

namespace {

constexpr int32_t kKept = 77;  // a value no file below sets

using Buttons = std::array<int32_t, 20>;  // player 1's five, then players 2, 3 and 4

Buttons CurrentButtons() {
  Buttons out{};
  for (int p = 0; p < 4; ++p)
    for (int a = 0; a < 5; ++a) out[p * 5 + a] = player[p].action_button[a];
  return out;
}

// Button numbers 0 to 7 in turn, then revival stock 3: the file as the
// configuration screen writes it.
std::string PlainConfig() {
  std::string text;
  for (int i = 0; i < 20; ++i) text += std::to_string(i % 8) + "\n";
  return text + "3\n";
}

Buttons PlainButtons() {
  Buttons out{};
  for (int i = 0; i < 20; ++i) out[i] = i % 8;
  return out;
}

Buttons KeptExcept(std::vector<std::pair<int, int32_t>> set) {
  Buttons out;
  out.fill(kKept);
  for (const auto& [index, value] : set) out[index] = value;
  return out;
}

// The default assignment, Z shot and decide, X and C the special attacks, A
// pause, S skip (buttons 0 to 4) for every player, but for `set`; with
// `kept_from`, the buttons from that index on keep their values.
Buttons DefaultsExcept(std::vector<std::pair<int, int32_t>> set, int kept_from = 20) {
  Buttons out;
  for (int i = 0; i < 20; ++i) out[i] = i < kept_from ? i % 5 : kKept;
  for (const auto& [index, value] : set) out[index] = value;
  return out;
}

constexpr int32_t kDefaultRevive = 3;

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartAtTitle();
    Keep();
  }
  // Every value the files give set to one the files never hold.
  static void Keep() {
    for (player_data& record : player)
      for (int32_t& button : record.action_button) button = kKept;
    revive_stock = kKept;
    for (int32_t& device : pad_device) device = kKept;
  }

  ScratchFolder folder_;
};

TEST_F(SettingsTest, ConfigReaderTakesTheFirstTokenOfEachLine) {
  struct Case {
    const char* label;
    bool exists;
    std::string text;
    Buttons buttons;
    int32_t revive;
  };
  std::string long_line = "5" + std::string(300, ' ') + "9\n6\n";
  const Case cases[] = {
      {"plain", true, PlainConfig(), PlainButtons(), 3},
      {"line feeds after carriage returns", true, "4\r\n5\r\n", DefaultsExcept({{0, 4}, {1, 5}}),
       kDefaultRevive},
      // '@' opening line 3: two buttons, then line 4 is the revival stock;
      // the buttons after the '@' keep their values.
      {"at sign on line 3", true, "1\n2\n@\n8\n3\n", KeptExcept({{0, 1}, {1, 2}}), 8},
      {"at sign on line 1", true, "@ 4\n2\n", KeptExcept({}), 2},
      {"at sign with no line after it", true, "1\n@\n", KeptExcept({{0, 1}}), kDefaultRevive},
      {"at sign after blanks is no stop", true, " @\n6\n", DefaultsExcept({{1, 6}}),
       kDefaultRevive},
      {"blanks and commas separate", true, " 3, 4\n,,5\n7 8\n6,2\n",
       DefaultsExcept({{0, 3}, {1, 5}, {2, 7}, {3, 6}}), kDefaultRevive},
      // A number stops at the first non-digit; a token that is no number
      // takes the default, as does one outside 0 to 7.
      {"conversion stops at a non-digit", true, "4abc\nx9\n-2\n+6\n\t5\n8\n",
       DefaultsExcept({{0, 4}, {3, 6}, {4, 5}}), kDefaultRevive},
      {"lines without a token keep their value", true, "\n  ,  \n\r\n2\n",
       DefaultsExcept({{0, kKept}, {1, kKept}, {2, kKept}, {3, 2}}), kDefaultRevive},
      {"numbers beyond 32 bits", true, "99999999999\n-99999999999\n7\n", DefaultsExcept({{2, 7}}),
       kDefaultRevive},
      {"missing lines take the defaults", true, "1\n2\n3", DefaultsExcept({{0, 1}, {1, 2}, {2, 3}}),
       kDefaultRevive},
      {"revival stock line missing", true, PlainConfig().substr(0, PlainConfig().size() - 2),
       PlainButtons(), kDefaultRevive},
      {"revival stock above 9", true, PlainConfig().substr(0, PlainConfig().size() - 2) + "10\n",
       PlainButtons(), kDefaultRevive},
      {"negative revival stock", true, PlainConfig().substr(0, PlainConfig().size() - 2) + "-1\n",
       PlainButtons(), kDefaultRevive},
      {"revival stock 0", true, PlainConfig().substr(0, PlainConfig().size() - 2) + "0\n",
       PlainButtons(), 0},
      {"only the rest of a long line is dropped", true, long_line,
       DefaultsExcept({{0, 5}, {1, 6}}), kDefaultRevive},
      {"missing file", false, "", DefaultsExcept({}), kDefaultRevive},
      {"empty file", true, "", DefaultsExcept({}), kDefaultRevive},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Keep();
    std::filesystem::remove("config_data.dat");
    if (c.exists) ScratchFolder::Write("config_data.dat", c.text);
    load_settings();
    EXPECT_EQ(CurrentButtons(), c.buttons);
    EXPECT_EQ(revive_stock, c.revive);
  }
}

TEST_F(SettingsTest, PadFileGivesEachPlayersDevice) {
  struct Case {
    const char* label;
    bool exists;
    std::string text;
    std::array<int32_t, 4> devices;
  };
  // Player 1 on the keyboard and pad 1, players 2 to 4 on pads 2 to 4 for
  // whatever the file does not give or gives outside 0 to 5.
  const Case cases[] = {
      {"four lines", true, "0\n1\n5\n4\n", {0, 1, 5, 4}},
      {"tokens, blanks and numbers out of range", true, " 2,3\n\n9\n-1\n", {2, kKept, 3, 4}},
      {"letters", true, "a\nb1\n\n1x\n", {0, 2, kKept, 1}},
      {"short file", true, "3\n", {3, 2, 3, 4}},
      {"missing file", false, "", {0, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Keep();
    std::filesystem::remove("pad.dat");
    if (c.exists) ScratchFolder::Write("pad.dat", c.text);
    load_settings();
    EXPECT_EQ((std::array<int32_t, 4>{pad_device[0], pad_device[1], pad_device[2], pad_device[3]}),
              c.devices);
  }
}

// Whatever the files hold, every player can play from the program's start:
// each action on a button of its own, a revival stock and a device the game
// has, and the configuration screen shows them all.
TEST_F(SettingsTest, AnySettingsFilesGiveAPlayableAssignment) {
  struct Case {
    const char* label;
    const char* config;  // null: no file
    const char* pad;
    const char* config_fixture = nullptr;  // a file of tests/fixtures/bad-input instead
  };
  const Case cases[] = {
      {"missing", nullptr, nullptr},
      {"empty", "", ""},
      {"short", "1\n0\n", "5\n"},
      {"huge numbers", "99999999999\n2147483647\n4294967296\n", "99999999999\n"},
      {"negative numbers", "-1\n-2\n-2147483648\n-99999999999\n", "-1\n-5\n"},
      {"letters", "Z\nX\nC\nA\nS\n", "keyboard\npad\n"},
      {"at sign at once", "@\n", "0\n0\n0\n0\n"},
      {"the largest int, a file that once overflowed the screen", nullptr, nullptr,
       "config-data-largest-int.dat"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    // The state at program start: everything zero, then the defaults.
    for (player_data& record : player)
      for (int32_t& button : record.action_button) button = 0;
    for (int32_t& device : pad_device) device = 0;
    revive_stock = 0;
    set_default_settings();
    std::filesystem::remove("config_data.dat");
    std::filesystem::remove("pad.dat");
    if (c.config != nullptr) ScratchFolder::Write("config_data.dat", c.config);
    if (c.config_fixture != nullptr) {
      std::filesystem::copy_file(std::string(BRIMAL_BAD_INPUT_DIR) + "/" + c.config_fixture,
                                 "config_data.dat");
    }
    if (c.pad != nullptr) ScratchFolder::Write("pad.dat", c.pad);
    load_settings();

    for (int p = 0; p < 4; ++p) {
      SCOPED_TRACE(p);
      std::vector<int32_t> buttons(std::begin(player[p].action_button),
                                   std::end(player[p].action_button));
      for (int32_t button : buttons) {
        EXPECT_GE(button, 0);
        EXPECT_LE(button, 7);
      }
      std::sort(buttons.begin(), buttons.end());
      EXPECT_EQ(std::adjacent_find(buttons.begin(), buttons.end()), buttons.end());
      EXPECT_GE(pad_device[p], 0);
      EXPECT_LE(pad_device[p], 5);
    }
    EXPECT_GE(revive_stock, 0);
    EXPECT_LE(revive_stock, 9);

    api_fake().calls.clear();
    game_status = kStatusButtonConfig;
    menu_cursor = 1;
    ClearInput();
    run_button_config();
    EXPECT_EQ(Draws().size(), 1u + 7u + 20u + 1u);  // every digit has its cell
  }
}

// ---- Button configuration ---------------------------------------------------------------

class ButtonConfigTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    for (int p = 0; p < 4; ++p)
      for (int a = 0; a < 5; ++a) player[p].action_button[a] = a;
    revive_stock = 3;
    game_status = kStatusButtonConfig;
    menu_cursor = 1;
    ClearInput();
  }
};

TEST_F(ButtonConfigTest, CursorRunsOverSevenRowsWithTheTitleRule) {
  player[3].input_state[kUp] = 2;
  run_button_config();
  EXPECT_EQ(menu_cursor, 7);
  EXPECT_EQ(se_title_cursor_request, 1);
  ClearInput();
  player[1].input_state[kDown] = 2;
  player[2].input_state[kDown] = 2;
  run_button_config();
  EXPECT_EQ(menu_cursor, 1);  // one move a frame
}

TEST_F(ButtonConfigTest, ANewlyPressedButtonGoesToTheRowsAction) {
  struct Case {
    const char* label;
    int32_t row;
    std::vector<std::pair<int, int>> presses;  // (player, button)
    std::vector<std::array<int32_t, 3>> expected;  // (player, action, button)
  };
  const Case cases[] = {
      {"one press", 2, {{2, 6}}, {{2, 1, 6}}},
      {"highest button wins", 4, {{1, 2}, {1, 7}, {1, 5}}, {{1, 3, 7}}},
      {"each player their own", 5, {{0, 3}, {3, 1}}, {{0, 4, 3}, {3, 4, 1}}},
      {"the decide button itself", 3, {{0, 0}}, {{0, 2, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SetUp();
    menu_cursor = c.row;
    for (const auto& [p, button] : c.presses) player[p].input_state[kButton0 + button] = 2;
    run_button_config();
    for (const auto& [p, action, button] : c.expected)
      EXPECT_EQ(player[p].action_button[action], button) << p;
    EXPECT_EQ(se_title_decide_request, 1);
  }
  // A held button (state 1) assigns nothing.
  SetUp();
  player[0].input_state[kButton0 + 6] = 1;
  run_button_config();
  EXPECT_EQ(player[0].action_button[0], 0);
  EXPECT_EQ(se_title_decide_request, 0);
}

TEST_F(ButtonConfigTest, RevivalStockStopsAtNineAndZero) {
  struct Case {
    int32_t from;
    std::vector<std::pair<int, int>> presses;  // (player, direction)
    int32_t to;
  };
  const Case cases[] = {
      {8, {{0, kRight}}, 9},           {9, {{0, kRight}}, 9},
      {1, {{2, kLeft}}, 0},            {0, {{2, kLeft}}, 0},
      {4, {{0, kRight}, {1, kRight}}, 5},  // the first player that changes it ends the step
      {9, {{0, kRight}, {1, kLeft}}, 8},   // a right that cannot raise lets a left lower
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    SetUp();
    menu_cursor = 6;
    revive_stock = c.from;
    for (const auto& [p, direction] : c.presses) player[p].input_state[direction] = 2;
    run_button_config();
    EXPECT_EQ(revive_stock, c.to);
    EXPECT_EQ(se_title_decide_request + se_title_exit_request, 0);
  }
}

TEST_F(ButtonConfigTest, ExitWritesTwentyOneLinesAndReturnsToTheTitle) {
  player[1].action_button[3] = 7;
  player[3].action_button[4] = 6;
  revive_stock = 9;
  menu_cursor = 7;
  player[2].actions[0] = 2;
  run_button_config();
  EXPECT_EQ(game_status, kStatusTitle);
  EXPECT_EQ(menu_cursor, 1);
  EXPECT_EQ(se_title_exit_request, 1);
  EXPECT_EQ(ScratchFolder::Read("config_data.dat"),
            "0\n1\n2\n3\n4\n"
            "0\n1\n2\n7\n4\n"
            "0\n1\n2\n3\n4\n"
            "0\n1\n2\n3\n6\n"
            "9\n");
  EXPECT_FALSE(ScratchFolder::Exists("config_data.dat.tmp"));

  // Read back, the file gives the same settings.
  Keep();
  load_settings();
  EXPECT_EQ(player[1].action_button[3], 7);
  EXPECT_EQ(player[3].action_button[4], 6);
  EXPECT_EQ(revive_stock, 9);
}

// A file that cannot be written shows the error line; the screen stays open
// and the old file stays whole.
TEST_F(ButtonConfigTest, FailedWriteKeepsTheScreenOpen) {
  ScratchFolder::Write("config_data.dat", PlainConfig());
  std::filesystem::create_directory("config_data.dat.tmp");
  menu_cursor = 7;
  player[0].actions[0] = 2;
  run_button_config();
  EXPECT_EQ(game_status, kStatusButtonConfig);
  EXPECT_EQ(ScratchFolder::Read("config_data.dat"), PlainConfig());
  const std::vector<ApiCall> printed = api_fake().Calls("ApiPrintToScreen");
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_EQ(printed[0].texts.at(0), "ファイル書き込みエラー\n");
  EXPECT_EQ(se_title_exit_request, 0);

  // Nor can anything be written once the working folder is gone.
  std::filesystem::remove_all(folder_.path());
  player[0].actions[0] = 2;
  run_button_config();
  EXPECT_EQ(game_status, kStatusButtonConfig);
  EXPECT_EQ(api_fake().Count("ApiPrintToScreen"), 2);
}

// The file is flushed to the disk before it replaces the old one; a rename
// that fails leaves the old file and no temporary one.
TEST_F(ButtonConfigTest, AnInterruptedWriteKeepsTheOldFile) {
  ScratchFolder::Write("config_data.dat", PlainConfig());
  menu_cursor = 7;
  player[0].actions[0] = 2;
  {
    FileCallScript script;
    script.FailOn("MoveFileExA", 1);
    run_button_config();
    EXPECT_EQ(script.Calls(),
              (std::vector<std::string>{"WriteFile", "FlushFileBuffers", "MoveFileExA"}));
  }
  EXPECT_EQ(game_status, kStatusButtonConfig);
  EXPECT_EQ(ScratchFolder::Read("config_data.dat"), PlainConfig());
  EXPECT_FALSE(ScratchFolder::Exists("config_data.dat.tmp"));
  EXPECT_EQ(api_fake().Count("ApiPrintToScreen"), 1);
}

TEST_F(ButtonConfigTest, RowsShowEachPlayersButtonsAsDigitsOneToEight) {
  menu_cursor = 2;
  player[2].action_button[1] = 7;
  revive_stock = 4;
  run_button_config();
  const std::vector<Draw> draws = Draws();
  ASSERT_EQ(draws.size(), 1u + 7u + 20u + 1u);
  EXPECT_EQ(draws[0], (Draw{0, 0, config_back_ground_img, 0}));
  EXPECT_EQ(draws[1], (Draw{50, 45, config_select_shot_shade_img, 1}));
  EXPECT_EQ(draws[2], (Draw{48, 105, config_select_white_potion_img, 1}));
  EXPECT_EQ(draws[7], (Draw{50, 405, config_select_exit_shade_img, 1}));
  // Row 1, players 1 to 4: button 0 as digit 1, dim.
  EXPECT_EQ(draws[8], (Draw{360, 45, config_select_number_shade_img[1], 1}));
  EXPECT_EQ(draws[11], (Draw{564, 45, config_select_number_shade_img[1], 1}));
  // Row 2 is the cursor's: lit digits; player 3's button 7 shows 8.
  EXPECT_EQ(draws[12], (Draw{360, 105, config_select_number_img[2], 1}));
  EXPECT_EQ(draws[14], (Draw{496, 105, config_select_number_img[8], 1}));
  EXPECT_EQ(draws.back(), (Draw{360, 345, config_select_number_shade_img[4], 1}));
}

// Numbers the digit sheets have no cell for are not drawn.
TEST_F(ButtonConfigTest, NumbersOutsideTheDigitSheetsDrawNothing) {
  struct Case {
    int32_t button;
    int32_t revive;
    size_t digits;  // digit cells drawn
  };
  const Case cases[] = {{8, 9, 21},  {-1, 0, 21},         {9, 10, 19},
                        {-2, -1, 19}, {1000, 2000000, 19}, {INT32_MAX, INT32_MIN, 19}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    SetUp();
    api_fake().calls.clear();
    menu_cursor = 6;
    player[0].action_button[2] = c.button;
    revive_stock = c.revive;
    run_button_config();
    EXPECT_EQ(Draws().size(), 1u + 7u + c.digits);
  }
}

}  // namespace
