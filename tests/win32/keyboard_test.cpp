// Without a mouse: the topic chooser and the results window driven by real key input alone, and
// the keys typed in them kept away from the board underneath.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

#include "platform/win32/results_window.h"
#include "quiz/quiz.h"
#include "shell/globals.h"
#include "session/session.h"
#include "shell/data.h"
#include "win32_test_support.h"

namespace {

bool Checked(HWND chooser, int id) {
  return SendMessageW(GetDlgItem(chooser, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int CheckedCount(HWND chooser) {
  int count = 0;
  for (int id = 100; id < 104; ++id) count += Checked(chooser, id) ? 1 : 0;
  return count;
}

bool StartPending() {
  MSG pending;
  return PeekMessageW(&pending, MainWindow(), WM_USER, WM_USER, PM_NOREMOVE) != 0;
}

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override { BringUp(MainWindow()); }
  void TearDown() override {
    CloseChoosers();
    if (ResultsWindow() != nullptr) DestroyWindow(ResultsWindow());
    Pump();
    bNobodyHome = true;
  }
  // Input goes to the foreground window; the window manager has to grant it.
  static void BringUp(HWND window) {
    SetForegroundWindow(window);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }, 3000))
        << "the window cannot be made the foreground window: is a window manager running?";
  }
  // Opens the four-topic chooser by its menu command and waits until it has the keyboard.
  static HWND Chooser() {
    HWND chooser = OpenChooser(kArithmetic);
    EXPECT_NE(chooser, nullptr);
    if (chooser != nullptr) {
      EXPECT_TRUE(WaitForFocus(chooser, GetDlgItem(chooser, 100)))
          << "the chooser never took the keyboard with the focus on its first topic";
    }
    return chooser;
  }
};

TEST_F(Keyboard, TheChooserIsARadioGroupWithTabEnterAndEsc) {
  HWND chooser = Chooser();
  ASSERT_NE(chooser, nullptr);
  HWND ok = GetDlgItem(chooser, 200);
  // Nothing selected, the focus on the first topic.
  EXPECT_EQ(GetFocus(), GetDlgItem(chooser, 100));
  EXPECT_EQ(CheckedCount(chooser), 0);

  MessageSpy main(MainWindow(), true);
  // Arrows move the focus and the selection through the group, in both directions.
  PressKey(VK_DOWN);
  EXPECT_EQ(GetFocus(), GetDlgItem(chooser, 101));
  EXPECT_TRUE(Checked(chooser, 101));
  EXPECT_EQ(CheckedCount(chooser), 1);
  PressKey(VK_RIGHT);
  EXPECT_TRUE(Checked(chooser, 102));
  PressKey(VK_UP);
  EXPECT_EQ(GetFocus(), GetDlgItem(chooser, 101));
  EXPECT_TRUE(Checked(chooser, 101));
  EXPECT_EQ(CheckedCount(chooser), 1);

  // Tab to OK and back into the group, at the selected topic.
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), ok);
  PressKey(VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), GetDlgItem(chooser, 101));

  // Answer keys and Space act in the chooser alone: Space keeps the focused topic selected.
  PressKey('1');
  PressKey(VK_SPACE);
  EXPECT_TRUE(main.Commands().empty());
  EXPECT_TRUE(IsWindow(chooser));
  EXPECT_TRUE(Checked(chooser, 101));

  // Enter on a topic presses OK: topic 1 (one question with a long answer) is loaded.
  PressKey(VK_RETURN);
  EXPECT_FALSE(IsWindow(chooser));
  PumpUntil([] { return quiz::StartsPending == 0 && !quiz::bStartDeferred; }, 3000);
  ASSERT_NE(Answer(1000), nullptr);
  EXPECT_EQ(TextOf(Answer(1000)).rfind(L"Очень длинный ответ", 0), 0u);
  EXPECT_EQ(Answer(1002), nullptr);
}

