// The study features in the running program: the options menu, shuffling, resuming and the
// results record, through the chooser and the keys as the user works.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "quiz_support.h"
#include "common/commands.h"
#include "shell/menu.h"
#include "records/progress.h"
#include "session/session.h"
#include "shell/data.h"
#include "support/held_file.h"
#include "fake/fake_pictures.h"

namespace {

using namespace quiztest;

std::int64_t gNow = 0;
std::int64_t FakeNow() {
  return gNow;
}
void FakeStamp(std::int64_t, char out[17]) {
  std::memcpy(out, "2026-12-08 10:30", 17);
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The one progress file in data/progress, or "" when there is none.
std::filesystem::path ProgressFile() {
  if (!std::filesystem::exists("data/progress")) return {};
  for (const auto& entry : std::filesystem::directory_iterator("data/progress"))
    return entry.path();
  return {};
}

// The texts of the warnings the study data gave (the boxes captioned "Параметры").
std::vector<std::string> Warnings() {
  std::vector<std::string> texts;
  for (const fake::Box& box : fake::Boxes())
    if (box.caption == Cp(Cp1251("Параметры"))) texts.push_back(box.text);
  return texts;
}

bool Has(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

class StudyFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    records::NowSeconds = FakeNow;
    records::LocalStamp = FakeStamp;
    gNow = 1000;
    std::filesystem::create_directory("data");
    Restart();
  }
  void TearDown() override {
    OpenDataFolder("", false);
    Topic_test.UnloadQuestions();
    fake::SetBoxHook(nullptr);
  }

  // A new run of the program: a fresh window system and catalogue, the data folder read again.
  void Restart(const char* folder = "data", bool writable = true) {
    ResetProgram();
    OpenDataFolder(folder, writable);
    session::P().rng.state = 7;
    bar_ = BuildMenuBar();
    WriteBytes("Base\\1.txt", Cp1251("Дисциплина\r\n\tТема\"t.txt\"\r\n").c_str());
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
  }

  // Chooses the topic through the menu and the chooser, and delivers the start.
  void Choose() {
    fake::Command(20);
    HWND chooser = fake::LiveChoosers().back();
    fake::Click(ws::FindChild(chooser, 100));
    fake::Click(ws::FindChild(chooser, 200));
    fake::Pump();
  }

  // Answers the question on the board right (by its marks as displayed) or wrong.
  void AnswerCurrent(bool right) {
    QuestionClass* q = Topic_test.Get(Topic_test.Current);
    for (int k = 0; k < kMaxVariants; ++k)
      if (q->Vrnt[k].bExists && (q->Vrnt[k].bCorrect == right)) fake::TypeChar(KeyOf(k));
    fake::TypeChar('\r');
    fake::TypeChar('\r');
  }

  std::string CurrentTask() { return Topic_test.Get(Topic_test.Current)->Task; }

  const FakeMenuItem* Item(unsigned id) {
    for (const FakeMenuItem& popup : bar_->items)
      for (const FakeMenuItem& item : popup.submenu->items)
        if (!item.separator && item.id == id) return &item;
    return nullptr;
  }

  std::vector<std::string> Captions() {
    std::vector<std::string> captions;
    for (const fake::Box& box : fake::Boxes()) captions.push_back(box.caption);
    return captions;
  }

  HMENU bar_ = nullptr;
  ScratchDir dir_;
};

TEST_F(StudyFlowTest, MenuHasTheOptionsTicksThemAndKeepsThemAcrossARestart) {
  ASSERT_EQ(bar_->items.size(), 4u);
  EXPECT_EQ(bar_->items[0].text, Cp(Cp1251("Дисциплины")));
  EXPECT_EQ(bar_->items[1].text, Cp(Cp1251("Подготовка")));
  EXPECT_EQ(bar_->items[2].text, Cp(Cp1251("Параметры")));
  EXPECT_EQ(bar_->items[3].text, Cp(Cp1251("Помощь")));
  HMENU options = bar_->items[2].submenu;
  ASSERT_EQ(options->items.size(), 3u);
  EXPECT_EQ(options->items[0].text, Cp(Cp1251("Перемешивать вопросы")));
  EXPECT_EQ(options->items[1].text, Cp(Cp1251("Перемешивать варианты ответов")));
  EXPECT_EQ(options->items[2].text, Cp(Cp1251("Продолжать с места остановки")));
  // "Результаты..." moved to "Подготовка", below the exam and a separator.
  HMENU preparation = bar_->items[1].submenu;
  ASSERT_EQ(preparation->items.size(), 6u);
  EXPECT_EQ(preparation->items[0].text, Cp(Cp1251("Экзамен...")));
  EXPECT_EQ(preparation->items[0].id, 504u);
  EXPECT_EQ(preparation->items[1].text, Cp(Cp1251("Повторение на сегодня (0)")));
  EXPECT_EQ(preparation->items[1].id, 505u);
  EXPECT_EQ(preparation->items[2].text, Cp(Cp1251("Работа над ошибками (0)")));
  EXPECT_EQ(preparation->items[2].id, 506u);
  EXPECT_EQ(preparation->items[3].text, Cp(Cp1251("Знания по темам...")));
  EXPECT_EQ(preparation->items[3].id, 507u);
  EXPECT_TRUE(preparation->items[4].separator);
  EXPECT_EQ(preparation->items[5].text, Cp(Cp1251("Результаты...")));
  EXPECT_EQ(preparation->items[5].id, 503u);
  for (unsigned id : {500u, 501u, 502u}) EXPECT_FALSE(Item(id)->ticked) << id;
  ASSERT_NE(Item(503), nullptr);
  EXPECT_FALSE(Item(503)->ticked);
  EXPECT_FALSE(std::filesystem::exists("data/exameo.ini"));  // nothing written until a change

  fake::Command(500);
  fake::Command(502);
  EXPECT_TRUE(Item(500)->ticked);
  EXPECT_FALSE(Item(501)->ticked);
  EXPECT_TRUE(Item(502)->ticked);
  EXPECT_EQ(FileText("data/exameo.ini"),
            "[options]\r\nshuffle_questions=1\r\nshuffle_answers=0\r\nresume=1\r\n");
  fake::Command(500);  // off again
  EXPECT_FALSE(Item(500)->ticked);

  Restart();
  EXPECT_FALSE(session::Current().shuffleQuestions);
  EXPECT_TRUE(session::Current().resume);
  EXPECT_TRUE(Item(502)->ticked);  // the new bar shows it
  EXPECT_FALSE(Item(500)->ticked);

  fake::Command(503);
  EXPECT_EQ(fake::ResultsWindowOpens(), 1);
  EXPECT_EQ(fake::ResultsWindowOwner(), OnScreen2.hWnd);
}

TEST_F(StudyFlowTest, OnlyTheMenuGivesItsCommands) {
  // A key's high word, a control's click with the same low word, a wrapped check box
  // identifier: none of them is a menu item.
  EXPECT_EQ(RouteCommand(500 | 1u << 16), -1);
  HWND box = ws::CreateButton(OnScreen2.hWnd, "x", ws::kStyleChild | ws::kStyleAutoCheckBox, 0, 0,
                              10, 10, 500 + 65536, nullptr);
  EXPECT_TRUE(fake::Click(box));
  EXPECT_EQ(RouteCommand(503, box), -1);
  EXPECT_EQ(session::Current(), records::Options());
  EXPECT_EQ(fake::ResultsWindowOpens(), 0);
  // While a flow box is up the menu's commands are dropped like every other.
  quiz::bFlowBusy = true;
  fake::Command(501);
  quiz::bFlowBusy = false;
  EXPECT_FALSE(session::Current().shuffleAnswers);
  fake::Command(501);
  EXPECT_TRUE(session::Current().shuffleAnswers);
}

TEST_F(StudyFlowTest, AllOptionsOffKeepTheFileOrderAndRecordTheResult) {
  WriteBytes("Base\\t.txt", QuestionFile({"+-", "-+", "+"}));
  gNow = 1000;
  Choose();
  EXPECT_EQ(CurrentTask(), "Q0");
  AnswerCurrent(true);
  EXPECT_EQ(CurrentTask(), "Q1");
  EXPECT_EQ(FileText(NativePath("t.txt")), "");  // no such file: nothing touched beside it
  AnswerCurrent(false);
  AnswerCurrent(true);  // round 1 ends: 2 of 3
  EXPECT_EQ(CurrentTask(), "Q1");
  gNow = 1075;
  std::size_t recordsDuringBox = 99;
  fake::SetBoxHook([&](const fake::Box& box) {
    if (box.caption == "Game over") recordsDuringBox = session::ReadResults().size();
  });
  AnswerCurrent(true);  // round 2 ends the quiz
  fake::SetBoxHook(nullptr);
  EXPECT_EQ(Captions().back(), "Game over");
  EXPECT_EQ(recordsDuringBox, 1u);  // written before the box: closing it loses nothing
  EXPECT_EQ(FileText("data/results.csv"),
            "\xEF\xBB\xBF"
            "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;"
            "Кругов;Длительность, с;Продолжено;Режим;Частичный зачёт, %;Оценка;Прогноз, %\r\n"
            "2026-12-08 10:30;Дисциплина;Тема;3;3;2;66,7;2;75;нет;тренировка;;;\r\n");
  EXPECT_FALSE(std::filesystem::exists("data/progress"));
  EXPECT_FALSE(std::filesystem::exists("data/exameo.ini"));

  // A second quiz appends one line; a torn last line is closed off first.
  std::ofstream("data/results.csv", std::ios::app | std::ios::binary) << "2026-12-08 10:31;D";
  Choose();
  for (int i = 0; i < 3; ++i) AnswerCurrent(true);
  std::string csv = FileText("data/results.csv");
  EXPECT_NE(
      csv.find("10:31;D\r\n2026-12-08 10:30;Дисциплина;Тема;3;3;3;100,0;1;0;нет;тренировка;;;\r\n"),
      std::string::npos);
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].PercentTenths, 1000);
  EXPECT_EQ(records[1].PercentTenths, 667);
}

