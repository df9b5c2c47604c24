// A whole quiz driven by real window messages: the chooser, the answer keys, Enter and space,
// clicks, the marks' fonts, the title lines and the boxes.
#include <gtest/gtest.h>

#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

void Type(wchar_t c) {
  TypeChar(MainWindow(), c);
}

std::vector<HWND> Buttons() {
  std::vector<HWND> list;
  for (HWND child : Children(MainWindow()))
    if (ClassOf(child) == L"Button") list.push_back(child);
  return list;
}

TEST(Quiz, TwoRoundsToGameOverAsTheUserSeesThem) {
  StartTopic(kArithmetic, 0);
  const int half = OnScreen2.Client.right / 2;

  // Question 0 on the empty board: its text on top, three check boxes, the OK button.
  ASSERT_EQ(Buttons().size(), 4u);
  const int textHeight = MeasuredHeight(L"Сколько будет 2 + 2?", half) + 15;
  const wchar_t* texts[] = {L"Четыре", L"Пять", L"Три"};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    HWND box = Answer(1000 + k);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(TextOf(box), texts[k]);
    EXPECT_EQ(StyleOf(box),
              static_cast<LONG>(WS_CHILD | WS_VISIBLE | BS_MULTILINE | BS_AUTOCHECKBOX));
    RECT at = RectIn(box, MainWindow());
    EXPECT_EQ(at.left, 15);
    EXPECT_EQ(at.top, 10 + textHeight + 20 * k);
    EXPECT_EQ(at.right, half);
    EXPECT_EQ(at.bottom - at.top, 20);
    EXPECT_FALSE(Ticked(1000 + k));
  }
  HWND ok = Answer(300);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(TextOf(ok), L"OK");
  EXPECT_EQ(StyleOf(ok), static_cast<LONG>(WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON));
  RECT okAt = RectIn(ok, MainWindow());
  EXPECT_EQ(okAt.left, 15);
  EXPECT_EQ(okAt.top, 10 + textHeight + 60);
  EXPECT_EQ(okAt.right - okAt.left, half - 30);
  EXPECT_EQ(okAt.bottom - okAt.top, 30);

  // Answer keys toggle; a key for a variant the question lacks does nothing.
  Type(L'1');
  Type(L'3');
  EXPECT_TRUE(Ticked(1000));
  EXPECT_TRUE(Ticked(1002));
  Type(L'3');
  Type(L'9');
  Type(L'<');
  EXPECT_TRUE(Ticked(1000));
  EXPECT_FALSE(Ticked(1001));
  EXPECT_FALSE(Ticked(1002));

  // Enter grades: a chosen correct answer in bold, the others keep their font.
  Type(L'\r');
  EXPECT_EQ(MarkOf(1000), Mark::Right);
  EXPECT_EQ(MarkOf(1001), Mark::None);
  EXPECT_EQ(MarkOf(1002), Mark::None);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 100.000 %, осталось 1");
  // Graded answers cannot be changed, by click or by key.
  SendMessageW(Answer(1001), BM_CLICK, 0, 0);
  Type(L'1');
  EXPECT_TRUE(Ticked(1000));
  EXPECT_FALSE(Ticked(1001));

  // Space moves on: question 0 frozen, question 1 right below it with the only OK button.
  RECT previous = RectIn(Answer(1002), MainWindow());
  Type(L' ');
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(IsWindowEnabled(Answer(1000 + k))) << k;
  EXPECT_EQ(TextOf(Answer(1003)), L"Один");
  EXPECT_EQ(TextOf(Answer(1004)), L"Два");
  EXPECT_EQ(RectIn(Answer(1003), MainWindow()).top,
            previous.bottom + MeasuredHeight(L"Сколько будет 1 + 1?", half) + 15);
  EXPECT_EQ(Buttons().size(), 6u);
  EXPECT_EQ(RectIn(Answer(300), MainWindow()).top, RectIn(Answer(1004), MainWindow()).bottom);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 100.000 %, осталось 1");

  // A wrong choice struck out, the missed correct one bold and underlined.
  Type(L'1');
  Type(L'\r');
  EXPECT_EQ(MarkOf(1003), Mark::Wrong);
  EXPECT_EQ(MarkOf(1004), Mark::Missed);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 50.000 %, осталось 0");

  // End of round 1: the summary over the full board, then round 2 with question 1 alone.
  {
    WindowLog log;
    Type(L'\r');
    ASSERT_EQ(log.Boxes().size(), 1u);
    EXPECT_EQ(log.Boxes()[0].caption, L"Statistics");
    EXPECT_EQ(log.Boxes()[0].text, L"Правильных 1, всего 2 (50.000 %)");
    EXPECT_EQ(log.Boxes()[0].owner, MainWindow());
    EXPECT_FALSE(log.Boxes()[0].mainEnabled);
    ASSERT_EQ(log.Boxes()[0].buttons.size(), 1u);
  }
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");
  EXPECT_EQ(Answer(1000), nullptr);
  ASSERT_NE(Answer(1003), nullptr);
  EXPECT_EQ(RectIn(Answer(1003), MainWindow()).top,
            10 + MeasuredHeight(L"Сколько будет 1 + 1?", half) + 15);
  EXPECT_EQ(MarkOf(1003), Mark::None);
  EXPECT_FALSE(Ticked(1003));
  EXPECT_EQ(Buttons().size(), 3u);

  Type(L'2');
  Type(L' ');
  EXPECT_EQ(MarkOf(1004), Mark::Right);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 100.000 %, осталось 0");

  // Everything solved: the summary, then "Game over" with no owner, and an empty board.
  {
    WindowLog log;
    Type(L'\r');
    ASSERT_EQ(log.Boxes().size(), 2u);
    EXPECT_EQ(log.Boxes()[0].caption, L"Statistics");
    EXPECT_EQ(log.Boxes()[0].text, L"Правильных 1, всего 1 (100.000 %)");
    EXPECT_EQ(log.Boxes()[1].caption, L"Game over");
    EXPECT_EQ(log.Boxes()[1].text, L"Game over");
    EXPECT_EQ(log.Boxes()[1].owner, nullptr);
    EXPECT_TRUE(log.Boxes()[1].mainEnabled);  // no owner: the menu stays usable
    EXPECT_FALSE(log.Boxes()[1].icon);
  }
  EXPECT_TRUE(Buttons().empty());
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");

  // OK is ignored from now on.
  {
    WindowLog log;
    Type(L'\r');
    Type(L' ');
    EXPECT_TRUE(log.Boxes().empty());
    EXPECT_TRUE(Buttons().empty());
  }
}

