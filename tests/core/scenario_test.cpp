// Whole quizzes as the user drives them: the discipline menu, the chooser, keys and clicks,
// rounds with their titles and statistics boxes, and the end of the quiz.
#include <string>
#include <vector>

#include "quiz_support.h"

namespace {

using namespace quiztest;

std::string Line(const char* cp1251) {
  return cp1251;
}

class ScenarioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgram();
    WriteBytes("Base\\1.txt",
               "Drill\r\n\tTen questions\"drill\\ten.txt\"\r\n\tMissing\"drill\\none.txt\"\r\n"
               "\tShort\"drill\\short.txt\"\r\n");
    WriteBytes("Base\\drill\\ten.txt",
               QuestionFile({"+-", "-+-", "++", "+", "--", "+-+", "-+", "+", "-", "++-"}));
    WriteBytes("Base\\drill\\short.txt", QuestionFile({"-+", "+"}));
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
    ASSERT_EQ(Discipline.LastDiscipline, 0);
  }
  void TearDown() override { Topic_test.UnloadQuestions(); }

  // The menu item, a radio button and the chooser's OK; the start comes with the pump.
  static void Choose(int topic) {
    fake::Command(20);
    HWND chooser = fake::LiveChoosers().back();
    ASSERT_TRUE(fake::Click(ws::FindChild(chooser, 100 + topic)));
    ASSERT_TRUE(fake::Click(ws::FindChild(chooser, 200)));
    ASSERT_EQ(fake::Pump(), 1u);
  }

  // Answers the current question: keys typed, then check boxes clicked, then OK by `how`
  // (Enter, space or the button) for grading; checks the title; then moves on by the next way.
  void Ask(const std::string& keys, const std::vector<int>& clicks, const std::string& title) {
    for (char c : keys) {
      ASSERT_TRUE(fake::TypeChar(c));
    }
    for (int k : clicks) {
      ASSERT_TRUE(fake::Click(Box(k)));
    }
    Press();
    EXPECT_EQ(Title(), title) << "question " << Topic_test.Current;
    Press();
    if (Topic_test.Current != -1 && fake::Boxes().size() == boxes_) {
      EXPECT_EQ(Title(), title) << "moving on leaves the title";
    }
    boxes_ = fake::Boxes().size();
  }
  void Press() {
    switch (press_++ % 3) {
      case 0:
        fake::TypeChar('\r');
        break;
      case 1:
        fake::TypeChar(' ');
        break;
      default:
        ASSERT_TRUE(fake::Click(CurrentOk()));
    }
  }

  ScratchDir dir_;
  int press_ = 0;
  std::size_t boxes_ = 0;
};

