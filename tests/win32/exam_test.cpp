// The exam's windows under Wine: the dialog "Экзамен" (controls, Tab order, defaults, limits,
// Enter and Esc, the disabled start) and the report "Результат экзамена" (keys kept from the
// board, Esc closes it), with a sitting run by real messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "session/session.h"
#include "platform/win32/exam_window.h"
#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

// Runs `action` once the modal dialog is up, inside its own message loop.
std::function<void(HWND)> gWhileExamUp;
int gTicksShown = 0;
void CALLBACK WhenUp(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = ExamDialog();
  if (dialog == nullptr || !IsWindowVisible(dialog)) return;  // not shown yet: the next tick
  // Shown, then activated by the window manager a little later: the test reads the focus once
  // the dialog is the foreground window with the focus inside it, or after 3 s (and then fails).
  HWND focus = GetFocus();
  const bool settled =
      GetForegroundWindow() == dialog && focus != nullptr && IsChild(dialog, focus);
  if (!settled && ++gTicksShown < 60) return;
  KillTimer(nullptr, timer);
  auto action = std::move(gWhileExamUp);
  gWhileExamUp = nullptr;
  if (action) action(dialog);
}

// Opens the dialog through the menu command and acts in it while it is up.
void WithDialog(std::function<void(HWND)> action) {
  gWhileExamUp = std::move(action);
  gTicksShown = 0;
  SetTimer(nullptr, 0, 50, WhenUp);
  PostMessageW(MainWindow(), WM_COMMAND, 504, 0);
  Pump();
}

std::wstring Text(HWND dialog, int id) {
  return TextOf(GetDlgItem(dialog, id));
}

