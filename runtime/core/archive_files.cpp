// Archive-aware file access: paths that run through an archive standing in for a folder.
#include "runtime/core/archive_files.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"

ArchiveTableData ArchiveTable = {};
ArchiveSettingsData ArchiveSettings = {};
LastArchivePathData LastArchivePath = {};
FileHandleTableData FileHandleTable = {};

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

size_t CharLength(const char* p) {
  return (IsSjisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1;
}

char* CopyText(const char* text, size_t length) {
  auto* copy = static_cast<char*>(AllocTracked(length + 1, __FILE__, __LINE__));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

FileHandleRecord* FindHandle(intptr_t file) {
  const uintptr_t slot = static_cast<uintptr_t>(file) & kFileHandleSlotMask;
  if (slot >= static_cast<uintptr_t>(kMaxOpenFiles)) return nullptr;
  return FileHandleTable.records[slot];
}

ArchiveRecord* ArchiveAt(int slot) {
  if (slot < 0 || slot >= kMaxOpenArchives) return nullptr;
  return ArchiveTable.records[slot];
}

// One use of an archive ends; the count never goes below 0.
void DropArchiveUse(int slot) {
  ArchiveRecord* record = ArchiveAt(slot);
  if (record != nullptr && record->use_count > 0) --record->use_count;
}

void CloseArchiveSlot(int slot) {
  ArchiveRecord* record = ArchiveTable.records[slot];
  CloseArchiveData(&record->state);
  FreeTracked(record->path);
  FreeTracked(record);
  ArchiveTable.records[slot] = nullptr;
  --ArchiveTable.count;
}

// The current folder, any length; null when it cannot be had.
char* CurrentFolderCopy() {
  char small[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, small);
  if (length == 0) return nullptr;
  if (length < MAX_PATH) return CopyText(small, length);
  for (int attempt = 0; attempt < 4; ++attempt) {
    auto* buffer = static_cast<char*>(AllocTracked(length + 1, __FILE__, __LINE__));
    if (buffer == nullptr) return nullptr;
    const DWORD got = GetCurrentDirectoryA(length + 1, buffer);
    if (got != 0 && got <= length) return buffer;
    FreeTracked(buffer);
    if (got == 0) return nullptr;
    length = got;
  }
  return nullptr;
}

// Builds into a block that is large enough by construction.
struct FullPathBuilder {
  char* out;
  size_t length;
  void Append(const char* text, size_t n) {
    std::memcpy(out + length, text, n);
    length += n;
    out[length] = '\0';
  }
  // Removes the last component, never a drive ("X:").
  void RemoveLast() {
    size_t cut = length;
    size_t floor = 0;
    size_t i = 0;
    bool found = false;
    while (i < length) {
      if (out[i] == ':') floor = i + 1;
      if (out[i] == '\\') {
        cut = i;
        found = true;
      }
      i += CharLength(out + i);
    }
    if (!found || cut < floor) cut = floor;
    length = cut;
    out[length] = '\0';
  }
};

void ReleaseLastArchivePath() {
  FreeTracked(LastArchivePath.path);
  LastArchivePath = {};
}

}  // namespace

// ---- Settings and life cycle ------------------------------------------------------

int StoreArchiveExtension(const char* text) {
  const size_t length = text == nullptr ? 0 : std::strlen(text);
  if (length == 0 || length >= static_cast<size_t>(kArchiveExtensionRoom)) {
    ArchiveSettings.extension[0] = '\0';
    ArchiveSettings.extension_length = 0;
    return 0;
  }
  std::memcpy(ArchiveSettings.extension, text, length + 1);
  ArchiveSettings.extension_length = static_cast<int32_t>(length);
  return 0;
}

int StoreArchiveKey(const char* text) {
  if (text == nullptr) {
    ArchiveSettings.key_present = 0;
    ArchiveSettings.key[0] = '\0';
    return 0;
  }
  size_t length = std::strlen(text);
  if (length > static_cast<size_t>(kArchiveKeyTextLength)) length = kArchiveKeyTextLength;
  std::memcpy(ArchiveSettings.key, text, length);
  ArchiveSettings.key[length] = '\0';
  ArchiveSettings.key_present = 1;
  return 0;
}

void InitArchiveLayer() {
  ArchiveTable = {};
  FileHandleTable = {};
  ReleaseLastArchivePath();
}

void ReleaseUnusedArchives() {
  for (int slot = 0; slot < kMaxOpenArchives; ++slot) {
    ArchiveRecord* record = ArchiveTable.records[slot];
    if (record != nullptr && record->use_count < 1) CloseArchiveSlot(slot);
  }
}

void CloseAllArchives() {
  ReleaseUnusedArchives();
  ReleaseLastArchivePath();
}

// ---- Path resolution ------------------------------------------------------------------

char* ToFullPath(const char* path) {
  char* current = CurrentFolderCopy();
  if (current == nullptr) return nullptr;
  UpperCaseSjis(current);
  // The current folder may use either separator; the result uses backslashes.
  for (char* p = current; *p != '\0'; p += CharLength(p)) {
    if (*p == '/') *p = '\\';
  }
  const size_t current_length = std::strlen(current);
  auto* out = static_cast<char*>(
      AllocTracked(current_length + std::strlen(path) + 4, __FILE__, __LINE__));
  if (out == nullptr) {
    FreeTracked(current);
    return nullptr;
  }
  out[0] = '\0';
  FullPathBuilder result{out, 0};

  const char* rest = path;
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    result.Append("\\", 1);  // a network path: the components add the second one
    rest = path + 2;
  } else if (IsSeparator(path[0])) {
    if (current_length >= 2 && current[1] == ':') result.Append(current, 2);
    rest = path + 1;
  } else if (path[0] != '\0' && path[1] == ':') {
    char drive[2] = {path[0], ':'};
    if (drive[0] >= 'a' && drive[0] <= 'z') drive[0] = static_cast<char>(drive[0] - 'a' + 'A');
    result.Append(drive, 2);
    rest = path + 2;
    if (IsSeparator(*rest)) ++rest;
  } else {
    size_t length = current_length;
    if (length > 0 && current[length - 1] == '\\') {
      // A trailing separator goes, unless it is a trail byte.
      size_t i = 0;
      size_t last = 0;
      while (i < length) {
        last = i;
        i += CharLength(current + i);
      }
      if (i == last + 1) --length;
    }
    result.Append(current, length);
  }
  FreeTracked(current);

  for (;;) {
    const char* end = rest;
    while (*end != '\0' && !IsSeparator(*end)) end += CharLength(end);
    const size_t n = static_cast<size_t>(end - rest);
    if (n == 0 && *end == '\0') break;
    if (n == 1 && rest[0] == '.') {
      // This folder.
    } else if (n == 2 && rest[0] == '.' && rest[1] == '.') {
      result.RemoveLast();
    } else {
      // Empty components stay: path resolution stops at them.
      result.Append("\\", 1);
      const size_t start = result.length;
      result.Append(rest, n);
      UpperCaseSjis(out + start);
    }
    if (*end == '\0') break;
    rest = end + 1;
  }
  return out;
}

