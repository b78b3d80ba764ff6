#include "tests/support/network/network_start.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/win32/kernel.h"
#include "platform/win32/user.h"
#include "platform/win32/winsock.h"
#include "runtime/core/memory.h"
#include "runtime/network/http_transfer.h"
#include "runtime/network/network.h"
#include "runtime/network/network_handle.h"

namespace {

constexpr char kWindowClass[] = "NetWorkWindowForTest";
constexpr int kConnectTimeoutMs = 5000;

LRESULT NetWorkWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kSocketEventMessage:
      return HandleSocketEvent(lparam, wparam);
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      NetWorkWindowEndedFlag = 1;
      return 0;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

sockaddr_in Address(ULONG address, uint16_t port) {
  sockaddr_in name{};
  name.sin_family = AF_INET;
  name.sin_port = htons(port);
  name.sin_addr.s_addr = address;
  return name;
}

// Dispatches the network window's messages until the FD_CONNECT of `s` came
// (its error word in `error`), or the time is up.
bool PumpUntilConnectEnds(SOCKET s, int* error) {
  bool ended = false;
  const bool in_time = RepeatUntil(
      [&] {
        MSG message;
        while (PeekMessageA(&message, NetWorkWindow, 0, 0, PM_REMOVE)) {
          if (message.message == kSocketEventMessage && message.wParam == s &&
              WSAGETSELECTEVENT(message.lParam) == FD_CONNECT) {
            ended = true;
            *error = WSAGETSELECTERROR(message.lParam);
          }
          TranslateMessage(&message);
          DispatchMessageA(&message);
        }
      },
      [&] { return ended; }, kConnectTimeoutMs);
  return in_time;
}

}  // namespace

bool RepeatUntil(const std::function<void()>& step, const std::function<bool()>& done,
                 int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    step();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
}

int StartNetWorkForTest() {
  WSADATA data;
  if (WSAStartup(0x0101, &data) != 0) return -1;
  InitLinkedList(&NetWorkHandleList.tail, &NetWorkHandleList.head);
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = NetWorkWindowProc;
  window_class.lpszClassName = kWindowClass;
  RegisterClassA(&window_class);  // already there from an earlier start: fine
  NetWorkWindowEndedFlag = 0;
  NetWorkWindow = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE(), nullptr,
                                  nullptr, nullptr);
  if (NetWorkWindow == nullptr) {
    NetWorkHandleList = {};
    WSACleanup();
    return -1;
  }
  NetWorkStartedFlag = 1;
  return 0;
}

int ListenNetWorkForTest(uint16_t* port) {
  if (NetWorkStartedFlag == 0 || NetWorkHandleTable.records[ListeningSlot] != nullptr) return -1;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  const sockaddr_in address = Address(inet_addr("127.0.0.1"), 0);
  sockaddr_in bound{};
  int length = sizeof(bound);
  if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
      listen(s, SOMAXCONN) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&bound), &length) != 0) {
    closesocket(s);
    return -1;
  }
  NetWorkHandleRecord* const record = AddNetWorkRecord(ListeningSlot);
  if (record == nullptr) {
    closesocket(s);
    return -1;
  }
  record->Socket = s;
  record->AutoCloseFlag = 0;
  if (WSAAsyncSelect(s, NetWorkWindow, kSocketEventMessage, FD_ACCEPT) != 0) {
    RemoveNetWorkRecord(record);
    return -1;
  }
  AdvanceNetWorkIdCounter();
  *port = ntohs(bound.sin_port);
  return 0;
}

int ConnectNetWorkForTest(const char* host, uint16_t port, int buffered, int auto_close) {
  if (NetWorkStartedFlag == 0) return -1;
  const int32_t slot = LowestEmptyNetWorkSlot();
  const hostent* const entry = gethostbyname(host);
  if (slot < 0 || entry == nullptr || entry->h_addr_list[0] == nullptr) return -1;
  ULONG ip;
  std::memcpy(&ip, entry->h_addr_list[0], sizeof(ip));
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return -1;
  NetWorkHandleRecord* const record = AddNetWorkRecord(slot);
  if (record == nullptr) {
    closesocket(s);
    return -1;
  }
  record->Socket = s;
  record->ConnectionFlag = 0;  // until its FD_CONNECT
  record->BufferedFlag = buffered != 0 ? 1 : 0;
  record->AutoCloseFlag = auto_close != 0 ? 1 : 0;
  const sockaddr_in address = Address(ip, port);
  std::memcpy(record->PeerIp, &address.sin_addr, sizeof(record->PeerIp));
  record->PeerPort = address.sin_port;

  int error = 0;
  const bool under_way =
      WSAAsyncSelect(s, NetWorkWindow, kSocketEventMessage,
                     FD_READ | FD_WRITE | FD_CLOSE | FD_CONNECT) == 0 &&
      connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == SOCKET_ERROR &&
      WSAGetLastError() == WSAEWOULDBLOCK;
  if (!under_way || !PumpUntilConnectEnds(s, &error) || error != 0) {
    RemoveNetWorkRecord(record);
    return -1;
  }
  AdvanceNetWorkIdCounter();
  return record->ListNode.value;
}

int CreateHttpTransferForTest(int method, const char* host, uint16_t port, const char* path,
                              const char* file_path, void** buffer_holder, const void* post_data,
                              int32_t post_size) {
  if (std::strlen(host) >= kHttpHostBytes || std::strlen(path) >= kHttpPathBytes ||
      post_size < 0 || (file_path == nullptr && buffer_holder == nullptr)) {
    return -1;
  }
  int32_t slot = 0;
  while (slot < kHttpTransferSlots && HttpTransferTable.transfers[slot] != nullptr) ++slot;
  if (slot == kHttpTransferSlots) return -1;

  const int handle = ConnectNetWorkForTest(host, port, 0, 0);
  if (handle == -1) return -1;
  HANDLE file = nullptr;
  if (file_path != nullptr) {
    file = CreateFileA(file_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      ReleaseNetWorkHandle(handle);
      return -1;
    }
  }
  auto* transfer =
      static_cast<HttpTransfer*>(AllocTrackedCleared(sizeof(HttpTransfer), "", 0));
  void* body = post_size > 0 ? AllocTracked(static_cast<size_t>(post_size), "", 0) : nullptr;
  if (transfer == nullptr || (post_size > 0 && body == nullptr)) {
    FreeTracked(transfer);
    FreeTracked(body);
    if (file != nullptr) CloseHandle(file);
    ReleaseNetWorkHandle(handle);
    return -1;
  }
  if (post_size > 0) std::memcpy(body, post_data, static_cast<size_t>(post_size));

  transfer->Method = method;
  transfer->Step = 0;
  transfer->Result = kHttpRunning;
  transfer->ErrorDetail = kHttpNoDetail;
  transfer->NetHandle = handle;
  transfer->DestinationKind = file_path != nullptr ? kHttpToFile : kHttpToMemory;
  transfer->FileHandle = file;
  transfer->BufferHolder = file_path != nullptr ? nullptr : buffer_holder;
  if (transfer->BufferHolder != nullptr) *transfer->BufferHolder = nullptr;
  transfer->ContentLength = -1;
  transfer->ReceivedBytes = 0;
  std::strcpy(transfer->Host, host);
  std::strcpy(transfer->Path, path);
  transfer->PostData = body;
  transfer->PostDataSize = post_size;
  transfer->Port = port;
  HttpTransferTable.transfers[slot] = transfer;
  HttpTransferTable.count += 1;
  return slot;
}
