#include "runtime/core/file_access.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/core/linked_list.h"
#include "tests/runtime/core/file_test_support.h"
#include "tests/runtime/core/lock_test_support.h"

namespace {

// The three ways a plain file is read: directly, through its thread with the
// read cache, through its thread without waiting.
struct ReadMode {
  const char* name;
  int cache;
  int async;
};

// Case names in test listings.
void PrintTo(const ReadMode& value, std::ostream* out) { *out << value.name; }

const ReadMode kReadModes[] = {
    {"uncached", 0, 0},
    {"cached", 1, 0},
    {"not_waiting", 0, 1},
    {"cached_not_waiting", 1, 1},
};

class PlainFileTest : public ::testing::TestWithParam<ReadMode> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    blocks_ = TrackedBlockCount();
  }
  void TearDown() override { EXPECT_EQ(TrackedBlockCount(), blocks_); }

  intptr_t Open(const std::string& relative) {
    return OpenWin32File(folder_.Path(relative).c_str(), GetParam().cache, 1, GetParam().async);
  }

  // A read that waits for its bytes whatever the mode.
  static size_t Read(void* buffer, size_t size, size_t count, intptr_t file) {
    const size_t got = Win32FileRead(buffer, size, count, file);
    while (Win32FileIdle(file) == 0) Sleep(0);
    return got;
  }

  TestFolder folder_;
  int32_t blocks_ = 0;
};

// Larger than the read cache, so reads cross from cached bytes to the disk.
constexpr size_t kBigFileSize = 300000;

TEST_P(PlainFileTest, ReadsAndSeeksGiveTheFileBytes) {
  const Bytes content = NoiseBytes(kBigFileSize, 7);
  folder_.Write("big.bin", content);
  const intptr_t file = Open("big.bin");
  ASSERT_NE(file, 0);

  struct Step {
    int64_t seek;  // -1: no seek
    int origin;
    size_t read;
  };
  const Step steps[] = {
      {-1, 0, 10},      {-1, 0, 200000}, {5, 0, 70000},   {1000, 1, 4096},
      {-77, 2, 100},    {0, 0, 1},       {140000, 0, 0},  {-1, 0, 150000},
      {-1, 0, 300000},  {131071, 0, 3},
  };
  size_t model = 0;
  for (const Step& step : steps) {
    if (step.seek != -1 || step.origin != 0) {
      ASSERT_EQ(Win32FileSeek(file, step.seek, step.origin), 0);
      model = step.origin == 0 ? static_cast<size_t>(step.seek)
              : step.origin == 1 ? model + static_cast<size_t>(step.seek)
                                 : content.size() + static_cast<size_t>(step.seek);
    }
    ASSERT_EQ(Win32FileTell(file), static_cast<int64_t>(model));
    Bytes buffer(step.read + 1, 0xEE);
    const size_t expected = std::min(step.read, content.size() - model);
    const size_t got = Read(buffer.data(), 1, step.read, file);
    ASSERT_EQ(got, expected) << "at " << model;
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + static_cast<long>(got),
                           content.begin() + static_cast<long>(model)))
        << "bytes differ after " << model;
    EXPECT_EQ(buffer[got], 0xEE) << "a read wrote past what it reported";
    model += got;
  }
  EXPECT_EQ(CloseWin32File(file), 0);
}

TEST_P(PlainFileTest, WholeElementsOnlyAndTheEndFlag) {
  folder_.Write("ten.bin", NoiseBytes(10, 1));
  const intptr_t file = Open("ten.bin");
  ASSERT_NE(file, 0);
  uint8_t buffer[16];
  // 3 elements of 4 bytes with 10 left: 2 elements, 8 bytes.
  EXPECT_EQ(Read(buffer, 4, 3, file), 2u);
  EXPECT_EQ(Win32FileTell(file), 8);
  EXPECT_EQ(Win32FileEof(file), 0);
  // Less than one element left: nothing, and the end flag.
  EXPECT_EQ(Read(buffer, 4, 1, file), 0u);
  EXPECT_EQ(Win32FileEof(file), -1);
  // Reading does not clear it; a seek does.
  EXPECT_EQ(Read(buffer, 1, 2, file), 2u);
  EXPECT_EQ(Win32FileEof(file), -1);
  EXPECT_EQ(Win32FileSeek(file, 0, 0), 0);
  EXPECT_EQ(Win32FileEof(file), 0);
  // A count whose byte total wraps in 32 or 64 bits is still cut to the file.
  EXPECT_EQ(Read(buffer, 2, SIZE_MAX / 2 + 3, file), 5u);
  EXPECT_EQ(Read(buffer, 0, 3, file), 0u);
  CloseWin32File(file);
}

