// results.csv: the record lines, the tolerant reader, and the chart of a topic.
#include "records/results.h"

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "common/cp1251.h"
#include "common/csv.h"
#include "common/utf8.h"

namespace records {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kYes[] = "да";
constexpr char kNo[] = "нет";
constexpr int kOldFields = 10;  // the columns before the mode was added
constexpr int kMidFields = 13;  // and before the exam's forecast was
constexpr int kFields = 14;
constexpr char kOldHeader[] =
    "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;"
    "Процент;Кругов;Длительность, с;Продолжено";
constexpr char kMidHeader[] = ";Режим;Частичный зачёт, %;Оценка";
constexpr char kForecastHeader[] = ";Прогноз, %";
constexpr const char* kGrades[] = {"отлично", "хорошо", "удовлетворительно", "неудовлетворительно"};

// A Windows-1251 text (UTF-8 when `isUtf8`) as a CSV field in UTF-8, quoted when it holds ';',
// '"' or a line break.
void AppendText(std::string* out, const char* text, bool isUtf8 = false) {
  std::string field;
  bool quote = false;
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == ';' || c == '"' || c == '\r' || c == '\n') quote = true;
    if (c == '"') field.push_back('"');
    if (isUtf8)
      field.push_back(static_cast<char>(c));
    else
      cp1251::AppendUtf8(cp1251::ToUnicode(c), &field);
  }
  if (quote) out->push_back('"');
  *out += field;
  if (quote) out->push_back('"');
}

// A UTF-8 field back in Windows-1251, cut to the record's capacity; held in UTF-8 (cut at a
// character, and true returned) when a character of what the record keeps has no Windows-1251
// byte. Decided on what is kept (up to a NUL, which ends a record's text, and within the
// capacity), so that the record written and read again is held the same way.
bool CopyText(std::string_view text, char* out) {
  text = text.substr(0, text.find('\0'));
  std::string kept;
  if (utf8::Kept(text, true, &kept)) {
    const std::size_t n = utf8::CutLength(kept, kResultTextCapacity - 1);
    std::string cp1251;
    if (n == kept.size() || !utf8::ToCp1251(std::string_view(kept).substr(0, n), &cp1251)) {
      utf8::CopyCut(kept, out, kResultTextCapacity);
      return true;
    }
    text = std::string_view(text).substr(0, n);  // what is cut off held the only such character
  }
  std::string_view utf8 = text;
  std::size_t i = 0, o = 0;
  while (i < utf8.size() && o + 1 < static_cast<std::size_t>(kResultTextCapacity)) {
    char32_t u = cp1251::DecodeUtf8(utf8.data(), utf8.size(), &i);
    int b = u == 0xFFFFFFFFu || u == 0 ? -1 : cp1251::FromUnicode(u);
    out[o++] = b < 0 ? '?' : static_cast<char>(b);
  }
  out[o] = '\0';
  return false;
}

