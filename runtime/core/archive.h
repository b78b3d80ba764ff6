// Archive files: one file standing in for a folder tree. Every byte of an
// archive is XORed with a 12-byte key chosen by the byte's file position; the
// stored files may be packed with the archive's own LZ-style coding. This file
// reads one archive, streamed from its file or loaded whole into memory:
// its directory and look-ups, and reading, seeking and searching inside it.
//
// Layout (little-endian, shown decoded). Header, 24 bytes at position 0:
//   u16 magic "ZR", u16 version (below 4; below 2: 40-byte file entries and no
//   packing; 2 and 3: 44-byte entries, packing allowed), u32 directory size,
//   u32 data-area position, u32 directory position, u32 file-entry table
//   offset and u32 folder table offset (both within the directory block).
// The directory block starts with the name table. A name record is u16 length
//   in 4-byte units, u16 byte sum, the upper-cased name zero-padded to the
//   units, then the name as written with its NUL.
// Folder record, 16 bytes: u32 (unused), u32 parent folder record offset
//   (0xFFFFFFFF for the root, which is at offset 0), u32 entry count, u32
//   offset of the first entry in the file-entry table.
// File entry: u32 name record offset, u32 attributes (0x10 folder), u64
//   creation, last access and last write times (FILETIME), u32 data offset
//   within the data area (for a folder: its folder record offset), u32 size,
//   and from version 2 on u32 packed size (0xFFFFFFFF: stored unpacked).
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/file_access.h"

constexpr int kArchiveKeySize = 12;
constexpr uint32_t kArchiveHeaderSize = 24;
constexpr uint32_t kArchiveFolderRecordSize = 16;
constexpr uint32_t kArchiveEntrySizeOld = 40;  // versions 0 and 1
constexpr uint32_t kArchiveEntrySize = 44;     // versions 2 and 3
constexpr uint32_t kArchiveNotPacked = 0xFFFFFFFFu;
constexpr uint32_t kArchiveNoParent = 0xFFFFFFFFu;
constexpr uint32_t kArchiveFolderAttribute = 0x10;
constexpr uint16_t kArchiveMagic = 0x525A;  // "ZR"
// Room for one upper-cased path component.
constexpr int kArchiveNameKeyBytes = 1024;
// The head of a packed stream: u32 unpacked size, u32 packed size (head
// included), u8 escape byte.
constexpr uint32_t kArchivePackedHeadSize = 9;

struct ArchiveHeader {
  uint16_t magic;
  uint16_t version;
  uint32_t directory_size;
  uint32_t data_position;
  uint32_t directory_position;
  uint32_t file_table_offset;
  uint32_t folder_table_offset;
};

// A file entry, decoded.
struct ArchiveFileEntry {
  uint32_t name_offset;
  uint32_t attributes;
  uint64_t creation_time;
  uint64_t last_access_time;
  uint64_t last_write_time;
  uint32_t data_offset;  // folders: the folder record's offset
  uint32_t size;
  uint32_t packed_size;  // kArchiveNotPacked when stored
};

struct ArchiveState {
  ArchiveHeader header;
  intptr_t file;   // plain-file handle of a streamed archive
  uint8_t* image;  // the whole file of an in-memory archive
  uint8_t* directory;
  uint8_t* file_table;
  uint8_t* folder_table;
  uint8_t* name_table;
  uint32_t current_folder;  // offset of the current folder's record
  uint8_t key[kArchiveKeySize];
  int in_memory;
  uint32_t file_size;
  int load_pending;    // the whole-file read of an in-memory archive is running
  intptr_t load_file;  // plain-file handle of that read
};

struct ArchiveEntryState {
  ArchiveState* archive;
  ArchiveFileEntry entry;
  uint8_t* unpacked;  // packed entries, once their data is unpacked
  uint8_t* packed;    // only while a packed read that does not wait is running
  int end;
  uint32_t position;
  int async;
  int pending;  // 0 none, 1 packed data being read, 2 stored data being read
  uint32_t pending_file_position;
  uint8_t* pending_buffer;
  uint32_t pending_size;
  int broken;  // packed data that turned out malformed: reads give nothing
};

// One path component prepared for look-up.
struct NameKeyRecord {
  uint8_t name[kArchiveNameKeyBytes];  // upper-cased, zero-padded to whole units
  uint16_t sum;
  uint16_t units;
};

struct ArchiveFindRecord {
  ArchiveState* archive;
  char* pattern;  // upper-cased
  uint32_t folder;
  uint32_t index;  // next place in the listing (".", "..", then the entries)
};