TEST_P(PlainFileTest, SeekPastTheEndReadsNothingAndBeforeTheStartFails) {
  folder_.Write("small.bin", NoiseBytes(100, 2));
  const intptr_t file = Open("small.bin");
  ASSERT_NE(file, 0);
  uint8_t buffer[64];
  std::memset(buffer, 0xEE, sizeof(buffer));
  // The position is taken as given...
  ASSERT_EQ(Win32FileSeek(file, 50, 2), 0);
  EXPECT_EQ(Win32FileTell(file), 150);
  // ...and a read there gives nothing and touches nothing.
  EXPECT_EQ(Read(buffer, 1, sizeof(buffer), file), 0u);
  EXPECT_EQ(Win32FileEof(file), -1);
  for (uint8_t byte : buffer) ASSERT_EQ(byte, 0xEE);
  // Before the start: refused, nothing changes.
  EXPECT_EQ(Win32FileSeek(file, -151, 1), -1);
  EXPECT_EQ(Win32FileTell(file), 150);
  EXPECT_EQ(Win32FileSeek(file, 90, 0), 0);
  EXPECT_EQ(Read(buffer, 1, sizeof(buffer), file), 10u);
  CloseWin32File(file);
}

TEST_P(PlainFileTest, MissingFileDoesNotOpen) {
  EXPECT_EQ(Open("missing.bin"), 0);
  folder_.MakeFolder("folder");
  EXPECT_EQ(Open("folder"), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, PlainFileTest, ::testing::ValuesIn(kReadModes),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The file thread -------------------------------------------------------------

class FileThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }
  void TearDown() override { FileThreadRequestHook = nullptr; }

  // Overwrites the file's bytes behind the runtime's back (the file thread
  // holds the file without sharing, so this goes around the stand-ins).
  void Overwrite(const std::string& relative, const Bytes& bytes) {
    const int file = open(folder_.Path(relative).c_str(), O_WRONLY);
    ASSERT_GE(file, 0);
    ASSERT_EQ(pwrite(file, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    close(file);
  }

  TestFolder folder_;
};

// While idle, a thread with a cache fills it ahead of the reader, and the
// reads it serves from there do not touch the disk; a thread without one
// reads the disk at each request.
TEST_F(FileThreadTest, TheCacheIsFilledAheadAndServesReads) {
  struct Case {
    int cache;
    bool served_from_cache;
  };
  for (const Case& c : {Case{1, true}, Case{0, false}}) {
    SCOPED_TRACE(c.cache ? "cache" : "no cache");
    const Bytes before = NoiseBytes(kBigFileSize, 3);
    const Bytes after = NoiseBytes(kBigFileSize, 4);
    folder_.Write("ahead.bin", before);
    const intptr_t file = OpenWin32File(folder_.Path("ahead.bin").c_str(), c.cache, 1, 1);
    ASSERT_NE(file, 0);
    // The thread reads ahead once it has waited 100 ms for a request.
    Sleep(150);
    Overwrite("ahead.bin", after);

    Bytes buffer(kFileCacheSize + 1000);
    ASSERT_EQ(Win32FileRead(buffer.data(), 1, buffer.size(), file), buffer.size());
    while (Win32FileIdle(file) == 0) Sleep(0);
    const Bytes& cached_part = c.served_from_cache ? before : after;
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + kFileCacheSize, cached_part.begin()));
    // Past the cache the bytes come from the disk as it is now.
    EXPECT_TRUE(std::equal(buffer.begin() + kFileCacheSize, buffer.end(),
                           after.begin() + kFileCacheSize));
    CloseWin32File(file);
  }
}

Gate* held_reads = nullptr;

void HoldReads(int request_code) {
  if (request_code == 2 && held_reads != nullptr) held_reads->Wait();
}

