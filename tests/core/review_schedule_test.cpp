// The review schedule against values worked by hand from the FSRS-6 formulas and the default
// parameters (each figure below was computed separately, to full double precision).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "review/fsrs.h"

namespace {

using review::Card;
using review::kDay;

constexpr double kTol = 1e-9;
constexpr std::int64_t kScheduleT0 = 1796803200;  // 2026-12-09T08:00:00Z

// A card that was reviewed before, with the given state, last graded at kScheduleT0.
Card Reviewed(double stability, double difficulty) {
  Card c;
  c.Reviews = 1;
  c.Stability = stability;
  c.Difficulty = difficulty;
  c.Last = kScheduleT0;
  return c;
}

TEST(ReviewSchedule, FirstReviewTakesTheGradesStabilityAndDifficulty) {
  Card right;
  ASSERT_TRUE(right.Review(3, kScheduleT0));
  EXPECT_NEAR(right.Stability, 2.3065, kTol);
  EXPECT_NEAR(right.Difficulty, 2.118103970459015, kTol);
  EXPECT_EQ(right.Reviews, 1);
  EXPECT_EQ(right.Lapses, 0);
  EXPECT_EQ(review::IntervalDays(right.Stability, 0.9), 2);
  EXPECT_EQ(review::Due(right, 0.9), kScheduleT0 + 2 * kDay);

  Card wrong;
  ASSERT_TRUE(wrong.Review(1, kScheduleT0));
  EXPECT_NEAR(wrong.Stability, 0.212, kTol);
  EXPECT_NEAR(wrong.Difficulty, 6.4133, kTol);
  EXPECT_EQ(wrong.Lapses, 1);
  EXPECT_EQ(review::IntervalDays(wrong.Stability, 0.9), 1);  // 0.212 rounds to 0, at least 1
}

TEST(ReviewSchedule, OtherGradesChangeNothing) {
  Card c;
  EXPECT_FALSE(c.Review(2, kScheduleT0));
  EXPECT_FALSE(c.Review(4, kScheduleT0));
  EXPECT_FALSE(c.Review(0, kScheduleT0));
  EXPECT_EQ(c.Reviews, 0);
}

TEST(ReviewSchedule, SameDay) {
  // A right answer the same day: the factor (0.9945) is raised to 1, stability kept; the
  // difficulty only reverts by w7 towards the unclamped first difficulty (-4.7716).
  Card c;
  c.Review(3, kScheduleT0);
  c.Review(3, kScheduleT0 + kDay - 1);
  EXPECT_NEAR(c.Stability, 2.3065, kTol);
  EXPECT_NEAR(c.Difficulty, 2.1112142357853942, kTol);

  Card w;
  w.Review(3, kScheduleT0);
  w.Review(1, kScheduleT0 + 3600);
  EXPECT_NEAR(w.Stability, 0.7750839828558983, kTol);
  EXPECT_NEAR(w.Difficulty, 7.394502741279718, kTol);
  EXPECT_EQ(w.Lapses, 1);

  // After a first wrong answer the factor of a right one is over 1 (1.1636) and is applied.
  Card up;
  up.Review(1, kScheduleT0);
  up.Review(3, kScheduleT0 + 60);
  EXPECT_NEAR(up.Stability, 0.24668918777567272, kTol);
  EXPECT_NEAR(up.Difficulty, 6.402115069296838, kTol);
  up.Review(3, kScheduleT0 + 60 + kDay);  // one whole day later
  EXPECT_NEAR(up.Stability, 2.0214772516381925, kTol);
  EXPECT_NEAR(up.Difficulty, 6.3909413235243795, kTol);
}

TEST(ReviewSchedule, SuccessLapseAndLongGap) {
  Card c;
  c.Review(3, kScheduleT0);
  c.Review(3, kScheduleT0 + 3 * kDay + 5);  // t = 3
  EXPECT_NEAR(c.Stability, 13.826903694354572, kTol);
  EXPECT_NEAR(c.Difficulty, 2.1112142357853942, kTol);
  EXPECT_EQ(review::IntervalDays(c.Stability, 0.9), 14);
  // The lapse uses the old difficulty for the stability.
  std::int64_t second = kScheduleT0 + 3 * kDay + 5;
  c.Review(1, second + 20 * kDay);
  EXPECT_NEAR(c.Stability, 1.8032392438660474, kTol);
  EXPECT_NEAR(c.Difficulty, 7.392238132342694, kTol);
  EXPECT_EQ(c.Reviews, 3);
  EXPECT_EQ(c.Lapses, 1);
  EXPECT_EQ(review::Due(c, 0.9), second + 22 * kDay);

  Card gap;
  gap.Review(3, kScheduleT0);
  gap.Review(3, kScheduleT0 + 400 * kDay + kDay - 1);  // 400 whole days
  EXPECT_NEAR(gap.Stability, 65.60482031893632, 1e-8);
  EXPECT_EQ(review::IntervalDays(gap.Stability, 0.9), 66);
}

TEST(ReviewSchedule, Clamps) {
  Card low = Reviewed(5.0, 1.0);
  low.Review(3, kScheduleT0 + 3 * kDay);
  EXPECT_EQ(low.Difficulty, 1.0);  // 0.99423 before the clamp
  EXPECT_NEAR(low.Stability, 19.007920253060938, 1e-8);

  Card high = Reviewed(5.0, 10.5);
  high.Review(1, kScheduleT0 + 3 * kDay);
  EXPECT_EQ(high.Difficulty, 10.0);  // 10.1497 before the clamp
  EXPECT_NEAR(high.Stability, 0.8654422608089793, kTol);

  Card same = Reviewed(0.001, 5.0);
  same.Review(1, kScheduleT0 + 10);
  EXPECT_EQ(same.Stability, 0.001);  // 0.00056 before the clamp
  EXPECT_NEAR(same.Difficulty, 8.341762369296838, kTol);
  Card later = Reviewed(0.001, 5.0);
  later.Review(1, kScheduleT0 + 2 * kDay);
  EXPECT_EQ(later.Stability, 0.001);  // the cap S / e^(w17 w18) gives 0.00095

  EXPECT_EQ(review::IntervalDays(50000.0, 0.9), 36500);
  EXPECT_EQ(review::IntervalDays(36500.4, 0.9), 36500);
  EXPECT_EQ(review::IntervalDays(0.001, 0.9), 1);
  EXPECT_EQ(review::IntervalDays(std::numeric_limits<double>::infinity(), 0.9), 36500);
}

TEST(ReviewSchedule, IntervalAtOtherRetentions) {
  // At 0.9 the interval is the stability rounded.
  EXPECT_EQ(review::IntervalDays(2.3065, 0.9), 2);
  EXPECT_EQ(review::IntervalDays(8.2956, 0.9), 8);
  EXPECT_EQ(review::IntervalDays(100.0, 0.9), 100);
  // 0.8: 7.648, 27.508, 331.596 days.
  EXPECT_EQ(review::IntervalDays(2.3065, 0.8), 8);
  EXPECT_EQ(review::IntervalDays(8.2956, 0.8), 28);
  EXPECT_EQ(review::IntervalDays(100.0, 0.8), 332);
  // 0.95: 0.929, 3.339, 40.256 days.
  EXPECT_EQ(review::IntervalDays(2.3065, 0.95), 1);
  EXPECT_EQ(review::IntervalDays(8.2956, 0.95), 3);
  EXPECT_EQ(review::IntervalDays(100.0, 0.95), 40);
  // The ends of the allowed range: 0.70 gives 928.79, 0.99 gives 6.87 for 100 days.
  EXPECT_EQ(review::IntervalDays(100.0, 0.70), 929);
  EXPECT_EQ(review::IntervalDays(100.0, 0.99), 7);
}

TEST(ReviewSchedule, Retrievability) {
  Card c = Reviewed(8.2956, 5.0);
  EXPECT_NEAR(review::Retrievability(c, kScheduleT0 + 5 * kDay + 100), 0.9309092928406029, kTol);
  // After exactly the stability in days it is 0.9.
  Card ten = Reviewed(10.0, 5.0);
  EXPECT_NEAR(review::Retrievability(ten, kScheduleT0 + 10 * kDay), 0.9, kTol);
  Card s = Reviewed(2.3065, 5.0);
  EXPECT_NEAR(review::Retrievability(s, kScheduleT0 + 10 * kDay), 0.7743669167614039, kTol);
  EXPECT_EQ(review::Retrievability(s, kScheduleT0 + kDay - 1), 1.0);  // not a whole day yet
  EXPECT_EQ(review::Retrievability(s, kScheduleT0 - 5 * kDay), 1.0);  // the clock was set back
  EXPECT_EQ(review::Retrievability(Card{}, kScheduleT0), 1.0);
}

TEST(ReviewSchedule, RetentionOutsideTheRangeIsTheDefault) {
  EXPECT_EQ(review::ValidRetention(0.70), 0.70);
  EXPECT_EQ(review::ValidRetention(0.99), 0.99);
  EXPECT_EQ(review::ValidRetention(0.85), 0.85);
  EXPECT_EQ(review::ValidRetention(0.69), 0.9);
  EXPECT_EQ(review::ValidRetention(1.0), 0.9);
  EXPECT_EQ(review::ValidRetention(std::nan("")), 0.9);
}

}  // namespace
