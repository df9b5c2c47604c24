// Display scaling: the one function every length goes through, and the board and the chooser
// laid out at 150 % (144 DPI) as they are at 100 %, half again as large.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "board_test_util.h"
#include "common/dpi.h"
#include "quiz_support.h"

namespace {

using boardtest::AddQuestion;
using boardtest::RowsVariants;
using boardtest::TaskLines;

TEST(DpiScale, At96EveryLengthStaysAsWritten) {
  for (int length = -3000; length <= 3000; ++length) ASSERT_EQ(dpi::Scale(length, 96), length);
  EXPECT_EQ(dpi::Scale(INT_MAX, 96), INT_MAX);
  EXPECT_EQ(dpi::Scale(INT_MIN, 96), INT_MIN);
}

TEST(DpiScale, RoundsToTheNearestWithHalvesAwayFromZero) {
  // 150 %: the board's lengths, two of them landing on a half.
  EXPECT_EQ(dpi::Scale(10, 144), 15);
  EXPECT_EQ(dpi::Scale(15, 144), 23);  // 22.5
  EXPECT_EQ(dpi::Scale(20, 144), 30);
  EXPECT_EQ(dpi::Scale(265, 144), 398);  // 397.5
  EXPECT_EQ(dpi::Scale(1, 144), 2);      // 1.5
  EXPECT_EQ(dpi::Scale(-15, 144), -23);  // symmetric about zero, as MulDiv
  // 125 %: 18.75 up, 12.5 up, 1.25 down.
  EXPECT_EQ(dpi::Scale(15, 120), 19);
  EXPECT_EQ(dpi::Scale(10, 120), 13);
  EXPECT_EQ(dpi::Scale(1, 120), 1);
  EXPECT_EQ(dpi::Scale(-10, 120), -13);
  // 200 % doubles, 175 % and below 100 % too.
  EXPECT_EQ(dpi::Scale(810, 192), 1620);
  EXPECT_EQ(dpi::Scale(20, 168), 35);
  EXPECT_EQ(dpi::Scale(15, 72), 11);  // 11.25
  EXPECT_EQ(dpi::Scale(0, 144), 0);
}

TEST(DpiScale, AnUnreadableDpiKeepsTheLengthAndHugeOnesSaturate) {
  EXPECT_EQ(dpi::Scale(15, 0), 15);
  EXPECT_EQ(dpi::Scale(15, -144), 15);
  EXPECT_EQ(dpi::Scale(INT_MAX, 192), INT_MAX);
  EXPECT_EQ(dpi::Scale(INT_MIN, 192), INT_MIN);
  EXPECT_EQ(dpi::Scale(INT_MAX / 2 + 1, 192), INT_MAX);
  EXPECT_EQ(dpi::Scale(1500000000, 144), INT_MAX);
  // No overflow inside: 2^30 × 1.5 needs more than 32 bits on the way.
  EXPECT_EQ(dpi::Scale(1 << 29, 144), 805306368);
}

// The board tests' client, 1000 wide (so the answers' row counts are theirs), at 144 DPI.
class BoardAt144 : public boardtest::BoardTest {
 protected:
  void SetUp() override { SetUpAt144(1000, 700); }
  void SetUpAt144(int width, int height) {
    fake::Reset();
    boardtest::ResetBoard();
    boardtest::ResetTopic();
    fake::SetDpi(144);
    main_ = fake::CreateMainWindow(width, height);
    OnScreen2.hWnd = main_;
    OnScreen2.Init();
  }
};

TEST_F(BoardAt144, InitReadsTheSystemDpi) {
  EXPECT_EQ(OnScreen2.Dpi, 144);
  EXPECT_EQ(OnScreen2.Px(15), 23);
  fake::SetDpi(96);
  OnScreen2.Init();
  EXPECT_EQ(OnScreen2.Dpi, 96);
  EXPECT_EQ(OnScreen2.Px(15), 15);
}

// The worked layout of the board tests (two task lines; answers of 1, 2 and 1 rows) with every
// length of the board scaled and the measured text height (32, the measurer's) as it is.
TEST_F(BoardAt144, AQuestionIsLaidOutWithEveryLengthScaled) {
  int q = AddQuestion(TaskLines(2), RowsVariants({1, 2, 1}));
  ASSERT_EQ(ws::MeasureWrappedHeight(main_, Topic_test.Get(q)->Task, 500), 32);
  ASSERT_TRUE(PlaceQuestion2(q));
  const SingleVisualEntry2& s = Slot(0);
  // Margin 23, top 15, text 32 + 23 high.
  EXPECT_EQ(s.TextRect, (Rect{23, 15, 500, 70}));
  // Rows of 30: 30 + 60 + 30.
  EXPECT_EQ(s.VrntRect, (Rect{23, 70, 500, 190}));
  const int tops[3] = {70, 100, 160};
  const int heights[3] = {30, 60, 30};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(s.hVrnt[i], nullptr);
    EXPECT_EQ(s.hVrnt[i]->rect, (Rect{23, tops[i], 500, tops[i] + heights[i]})) << i;
  }
  // The OK button 45 high and 500 - 45 wide: half the client less its height.
  ASSERT_NE(s.hOK, nullptr);
  EXPECT_EQ(s.hOK->rect, (Rect{23, 190, 478, 235}));
}

