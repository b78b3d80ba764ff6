// The main window's menu, tool bar, region and the cursor and menu
// visibility, on the null host.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/gdi.h"
#include "platform/win32/menu.h"
#include "platform/win32/user.h"
#include "runtime/system/window_menu.h"
#include "tests/runtime/system/window_test_support.h"

namespace {

// The system cursor's display counter (it shows while 0 or more).
int CursorCount() {
  const int count = ShowCursor(TRUE) - 1;
  ShowCursor(FALSE);
  return count;
}

// The menu the window carries in these tests (positions in brackets):
//   bar:    [0] File >  [1] ----  [2] Help >  [3] Quit (900)
//   File:   [0] Open (101)  [1] ----  [2] Recent >  [3] ----  [4] Exit (102)
//   Recent: [0] one.dat (111)  [1] two.dat (112)
//   Help:   [0] About (201)
struct TestMenus {
  HMENU bar, file, recent, help;
};

TestMenus BuildMenus() {
  TestMenus menus{CreateMenu(), CreatePopupMenu(), CreatePopupMenu(), CreatePopupMenu()};
  AppendMenuA(menus.recent, MF_STRING, 111, "one.dat");
  AppendMenuA(menus.recent, MF_STRING, 112, "two.dat");
  AppendMenuA(menus.file, MF_STRING, 101, "Open");
  AppendMenuA(menus.file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menus.file, MF_POPUP, reinterpret_cast<UINT_PTR>(menus.recent), "Recent");
  AppendMenuA(menus.file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menus.file, MF_STRING, 102, "Exit");
  AppendMenuA(menus.help, MF_STRING, 201, "About");
  AppendMenuA(menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menus.file), "File");
  AppendMenuA(menus.bar, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menus.help), "Help");
  AppendMenuA(menus.bar, MF_STRING, 900, "Quit");
  return menus;
}

// The id an item that opens `menu` has: the sub-menu's handle as a number.
int32_t SubmenuId(HMENU menu) {
  return static_cast<int32_t>(reinterpret_cast<uintptr_t>(menu));
}

// A window in window mode that carries the test menu, made as start-up makes
// it, under the library lock.
class WindowMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AcquireLibraryLock();
    ClearHostInput();
    ResetWindowSettings();
    menus_ = BuildMenus();
    WindowSettings.menu_in_use = 1;
    WindowSettings.menu = menus_.bar;
    ASSERT_EQ(CreateMainWindow(), 0);
    window_ = GetMainWindowHandle();
    cursor_baseline_ = CursorCount();
  }
  void TearDown() override {
    DestroyMainWindow();
    ClearHostInput();
    ReleaseLibraryLock();
  }

  // A tool bar of `height` pixels on the window with buttons of these ids,
  // in the window's state as the program's own tool bar.
  HWND MakeToolbar(int height, const std::vector<int32_t>& ids) {
    const HWND toolbar = CreateToolbarWindow(window_, height);
    for (int32_t id : ids) {
      const TBBUTTON button{0, id, TBSTATE_ENABLED, BTNS_BUTTON};
      ToolbarAddButtons(toolbar, &button, 1);
      MainToolbar.buttons[MainToolbar.button_count++] =
          ToolbarButtonRow{id, TBSTATE_ENABLED, BTNS_BUTTON, 0};
    }
    MainToolbar.window = toolbar;
    return toolbar;
  }

  bool CursorShown() const { return CursorCount() == cursor_baseline_; }

  TestMenus menus_{};
  HWND window_ = nullptr;
  int cursor_baseline_ = 0;  // the counter while the cursor shows
};

// ---- The menu item table -------------------------------------------------------------

struct Row {
  HMENU menu;
  int32_t position;
  int32_t id;
  std::string text;
};

std::vector<Row> TableRows() {
  std::vector<Row> rows;
  for (int32_t i = 0; i < MenuItemTable.count; ++i) {
    const MenuItemRow& row = MenuItemTable.rows[i];
    rows.push_back(Row{row.menu, row.position, row.id, row.text});
  }
  return rows;
}

void ExpectRows(const std::vector<Row>& actual, const std::vector<Row>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    EXPECT_EQ(actual[i].menu, expected[i].menu);
    EXPECT_EQ(actual[i].position, expected[i].position);
    EXPECT_EQ(actual[i].id, expected[i].id);
    EXPECT_EQ(actual[i].text, expected[i].text);
  }
}

