#include "common/cp1251.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(Cp1251, ConvertsRussianAndAsciiAtCompileTime) {
  constexpr auto text = Cp1251("Ёж, ёлка: Яя №1");
  const unsigned char want[] = {0xA8, 0xE6, ',',  ' ',  0xB8, 0xEB, 0xEA, 0xE0,
                                ':',  ' ',  0xDF, 0xFF, ' ',  0xB9, '1',  0};
  EXPECT_EQ(0, std::memcmp(text.c_str(), want, sizeof want));
}

TEST(Cp1251, RoundTripsEveryDefinedByte) {
  for (int b = 1; b < 256; ++b) {
    char32_t u = cp1251::ToUnicode(static_cast<unsigned char>(b));
    if (b == 0x98) {
      EXPECT_EQ(U'\uFFFD', u);
      EXPECT_EQ(-1, cp1251::FromUnicode(u));
    } else {
      EXPECT_EQ(b, cp1251::FromUnicode(u)) << b;
    }
  }
}

TEST(Cp1251, EveryCodePointOutsideTheCodePageHasNoByte) {
  // Against the table read the plain way: the shortcut for А..я must not catch its neighbours
  // (U+0400, U+040D, U+0450) nor miss anything the table holds.
  for (char32_t u = 0x80; u < 0x2200; ++u) {
    int want = -1;
    for (int i = 0; i < 128; ++i)
      if (cp1251::kHigh[i] == u) want = 0x80 + i;
    EXPECT_EQ(want, cp1251::FromUnicode(u)) << static_cast<unsigned>(u);
  }
  EXPECT_EQ(-1, cp1251::FromUnicode(0x1F600));
}

TEST(Cp1251, MalformedUtf8IsReportedNotOverread) {
  const char cut[] = {static_cast<char>(0xD0)};  // a two-byte sequence cut short
  std::size_t i = 0;
  EXPECT_EQ(0xFFFFFFFFu, cp1251::DecodeUtf8(cut, 1, &i));
  EXPECT_EQ(1u, i);
}

}  // namespace
