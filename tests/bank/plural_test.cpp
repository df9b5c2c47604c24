// Russian plural forms after a number.
#include "common/plural.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

std::string Said(long n) {
  return std::to_string(n) + " " + common::RussianPlural(n, "вопрос", "вопроса", "вопросов");
}

TEST(RussianPlural, FollowsTheLastTwoDigits) {
  EXPECT_EQ(Said(0), "0 вопросов");
  EXPECT_EQ(Said(1), "1 вопрос");
  EXPECT_EQ(Said(2), "2 вопроса");
  EXPECT_EQ(Said(4), "4 вопроса");
  EXPECT_EQ(Said(5), "5 вопросов");
  EXPECT_EQ(Said(11), "11 вопросов");
  EXPECT_EQ(Said(12), "12 вопросов");
  EXPECT_EQ(Said(14), "14 вопросов");
  EXPECT_EQ(Said(21), "21 вопрос");
  EXPECT_EQ(Said(22), "22 вопроса");
  EXPECT_EQ(Said(101), "101 вопрос");
  EXPECT_EQ(Said(111), "111 вопросов");
  EXPECT_EQ(Said(112), "112 вопросов");
  EXPECT_EQ(Said(1021), "1021 вопрос");
  EXPECT_EQ(Said(-3), "-3 вопроса");
  // The most negative long has no positive twin: no overflow on the way (it ends in 8 with a
  // long of 32 bits and of 64).
  EXPECT_STREQ(common::RussianPlural(std::numeric_limits<long>::min(), "1", "2", "5"), "5");
}

}  // namespace
