// The rules of a rehearsed exam.
#include "exam/rules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bank/picture_ref.h"
#include "bank/question.h"
#include "common/program_texts.h"
#include "common/utf8.h"
#include "records/ini.h"

namespace exam {
namespace {

constexpr const auto& kRight = ptext::kVerdictRight;
constexpr const auto& kPartial = ptext::kVerdictPartial;
constexpr const auto& kWrong = ptext::kVerdictWrong;
constexpr const auto& kUnanswered = ptext::kVerdictUnanswered;
constexpr const auto& kExcellent = ptext::kGradeExcellent;
constexpr const auto& kGood = ptext::kGradeGood;
constexpr const auto& kSatisfactory = ptext::kGradeSatisfactory;
constexpr const auto& kFailed = ptext::kGradeFailed;
constexpr const auto& kAllTopics = ptext::kAllTopics;

// Tenths of a percent of part / whole, rounded half up; 0 for an empty whole.
int PercentTenthsOf(std::int64_t part, std::int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  if (part > whole) part = whole;
  return static_cast<int>((part * 2000 + whole) / (2 * whole));
}

bool ParseWhole(const std::string& text, int max, int* out) {
  if (text.empty() || text.size() > 9) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > max) return false;
  *out = v;
  return true;
}

// A title as one ini line holds it: line breaks become spaces, and the spaces around it go, as
// reading trims them.
std::string OneLine(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c == '\r' || c == '\n') c = ' ';
  std::size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return std::string();
  std::size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string Numbers(unsigned bits, unsigned of) {
  std::string out;
  for (int k = 0; k < kMaxVariants; ++k) {
    if ((of & (1u << k)) == 0 || (bits & (1u << k)) == 0) continue;
    if (!out.empty()) out += ", ";
    out += std::to_string(k + 1);
  }
  return out.empty() ? "-" : out;
}

}  // namespace

std::vector<int> Shares(std::span<const int> available, int count) {
  const std::size_t n = available.size();
  std::vector<int> shares(n, 0);
  std::int64_t total = 0;
  for (int a : available) total += a > 0 ? a : 0;
  if (total == 0 || count <= 0) return shares;
  if (count > total) count = static_cast<int>(total);
  std::vector<std::int64_t> remainder(n, 0);
  std::int64_t given = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::int64_t a = available[i] > 0 ? available[i] : 0;
    std::int64_t scaled = a * count;  // the share is scaled / total
    shares[i] = static_cast<int>(scaled / total);
    remainder[i] = scaled % total;
    given += shares[i];
  }
  // One each to the largest remainders; a stable order keeps equal ones in the topics' order.
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return remainder[a] > remainder[b]; });
  for (std::size_t k = 0; given < count && k < n; ++k, ++given) ++shares[order[k]];
  return shares;
}

std::vector<int> DrawWithoutRepeats(std::vector<int> from, int count, bank::Random& random) {
  if (count < 0) count = 0;
  std::size_t take = std::min(from.size(), static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < take; ++i) {
    std::size_t j = i + random.Below(static_cast<std::uint32_t>(from.size() - i));
    std::swap(from[i], from[j]);
  }
  from.resize(take);
  return from;
}

Score ScoreOf(const QuestionClass& q, unsigned ticked, bool reached) {
  Score score;
  if (!reached) return score;
  int rights = 0, rightTicked = 0, wrongTicked = 0;
  for (int k = 0; k < kMaxVariants; ++k) {
    if (!q.Vrnt[k].bExists) continue;
    bool tick = (ticked & (1u << k)) != 0;
    if (q.Vrnt[k].bCorrect) {
      ++rights;
      rightTicked += tick ? 1 : 0;
    } else {
      wrongTicked += tick ? 1 : 0;
    }
  }
  if (rights == 0) {
    bool clean = wrongTicked == 0;
    score.verdict = clean ? Verdict::kRight : Verdict::kWrong;
    score.credit = clean ? kCreditUnit : 0;
    return score;
  }
  int net = rightTicked - wrongTicked;
  score.credit = net > 0 ? kCreditUnit * net / rights : 0;
  if (rightTicked == rights && wrongTicked == 0)
    score.verdict = Verdict::kRight;
  else if (score.credit > 0)
    score.verdict = Verdict::kPartial;
  else
    score.verdict = Verdict::kWrong;
  return score;
}

