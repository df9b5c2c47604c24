// The statistics line and the round summary box.
#include <string>

#include "quiz_support.h"

namespace {

using quiztest::ResetProgram;
using quiztest::Title;

// Topic_test as a chain of n present, unsolved, never shown questions, walked through the index
// or by following the links.
void MakeChain(int n, bool indexed) {
  Topic_test.UnloadQuestions();
  QuestionClass* last = &Topic_test.Head;
  Topic_test.Head.bExists = true;
  for (int i = 1; i < n; ++i) {
    last = Topic_test.myNew(last);
    ASSERT_NE(last, nullptr);
    last->bExists = true;
  }
  if (indexed) Topic_test.BuildIndex();
}

// Shows question i in the current round with the given outcome.
void Shown(int i, bool solved) {
  QuestionClass* q = Topic_test.Get(i);
  q->ShowCount = Topic_test.Round;
  q->bSolved = solved;
}

class StatisticsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { ResetProgram(); }
  void TearDown() override { Topic_test.UnloadQuestions(); }
};

TEST_P(StatisticsTest, WorkedFiguresOfATenQuestionTopic) {
  MakeChain(10, GetParam());
  Topic_test.Round = 1;

  Shown(0, true);
  Topic_test.GetStat(false, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 9")));

  Shown(1, false);
  Topic_test.GetStat(false, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 50.000 %, осталось 8")));

  Shown(2, true);
  Topic_test.GetStat(false, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 66.667 %, осталось 7")));
  EXPECT_TRUE(fake::Boxes().empty()) << "no box without being asked";

  // End of round 1 with 4 of 10 right: the box sums the round up and the title ends in 0.
  for (int i = 3; i < 10; ++i) Shown(i, i == 3 || i == 4);
  Topic_test.GetStat(true, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 40.000 %, осталось 0")));
  ASSERT_EQ(fake::Boxes().size(), 1u);
  const fake::Box& box = fake::Boxes()[0];
  EXPECT_EQ(box.text, std::string(Cp1251("Правильных 4, всего 10 (40.000 %)")));
  EXPECT_EQ(box.caption, "Statistics");
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(box.owner, OnScreen2.hWnd);

  // Round 2: the six unsolved ones come back; the first is answered wrong. The questions solved
  // in round 1 count neither as asked nor as remaining.
  Topic_test.Round = 2;
  Shown(1, false);
  Topic_test.GetStat(false, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 5")));

  for (int i = 2; i < 10; ++i)
    if (!Topic_test.Get(i)->bSolved) Shown(i, i == 5);
  Topic_test.GetStat(true, OnScreen2.hWnd);
  EXPECT_EQ(fake::Boxes().back().text, std::string(Cp1251("Правильных 1, всего 6 (16.667 %)")));
}

TEST_P(StatisticsTest, OneThirdAndAShownCountAboveTheRoundCountingNowhere) {
  MakeChain(5, GetParam());
  Topic_test.Round = 3;
  Topic_test.Get(0)->ShowCount = 3;
  Topic_test.Get(0)->bSolved = true;
  Topic_test.Get(1)->ShowCount = 3;
  Topic_test.Get(2)->ShowCount = 3;
  Topic_test.Get(3)->ShowCount = 4;  // above the round: neither asked nor remaining
  Topic_test.Get(4)->ShowCount = 2;  // not yet shown in round 3, unsolved: remaining
  Topic_test.GetStat(true, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 33.333 %, осталось 1")));
  EXPECT_EQ(fake::Boxes().back().text, std::string(Cp1251("Правильных 1, всего 3 (33.333 %)")));
}

TEST_P(StatisticsTest, RecordsWithoutAQuestionNeverCount) {
  MakeChain(3, GetParam());
  Topic_test.Round = 1;
  Topic_test.Get(1)->bExists = false;
  Topic_test.Get(1)->ShowCount = 1;
  Topic_test.Get(1)->bSolved = true;
  Shown(0, false);
  Topic_test.GetStat(false, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 1")));
}

INSTANTIATE_TEST_SUITE_P(IndexedAndWalked, StatisticsTest, ::testing::Bool());

TEST(Statistics, NothingToCountGivesZeroWithoutADivision) {
  ResetProgram();
  // The empty head record of a fresh program, even if the flow marked it solved.
  Topic_test.Head.bSolved = true;
  Topic_test.Head.ShowCount = 1;
  Topic_test.GetStat(true, OnScreen2.hWnd);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 0")));
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_EQ(fake::Boxes()[0].text, std::string(Cp1251("Правильных 0, всего 0 (0.000 %)")));
  Topic_test.UnloadQuestions();
}

TEST(Statistics, ChangesNothingInTheTopic) {
  ResetProgram();
  MakeChain(4, true);
  Topic_test.Round = 2;
  Topic_test.Get(2)->ShowCount = 2;
  Topic_test.Get(2)->bSolved = true;
  Topic_test.GetStat(true, OnScreen2.hWnd);
  EXPECT_EQ(Topic_test.Count, 4);
  EXPECT_EQ(Topic_test.Round, 2);
  EXPECT_EQ(Topic_test.Get(2)->ShowCount, 2);
  EXPECT_TRUE(Topic_test.Get(2)->bSolved);
  EXPECT_FALSE(Topic_test.Get(1)->bSolved);
  Topic_test.UnloadQuestions();
}

TEST(Statistics, LargeCountsFitTheBuffer) {
  ResetProgram();
  MakeChain(12345, true);
  Topic_test.Round = 1;
  for (int i = 0; i < 12345; ++i) Shown(i, i % 3 != 0);
  Topic_test.GetStat(true, OnScreen2.hWnd);
  EXPECT_EQ(fake::Boxes().back().text,
            std::string(Cp1251("Правильных 8230, всего 12345 (66.667 %)")));
  Topic_test.UnloadQuestions();
}

}  // namespace
