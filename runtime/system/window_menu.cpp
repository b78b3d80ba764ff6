// The main window's menu item table, the look-ups of menu items and the tool
// bar's buttons.
#include "runtime/system/window_menu.h"

#include <cstring>

#include "platform/win32/menu.h"
#include "runtime/core/lead_byte.h"

MenuItemRows MenuItemTable = {};

namespace {

// A text cut to the room of a buffer may end in the first byte of a two-byte
// character: that byte goes, so the text ends on a whole character.
void DropSplitCharacter(char* text) {
  for (int i = 0; text[i] != '\0';) {
    if (IsLeadByte(&text[i], MainWindow.char_set)) {
      if (text[i + 1] == '\0') {
        text[i] = '\0';
        return;
      }
      i += 2;
    } else {
      ++i;
    }
  }
}

}  // namespace

int CollectMenuItems(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  if (count < 0) return -1;
  for (int position = 0; position < count; ++position) {
    MenuItemInfo item;
    const int kind = QueryMenuItem(menu, position, &item);
    if (kind < 0) return -1;
    if (kind == 1) continue;  // a separator
    if (MenuItemTable.count >= kMenuItemMax) return -1;
    MenuItemRow& row = MenuItemTable.rows[MenuItemTable.count++];
    row.menu = menu;
    row.position = position;
    row.id = item.id;
    std::memcpy(row.text, item.text, sizeof(row.text));
    if (item.submenu != nullptr && CollectMenuItems(item.submenu) < 0) return -1;
  }
  return 0;
}

int QueryMenuItem(HMENU menu, int32_t position, MenuItemInfo* info) {
  if (info == nullptr || position < 0) return -1;
  char text[kMenuItemTextBytes] = {};
  MENUITEMINFOA item{};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_TYPE | MIIM_ID | MIIM_SUBMENU;
  item.dwTypeData = text;
  item.cch = sizeof(text);
  if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item)) return -1;
  *info = MenuItemInfo{};
  if (item.fType & MFT_SEPARATOR) return 1;
  info->id = static_cast<int32_t>(item.wID);
  info->submenu = item.hSubMenu;
  DropSplitCharacter(text);
  std::memcpy(info->text, text, sizeof(info->text));
  return 0;
}

int GetMenuItemNameById(int32_t id, char* text) {
  if (text == nullptr) return -1;
  for (int32_t i = 0; i < MenuItemTable.count; ++i) {
    if (MenuItemTable.rows[i].id != id) continue;
    std::memcpy(text, MenuItemTable.rows[i].text, kMenuItemTextBytes);
    return 0;
  }
  return -1;
}

int FindToolbarButton(int32_t id) {
  for (int32_t i = 0; i < MainToolbar.button_count; ++i) {
    if (MainToolbar.buttons[i].id == id) return i;
  }
  return -1;
}

int DeleteToolbarButtons() {
  if (MainToolbar.window == nullptr) return -1;
  // From the last, so no button moves before it goes.
  for (int index = ToolbarButtonCount(MainToolbar.window) - 1; index >= 0; --index) {
    ToolbarDeleteButton(MainToolbar.window, index);
  }
  for (int32_t i = 0; i < MainToolbar.button_count; ++i) MainToolbar.buttons[i] = ToolbarButtonRow{};
  MainToolbar.button_count = 0;
  return 0;
}

ChosenMenuIdList ChosenMenuIds = {};

int NoteWindowCommand(int32_t id) {
  if (id >= kToolbarCommandIdFirst) {
    const int row = FindToolbarButton(id);
    if (row >= 0) MainToolbar.buttons[row].clicked = 1;
    return 0;
  }
  for (int32_t i = 0; i < ChosenMenuIds.count; ++i) {
    if (ChosenMenuIds.ids[i] == id) return 0;
  }
  if (ChosenMenuIds.count < kChosenMenuIdMax) ChosenMenuIds.ids[ChosenMenuIds.count++] = id;
  return 0;
}

void EndWindowMenuAndToolbar() {
  if (MainWindow.menu_shown && MainWindow.window != nullptr) {
    SetMenu(MainWindow.window, nullptr);
    DrawMenuBar(MainWindow.window);
  }
  MainWindow.menu_shown = 0;
  // The menu dies here: the settings no longer name it.
  if (WindowSettings.menu != nullptr) DestroyMenu(WindowSettings.menu);
  WindowSettings.menu = nullptr;
  WindowSettings.menu_in_use = 0;
  MenuItemTable.count = 0;
  ChosenMenuIds.count = 0;

  if (MainToolbar.window != nullptr) {
    DeleteToolbarButtons();
    DestroyToolbarWindow(MainToolbar.window);
    MainToolbar.window = nullptr;
  }
}
