// Archive files: reading the key-coded archive, its directory and its packed files.
#include "runtime/core/archive.h"

#include <cstring>

#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"

namespace {

// ---- Little helpers ---------------------------------------------------------------

uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Load32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t Load64(const uint8_t* p) {
  return static_cast<uint64_t>(Load32(p)) | (static_cast<uint64_t>(Load32(p + 4)) << 32);
}

// The most bytes one byte of a packed stream can unpack to.
constexpr uint64_t kArchiveMaxExpansion = 2732;

bool IsLead(uint8_t byte) { return IsSjisLeadByte(byte) != 0; }

uint8_t RotateLeft(uint8_t value, int count) {
  return static_cast<uint8_t>((value << count) | (value >> (8 - count)));
}

// The byte repeated when there is no key string, and the fallback key's byte.
constexpr uint8_t kNoKeyByte = 0xAA;
constexpr uint8_t kFallbackKeyByte = 0x5C;

uint32_t EntrySize(const ArchiveState* archive) {
  return archive->header.version < 2 ? kArchiveEntrySizeOld : kArchiveEntrySize;
}

uint32_t FileTableSize(const ArchiveState* archive) {
  return archive->header.directory_size - archive->header.file_table_offset;
}
uint32_t FolderTableSize(const ArchiveState* archive) {
  return archive->header.directory_size - archive->header.folder_table_offset;
}

struct FolderRecord {
  uint32_t parent;
  uint32_t count;
  uint32_t first;
};

// Reads the folder record at `offset`; false when it lies outside the table.
bool ReadFolder(const ArchiveState* archive, uint32_t offset, FolderRecord* folder) {
  if (static_cast<uint64_t>(offset) + kArchiveFolderRecordSize > FolderTableSize(archive)) {
    return false;
  }
  const uint8_t* p = archive->folder_table + offset;
  folder->parent = Load32(p + 4);
  folder->count = Load32(p + 8);
  folder->first = Load32(p + 12);
  return true;
}

// Reads entry `index` of `folder`; false when it lies outside the table.
bool ReadEntry(const ArchiveState* archive, const FolderRecord& folder, uint32_t index,
               ArchiveFileEntry* entry) {
  const uint64_t size = EntrySize(archive);
  const uint64_t offset = folder.first + static_cast<uint64_t>(index) * size;
  if (offset + size > FileTableSize(archive)) return false;
  const uint8_t* p = archive->file_table + offset;
  entry->name_offset = Load32(p);
  entry->attributes = Load32(p + 4);
  entry->creation_time = Load64(p + 8);
  entry->last_access_time = Load64(p + 16);
  entry->last_write_time = Load64(p + 24);
  entry->data_offset = Load32(p + 32);
  entry->size = Load32(p + 36);
  entry->packed_size = archive->header.version < 2 ? kArchiveNotPacked : Load32(p + 40);
  return true;
}

// The name record at `offset`: its upper-cased units and the name as written
// (which may run to the end of the directory block without a NUL). False when
// the record lies outside the block.
struct NameRecord {
  uint16_t units;
  uint16_t sum;
  const uint8_t* upper;
  const char* written;
  size_t written_limit;  // bytes from `written` to the end of the block
};

bool ReadName(const ArchiveState* archive, uint32_t offset, NameRecord* name) {
  const uint64_t size = archive->header.directory_size;
  if (static_cast<uint64_t>(offset) + 4 > size) return false;
  const uint8_t* p = archive->directory + offset;
  name->units = Load16(p);
  name->sum = Load16(p + 2);
  const uint64_t written = static_cast<uint64_t>(offset) + 4 + name->units * 4ull;
  if (written > size) return false;
  name->upper = p + 4;
  name->written = reinterpret_cast<const char*>(archive->directory + written);
  name->written_limit = static_cast<size_t>(size - written);
  return true;
}

// Copies at most `limit` bytes of a possibly unterminated text, always ending
// with a NUL inside `out` (`out_size` bytes).
void CopyBounded(char* out, size_t out_size, const char* text, size_t limit) {
  size_t n = 0;
  while (n < limit && n + 1 < out_size && text[n] != '\0') ++n;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

// Reads `size` bytes at `position` of a streamed archive's file and decodes
// them. The read is started, waited for, then decoded.
bool ReadArchiveBytes(ArchiveState* archive, intptr_t file, uint32_t position, void* buffer,
                      uint32_t size) {
  if (size == 0) return true;
  if (Win32FileTell(file) != position && Win32FileSeek(file, position, 0) != 0) return false;
  const size_t read = Win32FileRead(buffer, 1, size, file);
  while (Win32FileIdle(file) == 0) Sleep(0);
  if (read != size) return false;
  XorArchiveBytes(size, buffer, position, archive->key);
  return true;
}

void DecodeHeader(const uint8_t* p, ArchiveHeader* header) {
  header->magic = Load16(p);
  header->version = Load16(p + 2);
  header->directory_size = Load32(p + 4);
  header->data_position = Load32(p + 8);
  header->directory_position = Load32(p + 12);
  header->file_table_offset = Load32(p + 16);
  header->folder_table_offset = Load32(p + 20);
}

// Whether the header's places fit the file: the directory inside the file,
// both tables inside the directory, the root folder record present.
bool HeaderFits(const ArchiveHeader& header, uint32_t file_size) {
  if (header.magic != kArchiveMagic || header.version >= 4) return false;
  if (static_cast<uint64_t>(header.directory_position) + header.directory_size > file_size) {
    return false;
  }
  if (header.data_position > file_size) return false;
  if (header.file_table_offset > header.directory_size) return false;
  if (static_cast<uint64_t>(header.folder_table_offset) + kArchiveFolderRecordSize >
      header.directory_size) {
    return false;
  }
  return true;
}

// The common part of both opens: the file, the key, the header (with the
// fallback key when the magic does not come out), the directory. On failure
// everything is released and the state left clear.
int OpenArchiveCommon(ArchiveState* archive, const char* path, const char* key) {
  if (archive->file != 0 || archive->image != nullptr || archive->load_pending) return -1;
  const intptr_t file = OpenWin32File(path, 0, 1, 1);
  if (file == 0) return -1;
  std::memset(archive, 0, sizeof(*archive));
  archive->file_size = reinterpret_cast<Win32FileRecord*>(file)->size;
  ArchiveKeyFromString(key, archive->key);

  uint8_t raw[kArchiveHeaderSize];
  uint8_t decoded[kArchiveHeaderSize];
  bool ok = archive->file_size >= kArchiveHeaderSize;
  if (ok) {
    ok = ReadArchiveBytes(archive, file, 0, raw, kArchiveHeaderSize);
    // Undo the decoding to keep the raw bytes for a second try.
    std::memcpy(decoded, raw, sizeof(raw));
    XorArchiveBytes(sizeof(raw), raw, 0, archive->key);
  }
  if (ok) {
    DecodeHeader(decoded, &archive->header);
    if (archive->header.magic != kArchiveMagic) {
      ArchiveFallbackKey(archive->key);
      std::memcpy(decoded, raw, sizeof(raw));
      XorArchiveBytes(sizeof(decoded), decoded, 0, archive->key);
      DecodeHeader(decoded, &archive->header);
    }
    ok = HeaderFits(archive->header, archive->file_size);
  }
  if (ok) {
    archive->directory = static_cast<uint8_t*>(
        AllocTracked(archive->header.directory_size, __FILE__, __LINE__));
    ok = archive->directory != nullptr &&
         ReadArchiveBytes(archive, file, archive->header.directory_position, archive->directory,
                          archive->header.directory_size);
  }
  if (!ok) {
    CloseWin32File(file);
    FreeTracked(archive->directory);
    std::memset(archive, 0, sizeof(*archive));
    return -1;
  }
  archive->name_table = archive->directory;
  archive->file_table = archive->directory + archive->header.file_table_offset;
  archive->folder_table = archive->directory + archive->header.folder_table_offset;
  archive->current_folder = 0;
  archive->file = file;
  return 0;
}

// Finds the first occurrence of `byte` in `text`, stepping over two-byte
// characters; null when the text ends first.
const char* FindSingleByte(const char* text, char byte) {
  while (*text != '\0') {
    if (*text == byte) return text;
    text += (IsLead(static_cast<uint8_t>(*text)) && text[1] != '\0') ? 2 : 1;
  }
  return nullptr;
}

bool IsDotName(const char* path, const char* dots) { return std::strcmp(path, dots) == 0; }

// Compares a prepared key with a name record.
bool NameMatches(const NameRecord& name, const NameKeyRecord& key) {
  return name.units == key.units && name.sum == key.sum &&
         std::memcmp(name.upper, key.name, key.units * 4u) == 0;
}

void FillTimes(uint64_t time, int parts[6]) {
  FILETIME file_time;
  file_time.dwLowDateTime = static_cast<DWORD>(time);
  file_time.dwHighDateTime = static_cast<DWORD>(time >> 32);
  FileTimeToLocalParts(&file_time, &parts[0], &parts[1], &parts[2], &parts[3], &parts[4],
                       &parts[5]);
}

// Waits for a pending read of an entry that does not wait for its reads.
void WaitEntryRead(ArchiveEntryState* state) {
  if (state->pending == 0 || !state->async) return;
  while (ArchiveFileIdle(state) == 0) Sleep(1);
}

// Unpacks the packed bytes of an entry into its unpacked buffer; marks the
// entry broken when they are malformed.
void UnpackEntry(ArchiveEntryState* state, const uint8_t* packed) {
  const int64_t size = ArchiveDecompress(packed, state->entry.packed_size, state->unpacked,
                                         state->entry.size);
  if (size != static_cast<int64_t>(state->entry.size)) {
    FreeTracked(state->unpacked);
    state->unpacked = nullptr;
    state->broken = 1;
  }
}

uint64_t EntryFilePosition(const ArchiveEntryState* state) {
  return static_cast<uint64_t>(state->archive->header.data_position) + state->entry.data_offset;
}

}  // namespace

// ---- Keys and coding ---------------------------------------------------------------

void ArchiveKeyFromString(const char* text, uint8_t key[kArchiveKeySize]) {
  const size_t length = text == nullptr ? 0 : std::strlen(text);
  for (int i = 0; i < kArchiveKeySize; ++i) {
    key[i] = length == 0 ? kNoKeyByte : static_cast<uint8_t>(text[static_cast<size_t>(i) % length]);
  }
  // One fixed operation per position: a complement, a rotation or an XOR.
  key[0] = static_cast<uint8_t>(~key[0]);
  key[1] = RotateLeft(key[1], 4);
  key[2] = static_cast<uint8_t>(key[2] ^ 0x8A);
  key[3] = static_cast<uint8_t>(~key[3]);
  key[4] = static_cast<uint8_t>(key[4] ^ 0xB1);
  key[5] = RotateLeft(key[5], 3);
  key[6] = RotateLeft(key[6], 6);
  key[7] = static_cast<uint8_t>(~key[7]);
  key[8] = static_cast<uint8_t>(key[8] ^ 0x37);
  key[9] = RotateLeft(key[9], 1);
  key[10] = static_cast<uint8_t>(key[10] ^ 0xE5);
  key[11] = static_cast<uint8_t>(~key[11]);
}

void ArchiveFallbackKey(uint8_t key[kArchiveKeySize]) {
  std::memset(key, kFallbackKeyByte, kArchiveKeySize);
}

void XorArchiveBytes(size_t size, void* buffer, uint64_t file_position,
                     const uint8_t key[kArchiveKeySize]) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t k = static_cast<size_t>(file_position % kArchiveKeySize);
  for (size_t i = 0; i < size; ++i) {
    bytes[i] ^= key[k];
    if (++k == kArchiveKeySize) k = 0;
  }
}

