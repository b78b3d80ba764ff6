// The window and message stand-ins on the null host.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/key_codes.h"
#include "platform/win32/user.h"

namespace {

std::vector<UINT>* g_messages = nullptr;
LRESULT RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_messages != nullptr) g_messages->push_back(message);
  return DefWindowProcA(window, message, wparam, lparam);
}

class WindowStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = RecordingProc;
    window_class.lpszClassName = "StandInTest";
    ASSERT_NE(RegisterClassA(&window_class), 0);
    g_messages = &messages_;
    window_ = CreateWindowExA(0, "StandInTest", "t", WS_CAPTION | WS_VISIBLE, 100, 100, 320, 240,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    g_messages = nullptr;
    UnregisterClassA("StandInTest", nullptr);
  }
  static NullHost& Host() { return static_cast<NullHost&>(CurrentHost()); }

  HWND window_ = nullptr;
  std::vector<UINT> messages_;
};

TEST_F(WindowStandInTest, MessagesBelongToTheWindowsThread) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  std::atomic<bool> other_found{true};
  std::thread other([&] {
    PostMessageA(window_, WM_USER, 7, 0);
    MSG seen;
    other_found = PeekMessageA(&seen, nullptr, 0, 0, PM_REMOVE) != FALSE;
  });
  other.join();
  EXPECT_FALSE(other_found);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_USER);
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_EQ(message.hwnd, window_);
}

TEST_F(WindowStandInTest, TranslateTurnsTypingKeysIntoCharacters) {
  const struct {
    UINT message;
    WPARAM key;
    UINT char_message;  // 0: none
    WPARAM character;
  } cases[] = {
      {WM_KEYDOWN, VK_BACK, WM_CHAR, 8},        {WM_KEYDOWN, VK_TAB, WM_CHAR, 9},
      {WM_KEYDOWN, VK_RETURN, WM_CHAR, 13},     {WM_KEYDOWN, VK_ESCAPE, WM_CHAR, 27},
      {WM_KEYDOWN, 'A', 0, 0},                  {WM_KEYDOWN, VK_DELETE, 0, 0},
      {WM_SYSKEYDOWN, VK_RETURN, WM_SYSCHAR, '\r'}, {WM_SYSKEYDOWN, 'A', 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    PostMessageA(window_, WM_USER, 0, 0);  // waits behind: the character comes first
    message = MSG{window_, c.message, c.key, 1, 0, {0, 0}};
    TranslateMessage(&message);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    if (c.char_message == 0) {
      EXPECT_EQ(message.message, WM_USER);
    } else {
      EXPECT_EQ(message.message, c.char_message);
      EXPECT_EQ(message.wParam, c.character);
    }
  }
}

TEST_F(WindowStandInTest, ThePaintMessageComesOnlyWhenNothingElseWaits) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  InvalidateRect(window_, nullptr, FALSE);
  PostMessageA(window_, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_USER);
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, WM_PAINT);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

// The host shows the first window: its client size as the window image, and
// full screen while it has no caption and stands at the desktop's origin.
TEST_F(WindowStandInTest, TheHostFollowsTheWindowsSizeAndLook) {
  int width = 0, height = 0;
  Host().Video().GetWindowImageSize(&width, &height);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_FALSE(Host().FullScreen());
  messages_.clear();
  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
  SetWindowPos(window_, HWND_TOPMOST(), 0, 0, 640, 480, SWP_SHOWWINDOW);
  EXPECT_TRUE(Host().FullScreen());
  Host().Video().GetWindowImageSize(&width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  EXPECT_EQ(messages_, (std::vector<UINT>{WM_MOVE, WM_SIZE}));
  EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(WS_CAPTION | WS_VISIBLE));
  EXPECT_FALSE(Host().FullScreen());
}

TEST_F(WindowStandInTest, HostCloseBecomesCloseAndDestroy) {
  Host().PostEvent(HostEvent(HostEventType::Close));
  MSG message;
  messages_.clear();
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(messages_, (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window_));
}

// A message-only window (parent HWND_MESSAGE) takes its messages through its
// thread's queue like any window, but is never shown and never becomes the
// host's window, even when it is the first window made.
TEST(MessageOnlyWindowTest, TakesMessagesButIsNeitherShownNorTheHostsWindow) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = RecordingProc;
  window_class.lpszClassName = "MessageOnlyTest";
  ASSERT_NE(RegisterClassA(&window_class), 0);
  std::vector<UINT> messages;
  g_messages = &messages;
  NullHost& host = static_cast<NullHost&>(CurrentHost());
  host.Video().SetTitle("before");
  HWND network = CreateWindowExA(0, "MessageOnlyTest", "network", WS_VISIBLE, 0, 0, 64, 64,
                                 HWND_MESSAGE(), nullptr, nullptr, nullptr);
  ASSERT_NE(network, nullptr);
  EXPECT_EQ(messages, std::vector<UINT>{WM_CREATE});
  EXPECT_FALSE(IsWindowVisible(network));
  EXPECT_FALSE(ShowWindow(network, SW_SHOW));
  EXPECT_FALSE(IsWindowVisible(network));
  EXPECT_NE(GetForegroundWindow(), network);
  EXPECT_EQ(host.Title(), "before");

  // The next ordinary window is the host's window.
  HWND main = CreateWindowExA(0, "MessageOnlyTest", "main", WS_CAPTION | WS_VISIBLE, 0, 0, 64,
                              64, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetForegroundWindow(), main);
  EXPECT_EQ(host.Title(), "main");

  messages.clear();
  PostMessageA(network, WM_USER + 5, 0, 0);
  MSG message;
  while (PeekMessageA(&message, network, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(messages, std::vector<UINT>{WM_USER + 5});  // and no WM_PAINT

  DestroyWindow(main);
  DestroyWindow(network);
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  g_messages = nullptr;
  UnregisterClassA("MessageOnlyTest", nullptr);
  // Child windows are not emulated.
  EXPECT_DEATH(CreateWindowExA(0, "MessageOnlyTest", "", 0, 0, 0, 8, 8,
                               reinterpret_cast<HWND>(0x10000), nullptr, nullptr, nullptr),
               "CreateWindowExA: child windows are not emulated \\(got 0x10000\\)");
}

TEST(KeyCodeTest, KeyStatesPairTheCodesAndShareTheModifiers) {
  uint8_t dik[256] = {};
  dik[0x2C] = 0x80;  // Z
  dik[0x36] = 0x80;  // right Shift
  dik[0x9C] = 0x80;  // the pad's Enter
  uint8_t vk[256];
  VirtualKeyStateFromDik(dik, vk);
  EXPECT_EQ(vk['Z'], 0x80);
  EXPECT_EQ(vk[0xA1], 0x80);
  EXPECT_EQ(vk[VK_SHIFT], 0x80);
  EXPECT_EQ(vk[0xA0], 0x00);
  EXPECT_EQ(vk[VK_RETURN], 0x80);
  EXPECT_EQ(vk['X'], 0x00);
  EXPECT_EQ(MessageVirtualKeyFromDik(0x36), VK_SHIFT);
  EXPECT_EQ(MessageVirtualKeyFromDik(0xC8), VK_UP);
  EXPECT_EQ(MessageVirtualKeyFromDik(0x00), 0);
}

}  // namespace