TEST_F(StudyFlowTest, ShuffledTopicIsAskedInTheDisplayedOrderAndGradedByItsMarks) {
  // Distinct patterns: each variant's text tells its place in the file, so its mark is known.
  const std::vector<std::string> patterns = {"+-", "-+-", "+",   "--+",  "++",
                                             "-+", "+--", "-++", "+-+-", "---+"};
  WriteBytes("Base\\t.txt", QuestionFile(patterns));
  fake::Command(500);
  fake::Command(501);
  Choose();

  std::set<std::string> seen;
  bool questionMoved = false, variantMoved = false;
  for (int i = 0; i < Topic_test.Count; ++i) {
    QuestionClass* q = Topic_test.Get(i);
    EXPECT_EQ(q->Id, i);
    seen.insert(q->Task);
    questionMoved |= q->Task != "Q" + std::to_string(i);
  }
  EXPECT_EQ(seen.size(), patterns.size());
  EXPECT_TRUE(questionMoved);

  // Every question answered by its file marks, found through the texts on the check boxes and
  // ticked with the keys of their displayed places: all right in round 1.
  for (std::size_t asked = 0; asked < patterns.size(); ++asked) {
    const std::string& pattern = patterns[std::stoi(CurrentTask().substr(1))];
    std::vector<int> right;
    for (std::size_t k = 0; k < pattern.size(); ++k) {
      HWND box = Box(static_cast<int>(k));
      ASSERT_NE(box, nullptr);
      int original = std::stoi(box->text.substr(1));  // "v<n>"
      variantMoved |= original != static_cast<int>(k);
      if (pattern[original] == '+') right.push_back(static_cast<int>(k));
    }
    EXPECT_EQ(Box(static_cast<int>(pattern.size())), nullptr);
    for (int k : right) fake::TypeChar(KeyOf(k));
    fake::TypeChar('\r');
    for (int k : right) EXPECT_EQ(Box(k)->font, OnScreen2.hFontRight);
    EXPECT_TRUE(Topic_test.Get(Topic_test.Current)->bSolved) << CurrentTask();
    fake::TypeChar('\r');
  }
  EXPECT_TRUE(variantMoved);
  EXPECT_EQ(Captions().back(), "Game over");
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Asked, 10);
  EXPECT_EQ(records[0].Right, 10);
}

