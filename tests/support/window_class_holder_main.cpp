// A program with one top-level window of the class named by its argument,
// for tests of what other programs of the session see of it. It writes
// "made" once the window is there and then takes lines on its input:
//   destroy  destroys the window and writes "destroyed" (the program stays);
//   child    starts a program of its own that runs until it is killed, and
//            writes "child PID".
// It ends when its input ends. Started as "window_class_holder --idle", it
// is that child: it waits for a signal and does nothing else.
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/user.h"

extern char** environ;

namespace {

LRESULT HolderProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

void Say(const std::string& line) {
  const std::string text = line + "\n";
  if (write(STDOUT_FILENO, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    std::perror("window_class_holder");
  }
}

// One line of input without its end; false at the end of the input.
bool ReadLine(std::string* line) {
  line->clear();
  char byte;
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, &byte, 1);
    if (got <= 0) return false;
    if (byte == '\n') return true;
    *line += byte;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_class_holder CLASS | --idle\n");
    return 2;
  }
  if (std::strcmp(argv[1], "--idle") == 0) {
    for (;;) pause();
  }
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = HolderProc;
  window_class.lpszClassName = argv[1];
  if (RegisterClassA(&window_class) == 0) return 1;
  HWND window = CreateWindowExA(0, argv[1], "holder", WS_CAPTION, 0, 0, 64, 64, nullptr, nullptr,
                                nullptr, nullptr);
  if (window == nullptr) return 1;
  Say("made");
  std::string line;
  while (ReadLine(&line)) {
    if (line == "destroy") {
      DestroyWindow(window);
      Say("destroyed");
    } else if (line == "child") {
      char* child_argv[] = {argv[0], const_cast<char*>("--idle"), nullptr};
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
      pid_t child = 0;
      const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, child_argv, environ);
      posix_spawn_file_actions_destroy(&actions);
      if (spawned != 0) return 1;
      Say("child " + std::to_string(child));
    }
  }
  return 0;
}