std::wstring ComboText(HWND dialog, int id) {
  HWND combo = GetDlgItem(dialog, id);
  int at = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
  wchar_t text[256] = {};
  if (at >= 0)
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring Title() {
  return TextOf(MainWindow());
}

TEST(ExamDialog, ControlsTabOrderDefaultsAndLimits) {
  bool seen = false;
  WithDialog([&](HWND dialog) {
    seen = true;
    EXPECT_EQ(TextOf(dialog), L"Экзамен");
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), MainWindow());
    EXPECT_FALSE(IsWindowEnabled(MainWindow()));  // modal to it
    // The focus on the first control, then Tab through all six in order.
    HWND first = GetDlgItem(dialog, kExamDiscipline);
    EXPECT_EQ(GetFocus(), first);
    const int order[] = {kExamTopic, kExamCount, kExamMinutes, IDOK, IDCANCEL, kExamDiscipline};
    HWND at = first;
    for (int id : order) {
      at = GetNextDlgTabItem(dialog, at, FALSE);
      EXPECT_EQ(GetDlgCtrlID(at), id);
    }
    EXPECT_EQ(ClassOf(GetDlgItem(dialog, kExamDiscipline)), L"ComboBox");
    EXPECT_EQ(ClassOf(GetDlgItem(dialog, kExamCountArrows)), L"msctls_updown32");
    EXPECT_EQ(Text(dialog, IDOK), L"Начать");
    EXPECT_EQ(Text(dialog, IDCANCEL), L"Отмена");
    EXPECT_NE(StyleOf(GetDlgItem(dialog, IDOK)) & BS_DEFPUSHBUTTON, 0);
    // At first: the first discipline (Арифметика: three questions with variants), all topics,
    // min(20, N) questions and as many minutes.
    EXPECT_EQ(ComboText(dialog, kExamDiscipline), L"Арифметика");
    EXPECT_EQ(ComboText(dialog, kExamTopic), L"Все темы");
    EXPECT_EQ(SendDlgItemMessageW(dialog, kExamTopic, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(Text(dialog, kExamCount), L"3");
    EXPECT_EQ(Text(dialog, kExamAvailable), L"из 3");
    EXPECT_EQ(Text(dialog, kExamMinutes), L"3");
    int low = -1, high = -1;
    SendDlgItemMessageW(dialog, kExamCountArrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 3);
    SendDlgItemMessageW(dialog, kExamMinutesArrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 600);
    // A discipline without questions cannot start, and says why.
    HWND combo = GetDlgItem(dialog, kExamDiscipline);
    SendMessageW(combo, CB_SETCURSEL, 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kExamDiscipline, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(ComboText(dialog, kExamDiscipline), L"Пустая дисциплина");
    EXPECT_EQ(Text(dialog, kExamAvailable), L"из 0");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(Text(dialog, kExamForecast), L"Прогноз: нет данных");  // nothing answered yet
    // The dialog's size follows its font: dialog units, not pixels.
    RECT units{0, 0, 222, 120};
    MapDialogRect(dialog, &units);
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    // Esc cancels.
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_TRUE(seen);
  EXPECT_EQ(ExamDialog(), nullptr);
  EXPECT_FALSE(session::Running());
  EXPECT_TRUE(IsWindowEnabled(MainWindow()));
}

TEST(ExamDialog, EnterStartsASittingAnsweredByKeysAndTheReportKeepsItsKeys) {
  WithDialog([&](HWND dialog) {
    HWND combo = GetDlgItem(dialog, kExamDiscipline);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    SetDlgItemInt(dialog, kExamCount, 9, FALSE);  // more than there are: all three
    SetDlgItemInt(dialog, kExamMinutes, 5, FALSE);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  });
  ASSERT_TRUE(session::Running());
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_EQ(Title(), L"Экзамен: вопрос 1 из 3, осталось 5:00");
  TypeChar(MainWindow(), L'1');
  TypeChar(MainWindow(), L'\r');
  EXPECT_EQ(Title(), L"Экзамен: вопрос 2 из 3, осталось 5:00");
  TypeChar(MainWindow(), L'\r');
  TypeChar(MainWindow(), L'\r');
  EXPECT_FALSE(session::Running());
  HWND report = ExamReport();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(TextOf(report), L"Результат экзамена");
  EXPECT_EQ(GetWindow(report, GW_OWNER), MainWindow());
  HWND list = GetDlgItem(report, kReportList);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  std::wstring head = Text(report, kReportHead);
  EXPECT_NE(head.find(L"Дисциплина: Арифметика"), std::wstring::npos) << head;
  EXPECT_NE(head.find(L"Тема: Все темы"), std::wstring::npos);
  // Seconds passed while the test ran: a few at most.
  EXPECT_NE(head.find(L"Время: 0:0"), std::wstring::npos) << head;
  EXPECT_NE(head.find(L" из 5:00"), std::wstring::npos) << head;
  EXPECT_EQ(Text(report, kReportDrill), L"Работа над ошибками");
  EXPECT_EQ(Text(report, IDCANCEL), L"Закрыть");
  // "Итог" holds its longest verdict whole (a question the sitting never reached) with the
  // cell's margins, and the columns still fit the list.
  EXPECT_GE(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0),
            SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"без ответа")) +
                12);
  RECT inside{};
  GetClientRect(list, &inside);
  int columns = 0;
  for (int c = 0; c < 5; ++c)
    columns += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0));
  EXPECT_LE(columns, inside.right);

  // A key typed in the report stays there: no command reaches the main window.
  MessageSpy spy(MainWindow(), true);
  SetFocus(list);
  TypeChar(list, L'1');
  Pump();
  EXPECT_TRUE(spy.Commands().empty());
  // Esc closes it.
  if (ExamReport() != nullptr) {
    PostMessageW(GetDlgItem(ExamReport(), kReportList), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
  }
  EXPECT_EQ(ExamReport(), nullptr);
  // The user is back on the main window; the window manager hands the focus back a moment after
  // the report has gone, and the next window opened must not race it.
  EXPECT_TRUE(WaitForFocus(MainWindow())) << "the main window did not get the focus back";
}

}  // namespace
