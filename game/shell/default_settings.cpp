// The settings in force before the settings files are read (shell.h). Kept
// apart from the settings files' reader, which the frame loop calls.
#include "game/shell/settings_table.h"
#include "game/shell/shell.h"
#include "game/world/world.h"

void set_default_settings() {
  for (int32_t p = 0; p < kSettingsPlayers; ++p) {
    for (int32_t a = 0; a < kSettingsActions; ++a) {
      player[p].action_button[a] = default_action_buttons[p][a];
    }
    pad_device[p] = default_pad_devices[p];
  }
  revive_stock = default_revive_stock;
}
