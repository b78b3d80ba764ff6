// The framing pumps of a buffered handle: RecvSocket moves whole packets from
// the socket into the receive ring, SendSocket moves the queued bytes out as
// packets. Each stops where the socket has nothing more to give or take and
// goes on at the next socket event or data operation. The network window is
// pumped after every piece, so a socket event can call a pump again while it
// runs: the pump's guard makes that nested call give -1 at once.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/win32/user.h"
#include "runtime/core/log.h"
#include "runtime/network/network.h"
#include "runtime/network/network_handle.h"

namespace {

// Sets a pump's guard back to 0 on every way out.
class GuardRelease {
 public:
  explicit GuardRelease(int32_t* guard) : guard_(guard) {}
  ~GuardRelease() { *guard_ = 0; }
  GuardRelease(const GuardRelease&) = delete;
  GuardRelease& operator=(const GuardRelease&) = delete;

 private:
  int32_t* guard_;
};

// A socket event that reached a pump while the pump ran, refused by the guard:
// posted again once the pump has ended, so that it runs a pass of its own.
// The pump stopped at the piece before it and would otherwise wait for an
// event that has already come. One event per handle, however many were
// refused: one pass takes everything there is, and posting each refusal again
// would let the events of a fast stream multiply, each pass refusing more.
struct RefusedEvent {
  bool refused = false;
  std::vector<RuntimeHandle> handles;

  void Add(RuntimeHandle handle) {
    refused = true;
    if (std::find(handles.begin(), handles.end(), handle) == handles.end()) {
      handles.push_back(handle);
    }
  }
};
RefusedEvent refused_recv;
RefusedEvent refused_send;

class RepostRefused {
 public:
  RepostRefused(RefusedEvent* refused, LONG event) : refused_(refused), event_(event) {
    refused_->refused = false;
    refused_->handles.clear();
  }
  ~RepostRefused() {
    if (!refused_->refused) return;
    refused_->refused = false;
    for (const RuntimeHandle handle : refused_->handles) {
      const NetWorkHandleRecord* record = GetNetWorkRecord(handle);
      if (record == nullptr || record->UseFlag == 0 || NetWorkWindow == nullptr) continue;
      PostMessageA(NetWorkWindow, kSocketEventMessage, static_cast<WPARAM>(record->Socket),
                   static_cast<LPARAM>(event_));
    }
    refused_->handles.clear();
  }
  RepostRefused(const RepostRefused&) = delete;
  RepostRefused& operator=(const RepostRefused&) = delete;

 private:
  RefusedEvent* refused_;
  LONG event_;
};

char* At(RingBuffer& ring, int32_t position) {
  return reinterpret_cast<char*>(ring.data) + position;
}

// Moves `left` bytes between the socket and the ring at `*position` with
// `move(address, count)` (a recv or a send). When they would pass the end of
// the ring: the piece up to the end, and only when that went whole, the rest
// from the ring's start; a failed second piece leaves the position at 0 and
// the first piece counted. The bytes moved, or SOCKET_ERROR when the first
// piece failed; the position follows the bytes moved.
template <typename Move>
int MoveThroughRing(RingBuffer& ring, int32_t* position, int32_t left, Move move) {
  if (static_cast<int64_t>(*position) + left <= ring.capacity) {
    const int moved = move(At(ring, *position), left);
    if (moved == SOCKET_ERROR) return SOCKET_ERROR;
    *position += moved;
    return moved;
  }
  const int32_t room = ring.capacity - *position;
  int moved = move(At(ring, *position), room);
  if (moved == SOCKET_ERROR) return SOCKET_ERROR;
  if (moved < room) {
    *position += moved;
    return moved;
  }
  const int second = move(At(ring, 0), left - moved);
  if (second == SOCKET_ERROR) {
    *position = 0;
  } else {
    *position = second;
    moved += second;
  }
  return moved;
}

}  // namespace