int ArchiveNameKey(const char* text, NameKeyRecord* key) {
  std::memset(key->name, 0, sizeof(key->name));
  int length = 0;
  uint32_t sum = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  while (p[length] != '\0' && p[length] != '\\') {
    const int step = (IsLead(p[length]) && p[length + 1] != '\0') ? 2 : 1;
    // Units are length / 4 + 1, so the name must leave room for one zero.
    if (length + step >= kArchiveNameKeyBytes) return -1;
    for (int i = 0; i < step; ++i) {
      uint8_t byte = p[length + i];
      if (step == 1 && byte >= 'a' && byte <= 'z') byte = static_cast<uint8_t>(byte - 'a' + 'A');
      key->name[length + i] = byte;
      sum += byte;
    }
    length += step;
  }
  key->units = static_cast<uint16_t>(length / 4 + 1);
  key->sum = static_cast<uint16_t>(sum);
  return length;
}

int64_t ArchiveDecompress(const void* packed, size_t available, void* destination,
                          size_t destination_size) {
  const auto* in = static_cast<const uint8_t*>(packed);
  if (available < kArchivePackedHeadSize) return -1;
  const uint32_t unpacked_size = Load32(in);
  const uint32_t packed_size = Load32(in + 4);
  const uint8_t escape = in[8];
  if (destination == nullptr) return unpacked_size;
  if (packed_size < kArchivePackedHeadSize || packed_size > available) return -1;
  if (unpacked_size > destination_size) return -1;

  auto* out = static_cast<uint8_t*>(destination);
  const uint8_t* code = in + kArchivePackedHeadSize;
  const uint8_t* end = in + packed_size;
  uint64_t written = 0;
  uint64_t previous_distance = 0;  // 0: no back reference yet
  while (code < end) {
    const uint8_t byte = *code++;
    if (byte != escape) {
      if (written >= unpacked_size) return -1;
      out[written++] = byte;
      continue;
    }
    if (code >= end) return -1;
    uint32_t c = *code++;
    if (c == escape) {
      if (written >= unpacked_size) return -1;
      out[written++] = escape;
      continue;
    }
    if (c > escape) --c;
    uint64_t length = (c >> 3) + 4;
    if ((c & 4) != 0) {
      if (code >= end) return -1;
      length += static_cast<uint64_t>(*code++) << 5;
    }
    uint64_t distance;
    switch (c & 3) {
      case 0:
        if (end - code < 1) return -1;
        distance = code[0] + 1ull;
        code += 1;
        break;
      case 1:
        if (end - code < 2) return -1;
        distance = Load16(code) + 1ull;
        code += 2;
        break;
      case 2:
        if (end - code < 3) return -1;
        distance = (Load16(code) | (static_cast<uint64_t>(code[2]) << 16)) + 1;
        code += 3;
        break;
      default:
        // No distance bytes: one more than the previous reference's distance.
        if (previous_distance == 0) return -1;
        distance = previous_distance + 1;
        break;
    }
    previous_distance = distance;
    if (distance > written) return -1;           // before the start of the output
    if (length > unpacked_size - written) return -1;  // past its end
    // Byte after byte, so a distance shorter than the length repeats.
    for (uint64_t i = 0; i < length; ++i, ++written) out[written] = out[written - distance];
  }
  if (written != unpacked_size) return -1;
  return unpacked_size;
}

