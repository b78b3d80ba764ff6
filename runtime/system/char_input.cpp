// Typed characters, the input-method bookkeeping and the key inputs.
#include "runtime/system/char_input.h"

#include <cstring>

#include "platform/win32/imm.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/user.h"
#include "runtime/core/format.h"
#include "runtime/core/handle.h"
#include "runtime/core/lead_byte.h"
#include "runtime/core/log.h"
#include "runtime/core/memory.h"
#include "runtime/core/primitives.h"
#include "runtime/graphics/screen/ddraw_screen.h"
#include "runtime/system/library.h"
#include "runtime/system/main_window.h"
#include "runtime/system/message.h"

CharCodeRingState CharCodeRing = {};
const ControlKey ControlKeyTable[kControlKeyCount] = {
    {VK_DELETE, 0x10}, {VK_LEFT, 0x1D}, {VK_RIGHT, 0x1C}, {VK_UP, 0x1E}, {VK_DOWN, 0x1F},
};
ImeStateRecord ImeState = {};
KeyInputRecord KeyInputRecords[kKeyInputCount] = {};
KeyInputSettings KeyInputState = {-1, -1, 0, 500, 0, {}};

namespace {

int32_t NextIndex(int32_t index) { return index + 1 == kCharCodeRingSlots ? 0 : index + 1; }
int32_t PreviousIndex(int32_t index) { return index == 0 ? kCharCodeRingSlots - 1 : index - 1; }

bool RingEmpty() { return CharCodeRing.read == CharCodeRing.write; }
bool RingFull() { return NextIndex(CharCodeRing.write) == CharCodeRing.read; }

int32_t CharSet() { return MainWindow.char_set != 0 ? MainWindow.char_set : 1; }

bool LeadByteAt(const char* text) { return IsLeadByte(text, CharSet()) != 0; }

void NoteTyping() {
  KeyInputState.last_typed = timeGetTime();
  KeyInputState.blink_state = 1;
}

KeyInputRecord* CheckKeyInput(int32_t handle) {
  if (handle < 0 || (handle & kHandleTypeMask) != HandleTypeBits(HandleType::kKeyInput)) {
    return nullptr;
  }
  const int32_t slot = HandleSlot(handle);
  if (slot >= kKeyInputCount) return nullptr;
  KeyInputRecord* record = &KeyInputRecords[slot];
  if (record->in_use == 0 || record->check_id != HandleCheckId(handle)) return nullptr;
  return record;
}

void FreeCandidateList() {
  if (ImeState.candidate_list != nullptr) FreeTracked(ImeState.candidate_list);
  ImeState.candidate_list = nullptr;
  ImeState.candidate_list_size = 0;
}

// Reads one part of the composition into `buffer` (of `size` bytes, NUL
// ended); the number of bytes read.
int32_t ReadComposition(HIMC context, DWORD part, void* buffer, int32_t size) {
  LONG bytes = ImmGetCompositionStringA(context, part, buffer, static_cast<DWORD>(size - 1));
  if (bytes < 0) bytes = 0;
  if (bytes > size - 1) bytes = size - 1;
  static_cast<char*>(buffer)[bytes] = '\0';
  return bytes;
}

// The size in bytes of the character that starts at `text[at]`.
int32_t CharSizeAt(const KeyInputRecord& record, int32_t at) {
  if (at + 1 < record.length && LeadByteAt(record.text + at)) return 2;
  return 1;
}

// Removes `size` bytes at `at`, the NUL moving with the tail.
void RemoveBytes(KeyInputRecord* record, int32_t at, int32_t size) {
  std::memmove(record->text + at, record->text + at + size, record->length - at - size + 1);
  record->length -= size;
}

void InsertCharacter(KeyInputRecord* record, const char* character, int32_t size) {
  // A full field makes room by dropping characters from its end.
  while (record->length + size > record->max_length && record->length > 0) {
    int32_t last = 1;
    if (record->length >= 2 && LeadByteAt(record->text + record->length - 2)) last = 2;
    const bool cursor_at_end = record->cursor == record->length;
    RemoveBytes(record, record->length - last, last);
    if (cursor_at_end || record->cursor > record->length) record->cursor = record->length;
  }
  if (record->length + size > record->max_length) return;
  std::memmove(record->text + record->cursor + size, record->text + record->cursor,
               record->length - record->cursor + 1);
  std::memcpy(record->text + record->cursor, character, size);
  record->cursor += size;
  record->length += size;
}

void EditKeyInput(KeyInputRecord* record, const char* character, int32_t size) {
  const uint8_t code = static_cast<uint8_t>(character[0]);
  if (size == 1) {
    switch (code) {
      case 8:  // back space
        if (record->cursor > 0) {
          const int32_t back =
              record->cursor > 1 && LeadByteAt(record->text + record->cursor - 2) ? 2 : 1;
          RemoveBytes(record, record->cursor - back, back);
          record->cursor -= back;
        }
        return;
      case 9:
      case 30:
      case 31:
        return;
      case 13:
        record->ended = 1;
        return;
      case 16:  // delete
        if (record->cursor < record->length) {
          RemoveBytes(record, record->cursor, CharSizeAt(*record, record->cursor));
        }
        return;
      case 27:
        if (record->cancel_allowed) {
          record->cancelled = 1;
          record->ended = 1;
        }
        return;
      case 28:  // right
        if (record->cursor < record->length) record->cursor += CharSizeAt(*record, record->cursor);
        return;
      case 29:  // left
        if (record->cursor > 0) {
          record->cursor -=
              record->cursor > 1 && LeadByteAt(record->text + record->cursor - 2) ? 2 : 1;
        }
        return;
      default:
        break;
    }
  }
  if (record->numbers_only) {
    const bool digit = size == 1 && code >= '0' && code <= '9';
    const bool leading_minus = size == 1 && code == '-' && record->cursor == 0;
    if (!digit && !leading_minus) return;
  }
  if (record->single_byte_only && size == 2) return;
  InsertCharacter(record, character, size);
}

}  // namespace

