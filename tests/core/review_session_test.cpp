// The review sessions of the menu "Подготовка": the order they choose, the counts the menu shows
// when it opens, and a session assembled from three files answered through to "Game over" with
// its log lines and its record.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../support/review_student.h"
#include "review/fit_job.h"
#include "review/forecast.h"
#include "review/parameters.h"
#include "review/plan.h"
#include "session/session.h"
#include "quiz_support.h"
#include "common/commands.h"
#include "shell/menu.h"
#include "shell/routing.h"
#include "session/session.h"
#include "shell/data.h"

namespace {

using namespace quiztest;
using review::kDay;

// ---- The choice, on a log and a bank made by hand ----

review::KeyState Graded(std::uint64_t key, std::initializer_list<std::pair<int, std::int64_t>> g) {
  review::KeyState s;
  s.Key = key;
  for (auto [grade, when] : g) s.State.Review(grade, when);
  return s;
}

constexpr std::int64_t kSessionNow = 1796810400;  // 2026-12-09T10:00:00Z

TEST(ReviewPlanTest, DueLeastRetrievableFirstMistakesNewestFirstEachQuestionOnceWithinTheLimit) {
  review::Bank bank;
  bank.Topics.push_back({0, "D", "A", "a.txt", {10, 11, 12, 13}});
  bank.Topics.push_back({1, "E", "B", "b.txt", {20, 10, 21}});  // 10 again: asked from a.txt
  // Right once: stability 2.3065, due after 2 days; wrong once: 0.212, due after 1 day.
  std::vector<review::KeyState> states = {
      Graded(10, {{3, kSessionNow - 10 * kDay}}),  // due; t/S 4.3
      Graded(11, {{3, kSessionNow - 1 * kDay}}),   // due tomorrow at this time: not today
      Graded(12, {{1, kSessionNow - 2 * kDay}}),   // due; t/S 9.4; a mistake
      Graded(20, {{3, kSessionNow - 5 * kDay}}),   // due; t/S 2.2
      Graded(21, {{1, kSessionNow - 3 * kDay}}),   // due; t/S 14.2; a mistake, older
  };                                        // 13 never answered
  review::Horizon h = review::FixedHorizon(kSessionNow, kSessionNow + 14 * 3600);

  review::ReviewPlan due = review::PlanReview(states, bank, h, 0.9, review::PlanKind::kDue, 50);
  ASSERT_EQ(due.files, (std::vector<std::string>{"b.txt", "a.txt"}));
  std::vector<std::pair<int, int>> picks;
  for (const bank::Pick& p : due.picks) picks.push_back({p.file, p.place});
  // 21, 12, 10, 20.
  EXPECT_EQ(picks, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {1, 0}, {0, 0}}));

  review::ReviewPlan cut = review::PlanReview(states, bank, h, 0.9, review::PlanKind::kDue, 2);
  ASSERT_EQ(cut.picks.size(), 2u);
  EXPECT_EQ(cut.files, (std::vector<std::string>{"b.txt", "a.txt"}));

  review::ReviewPlan mistakes =
      review::PlanReview(states, bank, h, 0.9, review::PlanKind::kMistakes, 50);
  ASSERT_EQ(mistakes.files, (std::vector<std::string>{"a.txt", "b.txt"}));
  picks.clear();
  for (const bank::Pick& p : mistakes.picks) picks.push_back({p.file, p.place});
  EXPECT_EQ(picks, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}}));  // 12 then 21

  // At a retention of 0.8 one right answer waits 8 days: 10 (10 days ago) is due still, 20 (5
  // days ago) is not.
  review::ReviewPlan later = review::PlanReview(states, bank, h, 0.8, review::PlanKind::kDue, 50);
  picks.clear();
  for (const bank::Pick& p : later.picks) picks.push_back({p.file, p.place});
  int a = later.files[0] == "a.txt" ? 0 : 1;
  EXPECT_NE(std::find(picks.begin(), picks.end(), std::make_pair(a, 0)), picks.end());
  EXPECT_EQ(std::find(picks.begin(), picks.end(), std::make_pair(1 - a, 0)), picks.end());
  // A mistake answered right since is no mistake any more.
  states[2] = Graded(12, {{1, kSessionNow - 2 * kDay}, {3, kSessionNow - kDay}});
  EXPECT_EQ(review::PlanReview(states, bank, h, 0.9, review::PlanKind::kMistakes, 50).picks.size(),
            1u);
  EXPECT_TRUE(review::PlanReview(states, bank, h, 0.9, review::PlanKind::kDue, 0).picks.empty());
}

