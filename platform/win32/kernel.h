// Kernel stand-ins: critical sections, events, threads, sleeping, the
// performance counter, handles, files and folders, local time and the
// debugger output. Timing follows the installed host's clock,
// so on the null host every wait and sleep runs on its virtual clock.
#pragma once

#include "platform/win32/types.h"

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr DWORD STILL_ACTIVE = 259;
const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// A recursive lock, as the Windows one is. `impl` belongs to the stand-in.
struct CRITICAL_SECTION {
  void* impl;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Events keep a signalled flag. A manual-reset event stays signalled until
// ResetEvent; an auto-reset event lets exactly one wait through and clears.
// Only unnamed events without security attributes are emulated.
HANDLE CreateEventA(void* security, BOOL manual_reset, BOOL initial_state, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
// Starts a thread running `start(parameter)`. Its handle is signalled once the
// thread has ended; `thread_id` (optional) receives its GetCurrentThreadId value.
HANDLE CreateThread(void* security, SIZE_T stack_size, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creation_flags, LPDWORD thread_id);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exit_code);
// Ends the calling thread (one started by CreateThread) with `exit_code`. It
// unwinds the thread's stack, so destructors run.
[[noreturn]] void ExitThread(DWORD exit_code);

// Waits for an event or a thread; WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// Closes an event, thread or file handle (a thread keeps running on its own;
// folder searches are closed by FindClose).
BOOL CloseHandle(HANDLE object);

// Thread ids are small positive numbers, never 0 and never 0xFFFFFFFF.
DWORD GetCurrentThreadId();
void Sleep(DWORD milliseconds);

// The performance counter runs at 1 MHz from the host clock.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

DWORD GetTickCount();

// ---- Files and folders -------------------------------------------------------
// Paths are Shift-JIS; `\` and `/` both separate. A path that does not exist
// as written is looked up case-insensitively, component by component. A
// folder is refused where a file is opened. Paths of any length work. A drive
// prefix ("C:") stands for the POSIX root, and folders are reported with
// "C:" and backslashes ("C:\home\user"). Share modes hold between the handles
// of this process; a file with an open handle cannot be deleted. File handles
// are closed with CloseHandle.

constexpr DWORD MAX_PATH = 260;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD FILE_SHARE_READ = 0x00000001u;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002u;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001u;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010u;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020u;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080u;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

// 100-nanosecond intervals since 1601-01-01 (UTC unless converted).
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};

// Only plain files without security attributes, templates or special flags.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share_mode, void* security,
                   DWORD creation_disposition, DWORD flags_and_attributes, HANDLE template_file);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytes_to_read, LPDWORD bytes_read,
              void* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytes_to_write, LPDWORD bytes_written,
               void* overlapped);
// Moves the file position; returns the low 32 bits of the new position.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD move_method);
DWORD GetFileSize(HANDLE file, LPDWORD size_high);
BOOL DeleteFileA(LPCSTR path);
DWORD GetFileAttributesA(LPCSTR path);
// Writes what was written to the file through to the disk.
BOOL FlushFileBuffers(HANDLE file);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001u;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x00000008u;
// Renames a file (not a folder), also into another folder. An existing file
// of the new name fails the move unless MOVEFILE_REPLACE_EXISTING is given;
// then it is replaced in one step, so the name always holds the old file or
// the new one. With MOVEFILE_WRITE_THROUGH the move reaches the disk before
// the call returns. A file with an open handle is neither moved nor
// replaced. Other flags are not emulated.
BOOL MoveFileExA(LPCSTR existing, LPCSTR new_name, DWORD flags);

// Folder search: the pattern's last component may hold * and ? wildcards.
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE search, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE search);

// The current folder, as a Shift-JIS path. GetCurrentDirectoryA returns the
// length written, or the size needed (NUL included) when the buffer is short.
DWORD GetCurrentDirectoryA(DWORD buffer_length, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR path);
// The folder for temporary files, ending with a separator.
DWORD GetTempPathA(DWORD buffer_length, LPSTR buffer);
// Makes a unique empty file "<prefix up to 3 chars><hex>.tmp" in `folder`
// (when `unique` is 0) and writes its path to `temp_file_name` (MAX_PATH
// bytes); returns the number used, 0 on failure.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR temp_file_name);

// Test seam: asked at the start of every WriteFile, FlushFileBuffers and
// MoveFileExA with the call's name and the `context` given at installation.
// When it answers false the call fails as a failing disk would: FALSE, and
// nothing is written, flushed or moved. Null (the default) lets every call
// through.
using FileCallHook = bool (*)(void* context, LPCSTR call);
void SetFileCallHook(FileCallHook hook, void* context);

void GetLocalTime(SYSTEMTIME* time);
BOOL FileTimeToLocalFileTime(const FILETIME* file_time, FILETIME* local_file_time);
BOOL FileTimeToSystemTime(const FILETIME* file_time, SYSTEMTIME* system_time);

// The debugger output. No debugger listens here: the text goes nowhere unless
// a sink is installed (tests install one to read it).
void OutputDebugStringA(LPCSTR text);

// Receives every text sent to the debugger output, unchanged (Shift-JIS), one
// call at a time, with the `context` given at installation. It must not send
// debugger output itself.
using DebugOutputSink = void (*)(void* context, LPCSTR text);
// Installs `sink` (null: none). Once this returns, the sink it replaced is no
// longer called.
void SetDebugOutputSink(DebugOutputSink sink, void* context);

// ---- Program, code page and memory ------------------------------------------

// The program's instance handle (`module_name` null; named modules are not
// emulated).
HINSTANCE GetModuleHandleA(LPCSTR module_name);
// The OEM code page: 932 (Japanese).
UINT GetOEMCP();
// The bytes of a NUL-terminated text before its NUL; 0 for null.
int lstrlenA(LPCSTR text);

// Physical memory: 512 MB in all, 256 MB free, as the program is told.
struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  SIZE_T dwTotalPhys;
  SIZE_T dwAvailPhys;
  SIZE_T dwTotalPageFile;
  SIZE_T dwAvailPageFile;
  SIZE_T dwTotalVirtual;
  SIZE_T dwAvailVirtual;
};
void GlobalMemoryStatus(MEMORYSTATUS* status);

// ---- System version and processor ---------------------------------------------

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// The system's version. The program is told it runs on Windows XP (NT 5.1,
// build 2600, "Service Pack 2").
struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;  // the caller's sizeof(OSVERSIONINFOA)
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];  // the service text
};
// FALSE when the size field is not set.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// What the processor's identification instruction reports. The program is
// told the instruction exists, MMX is usable and the time-stamp counter is
// not, with a fixed vendor and brand text.
constexpr DWORD CPU_FEATURE_TSC = 1u << 4;   // time-stamp counter (feature bit 4)
constexpr DWORD CPU_FEATURE_MMX = 1u << 23;  // MMX (feature bit 23)
struct CPU_IDENTIFICATION {
  BOOL present;          // the identification instruction exists
  CHAR vendor[13];       // twelve characters and a NUL
  DWORD features;        // the feature bits of leaf 1 (EDX)
  BOOL brand_present;    // the extended leaves with the brand text exist
  CHAR brand[49];        // up to 48 characters and a NUL
};
void GetCpuIdentification(CPU_IDENTIFICATION* info);
