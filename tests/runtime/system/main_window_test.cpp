// The main window, its procedure and message processing on the null host.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "platform/host/cp932.h"
#include "platform/win32/kernel.h"
#include "platform/win32/user.h"
#include "runtime/core/log.h"
#include "tests/runtime/core/file_test_support.h"
#include "tests/runtime/core/lock_test_support.h"
#include "tests/runtime/system/window_test_support.h"
#include "tests/support/window_class_holder.h"

namespace {

// UTF-8 text as the host speaks it.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string RingText() {
  std::string text;
  char character[2];
  for (int size; (size = TakeTypedChar(character, 1)) != 0;) text.append(character, size);
  return text;
}

// ---- The frame loop's two ends ------------------------------------------------

struct EndCase {
  const char* name;
  bool close;  // the user closes the window; else Escape is pressed
};

class FrameLoopEndTest : public MainWindowTest, public ::testing::WithParamInterface<EndCase> {};

// The game's loop runs while message processing gives 0 and Escape (key
// code 1) is up; closing the window or pressing Escape ends it.
TEST_P(FrameLoopEndTest, EndsTheLoopAtTheFrameAfterTheEvent) {
  int frames = 0;
  while (frames < 50) {
    if (Frame() != 0 || IsKeyDown(1) != 0) break;
    ++frames;
    if (frames == 3) {
      if (GetParam().close) {
        Post(HostEvent(HostEventType::Close));
      } else {
        CurrentHost().Input().SetKey(1, true);
      }
    }
  }
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(GetWindowClosedFlag(), GetParam().close ? 1 : 0);
  if (GetParam().close) {
    // Once closed, every further call reports it.
    EXPECT_EQ(ProcessMessage(), -1);
    EXPECT_EQ(ProcessMessage(), -1);
  }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, FrameLoopEndTest,
                         ::testing::Values(EndCase{"close", true}, EndCase{"escape", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Alt+Enter -----------------------------------------------------------------------

class ModeToggleTest : public MainWindowTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(ModeToggleTest, AltEnterSwitchesTheModeOnlyWhenAllowed) {
  const int32_t allowed = GetParam();
  WindowModeChangeAllowed = allowed;
  ASSERT_EQ(WindowModeFlag, 1);
  EXPECT_FALSE(TestHost().FullScreen());

  Post(KeyDown(0x38, true));  // Alt
  Post(KeyDown(0x1C, true));  // Return with Alt held
  EXPECT_EQ(ProcessMessage(), 0);
  // The request is taken by the window procedure; the switch itself is made
  // at the start of the next message processing on the window's thread.
  EXPECT_EQ(PendingWindowModeToggle, allowed);
  EXPECT_EQ(WindowModeFlag, 1);
  EXPECT_EQ(ProcessMessage(), 0);
  EXPECT_EQ(PendingWindowModeToggle, 0);
  EXPECT_EQ(WindowModeFlag, allowed ? 0 : 1);
  EXPECT_EQ(TestHost().FullScreen(), allowed == 1);
  // Return itself typed nothing: Alt+Return is no character.
  EXPECT_EQ(RingText(), "");

  if (allowed) {
    // And back to window mode.
    Post(KeyDown(0x1C, true));
    ProcessMessage();
    ProcessMessage();
    EXPECT_EQ(WindowModeFlag, 1);
    EXPECT_FALSE(TestHost().FullScreen());
  }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, ModeToggleTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "allowed" : "not_allowed"; });

// The maximise box asks for the same switch.
TEST_F(MainWindowTest, MaximisingTheWindowRequestsTheSwitchWhenAllowed) {
  Post(HostEvent(HostEventType::Maximized));
  ProcessMessage();
  EXPECT_EQ(PendingWindowModeToggle, 0);
  WindowModeChangeAllowed = 1;
  Post(HostEvent(HostEventType::Maximized));
  ProcessMessage();
  ProcessMessage();
  EXPECT_EQ(WindowModeFlag, 0);
}

// ---- Typed characters through the window --------------------------------------------

TEST_F(MainWindowTest, TypedTextArrivesInTheRingAsShiftJis) {
  CurrentHost().Input().AddTypedText(Utf8ToCp932(U8(u8"ab日本語")));
  ProcessMessage();
  EXPECT_EQ(RingText(), "ab日本語");  // this file's literals are Shift-JIS
}

TEST_F(MainWindowTest, EditingKeysArriveAsControlCodesAndTypingKeysAsCharacters) {
  const struct {
    int dik;
    const char* ring;
  } cases[] = {
      {0xD3, "\x10"}, {0xCB, "\x1D"}, {0xCD, "\x1C"}, {0xC8, "\x1E"}, {0xD0, "\x1F"},
      {0x0E, "\x08"}, {0x0F, "\x09"}, {0x1C, "\r"},   {0x01, "\x1B"}, {0x2C, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dik);
    Post(KeyDown(c.dik));
    ProcessMessage();
    EXPECT_EQ(RingText(), c.ring);
  }
}

TEST_F(MainWindowTest, CharacterMessagesFollowTheRingRules) {
  HWND window = GetMainWindowHandle();
  const struct {
    WPARAM code;
    const char* ring;
  } cases[] = {
      {'\n', "\r"}, {1, ""}, {7, ""}, {8, "\x08"}, {16, "\x10"}, {27, "\x1B"}, {31, ""},
      {32, " "},    {'A', "A"}, {0x82, "\x82"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    SendMessageA(window, WM_CHAR, c.code, 1);
    std::string ring;
    while (CharCodeRing.read != CharCodeRing.write) {
      ring += static_cast<char>(CharCodeRing.bytes[CharCodeRing.read]);
      CharCodeRing.read = (CharCodeRing.read + 1) % kCharCodeRingSlots;
    }
    EXPECT_EQ(ring, c.ring);
  }
}

// ---- Other window messages -------------------------------------------------------------

TEST_F(MainWindowTest, ADropOf1200FilesKeepsTheFirst1000) {
  HostEvent drop(HostEventType::FilesDropped);
  for (int i = 0; i < 1200; ++i) drop.paths.push_back("/data/file" + std::to_string(i) + ".png");
  drop.paths[1] = U8(u8"/data/画像.png");
  Post(drop);
  ProcessMessage();
  ASSERT_EQ(DroppedFileList.count, 1000);
  EXPECT_STREQ(DroppedFileList.names[0], "/data/file0.png");
  EXPECT_STREQ(DroppedFileList.names[1], "/data/画像.png");
  EXPECT_STREQ(DroppedFileList.names[999], "/data/file999.png");
}

TEST_F(MainWindowTest, TheScreenSaverNeverStartsWhileTheWindowIsUp) {
  BOOL active = TRUE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
  EXPECT_EQ(active, FALSE);
  HWND window = GetMainWindowHandle();
  EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 1);
  EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 1);
}

TEST_F(MainWindowTest, ASecondCloseRequestPostsNothingNew) {
  RequestWindowClose();
  RequestWindowClose();
  MSG message;
  int closes = 0;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) closes += message.message == WM_CLOSE;
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(GetCloseRequestedFlag(), 1);
}

