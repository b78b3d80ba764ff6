// Stand-in handlers for the frame-loop tests: every procedure the frame loop
// and start-up call records its name (with the frame it ran in) and then runs
// the action a test gave it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

struct HandlerRun {
  std::string name;
  int frame;
};

struct HandlerLog {
  std::vector<HandlerRun> runs;
  std::map<std::string, std::function<void()>> actions;

  void Reset() {
    runs.clear();
    actions.clear();
  }
  // Names run in one frame, in order.
  std::vector<std::string> InFrame(int frame) const;
};

HandlerLog& handler_log();
