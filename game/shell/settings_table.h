// The settings every player starts from: the button of each action, the
// revival stock and each player's input device that a settings file gives
// when it is missing, short, or holds a value outside its range, so a new
// game can always start. The sample data generator writes its
// "config_data.dat" and "pad.dat" from the same table.
#pragma once

#include <cstdint>

constexpr int32_t kSettingsPlayers = 4;
// Actions: shot and decide, first special attack, second special attack,
// pause, skip.
constexpr int32_t kSettingsActions = 5;

// Ranges of the values the files hold.
constexpr int32_t kButtonNumberMax = 7;  // buttons 0 to 7
constexpr int32_t kReviveStockMax = 9;   // 0 to 9 revivals
constexpr int32_t kPadDeviceMax = 5;     // 0 keyboard + pad 1, 1-4 pad, 5 keyboard only

// Per player, the button of each action: shot and decide on button 0 (Z),
// the special attacks on 1 and 2 (X, C), pause on 3 (A), skip on 4 (S).
extern const int32_t default_action_buttons[kSettingsPlayers][kSettingsActions];
extern const int32_t default_revive_stock;
// Player 1 on the keyboard together with pad 1; players 2 to 4 on pads 2 to 4.
extern const int32_t default_pad_devices[kSettingsPlayers];
