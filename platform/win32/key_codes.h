// The stand-in layer's own pairing of DirectInput key codes (the host's key
// table) and virtual-key codes (window messages and the keyboard state).
#pragma once

#include <cstdint>

// The virtual-key code of a DirectInput key code, 0 for a key without one.
// Left and right Shift, Ctrl and Alt give their own codes (0xA0 to 0xA5).
int VirtualKeyFromDik(int dik);
// The virtual-key code a key-down message carries: as VirtualKeyFromDik, but
// Shift, Ctrl and Alt give the shared codes VK_SHIFT, VK_CONTROL and VK_MENU.
int MessageVirtualKeyFromDik(int dik);
// The keyboard state by virtual-key code (0x80 while down) of a key table by
// DirectInput key code: every key's own code, and the shared Shift, Ctrl and
// Alt codes while either of the pair is down.
void VirtualKeyStateFromDik(const uint8_t dik_state[256], uint8_t vk_state[256]);
