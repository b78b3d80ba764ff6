// Writing a file so that it is never found cut short (shell.h).
#include "game/shell/shell.h"
#include "platform/win32/kernel.h"

bool write_file_safely(const char* path, const char* temp_path, const void* bytes,
                       uint32_t size) {
  HANDLE file = CreateFileA(temp_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool done = WriteFile(file, bytes, size, &written, nullptr) != FALSE && written == size;
  // The data is on the disk before the name points to it.
  done = done && FlushFileBuffers(file) != FALSE;
  done = CloseHandle(file) != FALSE && done;
  done = done && MoveFileExA(temp_path, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                     FALSE;
  if (!done) DeleteFileA(temp_path);
  return done;
}