// ---- The sessions in the running program ----

std::int64_t gNow = kSessionNow;
std::int64_t FakeNow() {
  return gNow;
}
std::int64_t FakeMs() {
  return 5000;
}
void FakeStamp(std::int64_t, char out[17]) {
  std::memcpy(out, "2026-12-09 12:00", 17);
}

class ReviewSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    records::NowSeconds = FakeNow;
    records::LocalStamp = FakeStamp;
    records::NowMs = FakeMs;
    gNow = kSessionNow;
    session::ResetExam();
    std::filesystem::create_directory("data");
    // Shuffling the questions is for a topic's drill: a session keeps its order.
    WriteBytes("data\\exameo.ini",
               "[options]\r\nshuffle_questions=1\r\n[review]\r\nreview_limit=4\r\n");
    ResetProgram();
    OpenDataFolder("data", true);
    session::P().rng.state = 5;
    bar_ = BuildMenuBar();
    // Two disciplines, three files; every question has one right variant of two.
    WriteBytes("Base\\1.txt",
               Cp1251("Физика\r\n\tМеханика\"m.txt\"\r\n\tОптика\"o.txt\"\r\n").c_str());
    WriteBytes("Base\\2.txt", Cp1251("Химия\r\n\tСоли\"c.txt\"\r\n").c_str());
    WriteBytes("Base\\m.txt", "M0\r\n\t+a\r\n\t-b\r\nM1\r\n\t+a\r\n\t-b\r\nM2\r\n\t-a\r\n\t+b\r\n");
    WriteBytes("Base\\o.txt", "O0\r\n\t-a\r\n\t+b\r\nO1\r\n\t+a\r\n\t-b\r\n");
    WriteBytes("Base\\c.txt", "C0\r\n\t+a\r\n\t-b\r\nC1\r\n\t-a\r\n\t+b\r\n");
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
  }
  void TearDown() override {
    session::ResetExam();
    OpenDataFolder("", false);
    Topic_test.UnloadQuestions();
    fake::SetYesNoAnswer(true);
  }

  // Appends gradings to the log: question `place` of `file`, graded at `when`.
  void Log(const char* file, int place, int grade, std::int64_t when) {
    if (bank_.Topics.empty()) bank_ = session::ReviewCounts().bank;
    for (const review::BankTopic& t : bank_.Topics) {
      if (t.File != file) continue;
      log_ += review::LogLine(when, file, t.Keys[static_cast<std::size_t>(place)], grade,
                              review::Mode::kTopic);
      WriteBytes("data\\reviews.csv", review::LogHeader() + log_);
      return;
    }
    ADD_FAILURE() << "no file " << file;
  }

  // The log of the tests below, at 10:00 UTC; the due ones, least retrievable first:
  // O1 (t/S 14.2), M2 (9.4), M0 (4.3), C0 (2.2), O0 (1.3), C1 (0.9); M1 is due tomorrow.
  void WriteLog() {
    Log("Base\\m.txt", 0, 3, kSessionNow - 10 * kDay);
    Log("Base\\m.txt", 1, 3, kSessionNow - 1 * kDay);
    Log("Base\\m.txt", 2, 1, kSessionNow - 2 * kDay);
    Log("Base\\o.txt", 0, 3, kSessionNow - 3 * kDay);
    Log("Base\\o.txt", 1, 1, kSessionNow - 3 * kDay);
    Log("Base\\c.txt", 0, 3, kSessionNow - 5 * kDay);
    Log("Base\\c.txt", 1, 3, kSessionNow - 2 * kDay);
  }

  std::string Task() { return Topic_test.Get(Topic_test.Current)->Task; }
  void AnswerOnScreen(bool right) {
    QuestionClass* q = Topic_test.Get(Topic_test.Current);
    for (int k = 0; k < kMaxVariants; ++k)
      if (q->Vrnt[k].bExists && q->Vrnt[k].bCorrect == right) fake::TypeChar(KeyOf(k));
    fake::TypeChar('\r');
    fake::TypeChar('\r');
  }
  std::string ItemText(unsigned id) {
    const FakeMenuItem* item = fake::FindMenuItem(bar_, id);
    return item != nullptr ? item->text : "";
  }
  bool ItemEnabled(unsigned id) {
    const FakeMenuItem* item = fake::FindMenuItem(bar_, id);
    return item != nullptr && item->enabled;
  }
  std::vector<review::Entry> Entries() {
    std::string log = ReadAll("data/reviews.csv");
    return review::ParseLog(log.data(), log.size()).entries;
  }

  HMENU bar_ = nullptr;
  review::Bank bank_;
  std::string log_;
  ScratchDir dir_;
};

