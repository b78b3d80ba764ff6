// File access: the replaceable table of twelve file operations every runtime
// file read goes through, the plain-file set behind it (with an optional
// 128 KB read cache kept filled by a per-file thread, and reads that do not
// wait), the streams the decoders read from (a file or a memory image alike),
// directory search records, the temporary file and full-path resolution.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32/kernel.h"

// What FindFirst and FindNext fill, for plain files and archive entries alike.
// Times are local: year, month, day, hour, minute, second.
struct FindFileInfo {
  char name[260];
  int32_t folder;  // 1 for a folder
  uint32_t size_low;
  uint32_t size_high;
  int creation_time[6];
  int last_write_time[6];
};

// The twelve file operations, in their fixed order (callers rely on it).
// File handles are intptr_t, 0 meaning failure; search handles are -1 when
// nothing matched.
struct FileAccessFunctionTable {
  // path, cache flag, a third argument (callers pass 1; not read), async flag.
  intptr_t (*Open)(const char* path, int cache, int unused, int async);
  int (*Close)(intptr_t file);
  int64_t (*Tell)(intptr_t file);
  // origin 0 from the start, 1 from the position, 2 from the end; 0 or -1.
  int (*Seek)(intptr_t file, int64_t offset, int origin);
  // Elements read (bytes for files inside archives).
  size_t (*Read)(void* buffer, size_t size, size_t count, intptr_t file);
  // -1 once a read has met the end, else 0.
  int (*Eof)(intptr_t file);
  // 1 when no read is outstanding, 0 while the file thread is still busy.
  int (*IdleCheck)(intptr_t file);
  int (*SetCurrentDir)(const char* path);
  // `buffer` holds at least MAX_PATH bytes.
  int (*GetCurrentDir)(char* buffer);
  intptr_t (*FindFirst)(const char* pattern, FindFileInfo* info);
  int (*FindNext)(intptr_t search, FindFileInfo* info);
  int (*FindClose)(intptr_t search);
};

// The table in use. It holds the archive-aware set until replaced.
extern FileAccessFunctionTable FileAccessFunctions;

// 1 when the library runs without archives: SetFileAccessFunctions(nullptr)
// then installs the plain set. A start-up setting; 0 by default.
extern int ArchiveLayerOffFlag;

// Copies a caller's table whole; null installs the archive-aware set, or the
// plain set when ArchiveLayerOffFlag is 1. Returns 0.
int SetFileAccessFunctions(const FileAccessFunctionTable* table);

// The forwarders every runtime file access goes through: each passes its
// arguments unchanged to its slot of the current table.
intptr_t FileOpenThunk(const char* path, int cache, int unused, int async);
int FileCloseThunk(intptr_t file);
int64_t FileTellThunk(intptr_t file);
int FileSeekThunk(intptr_t file, int64_t offset, int origin);
size_t FileReadThunk(void* buffer, size_t size, size_t count, intptr_t file);
int FileEofThunk(intptr_t file);
int FileIdleThunk(intptr_t file);
int FileSetDirThunk(const char* path);
int FileGetDirThunk(char* buffer);

// Reads one line of text from `file` (a handle of the current table) into
// `buffer` of `buffer_size` bytes, NUL-terminated: up to buffer_size - 1
// bytes, ending before a CR LF pair (the file is left behind the pair), at a
// NUL byte, or before a two-byte character the read cut in half (the file is
// left at that character; a lead byte that no trail byte can follow, at the
// end of the file or in a buffer of one byte, stays in the line). A lead byte
// pairs only with a trail byte (0x40 to 0x7E, 0x80 to 0xFC): followed by
// anything else it stands alone, so a NUL or a CR LF behind it still ends the
// line. A lone LF stays in the line. Returns the line's length, or -1 at the
// end of the file, when nothing could be read, or when the buffer cannot hold
// even the NUL.
int ReadFileLineFromTable(char* buffer, int buffer_size, intptr_t file);

// ---- Streams -----------------------------------------------------------------

// The six operations a decoder reads a stream with. `stream` is a file handle
// of the current table or a MemoryStream.
struct StreamFunctions {
  int64_t (*Tell)(intptr_t stream);
  int (*Seek)(intptr_t stream, int64_t offset, int origin);
  size_t (*Read)(void* buffer, size_t size, size_t count, intptr_t stream);
  int (*Eof)(intptr_t stream);
  int (*IdleCheck)(intptr_t stream);
  int (*Close)(intptr_t stream);
};

