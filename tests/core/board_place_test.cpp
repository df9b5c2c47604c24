// Placing questions: the layout of one question, the choice of slots, and answer row counts.
#include <gtest/gtest.h>

#include <string>

#include "board_test_util.h"

namespace {

using boardtest::AddQuestion;
using boardtest::RowsVariants;
using boardtest::TaskLines;

class PlaceTest : public boardtest::BoardTest {};

TEST_F(PlaceTest, InitMeasuresTheClientAndCreatesTheMarkFonts) {
  EXPECT_EQ(OnScreen2.Client, (Rect{0, 0, 1000, 700}));
  EXPECT_EQ(OnScreen2.CharWidth, 8);
  EXPECT_FLOAT_EQ(OnScreen2.LineChars, 62.5f);
  EXPECT_EQ(OnScreen2.CurrentSlot, -1);
  ASSERT_NE(OnScreen2.hFontRight, nullptr);
  ASSERT_NE(OnScreen2.hFontMissed, nullptr);
  ASSERT_NE(OnScreen2.hFontWrong, nullptr);
  EXPECT_EQ(OnScreen2.hFontRight->weight, 700);
  EXPECT_FALSE(OnScreen2.hFontRight->underline);
  EXPECT_FALSE(OnScreen2.hFontRight->strikeOut);
  EXPECT_EQ(OnScreen2.hFontMissed->weight, 700);
  EXPECT_TRUE(OnScreen2.hFontMissed->underline);
  EXPECT_FALSE(OnScreen2.hFontMissed->strikeOut);
  EXPECT_EQ(OnScreen2.hFontWrong->weight, 400);
  EXPECT_FALSE(OnScreen2.hFontWrong->underline);
  EXPECT_TRUE(OnScreen2.hFontWrong->strikeOut);
}

TEST_F(PlaceTest, InitOnAnOddWidthHalvesInIntegers) {
  SetUpBoard(1001, 600);
  EXPECT_FLOAT_EQ(OnScreen2.LineChars, 62.5f);  // 1001 / 2 = 500 pixels, 8 per character
}

TEST_F(PlaceTest, WorkedLayoutOnAnEmptyBoard) {
  int q = AddQuestion(TaskLines(2), RowsVariants({1, 2, 1}));
  ASSERT_EQ(ws::MeasureWrappedHeight(main_, Topic_test.Get(q)->Task, 500), 32);
  ASSERT_TRUE(PlaceQuestion2(q));

  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  const SingleVisualEntry2& s = Slot(0);
  EXPECT_EQ(s.Question, q);
  EXPECT_TRUE(s.bVisible);
  EXPECT_EQ(s.TextRect, (Rect{15, 10, 500, 57}));
  EXPECT_EQ(s.VrntRect, (Rect{15, 57, 500, 137}));
  const int tops[3] = {57, 77, 117};
  const int heights[3] = {20, 40, 20};
  for (int i = 0; i < 3; ++i) {
    HWND box = s.hVrnt[i];
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->rect, (Rect{15, tops[i], 500, tops[i] + heights[i]})) << i;
    EXPECT_EQ(box->id, 1000 + i);
    EXPECT_EQ(box->style, 0x50002003u);
    EXPECT_EQ(box->className, "button");
    EXPECT_EQ(box->text, Topic_test.Get(q)->Vrnt[i].Text);
    EXPECT_EQ(box->parent, main_);
  }
  for (int i = 3; i < 12; ++i) EXPECT_EQ(s.hVrnt[i], nullptr);
  ASSERT_NE(s.hOK, nullptr);
  EXPECT_EQ(s.hOK->rect, (Rect{15, 137, 485, 167}));
  EXPECT_EQ(s.hOK->id, 300);
  EXPECT_EQ(s.hOK->text, "OK");
  EXPECT_EQ(s.hOK->style, 0x50000000u);
  EXPECT_EQ(Topic_test.Get(q)->ShowCount, 1);
  EXPECT_EQ(fake::LiveChildren(main_).size(), 4u);