TEST_F(ReviewSessionTest, TheMenuCountsWhenItOpensAndTheDueSessionRunsToGameOver) {
  // Nothing logged: both items read 0 and are greyed; choosing one does nothing.
  fake::OpenMenu(PreparationMenu);
  EXPECT_EQ(ItemText(kCmdReviewDue), Cp(Cp1251("Повторение на сегодня (0)")));
  EXPECT_FALSE(ItemEnabled(kCmdReviewDue));
  EXPECT_FALSE(ItemEnabled(kCmdReviewMistakes));
  EXPECT_FALSE(fake::ChooseMenuItem(bar_, kCmdReviewDue));

  WriteLog();
  // Counted when the menu opens, not before.
  EXPECT_EQ(ItemText(kCmdReviewDue), Cp(Cp1251("Повторение на сегодня (0)")));
  fake::OpenMenu(PreparationMenu);
  EXPECT_EQ(ItemText(kCmdReviewDue), Cp(Cp1251("Повторение на сегодня (6)")));
  EXPECT_EQ(ItemText(kCmdReviewMistakes), Cp(Cp1251("Работа над ошибками (2)")));
  EXPECT_TRUE(ItemEnabled(kCmdReviewDue));
  EXPECT_TRUE(ItemEnabled(kCmdReviewMistakes));

  ASSERT_TRUE(fake::ChooseMenuItem(bar_, kCmdReviewDue));
  fake::Pump();
  // At most review_limit = 4, from three files, in their order despite the shuffling option.
  ASSERT_EQ(Topic_test.Count, 4);
  std::vector<std::string> asked;
  for (int i = 0; i < 4; ++i) {
    asked.push_back(Task());
    AnswerOnScreen(i != 0);  // O1 wrong: a second round asks it again
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"O1", "M2", "M0", "C0"}));
  EXPECT_EQ(Topic_test.Round, 2);
  EXPECT_EQ(Task(), "O1");
  AnswerOnScreen(true);
  EXPECT_TRUE(bNobodyHome);
  EXPECT_EQ(fake::Boxes().back().caption, "Game over");

  std::vector<review::Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 12u);
  const char* files[] = {"Base\\o.txt", "Base\\m.txt", "Base\\m.txt", "Base\\c.txt", "Base\\o.txt"};
  int grades[] = {1, 3, 3, 3, 3};
  for (int i = 0; i < 5; ++i) {
    const review::Entry& e = entries[7 + static_cast<std::size_t>(i)];
    EXPECT_EQ(e.Kind, review::Mode::kReview) << i;
    EXPECT_EQ(e.File, files[i]) << i;
    EXPECT_EQ(e.Grade, grades[i]) << i;
    EXPECT_EQ(e.When, kSessionNow) << i;
  }
  EXPECT_EQ(entries[7].Key, entries[4].Key);  // O1
  EXPECT_EQ(ReadAll("data/results.csv"),
            records::ResultsHeader() +
                "2026-12-09 12:00;Все дисциплины;Повторение;4;4;3;75,0;2;0;нет;повторение;;;\r\n");
  EXPECT_FALSE(std::filesystem::exists("data/progress"));
  // Read back for the results window with its mode.
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Mode, records::Kind::kReview);

  // Answered: O1 is now right, so one mistake is left (M2 is right too); O0 and C1 are still due.
  fake::OpenMenu(PreparationMenu);
  EXPECT_EQ(ItemText(kCmdReviewDue), Cp(Cp1251("Повторение на сегодня (2)")));
  EXPECT_EQ(ItemText(kCmdReviewMistakes), Cp(Cp1251("Работа над ошибками (0)")));
  EXPECT_FALSE(ItemEnabled(kCmdReviewMistakes));
}

