// The library's start-up settings and state, and its fatal exit: what every
// layer of the runtime reads or calls about the library as a whole. Start-up
// and shut-down themselves are the system layer's (runtime/system/library.h).
#pragma once

#include <cstdint>

// ---- Start-up settings (made before start-up; they survive it) ---------------
// NoWindowFlag (the library runs without a window of its own) lives with the
// main window. These leave out one subsystem's start; default 0.
extern int32_t SkipInputFlag;
extern int32_t SkipSoundFlag;
extern int32_t SkipGraphicsFlag;
// 1 (the default): start-up switches hardware acceleration off right before
// the screen starts. The stand-in layer offers no Direct3D device, so a start on
// the accelerated road would fail and fall back to the software road anyway,
// with a second screen mode change paced two seconds behind the first; off
// from the start, the screen mode changes once. 0: graphics start tries the
// accelerated road first and falls back as it does on any system.
extern int32_t AccelerationOffAtStartFlag;

// ---- State ------------------------------------------------------------------------
// 1 while InitLibrary runs. (LibraryRunningFlag, 1 from late in start-up
// until shut-down begins, lives with the clock state in primitives.h.)
extern int32_t InitRunningFlag;
// 1 while COM was started by this library.
extern int32_t ComStartedFlag;

// Logs `message` and "\n", ends the library (through the system layer's
// registered shut-down), destroys the library lock and
// ends the process with exit code -1.
[[noreturn]] void FatalExit(const char* message);
// Formats into a 1024-byte buffer and calls FatalExit.
[[noreturn]] void FatalExitFormatted(const char* format, ...)
    __attribute__((format(printf, 1, 2)));
