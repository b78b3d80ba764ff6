// File access: the replaceable table of file operations and the plain-file set behind it.
#include "runtime/core/file_access.h"

#include <cstring>

#include "runtime/core/archive_files.h"
#include "runtime/core/lead_byte.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"

// ---- The table and its forwarders ---------------------------------------------

namespace {

const FileAccessFunctionTable kArchiveAwareFunctions = {
    ArchiveFileOpen,      ArchiveFileClose,     ArchiveFileTell,   ArchiveFileSeek,
    ArchiveFileRead,      ArchiveFileEof,       ArchiveIdleCheck,  ArchiveSetCurrentDir,
    ArchiveGetCurrentDir, ArchiveFindFirst,     ArchiveFindNext,   ArchiveFindClose,
};

}  // namespace

const FileAccessFunctionTable Win32FileFunctions = {
    OpenWin32File,      CloseWin32File, Win32FileTell,  Win32FileSeek,
    Win32FileRead,      Win32FileEof,   Win32FileIdle,  Win32SetCurrentDir,
    Win32GetCurrentDir, Win32FindFirst, Win32FindNext,  Win32FindClose,
};

FileAccessFunctionTable FileAccessFunctions = kArchiveAwareFunctions;
int ArchiveLayerOffFlag = 0;
void (*FileThreadRequestHook)(int request_code) = nullptr;

int SetFileAccessFunctions(const FileAccessFunctionTable* table) {
  if (table != nullptr) {
    FileAccessFunctions = *table;
  } else if (ArchiveLayerOffFlag == 1) {
    FileAccessFunctions = Win32FileFunctions;
  } else {
    FileAccessFunctions = kArchiveAwareFunctions;
  }
  return 0;
}

intptr_t FileOpenThunk(const char* path, int cache, int unused, int async) {
  return FileAccessFunctions.Open(path, cache, unused, async);
}
int FileCloseThunk(intptr_t file) { return FileAccessFunctions.Close(file); }
int64_t FileTellThunk(intptr_t file) { return FileAccessFunctions.Tell(file); }
int FileSeekThunk(intptr_t file, int64_t offset, int origin) {
  return FileAccessFunctions.Seek(file, offset, origin);
}
size_t FileReadThunk(void* buffer, size_t size, size_t count, intptr_t file) {
  return FileAccessFunctions.Read(buffer, size, count, file);
}
int FileEofThunk(intptr_t file) { return FileAccessFunctions.Eof(file); }
int FileIdleThunk(intptr_t file) { return FileAccessFunctions.IdleCheck(file); }
int FileSetDirThunk(const char* path) { return FileAccessFunctions.SetCurrentDir(path); }
int FileGetDirThunk(char* buffer) { return FileAccessFunctions.GetCurrentDir(buffer); }

// ---- Reading a line -------------------------------------------------------------

int ReadFileLineFromTable(char* buffer, int buffer_size, intptr_t file) {
  if (buffer == nullptr || buffer_size < 1) return -1;
  if (FileEofThunk(file) != 0) return -1;

  const int64_t position = FileTellThunk(file);
  const size_t read = FileReadThunk(buffer, 1, static_cast<size_t>(buffer_size - 1), file);
  while (FileIdleThunk(file) == 0) Sleep(0);
  if (read == 0) return -1;

  const int count = static_cast<int>(read);
  // A read that filled the buffer may have stopped inside a character; a
  // shorter one met the end of the file.
  const bool filled = read == static_cast<size_t>(buffer_size - 1);
  int i = 0;
  while (i < count) {
    const unsigned char byte = static_cast<unsigned char>(buffer[i]);
    if (byte == 0) break;
    if (IsLeadByte(&buffer[i], 1)) {
      if (i + 2 > count) {
        // The read cut this character in half: the next line starts with it.
        // A lead byte that cannot come whole in the next read (the file ends
        // behind it, or the buffer holds one byte only) stays in this line,
        // so the reading still reaches the end.
        if (filled && i > 0) {
          FileSeekThunk(file, position + i, 0);
        } else {
          ++i;
        }
        break;
      }
      // Only a trail byte makes a pair: a NUL or a CR behind a lead byte
      // keeps its own meaning, and the lead byte stands alone.
      if (IsSjisTrailByte(static_cast<unsigned char>(buffer[i + 1]))) {
        i += 2;
        continue;
      }
      ++i;
      continue;
    }
    if (byte == '\r' && i + 1 < count && buffer[i + 1] == '\n') {
      FileSeekThunk(file, position + i + 2, 0);
      break;
    }
    ++i;
  }
  buffer[i] = '\0';
  return i;
}

