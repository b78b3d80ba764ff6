// The steps of the three methods. One call goes on from step to step while
// each step finds what it needs; header lines are taken one a call.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/win32/kernel.h"
#include "platform/win32/winsock.h"
#include "runtime/core/format.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/network/http_transfer.h"
#include "runtime/network/network_data.h"

namespace {

constexpr char kContentLength[] = "Content-Length:";
constexpr int kContentLengthBytes = 15;

// What differs between a GET and a POST.
struct BodyMethod {
  bool logs_failed_status;
  char* file_buffer;
  // While the length is unknown, one read per step.
  bool one_read_per_step;
};
const BodyMethod kGet = {true, HttpGetFileBuffer, false};
const BodyMethod kPost = {false, HttpPostFileBuffer, true};

void MakeRequestText(HttpTransfer* transfer) {
  char* const text = transfer->RequestText;
  const size_t size = sizeof(transfer->RequestText);
  switch (transfer->Method) {
    case kHttpGet:
      FormatToBufferVarargs(text, size,
                            "GET %.255s HTTP/1.0\r\nHost: %.127s:%d\r\nConnection: close\r\n\r\n",
                            transfer->Path, transfer->Host, transfer->Port);
      break;
    case kHttpPost:
      FormatToBufferVarargs(text, size,
                            "POST %.255s HTTP/1.0\nHost: %.127s:%d\nContent-Length: %d\n\n",
                            transfer->Path, transfer->Host, transfer->Port, transfer->PostDataSize);
      break;
    default:
      FormatToBufferVarargs(text, size, "HEAD %.255s HTTP/1.0\n\n", transfer->Path);
      break;
  }
  transfer->RequestTextBytes = lstrlenA(text);
}

// Step 0: sends what is left of the request, the text and then a POST's
// body, as far as the socket takes it. The handle is unbuffered, so each send
// is one send of the socket, which may take only part of what it is given.
// True once the request is out, or once a send failed for another reason
// than a full socket (the connection has ended: what the peer answered, if
// anything, is still read, and the connection test ends the transfer
// otherwise); false while the rest waits for room.
bool SendRequest(HttpTransfer* transfer) {
  if (transfer->RequestTextBytes == 0) MakeRequestText(transfer);
  const int32_t body_bytes = transfer->Method == kHttpPost ? transfer->PostDataSize : 0;
  const int64_t total = static_cast<int64_t>(transfer->RequestTextBytes) + body_bytes;
  while (transfer->RequestSentBytes < total) {
    const char* data;
    int32_t left;
    if (transfer->RequestSentBytes < transfer->RequestTextBytes) {
      data = transfer->RequestText + transfer->RequestSentBytes;
      left = transfer->RequestTextBytes - transfer->RequestSentBytes;
    } else {
      const int32_t body_sent = transfer->RequestSentBytes - transfer->RequestTextBytes;
      data = static_cast<const char*>(transfer->PostData) + body_sent;
      left = body_bytes - body_sent;
    }
    int socket_error = 0;
    const int sent = NetWorkSendAndError(transfer->NetHandle, data, left, &socket_error);
    if (sent > 0) {
      transfer->RequestSentBytes += sent;
      continue;
    }
    if (sent == 0 || socket_error == WSAEWOULDBLOCK) return false;  // no room now
    return true;
  }
  return true;
}

enum class Line {
  kTaken,    // a whole line is in `line`
  kNotYet,   // no whole line has come yet
  kTooLong,  // 255 bytes came without a line end: more than a line can hold
};

// Takes the next line into `line` (256 bytes). A line that comes whole is
// taken as NetWorkRecvLine takes it. Bytes without a line end are taken from
// the connection into the transfer's pending line and joined with what comes
// after them; they are never left unread, so that a peer that closes behind
// them is seen to have closed and the transfer ends.
Line TakeLine(HttpTransfer* transfer, char* line) {
  if (transfer->PendingLineBytes == 0 && NetWorkRecvLine(transfer->NetHandle, line) == 0) {
    return Line::kTaken;
  }
  const int32_t room = kHttpLineLookBytes - transfer->PendingLineBytes;
  char peeked[kHttpLineLookBytes];
  const int got = NetWorkRecvToPeek(transfer->NetHandle, peeked, room);
  if (got < 1) return Line::kNotYet;
  const void* const end = std::memchr(peeked, '\n', static_cast<size_t>(got));
  const int32_t wanted =
      end != nullptr ? static_cast<int32_t>(static_cast<const char*>(end) - peeked) + 1 : got;
  char* const at = transfer->PendingLine + transfer->PendingLineBytes;
  const int taken = NetWorkRecv(transfer->NetHandle, at, wanted);
  if (taken < 1) return Line::kNotYet;
  transfer->PendingLineBytes += taken;
  if (taken == wanted && end != nullptr) {
    // The line without its LF.
    const int32_t length = transfer->PendingLineBytes - 1;
    std::memcpy(line, transfer->PendingLine, static_cast<size_t>(length));
    line[length] = '\0';
    transfer->PendingLineBytes = 0;
    return Line::kTaken;
  }
  if (transfer->PendingLineBytes < kHttpLineLookBytes) return Line::kNotYet;
  transfer->PendingLineBytes = 0;
  return Line::kTooLong;
}

// The next header line to look at, into `line`; false when there is none in
// this step. A line too long to take is read away up to its line end, as far
// as its bytes have come, and never looked at.
bool TakeHeaderLine(HttpTransfer* transfer, char* line) {
  for (;;) {
    switch (TakeLine(transfer, line)) {
      case Line::kTooLong:
        transfer->SkippingLongLine = 1;
        continue;  // 255 bytes were taken: look at what follows them
      case Line::kNotYet:
        return false;
      case Line::kTaken:
        break;
    }
    if (transfer->SkippingLongLine == 1) {
      // The end of the long line.
      transfer->SkippingLongLine = 0;
      return false;
    }
    return true;
  }
}

bool IsContentLengthLine(const char* line) {
  return BytesDifferA(line, kContentLength, kContentLengthBytes) == 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The value of a Content-Length line: blanks, 1 to 10 digits of at most
// 2^31 - 1, blanks and a CR, each blank run and the CR optional; -1 for
// anything else (a sign, a value past 32 bits, other text).
int32_t ParseContentLength(const char* line) {
  const char* p = line + kContentLengthBytes;
  while (IsBlank(*p)) ++p;
  int64_t value = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (++digits > 10) return -1;
    value = value * 10 + (*p - '0');
  }
  if (digits == 0 || value > INT32_MAX) return -1;
  while (IsBlank(*p)) ++p;
  if (*p == '\r') ++p;
  return *p == '\0' ? static_cast<int32_t>(value) : -1;
}

// Step 1: the status line; true when it said 200 and the steps go on.
bool TakeStatusLine(int32_t slot, HttpTransfer* transfer, bool logs_failure) {
  char line[256] = {};
  switch (TakeLine(transfer, line)) {
    case Line::kNotYet:
      return false;
    case Line::kTooLong:
      FinishHttpTransfer(slot, kHttpFailed, kHttpOtherStatus);
      return false;
    case Line::kTaken:
      break;
  }
  const int status = ParseStatusNumber(line);
  if (status == 200) return true;
  if (logs_failure) LogPrintf("接続に失敗しました (戻り値:%d)", status);
  FinishHttpTransfer(slot, kHttpFailed, status == 404 ? kHttpNotFound : kHttpOtherStatus);
  return false;
}

// A Content-Length line of a GET or a POST. A repeated one must say the same.
void TakeContentLength(int32_t slot, HttpTransfer* transfer, const char* line) {
  const int32_t length = ParseContentLength(line);
  if (length < 0 || (transfer->ContentLength != -1 && transfer->ContentLength != length)) {
    FinishHttpTransfer(slot, kHttpFailed, kHttpOtherStatus);
    return;
  }
  if (transfer->ContentLength == length) return;
  transfer->ContentLength = length;
  if (transfer->DestinationKind != kHttpToMemory) return;
  // An announced length is only a promise: the block starts small and grows
  // as the body comes (GrowBodyBlock).
  const int32_t first = std::min(length, kHttpBodyFirstBytes);
  void* const block = AllocTracked(static_cast<size_t>(first), "", 0);
  if (block == nullptr) {
    FinishHttpTransfer(slot, kHttpFailed, kHttpNoRoomForBody);
    return;
  }
  *transfer->BufferHolder = block;
  transfer->BodyCapacity = first;
}

// Grows a full memory block when more of the body waits to be read: by what
// it holds, within kHttpBodyFirstBytes and kHttpBodyGrowthMaxBytes, up to the
// announced length. False when it is not grown (nothing waits, or no memory:
// the transfer then has failed).
bool GrowBodyBlock(int32_t slot, HttpTransfer* transfer) {
  char next;
  if (NetWorkRecvToPeek(transfer->NetHandle, &next, 1) != 1) return false;
  const int32_t held = transfer->BodyCapacity;
  const int32_t step = std::clamp(held, kHttpBodyFirstBytes, kHttpBodyGrowthMaxBytes);
  const int32_t size = static_cast<int32_t>(
      std::min<int64_t>(transfer->ContentLength, static_cast<int64_t>(held) + step));
  void* const block = AllocTracked(static_cast<size_t>(size), "", 0);
  if (block == nullptr) {
    FinishHttpTransfer(slot, kHttpFailed, kHttpNoRoomForBody);
    return false;
  }
  std::memcpy(block, *transfer->BufferHolder, static_cast<size_t>(transfer->ReceivedBytes));
  FreeTracked(*transfer->BufferHolder);
  *transfer->BufferHolder = block;
  transfer->BodyCapacity = size;
  return true;
}

// Step 2 of a GET or a POST: one header line; true when it ended the headers
// and the body comes next.
bool TakeHeader(int32_t slot, HttpTransfer* transfer) {
  char line[256] = {};
  if (!TakeHeaderLine(transfer, line)) return false;
  if (FindByteSjis(line, ':') != nullptr) {
    if (IsContentLengthLine(line)) TakeContentLength(slot, transfer, line);
    return false;
  }
  // The line that ends the headers. A memory block needs the length.
  if (transfer->DestinationKind == kHttpToMemory && transfer->ContentLength == -1) {
    FinishHttpTransfer(slot, kHttpFailed, kHttpOtherStatus);
    return false;
  }
  return true;
}

// Step 3 of a GET or a POST: reads the body while it comes.
void TakeBody(int32_t slot, HttpTransfer* transfer, const BodyMethod& method) {
  for (;;) {
    // A body whose announced length has all come is complete, whether the
    // peer has closed or not: an empty one before any read (a read would
    // find nothing, or the close that the next step's connection test would
    // take for a lost connection).
    if (transfer->ContentLength != -1 && transfer->ReceivedBytes >= transfer->ContentLength) {
      transfer->Step = 4;
      FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail);
      return;
    }
    int got;
    if (transfer->DestinationKind == kHttpToFile) {
      got = NetWorkRecv(transfer->NetHandle, method.file_buffer, kHttpFileBufferBytes);
      if (got < 0) return;
      DWORD written = 0;
      if (!WriteFile(transfer->FileHandle, method.file_buffer, static_cast<DWORD>(got), &written,
                     nullptr) ||
          written != static_cast<DWORD>(got)) {
        LogAdd("受信したデータをファイルに書き込めませんでした\n");
        FinishHttpTransfer(slot, kHttpFailed, kHttpNoRoomForBody);
        return;
      }
    } else {
      if (transfer->ReceivedBytes == transfer->BodyCapacity &&
          transfer->BodyCapacity < transfer->ContentLength && !GrowBodyBlock(slot, transfer)) {
        return;
      }
      char* const block = static_cast<char*>(*transfer->BufferHolder);
      got = NetWorkRecv(transfer->NetHandle, block + transfer->ReceivedBytes,
                        transfer->BodyCapacity - transfer->ReceivedBytes);
      if (got < 0) return;
    }
    transfer->ReceivedBytes += got;

    const int connected = GetNetWorkAcceptState(transfer->NetHandle);
    const int waiting = GetNetWorkDataLength(transfer->NetHandle);
    const bool done = transfer->ContentLength != -1
                          ? transfer->ReceivedBytes >= transfer->ContentLength
                          : connected == 0 && waiting == 0;
    if (done) {
      transfer->Step = 4;
      FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail);
      return;
    }
    if (got == 0) return;
    if (transfer->ContentLength == -1 && method.one_read_per_step) return;
  }
}

