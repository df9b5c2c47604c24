// Russian nouns after a number: "1 вопрос", "2 вопроса", "5 вопросов", "11 вопросов",
// "21 вопрос". The forms are the caller's (in whatever encoding it speaks).
#pragma once

namespace common {

// `one` after 1, 21, 101...; `few` after 2-4, 22-24...; `many` after the rest, 11-14 included.
constexpr const char* RussianPlural(long n, const char* one, const char* few, const char* many) {
  unsigned long m = n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
  unsigned long tens = m % 100, units = m % 10;
  if (tens >= 11 && tens <= 14) return many;
  if (units == 1) return one;
  if (units >= 2 && units <= 4) return few;
  return many;
}

}  // namespace common
