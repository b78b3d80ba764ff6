// Archive-aware file access: the default set of the file-access table. A
// folder may be replaced by an archive of the same name with the archive
// extension added, lying beside it; every path that runs through that folder
// is then served from the archive, and only from it. Paths that lead into no
// archive go to the plain-file layer. Behind the handles stand a table of 512
// open files and a table of 512 open archives with use counts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/core/archive.h"
#include "runtime/core/file_access.h"

constexpr int kMaxOpenFiles = 512;
constexpr int kMaxOpenArchives = 512;
// File handles of this set are the slot with these bits set.
constexpr uint32_t kFileHandleBits = 0xF0000000u;
constexpr uint32_t kFileHandleSlotMask = 0x0FFFFFFFu;
// Longest archive extension plus one.
constexpr int kArchiveExtensionRoom = 64;
// Longest archive key string.
constexpr int kArchiveKeyTextLength = 12;

struct ArchiveRecord {
  int32_t use_count;
  ArchiveState state;
  char* path;  // full path, as path resolution builds it
};

struct ArchiveTableData {
  ArchiveRecord* records[kMaxOpenArchives];
  int32_t count;
};

struct ArchiveSettingsData {
  char extension[kArchiveExtensionRoom];
  int32_t extension_length;  // 0: none stored ("ZRA" is used)
  int32_t key_present;
  char key[kArchiveKeyTextLength + 1];
};

struct LastArchivePathData {
  int32_t slot;
  char* path;               // the archive's full path with its extension
  size_t folder_length;     // length of the folder part; 0 = nothing remembered
};

// kind 0: a plain file; kind 1: a file inside an archive.
struct FileHandleRecord {
  int32_t kind;
  intptr_t file;
  int32_t archive_slot;
  ArchiveEntryState entry;
};

struct FileHandleTableData {
  FileHandleRecord* records[kMaxOpenFiles];
  int32_t count;
};

struct FindHandleRecord {
  int32_t kind;
  int32_t archive_slot;
  intptr_t search;  // a plain search handle or an ArchiveFindRecord
};

extern ArchiveTableData ArchiveTable;
extern ArchiveSettingsData ArchiveSettings;
extern LastArchivePathData LastArchivePath;
extern FileHandleTableData FileHandleTable;

// ---- The table's slots ----------------------------------------------------------

intptr_t ArchiveFileOpen(const char* path, int cache, int unused, int async);
// 0, or -1 for a handle that is not open.
int ArchiveFileClose(intptr_t file);
int64_t ArchiveFileTell(intptr_t file);
int ArchiveFileSeek(intptr_t file, int64_t offset, int origin);
// Whole elements read, for plain files and archive entries alike.
size_t ArchiveFileRead(void* buffer, size_t size, size_t count, intptr_t file);
int ArchiveFileEof(intptr_t file);
// 1 done, 0 busy, -1 for a handle that is not open.
int ArchiveIdleCheck(intptr_t file);
int ArchiveSetCurrentDir(const char* path);
int ArchiveGetCurrentDir(char* buffer);
intptr_t ArchiveFindFirst(const char* pattern, FindFileInfo* info);
int ArchiveFindNext(intptr_t search, FindFileInfo* info);
int ArchiveFindClose(intptr_t search);

// ---- Settings and life cycle -------------------------------------------------------

// A non-empty text shorter than 64 characters becomes the extension; anything
// else clears it. 0.
int StoreArchiveExtension(const char* text);
// Null clears the key; otherwise its first 12 characters are kept. 0.
int StoreArchiveKey(const char* text);
// Library start: empties the tables of archives and files and forgets the
// last archive. The settings made before start-up are kept.
void InitArchiveLayer();
// Close every open archive whose use count is below 1.
void CloseAllArchives();
void ReleaseUnusedArchives();

// ---- Path resolution -------------------------------------------------------------------

// The archive slot, or -1. An archive already open under the same full path
// is shared (its use count goes up).
int OpenArchive(int slot_hint, const char* full_path, int in_memory, int async);
// 0 when `path` leads into an archive: its slot (use count raised) and the
// inner path (a new block of the tracking allocator the caller frees); -1
// when it leads into none.
int FindArchiveForPath(const char* path, int* slot, char** inner_path);
// The full path of `path`: upper-cased, backslashes only, "." and ".."
// resolved. A new block of the tracking allocator, or null.
char* ToFullPath(const char* path);