int RecvSocket(RuntimeHandle handle) {
  if (NetWorkStartedFlag == 0 || GetNetWorkRecord(handle) == nullptr) return -1;
  if (RecvSocketGuard == 1) {
    refused_recv.Add(handle);
    return -1;
  }
  RecvSocketGuard = 1;
  GuardRelease release(&RecvSocketGuard);
  RepostRefused repost(&refused_recv, FD_READ);

  ProcessNetWorkMessages(0);
  NetWorkHandleRecord* const record = GetNetWorkRecord(handle);
  if (record == nullptr || record->UseFlag == 0) {
    return LogAdd("有効なネットワークハンドルではありません in RecvSocket\n");
  }
  if (record->ErrorFlag == 1) {
    return LogAdd("このネットワークハンドルにはエラーが発生しています in RecvSocket\n");
  }
  if (record->BufferedFlag != 1) return 0;

  RingBuffer& ring = record->RecvBuffer;
  const SOCKET s = record->Socket;
  for (;;) {
    if (record->RecvPacketLeft == 0) {
      // A packet begins once its whole length word is there; a shorter peek
      // keeps nothing.
      char word[4];
      if (recv(s, word, 4, MSG_PEEK) < 4) break;
      if (recv(s, reinterpret_cast<char*>(&record->RecvPacketLeft), 4, 0) < 4) break;
      record->RecvPacketSize = record->RecvPacketLeft;
      // A negative length word could never be received, and a longer one
      // than kMaxNetWorkPacketBytes would reserve its whole length before
      // any of it came: both fail as a length the ring cannot hold does, and
      // the handle is in error for good.
      if (record->RecvPacketLeft < 0 || record->RecvPacketLeft > kMaxNetWorkPacketBytes ||
          GrowRingBuffer(record->RecvPacketLeft, &ring) != 0) {
        LogPrintf("受信データを保存するリングバッファのリサイズに失敗しました(データサイズ %d byte)",
                  record->RecvPacketLeft);
        record->ErrorFlag = 1;
        return -1;
      }
    }
    ResetRingIndexes(&ring);

    const int got = MoveThroughRing(ring, &ring.write_position, record->RecvPacketLeft,
                                    [&](char* at, int n) { return recv(s, at, n, 0); });
    if (got == SOCKET_ERROR) break;
    ring.count += got;
    record->RecvPacketLeft -= got;
    if (record->RecvPacketLeft == 0) record->RecvCompleteBytes += record->RecvPacketSize;

    ProcessNetWorkMessages(0);
    if (got <= 0 || record->RecvPacketLeft != 0) break;
  }
  return 0;
}

int SendSocket(RuntimeHandle handle) {
  if (NetWorkStartedFlag == 0 || GetNetWorkRecord(handle) == nullptr) return -1;
  if (SendSocketGuard == 1) {
    refused_send.Add(handle);
    return -1;
  }
  SendSocketGuard = 1;
  GuardRelease release(&SendSocketGuard);
  RepostRefused repost(&refused_send, FD_WRITE);

  ProcessNetWorkMessages(0);
  NetWorkHandleRecord* const record = GetNetWorkRecord(handle);
  if (record == nullptr || record->UseFlag == 0) {
    return LogAdd("有効なネットワークハンドルではありません in SendSocket\n");
  }
  if (record->ErrorFlag == 1) {
    return LogAdd("このネットワークハンドルにはエラーが発生しています in SendSocket\n");
  }
  RingBuffer& ring = record->SendBuffer;
  if (ring.count == 0) return 0;
  if (record->BufferedFlag != 1) return 0;

  const SOCKET s = record->Socket;
  const char* const word = reinterpret_cast<const char*>(&record->SendPacketLeft);
  for (;;) {
    if (record->SendHeaderLeft != 0) {
      // The rest of a length word that went out in part.
      const int sent = send(s, word + 4 - record->SendHeaderLeft, record->SendHeaderLeft, 0);
      if (sent == SOCKET_ERROR) break;
      record->SendHeaderLeft -= sent;
      if (record->SendHeaderLeft != 0) break;
    }
    if (record->SendPacketLeft == 0) {
      // A batch begins: everything queued now is one packet, up to the
      // longest packet a receiver takes.
      record->SendPacketLeft = std::min(ring.count, kMaxNetWorkPacketBytes);
      const int sent = send(s, word, 4, 0);
      if (sent == SOCKET_ERROR) {
        record->SendPacketLeft = 0;
        return 0;
      }
      if (sent < 4) {
        record->SendHeaderLeft = 4 - sent;
        break;
      }
    }
    ResetRingIndexes(&ring);

    const int sent = MoveThroughRing(ring, &ring.read_position, record->SendPacketLeft,
                                     [&](char* at, int n) { return send(s, at, n, 0); });
    if (sent == SOCKET_ERROR) break;
    ring.count -= sent;
    record->SendPacketLeft -= sent;

    ProcessNetWorkMessages(0);
    if (sent == 0 || record->SendPacketLeft != 0 || ring.count == 0) break;
  }
  return 0;
}
