// The widths of a list's columns from what their titles and texts need: the results window's
// fitting, pure arithmetic, so that it is tested natively.
#pragma once

#include "common/dpi.h"

// The list's columns: a title needs its text's width plus kColumnTitlePadding (the header's
// margins), a cell its text's plus kColumnCellPadding; no column is wider than kMaxColumnWidth.
// These widths are at 96 DPI: FitColumnWidths scales them to the display's, as the texts are.
inline constexpr int kColumnTitlePadding = 14;
inline constexpr int kColumnCellPadding = 16;
inline constexpr int kMaxColumnWidth = 320;
inline constexpr int kMinColumnWidth = 40;
inline constexpr int kKeptTextWidth = 120;

// Column widths from what their titles (`title`) and their texts (`content`) need, each capped.
// When they add up to more than `available`, the widest give way first, narrowed to one common
// width, as large as lets all fit, but a text no further than kKeptTextWidth (so dates and
// numbers stay whole while long titles and topics are cut). When even that does not fit, the
// texts too, down to kMinColumnWidth (then the list scrolls). The limits are scaled to `dpi`,
// as wide on the screen at any scaling as the texts. Returns the sum of the widths.
inline int FitColumnWidths(const int* title, const int* content, int* widths, int count,
                           int available, int dpi) {
  const int most = dpi::Scale(kMaxColumnWidth, dpi), kept = dpi::Scale(kKeptTextWidth, dpi),
            least = dpi::Scale(kMinColumnWidth, dpi);
  auto capped = [most](int width) { return width < most ? width : most; };
  // The sum when every column is held at `level`, within [low(c), high(c)].
  auto sumAt = [&](int level, auto low, auto high) {
    int sum = 0;
    for (int c = 0; c < count; ++c) {
      int w = level < low(c) ? low(c) : level;
      sum += w > high(c) ? high(c) : w;
    }
    return sum;
  };
  // The largest level whose sum fits, between `from` and `to` (`from` when none does).
  auto levelFor = [&](int from, int to, auto low, auto high) {
    while (from < to) {
      int level = (from + to + 1) / 2;
      if (sumAt(level, low, high) <= available)
        from = level;
      else
        to = level - 1;
    }
    return from;
  };
  auto whole = [&](int c) { return capped(title[c] > content[c] ? title[c] : content[c]); };
  // What is kept of a column before any text is cut: its text up to kKeptTextWidth.
  auto data = [&](int c) {
    int w = capped(content[c]);
    if (w > kept) w = kept;
    return w < least ? (whole(c) < least ? whole(c) : least) : w;
  };
  auto floor = [&](int c) { return whole(c) < least ? whole(c) : least; };
  int level = most;
  bool titles = true;  // only titles and texts wider than kKeptTextWidth are cut
  if (sumAt(0, data, whole) <= available) {
    level = levelFor(0, most, data, whole);
  } else {
    titles = false;
    level = levelFor(0, most, floor, data);
  }
  int total = 0;
  for (int c = 0; c < count; ++c) {
    int low = titles ? data(c) : floor(c), high = titles ? whole(c) : data(c);
    int w = level < low ? low : level;
    widths[c] = w > high ? high : w;
    total += widths[c];
  }
  return total;
}

// The width the columns of a list may share: its whole inner width (`width`, a vertical scroll
// bar's place included) while its `rows` of `rowHeight` fit under the header in `height`, else
// all but the scroll bar's `scrollBar`. Reserving the bar's place for a list that never shows
// one left an empty strip after the last column while titles were cut.
inline int ColumnRoom(int width, int height, int headerHeight, int rowHeight, int rows,
                      int scrollBar) {
  // A row height not known: the bar's place is kept, as a list that may scroll needs it.
  bool scrolls = rows > 0 && (rowHeight <= 0 || static_cast<long long>(rows) * rowHeight >
                                                    height - headerHeight);
  int room = scrolls ? width - scrollBar : width;
  return room > 0 ? room : 0;
}
