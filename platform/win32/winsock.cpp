// The socket stand-ins: the socket table and the event rules, over the POSIX
// calls and the poller thread of winsock_posix.cpp.
//
// Every socket's event state lives under one mutex. The poller thread takes it
// when the kernel reports something on a socket, if it is free; if a call holds
// it, that call serves the report as it lets the mutex go. Either way an event
// is decided before a call or after it, never half-way. The
// mutex is taken before the window system's lock (posting, taking messages
// back) and never the other way round. The poller never takes the library
// lock and reaches windows only through PostMessageA.
#include "platform/win32/winsock.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/queued_messages.h"
#include "platform/host/not_emulated.h"
#include "platform/win32/user.h"
#include "platform/win32/winsock_posix.h"

namespace {

constexpr WORD kVersion = 0x0101;
constexpr LONG kEvents = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
// Socket values stay below 2^31.
constexpr SOCKET kLastSocket = 0x7FFFFFFF;

struct SocketEntry {
  int descriptor = -1;
  bool non_blocking = false;  // after the first WSAAsyncSelect
  bool watched = false;  // known to the poller
  bool listening = false;
  bool connecting = false;  // a connect is under way
  bool connected = false;  // accepted, or its connect completed

  // The selection.
  HWND window = nullptr;
  UINT message = 0;
  LONG mask = 0;

  // FD_ACCEPT: the connections last seen waiting, so that an arrival shows
  // as growth; whether one is due (an arrival, an accept call, a selection).
  int64_t connections_seen = 0;
  bool accept_due = false;
  // FD_READ: whether one was posted and no recv call came since; whether a
  // recv took bytes or new bytes arrived since the last one; the unread
  // bytes last seen, so that an arrival shows as growth.
  bool read_posted = false;
  bool read_progress = false;
  int64_t unread_seen = 0;
  // FD_WRITE: owed once the socket takes more.
  bool write_owed = false;
  // FD_CLOSE.
  bool peer_closed = false;
  SocketError failure = SocketError::kNone;  // a reset or abort, once seen
  bool close_posted = false;
  // Bytes a short peek took out of the system's queue: they come first, and
  // count as unread, until a recv takes them.
  std::string ahead;
  // The poller reported bytes while an FD_READ waited for a recv call, and
  // left them uncounted.
  bool arrival_unseen = false;
};

struct WinSockState {
  std::mutex mutex;
  int starts = 0;
  SOCKET next_socket = 1;
  std::map<SOCKET, SocketEntry> sockets;
  std::unique_ptr<SocketPoller> poller;
};

WinSockState& State() {
  static auto* state = new WinSockState;
  return *state;
}

// What the poller reported while a call held the state's mutex: the poller
// does not wait for the mutex (a receiving call holds it through each copy of
// a fast stream, and every wait would cost both threads a sleep and a
// wake-up); whoever lets the mutex go next serves what waits here.
struct DeferredEvents {
  std::mutex mutex;  // guards `events`; never held while taking the state's mutex
  std::vector<std::pair<uint64_t, bool>> events;  // socket id, end or failure
  std::atomic<bool> waiting{false};
};

DeferredEvents& Deferred() {
  static auto* deferred = new DeferredEvents;
  return *deferred;
}

void ServeEventLocked(uint64_t id, bool end_or_failure);

// Serves the deferred events while the state's mutex is free; when it is not,
// its holder serves them as it lets the mutex go.
void ServeDeferredEvents() {
  DeferredEvents& deferred = Deferred();
  while (deferred.waiting.load()) {
    if (!State().mutex.try_lock()) return;
    std::vector<std::pair<uint64_t, bool>> events;
    {
      std::lock_guard<std::mutex> lock(deferred.mutex);
      events.swap(deferred.events);
      deferred.waiting.store(false);
    }
    for (const auto& [id, end_or_failure] : events) ServeEventLocked(id, end_or_failure);
    State().mutex.unlock();
  }
}

// The state's mutex, held from construction; letting it go serves the
// events the poller left meanwhile.
class StateLock {
 public:
  StateLock() : lock_(State().mutex) {}
  ~StateLock() {
    if (lock_.owns_lock()) unlock();
  }
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;