  // The text is drawn at once, transparent, into its rectangle.
  ASSERT_FALSE(fake::DrawLog().empty());
  const fake::DrawCall& drawn = fake::DrawLog().back();
  EXPECT_EQ(drawn.text, Topic_test.Get(q)->Task);
  EXPECT_EQ(drawn.rect, s.TextRect);
  EXPECT_TRUE(drawn.transparent);
  EXPECT_FALSE(drawn.duringPaint);
}

TEST_F(PlaceTest, NextQuestionGoesBelowWhenItFitsExactlyElseToTheRightColumn) {
  AddQuestion(TaskLines(2), RowsVariants({1, 2, 1}));  // slot 0 ends at 137
  // 137 + (3 * 16 + 15) + 23 rows * 20 + 30 = 690 = Hc - 10: fits, just.
  int fits = AddQuestion(TaskLines(3), RowsVariants({8, 8, 7}));
  ASSERT_TRUE(PlaceQuestion2(0));
  ASSERT_TRUE(PlaceQuestion2(fits));
  EXPECT_EQ(OnScreen2.CurrentSlot, 1);
  EXPECT_EQ(Slot(1).TextRect, (Rect{15, 137, 500, 200}));
  EXPECT_EQ(Slot(1).VrntRect, (Rect{15, 200, 500, 660}));

  SetUpBoard(1000, 700);
  AddQuestion(TaskLines(2), RowsVariants({1, 2, 1}));
  int tooTall = AddQuestion(TaskLines(4), RowsVariants({8, 8, 7}));  // one pixel line more
  ASSERT_TRUE(PlaceQuestion2(0));
  ASSERT_TRUE(PlaceQuestion2(tooTall));
  EXPECT_EQ(OnScreen2.CurrentSlot, 32);
  EXPECT_EQ(Slot(32).TextRect, (Rect{515, 10, 1000, 89}));
  EXPECT_EQ(Slot(32).VrntRect, (Rect{515, 89, 1000, 549}));
  EXPECT_EQ(Slot(32).hOK->rect, (Rect{515, 549, 985, 579}));
  EXPECT_EQ(Slot(32).hVrnt[0]->rect.right - Slot(32).hVrnt[0]->rect.left, 485);
  // Moving into the right column hides nothing in the left one.
  EXPECT_TRUE(Slot(0).bVisible);
  EXPECT_NE(Slot(0).hVrnt[0], nullptr);
}

TEST_F(PlaceTest, MinusOnePlacesNothing) {
  int q = AddQuestion(TaskLines(1), RowsVariants({1}));
  ASSERT_TRUE(PlaceQuestion2(q));
  fake::ClearDrawLog();
  EXPECT_FALSE(PlaceQuestion2(-1));
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(Topic_test.Get(q)->ShowCount, 1);
  EXPECT_EQ(fake::LiveChildren(main_).size(), 2u);
  EXPECT_NE(Slot(0).hOK, nullptr);
  EXPECT_EQ(Slot(1).Question, -1);
  EXPECT_TRUE(fake::DrawLog().empty());
  // An index past the chain places nothing either, rather than some other record.
  EXPECT_FALSE(PlaceQuestion2(Topic_test.Count));
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
}

TEST_F(PlaceTest, QuestionWithoutVariantsGetsOnlyItsOkButton) {
  int q = AddQuestion(TaskLines(1), {});
  ASSERT_TRUE(PlaceQuestion2(q));
  const SingleVisualEntry2& s = Slot(0);
  EXPECT_EQ(s.VrntRect.top, s.VrntRect.bottom);
  EXPECT_EQ(s.VrntRect.top, s.TextRect.bottom);
  for (HWND h : s.hVrnt) EXPECT_EQ(h, nullptr);
  ASSERT_NE(s.hOK, nullptr);
  EXPECT_EQ(s.hOK->rect.top, s.TextRect.bottom);
  EXPECT_EQ(s.IdBase, 0);
  EXPECT_EQ(AnswerId(0), 0);
  EXPECT_EQ(fake::LiveChildren(main_).size(), 1u);
}

