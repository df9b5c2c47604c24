// Fitting the schedule's 21 parameters to one student's review log.
//
// What is predicted: every grading a whole day (86,400 s) or more after its key's previous line,
// by the retrievability the schedule reckons for it (whole days), against whether the answer
// was right; the score is the log loss. Same-day lines (a drill's rounds) are replayed by the
// same-day formula and never predicted. Each key's lines are replayed in time order (equal
// times in file order) with the parameters being judged. The predicted gradings, in time order
// over the whole log, are split once: the first 80 % train, the last 20 % are held out.
//
// The optimizer is Adam as the published optimizer of these parameters runs it (learning rate
// 0.04 annealed on a cosine, its bounds), over the whole training set each step, with exact
// gradients from one replay in dual numbers. The parameters of Hard and Easy (w1, w3, w15,
// w16) keep their values: the log holds only grades 1 and 3.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "review/fsrs.h"
#include "review/log.h"

namespace review {

inline constexpr int kMinFitReviews = 400;
inline constexpr int kMaxFitSteps = 2000;

// The bounds every parameter is kept within.
inline constexpr double kLowerBound[kParameters] = {0.001, 0.001, 0.001, 0.001, 1,     0.001, 0.001,
                                                    0.001, 0,     0,     0.001, 0.001, 0.001, 0.001,
                                                    0,     0,     1,     0,     0,     0,     0.1};
inline constexpr double kUpperBound[kParameters] = {100, 100, 100, 100,  10, 4, 4,   0.75, 4.5, 0.8, 3.5,
                                                    5,   0.25, 0.9, 4,   1,  6, 2,   2,    0.8, 0.8};
// The parameters the fit moves: all but w1, w3, w15 and w16.
inline constexpr int kFree = 17;
inline constexpr int kFreeIndex[kFree] = {0, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17, 18, 19, 20};

// Whether every parameter is a finite number within its bounds.
bool WithinBounds(const Parameters& p);

// A review log made ready for judging parameters: each key's lines in time order.
struct FitLine {
  std::int32_t days = -1;  // whole days since the key's previous line; -1 for its first
  std::int8_t grade = 0;   // 3 or 1
  std::int8_t role = 0;    // 0 replayed only, 1 a training prediction, 2 a held-out one
};
struct FitData {
  std::vector<FitLine> lines;                 // key after key
  std::vector<std::uint32_t> keyStart;        // key k's lines: keyStart[k] to keyStart[k + 1]
  std::vector<std::uint32_t> trainEnd;        // the lines of key k a training loss needs
  int keys = 0;
  int reviews = 0;  // predicted gradings
  int train = 0;
  int heldOut = 0;
};
// Every entry with a grade of 3 or 1 (the others change no schedule).
FitData PrepareFit(const std::vector<Entry>& entries);

struct LogLosses {
  double train = 0;    // the mean over the training predictions (0 when there are none)
  double heldOut = 0;  // the mean over the held-out ones
};
LogLosses Evaluate(const FitData& data, const Parameters& p);
// The training loss and its exact gradient with respect to every parameter (0 for the fixed
// ones).
double TrainLossAndGradient(const FitData& data, const Parameters& p, double gradient[kParameters]);

// Called after each step with the step's number (1 to kMaxFitSteps) and the training loss;
// false stops the fit, which then changes nothing.
using FitProgress = std::function<bool(int step, double trainLoss)>;

enum class FitStatus : std::uint8_t { kDone, kTooFew, kCancelled };
struct FitResult {
  FitStatus status = FitStatus::kDone;
  Parameters fitted = kDefaultParameters;  // the defaults unless kDone
  int steps = 0;
  int keys = 0;
  int reviews = 0;
  double trainLoss = 0;  // the fitted parameters' training loss
  int heldOut = 0;
  double fittedHeldOut = 0;   // held-out log loss of the fitted parameters
  double defaultHeldOut = 0;  // and of the defaults
  // The fitted parameters predict the held-out answers better than the defaults.
  bool better = false;
};
// Fits from the defaults. Fewer than kMinFitReviews predicted gradings: kTooFew, nothing fitted.
FitResult Fit(const FitData& data, const FitProgress& progress = {});
FitResult Fit(const std::vector<Entry>& entries, const FitProgress& progress = {});

}  // namespace review