TEST_F(WindowMenuTest, CreationGathersEveryItemDepthFirstWithoutSeparators) {
  const TestMenus& m = menus_;
  ExpectRows(TableRows(), {
                              {m.bar, 0, SubmenuId(m.file), "File"},
                              {m.file, 0, 101, "Open"},
                              {m.file, 2, SubmenuId(m.recent), "Recent"},
                              {m.recent, 0, 111, "one.dat"},
                              {m.recent, 1, 112, "two.dat"},
                              {m.file, 4, 102, "Exit"},
                              {m.bar, 2, SubmenuId(m.help), "Help"},
                              {m.help, 0, 201, "About"},
                              {m.bar, 3, 900, "Quit"},
                          });
  // In window mode the menu is on the window from the start.
  EXPECT_EQ(GetMenu(window_), menus_.bar);
}

TEST_F(WindowMenuTest, CollectingAppendsAndStopsWhereTheTableEnds) {
  const int32_t gathered = MenuItemTable.count;
  EXPECT_EQ(CollectMenuItems(menus_.recent), 0);
  ASSERT_EQ(MenuItemTable.count, gathered + 2);
  EXPECT_STREQ(MenuItemTable.rows[gathered + 1].text, "two.dat");

  EXPECT_EQ(CollectMenuItems(nullptr), -1);
  EXPECT_EQ(MenuItemTable.count, gathered + 2);

  // One row of room left: the first item fits, the walk then fails.
  MenuItemTable.count = kMenuItemMax - 1;
  EXPECT_EQ(CollectMenuItems(menus_.recent), -1);
  EXPECT_EQ(MenuItemTable.count, kMenuItemMax);
  EXPECT_EQ(MenuItemTable.rows[kMenuItemMax - 1].id, 111);
}

enum class Which { kBar, kFile, kRecent, kNone };

struct QueryCase {
  const char* name;
  Which menu;
  int32_t position;
  int result;
  int32_t id;         // for result 0 and no sub-menu
  const char* text;   // for result 0
  Which submenu;      // for result 0
};

class QueryMenuItemTest : public WindowMenuTest, public ::testing::WithParamInterface<QueryCase> {
 protected:
  HMENU MenuOf(Which which) const {
    switch (which) {
      case Which::kBar: return menus_.bar;
      case Which::kFile: return menus_.file;
      case Which::kRecent: return menus_.recent;
      case Which::kNone: break;
    }
    return nullptr;
  }
};

TEST_P(QueryMenuItemTest, GivesTheKindIdAndText) {
  const QueryCase& c = GetParam();
  MenuItemInfo info;
  std::memset(&info, 0x5A, sizeof(info));
  const int result = QueryMenuItem(MenuOf(c.menu), c.position, &info);
  EXPECT_EQ(result, c.result);
  if (result == 0) {
    EXPECT_STREQ(info.text, c.text);
    EXPECT_EQ(info.submenu, MenuOf(c.submenu));
    EXPECT_EQ(info.id, c.submenu == Which::kNone ? c.id : SubmenuId(MenuOf(c.submenu)));
  } else if (result == -1) {
    EXPECT_EQ(info.id, 0x5A5A5A5A) << "a failure leaves the output alone";
  }
}