TEST_F(ScenarioTest, ThreeRoundsOfTenQuestionsToGameOver) {
  // Before any topic, as at start-up: the title is the program's.
  EXPECT_EQ(Title(), "Exameo 2.0");
  Choose(0);
  EXPECT_EQ(Title(), "Exameo 2.0");

  Ask("1", {}, Line(Cp1251("Правильно 100.000 %, осталось 9")));
  Ask("", {0}, Line(Cp1251("Правильно 50.000 %, осталось 8")));
  Ask("12", {}, Line(Cp1251("Правильно 66.667 %, осталось 7")));
  Ask("", {}, Line(Cp1251("Правильно 50.000 %, осталось 6")));
  Ask("", {}, Line(Cp1251("Правильно 60.000 %, осталось 5")));
  Ask("3", {0}, Line(Cp1251("Правильно 66.667 %, осталось 4")));
  Ask("12", {}, Line(Cp1251("Правильно 57.143 %, осталось 3")));
  Ask("1", {}, Line(Cp1251("Правильно 62.500 %, осталось 2")));
  Ask("", {}, Line(Cp1251("Правильно 66.667 %, осталось 1")));
  ASSERT_EQ(fake::Boxes().size(), 0u);
  Ask("1", {1, 2}, Line(Cp1251("Правильно 60.000 %, осталось 0")));
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_EQ(fake::Boxes()[0].text, Line(Cp1251("Правильных 6, всего 10 (60.000 %)")));
  EXPECT_EQ(fake::Boxes()[0].caption, "Statistics");
  EXPECT_EQ(Title(), "Exameo 2.0");
  EXPECT_EQ(Topic_test.Round, 2);
  EXPECT_EQ(Topic_test.Current, 1);

  Ask("2", {}, Line(Cp1251("Правильно 100.000 %, осталось 3")));
  Ask("", {}, Line(Cp1251("Правильно 50.000 %, осталось 2")));
  Ask("", {1}, Line(Cp1251("Правильно 66.667 %, осталось 1")));
  Ask("12", {}, Line(Cp1251("Правильно 75.000 %, осталось 0")));
  ASSERT_EQ(fake::Boxes().size(), 2u);
  EXPECT_EQ(fake::Boxes()[1].text, Line(Cp1251("Правильных 3, всего 4 (75.000 %)")));
  EXPECT_EQ(Topic_test.Round, 3);
  EXPECT_EQ(Topic_test.Current, 3);
  EXPECT_EQ(OnScreen2.CurrentSlot, 0) << "alone on an empty board";

  Ask("1", {}, Line(Cp1251("Правильно 100.000 %, осталось 0")));
  ASSERT_EQ(fake::Boxes().size(), 4u);
  EXPECT_EQ(fake::Boxes()[2].text, Line(Cp1251("Правильных 1, всего 1 (100.000 %)")));
  EXPECT_EQ(fake::Boxes()[3].caption, "Game over");
  EXPECT_EQ(Title(), "Exameo 2.0");
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());

  // OK and keys are ignored from now on.
  for (char c : std::string("\r 1\r")) fake::TypeChar(c);
  EXPECT_EQ(fake::Boxes().size(), 4u);
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());

  // The same topic again starts afresh, every question unsolved.
  Choose(0);
  press_ = 0;
  Ask("", {}, Line(Cp1251("Правильно 0.000 %, осталось 9")));
}

TEST_F(ScenarioTest, ANewTopicChosenWhileAQuestionStandsGraded) {
  Choose(0);
  Ask("1", {}, Line(Cp1251("Правильно 100.000 %, осталось 9")));
  fake::TypeChar('1');
  fake::TypeChar('\r');  // question 1 graded wrong
  ASSERT_FALSE(OnScreen2.bAsk);

  fake::Command(20);
  HWND chooser = fake::LiveChoosers().back();
  fake::Click(ws::FindChild(chooser, 102));
  fake::Click(ws::FindChild(chooser, 200));
  // The start has not run: Enter does nothing yet.
  EXPECT_FALSE(OnScreen2.bAsk);
  fake::TypeChar('\r');
  EXPECT_EQ(fake::Boxes().size(), 0u);
  fake::Pump();
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_TRUE(OnScreen2.bAllRight);
  EXPECT_EQ(Topic_test.Round, 1);
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_EQ(Title(), "Exameo 2.0");
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u);
  press_ = 0;
  Ask("2", {}, Line(Cp1251("Правильно 100.000 %, осталось 1")));
  Ask("", {}, Line(Cp1251("Правильно 50.000 %, осталось 0")));
  EXPECT_EQ(fake::Boxes().back().text, Line(Cp1251("Правильных 1, всего 2 (50.000 %)")));
  EXPECT_EQ(Topic_test.Round, 2);
}

TEST_F(ScenarioTest, ATopicWhoseFileIsMissingEndsAtOnce) {
  Choose(0);
  Ask("1", {}, Line(Cp1251("Правильно 100.000 %, осталось 9")));
  Choose(1);
  std::vector<HWND> children = fake::LiveChildren(OnScreen2.hWnd);
  ASSERT_EQ(children.size(), 1u) << "only an OK button";
  EXPECT_EQ(children[0]->id, 300);
  fake::TypeChar(' ');
  EXPECT_EQ(Title(), Line(Cp1251("Правильно 0.000 %, осталось 0")));
  fake::TypeChar(' ');
  ASSERT_EQ(fake::Boxes().size(), 2u);
  EXPECT_EQ(fake::Boxes()[0].text, Line(Cp1251("Правильных 0, всего 0 (0.000 %)")));
  EXPECT_EQ(fake::Boxes()[1].caption, "Game over");
  EXPECT_TRUE(bNobodyHome);
}

}  // namespace