TEST_F(FileThreadTest, AReadThatDoesNotWaitCompletesLater) {
  const Bytes content = NoiseBytes(5000, 5);
  folder_.Write("later.bin", content);
  const intptr_t file = OpenWin32File(folder_.Path("later.bin").c_str(), 0, 1, 1);
  ASSERT_NE(file, 0);
  Gate gate;
  held_reads = &gate;
  FileThreadRequestHook = HoldReads;

  Bytes buffer(5000, 0);
  // The whole count is reported at once and the position moves on...
  EXPECT_EQ(Win32FileRead(buffer.data(), 10, 500, file), 500u);
  EXPECT_EQ(Win32FileTell(file), 5000);
  // ...but the read is outstanding until the thread has carried it out.
  EXPECT_EQ(Win32FileIdle(file), 0);
  EXPECT_EQ(Win32FileIdle(file), 0);
  gate.Open();
  ASSERT_TRUE(WaitUntil([&] {
    Sleep(0);
    return Win32FileIdle(file) == 1;
  }));
  EXPECT_EQ(buffer, content);
  FileThreadRequestHook = nullptr;
  held_reads = nullptr;
  CloseWin32File(file);
}

TEST_F(FileThreadTest, AThreadThatCannotOpenTheFileEndsAndTheOpenFails) {
  folder_.Write("held.bin", "held");
  const std::string path = folder_.Path("held.bin");
  // Another handle reads the file; the file thread wants it unshared.
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  const int32_t blocks = TrackedBlockCount();
  std::string log;
  {
    LogCapture capture(folder_.path());
    EXPECT_EQ(OpenWin32File(path.c_str(), 1, 1, 0), 0);
    log = capture.text();
  }
  EXPECT_NE(log.find("ファイルのオープンに失敗しました"), std::string::npos) << log;
  EXPECT_EQ(TrackedBlockCount(), blocks);
  CloseHandle(other);
  // Without the other handle it opens.
  const intptr_t file = OpenWin32File(path.c_str(), 1, 1, 0);
  EXPECT_NE(file, 0);
  CloseWin32File(file);
}

// ---- Memory streams --------------------------------------------------------------

