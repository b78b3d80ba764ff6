// The SDL host's question and message boxes.
//
// On X11, SDL's own box draws with the X server's core fonts: where the
// server has some, Japanese text comes out as rows of unrelated Latin
// characters, and a bare X server such as Xvfb has none that SDL takes (the
// box then fails). The zenity program draws with the desktop's own fonts
// (fontconfig), so questions and messages are shown through zenity first
// where it is installed, and through SDL's box otherwise. SDL itself also
// tries zenity last; where the program is missing that road fails with
// "zenity reported error or failed to launch: 129" (129: the program could
// not be started), and the reason given then names the missing program.
#include "platform/sdl/sdl_dialogs.h"

#include "platform/sdl/sdl_calls.h"
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

bool DummyVideoDriver() {
  const char* driver = Sdl().SDL_GetCurrentVideoDriver();
  return driver == nullptr || std::strcmp(driver, "dummy") == 0;
}

// Whether `name` is an executable file in one of PATH's folders.
bool ProgramOnPath(const char* name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::string_view rest = path;
  while (true) {
    const size_t colon = rest.find(':');
    const std::string_view folder = rest.substr(0, colon);
    const std::string file = std::string(folder.empty() ? "." : folder) + "/" + name;
    if (access(file.c_str(), X_OK) == 0) return true;
    if (colon == std::string_view::npos) return false;
    rest.remove_prefix(colon + 1);
  }
}

// The displays zenity can show a box on.
bool DesktopVideoDriver() {
  const char* driver = Sdl().SDL_GetCurrentVideoDriver();
  return driver != nullptr && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

enum class ZenityAnswer { kYes, kNo, kNotShown };

// Shows a zenity box of the kind `kind_args` give: its exit status is 0 for
// Yes (or OK), 1 for No (also when the box is closed). Its own output
// (toolkit warnings) is dropped.
ZenityAnswer ShowThroughZenity(const std::vector<std::string>& kind_args, const std::string& utf8_caption,
                               const std::string& utf8_text) {
  std::vector<std::string> args = {"zenity", "--no-markup", "--title=" + utf8_caption,
                                   "--text=" + utf8_text};
  args.insert(args.begin() + 1, kind_args.begin(), kind_args.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "zenity", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return ZenityAnswer::kNotShown;
  int status = 0;
  pid_t ended = 0;
  do {
    ended = waitpid(child, &status, 0);
  } while (ended < 0 && errno == EINTR);
  if (ended != child || !WIFEXITED(status)) return ZenityAnswer::kNotShown;
  switch (WEXITSTATUS(status)) {
    case 0: return ZenityAnswer::kYes;
    case 1: return ZenityAnswer::kNo;
    default: return ZenityAnswer::kNotShown;
  }
}

}  // namespace

std::string OneLine(const std::string& utf8_text) {
  std::string line = utf8_text;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return line;
}

bool SdlShowQuestion(SDL_Window* window, const std::string& utf8_caption,
                     const std::string& utf8_text, bool* yes, std::string* why) {
  if (DummyVideoDriver()) {
    *why = "no display";
    return false;
  }
  if (DesktopVideoDriver() && ProgramOnPath("zenity")) {
    const ZenityAnswer answer =
        ShowThroughZenity({"--question", "--ok-label=Yes", "--cancel-label=No"}, utf8_caption, utf8_text);
    if (answer != ZenityAnswer::kNotShown) {
      *yes = answer == ZenityAnswer::kYes;
      return true;
    }
  }
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  SDL_MessageBoxData box{};
  box.flags = SDL_MESSAGEBOX_INFORMATION;
  box.window = window;
  box.title = utf8_caption.c_str();
  box.message = utf8_text.c_str();
  box.numbuttons = 2;
  box.buttons = buttons;
  int pressed = 0;
  if (Sdl().SDL_ShowMessageBox(&box, &pressed) != 0) {
    *why = ProgramOnPath("zenity") ? Sdl().SDL_GetError()
                                   : "SDL cannot draw it here and the zenity program is not installed";
    return false;
  }
  *yes = pressed == 1;
  return true;
}

bool SdlShowMessage(SDL_Window* window, const std::string& utf8_caption, const std::string& utf8_text) {
  if (DummyVideoDriver()) return false;
  if (DesktopVideoDriver() && ProgramOnPath("zenity") &&
      ShowThroughZenity({"--info"}, utf8_caption, utf8_text) != ZenityAnswer::kNotShown) {
    return true;
  }
  return Sdl().SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, utf8_caption.c_str(),
                                        utf8_text.c_str(), window) == 0;
}
