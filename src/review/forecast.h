// "Am I ready?": the expected share of fully right answers of an exam sitting drawn now from a
// topic or a discipline.
//
// It is the mean over the set's questions with variants (cards without variants are no exam
// questions) of p(q): for a question the log knows (by its content key), its retrievability now
// with the parameters in use, in fractional days since its last answer (an answer failed an
// hour ago is not known now); for one never answered, the share of the student's first answers
// that were right over the whole log (each key's first line), as (right + 1) / (first + 2). A
// set none of whose questions was ever answered, or with no question with variants, has no
// forecast; so has everything while the log is empty.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "records/results.h"
#include "review/counts.h"
#include "review/fsrs.h"
#include "review/log.h"

namespace review {

// What the log says of the student, worked out once for any number of forecasts.
struct Knowledge {
  Parameters params = kDefaultParameters;
  std::vector<KeyState> states;  // replayed with `params`, sorted by key
  int firstAnswers = 0;          // keys in the log (each key's first line)
  int firstRight = 0;            // of them right the first time
};
Knowledge Know(const std::vector<Entry>& entries, const Parameters& params = kDefaultParameters);

// The chance of a question never answered: (right + 1) / (first + 2).
double UnansweredChance(const Knowledge& knowledge);

struct Forecast {
  int questions = 0;  // with variants
  int answered = 0;   // of them in the log
  std::optional<double> share;  // 0 to 1; none without data
};
// Over `keys`, skipping those whose `variants` entry is 0 (an empty `variants`: all count).
Forecast ForecastOf(const Knowledge& knowledge, std::span<const std::uint64_t> keys,
                    std::span<const std::uint8_t> variants, std::int64_t now);
Forecast ForecastTopic(const Knowledge& knowledge, const Bank& bank, int topic, std::int64_t now);
// Every topic of the bank whose Discipline is `discipline` (its catalogue index), a question
// held by two of its topics counting twice, as an exam of the whole discipline may draw it from
// either.
Forecast ForecastDiscipline(const Knowledge& knowledge, const Bank& bank, int discipline,
                            std::int64_t now);

struct BankForecast {
  std::vector<Forecast> topics;  // one per topic of the bank, in its order
  struct DisciplineRow {
    int discipline = 0;  // catalogue index
    int firstTopic = 0;  // its topics in the bank: firstTopic to firstTopic + topicCount - 1
    int topicCount = 0;
    Forecast forecast;
  };
  std::vector<DisciplineRow> disciplines;  // in the bank's order
};
BankForecast ForecastBank(const Knowledge& knowledge, const Bank& bank, std::int64_t now);

// How far to trust the forecast: over the exams whose record kept the forecast they began
// with, the mean forecast and the mean percent of fully right answers, in percent.
struct Calibration {
  int exams = 0;
  double forecast = 0;
  double result = 0;
};
Calibration CalibrationOf(const std::vector<records::ResultRecord>& records);

// The entries without the keys the bank knows only as cards without variants: what the
// program's own fit judges.
std::vector<Entry> ReviewEntries(const std::vector<Entry>& entries, const Bank& bank);

}  // namespace review
