// The program's command line: the options, their usage text and the parser
// that turns an argument list into them (kept apart from the entry so that it
// can be tested and fuzzed without starting a host).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/null/null_host.h"

extern const char* const kUsage;

// The largest --clock-start, in milliseconds. The null host keeps its
// virtual clock in microseconds in 64 bits and computes frame boundaries as
// three times the clock's value; a start of at most 10^15 ms (about 31,700
// years) keeps those below 2^64 for more than 2,000,000 years of running,
// while a larger start would let them wrap and no frame would ever come.
constexpr uint64_t kMaxClockStartMilliseconds = 1'000'000'000'000'000;

struct Options {
  std::string host;
  std::string data;
  std::string input_file;
  NullHostOptions null;
  // The start-up question's answer given by --fullscreen (true) or --window
  // (false), for both hosts; unset: the question is asked (on the null host
  // --answer answers it).
  std::optional<bool> full_screen;
  bool null_only_given = false;
  bool frame_list_given = false;
};

enum class OptionsResult {
  kRun,   // the options are good: run the game
  kHelp,  // --help or -h: print the usage text and end with 0
  kBad,   // print `problem` and the usage text and end with 2
};

// Parses argv[1] to argv[argc - 1]. Output and input paths are made absolute
// against the current folder. Without --host, BRIMAL_HOST chooses the host.
OptionsResult ParseOptions(int argc, const char* const* argv, Options* options, std::string* problem);
