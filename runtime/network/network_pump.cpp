// Keeping the network layer moving and taking it down: the pump of the
// network window with its auto-close pass, the release of one handle, the end
// of the layer, and the layer's log line for WinSock failures.
#include <cstdarg>

#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/format.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/network/network.h"
#include "runtime/network/network_handle.h"

namespace {

// How long each drain of a release may spin, in milliseconds.
constexpr DWORD kDrainMilliseconds = 1000;

// A peer-closed handle goes once its loss was reported and auto-close is on;
// a handle in error goes whatever its auto-close.
bool ReleasedByClosePass(const NetWorkHandleRecord& record) {
  if (record.UseFlag != 1) return false;
  return record.ErrorFlag == 1 || (record.ConnectionFlag == 0 && record.LostNotifiedFlag == 1 &&
                                   record.AutoCloseFlag == 1);
}

// Whether the rest of a packet can no longer come on `s`: the peer has ended
// its side and every byte was read (a peek finds the end of the stream), or
// the connection has failed (a peek fails other than by finding nothing yet).
bool NoMoreBytesCanCome(SOCKET s) {
  char byte;
  const int peeked = recv(s, &byte, 1, MSG_PEEK);
  if (peeked == 0) return true;
  return peeked == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK;
}

}  // namespace

int ProcessNetWorkMessages(int32_t close_pass) {
  if (NetWorkWindow == nullptr || NetWorkStartedFlag == 0) return 0;
  if (close_pass == 1) {
    ListNode* node = NetWorkHandleList.head.next;
    while (node->next != nullptr) {
      // The release unlinks the node: its next is taken first.
      ListNode* const next = node->next;
      if (ReleasedByClosePass(*static_cast<NetWorkHandleRecord*>(node->data))) {
        ReleaseNetWorkHandle(node->value);
      }
      node = next;
    }
  }
  MSG message;
  while (PeekMessageA(&message, NetWorkWindow, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

int ReleaseNetWorkHandle(RuntimeHandle handle) {
  if (NetWorkStartedFlag == 0) return -1;
  NetWorkHandleRecord* const record = GetNetWorkRecord(handle);
  if (record == nullptr || record->UseFlag == 0) return -1;
  ProcessNetWorkMessages(0);

  // The rest of a packet under way, then everything queued, each for a
  // limited time, spinning without sleep. A handle in error takes and sends
  // nothing any more, so neither drain runs for it (each turn would only add
  // the pump's log line); nor does the receive drain wait for a rest that can
  // no longer come.
  DWORD start = timeGetTime();
  while (timeGetTime() - start < kDrainMilliseconds && record->RecvPacketLeft != 0 &&
         record->ErrorFlag != 1) {
    ProcessNetWorkMessages(0);
    RecvSocket(handle);
    if (record->RecvPacketLeft != 0 && NoMoreBytesCanCome(record->Socket)) break;
  }
  start = timeGetTime();
  while (timeGetTime() - start < kDrainMilliseconds && record->SendBuffer.count != 0 &&
         record->ErrorFlag != 1) {
    ProcessNetWorkMessages(0);
    SendSocket(handle);
  }

  // No more events, then the socket goes.
  WSAAsyncSelect(record->Socket, NetWorkWindow, 0, 0);
  closesocket(record->Socket);
  record->Socket = 0;
  FreeRingBuffer(&record->RecvBuffer);
  FreeRingBuffer(&record->SendBuffer);
  record->UseFlag = 0;
  record->ConnectionFlag = 0;
  record->LostNotifiedFlag = 1;
  UnlinkListNode(&record->ListNode);
  FreeHandleRecord(&NetWorkHandleTable, &record->head);
  return 0;
}

int EndNetWorkSystem() {
  if (NetWorkStartedFlag == 0) return 0;
  LogAdd("ネットワーク関連の終了処理を行います \n");
  for (int32_t slot = 0; slot <= ListeningSlot; ++slot) {
    const HandleRecordHead* const record = NetWorkHandleTable.records[slot];
    if (record != nullptr) ReleaseNetWorkHandle(NetWorkHandleOf(record->check_id, slot));
  }
  if (NetWorkWindow != nullptr) {
    PostMessageA(NetWorkWindow, WM_CLOSE, 0, 0);
    // One pump dispatches the close, unless the window has gone already.
    if (NetWorkWindowEndedFlag == 0) ProcessNetWorkMessages(0);
  }
  ClearNetWorkState();
  // No ring is left: the block kept for the next connection's ring goes too.
  ReleaseKeptRingBlock();
  WSACleanup();
  LogAdd("ネットワーク関連の終了処理は完了しました\n");
  return 0;
}

int LogNetWorkError(const char* format, ...) {
  const int error = WSAGetLastError();
  char text[kFormatBufferSize];
  va_list args;
  va_start(args, format);
  FormatToBuffer(text, sizeof(text), format, args);
  va_end(args);
  return LogPrintf("ネットワークログ。%s[%d]", text, error);
}
