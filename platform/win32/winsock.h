// Socket stand-ins: TCP over IPv4 in the manner of WinSock 1.1, with socket
// events delivered as window messages.
//
// Socket values are the stand-in's own numbers: from 1 up, below 2^31, never 0
// or INVALID_SOCKET, never handed out twice in a run. Every call but the byte
// order and address helpers needs a WSAStartup first (WSANOTINITIALISED
// otherwise). WSAGetLastError keeps the last error of the calling thread.
//
// A socket blocks until WSAAsyncSelect is called for it, which makes it
// non-blocking for good (also with an event mask of 0). From then on recv,
// send and accept fail with WSAEWOULDBLOCK instead of blocking, and connect
// fails with WSAEWOULDBLOCK and completes later with FD_CONNECT.
//
// Events are posted with PostMessageA into the queue of the selected window's
// thread: the message as selected, wParam the socket, lParam the event with
// its error code in the high word. The rules:
// - FD_ACCEPT: when a connection arrives, and after each accept call while
//   connections still wait; never while an FD_ACCEPT of the socket still
//   waits in the queue. A listener whose FD_ACCEPT found no taker hears of
//   the next arrival.
// - FD_CONNECT: once per connect, when it completes; error 0 or why it failed.
// - FD_READ: when unread bytes are there. After one, the next comes only after
//   a recv call: at once when bytes remain and, since that FD_READ, a recv took
//   bytes or new bytes arrived; otherwise when new bytes arrive. A peek that
//   takes nothing, with nothing new, brings none.
// - FD_WRITE: once when FD_WRITE is selected on a connected socket (or its
//   connect completes); afterwards only once the socket takes more after a
//   send that would have blocked or took fewer bytes than it was given.
// - FD_CLOSE: once; error 0 when the peer has closed its side and every byte
//   was taken, the error at once when the connection is reset or aborted
//   (also when a call met the reset before the event was decided).
// Every WSAAsyncSelect takes the socket's messages still waiting in the queue
// out again and looks afresh; after a selection with mask 0, or closesocket,
// nothing more is posted for the socket. A message already taken from the
// queue belongs to whoever took it.
#pragma once

#include <functional>

#include "platform/win32/types.h"

using SOCKET = UINT_PTR;
constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;
// The largest backlog the system allows.
constexpr int SOMAXCONN = 0x7FFFFFFF;
constexpr int MSG_PEEK = 2;
// What inet_addr gives for a text that is not an address.
constexpr ULONG INADDR_NONE = 0xFFFFFFFFu;

// An IPv4 address, its 4 bytes in network order.
struct in_addr {
  ULONG s_addr;
};

// A socket address: 16 bytes.
struct sockaddr {
  USHORT sa_family;
  char sa_data[14];
};

// An IPv4 socket address: family, port in network order, address, 8 zero
// bytes.
struct sockaddr_in {
  SHORT sin_family;
  USHORT sin_port;
  in_addr sin_addr;
  char sin_zero[8];
};
static_assert(sizeof(sockaddr) == 16 && sizeof(sockaddr_in) == 16);

// A host's name and addresses. The lists end with a null pointer.
struct hostent {
  char* h_name;
  char** h_aliases;
  SHORT h_addrtype;
  SHORT h_length;
  char** h_addr_list;
};

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
  USHORT iMaxSockets;
  USHORT iMaxUdpDg;
  char* lpVendorInfo;
};

// Socket events.
constexpr LONG FD_READ = 1;
constexpr LONG FD_WRITE = 2;
constexpr LONG FD_ACCEPT = 8;
constexpr LONG FD_CONNECT = 16;
constexpr LONG FD_CLOSE = 32;

// Error codes.
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;

// The event and the error code of a socket event's lParam.
inline WORD WSAGETSELECTEVENT(LPARAM lparam) { return static_cast<WORD>(lparam & 0xFFFF); }
inline WORD WSAGETSELECTERROR(LPARAM lparam) { return static_cast<WORD>((lparam >> 16) & 0xFFFF); }

// Only version 1.1 (0x0101) is emulated. Starts are counted: each is matched
// by one WSACleanup. 0.
int WSAStartup(WORD version, WSADATA* data);
// The last matching cleanup closes every socket still open and stops the
// event thread. 0, or SOCKET_ERROR when not started.
int WSACleanup();
int WSAGetLastError();

// Only AF_INET stream sockets (protocol 0 or IPPROTO_TCP); another family
// fails with WSAEAFNOSUPPORT.
SOCKET socket(int family, int type, int protocol);
// Addresses are 16-byte IPv4 socket addresses.
int bind(SOCKET s, const sockaddr* name, int name_length);
int listen(SOCKET s, int backlog);
int connect(SOCKET s, const sockaddr* name, int name_length);
// Fills the peer's address (family, port and address as they are on the
// wire). The new socket takes the listening socket's mode and selection.
SOCKET accept(SOCKET s, sockaddr* address, int* address_length);
int getsockname(SOCKET s, sockaddr* name, int* name_length);
// Flags 0 or MSG_PEEK. The bytes taken; 0 at once for a length of 0, and 0
// when the peer has closed and nothing is left; WSAEINVAL for a negative
// length. After a reset or abort, the bytes that came before it, then its
// error on every call, whichever call (a recv, a peek or a send) met it
// first.
int recv(SOCKET s, char* buffer, int length, int flags);
// Flags 0. May take fewer bytes than it is given. A peer that has gone gives
// SOCKET_ERROR, never a signal. WSAEINVAL for a negative length.
int send(SOCKET s, const char* buffer, int length, int flags);
int closesocket(SOCKET s);
// Selects the events in `mask` to be posted as `message` to `window`, or none
// with mask 0; makes the socket non-blocking either way.
int WSAAsyncSelect(SOCKET s, HWND window, UINT message, LONG mask);

// A dotted quad ("a.b.c.d", each 0 to 255) as its 4 bytes in network order;
// INADDR_NONE for anything else.
ULONG inet_addr(const char* text);
USHORT htons(USHORT value);
USHORT ntohs(USHORT value);
ULONG htonl(ULONG value);
ULONG ntohl(ULONG value);
// A dotted quad is taken as it is, any other name is looked up (IPv4 only).
// The answer lives in the calling thread's own record until its next call;
// null with WSAHOST_NOT_FOUND when the name is unknown.
hostent* gethostbyname(const char* name);

// ---- Test seam ---------------------------------------------------------------
// What a hook makes of one recv or send call. With `error` 0 the call goes on
// as if it had been given at most `length` bytes; a send cut short that way
// counts as a partial send (FD_WRITE is owed). With `error` not 0 the call
// fails with that error and does nothing else.
struct SocketCallVerdict {
  int length;
  int error;
};
// Called at the start of every recv and send with the call's name ("recv",
// "send") and its arguments, on the calling thread and outside the stand-in's
// own lock, so it may itself call the stand-in and the code above it. An
// empty hook (the default) lets every call through. Set it only while no other
// thread makes socket calls.
using SocketCallHook = std::function<SocketCallVerdict(const char* call, SOCKET s,
                                                       const char* buffer, int length, int flags)>;
void SetSocketCallHook(SocketCallHook hook);
