// Plain POSIX TCP over 127.0.0.1 for the network benchmark: the yardstick
// copy and the peers of the layer's cases. Its own translation unit, apart
// from the socket stand-ins, whose names clash with the POSIX ones; the
// header names no POSIX type. Sockets are blocking descriptors; -1 or false
// means failure.
#pragma once

#include <cstddef>
#include <cstdint>

// Listens with a port of the system's choosing (given back, host order).
int PosixListenLoopback(uint16_t* port);
int PosixAcceptConnection(int listener);
int PosixConnectLoopback(uint16_t port);
bool PosixWriteAll(int socket, const void* bytes, size_t size);
// Reads what comes, up to `size` bytes, waiting for at least one; 0 at the
// end of the stream.
int64_t PosixReadSome(int socket, void* bytes, size_t size);
void PosixCloseSocket(int socket);