TEST_F(PlaceTest, AnEmptyTopicPlacesItsHeadAsAnEmptySlot) {
  ASSERT_TRUE(PlaceQuestion2(0));                        // the quiz starts on an empty head
  EXPECT_EQ(Slot(0).TextRect, (Rect{15, 10, 500, 41}));  // empty text: one line
  EXPECT_NE(Slot(0).hOK, nullptr);
  EXPECT_EQ(fake::LiveChildren(main_).size(), 1u);
}

TEST_F(PlaceTest, AnswerRowsAreCappedAtEightAndAnEmptyAnswerTakesOne) {
  int q = AddQuestion(TaskLines(1), {std::string(1023, 'x'), ""});
  ASSERT_TRUE(PlaceQuestion2(q));
  EXPECT_EQ(Slot(0).hVrnt[0]->rect.bottom - Slot(0).hVrnt[0]->rect.top, 160);
  EXPECT_EQ(Slot(0).hVrnt[1]->rect.top, Slot(0).VrntRect.top + 160);
  EXPECT_EQ(Slot(0).hVrnt[1]->rect.bottom - Slot(0).hVrnt[1]->rect.top, 20);
  EXPECT_EQ(Slot(0).VrntRect.bottom - Slot(0).VrntRect.top, 180);
}

TEST_F(PlaceTest, OnlyTheLatestQuestionKeepsAnOkButton) {
  int a = AddQuestion(TaskLines(1), RowsVariants({1, 1}));
  int b = AddQuestion(TaskLines(1), RowsVariants({1}));
  ASSERT_TRUE(PlaceQuestion2(a));
  HWND firstOk = Slot(0).hOK;
  ASSERT_TRUE(PlaceQuestion2(b));
  EXPECT_EQ(Slot(0).hOK, nullptr);
  EXPECT_FALSE(firstOk->alive);
  EXPECT_NE(Slot(1).hOK, nullptr);
  // The earlier question stays, with its check boxes.
  EXPECT_TRUE(Slot(0).bVisible);
  EXPECT_TRUE(Slot(0).hVrnt[0]->alive);
  EXPECT_TRUE(Slot(0).hVrnt[1]->alive);
  int oks = 0;
  for (HWND child : fake::LiveChildren(main_)) oks += child->id == 300 ? 1 : 0;
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(ws::FindChild(main_, 300), Slot(1).hOK);
}

TEST_F(PlaceTest, PlacingTheSameQuestionTwiceCountsTwice) {
  int q = AddQuestion(TaskLines(1), RowsVariants({1}));
  ASSERT_TRUE(PlaceQuestion2(q));
  ASSERT_TRUE(PlaceQuestion2(q));
  EXPECT_EQ(Topic_test.Get(q)->ShowCount, 2);
}

// Questions 51 pixels high (one text line, one answer row): in a client 700 high the left
// column takes slots 0 to 11 (the next would end at 10 + 13 * 51 + 30 > 690).
TEST_F(PlaceTest, SlotsRunDownTheLeftColumnThenTheRightThenBackToTheTop) {
  for (int i = 0; i < 30; ++i) AddQuestion(TaskLines(1), RowsVariants({1}));
  std::vector<int> slots;
  for (int i = 0; i < 25; ++i) {
    ASSERT_TRUE(PlaceQuestion2(i));
    slots.push_back(OnScreen2.CurrentSlot);
  }
  std::vector<int> expected;
  for (int s = 0; s < 12; ++s) expected.push_back(s);
  for (int s = 32; s < 44; ++s) expected.push_back(s);
  expected.push_back(0);
  EXPECT_EQ(slots, expected);
  EXPECT_EQ(Slot(11).VrntRect.bottom, 10 + 12 * 51);
  EXPECT_EQ(Slot(32).TextRect.top, 10);
  EXPECT_EQ(Slot(33).TextRect.top, 61);

  // Back at the top: the new question covers slot 1 (its text starts 30 pixels below the new
  // answers' bottom only at 91), slot 2 starts at 112 and stays; the right column stays.
  EXPECT_EQ(Slot(0).Question, 24);
  EXPECT_FALSE(Slot(1).bVisible);
  EXPECT_EQ(Slot(1).hVrnt[0], nullptr);
  EXPECT_TRUE(Slot(2).bVisible);
  EXPECT_NE(Slot(2).hVrnt[0], nullptr);
  for (int s = 32; s < 44; ++s) EXPECT_TRUE(Slot(s).bVisible) << s;
  EXPECT_EQ(Slot(43).hOK, nullptr);
  // The hidden slot's text area was invalidated and repainted without it.
  bool invalidated = false;
  for (const Rect& r : fake::InvalidationLog(main_)) invalidated |= r == Slot(1).TextRect;
  EXPECT_TRUE(invalidated);
}

