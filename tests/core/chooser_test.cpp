// The discipline command, the chooser's layout and its OK steps.
#include <cstdio>
#include <string>
#include <vector>

#include "quiz_support.h"
#include "shell/menu.h"

namespace {

using namespace quiztest;

constexpr std::uint32_t kRadioStyle = 0x50002009;
constexpr std::uint32_t kFirstRadioStyle = 0x50032009;  // and WS_GROUP | WS_TABSTOP
constexpr std::uint32_t kOkStyle = 0x50030001;          // BS_DEFPUSHBUTTON, WS_GROUP | WS_TABSTOP

// A topic table of n entries, filled by hand.
void FillTopics(int n) {
  Discipline.UnloadTopics();
  for (int i = 0; i < n; ++i) {
    TitlePath& t = Discipline.Topics[i];
    std::snprintf(t.Title, sizeof t.Title, "Topic %d", i);
    std::snprintf(t.Path, sizeof t.Path, "Base\\t%d.txt", i);
    t.bExists = true;
  }
  Discipline.LastTopic = n - 1;
}

HWND OpenChooser(const char* title = "Base\\1.txt") {
  std::string copy(title);
  Discipline.DrawChooser(OnScreen2.hInst, OnScreen2.hWnd, nullptr, OnScreen2.Client, copy.data());
  std::vector<HWND> choosers = fake::LiveChoosers();
  return choosers.empty() ? nullptr : choosers.back();
}

class ChooserTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(1280, 1000); }
  void TearDown() override {
    Topic_test.UnloadQuestions();
    Discipline.UnloadTopics();
  }
  ScratchDir dir_;
};

TEST_F(ChooserTest, LayoutForNoneOneFourAndAllTopics) {
  struct Case {
    int topics;
    int height;  // r + 150
    int okTop;   // r + 75
  };
  for (Case c : {Case{0, 90, 15}, Case{1, 150, 75}, Case{3, 150, 75}, Case{4, 210, 135},
                 Case{128, 2670, 2595}}) {
    SCOPED_TRACE(c.topics);
    ResetProgram(1280, 1000);
    FillTopics(c.topics);
    HWND chooser = OpenChooser("Base\\7.txt");
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->text, "Base\\7.txt");
    EXPECT_EQ(chooser->className, "OwnedWClass");
    EXPECT_EQ(chooser->parent, OnScreen2.hWnd);
    EXPECT_NE(chooser->style & ws::kStyleVisible, 0u) << "shown";
    // Centred on the client size measured at start-up; divisions truncate toward zero.
    Rect expected{(1280 - 810) / 2, (1000 - c.height) / 2, 0, 0};
    expected.right = expected.left + 810;
    expected.bottom = expected.top + c.height;
    EXPECT_EQ(chooser->rect, expected);

    std::vector<HWND> children = fake::LiveChildren(chooser);
    ASSERT_EQ(children.size(), static_cast<std::size_t>(c.topics) + 1);
    for (int i = 0; i < c.topics; ++i) {
      HWND radio = children[i];
      int col = i % 3;
      int x = 15 + 265 * col, y = 15 + 60 * (i / 3);
      EXPECT_EQ(radio->rect, (Rect{x, y, x + 250, y + 60})) << i;
      EXPECT_EQ(radio->id, 100 + i);
      EXPECT_EQ(radio->style, i == 0 ? kFirstRadioStyle : kRadioStyle);
      EXPECT_EQ(radio->text, "Topic " + std::to_string(i));
      EXPECT_EQ(radio->tick, 0);
    }
    HWND ok = children.back();
    EXPECT_EQ(ok->id, 200);
    EXPECT_EQ(ok->text, "OK");
    EXPECT_EQ(ok->style, kOkStyle);
    EXPECT_EQ(ok->rect, (Rect{15, c.okTop, 795, c.okTop + 30}));
    // Nothing selected, the focus on the first topic; on OK when there is none.
    EXPECT_EQ(fake::Focused(), c.topics > 0 ? children[0] : ok);
  }
}

TEST_F(ChooserTest, ATopicCountOutsideTheTableNeverRunsOffIt) {
  FillTopics(128);
  Discipline.LastTopic = 500;
  HWND chooser = OpenChooser();
  EXPECT_EQ(fake::LiveChildren(chooser).size(), 129u);
  EXPECT_EQ(chooser->rect.bottom - chooser->rect.top, 2670);
  fake::Close(chooser);
  Discipline.LastTopic = -7;
  chooser = OpenChooser();
  EXPECT_EQ(fake::LiveChildren(chooser).size(), 1u);
  EXPECT_EQ(chooser->rect.bottom - chooser->rect.top, 90);
}

