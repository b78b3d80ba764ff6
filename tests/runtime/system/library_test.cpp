// Library start-up and shut-down on the null host, read back from "Log.txt":
// the order of every stage of the start and of the end, the system
// information the platform reports, the failure paths (the 24-bit refusal
// before anything is made, a failed window creation followed by the whole
// end), a start without sound, COM started once, and a second start after
// an end.
#include "runtime/system/library.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/user.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/sound/sound.h"
#include "runtime/system/main_window.h"
#include "tests/support/library_folder.h"

namespace {

// Runs each test in a folder of its own, so that start-up writes "Log.txt"
// there; holds the library lock as the API entries do.
class LibraryTest : public LibraryFolderTest {
 protected:
  void TearDown() override {
    SkipSoundFlag = 0;
    LibraryFolderTest::TearDown();
  }

  // Every line of `lines` is in the log, each after the one before.
  ::testing::AssertionResult InOrder(const std::vector<std::string>& lines) const {
    const std::string log = LogText();
    size_t at = 0;
    for (const std::string& line : lines) {
      const size_t found = log.find(line, at);
      if (found == std::string::npos) {
        return ::testing::AssertionFailure()
               << "not found in order: " << line << "\nthe log reads:\n"
               << log;
      }
      at = found + line.size();
    }
    return ::testing::AssertionSuccess();
  }
};

const std::vector<std::string> kEndLines = {
    "DirectDraw 関連の終了処理をおこないます",
    "グラフィック管理系の終了処理は正常に終了しました",
    "DirectDraw 関連の終了処理は正常に終了しました",
    "DirectInput 関連の終了処理... 完了",
    "DirectSound の終了処理は正常に終了しました",
    "ウインドウを閉じようとしています",
    "ＣＯＭを終了... 完了",
    "Alloc memory dump",
};

TEST_F(LibraryTest, StartsAndEndsInItsOrder) {
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(InitRunningFlag, 0);
  EXPECT_EQ(LibraryRunningFlag, 1);
  EXPECT_NE(GetMainWindowHandle(), nullptr);
  // What the platform reports.
  EXPECT_EQ(OsVersionCode, 0x107);
  EXPECT_EQ(MmxUsableFlag, 1);
  EXPECT_EQ(Screen.MmxBlitsEnabled, 1) << "the screen start takes the MMX flag";
  EXPECT_EQ(TimeStampCounterUsable, 0);
  EXPECT_EQ(PerformanceCounterUsable, 1);
  EXPECT_EQ(PerformanceCounterFrequency, 1000000);
  EXPECT_EQ(GetFlipWaitVSync(), 1);
  // Start-up ends on the front screen with the whole screen to draw on.
  EXPECT_EQ(DrawTarget, kDrawTargetFrontScreen);
  EXPECT_EQ(DrawArea.right, 640);
  EXPECT_EQ(DrawArea.bottom, 480);
  EXPECT_EQ(GraphicsReady, 1);
  // The drawing pass left no graphic behind.
  EXPECT_EQ(GraphicTable.live_count, 0);

  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(LibraryRunningFlag, 0);
  EXPECT_EQ(GetMainWindowHandle(), nullptr);
  EXPECT_EQ(GraphicsReady, 0);

  std::vector<std::string> lines = {
      "システムの情報を出力します",
      "ザーネル Ver2.24c",
      "ＯＳ  ",
      "WindowsXP ( Build 2600 Service Pack 2 )",
      "ＭＭＸ命令を使用します",
      "ＣＰＵベンダ：BrimalVirtCP",
      "ＣＰＵ名：Brimal Virtual Processor",
      "ＣＯＭの初期化... ",
      "成功しました",
      "ウインドウモード起動用のウインドウを作成します",
      "DirectInput関係初期化処理",
      "DirectDraw 関連の初期化を行います",
      "グラフィック管理系の初期化を行います",
      "フォントの初期化は正常に終了しました",
      "グラフィック管理系の初期化は正常に終了しました",
      "DirectDraw 関連の初期化は正常に終了しました",
      "文字コードバッファの初期化を行います",
  };
  lines.insert(lines.end(), kEndLines.begin(), kEndLines.end());
  EXPECT_TRUE(InOrder(lines));
  const std::string log = LogText();
  EXPECT_EQ(log.find("ＣＰＵ動作速度"), std::string::npos) << "no time-stamp counter to measure";
  EXPECT_LT(log.find("DirectSound"), log.find("DirectDraw 関連の初期化を行います"))
      << "sound starts before graphics";
}

TEST_F(LibraryTest, StartsAgainAfterAnEnd) {
  ASSERT_EQ(InitLibrary(), 0);
  ASSERT_EQ(EndLibrary(), 0);
  ASSERT_EQ(InitLibrary(), 0) << "nothing of the first run stands in the way";
  EXPECT_NE(GetMainWindowHandle(), nullptr);
  EXPECT_EQ(ComStartedFlag, 1);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(ComStartedFlag, 0);
}

// A full-screen depth of 24 is refused before anything is made: no COM, no
// window, nothing to end.
TEST_F(LibraryTest, TwentyFourBitDepthIsRefusedBeforeAnythingIsMade) {
  Screen.ScreenColorDepth = 24;
  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_EQ(InitRunningFlag, 0);
  EXPECT_EQ(ComStartedFlag, 0);
  EXPECT_EQ(GetMainWindowHandle(), nullptr);
  EXPECT_TRUE(InOrder({"ザーネルは２４ビットカラーモードに対応していません"}));
  const std::string log = LogText();
  EXPECT_EQ(log.find("ＣＯＭの初期化"), std::string::npos);
  EXPECT_EQ(log.find("Alloc memory dump"), std::string::npos);
}

// A window of the same class is there already: window creation refuses a
// second copy, and start-up ends everything it started.
TEST_F(LibraryTest, FailedWindowCreationEndsTheLibrary) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.lpszClassName = "BRIMAL_Ver1.04";
  ASSERT_NE(RegisterClassA(&window_class), 0);
  HWND other = CreateWindowExA(0, "BRIMAL_Ver1.04", "other", 0, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(other, nullptr);

  EXPECT_EQ(InitLibrary(), -1);
  EXPECT_EQ(InitRunningFlag, 0);
  EXPECT_EQ(ComStartedFlag, 0);
  EXPECT_TRUE(InOrder({"ソフトの二重起動検査... ", "二重起動されています、ソフトを終了します",
                       "ＣＯＭを終了... 完了", "Alloc memory dump"}));
  EXPECT_EQ(LogText().find("DirectDraw 関連の初期化"), std::string::npos);

  DestroyWindow(other);
  UnregisterClassA("BRIMAL_Ver1.04", nullptr);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST_F(LibraryTest, StartsWithoutSound) {
  SkipSoundFlag = 1;
  ASSERT_EQ(InitLibrary(), 0);
  EXPECT_EQ(LogText().find("DirectSound の初期化"), std::string::npos);
  EXPECT_EQ(EndLibrary(), 0);
}

TEST_F(LibraryTest, ComStartsOnce) {
  EXPECT_EQ(InitCom(), 0);
  EXPECT_EQ(ComStartedFlag, 1);
  EXPECT_EQ(InitCom(), -1);
  EXPECT_EQ(EndLibrary(), 0);
  EXPECT_EQ(ComStartedFlag, 0);
}

}  // namespace
