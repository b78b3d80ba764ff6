// HTTP/1.0 transfers stepped once each time window messages are processed: a
// GET or a POST whose answer's body goes to a file or to a memory block, or a
// HEAD that learns the status and the length. Each talks through an
// unbuffered network handle, and a step never blocks: what has not come yet
// is looked for again at the next step.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"
#include "runtime/core/handle.h"
#include "runtime/network/network.h"

constexpr int32_t kHttpGet = 0;
constexpr int32_t kHttpPost = 1;
constexpr int32_t kHttpHead = 2;

constexpr int32_t kHttpToFile = 0;
constexpr int32_t kHttpToMemory = 1;

// Results.
constexpr int32_t kHttpRunning = -1;
constexpr int32_t kHttpDone = 0;
constexpr int32_t kHttpFailed = 2;
// Error details of a failed transfer (-1: none).
constexpr int32_t kHttpNoDetail = -1;
constexpr int32_t kHttpOtherStatus = 0;  // neither 200 nor 404, or an answer not understood
constexpr int32_t kHttpNotFound = 1;
constexpr int32_t kHttpNoRoomForBody = 2;  // no memory for the body, or the file refused it
constexpr int32_t kHttpConnectionLost = 3;

constexpr int32_t kHttpHostBytes = 128;
constexpr int32_t kHttpPathBytes = 256;
constexpr int32_t kHttpFileBufferBytes = 4096;
// Holds the longest request text the fields allow (a 255-byte path, a
// 127-byte host, any port and body size), so every request goes out whole.
constexpr int32_t kHttpRequestBytes = 512;
// A status or header line is looked for in this many bytes; a line that
// does not end within them is too long to take.
constexpr int32_t kHttpLineLookBytes = 255;
// A memory block for a body starts at the announced length, or at this many
// bytes when more is announced; once full it grows by what it holds (at
// least the first size, at most kHttpBodyGrowthMaxBytes), never past the
// announced length and only when more bytes are there to read.
constexpr int32_t kHttpBodyFirstBytes = 64 * 1024;
constexpr int32_t kHttpBodyGrowthMaxBytes = 16 * 1024 * 1024;

struct HttpTransfer {
  int32_t Method;       // kHttpGet, kHttpPost, kHttpHead
  int32_t Step;         // GET, POST: 0 request .. 4 finished; HEAD: 0 .. 3
  int32_t Result;       // kHttpRunning, kHttpDone, kHttpFailed
  int32_t ErrorDetail;  // with kHttpFailed
  RuntimeHandle NetHandle;  // -1 once released
  int32_t DestinationKind;  // kHttpToFile, kHttpToMemory
  HANDLE FileHandle;    // 0 once closed
  void** BufferHolder;  // the caller's pointer that receives the memory block
  int32_t ContentLength;  // -1 until one is seen
  int32_t ReceivedBytes;  // of the body
  char Host[kHttpHostBytes];
  char Path[kHttpPathBytes];
  void* PostData;  // a tracked block, or null
  int32_t PostDataSize;
  int32_t Port;  // written into the Host line
  // 1 while the rest of a header line too long to take is read away.
  int32_t SkippingLongLine;
  // The start of a status or header line whose line end has not come yet,
  // taken from the connection: a peer's close is seen only once every byte
  // it sent was read, so a line cut by the close must not stay unread.
  char PendingLine[kHttpLineLookBytes];
  int32_t PendingLineBytes;
  // Bytes of the memory block handed out so far. The block grows with the
  // body as it arrives, up to ContentLength, so an announced length alone
  // reserves no more than kHttpBodyFirstBytes.
  int32_t BodyCapacity;
  // The request as it goes out: this text, then the POST body. A send takes
  // what the socket has room for; the rest goes out in the next steps.
  char RequestText[kHttpRequestBytes];
  int32_t RequestTextBytes;  // 0 until the text is made
  int32_t RequestSentBytes;  // of the text and the body together
};

// The buffers that carry file bodies, one for GET, one for POST.
extern char HttpGetFileBuffer[kHttpFileBufferBytes];
extern char HttpPostFileBuffer[kHttpFileBufferBytes];

// The transfer in `slot`, or null for an empty slot or one outside 0..99.
HttpTransfer* GetHttpTransfer(int32_t slot);
// Releases the handle, frees the POST body and closes the file; the first
// finish decides the result and its detail. When the result is not 0, the
// memory block is freed, the caller's pointer set to null and the holder
// forgotten, so later finishes leave the caller's pointer alone. 0, or -1 for
// an empty slot.
int FinishHttpTransfer(int32_t slot, int32_t result, int32_t detail);
// Finishes with 0 (a transfer still running counts as done: a memory block it
// handed over stays with the caller), frees the record and empties the slot.
// 0, or -1.
int DeleteHttpTransfer(int32_t slot);
// The steps of each method, without the connection test of StepHttpTransfer.
// 0, or -1 for an empty slot.
int StepHttpGet(int32_t slot);
int StepHttpPost(int32_t slot);
int StepHttpHead(int32_t slot);