TEST_F(StudyFlowTest, TheSameSeedGivesTheSameOrder) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+", "+", "+", "+", "+", "+", "+"}));
  fake::Command(500);
  auto order = [&](std::uint64_t seed) {
    session::P().rng.state = seed;
    Choose();
    std::string tasks;
    for (int i = 0; i < Topic_test.Count; ++i) tasks += Topic_test.Get(i)->Task;
    return tasks;
  };
  std::string first = order(11);
  EXPECT_EQ(order(11), first);
  EXPECT_NE(order(12), first);
}

TEST_F(StudyFlowTest, ResumeAcrossARestartAsksOnlyTheRest) {
  WriteBytes("Base\\t.txt", QuestionFile({"+-", "-+", "+", "-+"}));
  fake::Command(502);
  Choose();
  EXPECT_EQ(fake::Boxes().size(), 0u);  // nothing remembered yet: no question
  AnswerCurrent(true);                  // Q0
  AnswerCurrent(false);                 // Q1
  AnswerCurrent(true);                  // Q2
  std::filesystem::path file = ProgressFile();
  ASSERT_FALSE(file.empty());
  std::string full = files::FullPath("Base\\t.txt");
  EXPECT_EQ(file.filename().string(), records::ProgressFileName(full.c_str()));
  std::string text = FileText(file);
  EXPECT_EQ(text.substr(0, full.size() + 2), full + "\r\n");
  EXPECT_EQ(text.size(), full.size() + 2 + 2 * 18);  // two solved lines

  Restart();  // the program closed after the third answer
  gNow = 2000;
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  const fake::Box& box = fake::Boxes()[0];
  EXPECT_EQ(box.style, ws::kBoxYesNo | ws::kBoxQuestion);
  EXPECT_EQ(box.caption, Cp(Cp1251("Продолжить с места остановки")));
  EXPECT_EQ(box.text, Cp(Cp1251("В этой теме решено 2 из 4 вопросов.\nПродолжить с места "
                                "остановки?\n\n\"Нет\" - начать тему заново.")));
  EXPECT_EQ(CurrentTask(), "Q1");  // Yes: Q0 and Q2 are not asked
  AnswerCurrent(true);
  EXPECT_EQ(CurrentTask(), "Q3");
  gNow = 2030;
  AnswerCurrent(true);
  EXPECT_EQ(fake::Boxes()[1].text, Cp(Cp1251("Правильных 2, всего 2 (100.000 %)")));
  EXPECT_EQ(Captions().back(), "Game over");
  // "Game over" forgets the topic and records the resumed quiz.
  EXPECT_TRUE(ProgressFile().empty());
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Questions, 4);
  EXPECT_EQ(records[0].Asked, 2);
  EXPECT_EQ(records[0].Right, 2);
  EXPECT_EQ(records[0].Seconds, 30);
  EXPECT_TRUE(records[0].Resumed);
  std::size_t boxes = fake::Boxes().size();
  Choose();
  EXPECT_EQ(fake::Boxes().size(), boxes);  // forgotten: no question
  EXPECT_EQ(CurrentTask(), "Q0");
}

