// The quiz flow: answer keys, grading marks, the undo of clicks on graded answers, moving on,
// rounds, the end of the quiz and the start.
#include <string>
#include <vector>

#include "quiz_support.h"

namespace {

using namespace quiztest;

const std::string kExameo = "Exameo 2.0";

class FlowTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(); }
  void TearDown() override { Topic_test.UnloadQuestions(); }
  ScratchDir dir_;
};

HFONT FontOf(HWND control) {
  return control != nullptr ? control->font : nullptr;
}
int Tick(HWND control) {
  return control != nullptr ? control->tick : -1;
}

TEST_F(FlowTest, GradingMarksEachVariantByTheTable) {
  StartTopic({"+-+-", "+"});
  ASSERT_NE(Box(3), nullptr);
  fake::Click(Box(0));  // ticked and correct
  fake::Click(Box(1));  // ticked but wrong
  fake::TypeChar('\r');
  EXPECT_EQ(FontOf(Box(0)), OnScreen2.hFontRight);
  EXPECT_EQ(FontOf(Box(1)), OnScreen2.hFontWrong);
  EXPECT_EQ(FontOf(Box(2)), OnScreen2.hFontMissed);  // correct but missed
  EXPECT_EQ(FontOf(Box(3)), fake::DefaultFont());    // neither: keeps its font
  EXPECT_FALSE(OnScreen2.bAsk);
  EXPECT_FALSE(OnScreen2.bAllRight);
  EXPECT_FALSE(Topic_test.Get(0)->bSolved);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 1")));

  // Moving on freezes the marked question and resets the cycle.
  std::vector<HWND> graded = {Box(0), Box(1), Box(2), Box(3)};
  fake::TypeChar('\r');
  for (HWND box : graded) {
    EXPECT_TRUE(box->alive);
    EXPECT_FALSE(box->enabled);
  }
  EXPECT_EQ(FontOf(graded[2]), OnScreen2.hFontMissed);
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_TRUE(OnScreen2.bAllRight);
  EXPECT_EQ(Topic_test.Current, 1);
  // The title keeps the line of the last grading.
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 1")));
}

TEST_F(FlowTest, AllIncorrectVariantsAreSolvedWithNothingTicked) {
  StartTopic({"---", "---"});
  fake::TypeChar(' ');
  EXPECT_TRUE(Topic_test.Get(0)->bSolved);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(FontOf(Box(k)), fake::DefaultFont());
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 1")));
  fake::TypeChar(' ');
  // Ticking one wrong variant gives it the struck-out font and leaves the question unsolved.
  fake::TypeChar('2');
  fake::TypeChar(' ');
  EXPECT_EQ(FontOf(Box(1)), OnScreen2.hFontWrong);
  EXPECT_FALSE(Topic_test.Get(1)->bSolved);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 50.000 %, осталось 0")));
}

TEST_F(FlowTest, AReadingOtherThanZeroOrOneSetsNoMark) {
  StartTopic({"+-"});
  // Only a three-state box reads 2; forced here, since BM_SETCHECK takes 2 as ticked.
  Box(0)->tick = 2;
  Box(1)->tick = 2;
  fake::Command(300);
  EXPECT_EQ(FontOf(Box(0)), fake::DefaultFont());
  EXPECT_EQ(FontOf(Box(1)), fake::DefaultFont());
  EXPECT_TRUE(Topic_test.Get(0)->bSolved);
}

