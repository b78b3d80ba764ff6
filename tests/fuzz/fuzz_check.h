// What every fuzz target shares: the check that ends the run with a message
// (libFuzzer and the replay driver both report an abort with the input that
// caused it), and a scratch folder of the process's own that becomes the
// current folder, for the readers that take their files by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Ends the process with a message when `condition` does not hold.
#define FUZZ_CHECK(condition)                                                   \
  do {                                                                          \
    if (!(condition)) FuzzCheckFailed(#condition, __FILE__, __LINE__);          \
  } while (false)

[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line);

// Makes a new empty folder in the temporary folder the current folder (once
// per process; it is removed when the process ends) and returns its path.
const std::string& EnterScratchFolder();

// Writes `size` bytes to `relative` inside the scratch folder, making its
// folders; returns the file's path.
std::string WriteScratchFile(const std::string& relative, const uint8_t* data, size_t size);
