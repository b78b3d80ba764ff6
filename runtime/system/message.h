// Message processing: one call per frame takes the window's waiting messages,
// blocks while the window is inactive and runs the per-frame pumps. A
// message thread started with the window calls it every 17 ms.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

// 1 while the key-input step of message processing runs.
extern int32_t ProcessMessageGuard;
// The millisecond time at which waiting for activation began, and whether
// it is set.
extern uint32_t InactiveSince;
extern int32_t InactiveSinceSet;
// 1 while a window-mode repaint runs.
extern int32_t WindowRepaintRunning;

// 0, or -1 once the window is closed.
int ProcessMessage();
// Holds drawing and input work back while the window is inactive.
void WaitWhileInactive();
// The message thread's body: message processing every 17 ms under the
// library lock until the window is closed.
DWORD MessageThreadProc(LPVOID parameter);
