// The archive reader over any bytes: the input is an archive "data.dat"
// beside the working folder, as the game's data archive. It is opened streamed
// and loaded whole, its folder tree listed, and every entry read to its end
// and read again after seeks (what a seek finds must be what the reading in
// order found); then the same through the archive-aware file table, with
// reads that wait and reads that do not.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/core/archive.h"
#include "runtime/core/archive_files.h"
#include "tests/fuzz/runtime_fuzz_support.h"

namespace {

constexpr const char* kKey = "quietmarble";
// Folder trees may loop back on themselves; the walk stops at this depth.
constexpr int kMaxDepth = 6;
// Enough of each entry to check its reads; the rest is skipped.
constexpr size_t kMaxEntryBytes = 1 << 16;
constexpr int kMaxEntries = 64;

bool IsDots(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// The next match of a search of the reader's own, moved past as the file
// table's search does.
bool NextArchiveEntry(ArchiveFindRecord* record, FindFileInfo* info) {
  if (ArchiveFindNextEntry(record, info) != 0) return false;
  ++record->index;
  return true;
}

// Reads an entry in order, then checks that seeks land where the bytes
// read in order say. `read`(buffer, bytes) and `seek`(offset, origin) act on
// the open entry.
template <typename Read, typename Seek, typename Tell>
void CheckEntryReads(Read read, Seek seek, Tell tell) {
  std::vector<uint8_t> whole;
  uint8_t chunk[777];
  while (whole.size() < kMaxEntryBytes) {
    const size_t got = read(chunk, sizeof(chunk));
    FUZZ_CHECK(got <= sizeof(chunk));
    if (got == 0) break;
    whole.insert(whole.end(), chunk, chunk + got);
    FUZZ_CHECK(tell() == static_cast<int64_t>(whole.size()));
  }
  for (const size_t at : {whole.size() / 2, size_t{0}, whole.size() > 3 ? whole.size() - 3 : 0}) {
    FUZZ_CHECK(seek(static_cast<int64_t>(at), 0) == 0);
    FUZZ_CHECK(tell() == static_cast<int64_t>(at));
    const size_t want = std::min<size_t>(sizeof(chunk), whole.size() - at);
    const size_t got = read(chunk, want);
    FUZZ_CHECK(got == want);
    FUZZ_CHECK(got == 0 || std::memcmp(chunk, whole.data() + at, got) == 0);
  }
  seek(-1, 2);
  read(chunk, 4);
}

// The folder `folder` ("" for the root, else ending in a backslash) of an
// archive opened by the reader itself.
void WalkArchive(ArchiveState* archive, const std::string& folder, int depth, int* entries) {
  if (depth > kMaxDepth) return;
  FindFileInfo info{};
  const intptr_t search = ArchiveFindFirstEntry(archive, (folder + "*").c_str(), &info);
  if (search == -1) return;
  auto* record = reinterpret_cast<ArchiveFindRecord*>(search);
  do {
    if (IsDots(info.name) || ++*entries > kMaxEntries) continue;
    const std::string path = folder + info.name;
    if (info.folder == 1) {
      WalkArchive(archive, path + "\\", depth + 1, entries);
      continue;
    }
    for (const int async : {0, 1}) {
      ArchiveEntryState entry{};
      if (OpenArchiveEntry(&entry, archive, path.c_str(), async) != 0) continue;
      CheckEntryReads(
          [&](uint8_t* buffer, size_t bytes) {
            const size_t got = ReadArchiveEntry(&entry, buffer, bytes);
            while (ArchiveFileIdle(&entry) == 0) {
            }
            return got;
          },
          [&](int64_t offset, int origin) { return SeekArchiveEntry(&entry, offset, origin); },
          [&] { return TellArchiveEntry(&entry); });
      CloseArchiveEntry(&entry);
    }
  } while (NextArchiveEntry(record, &info));
  FreeArchiveFindRecord(record);
}

// The folder `folder` (a path under "data") through the file table.
void WalkTable(const std::string& folder, int depth, int* entries) {
  if (depth > kMaxDepth) return;
  FindFileInfo info{};
  const intptr_t search = FileAccessFunctions.FindFirst((folder + "\\*").c_str(), &info);
  if (search == -1) return;
  do {
    if (IsDots(info.name) || ++*entries > kMaxEntries) continue;
    const std::string path = folder + "\\" + info.name;
    if (info.folder == 1) {
      WalkTable(path, depth + 1, entries);
      continue;
    }
    for (const int async : {0, 1}) {
      const intptr_t file = FileOpenThunk(path.c_str(), 0, 1, async);
      if (file == 0) continue;
      CheckEntryReads(
          [&](uint8_t* buffer, size_t bytes) {
            const size_t got = FileReadThunk(buffer, 1, bytes, file);
            while (FileIdleThunk(file) == 0) {
            }
            return got;
          },
          [&](int64_t offset, int origin) { return FileSeekThunk(file, offset, origin); },
          [&] { return FileTellThunk(file); });
      FUZZ_CHECK(FileCloseThunk(file) == 0);
    }
  } while (FileAccessFunctions.FindNext(search, &info) == 0);
  FileAccessFunctions.FindClose(search);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartRuntimeForFuzzing();
  WriteScratchFile("data.dat", data, size);
  TrackedBlocksKept kept;
  for (const int in_memory : {0, 1}) {
    ArchiveState archive{};
    const int opened = in_memory != 0 ? OpenArchiveInMemory(&archive, "data.dat", kKey, 0)
                                      : OpenArchiveStreamed(&archive, "data.dat", kKey);
    if (opened != 0) continue;
    int entries = 0;
    WalkArchive(&archive, "", 0, &entries);
    ArchiveFileEntry entry{};
    ArchiveFindEntry(&archive, "img\\title\\loading_img.png", &entry);
    CloseArchiveData(&archive);
  }
  int entries = 0;
  WalkTable("data", 0, &entries);
  return 0;
}