int WildcardMatch(const char* pattern, const char* name) {
  const auto* p = reinterpret_cast<const uint8_t*>(pattern);
  const auto* n = reinterpret_cast<const uint8_t*>(name);
  for (;;) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (*p == '\0') return 0;  // a run at the end matches the rest
      const char* found =
          FindSingleByte(reinterpret_cast<const char*>(n), static_cast<char>(*p));
      if (found == nullptr) return -1;
      n = reinterpret_cast<const uint8_t*>(found);
      // The byte after the run is compared below like any other.
    }
    if (*p == '\0' && *n == '\0') return 0;
    if (*p == '\0' || *n == '\0') return -1;
    if (IsLead(*p) && p[1] != '\0') {
      if (n[0] != p[0] || n[1] != p[1]) return -1;
      p += 2;
      n += 2;
    } else if (*p == '?') {
      ++p;
      ++n;
    } else {
      if (*p != *n) return -1;
      ++p;
      ++n;
    }
  }
}

// ---- Archives -------------------------------------------------------------------------

int OpenArchiveStreamed(ArchiveState* archive, const char* path, const char* key) {
  if (OpenArchiveCommon(archive, path, key) != 0) return -1;
  archive->in_memory = 0;
  return 0;
}

int OpenArchiveInMemory(ArchiveState* archive, const char* path, const char* key, int async) {
  if (OpenArchiveCommon(archive, path, key) != 0) return -1;
  const intptr_t file = archive->file;
  archive->image = static_cast<uint8_t*>(
      AllocTracked(archive->file_size > 0 ? archive->file_size : 1, __FILE__, __LINE__));
  if (archive->image == nullptr || Win32FileSeek(file, 0, 0) != 0) {
    CloseWin32File(file);
    FreeTracked(archive->image);
    FreeTracked(archive->directory);
    std::memset(archive, 0, sizeof(*archive));
    return -1;
  }
  // The read runs on the file's thread; the image is decoded once it is in.
  Win32FileRead(archive->image, 1, archive->file_size, file);
  archive->file = 0;
  archive->load_file = file;
  archive->load_pending = 1;
  archive->in_memory = 1;
  if (!async) WaitArchiveLoaded(archive);
  return 0;
}

