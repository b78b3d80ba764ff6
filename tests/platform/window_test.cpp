// The window and message stand-ins on the null host.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/host/host.h"
#include "platform/null/null_host.h"
#include "platform/win32/key_codes.h"
#include "platform/win32/user.h"
#include "tests/support/private_runtime_folder.h"
#include "tests/support/window_class_holder.h"

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

// ---- Windows of other programs ---------------------------------------------------

// A search by class alone sees the top-level window of another program of
// the session (the test's runtime folder), whatever the case of the name,
// for as long as the window exists, and says so on stderr; the handle found
// takes no calls. A search that names the window's text sees this
// program's windows only.
TEST(OtherProgramsWindowTest, IsFoundByItsClassForAsLongAsItExists) {
  OtherProgramWindow other("Other Copy");
  ASSERT_TRUE(other.made());
  ::testing::internal::CaptureStderr();
  const HWND found = FindWindowA("Other Copy", nullptr);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(found, nullptr);
  EXPECT_EQ(said,
            "brimal: another copy of the program is running in this login session (it has a "
            "window of class \"Other Copy\")\n");
  EXPECT_FALSE(IsWindow(found));
  EXPECT_FALSE(PostMessageA(found, WM_USER, 0, 0));
  EXPECT_NE(FindWindowA("oTHER cOPY", nullptr), nullptr);
  EXPECT_EQ(FindWindowA("Other", nullptr), nullptr);
  EXPECT_EQ(FindWindowA("Other Copy", "holder"), nullptr);

  // The window goes; its program runs on.
  ASSERT_TRUE(other.EndWindow());
  EXPECT_EQ(FindWindowA("Other Copy", nullptr), nullptr);
}

// A program that is killed leaves no mark of its window behind, and a
// program it started (as the game starts a dialog) does not keep one.
TEST(OtherProgramsWindowTest, IsGoneWhenItsProgramIsKilledWhileAProgramItStartedRuns) {
  OtherProgramWindow other("Killed Copy");
  ASSERT_TRUE(other.made());
  const pid_t child = other.StartChild();
  ASSERT_GT(child, 0);
  EXPECT_NE(FindWindowA("Killed Copy", nullptr), nullptr);
  other.Kill();
  EXPECT_EQ(kill(child, 0), 0) << "the started program should still run";
  EXPECT_EQ(FindWindowA("Killed Copy", nullptr), nullptr);
  kill(child, SIGKILL);
}

// Class names become file names in the runtime folder: separators, dots,
// Shift-JIS bytes and names of 255 bytes each mark one file inside the
// folder, and names that could meet once made file names stay apart.
TEST(OtherProgramsWindowTest, ClassNamesOfAnyBytesStayInsideTheFolderAndApart) {
  struct Case {
    std::string held;
    std::string same;   // the same class
    std::string other;  // another class
  };
  const std::string long_name(250, 'x');
  const Case cases[] = {
      {"../up/Class", "../UP/class", "../up/Clas"},
      {".", ".", ".."},
      {"\x83\x41\x83\x8B", "\x83\x41\x83\x8B", "\x83\x42\x83\x8B"},
      {"a-b", "A-B", "a_2db"},
      {long_name + "one-1", long_name + "ONE-1", long_name + "one-2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.held);
    OtherProgramWindow other(c.held);
    ASSERT_TRUE(other.made());
    EXPECT_NE(FindWindowA(c.same.c_str(), nullptr), nullptr);
    EXPECT_EQ(FindWindowA(c.other.c_str(), nullptr), nullptr);
  }
  const std::filesystem::path folder = std::getenv("XDG_RUNTIME_DIR");
  // Only the marks' own files: the folder may also hold the runtime folders
  // of this program's death-test children.
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind("brimal-window-", 0) != 0) continue;
    EXPECT_TRUE(entry.is_regular_file()) << entry.path();
  }
  EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "up"));
}

