// The sitting in the running program: one OK per question without marks, the title's clock,
// the time-out, interrupting, closing, the record and the drill of the mistakes, on the
// in-memory window system.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exam/choice.h"
#include "bank/content_key.h"
#include "bank/question.h"
#include "session/session.h"
#include "quiz_support.h"
#include "common/commands.h"
#include "shell/menu.h"
#include "shell/routing.h"
#include "session/session.h"
#include "shell/data.h"

namespace {

using namespace quiztest;

std::int64_t gMs = 0;
std::int64_t FakeMs() {
  return gMs;
}
std::int64_t FakeSeconds() {
  return 1000;
}
void FakeStamp(std::int64_t, char out[17]) {
  std::memcpy(out, "2026-12-09 14:00", 17);
}

using testsupport::C;

class ExamSittingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    records::NowMs = FakeMs;
    records::NowSeconds = FakeSeconds;
    records::LocalStamp = FakeStamp;
    gMs = 5000;
    session::ResetExam();
    std::filesystem::create_directory("data");
    ResetProgram();
    OpenDataFolder("data", true);
    session::P().rng.state = 3;
    BuildMenuBar();
    // Topic one: three questions and a card without variants; topic two: one question.
    WriteBytes("Base\\1.txt",
               Cp1251("Физика\r\n\tМеханика\"m.txt\"\r\n\tОптика\"o.txt\"\r\n").c_str());
    WriteBytes("Base\\m.txt",
               "M0\r\n\t+a\r\n\t-b\r\nM1 card\r\nM2\r\n\t-a\r\n\t+b\r\n\t+c\r\nM3\r\n\t+a\r\n");
    WriteBytes("Base\\o.txt", "O0\r\n\t-a\r\n\t+b\r\n");
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
  }
  void TearDown() override {
    session::ResetExam();
    OpenDataFolder("", false);
    Topic_test.UnloadQuestions();
    fake::SetBoxHook(nullptr);
  }

  std::string Task() { return Topic_test.Get(Topic_test.Current)->Task; }

  // Ticks the right variants of the question on screen (`right`), or its first wrong one.
  void Tick(bool right) {
    QuestionClass* q = Topic_test.Get(Topic_test.Current);
    for (int k = 0; k < kMaxVariants; ++k) {
      if (!q->Vrnt[k].bExists || q->Vrnt[k].bCorrect != right) continue;
      fake::TypeChar(KeyOf(k));
      if (!right) return;
    }
  }

  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (const fake::Box& box : fake::Boxes()) captions.push_back(box.caption);
    return captions;
  }

  ScratchDir dir_;
};

