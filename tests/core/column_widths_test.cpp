// The results window's column widths, natively: the arithmetic the Win32 list is fitted with.
#include <gtest/gtest.h>

#include "platform/column_widths.h"

namespace {

TEST(ResultsColumns, TheWidestGiveWayFirstKeepingShortTextsThenTextsDownToAFloor) {
  // Titles 120 150 160 100 over texts 120 60 60 40, in 400: the texts fit (280), so only the
  // titles are cut, to a common 93: 120 + 3 × 93 = 399, and 94 would give 402. The first
  // column, whose text is as wide as its title, keeps it.
  const int titles[4] = {120, 150, 160, 100};
  const int texts[4] = {120, 60, 60, 40};
  int widths[4] = {};
  EXPECT_EQ(FitColumnWidths(titles, texts, widths, 4, 400, 96), 399);
  const int expected[4] = {120, 93, 93, 93};
  for (int c = 0; c < 4; ++c) EXPECT_EQ(widths[c], expected[c]) << c;
  // A long text is cut before a title, down to kKeptTextWidth: texts 300 and 40 under titles
  // 60 and 150, in 300, give 150 each.
  const int named[2] = {60, 150}, long_[2] = {300, 40};
  int cut[2] = {};
  EXPECT_EQ(FitColumnWidths(named, long_, cut, 2, 300, 96), 300);
  EXPECT_EQ(cut[0], 150);
  EXPECT_EQ(cut[1], 150);
  // Room enough: each as wide as its title or text, but never beyond the cap.
  const int two[2] = {50, 60}, twoTexts[2] = {50, 4000};
  int fitted[2] = {};
  EXPECT_EQ(FitColumnWidths(two, twoTexts, fitted, 2, 1000, 96), 50 + kMaxColumnWidth);
  EXPECT_EQ(fitted[0], 50);
  EXPECT_EQ(fitted[1], kMaxColumnWidth);
  // Texts of 200 under titles of 250, three in 300: titles and texts go to 100 each;
  // in 60 none goes below the floor and the list scrolls.
  const int wide[3] = {250, 250, 250}, wideTexts[3] = {200, 200, 200};
  int out[3] = {};
  EXPECT_EQ(FitColumnWidths(wide, wideTexts, out, 3, 300, 96), 300);
  for (int w : out) EXPECT_EQ(w, 100);
  EXPECT_EQ(FitColumnWidths(wide, wideTexts, out, 3, 60, 96), 3 * kMinColumnWidth);
  for (int w : out) EXPECT_EQ(w, kMinColumnWidth);
  // At 150 % the limits grow as the texts do: the cap 480, the floor 60.
  EXPECT_EQ(FitColumnWidths(two, twoTexts, fitted, 2, 1000, 144), 50 + 480);
  EXPECT_EQ(FitColumnWidths(wide, wideTexts, out, 3, 60, 144), 3 * 60);
  // ... and the kept text's 180: the long text keeps 180 and the title gives way, to 120.
  EXPECT_EQ(FitColumnWidths(named, long_, cut, 2, 300, 144), 300);
  EXPECT_EQ(cut[0], 180);
  EXPECT_EQ(cut[1], 120);
}

// The room the columns share: the scroll bar's place only when the rows overflow. Faults
// caught: the place kept for a list that never scrolls (an empty strip after the last column
// while titles are cut), or not kept for one that does (the last column under the bar).
TEST(ResultsColumns, TheScrollBarsPlaceOnlyWhenTheRowsOverflow) {
  struct Case {
    int rows, rowHeight, room;
  };
  // A list 1000 × 300 inside, its header 24 high: 276 for rows; the bar 17 wide.
  for (const Case& c : {Case{0, 13, 1000}, Case{9, 13, 1000}, Case{21, 13, 1000},
                        Case{22, 13, 983}, Case{500, 13, 983}, Case{3, 0, 983}})
    EXPECT_EQ(ColumnRoom(1000, 300, 24, c.rowHeight, c.rows, 17), c.room)
        << c.rows << " rows of " << c.rowHeight;
  EXPECT_EQ(ColumnRoom(10, 300, 24, 13, 500, 17), 0);
}

}  // namespace
