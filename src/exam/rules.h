// The rules of a rehearsed exam, free of any window: the draw, the scoring of an answer, the
// grade, the clock's texts, the report's lines and the settings kept in exameo.ini.
//
// Texts are Windows-1251 bytes, as everywhere in the program.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bank/shuffle.h"

struct QuestionClass;

namespace exam {

// ---- The draw ----

// How many of `count` questions each topic gives when they are drawn from topics holding
// `available[i]` questions each, in proportion to them: every topic gets the whole part of its
// share, and what is left goes one each to the largest remainders, equal remainders in the
// order of the topics. `count` is taken as at most the sum and at least 0.
std::vector<int> Shares(std::span<const int> available, int count);
// `count` different values of `from`, drawn at random (all of them when it holds fewer), in
// the order they were drawn.
std::vector<int> DrawWithoutRepeats(std::vector<int> from, int count, bank::Random& random);

// ---- Scoring ----

enum class Verdict { kRight, kPartial, kWrong, kUnanswered };

// A question's credit is a fraction with at most 12 right variants below it; counted in parts
// of this many (the least common multiple of 1 to 12) it stays exact when summed.
inline constexpr std::int64_t kCreditUnit = 27720;

struct Score {
  Verdict verdict = Verdict::kUnanswered;
  std::int64_t credit = 0;  // in kCreditUnit parts of a question
};

// The answer `ticked` (bit k: the variant in slot k was ticked) to question `q`, or no answer
// when it was never `reached`. Partial credit is max(0, (right ticked - wrong ticked) / right
// variants); a question without a right variant scores 1 when nothing is ticked, else 0.
Score ScoreOf(const QuestionClass& q, unsigned ticked, bool reached);
// "верно", "частично", "неверно", "без ответа".
const char* VerdictText(Verdict verdict);

// ---- Grades ----

// The least full-credit percents of the three passing grades.
struct Thresholds {
  int excellent = 85;
  int good = 70;
  int satisfactory = 50;
};
// The section [grades] of exameo.ini (keys excellent, good, satisfactory; whole numbers 0 to
// 100); what it lacks or holds damaged keeps its default.
Thresholds ReadThresholds(std::string_view ini);
// "отлично", "хорошо", "удовлетворительно" or "неудовлетворительно" for `right` of `drawn`.
const char* GradeOf(int right, int drawn, const Thresholds& thresholds);

// ---- Texts ----

// "m:ss": minutes without a leading zero and as many as there are ("125:00"), seconds two
// digits. Negative counts as 0.
std::string Clock(std::int64_t seconds);
// The main window's title during a sitting: "Экзамен: вопрос 3 из 20, осталось 14:05", or
// without a limit (limitSeconds 0) "Экзамен: вопрос 3 из 20".
std::string TitleLine(int number, int total, std::int64_t limitSeconds,
                      std::int64_t remainingSeconds);
// Whole seconds left of `limitMs` after `elapsedMs`, counting a begun second as whole: the
// clock shows 0:00 only when the time is up.
std::int64_t RemainingSeconds(std::int64_t limitMs, std::int64_t elapsedMs);
// Tenths rounded half up, as "77,5"; "15" when the tenths are 0 and `dropZero`.
std::string Tenths(std::int64_t tenths, bool dropZero);

// The topic's title, or "Все темы" for an empty one (a whole discipline).
std::string TopicOrAll(const std::string& topic);

// What the report says of a whole sitting.
struct Summary {
  std::string discipline;  // the discipline's title
  std::string topic;       // the topic's title, empty for the whole discipline
  bool disciplineUtf8 = false;  // the title is UTF-8 (utf8::Kept), else Windows-1251
  bool topicUtf8 = false;
  int drawn = 0;
  int right = 0;
  std::int64_t credit = 0;  // summed, in kCreditUnit parts
  std::int64_t seconds = 0;
  std::int64_t limitSeconds = 0;  // 0: no limit
  Thresholds thresholds;
};
// Tenths of a percent, rounded half up, of the full and of the partial credit.
int RightPercentTenths(const Summary& s);
int CreditPercentTenths(const Summary& s);
// The report's head, line by line: the discipline, the topic ("Все темы" for all),
// "Верно: 14 из 20 (70,0 %)", "С частичным зачётом: 15,5 из 20 (77,5 %)", "Оценка: хорошо",
// "Время: 12:31 из 20:00" (or "Время: 12:31"). Windows-1251, or all of them UTF-8 when a title
// is (ReportLinesUtf8).
std::vector<std::string> ReportLines(const Summary& s);
inline bool ReportLinesUtf8(const Summary& s) { return s.disciplineUtf8 || s.topicUtf8; }

// One line of the report's list.
struct Row {
  std::string number;   // "3"
  std::string verdict;  // VerdictText
  std::string task;     // the task's first line
  bool taskUtf8 = false;  // the task is UTF-8 (its question file is)
  std::string ticked;   // answer numbers as the keys name them, "1, 3"; "-" for none
  std::string right;    // the same for the right ones
};
Row RowOf(int number, const QuestionClass& q, unsigned ticked, Verdict verdict);

// ---- The dialog's last values, section [exam] ----

struct Settings {
  std::string discipline;  // the description file's name, "3.txt"; empty: none kept
  std::string topic;       // the topic's title; empty: all topics
  int count = 0;           // 0: none kept
  int minutes = -1;        // -1: none kept
};
Settings ReadSettings(std::string_view ini);
// A title as [exam] keeps it: line breaks as spaces, without the spaces around it.
std::string TitleAsKept(std::string_view title);
// The whole of exameo.ini `ini` with the section [exam] set to `settings`.
std::string WriteSettings(std::string_view ini, const Settings& settings);

}  // namespace exam
