// Typed characters: one ring of the bytes typed into the main window (with
// the cursor and delete keys as control codes), the input-method bookkeeping
// of the window procedure, and the key inputs, small line editors fed from
// the ring once per message processing.
#pragma once

#include <cstdint>

#include "platform/win32/types.h"

// ---- The ring of typed characters -----------------------------------------------

// 1025 byte slots: empty when read equals write, full when write + 1 equals
// read (or read is 0 and write is 1024); so it holds at most 1024 bytes.
constexpr int32_t kCharCodeRingSlots = 1025;
struct CharCodeRingState {
  uint8_t bytes[kCharCodeRingSlots];
  int32_t read;
  int32_t write;
};
extern CharCodeRingState CharCodeRing;

// Keys that arrive in the ring as control codes.
struct ControlKey {
  int32_t virtual_key;
  uint8_t code;
};
constexpr int32_t kControlKeyCount = 5;
extern const ControlKey ControlKeyTable[kControlKeyCount];

// Puts one byte into the ring. 0, or -1 when the ring is full.
int PutTypedChar(uint8_t byte);
// The next whole character (1 or 2 bytes) into `buffer` (cleared first); 0
// when none is complete. With `take` 0 the character stays in the ring.
int TakeTypedChar(char buffer[2], int32_t take);
// Characters in the first `byte_count` bytes of `text` (a two-byte character
// counts once); stops at a NUL byte.
int CountSjisChars(const char* text, int32_t byte_count);
// 1 when `byte` is one of the control codes of ControlKeyTable.
int IsControlCharCode(uint8_t byte);
// The ring's free room in bytes.
int TypedCharRoom();

// ---- Input method -------------------------------------------------------------------

struct ImeStateRecord {
  int32_t composing;
  char composition[1024];
  int32_t composition_cursor;  // in characters
  uint32_t clause_offsets[256];
  int32_t clause_count;
  void* candidate_list;  // an allocator block, or null
  int32_t candidate_list_size;
  int32_t open_status;
  int32_t enabled;
  int32_t used;
  char saved_composition[1024];
  int32_t reopen_step;  // 0 to 4
  int32_t in_open_status_change;
};
extern ImeStateRecord ImeState;

// Switches the window's input method on or off. 0.
int EnableIme(int32_t flag);
// The window procedure's handler of the input-method messages.
LRESULT ImeMessageHandler(WPARAM wparam, UINT message, LPARAM lparam, HWND window);

// ---- Key inputs ----------------------------------------------------------------------

// Eleven 32-bit words, in this order.
struct KeyInputRecord {
  int32_t in_use;
  int32_t check_id;
  int32_t ended;
  int32_t cancelled;
  int32_t length;      // bytes
  int32_t max_length;  // bytes
  int32_t cursor;      // bytes
  char* text;          // an allocator block of max_length + 1 bytes
  int32_t cancel_allowed;
  int32_t single_byte_only;
  int32_t numbers_only;
};
constexpr int32_t kKeyInputCount = 20;
extern KeyInputRecord KeyInputRecords[kKeyInputCount];

struct KeyInputSettings {
  int32_t active;       // the active key input's handle, -1 for none
  int32_t second;       // -1
  uint32_t last_typed;  // time of the last typed character (ms)
  int32_t blink_period; // 500 ms
  int32_t blink_state;
  uint32_t colors[12];  // pixel values of the screen format
};
extern KeyInputSettings KeyInputState;

// Resets the ring, the input-method state and every key input. 0.
int InitCharCodeBuffer();
// 0, or -1 for a bad handle.
int DeleteKeyInput(int32_t handle);
// Deletes every key input. 0.
int EndKeyInput();
// Feeds the active key input from the ring. 0, or -1 when the active handle
// is bad.
int ProcessKeyInput();
// The handle of key-input record `slot` (for the records' keepers).
int32_t KeyInputHandle(int32_t slot);
