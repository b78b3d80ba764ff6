// The messages waiting in the window queues, for the stand-ins that post into
// them from other threads and must take back what no longer applies.
#pragma once

#include <functional>
#include <vector>

#include "platform/win32/user.h"

// Takes every waiting message of `window` that `match` accepts out of its
// queue and returns them, oldest first.
std::vector<MSG> TakeQueuedMessages(HWND window, const std::function<bool(const MSG&)>& match);
// Whether a message of `window` that `match` accepts is waiting.
bool HasQueuedMessage(HWND window, const std::function<bool(const MSG&)>& match);