TEST_F(ExamSittingTest, OneOkPerQuestionRecordsTheTicksWithoutMarks) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 4, 20));
  EXPECT_TRUE(session::Running());
  EXPECT_TRUE(fake::Ticking());
  ASSERT_EQ(Topic_test.Count, 4);  // the card is no exam question
  EXPECT_EQ(Title(), C(Cp1251("Экзамен: вопрос 1 из 4, осталось 20:00")));

  // The first two asked are answered right, the next wrong, the last partly (or, when it has a
  // single right variant, right).
  std::vector<std::string> asked;
  for (int i = 0; i < 4; ++i) {
    asked.push_back(Task());
    gMs += 30000;
    if (i < 2) Tick(true);
    if (i == 2) Tick(false);
    if (i == 3) fake::TypeChar('2');  // the second variant only
    QuestionClass* q = Topic_test.Get(Topic_test.Current);
    std::vector<HWND> boxes;
    for (int k = 0; k < kMaxVariants; ++k)
      if (q->Vrnt[k].bExists) boxes.push_back(Box(k));
    fake::TypeChar('\r');  // one Enter: recorded and on to the next
    for (HWND box : boxes) {
      EXPECT_FALSE(box->enabled);
      EXPECT_EQ(box->font, nullptr);  // no mark of right or wrong
    }
    if (i < 3) {
      EXPECT_EQ(Topic_test.Current, i + 1);
      session::Tick();
      EXPECT_EQ(Title(), C(Cp1251("Экзамен: вопрос ")) + std::to_string(i + 2) +
                             C(Cp1251(" из 4, осталось ")) + exam::Clock(1200 - 30 * (i + 1)));
    }
  }
  EXPECT_FALSE(session::Running());
  EXPECT_FALSE(fake::Ticking());
  EXPECT_EQ(fake::ExamReportOpens(), 1);
  EXPECT_EQ(Title(), "Exameo 2.0");
  EXPECT_TRUE(bNobodyHome);
  EXPECT_EQ(Topic_test.Count, 1);  // nothing stays loaded

  const session::Report& report = session::LastReport();
  ASSERT_EQ(report.rows.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(report.rows[i].task, asked[i]);
  EXPECT_EQ(report.rows[0].verdict, C(Cp1251("верно")));
  EXPECT_EQ(report.rows[1].verdict, C(Cp1251("верно")));
  EXPECT_EQ(report.rows[2].verdict, C(Cp1251("неверно")));
  // The last: M2 (right b, c) with b ticked is partly right; O0 (right b) is right; M0 or M3
  // (right a) with a wrong one ticked, or nothing, is wrong.
  std::string last = asked[3];
  std::string want = last == "M2" ? "частично" : last == "O0" ? "верно" : "неверно";
  EXPECT_EQ(report.rows[3].verdict, C(want == "частично" ? Cp1251("частично").c_str()
                                      : want == "верно"  ? Cp1251("верно").c_str()
                                                         : Cp1251("неверно").c_str()));
  int right = 2 + (last == "O0" ? 1 : 0);
  EXPECT_EQ(report.lines[2], C(Cp1251("Верно: ")) + std::to_string(right) + C(Cp1251(" из 4 (")) +
                                 (right == 3 ? "75,0" : "50,0") + " %)");
  EXPECT_EQ(report.lines[5], C(Cp1251("Время: 2:00 из 20:00")));
  EXPECT_EQ(report.mistakes.size(), static_cast<std::size_t>(4 - right));

  std::string csv = ReadAll("data/results.csv");
  std::string credit = last == "M2" ? "62,5" : right == 3 ? "75,0" : "50,0";
  std::string grade = right == 3 ? "хорошо" : "удовлетворительно";
  EXPECT_EQ(csv, records::ResultsHeader() + "2026-12-09 14:00;Физика;Все темы;4;4;" +
                     std::to_string(right) + ";" + (right == 3 ? "75,0" : "50,0") +
                     ";1;120;нет;экзамен;" + credit + ";" + grade + ";\r\n");
}

TEST_F(ExamSittingTest, TheTimeOutTakesTheQuestionOnScreenAndTheRestIsUnanswered) {
  ASSERT_TRUE(session::BeginSitting(0, 0, 3, 1));  // Механика alone: its three questions
  ASSERT_EQ(Topic_test.Count, 3);
  Tick(true);
  fake::TypeChar('\r');
  gMs += 59001;  // 0.999 s left: a begun second is shown whole
  Tick(true);    // on screen, not confirmed
  session::Tick();
  EXPECT_EQ(Title(), C(Cp1251("Экзамен: вопрос 2 из 3, осталось 0:01")));
  EXPECT_TRUE(session::Running());
  gMs += 999;
  session::Tick();
  EXPECT_FALSE(session::Running());
  const session::Report& report = session::LastReport();
  ASSERT_EQ(report.rows.size(), 3u);
  EXPECT_EQ(report.rows[0].verdict, C(Cp1251("верно")));
  EXPECT_EQ(report.rows[1].verdict, C(Cp1251("верно")));  // the ticks on screen
  EXPECT_EQ(report.rows[2].verdict, C(Cp1251("без ответа")));
  EXPECT_EQ(report.rows[2].ticked, "-");
  EXPECT_EQ(report.lines[1], C(Cp1251("Тема: Механика")));
  EXPECT_EQ(report.lines[5], C(Cp1251("Время: 1:00 из 1:00")));
  EXPECT_NE(ReadAll("data/results.csv").find(";Механика;3;2;2;66,7;1;60;нет;экзамен;66,7;"),
            std::string::npos);
}