TEST_F(MainWindowTest, MovesStoreTheClientRectangleAndTheWheelCounts) {
  HostEvent moved(HostEventType::Moved);
  moved.x = 100;
  moved.y = 50;
  Post(moved);
  ProcessMessage();
  int32_t left, top, right, bottom;
  GetClientScreenRect(&left, &top, &right, &bottom);
  EXPECT_EQ(left, 100);
  EXPECT_EQ(top, 50);
  EXPECT_EQ(right, 740);
  EXPECT_EQ(bottom, 530);
  HWND window = GetMainWindowHandle();
  SendMessageA(window, WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0);
  SendMessageA(window, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint16_t>(-240)) << 16, 0);
  SendMessageA(window, WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0);
  EXPECT_EQ(WheelCount, 1);
}

// ---- Message processing ----------------------------------------------------------------

// Counts the messages the window procedure sees, by pass.
std::vector<int>* g_seen = nullptr;
LRESULT CountingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_USER + 1 && g_seen != nullptr) g_seen->push_back(static_cast<int>(wparam));
  return DefWindowProcA(window, message, wparam, lparam);
}

TEST_F(MainWindowTest, SixWaitingMessagesTakeTwoPassesAndAThirdThatFindsNothing) {
  // A second window of this thread whose messages are counted: its messages
  // are taken by the same loop.
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = CountingProc;
  window_class.lpszClassName = "CountingWindow";
  ASSERT_NE(RegisterClassA(&window_class), 0);
  HWND counting = CreateWindowExA(0, "CountingWindow", "", 0, 0, 0, 8, 8, nullptr, nullptr,
                                  nullptr, nullptr);
  ASSERT_NE(counting, nullptr);
  std::vector<int> seen;
  g_seen = &seen;
  for (int i = 0; i < 6; ++i) PostMessageA(counting, WM_USER + 1, i, 0);
  const uint64_t before = TestHost().PeekMicroseconds();
  EXPECT_EQ(ProcessMessage(), 0);
  // An active window sleeps in no pass.
  EXPECT_LT(TestHost().PeekMicroseconds() - before, 1000u);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  g_seen = nullptr;
  DestroyWindow(counting);
  UnregisterClassA("CountingWindow", nullptr);
}

