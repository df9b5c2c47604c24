// Real keyboard and mouse input, as a person gives it: key-down and key-up through SendInput,
// clicks at a control's place on the screen, and the focus wherever the system puts it. The
// message loop translates the table's characters before the focused control sees them, so a key
// that a focused button would take for itself still reaches the quiz first.
#include <gtest/gtest.h>

#include <vector>

#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

// Lets the input reach the queue and the loop handle it, with the messages it gives rise to:
// a short while at least, then until the queue has stayed empty for a moment (input under Wine
// arrives through the server, later on a busy machine).
void Settle() {
  PumpUntil([] { return false; }, 60);
  int quiet = 0;
  PumpUntil([&] { return GetQueueStatus(QS_ALLINPUT) == 0 ? ++quiet >= 3 : (quiet = 0, false); },
            1000);
}

INPUT KeyInput(WORD vk, DWORD flags) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = flags;
  return in;
}

// One key pressed and released.
void Press(WORD vk, DWORD extended = 0) {
  INPUT in[2] = {KeyInput(vk, extended), KeyInput(vk, extended | KEYEVENTF_KEYUP)};
  ASSERT_EQ(SendInput(2, in, sizeof(INPUT)), 2u);
  Settle();
}

// A left click in the middle of `control`, with the mouse moved there first.
void Click(HWND control) {
  ASSERT_NE(control, nullptr);
  RECT r{};
  GetWindowRect(control, &r);
  const int x = (r.left + r.right) / 2;
  const int y = (r.top + r.bottom) / 2;
  INPUT in[3]{};
  in[0].type = INPUT_MOUSE;
  in[0].mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in[0].mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in[1].type = INPUT_MOUSE;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[2].type = INPUT_MOUSE;
  in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(3, in, sizeof(INPUT)), 3u);
  Settle();
}

class Typing : public ::testing::Test {
 protected:
  void SetUp() override {
    // Input goes to the foreground window; the window manager has to grant it.
    SetForegroundWindow(MainWindow());
    ASSERT_TRUE(PumpUntil([] { return GetForegroundWindow() == MainWindow(); }, 3000))
        << "the main window cannot be made the foreground window: is a window manager running?";
  }
  void TearDown() override {
    CloseChoosers();
    // Ends whatever quiz the test left, without boxes: the next test starts its own topic.
    bNobodyHome = true;
  }
};

TEST_F(Typing, ClickACheckBoxThenSpaceTwice) {
  StartTopic(kArithmetic, 0);  // 2 + 2: +Четыре -Пять -Три; then 1 + 1: -Один +Два
  Click(Answer(1001));
  EXPECT_TRUE(Ticked(1001));
  EXPECT_EQ(GetFocus(), Answer(1001));  // a click gives the check box the focus

  // Space is the OK key: the loop turns its character into OK before the focused box acts on
  // the key. The first press grades; the box's own click on key-up is undone, as every click on
  // a graded answer is, so the tick stays as the user set it.
  {
    MessageSpy spy(MainWindow(), false);
    Press(VK_SPACE);
    // OK from the accelerator (high word 1) on key-down, then the box's click (high word 0,
    // BN_CLICKED) on key-up.
    EXPECT_EQ(spy.Commands(), (std::vector<WPARAM>{MAKEWPARAM(300, 1), MAKEWPARAM(1001, 0)}));
  }
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 0.000 %, осталось 1");
  EXPECT_EQ(MarkOf(1000), Mark::Missed);
  EXPECT_EQ(MarkOf(1001), Mark::Wrong);
  EXPECT_EQ(MarkOf(1002), Mark::None);
  EXPECT_FALSE(Ticked(1000));
  EXPECT_TRUE(Ticked(1001));
  EXPECT_FALSE(Ticked(1002));
  EXPECT_EQ(Answer(1003), nullptr);  // still question 0

  // The second press moves on: question 0 frozen as graded, question 1 below it, untouched.
  // The box is disabled by then, so its key-up gives no click.
  {
    MessageSpy spy(MainWindow(), false);
    Press(VK_SPACE);
    EXPECT_EQ(spy.Commands(), (std::vector<WPARAM>{MAKEWPARAM(300, 1)}));
  }
  EXPECT_TRUE(Ticked(1001));
  for (int id = 1000; id <= 1002; ++id) EXPECT_FALSE(IsWindowEnabled(Answer(id))) << id;
  ASSERT_NE(Answer(1003), nullptr);
  EXPECT_EQ(TextOf(Answer(1003)), L"Один");
  EXPECT_FALSE(Ticked(1003));
  EXPECT_FALSE(Ticked(1004));
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 0.000 %, осталось 1");

  // The keys still reach the quiz although the box that had the focus is now disabled.
  Press('2');
  EXPECT_TRUE(Ticked(1004));
  EXPECT_FALSE(Ticked(1003));
  Press(VK_RETURN);
  EXPECT_EQ(MarkOf(1004), Mark::Right);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 50.000 %, осталось 0");
}

TEST_F(Typing, ClickOkThenOneAndEnter) {
  StartTopic(kArithmetic, 0);
  // OK clicked with nothing ticked: graded at once, the right answer shown as missed.
  Click(Answer(300));
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 0.000 %, осталось 1");
  EXPECT_EQ(MarkOf(1000), Mark::Missed);
  EXPECT_EQ(GetFocus(), Answer(300));

  // "1" on a graded question changes nothing; Enter, though the OK button has the focus, is
  // the OK key of the table and moves on to question 1.
  Press('1');
  EXPECT_FALSE(Ticked(1000));
  EXPECT_EQ(MarkOf(1000), Mark::Missed);
  EXPECT_EQ(Answer(1003), nullptr);
  Press(VK_RETURN);
  ASSERT_NE(Answer(1003), nullptr);
  EXPECT_EQ(TextOf(Answer(1004)), L"Два");
  EXPECT_FALSE(Ticked(1000));

  // The OK button that had the focus is gone; the keys go on working on question 1.
  Press('1');
  EXPECT_TRUE(Ticked(1003));
  Press(VK_RETURN);
  EXPECT_EQ(MarkOf(1003), Mark::Wrong);
  EXPECT_EQ(MarkOf(1004), Mark::Missed);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 0.000 %, осталось 0");
}

TEST_F(Typing, KeypadDigitsWithNumLockTickAnswersAndKeypadEnterGrades) {
  // Under Wine the toggle's state is taken over from the X server as well, which may have kept
  // it from an earlier program on the same display: a press that did not switch it on is
  // followed by another.
  for (int attempt = 0; attempt < 3 && (GetKeyState(VK_NUMLOCK) & 1) == 0; ++attempt) {
    Press(VK_NUMLOCK);
    PumpUntil([] { return (GetKeyState(VK_NUMLOCK) & 1) == 1; }, 700);
  }
  ASSERT_EQ(GetKeyState(VK_NUMLOCK) & 1, 1) << "NumLock could not be switched on";
  StartTopic(kArithmetic, 0);
  Press(VK_NUMPAD3);
  EXPECT_TRUE(Ticked(1002));
  Press(VK_NUMPAD1);
  Press(VK_NUMPAD3);
  EXPECT_TRUE(Ticked(1000));
  EXPECT_FALSE(Ticked(1001));
  EXPECT_FALSE(Ticked(1002));
  Press(VK_NUMPAD9);  // no ninth variant: nothing
  EXPECT_FALSE(Ticked(1001));
  Press(VK_RETURN, KEYEVENTF_EXTENDEDKEY);  // the keypad's Enter
  EXPECT_EQ(MarkOf(1000), Mark::Right);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 100.000 %, осталось 1");
}

}  // namespace
