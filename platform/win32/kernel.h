// Kernel stand-ins: critical sections, events, threads, sleeping, the
// performance counter and handles. Timing follows the installed host's clock,
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
// Closes an event or thread handle (a thread keeps running on its own).
BOOL CloseHandle(HANDLE object);

// Thread ids are small positive numbers, never 0 and never 0xFFFFFFFF.
DWORD GetCurrentThreadId();
void Sleep(DWORD milliseconds);

// The performance counter runs at 1 MHz from the host clock.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

DWORD GetTickCount();
