// The exam's rules away from any window: the draw, the assembled topic, scoring, grades, the
// clock's texts, the report's lines, exameo.ini's sections and the results record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "bank/content_key.h"
#include "bank/question.h"
#include "common/cp1251.h"
#include "bank/assembled.h"
#include "exam/draw.h"
#include "exam/rules.h"
#include "records/ini.h"
#include "records/options.h"
#include "records/results.h"
#include "session/session.h"
#include "shell/data.h"
#include "support/scratch.h"

namespace {

using testsupport::ReadAll;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

using testsupport::C;

// A question whose variants follow `pattern`: '+' right, '-' wrong.
QuestionClass Question(const char* task, const char* pattern) {
  QuestionClass q;
  std::memset(q.Vrnt, 0, sizeof q.Vrnt);
  std::strcpy(q.Task, task);
  q.bExists = true;
  for (int k = 0; pattern[k] != '\0'; ++k) {
    q.Vrnt[k].bExists = true;
    q.Vrnt[k].bCorrect = pattern[k] == '+';
  }
  return q;
}

unsigned Bits(std::initializer_list<int> slots) {
  unsigned bits = 0;
  for (int k : slots) bits |= 1u << k;
  return bits;
}

TEST(ExamDraw, SharesFollowTheTopicsByLargestRemainders) {
  struct Case {
    std::vector<int> available;
    int count;
    std::vector<int> shares;
  };
  const Case cases[] = {
      {{60, 30, 10}, 20, {12, 6, 2}},  // exact shares
      {{5, 3, 2}, 7, {4, 2, 1}},       // 3.5, 2.1, 1.4: the one left goes to .5
      {{1, 7, 2}, 5, {1, 3, 1}},       // 0.5, 3.5, 1.0: equal remainders, the first in the menu
      {{3, 3, 3}, 7, {3, 2, 2}},       // 2.33 each: the first gets the one left
      {{1, 1, 1}, 2, {1, 1, 0}},
      {{2, 0, 3}, 50, {2, 0, 3}},  // more than there are: all of them
      {{4, 6}, 0, {0, 0}},
      {{0, 0}, 3, {0, 0}},
      {{}, 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(exam::Shares(c.available, c.count), c.shares);
  }
}

TEST(ExamDraw, DrawsWithoutRepeatsAndEveryValueCanComeUp) {
  std::vector<int> from = {10, 20, 30, 40, 50};
  std::set<int> seen;
  bank::Random random{42};
  for (int round = 0; round < 200; ++round) {
    std::vector<int> drawn = exam::DrawWithoutRepeats(from, 3, random);
    ASSERT_EQ(drawn.size(), 3u);
    std::set<int> distinct(drawn.begin(), drawn.end());
    EXPECT_EQ(distinct.size(), 3u);
    for (int v : drawn) EXPECT_NE(std::find(from.begin(), from.end(), v), from.end());
    seen.insert(drawn[0]);
  }
  EXPECT_EQ(seen.size(), 5u);  // each value was drawn first at some time
  EXPECT_EQ(exam::DrawWithoutRepeats(from, 9, random).size(), 5u);
  EXPECT_TRUE(exam::DrawWithoutRepeats(from, -1, random).empty());
}

TEST(ExamDraw, ThePlacesWithVariantsAreTheLoadersRecordsWithVariants) {
  ScratchDir dir;
  // Variants before the first task belong to none; an empty line begins a record; a card
  // without variants is passed over; a thirteenth variant still belongs to its record; CR-less
  // lines and a last line without its end.
  std::string bytes = "\tstray\r\nA\r\n\t+a\r\nB card\r\n\r\n\t-x\n\t+y\nC\r\n";
  for (int k = 0; k < 13; ++k) bytes += "\t+v\r\n";
  bytes += "D\r\nE\r\n\t-e";
  WriteBytes("Base\\q.txt", bytes);
  std::vector<int> places = bank::PlacesWithVariants("Base\\q.txt");
  EXPECT_EQ(places, (std::vector<int>{0, 2, 3, 5}));
  TopicClass topic;
  char path[] = "Base\\q.txt";
  topic.LoadQuestions(path);
  std::vector<int> loaded;
  for (int i = 0; i < topic.Count; ++i)
    if (topic.Get(i)->bExists && bank::PresentVariants(*topic.Get(i)) > 0) loaded.push_back(i);
  EXPECT_EQ(places, loaded);
  EXPECT_TRUE(bank::PlacesWithVariants("Base\\missing.txt").empty());

  // Random files of the same pieces agree with the loader as well.
  bank::Random random{5};
  const char* pieces[] = {"T\r\n",   "\t+v\r\n", "\t-w\n",         "\r\n",   "\n",
                          "\tx\r\n", "U",        "\t\t++a\tb\r\n", "T\rx\n", "\t-\r\n"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    int n = static_cast<int>(random.Below(30));
    for (int i = 0; i < n; ++i) text += pieces[random.Below(10)];
    if (round % 20 == 0) text += "L" + std::string(3000, 'x') + "\r\n\t+" + std::string(1500, 'y');
    WriteBytes("Base\\q.txt", text);
    topic.LoadQuestions(path);
    loaded.clear();
    for (int i = 0; i < topic.Count; ++i)
      if (topic.Get(i)->bExists && bank::PresentVariants(*topic.Get(i)) > 0) loaded.push_back(i);
    ASSERT_EQ(bank::PlacesWithVariants("Base\\q.txt"), loaded) << text;
    // The assembled copies are the loader's records, byte for byte, in the order picked.
    std::vector<bank::Pick> picks;
    for (std::size_t i = loaded.size(); i-- > 0;) picks.push_back({0, loaded[i]});
    const char* files[] = {"Base\\q.txt"};
    const int topics[] = {0};
    TopicClass copy;
    std::vector<bank::Source> sources;
    ASSERT_EQ(bank::Assemble(copy, files, topics, picks, &sources),
              static_cast<int>(loaded.size()));
    for (std::size_t i = 0; i < picks.size(); ++i) {
      const QuestionClass* a = copy.Get(static_cast<int>(i));
      const QuestionClass* b = topic.Get(picks[i].place);
      ASSERT_EQ(std::memcmp(a->Task, b->Task, sizeof a->Task), 0) << text;
      ASSERT_EQ(std::memcmp(a->Vrnt, b->Vrnt, sizeof a->Vrnt), 0) << text;
    }
  }
}

TEST(ExamDraw, APoolOfTheDisciplineDrawsItsSharesInAMixedOrder) {
  ScratchDir dir;
  auto file = [](int questions, int cards) {
    std::string text;
    for (int i = 0; i < questions; ++i) text += "Q" + std::to_string(i) + "\r\n\t+a\r\n\t-b\r\n";
    for (int i = 0; i < cards; ++i) text += "card\r\n";
    return text;
  };
  WriteBytes("Base\\d1\\1.txt", file(60, 5));
  WriteBytes("Base\\d1\\2.txt", file(30, 0));
  WriteBytes("Base\\d1\\3.txt", file(10, 40));
  WriteBytes("Base\\1.txt",
             "D\r\n\tOne\"d1\\1.txt\"\r\n\tTwo\"d1\\2.txt\"\r\n\tThree\"d1\\3.txt\"\r\n");
  static DisciplineClass catalogue;
  char pattern[] = "Base\\*.txt";
  catalogue.LoadDisciplines(pattern);
  catalogue.LoadTopics(catalogue.Disciplines[0]);
  exam::Pool pool = exam::PoolOf(catalogue, -1);
  ASSERT_EQ(pool.topics, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(pool.Available(), 100);
  EXPECT_EQ(exam::PoolOf(catalogue, 2).Available(), 10);
  EXPECT_EQ(exam::PoolOf(catalogue, 2).topics, (std::vector<int>{2}));

  bank::Random random{11};
  std::vector<bank::Pick> picks = exam::DrawPicks(pool, 20, random);
  ASSERT_EQ(picks.size(), 20u);
  int per[3] = {0, 0, 0};
  std::set<std::pair<int, int>> distinct;
  bool grouped = true;
  for (std::size_t i = 0; i < picks.size(); ++i) {
    ++per[picks[i].file];
    distinct.insert({picks[i].file, picks[i].place});
    if (i > 0 && picks[i].file < picks[i - 1].file) grouped = false;
    // Only the questions with variants: the cards come after them in each file.
    EXPECT_LT(picks[i].place, picks[i].file == 0 ? 60 : picks[i].file == 1 ? 30 : 10);
  }
  EXPECT_EQ(per[0], 12);
  EXPECT_EQ(per[1], 6);
  EXPECT_EQ(per[2], 2);
  EXPECT_EQ(distinct.size(), 20u);
  EXPECT_FALSE(grouped);  // asked in a random order, not topic after topic
}

TEST(ExamAssembled, CopiesThePickedRecordsWithTheirFilesAndKeys) {
  ScratchDir dir;
  WriteBytes("Base\\a.txt", "A0\r\n\t+x\r\nA1 card\r\nA2\r\n\t-y\r\n\t+z\r\n");
  WriteBytes("Base\\b.txt", "B0\r\n\t+p\r\n\t-q\r\n\t-r\r\n");
  const char* files[] = {"Base\\a.txt", "Base\\b.txt"};
  const int topics[] = {4, 7};
  // In the asked order: b's first, a's third, a card that has no variants, a's first, and a
  // place past the end of b.
  const bank::Pick picks[] = {{1, 0}, {0, 2}, {0, 1}, {0, 0}, {1, 5}};
  TopicClass topic;
  std::vector<bank::Source> sources;
  ASSERT_EQ(bank::Assemble(topic, files, topics, picks, &sources), 3);
  ASSERT_EQ(topic.Count, 3);
  ASSERT_EQ(sources.size(), 3u);
  EXPECT_STREQ(topic.Get(0)->Task, "B0");
  EXPECT_STREQ(topic.Get(1)->Task, "A2");
  EXPECT_STREQ(topic.Get(2)->Task, "A0");
  EXPECT_STREQ(topic.Get(1)->Vrnt[1].Text, "z");
  EXPECT_TRUE(topic.Get(1)->Vrnt[1].bCorrect);
  EXPECT_FALSE(topic.Get(1)->Vrnt[2].bExists);
  EXPECT_STREQ(sources[0].File, "Base\\b.txt");
  EXPECT_EQ(sources[0].Topic, 7);
  EXPECT_STREQ(sources[1].File, "Base\\a.txt");
  EXPECT_EQ(sources[1].Topic, 4);
  EXPECT_EQ(sources[1].Place, 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(topic.Get(i)->Id, i);
    EXPECT_EQ(sources[i].Key,
              bank::ContentKey(*topic.Get(i), bank::PresentVariants(*topic.Get(i))));
  }
  // The keys are those of the questions as loaded from their own files.
  TopicClass alone;
  char a[] = "Base\\a.txt";
  alone.LoadQuestions(a);
  EXPECT_EQ(sources[2].Key, bank::ContentKey(*alone.Get(0), 1));
  // The board reaches the records through the index, as for a loaded topic.
  EXPECT_EQ(topic.GetIDComponent(2), 5);
  EXPECT_EQ(topic.GetNextQuestion(0), 0);

  const bank::Pick none[] = {{0, 1}};
  EXPECT_EQ(bank::Assemble(topic, files, topics, none, &sources), 0);
  EXPECT_EQ(topic.Count, 1);
  EXPECT_FALSE(topic.Head.bExists);
  EXPECT_TRUE(sources.empty());
}

TEST(ExamScore, EveryKindOfAnswer) {
  using exam::Verdict;
  const std::int64_t U = exam::kCreditUnit;
  QuestionClass three = Question("q", "+-+-+");  // right: slots 0, 2, 4
  QuestionClass none = Question("q", "---");
  struct Case {
    const QuestionClass* q;
    unsigned ticked;
    bool reached;
    Verdict verdict;
    std::int64_t credit;
  };
  const Case cases[] = {
      {&three, Bits({0, 2, 4}), true, Verdict::kRight, U},
      {&three, Bits({0, 2}), true, Verdict::kPartial, U * 2 / 3},
      {&three, Bits({0, 2, 4, 1}), true, Verdict::kPartial, U * 2 / 3},  // all right, one wrong
      {&three, Bits({0, 2, 1}), true, Verdict::kPartial, U / 3},
      {&three, Bits({0, 1}), true, Verdict::kWrong, 0},        // as many wrong as right
      {&three, Bits({0, 1, 3}), true, Verdict::kWrong, 0},     // more wrong: not below 0
      {&three, 0, true, Verdict::kWrong, 0},                   // nothing ticked
      {&three, Bits({0, 2, 4, 7}), true, Verdict::kRight, U},  // no variant in slot 7
      {&three, Bits({0, 2, 4}), false, Verdict::kUnanswered, 0},
      {&none, 0, true, Verdict::kRight, U},
      {&none, Bits({1}), true, Verdict::kWrong, 0},
      {&none, 0, false, Verdict::kUnanswered, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ticked);
    exam::Score s = exam::ScoreOf(*c.q, c.ticked, c.reached);
    EXPECT_EQ(s.verdict, c.verdict);
    EXPECT_EQ(s.credit, c.credit);
  }
  // Thirds of a question add up exactly.
  EXPECT_EQ(U / 3 * 3, U);
  EXPECT_EQ(C(exam::VerdictText(Verdict::kRight)), C(Cp1251("верно")));
  EXPECT_EQ(C(exam::VerdictText(Verdict::kPartial)), C(Cp1251("частично")));
  EXPECT_EQ(C(exam::VerdictText(Verdict::kWrong)), C(Cp1251("неверно")));
  EXPECT_EQ(C(exam::VerdictText(Verdict::kUnanswered)), C(Cp1251("без ответа")));
}

TEST(ExamGrades, ThresholdsAndTheirSection) {
  exam::Thresholds t;
  EXPECT_EQ(C(exam::GradeOf(17, 20, t)), C(Cp1251("отлично")));  // 85 exactly
  EXPECT_EQ(C(exam::GradeOf(16, 20, t)), C(Cp1251("хорошо")));   // 80
  EXPECT_EQ(C(exam::GradeOf(14, 20, t)), C(Cp1251("хорошо")));   // 70 exactly
  EXPECT_EQ(C(exam::GradeOf(13, 20, t)), C(Cp1251("удовлетворительно")));
  EXPECT_EQ(C(exam::GradeOf(1, 2, t)), C(Cp1251("удовлетворительно")));  // 50 exactly
  EXPECT_EQ(C(exam::GradeOf(9, 20, t)), C(Cp1251("неудовлетворительно")));
  EXPECT_EQ(C(exam::GradeOf(0, 0, t)), C(Cp1251("неудовлетворительно")));

  t = exam::ReadThresholds(
      "[options]\r\ngood=10\r\n[grades]\r\nexcellent = 90\r\ngood=75\r\nsatisfactory=abc\r\n"
      "satisfactory=101\r\n");
  EXPECT_EQ(t.excellent, 90);
  EXPECT_EQ(t.good, 75);
  EXPECT_EQ(t.satisfactory, 50);  // damaged values keep the default
  EXPECT_EQ(C(exam::GradeOf(17, 20, t)), C(Cp1251("хорошо")));
  EXPECT_EQ(C(exam::GradeOf(18, 20, t)), C(Cp1251("отлично")));
}

TEST(ExamTexts, TitleClockAndRemainingTime) {
  EXPECT_EQ(exam::TitleLine(3, 20, 1200, 845),
            C(Cp1251("Экзамен: вопрос 3 из 20, осталось 14:05")));
  EXPECT_EQ(exam::TitleLine(1, 50, 36000, 7500),
            C(Cp1251("Экзамен: вопрос 1 из 50, осталось 125:00")));
  EXPECT_EQ(exam::TitleLine(3, 20, 60, 9), C(Cp1251("Экзамен: вопрос 3 из 20, осталось 0:09")));
  EXPECT_EQ(exam::TitleLine(3, 20, 0, 0), C(Cp1251("Экзамен: вопрос 3 из 20")));
  // A begun second counts as whole: 0:00 only once the time is up.
  EXPECT_EQ(exam::RemainingSeconds(60000, 0), 60);
  EXPECT_EQ(exam::RemainingSeconds(60000, 1), 60);
  EXPECT_EQ(exam::RemainingSeconds(60000, 1000), 59);
  EXPECT_EQ(exam::RemainingSeconds(60000, 59999), 1);
  EXPECT_EQ(exam::RemainingSeconds(60000, 60000), 0);
  EXPECT_EQ(exam::RemainingSeconds(60000, 90000), 0);
  EXPECT_EQ(exam::Clock(0), "0:00");
  EXPECT_EQ(exam::Clock(-5), "0:00");
  EXPECT_EQ(exam::Clock(751), "12:31");
}

TEST(ExamTexts, TheReportsLines) {
  exam::Summary s;
  s.discipline = Cp1251("Физика").c_str();
  s.drawn = 20;
  s.right = 14;
  s.credit = exam::kCreditUnit * 31 / 2;  // 15.5
  s.seconds = 751;
  s.limitSeconds = 1200;
  std::vector<std::string> want = {
      Cp1251("Дисциплина: Физика").c_str(),
      Cp1251("Тема: Все темы").c_str(),
      Cp1251("Верно: 14 из 20 (70,0 %)").c_str(),
      Cp1251("С частичным зачётом: 15,5 из 20 (77,5 %)").c_str(),
      Cp1251("Оценка: хорошо").c_str(),
      Cp1251("Время: 12:31 из 20:00").c_str(),
  };
  EXPECT_EQ(exam::ReportLines(s), want);

  // Thirds: 1 1/3 of 3 is 1,3 and 44,4 %; a whole credit has no decimals; no limit.
  s.topic = Cp1251("Механика").c_str();
  s.drawn = 3;
  s.right = 1;
  s.credit = exam::kCreditUnit + exam::kCreditUnit / 3;
  s.limitSeconds = 0;
  s.seconds = 65;
  std::vector<std::string> lines = exam::ReportLines(s);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[1], C(Cp1251("Тема: Механика")));
  EXPECT_EQ(lines[2], C(Cp1251("Верно: 1 из 3 (33,3 %)")));
  EXPECT_EQ(lines[3], C(Cp1251("С частичным зачётом: 1,3 из 3 (44,4 %)")));
  EXPECT_EQ(lines[4], C(Cp1251("Оценка: неудовлетворительно")));
  EXPECT_EQ(lines[5], C(Cp1251("Время: 1:05")));
  s.credit = exam::kCreditUnit * 2;
  EXPECT_EQ(exam::ReportLines(s)[3], C(Cp1251("С частичным зачётом: 2 из 3 (66,7 %)")));

  QuestionClass q = Question("First line\r\nsecond", "-+-+");
  exam::Row row = exam::RowOf(7, q, Bits({0, 3, 9}), exam::Verdict::kPartial);
  EXPECT_EQ(row.number, "7");
  EXPECT_EQ(row.verdict, C(Cp1251("частично")));
  EXPECT_EQ(row.task, "First line");
  EXPECT_EQ(row.ticked, "1, 4");  // slot 9 holds no variant
  EXPECT_EQ(row.right, "2, 4");
  row = exam::RowOf(8, q, 0, exam::Verdict::kWrong);
  EXPECT_EQ(row.ticked, "-");
  row = exam::RowOf(9, q, Bits({1}), exam::Verdict::kUnanswered);
  EXPECT_EQ(row.ticked, "-");
  // A UTF-8 task's picture is its text in the report; a Windows-1251 task's `![` is only text.
  q = Question("Что на рисунке ![круг](p/c.png)?", "+-");
  q.bUtf8 = true;
  EXPECT_EQ(exam::RowOf(1, q, 1, exam::Verdict::kRight).task, "Что на рисунке круг?");
  q.bUtf8 = false;
  EXPECT_EQ(exam::RowOf(1, q, 1, exam::Verdict::kRight).task, "Что на рисунке ![круг](p/c.png)?");
}

TEST(ExamSettings, TheSectionIsWrittenAndEverythingElseKept) {
  std::string ini =
      "\xEF\xBB\xBF[options]\r\nresume=1\r\n\r\n[exam]\r\ncount=3\r\nnote=mine\r\n"
      "count=4\r\n\r\n[grades]\r\ngood=60\r\n; a comment\r\ntorn";
  exam::Settings s;
  s.discipline = "3.txt";
  s.topic = " Line\r\nbreak ";
  s.count = 25;
  s.minutes = 0;
  std::string written = exam::WriteSettings(ini, s);
  EXPECT_EQ(written,
            "\xEF\xBB\xBF[options]\r\nresume=1\r\n\r\n[exam]\r\ncount=25\r\nnote=mine\r\n"
            "discipline=3.txt\r\ntopic=Line  break\r\nminutes=0\r\n\r\n[grades]\r\ngood=60\r\n"
            "; a comment\r\ntorn\r\n");
  exam::Settings back = exam::ReadSettings(written);
  EXPECT_EQ(back.discipline, "3.txt");
  EXPECT_EQ(back.topic, "Line  break");
  EXPECT_EQ(back.count, 25);
  EXPECT_EQ(back.minutes, 0);
  EXPECT_EQ(exam::ReadThresholds(written).good, 60);
  EXPECT_TRUE(records::ParseOptions(written.data(), written.size()).resume);
  // Written again: the same text.
  EXPECT_EQ(exam::WriteSettings(written, s), written);

  // No section yet: it goes at the end; damaged values read as none kept.
  EXPECT_EQ(exam::WriteSettings("[options]\r\nresume=0", s),
            "[options]\r\nresume=0\r\n[exam]\r\ndiscipline=3.txt\r\ntopic=Line  break\r\n"
            "count=25\r\nminutes=0\r\n");
  back = exam::ReadSettings("[exam]\r\ncount=-2\r\nminutes=601\r\n[other]\r\ndiscipline=x\r\n");
  EXPECT_EQ(back.count, 0);
  EXPECT_EQ(back.minutes, -1);
  EXPECT_EQ(back.discipline, "");

  // The options' own writer keeps the other sections too.
  records::Options on{true, false, false};
  EXPECT_EQ(records::OptionsInto(written, on),
            "\xEF\xBB\xBF[options]\r\nresume=0\r\nshuffle_questions=1\r\nshuffle_answers=0\r\n"
            "\r\n[exam]\r\ncount=25\r\nnote=mine\r\ndiscipline=3.txt\r\ntopic=Line  break\r\n"
            "minutes=0\r\n\r\n[grades]\r\ngood=60\r\n; a comment\r\ntorn\r\n");
}

std::int64_t FixedNow() {
  return 5000;
}
void FixedStamp(std::int64_t, char out[17]) {
  std::memcpy(out, "2026-12-09 14:00", 17);
}

TEST(ExamRecord, ThirteenColumnsAndTheOldHeaderRewrittenWhole) {
  ScratchDir dir;
  std::filesystem::create_directory("data");
  records::NowSeconds = FixedNow;
  records::LocalStamp = FixedStamp;
  OpenDataFolder("data", true);

  // The options menu used to write exameo.ini whole, losing the exam's and the grades' keys.
  WriteBytes("data\\exameo.ini", "[exam]\r\ncount=7\r\n[grades]\r\ngood=60\r\n");
  OpenDataFolder("data", true);
  session::SetOptions(records::Options{false, true, false});
  std::string ini = ReadAll("data\\exameo.ini");
  EXPECT_EQ(exam::ReadSettings(ini).count, 7);
  EXPECT_EQ(exam::ReadThresholds(ini).good, 60);
  EXPECT_TRUE(records::ParseOptions(ini.data(), ini.size()).shuffleAnswers);

  const std::string oldHeader =
      "\xEF\xBB\xBF"
      "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;"
      "Кругов;Длительность, с;Продолжено\r\n";
  const std::string oldLine = "2026-12-01 10:00;D;T;3;3;2;66,7;2;75;нет\r\n";
  WriteBytes("data\\results.csv", oldHeader + oldLine);
  records::ResultRecord r;
  std::memcpy(r.When, "2026-12-09 14:00", 17);
  std::strcpy(r.Discipline, Cp1251("Физика"));
  std::strcpy(r.Topic, Cp1251("Все темы"));
  r.Questions = 20;
  r.Asked = 18;
  r.Right = 14;
  r.PercentTenths = 700;
  r.Rounds = 1;
  r.Seconds = 751;
  r.Mode = records::Kind::kExam;
  r.CreditTenths = 775;
  std::strcpy(r.Grade, Cp1251("хорошо"));
  const std::string examLine =
      "2026-12-09 14:00;Физика;Все темы;20;18;14;70,0;1;751;нет;экзамен;77,5;хорошо;\r\n";
  EXPECT_EQ(records::FormatResult(r), examLine);
  session::AppendRecord(r);
  EXPECT_EQ(ReadAll("data\\results.csv"), records::ResultsHeader() + oldLine + examLine);
  // No temporary file is left beside it.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator("data")) files += e.is_regular_file();
  EXPECT_EQ(files, 2);
  // A second record only appends.
  r.Mode = records::Kind::kMistakes;
  r.CreditTenths = -1;
  r.Grade[0] = '\0';
  session::AppendRecord(r);
  EXPECT_EQ(ReadAll("data\\results.csv"),
            records::ResultsHeader() + oldLine + examLine +
                "2026-12-09 14:00;Физика;Все темы;20;18;14;70,0;1;751;нет;ошибки;;;\r\n");

  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].Mode, records::Kind::kMistakes);
  EXPECT_EQ(records[1].Mode, records::Kind::kExam);
  EXPECT_EQ(records[1].CreditTenths, 775);
  EXPECT_STREQ(records[1].Grade, Cp1251("хорошо"));
  EXPECT_EQ(records[2].Mode, records::Kind::kTopic);  // the ten-column line
  EXPECT_EQ(records[2].CreditTenths, -1);
  EXPECT_EQ(records[2].Right, 2);
  OpenDataFolder("", false);
}

