// FSRS-6, from its published formulas.
#include "review/fsrs.h"

#include <cmath>

namespace review {
namespace {

constexpr double Clamp(double x, double lo, double hi) {
  return x < lo ? lo : x > hi ? hi : x;
}

// The decay factor: retrievability is 90 % after `stability` days.
double Factor() {
  static const double f = std::pow(0.9, -1.0 / kW[20]) - 1.0;
  return f;
}

double Recall(double stability, std::int64_t days) {
  return std::pow(1.0 + Factor() * static_cast<double>(days) / stability, -kW[20]);
}

double InitialDifficulty(int grade) {
  return kW[4] - std::exp(kW[5] * (grade - 1)) + 1.0;
}

}  // namespace

bool Card::Review(int grade, std::int64_t when) {
  if (grade != kGradeRight && grade != kGradeWrong) return false;
  const double g = grade;
  if (Reviews == 0) {
    Stability = kW[grade - 1];
    Difficulty = Clamp(InitialDifficulty(grade), 1, 10);
  } else {
    std::int64_t t = WholeDays(Last, when);
    const double s = Stability, d = Difficulty;
    double next;
    if (t < 1) {
      double m = std::exp(kW[17] * (g - 3 + kW[18])) * std::pow(s, -kW[19]);
      if (grade == kGradeRight && m < 1) m = 1;
      next = s * m;
    } else {
      double r = Recall(s, t);
      if (grade == kGradeRight) {
        next = s * (1 + std::exp(kW[8]) * (11 - d) * std::pow(s, -kW[9]) *
                            (std::exp(kW[10] * (1 - r)) - 1));
      } else {
        double lapse = kW[11] * std::pow(d, -kW[12]) * (std::pow(s + 1, kW[13]) - 1) *
                       std::exp(kW[14] * (1 - r));
        double cap = s / std::exp(kW[17] * kW[18]);
        next = lapse < cap ? lapse : cap;
      }
    }
    // The new stability uses the old difficulty; the difficulty reverts slightly towards the
    // (unclamped) first difficulty of an easy answer.
    Stability = next < kMinStability ? kMinStability : next;
    double d0 = InitialDifficulty(4);
    Difficulty = Clamp(kW[7] * d0 + (1 - kW[7]) * (d - kW[6] * (g - 3) * (10 - d) / 9), 1, 10);
  }
  if (Stability < kMinStability) Stability = kMinStability;
  ++Reviews;
  if (grade == kGradeWrong) ++Lapses;
  Last = when;
  LastGrade = grade;
  return true;
}

std::int64_t WholeDays(std::int64_t from, std::int64_t to) {
  return to <= from ? 0 : (to - from) / kDay;
}

int IntervalDays(double stability, double retention) {
  double days = stability / Factor() * (std::pow(retention, -1.0 / kW[20]) - 1.0);
  if (!(days < kMaxInterval)) return kMaxInterval;  // also NaN
  double rounded = std::round(days);
  return rounded < 1 ? 1 : static_cast<int>(rounded);
}

std::int64_t Due(const Card& card, double retention) {
  return card.Last + static_cast<std::int64_t>(IntervalDays(card.Stability, retention)) * kDay;
}

double Retrievability(const Card& card, std::int64_t now) {
  if (card.Reviews == 0) return 1;
  return Recall(card.Stability, WholeDays(card.Last, now));
}

double ValidRetention(double retention) {
  return retention >= kMinRetention && retention <= kMaxRetention ? retention : kDefaultRetention;
}

}  // namespace review
