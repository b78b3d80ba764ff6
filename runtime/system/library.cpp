// Library start-up and shut-down.
#include "runtime/system/library.h"

#include <cstdarg>
#include <cstdlib>

#include "platform/win32/com.h"
#include "platform/win32/gdi.h"
#include "platform/win32/kernel.h"
#include "platform/win32/user.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/file_access.h"
#include "runtime/core/format.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/graphic_from_image.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/graphics_system.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/image/color_format.h"
#include "runtime/input/input.h"
#include "runtime/network/network.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "runtime/system/char_input.h"
#include "runtime/system/debug_console.h"
#include "runtime/system/main_window.h"
#include "runtime/system/message.h"


namespace {

constexpr int32_t kOsVista = 0x108;
constexpr int32_t kPassGraphicSize = 256;

// The current directory when start-up began: the log is written there, and
// shut-down goes back to it.
char StartupFolder[MAX_PATH] = {};


// The desktop's colour depth: bits per pixel times planes.
int32_t DesktopColorDepth() {
  HDC dc = GetDC(nullptr);
  const int32_t depth = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(nullptr, dc);
  return depth;
}

// The failure of a step after the window's start: everything is ended again.
int FailStartup() {
  EndLibrary();
  InitRunningFlag = 0;
  return -1;
}

// One pass over the drawing paths, so that everything they make on first use
// is made now rather than in the game's first frames: a drawable graphic as
// draw target, and a black, fully transparent image drawn with a blend, plain
// and stretched, on the back and the front screen.
void RunDrawingPass() {
  const int32_t drawable_setting = NewGraphicDrawable;
  SetMakeDrawableGraphics(1);
  const int32_t target = MakeEmptyGraphic(kPassGraphicSize, kPassGraphicSize, 0);
  SetMakeDrawableGraphics(drawable_setting);
  ChangeDrawTarget(target);
  ChangeDrawTarget(kDrawTargetFrontScreen);
  DeleteGraphicHandle(target, 0);
  ChangeDrawTarget(kDrawTargetBackScreen);

  GraphImage image{};
  if (AllocateArgbGraphImage(kPassGraphicSize, kPassGraphicSize, &image) < 0) return;
  FillGraphImage(&image, 0, 0, 0, 0);
  const int32_t blended = MakeGraphicFromImage(&image, nullptr, 1, 0, 0);
  ChangeBlendMode(3, 128);
  RenderGraphicAt(0, 0, blended, 1);
  ChangeBlendMode(0, 0);
  ChangeDrawTarget(kDrawTargetFrontScreen);
  RenderGraphicAt(0, 0, blended, 1);
  DeleteGraphicHandle(blended, 0);

  const int32_t stretched = MakeGraphicFromImage(&image, nullptr, 1, 0, 0);
  RenderGraphicStretched(0, 0, 640, 480, stretched, 1);
  DeleteGraphicHandle(stretched, 0);
  ReleaseGraphImage(&image);
}

}  // namespace

int InitCom() {
  if (ComStartedFlag) return -1;
  LogAdd("ＣＯＭの初期化... ");
  if (FAILED(CoInitialize(nullptr))) return LogAdd("ＣＯＭの初期化に失敗しました\n");
  LogAdd("成功しました\n");
  ComStartedFlag = 1;
  return 0;
}

int InitLibrary() {
  // Lower layers call upward through these from the first step on.
  InstallUpperLayers();
  InitRunningFlag = 1;
  if (GetNoTextureFlag() == 1) SetHardwareAcceleration(0);

  InitArchiveLayer();
  SetFileAccessFunctions(nullptr);

  StartupFolder[0] = '\0';
  FileAccessFunctions.GetCurrentDir(StartupFolder);
  SetLogFolder(StartupFolder);
  InitLog();

  if (!NoWindowFlag) {
    if ((DesktopColorDepth() == 24 && WindowModeFlag) || GetScreenColorDepthDefault() == 24) {
      LogAdd("ザーネルは２４ビットカラーモードに対応していません\n");
      // The refusal comes before anything is made, so nothing is undone;
      // only the running flag goes back, so a later start-up can run.
      InitRunningFlag = 0;
      return -1;
    }
  }

  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  PerformanceCounterFrequency = frequency.QuadPart;
  PerformanceCounterUsable = frequency.QuadPart != 0 ? 1 : 0;

  LogSystemInfo();
  if (OsVersionCode == kOsVista) SetVistaCompatMode(1);

  InitStreamFunctions();
  // Lost graphics are refilled from their files unless the program sets
  // another restore operation after start-up.
  SetGraphicRestoreHandler(RestoreGraphicsFromFiles);

  if (InitCom() == -1) return FailStartup();
  if (CreateMainWindow() == -1) return FailStartup();

  HttpTransferTable = HttpTransferSlots{};

  if (!SkipInputFlag && InitInput() == -1) return FailStartup();
  if (!SkipSoundFlag) InitSoundSystem();
  if (!SkipGraphicsFlag) {
    // Without a Direct3D device the software road is taken at once (see
    // AccelerationOffAtStartFlag), as a program can ask before graphics
    // start; a start refused or failed before here leaves it as it was.
    if (AccelerationOffAtStartFlag == 1) SetHardwareAcceleration(0);
    if (StartScreenSystem(GetMainWindowHandle()) < 0) return FailStartup();
  }

  InitCharCodeBuffer();
  LibraryRunningFlag = 1;
  SetFlipWaitVSync(1);

  if (!WindowModeFlag && !UserWindowFlag) SetForegroundWindow(GetMainWindowHandle());

  InitDebugConsole();
  ChangeDrawTarget(kDrawTargetBackScreen);
  ChangeDrawTarget(kDrawTargetFrontScreen);

  if (!SkipGraphicsFlag) RunDrawingPass();

  InitRunningFlag = 0;
  return 0;
}

int EndLibrary() {
  // From here on a close of the window goes through at once.
  MainWindow.end_begun = 1;

  EndDebugConsole();

  DeleteAllHttpTransfers();
  EndNetWorkSystem();

  StopCurrentMusic();
  EndScreenSystem();
  EndInput();
  EndSoundSystem();

  // Whether there was a window (or a message thread) to end: without one no
  // message will ever close it, so there is nothing to pump afterwards.
  const bool had_window = MainWindow.window != nullptr || MainWindow.message_thread != nullptr;
  DestroyMainWindow();

  if (ComStartedFlag) {
    CoUninitialize();
    LogAdd("ＣＯＭを終了... 完了\n");
    ComStartedFlag = 0;
  }

  LibraryRunningFlag = 0;
  if (!NoWindowFlag && had_window) {
    while (ProcessMessage() == 0 && GetWindowClosedFlag() == 0) {
    }
  }

  if (StartupFolder[0] != '\0') FileAccessFunctions.SetCurrentDir(StartupFolder);
  CloseAllArchives();
  DumpAllMemoryBlocks();
  RemoveUpperLayers();
  return 0;
}
