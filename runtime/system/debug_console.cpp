// The on-screen debug console: its text, laid out in the console font, and
// its drawing.
#include "runtime/system/debug_console.h"

#include <cstdarg>
#include <cstring>

#include "runtime/core/format.h"
#include "runtime/core/lead_byte.h"
#include "runtime/graphics/font/font.h"
#include "runtime/graphics/font/font_draw.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/graphics/state/graphics_flags.h"

// ConsoleScreenSize gives the screen's width and height in pixels and false
// while graphics do not run.
static bool ConsoleScreenSize(int* width, int* height);
// The width in pixels of one character (`bytes` 1 or 2) in the console font.
static int ConsoleCharacterWidth(const char* character, int bytes);
// The character set of the console's double-byte test: its font's.
static int ConsoleCharSet();

struct DebugConsoleState {
  int started;
  int line_height;
  int font_handle;  // -1 while there is none
  int font_lost;    // 1: the font must be made before use
  int shown;
  int tab_width;
  int line;
  int column;  // in bytes
  int x;       // in pixels
  char text[kDebugConsoleLines][kDebugConsoleLineBytes];
};

static DebugConsoleState g_console;

// Makes the console font when it is missing (first use, or deleted since:
// the font raises the lost flag when it goes). False while graphics do not
// run or the font cannot be made.
static bool ConsoleFontReady() {
  if (!g_console.started || GraphicsReady == 0) return false;
  if (g_console.font_lost == 1 || IsFontHandleValid(g_console.font_handle) == 0) {
    g_console.font_handle =
        CreateFontToHandle(nullptr, g_console.line_height, 4, 1, -1, -1, 0, -1, -1);
    if (g_console.font_handle < 0) return false;
    SetFontLostFlagAddress(g_console.font_handle, &g_console.font_lost);
  }
  return true;
}

static bool ConsoleScreenSize(int* width, int* height) {
  if (GraphicsReady == 0) return false;
  int32_t w = 0, h = 0;
  GetScreenSize(&w, &h);
  *width = w;
  *height = h;
  return true;
}

static int ConsoleCharacterWidth(const char* character, int bytes) {
  if (!ConsoleFontReady()) return 0;
  const int32_t width = MeasureStringWithFont(character, bytes, g_console.font_handle, 0);
  return width > 0 ? width : 0;
}

static int ConsoleCharSet() {
  const FontRecord* record = GetFontRecord(g_console.font_handle);
  return record != nullptr ? record->char_set_index : 1;
}

int InitDebugConsole() {
  if (g_console.started) return 0;
  g_console.started = 1;
  g_console.line_height = 16;
  g_console.font_handle = -1;
  g_console.font_lost = 1;
  g_console.shown = 0;
  g_console.tab_width = 4;
  g_console.line = 0;
  g_console.column = 0;
  g_console.x = 0;
  std::memset(g_console.text, 0, sizeof(g_console.text));
  return 0;
}

int EndDebugConsole() {
  g_console.started = 0;
  return 0;
}

int IsDebugConsoleShown() { return g_console.shown; }

int DebugConsoleUsableLines() {
  int width = 0;
  int height = 0;
  if (!ConsoleScreenSize(&width, &height)) return kDebugConsoleLines;
  int fitting = height / (g_console.line_height > 0 ? g_console.line_height : 16);
  if (fitting < 1) fitting = 1;
  return fitting < kDebugConsoleLines ? fitting : kDebugConsoleLines;
}

const char* DebugConsoleLineText(int index) {
  if (index < 0 || index >= kDebugConsoleLines) return nullptr;
  return g_console.text[index];
}

static void ConsoleNewLine() {
  int usable = DebugConsoleUsableLines();
  if (g_console.line + 1 >= usable) {
    // The text moves up one line; the first line is lost.
    std::memmove(g_console.text[0], g_console.text[1],
                 sizeof(g_console.text) - sizeof(g_console.text[0]));
    if (g_console.line > usable - 1) g_console.line = usable - 1;
  } else {
    ++g_console.line;
  }
  g_console.text[g_console.line][0] = '\0';
  g_console.column = 0;
  g_console.x = 0;
}

static void ConsolePutCharacter(const char* character, int bytes) {
  int width = ConsoleCharacterWidth(character, bytes);
  int screen_width = 0;
  int screen_height = 0;
  if (g_console.column + bytes + 1 > kDebugConsoleLineBytes) {
    ConsoleNewLine();
  } else if (ConsoleScreenSize(&screen_width, &screen_height) &&
             g_console.x + width >= screen_width) {
    ConsoleNewLine();
  }
  char* line = g_console.text[g_console.line];
  std::memcpy(line + g_console.column, character, static_cast<size_t>(bytes));
  g_console.column += bytes;
  line[g_console.column] = '\0';
  g_console.x += width;
}

static void ConsoleAddText(const char* text) {
  const int char_set = ConsoleCharSet();
  for (const char* p = text; *p != '\0';) {
    switch (static_cast<unsigned char>(*p)) {
      case 7:
      case 8:
      case 11:
      case 12:
      case 13:
      case '?':
        ++p;
        continue;
      case '\t':
        for (int i = 0; i < g_console.tab_width; ++i) ConsolePutCharacter(" ", 1);
        ++p;
        continue;
      case '\n':
        ConsoleNewLine();
        ++p;
        continue;
      default:
        break;
    }
    int bytes = IsLeadByte(p, char_set) ? 2 : 1;
    if (bytes == 2 && p[1] == '\0') break;
    ConsolePutCharacter(p, bytes);
    p += bytes;
  }
}

int DebugConsolePrint(const char* format, ...) {
  if (!g_console.started) return 0;
  char buffer[kFormatBufferSize];
  va_list args;
  va_start(args, format);
  FormatToBuffer(buffer, sizeof(buffer), format, args);
  va_end(args);
  g_console.shown = 1;
  ConsoleAddText(buffer);
  return 0;
}

int DrawDebugConsole() {
  if (!ConsoleFontReady()) return 0;
  const uint32_t white = GetScreenColorValue(255, 255, 255);
  const uint32_t black = GetScreenColorValue(0, 0, 0);
  const int usable = DebugConsoleUsableLines();
  for (int i = 0; i < usable; ++i) {
    if (g_console.text[i][0] == '\0') continue;
    RenderTextWithFont(0, i * g_console.line_height, g_console.text[i], white,
                       g_console.font_handle, black, 0);
  }
  return 0;
}