const char* VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::kRight:
      return kRight;
    case Verdict::kPartial:
      return kPartial;
    case Verdict::kWrong:
      return kWrong;
    case Verdict::kUnanswered:
      break;
  }
  return kUnanswered;
}

Thresholds ReadThresholds(std::string_view ini) {
  Thresholds t;
  struct Key {
    const char* name;
    int Thresholds::*field;
  };
  constexpr Key kKeys[] = {{"excellent", &Thresholds::excellent},
                           {"good", &Thresholds::good},
                           {"satisfactory", &Thresholds::satisfactory}};
  for (const Key& key : kKeys) {
    std::string value;
    int v;
    if (records::IniValue(ini, "grades", key.name, &value) && ParseWhole(value, 100, &v))
      t.*key.field = v;
  }
  return t;
}

const char* GradeOf(int right, int drawn, const Thresholds& t) {
  // right / drawn >= t / 100, in integers.
  auto reaches = [&](int threshold) {
    return static_cast<std::int64_t>(right) * 100 >= static_cast<std::int64_t>(threshold) * drawn;
  };
  if (drawn <= 0) return kFailed;
  if (reaches(t.excellent)) return kExcellent;
  if (reaches(t.good)) return kGood;
  if (reaches(t.satisfactory)) return kSatisfactory;
  return kFailed;
}

std::string Clock(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[40];
  std::snprintf(text, sizeof text, "%lld:%02d", static_cast<long long>(seconds / 60),
                static_cast<int>(seconds % 60));
  return text;
}

std::string TitleLine(int number, int total, std::int64_t limitSeconds,
                      std::int64_t remainingSeconds) {
  static constexpr const auto& kHead = ptext::kExamTitleHead;
  static constexpr const auto& kLeft = ptext::kExamTitleLeft;
  char text[128];
  std::snprintf(text, sizeof text, kHead.c_str(), number, total);
  std::string line = text;
  if (limitSeconds > 0) line += kLeft.c_str() + Clock(remainingSeconds);
  return line;
}

std::int64_t RemainingSeconds(std::int64_t limitMs, std::int64_t elapsedMs) {
  std::int64_t left = limitMs - (elapsedMs < 0 ? 0 : elapsedMs);
  return left <= 0 ? 0 : (left + 999) / 1000;
}

std::string Tenths(std::int64_t tenths, bool dropZero) {
  if (tenths < 0) tenths = 0;
  char text[40];
  if (dropZero && tenths % 10 == 0)
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(tenths / 10));
  else
    std::snprintf(text, sizeof text, "%lld,%d", static_cast<long long>(tenths / 10),
                  static_cast<int>(tenths % 10));
  return text;
}

std::string TopicOrAll(const std::string& topic) {
  return topic.empty() ? std::string(kAllTopics) : topic;
}

int RightPercentTenths(const Summary& s) {
  return PercentTenthsOf(s.right, s.drawn);
}

int CreditPercentTenths(const Summary& s) {
  return PercentTenthsOf(s.credit, kCreditUnit * s.drawn);
}