// Splits one record off `text` into its fields (RFC 4180 quoting, where a quoted field may hold
// line breaks). Returns false when the line is torn (a quote left open at the end).
bool NextRecord(std::string_view* text, std::string fields[kFields], int* count) {
  *count = 0;
  csv::Field field;
  for (std::size_t i = 0; i < text->size(); ++i) {
    char c = (*text)[i];
    if (field.Quote(*text, &i)) continue;
    // CR, LF and CR LF all end a record outside quotes: the CR of a CR LF waits for its LF.
    if (c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n') continue;
    bool end = c == '\n' || c == '\r';
    if (c == ';' || end) {
      std::string taken = field.Take();
      if (*count < kFields) fields[*count] = std::move(taken);
      ++*count;
      if (end) {
        text->remove_prefix(i + 1);
        return true;
      }
      continue;
    }
    field.Keep(c);
  }
  // The last line has no line end: it may have been cut short by a crash, so it is passed
  // over unless it is whole. A whole record has all fourteen fields (thirteen when an older
  // version wrote it), and ToRecord checks that the last ones (the mode, the credit, the grade
  // and the forecast) agree, which tells a torn one.
  bool torn = field.quoted;
  if (*count < kFields) fields[*count] = field.Take();
  ++*count;
  text->remove_prefix(text->size());
  return !torn && (*count == kFields || *count == kMidFields);
}

bool ParseInt(std::string_view s, std::int64_t max, std::int64_t* out) {
  if (s.empty() || s.size() > 18) return false;
  std::int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  *out = v;
  return true;
}

// "66,7" or "66.7" (or "66"): tenths of a percent, 0 to 1000.
bool ParsePercent(std::string_view s, int* tenths) {
  std::size_t sep = s.find_first_of(",.");
  std::int64_t whole = 0, fraction = 0;
  if (!ParseInt(s.substr(0, sep), 100, &whole)) return false;
  if (sep != std::string_view::npos &&
      (s.size() != sep + 2 || !ParseInt(s.substr(sep + 1), 9, &fraction)))
    return false;
  if (whole * 10 + fraction > 1000) return false;
  *tenths = static_cast<int>(whole * 10 + fraction);
  return true;
}

// "YYYY-MM-DD HH:MM" with digits where digits belong.
bool IsStamp(std::string_view s) {
  constexpr std::string_view kShape = "0000-00-00 00:00";
  if (s.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    bool digit = s[i] >= '0' && s[i] <= '9';
    if (kShape[i] == '0' ? !digit : s[i] != kShape[i]) return false;
  }
  return true;
}

bool ToRecord(const std::string fields[kFields], int count, ResultRecord* r) {
  if (!IsStamp(fields[0])) return false;
  std::memcpy(r->When, fields[0].data(), 16);
  r->When[16] = '\0';
  r->DisciplineUtf8 = CopyText(fields[1], r->Discipline);
  r->TopicUtf8 = CopyText(fields[2], r->Topic);
  std::int64_t questions, asked, right, rounds, seconds;
  constexpr std::int64_t kIntMax = 2147483647;
  if (!ParseInt(fields[3], kIntMax, &questions) || !ParseInt(fields[4], kIntMax, &asked) ||
      !ParseInt(fields[5], kIntMax, &right) || !ParsePercent(fields[6], &r->PercentTenths) ||
      !ParseInt(fields[7], kIntMax, &rounds) || !ParseInt(fields[8], 999999999999999999, &seconds))
    return false;
  if (fields[9] == kYes)
    r->Resumed = true;
  else if (fields[9] == kNo)
    r->Resumed = false;
  else
    return false;
  r->Questions = static_cast<int>(questions);
  r->Asked = static_cast<int>(asked);
  r->Right = static_cast<int>(right);
  r->Rounds = static_cast<int>(rounds);
  r->Seconds = seconds;
  if (count == kOldFields) return true;
  if (!KindOfWord(fields[10], &r->Mode)) return false;
  // An exam has its credit and one of the grades; other records have neither.
  bool exam = r->Mode == Kind::kExam;
  bool graded = false;
  for (const char* g : kGrades) graded = graded || fields[12] == g;
  if (exam != graded || exam == fields[11].empty()) return false;
  r->CreditTenths = -1;
  if (exam && !ParsePercent(fields[11], &r->CreditTenths)) return false;
  std::string_view grade(fields[12]);
  std::size_t i = 0, o = 0;
  while (i < grade.size() && o + 1 < static_cast<std::size_t>(kGradeCapacity)) {
    char32_t u = cp1251::DecodeUtf8(grade.data(), grade.size(), &i);
    int b = u == 0xFFFFFFFFu || u == 0 ? -1 : cp1251::FromUnicode(u);
    r->Grade[o++] = b < 0 ? '?' : static_cast<char>(b);
  }
  r->Grade[o] = '\0';
  if (count == kMidFields) return true;
  // The forecast an exam made when it started, a whole percent; empty for other records and
  // for an exam that had none.
  r->ForecastPercent = -1;
  if (fields[13].empty()) return true;
  std::int64_t forecast = 0;
  if (!exam || !ParseInt(fields[13], 100, &forecast)) return false;
  r->ForecastPercent = static_cast<int>(forecast);
  return true;
}

}  // namespace

int PercentTenths(int right, int asked) {
  if (asked <= 0 || right < 0) return 0;
  if (right > asked) right = asked;
  // Rounded half up, in integers: 2 of 3 is 66.7.
  return static_cast<int>((static_cast<std::int64_t>(right) * 2000 + asked) / (2 * asked));
}

std::string ResultsHeader() {
  return std::string(kBom) + kOldHeader + kMidHeader + kForecastHeader + "\r\n";
}

bool HasOldHeader(const char* bytes, std::size_t size) {
  if (bytes == nullptr) return false;
  std::string_view text(bytes, size);
  if (text.substr(0, 3) == kBom) text.remove_prefix(3);
  std::string_view header(kOldHeader);
  if (text.substr(0, header.size()) != header) return false;
  text.remove_prefix(header.size());
  // The ten columns of the first version, or the thirteen before the forecast.
  std::string_view mid(kMidHeader);
  if (text.substr(0, mid.size()) == mid) text.remove_prefix(mid.size());
  return text.substr(0, 2) == "\r\n" || text.substr(0, 1) == "\n";
}

std::string WithNewHeader(const char* bytes, std::size_t size) {
  std::string_view text(bytes, size);
  if (!HasOldHeader(bytes, size)) return std::string(text);
  std::size_t end = text.find('\n');
  return ResultsHeader() + std::string(text.substr(end + 1));
}