TEST_F(StudyFlowTest, AStartArrivingDuringTheContinueBoxWaitsForIt) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);  // Q0 remembered
  auto chooseWithoutPump = [] {
    fake::Command(20);
    HWND chooser = fake::LiveChoosers().back();
    fake::Click(ws::FindChild(chooser, 100));
    fake::Click(ws::FindChild(chooser, 200));
  };
  chooseWithoutPump();  // continued; its start is still queued
  std::size_t delivered = 0;
  fake::SetBoxHook([&](const fake::Box&) {
    delivered += fake::Pump();
    EXPECT_EQ(fake::Command(300), -1);  // the flow takes nothing meanwhile
  });
  chooseWithoutPump();  // the second box delivers the first start
  fake::SetBoxHook(nullptr);
  EXPECT_EQ(delivered, 1u);
  EXPECT_FALSE(quiz::bStartDeferred);
  EXPECT_EQ(fake::Pump(), 1u);
  EXPECT_EQ(quiz::StartsPending, 0);
  EXPECT_EQ(CurrentTask(), "Q1");
  EXPECT_TRUE(OnScreen2.bAsk);
  AnswerCurrent(true);
  EXPECT_EQ(CurrentTask(), "Q2");
}

TEST_F(StudyFlowTest, NoStartsAfreshAndForgets) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);
  fake::SetYesNoAnswer(false);
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_NE(fake::Boxes()[0].text.find(Cp(Cp1251("решено 1 из 3 вопросов"))), std::string::npos);
  EXPECT_EQ(CurrentTask(), "Q0");
  EXPECT_FALSE(Topic_test.Get(0)->bSolved);
  EXPECT_TRUE(ProgressFile().empty());
  AnswerCurrent(true);
  EXPECT_FALSE(ProgressFile().empty());  // remembered again from here

  // With resume turned off nothing more is remembered, but "Game over" still forgets.
  fake::Command(502);
  std::string before = FileText(ProgressFile());
  AnswerCurrent(true);
  EXPECT_EQ(FileText(ProgressFile()), before);
  AnswerCurrent(true);
  EXPECT_EQ(Captions().back(), "Game over");
  EXPECT_TRUE(ProgressFile().empty());
}

TEST_F(StudyFlowTest, AnEditedBankMatchesWhatIsUnchanged) {
  WriteBytes("Base\\t.txt",
             "A\r\n\t+a1\r\n\t-a2\r\nB\r\n\t-b1\r\n\t+b2\r\nC\r\n\t+c1\r\n"
             "D\r\n\t+d1\r\n\t-d2\r\n");
  fake::Command(502);
  Choose();
  for (int i = 0; i < 3; ++i) AnswerCurrent(true);  // A, B, C solved; D left

  Restart();
  // A's task edited, B's variants swapped (same question), C's mark changed, D moved first,
  // E new.
  WriteBytes("Base\\t.txt",
             "D\r\n\t+d1\r\n\t-d2\r\nA!\r\n\t+a1\r\n\t-a2\r\nB\r\n\t+b2\r\n"
             "\t-b1\r\nC\r\n\t-c1\r\nE\r\n\t+e1\r\n");
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_NE(fake::Boxes()[0].text.find(Cp(Cp1251("решено 1 из 5 вопросов"))), std::string::npos);
  std::vector<std::string> asked;
  while (Topic_test.Current >= 0 && asked.size() < 10) {
    asked.push_back(CurrentTask());
    AnswerCurrent(true);
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"D", "A!", "C", "E"}));
}

TEST_F(StudyFlowTest, TornOrForeignProgressFilesAreReadForWhatTheyHold) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);  // Q0 remembered
  std::filesystem::path file = ProgressFile();
  std::string good = FileText(file);
  // A power cut in the middle of the next line.
  std::ofstream(file, std::ios::app | std::ios::binary) << "00ab";
  Restart();
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_NE(fake::Boxes()[0].text.find(Cp(Cp1251("решено 1 из 3 вопросов"))), std::string::npos);
  EXPECT_EQ(CurrentTask(), "Q1");
  AnswerCurrent(true);
  // The torn line is gone: the file was written whole with both keys.
  std::string text = FileText(file);
  records::ProgressRead read =
      records::ParseProgress(text.data(), text.size(), files::FullPath("Base\\t.txt").c_str());
  EXPECT_EQ(read.keys.size(), 2u);
  EXPECT_EQ(text.size(), good.size() + 18);
  EXPECT_EQ(text.back(), '\n');

  // Another question file's progress under the same name is not taken.
  WriteBytes("data\\progress\\" + file.filename().string(),
             "C:\\other.txt\r\n" + text.substr(text.find('\n') + 1));
  Restart();
  Choose();
  EXPECT_EQ(fake::Boxes().size(), 0u);
  EXPECT_EQ(CurrentTask(), "Q0");
}