TEST_F(ChooserTest, FirstRowsLieWhereTheyShould) {
  FillTopics(4);
  HWND chooser = OpenChooser();
  EXPECT_EQ(ws::FindChild(chooser, 100)->rect.left, 15);
  EXPECT_EQ(ws::FindChild(chooser, 101)->rect.left, 280);
  EXPECT_EQ(ws::FindChild(chooser, 102)->rect.left, 545);
  EXPECT_EQ(ws::FindChild(chooser, 103)->rect, (Rect{15, 75, 265, 135}));
}

TEST_F(ChooserTest, OkWithoutASelectionLoadsNothingAndCloses) {
  StartTopic({"+", "+"});
  Answer({0});
  FillTopics(2);
  HWND chooser = OpenChooser();
  int before = OnScreen2.hWnd->broughtToTop;
  EXPECT_EQ(ChooserCommand(chooser, 200, nullptr), -1);
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(Topic_test.Count, 2) << "the quiz goes on";
  EXPECT_EQ(Topic_test.Current, 1);
  EXPECT_TRUE(OnScreen2.hWnd->enabled);
  EXPECT_EQ(OnScreen2.hWnd->broughtToTop, before + 1);
}

TEST_F(ChooserTest, OkLoadsTheSelectedTopicAndTheQuizStartsOnlyAfterThePump) {
  FillTopics(3);
  WriteBytes("Base\\t2.txt", QuestionFile({"+-", "-+", "+"}));
  bNobodyHome = true;
  HWND chooser = OpenChooser();
  fake::Click(ws::FindChild(chooser, 100));
  fake::Click(ws::FindChild(chooser, 102));  // one group: 100 is cleared
  EXPECT_EQ(ws::FindChild(chooser, 100)->tick, 0);
  EXPECT_TRUE(fake::Click(ws::FindChild(chooser, 200)));
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(Topic_test.Count, 3);
  EXPECT_FALSE(bNobodyHome);
  EXPECT_EQ(fake::PendingPosts(), 1u);
  EXPECT_TRUE(fake::LiveChildren(OnScreen2.hWnd).empty()) << "nothing placed before the pump";
  EXPECT_EQ(fake::Pump(), 1u);
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(fake::LiveChildren(OnScreen2.hWnd).size(), 3u);
  EXPECT_EQ(std::string(Topic_test.Get(2)->Vrnt[0].Text), "v0");
}

TEST_F(ChooserTest, TopicHundredSharesTheOkIdentifierButOnlySelects) {
  FillTopics(128);
  WriteBytes("Base\\t100.txt", QuestionFile({"+-"}));
  HWND chooser = OpenChooser();
  HWND radio = ws::FindChild(chooser, 200);  // the first child with 200 is topic 100's radio
  ASSERT_EQ(radio->style, kRadioStyle);
  EXPECT_TRUE(fake::Click(radio));
  EXPECT_TRUE(chooser->alive) << "selecting topic 100 must not press OK";
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(radio->tick, 1);
  HWND ok = fake::LiveChildren(chooser).back();
  ASSERT_EQ(ok->style, kOkStyle);
  EXPECT_TRUE(fake::Click(ok));
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(fake::Pump(), 1u);
  EXPECT_EQ(std::string(Topic_test.Get(0)->Vrnt[0].Text), "v0");
}

// The dialog keys: Enter anywhere in the chooser (IDOK) is its OK, also for topic 100, whose
// radio button carries OK's identifier; Esc (IDCANCEL) closes it as its close box does.
TEST_F(ChooserTest, EnterIsOkEvenForTopicHundredAndEscClosesWithoutLoading) {
  FillTopics(128);
  WriteBytes("Base\\t100.txt", QuestionFile({"+-", "+"}));
  HWND chooser = OpenChooser();
  HWND radio = ws::FindChild(chooser, 200);
  EXPECT_TRUE(fake::Click(radio));
  EXPECT_EQ(ChooserCommand(chooser, 1, radio), -1);
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(Topic_test.Count, 2);
  EXPECT_EQ(fake::PendingPosts(), 1u);
  fake::Pump();

  chooser = OpenChooser();
  fake::Click(ws::FindChild(chooser, 100));
  EXPECT_EQ(ChooserCommand(chooser, 2, nullptr), -1);
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(Topic_test.Count, 2) << "topic 100 stays loaded";
  EXPECT_TRUE(OnScreen2.hWnd->enabled);
}