TEST_F(ReviewSessionTest, TheMistakesNewestFirstAndASittingAsksBeforeEither) {
  WriteLog();
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 0));
  fake::SetYesNoAnswer(false);
  ASSERT_TRUE(fake::ChooseMenuItem(bar_, kCmdReviewMistakes));
  fake::Pump();
  EXPECT_TRUE(session::Running());  // No: the sitting goes on
  EXPECT_EQ(fake::Boxes().back().text, Cp(Cp1251("Прервать экзамен?")));
  fake::SetYesNoAnswer(true);
  ASSERT_TRUE(fake::ChooseMenuItem(bar_, kCmdReviewMistakes));
  fake::Pump();
  EXPECT_FALSE(session::Running());
  ASSERT_EQ(Topic_test.Count, 2);
  EXPECT_EQ(Task(), "M2");  // two days ago, O1 three
  AnswerOnScreen(true);
  EXPECT_EQ(Task(), "O1");
  AnswerOnScreen(true);
  EXPECT_TRUE(bNobodyHome);
  std::vector<review::Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 9u);  // the sitting answered nothing
  EXPECT_EQ(entries[7].Kind, review::Mode::kMistakes);
  EXPECT_EQ(entries[7].File, "Base\\m.txt");
  EXPECT_EQ(entries[8].Kind, review::Mode::kMistakes);
  EXPECT_EQ(entries[8].File, "Base\\o.txt");
  std::string results = ReadAll("data/results.csv");
  // The sitting ended before its first answer: no record of it. The results file is UTF-8.
  EXPECT_EQ(results, records::ResultsHeader() +
                         "2026-12-09 12:00;Все дисциплины;Работа над ошибками;2;2;2;100,0;1;0;"
                         "нет;ошибки;;;\r\n");
}

// A card without variants is no review question: its answer is not logged, an old line of it
// is not counted, and the menu's count is the session's length.
TEST_F(ReviewSessionTest, ACardWithoutVariantsIsNeitherLoggedNorCountedNorAsked) {
  WriteBytes("Base\\3.txt", Cp1251("Карточки\r\n\tКарточки\"k.txt\"\r\n").c_str());
  WriteBytes("Base\\k.txt", "K0\r\nK1\r\n\t+a\r\n\t-b\r\n");
  Discipline.UnloadTopics();
  std::string pattern = "Base\\*.txt";
  Discipline.LoadDisciplines(pattern.data());
  // Drilled: K0 shows no check box and is graded by OK alone; only K1 reaches the log.
  OpenDiscipline(2);
  fake::Pump();
  ASSERT_FALSE(fake::LiveChoosers().empty());
  HWND chooser = fake::LiveChoosers().back();
  fake::Click(ws::FindChild(chooser, static_cast<int>(kCmdFirstTopic)));
  fake::Click(ws::FindChild(chooser, static_cast<int>(kCmdChooserOk)));
  fake::Pump();
  for (int i = 0; i < 2; ++i) AnswerOnScreen(true);  // in the order shuffled
  ASSERT_TRUE(bNobodyHome);
  std::vector<review::Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  // A log of an older version that holds K0 anyway: both due, only K1 counted and asked.
  Log("Base\\k.txt", 0, 3, kSessionNow - 10 * kDay);
  Log("Base\\k.txt", 1, 3, kSessionNow - 10 * kDay);
  fake::OpenMenu(PreparationMenu);
  EXPECT_EQ(ItemText(kCmdReviewDue), Cp(Cp1251("Повторение на сегодня (1)")));
  ASSERT_TRUE(fake::ChooseMenuItem(bar_, kCmdReviewDue));
  fake::Pump();
  ASSERT_EQ(Topic_test.Count, 1);
  EXPECT_EQ(Task(), "K1");
}

// exameo.ini's parameters of the memory model: a value that cannot be used is said once and the
// defaults counted with; fitted ones are used by the counts.
TEST_F(ReviewSessionTest, TheParametersOfExameoIniAreUsedOrIgnoredWithOneWarning) {
  WriteLog();
  session::ReviewOverview defaults = session::ReviewCounts();
  WriteBytes("data\\exameo.ini", "[review]\r\nparameters=1,2,3\r\n");
  OpenDataFolder("data", true);
  EXPECT_FALSE(session::P().paramsFitted);
  session::WarnIgnoredParameters();
  session::WarnIgnoredParameters();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_EQ(fake::Boxes()[0].caption, Cp(Cp1251("Параметры")));
  EXPECT_EQ(session::ReviewCounts().counts.DueToday, defaults.counts.DueToday);

  // A slow forgetter's parameters (every first stability 50 days): nothing is due today.
  review::Parameters slow = review::kDefaultParameters;
  for (int i = 0; i < 4; ++i) slow.w[i] = 50;
  WriteBytes("data\\exameo.ini", review::IniWithParameters("", slow));
  OpenDataFolder("data", true);
  EXPECT_TRUE(session::P().paramsFitted);
  EXPECT_GT(defaults.counts.DueToday, 0);
  EXPECT_EQ(session::ReviewCounts().counts.DueToday, 0);
}