TEST_F(StudyFlowTest, ATopicSolvedWholeBeforeEndsAtOnce) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);
  fake::TypeChar('1');
  fake::TypeChar('\r');  // Q1 graded right; the program closes before the second OK
  Restart();
  Choose();
  ASSERT_EQ(Captions(),
            (std::vector<std::string>{Cp(Cp1251("Продолжить с места остановки")), "Game over"}));
  EXPECT_TRUE(bNobodyHome);
  EXPECT_TRUE(ProgressFile().empty());
  // An attempt that asked nothing leaves no record (and so no empty bar in the chart).
  EXPECT_TRUE(session::ReadResults().empty());
  EXPECT_FALSE(std::filesystem::exists("data/results.csv"));
  // The next attempt, from the start, is recorded.
  Choose();
  AnswerCurrent(true);
  AnswerCurrent(true);
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Asked, 2);
  EXPECT_FALSE(records[0].Resumed);
}

TEST_F(StudyFlowTest, AFolderThatCannotBeWrittenWarnsOnceAndTheOptionsStillWork) {
  Restart("missing", true);  // said to be writable, but it is not there
  fake::Command(500);
  fake::Command(502);
  EXPECT_TRUE(session::Current().shuffleQuestions);
  EXPECT_TRUE(Item(502)->ticked);
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_EQ(fake::Boxes()[0].style, ws::kBoxOk | ws::kBoxWarning);
  session::WarnUnwritable();
  EXPECT_EQ(fake::Boxes().size(), 1u);

  // A folder known to be read-only: no writes tried, no box from the core.
  Restart("data", false);
  fake::Command(500);
  EXPECT_TRUE(session::Current().shuffleQuestions);
  EXPECT_FALSE(std::filesystem::exists("data/exameo.ini"));
  EXPECT_EQ(fake::Boxes().size(), 0u);
}

TEST_F(StudyFlowTest, AResultsFileOverTheReadLimitShowsItsNewestRecords) {
  // 3,000 earlier records of one length, numbered by their seconds.
  auto line = [](int seconds) {
    return "2026-01-01 10:00;D;T;1;1;1;100,0;1;" + std::to_string(seconds) + ";нет\r\n";
  };
  std::string file = records::ResultsHeader();
  for (int n = 10001; n <= 13000; ++n) file += line(n);
  WriteBytes("data\\results.csv", file);
  WriteBytes("Base\\t.txt", QuestionFile({"+"}));
  gNow = 1000;
  Choose();
  gNow = 1007;
  AnswerCurrent(true);
  const std::string fresh = "2026-12-08 10:30;Дисциплина;Тема;1;1;1;100,0;1;7;нет;тренировка;;;\r\n";
  ASSERT_EQ(FileText("data/results.csv"), file + fresh);

  // The tail: the record just written, 99 whole lines and half of one more, left out.
  const std::size_t length = line(10001).size();
  std::vector<records::ResultRecord> records =
      session::ReadResults(fresh.size() + 99 * length + length / 2);
  ASSERT_EQ(records.size(), 100u);
  EXPECT_EQ(records[0].Seconds, 7);
  EXPECT_EQ(records[1].Seconds, 13000);
  EXPECT_EQ(records.back().Seconds, 12902);
  // A limit that falls on the start of a line loses no line.
  records = session::ReadResults(fresh.size() + 99 * length);
  ASSERT_EQ(records.size(), 100u);
  EXPECT_EQ(records.back().Seconds, 12902);
  EXPECT_EQ(session::ReadResults().size(), 3001u);
}

TEST_F(StudyFlowTest, FilesWithCrAloneEndingTheirLinesAreRead) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);  // Q0 remembered
  std::filesystem::path file = ProgressFile();
  std::string text = FileText(file);
  std::string crOnly;
  for (char c : text)
    if (c != '\n') crOnly += c;
  WriteBytes("data\\progress\\" + file.filename().string(), crOnly);
  WriteBytes("data\\exameo.ini", "[options]\rshuffle_questions=0\rresume=1\r");
  WriteBytes("data\\results.csv",
             records::ResultsHeader().substr(0, records::ResultsHeader().size() - 1) +
                 "2026-01-01 10:00;D;T;1;1;1;100,0;1;5;нет\r"
                 "2026-01-02 10:00;D;T;2;2;1;50,0;1;6;да\r");
  Restart();
  EXPECT_TRUE(session::Current().resume);
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].PercentTenths, 500);
  EXPECT_EQ(records[1].Seconds, 5);
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_TRUE(Has(fake::Boxes()[0].text, Cp1251("решено 1 из 3 вопросов")));
  EXPECT_EQ(CurrentTask(), "Q1");
  AnswerCurrent(true);
  // The file was whole: the new line is appended to it, not written over it.
  std::string now = FileText(file);
  EXPECT_EQ(now.substr(0, crOnly.size()), crOnly);
  EXPECT_EQ(now.size(), crOnly.size() + 18);
  // The record goes after the last CR-ended line, without a line end of its own before it.
  AnswerCurrent(true);
  EXPECT_EQ(session::ReadResults().size(), 3u);
}

