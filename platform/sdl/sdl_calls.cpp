#include "platform/sdl/sdl_calls.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/win32/shared_library_posix.h"

namespace {

SdlCalls LoadedSdlCalls;

}  // namespace

bool LoadSdl(std::string* error) {
  static std::once_flag once;
  static std::string failure;
  std::call_once(once, [] {
    const char* reason = nullptr;
    if (!LoadSharedLibraries({BRIMAL_SDL_LIBRARY}, &reason)) {
      failure = std::string("SDL cannot be loaded: ") + (reason ? reason : "");
      return;
    }
    SdlCalls calls;
#define BRIMAL_SDL_CALL(name)                                                               \
  calls.name = reinterpret_cast<decltype(calls.name)>(                                      \
      FindLoadedSymbol({BRIMAL_SDL_LIBRARY}, #name));                                       \
  if (calls.name == nullptr && failure.empty()) failure = "SDL lacks " #name;
    BRIMAL_SDL_CALLS(BRIMAL_SDL_CALL)
#undef BRIMAL_SDL_CALL
    if (failure.empty()) LoadedSdlCalls = calls;
  });
  if (!failure.empty() && error != nullptr) *error = failure;
  return failure.empty();
}

const SdlCalls& Sdl() {
  static const bool loaded = [] {
    std::string error;
    if (LoadSdl(&error)) return true;
    std::fprintf(stderr, "brimal: %s\n", error.c_str());
    std::abort();
  }();
  (void)loaded;
  return LoadedSdlCalls;
}