TEST_F(ExamSittingTest, TheTimeRunsOutWhileABoxIsUpAndTheSittingEndsWhenItCloses) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 1));
  // A help box: the timer keeps running, the sitting waits for the box.
  bool runningInBox = false;
  fake::SetBoxHook([&](const fake::Box&) {
    gMs += 61000;
    session::Tick();
    runningInBox = session::Running();
  });
  fake::Command(kCmdAbout);
  EXPECT_TRUE(runningInBox);
  EXPECT_TRUE(session::Running());
  fake::SetBoxHook(nullptr);
  session::Tick();  // the next tick after the box
  EXPECT_FALSE(session::Running());
  EXPECT_EQ(fake::ExamReportOpens(), 1);
  EXPECT_EQ(session::LastReport().rows[0].verdict, C(Cp1251("неверно")));  // on screen, nothing ticked

  // The question whether to interrupt: No, but the time ran out meanwhile.
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 1));
  fake::SetBoxHook([&](const fake::Box&) {
    gMs += 61000;
    session::Tick();
    runningInBox = session::Running();
  });
  fake::SetYesNoAnswer(false);
  fake::Command(kCmdFirstDiscipline);
  EXPECT_TRUE(runningInBox);
  EXPECT_FALSE(session::Running());
  EXPECT_TRUE(fake::LiveChoosers().empty());  // No: the command does not go on
  EXPECT_EQ(fake::ExamReportOpens(), 2);
}

TEST_F(ExamSittingTest, CommandsThatLoadQuestionsAskToInterrupt) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 4, 0));
  EXPECT_EQ(Title(), C(Cp1251("Экзамен: вопрос 1 из 4")));  // no limit
  EXPECT_FALSE(fake::Ticking());                            // nothing to count down
  fake::SetYesNoAnswer(false);
  fake::Command(kCmdFirstDiscipline);
  ASSERT_EQ(fake::Boxes().size(), 1u);
  const fake::Box& box = fake::Boxes()[0];
  EXPECT_EQ(box.text, C(Cp1251("Прервать экзамен?")));
  EXPECT_EQ(box.style, ws::kBoxYesNo | ws::kBoxQuestion | ws::kBoxSecondDefault);
  EXPECT_TRUE(session::Running());
  EXPECT_TRUE(fake::LiveChoosers().empty());
  // Interrupted before the first answer: no record.
  fake::SetYesNoAnswer(true);
  fake::Command(kCmdFirstDiscipline);
  EXPECT_FALSE(session::Running());
  EXPECT_EQ(fake::LiveChoosers().size(), 1u);  // Yes: the command goes on
  EXPECT_EQ(fake::ExamReportOpens(), 1);
  EXPECT_FALSE(std::filesystem::exists("data/results.csv"));
  fake::Close(fake::LiveChoosers()[0]);

  // After one answer, the question on screen counts as unanswered, its ticks included.
  ASSERT_TRUE(session::BeginSitting(0, -1, 4, 0));
  Tick(true);
  fake::TypeChar('\r');
  Tick(true);
  fake::Command(kCmdFirstDiscipline);
  const session::Report& report = session::LastReport();
  EXPECT_EQ(report.rows[0].verdict, C(Cp1251("верно")));
  for (int i = 1; i < 4; ++i) EXPECT_EQ(report.rows[i].verdict, C(Cp1251("без ответа")));
  EXPECT_NE(ReadAll("data/results.csv").find(";4;1;1;25,0;1;0;нет;экзамен;25,0;"),
            std::string::npos);
  // Without a sitting the discipline opens at once, as it always did.
  std::size_t boxes = fake::Boxes().size();
  fake::Close(fake::LiveChoosers()[0]);
  fake::Command(kCmdFirstDiscipline);
  EXPECT_EQ(fake::Boxes().size(), boxes);
  EXPECT_EQ(fake::LiveChoosers().size(), 1u);
}