TEST_F(StudyFlowTest, TwoIdenticalQuestionsShareOneProgressKey) {
  // Q twice (the same task and the same variants with the same marks, in another order), R.
  WriteBytes("Base\\t.txt", "Q\r\n\t+a\r\n\t-b\r\nQ\r\n\t-b\r\n\t+a\r\nR\r\n\t+c\r\n");
  fake::Command(502);
  Choose();
  AnswerCurrent(true);            // the first Q
  EXPECT_EQ(CurrentTask(), "Q");  // in this run the second is still asked
  std::string text = FileText(ProgressFile());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);  // the path and one key

  // Continued later, the one key stands for both.
  Restart();
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_TRUE(Has(fake::Boxes()[0].text, Cp1251("решено 2 из 3 вопросов")));
  EXPECT_EQ(CurrentTask(), "R");
}

TEST_F(StudyFlowTest, RecordsAHeldResultsFileRefusesAreKeptShownAndWrittenLater) {
  WriteBytes("Base\\t.txt", QuestionFile({"+"}));
  auto quiz = [&](int seconds) {
    gNow = 1000;
    Choose();
    gNow = 1000 + seconds;
    AnswerCurrent(true);
  };
  auto line = [](int seconds) {
    return "2026-12-08 10:30;Дисциплина;Тема;1;1;1;100,0;1;" + std::to_string(seconds) +
           ";нет;тренировка;;;\r\n";
  };
  auto shown = [] {
    std::vector<int> seconds;
    for (const records::ResultRecord& r : session::ReadResults())
      seconds.push_back(static_cast<int>(r.Seconds));
    return seconds;
  };
  quiz(1);
  const std::string before = FileText("data/results.csv");
  {
    testsupport::HeldFile held("data\\results.csv");  // a spreadsheet has it open
    ASSERT_TRUE(held.Held());
    quiz(2);
    ASSERT_EQ(Warnings().size(), 1u);
    const std::string warning = Warnings()[0];
    EXPECT_TRUE(Has(warning, Cp1251("открыт в другой программе")));
    EXPECT_TRUE(Has(warning, "data\\results.csv"));
    EXPECT_FALSE(Has(warning, Cp1251("папку")));
    EXPECT_EQ(FileText("data/results.csv"), before);
    EXPECT_EQ(shown(), (std::vector<int>{2, 1}));  // shown, though not in the file yet
    quiz(3);
    EXPECT_EQ(Warnings().size(), 1u);  // told once while the file stays held
    EXPECT_EQ(shown(), (std::vector<int>{3, 2, 1}));
  }
  quiz(4);  // free again: the kept records go first, in their order, once
  EXPECT_EQ(FileText("data/results.csv"), before + line(2) + line(3) + line(4));
  EXPECT_EQ(shown(), (std::vector<int>{4, 3, 2, 1}));

  // Held again when the program closes: it asks, and writes once the file is free.
  testsupport::HeldFile again("data\\results.csv");
  quiz(5);
  EXPECT_EQ(Warnings().size(), 2u);  // a new refusal after a write went through
  std::vector<std::string> asked;
  fake::SetBoxHook([&](const fake::Box& box) {
    asked.push_back(box.text);
    if (asked.size() == 2) again.Release();
  });
  fake::SetYesNoAnswer(true);
  session::Close();
  fake::SetBoxHook(nullptr);
  ASSERT_EQ(asked.size(), 2u);  // still held after the first Yes
  EXPECT_TRUE(Has(asked[0], Cp1251("открыт в другой программе")));
  EXPECT_TRUE(Has(asked[0], Cp1251("Повторить запись?")));
  EXPECT_EQ(FileText("data/results.csv"), before + line(2) + line(3) + line(4) + line(5));
  std::size_t boxes = fake::Boxes().size();
  session::Close();  // nothing kept: nothing asked
  EXPECT_EQ(fake::Boxes().size(), boxes);

  // No gives the kept record up and lets the program close.
  testsupport::HeldFile third("data\\results.csv");
  quiz(6);
  fake::SetYesNoAnswer(false);
  boxes = fake::Boxes().size();
  session::Close();
  EXPECT_EQ(fake::Boxes().size(), boxes + 1);
  third.Release();
  EXPECT_EQ(FileText("data/results.csv"), before + line(2) + line(3) + line(4) + line(5));
}

