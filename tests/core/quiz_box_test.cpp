// What may happen while a box of the quiz flow ("Statistics", "Game over") is up: the flow waits
// for it halfway through an OK, and the box's own message loop dispatches whatever reaches the
// program meanwhile.
#include <string>
#include <vector>

#include "quiz_support.h"
#include "shell/menu.h"

namespace {

using namespace quiztest;

class QuizBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgram();
    // One discipline with two topics.
    WriteBytes("Base\\1.txt", "Discipline\r\n\tFirst\"a.txt\"\r\n\tSecond\"b.txt\"\r\n");
    WriteBytes("Base\\a.txt", QuestionFile({"+", "-+"}));
    WriteBytes("Base\\b.txt", QuestionFile({"++", "+", "-"}));
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
  }
  void TearDown() override {
    fake::SetBoxHook(nullptr);
    Topic_test.UnloadQuestions();
  }

  // Opens the discipline's chooser and selects topic i in it.
  static HWND ChooserWith(int topic) {
    fake::Command(20);
    HWND chooser = fake::LiveChoosers().back();
    fake::Click(ws::FindChild(chooser, 100 + topic));
    return chooser;
  }
  static void StartThroughChooser(int topic) {
    fake::Click(ws::FindChild(ChooserWith(topic), 200));
    fake::Pump();
  }

  ScratchDir dir_;
};

TEST_F(QuizBoxTest, CommandsDuringTheStatisticsBoxAreDropped) {
  StartThroughChooser(0);
  Answer({0});
  fake::TypeChar('1');  // question 1 wrong
  fake::TypeChar('\r');
  std::size_t boxesBefore = fake::Boxes().size();
  int hookRuns = 0;
  fake::SetBoxHook([&](const fake::Box& box) {
    if (box.caption != "Statistics") return;
    ++hookRuns;
    EXPECT_FALSE(fake::TypeChar('\r')) << "the box's loop translates no keys";
    for (unsigned id : {300u, 300u | 1u << 16, 10000u, 10001u, 10u, 11u, 12u, 20u}) {
      EXPECT_EQ(fake::Command(id), -1);
    }
    // A click on the current OK button: the main window is disabled, and if a command got
    // through all the same it is dropped.
    RouteCommand(300);
    RouteCommand(static_cast<unsigned>(AnswerId(0)));
  });
  fake::TypeChar('\r');  // the round ends
  EXPECT_EQ(hookRuns, 1);
  EXPECT_EQ(fake::Boxes().size(), boxesBefore + 1) << "no help box, no second statistics box";
  EXPECT_TRUE(fake::LiveChoosers().empty()) << "no discipline command";
  // The flow finished as it would have without the commands.
  EXPECT_EQ(Topic_test.Round, 2);
  EXPECT_EQ(Topic_test.Current, 1);
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_EQ(Title(), "Exameo 2.0");
  EXPECT_EQ(Box(0)->tick, 0);
  EXPECT_EQ(Box(1)->tick, 0);
  // And the program takes commands again afterwards.
  fake::Command(10);
  EXPECT_EQ(fake::Boxes().back().caption, std::string(Cp1251("О программе")));
}

TEST_F(QuizBoxTest, AChooserOkDuringGameOverWaitsAndWorksAfterwards) {
  HWND chooser = ChooserWith(1);  // opened before the quiz ends
  StartThroughChooser(0);
  ASSERT_TRUE(chooser->alive);
  Answer({0});
  fake::SetBoxHook([&](const fake::Box& box) {
    if (box.caption != "Game over") return;
    EXPECT_EQ(box.owner, nullptr);
    // The box has no owner: the main window and the chooser stay usable.
    EXPECT_TRUE(fake::Click(ws::FindChild(chooser, 200)));
    EXPECT_TRUE(chooser->alive) << "the chooser stays open for later";
    EXPECT_EQ(fake::PendingPosts(), 0u);
    fake::Command(20);  // a discipline command from the menu
    fake::Command(10);  // a help item
    fake::Pump();
  });
  Answer({1});
  ASSERT_EQ(fake::Boxes().back().caption, "Game over");
  EXPECT_EQ(fake::LiveChoosers().size(), 1u) << "no chooser opened during the box";
  EXPECT_TRUE(bNobodyHome);
  EXPECT_EQ(Topic_test.Current, -1);
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty());
  fake::SetBoxHook(nullptr);

  // The end of the quiz cleared the topic table; the user opens the discipline again.
  ASSERT_EQ(Discipline.LastTopic, -1);
  fake::Click(ws::FindChild(chooser, 200));
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  StartThroughChooser(1);
  EXPECT_FALSE(bNobodyHome);
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_EQ(OnScreen2.Entry[OnScreen2.CurrentSlot].Question, 0);
  Answer({0, 1});
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 2")));
}

TEST_F(QuizBoxTest, AStartArrivingDuringTheBoxRunsOnceTheOkIsHandled) {
  StartThroughChooser(1);
  Answer({});   // question 0 missed
  Answer({0});  // question 1 right
  fake::TypeChar('\r');
  int visibleDuringBox = -1;
  fake::SetBoxHook([&](const fake::Box& box) {
    if (box.caption != "Statistics") return;
    ws::PostStart(OnScreen2.hWnd);
    EXPECT_EQ(fake::Pump(), 1u);
    visibleDuringBox = 0;
    for (const auto& slot : OnScreen2.Entry) visibleDuringBox += slot.bVisible ? 1 : 0;
    EXPECT_EQ(Topic_test.Round, 1) << "the start did not run inside the box";
  });
  fake::TypeChar('\r');  // question 2 solved, the round ends
  EXPECT_EQ(visibleDuringBox, 3);
  // The start ran after the round had moved on: the topic starts again at question 0, round 1,
  // on a board holding that question alone.
  EXPECT_EQ(Topic_test.Round, 1);
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(OnScreen2.Entry[0].Question, 0);
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u);
  EXPECT_FALSE(quiz::bStartDeferred);
  EXPECT_FALSE(quiz::bFlowBusy);
}

TEST_F(QuizBoxTest, ATopicChosenDuringAHelpBoxStartsNormally) {
  StartThroughChooser(0);
  HWND chooser = ChooserWith(1);
  fake::SetBoxHook([&](const fake::Box&) {
    // A help box is not the flow's: the chooser's OK loads, and the box's loop runs the start.
    fake::Click(ws::FindChild(chooser, 200));
    EXPECT_EQ(fake::Pump(), 1u);
  });
  fake::Command(12);
  fake::SetBoxHook(nullptr);
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_EQ(Topic_test.Current, 0);
  EXPECT_EQ(Topic_test.Get(0)->ShowCount, 1);
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u);
  Answer({0, 1});
  EXPECT_EQ(Title(), std::string(Cp1251("Правильно 100.000 %, осталось 2")));
}

}  // namespace