TEST_F(BoardAt144, AQuestionGoesBelowWhenItFitsAboveTheScaledBottomMarginElseRight) {
  // Client 695 high: the column ends at 695 - 15 = 680. Slot 0 ends at 190. Two task lines and
  // 13 rows: 190 + (32 + 23) + 390 + 45 = 680, just fits.
  SetUpAt144(1000, 695);
  AddQuestion(TaskLines(2), RowsVariants({1, 2, 1}));
  int fits = AddQuestion(TaskLines(2), RowsVariants({8, 5}));
  ASSERT_TRUE(PlaceQuestion2(0));
  ASSERT_TRUE(PlaceQuestion2(fits));
  ASSERT_EQ(OnScreen2.CurrentSlot, 1);
  ASSERT_NE(Slot(1).hOK, nullptr);
  EXPECT_EQ(Slot(1).TextRect, (Rect{23, 190, 500, 245}));
  EXPECT_EQ(Slot(1).VrntRect, (Rect{23, 245, 500, 635}));
  EXPECT_EQ(Slot(1).hOK->rect, (Rect{23, 635, 478, 680}));

  // Four task lines and 12 rows: 190 + (64 + 23) + 360 + 45 = 682, two pixels into the margin
  // (an unscaled margin of 10 would still have let it in): the right column.
  SetUpAt144(1000, 695);
  AddQuestion(TaskLines(2), RowsVariants({1, 2, 1}));
  int over = AddQuestion(TaskLines(4), RowsVariants({8, 4}));
  ASSERT_TRUE(PlaceQuestion2(0));
  ASSERT_TRUE(PlaceQuestion2(over));
  ASSERT_EQ(OnScreen2.CurrentSlot, 32);
  ASSERT_NE(Slot(32).hOK, nullptr);
  EXPECT_EQ(Slot(32).TextRect, (Rect{523, 15, 1000, 102}));
  EXPECT_EQ(Slot(32).VrntRect, (Rect{523, 102, 1000, 462}));
  EXPECT_EQ(Slot(32).hOK->rect, (Rect{523, 462, 978, 507}));
}

TEST(ChooserAt144, EveryLengthOfTheChooserIsScaled) {
  quiztest::ResetProgram(1920, 1500);
  fake::SetDpi(144);
  OnScreen2.Init();
  Discipline.UnloadTopics();
  for (int i = 0; i < 4; ++i) {
    TitlePath& t = Discipline.Topics[i];
    std::snprintf(t.Title, sizeof t.Title, "Topic %d", i);
    std::snprintf(t.Path, sizeof t.Path, "Base\\t%d.txt", i);
    t.bExists = true;
  }
  Discipline.LastTopic = 3;
  std::string title = "Base\\1.txt";
  Discipline.DrawChooser(OnScreen2.hInst, OnScreen2.hWnd, nullptr, OnScreen2.Client, title.data());
  std::vector<HWND> choosers = fake::LiveChoosers();
  ASSERT_EQ(choosers.size(), 1u);
  HWND chooser = choosers.back();
  // Two rows of topics: r = 30 × 3 = 90; 1215 × (90 + 225), centred on the client.
  const int width = 1215, height = 315;
  const int x = (1920 - width) / 2, y = (1500 - height) / 2;
  EXPECT_EQ(chooser->rect, (Rect{x, y, x + width, y + height}));
  std::vector<HWND> children = fake::LiveChildren(chooser);
  ASSERT_EQ(children.size(), 5u);
  const Rect topics[4] = {
      {23, 23, 398, 113}, {421, 23, 796, 113}, {819, 23, 1194, 113}, {23, 113, 398, 203}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(children[i]->rect, topics[i]) << i;
  EXPECT_EQ(children[4]->text, "OK");
  EXPECT_EQ(children[4]->rect, (Rect{23, 203, 1193, 248}));  // r + 113, 1170 × 45
  Discipline.UnloadTopics();
  fake::SetDpi(96);
}

}  // namespace