int PutTypedChar(uint8_t byte) {
  if (RingFull()) return -1;
  CharCodeRing.bytes[CharCodeRing.write] = byte;
  CharCodeRing.write = NextIndex(CharCodeRing.write);
  return 0;
}

int TakeTypedChar(char buffer[2], int32_t take) {
  buffer[0] = buffer[1] = 0;
  if (RingEmpty()) return 0;
  buffer[0] = static_cast<char>(CharCodeRing.bytes[CharCodeRing.read]);
  CharCodeRing.read = NextIndex(CharCodeRing.read);
  if (LeadByteAt(buffer) && !IsControlCharCode(static_cast<uint8_t>(buffer[0]))) {
    if (RingEmpty()) {
      // The trail byte has not arrived yet.
      CharCodeRing.read = PreviousIndex(CharCodeRing.read);
      buffer[0] = 0;
      return 0;
    }
    buffer[1] = static_cast<char>(CharCodeRing.bytes[CharCodeRing.read]);
    if (take) {
      CharCodeRing.read = NextIndex(CharCodeRing.read);
    } else {
      CharCodeRing.read = PreviousIndex(CharCodeRing.read);
    }
    return 2;
  }
  if (!take) CharCodeRing.read = PreviousIndex(CharCodeRing.read);
  return 1;
}

int CountSjisChars(const char* text, int32_t byte_count) {
  int count = 0;
  int32_t i = 0;
  while (i < byte_count && text[i] != '\0') {
    i += LeadByteAt(text + i) && text[i + 1] != '\0' ? 2 : 1;
    ++count;
  }
  return count;
}

int IsControlCharCode(uint8_t byte) {
  for (const ControlKey& key : ControlKeyTable) {
    if (key.code == byte) return 1;
  }
  return 0;
}

int TypedCharRoom() {
  const int32_t used = (CharCodeRing.write - CharCodeRing.read + kCharCodeRingSlots) %
                       kCharCodeRingSlots;
  return kCharCodeRingSlots - 1 - used;
}

