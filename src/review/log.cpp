// reviews.csv: the lines, the tolerant reader and the replay.
#include "review/log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/cp1251.h"
#include "common/csv.h"

namespace review {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr std::string_view kHeader = "Время;Файл;Ключ;Оценка;Режим";
constexpr int kFields = 5;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  std::int64_t yoe = y - era * 400;
  std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr void CivilFromDays(std::int64_t z, std::int64_t* y, int* m, int* d) {
  z += 719468;
  std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  std::int64_t doe = z - era * 146097;
  std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  std::int64_t mp = (5 * doy + 2) / 153;
  *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *y = yoe + era * 400 + (*m <= 2 ? 1 : 0);
}

constexpr std::int64_t kFirst = DaysFromCivil(0, 1, 1) * kDay;
constexpr std::int64_t kLast = DaysFromCivil(10000, 1, 1) * kDay - 1;

bool Digits(std::string_view s, std::size_t at, std::size_t n, int* value) {
  int v = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  *value = v;
  return true;
}

bool ParseKey(std::string_view s, std::uint64_t* key) {
  if (s.size() != 16) return false;
  std::uint64_t k = 0;
  for (char c : s) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) return false;
    k = k << 4 | static_cast<std::uint64_t>(v);
  }
  *key = k;
  return true;
}

// A file name: valid UTF-8 without control characters (no file name holds one, and a NUL would
// cut the name short when it is written again).
bool ValidFileName(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    char32_t u = cp1251::DecodeUtf8(s.data(), s.size(), &i);
    if (u == 0xFFFFFFFFu || u < 0x20) return false;
  }
  return !s.empty();
}

// Splits a line into its fields: plain ones as views into the line, quoted ones (the writer
// quotes a file name with ';' or '"'; a spreadsheet may quote any field) unquoted into
// `unquoted`. False when the count is not kFields or a quote is left open.
bool SplitLine(std::string_view line, std::string_view fields[kFields],
               std::string unquoted[kFields]) {
  int count = 0;
  std::size_t start = 0;
  while (true) {
    if (count == kFields) return false;
    if (start < line.size() && line[start] == '"') {
      // A quoted field, RFC 4180.
      csv::Field field;
      std::size_t i = start;
      for (; i < line.size(); ++i) {
        if (field.Quote(line, &i)) continue;
        if (line[i] == ';') break;
        field.Keep(line[i]);
      }
      if (field.quoted) return false;
      unquoted[count] = field.Take();
      fields[count] = unquoted[count];
      ++count;
      if (i >= line.size()) break;
      start = i + 1;
      continue;
    }
    std::size_t end = line.find(';', start);
    fields[count++] = line.substr(start, end == std::string_view::npos ? end : end - start);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return count == kFields;
}

// One line (without its line end) as an entry; false for anything that is not a whole one.
bool ParseLine(std::string_view line, Entry* e) {
  std::string_view fields[kFields];
  std::string unquoted[kFields];
  if (!SplitLine(line, fields, unquoted)) return false;
  if (!ParseUtc(fields[0], &e->When)) return false;
  if (!ValidFileName(fields[1])) return false;
  if (!ParseKey(fields[2], &e->Key)) return false;
  if (fields[3] == "3")
    e->Grade = kGradeRight;
  else if (fields[3] == "1")
    e->Grade = kGradeWrong;
  else
    return false;
  if (!records::KindOfWord(fields[4], &e->Kind)) return false;
  e->File.assign(fields[1]);
  return true;
}

}  // namespace

std::string FormatUtc(std::int64_t seconds) {
  seconds = seconds < kFirst ? kFirst : seconds > kLast ? kLast : seconds;
  std::int64_t days = seconds >= 0 ? seconds / kDay : -((-seconds + kDay - 1) / kDay);
  std::int64_t rest = seconds - days * kDay;
  std::int64_t y;
  int m, d;
  CivilFromDays(days, &y, &m, &d);
  char text[96];
  int h = static_cast<int>(rest / 3600), mi = static_cast<int>(rest / 60 % 60),
      s = static_cast<int>(rest % 60);
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", static_cast<int>(y), m, d, h,
                mi, s);
  return text;
}

