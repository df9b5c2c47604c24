// A simulated student for the fit and the forecast: memory that follows the schedule's model
// with parameters of its own, studied on the program's schedule (the default parameters).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "review/fsrs.h"
#include "review/log.h"

namespace testsupport {

struct Student {
  review::Parameters truth;
  double firstRight = 0.6;  // the chance of a question never seen before
};

// Forgets within days: low first stabilities, slow growth, a steep curve.
inline Student FastForgetter() {
  Student s{review::kDefaultParameters, 0.5};
  double* w = s.truth.w;
  w[0] = 0.05, w[2] = 0.6, w[4] = 8.0, w[8] = 0.8, w[10] = 0.6, w[11] = 0.8, w[20] = 0.4;
  return s;
}
// Keeps answers for weeks from the first sight.
inline Student SlowForgetter() {
  Student s{review::kDefaultParameters, 0.7};
  double* w = s.truth.w;
  w[0] = 1.5, w[2] = 8.0, w[4] = 5.0, w[8] = 1.9, w[11] = 2.2, w[20] = 0.12;
  return s;
}

// A number in [0, 1) from the generator's bits, the same on every standard library.
inline double Uniform(std::mt19937_64& random) {
  return static_cast<double>(random() >> 11) * 0x1.0p-53;
}

struct Studied {
  std::vector<review::Entry> entries;
  std::vector<review::Card> truth;  // each key's true memory at the end, keys 1 to n
  std::int64_t end = 0;             // after the last session
};

inline constexpr std::int64_t kStudyStart = 1796774400;  // 2026-12-09T00:00:00Z

// `keys` questions (keys 1 to n), `perDay` new ones a day, a session each evening for `days`
// days: the new ones and those the program's schedule has due by the day's end. A wrong answer
// is asked again ten minutes later (a same-day line), right then.
inline Studied Study(const Student& student, int keys, int perDay, int days, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  Studied s;
  s.truth.assign(static_cast<std::size_t>(keys), review::Card{});
  std::vector<review::Card> program(static_cast<std::size_t>(keys));
  auto answer = [&](int k, std::int64_t when, int grade) {
    std::size_t i = static_cast<std::size_t>(k);
    s.entries.push_back({when, static_cast<std::uint64_t>(k + 1), grade, review::Mode::kTopic,
                         "Base\\d1\\1.txt"});
    s.truth[i].Review(grade, when, student.truth);
    program[i].Review(grade, when);
  };
  int introduced = 0;
  for (int day = 0; day < days; ++day) {
    std::int64_t when = kStudyStart + day * review::kDay + 17 * 3600 +
                        static_cast<std::int64_t>(Uniform(random) * 4 * 3600);
    std::int64_t dayEnd = kStudyStart + (day + 1) * review::kDay;
    for (int k = 0; k < introduced; ++k, when += 20) {
      std::size_t i = static_cast<std::size_t>(k);
      if (review::Due(program[i], 0.9) >= dayEnd) continue;
      double p = review::Retrievability(s.truth[i], when, student.truth);
      int grade = Uniform(random) < p ? 3 : 1;
      answer(k, when, grade);
      if (grade == 1) answer(k, when + 600, 3);
    }
    for (int n = 0; n < perDay && introduced < keys; ++n, ++introduced, when += 20) {
      int grade = Uniform(random) < student.firstRight ? 3 : 1;
      answer(introduced, when, grade);
      if (grade == 1) answer(introduced, when + 600, 3);
    }
    s.end = when;
  }
  return s;
}

}  // namespace testsupport