// Makes a window of class "Planted" and searches for another class; 0 when
// the window was made and nothing was found.
int MakeAWindowAndSearch() {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = RecordingProc;
  window_class.lpszClassName = "Planted";
  if (RegisterClassA(&window_class) == 0) return 1;
  HWND window = CreateWindowExA(0, "Planted", "", WS_CAPTION, 0, 0, 8, 8, nullptr, nullptr,
                                nullptr, nullptr);
  const bool found = FindWindowA("Elsewhere", nullptr) != nullptr;
  DestroyWindow(window);
  return window != nullptr && !found ? 0 : 1;
}

// What a folder holds, every level down.
std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    entries.insert(entry.path().string());
  }
  return entries;
}

// Where the runtime folder is missing or cannot be trusted, windows are made
// and searches answer for this program alone; one line on stderr says why,
// and nothing is made in a folder that is not safe, nor through a link or a
// pipe planted where the mark belongs. Each case runs in a process of its
// own, where nothing was said yet.
struct UnsafeFolderCase {
  const char* name;
  // Points XDG_RUNTIME_DIR somewhere, given an empty folder of the case.
  void (*prepare)(const std::string& scratch);
  const char* said;  // the reason on stderr, as a pattern
};

class UnsafeRuntimeFolderTest : public ::testing::TestWithParam<UnsafeFolderCase> {};

TEST_P(UnsafeRuntimeFolderTest, MakesTheWindowAndSaysWhyNoOtherProgramIsSeen) {
  EXPECT_EXIT(
      {
        const std::string scratch = NewRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"));
        GetParam().prepare(scratch);
        const std::set<std::string> before = FolderEntries(scratch);
        const int searched = MakeAWindowAndSearch();
        std::exit(searched != 0 ? 1 : FolderEntries(scratch) != before ? 3 : 0);
      },
      ::testing::ExitedWithCode(0),
      std::string("brimal: ") + GetParam().said +
          "; a second copy of the program in this login session is not noticed");
}

INSTANTIATE_TEST_SUITE_P(
    Windows, UnsafeRuntimeFolderTest,
    ::testing::Values(
        UnsafeFolderCase{"Unset", [](const std::string&) { unsetenv("XDG_RUNTIME_DIR"); },
                         "XDG_RUNTIME_DIR is not set"},
        UnsafeFolderCase{"Relative",
                         [](const std::string&) { setenv("XDG_RUNTIME_DIR", "run/user", 1); },
                         "XDG_RUNTIME_DIR \\(run/user\\) is not an absolute path"},
        UnsafeFolderCase{"Missing",
                         [](const std::string& scratch) {
                           setenv("XDG_RUNTIME_DIR", (scratch + "/missing").c_str(), 1);
                         },
                         "cannot open XDG_RUNTIME_DIR \\(.*/missing\\): No such file or directory"},
        UnsafeFolderCase{"OpenToOthers",
                         [](const std::string& scratch) {
                           chmod(scratch.c_str(), 0755);
                           setenv("XDG_RUNTIME_DIR", scratch.c_str(), 1);
                         },
                         "XDG_RUNTIME_DIR \\(.*\\) is not a folder that only this user may use"},
        UnsafeFolderCase{"PlantedLink",
                         [](const std::string& scratch) {
                           mkdir((scratch + "/away").c_str(), 0700);
                           symlink((scratch + "/away/made").c_str(),
                                   (scratch + "/brimal-window-planted.lock").c_str());
                           setenv("XDG_RUNTIME_DIR", scratch.c_str(), 1);
                         },
                         "cannot open .*/brimal-window-planted.lock: "
                         "Too many levels of symbolic links"},
        UnsafeFolderCase{"PlantedPipe",
                         [](const std::string& scratch) {
                           mkfifo((scratch + "/brimal-window-planted.lock").c_str(), 0600);
                           setenv("XDG_RUNTIME_DIR", scratch.c_str(), 1);
                         },
                         ".*/brimal-window-planted.lock is not a file of this user"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