TEST_F(MainWindowTest, AQuitMessageClosesTheWindowForGood) {
  PostQuitMessage(0);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(ProcessMessage(), -1);
  EXPECT_EQ(GetWindowClosedFlag(), 1);
}

TEST_F(MainWindowTest, ACallDuringTheKeyInputStepDoesNothing) {
  Post(HostEvent(HostEventType::Close));
  ProcessMessageGuard = 1;
  EXPECT_EQ(ProcessMessage(), 0);
  ProcessMessageGuard = 0;
  EXPECT_EQ(GetWindowClosedFlag(), 0);
  EXPECT_EQ(ProcessMessage(), -1);
}

// While the window is inactive the game thread's call sleeps 1 ms per pass
// and returns only once the window is active again.
TEST_F(MainWindowTest, AnInactiveWindowHoldsTheCallUntilItIsActiveAgain) {
  Post(HostEvent(HostEventType::FocusLost));
  const uint64_t start = TestHost().PeekMicroseconds();
  std::atomic<bool> returned{false};
  std::thread activator([&] {
    // Once 50 ms of virtual time have gone by in 1 ms sleeps, the window
    // becomes active again.
    while (TestHost().PeekMicroseconds() - start < 50000 && !returned) std::this_thread::yield();
    Post(HostEvent(HostEventType::FocusGained));
  });
  EXPECT_EQ(ProcessMessage(), 0);
  returned = true;
  activator.join();
  EXPECT_EQ(GetWindowActiveFlag(), 1);
  EXPECT_GE(TestHost().PeekMicroseconds() - start, 50000u);
}

TEST_F(MainWindowTest, TheWindowCountsAsActiveUntilTheHostReportsAFocusLoss) {
  EXPECT_EQ(GetWindowActiveFlag(), 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(), 0);
  EXPECT_EQ(GetWindowActiveFlag(), 1);
}

// ---- Creation, caption and mode -----------------------------------------------------

