// Start-up as the user meets it: the window classes, the maximized main window and its menus.
//
// These tests read the state that start-up leaves, so they run in a process of their own before
// any other test has clicked, typed or loaded anything (a CTest entry of their own, filtered to
// this suite); run after another test, they fail and say so.
#include <gtest/gtest.h>

#include "shell/win32/shell_win32.h"
#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

struct MenuEntry {
  std::wstring text;
  UINT id;
  HMENU submenu;
  UINT type;
  UINT state;
};

std::vector<MenuEntry> Items(HMENU menu) {
  std::vector<MenuEntry> list;
  int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[1100] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 1100;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
    list.push_back({text, info.wID, info.hSubMenu, info.fType, info.fState});
  }
  return list;
}

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TestsOutsideSuiteSoFar("StartUpTest"), 0)
        << "other tests ran before the start-up state was read; run this suite alone "
           "(--gtest_filter=StartUpTest.*)";
  }
};

TEST_F(StartUpTest, MainWindowIsActiveWithTheFocusSoTheUserCanTypeAtOnce) {
  HWND main = MainWindow();
  ASSERT_TRUE(IsWindow(main));
  // Activation comes from the window manager through the display server, a little later.
  const bool active = PumpUntil([&] { return GetForegroundWindow() == main; }, 3000);
  ASSERT_TRUE(active) << "the main window never became the foreground window: is a window "
                         "manager running on this display (scripts/wine-session.sh starts one)?";
  EXPECT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetFocus(), main);
}

TEST_F(StartUpTest, MainWindowIsMaximizedWithItsTitleAndClass) {
  HWND main = MainWindow();
  ASSERT_TRUE(IsWindow(main));
  EXPECT_TRUE(IsZoomed(main));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(TextOf(main), L"Exameo 2.0");
  EXPECT_EQ(ClassOf(main), L"MainWClass");
  EXPECT_EQ(StyleOf(main) & WS_OVERLAPPEDWINDOW, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
  EXPECT_EQ(GetParent(main), nullptr);

  // The board measured the maximized client area, after the window was shown.
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(OnScreen2.Client.right, client.right);
  EXPECT_EQ(OnScreen2.Client.bottom, client.bottom);
  EXPECT_GT(client.right, 800);
  TEXTMETRICW metrics{};
  HDC dc = GetDC(main);
  GetTextMetricsW(dc, &metrics);
  ReleaseDC(main, dc);
  EXPECT_EQ(OnScreen2.CharWidth, metrics.tmAveCharWidth);
  EXPECT_NE(OnScreen2.hFontRight, nullptr);
  EXPECT_EQ(OnScreen2.hInst, GetModuleHandleW(nullptr));
}

TEST_F(StartUpTest, WindowClassesAreRegisteredAsTheProgramNeedsThem) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  ASSERT_TRUE(GetClassInfoExW(instance, L"MainWClass", &main));
  EXPECT_EQ(main.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(main.lpfnWndProc, WndProc);
  EXPECT_EQ(main.hCursor, LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
  EXPECT_EQ(main.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(main.cbClsExtra, 0);
  EXPECT_EQ(main.cbWndExtra, 0);

  WNDCLASSEXW owned{};
  owned.cbSize = sizeof owned;
  ASSERT_TRUE(GetClassInfoExW(instance, L"OwnedWClass", &owned));
  EXPECT_EQ(owned.style, 0u);
  EXPECT_EQ(owned.lpfnWndProc, OwnedProc);
  EXPECT_EQ(owned.hCursor, LoadCursorW(nullptr, MAKEINTRESOURCEW(32515)));
  EXPECT_EQ(owned.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  EXPECT_EQ(owned.hIcon, nullptr);
}

TEST_F(StartUpTest, MenuBarHasDisciplinesThenHelpWithTheirItemsInOrder) {
  HMENU bar = GetMenu(MainWindow());
  ASSERT_NE(bar, nullptr);
  std::vector<MenuEntry> top = Items(bar);
  // The options popup between them is looked at in study_test.cpp.
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(top[0].text, L"Дисциплины");
  EXPECT_EQ(top[1].text, L"Подготовка");
  EXPECT_EQ(top[2].text, L"Параметры");
  EXPECT_EQ(top[3].text, L"Помощь");
  for (const MenuEntry& e : top) {
    EXPECT_EQ(e.id, 0u);
    EXPECT_NE(e.submenu, nullptr);
  }

  // One item per description file, in catalogue order, identifiers 20, 21, ...
  // Then a separator and the item that adds more.
  std::vector<MenuEntry> disciplines = Items(top[0].submenu);
  ASSERT_EQ(disciplines.size(), 6u);
  EXPECT_EQ(disciplines[4].type, static_cast<UINT>(MFT_SEPARATOR));
  EXPECT_EQ(disciplines[5].text, L"Добавить вопросы из файла...");
  EXPECT_EQ(disciplines[5].id, 508u);
  disciplines.erase(disciplines.begin() + 4);
  ASSERT_EQ(Discipline.LastDiscipline, 3);
  const wchar_t* titles[] = {L"Арифметика", L"Пустая дисциплина", L"Одна тема", L"Много тем"};
  const char* files[] = {kArithmetic, kEmpty, kSingle, kMany};
  for (int i = 0; i < 4; ++i) {
    int entry = DisciplineIndex(files[i]);
    ASSERT_GE(entry, 0);
    EXPECT_EQ(disciplines[entry].text, titles[i]);
    EXPECT_EQ(disciplines[entry].id, static_cast<UINT>(20 + entry));
  }

  std::vector<MenuEntry> help = Items(top[3].submenu);
  ASSERT_EQ(help.size(), 3u);
  EXPECT_EQ(help[0].text, L"О программе");
  EXPECT_EQ(help[0].id, 10u);
  EXPECT_EQ(help[1].text, L"Горячие клавиши");
  EXPECT_EQ(help[1].id, 12u);
  EXPECT_EQ(help[2].text, L"База данных");
  EXPECT_EQ(help[2].id, 11u);

  // Every item a plain text item, enabled and not ticked.
  for (const auto* list : {&top, &disciplines, &help}) {
    for (const MenuEntry& e : *list) {
      EXPECT_EQ(e.type, static_cast<UINT>(MFT_STRING)) << e.text;
      EXPECT_EQ(e.state & (MFS_DISABLED | MFS_CHECKED), 0u) << e.text;
    }
  }
}

TEST_F(StartUpTest, AMainWindowThatCannotBeCreatedIsReportedAndStartUpFails) {
  HWND main = OnScreen2.hWnd;
  HINSTANCE instance = OnScreen2.hInst;
  bool ok = true;
  std::vector<SeenBox> boxes;
  {
    WindowLog log;
    log.Refuse(L"MainWClass");
    ok = StartUp(instance);
    boxes = log.Boxes();
  }
  EXPECT_EQ(OnScreen2.hWnd, nullptr);
  OnScreen2.hWnd = main;
  EXPECT_FALSE(ok);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Exameo 2.0");
  EXPECT_EQ(boxes[0].text, L"Не удалось создать главное окно программы.");
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_TRUE(boxes[0].icon);
  // The program's own window is untouched.
  EXPECT_TRUE(IsWindow(main));
  EXPECT_EQ(Discipline.LastDiscipline, 3);
}

TEST_F(StartUpTest, ClosingTheMainWindowEndsTheLoopWithCodeZero) {
  // A second main window of the same class, so that the program's own stays for the others.
  HWND other = CreateWindowExW(0, L"MainWClass", L"x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  SendMessageW(other, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(other));
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_EQ(RunMessageLoop(Accelerators()), 0);
}

}  // namespace
