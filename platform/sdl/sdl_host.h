// The SDL2 host: a real window, keyboard, joysticks, sound and the real clock.
// This header includes no SDL header; only the sources of this folder do.
//
// SDL is called on the main thread only (the thread that made the host, which
// is the game thread). Calls from other threads change the host's own state,
// which the main thread hands on to SDL at its next call.
//
// While the host lives, SIGTERM and SIGINT end the program through its
// normal shut-down: the next event poll reports a Close, and an open question
// or message is closed first (sdl_end_signals.h).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/host/host.h"

struct SdlHostOptions {
  // Report a Close event at the first event poll after this frame (0: never).
  // Frames are counted as on the null host.
  int64_t close_after_frame = 0;
  // The answer to every yes/no question, which is then not shown (unset: the
  // question is shown through zenity, and answered No, with one line on
  // stderr, where it cannot be).
  std::optional<bool> answer;
};

class SdlHost : public Host {
 public:
  // Starts SDL's video and joystick parts; throws std::runtime_error with
  // SDL's reason when they cannot start.
  explicit SdlHost(const SdlHostOptions& options);
  ~SdlHost() override;

  const char* Name() const override { return "sdl"; }
  VideoHost& Video() override;
  AudioHost& Audio() override;
  ClockHost& Clock() override;
  int PadCount() const override;
  // Stops the sound output, so nothing pulls from the mixer while the program
  // exits.
  void Finish() override;

  // Whether a window exists (after the first SetWindowImageSize).
  bool HasWindow() const;
  // Whether sound goes to an SDL device (false: the silent output, or closed).
  bool AudioDeviceOpen() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The DirectInput key code of an SDL scan code, 0 when the key has none.
int DikFromSdlScancode(int sdl_scancode);
// SDL's scan code for a key name ("Escape", "Z", "Up", ...), 0 when unknown.
int SdlScancodeFromName(const char* name);

// Test support: events pushed into SDL's queue as a user's would arrive, and
// virtual joysticks. Main thread only.
void SdlPushKeyEvent(int sdl_scancode, bool down);
void SdlPushTextEvent(const char* utf8);
// A file dropped on the window, outside any drop begin and end.
void SdlPushDropEvent(const char* utf8_path);
// Attaches a virtual joystick; returns its device index, -1 on failure.
int SdlAttachVirtualPad(int axes, int buttons, int hats);
void SdlSetVirtualPadAxis(int device_index, int axis, int value);
void SdlSetVirtualPadButton(int device_index, int button, bool down);
void SdlDetachVirtualPad(int device_index);
