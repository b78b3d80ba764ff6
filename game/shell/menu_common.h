// Helpers shared by the shell's menus: the two cursor rules, lit and dim
// rows, the clearing of decide presses, and the captured picture of the play
// field behind the pause, confirmation and save menus.
#pragma once

#include <cstdint>

// Title rule: the first newly pressed up of any of the four players moves the
// cursor up, else the first newly pressed down moves it down; one move a
// frame, wrapping between 1 and `rows`, with the cursor sound.
void move_cursor_any_player(int32_t rows);
// In-game rule: each player below player_count in turn may move the cursor
// one row (up first), wrapping between 1 and `rows`; every move requests the
// cursor sound.
void move_cursor_each_player(int32_t rows);
// The first player below player_count whose decide is newly pressed; -1 for
// none.
int32_t deciding_player();
// Sets the decide action (action 0) of every player below player_count to 0,
// so that the press that changed the screen is not taken again.
void clear_decide_actions();
// Draws `lit` when `row` is the cursor's row, else `dim`, with transparency.
void draw_menu_row(int32_t x, int32_t y, int32_t lit, int32_t dim, int32_t row);

// The capture counter at which a menu over the picture takes input.
constexpr int32_t kMenuCaptureReady = 10;

// The first menu frame takes the picture of the back screen; the counter
// then rises to 10, when the menu takes input.
void step_menu_capture();
// Draws the picture darkened by the counter (255 - 10 x counter).
void draw_menu_capture();
// Back to play: state 21, cursor 1, decide presses cleared, the decide (or
// cancel) sound, the picture drawn once more and deleted.
void leave_menu_to_play(bool cancel_sound);

// The image cell `cell` of a ten-cell digit sheet, drawn with transparency;
// a cell outside 0 to 9 draws nothing.
void draw_digit_cell(int32_t x, int32_t y, const int32_t (&sheet)[10], int32_t cell);
