// The CSV quoting both readers share, driven the way they drive it: a loop that owns the
// separator and the line end and hands every other character to the field.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/csv.h"

namespace {

// Fields of one line split at ';'; `open` tells whether a quote was left open at the end.
std::vector<std::string> Split(std::string_view s, bool* open = nullptr) {
  std::vector<std::string> fields;
  csv::Field field;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (field.Quote(s, &i)) continue;
    if (s[i] == ';')
      fields.push_back(field.Take());
    else
      field.Keep(s[i]);
  }
  if (open != nullptr) *open = field.quoted;
  fields.push_back(field.Take());
  return fields;
}

using Fields = std::vector<std::string>;

TEST(CsvField, QuotedFieldsHoldSeparatorsLineBreaksAndDoubledQuotes) {
  EXPECT_EQ(Split("a;\"b;c\";d"), (Fields{"a", "b;c", "d"}));
  EXPECT_EQ(Split("\"x\r\ny\";z"), (Fields{"x\r\ny", "z"}));
  EXPECT_EQ(Split("\"say \"\"hi\"\"\";\"\"\"\""), (Fields{"say \"hi\"", "\""}));
  EXPECT_EQ(Split("\"\";;"), (Fields{"", "", ""}));
}

TEST(CsvField, StrayQuotesAndTextAfterAClosingQuoteAreKeptAsWritten) {
  // A quote opens a quoted part only at the start of a field.
  EXPECT_EQ(Split("ab\"c;d"), (Fields{"ab\"c", "d"}));
  // After the closing quote the rest is plain text, and a quote there is text too.
  EXPECT_EQ(Split("\"ab\"cd;e"), (Fields{"abcd", "e"}));
  EXPECT_EQ(Split("\"ab\"c\"d;e"), (Fields{"abc\"d", "e"}));
  // The next field starts afresh: its opening quote counts again.
  EXPECT_EQ(Split("x\";\"y;z\""), (Fields{"x\"", "y;z"}));
}

TEST(CsvField, AQuoteLeftOpenTakesTheRestAndIsReported) {
  bool open = false;
  EXPECT_EQ(Split("a;\"b;c", &open), (Fields{"a", "b;c"}));
  EXPECT_TRUE(open);
  // A doubled quote at the very end is one quote inside, still open; a single one closes.
  EXPECT_EQ(Split("\"b\"\"", &open), (Fields{"b\""}));
  EXPECT_TRUE(open);
  EXPECT_EQ(Split("\"b\"", &open), (Fields{"b"}));
  EXPECT_FALSE(open);
}

}  // namespace