// The exam dialog's forecast: none without answers of the choice, and over a topic the mean of
// the answered question's recall now and the first-answer share for the one never answered.
TEST_F(ReviewSessionTest, TheForecastLineOfTheExamDialog) {
  EXPECT_EQ(session::ForecastLine(1, -1), Cp(Cp1251("Прогноз: нет данных")));
  Log("Base\\c.txt", 0, 3, kSessionNow);  // C0 right just now: recalled for sure
  // C1 never answered: (1 right + 1) / (1 first + 2) = 2/3; the mean 5/6 is 83 %, "хорошо".
  EXPECT_EQ(session::ForecastLine(1, 0), Cp(Cp1251("Прогноз: 83 % (хорошо)")));
  EXPECT_EQ(session::ForecastLine(1, -1), Cp(Cp1251("Прогноз: 83 % (хорошо)")));
  EXPECT_EQ(session::ForecastPercent(1, 0), 83);
  // Физика: none of its questions answered.
  EXPECT_EQ(session::ForecastLine(0, -1), Cp(Cp1251("Прогноз: нет данных")));
  EXPECT_EQ(session::ForecastPercent(0, 1), -1);
}

// The knowledge window's view: a forecast per topic and per discipline, and the line that
// compares the exams' forecasts with their results (exams without one, and drills, left out).
TEST_F(ReviewSessionTest, TheKnowledgeViewForecastsAndComparesWithTheExams) {
  Log("Base\\c.txt", 0, 3, kSessionNow);
  std::string head = records::ResultsHeader();
  WriteBytes("data\\results.csv",
             head + "2026-12-01 10:00;D;T;4;4;3;75,0;1;60;нет;экзамен;75,0;хорошо;70\r\n" +
                 "2026-12-02 10:00;D;T;4;4;2;50,0;1;60;нет;экзамен;50,0;удовлетворительно;81\r\n" +
                 "2026-12-03 10:00;D;T;4;4;4;100,0;1;60;нет;экзамен;100,0;отлично;\r\n" +
                 "2026-12-04 10:00;D;T;4;4;1;25,0;1;60;нет;тренировка;;;\r\n");
  review::Bank bank;
  review::Counts counts;
  review::BankForecast forecast;
  std::string calibration;
  session::ReadKnowledge({&bank, &counts, &forecast, &calibration});
  EXPECT_EQ(calibration, Cp(Cp1251("Прогноз и результат по 2 экзаменам: 76 % и 63 %")));
  ASSERT_EQ(forecast.topics.size(), bank.Topics.size());
  ASSERT_EQ(forecast.disciplines.size(), 2u);
  EXPECT_FALSE(forecast.disciplines[0].forecast.share);  // Физика: nothing answered
  ASSERT_TRUE(forecast.disciplines[1].forecast.share);
  EXPECT_NEAR(*forecast.disciplines[1].forecast.share, 5.0 / 6, 1e-9);
  EXPECT_EQ(counts.Rows.size(), bank.Topics.size());
}

// A sitting given up by a fresh start of the exam's state leaves the flow its marks: the next
// topic is drilled, not taken as a sitting's answers.
TEST_F(ReviewSessionTest, AGivenUpSittingLeavesTheFlowItsMarks) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 0));
  EXPECT_FALSE(session::ShowsMarks());
  session::ResetExam();
  EXPECT_TRUE(session::ShowsMarks());
}

