// The fit on a thread of its own, so that the window that asked for it stays live: started with
// the log made ready and the parameters in use, told of every step, cancelled at its next step,
// waited for. Whether the fitted parameters are kept is decided here, the same for every caller:
// only when they predict the held-out answers better than the parameters in use.
#pragma once

#include <atomic>
#include <thread>

#include "review/fit.h"

namespace review {

struct FitOutcome {
  FitStatus status = FitStatus::kCancelled;
  int reviews = 0;   // predicted gradings
  int heldOut = 0;   // of them held out
  double before = 0;  // held-out log loss of the parameters in use
  double after = 0;   // and of the fitted ones (kDone only)
  bool keep = false;  // kDone and after < before: the fitted ones are to be used and saved
  Parameters fitted = kDefaultParameters;
};
// The outcome of `fit` against the parameters in use (`before` worked out on `data`).
FitOutcome Judge(const FitResult& fit, const FitData& data, const Parameters& inUse);

// Called on the worker thread after every step and once more when the outcome is ready (then
// FitEnded is true). It may only pass the news on (post a message); it must never wait for the
// thread that owns the job, which may be waiting for the worker.
using FitNotify = void (*)(void* context);

struct FitJob {
  std::thread worker;
  std::atomic<bool> cancel{false};
  std::atomic<bool> ended{false};
  std::atomic<int> step{0};  // the steps done so far
  FitOutcome outcome;        // the worker's until `ended`
  FitNotify notify = nullptr;
  void* context = nullptr;

  FitJob() = default;
  FitJob(const FitJob&) = delete;
  FitJob& operator=(const FitJob&) = delete;
  // A job dropped while running is cancelled and waited for: no thread outlives its job.
  ~FitJob();
};

// Starts fitting `data` on a new thread. False, and nothing started, while a fit is running or
// not yet collected, or with fewer than kMinFitReviews predicted gradings.
bool StartFit(FitJob& job, FitData data, const Parameters& inUse, FitNotify notify = nullptr,
              void* context = nullptr);
// A fit was started and not yet collected or stopped.
bool FitRunning(const FitJob& job);
// Its outcome is ready.
bool FitEnded(const FitJob& job);
// Waits for the worker (at once when FitEnded) and hands over the outcome; the job is free again.
FitOutcome CollectFit(FitJob& job);
// Cancels a running fit, waits for its thread and drops whatever it found; the job is free.
void StopFit(FitJob& job);

}  // namespace review