std::vector<std::string> ReportLines(const Summary& s) {
  static constexpr const auto& kDiscipline = ptext::kReportDiscipline;
  static constexpr const auto& kTopic = ptext::kReportTopic;
  static constexpr const auto& kRightLine = ptext::kReportRight;
  static constexpr const auto& kCreditLine = ptext::kReportCredit;
  static constexpr const auto& kGradeLine = ptext::kReportGrade;
  static constexpr const auto& kTimeLine = ptext::kReportTime;
  static constexpr const auto& kOf = ptext::kOf;
  std::vector<std::string> lines;
  lines.push_back(kDiscipline.c_str() + s.discipline);
  lines.push_back(kTopic.c_str() + TopicOrAll(s.topic));
  char text[256];
  std::snprintf(text, sizeof text, kRightLine.c_str(), s.right, s.drawn,
                Tenths(RightPercentTenths(s), false).c_str());
  lines.push_back(text);
  // The credit in tenths of a question, rounded half up.
  std::int64_t creditTenths = (s.credit * 20 + kCreditUnit) / (2 * kCreditUnit);
  std::snprintf(text, sizeof text, kCreditLine.c_str(), Tenths(creditTenths, true).c_str(), s.drawn,
                Tenths(CreditPercentTenths(s), false).c_str());
  lines.push_back(text);
  lines.push_back(kGradeLine.c_str() + std::string(GradeOf(s.right, s.drawn, s.thresholds)));
  std::string time = kTimeLine.c_str() + Clock(s.seconds);
  if (s.limitSeconds > 0) time += kOf.c_str() + Clock(s.limitSeconds);
  lines.push_back(time);
  if (ReportLinesUtf8(s)) {
    // Every character of the titles, the program's words converted around them.
    std::string discipline, topic;
    utf8::FromCp1251(kDiscipline.c_str(), &discipline);
    utf8::FromCp1251(kTopic.c_str(), &topic);
    auto add = [](std::string* line, const std::string& title, bool isUtf8) {
      if (isUtf8)
        *line += title;
      else
        utf8::FromCp1251(title, line);
    };
    add(&discipline, s.discipline, s.disciplineUtf8);
    add(&topic, TopicOrAll(s.topic), s.topicUtf8 && !s.topic.empty());
    lines[0] = discipline;
    lines[1] = topic;
    for (std::size_t i = 2; i < lines.size(); ++i) {
      std::string converted;
      utf8::FromCp1251(lines[i], &converted);
      lines[i] = converted;
    }
  }
  return lines;
}

Row RowOf(int number, const QuestionClass& q, unsigned ticked, Verdict verdict) {
  Row row;
  row.number = std::to_string(number);
  row.verdict = VerdictText(verdict);
  std::string_view task(q.Task, strnlen(q.Task, sizeof q.Task));
  row.task = std::string(task.substr(0, task.find_first_of("\r\n")));
  // The report's list holds text only: a picture stands there as its text.
  if (q.bUtf8) row.task = picref::AltText(row.task);
  row.taskUtf8 = q.bUtf8;
  unsigned present = 0, right = 0;
  for (int k = 0; k < kMaxVariants; ++k) {
    if (!q.Vrnt[k].bExists) continue;
    present |= 1u << k;
    if (q.Vrnt[k].bCorrect) right |= 1u << k;
  }
  row.ticked = verdict == Verdict::kUnanswered ? std::string("-") : Numbers(ticked, present);
  row.right = Numbers(right, present);
  return row;
}

std::string TitleAsKept(std::string_view title) {
  return OneLine(title);
}

Settings ReadSettings(std::string_view ini) {
  Settings s;
  std::string value;
  if (records::IniValue(ini, "exam", "discipline", &value)) s.discipline = value;
  if (records::IniValue(ini, "exam", "topic", &value)) s.topic = value;
  int v;
  if (records::IniValue(ini, "exam", "count", &value) && ParseWhole(value, 1000000000, &v) && v > 0)
    s.count = v;
  if (records::IniValue(ini, "exam", "minutes", &value) && ParseWhole(value, 600, &v)) s.minutes = v;
  return s;
}

std::string WriteSettings(std::string_view ini, const Settings& s) {
  const records::IniPair pairs[] = {
      {"discipline", OneLine(s.discipline)},
      {"topic", OneLine(s.topic)},
      {"count", std::to_string(s.count < 0 ? 0 : s.count)},
      {"minutes", std::to_string(s.minutes < 0 ? 0 : s.minutes)},
  };
  return records::IniWithValues(ini, "exam", pairs, 4);
}

}  // namespace exam