  void unlock() {
    lock_.unlock();
    ServeDeferredEvents();
  }
  void lock() { lock_.lock(); }

 private:
  std::unique_lock<std::mutex> lock_;
};

thread_local int last_error = 0;

SocketCallHook& CallHook() {
  static auto* hook = new SocketCallHook;
  return *hook;
}

// Asks the hook about a recv or send call: false, with the error set, when
// the call is to fail; otherwise `length` is cut to what the call goes on
// with.
bool PassesHook(const char* call, SOCKET s, const char* buffer, int* length, int flags) {
  const SocketCallHook& hook = CallHook();
  if (!hook) return true;
  const SocketCallVerdict verdict = hook(call, s, buffer, *length, flags);
  if (verdict.error != 0) {
    last_error = verdict.error;
    return false;
  }
  if (verdict.length >= 0 && verdict.length < *length) *length = verdict.length;
  return true;
}

int Fail(int code) {
  last_error = code;
  return SOCKET_ERROR;
}

int Fail(SocketError error) { return Fail(static_cast<int>(error)); }

// The entry of `s`; null, with the error set, before WSAStartup or for a
// socket the stand-in does not know.
SocketEntry* FindLocked(SOCKET s) {
  WinSockState& state = State();
  if (state.starts == 0) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  auto found = state.sockets.find(s);
  if (found == state.sockets.end()) {
    Fail(WSAENOTSOCK);
    return nullptr;
  }
  return &found->second;
}

// A new socket value for `descriptor`; INVALID_SOCKET (the descriptor closed)
// once every value has been handed out.
SOCKET AddLocked(int descriptor) {
  WinSockState& state = State();
  if (state.next_socket > kLastSocket) {
    PosixSocketClose(descriptor);
    Fail(WSAEMFILE);
    return INVALID_SOCKET;
  }
  const SOCKET s = state.next_socket++;
  state.sockets[s].descriptor = descriptor;
  return s;
}

void PostLocked(SOCKET s, const SocketEntry& entry, LONG event, SocketError error) {
  const LPARAM lparam =
      static_cast<LPARAM>(static_cast<DWORD>(event) | (static_cast<DWORD>(error) << 16));
  PostMessageA(entry.window, entry.message, static_cast<WPARAM>(s), lparam);
}

bool IsEventOf(const MSG& message, SOCKET s, const SocketEntry& entry) {
  return message.message == entry.message && message.wParam == static_cast<WPARAM>(s);
}

bool AcceptQueuedLocked(SOCKET s, const SocketEntry& entry) {
  return HasQueuedMessage(entry.window, [&](const MSG& message) {
    return IsEventOf(message, s, entry) && WSAGETSELECTEVENT(message.lParam) == FD_ACCEPT;
  });
}

// Notes the bytes that wait unread, `in_system` in the system's queue and
// those taken ahead; more than were last seen is progress for FD_READ.
void NoteUnreadLocked(SocketEntry& entry, int64_t in_system) {
  const int64_t unread = in_system + static_cast<int64_t>(entry.ahead.size());
  if (unread > entry.unread_seen) entry.read_progress = true;  // new bytes arrived
  entry.unread_seen = unread;
  entry.arrival_unseen = false;
}

// Looks at the socket as it is now and posts what the rules owe. Called after
// every call that can change what is owed and whenever the poller reports the
// socket.
void ServeLocked(SOCKET s, SocketEntry& entry) {
  if (entry.mask == 0) return;
  const LONG mask = entry.mask;
  const SocketReadiness now = PosixSocketReadiness(entry.descriptor, entry.listening);
  if (entry.listening) {
    if (now.connections > entry.connections_seen) entry.accept_due = true;  // arrivals
    entry.connections_seen = now.connections;
    if ((mask & FD_ACCEPT) && entry.accept_due && now.connections > 0 &&
        !AcceptQueuedLocked(s, entry)) {
      PostLocked(s, entry, FD_ACCEPT, SocketError::kNone);
    }
    entry.accept_due = false;
    return;
  }
  if (entry.connecting) {
    if (!now.writable && !now.failed && !now.peer_closed) return;  // still under way
    entry.connecting = false;
    const SocketError result = PosixSocketTakeError(entry.descriptor);
    if (mask & FD_CONNECT) PostLocked(s, entry, FD_CONNECT, result);
    if (result != SocketError::kNone) return;
    entry.connected = true;
  }
  if (!entry.connected) return;

  NoteUnreadLocked(entry, now.unread);
  if (now.peer_closed) entry.peer_closed = true;
  if (now.failed && entry.failure == SocketError::kNone) {
    entry.failure = PosixSocketTakeError(entry.descriptor);
  }
  if (entry.failure != SocketError::kNone) {
    if ((mask & FD_CLOSE) && !entry.close_posted) {
      entry.close_posted = true;
      PostLocked(s, entry, FD_CLOSE, entry.failure);
    }
    return;
  }
  if ((mask & FD_WRITE) && entry.write_owed && now.writable) {
    entry.write_owed = false;
    PostLocked(s, entry, FD_WRITE, SocketError::kNone);
  }
  if ((mask & FD_READ) && !entry.read_posted && entry.read_progress && entry.unread_seen > 0) {
    entry.read_posted = true;
    entry.read_progress = false;
    PostLocked(s, entry, FD_READ, SocketError::kNone);
  }
  if ((mask & FD_CLOSE) && !entry.close_posted && entry.peer_closed && entry.unread_seen == 0) {
    entry.close_posted = true;
    PostLocked(s, entry, FD_CLOSE, SocketError::kNone);
  }
}

// What a recv call that did not fail otherwise learnt of the bytes waiting.
enum class ReceiveOutcome {
  kTook,      // it took bytes: more may wait
  kPeeked,    // a peek found bytes, which still wait
  kNoneYet,   // nothing was there (the call would have blocked)
};

// Asks the system how many bytes wait in its queue and notes them; false
// when it cannot tell.
bool CountUnreadLocked(SocketEntry& entry) {
  const int64_t in_system = PosixSocketUnread(entry.descriptor);
  if (in_system < 0) return false;
  NoteUnreadLocked(entry, in_system);
  return true;
}

// Serves a connected socket after a recv call: the call changes only what is
// owed for reading (FD_READ again while bytes wait, FD_CLOSE once the last
// byte before the peer's end is gone), which whether bytes wait decides; the
// unread count is asked of the system only after a recv that took all the
// bytes last seen waiting, or after a peek when bytes came uncounted. What the
// peer does (new bytes, its end, a failure, room to send) reaches the poller,
// which serves the socket in full (new bytes while an FD_READ waits are only
// marked, and counted here); a socket in any other state is served in full
// here too.
void ServeAfterReceiveLocked(SOCKET s, SocketEntry& entry, ReceiveOutcome outcome) {
  if (entry.mask == 0) return;
  if (entry.listening || entry.connecting || !entry.connected || entry.write_owed ||
      entry.failure != SocketError::kNone) {
    ServeLocked(s, entry);
    return;
  }
  bool bytes_wait = outcome == ReceiveOutcome::kPeeked;
  if (outcome == ReceiveOutcome::kPeeked && entry.arrival_unseen) {
    // Bytes that came while the last FD_READ waited were not counted: a peek
    // owes FD_READ again only for bytes that came since that one.
    if (!CountUnreadLocked(entry)) {
      ServeLocked(s, entry);
      return;
    }
  } else if (outcome == ReceiveOutcome::kTook && entry.unread_seen > 0) {
    // Bytes last seen waiting that this call left (the call took its bytes
    // off that count) still wait: only this end takes them. Bytes that came
    // since reach the poller, which counts them.
    bytes_wait = true;
  } else if (outcome == ReceiveOutcome::kTook) {
    if (!CountUnreadLocked(entry)) {
      ServeLocked(s, entry);
      return;
    }
    bytes_wait = entry.unread_seen > 0;
  } else if (outcome == ReceiveOutcome::kNoneYet) {
    entry.unread_seen = 0;
    entry.arrival_unseen = false;
  }
  if ((entry.mask & FD_READ) && !entry.read_posted && entry.read_progress && bytes_wait) {
    entry.read_posted = true;
    entry.read_progress = false;
    PostLocked(s, entry, FD_READ, SocketError::kNone);
  }
  if ((entry.mask & FD_CLOSE) && !entry.close_posted && entry.peer_closed && !bytes_wait) {
    entry.close_posted = true;
    PostLocked(s, entry, FD_CLOSE, SocketError::kNone);
  }
}

bool IsConnectionFailure(SocketError error) {
  return error == SocketError::kReset || error == SocketError::kAborted;
}

// Keeps a reset or abort that a call met: the system reports it once, to
// whichever call meets it first, and reads the end of the stream after it.
// True when this call kept it (the first failure of the connection).
bool NoteFailureLocked(SocketEntry& entry, SocketError error) {
  if (!IsConnectionFailure(error) || entry.failure != SocketError::kNone) return false;
  entry.failure = error;
  return true;
}

// Receives on a non-blocking connection: the bytes taken ahead first, then
// the system's queue; the bytes (or seen, with `peek`), 0 at the end, -1 with
// `error`. A peek that finds fewer bytes than asked takes those it found out
// of the system's queue, to be given by the next calls: bytes left unread in
// the system's queue can hold far more of the socket's receive memory than
// their count (it charges whole arrival buffers), so a few bytes of a length
// word that a caller leaves there until the rest comes could shut the
// receive window, and the rest would never come. A reset or abort met behind
// bytes taken ahead is kept for the calls after them.
int64_t ReceiveNonBlockingLocked(SocketEntry& entry, char* buffer, size_t length, bool peek,
                                 SocketError* error) {
  const size_t ahead = std::min(entry.ahead.size(), length);
  std::memcpy(buffer, entry.ahead.data(), ahead);
  int64_t got = static_cast<int64_t>(ahead);
  if (ahead < length) {
    const int64_t more =
        PosixSocketReceive(entry.descriptor, buffer + ahead, length - ahead, peek, error);
    if (more > 0) {
      got += more;
      if (peek && static_cast<size_t>(got) < length) {
        std::string taken(static_cast<size_t>(more), '\0');
        SocketError moving = SocketError::kNone;
        const int64_t moved =
            PosixSocketReceive(entry.descriptor, taken.data(), taken.size(), false, &moving);
        if (moved > 0) entry.ahead.append(taken.data(), static_cast<size_t>(moved));
        if (moved < 0) NoteFailureLocked(entry, moving);
      }
    } else if (ahead == 0) {
      got = more;  // the end, or a failure (nothing is there yet, the peer has gone)
    } else if (more < 0) {
      NoteFailureLocked(entry, *error);
    }
  }
  if (!peek) entry.ahead.erase(0, ahead);
  return got;
}

// Takes the socket's messages still waiting in the queue out; the events
// they carried are owed again.
void WithdrawLocked(SOCKET s, SocketEntry& entry) {
  if (entry.window == nullptr) return;
  const std::vector<MSG> taken = TakeQueuedMessages(
      entry.window, [&](const MSG& message) { return IsEventOf(message, s, entry); });
  for (const MSG& message : taken) {
    switch (WSAGETSELECTEVENT(message.lParam)) {
      case FD_READ:
        entry.read_posted = false;
        break;
      case FD_WRITE:
        entry.write_owed = true;
        break;
      case FD_CLOSE:
        entry.close_posted = false;
        break;
      default:  // FD_ACCEPT comes again while connections wait; a connect's end is past
        break;
    }
  }
}

// Whether a connection's FD_READ waits for a recv call and nothing else can
// be owed before that call but its end or a failure.
bool OnlyAReadWaitsLocked(const SocketEntry& entry) {
  return (entry.mask & FD_READ) && entry.connected && !entry.listening && !entry.connecting &&
         entry.read_posted && !entry.write_owed && entry.failure == SocketError::kNone;
}

void ServeEventLocked(uint64_t id, bool end_or_failure) {
  auto found = State().sockets.find(static_cast<SOCKET>(id));
  if (found == State().sockets.end()) return;
  SocketEntry& entry = found->second;
  if (!end_or_failure && OnlyAReadWaitsLocked(entry)) {
    // Only bytes (or room to send, which nothing waits for) came: they owe
    // nothing before the next recv call, which counts them. Not looking at
    // the socket here keeps the poller's turns short on a fast stream, where
    // the receiving calls wait for the mutex it holds.
    entry.arrival_unseen = true;
    return;
  }
  ServeLocked(found->first, entry);
}

void OnSocketEvent(uint64_t id, bool end_or_failure) {
  {
    std::lock_guard<std::mutex> lock(Deferred().mutex);
    Deferred().events.emplace_back(id, end_or_failure);
    Deferred().waiting.store(true);
  }
  ServeDeferredEvents();
}

int SelectLocked(SOCKET s, SocketEntry& entry, HWND window, UINT message, LONG mask) {
  WithdrawLocked(s, entry);
  entry.window = window;
  entry.message = message;
  entry.mask = mask;
  if (mask == 0) return 0;
  WinSockState& state = State();
  if (state.poller == nullptr) {
    state.poller = SocketPoller::Start(OnSocketEvent);
    if (state.poller == nullptr) return Fail(WSAENOBUFS);
  }
  if (!entry.watched) {
    if (!state.poller->Watch(entry.descriptor, s)) return Fail(WSAENOBUFS);
    entry.watched = true;
  }
  // A fresh selection looks at what is there now.
  entry.accept_due = true;
  entry.read_progress = true;
  if (mask & FD_WRITE) entry.write_owed = true;
  ServeLocked(s, entry);
  return 0;
}

void CloseLocked(SOCKET s, SocketEntry& entry) {
  WithdrawLocked(s, entry);
  if (entry.watched) State().poller->Forget(entry.descriptor);
  PosixSocketClose(entry.descriptor);
}

// Closes every socket; hands back the poller, which the caller stops once the
// mutex is free (the poller may be waiting for it).
std::unique_ptr<SocketPoller> CloseEverythingLocked() {
  WinSockState& state = State();
  for (auto& [s, entry] : state.sockets) CloseLocked(s, entry);
  state.sockets.clear();
  return std::move(state.poller);
}

// The poller is joined at process exit too.
struct StopAtExit {
  ~StopAtExit() {
    std::unique_ptr<SocketPoller> poller;
    {
      StateLock lock;
      poller = CloseEverythingLocked();
    }
  }
} stop_at_exit;

void RequireAddress(const char* call, const void* address, int length) {
  RequireEmulated(address != nullptr, call, "address", 0);
  RequireEmulated(length == static_cast<int>(sizeof(sockaddr_in)), call, "address length", length);
}

SocketEndPoint EndPointOf(const sockaddr* name) {
  sockaddr_in address;
  std::memcpy(&address, name, sizeof(address));
  return SocketEndPoint{address.sin_addr.s_addr, address.sin_port};
}

void FillAddress(SocketEndPoint end_point, sockaddr* name) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = end_point.port;
  address.sin_addr.s_addr = end_point.address;
  std::memcpy(name, &address, sizeof(address));
}