int OpenArchive(int slot_hint, const char* full_path, int in_memory, int async) {
  ArchiveRecord* hinted = slot_hint == -1 ? nullptr : ArchiveAt(slot_hint);
  if (hinted != nullptr && std::strcmp(hinted->path, full_path) == 0) {
    ++hinted->use_count;
    return slot_hint;
  }
  // The last empty slot, unless an open archive has this path. With none
  // open (a file looked for beside every folder on its way, where no archive
  // stands) that is the last slot, without a walk through the table.
  int empty = ArchiveTable.count == 0 ? kMaxOpenArchives - 1 : -1;
  for (int slot = 0; slot < kMaxOpenArchives && ArchiveTable.count != 0; ++slot) {
    ArchiveRecord* record = ArchiveTable.records[slot];
    if (record == nullptr) {
      empty = slot;
    } else if (std::strcmp(record->path, full_path) == 0) {
      ++record->use_count;
      return slot;
    }
  }
  if (ArchiveTable.count >= kMaxOpenArchives) {
    ReleaseUnusedArchives();
    if (ArchiveTable.count >= kMaxOpenArchives) return -1;
    empty = -1;
  }
  if (empty == -1) {
    for (int slot = 0; slot < kMaxOpenArchives && empty == -1; ++slot) {
      if (ArchiveTable.records[slot] == nullptr) empty = slot;
    }
  }

  ArchiveState state = {};
  const char* key = ArchiveSettings.key_present ? ArchiveSettings.key : nullptr;
  const int opened = in_memory == 1 ? OpenArchiveInMemory(&state, full_path, key, async)
                                    : OpenArchiveStreamed(&state, full_path, key);
  if (opened != 0) return -1;
  auto* record = static_cast<ArchiveRecord*>(
      AllocTrackedCleared(sizeof(ArchiveRecord), __FILE__, __LINE__));
  char* path = CopyText(full_path, std::strlen(full_path));
  if (record == nullptr || path == nullptr) {
    FreeTracked(record);
    FreeTracked(path);
    CloseArchiveData(&state);
    return -1;
  }
  record->state = state;
  record->use_count = 1;
  record->path = path;
  ArchiveTable.records[empty] = record;
  ++ArchiveTable.count;
  return empty;
}

