// The counts of the review log against the bank: questions found by their keys across every
// discipline, edited or removed ones not counted, and the days measured from the end of today.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/scratch.h"
#include "bank/catalogue.h"
#include "common/cp1251.h"
#include "review/counts.h"
#include "review/log.h"

namespace {

using testsupport::ScratchDir;
using testsupport::WriteBytes;

using review::kDay;
constexpr std::int64_t kCountsT0 = 1796803200;  // 2026-12-09T08:00:00Z
constexpr std::int64_t kCountsNow = kCountsT0 + 10 * 3600;

DisciplineClass catalogue;

review::Bank Scan() {
  std::string pattern = "Base\\*.txt";
  catalogue.UnloadTopics();
  catalogue.LoadDisciplines(pattern.data());
  return review::ScanBank(catalogue);
}

std::vector<review::KeyState> States(const std::string& log) {
  return review::Replay(review::ParseLog(log.data(), log.size()).entries);
}

class ReviewCountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes("Base\\1.txt", Cp1251("Первая\r\n\tA\"d1\\a.txt\"\r\n\tB\"d1\\b.txt\"\r\n").c_str());
    WriteBytes("Base\\2.txt",
               Cp1251("Вторая\r\n\tC\"d2\\c.txt\"\r\n\tПустая\"d1\\e.txt\"\r\n").c_str());
    WriteBytes("Base\\d1\\a.txt",
               "A0\r\n\t+x\r\n\t-y\r\nA1\r\n\t+x\r\n\t-w\r\nA2\r\n\t-x\r\n\t+z\r\n");
    // B's first question is A's second, with its variants in another order and
    // other line ends: the same key.
    WriteBytes("Base\\d1\\b.txt", "A1\n\t-w\n\t+x\nB1\n\t+b\n");
    WriteBytes("Base\\d2\\c.txt", "C0\r\n\t+c\r\n");
    WriteBytes("Base\\d1\\e.txt", "");
  }
  ScratchDir dir_;
};

TEST_F(ReviewCountsTest, TheBanksKeysByTopicAcrossDisciplines) {
  review::Bank bank = Scan();
  ASSERT_EQ(bank.Topics.size(), 4u);
  EXPECT_EQ(bank.Topics[0].DisciplineTitle, Cp1251("Первая").c_str());
  EXPECT_EQ(bank.Topics[0].Title, "A");
  EXPECT_EQ(bank.Topics[0].File, "Base\\d1\\a.txt");
  EXPECT_EQ(bank.Topics[2].Discipline, 1);
  EXPECT_EQ(bank.Topics[2].File, "Base\\d2\\c.txt");
  EXPECT_EQ(bank.Topics[3].Title, Cp1251("Пустая").c_str());
  EXPECT_EQ(bank.Topics[0].Keys.size(), 3u);
  EXPECT_EQ(bank.Topics[1].Keys.size(), 2u);
  EXPECT_EQ(bank.Topics[2].Keys.size(), 1u);
  EXPECT_EQ(bank.Topics[3].Keys.size(), 0u);
  EXPECT_EQ(bank.Topics[1].Keys[0], bank.Topics[0].Keys[1]);
  EXPECT_NE(bank.Topics[1].Keys[1], bank.Topics[0].Keys[1]);
  // The catalogue given is left as it was: its disciplines, and no topics loaded into it.
  EXPECT_EQ(catalogue.LastDiscipline, 1);
  EXPECT_EQ(catalogue.LastTopic, -1);
}

