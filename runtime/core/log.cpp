// The runtime's log.
//
// Every LogAdd opens the log file, appends and closes it again, so the log
// holds everything up to the last line even when the program dies. Lines end
// in CR LF, begin with the milliseconds since InitLog and one tab per indent
// level; a text written in pieces forms one line with one time stamp.
#include "runtime/core/log.h"

#include <cstdarg>
#include <cstring>
#include <string>
#include <utility>

#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "runtime/core/format.h"
#include "runtime/core/lead_byte.h"
#include "runtime/core/memory.h"

int LogOffFlag = 0;
int UserWindowFlag = 0;
int LogDatedNameFlag = 0;

// Shift-JIS, for the line-end conversion of the log whatever the current
// character set is.
static constexpr int kShiftJisCharSet = 1;
// Texts up to this length are converted in a buffer on the stack.
static constexpr size_t kStackTextLength = 255;
static constexpr int kMaxIndent = 255;

static std::string g_log_folder;
static char g_log_file_name[64] = "Log.txt";
static int g_indent = 0;
static int g_mid_line = 0;
static int g_time_stamps_off = 0;
static DWORD g_start_time = 0;

void SetLogFolder(const char* folder) { g_log_folder = folder != nullptr ? folder : ""; }

int SetLogOutputFlag(int on) {
  LogOffFlag = on == 0 ? 1 : 0;
  return 0;
}

int IncreaseLogIndent() {
  if (g_indent < kMaxIndent) ++g_indent;
  return 0;
}

int DecreaseLogIndent() {
  if (g_indent > 0) --g_indent;
  return 0;
}

// The current folder, remembered while the log works in its own folder.
class LogFolderSwitch {
 public:
  // Switches to `folder`; Switched() tells whether that worked. The current
  // folder is only left when it could be remembered, so it can be restored.
  explicit LogFolderSwitch(const char* folder) {
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    if (length == 0) return;
    if (length < MAX_PATH) {
      previous_.assign(buffer, length);
    } else {
      // A longer path: the result is the size needed, NUL included.
      std::string longer(length, '\0');
      DWORD written = GetCurrentDirectoryA(length, longer.data());
      if (written == 0 || written >= length) return;
      longer.resize(written);
      previous_ = std::move(longer);
    }
    switched_ = SetCurrentDirectoryA(folder) != FALSE;
  }
  ~LogFolderSwitch() {
    if (switched_) SetCurrentDirectoryA(previous_.c_str());
  }
  LogFolderSwitch(const LogFolderSwitch&) = delete;
  LogFolderSwitch& operator=(const LogFolderSwitch&) = delete;

  bool Switched() const { return switched_; }

 private:
  std::string previous_;
  bool switched_ = false;
};

static bool FileOpened(HANDLE file) { return file != nullptr && file != INVALID_HANDLE_VALUE; }

