// The forecast of an exam's score: figures worked out by hand and the sets that have none (the
// simulated students' sittings are in review_fit_test.cpp, on the fitted parameters).
#include <gtest/gtest.h>

#include <vector>

#include "review/forecast.h"

namespace {

using review::Entry;
constexpr std::int64_t kForecastNow = 1796774400 + 10 * 3600;  // 2026-12-09T10:00:00Z

Entry ForecastLine(std::int64_t when, std::uint64_t key, int grade) {
  return {when, key, grade, review::Mode::kExam, "f"};
}

TEST(ReviewForecast, SharesByTopicAndDiscipline) {
  // A: right 3 days 6 hours ago (S 2.3065): R 0.87477 in fractional days (0.9468 in whole
  // ones). B: wrong an hour ago (S 0.212): R 0.97320, not 1 as a whole day would give. Of the
  // first answers 1 of 2 were right: an unanswered question counts (1 + 1) / (2 + 2) = 0.5.
  std::vector<Entry> log = {ForecastLine(kForecastNow - 3 * review::kDay - 6 * 3600, 0xA, 3),
                            ForecastLine(kForecastNow - 3600, 0xB, 1)};
  review::Bank bank;
  // The second topic was never answered; the third holds only a card without variants.
  bank.Topics.push_back({0, "D", "T0", "t0", {0xA, 0xB, 0xC, 0xD}, {2, 2, 3, 0}});
  bank.Topics.push_back({0, "D", "T1", "t1", {0xC}, {4}});
  bank.Topics.push_back({1, "E", "T2", "t2", {0xA}, {0}});
  review::Knowledge k = review::Know(log);
  EXPECT_EQ(k.firstAnswers, 2);
  EXPECT_EQ(k.firstRight, 1);
  review::BankForecast f = review::ForecastBank(k, bank, kForecastNow);
  ASSERT_EQ(f.topics.size(), 3u);
  EXPECT_NEAR(f.topics[0].share.value_or(-1), 0.7826548197668511, 1e-12);
  EXPECT_EQ(f.topics[0].questions, 3);
  EXPECT_EQ(f.topics[0].answered, 2);
  EXPECT_FALSE(f.topics[1].share.has_value());
  EXPECT_EQ(f.topics[1].questions, 1);
  EXPECT_FALSE(f.topics[2].share.has_value());
  EXPECT_EQ(f.topics[2].questions, 0);
  ASSERT_EQ(f.disciplines.size(), 2u);
  // The unanswered topic's question still counts in its discipline, at 0.5.
  EXPECT_NEAR(f.disciplines[0].forecast.share.value_or(-1), 0.7119911148251383, 1e-12);
  EXPECT_EQ(f.disciplines[0].topicCount, 2);
  EXPECT_FALSE(f.disciplines[1].forecast.share.has_value());
  EXPECT_EQ(review::ForecastDiscipline(k, bank, 0, kForecastNow).share, f.disciplines[0].forecast.share);

  // Fitted parameters are the ones used (w20 0.5: 0.86694 and 0.97772).
  review::Parameters p = review::kDefaultParameters;
  p.w[20] = 0.5;
  EXPECT_NEAR(review::ForecastTopic(review::Know(log, p), bank, 0, kForecastNow).share.value_or(-1),
              0.7815522763890378, 1e-12);
  // With no log there is nothing to forecast from.
  review::Knowledge none = review::Know({});
  EXPECT_FALSE(review::ForecastTopic(none, bank, 0, kForecastNow).share.has_value());
  EXPECT_FALSE(review::ForecastDiscipline(none, bank, 0, kForecastNow).share.has_value());
}

}  // namespace