TEST_F(MainWindowTest, TheCaptionReachesTheHostAndTheClientAreaIsTheScreen) {
  EXPECT_EQ(TestHost().Title(), "BRIMAL_Ver1.04");
  SetMainWindowCaption("ブリマル");
  EXPECT_EQ(TestHost().Title(), U8(u8"ブリマル"));
  int width = 0, height = 0;
  TestHost().Video().GetWindowImageSize(&width, &height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
  int32_t left, top, right, bottom;
  GetClientScreenRect(&left, &top, &right, &bottom);
  EXPECT_EQ(left, (1920 - 640) / 2);
  EXPECT_EQ(top, (1080 - 480) / 2);
  EXPECT_EQ(right - left, 640);
  EXPECT_EQ(bottom - top, 480);
}

TEST_F(MainWindowTest, ChangingToTheCurrentModeOnlyLogs) {
  TestFolder folder;
  LogCapture log(folder.path());
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_NE(log.text().find("ChangeWindowMode実行 \r\n"), std::string::npos);
  EXPECT_EQ(log.text().find("ウインドウ"), std::string::npos);
  EXPECT_EQ(WindowModeFlag, 1);
}

TEST_F(MainWindowTest, ASecondCopyWithTheSameClassStopsAtStartUp) {
  // This program's window is the first copy; a second start-up finds it.
  const MainWindowState first = MainWindow;
  EXPECT_EQ(CreateMainWindow(), -1);
  EXPECT_EQ(GetWindowClosedFlag(), 1);
  MainWindow = first;
  WindowClosedFlag = 0;
}

// Another program of the login session with a window of the game's class:
// start-up stops with the log line and a closed window, or, where double
// start is allowed, logs that it goes on and makes its window. Once the
// other window is gone, start-up finds no second copy.
class DoubleStartTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(DoubleStartTest, AnotherProgramsWindowOfTheClassStopsStartUpUnlessAllowed) {
  const int32_t allowed = GetParam();
  OtherProgramWindow other("BRIMAL_Ver1.04");
  ASSERT_TRUE(other.made());
  AcquireLibraryLock();
  ClearHostInput();
  ResetWindowSettings();
  WindowSettings.double_start_allowed = allowed;
  TestFolder folder;
  {
    LogCapture log(folder.path());
    if (allowed) {
      ASSERT_EQ(CreateMainWindow(), 0);
      EXPECT_NE(
          log.text().find("ソフトの二重起動検査... 二重起動されていますが続行します\r\n"),
          std::string::npos);
      EXPECT_EQ(GetWindowClosedFlag(), 0);
      EXPECT_NE(GetMainWindowHandle(), nullptr);
      DestroyMainWindow();
    } else {
      EXPECT_EQ(CreateMainWindow(), -1);
      EXPECT_NE(log.text().find(
                    "ソフトの二重起動検査... 二重起動されています、ソフトを終了します\r\n"),
                std::string::npos);
      EXPECT_EQ(GetWindowClosedFlag(), 1);
      EXPECT_EQ(GetMainWindowHandle(), nullptr);
      EXPECT_EQ(log.text().find("ウインドウクラスを登録します"), std::string::npos);
    }
  }
  ASSERT_TRUE(other.EndWindow());
  {
    LogCapture log(folder.path());
    ASSERT_EQ(CreateMainWindow(), 0);
    EXPECT_NE(log.text().find("二重起動はされていませんでした\r\n"), std::string::npos);
    DestroyMainWindow();
  }
  ReleaseLibraryLock();
}

INSTANTIATE_TEST_SUITE_P(MainWindow, DoubleStartTest, ::testing::Values(0, 1),
                         [](const auto& info) {
                           return std::string(info.param ? "Allowed" : "NotAllowed");
                         });

// A window without a text or class name gets the defaults.
TEST(MainWindowDefaultsTest, EmptyTextAndClassGiveTheDefaults) {
  AcquireLibraryLock();
  ClearHostInput();
  ResetWindowSettings();
  WindowSettings.text[0] = '\0';
  ASSERT_EQ(CreateMainWindow(), 0);
  EXPECT_STREQ(WindowSettings.class_name, "D123987X");
  EXPECT_STREQ(WindowSettings.text, "Zarnel");
  EXPECT_NE(FindWindowA("D123987X", "Zarnel"), nullptr);
  EXPECT_EQ(TestHost().Title(), "Zarnel");
  DestroyMainWindow();
  EXPECT_EQ(FindWindowA("D123987X", nullptr), nullptr);
  ReleaseLibraryLock();
}

// The start-up measurements (the timer test and the 200 ms message pump) run
// on the virtual clock: window creation ends after a bounded stretch of it.
TEST(MainWindowStartTest, StartUpMeasurementsEndOnTheVirtualClock) {
  AcquireLibraryLock();
  ClearHostInput();
  ResetWindowSettings();
  TestFolder folder;
  LogCapture log(folder.path());
  const uint64_t start = TestHost().PeekMicroseconds();
  ASSERT_EQ(CreateMainWindow(), 0);
  const uint64_t elapsed = TestHost().PeekMicroseconds() - start;
  EXPECT_GE(elapsed, 200000u);
  EXPECT_LT(elapsed, 400000u);
  EXPECT_NE(log.text().find("メモリ総量:512.00MB  空きメモリ領域:256.00MB "), std::string::npos);
  EXPECT_NE(log.text().find("パフォーマンスカウンターを使用します"), std::string::npos);
  EXPECT_NE(log.text().find("二重起動はされていませんでした"), std::string::npos);
  EXPECT_NE(log.text().find("ＩＭＥを無効にしました"), std::string::npos);
  EXPECT_EQ(MainWindow.char_set, 1);
  DestroyMainWindow();
  ReleaseLibraryLock();
}

// ---- The message thread ------------------------------------------------------------

// The thread starts with the window, runs message processing while the game
// thread leaves it the lock, and ends with the window; shut-down waits no
// longer than one of its 1000 ms slices of virtual time.
TEST(MessageThreadTest, StartsWithTheWindowAndEndsWithIt) {
  AcquireLibraryLock();
  ClearHostInput();
  ResetWindowSettings();
  ASSERT_EQ(CreateMainWindow(), 0);
  InitCharCodeBuffer();
  ASSERT_NE(MainWindow.message_thread, nullptr);
  EXPECT_EQ(MessageThreadEndedFlag, 0);
  // It waits for the lock the game thread holds.
  ASSERT_TRUE(WaitUntil([] { return QueueLength() == 1; }));
  EXPECT_EQ(ReadLibraryLockState().queue[0], MainWindow.message_thread_id);

  // An active key input shows the thread's passes: it takes the typed
  // characters from the ring.
  char text[8] = {};
  KeyInputRecords[0] = KeyInputRecord{1, 0, 0, 0, 0, 7, 0, text, 0, 0, 0};
  KeyInputState.active = KeyInputHandle(0);
  PutTypedChar('o');
  PutTypedChar('k');
  ReleaseLibraryLock();
  ASSERT_TRUE(WaitUntil([] {
    ScopedLibraryLock lock;
    return KeyInputRecords[0].length == 2;
  }));
  AcquireLibraryLock();
  EXPECT_STREQ(text, "ok");
  KeyInputRecords[0] = KeyInputRecord{};
  KeyInputState.active = -1;

  const uint64_t start = TestHost().PeekMicroseconds();
  DestroyMainWindow();
  EXPECT_LE(TestHost().PeekMicroseconds() - start, 1001000u);
  EXPECT_EQ(MessageThreadEndedFlag, 1);
  EXPECT_EQ(MainWindow.message_thread, nullptr);
  ReleaseLibraryLock();
  const LibraryLockState state = ReadLibraryLockState();
  EXPECT_EQ(state.held, 0);
  EXPECT_TRUE(state.queue.empty());
}

// Shut-down does not wait for a thread that is not there.
TEST(MessageThreadTest, ShutDownWithoutAMessageThreadDoesNotWait) {
  AcquireLibraryLock();
  ClearHostInput();
  ResetWindowSettings();
  ASSERT_EQ(CreateMainWindow(), 0);
  // Let the thread end, then forget it, as if it had never started.
  WindowClosedFlag = 1;
  while (MessageThreadEndedFlag == 0) Sleep(1);
  CloseHandle(MainWindow.message_thread);
  MainWindow.message_thread = nullptr;
  MessageThreadEndedFlag = 0;
  WindowClosedFlag = 0;
  EXPECT_EQ(DestroyMainWindow(), 0);
  EXPECT_EQ(MessageThreadEndedFlag, 0);
  ReleaseLibraryLock();
}

}  // namespace