// A slot below a new top question stays when its text starts at least 30 pixels below the new
// answers, and is hidden when it starts less than that. Whole-line texts and 20-pixel rows
// cannot produce the exact boundary, so the lower slot is set up by hand.
TEST_F(PlaceTest, ASlotThirtyPixelsBelowTheNewAnswersStaysVisible) {
  for (int startsAt : {71, 70}) {
    SetUpBoard(1000, 700);
    int lower = AddQuestion(TaskLines(1), RowsVariants({1}));
    int top = AddQuestion(TaskLines(1), {});  // ends at 10 + 31 = 41
    ASSERT_TRUE(PlaceQuestion2(lower));
    SingleVisualEntry2& s1 = Slot(1);
    s1 = Slot(0);  // the same question, moved down by hand
    Slot(0).hVrnt[0] = nullptr;
    Slot(0).hOK = nullptr;
    s1.TextRect.top = startsAt;
    OnScreen2.CurrentSlot = 63;  // the next question starts the left column again
    ASSERT_TRUE(PlaceQuestion2(top));
    ASSERT_EQ(OnScreen2.CurrentSlot, 0);
    ASSERT_EQ(Slot(0).VrntRect.bottom, 41);
    EXPECT_EQ(Slot(1).bVisible, startsAt == 71) << startsAt;
    EXPECT_EQ(Slot(1).hVrnt[0] != nullptr, startsAt == 71) << startsAt;
  }
}

// A client 2000 high takes 32 questions of 51 pixels in a column with room to spare.
TEST_F(PlaceTest, AfterTheLastSlotOfAColumnTheNextColumnStartsWithoutAFitTest) {
  SetUpBoard(1000, 2000);
  for (int i = 0; i < 66; ++i) AddQuestion(TaskLines(1), RowsVariants({1}));
  for (int i = 0; i < 32; ++i) ASSERT_TRUE(PlaceQuestion2(i));
  ASSERT_EQ(OnScreen2.CurrentSlot, 31);
  ASSERT_LE(Slot(31).VrntRect.bottom + 81, 1990);  // the next one would still fit
  ASSERT_TRUE(PlaceQuestion2(32));
  EXPECT_EQ(OnScreen2.CurrentSlot, 32);
  EXPECT_EQ(Slot(32).TextRect.top, 10);
  for (int i = 33; i < 64; ++i) ASSERT_TRUE(PlaceQuestion2(i));
  ASSERT_EQ(OnScreen2.CurrentSlot, 63);
  ASSERT_TRUE(PlaceQuestion2(64));
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(Slot(0).TextRect, (Rect{15, 10, 500, 41}));
  EXPECT_EQ(Slot(0).Question, 64);
}

