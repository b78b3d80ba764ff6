// Network operations whose own code is not written yet. The network is never
// started, so each gives the answer of a layer that is not running.
#include "runtime/network/network.h"

HttpTransferSlots HttpTransferTable = {};

// No transfers exist.
int ProcessHttpTransfers() { return 0; }
// Every slot is empty.
int StepHttpTransfer(int32_t) { return -1; }
// No transfers exist.
int DeleteAllHttpTransfers() { return 0; }