int EnableIme(int32_t flag) {
  if (flag == ImeState.enabled) return 0;
  HWND window = MainWindow.window;
  if (window != nullptr) {
    if (flag) {
      ImmAssociateContext(window, static_cast<HIMC>(MainWindow.ime_context));
    } else {
      MainWindow.ime_context = ImmAssociateContext(window, nullptr);
    }
  }
  ImeState.enabled = flag;
  if (!flag) {
    FreeCandidateList();
    ImeState.composition[0] = '\0';
    ImeState.composing = 0;
  }
  return 0;
}

LRESULT ImeMessageHandler(WPARAM wparam, UINT message, LPARAM lparam, HWND window) {
  ImeState.used = 1;
  NoteTyping();
  switch (message) {
    case WM_IME_STARTCOMPOSITION:
      ImeState.composing = 1;
      ImeState.composition_cursor = 0;
      return 0;
    case WM_IME_ENDCOMPOSITION:
      ImeState.composition[0] = '\0';
      ImeState.composing = 0;
      return 0;
    case WM_IME_COMPOSITION: {
      HIMC context = ImmGetContext(window);
      if (lparam & GCS_COMPSTR) {
        ReadComposition(context, GCS_COMPSTR, ImeState.composition, sizeof(ImeState.composition));
      }
      if (lparam & GCS_RESULTSTR) {
        char result[1024];
        const int32_t bytes = ReadComposition(context, GCS_RESULTSTR, result, sizeof(result));
        for (int32_t i = 0; i < bytes; ++i) PutTypedChar(static_cast<uint8_t>(result[i]));
        ReadComposition(context, GCS_COMPSTR, ImeState.composition, sizeof(ImeState.composition));
      }
      if (lparam & GCS_CURSORPOS) {
        const LONG cursor = ImmGetCompositionStringA(context, GCS_CURSORPOS, nullptr, 0);
        ImeState.composition_cursor = CountSjisChars(ImeState.composition, cursor);
      }
      if (lparam & GCS_COMPCLAUSE) {
        const LONG bytes = ImmGetCompositionStringA(context, GCS_COMPCLAUSE,
                                                    ImeState.clause_offsets,
                                                    sizeof(ImeState.clause_offsets));
        ImeState.clause_count = bytes > 0 ? bytes / 4 : 0;
      }
      ImmReleaseContext(window, context);
      return 0;
    }
    case WM_IME_SETCONTEXT:
      return DefWindowProcA(window, message, wparam, 0);
    case WM_IME_NOTIFY:
      switch (wparam) {
        case IMN_CHANGECANDIDATE:
        case IMN_OPENCANDIDATE:
        case IMN_SETCANDIDATEPOS: {
          HIMC context = ImmGetContext(window);
          const DWORD size = ImmGetCandidateListA(context, 0, nullptr, 0);
          if (size == 0) {
            LogPrintf("漢字変換候補のデータサイズが０でした  DefHWND:%x IMC:%x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)),
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(context)));
          } else {
            FreeCandidateList();
            ImeState.candidate_list = AllocTracked(size, __FILE__, __LINE__);
            if (ImeState.candidate_list == nullptr) {
              char text[1024];
              FormatToBufferVarargs(
                  text, sizeof(text),
                  "漢字変換候補を保存するメモリの確保に失敗しました( 確保しようとしたサイズ %d "
                  "バイト )",
                  static_cast<int>(size));
              FatalExit(text);
            }
            ImeState.candidate_list_size = static_cast<int32_t>(size);
            if (ImmGetCandidateListA(context, 0,
                                     static_cast<CANDIDATELIST*>(ImeState.candidate_list),
                                     size) == 0) {
              FreeCandidateList();
              LogPrintf("漢字変換候補の取得に失敗しました  BufSize:%d", static_cast<int>(size));
            }
          }
          ImmReleaseContext(window, context);
          return 0;
        }
        case IMN_CLOSECANDIDATE:
          FreeCandidateList();
          return 0;
        case IMN_SETOPENSTATUS: {
          if (ImeState.in_open_status_change) return 0;
          ImeState.in_open_status_change = 1;
          const LRESULT result = DefWindowProcA(window, message, wparam, lparam);
          const int64_t start = GetTimeMicroseconds(0);
          while (GetTimeMicroseconds(0) - start < 2000) {
            if (ProcessMessage() != 0) break;
          }
          HIMC context = ImmGetContext(window);
          ImeState.open_status = ImmGetOpenStatus(context);
          ImmReleaseContext(window, context);
          ImeState.in_open_status_change = 0;
          return result;
        }
        default:
          return DefWindowProcA(window, message, wparam, lparam);
      }
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

int InitCharCodeBuffer() {
  LogAdd("文字コードバッファの初期化を行います... ");
  CharCodeRing.read = CharCodeRing.write = 0;
  FreeCandidateList();
  const int32_t enabled = ImeState.enabled;
  ImeState = ImeStateRecord{};
  ImeState.enabled = enabled;
  for (KeyInputRecord& record : KeyInputRecords) {
    if (record.text != nullptr) FreeTracked(record.text);
    record = KeyInputRecord{};
  }
  static const uint8_t kColors[12][3] = {
      {255, 255, 255}, {255, 255, 255}, {255, 255, 0}, {0, 255, 255},
      {255, 255, 255}, {255, 0, 0},     {255, 255, 20}, {0, 0, 0},
      {0, 0, 0},       {0, 0, 0},       {255, 255, 0}, {0, 0, 0},
  };
  for (int i = 0; i < 12; ++i) {
    KeyInputState.colors[i] = GetScreenColorValue(kColors[i][0], kColors[i][1], kColors[i][2]);
  }
  KeyInputState.active = -1;
  KeyInputState.second = -1;
  KeyInputState.blink_period = 500;
  LogAdd("完了しました\n");
  return 0;
}

int32_t KeyInputHandle(int32_t slot) {
  return MakeRuntimeHandle(KeyInputRecords[slot].check_id, HandleType::kKeyInput, slot);
}

int DeleteKeyInput(int32_t handle) {
  KeyInputRecord* record = CheckKeyInput(handle);
  if (record == nullptr) return -1;
  if (record->text != nullptr) FreeTracked(record->text);
  *record = KeyInputRecord{};
  if (KeyInputState.active == handle) KeyInputState.active = -1;
  for (const KeyInputRecord& other : KeyInputRecords) {
    if (other.in_use) return 0;
  }
  EnableIme(0);
  return 0;
}

int EndKeyInput() {
  for (int32_t slot = 0; slot < kKeyInputCount; ++slot) {
    if (KeyInputRecords[slot].in_use) DeleteKeyInput(KeyInputHandle(slot));
  }
  return 0;
}

int ProcessKeyInput() {
  // The input method's reopen sequence, completed from the step it stands at.
  if (ImeState.reopen_step >= 1 && ImeState.reopen_step <= 4 && MainWindow.window != nullptr) {
    HIMC context = ImmGetContext(MainWindow.window);
    for (int32_t step = ImeState.reopen_step; step <= 4; ++step) {
      switch (step) {
        case 1:
          std::memcpy(ImeState.saved_composition, ImeState.composition,
                      sizeof(ImeState.saved_composition));
          ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
          break;
        case 2:
          ImmSetOpenStatus(context, FALSE);
          break;
        case 3:
          ImmSetOpenStatus(context, TRUE);
          break;
        case 4:
          ImmSetOpenStatus(context, TRUE);
          ImmSetCompositionStringA(context, SCS_SETSTR, ImeState.saved_composition,
                                   static_cast<DWORD>(std::strlen(ImeState.saved_composition)),
                                   nullptr, 0);
          break;
      }
    }
    ImmReleaseContext(MainWindow.window, context);
    ImeState.reopen_step = 0;
  }
  if (KeyInputState.active == -1) return 0;
  KeyInputRecord* record = CheckKeyInput(KeyInputState.active);
  if (record == nullptr) return -1;
  if (record->ended) return 0;
  while (!record->ended) {
    char character[2];
    const int size = TakeTypedChar(character, 1);
    if (size == 0) break;
    NoteTyping();
    EditKeyInput(record, character, size);
  }
  return 0;
}