void WaitArchiveLoaded(ArchiveState* archive) {
  if (!archive->load_pending) return;
  while (Win32FileIdle(archive->load_file) == 0) Sleep(0);
  CloseWin32File(archive->load_file);
  archive->load_file = 0;
  archive->load_pending = 0;
  XorArchiveBytes(archive->file_size, archive->image, 0, archive->key);
}

void CloseArchiveData(ArchiveState* archive) {
  WaitArchiveLoaded(archive);
  if (archive->file != 0) CloseWin32File(archive->file);
  FreeTracked(archive->directory);
  FreeTracked(archive->image);
  std::memset(archive, 0, sizeof(*archive));
}

int64_t FindArchiveEntry(ArchiveState* archive, uint32_t folder_offset, const NameKeyRecord* key,
                         int want_folder, ArchiveFileEntry* entry) {
  FolderRecord folder;
  if (!ReadFolder(archive, folder_offset, &folder)) return -1;
  for (uint32_t i = 0; i < folder.count; ++i) {
    ArchiveFileEntry candidate;
    if (!ReadEntry(archive, folder, i, &candidate)) return -1;
    const bool is_folder = (candidate.attributes & kArchiveFolderAttribute) != 0;
    if (is_folder != (want_folder != 0)) continue;
    NameRecord name;
    if (!ReadName(archive, candidate.name_offset, &name)) continue;
    if (!NameMatches(name, *key)) continue;
    if (entry != nullptr) *entry = candidate;
    return folder.first + static_cast<int64_t>(i) * EntrySize(archive);
  }
  return -1;
}

