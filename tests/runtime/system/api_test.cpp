#include "runtime/system/api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/library_lock.h"
#include "runtime/graphics/state/screen_state.h"
#include "runtime/system/api_runtime.h"
#include "tests/runtime/core/lock_test_support.h"

namespace {

// Longer than the formatting entries' buffer: formatting must stay bounded.
const std::string kLongText(3000, 'x');

struct EntryCase {
  const char* name;
  std::function<int64_t()> call;
  std::optional<int64_t> result;  // the failure value while the operation is missing
};

const EntryCase kEntries[] = {
    // A full-screen depth of 24 is refused before start-up makes anything, so
    // the entry runs here without starting the runtime.
    {"ApiInitLibrary",
     [] {
       Screen.ScreenColorDepth = 24;
       const int32_t result = ApiInitLibrary();
       Screen.ScreenColorDepth = 0;
       return result;
     },
     -1},
    {"ApiOpenFileForRead", [] { return ApiOpenFileForRead("data/a.csv", 1); }, 0},
    {"ApiCloseFile", [] { return ApiCloseFile(1); }, -1},
    {"ApiReadFileLine",
     [] {
       char line[16] = {};
       return ApiReadFileLine(line, sizeof(line), 1);
     },
     -1},
    // Its result tells whether a window was closed, which other tests decide.
    {"ApiProcessMessage", [] { return ApiProcessMessage(); }, std::nullopt},
    {"ApiChangeWindowMode", [] { return ApiChangeWindowMode(0); }, 0},
    {"ApiSetWindowText", [] { return ApiSetWindowText("title"); }, 0},
    {"ApiSetLogOutput", [] { return ApiSetLogOutput(1); }, 0},
    {"ApiSetWindowIcon", [] { return ApiSetWindowIcon(102); }, 0},
    {"ApiSetArchiveExtension", [] { return ApiSetArchiveExtension("dat"); }, 0},
    {"ApiSetArchiveKey", [] { return ApiSetArchiveKey(nullptr); }, 0},
    {"ApiGetMilliseconds", [] { return ApiGetMilliseconds(7); }, std::nullopt},
    {"ApiGetRandom", [] { return ApiGetRandom(0); }, 0},
    {"ApiIsKeyDown", [] { return ApiIsKeyDown(1); }, 0},
    {"ApiGetPadInput", [] { return ApiGetPadInput(0x1001); }, 0},
    {"ApiGetScreenStateBlock",
     [] { return static_cast<int64_t>(reinterpret_cast<intptr_t>(ApiGetScreenStateBlock())); },
     static_cast<int64_t>(reinterpret_cast<intptr_t>(&Screen))},
    // Their results follow the screen, which other tests start and end.
    {"ApiGetColorValue", [] { return ApiGetColorValue(255, 255, 255); }, std::nullopt},
    {"ApiFlipScreen", [] { return ApiFlipScreen(); }, std::nullopt},
    {"ApiMakeEmptyGraphic", [] { return ApiMakeEmptyGraphic(32, 32, 0); }, -1},
    {"ApiDeleteGraphic", [] { return ApiDeleteGraphic(1, 0); }, -1},
    {"ApiLoadGraphicFile", [] { return ApiLoadGraphicFile("data/a.png", 0); }, -1},
    {"ApiLoadGraphicCells",
     [] {
       int32_t graphics[4] = {};
       return ApiLoadGraphicCells("data/a.png", 4, 2, 2, 16, 16, graphics, 0);
     },
     -1},
    {"ApiClearDrawScreen", [] { return ApiClearDrawScreen(); }, 0},
    {"ApiLoadAndDrawImage", [] { return ApiLoadAndDrawImage(370, 420, "data/a.png", 0); }, -1},
    {"ApiDrawGraphicAt", [] { return ApiDrawGraphicAt(0, 0, 1, 1); }, -1},
    {"ApiDrawGraphicStretched", [] { return ApiDrawGraphicStretched(0, 0, 8, 8, 1, 1); }, -1},
    {"ApiDrawGraphicPart", [] { return ApiDrawGraphicPart(0, 0, 0, 0, 8, 8, 1, 1, 0); }, -1},
    {"ApiDrawRectangle", [] { return ApiDrawRectangle(0, 0, 8, 8, 0xffff, 1); }, -1},
    {"ApiDrawText", [] { return ApiDrawText(0, 0, "text", 0xffff, 0); }, -1},
    {"ApiDrawTextWithFont", [] { return ApiDrawTextWithFont(0, 0, "text", 0xffff, 1, 0, 0); }, -1},
    {"ApiDrawFormattedText",
     [] { return ApiDrawFormattedText(0, 0, 0xffff, "%s%d", kLongText.c_str(), 42); }, -1},
    {"ApiSetBlendMode", [] { return ApiSetBlendMode(0, 0); }, 0},
    {"ApiSetDrawBrightness", [] { return ApiSetDrawBrightness(255, 255, 255); }, 0},
    {"ApiSetDrawTarget", [] { return ApiSetDrawTarget(-2); }, -1},
    {"ApiSetTransparentColor", [] { return ApiSetTransparentColor(0, 0, 0); }, 0},
    {"ApiCopyScreenToGraphic", [] { return ApiCopyScreenToGraphic(0, 0, 8, 8, 1, 0); }, -1},
    {"ApiCreateFontToHandle",
     [] { return ApiCreateFontToHandle(nullptr, 24, -1, -1, -1, -1, 0, -1, -1); }, -1},
    {"ApiLoadSoundFile", [] { return ApiLoadSoundFile("data/a.wav", 3, -1); }, -1},
    {"ApiDeleteSound", [] { return ApiDeleteSound(1, 0); }, -1},
    {"ApiPlaySound", [] { return ApiPlaySound(1, 1, 1); }, -1},
    {"ApiStopSound", [] { return ApiStopSound(1); }, -1},
    {"ApiIsSoundPlaying", [] { return ApiIsSoundPlaying(1); }, -1},
    {"ApiPlayMusicFile", [] { return ApiPlayMusicFile("data/a.ogg", 1); }, -1},
    {"ApiStopMusic", [] { return ApiStopMusic(); }, 0},
    {"ApiPrintToScreen", [] { return ApiPrintToScreen("%s", kLongText.c_str()); }, 0},
    // Last: it destroys the lock.
    {"ApiEndLibrary", [] { return ApiEndLibrary(); }, 0},
};

}  // namespace

