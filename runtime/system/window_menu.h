// The main window's menu and tool bar: the table of menu items gathered from
// the menu, look-ups of an item by position or by id, and the tool bar's
// buttons. The menu's settings and the tool bar's state are in
// runtime/core/window_state.h.
#pragma once

#include <cstdint>

#include "platform/win32/user.h"
#include "runtime/core/window_state.h"

// The room for an item's text, its NUL included.
constexpr int32_t kMenuItemTextBytes = 128;

// One item of the menu or of one of its sub-menus: the menu that holds it,
// its position there (separators counted), its id and its text.
struct MenuItemRow {
  HMENU menu;
  int32_t position;
  int32_t id;
  char text[kMenuItemTextBytes];
};
constexpr int32_t kMenuItemMax = 512;
struct MenuItemRows {
  int32_t count;
  MenuItemRow rows[kMenuItemMax];
};
// Filled at window creation from the menu in use; emptied at the window's end.
extern MenuItemRows MenuItemTable;

// What QueryMenuItem reads of an item that is not a separator.
struct MenuItemInfo {
  int32_t id;
  HMENU submenu;  // the menu the item opens, or null
  char text[kMenuItemTextBytes];
};

// Walks `menu` and its sub-menus depth first (an item, then the items of the
// menu it opens, then the next item) and appends every item that is not a
// separator to MenuItemTable. 0, or -1 when a menu cannot be read or the
// table is full (the rows that fitted stay).
int CollectMenuItems(HMENU menu);
// Reads the item at `position` of `menu`: 1 for a separator, 0 with its id,
// sub-menu and text in `info` (cut to the room there, never inside a
// two-byte character), -1 when there is no such item or `info` is null.
int QueryMenuItem(HMENU menu, int32_t position, MenuItemInfo* info);
// Copies the text of the first item of MenuItemTable with the id into `text`
// (room for kMenuItemTextBytes). 0, or -1 when no item has it or `text` is
// null.
int GetMenuItemNameById(int32_t id, char* text);

// The row of MainToolbar's button with the id, or -1 when there is none.
int FindToolbarButton(int32_t id);
// Removes every button from the tool bar and from MainToolbar. 0, or -1
// without a tool bar.
int DeleteToolbarButtons();

// The menu commands chosen so far, each id once, at most kChosenMenuIdMax.
constexpr int32_t kChosenMenuIdMax = 64;
struct ChosenMenuIdList {
  int32_t count;
  int32_t ids[kChosenMenuIdMax];
};
extern ChosenMenuIdList ChosenMenuIds;

// Tool-bar buttons' command ids start here; lower ids are menu commands.
constexpr int32_t kToolbarCommandIdFirst = 1280;
// A WM_COMMAND of the main window: a tool-bar id marks its button clicked; a
// menu id joins ChosenMenuIds unless it is there already or the list is full.
// 0.
int NoteWindowCommand(int32_t id);

// The window's end: takes the menu off the window and destroys it (the menu
// settings go back to none), closes the tool bar and empties MenuItemTable.
void EndWindowMenuAndToolbar();
