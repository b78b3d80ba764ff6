// The start side of the network layer for tests and benchmarks. The program
// itself never starts the network; these bring the layer's state into the
// form its operations expect: WinSock started, the list's sentinels linked,
// a message-only network window on the calling thread, a listening socket in
// the listening slot, connected handles.
#pragma once

#include <cstdint>
#include <functional>

// Starts WinSock (1.1), links the handle list's sentinels, makes the network
// window on the calling thread and sets the started flag. Its procedure hands
// socket messages to HandleSocketEvent and returns the result, destroys the
// window on WM_CLOSE and sets the window-ended flag on WM_DESTROY. 0, or -1
// (nothing left behind).
int StartNetWorkForTest();
// Listens on 127.0.0.1 with a port of the system's choosing (given back in
// `port`, host order), with the listening record in the listening slot,
// linked into the list, with the counter's check id (the counter moves on, as
// for an accepted record) and FD_ACCEPT selected. The record counts as
// connected and is never auto-closed. 0, or -1 (nothing left behind).
int ListenNetWorkForTest(uint16_t* port);
// Connects a new handle in the lowest empty slot, with the counter's check
// id, without blocking: FD_READ, FD_WRITE, FD_CLOSE and FD_CONNECT selected,
// then the network window is pumped until the connect's FD_CONNECT came, for
// 5 s at most. The handle (the counter moves on), or -1 when the connect
// failed, with no record, slot or socket left behind.
int ConnectNetWorkForTest(const char* host, uint16_t port, int buffered, int auto_close);

// Makes an HTTP transfer (method 0 GET, 1 POST, 2 HEAD) in its starting
// state: `Host` (at most 127 bytes), `Path` (at most 255 bytes) and `Port`
// filled; an unbuffered handle with auto-close off connected through
// ConnectNetWorkForTest; with `file_path` the file opened with CreateFileA
// (CREATE_ALWAYS) as the destination, otherwise `buffer_holder` as the
// memory destination (its pointer set to null); the POST body copied into
// `PostData`; the lowest empty slot taken and counted. The slot, or -1 with
// nothing left behind when the connection is refused, the table is full or a
// field is too long.
int CreateHttpTransferForTest(int method, const char* host, uint16_t port, const char* path,
                              const char* file_path, void** buffer_holder, const void* post_data,
                              int32_t post_size);

// Calls `step` and then looks at `done` until `done` holds, for `timeout_ms`
// of real time at most; whether it held.
bool RepeatUntil(const std::function<void()>& step, const std::function<bool()>& done,
                 int timeout_ms = 5000);