int FindArchiveForPath(const char* path, int* slot, char** inner_path) {
  char* full = ToFullPath(path);
  if (full == nullptr) return -1;

  // The folder of the archive found last, tried first.
  const size_t remembered = LastArchivePath.folder_length;
  if (remembered > 0 && LastArchivePath.path != nullptr &&
      std::strncmp(full, LastArchivePath.path, remembered) == 0 &&
      IsSeparator(full[remembered])) {
    const int found = OpenArchive(LastArchivePath.slot, LastArchivePath.path, 0, 0);
    if (found == -1) {
      FreeTracked(full);
      return -1;
    }
    char* inner = CopyText(full + remembered + 1, std::strlen(full + remembered + 1));
    FreeTracked(full);
    if (inner == nullptr) {
      DropArchiveUse(found);
      return -1;
    }
    *slot = found;
    *inner_path = inner;
    return 0;
  }

  const char* extension = ArchiveSettings.extension_length > 0 ? ArchiveSettings.extension : "ZRA";
  const size_t extension_length = std::strlen(extension);
  // The root's separators (one, or two for a network path) belong to the
  // first component.
  size_t start = 0;
  while (start < 2 && full[start] == '\\') ++start;
  for (;;) {
    size_t end = start;
    while (full[end] != '\0' && full[end] != '\\') end += CharLength(full + end);
    // The last component is the file's name; an empty one ends the walk.
    if (full[end] == '\0' || end == start) break;

    auto* candidate =
        static_cast<char*>(AllocTracked(end + extension_length + 2, __FILE__, __LINE__));
    if (candidate == nullptr) break;
    std::memcpy(candidate, full, end);
    candidate[end] = '.';
    std::memcpy(candidate + end + 1, extension, extension_length + 1);
    const int found = OpenArchive(-1, candidate, 0, 0);
    if (found != -1) {
      char* inner = CopyText(full + end + 1, std::strlen(full + end + 1));
      if (inner == nullptr) {
        DropArchiveUse(found);
        FreeTracked(candidate);
        break;
      }
      ReleaseLastArchivePath();
      LastArchivePath.slot = found;
      LastArchivePath.path = candidate;
      LastArchivePath.folder_length = end;
      FreeTracked(full);
      *slot = found;
      *inner_path = inner;
      return 0;
    }
    FreeTracked(candidate);
    start = end + 1;
  }
  FreeTracked(full);
  return -1;
}

// ---- The table's slots ----------------------------------------------------------------------

intptr_t ArchiveFileOpen(const char* path, int cache, int unused, int async) {
  if (path == nullptr) return 0;
  if (FileHandleTable.count >= kMaxOpenFiles) {
    LogAdd("同時に開けるファイルの数が限界を超えました\n");
    return 0;
  }
  int slot = 0;
  while (slot < kMaxOpenFiles && FileHandleTable.records[slot] != nullptr) ++slot;
  if (slot == kMaxOpenFiles) {
    LogAdd("同時に開けるファイルの数が限界を超えました\n");
    return 0;
  }
  auto* record = static_cast<FileHandleRecord*>(
      AllocTrackedCleared(sizeof(FileHandleRecord), __FILE__, __LINE__));
  if (record == nullptr) {
    LogAdd("ファイルの情報を格納するメモリの確保に失敗しました\n");
    return 0;
  }

  int archive_slot = -1;
  char* inner = nullptr;
  bool opened;
  if (FindArchiveForPath(path, &archive_slot, &inner) != 0) {
    record->kind = 0;
    record->file = OpenWin32File(path, cache, unused, async);
    opened = record->file != 0;
  } else {
    // The archive that covers the path is the only place looked in.
    record->kind = 1;
    record->archive_slot = archive_slot;
    opened = OpenArchiveEntry(&record->entry, &ArchiveTable.records[archive_slot]->state, inner,
                              async) == 0;
    FreeTracked(inner);
  }
  if (!opened) {
    if (record->kind == 1) DropArchiveUse(archive_slot);
    FreeTracked(record);
    return 0;
  }
  FileHandleTable.records[slot] = record;
  ++FileHandleTable.count;
  return static_cast<intptr_t>(static_cast<uint32_t>(slot) | kFileHandleBits);
}