// The knowledge window's fit through what the menu hands it. Faults caught: the cards without
// variants counted, better parameters not saved (or other lines of exameo.ini lost) or not used
// (the menu counting with the old ones), parameters no better kept, a folder that cannot be
// written said to hold them.
TEST_F(ReviewSessionTest, TheWindowsFitKeepsOnlyBetterParametersSavesThemAndCountsWithThem) {
  // A student who forgets within days, on the bank's seven questions, and a card without
  // variants answered every day.
  WriteBytes("Base\\c.txt", "C0\r\n\t+a\r\n\t-b\r\nC1\r\n\t-a\r\n\t+b\r\nCard\r\n");
  bank_ = session::ReviewCounts().bank;
  std::vector<std::pair<std::string, std::uint64_t>> questions;
  std::uint64_t card = 0;
  for (const review::BankTopic& t : bank_.Topics)
    for (std::size_t q = 0; q < t.Keys.size(); ++q)
      if (t.HasVariants(q))
        questions.push_back({t.File, t.Keys[q]});
      else
        card = t.Keys[q];
  ASSERT_EQ(questions.size(), 7u);
  testsupport::Studied s = testsupport::Study(testsupport::FastForgetter(), 7, 7, 500, 3);
  std::string log = review::LogHeader();
  std::vector<review::Entry> entries;
  for (review::Entry e : s.entries) {
    const auto& [file, key] = questions[static_cast<std::size_t>(e.Key - 1)];
    e.Key = key;
    entries.push_back(e);
    log += review::LogLine(e.When, file.c_str(), key, e.Grade, review::Mode::kTopic) +
           review::LogLine(e.When, "Base\\c.txt", card, 3, review::Mode::kTopic);
  }
  WriteBytes("data\\reviews.csv", log);
  gNow = s.end + kDay;

  ASSERT_TRUE(fake::ChooseMenuItem(bar_, kCmdKnowledge));
  const ws::KnowledgeCalls calls = fake::KnowledgeWindowCalls();
  int reviews = 0;
  calls.read({nullptr, nullptr, nullptr, nullptr, &reviews});
  EXPECT_EQ(reviews, review::PrepareFit(entries).reviews);
  review::FitJob job;
  ASSERT_TRUE(calls.startFit(job, nullptr, nullptr));
  review::FitOutcome better = review::CollectFit(job);
  ASSERT_TRUE(better.keep);
  char line[200];
  std::snprintf(line, sizeof line, "%.3f, %s %.3f. ", better.before, Cp(Cp1251("стала")).c_str(),
                better.after);
  for (char* c = line; *c != '\0'; ++c) *c = *c == '.' && c[1] != ' ' ? ',' : *c;
  EXPECT_NE(calls.fitEnded(better).find(line + Cp(Cp1251("Новые параметры сохранены."))),
            std::string::npos);
  std::string ini = ReadAll("data/exameo.ini");
  EXPECT_NE(ini.find("shuffle_questions=1\r\n"), std::string::npos);
  EXPECT_EQ(review::ReadParameters(ini).params.w[0], better.fitted.w[0]);
  EXPECT_EQ(session::P().params.w[0], better.fitted.w[0]);
  auto due = [&](const review::Parameters& p) {
    return review::Count(review::Replay(entries, p), bank_, review::LocalHorizon(gNow), 0.9, p)
        .DueToday;
  };
  ASSERT_NE(due(better.fitted), due(review::kDefaultParameters));
  fake::OpenMenu(PreparationMenu);
  EXPECT_EQ(ItemText(kCmdReviewDue),
            Cp(Cp1251("Повторение на сегодня (")) + std::to_string(due(better.fitted)) + ")");

  // Again, against the parameters it found: no better, nothing written.
  ASSERT_TRUE(calls.startFit(job, nullptr, nullptr));
  EXPECT_NE(calls.fitEnded(review::CollectFit(job)).find(Cp(Cp1251("Оставлены прежние"))),
            std::string::npos);
  EXPECT_EQ(ReadAll("data/exameo.ini"), ini);

  // A folder that cannot be written: used, and said to be, until the program ends.
  WriteBytes("data\\exameo.ini", "");
  OpenDataFolder("data", false);
  ASSERT_TRUE(calls.startFit(job, nullptr, nullptr));
  EXPECT_NE(calls.fitEnded(review::CollectFit(job)).find(Cp(Cp1251("действуют до выхода"))),
            std::string::npos);
  EXPECT_EQ(ReadAll("data/exameo.ini"), "");
  EXPECT_EQ(session::P().params.w[0], better.fitted.w[0]);
}

TEST_F(ReviewSessionTest, TheKnowledgeWindowOpensOverTheMainWindowEvenDuringASitting) {
  ASSERT_TRUE(session::BeginSitting(0, -1, 2, 0));
  fake::SetYesNoAnswer(false);
  ASSERT_TRUE(fake::ChooseMenuItem(bar_, kCmdKnowledge));
  EXPECT_EQ(fake::KnowledgeWindowOpens(), 1);
  EXPECT_EQ(fake::KnowledgeWindowOwner(), OnScreen2.hWnd);
  EXPECT_TRUE(session::Running());  // it loads nothing: no question whether to interrupt
  EXPECT_TRUE(fake::Boxes().empty());
  // Only the menu opens it, not a control whose identifier wraps onto it.
  RouteCommand(kCmdKnowledge, OnScreen2.hWnd);
  EXPECT_EQ(fake::KnowledgeWindowOpens(), 1);
}

}  // namespace
