// Menu and tool-bar stand-ins, kept in memory: a menu is a list of items
// (command items with an id and a text, separators, and items that open a
// sub-menu); a tool bar is a strip of buttons along the top of a window's
// client area. The host shows neither: the program builds them, attaches them
// to its window and reads them back.
#pragma once

#include "platform/win32/types.h"
#include "platform/win32/user.h"

// ---- Menus --------------------------------------------------------------------------

// A menu bar, and a drop-down menu to hang under an item of another menu.
// Both are empty at first.
HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL IsMenu(HMENU menu);

// AppendMenuA kinds. Only these three are emulated (no states, no bitmaps).
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_SEPARATOR = 0x0800;

// Adds an item at the end of `menu`: MF_STRING a command item with the id
// `item` and `text` (Shift-JIS); MF_SEPARATOR a separator (`item` and `text`
// unused); MF_POPUP an item with `text` that opens the menu `item` (an HMENU
// given as a number), which from then on belongs to `menu`; the item's id is
// that number cut to 32 bits, as Windows reports it. FALSE when `menu` does
// not exist, or the sub-menu does not exist, already belongs to a menu, or
// is `menu` itself or a menu above it (a menu never contains itself).
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR item, LPCSTR text);
// Destroys the menu with its sub-menus and detaches it from its window.
// FALSE for a menu that does not exist. A sub-menu is destroyed with the menu
// it belongs to: destroying it alone is not emulated.
BOOL DestroyMenu(HMENU menu);
// The number of items, separators included; -1 for a menu that does not exist.
int GetMenuItemCount(HMENU menu);

// What GetMenuItemInfoA reads (fMask) and what it gives.
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_TYPE = 0x0010;
constexpr UINT MFT_STRING = 0x0000;
constexpr UINT MFT_SEPARATOR = 0x0800;

struct MENUITEMINFOA {
  UINT cbSize;  // sizeof(MENUITEMINFOA)
  UINT fMask;
  UINT fType;        // MIIM_TYPE: MFT_STRING or MFT_SEPARATOR
  UINT wID;          // MIIM_ID
  HMENU hSubMenu;    // MIIM_SUBMENU: the menu the item opens, or null
  LPSTR dwTypeData;  // MIIM_TYPE: receives the text of a string item
  UINT cch;          // in: room in dwTypeData; out: the text's length
};

// Reads the item at position `item` (`by_position` TRUE; look-up by id is not
// emulated). With MIIM_TYPE a string item's text is copied into dwTypeData,
// cut to cch - 1 bytes and ended, and cch becomes the number of bytes copied;
// with dwTypeData null or cch 0 only cch is set, to the whole text's length.
// FALSE for a menu that does not exist or a position past its items.
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL by_position, MENUITEMINFOA* info);

// Attaches a menu bar to a window; null takes it off. FALSE when `window` is
// not a window or `menu` does not exist. The end of a window does not destroy
// its menu here: the program destroys it.
BOOL SetMenu(HWND window, HMENU menu);
// The window's menu bar; null for none or for a window that does not exist.
HMENU GetMenu(HWND window);
// The host draws no menus: TRUE for a window, else FALSE.
BOOL DrawMenuBar(HWND window);

// ---- Tool bars ----------------------------------------------------------------------
// Windows drives a tool bar by messages to its child window; here those
// messages are plain calls on the tool bar's handle.

// Button states and kinds.
constexpr BYTE TBSTATE_CHECKED = 0x01;
constexpr BYTE TBSTATE_PRESSED = 0x02;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTATE_HIDDEN = 0x08;
constexpr BYTE BTNS_BUTTON = 0x00;
constexpr BYTE BTNS_SEP = 0x01;
constexpr BYTE BTNS_CHECK = 0x02;
constexpr BYTE BTNS_CHECKGROUP = 0x06;

// One button: its image, the command id it sends, its state and its kind.
struct TBBUTTON {
  int iBitmap;
  int idCommand;
  BYTE fsState;
  BYTE fsStyle;
};

// Makes a tool bar `height` pixels high along the top of `parent`'s client
// area, with no buttons. Null when `parent` is not a window. A height below 1
// is not emulated.
HWND CreateToolbarWindow(HWND parent, int height);
// Destroys the tool bar with its buttons. FALSE for a handle that is not one.
BOOL DestroyToolbarWindow(HWND toolbar);
// The tool bar's height in pixels; 0 for a handle that is not a tool bar.
int GetToolbarWindowHeight(HWND toolbar);
// The number of buttons (TB_BUTTONCOUNT); -1 for a handle that is not a tool
// bar.
int ToolbarButtonCount(HWND toolbar);
// Adds `count` buttons at the end (TB_ADDBUTTONS). States other than the four
// above and kinds other than the four above are not emulated.
BOOL ToolbarAddButtons(HWND toolbar, const TBBUTTON* buttons, int count);
// Copies the button at `index` (TB_GETBUTTON). FALSE when there is none.
BOOL ToolbarGetButton(HWND toolbar, int index, TBBUTTON* button);
// Removes the button at `index`; the ones behind move up (TB_DELETEBUTTON).
// FALSE when there is none.
BOOL ToolbarDeleteButton(HWND toolbar, int index);
