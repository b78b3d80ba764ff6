// Network handles: the record of each connection, the state of the layer,
// accepting connections, the socket event handler, the framing pumps, and the
// pump, release and end of the layer.
//
// A network handle is a RuntimeHandle of kind 9 whose record lives in the
// core's NetWorkHandleTable: slots 0..4095 hold connections, slot 4096 the
// listening socket. Every live record is also linked into NetWorkHandleList,
// so that a socket event finds its record by socket. A buffered handle frames
// its byte stream into packets: a 4-byte little-endian length word followed
// by that many bytes, received into and sent from two rings.
//
// Everything runs on the thread that holds the library lock for the call that
// reaches it; nothing here locks. The framing pumps pump the network window,
// which can dispatch socket events and so call them again: one guard each
// (for all handles together) makes such a nested call return -1 at once.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "platform/win32/winsock.h"
#include "runtime/core/handle.h"
#include "runtime/core/linked_list.h"
#include "runtime/core/memory.h"

// The slot of the listening socket's record.
constexpr int32_t ListeningSlot = 4096;
// Slots below it hold connections.
constexpr int32_t kNetWorkConnectionSlots = 4096;
// The longest packet a buffered handle takes. The receive ring is grown for
// a whole packet as soon as its 4-byte length word comes, before any byte of
// the packet: a longer length word is refused as a packet the ring cannot
// hold, so a peer cannot make the process reserve more than this. The send
// pump cuts a larger batch into packets of at most this size, which the
// receiver joins again (packet bounds are never handed to the user).
constexpr int32_t kMaxNetWorkPacketBytes = 16 * 1024 * 1024;

struct NetWorkHandleRecord {
  HandleRecordHead head;  // head.check_id is the record's CheckId
  int32_t UseFlag;        // 1 while live
  int32_t ErrorFlag;      // 1 after a failed growth of the receive ring, for good
  int32_t ConnectionFlag;  // 1 while connected
  int32_t LostNotifiedFlag;  // 1 once a lost connection was reported to the user
  int32_t BufferedFlag;   // 1: packets through both rings; 0: raw socket calls
  int32_t AutoCloseFlag;  // 1: the auto-close pass releases it once its loss was reported
  SOCKET Socket;          // 0 once released
  // Bytes of the incoming packet still to come; 0 between packets. The
  // incoming length word is received straight into it (the host is
  // little-endian, as the wire is).
  int32_t RecvPacketLeft;
  RingBuffer RecvBuffer;
  int32_t RecvPacketSize;
  // Bytes of complete packets the user has not taken yet.
  int32_t RecvCompleteBytes;
  RingBuffer SendBuffer;  // its count is the number of queued bytes
  // Bytes of the outgoing batch still to send; 0 between batches. Its four
  // bytes in memory order are the outgoing length word.
  int32_t SendPacketLeft;
  // Bytes of the outgoing length word not sent yet (0..3).
  int32_t SendHeaderLeft;
  uint8_t PeerIp[4];  // the peer's address bytes in order
  // The port field of the peer's address as it came (network byte order).
  int32_t PeerPort;
  // The record's node of NetWorkHandleList: its handle and the record.
  ::ListNode ListNode;
};

// The two sentinels of the list of live records. Walks start at the head's
// next node and stop at the node whose next is null (the tail); new nodes go
// right after the head.
struct NetWorkHandleListEnds {
  ListNode head;
  ListNode tail;
};

// The state of the layer. EndNetWorkSystem clears it all (the table's records
// and counts included); the two guards stay apart.
extern NetWorkHandleListEnds NetWorkHandleList;
// The check id of the next record, 0..2047.
extern int32_t NetWorkIdCounter;
// Not 0 while the socket layer is up.
extern int32_t NetWorkStartedFlag;
// Where socket events go; pumped by ProcessNetWorkMessages.
extern HWND NetWorkWindow;
// Settings: 0 gives new handles BufferedFlag 1, AutoCloseFlag 1.
extern int32_t NetWorkBufferingOff;
extern int32_t NetWorkAutoCloseOff;
// Set once the network window has gone.
extern int32_t NetWorkWindowEndedFlag;
extern int32_t RecvSocketGuard;
extern int32_t SendSocketGuard;

// The handle of the record in `slot` with check id `check_id`.
constexpr RuntimeHandle NetWorkHandleOf(int32_t check_id, int32_t slot) {
  return MakeRuntimeHandle(check_id, HandleType::kNetWork, slot);
}
// The record of `handle`, or null when the handle fails the test.
NetWorkHandleRecord* GetNetWorkRecord(RuntimeHandle handle);
// The lowest empty slot of 0..4095, or -1.
int32_t LowestEmptyNetWorkSlot();
// Puts a cleared record into the empty `slot` with NetWorkIdCounter as its
// check id (the counter stays), in use and connected, buffered and
// auto-closed by the settings, and links it right after the list's head.
// Null (after the log line) when no memory is left.
NetWorkHandleRecord* AddNetWorkRecord(int32_t slot);
// Takes a record that AddNetWorkRecord made out again: unlinked, its socket
// closed unless it is 0 or INVALID_SOCKET, its rings freed, the record freed
// and its slot emptied.
void RemoveNetWorkRecord(NetWorkHandleRecord* record);
// Moves NetWorkIdCounter on by one, back to 0 after 2047.
void AdvanceNetWorkIdCounter();
// Clears the whole state of the layer (the table included) to zero.
void ClearNetWorkState();

// Accepts a waiting connection of the listening socket into a new handle in
// the lowest empty slot: 1, or -1.
int AcceptNetWork();
// The receive and send pumps of a buffered handle: 0, or -1 (a bad or busy
// handle, a receive ring that could not grow).
int RecvSocket(RuntimeHandle handle);
int SendSocket(RuntimeHandle handle);

// Releases every handle in error and every handle with auto-close on whose
// loss was reported (with `close_pass` 1), then dispatches the network
// window's waiting messages. 0.
int ProcessNetWorkMessages(int32_t close_pass);
// Drains (up to 1000 ms each way), closes and frees one handle: 0, or -1 for
// a handle that is not valid or when the layer is not started. A handle in
// error is not drained, and the receive drain ends once the rest of the
// packet can no longer come (the peer has closed and nothing is left, or the
// connection failed).
int ReleaseNetWorkHandle(RuntimeHandle handle);
// Logs the formatted text with the calling thread's last WinSock error in
// brackets behind it; -1.
int LogNetWorkError(const char* format, ...) __attribute__((format(printf, 1, 2)));
