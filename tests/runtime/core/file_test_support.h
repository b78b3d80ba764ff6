// Helpers shared by the file-access and archive tests: a temporary folder
// tree, the current folder held for a test, log capture, archives built with
// the archive writer.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/kernel.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/file_access.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "tools/archive_writer/archive_writer.h"

using Bytes = std::vector<uint8_t>;

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Bytes that do not repeat in short runs (a small LCG), so packing finds
// nothing but what a test puts there on purpose.
inline Bytes NoiseBytes(size_t size, uint32_t seed) {
  Bytes bytes(size);
  uint32_t state = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<uint8_t>(state >> 24);
  }
  return bytes;
}

// A temporary folder of the test's own, removed with everything in it. Paths
// handed to the runtime are its POSIX paths, which the file stand-ins take as
// paths on drive C.
class TestFolder {
 public:
  TestFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base == '/' ? base : "/tmp") +
                          "/files_test_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) path_ = name.data();
  }
  ~TestFolder() {
    if (path_.empty()) return;
    nftw(
        path_.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) { return remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Path(const std::string& relative) const { return path_ + "/" + relative; }

  // Writes `bytes` to `relative` ("/"-separated), making its folders.
  void Write(const std::string& relative, const Bytes& bytes) const {
    MakeFolders(relative);
    const int file = open(Path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0) << relative;
    ASSERT_EQ(write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(file);
  }
  void Write(const std::string& relative, const std::string& text) const {
    Write(relative, BytesOf(text));
  }
  void MakeFolder(const std::string& relative) const {
    MakeFolders(relative + "/x");
  }

 private:
  void MakeFolders(const std::string& relative) const {
    for (size_t at = relative.find('/'); at != std::string::npos; at = relative.find('/', at + 1)) {
      mkdir(Path(relative.substr(0, at)).c_str(), 0755);
    }
  }
  std::string path_;
};

// Makes `folder` the current folder for the test's duration.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    char buffer[4096] = {};
    GetCurrentDirectoryA(sizeof(buffer), buffer);
    previous_ = buffer;
    EXPECT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  }
  ~CurrentFolder() { SetCurrentDirectoryA(previous_.c_str()); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::string previous_;
};

// Collects the log's lines (through the debugger output) while it lives.
class LogCapture {
 public:
  explicit LogCapture(const std::string& folder) {
    SetLogOutputFlag(1);
    SetLogFolder(folder.c_str());
    InitLog();
    SetDebugOutputSink(&LogCapture::Collect, &text_);
  }
  ~LogCapture() {
    SetDebugOutputSink(nullptr, nullptr);
    SetLogFolder("");
  }
  const std::string& text() const { return text_; }

 private:
  static void Collect(void* context, const char* text) {
    *static_cast<std::string*>(context) += text;
  }
  std::string text_;
};

// Builds an archive with the writer; fails the test when the writer refuses.
inline Bytes BuildTestArchive(const std::vector<ArchiveWriterFile>& files,
                              const ArchiveWriterOptions& options = {}) {
  Bytes archive;
  std::string error;
  EXPECT_TRUE(BuildArchive(files, options, &archive, &error)) << error;
  return archive;
}

inline ArchiveWriterFile FileEntry(const std::string& path, const Bytes& data, bool pack = true) {
  ArchiveWriterFile file;
  file.path = path;
  file.data = data;
  file.pack = pack;
  return file;
}

// Every test of the archive layer starts from empty tables and settings and
// must leave no file, search or archive open and no block allocated.
class ArchiveLayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    InitArchiveLayer();
    StoreArchiveExtension(nullptr);
    StoreArchiveKey(nullptr);
    SetFileAccessFunctions(nullptr);
    blocks_ = TrackedBlockCount();
  }
  void TearDown() override {
    EXPECT_EQ(FileHandleTable.count, 0) << "a file was left open";
    CloseAllArchives();
    EXPECT_EQ(ArchiveTable.count, 0) << "an archive is still in use";
    EXPECT_EQ(TrackedBlockCount(), blocks_) << "blocks were left allocated";
    InitArchiveLayer();
    StoreArchiveExtension(nullptr);
    StoreArchiveKey(nullptr);
  }

  // Reads a whole file through the table; empty when it does not open.
  static bool ReadThroughTable(const std::string& path, Bytes* bytes, int async = 0) {
    const intptr_t file = FileOpenThunk(path.c_str(), 0, 1, async);
    if (file == 0) return false;
    bytes->clear();
    uint8_t chunk[4096];
    for (;;) {
      const size_t got = FileReadThunk(chunk, 1, sizeof(chunk), file);
      while (FileIdleThunk(file) == 0) Sleep(0);
      if (got == 0) break;
      bytes->insert(bytes->end(), chunk, chunk + got);
    }
    FileCloseThunk(file);
    return true;
  }

  TestFolder folder_;
  int32_t blocks_ = 0;
};
