// The state of the network layer, its records, accepting a connection and
// the socket event handler.
#include "runtime/network/network_handle.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/network/network.h"

NetWorkHandleListEnds NetWorkHandleList = {};
int32_t NetWorkIdCounter = 0;
int32_t NetWorkStartedFlag = 0;
HWND NetWorkWindow = nullptr;
int32_t NetWorkBufferingOff = 0;
int32_t NetWorkAutoCloseOff = 0;
int32_t NetWorkWindowEndedFlag = 0;
int32_t RecvSocketGuard = 0;
int32_t SendSocketGuard = 0;

namespace {

// New records take the slot the layer chooses and the layer's own check id;
// a failed record allocation is logged and the add gives -1.
const HandleKindPolicy kNetWorkHandlePolicy = {
    false, "", false, "ソケット用のメモリの確保に失敗しました\n", true,
};

// The socket events a connection is selected for.
constexpr LONG kConnectionEvents = FD_READ | FD_WRITE | FD_CLOSE;

}  // namespace

NetWorkHandleRecord* GetNetWorkRecord(RuntimeHandle handle) {
  return reinterpret_cast<NetWorkHandleRecord*>(CheckRuntimeHandle(NetWorkHandleTable, handle));
}

int32_t LowestEmptyNetWorkSlot() {
  for (int32_t slot = 0; slot < kNetWorkConnectionSlots; ++slot) {
    if (NetWorkHandleTable.records[slot] == nullptr) return slot;
  }
  return -1;
}

NetWorkHandleRecord* AddNetWorkRecord(int32_t slot) {
  HandleRecordHead* head = nullptr;
  const RuntimeHandle handle =
      AddHandleRecord(&NetWorkHandleTable, kNetWorkHandlePolicy, sizeof(NetWorkHandleRecord), slot,
                      NetWorkIdCounter, &head);
  if (handle == -1) return nullptr;
  auto* record = reinterpret_cast<NetWorkHandleRecord*>(head);
  record->UseFlag = 1;
  record->ErrorFlag = 0;
  record->ConnectionFlag = 1;
  record->LostNotifiedFlag = 0;
  record->BufferedFlag = NetWorkBufferingOff == 0 ? 1 : 0;
  record->AutoCloseFlag = NetWorkAutoCloseOff == 0 ? 1 : 0;
  InsertListNodeAfterStart(&NetWorkHandleList.head, &record->ListNode, handle, record);
  // The rings start empty, without storage, and no packet is under way: the
  // record came cleared.
  return record;
}

void RemoveNetWorkRecord(NetWorkHandleRecord* record) {
  UnlinkListNode(&record->ListNode);
  if (record->Socket != 0 && record->Socket != INVALID_SOCKET) closesocket(record->Socket);
  FreeRingBuffer(&record->RecvBuffer);
  FreeRingBuffer(&record->SendBuffer);
  record->UseFlag = 0;
  FreeHandleRecord(&NetWorkHandleTable, &record->head);
}

void AdvanceNetWorkIdCounter() {
  NetWorkIdCounter = NetWorkIdCounter >= kHandleCheckIdMax ? 0 : NetWorkIdCounter + 1;
}

void ClearNetWorkState() {
  std::memset(NetWorkHandleTable.records, 0,
              sizeof(NetWorkHandleTable.records[0]) * NetWorkHandleTable.slot_count);
  NetWorkHandleTable.live_count = 0;
  NetWorkHandleTable.area_end = 0;
  NetWorkHandleTable.check_counter = 0;
  NetWorkHandleList = {};
  NetWorkIdCounter = 0;
  NetWorkStartedFlag = 0;
  NetWorkWindow = nullptr;
  NetWorkBufferingOff = 0;
  NetWorkAutoCloseOff = 0;
  NetWorkWindowEndedFlag = 0;
}

int AcceptNetWork() {
  if (NetWorkStartedFlag == 0) return -1;
  ProcessNetWorkMessages(0);
  const NetWorkHandleRecord* listening =
      reinterpret_cast<NetWorkHandleRecord*>(NetWorkHandleTable.records[ListeningSlot]);
  if (listening == nullptr) return -1;

  const int32_t slot = LowestEmptyNetWorkSlot();
  if (slot < 0) return LogAdd("空きソケットデータがなかったので accept を拒否しました \n");
  NetWorkHandleRecord* record = AddNetWorkRecord(slot);
  if (record == nullptr) return -1;

  sockaddr_in address{};
  int length = sizeof(address);
  record->Socket = accept(listening->Socket, reinterpret_cast<sockaddr*>(&address), &length);
  if (record->Socket == INVALID_SOCKET) {
    LogNetWorkError("acceptに失敗しました");
    RemoveNetWorkRecord(record);
    return -1;
  }
  std::memcpy(record->PeerIp, &address.sin_addr, sizeof(record->PeerIp));
  record->PeerPort = address.sin_port;

  if (WSAAsyncSelect(record->Socket, NetWorkWindow, kSocketEventMessage, kConnectionEvents) ==
      SOCKET_ERROR) {
    LogNetWorkError("WSAAsyncSelectのエラー in AcceptNetWork");
    RemoveNetWorkRecord(record);
    return -1;
  }
  AdvanceNetWorkIdCounter();
  return 1;
}

LRESULT HandleSocketEvent(LPARAM lparam, WPARAM wparam) {
  const SOCKET s = static_cast<SOCKET>(wparam);
  NetWorkHandleRecord* record = nullptr;
  // A list never linked (the layer not started) holds nothing.
  for (ListNode* node = NetWorkHandleList.head.next; node != nullptr && node->next != nullptr;
       node = node->next) {
    auto* candidate = static_cast<NetWorkHandleRecord*>(node->data);
    if (candidate->Socket == s) {
      record = candidate;
      break;
    }
  }
  if (record == nullptr) {
    LogAdd("通信エラー No.1\n");
    return 0;
  }

  const RuntimeHandle handle = record->ListNode.value;
  switch (WSAGETSELECTEVENT(lparam)) {
    case FD_READ:
      RecvSocket(handle);
      return 1;
    case FD_WRITE:
      SendSocket(handle);
      return 1;
    case FD_ACCEPT:
      return AcceptNetWork();
    case FD_CONNECT:
      if (WSAGETSELECTERROR(lparam) == 0) record->ConnectionFlag = 1;
      return 1;
    case FD_CLOSE:
      record->ConnectionFlag = 0;
      record->LostNotifiedFlag = 0;
      return 1;
    default:
      return 1;
  }
}