bool IsConnectEnd(SocketError error) {
  return error == SocketError::kRefused || error == SocketError::kTimedOut ||
         error == SocketError::kNetworkUnreachable || error == SocketError::kHostUnreachable;
}

// "a.b.c.d" with each part 0 to 255, as its 4 bytes in network order.
bool ParseDottedQuad(const char* text, ULONG* address) {
  uint8_t bytes[4];
  const char* p = text;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *p++ != '.') return false;
    int value = 0, digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 3) {
      value = value * 10 + (*p++ - '0');
      ++digits;
    }
    if (digits == 0 || value > 255) return false;
    bytes[part] = static_cast<uint8_t>(value);
  }
  if (*p != '\0') return false;
  std::memcpy(address, bytes, sizeof(bytes));
  return true;
}

// The answer of gethostbyname, one per thread.
struct HostRecord {
  std::string name;
  std::vector<ULONG> addresses;
  std::vector<char*> address_list;
  char* no_aliases[1] = {nullptr};
  hostent entry{};
};

}  // namespace

int WSAStartup(WORD version, WSADATA* data) {
  RequireEmulated(version == kVersion, "WSAStartup", "version", version);
  RequireEmulated(data != nullptr, "WSAStartup", "data", 0);
  std::memset(data, 0, sizeof(*data));
  data->wVersion = kVersion;
  data->wHighVersion = kVersion;
  std::strcpy(data->szDescription, "Sockets over POSIX");
  std::strcpy(data->szSystemStatus, "Running");
  data->iMaxSockets = 0x7FFF;
  StateLock lock;
  ++State().starts;
  return 0;
}