TEST_F(FlowTest, AnswerKeysToggleOnlyPresentVariantsWhileAnswering) {
  StartTopic({"+-+", "+"});
  fake::TypeChar('1');
  fake::TypeChar('3');
  fake::TypeChar('3');
  EXPECT_EQ(Tick(Box(0)), 1);
  EXPECT_EQ(Tick(Box(2)), 0);
  // Keys for variants the question lacks do nothing, whatever control has that identifier.
  for (char c : std::string("456789:;<")) EXPECT_TRUE(fake::TypeChar(c));
  EXPECT_EQ(Tick(Box(0)), 1);
  EXPECT_EQ(Tick(Box(1)), 0);
  EXPECT_EQ(Tick(Box(2)), 0);
  // A key that reads anything but ticked ticks.
  Box(1)->tick = 2;
  fake::TypeChar('2');
  EXPECT_EQ(Tick(Box(1)), 1);
  fake::TypeChar('2');
  // Graded: keys do nothing.
  fake::TypeChar('\r');
  fake::TypeChar('1');
  fake::TypeChar('2');
  EXPECT_EQ(Tick(Box(0)), 1);
  EXPECT_EQ(Tick(Box(1)), 0);
  // The key's command word carries 1 in the high word; the low word alone decides.
  fake::TypeChar('\r');
  fake::Command(10000 | 7u << 16);
  EXPECT_EQ(Tick(Box(0)), 1);
  fake::Command(10000 | 1u << 16);
  EXPECT_EQ(Tick(Box(0)), 0);
}

TEST_F(FlowTest, ClicksOnGradedAnswersAreUndone) {
  StartTopic({"+-", "+"});
  fake::Click(Box(0));
  EXPECT_EQ(Tick(Box(0)), 1) << "while answering the box ticks itself";
  fake::Click(CurrentOk());
  ASSERT_FALSE(OnScreen2.bAsk);
  EXPECT_TRUE(fake::Click(Box(0)));
  EXPECT_TRUE(fake::Click(Box(1)));
  EXPECT_TRUE(fake::Click(Box(1)));
  EXPECT_TRUE(fake::Click(Box(1)));
  EXPECT_EQ(Tick(Box(0)), 1);
  EXPECT_EQ(Tick(Box(1)), 0);
  // The grading stands: the question is solved, the second OK moves on.
  EXPECT_TRUE(Topic_test.Get(0)->bSolved);
  HWND first = Box(0);
  fake::Click(CurrentOk());
  EXPECT_EQ(Topic_test.Current, 1);
  EXPECT_FALSE(fake::Click(first)) << "a frozen answer takes no click";
  // A command with the identifier of an earlier question's check box is not an undo.
  fake::TypeChar('\r');
  ws::SetTick(first, 0);
  fake::Command(static_cast<unsigned>(first->id));
  EXPECT_EQ(Tick(first), 0);
}

TEST_F(FlowTest, EnterSpaceAndTheButtonAreTheSameOk) {
  StartTopic({"+", "+", "+", "+"});
  fake::Click(CurrentOk());  // button: high word 0
  EXPECT_FALSE(OnScreen2.bAsk);
  fake::TypeChar(' ');  // space: 300 | 1 << 16
  EXPECT_EQ(Topic_test.Current, 1);
  fake::TypeChar('\r');
  EXPECT_FALSE(OnScreen2.bAsk);
  fake::Command(300 | 0xABCDu << 16);
  EXPECT_EQ(Topic_test.Current, 2);
  fake::Command(301);
  fake::Command(300 + 65536 * 3 + 1);
  EXPECT_TRUE(OnScreen2.bAsk) << "only the identifier 300 is OK";
}

