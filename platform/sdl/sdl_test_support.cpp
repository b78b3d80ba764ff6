// Test support of the SDL host: events pushed into SDL's queue as a user's
// would arrive, and virtual joysticks. Main thread only.
#include "platform/sdl/sdl_calls.h"

#include <map>

#include "platform/sdl/sdl_host.h"

namespace {

std::map<int, SDL_Joystick*>& VirtualPads() {
  static std::map<int, SDL_Joystick*> pads;
  return pads;
}

}  // namespace

void SdlPushKeyEvent(int sdl_scancode, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.scancode = static_cast<SDL_Scancode>(sdl_scancode);
  Sdl().SDL_PushEvent(&event);
}

void SdlPushDropEvent(const char* utf8_path) {
  SDL_Event event{};
  event.type = SDL_DROPFILE;
  event.drop.file = Sdl().SDL_strdup(utf8_path);
  Sdl().SDL_PushEvent(&event);
}

void SdlPushTextEvent(const char* utf8) {
  SDL_Event event{};
  event.type = SDL_TEXTINPUT;
  Sdl().SDL_strlcpy(event.text.text, utf8, sizeof(event.text.text));
  Sdl().SDL_PushEvent(&event);
}

int SdlAttachVirtualPad(int axes, int buttons, int hats) {
  const int index =
      Sdl().SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
  if (index < 0) return -1;
  SDL_Joystick* joystick = Sdl().SDL_JoystickOpen(index);
  if (joystick == nullptr) {
    Sdl().SDL_JoystickDetachVirtual(index);
    return -1;
  }
  VirtualPads()[index] = joystick;
  return index;
}

void SdlSetVirtualPadAxis(int device_index, int axis, int value) {
  auto it = VirtualPads().find(device_index);
  if (it != VirtualPads().end()) {
    Sdl().SDL_JoystickSetVirtualAxis(it->second, axis, static_cast<Sint16>(value));
  }
}

void SdlSetVirtualPadButton(int device_index, int button, bool down) {
  auto it = VirtualPads().find(device_index);
  if (it != VirtualPads().end()) {
    Sdl().SDL_JoystickSetVirtualButton(it->second, button, down ? SDL_PRESSED : SDL_RELEASED);
  }
}

void SdlDetachVirtualPad(int device_index) {
  auto it = VirtualPads().find(device_index);
  if (it == VirtualPads().end()) return;
  Sdl().SDL_JoystickClose(it->second);
  VirtualPads().erase(it);
  Sdl().SDL_JoystickDetachVirtual(device_index);
}