int WSACleanup() {
  std::unique_ptr<SocketPoller> poller;
  {
    StateLock lock;
    WinSockState& state = State();
    if (state.starts == 0) return Fail(WSANOTINITIALISED);
    if (--state.starts > 0) return 0;
    poller = CloseEverythingLocked();
  }
  poller.reset();
  return 0;
}

int WSAGetLastError() { return last_error; }

SOCKET socket(int family, int type, int protocol) {
  RequireEmulated(type == SOCK_STREAM, "socket", "type", type);
  RequireEmulated(protocol == 0 || protocol == IPPROTO_TCP, "socket", "protocol", protocol);
  StateLock lock;
  if (State().starts == 0) {
    Fail(WSANOTINITIALISED);
    return INVALID_SOCKET;
  }
  if (family != AF_INET) {
    Fail(WSAEAFNOSUPPORT);
    return INVALID_SOCKET;
  }
  SocketError error = SocketError::kNone;
  const int descriptor = PosixSocketOpen(&error);
  if (descriptor < 0) {
    Fail(error);
    return INVALID_SOCKET;
  }
  return AddLocked(descriptor);
}

int bind(SOCKET s, const sockaddr* name, int name_length) {
  RequireAddress("bind", name, name_length);
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (name->sa_family != AF_INET) return Fail(WSAEAFNOSUPPORT);
  SocketError error = SocketError::kNone;
  if (!PosixSocketBind(entry->descriptor, EndPointOf(name), &error)) return Fail(error);
  return 0;
}