int ArchiveFindFolder(ArchiveState* archive, const char* path, int restore, NameKeyRecord* key,
                      int* failed_at_last) {
  WaitArchiveLoaded(archive);
  if (failed_at_last != nullptr) *failed_at_last = 0;
  if (IsDotName(path, ".")) return 0;
  if (IsDotName(path, "\\")) {
    archive->current_folder = 0;
    return 0;
  }
  if (IsDotName(path, "..")) {
    FolderRecord folder;
    if (!ReadFolder(archive, archive->current_folder, &folder) ||
        folder.parent == kArchiveNoParent) {
      return -1;
    }
    FolderRecord parent;
    if (!ReadFolder(archive, folder.parent, &parent)) return -1;
    archive->current_folder = folder.parent;
    return 0;
  }

  const uint32_t start = archive->current_folder;
  NameKeyRecord local;
  NameKeyRecord* component = key != nullptr ? key : &local;
  const char* p = path;
  for (;;) {
    if (*p == '\\') {
      // An empty component before a backslash: the root.
      archive->current_folder = 0;
      ++p;
      if (*p == '\0') return 0;
      continue;
    }
    const int length = ArchiveNameKey(p, component);
    ArchiveFileEntry entry;
    FolderRecord target;
    if (length < 0 || FindArchiveEntry(archive, archive->current_folder, component, 1, &entry) < 0 ||
        !ReadFolder(archive, entry.data_offset, &target)) {
      if (failed_at_last != nullptr) *failed_at_last = length >= 0 && p[length] == '\0';
      if (restore) archive->current_folder = start;
      return -1;
    }
    archive->current_folder = entry.data_offset;
    p += length;
    if (*p == '\0' || (p[0] == '\\' && p[1] == '\0')) return 0;
    ++p;  // the backslash
  }
}