// ---- Streams ----------------------------------------------------------------------

namespace {

StreamFunctions file_stream_functions = {FileTellThunk, FileSeekThunk, FileReadThunk,
                                         FileEofThunk,  FileIdleThunk, FileCloseThunk};
StreamFunctions memory_stream_functions = {MemoryStreamTell, MemoryStreamSeek,
                                           MemoryStreamRead, MemoryStreamEof,
                                           MemoryStreamIdle, CloseMemoryStream};

MemoryStream* AsMemoryStream(intptr_t stream) { return reinterpret_cast<MemoryStream*>(stream); }

}  // namespace

const StreamFunctions* GetFileStreamFunctions() { return &file_stream_functions; }
const StreamFunctions* GetMemoryStreamFunctions() { return &memory_stream_functions; }

void InitStreamFunctions() {
  file_stream_functions = {FileTellThunk, FileSeekThunk, FileReadThunk,
                           FileEofThunk,  FileIdleThunk, FileCloseThunk};
  memory_stream_functions = {MemoryStreamTell, MemoryStreamSeek, MemoryStreamRead,
                             MemoryStreamEof,  MemoryStreamIdle, CloseMemoryStream};
}

intptr_t OpenMemoryStream(const void* data, uint32_t size) {
  auto* stream = static_cast<MemoryStream*>(
      AllocTrackedCleared(sizeof(MemoryStream), __FILE__, __LINE__));
  if (stream == nullptr) return 0;
  stream->data = static_cast<const uint8_t*>(data);
  stream->size = size;
  return reinterpret_cast<intptr_t>(stream);
}

int CloseMemoryStream(intptr_t stream) {
  FreeTracked(AsMemoryStream(stream));
  return 0;
}

int64_t MemoryStreamTell(intptr_t stream) { return AsMemoryStream(stream)->position; }

int MemoryStreamSeek(intptr_t stream, int64_t offset, int origin) {
  MemoryStream* s = AsMemoryStream(stream);
  int64_t target = offset;
  if (origin == 1) target = static_cast<int64_t>(s->position) + offset;
  if (origin == 2) target = static_cast<int64_t>(s->size) + offset;
  if (target < 0) target = 0;
  if (target > s->size) target = s->size;
  s->position = static_cast<uint32_t>(target);
  s->end = 0;
  return 0;
}

size_t MemoryStreamRead(void* buffer, size_t size, size_t count, intptr_t stream) {
  MemoryStream* s = AsMemoryStream(stream);
  if (s->position >= s->size) {
    s->end = 1;
    return 0;
  }
  // Zero elements read nothing (the rule below for a last partial element is
  // only for a read that asked for at least one).
  if (size == 0 || count == 0) return 0;
  const uint64_t left = s->size - s->position;
  // Computed in 64 bits so that a huge count cannot wrap into a small size.
  if (static_cast<unsigned __int128>(size) * count > left) count = static_cast<size_t>(left / size);
  if (count > 0) {
    const size_t bytes = size * count;
    std::memcpy(buffer, s->data + s->position, bytes);
    s->position += static_cast<uint32_t>(bytes);
    s->end = 0;
    return count;
  }
  // Less than one element left: hand over what there is as one element.
  std::memcpy(buffer, s->data + s->position, static_cast<size_t>(left));
  s->position = s->size;
  s->end = 0;
  return 1;
}

int MemoryStreamEof(intptr_t stream) { return AsMemoryStream(stream)->end; }
int MemoryStreamIdle(intptr_t) { return 1; }

// ---- Plain files ----------------------------------------------------------------

