#include "review/fit_job.h"

#include <utility>

namespace review {

FitOutcome Judge(const FitResult& fit, const FitData& data, const Parameters& inUse) {
  FitOutcome o;
  o.status = fit.status;
  o.reviews = fit.reviews;
  o.heldOut = fit.heldOut;
  // A cancelled fit is dropped unjudged: the window that cancelled it is waiting.
  if (fit.status != FitStatus::kDone) return o;
  o.before = Evaluate(data, inUse).heldOut;
  o.after = fit.fittedHeldOut;
  o.fitted = fit.fitted;
  o.keep = o.after < o.before;
  return o;
}

FitJob::~FitJob() {
  StopFit(*this);
}

bool StartFit(FitJob& job, FitData data, const Parameters& inUse, FitNotify notify,
              void* context) {
  if (job.worker.joinable() || data.reviews < kMinFitReviews) return false;
  job.cancel = false;
  job.ended = false;
  job.step = 0;
  job.outcome = FitOutcome{};
  job.notify = notify;
  job.context = context;
  job.worker = std::thread([&job, data = std::move(data), inUse] {
    FitResult fit = Fit(data, [&job](int step, double) {
      job.step.store(step);
      if (job.notify != nullptr) job.notify(job.context);
      return !job.cancel.load();
    });
    job.outcome = Judge(fit, data, inUse);
    job.ended.store(true);
    if (job.notify != nullptr) job.notify(job.context);
  });
  return true;
}

bool FitRunning(const FitJob& job) {
  return job.worker.joinable();
}

bool FitEnded(const FitJob& job) {
  return job.worker.joinable() && job.ended.load();
}

FitOutcome CollectFit(FitJob& job) {
  if (!job.worker.joinable()) return FitOutcome{};
  job.worker.join();
  FitOutcome o = std::move(job.outcome);
  job.outcome = FitOutcome{};
  return o;
}

void StopFit(FitJob& job) {
  if (!job.worker.joinable()) return;
  job.cancel.store(true);
  job.cancel.notify_all();  // for whoever waits on it
  job.worker.join();
  job.outcome = FitOutcome{};
}

}  // namespace review
