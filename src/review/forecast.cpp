// The forecast of an exam's score from the replayed log.
#include "review/forecast.h"

#include <algorithm>

namespace review {

Knowledge Know(const std::vector<Entry>& entries, const Parameters& params) {
  Knowledge k;
  k.params = params;
  k.states = Replay(entries, params);
  // Each key's first line: the earliest, equal times in file order.
  struct First {
    std::uint64_t key;
    std::int64_t when;
    std::size_t index;
  };
  std::vector<First> firsts;
  firsts.reserve(k.states.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (e.Grade != kGradeRight && e.Grade != kGradeWrong) continue;
    firsts.push_back({e.Key, e.When, i});
  }
  std::sort(firsts.begin(), firsts.end(), [](const First& a, const First& b) {
    if (a.key != b.key) return a.key < b.key;
    if (a.when != b.when) return a.when < b.when;
    return a.index < b.index;
  });
  for (std::size_t i = 0; i < firsts.size(); ++i) {
    if (i > 0 && firsts[i - 1].key == firsts[i].key) continue;
    ++k.firstAnswers;
    if (entries[firsts[i].index].Grade == kGradeRight) ++k.firstRight;
  }
  return k;
}

double UnansweredChance(const Knowledge& knowledge) {
  return (knowledge.firstRight + 1.0) / (knowledge.firstAnswers + 2.0);
}

Forecast ForecastOf(const Knowledge& knowledge, std::span<const std::uint64_t> keys,
                    std::span<const std::uint8_t> variants, std::int64_t now) {
  Forecast f;
  double unanswered = UnansweredChance(knowledge);
  double sum = 0;
  for (std::size_t q = 0; q < keys.size(); ++q) {
    if (q < variants.size() && variants[q] == 0) continue;
    ++f.questions;
    const KeyState* state = Find(knowledge.states, keys[q]);
    if (state == nullptr) {
      sum += unanswered;
      continue;
    }
    ++f.answered;
    sum += RetrievabilityNow(state->State, now, knowledge.params);
  }
  if (f.answered > 0) f.share = sum / f.questions;
  return f;
}

Forecast ForecastTopic(const Knowledge& knowledge, const Bank& bank, int topic, std::int64_t now) {
  if (topic < 0 || static_cast<std::size_t>(topic) >= bank.Topics.size()) return {};
  const BankTopic& t = bank.Topics[static_cast<std::size_t>(topic)];
  return ForecastOf(knowledge, t.Keys, t.Variants, now);
}

namespace {

// A topic's part of a discipline's sum of p(q). A topic with no answered question has no share
// of its own, yet its questions count at the chance of an unanswered one.
void Add(const Forecast& part, double unanswered, Forecast* whole, double* sum) {
  whole->questions += part.questions;
  whole->answered += part.answered;
  *sum += (part.share ? *part.share : unanswered) * part.questions;
}

void Close(double sum, Forecast* f) {
  if (f->answered > 0) f->share = sum / f->questions;
}

}  // namespace

Forecast ForecastDiscipline(const Knowledge& knowledge, const Bank& bank, int discipline,
                            std::int64_t now) {
  Forecast whole;
  double sum = 0;
  double unanswered = UnansweredChance(knowledge);
  for (std::size_t t = 0; t < bank.Topics.size(); ++t) {
    if (bank.Topics[t].Discipline != discipline) continue;
    Add(ForecastTopic(knowledge, bank, static_cast<int>(t), now), unanswered, &whole, &sum);
  }
  Close(sum, &whole);
  return whole;
}

BankForecast ForecastBank(const Knowledge& knowledge, const Bank& bank, std::int64_t now) {
  BankForecast out;
  double unanswered = UnansweredChance(knowledge);
  double sum = 0;
  for (std::size_t t = 0; t < bank.Topics.size(); ++t) {
    Forecast part = ForecastTopic(knowledge, bank, static_cast<int>(t), now);
    out.topics.push_back(part);
    int d = bank.Topics[t].Discipline;
    if (out.disciplines.empty() || out.disciplines.back().discipline != d) {
      if (!out.disciplines.empty()) Close(sum, &out.disciplines.back().forecast);
      sum = 0;
      out.disciplines.push_back({d, static_cast<int>(t), 0, {}});
    }
    BankForecast::DisciplineRow& row = out.disciplines.back();
    ++row.topicCount;
    Add(part, unanswered, &row.forecast, &sum);
  }
  if (!out.disciplines.empty()) Close(sum, &out.disciplines.back().forecast);
  return out;
}

Calibration CalibrationOf(const std::vector<records::ResultRecord>& records) {
  Calibration c;
  for (const records::ResultRecord& r : records) {
    if (r.Mode != records::Kind::kExam || r.ForecastPercent < 0) continue;
    ++c.exams;
    c.forecast += r.ForecastPercent;
    c.result += r.PercentTenths / 10.0;
  }
  if (c.exams > 0) {
    c.forecast /= c.exams;
    c.result /= c.exams;
  }
  return c;
}

std::vector<Entry> ReviewEntries(const std::vector<Entry>& entries, const Bank& bank) {
  // Keys held somewhere with variants, and keys held only as cards without.
  std::vector<std::uint64_t> asked, cards;
  for (const BankTopic& t : bank.Topics)
    for (std::size_t q = 0; q < t.Keys.size(); ++q)
      (t.HasVariants(q) ? asked : cards).push_back(t.Keys[q]);
  std::sort(asked.begin(), asked.end());
  std::sort(cards.begin(), cards.end());
  std::vector<Entry> kept;
  kept.reserve(entries.size());
  for (const Entry& e : entries) {
    bool card = std::binary_search(cards.begin(), cards.end(), e.Key) &&
                !std::binary_search(asked.begin(), asked.end(), e.Key);
    if (!card) kept.push_back(e);
  }
  return kept;
}

}  // namespace review
