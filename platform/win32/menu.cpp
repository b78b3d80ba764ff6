// Menus and tool bars in memory: the menus with their items, the menu bar of
// each window, and the tool bars with their buttons.
#include "platform/win32/menu.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/host/not_emulated.h"

namespace {

// Handles of menus and tool bars come from ranges of their own, far from the
// window handles and above the 16-bit command ids, so the id Windows gives a
// sub-menu's item (its handle as a number) never meets a command id.
constexpr uintptr_t kFirstMenuHandle = 0x2000000;
constexpr uintptr_t kFirstToolbarHandle = 0x3000000;
constexpr uintptr_t kHandleStep = 4;

constexpr BYTE kKnownButtonStates =
    TBSTATE_CHECKED | TBSTATE_PRESSED | TBSTATE_ENABLED | TBSTATE_HIDDEN;

struct MenuItem {
  UINT kind;  // MF_STRING, MF_SEPARATOR or MF_POPUP
  UINT id;
  std::string text;  // Shift-JIS
  HMENU submenu;     // MF_POPUP only
};

struct MenuEntry {
  HMENU parent = nullptr;  // the menu this one hangs under, if any
  std::vector<MenuItem> items;
};

struct ToolbarEntry {
  HWND parent = nullptr;
  int height = 0;
  std::vector<TBBUTTON> buttons;
};

struct MenuSystem {
  std::mutex mutex;
  std::map<HMENU, MenuEntry> menus;
  std::map<HWND, HMENU> menu_bars;  // window -> its menu bar
  std::map<HWND, ToolbarEntry> toolbars;
  uintptr_t next_menu = kFirstMenuHandle;
  uintptr_t next_toolbar = kFirstToolbarHandle;
};

MenuSystem& System() {
  static auto* system = new MenuSystem;
  return *system;
}

MenuEntry* FindMenuLocked(HMENU menu) {
  auto found = System().menus.find(menu);
  return found != System().menus.end() ? &found->second : nullptr;
}

ToolbarEntry* FindToolbarLocked(HWND toolbar) {
  auto found = System().toolbars.find(toolbar);
  return found != System().toolbars.end() ? &found->second : nullptr;
}

HMENU NewMenu() {
  std::lock_guard<std::mutex> lock(System().mutex);
  MenuSystem& system = System();
  const HMENU menu = reinterpret_cast<HMENU>(system.next_menu);
  system.next_menu += kHandleStep;
  system.menus[menu] = MenuEntry{};
  return menu;
}

// True when `candidate` is `menu` or one of the menus it hangs under.
bool IsMenuOrAboveLocked(HMENU candidate, HMENU menu) {
  for (HMENU at = menu; at != nullptr;) {
    if (at == candidate) return true;
    const MenuEntry* entry = FindMenuLocked(at);
    at = entry != nullptr ? entry->parent : nullptr;
  }
  return false;
}

// Forgets `menu` and every menu under it, and takes it off any window.
void DestroyMenuTreeLocked(HMENU menu) {
  MenuSystem& system = System();
  MenuEntry* entry = FindMenuLocked(menu);
  if (entry == nullptr) return;
  const std::vector<MenuItem> items = entry->items;
  system.menus.erase(menu);
  for (auto it = system.menu_bars.begin(); it != system.menu_bars.end();) {
    it = it->second == menu ? system.menu_bars.erase(it) : std::next(it);
  }
  for (const MenuItem& item : items) {
    if (item.kind == MF_POPUP) DestroyMenuTreeLocked(item.submenu);
  }
}

}  // namespace

HMENU CreateMenu() { return NewMenu(); }

HMENU CreatePopupMenu() { return NewMenu(); }

BOOL IsMenu(HMENU menu) {
  std::lock_guard<std::mutex> lock(System().mutex);
  return FindMenuLocked(menu) != nullptr ? TRUE : FALSE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR item, LPCSTR text) {
  RequireEmulated(flags == MF_STRING || flags == MF_POPUP || flags == MF_SEPARATOR, "AppendMenuA",
                  "only MF_STRING, MF_POPUP and MF_SEPARATOR items are emulated", flags);
  std::lock_guard<std::mutex> lock(System().mutex);
  MenuEntry* entry = FindMenuLocked(menu);
  if (entry == nullptr) return FALSE;
  MenuItem added{flags, 0, text != nullptr && flags != MF_SEPARATOR ? text : "", nullptr};
  if (flags == MF_STRING) added.id = static_cast<UINT>(item);
  if (flags == MF_POPUP) {
    const HMENU submenu = reinterpret_cast<HMENU>(item);
    MenuEntry* sub_entry = FindMenuLocked(submenu);
    if (sub_entry == nullptr || sub_entry->parent != nullptr || IsMenuOrAboveLocked(submenu, menu)) {
      return FALSE;
    }
    sub_entry->parent = menu;
    added.submenu = submenu;
    added.id = static_cast<UINT>(item);
  }
  entry->items.push_back(std::move(added));
  return TRUE;
}

BOOL DestroyMenu(HMENU menu) {
  std::lock_guard<std::mutex> lock(System().mutex);
  const MenuEntry* entry = FindMenuLocked(menu);
  if (entry == nullptr) return FALSE;
  RequireEmulated(entry->parent == nullptr, "DestroyMenu",
                  "destroying a sub-menu apart from its menu is not emulated", menu);
  DestroyMenuTreeLocked(menu);
  return TRUE;
}