int ArchiveFileClose(intptr_t file) {
  FileHandleRecord* record = FindHandle(file);
  if (record == nullptr) return -1;
  if (record->kind == 0) {
    CloseWin32File(record->file);
  } else {
    DropArchiveUse(record->archive_slot);
    CloseArchiveEntry(&record->entry);
  }
  FreeTracked(record);
  FileHandleTable.records[static_cast<uintptr_t>(file) & kFileHandleSlotMask] = nullptr;
  --FileHandleTable.count;
  return 0;
}

int64_t ArchiveFileTell(intptr_t file) {
  FileHandleRecord* record = FindHandle(file);
  if (record == nullptr) return -1;
  return record->kind == 0 ? Win32FileTell(record->file) : TellArchiveEntry(&record->entry);
}

int ArchiveFileSeek(intptr_t file, int64_t offset, int origin) {
  FileHandleRecord* record = FindHandle(file);
  if (record == nullptr) return -1;
  return record->kind == 0 ? Win32FileSeek(record->file, offset, origin)
                           : SeekArchiveEntry(&record->entry, offset, origin);
}

size_t ArchiveFileRead(void* buffer, size_t size, size_t count, intptr_t file) {
  FileHandleRecord* record = FindHandle(file);
  if (record == nullptr || size == 0) return 0;
  if (record->kind == 0) return Win32FileRead(buffer, size, count, record->file);
  // An entry holds less than 4 GB: a larger request is cut to that.
  const unsigned __int128 wanted = static_cast<unsigned __int128>(size) * count;
  const size_t bytes = wanted > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<size_t>(wanted);
  return ReadArchiveEntry(&record->entry, buffer, bytes) / size;
}

int ArchiveFileEof(intptr_t file) {
  FileHandleRecord* record = FindHandle(file);
  if (record == nullptr) return -1;
  return record->kind == 0 ? Win32FileEof(record->file) : EofArchiveEntry(&record->entry);
}

int ArchiveIdleCheck(intptr_t file) {
  FileHandleRecord* record = FindHandle(file);
  if (record == nullptr) return -1;
  return record->kind == 0 ? Win32FileIdle(record->file) : ArchiveFileIdle(&record->entry);
}

int ArchiveSetCurrentDir(const char* path) {
  SetCurrentDirectoryA(path);
  return 0;
}

int ArchiveGetCurrentDir(char* buffer) {
  const DWORD length = GetCurrentDirectoryA(256, buffer);
  // A folder that does not fit leaves an empty text rather than old bytes.
  if (length == 0 || length >= 256) buffer[0] = '\0';
  return 0;
}

intptr_t ArchiveFindFirst(const char* pattern, FindFileInfo* info) {
  if (pattern == nullptr) return -1;
  auto* record = static_cast<FindHandleRecord*>(
      AllocTrackedCleared(sizeof(FindHandleRecord), __FILE__, __LINE__));
  if (record == nullptr) return -1;
  int slot = -1;
  char* inner = nullptr;
  if (FindArchiveForPath(pattern, &slot, &inner) == 0) {
    record->kind = 1;
    record->archive_slot = slot;
    record->search = ArchiveFindFirstEntry(&ArchiveTable.records[slot]->state, inner, info);
    FreeTracked(inner);
    if (record->search == -1) {
      // The search holds no use of the archive.
      DropArchiveUse(slot);
      FreeTracked(record);
      return -1;
    }
  } else {
    record->kind = 0;
    record->search = Win32FindFirst(pattern, info);
    if (record->search == -1) {
      FreeTracked(record);
      return -1;
    }
  }
  return reinterpret_cast<intptr_t>(record);
}

int ArchiveFindNext(intptr_t search, FindFileInfo* info) {
  auto* record = reinterpret_cast<FindHandleRecord*>(search);
  if (record == nullptr || search == -1) return -1;
  if (record->kind == 0) return Win32FindNext(record->search, info);
  auto* find = reinterpret_cast<ArchiveFindRecord*>(record->search);
  if (ArchiveFindNextEntry(find, info) != 0) return -1;
  ++find->index;
  return 0;
}

int ArchiveFindClose(intptr_t search) {
  auto* record = reinterpret_cast<FindHandleRecord*>(search);
  if (record == nullptr || search == -1) return -1;
  if (record->kind == 0) {
    Win32FindClose(record->search);
  } else {
    FreeArchiveFindRecord(reinterpret_cast<ArchiveFindRecord*>(record->search));
    DropArchiveUse(record->archive_slot);
  }
  FreeTracked(record);
  return 0;
}
