// Message processing: one call per frame takes the window's waiting messages,
// blocks while the window is inactive and runs the per-frame pumps.
#pragma once

// 0, or -1 once the window is closed.
int ProcessMessage();
// Holds drawing and input work back while the window is inactive.
void WaitWhileInactive();