TEST_F(StudyFlowTest, AProgressLineAHeldFileRefusesGoesWithTheNextOne) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+", "+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);  // Q0: the file is made
  std::filesystem::path file = ProgressFile();
  ASSERT_FALSE(file.empty());
  {
    testsupport::HeldFile held("data\\progress\\" + file.filename().string());
    ASSERT_TRUE(held.Held());
    AnswerCurrent(true);  // Q1: refused, kept
    ASSERT_EQ(Warnings().size(), 1u);
    EXPECT_TRUE(Has(Warnings()[0], Cp1251("открыт в другой программе")));
    AnswerCurrent(false);  // Q2
  }
  AnswerCurrent(true);  // Q3, after Q1's kept line
  std::string text = FileText(file);
  records::ProgressRead read =
      records::ParseProgress(text.data(), text.size(), files::FullPath("Base\\t.txt").c_str());
  EXPECT_EQ(read.keys.size(), 3u);

  Restart();
  Choose();
  ASSERT_EQ(fake::Boxes().size(), 1u);
  EXPECT_TRUE(Has(fake::Boxes()[0].text, Cp1251("решено 3 из 4 вопросов")));
  EXPECT_EQ(CurrentTask(), "Q2");
}

TEST_F(StudyFlowTest, GameOverForgetsTheProgressLinesKeptForItsTopic) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+"}));
  fake::Command(502);
  Choose();
  AnswerCurrent(true);  // Q0: the file is made
  std::filesystem::path file = ProgressFile();
  ASSERT_FALSE(file.empty());
  testsupport::HeldFile held("data\\progress\\" + file.filename().string());
  ASSERT_TRUE(held.Held());
  AnswerCurrent(true);  // Q1 kept; "Game over" forgets the topic, kept line and all
  EXPECT_EQ(Captions().back(), "Game over");
  held.Release();
  std::size_t boxes = fake::Boxes().size();
  session::Close();
  EXPECT_EQ(fake::Boxes().size(), boxes);
  EXPECT_TRUE(ProgressFile().empty());
  ASSERT_EQ(session::ReadResults().size(), 1u);  // the record itself was written
}

// Every first OK of a question in a round appends one line to reviews.csv, whatever the
// options: 3 without a mistake, 1 with one, the catalogue's file name and the question's key.
TEST_F(StudyFlowTest, TheDrillLogsEveryGradingOfEveryRound) {
  WriteBytes("Base\\t.txt", QuestionFile({"+-", "-+", "+"}));
  gNow = 1796811300;  // 2026-12-09T10:15:00Z
  Choose();
  std::map<std::string, std::uint64_t> keys;
  for (int i = 0; i < Topic_test.Count; ++i)
    keys[Topic_test.Get(i)->Task] = records::ContentKey(*Topic_test.Get(i));
  auto line = [&](const char* time, const char* task, char grade) {
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(keys[task]));
    return std::string(time) + ";Base\\t.txt;" + key + ";" + grade + ";тренировка\r\n";
  };
  AnswerCurrent(true);
  gNow += 61;
  AnswerCurrent(false);
  AnswerCurrent(true);
  EXPECT_EQ(FileText("data/reviews.csv"), "\xEF\xBB\xBFВремя;Файл;Ключ;Оценка;Режим\r\n" +
                                             line("2026-12-09T10:15:00Z", "Q0", '3') +
                                             line("2026-12-09T10:16:01Z", "Q1", '1') +
                                             line("2026-12-09T10:16:01Z", "Q2", '3'));
  // The second round: the wrong one again, now right; the second wrong OK press (moving on)
  // writes nothing.
  gNow += 86400;
  AnswerCurrent(true);
  EXPECT_EQ(Captions().back(), "Game over");
  std::string log = FileText("data/reviews.csv");
  EXPECT_EQ(log.substr(log.size() - line("", "Q1", '3').size() - 20),
            line("2026-12-10T10:16:01Z", "Q1", '3'));
  std::vector<review::Entry> entries = review::ParseLog(log.data(), log.size()).entries;
  EXPECT_EQ(entries.size(), 4u);

  // Another run appends to the same file (no second header), and a torn last line is closed
  // off first so the next line stays whole; the torn one costs only itself.
  std::ofstream("data/reviews.csv", std::ios::app | std::ios::binary) << "2026-12-10T1";
  Restart();
  Choose();
  AnswerCurrent(true);
  log = FileText("data/reviews.csv");
  review::LogRead read = review::ParseLog(log.data(), log.size());
  EXPECT_EQ(read.entries.size(), 5u);
  EXPECT_EQ(read.skipped, 1);
  EXPECT_EQ(log.find("\xEF\xBB\xBF", 3), std::string::npos);
  EXPECT_EQ(log.substr(log.size() - line("", "Q0", '3').size() - 22),
            "\r\n" + line("2026-12-10T10:16:01Z", "Q0", '3'));
}