std::string FormatResult(const ResultRecord& r) {
  std::string line;
  line.append(r.When, strnlen(r.When, sizeof r.When));
  line.push_back(';');
  AppendText(&line, r.Discipline, r.DisciplineUtf8);
  line.push_back(';');
  AppendText(&line, r.Topic, r.TopicUtf8);
  char numbers[160];
  int tenths = r.PercentTenths < 0 ? 0 : r.PercentTenths;
  // The decimal comma: the separator ';' is the one spreadsheets of a Russian locale expect,
  // and they read "66,7" as a number.
  std::snprintf(numbers, sizeof numbers, ";%d;%d;%d;%d,%d;%d;%lld;", r.Questions, r.Asked, r.Right,
                tenths / 10, tenths % 10, r.Rounds, static_cast<long long>(r.Seconds));
  line += numbers;
  line += r.Resumed ? kYes : kNo;
  line.push_back(';');
  line += KindWord(r.Mode);
  line.push_back(';');
  if (r.CreditTenths >= 0) {
    std::snprintf(numbers, sizeof numbers, "%d,%d", r.CreditTenths / 10, r.CreditTenths % 10);
    line += numbers;
  }
  line.push_back(';');
  AppendText(&line, r.Grade);
  line.push_back(';');
  if (r.ForecastPercent >= 0 && r.ForecastPercent <= 100) line += std::to_string(r.ForecastPercent);
  line += "\r\n";
  return line;
}

std::vector<ResultRecord> ParseResults(const char* bytes, std::size_t size) {
  // Only the newest records are kept, in a ring: a file of millions of lines must not cost
  // gigabytes of records (each holds two 1 KiB titles).
  std::vector<ResultRecord> ring;
  std::size_t total = 0;
  if (bytes == nullptr) return ring;
  std::string_view text(bytes, size);
  if (text.substr(0, 3) == kBom) text.remove_prefix(3);
  std::string fields[kFields];
  while (!text.empty()) {
    std::string_view start = text;
    int count = 0;
    ResultRecord record;
    // The header has as many fields, but no date: ToRecord drops it.
    if (NextRecord(&text, fields, &count) && (count == kFields || count == kMidFields || count == kOldFields) &&
        ToRecord(fields, count, &record)) {
      if (ring.size() < kMaxResultRecords)
        ring.push_back(record);
      else
        ring[total % kMaxResultRecords] = record;
      ++total;
      continue;
    }
    // A damaged line costs only itself: a stray quote must not swallow the records after it.
    std::size_t end = start.find_first_of("\r\n");
    text = end == std::string_view::npos ? std::string_view() : start.substr(end + 1);
  }
  // Oldest first again, then newest first: records are appended as quizzes end.
  if (total > kMaxResultRecords)
    std::rotate(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(total % kMaxResultRecords),
                ring.end());
  std::reverse(ring.begin(), ring.end());
  return ring;
}

Chart ChartOf(const std::vector<ResultRecord>& newestFirst, const char* discipline,
              const char* topic, int selected) {
  Chart chart;
  if (discipline == nullptr || topic == nullptr) return chart;
  // The topic's attempts, newest first.
  std::vector<int> picked;
  int mark = -1;
  for (int i = 0; i < static_cast<int>(newestFirst.size()); ++i) {
    const ResultRecord& r = newestFirst[static_cast<std::size_t>(i)];
    if (std::strcmp(r.Discipline, discipline) != 0 || std::strcmp(r.Topic, topic) != 0) continue;
    if (i == selected) mark = static_cast<int>(picked.size());
    picked.push_back(i);
  }
  const int total = static_cast<int>(picked.size());
  // The newest 20, or, for a selected attempt older than them, the 20 that end with it (the
  // oldest 20 when fewer came before it).
  int newest = 0;
  if (mark >= kChartBars) newest = mark < total - kChartBars ? mark : total - kChartBars;
  chart.Count = total - newest < kChartBars ? total - newest : kChartBars;
  for (int b = 0; b < chart.Count; ++b) {
    const int k = newest + chart.Count - 1 - b;  // oldest first
    const ResultRecord& r =
        newestFirst[static_cast<std::size_t>(picked[static_cast<std::size_t>(k)])];
    chart.PercentTenths[b] = r.PercentTenths;
    chart.Exam[b] = r.Mode == Kind::kExam;
    std::memcpy(chart.When[b], r.When, sizeof chart.When[b]);
    chart.When[b][sizeof chart.When[b] - 1] = 0;
    if (k == mark) chart.Selected = b;
  }
  return chart;
}

}  // namespace records
