// The database that ships: read as the program reads it, each topic must teach rather than be
// solved by pressing "1" and Enter over and over. No answer position may hold more than 40 % of
// a topic's right answers.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "bank/catalogue.h"
#include "bank/question.h"
#include "support/scratch.h"

namespace {

constexpr double kMaxShare = 0.40;

// Where the right answers of one topic stand.
struct Spread {
  int Questions = 0;
  std::array<int, kMaxVariants> Right{};  // right answers at each variant position
  int SolvedByFirst = 0;  // questions whose only right answer is variant 1: "1, Enter" solves
  int Total() const {
    int sum = 0;
    for (int n : Right) sum += n;
    return sum;
  }
  int Most() const {
    int most = 0;
    for (int n : Right) most = n > most ? n : most;
    return most;
  }
};

Spread Add(Spread a, const Spread& b) {
  a.Questions += b.Questions;
  for (int k = 0; k < kMaxVariants; ++k) a.Right[k] += b.Right[k];
  a.SolvedByFirst += b.SolvedByFirst;
  return a;
}

// Loads the question file at the Windows-1251 path (relative to the working directory) with the
// program's loader and counts.
Spread SpreadOf(const char* questionPath) {
  auto topic = std::make_unique<TopicClass>();
  char path[kPathCapacity + 1] = {};
  std::snprintf(path, sizeof path, "%s", questionPath);
  topic->LoadQuestions(path);
  Spread spread;
  for (int i = 0; i < topic->Count; ++i) {
    const QuestionClass* q = topic->Get(i);
    if (q == nullptr || !q->bExists) continue;
    ++spread.Questions;
    int rights = 0;
    for (int k = 0; k < kMaxVariants; ++k) {
      if (!q->Vrnt[k].bExists || !q->Vrnt[k].bCorrect) continue;
      ++spread.Right[k];
      ++rights;
    }
    if (rights == 1 && q->Vrnt[0].bExists && q->Vrnt[0].bCorrect) ++spread.SolvedByFirst;
  }
  topic->UnloadQuestions();
  return spread;
}

// A failure message when one position holds more than the allowed share, else empty.
std::string Lopsided(const std::string& what, const Spread& s) {
  if (s.Total() == 0 || s.Most() <= kMaxShare * s.Total()) return "";
  std::string counts;
  for (int k = 0; k < kMaxVariants; ++k)
    if (s.Right[k] > 0) counts += " " + std::to_string(k + 1) + ":" + std::to_string(s.Right[k]);
  return what + ": one position holds " + std::to_string(s.Most()) + " of " +
         std::to_string(s.Total()) + " right answers (by position" + counts + ")";
}

TEST(SampleBank, TheCountIsTakenFromWhatTheLoaderReads) {
  testsupport::ScratchDir scratch;
  // Signs as the format reads them: "+-+" ends in "+" (right), "-+-" in "-" (wrong), no sign is
  // wrong; the card has no variants and "nothing right" has no right answer at all.
  testsupport::WriteBytes("Base\\t.txt",
                          "one\r\n\t+a\r\n\t-b\r\n\tc\r\n"
                          "two\r\n\t-a\r\n\t+-+b\r\n"
                          "three\r\n\t+a\r\n\t+b\r\n\t-+-c\r\n"
                          "card\r\n"
                          "nothing right\r\n\t-x\r\n\t-y\r\n");
  Spread s = SpreadOf("Base\\t.txt");
  EXPECT_EQ(s.Questions, 5);
  EXPECT_EQ(s.Right[0], 2);  // one, three
  EXPECT_EQ(s.Right[1], 2);  // two, three
  EXPECT_EQ(s.Right[2], 0);
  EXPECT_EQ(s.Total(), 4);
  EXPECT_EQ(s.SolvedByFirst, 1);  // only "one"; "three" needs "1" and "2"
  // 2 of 4 is 50 %: too many in one place.
  EXPECT_NE(Lopsided("t", s), "");

  // Two of five in one place is exactly 40 %, still allowed; three of five is not.
  testsupport::WriteBytes("Base\\u.txt",
                          "a\r\n\t+1\r\n\t-2\r\n"
                          "b\r\n\t+1\r\n\t-2\r\n"
                          "c\r\n\t-1\r\n\t+2\r\n"
                          "d\r\n\t-1\r\n\t+2\r\n"
                          "e\r\n\t-1\r\n\t-2\r\n\t+3\r\n");
  Spread u = SpreadOf("Base\\u.txt");
  EXPECT_EQ(u.Total(), 5);
  EXPECT_EQ(Lopsided("u", u), "");
  testsupport::WriteBytes("Base\\v.txt",
                          "a\r\n\t+1\r\n\t-2\r\n"
                          "b\r\n\t+1\r\n\t-2\r\n"
                          "c\r\n\t+1\r\n\t-2\r\n"
                          "d\r\n\t-1\r\n\t+2\r\n"
                          "e\r\n\t-1\r\n\t-2\r\n\t+3\r\n");
  EXPECT_NE(Lopsided("v", SpreadOf("Base\\v.txt")), "");
}

TEST(SampleBank, EveryTopicSpreadsItsRightAnswersOverThePositions) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(EXAMEO_SAMPLE_DIR);
  static DisciplineClass catalogue;
  char pattern[] = "Base\\*.txt";
  catalogue.LoadDisciplines(pattern);
  ASSERT_EQ(catalogue.LastDiscipline, 5) << "the sample has six disciplines";

  Spread whole;
  int topics = 0;
  for (int d = 0; d <= catalogue.LastDiscipline; ++d) {
    catalogue.UnloadTopics();
    catalogue.LoadTopics(catalogue.Disciplines[d]);
    ASSERT_GE(catalogue.LastTopic, 0) << catalogue.Disciplines[d].Path;
    for (int t = 0; t <= catalogue.LastTopic; ++t) {
      const char* path = catalogue.Topics[t].Path;
      Spread s = SpreadOf(path);
      ++topics;
      EXPECT_GE(s.Questions, 8) << path;
      EXPECT_EQ(Lopsided(path, s), "");
      // Typing "1" and Enter through a topic solves at most 40 % of it.
      EXPECT_LE(5 * s.SolvedByFirst, 2 * s.Questions) << path;
      whole = Add(whole, s);
    }
  }
  EXPECT_EQ(topics, 16);
  EXPECT_EQ(Lopsided("the whole bank", whole), "");
  std::filesystem::current_path(previous);
}

}  // namespace