TEST(MemoryStreamTest, ReadsSeeksAndTheEnd) {
  const Bytes data = NoiseBytes(11, 9);
  const int32_t blocks = TrackedBlockCount();
  const intptr_t stream = OpenMemoryStream(data.data(), static_cast<uint32_t>(data.size()));
  ASSERT_NE(stream, 0);
  uint8_t buffer[32];

  // Two whole 4-byte elements, then fewer than one left: those 3 bytes count as 1.
  EXPECT_EQ(MemoryStreamRead(buffer, 4, 2, stream), 2u);
  EXPECT_EQ(MemoryStreamTell(stream), 8);
  std::memset(buffer, 0xEE, sizeof(buffer));
  EXPECT_EQ(MemoryStreamRead(buffer, 4, 1, stream), 1u);
  EXPECT_EQ(0, std::memcmp(buffer, data.data() + 8, 3));
  EXPECT_EQ(buffer[3], 0xEE);
  EXPECT_EQ(MemoryStreamEof(stream), 0);
  // At the end: 0 and the end flag.
  EXPECT_EQ(MemoryStreamRead(buffer, 1, 1, stream), 0u);
  EXPECT_NE(MemoryStreamEof(stream), 0);

  struct SeekCase {
    int64_t offset;
    int origin;
    int64_t position;
  };
  for (const SeekCase& c : {SeekCase{-1, 0, 0}, SeekCase{12, 0, 11}, SeekCase{-3, 2, 8},
                            SeekCase{2, 1, 10}, SeekCase{-100, 1, 0}, SeekCase{1, 2, 11}}) {
    EXPECT_EQ(MemoryStreamSeek(stream, c.offset, c.origin), 0);
    EXPECT_EQ(MemoryStreamTell(stream), c.position) << c.offset << " from " << c.origin;
    EXPECT_EQ(MemoryStreamEof(stream), 0);
  }
  MemoryStreamSeek(stream, 1, 0);
  // A byte count that would wrap is still cut to what is there.
  EXPECT_EQ(MemoryStreamRead(buffer, 5, SIZE_MAX / 4, stream), 2u);
  EXPECT_EQ(MemoryStreamIdle(stream), 1);
  EXPECT_EQ(CloseMemoryStream(stream), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// Zero elements, or elements of no size, copy nothing whatever is left (a
// read of nothing once copied the whole rest into the caller's buffer).
TEST(MemoryStreamTest, ReadingNothingCopiesNothing) {
  const Bytes data = NoiseBytes(11, 4);
  const int32_t blocks = TrackedBlockCount();
  const intptr_t stream = OpenMemoryStream(data.data(), static_cast<uint32_t>(data.size()));
  ASSERT_NE(stream, 0);
  struct Case {
    size_t size;
    size_t count;
  };
  for (const Case& c : {Case{1, 0}, Case{4, 0}, Case{0, 1}, Case{0, 0}}) {
    MemoryStreamSeek(stream, 3, 0);
    uint8_t buffer[1] = {0xEE};
    EXPECT_EQ(MemoryStreamRead(buffer, c.size, c.count, stream), 0u) << c.size << " x " << c.count;
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(MemoryStreamTell(stream), 3);
    EXPECT_EQ(MemoryStreamEof(stream), 0);
  }
  EXPECT_EQ(CloseMemoryStream(stream), 0);
  EXPECT_EQ(TrackedBlockCount(), blocks);
}

// A decoder reads a file and a memory image alike through a StreamSource.
TEST(StreamSourceTest, FileAndMemoryRowsReadTheSameBytes) {
  TestFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const Bytes data = NoiseBytes(1000, 11);
  folder.Write("stream.bin", data);
  SetFileAccessFunctions(nullptr);

  StreamSource sources[2];
  sources[0].functions = *GetFileStreamFunctions();
  sources[0].handle = FileOpenThunk(folder.Path("stream.bin").c_str(), 0, 1, 0);
  sources[1].functions = *GetMemoryStreamFunctions();
  sources[1].handle = OpenMemoryStream(data.data(), static_cast<uint32_t>(data.size()));
  for (StreamSource& source : sources) {
    ASSERT_NE(source.handle, 0);
    const StreamFunctions& f = source.functions;
    ASSERT_EQ(f.Seek(source.handle, -10, 2), 0);
    uint8_t tail[10];
    EXPECT_EQ(f.Read(tail, 5, 2, source.handle), 2u);
    EXPECT_EQ(0, std::memcmp(tail, data.data() + 990, 10));
    EXPECT_EQ(f.Tell(source.handle), 1000);
    EXPECT_EQ(f.Read(tail, 1, 1, source.handle), 0u);
    EXPECT_NE(f.Eof(source.handle), 0);
    EXPECT_EQ(f.IdleCheck(source.handle), 1);
    EXPECT_EQ(f.Close(source.handle), 0);
  }
}

// ---- The table and its forwarders ---------------------------------------------------

struct TableCalls {
  std::vector<std::string> calls;
};
TableCalls* recorded = nullptr;

void Note(const std::string& call) { recorded->calls.push_back(call); }

const FileAccessFunctionTable kRecordingTable = {
    [](const char* path, int cache, int unused, int async) -> intptr_t {
      Note(std::string("Open ") + path + " " + std::to_string(cache) + std::to_string(unused) +
           std::to_string(async));
      return 77;
    },
    [](intptr_t file) { return Note("Close " + std::to_string(file)), 5; },
    [](intptr_t file) -> int64_t { return Note("Tell " + std::to_string(file)), 6; },
    [](intptr_t file, int64_t offset, int origin) {
      return Note("Seek " + std::to_string(file) + " " + std::to_string(offset) + " " +
                  std::to_string(origin)),
             7;
    },
    [](void*, size_t size, size_t count, intptr_t file) -> size_t {
      return Note("Read " + std::to_string(size) + " " + std::to_string(count) + " " +
                  std::to_string(file)),
             8;
    },
    [](intptr_t file) { return Note("Eof " + std::to_string(file)), 9; },
    [](intptr_t file) { return Note("Idle " + std::to_string(file)), 10; },
    [](const char* path) { return Note(std::string("SetDir ") + path), 11; },
    [](char*) { return Note("GetDir"), 12; },
    [](const char* pattern, FindFileInfo*) -> intptr_t {
      return Note(std::string("FindFirst ") + pattern), 13;
    },
    [](intptr_t search, FindFileInfo*) { return Note("FindNext " + std::to_string(search)), 14; },
    [](intptr_t search) { return Note("FindClose " + std::to_string(search)), 15; },
};

TEST(FileAccessTableTest, ForwardersPassArgumentsAndResultsThrough) {
  TableCalls calls;
  recorded = &calls;
  EXPECT_EQ(SetFileAccessFunctions(&kRecordingTable), 0);
  char buffer[MAX_PATH];
  EXPECT_EQ(FileOpenThunk("a\\b.txt", 1, 1, 0), 77);
  EXPECT_EQ(FileCloseThunk(3), 5);
  EXPECT_EQ(FileTellThunk(3), 6);
  EXPECT_EQ(FileSeekThunk(3, -4, 2), 7);
  EXPECT_EQ(FileReadThunk(buffer, 2, 9, 3), 8u);
  EXPECT_EQ(FileEofThunk(3), 9);
  EXPECT_EQ(FileIdleThunk(3), 10);
  EXPECT_EQ(FileSetDirThunk("dir"), 11);
  EXPECT_EQ(FileGetDirThunk(buffer), 12);
  EXPECT_EQ(FileAccessFunctions.FindFirst("*.png", nullptr), 13);
  EXPECT_EQ(FileAccessFunctions.FindNext(13, nullptr), 14);
  EXPECT_EQ(FileAccessFunctions.FindClose(13), 15);
  const std::vector<std::string> expected = {
      "Open a\\b.txt 110", "Close 3", "Tell 3", "Seek 3 -4 2", "Read 2 9 3", "Eof 3",
      "Idle 3", "SetDir dir", "GetDir", "FindFirst *.png", "FindNext 13", "FindClose 13"};
  EXPECT_EQ(calls.calls, expected);

  // Null installs the archive-aware set, or the plain set with archives off.
  SetFileAccessFunctions(nullptr);
  EXPECT_EQ(FileAccessFunctions.Open, &ArchiveFileOpen);
  EXPECT_EQ(FileAccessFunctions.FindClose, &ArchiveFindClose);
  ArchiveLayerOffFlag = 1;
  SetFileAccessFunctions(nullptr);
  EXPECT_EQ(FileAccessFunctions.Open, &OpenWin32File);
  EXPECT_EQ(FileAccessFunctions.Read, &Win32FileRead);
  ArchiveLayerOffFlag = 0;
  SetFileAccessFunctions(nullptr);
  recorded = nullptr;
}

// ---- Folder search, temporary files, full paths -------------------------------------

TEST(PlainSearchTest, FillsTheFindRecord) {
  TestFolder folder;
  ASSERT_FALSE(folder.path().empty());
  folder.Write("b.png", NoiseBytes(1234, 1));
  folder.Write("a.png", "x");
  folder.Write("c.txt", "x");
  folder.MakeFolder("sub.png");

  FindFileInfo info;
  std::memset(&info, 0x55, sizeof(info));
  const intptr_t search = Win32FindFirst(folder.Path("*.png").c_str(), &info);
  ASSERT_NE(search, -1);
  std::vector<std::string> names{info.name};
  std::vector<int> folders{info.folder};
  FindFileInfo b = info;
  while (Win32FindNext(search, &info) == 0) {
    names.push_back(info.name);
    folders.push_back(info.folder);
    if (std::string(info.name) == "b.png") b = info;
  }
  EXPECT_EQ(names, (std::vector<std::string>{"a.png", "b.png", "sub.png"}));
  EXPECT_EQ(folders, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(b.size_low, 1234u);
  EXPECT_EQ(b.size_high, 0u);
  EXPECT_GE(b.last_write_time[0], 2000);  // a local year of this era
  EXPECT_GE(b.creation_time[1], 1);
  EXPECT_EQ(Win32FindNext(search, nullptr), -1);
  EXPECT_EQ(Win32FindClose(search), 0);
  EXPECT_EQ(Win32FindFirst(folder.Path("*.bmp").c_str(), nullptr), -1);
}

TEST(TempFileTest, MakesANewEmptyFileOpenForWriting) {
  char path[MAX_PATH];
  std::memset(path, 0, sizeof(path));
  HANDLE file = CreateTempFile(path);
  ASSERT_NE(file, nullptr);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
  CloseHandle(file);
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  // A full path in the temporary folder, named "tmp<hex>.tmp".
  const std::string name = path;
  ASSERT_GT(name.size(), 8u);
  EXPECT_EQ(name.substr(name.size() - 4), ".tmp");
  EXPECT_NE(name.find("\\tmp"), std::string::npos) << name;
  HANDLE again = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(again, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(again, nullptr), 3u);
  CloseHandle(again);
  EXPECT_TRUE(DeleteFileA(path));
  // Each call makes a file of its own.
  char second[MAX_PATH];
  HANDLE other = CreateTempFile(second);
  ASSERT_NE(other, nullptr);
  CloseHandle(other);
  EXPECT_STRNE(path, second);
  DeleteFileA(second);
}

TEST(ResolveFullPathTest, Cases) {
  struct Case {
    const char* path;
    const char* base;
    int result;
    const char* full;
  };
  const Case cases[] = {
      {"a\\b.txt", "C:\\games\\x", 0, "C:\\games\\x\\a\\b.txt"},
      {"a/b.txt", "C:\\games\\x\\", 0, "C:\\games\\x\\a\\b.txt"},
      {".\\a\\..\\b", "C:\\games", 0, "C:\\games\\b"},
      {"..\\..\\c", "C:\\games\\x", 0, "C:\\c"},
      {"..\\..\\..\\c", "C:\\games", 0, "C:\\c"},  // never past the drive
      {"\\top\\f", "D:\\games\\x", 0, "D:\\top\\f"},
      {"/top/f", "D:\\games", 0, "D:\\top\\f"},
      {"E:\\y\\z", "C:\\games", 0, "E:\\y\\z"},
      {"E:y", "C:\\games", 0, "E:\\y"},  // a drive-relative path counts as rooted
      {"a\\\\b", "C:\\games", -1, ""},    // an empty part
      {nullptr, "C:\\games", 0, "C:\\games"},
      // A trail byte 0x5C (the second byte of "ソ") is no separator.
      {"ソ\\表", "C:\\d", 0, "C:\\d\\ソ\\表"},
      {"..", "C:\\dソ", 0, "C:"},
  };
  for (const Case& c : cases) {
    char out[MAX_PATH];
    std::memset(out, 0, sizeof(out));
    EXPECT_EQ(ResolveFullPath(c.path, out, sizeof(out), c.base), c.result)
        << (c.path ? c.path : "(null)");
    if (c.result == 0) {
      EXPECT_STREQ(out, c.full) << (c.path ? c.path : "(null)");
    }
  }
  // The result never runs past the buffer.
  char small[8];
  EXPECT_EQ(ResolveFullPath("abcdef", small, sizeof(small), "C:\\games"), -1);
  EXPECT_LT(std::strlen(small), sizeof(small));
}

TEST(ResolveFullPathTest, WithoutABaseTheCurrentFolderIsTaken) {
  TestFolder folder;
  ASSERT_FALSE(folder.path().empty());
  CurrentFolder here(folder.path());
  SetFileAccessFunctions(nullptr);
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  char out[MAX_PATH];
  ASSERT_EQ(ResolveFullPath("x\\y", out, sizeof(out), nullptr), 0);
  EXPECT_EQ(std::string(out), std::string(current) + "\\x\\y");
}

// ---- The linked list ------------------------------------------------------------------

TEST(LinkedListTest, AppendAndUnlinkKeepBothDirections) {
  ListNode start, end, nodes[3];
  InitLinkedList(&end, &start);
  EXPECT_EQ(start.next, &end);
  EXPECT_EQ(end.previous, &start);
  EXPECT_EQ(start.value, -1);
  EXPECT_EQ(end.value, -1);
  EXPECT_EQ(start.previous, nullptr);
  EXPECT_EQ(end.next, nullptr);
  int data[3];
  for (int i = 0; i < 3; ++i) AppendListNode(&end, &nodes[i], 10 + i, &data[i]);
  UnlinkListNode(&nodes[1]);
  std::vector<int> forward, backward;
  for (ListNode* n = start.next; n != &end; n = n->next) forward.push_back(n->value);
  for (ListNode* n = end.previous; n != &start; n = n->previous) backward.push_back(n->value);
  EXPECT_EQ(forward, (std::vector<int>{10, 12}));
  EXPECT_EQ(backward, (std::vector<int>{12, 10}));
  EXPECT_EQ(nodes[2].data, &data[2]);
}

}  // namespace
