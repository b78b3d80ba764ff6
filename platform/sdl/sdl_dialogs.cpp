// The SDL host's question and message boxes.
//
// The boxes are shown by the zenity program, which draws with the desktop's
// own fonts (fontconfig). SDL's own box is not used: on X11 it draws with the
// X server's core fonts, with which Japanese text comes out as rows of
// unrelated Latin characters, and it blocks in a child process that ignores
// the end signals. Where zenity cannot be run, nothing is shown and the
// caller says so on stderr.
//
// While a box is open the main thread waits for zenity, checking for an end
// signal (sdl_end_signals.h) between short sleeps, which the signal cuts
// short: on one, zenity is ended (with the processes it started: it runs in a
// process group of its own) before the program goes on to its shut-down.
#include "platform/sdl/sdl_dialogs.h"

#include "platform/sdl/sdl_calls.h"
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/sdl/sdl_end_signals.h"

extern char** environ;

namespace {

// How long the wait for zenity sleeps between looks at the end signal (an
// end signal cuts the sleep short).
constexpr long kZenityPollNanoseconds = 20'000'000;

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

enum class ZenityAnswer {
  kYes,       // Yes or OK
  kNo,        // No, or the box closed
  kEnded,     // an end signal came first: the box was closed, or never opened
  kNotShown,  // zenity could not be started, or failed
};

// Waits for zenity (process `child`, leader of its own process group) to end.
ZenityAnswer WaitForZenity(pid_t child) {
  for (;;) {
    int status = 0;
    const pid_t ended = waitpid(child, &status, WNOHANG);
    if (ended == child) {
      if (!WIFEXITED(status)) return ZenityAnswer::kNotShown;
      switch (WEXITSTATUS(status)) {
        case 0: return ZenityAnswer::kYes;
        case 1: return ZenityAnswer::kNo;
        default: return ZenityAnswer::kNotShown;
      }
    }
    if (ended < 0 && errno != EINTR) return ZenityAnswer::kNotShown;
    if (EndSignalReceived()) {
      // An unanswered box holds nothing worth keeping: it ends at once.
      kill(-child, SIGKILL);
      while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      return ZenityAnswer::kEnded;
    }
    const timespec pause{0, kZenityPollNanoseconds};
    nanosleep(&pause, nullptr);
  }
}

// Shows a zenity box of the kind `kind_args` give: its exit status is 0 for
// Yes (or OK), 1 for No (also when the box is closed). Its own output
// (toolkit warnings) is dropped.
ZenityAnswer ShowThroughZenity(const std::vector<std::string>& kind_args, const std::string& utf8_caption,
                               const std::string& utf8_text) {
  if (EndSignalReceived()) return ZenityAnswer::kEnded;
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
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "zenity", &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return ZenityAnswer::kNotShown;
  return WaitForZenity(child);
}

// Why no box can be shown here, before zenity is tried; empty when it can be.
std::string WhyNoBox() {
  if (DummyVideoDriver()) return "no display";
  if (!DesktopVideoDriver()) {
    return std::string("the zenity program shows no box on SDL's ") +
           Sdl().SDL_GetCurrentVideoDriver() + " display";
  }
  if (!ProgramOnPath("zenity")) return "the zenity program is not installed";
  return "";
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

bool SdlShowQuestion(const std::string& utf8_caption, const std::string& utf8_text, bool* yes,
                     std::string* why) {
  *why = WhyNoBox();
  if (!why->empty()) return false;
  switch (ShowThroughZenity({"--question", "--ok-label=Yes", "--cancel-label=No"}, utf8_caption,
                            utf8_text)) {
    case ZenityAnswer::kYes:
      *yes = true;
      return true;
    case ZenityAnswer::kNo:
    case ZenityAnswer::kEnded:
      *yes = false;
      return true;
    case ZenityAnswer::kNotShown:
      break;
  }
  *why = "the zenity program failed";
  return false;
}

bool SdlShowMessage(const std::string& utf8_caption, const std::string& utf8_text) {
  if (!WhyNoBox().empty()) return false;
  return ShowThroughZenity({"--info"}, utf8_caption, utf8_text) != ZenityAnswer::kNotShown;
}