TEST(Quiz, ClicksTickAnswersAndTheOkButtonGrades) {
  StartTopic(kSingle, 0);
  SendMessageW(Answer(1000), BM_CLICK, 0, 0);
  EXPECT_TRUE(Ticked(1000));
  SendMessageW(Answer(300), BM_CLICK, 0, 0);
  EXPECT_EQ(MarkOf(1000), Mark::Right);
  EXPECT_EQ(MarkOf(1001), Mark::None);
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 100.000 %, осталось 0");
  WindowLog log;
  SendMessageW(Answer(300), BM_CLICK, 0, 0);
  ASSERT_EQ(log.Boxes().size(), 2u);
  EXPECT_EQ(log.Boxes()[1].caption, L"Game over");
}

TEST(Quiz, LongAnswersGetTallerCheckBoxes) {
  StartTopic(kArithmetic, 1);
  HWND longer = Answer(1000);
  HWND shorter = Answer(1001);
  ASSERT_NE(longer, nullptr);
  ASSERT_NE(shorter, nullptr);
  RECT a = RectIn(longer, MainWindow());
  RECT b = RectIn(shorter, MainWindow());
  EXPECT_GT(a.bottom - a.top, 20);
  EXPECT_EQ((a.bottom - a.top) % 20, 0);
  EXPECT_LE(a.bottom - a.top, 160);
  EXPECT_EQ(b.top, a.bottom);
  EXPECT_EQ(b.bottom - b.top, 20);
  EXPECT_EQ(StyleOf(longer) & BS_MULTILINE, BS_MULTILINE);
}

TEST(Quiz, TopicWithoutQuestionsGivesAnEmptySlotAndEndsAtOnce) {
  StartTopic(kArithmetic, 2);
  std::vector<HWND> buttons = Buttons();
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(GetDlgCtrlID(buttons[0]), 300);
  Type(L'\r');
  EXPECT_EQ(TextOf(MainWindow()), L"Правильно 0.000 %, осталось 0");
  WindowLog log;
  Type(L'\r');
  ASSERT_EQ(log.Boxes().size(), 2u);
  EXPECT_EQ(log.Boxes()[0].text, L"Правильных 0, всего 0 (0.000 %)");
  EXPECT_EQ(log.Boxes()[1].caption, L"Game over");
}

TEST(Quiz, AChooserOkPressedWhileTheQuizBoxesAreUpWaits) {
  StartTopic(kSingle, 0);
  HWND chooser = OpenChooser(kArithmetic);
  ASSERT_NE(chooser, nullptr);
  SendMessageW(GetDlgItem(chooser, 100), BM_CLICK, 0, 0);
  Type(L'1');
  Type(L'\r');
  MessageSpy owned(chooser, false);
  {
    // The user presses the chooser's OK while "Statistics" and then "Game over" are up; the
    // boxes' own message loops deliver the clicks.
    WindowLog log;
    log.WhileBoxIsUp([&](HWND) { PostMessageW(GetDlgItem(chooser, 200), BM_CLICK, 0, 0); });
    Type(L'\r');
    ASSERT_EQ(log.Boxes().size(), 2u);
    EXPECT_EQ(log.Boxes()[0].caption, L"Statistics");
    EXPECT_EQ(log.Boxes()[1].caption, L"Game over");
    EXPECT_EQ(owned.Commands(), (std::vector<WPARAM>{200, 200}));
  }
  // Nothing was loaded or started under the boxes: the quiz ended as it should.
  EXPECT_TRUE(IsWindow(chooser));
  EXPECT_TRUE(Buttons().empty());
  EXPECT_EQ(TextOf(MainWindow()), L"Exameo 2.0");
  MSG pending;
  EXPECT_FALSE(PeekMessageW(&pending, MainWindow(), WM_USER, WM_USER, PM_NOREMOVE));
  CloseChoosers();
}

}  // namespace