TEST(ExamRecord, TheReaderChecksTheNewColumnsAndTheChartKnowsExams) {
  std::string head = records::ResultsHeader();
  std::string file = head + "2026-12-01 10:00;D;T;3;3;2;66,7;2;75;нет;экзамен;70,0;хорошо\r\n" +
                     "2026-12-01 10:01;D;T;3;3;2;66,7;2;75;нет;тренировка;;\r\n" +
                     "2026-12-01 10:02;D;T;3;3;2;66,7;2;75;нет;экзамен;;хорошо\r\n" +  // no credit
                     "2026-12-01 10:03;D;T;3;3;2;66,7;2;75;нет;экзамен;70,0;\r\n" +    // no grade
                     "2026-12-01 10:04;D;T;3;3;2;66,7;2;75;нет;ошибки;50,0;\r\n" +     // credit
                     "2026-12-01 10:05;D;T;3;3;2;66,7;2;75;нет;повтор;;\r\n" +      // unknown mode
                     "2026-12-01 10:06;D;T;3;3;2;66,7;2;75;нет;экзамен;70,0\r\n" +  // twelve
                     "2026-12-01 10:07;D;T;3;3;1;33,3;1;75;нет;ошибки;;\r\n" +
                     "2026-12-01 10:08;D;T;3;3;2;66,7;2;75;нет;экзамен;70,0;хор";  // torn
  std::vector<records::ResultRecord> records = records::ParseResults(file.data(), file.size());
  ASSERT_EQ(records.size(), 3u);
  EXPECT_STREQ(records[0].When, "2026-12-01 10:07");
  EXPECT_STREQ(records[1].When, "2026-12-01 10:01");
  EXPECT_STREQ(records[2].When, "2026-12-01 10:00");
  // A last line cut right after the old columns is torn too.
  std::string cut = head + "2026-12-01 10:00;D;T;3;3;2;66,7;2;75;нет";
  EXPECT_TRUE(records::ParseResults(cut.data(), cut.size()).empty());

  records::Chart chart = records::ChartOf(records, "D", "T");
  ASSERT_EQ(chart.Count, 3);
  EXPECT_TRUE(chart.Exam[0]);  // oldest first
  EXPECT_FALSE(chart.Exam[1]);
  EXPECT_FALSE(chart.Exam[2]);
  EXPECT_EQ(chart.PercentTenths[2], 333);

  const std::string old =
      "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;"
      "Кругов;Длительность, с;Продолжено\n2026-12-01 10:00;D;T;3;3;2;66,7;2;75;нет\n";
  EXPECT_TRUE(records::HasOldHeader(old.data(), old.size()));  // no BOM, LF
  EXPECT_EQ(records::WithNewHeader(old.data(), old.size()),
            head + "2026-12-01 10:00;D;T;3;3;2;66,7;2;75;нет\n");
  EXPECT_FALSE(records::HasOldHeader(old.data(), 40));
  EXPECT_FALSE(records::HasOldHeader(head.data(), head.size()));
  EXPECT_EQ(records::WithNewHeader(head.data(), head.size()), head);
}