bool ParseUtc(std::string_view t, std::int64_t* seconds) {
  if (t.size() != 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
      t[16] != ':' || t[19] != 'Z')
    return false;
  int y, mo, d, h, mi, s;
  if (!Digits(t, 0, 4, &y) || !Digits(t, 5, 2, &mo) || !Digits(t, 8, 2, &d) ||
      !Digits(t, 11, 2, &h) || !Digits(t, 14, 2, &mi) || !Digits(t, 17, 2, &s))
    return false;
  if (mo < 1 || mo > 12 || d < 1 || h > 23 || mi > 59 || s > 59) return false;
  static constexpr int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > kMonthDays[mo - 1] || (mo == 2 && !leap && d > 28)) return false;
  *seconds = DaysFromCivil(y, mo, d) * kDay + h * 3600 + mi * 60 + s;
  return true;
}

std::string LogHeader() {
  std::string text = kBom;
  text += kHeader;
  text += "\r\n";
  return text;
}

std::string LogLine(std::int64_t when, const char* fileName, std::uint64_t key, int grade,
                    Mode mode, bool fileUtf8) {
  std::string line = FormatUtc(when);
  line.push_back(';');
  std::string file;
  bool quote = false;
  for (const char* p = fileName; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == ';' || c == '"' || c == '\r' || c == '\n') quote = true;
    if (c == '"') file.push_back('"');
    if (fileUtf8)
      file.push_back(static_cast<char>(c));
    else
      cp1251::AppendUtf8(cp1251::ToUnicode(c), &file);
  }
  if (quote) line.push_back('"');
  line += file;
  if (quote) line.push_back('"');
  char tail[64];
  std::snprintf(tail, sizeof tail, ";%016llx;%d;", static_cast<unsigned long long>(key),
                grade == kGradeRight ? kGradeRight : kGradeWrong);
  line += tail;
  line += records::KindWord(mode);
  line += "\r\n";
  return line;
}

LogRead ParseLog(const char* bytes, std::size_t size) {
  LogRead read;
  std::string_view text(bytes, size);
  if (text.substr(0, 3) == kBom) text.remove_prefix(3);
  read.entries.reserve(size / 64);
  while (!text.empty()) {
    std::size_t end = 0;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string_view line = text.substr(0, end);
    if (end == text.size()) {
      text = {};
    } else {
      bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
      text.remove_prefix(end + (crlf ? 2 : 1));
    }
    if (line.empty() || line == kHeader) continue;
    Entry e;
    if (ParseLine(line, &e))
      read.entries.push_back(std::move(e));
    else
      ++read.skipped;
  }
  return read;
}

std::vector<KeyState> Replay(const std::vector<Entry>& entries, const Parameters& p) {
  // Sorted by key and time, equal times in file order: the index breaks the ties.
  struct Order {
    std::uint64_t key;
    std::int64_t when;
    std::size_t index;
  };
  std::vector<Order> order(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) order[i] = {entries[i].Key, entries[i].When, i};
  std::sort(order.begin(), order.end(), [](const Order& a, const Order& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.when != b.when) return a.when < b.when;
    return a.index < b.index;
  });
  std::vector<KeyState> states;
  for (std::size_t i = 0; i < order.size();) {
    KeyState k;
    k.Key = order[i].key;
    std::size_t last = i;
    for (; i < order.size() && order[i].key == k.Key; ++i) {
      const Entry& e = entries[order[i].index];
      k.State.Review(e.Grade, e.When, p);
      last = i;
    }
    k.File = entries[order[last].index].File;
    states.push_back(std::move(k));
  }
  return states;
}

}  // namespace review
