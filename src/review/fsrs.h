// The review schedule of a question: FSRS-6 with its default parameters, or with parameters
// fitted to the student's own answers (review/fit.h).
//
// A question is one card. Its state is its stability (days until its retrievability falls to
// 90 %) and its difficulty (1 to 10), changed by each grading: 3 when the answer had no mistake,
// 1 otherwise. No learning steps, no fuzz: the same log always gives the same schedule.
#pragma once

#include <cstdint>

namespace review {

// w0..w20.
inline constexpr double kW[21] = {0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194,
                                  0.001,  1.8722, 0.1666, 0.796,  1.4835, 0.0614, 0.2629,
                                  1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};
inline constexpr int kParameters = 21;
struct Parameters {
  double w[kParameters];
};
inline constexpr Parameters kDefaultParameters = {
    {kW[0],  kW[1],  kW[2],  kW[3],  kW[4],  kW[5],  kW[6],  kW[7],  kW[8],  kW[9], kW[10],
     kW[11], kW[12], kW[13], kW[14], kW[15], kW[16], kW[17], kW[18], kW[19], kW[20]}};
inline constexpr double kDefaultRetention = 0.9;
inline constexpr double kMinRetention = 0.70;
inline constexpr double kMaxRetention = 0.99;
inline constexpr double kMinStability = 0.001;
inline constexpr int kMaxInterval = 36500;
inline constexpr int kGradeRight = 3;
inline constexpr int kGradeWrong = 1;
inline constexpr std::int64_t kDay = 86400;

struct Card {
  int Reviews = 0;  // gradings replayed; 0: never reviewed, the rest means nothing yet
  int Lapses = 0;   // of them graded 1
  double Stability = 0;
  double Difficulty = 0;
  std::int64_t Last = 0;  // the latest grading, seconds since 1970 (UTC)
  int LastGrade = 0;

  // Applies a grading (3 or 1) at `when`; any other grade changes nothing and gives false.
  bool Review(int grade, std::int64_t when, const Parameters& p = kDefaultParameters);
};

// Whole days from `from` to `to` (the floor of seconds / 86400); 0 when `to` is earlier (the
// clock was set back, or two lines share a time).
std::int64_t WholeDays(std::int64_t from, std::int64_t to);
// The interval in days for a stability at a desired retention: rounded, 1 to 36500.
int IntervalDays(double stability, double retention, const Parameters& p = kDefaultParameters);
// When a reviewed card falls due: its last grading plus the interval.
std::int64_t Due(const Card& card, double retention, const Parameters& p = kDefaultParameters);
// The probability of recall at `now` (1 when never reviewed or not a whole day has passed).
double Retrievability(const Card& card, std::int64_t now,
                      const Parameters& p = kDefaultParameters);
// The same in fractional days: what an exam now would find (1 when never reviewed or `now` is
// not after the last grading).
double RetrievabilityNow(const Card& card, std::int64_t now,
                         const Parameters& p = kDefaultParameters);
// A retention inside 0.70..0.99; the default for anything else (NaN included).
double ValidRetention(double retention);

}  // namespace review
