// Library start-up and shut-down.
#pragma once

// Logs `message`, ends the library and ends the process with exit code -1.
[[noreturn]] void FatalExit(const char* message);