// ---- Keys and coding ----------------------------------------------------------

// The 12-byte key of a key string: its first 12 bytes, or the string repeated
// to 12; no string (or an empty one) gives 12 copies of a fixed byte. Each
// byte then goes through its position's one-byte operation.
void ArchiveKeyFromString(const char* text, uint8_t key[kArchiveKeySize]);
// The key tried when the magic does not come out with the archive's own key.
void ArchiveFallbackKey(uint8_t key[kArchiveKeySize]);
// XORs every byte with key[(file_position + i) mod 12]; encodes and decodes.
void XorArchiveBytes(size_t size, void* buffer, uint64_t file_position,
                     const uint8_t key[kArchiveKeySize]);

// Prepares the component at `text` (up to a backslash or the end): a-z to
// A-Z, two-byte characters kept, byte sum, length in units (length / 4 + 1).
// Returns the component's length in bytes, or -1 when it does not fit.
int ArchiveNameKey(const char* text, NameKeyRecord* key);

// Unpacks one packed stream of `available` bytes into `destination`
// (`destination_size` bytes). Returns the unpacked size from the stream's
// head (with no destination, just that), or -1 when the stream is malformed:
// a code past its bytes, a back reference before the start of the output or
// past its end, or output that does not come out at exactly the stated size.
int64_t ArchiveDecompress(const void* packed, size_t available, void* destination,
                          size_t destination_size);

// 0 when `name` matches `pattern` ('?' one byte, a run of '*' up to the first
// occurrence of the byte after it, two-byte characters whole), else -1.
int WildcardMatch(const char* pattern, const char* name);

// ---- Archives --------------------------------------------------------------------

// Opens an archive read from its file as needed. 0, or -1 (nothing kept open).
int OpenArchiveStreamed(ArchiveState* archive, const char* path, const char* key);
// Opens an archive and loads it whole; unless `async`, waits for the load.
int OpenArchiveInMemory(ArchiveState* archive, const char* path, const char* key, int async);
// Waits for a whole-file load, then closes the archive and clears the state.
void CloseArchiveData(ArchiveState* archive);
// Waits until a whole-file load has finished and decodes the image.
void WaitArchiveLoaded(ArchiveState* archive);

// Walks `path` from the current folder, making each folder current. On
// failure the current folder goes back when `restore` is 1, the failing
// component's key goes to `key` and `failed_at_last` (either may be null)
// tells whether it was the path's last component. 0 or -1.
int ArchiveFindFolder(ArchiveState* archive, const char* path, int restore, NameKeyRecord* key,
                      int* failed_at_last);
// Looks `key` up in the folder at `folder`: a folder when `want_folder`, else
// a file. The entry's offset in the file-entry table, or -1.
int64_t FindArchiveEntry(ArchiveState* archive, uint32_t folder, const NameKeyRecord* key,
                         int want_folder, ArchiveFileEntry* entry);
// Looks up the file at `path` from the current folder. 0 or -1.
int ArchiveFindEntry(ArchiveState* archive, const char* path, ArchiveFileEntry* entry);

// ---- Entries ----------------------------------------------------------------------

int OpenArchiveEntry(ArchiveEntryState* state, ArchiveState* archive, const char* path,
                     int async);
int CloseArchiveEntry(ArchiveEntryState* state);
// Bytes read; 0 at the end (which sets the end flag).
size_t ReadArchiveEntry(ArchiveEntryState* state, void* buffer, size_t bytes);
// Clamped to 0..size; clears the end flag; 0.
int SeekArchiveEntry(ArchiveEntryState* state, int64_t offset, int origin);
int64_t TellArchiveEntry(ArchiveEntryState* state);
int EofArchiveEntry(ArchiveEntryState* state);
// 1 when no read is outstanding (decoding one that has just finished), else 0.
int ArchiveFileIdle(ArchiveEntryState* state);

// ---- Search -------------------------------------------------------------------------

// Splits `path` at its last backslash, slash or ':' into a folder part and a
// name part (both NUL-terminated, each at most strlen(path) + 1 bytes).
void SplitDirAndName(const char* path, char* folder, char* name);
// The first match of `path` (a folder part and a wildcard pattern), as an
// ArchiveFindRecord, or -1.
intptr_t ArchiveFindFirstEntry(ArchiveState* archive, const char* path, FindFileInfo* info);
// The next match from the record's index on (the index is left at it); 0 or
// -1 at the end of the listing.
int ArchiveFindNextEntry(ArchiveFindRecord* record, FindFileInfo* info);
// Frees a search record.
void FreeArchiveFindRecord(ArchiveFindRecord* record);