int listen(SOCKET s, int backlog) {
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  SocketError error = SocketError::kNone;
  if (!PosixSocketListen(entry->descriptor, backlog, &error)) return Fail(error);
  entry->listening = true;
  return 0;
}

int connect(SOCKET s, const sockaddr* name, int name_length) {
  RequireAddress("connect", name, name_length);
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (name->sa_family != AF_INET) return Fail(WSAEAFNOSUPPORT);
  SocketError error = SocketError::kNone;
  const int descriptor = entry->descriptor;
  if (!entry->non_blocking) {
    lock.unlock();
    const bool connected = PosixSocketConnect(descriptor, EndPointOf(name), &error);
    lock.lock();
    if (!connected) return Fail(error);
    if ((entry = FindLocked(s)) != nullptr) entry->connected = true;
    return 0;
  }
  if (PosixSocketConnect(descriptor, EndPointOf(name), &error) || error == SocketError::kWouldBlock) {
    // Under way, or done at once: FD_CONNECT tells either way.
    entry->connecting = true;
    ServeLocked(s, *entry);
  } else if (IsConnectEnd(error)) {
    // Failed at once, as it could have failed later.
    if (entry->mask & FD_CONNECT) PostLocked(s, *entry, FD_CONNECT, error);
  } else {
    return Fail(error);
  }
  return Fail(WSAEWOULDBLOCK);
}

