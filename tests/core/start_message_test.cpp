// The start message that the chooser posts after a load: counted only when it could be posted,
// so that a lost message never leaves the quiz blocked.
#include <string>
#include <vector>

#include "quiz_support.h"

namespace {

using namespace quiztest;

const std::string kExameo = "Exameo 2.0";

class StartMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgram();
    // Topic 0: two questions of one right variant; topic 1: three of two variants each.
    WriteBytes("Base\\1.txt", "D\r\n\tA\"d\\a.txt\"\r\n\tB\"d\\b.txt\"\r\n");
    WriteBytes("Base\\d\\a.txt", QuestionFile({"+", "+"}));
    WriteBytes("Base\\d\\b.txt", QuestionFile({"-+", "+-", "++"}));
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
  }
  void TearDown() override {
    Topic_test.UnloadQuestions();
    Discipline.UnloadTopics();
  }

  // Opens the discipline's chooser, selects topic i and presses its OK.
  static void Choose(int i) {
    fake::Command(20);
    std::vector<HWND> choosers = fake::LiveChoosers();
    ASSERT_FALSE(choosers.empty());
    HWND chooser = choosers.back();
    ASSERT_TRUE(fake::Click(ws::FindChild(chooser, 100 + i)));
    ASSERT_TRUE(fake::Click(ws::FindChild(chooser, 200)));
    EXPECT_FALSE(chooser->alive);
  }

  ScratchDir dir_;
};

TEST_F(StartMessageTest, TheFakeFailsExactlyTheNextPost) {
  HWND main = OnScreen2.hWnd;
  fake::FailNextPost();
  EXPECT_FALSE(ws::PostStart(main));
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_TRUE(ws::PostStart(main));
  EXPECT_EQ(fake::PendingPosts(), 1u);
  EXPECT_FALSE(ws::PostStart(nullptr));
  fake::FailNextPost();
  ResetProgram();  // the switch does not outlive the test that set it
  EXPECT_TRUE(ws::PostStart(OnScreen2.hWnd));
}

TEST_F(StartMessageTest, ALostStartStartsTheTopicAtOnceAndNothingStaysBlocked) {
  Choose(0);
  ASSERT_EQ(fake::Pump(), 1u);
  Answer({});  // question 0 of topic A graded wrong, question 1 asked
  ASSERT_EQ(Topic_test.Current, 1);

  fake::FailNextPost();
  Choose(1);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(quiz::StartsPending, 0);
  // Topic B runs: question 0 alone on the board, its two check boxes and an OK button.
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_EQ(Topic_test.Round, 1);
  EXPECT_EQ(Title(), kExameo);
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 1);

  // Keys and OK act on it: variant 1 is B's right answer to question 0.
  fake::TypeChar('2');
  EXPECT_EQ(Box(1)->tick, 1);
  fake::TypeChar('\r');
  EXPECT_TRUE(Topic_test.Get(0)->bSolved);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 2")));
  fake::TypeChar('\r');
  EXPECT_EQ(Topic_test.Current, 1);
  EXPECT_EQ(fake::Pump(), 0u);  // nothing comes later to start it again
  EXPECT_EQ(Topic_test.Current, 1);
}

TEST_F(StartMessageTest, ALostStartBehindOneOnItsWayLeavesTheStartToThatOne) {
  Choose(0);
  fake::FailNextPost();
  Choose(1);
  // Topic A's start is still queued and it starts what is loaded now, topic B, once.
  EXPECT_EQ(quiz::StartsPending, 1);
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());
  fake::TypeChar('1');
  fake::TypeChar('\r');
  EXPECT_EQ(Title(), kExameo);  // still waiting for the start: nothing graded
  ASSERT_EQ(fake::Pump(), 1u);
  EXPECT_EQ(quiz::StartsPending, 0);
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 1);
  Answer({0});  // wrong for B's question 0 ("-+")
  EXPECT_EQ(Topic_test.Current, 1);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 2")));
}

TEST_F(StartMessageTest, LostStartsInARowNeverAccumulate) {
  for (int i = 0; i < 3; ++i) {
    fake::FailNextPost();
    Choose(i % 2);
    EXPECT_EQ(quiz::StartsPending, 0);
  }
  // The last choice, topic A, is running; a good post afterwards is counted and starts it anew.
  EXPECT_EQ(Topic_test.Count, 2);
  Answer({0});
  EXPECT_EQ(Topic_test.Current, 1);
  Choose(1);
  EXPECT_EQ(quiz::StartsPending, 1);
  ASSERT_EQ(fake::Pump(), 1u);
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 1);
}

}  // namespace