namespace {

enum FileRequest { kRequestOpen = 0, kRequestClose = 1, kRequestRead = 2, kRequestSeek = 3,
                   kRequestEnd = 4 };

Win32FileRecord* AsRecord(intptr_t file) { return reinterpret_cast<Win32FileRecord*>(file); }

// Moves an OS file position to `position` (from the start); false on failure.
bool SeekOsFile(HANDLE file, uint32_t position) {
  LONG high = 0;
  const DWORD low = SetFilePointer(file, static_cast<LONG>(position), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && high != 0) && low == position;
}

HANDLE OpenForRead(const char* path, DWORD share) {
  HANDLE file = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == nullptr ? INVALID_HANDLE_VALUE : file;
}

// Hands one request to the file thread: waits until the previous one is done,
// stores the new one and wakes the thread. It does not wait for the result.
void PostRequest(Win32FileThreadPart* part, int code, uint8_t* buffer, uint32_t position,
                 uint32_t size) {
  WaitForSingleObject(part->done_event, INFINITE);
  part->request_code = code;
  if (code == kRequestRead) {
    part->read_buffer = buffer;
    part->read_position = position;
    part->read_size = size;
    part->read_done = 0;
  } else if (code == kRequestSeek) {
    part->seek_position = position;
  }
  ResetEvent(part->done_event);
  SetEvent(part->request_event);
}

// Fills the free rest of the cache from the file, behind the valid bytes.
void ReadAhead(Win32FileThreadPart* part) {
  if (part->cache_fill >= kFileCacheSize) return;
  if (!SeekOsFile(part->file, part->cache_start + part->cache_fill)) return;
  DWORD got = 0;
  if (ReadFile(part->file, part->cache + part->cache_fill, kFileCacheSize - part->cache_fill,
               &got, nullptr)) {
    part->cache_fill += got;
  }
}

void ServeRead(Win32FileThreadPart* part) {
  uint32_t delivered = 0;
  if (part->cache != nullptr && part->read_position == part->cache_start &&
      part->cache_fill > 0) {
    const uint32_t n = part->read_size < part->cache_fill ? part->read_size : part->cache_fill;
    std::memcpy(part->read_buffer, part->cache, n);
    part->read_buffer += n;
    part->cache_start += n;
    part->read_position += n;
    part->read_size -= n;
    part->cache_fill -= n;
    std::memmove(part->cache, part->cache + n, part->cache_fill);
    delivered = n;
  }
  if (part->read_size > 0) {
    DWORD got = 0;
    if (part->file == nullptr || !SeekOsFile(part->file, part->read_position) ||
        !ReadFile(part->file, part->read_buffer, part->read_size, &got, nullptr)) {
      got = 0;
    }
    part->read_size = got;
    delivered += got;
    if (part->cache != nullptr) {
      part->cache_start = part->read_position + got;
      part->cache_fill = 0;
    }
  }
  part->read_done = delivered;
}

// The file thread of one plain file: carries out open, close, read and seek
// requests and, with a cache, reads ahead while it has nothing to do.
DWORD FileReaderThread(LPVOID parameter) {
  auto* part = static_cast<Win32FileThreadPart*>(parameter);
  for (;;) {
    const DWORD wait =
        WaitForSingleObject(part->request_event, part->cache != nullptr ? 100 : INFINITE);
    if (wait == WAIT_TIMEOUT) {
      if (part->file != nullptr) ReadAhead(part);
      continue;
    }
    if (wait != WAIT_OBJECT_0) return 1;  // the events are gone: nobody can ask any more
    ResetEvent(part->request_event);
    ResetEvent(part->done_event);
    if (FileThreadRequestHook != nullptr) FileThreadRequestHook(part->request_code);
    switch (part->request_code) {
      case kRequestOpen: {
        HANDLE file = OpenForRead(part->file_name, 0);
        if (file == INVALID_HANDLE_VALUE) {
          part->open_error = 1;
          part->thread_ended = 1;
          SetEvent(part->done_event);
          return 1;
        }
        part->file = file;
        break;
      }
      case kRequestClose:
        if (part->file != nullptr) CloseHandle(part->file);
        part->file = nullptr;
        break;
      case kRequestRead:
        ServeRead(part);
        break;
      case kRequestSeek:
        if (part->file != nullptr) SeekOsFile(part->file, part->seek_position);
        if (part->cache != nullptr) {
          part->cache_start = part->seek_position;
          part->cache_fill = 0;
        }
        break;
      case kRequestEnd:
        if (part->file != nullptr) CloseHandle(part->file);
        part->file = nullptr;
        part->thread_ended = 1;
        SetEvent(part->done_event);
        return 1;
      default:
        break;
    }
    SetEvent(part->done_event);
  }
}

// Releases what a threaded open made, once its thread has ended.
void FreeThreadPart(Win32FileThreadPart* part) {
  if (part->thread != nullptr) {
    WaitForSingleObject(part->thread, INFINITE);
    CloseHandle(part->thread);
  }
  if (part->request_event != nullptr) CloseHandle(part->request_event);
  if (part->done_event != nullptr) CloseHandle(part->done_event);
  FreeTracked(part->cache);
  FreeTracked(part->file_name);
}

char* CopyText(const char* text) {
  const size_t length = std::strlen(text);
  auto* copy = static_cast<char*>(AllocTracked(length + 1, __FILE__, __LINE__));
  if (copy != nullptr) std::memcpy(copy, text, length + 1);
  return copy;
}

}  // namespace