SOCKET accept(SOCKET s, sockaddr* address, int* address_length) {
  RequireEmulated(address_length != nullptr, "accept", "address length pointer", 0);
  RequireAddress("accept", address, *address_length);
  StateLock lock;
  SocketEntry* listener = FindLocked(s);
  if (listener == nullptr) return INVALID_SOCKET;
  if (!listener->listening) {
    Fail(WSAEINVAL);
    return INVALID_SOCKET;
  }
  SocketError error = SocketError::kNone;
  SocketEndPoint peer;
  int descriptor;
  if (listener->non_blocking) {
    descriptor = PosixSocketAccept(listener->descriptor, &peer, &error);
  } else {
    const int listening = listener->descriptor;
    lock.unlock();
    descriptor = PosixSocketAccept(listening, &peer, &error);
    lock.lock();
    if ((listener = FindLocked(s)) == nullptr) {
      PosixSocketClose(descriptor);
      return INVALID_SOCKET;
    }
  }
  SOCKET accepted = INVALID_SOCKET;
  if (descriptor < 0) {
    Fail(error);
  } else if (listener->non_blocking && !PosixSocketMakeNonBlocking(descriptor, &error)) {
    PosixSocketClose(descriptor);
    Fail(error);
  } else if ((accepted = AddLocked(descriptor)) != INVALID_SOCKET) {
    SocketEntry& entry = State().sockets[accepted];
    entry.connected = true;
    entry.non_blocking = listener->non_blocking;
    FillAddress(peer, address);
    *address_length = sizeof(sockaddr_in);
    if (listener->mask != 0) {
      SelectLocked(accepted, entry, listener->window, listener->message, listener->mask);
    }
  }
  // The next FD_ACCEPT, at once when more connections wait.
  listener->accept_due = true;
  ServeLocked(s, *listener);
  return accepted;
}

