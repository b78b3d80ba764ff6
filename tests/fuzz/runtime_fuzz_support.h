// The runtime as the fuzz targets of its readers need it: the null host
// installed, no log file, the scratch folder current, the archive extension
// and key the game sets, and a check that a reader gave back every block of
// the tracking allocator it took.
#pragma once

#include <cstdint>

#include "runtime/core/file_access.h"
#include "runtime/core/memory.h"
#include "tests/fuzz/fuzz_check.h"

// Once per process.
void StartRuntimeForFuzzing();

// The tracked blocks alive when it is made must be all that is alive when it
// ends; archives left open by the run are closed first.
class TrackedBlocksKept {
 public:
  TrackedBlocksKept();
  ~TrackedBlocksKept();

 private:
  int32_t blocks_;
};

// A memory stream over `size` bytes, closed with the object.
class MemoryStreamSource {
 public:
  MemoryStreamSource(const uint8_t* data, size_t size);
  ~MemoryStreamSource();
  StreamSource* get() { return &source_; }

 private:
  StreamSource source_{};
};

// A file of the current file table as a stream, closed with the object;
// `opened()` is false when the open failed.
class FileStreamSource {
 public:
  explicit FileStreamSource(const char* path);
  ~FileStreamSource();
  bool opened() const { return source_.handle != 0; }
  StreamSource* get() { return &source_; }

 private:
  StreamSource source_{};
};