TEST_F(FlowTest, RoundEndShowsStatisticsOverTheFullBoardThenStartsAgain) {
  StartTopic({"+", "-+", "+", "+"});
  std::vector<std::string> titles;
  int visibleDuringBox = -1;
  fake::SetBoxHook([&](const fake::Box&) {
    titles.push_back(Title());
    visibleDuringBox = 0;
    for (const auto& slot : OnScreen2.Entry) visibleDuringBox += slot.bVisible ? 1 : 0;
  });
  Answer({0});  // right
  Answer({0});  // wrong
  Answer({});   // missed
  fake::TypeChar('1');
  fake::TypeChar('\r');
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 50.000 %, осталось 0")));
  fake::TypeChar('\r');  // the round is over
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_EQ(fake::Boxes()[0].text, std::string(Cp1251("Правильных 2, всего 4 (50.000 %)")));
  EXPECT_EQ(fake::Boxes()[0].owner, OnScreen2.hWnd);
  EXPECT_EQ(titles[0], std::string(Cp1251("Правильно 50.000 %, осталось 0")));
  EXPECT_EQ(visibleDuringBox, 4) << "the box shows over the full board";
  // Then: round 2, an empty board with the first unsolved question, the title reset.
  EXPECT_EQ(Topic_test.Round, 2);
  EXPECT_EQ(Topic_test.Current, 1);
  EXPECT_EQ(Title(), kExameo);
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(OnScreen2.Entry[0].Question, 1);
  for (int i = 1; i < kSlots; ++i) EXPECT_FALSE(OnScreen2.Entry[i].bVisible) << i;
  EXPECT_EQ(Topic_test.Get(1)->ShowCount, 2);
  // Round 2 counts only its own questions.
  Answer({1});
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 1")));
}

TEST_F(FlowTest, ASingleUnsolvedQuestionComesBackAloneUntilAnswered) {
  StartTopic({"+", "+-"});
  Answer({0});
  for (int round = 2; round <= 4; ++round) {
    Answer({1});  // question 1 wrong again
    EXPECT_EQ(Topic_test.Round, round);
    EXPECT_EQ(Topic_test.Current, 1);
    EXPECT_EQ(OnScreen2.CurrentSlot, 0);
    EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u) << "two check boxes and OK";
  }
  Answer({0});
  ASSERT_GE(fake::Boxes().size(), 2u);
  EXPECT_EQ(fake::Boxes().back().caption, "Game over");
  EXPECT_TRUE(bNobodyHome);
}

TEST_F(FlowTest, GameOverEndsTheQuizAndOkIsIgnoredAfterwards) {
  Discipline.LastTopic = 0;
  Discipline.Topics[0].bExists = true;
  StartTopic({"+", "-"});
  std::vector<fake::Box> seen;
  fake::SetBoxHook([&](const fake::Box& box) {
    seen.push_back(box);
    if (box.caption == "Game over") {
      // The board was emptied at the end of the round, before this box.
      EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());
    }
  });
  Answer({0});
  Answer({});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "Statistics");
  EXPECT_EQ(seen[1].caption, "Game over");
  EXPECT_EQ(seen[1].text, "Game over");
  EXPECT_EQ(seen[1].owner, nullptr);
  EXPECT_EQ(seen[1].style, 0u);
  EXPECT_TRUE(bNobodyHome);
  EXPECT_EQ(Topic_test.Current, -1);
  EXPECT_EQ(Topic_test.Round, 1);
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_EQ(OnScreen2.CurrentSlot, -1);
  EXPECT_EQ(Discipline.LastTopic, -1);
  EXPECT_FALSE(Discipline.Topics[0].bExists);
  EXPECT_EQ(Title(), kExameo);
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());
  // The chain stays loaded, all solved.
  EXPECT_EQ(Topic_test.Count, 2);
  EXPECT_TRUE(Topic_test.Get(0)->bSolved && Topic_test.Get(1)->bSolved);

  for (int i = 0; i < 3; ++i) {
    fake::TypeChar('\r');
    fake::TypeChar('1');
    fake::Command(300);
  }
  EXPECT_EQ(fake::Boxes().size(), 2u);
  EXPECT_EQ(Title(), kExameo);
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());

  // Loading the same topic again starts it afresh.
  LoadAndStart("t.txt");
  EXPECT_FALSE(bNobodyHome);
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_FALSE(Topic_test.Get(0)->bSolved);
  Answer({0});
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 1")));
}