int ArchiveFindEntry(ArchiveState* archive, const char* path, ArchiveFileEntry* entry) {
  const uint32_t start = archive->current_folder;
  NameKeyRecord key;
  bool found = false;
  if (FindSingleByte(path, '\\') != nullptr) {
    int failed_at_last = 0;
    // A walk that succeeds names a folder. Only a walk that stopped at the
    // last component, the file's name, leaves a file to look for.
    if (ArchiveFindFolder(archive, path, 0, &key, &failed_at_last) != 0 && failed_at_last) {
      found = FindArchiveEntry(archive, archive->current_folder, &key, 0, entry) >= 0;
    }
  } else if (ArchiveNameKey(path, &key) >= 0) {
    WaitArchiveLoaded(archive);
    found = FindArchiveEntry(archive, archive->current_folder, &key, 0, entry) >= 0;
  }
  archive->current_folder = start;
  return found ? 0 : -1;
}

// ---- Entries ----------------------------------------------------------------------------

int OpenArchiveEntry(ArchiveEntryState* state, ArchiveState* archive, const char* path,
                     int async) {
  WaitArchiveLoaded(archive);
  ArchiveFileEntry entry;
  if (ArchiveFindEntry(archive, path, &entry) != 0) return -1;
  std::memset(state, 0, sizeof(*state));
  state->archive = archive;
  state->entry = entry;
  state->async = async != 0;

  const bool packed = archive->header.version >= 2 && entry.packed_size != kArchiveNotPacked;
  const uint64_t stored = packed ? entry.packed_size : entry.size;
  const uint64_t position = EntryFilePosition(state);
  // The entry's bytes must lie inside the archive file.
  if (position + stored > archive->file_size) {
    std::memset(state, 0, sizeof(*state));
    return -1;
  }
  if (!packed) return 0;
  // A packed stream can state no more than its codes can produce (a
  // three-byte code yields at most 8195 bytes): a larger size is damage, and
  // must not become a huge allocation.
  if (entry.packed_size < kArchivePackedHeadSize ||
      static_cast<uint64_t>(entry.packed_size) * kArchiveMaxExpansion < entry.size) {
    std::memset(state, 0, sizeof(*state));
    return -1;
  }

  state->unpacked =
      static_cast<uint8_t*>(AllocTracked(entry.size > 0 ? entry.size : 1, __FILE__, __LINE__));
  if (state->unpacked == nullptr) {
    std::memset(state, 0, sizeof(*state));
    return -1;
  }
  if (archive->in_memory) {
    UnpackEntry(state, archive->image + position);
  } else {
    state->packed = static_cast<uint8_t*>(AllocTracked(entry.packed_size, __FILE__, __LINE__));
    if (state->packed == nullptr) {
      FreeTracked(state->unpacked);
      std::memset(state, 0, sizeof(*state));
      return -1;
    }
    const uint32_t file_position = static_cast<uint32_t>(position);
    if (!state->async) {
      const bool read = ReadArchiveBytes(archive, archive->file, file_position, state->packed,
                                         entry.packed_size);
      if (read) UnpackEntry(state, state->packed);
      FreeTracked(state->packed);
      state->packed = nullptr;
      if (!read || state->broken) {
        FreeTracked(state->unpacked);
        std::memset(state, 0, sizeof(*state));
        return -1;
      }
      return 0;
    }
    if (Win32FileTell(archive->file) != file_position) {
      Win32FileSeek(archive->file, file_position, 0);
    }
    Win32FileRead(state->packed, 1, entry.packed_size, archive->file);
    state->pending = 1;
    state->pending_file_position = file_position;
    return 0;
  }
  if (state->broken) {
    std::memset(state, 0, sizeof(*state));
    return -1;
  }
  return 0;
}