// A stream as handed to a decoder: one row of StreamFunctions and the handle
// its operations are called with.
struct StreamSource {
  StreamFunctions functions;
  intptr_t handle;
};

// The file row (the File*Thunk forwarders) and the memory row.
const StreamFunctions* GetFileStreamFunctions();
const StreamFunctions* GetMemoryStreamFunctions();
// Fills both rows (library start). They are filled from the start as well.
void InitStreamFunctions();

// A stream over bytes in memory. The stream never owns the data.
struct MemoryStream {
  const uint8_t* data;
  uint32_t size;
  uint32_t position;
  int32_t end;
};

// A new stream at position 0 (as intptr_t, for StreamSource), or 0.
intptr_t OpenMemoryStream(const void* data, uint32_t size);
// Frees the record, never the data; 0.
int CloseMemoryStream(intptr_t stream);
int64_t MemoryStreamTell(intptr_t stream);
// Clamped to 0..size; clears the end flag; 0.
int MemoryStreamSeek(intptr_t stream, int64_t offset, int origin);
// Whole elements; fewer than one element left copies those bytes and counts
// as 1. At the end: sets the end flag and returns 0. Zero elements (or an
// element size of 0) copy nothing and return 0.
size_t MemoryStreamRead(void* buffer, size_t size, size_t count, intptr_t stream);
int MemoryStreamEof(intptr_t stream);
int MemoryStreamIdle(intptr_t stream);

// ---- Plain files -------------------------------------------------------------

// One open plain file; the plain set's file handle points to it. The thread
// part belongs to the file thread while a request is outstanding.
struct Win32FileThreadPart {
  DWORD thread_id;
  HANDLE thread;
  HANDLE file;           // the thread's own OS handle
  HANDLE request_event;  // manual reset, clear at start
  HANDLE done_event;     // manual reset, set whenever the thread is idle
  int request_code;      // 0 open, 1 close, 2 read, 3 seek, 4 end
  int thread_ended;
  int open_error;
  char* file_name;  // a copy of the path, any length
  uint8_t* read_buffer;
  uint32_t read_position;
  uint32_t read_size;
  uint32_t read_done;  // bytes a read request delivered
  uint32_t seek_position;
  uint8_t* cache;  // kFileCacheSize bytes, only with the cache flag
  uint32_t cache_start;
  uint32_t cache_fill;
};

struct Win32FileRecord {
  HANDLE file;  // null while the file thread owns the file
  int uses_thread;
  int cache;
  int async;
  int end;
  uint32_t position;
  uint32_t size;
  Win32FileThreadPart thread;
};

constexpr uint32_t kFileCacheSize = 0x20000;

intptr_t OpenWin32File(const char* path, int cache, int unused, int async);
int CloseWin32File(intptr_t file);
int64_t Win32FileTell(intptr_t file);
int Win32FileSeek(intptr_t file, int64_t offset, int origin);
size_t Win32FileRead(void* buffer, size_t size, size_t count, intptr_t file);
int Win32FileEof(intptr_t file);
int Win32FileIdle(intptr_t file);
int Win32SetCurrentDir(const char* path);
int Win32GetCurrentDir(char* buffer);
intptr_t Win32FindFirst(const char* pattern, FindFileInfo* info);
int Win32FindNext(intptr_t search, FindFileInfo* info);
int Win32FindClose(intptr_t search);
void FillFindFileInfo(const WIN32_FIND_DATAA* data, FindFileInfo* info);

// The plain set, in table order.
extern const FileAccessFunctionTable Win32FileFunctions;

// Called by each file thread just before it carries out a request (with the
// request code). Null normally; tests set it to hold a thread at a known point.
extern void (*FileThreadRequestHook)(int request_code);

// ---- Temporary files and full paths ----------------------------------------

// Makes a new empty file "tmp<hex>.tmp" in the temporary folder, open for
// writing; its full path goes to `path` (MAX_PATH bytes) when not null.
// Returns the handle, or null.
HANDLE CreateTempFile(char* path);

// Turns `path` into a full path in `out` (`out_size` bytes). With no `base`
// the current folder is taken through the table's GetCurrentDir slot; with no
// `path`, `out` becomes the base. A path starting with a separator keeps only
// the base's drive; one with ':' as its second character starts from its own
// drive; any other starts from the base. "." parts are skipped, ".." removes
// the last part. Returns 0, or -1 for an empty part (two separators in a row)
// or a result that does not fit.
int ResolveFullPath(const char* path, char* out, size_t out_size, const char* base);