int getsockname(SOCKET s, sockaddr* name, int* name_length) {
  RequireEmulated(name_length != nullptr, "getsockname", "address length pointer", 0);
  RequireAddress("getsockname", name, *name_length);
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  SocketError error = SocketError::kNone;
  SocketEndPoint end_point;
  if (!PosixSocketName(entry->descriptor, &end_point, &error)) return Fail(error);
  FillAddress(end_point, name);
  return 0;
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  RequireEmulated(flags == 0 || flags == MSG_PEEK, "recv", "flags", flags);
  const bool peek = flags == MSG_PEEK;
  if (!PassesHook("recv", s, buffer, &length, flags)) return SOCKET_ERROR;
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (length < 0) return Fail(WSAEINVAL);
  SocketError error = SocketError::kNone;
  int64_t got = 0;
  if (!entry->non_blocking) {
    if (length == 0) return 0;
    const int descriptor = entry->descriptor;
    lock.unlock();
    got = PosixSocketReceive(descriptor, buffer, static_cast<size_t>(length), peek, &error);
    return got < 0 ? Fail(error) : static_cast<int>(got);
  }
  if (length > 0) {
    got = ReceiveNonBlockingLocked(*entry, buffer, static_cast<size_t>(length), peek, &error);
  }
  if (got > 0 && !peek) {
    entry->unread_seen = std::max<int64_t>(entry->unread_seen - got, 0);
    entry->read_progress = true;
  }
  if (got < 0) NoteFailureLocked(*entry, error);
  // A connection whose reset was already reported ends with its error, not as
  // an orderly end.
  if (got == 0 && length > 0 && entry->failure != SocketError::kNone) {
    got = -1;
    error = entry->failure;
  }
  entry->read_posted = false;
  if (got > 0) {
    ServeAfterReceiveLocked(s, *entry, peek ? ReceiveOutcome::kPeeked : ReceiveOutcome::kTook);
  } else if (got < 0 && error == SocketError::kWouldBlock) {
    ServeAfterReceiveLocked(s, *entry, ReceiveOutcome::kNoneYet);
  } else {
    ServeLocked(s, *entry);
  }
  return got < 0 ? Fail(error) : static_cast<int>(got);
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  RequireEmulated(flags == 0, "send", "flags", flags);
  const int given = length;
  if (!PassesHook("send", s, buffer, &length, flags)) return SOCKET_ERROR;
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (length < 0) return Fail(WSAEINVAL);
  SocketError error = SocketError::kNone;
  const int descriptor = entry->descriptor;
  const bool non_blocking = entry->non_blocking;
  if (!non_blocking) lock.unlock();
  const int64_t sent = PosixSocketSend(descriptor, buffer, static_cast<size_t>(length), &error);
  if (non_blocking && ((sent < 0 && error == SocketError::kWouldBlock) ||
                       (sent >= 0 && sent < given))) {
    // Owed once the socket takes more.
    entry->write_owed = true;
    ServeLocked(s, *entry);
  } else if (non_blocking && sent < 0 && NoteFailureLocked(*entry, error)) {
    // The send met the reset first: FD_CLOSE and the calls after it carry it.
    ServeLocked(s, *entry);
  }
  return sent < 0 ? Fail(error) : static_cast<int>(sent);
}

