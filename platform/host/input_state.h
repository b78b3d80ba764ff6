// Our own input tables, fed by host events: keys in DirectInput key codes,
// up to four joypads, and typed text (Shift-JIS bytes). Guarded by their own
// lock, so any thread may read them.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

struct HostPadState {
  bool connected = false;
  // Axes from -32768 to 32767: x, y, z, rx, ry, rz.
  std::array<int32_t, 6> axes{};
  // Point-of-view hat in hundredths of a degree clockwise from up, -1 centred.
  int32_t pov = -1;
  // Button n is bit n.
  uint32_t buttons = 0;
};

class InputState {
 public:
  static constexpr int kKeyCount = 256;
  static constexpr int kPadCount = 4;

  void SetKey(int dik_code, bool down);
  bool KeyDown(int dik_code) const;
  // Copies the 256 key states (0x80 for down, 0 for up).
  void GetKeys(uint8_t out[kKeyCount]) const;
  void ReleaseAllKeys();

  void SetPad(int index, const HostPadState& state);
  HostPadState Pad(int index) const;

  void AddTypedText(const std::string& cp932_bytes);
  // Takes and clears the typed text collected so far.
  std::string TakeTypedText();

 private:
  mutable std::mutex mutex_;
  std::array<uint8_t, kKeyCount> keys_{};
  std::array<HostPadState, kPadCount> pads_{};
  std::string typed_;
};
