// FSRS-6, from its published formulas (review/model.h).
#include "review/fsrs.h"

#include <cmath>

#include "review/model.h"

namespace review {

bool Card::Review(int grade, std::int64_t when, const Parameters& p) {
  if (grade != kGradeRight && grade != kGradeWrong) return false;
  if (Reviews == 0)
    model::First(grade, p.w, &Stability, &Difficulty);
  else
    model::Next(grade, WholeDays(Last, when), p.w, &Stability, &Difficulty);
  ++Reviews;
  if (grade == kGradeWrong) ++Lapses;
  Last = when;
  LastGrade = grade;
  return true;
}

std::int64_t WholeDays(std::int64_t from, std::int64_t to) {
  return to <= from ? 0 : (to - from) / kDay;
}

int IntervalDays(double stability, double retention, const Parameters& p) {
  double days =
      stability / model::Factor(p.w) * (std::pow(retention, -1.0 / p.w[20]) - 1.0);
  if (!(days < kMaxInterval)) return kMaxInterval;  // also NaN
  double rounded = std::round(days);
  return rounded < 1 ? 1 : static_cast<int>(rounded);
}

std::int64_t Due(const Card& card, double retention, const Parameters& p) {
  return card.Last + static_cast<std::int64_t>(IntervalDays(card.Stability, retention, p)) * kDay;
}

double Retrievability(const Card& card, std::int64_t now, const Parameters& p) {
  if (card.Reviews == 0) return 1;
  return model::Recall(card.Stability, static_cast<double>(WholeDays(card.Last, now)), p.w);
}

double RetrievabilityNow(const Card& card, std::int64_t now, const Parameters& p) {
  if (card.Reviews == 0 || now <= card.Last) return 1;
  double days = static_cast<double>(now - card.Last) / static_cast<double>(kDay);
  return model::Recall(card.Stability, days, p.w);
}

double ValidRetention(double retention) {
  return retention >= kMinRetention && retention <= kMaxRetention ? retention : kDefaultRetention;
}

}  // namespace review