intptr_t OpenWin32File(const char* path, int cache, int unused, int async) {
  (void)unused;
  if (path == nullptr) return 0;
  auto* record = static_cast<Win32FileRecord*>(
      AllocTrackedCleared(sizeof(Win32FileRecord), __FILE__, __LINE__));
  if (record == nullptr) return 0;
  record->cache = cache != 0;
  record->async = async != 0;
  record->uses_thread = record->cache || record->async;

  HANDLE file = OpenForRead(path, FILE_SHARE_READ);
  if (file == INVALID_HANDLE_VALUE) {
    FreeTracked(record);
    return 0;
  }
  DWORD size_high = 0;
  const DWORD size = GetFileSize(file, &size_high);
  if (size == INVALID_FILE_SIZE || size_high != 0) {
    // Positions are 32-bit: a file of 4 GB or more cannot be read.
    CloseHandle(file);
    FreeTracked(record);
    return 0;
  }
  record->size = size;

  if (!record->uses_thread) {
    record->file = file;
    return reinterpret_cast<intptr_t>(record);
  }
  CloseHandle(file);

  Win32FileThreadPart* part = &record->thread;
  if (record->cache) {
    part->cache = static_cast<uint8_t*>(AllocTracked(kFileCacheSize, __FILE__, __LINE__));
    if (part->cache == nullptr) {
      FreeTracked(record);
      LogAdd("ファイル読み込みキャッシュ用メモリの確保に失敗しました\n");
      return 0;
    }
  }
  part->file_name = CopyText(path);
  part->request_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  part->done_event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  if (part->file_name != nullptr && part->request_event != nullptr &&
      part->done_event != nullptr) {
    part->thread =
        CreateThread(nullptr, 0, FileReaderThread, part, 0, &part->thread_id);
  }
  if (part->thread == nullptr) {
    FreeThreadPart(part);
    FreeTracked(record);
    LogAdd("ファイルアクセス専用スレッドの作成に失敗しました\n");
    return 0;
  }

  PostRequest(part, kRequestOpen, nullptr, 0, 0);
  WaitForSingleObject(part->done_event, INFINITE);
  if (part->open_error) {
    FreeThreadPart(part);
    FreeTracked(record);
    LogAdd("ファイルのオープンに失敗しました\n");
    return 0;
  }
  return reinterpret_cast<intptr_t>(record);
}

int CloseWin32File(intptr_t file) {
  Win32FileRecord* record = AsRecord(file);
  if (record == nullptr) return -1;
  if (!record->uses_thread) {
    CloseHandle(record->file);
  } else {
    PostRequest(&record->thread, kRequestEnd, nullptr, 0, 0);
    WaitForSingleObject(record->thread.done_event, INFINITE);
    FreeThreadPart(&record->thread);
  }
  FreeTracked(record);
  return 0;
}

int64_t Win32FileTell(intptr_t file) { return AsRecord(file)->position; }

