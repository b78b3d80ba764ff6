// The menu and tool-bar stand-ins: building menus, reading their items back,
// attaching them to a window, and a tool bar's buttons.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32/menu.h"
#include "platform/win32/user.h"

namespace {

LRESULT PlainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

// A window to hang menus and tool bars on.
class MenuStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = PlainProc;
    window_class.lpszClassName = "MenuStandInTest";
    ASSERT_NE(RegisterClassA(&window_class), 0);
    window_ = CreateWindowExA(0, "MenuStandInTest", "m", WS_CAPTION, 0, 0, 320, 240, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA("MenuStandInTest", nullptr);
  }

  HWND window_ = nullptr;
};

UINT_PTR AsItem(HMENU menu) { return reinterpret_cast<UINT_PTR>(menu); }

MENUITEMINFOA ItemQuery(UINT mask, char* text, UINT room) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = mask;
  info.dwTypeData = text;
  info.cch = room;
  return info;
}

TEST_F(MenuStandInTest, ItemsReadBackByPositionWithTheirKinds) {
  const HMENU bar = CreateMenu();
  const HMENU file = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(file, MF_STRING, 101, "Open"));
  ASSERT_TRUE(AppendMenuA(file, MF_SEPARATOR, 0, nullptr));
  ASSERT_TRUE(AppendMenuA(bar, MF_POPUP, AsItem(file), "File"));
  EXPECT_EQ(GetMenuItemCount(bar), 1);
  EXPECT_EQ(GetMenuItemCount(file), 2);

  char text[16];
  MENUITEMINFOA info = ItemQuery(MIIM_TYPE | MIIM_ID | MIIM_SUBMENU, text, sizeof(text));
  ASSERT_TRUE(GetMenuItemInfoA(file, 0, TRUE, &info));
  EXPECT_EQ(info.fType, MFT_STRING);
  EXPECT_EQ(info.wID, 101u);
  EXPECT_EQ(info.hSubMenu, nullptr);
  EXPECT_STREQ(text, "Open");
  EXPECT_EQ(info.cch, 4u);

  info = ItemQuery(MIIM_TYPE | MIIM_ID, text, sizeof(text));
  ASSERT_TRUE(GetMenuItemInfoA(file, 1, TRUE, &info));
  EXPECT_EQ(info.fType, MFT_SEPARATOR);

  // An item that opens a sub-menu reports it, with the sub-menu's handle as
  // its id.
  info = ItemQuery(MIIM_TYPE | MIIM_ID | MIIM_SUBMENU, text, sizeof(text));
  ASSERT_TRUE(GetMenuItemInfoA(bar, 0, TRUE, &info));
  EXPECT_EQ(info.hSubMenu, file);
  EXPECT_EQ(info.wID, static_cast<UINT>(AsItem(file)));
  EXPECT_STREQ(text, "File");

  // Past the items, or a menu that does not exist: FALSE.
  EXPECT_FALSE(GetMenuItemInfoA(file, 2, TRUE, &info));
  EXPECT_FALSE(GetMenuItemInfoA(nullptr, 0, TRUE, &info));
  info.cbSize = 0;
  EXPECT_FALSE(GetMenuItemInfoA(file, 0, TRUE, &info));
  EXPECT_TRUE(DestroyMenu(bar));
}

TEST_F(MenuStandInTest, TextIsCutToTheRoomOrOnlyMeasured) {
  const HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(menu, MF_STRING, 7, "Preferences"));
  char text[6];
  std::memset(text, 'x', sizeof(text));
  MENUITEMINFOA info = ItemQuery(MIIM_TYPE, text, sizeof(text));
  ASSERT_TRUE(GetMenuItemInfoA(menu, 0, TRUE, &info));
  EXPECT_STREQ(text, "Prefe");
  EXPECT_EQ(info.cch, 5u);

  info = ItemQuery(MIIM_TYPE, nullptr, 0);
  ASSERT_TRUE(GetMenuItemInfoA(menu, 0, TRUE, &info));
  EXPECT_EQ(info.cch, 11u);
  DestroyMenu(menu);
}

TEST_F(MenuStandInTest, AMenuNeverHangsInTwoPlacesNorUnderItself) {
  const HMENU top = CreateMenu();
  const HMENU middle = CreatePopupMenu();
  const HMENU low = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(top, MF_POPUP, AsItem(middle), "middle"));
  ASSERT_TRUE(AppendMenuA(middle, MF_POPUP, AsItem(low), "low"));

  EXPECT_FALSE(AppendMenuA(top, MF_POPUP, AsItem(low), "again")) << "already placed";
  EXPECT_FALSE(AppendMenuA(low, MF_POPUP, AsItem(top), "loop")) << "a menu above";
  EXPECT_FALSE(AppendMenuA(low, MF_POPUP, AsItem(low), "self"));
  EXPECT_FALSE(AppendMenuA(top, MF_POPUP, 0x12345, "unknown"));
  EXPECT_FALSE(AppendMenuA(nullptr, MF_STRING, 1, "no menu"));
  EXPECT_EQ(GetMenuItemCount(low), 0);
  EXPECT_EQ(GetMenuItemCount(top), 1);

  // The menu goes with everything under it.
  EXPECT_TRUE(DestroyMenu(top));
  EXPECT_FALSE(IsMenu(top));
  EXPECT_FALSE(IsMenu(middle));
  EXPECT_FALSE(IsMenu(low));
  EXPECT_EQ(GetMenuItemCount(middle), -1);
  EXPECT_FALSE(DestroyMenu(top));
}

