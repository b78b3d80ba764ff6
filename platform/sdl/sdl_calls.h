// SDL is loaded when the SDL host starts rather than linked: Debian's SDL
// brings in some forty libraries (sound servers, X11, Wayland, D-Bus and
// theirs) whose loading cost every start of the program, the headless runs
// on the null host included. The SDL host and its test support make their
// calls into SDL through this table.
#pragma once

#include <SDL.h>

#include <string>

#define BRIMAL_SDL_CALLS(X) \
  X(SDL_CloseAudioDevice)                   \
  X(SDL_CreateRGBSurfaceWithFormatFrom)     \
  X(SDL_CreateRenderer)                     \
  X(SDL_CreateTexture)                      \
  X(SDL_CreateWindow)                       \
  X(SDL_DestroyRenderer)                    \
  X(SDL_DestroyTexture)                     \
  X(SDL_DestroyWindow)                      \
  X(SDL_FreeSurface)                        \
  X(SDL_GetAudioDriver)                     \
  X(SDL_GetCurrentVideoDriver)              \
  X(SDL_GetDesktopDisplayMode)              \
  X(SDL_GetDisplayBounds)                   \
  X(SDL_GetError)                           \
  X(SDL_GetNumAudioDrivers)                 \
  X(SDL_GetScancodeFromName)                \
  X(SDL_GetWindowDisplayIndex)              \
  X(SDL_Init)                               \
  X(SDL_InitSubSystem)                      \
  X(SDL_JoystickAttachVirtual)              \
  X(SDL_JoystickClose)                      \
  X(SDL_JoystickDetachVirtual)              \
  X(SDL_JoystickGetAxis)                    \
  X(SDL_JoystickGetButton)                  \
  X(SDL_JoystickGetDeviceInstanceID)        \
  X(SDL_JoystickGetHat)                     \
  X(SDL_JoystickInstanceID)                 \
  X(SDL_JoystickNumAxes)                    \
  X(SDL_JoystickNumButtons)                 \
  X(SDL_JoystickNumHats)                    \
  X(SDL_JoystickOpen)                       \
  X(SDL_JoystickSetVirtualAxis)             \
  X(SDL_JoystickSetVirtualButton)           \
  X(SDL_NumJoysticks)                       \
  X(SDL_OpenAudioDevice)                    \
  X(SDL_PauseAudioDevice)                   \
  X(SDL_PollEvent)                          \
  X(SDL_PushEvent)                          \
  X(SDL_Quit)                               \
  X(SDL_QuitSubSystem)                      \
  X(SDL_RenderClear)                        \
  X(SDL_RenderCopy)                         \
  X(SDL_RenderPresent)                      \
  X(SDL_RenderSetLogicalSize)               \
  X(SDL_SetHint)                            \
  X(SDL_SetRenderDrawColor)                 \
  X(SDL_SetWindowBordered)                  \
  X(SDL_SetWindowFullscreen)                \
  X(SDL_SetWindowIcon)                      \
  X(SDL_SetWindowPosition)                  \
  X(SDL_SetWindowSize)                      \
  X(SDL_SetWindowTitle)                     \
  X(SDL_StartTextInput)                     \
  X(SDL_UpdateTexture)                      \
  X(SDL_free)                               \
  X(SDL_getenv)                             \
  X(SDL_strdup)                             \
  X(SDL_strlcpy)

struct SdlCalls {
#define BRIMAL_SDL_CALL(name) decltype(&::name) name = nullptr;
  BRIMAL_SDL_CALLS(BRIMAL_SDL_CALL)
#undef BRIMAL_SDL_CALL
};

// Loads SDL once; false with the reason when it cannot be loaded.
bool LoadSdl(std::string* error);
// The calls. SDL is loaded at the first use; a program that cannot load it
// stops with the reason (the SDL host's start asks LoadSdl first and reports
// it instead).
const SdlCalls& Sdl();
