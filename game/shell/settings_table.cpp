// The default settings (see settings_table.h).
#include "game/shell/settings_table.h"

const int32_t default_action_buttons[kSettingsPlayers][kSettingsActions] = {
    {0, 1, 2, 3, 4},
    {0, 1, 2, 3, 4},
    {0, 1, 2, 3, 4},
    {0, 1, 2, 3, 4},
};

const int32_t default_revive_stock = 3;

const int32_t default_pad_devices[kSettingsPlayers] = {0, 2, 3, 4};
