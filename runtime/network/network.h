// The network layer as message processing and library end use it: the
// per-frame pumps of socket messages and HTTP transfers, the socket event
// handler of the window procedures, and the end of the layer. The program
// never starts the network, so every pump returns at its first check.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

// The window message that carries socket events (also called
// NetWorkSocketMessage): WM_USER + 0x105.
constexpr UINT kSocketEventMessage = 1285;

// Live HTTP transfers: 100 slots and the count of slots in use.
constexpr int32_t kHttpTransferSlots = 100;
struct HttpTransfer;
struct HttpTransferSlots {
  HttpTransfer* transfers[kHttpTransferSlots];
  int32_t count;
};
extern HttpTransferSlots HttpTransferTable;

// Takes and dispatches the network window's waiting messages; with
// `close_pass` 1 first releases every connection that has ended. 0 (at once
// while the network is not started).
int ProcessNetWorkMessages(int32_t close_pass);
// Steps every live HTTP transfer. 0.
int ProcessHttpTransfers();
// One step of the transfer in `slot`; -1 for an empty slot.
int StepHttpTransfer(int32_t slot);
// Deletes every live transfer. 0.
int DeleteAllHttpTransfers();
// Ends the network layer. 0 (at once when it was never started).
int EndNetWorkSystem();
// Handles a socket event message (its second and first parameter): the
// window procedure returns the result.
LRESULT HandleSocketEvent(LPARAM lparam, WPARAM wparam);