using ApiEntryTest = LibraryLockTest;

// Every entry waits while another thread holds the lock, runs once it is
// released, gives the lock back and returns its operation's result (the
// failure value while the operation does not exist yet).
TEST_F(ApiEntryTest, EveryEntryWaitsForTheLockAndReturnsItsResult) {
  for (const EntryCase& entry : kEntries) {
    SCOPED_TRACE(entry.name);
    AcquireLibraryLock();
    std::atomic<bool> returned{false};
    int64_t result = 0;
    std::thread caller([&] {
      result = entry.call();
      returned = true;
    });
    // An entry that does not wait for the lock returns instead of queueing.
    EXPECT_TRUE(WaitUntil([&] { return QueueLength() == 1 || returned; }));
    EXPECT_FALSE(returned);
    ReleaseLibraryLock();
    caller.join();
    if (entry.result) {
      EXPECT_EQ(result, *entry.result);
    }
    const LibraryLockState state = ReadLibraryLockState();
    EXPECT_EQ(state.exists, std::string(entry.name) != "ApiEndLibrary");
    EXPECT_EQ(state.held, 0);
    EXPECT_TRUE(state.queue.empty());
  }
}

TEST_F(ApiEntryTest, GetMillisecondsReadsTheCounterWhateverItsArgument) {
  for (int32_t argument : {0, 1, -1, 1000, INT32_MAX, INT32_MIN}) {
    SCOPED_TRACE(argument);
    const DWORD before = timeGetTime();
    const DWORD got = static_cast<DWORD>(ApiGetMilliseconds(argument));
    const DWORD after = timeGetTime();
    EXPECT_LE(got - before, after - before);  // before <= got <= after, across a wrap too
  }
}
