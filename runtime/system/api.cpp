// The API entry layer. Each entry takes the library lock, calls one runtime
// operation with its arguments unchanged, releases the lock and returns the
// operation's result unchanged.
#include "runtime/system/api.h"

#include <cstdarg>

#include "platform/win32/mmsystem.h"
#include "runtime/core/archive_files.h"
#include "runtime/core/file_access.h"
#include "runtime/core/format.h"
#include "runtime/core/library_lock.h"
#include "runtime/core/log.h"
#include "runtime/core/random.h"
#include "runtime/graphics/draw/box_draw.h"
#include "runtime/graphics/draw/graphic_draw.h"
#include "runtime/graphics/draw/graphic_load.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/records/graphic.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/screen/draw_settings.h"
#include "runtime/graphics/screen/present.h"
#include "runtime/input/input.h"
#include "runtime/sound/music.h"
#include "runtime/sound/sound.h"
#include "runtime/system/api_runtime.h"
#include "runtime/system/debug_console.h"
#include "runtime/system/library.h"
#include "runtime/system/main_window.h"
#include "runtime/system/message.h"

// Library start-up and end.

int32_t ApiInitLibrary() {
  ScopedLibraryLock lock;
  return InitLibrary();
}

int32_t ApiEndLibrary() {
  int32_t result;
  {
    ScopedLibraryLock lock;
    result = EndLibrary();
  }
  // Outside the lock: the next API call makes the lock anew.
  DestroyLibraryLock();
  return result;
}

// Files.

intptr_t ApiOpenFileForRead(const char* path, int32_t async) {
  ScopedLibraryLock lock;
  return FileOpenThunk(path, 0, 1, async != 0 ? 1 : 0);
}

int32_t ApiCloseFile(intptr_t file) {
  ScopedLibraryLock lock;
  return FileCloseThunk(file);
}

int32_t ApiReadFileLine(char* buffer, int32_t buffer_size, intptr_t file) {
  ScopedLibraryLock lock;
  return ReadFileLineFromTable(buffer, buffer_size, file);
}

// Window, messages and settings made before start-up.

int32_t ApiProcessMessage() {
  ScopedLibraryLock lock;
  return ProcessMessage();
}

int32_t ApiChangeWindowMode(int32_t window_mode) {
  ScopedLibraryLock lock;
  return ChangeWindowMode(window_mode);
}

int32_t ApiSetWindowText(const char* text) {
  ScopedLibraryLock lock;
  return SetMainWindowCaption(text);
}

int32_t ApiSetLogOutput(int32_t on) {
  ScopedLibraryLock lock;
  return SetLogOutputFlag(on);
}

int32_t ApiSetWindowIcon(int32_t icon_id) {
  ScopedLibraryLock lock;
  return SetWindowIconResource(icon_id);
}

int32_t ApiSetArchiveExtension(const char* extension) {
  ScopedLibraryLock lock;
  return StoreArchiveExtension(extension);
}

int32_t ApiSetArchiveKey(const char* key) {
  ScopedLibraryLock lock;
  return StoreArchiveKey(key);
}

// Time, random numbers and input.

int32_t ApiGetMilliseconds(int32_t ignored) {
  (void)ignored;
  ScopedLibraryLock lock;
  return static_cast<int32_t>(timeGetTime());
}

int32_t ApiGetRandom(int32_t max) {
  ScopedLibraryLock lock;
  return RandomRange(max);
}

int32_t ApiIsKeyDown(int32_t key_code) {
  ScopedLibraryLock lock;
  return IsKeyDown(key_code);
}

int32_t ApiGetPadInput(int32_t input_set) {
  ScopedLibraryLock lock;
  return GetPadInputBits(input_set);
}

// Screen and graphics.

ScreenState* ApiGetScreenStateBlock() {
  ScopedLibraryLock lock;
  return GetScreenStateBlock();
}

uint32_t ApiGetColorValue(int32_t r, int32_t g, int32_t b) {
  ScopedLibraryLock lock;
  return GetScreenColorValue(r, g, b);
}

int32_t ApiFlipScreen() {
  ScopedLibraryLock lock;
  return PresentScreen();
}

int32_t ApiMakeEmptyGraphic(int32_t width, int32_t height, int32_t not_transparent) {
  ScopedLibraryLock lock;
  return MakeEmptyGraphic(width, height, not_transparent);
}

int32_t ApiDeleteGraphic(int32_t graphic, int32_t log_flag) {
  ScopedLibraryLock lock;
  return DeleteGraphicHandle(graphic, log_flag);
}

int32_t ApiLoadGraphicFile(const char* path, int32_t flag) {
  ScopedLibraryLock lock;
  return LoadGraphicFileDefault(path, flag);
}

int32_t ApiLoadGraphicCells(const char* path, int32_t cell_count, int32_t cells_across,
                            int32_t cells_down, int32_t cell_width, int32_t cell_height,
                            int32_t* graphics, int32_t flag) {
  ScopedLibraryLock lock;
  return LoadGraphicCellsDefault(path, cell_count, cells_across, cells_down, cell_width,
                                 cell_height, graphics, flag);
}

int32_t ApiClearDrawScreen() {
  ScopedLibraryLock lock;
  return ClearDrawTarget();
}