int CloseArchiveEntry(ArchiveEntryState* state) {
  while (state->pending != 0 && ArchiveFileIdle(state) == 0) Sleep(1);
  FreeTracked(state->unpacked);
  FreeTracked(state->packed);
  std::memset(state, 0, sizeof(*state));
  return 0;
}

size_t ReadArchiveEntry(ArchiveEntryState* state, void* buffer, size_t bytes) {
  WaitEntryRead(state);
  if (state->broken) {
    state->end = 1;
    return 0;
  }
  if (state->end) return 0;
  if (state->position >= state->entry.size) {
    state->end = 1;
    return 0;
  }
  const uint32_t left = state->entry.size - state->position;
  const uint32_t n = bytes < left ? static_cast<uint32_t>(bytes) : left;
  ArchiveState* archive = state->archive;
  const uint64_t file_position = EntryFilePosition(state) + state->position;

  if (state->unpacked != nullptr) {
    std::memcpy(buffer, state->unpacked + state->position, n);
  } else if (archive->in_memory) {
    std::memcpy(buffer, archive->image + file_position, n);
  } else if (state->async) {
    if (Win32FileTell(archive->file) != static_cast<int64_t>(file_position)) {
      Win32FileSeek(archive->file, static_cast<int64_t>(file_position), 0);
    }
    Win32FileRead(buffer, 1, n, archive->file);
    state->pending = 2;
    state->pending_file_position = static_cast<uint32_t>(file_position);
    state->pending_buffer = static_cast<uint8_t*>(buffer);
    state->pending_size = n;
  } else if (!ReadArchiveBytes(archive, archive->file, static_cast<uint32_t>(file_position),
                               buffer, n)) {
    return 0;
  }
  state->position += n;
  state->end = 0;
  return n;
}

int SeekArchiveEntry(ArchiveEntryState* state, int64_t offset, int origin) {
  WaitEntryRead(state);
  int64_t target = offset;
  if (origin == 1) target = static_cast<int64_t>(state->position) + offset;
  if (origin == 2) target = static_cast<int64_t>(state->entry.size) + offset;
  if (target < 0) target = 0;
  if (target > state->entry.size) target = state->entry.size;
  state->position = static_cast<uint32_t>(target);
  state->end = 0;
  return 0;
}

int64_t TellArchiveEntry(ArchiveEntryState* state) {
  WaitEntryRead(state);
  return state->position;
}

int EofArchiveEntry(ArchiveEntryState* state) {
  WaitEntryRead(state);
  return state->end ? -1 : 0;
}

int ArchiveFileIdle(ArchiveEntryState* state) {
  if (!state->async || state->pending == 0) return 1;
  if (Win32FileIdle(state->archive->file) == 0) return 0;
  const uint8_t* key = state->archive->key;
  if (state->pending == 1) {
    XorArchiveBytes(state->entry.packed_size, state->packed, state->pending_file_position, key);
    UnpackEntry(state, state->packed);
    FreeTracked(state->packed);
    state->packed = nullptr;
  } else {
    XorArchiveBytes(state->pending_size, state->pending_buffer, state->pending_file_position,
                    key);
  }
  state->pending = 0;
  return 1;
}

// ---- Search ---------------------------------------------------------------------------------