TEST_F(MenuStandInTest, AWindowCarriesOneMenuBarUntilItIsTakenOffOrDestroyed) {
  const HMENU bar = CreateMenu();
  EXPECT_EQ(GetMenu(window_), nullptr);
  ASSERT_TRUE(SetMenu(window_, bar));
  EXPECT_EQ(GetMenu(window_), bar);
  EXPECT_TRUE(DrawMenuBar(window_));
  ASSERT_TRUE(SetMenu(window_, nullptr));
  EXPECT_EQ(GetMenu(window_), nullptr);

  ASSERT_TRUE(SetMenu(window_, bar));
  DestroyMenu(bar);
  EXPECT_EQ(GetMenu(window_), nullptr);

  const HWND not_a_window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7777));
  const HMENU other = CreateMenu();
  EXPECT_FALSE(SetMenu(not_a_window, other));
  EXPECT_FALSE(SetMenu(window_, bar)) << "a destroyed menu";
  DestroyMenu(other);
  EXPECT_FALSE(DrawMenuBar(not_a_window));
}

TEST_F(MenuStandInTest, AToolbarKeepsItsButtonsInOrder) {
  const HWND toolbar = CreateToolbarWindow(window_, 26);
  ASSERT_NE(toolbar, nullptr);
  EXPECT_EQ(GetToolbarWindowHeight(toolbar), 26);
  EXPECT_EQ(ToolbarButtonCount(toolbar), 0);

  const TBBUTTON buttons[] = {
      {0, 1280, TBSTATE_ENABLED, BTNS_BUTTON},
      {0, 0, 0, BTNS_SEP},
      {1, 1281, TBSTATE_ENABLED | TBSTATE_CHECKED, BTNS_CHECK},
  };
  ASSERT_TRUE(ToolbarAddButtons(toolbar, buttons, 3));
  EXPECT_EQ(ToolbarButtonCount(toolbar), 3);

  ASSERT_TRUE(ToolbarDeleteButton(toolbar, 0));
  TBBUTTON first{};
  ASSERT_TRUE(ToolbarGetButton(toolbar, 0, &first));
  EXPECT_EQ(first.fsStyle, BTNS_SEP) << "the buttons behind move up";
  ASSERT_TRUE(ToolbarGetButton(toolbar, 1, &first));
  EXPECT_EQ(first.idCommand, 1281);
  EXPECT_EQ(first.fsState, TBSTATE_ENABLED | TBSTATE_CHECKED);

  EXPECT_FALSE(ToolbarDeleteButton(toolbar, 2));
  EXPECT_FALSE(ToolbarDeleteButton(toolbar, -1));
  EXPECT_FALSE(ToolbarGetButton(toolbar, 2, &first));

  EXPECT_TRUE(DestroyToolbarWindow(toolbar));
  EXPECT_EQ(ToolbarButtonCount(toolbar), -1);
  EXPECT_EQ(GetToolbarWindowHeight(toolbar), 0);
  EXPECT_FALSE(ToolbarAddButtons(toolbar, buttons, 1));
  EXPECT_FALSE(DestroyToolbarWindow(toolbar));
  EXPECT_EQ(CreateToolbarWindow(nullptr, 26), nullptr) << "a tool bar needs a window";
}

// Uses no caller of ours makes end the process, naming the call.
TEST(MenuStandInDeathTest, UnemulatedUsesFailLoudly) {
  const HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "one");
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID;
  EXPECT_DEATH(AppendMenuA(menu, MF_STRING | 0x0001, 2, "grayed"), "AppendMenuA");
  EXPECT_DEATH(GetMenuItemInfoA(menu, 1, FALSE, &info), "GetMenuItemInfoA");
  info.fMask = 0x0001;  // the item's state
  EXPECT_DEATH(GetMenuItemInfoA(menu, 0, TRUE, &info), "GetMenuItemInfoA");

  const HMENU bar = CreateMenu();
  const HMENU sub = CreatePopupMenu();
  AppendMenuA(bar, MF_POPUP, AsItem(sub), "sub");
  EXPECT_DEATH(DestroyMenu(sub), "DestroyMenu");
  EXPECT_DEATH(CreateToolbarWindow(nullptr, 0), "CreateToolbarWindow");
  const TBBUTTON dropdown = {0, 1, TBSTATE_ENABLED, 0x08};
  EXPECT_DEATH(ToolbarAddButtons(nullptr, &dropdown, 1), "ToolbarAddButtons");
  DestroyMenu(bar);
  DestroyMenu(menu);
}

}  // namespace
