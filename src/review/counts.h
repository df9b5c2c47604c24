// What the review log means for the bank as it is now: the questions due today, the mistakes,
// the knowledge per topic and the questions coming due on each of the next 30 days.
//
// Questions are found by their content keys across every discipline, so a question edited since
// (a new key) or removed from the bank is not counted, and one held by two files counts once
// where questions are counted across the bank.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "review/log.h"

struct DisciplineClass;

namespace review {

inline constexpr int kHistogramDays = 30;

// The keys of the bank, topic by topic.
struct BankTopic {
  int Discipline = 0;               // its index in the catalogue's disciplines
  std::string DisciplineTitle;      // Windows-1251, or UTF-8 when Utf8
  std::string Title;                // Windows-1251, or UTF-8 when Utf8
  std::string File;                 // as the catalogue names it ("Base\d1\2.txt")
  std::vector<std::uint64_t> Keys;  // one per question, in file order
  // Per question, its present variants (0: a card without variants, which no session or exam
  // asks); empty when not known, and then every question counts as having some.
  std::vector<std::uint8_t> Variants = {};
  bool Utf8 = false;  // the titles are UTF-8: their description file is
  bool FileUtf8 = false;  // File is UTF-8, a name Windows-1251 cannot spell (TitlePath)
  bool HasVariants(std::size_t question) const {
    return question >= Variants.size() || Variants[question] > 0;
  }
};
struct Bank {
  std::vector<BankTopic> Topics;
};
// Reads every topic file of the disciplines in `catalogue` (whose Disciplines were loaded) with
// the program's own loader and keeps their keys. The catalogue itself is left as it is.
Bank ScanBank(const DisciplineClass& catalogue);

// The moment the counts are reckoned at, and the ends of today and the next days: DayEnds[0] is
// the end of the current local day, DayEnds[i] the end of the i-th day after it.
struct Horizon {
  std::int64_t Now = 0;
  std::int64_t DayEnds[kHistogramDays] = {};
};
// The horizon at `now` with the local days of this machine's time zone (its daylight saving
// changes included).
Horizon LocalHorizon(std::int64_t now);
// The horizon with days of exactly 86400 seconds from `todayEnd` (for tests and tools).
Horizon FixedHorizon(std::int64_t now, std::int64_t todayEnd);

struct TopicRow {
  int Topic = 0;      // index in Bank::Topics
  int Questions = 0;  // in its file now
  int Answered = 0;   // of them ever graded
  int Known = 0;      // of them with a retrievability now of at least the retention
  int DueToday = 0;   // due before the end of today (overdue ones included)
  int DueWeek = 0;    // due before the end of the 7th day, today being the first
};
struct Counts {
  int DueToday = 0;            // distinct questions of the bank due before the end of today
  int Mistakes = 0;            // distinct questions of the bank whose latest grading was a 1
  std::vector<TopicRow> Rows;  // one per topic of the bank, in its order
  // Distinct questions of the bank due on today (overdue ones included) and each following
  // day.
  int Histogram[kHistogramDays] = {};
};
// `states` sorted by key, as Replay gives them (with the same parameters).
Counts Count(const std::vector<KeyState>& states, const Bank& bank, const Horizon& horizon,
             double retention, const Parameters& p = kDefaultParameters);

// The state of `key` in `states` (sorted by key), or null when it was never graded.
const KeyState* Find(const std::vector<KeyState>& states, std::uint64_t key);

}  // namespace review