int GetMenuItemCount(HMENU menu) {
  std::lock_guard<std::mutex> lock(System().mutex);
  const MenuEntry* entry = FindMenuLocked(menu);
  return entry != nullptr ? static_cast<int>(entry->items.size()) : -1;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL by_position, MENUITEMINFOA* info) {
  RequireEmulated(by_position != FALSE, "GetMenuItemInfoA",
                  "only look-ups by position are emulated", by_position);
  if (info == nullptr || info->cbSize != sizeof(MENUITEMINFOA)) return FALSE;
  RequireEmulated((info->fMask & ~(MIIM_ID | MIIM_SUBMENU | MIIM_TYPE)) == 0, "GetMenuItemInfoA",
                  "only MIIM_ID, MIIM_SUBMENU and MIIM_TYPE are emulated", info->fMask);
  std::lock_guard<std::mutex> lock(System().mutex);
  const MenuEntry* entry = FindMenuLocked(menu);
  if (entry == nullptr || item >= entry->items.size()) return FALSE;
  const MenuItem& found = entry->items[item];
  if (info->fMask & MIIM_ID) info->wID = found.id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = found.submenu;
  if (info->fMask & MIIM_TYPE) {
    if (found.kind == MF_SEPARATOR) {
      info->fType = MFT_SEPARATOR;
      info->cch = 0;
    } else {
      info->fType = MFT_STRING;
      const UINT length = static_cast<UINT>(found.text.size());
      if (info->dwTypeData == nullptr || info->cch == 0) {
        info->cch = length;
      } else {
        const UINT copied = std::min(length, info->cch - 1);
        std::memcpy(info->dwTypeData, found.text.data(), copied);
        info->dwTypeData[copied] = '\0';
        info->cch = copied;
      }
    }
  }
  return TRUE;
}

BOOL SetMenu(HWND window, HMENU menu) {
  if (!IsWindow(window)) return FALSE;
  std::lock_guard<std::mutex> lock(System().mutex);
  if (menu == nullptr) {
    System().menu_bars.erase(window);
    return TRUE;
  }
  if (FindMenuLocked(menu) == nullptr) return FALSE;
  System().menu_bars[window] = menu;
  return TRUE;
}

HMENU GetMenu(HWND window) {
  if (!IsWindow(window)) return nullptr;
  std::lock_guard<std::mutex> lock(System().mutex);
  auto found = System().menu_bars.find(window);
  return found != System().menu_bars.end() ? found->second : nullptr;
}

BOOL DrawMenuBar(HWND window) { return IsWindow(window); }

HWND CreateToolbarWindow(HWND parent, int height) {
  RequireEmulated(height >= 1, "CreateToolbarWindow", "a tool bar has a height of 1 or more",
                  height);
  if (!IsWindow(parent)) return nullptr;
  std::lock_guard<std::mutex> lock(System().mutex);
  MenuSystem& system = System();
  const HWND toolbar = reinterpret_cast<HWND>(system.next_toolbar);
  system.next_toolbar += kHandleStep;
  ToolbarEntry entry;
  entry.parent = parent;
  entry.height = height;
  system.toolbars[toolbar] = entry;
  return toolbar;
}

BOOL DestroyToolbarWindow(HWND toolbar) {
  std::lock_guard<std::mutex> lock(System().mutex);
  return System().toolbars.erase(toolbar) != 0 ? TRUE : FALSE;
}

int GetToolbarWindowHeight(HWND toolbar) {
  std::lock_guard<std::mutex> lock(System().mutex);
  const ToolbarEntry* entry = FindToolbarLocked(toolbar);
  return entry != nullptr ? entry->height : 0;
}

int ToolbarButtonCount(HWND toolbar) {
  std::lock_guard<std::mutex> lock(System().mutex);
  const ToolbarEntry* entry = FindToolbarLocked(toolbar);
  return entry != nullptr ? static_cast<int>(entry->buttons.size()) : -1;
}

BOOL ToolbarAddButtons(HWND toolbar, const TBBUTTON* buttons, int count) {
  if (buttons == nullptr || count < 0) return FALSE;
  for (int i = 0; i < count; ++i) {
    const BYTE style = buttons[i].fsStyle;
    RequireEmulated((buttons[i].fsState & ~kKnownButtonStates) == 0, "ToolbarAddButtons",
                    "unknown button state", buttons[i].fsState);
    RequireEmulated(style == BTNS_BUTTON || style == BTNS_SEP || style == BTNS_CHECK ||
                        style == BTNS_CHECKGROUP,
                    "ToolbarAddButtons", "unknown button kind", style);
  }
  std::lock_guard<std::mutex> lock(System().mutex);
  ToolbarEntry* entry = FindToolbarLocked(toolbar);
  if (entry == nullptr) return FALSE;
  entry->buttons.insert(entry->buttons.end(), buttons, buttons + count);
  return TRUE;
}

BOOL ToolbarGetButton(HWND toolbar, int index, TBBUTTON* button) {
  std::lock_guard<std::mutex> lock(System().mutex);
  const ToolbarEntry* entry = FindToolbarLocked(toolbar);
  if (entry == nullptr || button == nullptr || index < 0 ||
      index >= static_cast<int>(entry->buttons.size())) {
    return FALSE;
  }
  *button = entry->buttons[index];
  return TRUE;
}

BOOL ToolbarDeleteButton(HWND toolbar, int index) {
  std::lock_guard<std::mutex> lock(System().mutex);
  ToolbarEntry* entry = FindToolbarLocked(toolbar);
  if (entry == nullptr || index < 0 || index >= static_cast<int>(entry->buttons.size())) {
    return FALSE;
  }
  entry->buttons.erase(entry->buttons.begin() + index);
  return TRUE;
}