// Steps 0 and 1 of every method: the request, then the status line. Whether
// the steps go on past them.
bool RequestAndStatus(int32_t slot, HttpTransfer* transfer, bool logs_failed_status) {
  if (transfer->Step == 0) {
    if (!SendRequest(transfer)) return false;
    transfer->Step = 1;
  }
  if (transfer->Step == 1) {
    if (!TakeStatusLine(slot, transfer, logs_failed_status)) return false;
    transfer->Step = 2;
  }
  return true;
}

int StepWithBody(int32_t slot, const BodyMethod& method) {
  HttpTransfer* const transfer = GetHttpTransfer(slot);
  if (transfer == nullptr) return -1;
  if (!RequestAndStatus(slot, transfer, method.logs_failed_status)) return 0;
  if (transfer->Step == 2) {
    if (!TakeHeader(slot, transfer)) return 0;
    transfer->Step = 3;
  }
  if (transfer->Step == 3) {
    TakeBody(slot, transfer, method);
    return 0;
  }
  if (transfer->Step == 4) FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail);
  return 0;
}

}  // namespace

int StepHttpGet(int32_t slot) { return StepWithBody(slot, kGet); }

int StepHttpPost(int32_t slot) { return StepWithBody(slot, kPost); }

int StepHttpHead(int32_t slot) {
  HttpTransfer* const transfer = GetHttpTransfer(slot);
  if (transfer == nullptr) return -1;
  if (!RequestAndStatus(slot, transfer, false)) return 0;
  if (transfer->Step == 2) {
    // Every line is looked at; only the length ends the transfer.
    char line[256] = {};
    if (!TakeHeaderLine(transfer, line) || !IsContentLengthLine(line)) return 0;
    const int32_t length = ParseContentLength(line);
    if (length < 0) return FinishHttpTransfer(slot, kHttpFailed, kHttpOtherStatus);
    transfer->ContentLength = length;
    transfer->Step = 3;
  }
  if (transfer->Step == 3) FinishHttpTransfer(slot, kHttpDone, kHttpNoDetail);
  return 0;
}
