#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Ill-formed input: each maximal subpart is one U+FFFD at its offset, so the repaired text,
// the character count and the decoded code points agree.
TEST(Utf8, IllFormedSequencesAreOneReplacementEach) {
  struct Case {
    std::string in, repaired;
    std::vector<std::size_t> offsets;
  } cases[] = {
      {"a\xD0\x96z", "a\xD0\x96z", {}},                      // Ж
      {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", {}},          // U+1F600
      {"\xC0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD", {0, 1}},      // overlong NUL: C0 never starts one
      {"\xE0\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", {0, 1, 2}},  // overlong
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", {0, 1, 2}},  // a surrogate
      {"\xF4\x90\x80\x80x", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx", {0, 1, 2, 3}},
      {"\xE2\x82z", "\xEF\xBF\xBDz", {0}},                    // cut short: one subpart
      {"\xF0\x9F\x98", "\xEF\xBF\xBD", {0}},                  // cut short at the end
      {"x\x80\xFF", "x\xEF\xBF\xBD\xEF\xBF\xBD", {1, 2}},
  };
  for (const Case& c : cases) {
    std::string out;
    std::vector<utf8::Invalid> bad;
    utf8::Repair(c.in, &out, &bad);
    EXPECT_EQ(c.repaired, out) << c.in;
    std::vector<std::size_t> offsets;
    for (auto b : bad) offsets.push_back(b.offset);
    EXPECT_EQ(c.offsets, offsets) << c.in;
    EXPECT_EQ(c.offsets.empty(), utf8::IsValid(c.in));
    EXPECT_EQ(c.offsets.empty() ? utf8::kNone : c.offsets[0], utf8::FindInvalid(c.in));
    EXPECT_EQ(utf8::Decode(out).size(), utf8::CountChars(c.in)) << c.in;
    EXPECT_EQ(utf8::Decode(c.in).size(), utf8::CountChars(c.in)) << c.in;
  }
}

TEST(Utf8, CutsNeverSplitACharacter) {
  const std::string text = "a\xD0\x96\xE2\x89\xA4\xF0\x9F\x98\x80";  // a Ж ≤ U+1F600
  struct Case {
    std::size_t max, kept;
  } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3}, {4, 3}, {5, 3}, {6, 6}, {9, 6}, {10, 10}, {99, 10}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.kept, utf8::CutLength(text, c.max)) << c.max;
    char field[8];
    if (c.max < sizeof field) {
      EXPECT_EQ(c.kept, utf8::CopyCut(text, field, c.max + 1)) << c.max;
      EXPECT_EQ(text.substr(0, c.kept), std::string(field));
    }
  }
  // An ill-formed sequence is kept whole or not at all, stray bytes one by one.
  EXPECT_EQ(1u, utf8::CutLength("a\xE2\x82z", 2));
  EXPECT_EQ(3u, utf8::CutLength("a\x80\x80\x80\x80\x80", 3));
}

TEST(Utf8, Cp1251BytesOnlyWhenEveryCharacterHasOne) {
  struct Case {
    std::string in;
    bool fits;
    std::size_t where;
  } cases[] = {
      {"\xD0\x81\xD0\xB6 \xE2\x84\x96" "1", true, 0},  // Ёж №1
      {"x\xC2\xB2", false, 1},                         // x²: no byte for ²
      {"\xCF\x80", false, 0},                          // π
      {"ok\xD0", false, 2},                            // ill-formed
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.fits, utf8::FitsCp1251(c.in)) << c.in;
    std::string out = "keep", back;
    std::size_t where = 99;
    EXPECT_EQ(c.fits, utf8::ToCp1251(c.in, &out, &where)) << c.in;
    if (c.fits) {
      utf8::FromCp1251(std::string_view(out).substr(4), &back);
      EXPECT_EQ(c.in, back);
    } else {
      EXPECT_EQ("keep", out);
      EXPECT_EQ(c.where, where);
    }
  }
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != 0x98) all.push_back(static_cast<char>(b));
  std::string utf, bytes;
  utf8::FromCp1251(all, &utf);
  ASSERT_TRUE(utf8::ToCp1251(utf, &bytes));
  EXPECT_EQ(all, bytes);
}

}  // namespace