int Win32FileSeek(intptr_t file, int64_t offset, int origin) {
  Win32FileRecord* record = AsRecord(file);
  int64_t target = offset;
  if (origin == 1) target = static_cast<int64_t>(record->position) + offset;
  if (origin == 2) target = static_cast<int64_t>(record->size) + offset;
  // Past the end is allowed (a read there gives nothing); before the start or
  // beyond 32 bits is not.
  if (target < 0 || target > 0xFFFFFFFFll) return -1;
  const uint32_t position = static_cast<uint32_t>(target);
  if (!record->uses_thread) {
    if (!SeekOsFile(record->file, position)) return -1;
  } else {
    PostRequest(&record->thread, kRequestSeek, nullptr, position, 0);
  }
  record->position = position;
  record->end = 0;
  return 0;
}

size_t Win32FileRead(void* buffer, size_t size, size_t count, intptr_t file) {
  Win32FileRecord* record = AsRecord(file);
  if (size == 0) return 0;
  // At the end, or past it after a seek: nothing to read.
  if (record->position >= record->size) {
    record->end = 1;
    return 0;
  }
  const uint64_t left = record->size - record->position;
  if (static_cast<unsigned __int128>(size) * count > left) count = static_cast<size_t>(left / size);
  if (count == 0) {
    record->end = 1;
    return 0;
  }
  const uint32_t bytes = static_cast<uint32_t>(size * count);

  if (!record->uses_thread) {
    DWORD got = 0;
    if (!ReadFile(record->file, buffer, bytes, &got, nullptr)) got = 0;
    record->position += got;
    return got / size;
  }

  Win32FileThreadPart* part = &record->thread;
  PostRequest(part, kRequestRead, static_cast<uint8_t*>(buffer), record->position, bytes);
  if (record->async) {
    // Taken as complete; the caller waits for IdleCheck before using the bytes.
    record->position += bytes;
    return count;
  }
  WaitForSingleObject(part->done_event, INFINITE);
  record->position += part->read_done;
  return part->read_done / size;
}

int Win32FileEof(intptr_t file) { return AsRecord(file)->end ? -1 : 0; }

int Win32FileIdle(intptr_t file) {
  Win32FileRecord* record = AsRecord(file);
  if (!record->uses_thread) return 1;
  return WaitForSingleObject(record->thread.done_event, 0) == WAIT_TIMEOUT ? 0 : 1;
}

int Win32SetCurrentDir(const char* path) { return SetCurrentDirectoryA(path); }

int Win32GetCurrentDir(char* buffer) {
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  // A folder that does not fit leaves an empty text rather than old bytes.
  if (length == 0 || length >= MAX_PATH) buffer[0] = '\0';
  return static_cast<int>(length);
}

void FillFindFileInfo(const WIN32_FIND_DATAA* data, FindFileInfo* info) {
  std::memset(info, 0, sizeof(*info));
  std::memcpy(info->name, data->cFileName, sizeof(info->name));
  info->name[sizeof(info->name) - 1] = '\0';
  info->folder = (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 1 : 0;
  info->size_low = data->nFileSizeLow;
  info->size_high = data->nFileSizeHigh;
  int* c = info->creation_time;
  FileTimeToLocalParts(&data->ftCreationTime, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5]);
  int* w = info->last_write_time;
  FileTimeToLocalParts(&data->ftLastWriteTime, &w[0], &w[1], &w[2], &w[3], &w[4], &w[5]);
}

intptr_t Win32FindFirst(const char* pattern, FindFileInfo* info) {
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern, &data);
  if (search == INVALID_HANDLE_VALUE || search == nullptr) return -1;
  if (info != nullptr) FillFindFileInfo(&data, info);
  return reinterpret_cast<intptr_t>(search);
}

int Win32FindNext(intptr_t search, FindFileInfo* info) {
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(reinterpret_cast<HANDLE>(search), &data)) return -1;
  if (info != nullptr) FillFindFileInfo(&data, info);
  return 0;
}

int Win32FindClose(intptr_t search) {
  return FindClose(reinterpret_cast<HANDLE>(search)) ? 0 : -1;
}

