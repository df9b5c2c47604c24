// The FSRS-6 formulas over any number type: plain doubles for the schedule, dual numbers for the
// fit's exact gradients. One definition for both, so that what the fit judges is what the
// schedule does.
#pragma once

#include <cmath>
#include <cstdint>

namespace review::model {

inline double Value(double x) {
  return x;
}

// Clamped like the schedule always clamped: a NaN passes through.
template <class T>
T Clamp(const T& x, double lo, double hi) {
  return Value(x) < lo ? T(lo) : Value(x) > hi ? T(hi) : x;
}

// The decay factor: retrievability is 90 % after `stability` days.
template <class T>
T Factor(const T* w) {
  using std::pow;
  return pow(0.9, -1.0 / w[20]) - 1.0;
}

// The probability of recall after `days` (whole for the schedule, fractional for a forecast).
template <class T>
T Recall(const T& stability, double days, const T* w) {
  using std::pow;
  return pow(1.0 + Factor(w) * days / stability, -w[20]);
}

template <class T>
T InitialDifficulty(int grade, const T* w) {
  using std::exp;
  return w[4] - exp(w[5] * static_cast<double>(grade - 1)) + 1.0;
}

inline constexpr double kMinStability = 0.001;

// The first grading (3 or 1): the grade's stability and difficulty.
template <class T>
void First(int grade, const T* w, T* s, T* d) {
  *s = Value(w[grade - 1]) < kMinStability ? T(kMinStability) : w[grade - 1];
  *d = Clamp(InitialDifficulty(grade, w), 1, 10);
}

// A later grading `days` whole days after the previous one (0: the same-day formula). `recall`,
// when given, receives the retrievability the grading was made at (whole days; only for
// days >= 1).
template <class T>
void Next(int grade, std::int64_t days, const T* w, T* s, T* d, T* recall = nullptr) {
  using std::exp;
  using std::pow;
  const double g = grade;
  const T old = *s, oldD = *d;
  T next;
  if (days < 1) {
    T m = exp(w[17] * (g - 3 + w[18])) * pow(old, -w[19]);
    if (grade == 3 && Value(m) < 1) m = T(1.0);
    next = old * m;
  } else {
    T r = Recall(old, static_cast<double>(days), w);
    if (recall != nullptr) *recall = r;
    if (grade == 3) {
      next = old * (1.0 + exp(w[8]) * (11.0 - oldD) * pow(old, -w[9]) *
                              (exp(w[10] * (1.0 - r)) - 1.0));
    } else {
      T lapse = w[11] * pow(oldD, -w[12]) * (pow(old + 1.0, w[13]) - 1.0) *
                exp(w[14] * (1.0 - r));
      T cap = old / exp(w[17] * w[18]);
      next = Value(lapse) < Value(cap) ? lapse : cap;
    }
  }
  // The new stability uses the old difficulty; the difficulty reverts slightly towards the
  // (unclamped) first difficulty of an easy answer.
  *s = Value(next) < kMinStability ? T(kMinStability) : next;
  T d0 = InitialDifficulty(4, w);
  *d = Clamp(w[7] * d0 + (1.0 - w[7]) * (oldD - w[6] * (g - 3) * (10.0 - oldD) / 9.0), 1, 10);
}

}  // namespace review::model