TEST_F(PlaceTest, ASmallQuestionAboveALowerEarlierOneIsInsertedInFrontOfIt) {
  // Slot 0: a tall question ending at 10 + 31 + 400 = 441; slot 1 below it; then a question
  // too tall for the left column and one too tall for the right send the board back to 0.
  int tall = AddQuestion(TaskLines(1), RowsVariants({8, 8, 4}));
  int below = AddQuestion(TaskLines(1), RowsVariants({1, 1}));
  int right = AddQuestion(TaskLines(1), RowsVariants({8, 8, 8, 8}));
  int small1 = AddQuestion(TaskLines(1), RowsVariants({1}));
  int small2 = AddQuestion(TaskLines(1), RowsVariants({1}));
  for (int q : {tall, below, right}) ASSERT_TRUE(PlaceQuestion2(q));
  ASSERT_EQ(OnScreen2.CurrentSlot, 32);
  HWND belowBox = Slot(1).hVrnt[0];
  const Rect belowText = Slot(1).TextRect;
  ASSERT_EQ(belowText.top, 441);

  ASSERT_TRUE(PlaceQuestion2(small1));  // the right column ends at 681: back to 0
  ASSERT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_TRUE(Slot(1).bVisible);  // 441 is far below 61 + 30
  ASSERT_TRUE(PlaceQuestion2(small2));
  // 61 + 51 + 30 = 142 < 441: the old slot 1 moves to slot 2 and stays where it is.
  EXPECT_EQ(OnScreen2.CurrentSlot, 1);
  EXPECT_EQ(Slot(1).Question, small2);
  EXPECT_EQ(Slot(1).TextRect, (Rect{15, 61, 500, 92}));
  EXPECT_EQ(Slot(2).Question, below);
  EXPECT_EQ(Slot(2).TextRect, belowText);
  EXPECT_TRUE(Slot(2).bVisible);
  EXPECT_EQ(Slot(2).hVrnt[0], belowBox);
  EXPECT_TRUE(belowBox->alive);
  EXPECT_EQ(Slot(2).IdBase, belowBox->id);
}

TEST(CoefficientTest, ThresholdsCountWhenReachedExactly) {
  vrnt v{};
  auto rows = [&v](int n, float lineChars) {
    std::memset(v.Text, 0, sizeof v.Text);
    std::memset(v.Text, 'x', static_cast<std::size_t>(n));
    return v.GetCoefficient(lineChars);
  };
  EXPECT_EQ(rows(189, 63.0f), 6);
  EXPECT_EQ(rows(188, 63.0f), 5);
  EXPECT_EQ(rows(0, 63.0f), 1);
  EXPECT_EQ(rows(5, 10.0f), 1);
  EXPECT_EQ(rows(6, 10.0f), 2);
  EXPECT_EQ(rows(12, 10.0f), 3);
  EXPECT_EQ(rows(41, 10.0f), 7);
  EXPECT_EQ(rows(43, 10.0f), 8);
  EXPECT_EQ(rows(75, 62.5f), 3);  // q = 1.2 exactly
  EXPECT_EQ(rows(1023, 10.0f), 8);
  // The rule is min(8, 1 + floor(5n / (3 lineChars))), ties included: 225 / 62.5 is 3.6 exactly,
  // which reaches the sixth threshold, although 225 / 62.5f and 0.6f * 6 round apart in float.
  for (int n = 0; n <= 400; ++n) {
    EXPECT_EQ(rows(n, 63.0f), std::min(8, 1 + 5 * n / 189)) << n;
    EXPECT_EQ(rows(n, 62.5f), std::min(8, 1 + 2 * n / 75)) << n;
  }
  EXPECT_EQ(rows(225, 62.5f), 7);
  // No measured width: long answers take every row rather than dividing by zero.
  EXPECT_EQ(rows(0, 0.0f), 1);
  EXPECT_EQ(rows(10, 0.0f), 8);
  // A text that fills its field to the last byte is measured within the field.
  std::memset(v.Text, 'x', sizeof v.Text);
  EXPECT_EQ(v.GetCoefficient(63.0f), 8);
}

TEST(CoefficientTest, SumCountsEveryVariantBeforeN) {
  QuestionClass q;
  std::memset(q.Vrnt, 0, sizeof q.Vrnt);
  std::memset(q.Vrnt[0].Text, 'x', 50);   // 2 rows at 62.5
  std::memset(q.Vrnt[2].Text, 'x', 300);  // 8 rows; variants without text take 1 row
  q.Vrnt[0].bExists = true;
  EXPECT_EQ(q.GetSumCoefficient(0, 62.5f), 0);
  EXPECT_EQ(q.GetSumCoefficient(-3, 62.5f), 0);
  EXPECT_EQ(q.GetSumCoefficient(1, 62.5f), 2);
  EXPECT_EQ(q.GetSumCoefficient(3, 62.5f), 2 + 1 + 8);  // present or not
  EXPECT_EQ(q.GetSumCoefficient(12, 62.5f), 2 + 1 + 8 + 9);
  EXPECT_EQ(q.GetSumCoefficient(100, 62.5f), 2 + 1 + 8 + 9);
}

}  // namespace