void SplitDirAndName(const char* path, char* folder, char* name) {
  const char* last = nullptr;
  const char* p = path;
  while (*p != '\0') {
    if (*p == '\\' || *p == '/' || *p == ':') last = p;
    p += (IsLead(static_cast<uint8_t>(*p)) && p[1] != '\0') ? 2 : 1;
  }
  if (last == nullptr) {
    folder[0] = '\0';
    std::strcpy(name, path);
    return;
  }
  const size_t length = static_cast<size_t>(last - path);
  std::memcpy(folder, path, length);
  folder[length] = '\0';
  std::strcpy(name, last + 1);
}

intptr_t ArchiveFindFirstEntry(ArchiveState* archive, const char* path, FindFileInfo* info) {
  WaitArchiveLoaded(archive);
  auto* record = static_cast<ArchiveFindRecord*>(
      AllocTrackedCleared(sizeof(ArchiveFindRecord), __FILE__, __LINE__));
  if (record == nullptr) return -1;
  const size_t length = std::strlen(path);
  auto* folder = static_cast<char*>(AllocTracked(length + 1, __FILE__, __LINE__));
  record->pattern = static_cast<char*>(AllocTracked(length + 1, __FILE__, __LINE__));
  if (folder == nullptr || record->pattern == nullptr) {
    FreeTracked(folder);
    FreeArchiveFindRecord(record);
    return -1;
  }
  SplitDirAndName(path, folder, record->pattern);
  UpperCaseSjis(folder);
  UpperCaseSjis(record->pattern);
  record->archive = archive;

  const uint32_t start = archive->current_folder;
  bool ok = true;
  if (folder[0] != '\0') ok = ArchiveFindFolder(archive, folder, 0, nullptr, nullptr) == 0;
  record->folder = archive->current_folder;
  archive->current_folder = start;
  FreeTracked(folder);

  if (!ok || ArchiveFindNextEntry(record, info) != 0) {
    FreeArchiveFindRecord(record);
    return -1;
  }
  ++record->index;
  return reinterpret_cast<intptr_t>(record);
}

int ArchiveFindNextEntry(ArchiveFindRecord* record, FindFileInfo* info) {
  ArchiveState* archive = record->archive;
  FolderRecord folder;
  if (!ReadFolder(archive, record->folder, &folder)) return -1;
  const uint32_t dots = record->folder == 0 ? 1 : 2;  // "." and, below the root, ".."
  for (uint64_t index = record->index; index < static_cast<uint64_t>(dots) + folder.count;
       ++index) {
    if (index < dots) {
      const char* dot = index == 0 ? "." : "..";
      if (WildcardMatch(record->pattern, dot) != 0) continue;
      record->index = static_cast<uint32_t>(index);
      if (info != nullptr) {
        std::memset(info, 0, sizeof(*info));
        std::strcpy(info->name, dot);
        info->folder = 1;
      }
      return 0;
    }
    ArchiveFileEntry entry;
    if (!ReadEntry(archive, folder, static_cast<uint32_t>(index - dots), &entry)) return -1;
    NameRecord name;
    if (!ReadName(archive, entry.name_offset, &name)) continue;
    char upper[kArchiveNameKeyBytes + 1];
    CopyBounded(upper, sizeof(upper), reinterpret_cast<const char*>(name.upper),
                name.units * 4u);
    if (WildcardMatch(record->pattern, upper) != 0) continue;
    record->index = static_cast<uint32_t>(index);
    if (info != nullptr) {
      std::memset(info, 0, sizeof(*info));
      CopyBounded(info->name, sizeof(info->name), name.written, name.written_limit);
      info->folder = (entry.attributes & kArchiveFolderAttribute) != 0 ? 1 : 0;
      info->size_low = entry.size;
      info->size_high = 0;
      FillTimes(entry.creation_time, info->creation_time);
      FillTimes(entry.last_write_time, info->last_write_time);
    }
    return 0;
  }
  return -1;
}

void FreeArchiveFindRecord(ArchiveFindRecord* record) {
  if (record == nullptr) return;
  FreeTracked(record->pattern);
  FreeTracked(record);
}