INSTANTIATE_TEST_SUITE_P(
    WindowMenu, QueryMenuItemTest,
    ::testing::Values(QueryCase{"command", Which::kFile, 0, 0, 101, "Open", Which::kNone},
                      QueryCase{"last_command", Which::kFile, 4, 0, 102, "Exit", Which::kNone},
                      QueryCase{"opens_a_menu", Which::kFile, 2, 0, 0, "Recent", Which::kRecent},
                      QueryCase{"separator", Which::kFile, 1, 1, 0, "", Which::kNone},
                      QueryCase{"top_separator", Which::kBar, 1, 1, 0, "", Which::kNone},
                      QueryCase{"past_the_end", Which::kFile, 5, -1, 0, "", Which::kNone},
                      QueryCase{"negative", Which::kRecent, -1, -1, 0, "", Which::kNone},
                      QueryCase{"no_menu", Which::kNone, 0, -1, 0, "", Which::kNone}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowMenuTest, QueryWithoutAnOutputFails) {
  EXPECT_EQ(QueryMenuItem(menus_.file, 0, nullptr), -1);
}

struct CutCase {
  const char* name;
  std::string text;
  std::string read;
};

// Texts longer than the room are cut, never inside a two-byte character.
TEST_F(WindowMenuTest, LongTextsAreCutOnAWholeCharacter) {
  const std::string kana = "あ";  // two bytes in Shift-JIS
  ASSERT_EQ(kana.size(), 2u);
  const std::vector<CutCase> cases = {
      {"fits", std::string(127, 'a'), std::string(127, 'a')},
      {"too_long", std::string(200, 'b'), std::string(127, 'b')},
      {"kana_ends_at_the_room", std::string(125, 'c') + kana, std::string(125, 'c') + kana},
      {"kana_split_by_the_room", std::string(126, 'd') + kana, std::string(126, 'd')},
  };
  const HMENU menu = CreatePopupMenu();
  for (size_t i = 0; i < cases.size(); ++i) {
    AppendMenuA(menu, MF_STRING, 300 + static_cast<UINT_PTR>(i), cases[i].text.c_str());
  }
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    MenuItemInfo info;
    ASSERT_EQ(QueryMenuItem(menu, static_cast<int32_t>(i), &info), 0);
    EXPECT_EQ(std::string(info.text), cases[i].read);
  }
  DestroyMenu(menu);
}

TEST_F(WindowMenuTest, NamesAreFoundByIdAnywhereInTheMenu) {
  const struct {
    int32_t id;
    const char* text;
  } hits[] = {{101, "Open"}, {112, "two.dat"}, {201, "About"}, {900, "Quit"}};
  for (const auto& hit : hits) {
    char text[kMenuItemTextBytes] = {};
    EXPECT_EQ(GetMenuItemNameById(hit.id, text), 0) << hit.id;
    EXPECT_STREQ(text, hit.text);
  }
  char text[kMenuItemTextBytes] = "untouched";
  EXPECT_EQ(GetMenuItemNameById(555, text), -1);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(GetMenuItemNameById(101, nullptr), -1);
}

// ---- The tool bar --------------------------------------------------------------------

TEST_F(WindowMenuTest, ToolbarButtonsAreFoundByIdAndAllDeleted) {
  EXPECT_EQ(DeleteToolbarButtons(), -1) << "no tool bar yet";
  EXPECT_EQ(FindToolbarButton(5), -1);
  EXPECT_EQ(GetToolbarHeight(), 0);

  const HWND toolbar = MakeToolbar(24, {5, 9, 12});
  EXPECT_EQ(FindToolbarButton(5), 0);
  EXPECT_EQ(FindToolbarButton(9), 1);
  EXPECT_EQ(FindToolbarButton(12), 2);
  EXPECT_EQ(FindToolbarButton(7), -1);
  EXPECT_EQ(GetToolbarHeight(), 24);

  EXPECT_EQ(DeleteToolbarButtons(), 0);
  EXPECT_EQ(ToolbarButtonCount(toolbar), 0);
  EXPECT_EQ(MainToolbar.button_count, 0);
  EXPECT_EQ(FindToolbarButton(9), -1);
  EXPECT_EQ(GetToolbarHeight(), 24) << "the tool bar itself stays";
  EXPECT_EQ(DeleteToolbarButtons(), 0) << "an empty tool bar";
}

// WM_COMMAND through the window procedure: tool-bar ids (from 1280) mark
// their button clicked; menu ids are kept once each, at most 64 of them.
TEST_F(WindowMenuTest, CommandsMarkButtonsAndKeepChosenMenuIds) {
  MakeToolbar(24, {1280, 1281});
  ChosenMenuIds.count = 0;
  const auto command = [this](int32_t id) {
    MainWindowProc(window_, WM_COMMAND, static_cast<WPARAM>(id), 0);
  };
  command(1281);
  command(1300);  // no such button: nothing happens
  EXPECT_EQ(MainToolbar.buttons[0].clicked, 0);
  EXPECT_EQ(MainToolbar.buttons[1].clicked, 1);
  EXPECT_EQ(ChosenMenuIds.count, 0) << "tool-bar ids are not menu choices";

  command(20);
  command(21);
  command(20);
  ASSERT_EQ(ChosenMenuIds.count, 2);
  EXPECT_EQ(ChosenMenuIds.ids[0], 20);
  EXPECT_EQ(ChosenMenuIds.ids[1], 21);

  for (int32_t id = 100; id < 200; ++id) command(id);
  EXPECT_EQ(ChosenMenuIds.count, kChosenMenuIdMax);
  EXPECT_EQ(ChosenMenuIds.ids[kChosenMenuIdMax - 1], 100 + kChosenMenuIdMax - 3);

  EXPECT_EQ(DestroyMainWindow(), 0);
  EXPECT_EQ(ChosenMenuIds.count, 0) << "the window's end forgets the choices";
}

