// The topic chooser as real windows: its size and place, its radio buttons and OK button, and
// the start of the quiz after it is gone.
#include <gtest/gtest.h>

#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

class ChooserTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseChoosers(); }

  // Opens the chooser of a discipline with `topics` topics and checks every window in it.
  void CheckLayout(const char* descriptionPath, int topics, const wchar_t* title) {
    WindowLog log;
    HWND chooser = OpenChooser(descriptionPath);
    ASSERT_NE(chooser, nullptr);
    // The focus on the first topic (on OK, the last control, when there is none) once the window
    // manager has activated the chooser; until then another window may hold it for a while.
    HWND focus = topics > 0 ? GetDlgItem(chooser, 100)
                            : GetWindow(GetWindow(chooser, GW_CHILD), GW_HWNDLAST);
    EXPECT_TRUE(WaitForFocus(chooser, focus))
        << "the chooser never became the foreground window with the focus on its first control";
    const int last = topics - 1;
    const int r = 20 * (last - ((last + 3) % 3));
    const int width = OnScreen2.Client.right;
    const int height = OnScreen2.Client.bottom;

    // What the program asked for: outer size and screen position, centred on the client size
    // measured at start-up, owned by the main window.
    std::vector<CreatedWindow> created = log.CreatedOfClass(L"OwnedWClass");
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].window, chooser);
    EXPECT_EQ(created[0].width, 810);
    EXPECT_EQ(created[0].height, r + 150);
    EXPECT_EQ(created[0].x, (width - 810) / 2);
    EXPECT_EQ(created[0].y, (height - (r + 150)) / 2);
    EXPECT_EQ(created[0].style, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(created[0].parent, MainWindow());

    // What the user gets.
    EXPECT_EQ(GetWindow(chooser, GW_OWNER), MainWindow());
    EXPECT_TRUE(IsWindowVisible(chooser));
    EXPECT_EQ(TextOf(chooser), title);
    RECT outer{};
    GetWindowRect(chooser, &outer);
    EXPECT_EQ(outer.right - outer.left, 810);
    // A window taller than the screen is cut to about the screen's height by the system and the
    // window manager; the controls keep their places and the lowest lie out of sight.
    const int screen = GetSystemMetrics(SM_CYSCREEN);
    if (r + 150 < screen) {
      EXPECT_EQ(outer.bottom - outer.top, r + 150);
    } else {
      EXPECT_LE(outer.bottom - outer.top, GetSystemMetrics(SM_CYMAXTRACK));
      EXPECT_GE(outer.bottom - outer.top, screen - GetSystemMetrics(SM_CYCAPTION));
    }
    EXPECT_TRUE(IsWindowEnabled(MainWindow()));

    EXPECT_EQ(Children(chooser).size(), static_cast<std::size_t>(topics + 1));
    for (int i = 0; i < topics; ++i) {
      SCOPED_TRACE(i);
      HWND radio = GetDlgItem(chooser, 100 + i);
      ASSERT_NE(radio, nullptr);
      EXPECT_EQ(ClassOf(radio), L"Button");
      // One radio group, entered by Tab at its first topic.
      EXPECT_EQ(StyleOf(radio),
                static_cast<LONG>(WS_CHILD | WS_VISIBLE | BS_MULTILINE | BS_AUTORADIOBUTTON |
                                  (i == 0 ? WS_GROUP | WS_TABSTOP : 0)));
      const int column = i % 3;
      RECT at = RectIn(radio, chooser);
      EXPECT_EQ(at.left, 15 + 265 * column);
      EXPECT_EQ(at.top, 15 + 60 * (i / 3));
      EXPECT_EQ(at.right - at.left, 250);
      EXPECT_EQ(at.bottom - at.top, 60);
      EXPECT_EQ(SendMessageW(radio, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    }
    // The OK button is the last control; with more than 100 topics radio button 100 carries
    // the same identifier 200 and comes first.
    HWND ok = GetWindow(GetWindow(chooser, GW_CHILD), GW_HWNDLAST);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(GetDlgCtrlID(ok), 200);
    EXPECT_EQ(TextOf(ok), L"OK");
    EXPECT_EQ(StyleOf(ok),
              static_cast<LONG>(WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP));
    // The focus on the first topic (on OK when there is none), nothing selected.
    EXPECT_EQ(GetFocus(), topics > 0 ? GetDlgItem(chooser, 100) : ok);
    RECT at = RectIn(ok, chooser);
    EXPECT_EQ(at.left, 15);
    EXPECT_EQ(at.top, r + 75);
    EXPECT_EQ(at.right - at.left, 780);
    EXPECT_EQ(at.bottom - at.top, 30);
  }
};

TEST_F(ChooserTest, LayoutForNoTopic) {
  CheckLayout(kEmpty, 0, L"Base\\2.txt");
}
TEST_F(ChooserTest, LayoutForOneTopic) {
  CheckLayout(kSingle, 1, L"Base\\3.txt");
}
TEST_F(ChooserTest, LayoutForFourTopics) {
  CheckLayout(kArithmetic, 4, L"Base\\1.txt");
}
TEST_F(ChooserTest, LayoutFor128Topics) {
  CheckLayout(kMany, 128, L"Base\\4.txt");
}

TEST_F(ChooserTest, RadioButtonsFormOneGroupWithWrappedCyrillicLabels) {
  HWND chooser = OpenChooser(kArithmetic);
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(chooser, 100)), L"Сложение ");
  EXPECT_EQ(TextOf(GetDlgItem(chooser, 101)), L"Длинные ответы ");
  SendMessageW(GetDlgItem(chooser, 100), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(chooser, 103), BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageW(GetDlgItem(chooser, 100), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(GetDlgItem(chooser, 103), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(IsWindow(chooser));  // radio clicks do nothing else
}

TEST_F(ChooserTest, OkWithoutSelectionClosesAndStartsNothing) {
  HWND chooser = OpenChooser(kSingle);
  ASSERT_NE(chooser, nullptr);
  SendMessageW(GetDlgItem(chooser, 200), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(chooser));
  MSG pending;
  EXPECT_FALSE(PeekMessageW(&pending, MainWindow(), WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_TRUE(IsWindowEnabled(MainWindow()));
}

TEST_F(ChooserTest, OkLoadsTheSelectedTopicAndTheQuizStartsOnlyAfterTheChooserIsGone) {
  HWND chooser = OpenChooser(kSingle);
  ASSERT_NE(chooser, nullptr);
  MessageSpy spy(MainWindow(), false);
  SendMessageW(GetDlgItem(chooser, 100), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(chooser, 200), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(chooser));
  EXPECT_TRUE(spy.StartsWithChooser().empty());  // posted, not yet handled
  Pump();
  ASSERT_EQ(spy.StartsWithChooser().size(), 1u);
  EXPECT_FALSE(spy.StartsWithChooser()[0]);
  HWND first = GetDlgItem(MainWindow(), 1000);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TextOf(first), L"Париж");
  EXPECT_EQ(TextOf(GetDlgItem(MainWindow(), 1001)), L"Лион");
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");
}

TEST_F(ChooserTest, CloseBoxClosesWithoutLoadingAndLeavesTheMainWindowUsable) {
  HWND chooser = OpenChooser(kArithmetic);
  ASSERT_NE(chooser, nullptr);
  SendMessageW(GetDlgItem(chooser, 100), BM_CLICK, 0, 0);
  SendMessageW(chooser, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(chooser));
  MSG pending;
  EXPECT_FALSE(PeekMessageW(&pending, MainWindow(), WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_TRUE(IsWindowEnabled(MainWindow()));
}

TEST_F(ChooserTest, TopicHundredIsSelectedLikeAnyOtherDespiteSharingTheOkIdentifier) {
  HWND chooser = OpenChooser(kMany);
  ASSERT_NE(chooser, nullptr);
  HWND radio = GetDlgItem(chooser, 200);  // the first control with 200: topic 100's radio button
  ASSERT_EQ(StyleOf(radio) & BS_TYPEMASK, BS_AUTORADIOBUTTON);
  EXPECT_EQ(TextOf(radio), L"Тема 100 ");
  SendMessageW(radio, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindow(chooser));
  EXPECT_EQ(SendMessageW(radio, BM_GETCHECK, 0, 0), BST_CHECKED);
  MSG pending;
  EXPECT_FALSE(PeekMessageW(&pending, MainWindow(), WM_USER, WM_USER, PM_NOREMOVE));
  // Its OK button loads it.
  HWND ok = GetWindow(GetWindow(chooser, GW_CHILD), GW_HWNDLAST);
  SendMessageW(ok, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(chooser));
  Pump();
  EXPECT_EQ(TextOf(GetDlgItem(MainWindow(), 1000)), L"Нет, сто");
}

TEST_F(ChooserTest, TwoChoosersAtOnceAreIndependent) {
  HWND first = OpenChooser(kArithmetic);
  HWND second = OpenChooser(kArithmetic);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  SendMessageW(GetDlgItem(second, 200), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_TRUE(IsWindow(first));
  EXPECT_EQ(Children(first).size(), 5u);
}

}  // namespace
