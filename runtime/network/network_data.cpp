// The data operations on a network handle. Each makes its entry checks in its
// own order; those past the handle test write the operation's own log line.
#include "runtime/network/network_data.h"

#include <cstring>

#include "runtime/core/log.h"
#include "runtime/network/network_handle.h"
#include "runtime/network/ring_buffer.h"

namespace {

// The two log lines of one operation.
struct EntryLines {
  const char* not_in_use;
  const char* in_error;
};

constexpr EntryLines kAcceptStateLines = {
    "有効なネットワークハンドルではありません in GetNetWorkAcceptState\n",
    "このネットワークハンドルにはエラーが発生しています in GetNetWorkAcceptStateh\n",
};
constexpr EntryLines kDataLengthLines = {
    "有効なネットワークハンドルではありません in GetNetWorkDataLength\n",
    "このネットワークハンドルにはエラーが発生しています in GetNetWorkDataLength\n",
};
constexpr EntryLines kRecvLines = {
    "有効なネットワークハンドルではありません in NetWorkRecv\n",
    "このネットワークハンドルにはエラーが発生しています in NetWorkRecv\n",
};
constexpr EntryLines kPeekLines = {
    "有効なネットワークハンドルではありません in NetWorkRecvToPeek\n",
    "このネットワークハンドルにはエラーが発生しています in NetWorkRecvToPeek\n",
};
constexpr EntryLines kSendLines = {
    "有効なネットワークハンドルではありません in NetWorkSend\n",
    "このネットワークハンドルにはエラーが発生しています in NetWorkSend\n",
};

// The handle test and the two flag tests: the record, or null after the line
// the failed test writes (none for a bad handle).
NetWorkHandleRecord* UsableRecord(RuntimeHandle handle, const EntryLines& lines) {
  NetWorkHandleRecord* const record = GetNetWorkRecord(handle);
  if (record == nullptr) return nullptr;
  if (record->UseFlag == 0) {
    LogAdd(lines.not_in_use);
    return nullptr;
  }
  if (record->ErrorFlag == 1) {
    LogAdd(lines.in_error);
    return nullptr;
  }
  return record;
}

// NetWorkRecv and NetWorkRecvToPeek: `peek` 1 leaves the bytes in place.
// `socket_error`, when given, receives the WinSock error of an unbuffered
// recv that failed, taken as it failed, and 0 for every other way out.
int Receive(RuntimeHandle handle, void* buffer, int32_t n, int32_t peek, const EntryLines& lines,
            int* socket_error = nullptr) {
  if (socket_error != nullptr) *socket_error = 0;
  if (n < 0 || GetNetWorkRecord(handle) == nullptr || NetWorkStartedFlag == 0) return -1;
  ProcessNetWorkMessages(0);
  if (UsableRecord(handle, lines) == nullptr) return -1;
  if (RecvSocket(handle) < 0) return -1;
  NetWorkHandleRecord* const record = GetNetWorkRecord(handle);
  if (record->BufferedFlag != 1) {
    const int got = recv(record->Socket, static_cast<char*>(buffer), n, peek == 1 ? MSG_PEEK : 0);
    if (got == SOCKET_ERROR && socket_error != nullptr) *socket_error = WSAGetLastError();
    return got;
  }
  if (record->RecvBuffer.count < n) return -1;
  ReadRingBuffer(&record->RecvBuffer, buffer, n, peek);
  // The count also holds bytes of a packet still arriving: a caller that
  // takes more than was reported as complete drives this below the real
  // count.
  if (peek == 0) record->RecvCompleteBytes -= n;
  RecvSocket(handle);
  return 0;
}

}  // namespace

int GetNetWorkAcceptState(RuntimeHandle handle) {
  if (NetWorkStartedFlag == 0) return -1;
  ProcessNetWorkMessages(0);
  NetWorkHandleRecord* const record = UsableRecord(handle, kAcceptStateLines);
  if (record == nullptr) return -1;
  // The loss counts as reported from here on.
  if (record->ConnectionFlag == 0 && record->LostNotifiedFlag == 0) record->LostNotifiedFlag = 1;
  return record->ConnectionFlag == 1 ? 1 : 0;
}

int GetNetWorkDataLength(RuntimeHandle handle) {
  int socket_error;
  return GetNetWorkDataLengthAndError(handle, &socket_error);
}

int GetNetWorkDataLengthAndError(RuntimeHandle handle, int* socket_error) {
  *socket_error = 0;
  if (NetWorkStartedFlag == 0) return -1;
  // The pumps test the handle themselves.
  ProcessNetWorkMessages(0);
  RecvSocket(handle);
  SendSocket(handle);
  NetWorkHandleRecord* const record = UsableRecord(handle, kDataLengthLines);
  if (record == nullptr) return -1;
  if (record->BufferedFlag == 1) return record->RecvCompleteBytes;
  char byte;
  const int peeked = Receive(handle, &byte, 1, 1, kPeekLines, socket_error);
  return peeked == 1 ? 1 : peeked;
}

int NetWorkRecv(RuntimeHandle handle, void* buffer, int32_t n) {
  return Receive(handle, buffer, n, 0, kRecvLines);
}

int NetWorkRecvToPeek(RuntimeHandle handle, void* buffer, int32_t n) {
  return Receive(handle, buffer, n, 1, kPeekLines);
}

int NetWorkSend(RuntimeHandle handle, const void* data, int32_t n) {
  int socket_error;
  return NetWorkSendAndError(handle, data, n, &socket_error);
}

int NetWorkSendAndError(RuntimeHandle handle, const void* data, int32_t n, int* socket_error) {
  *socket_error = 0;
  if (NetWorkStartedFlag == 0 || GetNetWorkRecord(handle) == nullptr) return -1;
  ProcessNetWorkMessages(0);
  NetWorkHandleRecord* const record = UsableRecord(handle, kSendLines);
  if (record == nullptr || n < 0) return -1;
  if (record->ConnectionFlag == 0) return -1;
  SendSocket(handle);
  if (record->BufferedFlag != 1) {
    const int sent = send(record->Socket, static_cast<const char*>(data), n, 0);
    if (sent == SOCKET_ERROR) *socket_error = WSAGetLastError();
    return sent;
  }
  if (AppendRingBuffer(&record->SendBuffer, data, n) != 0) {
    return LogPrintf("送信データ %d byte の追加に失敗しました in NewWorkSend", n);
  }
  SendSocket(handle);
  return 0;
}

int NetWorkRecvLine(RuntimeHandle handle, char* line) {
  char work[256] = {};
  const int peeked = NetWorkRecvToPeek(handle, work, 255);
  if (peeked < 1) return -1;
  work[peeked] = '\0';
  // The line ends at the first LF byte, whatever the bytes before it: no
  // Shift-JIS character holds 0x0A, and a line in another encoding or with
  // binary bytes must not run into the next one.
  const char* const end = static_cast<const char*>(std::memchr(work, '\n', peeked));
  if (end == nullptr) return -1;
  const int32_t length = static_cast<int32_t>(end - work);
  std::memcpy(line, work, static_cast<size_t>(length));
  line[length] = '\0';
  NetWorkRecv(handle, work, length + 1);
  return 0;
}
