// Runtime folders ($XDG_RUNTIME_DIR) of a program's own. A program's
// top-level windows mark their class in the session's runtime folder, and
// the game stops at start-up when another program of the session has a
// window of its class. Test programs run in parallel (and a person may play
// the game while they run), so every test program, and every copy of the
// game a test or a benchmark starts, gets a folder of its own unless the
// test means two copies to meet.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

// A new empty folder inside `parent` (mode 0700, as the runtime folder must
// be); empty on failure.
inline std::string NewRuntimeFolder(const std::filesystem::path& parent) {
  std::string pattern = (parent / "brimal_runtime_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror(pattern.c_str());
    return std::string();
  }
  return pattern;
}

// This process's environment with XDG_RUNTIME_DIR set to `folder`, for a
// program started with posix_spawn or execve (the strings stay with the
// result; Pointers() gives the array to pass).
class EnvironmentWithRuntimeFolder {
 public:
  explicit EnvironmentWithRuntimeFolder(const std::string& folder) {
    const std::string name = "XDG_RUNTIME_DIR=";
    for (char** entry = environ; *entry != nullptr; ++entry) {
      if (std::string(*entry).compare(0, name.size(), name) != 0) entries_.push_back(*entry);
    }
    entries_.push_back(name + folder);
  }
  std::vector<char*> Pointers() {
    std::vector<char*> pointers;
    for (std::string& entry : entries_) pointers.push_back(entry.data());
    pointers.push_back(nullptr);
    return pointers;
  }

 private:
  std::vector<std::string> entries_;
};