// The window grows by the tool bar; the picture starts below it and ends
// with the client area.
TEST_F(WindowMenuTest, TheToolbarSitsAboveThePicture) {
  MakeToolbar(24, {1});
  FitMainWindow();
  RECT client{};
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480 + 24);
  int32_t left, top, right, bottom;
  GetClientScreenRect(&left, &top, &right, &bottom);
  EXPECT_EQ(top, MainWindow.client_rect.top + 24);
  EXPECT_EQ(bottom, MainWindow.client_rect.bottom);
  EXPECT_EQ(bottom - top, 480);
  EXPECT_EQ(right - left, 640);
  // The cursor rests at the desktop's origin: its picture row counts from
  // below the tool bar.
  int32_t y = 0;
  GetMousePosition(nullptr, &y);
  EXPECT_EQ(y, -top);
}

// ---- The accessors by mode ------------------------------------------------------------

struct ScaleCase {
  int32_t window_mode;
  double setting;
  double scale;
};

TEST_F(WindowMenuTest, TheScaleCountsOnlyInWindowMode) {
  const ScaleCase cases[] = {
      {1, 2.0, 2.0}, {1, 0.5, 0.5}, {1, 0.0, 1.0}, {1, -3.0, 1.0}, {0, 2.0, 1.0},
  };
  for (const ScaleCase& c : cases) {
    WindowModeFlag = c.window_mode;
    WindowScale = c.setting;
    EXPECT_EQ(GetWindowScale(), c.scale) << c.window_mode << " " << c.setting;
  }
  WindowModeFlag = 1;
  WindowScale = 1.0;
}

// The menu stays in use in both modes; full-screen mode takes it off the
// window until the cursor comes near the top (on the null host it rests at
// the desktop's origin, so the next update brings it back).
TEST_F(WindowMenuTest, TheMenuIsInUseInBothModesAndShownAsTheModeSays) {
  EXPECT_EQ(GetMenuInUseFlag(), 1);
  EXPECT_EQ(GetMenu(window_), menus_.bar);
  SetWindowModeFlag(0);
  EXPECT_EQ(GetMenuInUseFlag(), 1);
  EXPECT_EQ(GetMenu(window_), nullptr);
  ClipCursorForMode();
  EXPECT_EQ(MainWindow.cursor_near_top, 1);
  EXPECT_EQ(GetMenu(window_), menus_.bar);
  SetWindowModeFlag(1);
  EXPECT_EQ(GetMenu(window_), menus_.bar);
}

TEST_F(WindowMenuTest, ARegionIsReportedWhileSet) {
  EXPECT_EQ(HasWindowRegion(), 0);
  // The GDI stand-in has no regions: any GDI object stands for one here.
  WindowSettings.region = CreateCompatibleBitmap(nullptr, 4, 4);
  EXPECT_EQ(HasWindowRegion(), 1);
  WindowModeFlag = 0;
  EXPECT_EQ(HasWindowRegion(), 1) << "in full-screen mode too";
  WindowModeFlag = 1;
}

