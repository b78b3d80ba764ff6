// The operations through which a caller uses a network handle: whether it is
// connected, how much has arrived, taking or peeking received bytes, sending,
// and taking one text line. On a buffered handle they work on the rings and
// run the framing pumps; on an unbuffered one they pass recv and send through.
// Each gives -1 on failure; only a record not in use, a record in error and a
// failed append write a log line.
#pragma once

#include <cstdint>

#include "runtime/core/handle.h"

// 1 connected, 0 not (the loss then counts as reported), -1.
int GetNetWorkAcceptState(RuntimeHandle handle);
// Buffered: the bytes of complete packets not taken yet. Unbuffered: 1 when
// bytes wait, 0 when the peer has closed and nothing is left, -1 when nothing
// waits now. -1 on failure.
int GetNetWorkDataLength(RuntimeHandle handle);
// As GetNetWorkDataLength; `socket_error` receives the WinSock error of the
// unbuffered peek when that peek failed, taken as it failed, and 0 when the
// result came without a failed socket call (so an error left by an earlier
// call is never taken for this one's).
int GetNetWorkDataLengthAndError(RuntimeHandle handle, int* socket_error);
// Buffered: 0 when `n` bytes were taken, -1 when fewer are held. Unbuffered:
// recv's result.
int NetWorkRecv(RuntimeHandle handle, void* buffer, int32_t n);
// As NetWorkRecv; the bytes stay where they are.
int NetWorkRecvToPeek(RuntimeHandle handle, void* buffer, int32_t n);
// Buffered: 0 once the bytes are queued, -1. Unbuffered: send's result.
int NetWorkSend(RuntimeHandle handle, const void* data, int32_t n);
// As NetWorkSend; `socket_error` receives the WinSock error of the
// unbuffered send when that send failed, taken as it failed, and 0 when the
// result came without a failed socket call (a closed connection, a bad
// handle), so an error left by an earlier call is never taken for this one's.
int NetWorkSendAndError(RuntimeHandle handle, const void* data, int32_t n, int* socket_error);
// Takes one line (up to its LF, which leaves the connection too) into `line`
// (at least 256 bytes) without the LF: 0, or -1 when no whole line of at most
// 254 bytes has arrived.
int NetWorkRecvLine(RuntimeHandle handle, char* line);