TEST_F(ReviewCountsTest, DueMistakesRowsAndHistogram) {
  review::Bank before = Scan();
  std::uint64_t oldC = before.Topics[2].Keys[0];
  WriteBytes("Base\\d2\\c.txt", "C0 edited\r\n\t+c\r\n");  // a new key for C0
  review::Bank bank = Scan();
  ASSERT_NE(bank.Topics[2].Keys[0], oldC);
  std::uint64_t a0 = bank.Topics[0].Keys[0], a1 = bank.Topics[0].Keys[1],
                b1 = bank.Topics[1].Keys[1];
  std::string log = review::LogHeader();
  // A0: right 23 hours ago: S 2.3065, due in 2 days at 01:00 tomorrow + 1 day; R now (1 whole
  // day) 0.9468.
  log += review::LogLine(kCountsT0 - 23 * 3600, "Base\\d1\\a.txt", a0, 3, review::Mode::kTopic);
  // A1 (also B's first): wrong two days ago: S 0.212, due yesterday; R now (2 days) 0.6985.
  log += review::LogLine(kCountsT0 - 2 * kDay, "Base\\d1\\b.txt", a1, 1, review::Mode::kExam);
  // B1: right ten and seven days ago: S 13.8269, due in 14 days from then, at the end of the
  // 7th day exactly (not within the week); R now (7 days) 0.9397.
  log += review::LogLine(kCountsT0 - 10 * kDay, "Base\\d1\\b.txt", b1, 3, review::Mode::kTopic);
  log += review::LogLine(kCountsT0 - 7 * kDay, "Base\\d1\\b.txt", b1, 3, review::Mode::kTopic);
  // The edited question's old key and a removed question: wrong and overdue, never counted.
  log += review::LogLine(kCountsT0 - 5 * kDay, "Base\\d2\\c.txt", oldC, 1, review::Mode::kTopic);
  log += review::LogLine(kCountsT0 - 5 * kDay, "Base\\gone.txt", 0x1234, 1, review::Mode::kTopic);
  std::vector<review::KeyState> states = States(log);
  ASSERT_EQ(states.size(), 5u);

  review::Horizon horizon = review::FixedHorizon(kCountsNow, kCountsT0 + kDay);
  review::Counts c = review::Count(states, bank, horizon, 0.9);
  EXPECT_EQ(c.DueToday, 1);  // A1 once, though two topics hold it
  EXPECT_EQ(c.Mistakes, 1);
  ASSERT_EQ(c.Rows.size(), 4u);
  auto row = [&](int i) {
    const review::TopicRow& r = c.Rows[i];
    return std::vector<int>{r.Topic, r.Questions, r.Answered, r.Known, r.DueToday, r.DueWeek};
  };
  EXPECT_EQ(row(0), (std::vector<int>{0, 3, 2, 1, 1, 2}));
  EXPECT_EQ(row(1), (std::vector<int>{1, 2, 2, 1, 1, 1}));
  EXPECT_EQ(row(2), (std::vector<int>{2, 1, 0, 0, 0, 0}));
  EXPECT_EQ(row(3), (std::vector<int>{3, 0, 0, 0, 0, 0}));
  int expected[review::kHistogramDays] = {1, 1, 0, 0, 0, 0, 0, 1};
  for (int d = 0; d < review::kHistogramDays; ++d)
    EXPECT_EQ(c.Histogram[d], expected[d]) << "day " << d;

  // At 0.95 A0's interval is one day (0.93 rounded): due at 01:00 today; and neither A0
  // (0.9468) nor B1 (0.9397) is known now. B1's interval is round(5.567) = 6 days: due 1 day ago.
  c = review::Count(states, bank, horizon, 0.95);
  EXPECT_EQ(c.DueToday, 3);
  EXPECT_EQ(row(0), (std::vector<int>{0, 3, 2, 0, 2, 2}));
  EXPECT_EQ(row(1), (std::vector<int>{1, 2, 2, 0, 2, 2}));
  EXPECT_EQ(c.Histogram[0], 3);

  // Removed from the bank, A's questions are counted only where B still holds one.
  WriteBytes("Base\\1.txt", Cp1251("Первая\r\n\tB\"d1\\b.txt\"\r\n").c_str());
  c = review::Count(states, Scan(), horizon, 0.9);
  EXPECT_EQ(c.DueToday, 1);
  EXPECT_EQ(c.Histogram[1], 0);  // A0 is gone
  EXPECT_EQ(c.Rows.size(), 3u);
}

// The day's end is the next day's first second: a question due then is tomorrow's, one due a
// second before is today's. The scan tells cards without variants.
TEST_F(ReviewCountsTest, DueAtTheEndOfTodayAndCardsWithoutVariants) {
  WriteBytes("Base\\d2\\c.txt", "C0\r\n\t+c\r\nC1\r\nC2\r\n\t-x\r\n\t+y\r\n");
  review::Bank bank = Scan();
  ASSERT_EQ(bank.Topics[2].Variants, (std::vector<std::uint8_t>{1, 0, 2}));
  const std::vector<std::uint64_t>& keys = bank.Topics[2].Keys;
  std::int64_t todayEnd = kCountsT0 + kDay;
  std::string log = review::LogHeader();
  // Right at first: S 2.3065, an interval of 2 days.
  log += review::LogLine(todayEnd - 2 * kDay, "c", keys[0], 3, review::Mode::kTopic);
  log += review::LogLine(todayEnd - 2 * kDay - 1, "c", keys[2], 3, review::Mode::kTopic);
  review::Counts c =
      review::Count(States(log), bank, review::FixedHorizon(kCountsNow, todayEnd), 0.9);
  EXPECT_EQ(c.DueToday, 1);
  EXPECT_EQ(c.Histogram[0], 1);
  EXPECT_EQ(c.Histogram[1], 1);
  EXPECT_EQ(c.Rows[2].DueToday, 1);
  EXPECT_EQ(c.Rows[2].DueWeek, 2);
}

TEST(ReviewHorizon, TheEndsOfTheLocalDays) {
  review::Horizon fixed = review::FixedHorizon(kCountsNow, kCountsT0 + kDay);
  EXPECT_EQ(fixed.DayEnds[0], kCountsT0 + kDay);
  EXPECT_EQ(fixed.DayEnds[29], kCountsT0 + 30 * kDay);
  // Whatever the machine's zone, the local days follow on: each end later than the one before
  // by 23 to 25 hours, the first one within a day after now.
  review::Horizon local = review::LocalHorizon(kCountsNow);
  EXPECT_GT(local.DayEnds[0], kCountsNow);
  EXPECT_LE(local.DayEnds[0], kCountsNow + kDay);
  for (int d = 1; d < review::kHistogramDays; ++d) {
    EXPECT_GE(local.DayEnds[d] - local.DayEnds[d - 1], 23 * 3600) << d;
    EXPECT_LE(local.DayEnds[d] - local.DayEnds[d - 1], 25 * 3600) << d;
  }
}

}  // namespace