TEST_F(ExamSittingTest, ClosingTheMainWindowAsksAndYesRecordsTheSitting) {
  HWND main = OnScreen2.hWnd;
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 10));
  Tick(true);
  fake::TypeChar('\r');
  fake::SetYesNoAnswer(false);
  fake::Close(main);
  EXPECT_TRUE(main->alive);
  EXPECT_TRUE(session::Running());
  fake::SetYesNoAnswer(true);
  fake::Close(main);
  EXPECT_FALSE(main->alive);
  EXPECT_FALSE(session::Running());
  EXPECT_EQ(fake::ExamReportOpens(), 0);  // the program closes
  EXPECT_NE(ReadAll("data/results.csv").find(";2;1;1;50,0;1;0;нет;экзамен;50,0;"),
            std::string::npos);
}

TEST_F(ExamSittingTest, TheMistakesAreDrilledInTheUsualFlow) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 4, 0));
  std::vector<std::string> wrong;
  for (int i = 0; i < 4; ++i) {
    if (i % 2 == 0) wrong.push_back(Task());
    Tick(i % 2 == 1);
    fake::TypeChar('\r');
  }
  ASSERT_EQ(session::LastReport().mistakes.size(), 2u);
  session::DrillMistakes();
  fake::Pump();
  ASSERT_EQ(Topic_test.Count, 2);
  EXPECT_EQ(Task(), wrong[0]);
  EXPECT_EQ(Title(), "Exameo 2.0");
  // Marks after every answer, as in the drill: the first one wrong again, so a second round.
  Tick(false);
  fake::TypeChar('\r');
  QuestionClass* q = Topic_test.Get(0);
  int marked = 0;
  for (int k = 0; k < kMaxVariants; ++k)
    if (q->Vrnt[k].bExists) marked += Box(k)->font != nullptr ? 1 : 0;
  EXPECT_GT(marked, 0);
  fake::TypeChar('\r');
  EXPECT_EQ(Task(), wrong[1]);
  Answer({});  // nothing ticked: wrong again, and round 1 ends with the statistics box
  EXPECT_EQ(Topic_test.Round, 2);
  int rounds = 2;
  while (!bNobodyHome && rounds < 10) {
    Tick(true);
    fake::TypeChar('\r');
    fake::TypeChar('\r');
    ++rounds;
  }
  EXPECT_EQ(Captions().back(), "Game over");
  std::string csv = ReadAll("data/results.csv");
  EXPECT_NE(csv.find("2026-12-09 14:00;Физика;Все темы;2;2;0;0,0;"), std::string::npos);
  EXPECT_NE(csv.find(";нет;ошибки;;;\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("data/progress"));
}

TEST_F(ExamSittingTest, NothingToDrawChangesNothingAndWithoutASittingTheTimerDoesNothing) {
  WriteBytes("Base\\m.txt", "card\r\n");
  WriteBytes("Base\\o.txt", "");
  StartTopic({"+-", "-+"});
  std::string title = Title();
  EXPECT_FALSE(session::BeginSitting(0, -1, 5, 10));
  EXPECT_FALSE(session::BeginSitting(9, -1, 5, 10));  // no such discipline
  EXPECT_FALSE(session::Running());
  EXPECT_EQ(Topic_test.Count, 2);
  session::Tick();
  EXPECT_EQ(TimerTick(), 0);
  EXPECT_EQ(Title(), title);
  EXPECT_TRUE(MainMayClose());
  EXPECT_TRUE(fake::Boxes().empty());
  // The drill goes on with marks after every answer.
  Answer({0});
  EXPECT_EQ(Topic_test.Current, 1);
}

TEST_F(ExamSittingTest, TheDialogsFirstAndLastValues) {
  // A second discipline of 25 questions in one topic, listed after the first.
  std::string many;
  for (int i = 0; i < 25; ++i) many += "Q" + std::to_string(i) + "\r\n\t+a\r\n";
  WriteBytes("Base\\x.txt", many);
  WriteBytes("Base\\2.txt", Cp1251("Химия\r\n\tОрганика\"x.txt\"\r\n").c_str());
  std::string pattern = "Base\\*.txt";
  Discipline.LoadDisciplines(pattern.data());
  ASSERT_TRUE(Discipline.Disciplines[1].bExists);

  // At first: the first discipline, all topics, min(20, N) questions, as many minutes.
  exam::Choice c = session::InitialChoice();
  EXPECT_EQ(c.discipline, 0);
  EXPECT_EQ(c.topic, -1);
  EXPECT_EQ(c.count, 4);
  EXPECT_EQ(c.minutes, 4);
  EXPECT_EQ(session::AvailableIn(1, -1), 25);
  EXPECT_EQ(session::AvailableIn(0, 1), 1);
  EXPECT_EQ(session::AvailableIn(0, 5), 0);
  WriteBytes("data\\exameo.ini", "[options]\r\nresume=1\r\n");
  OpenDataFolder("data", true);

  // The values used are kept, the options beside them.
  exam::Choice chem{1, 0, 21, 0};
  ASSERT_TRUE(session::StartChoice(chem));
  EXPECT_EQ(Topic_test.Count, 21);
  EXPECT_EQ(ReadAll("data/exameo.ini"),
            C(Cp1251("[options]\r\nresume=1\r\n[exam]\r\ndiscipline=2.txt\r\ntopic=Органика\r\n"
                     "count=21\r\nminutes=0\r\n")));
  fake::SetYesNoAnswer(true);
  fake::Command(kCmdExam);  // asks, then the dialog
  EXPECT_EQ(fake::Boxes().back().text, C(Cp1251("Прервать экзамен?")));
  EXPECT_EQ(fake::ExamDialogOpens(), 1);
  c = session::InitialChoice();
  EXPECT_EQ(c.discipline, 1);
  EXPECT_EQ(c.topic, 0);
  EXPECT_EQ(c.count, 21);
  EXPECT_EQ(c.minutes, 0);

  // Fewer questions now: the count kept within them; a topic that is gone: the first values.
  many.clear();
  for (int i = 0; i < 12; ++i) many += "Q" + std::to_string(i) + "\r\n\t+a\r\n";
  WriteBytes("Base\\x.txt", many);
  c = session::InitialChoice();
  EXPECT_EQ(c.count, 12);
  WriteBytes("Base\\2.txt", Cp1251("Химия\r\n\tНеорганика\"x.txt\"\r\n").c_str());
  c = session::InitialChoice();
  EXPECT_EQ(c.discipline, 1);
  EXPECT_EQ(c.topic, -1);
  EXPECT_EQ(c.count, 12);
  EXPECT_EQ(c.minutes, 12);
  // A discipline that is gone: the first one.
  std::filesystem::remove("Base/2.txt");
  Discipline.LoadDisciplines(pattern.data());
  c = session::InitialChoice();
  EXPECT_EQ(c.discipline, 0);
  EXPECT_EQ(c.count, 4);
  // Without a sitting the command opens the dialog at once.
  std::size_t boxes = fake::Boxes().size();
  fake::Command(kCmdExam);
  EXPECT_EQ(fake::Boxes().size(), boxes);
  EXPECT_EQ(fake::ExamDialogOpens(), 2);
  EXPECT_FALSE(session::StartChoice(exam::Choice{0, -1, 0, 5}));  // no question asked for
}

TEST_F(ExamSittingTest, AChooserLeftOpenAsksBeforeItLoadsAndAStartMessageWaitsForNothing) {
  fake::Command(kCmdFirstDiscipline);
  ASSERT_EQ(fake::LiveChoosers().size(), 1u);
  HWND chooser = fake::LiveChoosers()[0];
  // A start message of a topic loaded before the sitting is left over: it starts nothing.
  quiz::NoteStartPosted();
  ws::PostStart(OnScreen2.hWnd);
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 0));
  fake::Pump();
  EXPECT_TRUE(session::Running());
  EXPECT_EQ(Title(), C(Cp1251("Экзамен: вопрос 1 из 2")));
  fake::SetYesNoAnswer(false);
  fake::Click(ws::FindChild(chooser, 100));
  fake::Click(ws::FindChild(chooser, 200));
  EXPECT_EQ(fake::Boxes().back().text, C(Cp1251("Прервать экзамен?")));
  EXPECT_TRUE(session::Running());
  EXPECT_EQ(Topic_test.Count, 2);  // nothing loaded
  fake::SetYesNoAnswer(true);
  fake::Click(ws::FindChild(chooser, 200));
  EXPECT_FALSE(session::Running());
  fake::Pump();
  EXPECT_EQ(Task(), "M0");  // the chosen topic, from its first question
  EXPECT_EQ(Title(), "Exameo 2.0");
}

}  // namespace