int32_t ApiLoadAndDrawImage(int32_t x, int32_t y, const char* path, int32_t transparent) {
  ScopedLibraryLock lock;
  return LoadAndRenderImage(x, y, path, transparent);
}

int32_t ApiDrawGraphicAt(int32_t x, int32_t y, int32_t graphic, int32_t transparent) {
  ScopedLibraryLock lock;
  return RenderGraphicAt(x, y, graphic, transparent);
}

int32_t ApiDrawGraphicStretched(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                                int32_t transparent) {
  ScopedLibraryLock lock;
  return RenderGraphicStretched(x1, y1, x2, y2, graphic, transparent);
}

int32_t ApiDrawGraphicPart(int32_t x, int32_t y, int32_t source_x, int32_t source_y,
                           int32_t width, int32_t height, int32_t graphic, int32_t transparent,
                           int32_t turn) {
  ScopedLibraryLock lock;
  return RenderGraphicPart(x, y, source_x, source_y, width, height, graphic, transparent,
                           turn);
}

int32_t ApiDrawRectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
                         int32_t fill) {
  ScopedLibraryLock lock;
  return RenderBox(x1, y1, x2, y2, colour, fill);
}

int32_t ApiDrawText(int32_t x, int32_t y, const char* text, uint32_t colour,
                    uint32_t edge_colour) {
  ScopedLibraryLock lock;
  return RenderTextDefaultFont(x, y, text, colour, edge_colour);
}

int32_t ApiDrawTextWithFont(int32_t x, int32_t y, const char* text, uint32_t colour, int32_t font,
                            uint32_t edge_colour, int32_t vertical) {
  ScopedLibraryLock lock;
  return RenderTextWithFont(x, y, text, colour, font, edge_colour, vertical);
}

int32_t ApiDrawFormattedText(int32_t x, int32_t y, uint32_t colour, const char* format, ...) {
  // Formatted before the lock is taken: the lock covers only the drawing.
  char text[kFormatBufferSize];
  va_list arguments;
  va_start(arguments, format);
  FormatToBuffer(text, sizeof(text), format, arguments);
  va_end(arguments);
  ScopedLibraryLock lock;
  return RenderTextDefaultFont(x, y, text, colour, 0);
}

int32_t ApiSetBlendMode(int32_t mode, int32_t parameter) {
  ScopedLibraryLock lock;
  return ChangeBlendMode(mode, parameter);
}

int32_t ApiSetDrawBrightness(int32_t r, int32_t g, int32_t b) {
  ScopedLibraryLock lock;
  return ChangeDrawBrightness(r, g, b);
}

int32_t ApiSetDrawTarget(int32_t target) {
  ScopedLibraryLock lock;
  return ChangeDrawTarget(target);
}

int32_t ApiSetTransparentColor(int32_t r, int32_t g, int32_t b) {
  ScopedLibraryLock lock;
  return ChangeTransparentColor(r, g, b);
}

int32_t ApiCopyScreenToGraphic(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t graphic,
                               int32_t flag) {
  ScopedLibraryLock lock;
  return CopyScreenToGraphic(x1, y1, x2, y2, graphic, flag);
}

int32_t ApiCreateFontToHandle(const char* face_name, int32_t size, int32_t thickness,
                              int32_t font_type, int32_t char_set, int32_t edge_size,
                              int32_t italic, int32_t slot, int32_t check_id) {
  ScopedLibraryLock lock;
  return CreateFontToHandle(face_name, size, thickness, font_type, char_set, edge_size, italic,
                            slot, check_id);
}

// Sound and music.

int32_t ApiLoadSoundFile(const char* path, int32_t buffer_count, int32_t share_with) {
  ScopedLibraryLock lock;
  return LoadSoundFile(path, buffer_count, share_with);
}

int32_t ApiDeleteSound(int32_t sound, int32_t flag) {
  ScopedLibraryLock lock;
  return DeleteSoundHandle(sound, flag);
}

int32_t ApiPlaySound(int32_t sound, int32_t play_type, int32_t from_top) {
  ScopedLibraryLock lock;
  return PlaySoundHandle(sound, play_type, from_top);
}

int32_t ApiStopSound(int32_t sound) {
  ScopedLibraryLock lock;
  return StopSoundHandle(sound);
}

int32_t ApiIsSoundPlaying(int32_t sound) {
  ScopedLibraryLock lock;
  return IsSoundHandlePlaying(sound);
}

int32_t ApiPlayMusicFile(const char* path, int32_t play_type) {
  ScopedLibraryLock lock;
  return PlayMusicFile(path, play_type);
}

int32_t ApiStopMusic() {
  ScopedLibraryLock lock;
  return StopCurrentMusic();
}

// The on-screen debug console.

int32_t ApiPrintToScreen(const char* format, ...) {
  // Formatted before the lock is taken: the lock covers only the printing.
  char text[kFormatBufferSize];
  va_list arguments;
  va_start(arguments, format);
  FormatToBuffer(text, sizeof(text), format, arguments);
  va_end(arguments);
  ScopedLibraryLock lock;
  // The text is printed as it stands: a '%' in it is not a format again.
  DebugConsolePrint("%s", text);
  return 0;
}