// ---- Temporary files and full paths -----------------------------------------------

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Whether the last character of `text` (`length` bytes) is a separator; a
// trail byte of a two-byte character is not one.
bool EndsWithSeparator(const char* text, size_t length) {
  size_t i = 0;
  size_t last = length;
  while (i < length) {
    last = i;
    i += (IsSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < length) ? 2 : 1;
  }
  return last < length && i == last + 1 && IsSeparator(text[last]);
}

// A bounded text being built; `overflow` once something did not fit.
struct PathBuilder {
  char* out;
  size_t size;
  size_t length;
  bool overflow;

  void Append(const char* text, size_t n) {
    if (length + n + 1 > size) {
      overflow = true;
      return;
    }
    std::memcpy(out + length, text, n);
    length += n;
    out[length] = '\0';
  }

  // Removes the last part: back to the previous separator, never past a ':'.
  void RemoveLastPart() {
    size_t cut = 0;
    bool found = false;
    size_t i = 0;
    while (i < length) {
      const char c = out[i];
      if (c == ':') {
        cut = i + 1;
        found = true;
      } else if (IsSeparator(c)) {
        cut = i;
        found = true;
      }
      i += (IsSjisLeadByte(static_cast<unsigned char>(c)) && i + 1 < length) ? 2 : 1;
    }
    length = found ? cut : 0;
    out[length] = '\0';
  }
};

}  // namespace

int ResolveFullPath(const char* path, char* out, size_t out_size, const char* base) {
  if (out == nullptr || out_size == 0) return -1;
  char current[MAX_PATH + 1] = {};
  if (base == nullptr) {
    FileGetDirThunk(current);
    current[MAX_PATH] = '\0';
    base = current;
  }
  PathBuilder result{out, out_size, 0, false};
  out[0] = '\0';
  if (path == nullptr) {
    result.Append(base, std::strlen(base));
    return result.overflow ? -1 : 0;
  }

  const char* rest = path;
  if (IsSeparator(path[0])) {
    // Rooted: only the base's drive (none on a system without drive letters).
    if (base[0] != '\0' && base[1] == ':') result.Append(base, 2);
    rest = path + 1;
  } else if (path[0] != '\0' && path[1] == ':') {
    result.Append(path, 2);
    rest = path + 2;
    if (IsSeparator(*rest)) ++rest;
  } else {
    size_t length = std::strlen(base);
    if (length > 0 && EndsWithSeparator(base, length)) --length;
    result.Append(base, length);
  }

  for (;;) {
    const char* end = rest;
    while (*end != '\0' && !IsSeparator(*end)) {
      end += (IsSjisLeadByte(static_cast<unsigned char>(*end)) && end[1] != '\0') ? 2 : 1;
    }
    const size_t n = static_cast<size_t>(end - rest);
    if (n == 0) {
      if (*end == '\0') break;
      return -1;  // two separators in a row
    }
    if (n == 1 && rest[0] == '.') {
      // This folder: nothing to add.
    } else if (n == 2 && rest[0] == '.' && rest[1] == '.') {
      result.RemoveLastPart();
    } else {
      result.Append("\\", 1);
      result.Append(rest, n);
    }
    if (*end == '\0') break;
    rest = end + 1;
  }
  return result.overflow ? -1 : 0;
}

HANDLE CreateTempFile(char* path) {
  char folder[MAX_PATH + 2] = {};
  const DWORD length = GetTempPathA(256, folder);
  if (length == 0 || length >= 256) return nullptr;
  if (!EndsWithSeparator(folder, length)) {
    folder[length] = '\\';
    folder[length + 1] = '\0';
  }
  char name[MAX_PATH] = {};
  if (GetTempFileNameA(folder, "tmp", 0, name) == 0) return nullptr;
  char full[MAX_PATH] = {};
  if (ResolveFullPath(name, full, sizeof(full), folder) != 0) {
    DeleteFileA(name);
    return nullptr;
  }
  DeleteFileA(full);
  HANDLE file = CreateFileA(full, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE || file == nullptr) return nullptr;
  if (path != nullptr) std::memcpy(path, full, sizeof(full));
  return file;
}