TEST_F(WindowMenuTest, TheEndTakesTheMenuToolbarAndRegionAway) {
  const HWND toolbar = MakeToolbar(20, {3, 4});
  const HGDIOBJ region = CreateCompatibleBitmap(nullptr, 4, 4);
  WindowSettings.region = region;
  WindowSettings.menu_hidden = 1;
  SetMouseCursorVisible(0);
  ASSERT_FALSE(CursorShown());

  EXPECT_EQ(DestroyMainWindow(), 0);
  EXPECT_FALSE(IsMenu(menus_.bar));
  EXPECT_FALSE(IsMenu(menus_.recent));
  EXPECT_EQ(GetMenuInUseFlag(), 0);
  EXPECT_EQ(WindowSettings.menu, nullptr);
  EXPECT_EQ(MenuItemTable.count, 0);
  EXPECT_EQ(ToolbarButtonCount(toolbar), -1);
  EXPECT_EQ(GetToolbarHeight(), 0);
  EXPECT_EQ(FindToolbarButton(3), -1);
  EXPECT_EQ(HasWindowRegion(), 0);
  EXPECT_FALSE(DeleteObject(region)) << "already deleted";
  EXPECT_TRUE(CursorShown()) << "the end shows a hidden cursor again";
}

// ---- Cursor and menu visibility ------------------------------------------------------

struct VisibilityCase {
  const char* name;
  int32_t window_mode;
  int32_t near_top;
  int32_t hidden;
  int32_t kept_shown;
  int32_t request;
  bool menu_on;
  bool cursor_on;
};

class VisibilityTest : public WindowMenuTest,
                       public ::testing::WithParamInterface<VisibilityCase> {};

// The cursor shows when requested or while the menu is up, which it is in
// window mode, near the top in full-screen mode, or always when kept shown;
// never when hidden.
TEST_P(VisibilityTest, CursorRequestAndMenuDecideTogether) {
  const VisibilityCase& c = GetParam();
  WindowModeFlag = c.window_mode;
  MainWindow.cursor_near_top = c.near_top;
  WindowSettings.menu_hidden = c.hidden;
  WindowSettings.menu_kept_shown = c.kept_shown;
  EXPECT_EQ(SetMouseCursorVisible(c.request), 0);
  EXPECT_EQ(GetMenu(window_) != nullptr, c.menu_on);
  EXPECT_EQ(MainWindow.menu_shown, c.menu_on ? 1 : 0);
  EXPECT_EQ(CursorShown(), c.cursor_on);
  EXPECT_EQ(MainWindow.cursor_shown, c.cursor_on ? 1 : 0);
  // The mouse over the window takes the cursor picture away by the same rule.
  SetCursor(LoadCursorA(nullptr, IDC_ARROW()));
  MainWindowProc(window_, WM_SETCURSOR, 0, 0);
  EXPECT_EQ(GetCursor() != nullptr, c.cursor_on);
  WindowModeFlag = 1;
}

INSTANTIATE_TEST_SUITE_P(
    WindowMenu, VisibilityTest,
    ::testing::Values(
        VisibilityCase{"window_menu_keeps_the_cursor", 1, 0, 0, 0, 0, true, true},
        VisibilityCase{"window_hidden_menu", 1, 0, 1, 0, 0, false, false},
        VisibilityCase{"window_hidden_menu_requested", 1, 0, 1, 0, 1, false, true},
        VisibilityCase{"full_away_from_the_top", 0, 0, 0, 0, 0, false, false},
        VisibilityCase{"full_near_the_top", 0, 1, 0, 0, 0, true, true},
        VisibilityCase{"full_kept_shown", 0, 0, 0, 1, 0, true, true},
        VisibilityCase{"full_requested", 0, 0, 0, 0, 1, false, true},
        VisibilityCase{"full_hidden_near_the_top", 0, 1, 1, 0, 0, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Without a menu the request alone decides; requests do not pile up.
TEST_F(MainWindowTest, SetMouseCursorVisibleHidesAndShowsTheCursor) {
  const int shown = CursorCount();
  EXPECT_EQ(GetMenuInUseFlag(), 0);
  EXPECT_EQ(SetMouseCursorVisible(0), 0);
  EXPECT_EQ(CursorCount(), shown - 1);
  EXPECT_EQ(MainWindow.cursor_show_request, 0);
  EXPECT_EQ(SetMouseCursorVisible(0), 0);
  EXPECT_EQ(CursorCount(), shown - 1);
  EXPECT_EQ(SetMouseCursorVisible(1), 0);
  EXPECT_EQ(CursorCount(), shown);
  EXPECT_EQ(MainWindow.cursor_show_request, 1);
  EXPECT_EQ(GetMenu(GetMainWindowHandle()), nullptr);
}

}  // namespace