// The log is the study layer's other appended file: a folder that cannot be written gets no
// log and the warning once; a failed append is tried again whole at the next grading.
TEST_F(StudyFlowTest, TheLogFollowsTheDataFolder) {
  WriteBytes("Base\\t.txt", QuestionFile({"+", "+"}));
  Restart("data", false);
  Choose();
  AnswerCurrent(true);
  EXPECT_FALSE(std::filesystem::exists("data/reviews.csv"));
  EXPECT_EQ(fake::Boxes().size(), 0u);

  Restart();
  Choose();
  {
    testsupport::HeldFile held("data\\reviews.csv");  // a spreadsheet has it open
    ASSERT_TRUE(held.Held());
    AnswerCurrent(true);  // refused: kept, and the warning under the review's name
    EXPECT_EQ(Captions(), std::vector<std::string>{Cp(Cp1251("Повторение"))});
  }
  AnswerCurrent(true);  // the kept line goes first, then this one
  std::vector<std::string> captions = Captions();
  EXPECT_EQ(std::count(captions.begin(), captions.end(), Cp(Cp1251("Повторение"))), 1);
  std::string log = FileText("data/reviews.csv");
  review::LogRead read = review::ParseLog(log.data(), log.size());
  EXPECT_EQ(read.entries.size(), 2u);
  EXPECT_EQ(read.skipped, 0);
  EXPECT_EQ(log.rfind("\xEF\xBB\xBF", 0), 0u);
}

// The counts read the data folder's log and exameo.ini's retention, and find the questions in
// the bank by their keys.
TEST_F(StudyFlowTest, TheReviewCountsOfAnsweredQuestions) {
  WriteBytes("Base\\t.txt", QuestionFile({"+-", "-+", "+"}));
  gNow = 1796811300;  // 2026-12-09T10:15:00Z
  Choose();
  AnswerCurrent(true);   // Q0: 3, S 2.3065, due in 2 days
  AnswerCurrent(false);  // Q1: 1, S 0.212, due in 1 day
  session::ReviewOverview view = session::ReviewCounts();
  EXPECT_EQ(view.states.size(), 2u);
  ASSERT_EQ(view.bank.Topics.size(), 1u);
  ASSERT_EQ(view.counts.Rows.size(), 1u);
  EXPECT_EQ(view.counts.Rows[0].Questions, 3);
  EXPECT_EQ(view.counts.Rows[0].Answered, 2);
  EXPECT_EQ(view.counts.Rows[0].Known, 2);  // not a whole day yet: both at 1
  EXPECT_EQ(view.counts.DueToday, 0);       // today ends before tomorrow's 10:15
  EXPECT_EQ(view.counts.Mistakes, 1);

  gNow += 2 * 86400;  // both due now
  view = session::ReviewCounts();
  EXPECT_EQ(view.counts.DueToday, 2);
  EXPECT_EQ(view.counts.Histogram[0], 2);

  // At a retention of 0.8, Q0 waits 8 days: only Q1 is due.
  WriteBytes("data\\exameo.ini", "[options]\r\nresume=0\r\n[review]\r\nretention=0.8\r\n");
  Restart();
  EXPECT_EQ(session::ReviewSettings().retention, 0.8);
  view = session::ReviewCounts();
  EXPECT_EQ(view.counts.DueToday, 1);
  // Changing an option keeps the section.
  fake::Command(500);
  EXPECT_EQ(FileText("data/exameo.ini"),
            "[options]\r\nresume=0\r\nshuffle_questions=1\r\nshuffle_answers=0\r\n"
            "[review]\r\nretention=0.8\r\n");
  Restart();
  EXPECT_EQ(session::ReviewSettings().retention, 0.8);
}

}  // namespace

// Faults: a topic named outside Windows-1251 not drilled, its pictures not found, its progress
// not kept, its file logged as UTF-8 bytes read as Windows-1251.
TEST_F(StudyFlowTest, TopicsNamedOutsideWindows1251AreDrilledLoggedAndKept) {
  const std::string path = "Base\\\xCE\x95\xCE\xBB\\\xCE\x94.txt";  // "Base\Ελ\Δ.txt"
  WriteBytes("Base\\1.txt", "\xEF\xBB\xBF" "D\r\n\tT\"" + path.substr(5) + "\"\r\n");
  WriteBytes(path, "\xEF\xBB\xBFQ0 ![f](f.png)\r\n\t+a\r\n\t-b\r\nQ1\r\n\t+a\r\n", true);
  fake::ResetPictures();
  fake::AddPicture("Base/\xCE\x95\xCE\xBB/f.png", 10, 10);
  std::string pattern = "Base\\*.txt";
  Discipline.LoadDisciplines(pattern.data());
  fake::Command(502);  // resume on
  Choose();
  EXPECT_EQ(fake::PictureLoads().size(), 1u);
  AnswerCurrent(true);
  std::string full = files::FullPath(files::Path(path.c_str(), true));
  EXPECT_EQ(ProgressFile().filename().string(), records::ProgressFileName(full.c_str()));
  const std::string log = FileText(std::filesystem::path("data/reviews.csv"));
  EXPECT_NE(log.find(";" + path + ";"), std::string::npos) << log;
}
