#include "platform/host/input_state.h"

namespace {

bool ValidKey(int dik_code) { return dik_code >= 0 && dik_code < InputState::kKeyCount; }
bool ValidPad(int index) { return index >= 0 && index < InputState::kPadCount; }

}  // namespace

void InputState::SetKey(int dik_code, bool down) {
  if (!ValidKey(dik_code)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  keys_[dik_code] = down ? 0x80 : 0;
}

bool InputState::KeyDown(int dik_code) const {
  if (!ValidKey(dik_code)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return keys_[dik_code] != 0;
}

void InputState::GetKeys(uint8_t out[kKeyCount]) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (int i = 0; i < kKeyCount; ++i) out[i] = keys_[i];
}

void InputState::ReleaseAllKeys() {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.fill(0);
}

void InputState::SetPad(int index, const HostPadState& state) {
  if (!ValidPad(index)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  pads_[index] = state;
}

HostPadState InputState::Pad(int index) const {
  if (!ValidPad(index)) return HostPadState{};
  std::lock_guard<std::mutex> lock(mutex_);
  return pads_[index];
}

void InputState::AddTypedText(const std::string& cp932_bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  typed_ += cp932_bytes;
}

std::string InputState::TakeTypedText() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string taken;
  taken.swap(typed_);
  return taken;
}
