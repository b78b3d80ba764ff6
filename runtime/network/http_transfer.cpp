// The table of HTTP transfers: finishing and deleting a transfer, the walks
// over every live one, and the connection test that comes before every step.
#include "runtime/network/http_transfer.h"

#include "platform/win32/kernel.h"
#include "platform/win32/winsock.h"
#include "runtime/core/memory.h"
#include "runtime/network/network_data.h"
#include "runtime/network/network_handle.h"

HttpTransferSlots HttpTransferTable = {};
char HttpGetFileBuffer[kHttpFileBufferBytes];
char HttpPostFileBuffer[kHttpFileBufferBytes];

namespace {

// Calls `each(slot)` for the live transfers, from slot 0 up, until as many
// as were live at the start were handled.
template <typename Each>
void ForEachLiveTransfer(Each each) {
  const int32_t count = HttpTransferTable.count;
  int32_t handled = 0;
  for (int32_t slot = 0; slot < kHttpTransferSlots && handled < count; ++slot) {
    if (HttpTransferTable.transfers[slot] == nullptr) continue;
    ++handled;
    each(slot);
  }
}

}  // namespace

HttpTransfer* GetHttpTransfer(int32_t slot) {
  if (slot < 0 || slot >= kHttpTransferSlots) return nullptr;
  return HttpTransferTable.transfers[slot];
}

int FinishHttpTransfer(int32_t slot, int32_t result, int32_t detail) {
  HttpTransfer* const transfer = GetHttpTransfer(slot);
  if (transfer == nullptr) return -1;
  if (transfer->NetHandle != -1) {
    ReleaseNetWorkHandle(transfer->NetHandle);
    transfer->NetHandle = -1;
  }
  if (transfer->PostData != nullptr) {
    FreeTracked(transfer->PostData);
    transfer->PostData = nullptr;
  }
  if (transfer->FileHandle != nullptr) {
    CloseHandle(transfer->FileHandle);
    transfer->FileHandle = nullptr;
  }
  if (transfer->Result == kHttpRunning) transfer->Result = result;
  if (transfer->ErrorDetail == kHttpNoDetail) transfer->ErrorDetail = detail;
  if (transfer->BufferHolder != nullptr && transfer->Result != kHttpDone) {
    FreeTracked(*transfer->BufferHolder);
    *transfer->BufferHolder = nullptr;
    // The holder is done with: a later finish (the delete) must not free
    // what the caller keeps in that pointer by then, nor reach a pointer
    // that no longer lives.
    transfer->BufferHolder = nullptr;
  }
  return 0;
}

int DeleteHttpTransfer(int32_t slot) {
  HttpTransfer* const transfer = GetHttpTransfer(slot);
  if (transfer == nullptr) return -1;
  FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail);
  FreeTracked(transfer);
  HttpTransferTable.transfers[slot] = nullptr;
  HttpTransferTable.count -= 1;
  return 0;
}

int DeleteAllHttpTransfers() {
  ForEachLiveTransfer([](int32_t slot) { DeleteHttpTransfer(slot); });
  return 0;
}

int ProcessHttpTransfers() {
  ForEachLiveTransfer([](int32_t slot) { StepHttpTransfer(slot); });
  return 0;
}

int StepHttpTransfer(int32_t slot) {
  HttpTransfer* const transfer = GetHttpTransfer(slot);
  if (transfer == nullptr) return -1;
  if (transfer->Result != kHttpRunning) return 0;

  // A handle released under the transfer can never end it.
  const NetWorkHandleRecord* const record = GetNetWorkRecord(transfer->NetHandle);
  if (record == nullptr) return FinishHttpTransfer(slot, kHttpFailed, kHttpConnectionLost);

  const int connected = GetNetWorkAcceptState(transfer->NetHandle);
  int read_error = 0;
  const int waiting = GetNetWorkDataLengthAndError(transfer->NetHandle, &read_error);
  if (connected == 0 && waiting == 0) {
    // The peer has closed and everything was read. A body without a length
    // ends with the stream: it is complete.
    if (transfer->Method != kHttpHead && transfer->Step == 3 && transfer->ContentLength == -1) {
      transfer->Step = 4;
      return FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail);
    }
    // A status line cut short by the close is an answer not understood; a
    // cut header line, as any other end before the answer is complete, a
    // lost connection.
    if (transfer->Step <= 1 && transfer->PendingLineBytes > 0) {
      return FinishHttpTransfer(slot, kHttpFailed, kHttpOtherStatus);
    }
    return FinishHttpTransfer(slot, kHttpFailed, kHttpConnectionLost);
  }
  // A connection that ended with a reset may keep failing its reads instead
  // of reporting the end. Only the failure of this step's own read counts.
  if (record->ConnectionFlag == 0 && waiting < 0 && read_error != 0 &&
      read_error != WSAEWOULDBLOCK) {
    return FinishHttpTransfer(slot, kHttpFailed, kHttpConnectionLost);
  }

  switch (transfer->Method) {
    case kHttpGet:
      return StepHttpGet(slot);
    case kHttpPost:
      return StepHttpPost(slot);
    case kHttpHead:
      return StepHttpHead(slot);
    default:
      return 0;
  }
}