TEST_F(FlowTest, OkBeforeAnyTopicBehavesAsAnEmptyTopic) {
  fake::TypeChar('\r');
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 0")));
  EXPECT_TRUE(fake::Boxes().empty());
  fake::TypeChar('\r');
  ASSERT_EQ(fake::Boxes().size(), 2u);
  EXPECT_EQ(fake::Boxes()[0].text, std::string(Cp1251("Правильных 0, всего 0 (0.000 %)")));
  EXPECT_EQ(fake::Boxes()[1].caption, "Game over");
  EXPECT_TRUE(bNobodyHome);
  fake::TypeChar('\r');
  fake::TypeChar(' ');
  EXPECT_EQ(fake::Boxes().size(), 2u);
  // The next load clears the head's flags.
  StartTopic({"+"});
  EXPECT_FALSE(Topic_test.Get(0)->bSolved);
  EXPECT_FALSE(bNobodyHome);
}

TEST_F(FlowTest, ATopicWithoutQuestionsShowsOnlyAnOkButton) {
  WriteBytes("empty.txt", "");
  LoadAndStart("empty.txt");
  std::vector<HWND> children = fake::LiveChildren(OnScreen2.hWnd);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0]->id, 300);
  fake::Click(children[0]);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 0.000 %, осталось 0")));
  fake::Click(CurrentOk());
  ASSERT_EQ(fake::Boxes().size(), 2u);
  EXPECT_EQ(fake::Boxes()[0].text, std::string(Cp1251("Правильных 0, всего 0 (0.000 %)")));
  EXPECT_EQ(fake::Boxes()[1].caption, "Game over");
  EXPECT_TRUE(bNobodyHome);
}

TEST_F(FlowTest, AQuestionWithoutVariantsIsSolvedByItsFirstOk) {
  StartTopic({"", "+"});
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 1u);
  fake::TypeChar('1');  // no variant 0: nothing
  fake::TypeChar('\r');
  EXPECT_TRUE(Topic_test.Get(0)->bSolved);
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 1")));
}

TEST_F(FlowTest, ANewTopicMidQuizStartsAtQuestionZeroInRoundOne) {
  WriteBytes("other.txt", QuestionFile({"-+", "+"}));
  StartTopic({"+", "+", "+"});
  Answer({});  // round 2 will come
  Answer({0});
  Answer({0});           // round 2 begins with question 0
  fake::TypeChar('\r');  // graded wrong: bAllRight false
  ASSERT_EQ(Topic_test.Round, 2);
  ASSERT_FALSE(OnScreen2.bAsk);
  ASSERT_FALSE(OnScreen2.bAllRight);

  Topic_test.UnloadQuestions();
  Topic_test.LoadQuestions(std::string("other.txt").data());
  quiz::NoteStartPosted();
  ws::PostStart(OnScreen2.hWnd);
  // Until the start runs the board shows the old topic: OK and keys do nothing.
  std::string title = Title();
  fake::TypeChar('\r');
  fake::TypeChar('1');
  fake::Command(300);
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 0);
  EXPECT_EQ(fake::Pump(), 1u);

  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_EQ(Topic_test.Round, 1);
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_TRUE(OnScreen2.bAllRight);
  EXPECT_EQ(Title(), kExameo);
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 1);
  Answer({1});
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 1")));
}

TEST_F(FlowTest, TwoLoadsBeforeTheirStartsPlaceQuestionZeroOnce) {
  WriteBytes("a.txt", QuestionFile({"+", "+"}));
  for (int i = 0; i < 2; ++i) {
    Topic_test.UnloadQuestions();
    Topic_test.LoadQuestions(std::string("a.txt").data());
    quiz::NoteStartPosted();
    ws::PostStart(OnScreen2.hWnd);
  }
  EXPECT_EQ(fake::Pump(), 2u);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 1);
  Answer({0});
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 1")));
  // A start message that no load announced starts the loaded topic again, as ever.
  ws::PostStart(OnScreen2.hWnd);
  fake::Pump();
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
}

}  // namespace