int InitLog() {
  if (LogOffFlag == 1 || UserWindowFlag == 1) return 1;

  if (LogDatedNameFlag != 0) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FormatToBufferVarargs(g_log_file_name, sizeof(g_log_file_name), "Log%d_%d_%d_%d_%d_%d.txt",
                          now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
  } else {
    std::strcpy(g_log_file_name, "Log.txt");
  }

  if (!g_log_folder.empty()) {
    LogFolderSwitch in_log_folder(g_log_folder.c_str());
    if (in_log_folder.Switched()) {
      DeleteFileA(g_log_file_name);
      HANDLE file = CreateFileA(g_log_file_name, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (FileOpened(file)) CloseHandle(file);
    }
  }

  g_indent = 0;
  g_mid_line = 0;
  g_start_time = timeGetTime();
  return 1;
}

// Line-end conversion of one text: every LF that has no CR before it becomes
// CR LF, up to the first LF that already has one; from there on the text is
// copied as it stands. Two-byte characters are stepped over whole; a lead
// byte right before the NUL ends the text.
struct LineEndConversion {
  const char* next;       // the first byte not converted yet
  bool converting = true;
  bool after_cr = false;  // the byte before `next` is a CR
};

// Converts as many whole characters as fit into `room` bytes of `out` (which
// has one more byte for the NUL). Returns the length written; 0 at the end.
static size_t ConvertLineEnds(LineEndConversion* conversion, char* out, size_t room) {
  size_t length = 0;
  while (*conversion->next != '\0') {
    const char* p = conversion->next;
    if (IsLeadByte(p, kShiftJisCharSet)) {
      if (p[1] == '\0') {
        conversion->next = p + 1;
        break;
      }
      if (length + 2 > room) break;
      out[length++] = p[0];
      out[length++] = p[1];
      conversion->next = p + 2;
      conversion->after_cr = false;
      continue;
    }
    bool is_lf = *p == '\n' && conversion->converting;
    bool add_cr = is_lf && !conversion->after_cr;
    if (length + (add_cr ? 2 : 1) > room) break;
    if (is_lf && conversion->after_cr) conversion->converting = false;
    if (add_cr) out[length++] = '\r';
    out[length++] = *p;
    conversion->after_cr = *p == '\r';
    conversion->next = p + 1;
  }
  out[length] = '\0';
  return length;
}

static void WriteToFile(HANDLE file, const char* bytes, size_t length) {
  if (!FileOpened(file) || length == 0) return;
  DWORD written = 0;
  WriteFile(file, bytes, static_cast<DWORD>(length), &written, nullptr);
}

// Writes one converted text to the log file and the debugger output.
static void AppendToLog(const char* copy, size_t length) {
  LogFolderSwitch in_log_folder(g_log_folder.c_str());
  HANDLE file = nullptr;
  if (in_log_folder.Switched()) {
    file = CreateFileA(g_log_file_name, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (FileOpened(file)) SetFilePointer(file, 0, nullptr, FILE_END);
  }

  if (g_mid_line == 0) {
    if (g_time_stamps_off == 0) {
      char stamp[16];
      FormatToBufferVarargs(stamp, sizeof(stamp), "%d:",
                            static_cast<int>(timeGetTime() - g_start_time));
      WriteToFile(file, stamp, std::strlen(stamp));
    }
    if (g_indent > 0) {
      char tabs[kMaxIndent + 1];
      std::memset(tabs, '\t', static_cast<size_t>(g_indent));
      tabs[g_indent] = '\0';
      WriteToFile(file, tabs, static_cast<size_t>(g_indent));
      OutputDebugStringA(tabs);
    }
  }
  WriteToFile(file, copy, length);
  OutputDebugStringA(copy);
  g_mid_line = copy[length - 1] != '\n' ? 1 : 0;

  if (FileOpened(file)) CloseHandle(file);
}

int LogAdd(const char* text) {
  if (text == nullptr) return -1;
  // Nothing to write: checked first so a switched-off log costs no copy.
  if (UserWindowFlag != 1 && (LogOffFlag == 1 || g_log_folder.empty())) return -1;

  // A short text is converted on the stack, a longer one in a block of twice
  // its length. Without such a block the longer text is converted and written
  // in stack-sized pieces, which gives the same log.
  char stack_copy[kStackTextLength * 2 + 1];
  char* copy = stack_copy;
  size_t room = sizeof(stack_copy) - 1;
  char* block = nullptr;
  size_t text_length = std::strlen(text);
  if (text_length > kStackTextLength) {
    block = static_cast<char*>(AllocTracked(text_length * 2 + 1, __FILE__, __LINE__));
    if (block != nullptr) {
      copy = block;
      room = text_length * 2;
    }
  }

  LineEndConversion conversion{text};
  for (;;) {
    size_t length = ConvertLineEnds(&conversion, copy, room);
    if (length == 0) break;
    if (UserWindowFlag == 1) {
      OutputDebugStringA(copy);
    } else {
      AppendToLog(copy, length);
    }
  }
  FreeTracked(block);
  return -1;
}

int LogPrintf(const char* format, ...) {
  char buffer[kFormatBufferSize];
  va_list args;
  va_start(args, format);
  // One byte is kept free for the line end.
  FormatToBuffer(buffer, sizeof(buffer) - 1, format, args);
  va_end(args);
  size_t length = std::strlen(buffer);
  buffer[length] = '\n';
  buffer[length + 1] = '\0';
  return LogAdd(buffer);
}

// ---- Debug console -------------------------------------------------------------

// What the console needs from the screen and its font: without a running
// graphics layer all 80 lines are usable and a character is 0 pixels wide,
// so only the 255-byte line limit breaks lines.