TEST_F(Keyboard, SpaceSelectsTheFocusedTopicAndEnterWithoutOneLoadsNothing) {
  HWND chooser = Chooser();
  ASSERT_NE(chooser, nullptr);
  // Space on the focused first topic selects it; Tab to OK and Shift+Tab come back to it.
  PressKey(VK_SPACE);
  EXPECT_TRUE(Checked(chooser, 100));
  EXPECT_TRUE(IsWindow(chooser));
  CloseChoosers();

  // Enter with nothing selected: OK closes the chooser and loads nothing.
  chooser = Chooser();
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(CheckedCount(chooser), 0);
  PressKey(VK_RETURN);
  EXPECT_FALSE(IsWindow(chooser));
  EXPECT_FALSE(StartPending());
  EXPECT_TRUE(bNobodyHome);
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");
}

TEST_F(Keyboard, EscClosesTheChooserWithoutLoadingAndKeysNeverReachTheBoard) {
  StartTopic(kArithmetic, 0);  // 2 + 2: +Четыре -Пять -Три
  BringUp(MainWindow());
  HWND chooser = Chooser();
  ASSERT_NE(chooser, nullptr);
  // Typed in the chooser, the answer keys and Enter tick nothing on the board and grade nothing.
  PressKey('1');
  PressKey('2');
  EXPECT_FALSE(Ticked(1000));
  EXPECT_FALSE(Ticked(1001));
  PressKey(VK_DOWN);  // selects topic 1
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(chooser));
  EXPECT_FALSE(StartPending());
  EXPECT_EQ(TextOf(Answer(1000)), L"Четыре");  // still topic 0, ungraded
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");
  // Back on the board the same key answers.
  BringUp(MainWindow());
  PressKey('1');
  EXPECT_TRUE(Ticked(1000));
}

// results.csv with three records in a scratch data folder while alive.
class ResultsFolder {
 public:
  ResultsFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"exameo-keys-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
    const std::string csv =
        "\xEF\xBB\xBF"
        "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;Кругов;"
        "Длительность, с;Продолжено\r\n"
        "2026-12-01 10:00;Математика;Алгебра;10;10;5;50,0;2;300;нет\r\n"
        "2026-12-02 11:30;Физика;Механика;8;8;8;100,0;1;120;да\r\n"
        "2026-12-03 09:15;Математика;Алгебра;10;4;3;75,0;2;200;да\r\n";
    HANDLE file = CreateFileW((path_ + L"\\results.csv").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD put = 0;
    WriteFile(file, csv.data(), static_cast<DWORD>(csv.size()), &put, nullptr);
    CloseHandle(file);
    OpenDataFolder(std::string(path_.begin(), path_.end()).c_str(), true);
  }
  ~ResultsFolder() {
    if (ResultsWindow() != nullptr) DestroyWindow(ResultsWindow());
    OpenDataFolder("", false);
    Pump();
    RemoveTree(path_);
  }
  ResultsFolder(const ResultsFolder&) = delete;
  ResultsFolder& operator=(const ResultsFolder&) = delete;

 private:
  std::wstring path_;
};

TEST_F(Keyboard, TheResultsWindowTakesItsOwnKeysAndEscClosesIt) {
  ResultsFolder folder;
  StartTopic(kArithmetic, 0);
  BringUp(MainWindow());
  MenuCommand(503);
  HWND results = ResultsWindow();
  ASSERT_NE(results, nullptr);
  HWND list = GetDlgItem(results, kResultsListId);
  EXPECT_TRUE(WaitForFocus(results, list))
      << "the results window never took the keyboard with the focus on its list";
  EXPECT_EQ(GetFocus(), list);
  auto selected = [&] {
    return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  };
  EXPECT_EQ(selected(), 0);

  // The list moves by arrows; Tab leaves the focus in it (the only control that takes it).
  PressKey(VK_DOWN);
  EXPECT_EQ(selected(), 1);
  PressKey(VK_END);
  EXPECT_EQ(selected(), 2);
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), list);

  // The board's keys typed here do nothing to the quiz underneath.
  MessageSpy main(MainWindow(), false);
  PressKey('1');
  PressKey(VK_SPACE);
  PressKey(VK_RETURN);
  EXPECT_TRUE(main.Commands().empty());
  EXPECT_FALSE(Ticked(1000));
  EXPECT_EQ(MarkOf(1000), Mark::None);
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");
  EXPECT_TRUE(IsWindow(results));

  PressKey(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(results));
  EXPECT_EQ(ResultsWindow(), nullptr);
}

}  // namespace