// The fourteenth column: an exam's forecast when it started, read back; empty for the others;
// a file headed by the thirteen columns gets the new header, its lines read as they are.
TEST(ExamRecord, TheForecastColumnAndTheThirteenColumnHeader) {
  std::string head = records::ResultsHeader();
  EXPECT_TRUE(head.ends_with(";Оценка;Прогноз, %\r\n")) << head;
  records::ResultRecord r;
  std::strcpy(r.When, "2026-12-09 14:00");
  r.Questions = r.Asked = 4;
  r.Right = 3;
  r.Mode = records::Kind::kExam;
  r.CreditTenths = 750;
  std::strcpy(r.Grade, Cp1251("хорошо"));
  r.ForecastPercent = 72;
  std::string exam = records::FormatResult(r);
  EXPECT_TRUE(exam.ends_with(";экзамен;75,0;хорошо;72\r\n")) << exam;
  std::string file = head + exam +
                     "2026-12-01 10:01;D;T;3;3;2;66,7;2;75;нет;тренировка;;;5\r\n" +  // not an exam
                     "2026-12-01 10:02;D;T;3;3;2;66,7;2;75;нет;экзамен;70,0;хорошо;101\r\n" +
                     "2026-12-01 10:03;D;T;3;3;2;66,7;2;75;нет;экзамен;70,0;хорошо;\r\n" +
                     "2026-12-01 10:04;D;T;3;3;2;66,7;2;75;нет;тренировка;;\r\n";  // thirteen
  std::vector<records::ResultRecord> read = records::ParseResults(file.data(), file.size());
  ASSERT_EQ(read.size(), 3u);
  EXPECT_STREQ(read[0].When, "2026-12-01 10:04");
  EXPECT_EQ(read[1].ForecastPercent, -1);  // an exam without one
  EXPECT_EQ(read[2].ForecastPercent, 72);

  std::string thirteen =
      "\xEF\xBB\xBF"
      "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;"
      "Кругов;Длительность, с;Продолжено;Режим;Частичный зачёт, %;Оценка\r\n"
      "2026-12-01 10:04;D;T;3;3;2;66,7;2;75;нет;тренировка;;\r\n";
  EXPECT_TRUE(records::HasOldHeader(thirteen.data(), thirteen.size()));
  EXPECT_EQ(records::WithNewHeader(thirteen.data(), thirteen.size()),
            head + "2026-12-01 10:04;D;T;3;3;2;66,7;2;75;нет;тренировка;;\r\n");
}

}  // namespace
