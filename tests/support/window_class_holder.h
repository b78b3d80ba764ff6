// Another program of the test's login session (same runtime folder) with a
// top-level window of a class: window_class_holder_main.cpp, started with
// pipes to its input and from its output. Every step waits for the
// program's own word that it is done, never for a stretch of time.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

class OtherProgramWindow {
 public:
  explicit OtherProgramWindow(const std::string& class_name) {
    int to_child[2], from_child[2];
    if (pipe2(to_child, O_CLOEXEC) != 0) return;
    if (pipe2(from_child, O_CLOEXEC) != 0) {
      close(to_child[0]);
      close(to_child[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, to_child[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, from_child[1], STDOUT_FILENO);
    std::string program = BRIMAL_WINDOW_CLASS_HOLDER;
    std::string name = class_name;
    char* argv[] = {program.data(), name.data(), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(to_child[0]);
    close(from_child[1]);
    to_ = to_child[1];
    from_ = from_child[0];
    made_ = pid_ > 0 && ReadLine() == "made";
  }
  ~OtherProgramWindow() {
    if (to_ >= 0) close(to_);
    if (from_ >= 0) close(from_);
    Wait();
  }
  OtherProgramWindow(const OtherProgramWindow&) = delete;
  OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;

  // Whether the program made its window.
  bool made() const { return made_; }

  // The program destroys its window and goes on running.
  bool EndWindow() {
    Send("destroy");
    return ReadLine() == "destroyed";
  }
  // The program starts a program of its own that runs until it is killed;
  // its process id, or -1.
  pid_t StartChild() {
    Send("child");
    const std::string line = ReadLine();
    if (line.rfind("child ", 0) != 0) return -1;
    return static_cast<pid_t>(std::stol(line.substr(6)));
  }
  // Kills the program (as a crash would end it) and waits for its end.
  void Kill() {
    if (pid_ > 0) kill(pid_, SIGKILL);
    Wait();
  }

 private:
  void Send(const std::string& command) {
    const std::string line = command + "\n";
    if (write(to_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return;
  }
  // One line of the program's output; empty when it ended first.
  std::string ReadLine() {
    std::string line;
    char byte;
    while (read(from_, &byte, 1) == 1 && byte != '\n') line += byte;
    return line;
  }
  void Wait() {
    if (pid_ <= 0) return;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int to_ = -1;
  int from_ = -1;
  bool made_ = false;
};