namespace {

std::vector<review::Entry> LogEntries() {
  std::string log = ReadAll("data/reviews.csv");
  review::LogRead read = review::ParseLog(log.data(), log.size());
  EXPECT_EQ(read.skipped, 0);
  return read.entries;
}

std::uint64_t KeyOnScreen() {
  QuestionClass& q = *Topic_test.Get(Topic_test.Current);
  return bank::ContentKey(q, bank::PresentVariants(q));
}

}  // namespace

TEST_F(ExamSittingTest, EachAnswerIsLoggedAsExamAndTheDrillOfMistakesAsMistakes) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 4, 0));
  std::vector<std::uint64_t> keys;
  // Right, wrong, then interrupted: the third question on screen and the fourth are never
  // answered and write nothing.
  keys.push_back(KeyOnScreen());
  Tick(true);
  fake::TypeChar('\r');
  keys.push_back(KeyOnScreen());
  std::string wrongTask = Task();
  Tick(false);
  fake::TypeChar('\r');
  fake::SetYesNoAnswer(true);
  ASSERT_TRUE(session::MayInterrupt(false));
  std::vector<review::Entry> entries = LogEntries();
  ASSERT_EQ(entries.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(entries[i].Key, keys[i]);
    EXPECT_EQ(entries[i].Kind, review::Mode::kExam);
    EXPECT_EQ(entries[i].When, 1000);
    EXPECT_TRUE(entries[i].File == "Base\\m.txt" || entries[i].File == "Base\\o.txt");
  }
  EXPECT_EQ(entries[0].Grade, review::kGradeRight);
  EXPECT_EQ(entries[1].Grade, review::kGradeWrong);
  std::string wrongFile = wrongTask == "O0" ? "Base\\o.txt" : "Base\\m.txt";
  EXPECT_EQ(entries[1].File, wrongFile);

  // The drill of the mistakes: the two not answered and the wrong one; each first OK of a round
  // is logged as "ошибки" under the question's own file, never as "тренировка".
  ASSERT_EQ(session::LastReport().mistakes.size(), 3u);
  session::DrillMistakes();
  fake::Pump();
  ASSERT_EQ(Topic_test.Count, 3);
  std::vector<std::string> tasks;
  while (!bNobodyHome && tasks.size() < 10) {
    tasks.push_back(Task());
    Tick(true);
    fake::TypeChar('\r');
    fake::TypeChar('\r');
  }
  ASSERT_EQ(tasks.size(), 3u);
  entries = LogEntries();
  ASSERT_EQ(entries.size(), 5u);
  for (std::size_t i = 2; i < 5; ++i) {
    EXPECT_EQ(entries[i].Kind, review::Mode::kMistakes);
    EXPECT_EQ(entries[i].Grade, review::kGradeRight);
    std::string file = tasks[i - 2] == "O0" ? "Base\\o.txt" : "Base\\m.txt";
    EXPECT_EQ(entries[i].File, file);
  }
  EXPECT_EQ(entries[2].Key, keys[1]);  // the wrong one comes first, as it was asked
}
