// Network operations whose own code is not written yet. The network is never
// started, so each gives the answer of a layer that is not running.
#include "runtime/network/network.h"

HttpTransferSlots HttpTransferTable = {};

// Not started: nothing to pump.
int ProcessNetWorkMessages(int32_t) { return 0; }
// No transfers exist.
int ProcessHttpTransfers() { return 0; }
// Every slot is empty.
int StepHttpTransfer(int32_t) { return -1; }
// No transfers exist.
int DeleteAllHttpTransfers() { return 0; }
// Never started: nothing to end.
int EndNetWorkSystem() { return 0; }
// No sockets exist: the message is not the network's.
LRESULT HandleSocketEvent(LPARAM, WPARAM) { return 0; }