int closesocket(SOCKET s) {
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  CloseLocked(s, *entry);
  State().sockets.erase(s);
  return 0;
}

int WSAAsyncSelect(SOCKET s, HWND window, UINT message, LONG mask) {
  RequireEmulated((mask & ~kEvents) == 0, "WSAAsyncSelect", "event mask", mask);
  RequireEmulated(mask == 0 || window != nullptr, "WSAAsyncSelect", "window", 0);
  StateLock lock;
  SocketEntry* entry = FindLocked(s);
  if (entry == nullptr) return SOCKET_ERROR;
  if (!entry->non_blocking) {
    SocketError error = SocketError::kNone;
    if (!PosixSocketMakeNonBlocking(entry->descriptor, &error)) return Fail(error);
    entry->non_blocking = true;
  }
  return SelectLocked(s, *entry, window, message, mask);
}

void SetSocketCallHook(SocketCallHook hook) { CallHook() = std::move(hook); }

ULONG inet_addr(const char* text) {
  ULONG address = INADDR_NONE;
  if (text == nullptr || !ParseDottedQuad(text, &address)) return INADDR_NONE;
  return address;
}

USHORT htons(USHORT value) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap16(value);
  return value;
}

USHORT ntohs(USHORT value) { return htons(value); }

ULONG htonl(ULONG value) {
  if constexpr (std::endian::native == std::endian::little) return __builtin_bswap32(value);
  return value;
}

ULONG ntohl(ULONG value) { return htonl(value); }

hostent* gethostbyname(const char* name) {
  RequireEmulated(name != nullptr, "gethostbyname", "name", 0);
  {
    StateLock lock;
    if (State().starts == 0) {
      Fail(WSANOTINITIALISED);
      return nullptr;
    }
  }
  static thread_local HostRecord record;
  std::vector<uint32_t> addresses;
  ULONG quad;
  if (ParseDottedQuad(name, &quad)) {
    addresses.push_back(quad);
  } else {
    SocketError error = SocketError::kNone;
    if (!PosixLookUpIpv4(name, &addresses, &error)) {
      Fail(error);
      return nullptr;
    }
  }
  record.name = name;
  record.addresses.assign(addresses.begin(), addresses.end());
  record.address_list.clear();
  for (ULONG& address : record.addresses) {
    record.address_list.push_back(reinterpret_cast<char*>(&address));
  }
  record.address_list.push_back(nullptr);
  record.entry.h_name = record.name.data();
  record.entry.h_aliases = record.no_aliases;
  record.entry.h_addrtype = AF_INET;
  record.entry.h_length = sizeof(in_addr);
  record.entry.h_addr_list = record.address_list.data();
  return &record.entry;
}
