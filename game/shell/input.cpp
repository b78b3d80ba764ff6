// The input poll: each player's device into the input fields of the player
// records, once per frame before the state handler runs.
#include "game/shell/shell.h"
#include "game/world/world.h"
#include "runtime/system/api.h"

namespace {

// Bits of the twelve input states: up, right, down, left, then buttons 0 to 7.
constexpr int32_t kInputBits[12] = {0x8,  0x4,  0x1,   0x2,   0x10,  0x20,
                                    0x40, 0x80, 0x100, 0x200, 0x400, 0x800};

constexpr int32_t kKeyboardAndPad1 = 4097;
constexpr int32_t kKeyboardOnly = 4096;

}  // namespace

void poll_input() {
  for (int p = 0; p < 4; ++p) {
    player_data& record = player[p];
    record.pad_bits_before = record.pad_bits;
    const int32_t device = pad_device[p];
    if (device == 0) {
      record.pad_bits = ApiGetPadInput(kKeyboardAndPad1);
    } else if (device >= 1 && device <= 4) {
      record.pad_bits = ApiGetPadInput(device);
    } else if (device == 5) {
      record.pad_bits = ApiGetPadInput(kKeyboardOnly);
    }
  }
  for (int p = 0; p < player_count && p < 4; ++p) {
    for (int32_t& state : player[p].input_state) state = 0;
  }
  for (int p = 0; p < player_count && p < 4; ++p) {
    player_data& record = player[p];
    for (int i = 0; i < 12; ++i) {
      if (record.pad_bits & kInputBits[i]) record.input_state[i] = 1;
    }
    for (int i = 0; i < 12; ++i) {
      if ((record.pad_bits & kInputBits[i]) && !(record.pad_bits_before & kInputBits[i])) {
        record.input_state[i] = 2;
      }
    }
  }
  for (int a = 0; a < 5; ++a) {
    for (int p = 0; p < player_count && p < 4; ++p) {
      const int32_t button = player[p].action_button[a];
      if (button >= 0 && button <= 7) player[p].actions[a] = player[p].input_state[4 + button];
    }
  }
}