TEST_F(ChooserTest, OkReadsItsOwnButtonsAgainstTheTableAsItIsNow) {
  FillTopics(3);
  WriteBytes("Base\\t1.txt", QuestionFile({"+"}));
  WriteBytes("Base\\t0.txt", QuestionFile({"+", "+"}));
  HWND first = OpenChooser();
  HWND second = OpenChooser();
  ASSERT_NE(first, second);
  EXPECT_EQ(fake::LiveChoosers().size(), 2u);
  fake::Click(ws::FindChild(first, 101));
  fake::Click(ws::FindChild(second, 100));
  EXPECT_EQ(ws::FindChild(first, 101)->tick, 1) << "each chooser holds its own group";

  // Another discipline replaced the table: topic 1 is now a different file.
  Discipline.UnloadTopics();
  Discipline.Topics[1].bExists = true;
  std::snprintf(Discipline.Topics[1].Path, sizeof Discipline.Topics[1].Path, "Base\\t0.txt");
  Discipline.LastTopic = 1;
  fake::Click(ws::FindChild(first, 200));
  EXPECT_EQ(Topic_test.Count, 2);
  fake::Pump();

  // The table is cleared (as at the end of a quiz): the other chooser's OK only closes it.
  Discipline.UnloadTopics();
  bNobodyHome = true;
  fake::Click(ws::FindChild(second, 200));
  EXPECT_FALSE(second->alive);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_TRUE(bNobodyHome);
  EXPECT_EQ(Topic_test.Count, 2);
}

TEST_F(ChooserTest, TheCloseBoxLoadsNothingAndEnablesTheMainWindow) {
  FillTopics(2);
  HWND chooser = OpenChooser();
  fake::Click(ws::FindChild(chooser, 100));
  OnScreen2.hWnd->enabled = false;
  fake::Close(chooser);
  EXPECT_FALSE(chooser->alive);
  EXPECT_TRUE(OnScreen2.hWnd->enabled);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(Topic_test.Count, 1);
}

TEST_F(ChooserTest, RadioCommandsDoNothingAndOnlyTheLowWordCounts) {
  FillTopics(2);
  WriteBytes("Base\\t1.txt", QuestionFile({"+"}));
  HWND chooser = OpenChooser();
  fake::Click(ws::FindChild(chooser, 101));
  EXPECT_TRUE(chooser->alive);
  EXPECT_EQ(ChooserCommand(chooser, 101, nullptr), -1);
  EXPECT_EQ(ChooserCommand(chooser, 300, nullptr), -1);
  EXPECT_TRUE(chooser->alive);
  EXPECT_EQ(ChooserCommand(chooser, 200 | 5u << 16, nullptr), -1);
  EXPECT_FALSE(chooser->alive);
  EXPECT_EQ(fake::PendingPosts(), 1u);
  EXPECT_EQ(ChooserDestroyed(), 0);
}

// The real road: a description file, the menu's discipline command, the chooser.
TEST_F(ChooserTest, TheDisciplineCommandReadsTheTopicsAndTitlesTheChooserWithThePath) {
  WriteBytes("Base\\1.txt",
             "Algebra\r\n\tFirst topic \"alg\\a.txt\"\r\n\tSecond\"alg\\b.txt\"\r\n");
  WriteBytes("Base\\2.txt", "Empty\r\n");
  std::string pattern = "Base\\*.txt";
  Discipline.LoadDisciplines(pattern.data());
  ASSERT_EQ(Discipline.LastDiscipline, 1);
  int algebra = std::string(Discipline.Disciplines[0].Title) == "Algebra" ? 0 : 1;

  fake::Command(20 + static_cast<unsigned>(algebra));
  std::vector<HWND> choosers = fake::LiveChoosers();
  ASSERT_EQ(choosers.size(), 1u);
  EXPECT_EQ(choosers[0]->text, "Base\\1.txt");
  EXPECT_EQ(Discipline.LastTopic, 1);
  EXPECT_EQ(ws::FindChild(choosers[0], 100)->text, "First topic ");
  EXPECT_EQ(ws::FindChild(choosers[0], 101)->text, "Second");

  // The other discipline has no topics: a chooser 90 high with only its OK at (15, 15).
  fake::Command(20 + static_cast<unsigned>(1 - algebra) + (1u << 16));
  choosers = fake::LiveChoosers();
  ASSERT_EQ(choosers.size(), 2u);
  EXPECT_EQ(Discipline.LastTopic, -1);
  EXPECT_EQ(choosers[1]->rect.bottom - choosers[1]->rect.top, 90);
  ASSERT_EQ(fake::LiveChildren(choosers[1]).size(), 1u);
  EXPECT_EQ(fake::LiveChildren(choosers[1])[0]->rect.top, 15);

  // Identifiers of absent entries open nothing.
  fake::Command(22);
  fake::Command(83);
  fake::Command(84);
  EXPECT_EQ(fake::LiveChoosers().size(), 2u);
}

}  // namespace
