// The fit of the schedule's parameters: what is predicted and held out, exact gradients, and
// simulated students whose own parameters the fit must find as well as the truth predicts, and
// whose exam scores the forecast on them must foretell.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "../support/review_student.h"
#include "review/fit.h"
#include "review/fit_job.h"
#include "review/forecast.h"

// The simulated students' fits take a second natively and many minutes unoptimised under the
// sanitizers, whose other tests here run the same code on smaller logs.
#if defined(__SANITIZE_ADDRESS__)
#define EXAMEO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define EXAMEO_SANITIZED 1
#endif
#endif

namespace {

using review::Entry;
using review::kDay;
constexpr std::int64_t kFitT0 = 1796774400;  // 2026-12-09T00:00:00Z

Entry FitLine(std::int64_t when, std::uint64_t key, int grade) {
  return {when, key, grade, review::Mode::kTopic, "f"};
}

TEST(ReviewFit, WhatIsPredictedAndHeldOut) {
  // Key 1: first line, the same day again (replayed, not predicted), a day less a second after
  // that (still not a whole day after its previous line), then exactly a day after: predicted.
  // Key 2: two lines at one time in file order (the second replayed by the same-day formula),
  // then 3 days later. Key 3: a grade no schedule knows, left out altogether.
  std::vector<Entry> log = {FitLine(kFitT0 + 3 * kDay, 2, 1),   FitLine(kFitT0, 1, 3),
                            FitLine(kFitT0 + 3600, 1, 1),       FitLine(kFitT0 + 3600 + kDay - 1, 1, 3),
                            FitLine(kFitT0 + 3600 + 2 * kDay - 1, 1, 3), FitLine(kFitT0, 2, 1),
                            FitLine(kFitT0, 2, 3),              FitLine(kFitT0, 3, 2)};
  // FitLine 0 is key 2's last (after both lines at kFitT0): 3 whole days.
  review::FitData data = review::PrepareFit(log);
  EXPECT_EQ(data.keys, 2);
  EXPECT_EQ(data.reviews, 2);
  ASSERT_EQ(data.lines.size(), 7u);
  std::vector<int> days, roles;
  for (const review::FitLine& l : data.lines) {
    days.push_back(l.days);
    roles.push_back(l.role);
  }
  EXPECT_EQ(days, (std::vector<int>{-1, 0, 0, 1, -1, 0, 3}));
  // In time order key 1's prediction (kFitT0 + 2 days - 1 s + 1 h) comes before key 2's (3 days):
  // of two, one trains and one is held out.
  EXPECT_EQ(roles, (std::vector<int>{0, 0, 0, 1, 0, 0, 2}));
  EXPECT_EQ(data.train, 1);
  EXPECT_EQ(data.heldOut, 1);
  // The replay with the defaults is the schedule's: key 1's loss is -log of its card's
  // retrievability at the predicted line.
  review::Card c;
  c.Review(3, kFitT0);
  c.Review(1, kFitT0 + 3600);
  c.Review(3, kFitT0 + 3600 + kDay - 1);
  double r = review::Retrievability(c, kFitT0 + 3600 + 2 * kDay - 1);
  EXPECT_NEAR(review::Evaluate(data, review::kDefaultParameters).train, -std::log(r), 1e-12);
}

TEST(ReviewFit, TheGradientIsExact) {
  testsupport::Studied s = testsupport::Study(testsupport::FastForgetter(), 60, 10, 40, 7);
  review::FitData data = review::PrepareFit(s.entries);
  // Away from the defaults and from every clamp, so that no kink lies within the steps.
  review::Parameters p = review::kDefaultParameters;
  p.w[7] = 0.05;
  p.w[19] = 0.2;
  double g[review::kParameters];
  double loss = review::TrainLossAndGradient(data, p, g);
  EXPECT_NEAR(loss, review::Evaluate(data, p).train, 1e-12);
  for (int i = 0; i < review::kParameters; ++i) {
    double h = 1e-6 * std::max(1.0, p.w[i]);
    review::Parameters up = p, down = p;
    up.w[i] += h;
    down.w[i] -= h;
    double numeric = (review::Evaluate(data, up).train - review::Evaluate(data, down).train) / (2 * h);
    EXPECT_NEAR(g[i], numeric, 1e-5 * std::max(1.0, std::fabs(numeric))) << "w" << i;
  }
}

TEST(ReviewFit, TooFewReviewsAndCancel) {
  testsupport::Studied small = testsupport::Study(testsupport::SlowForgetter(), 20, 10, 20, 3);
  review::FitResult few = review::Fit(small.entries);
  EXPECT_EQ(few.status, review::FitStatus::kTooFew);
  EXPECT_LT(few.reviews, review::kMinFitReviews);
  EXPECT_GT(few.reviews, 0);

  testsupport::Studied s = testsupport::Study(testsupport::FastForgetter(), 200, 10, 60, 5);
  std::vector<double> losses;
  review::FitResult stopped = review::Fit(s.entries, [&](int step, double loss) {
    EXPECT_EQ(step, static_cast<int>(losses.size()) + 1);
    losses.push_back(loss);
    return step < 3;
  });
  EXPECT_EQ(stopped.status, review::FitStatus::kCancelled);
  EXPECT_EQ(losses.size(), 3u);
  EXPECT_EQ(stopped.steps, 3);
  EXPECT_FALSE(stopped.better);
  for (int i = 0; i < review::kParameters; ++i)
    EXPECT_EQ(stopped.fitted.w[i], review::kDefaultParameters.w[i]);
}

// The fit on its own thread. Faults caught: a cancel not seen at the next step, the end told
// before its outcome is there, a stop that returns while the worker runs, a job not free again,
// a fit not kept that does better than the defaults.
struct Watch {
  review::FitJob* job = nullptr;
  int cancelAt = 0, holdAt = 0;  // cancel at this step; wait here until cancelled
  std::atomic<int> calls{0};
  std::atomic<bool> endTold{false};
};
void Told(void* context) {
  auto* w = static_cast<Watch*>(context);
  ++w->calls;
  w->endTold = w->endTold || w->job->ended.load();
  if (w->job->step.load() == w->cancelAt) w->job->cancel.store(true);
  if (w->job->step.load() == w->holdAt) w->job->cancel.wait(false);
}

TEST(ReviewFitJob, CancelledAtTheNextStepStoppedAndWaitedForKeptOnlyWhenBetter) {
  testsupport::Studied s = testsupport::Study(testsupport::FastForgetter(), 120, 10, 40, 5);
  const review::FitData data = review::PrepareFit(s.entries);
  review::FitJob job;
  Watch cancel{&job, 3};
  ASSERT_TRUE(review::StartFit(job, data, review::kDefaultParameters, Told, &cancel));
  EXPECT_FALSE(review::StartFit(job, data, review::kDefaultParameters));  // one at a time
  EXPECT_EQ(review::CollectFit(job).status, review::FitStatus::kCancelled);
  EXPECT_EQ(job.step.load(), 3);
  EXPECT_EQ(cancel.calls.load(), 4);  // three steps and the end
  EXPECT_TRUE(cancel.endTold.load());

  Watch hold{&job, 0, 2};
  ASSERT_TRUE(review::StartFit(job, data, review::kDefaultParameters, Told, &hold));
  review::StopFit(job);  // returns once the worker, held in its second step, is gone
  EXPECT_FALSE(review::FitRunning(job));
  EXPECT_LE(job.step.load(), 2);

  ASSERT_TRUE(review::StartFit(job, data, review::kDefaultParameters));
  review::FitOutcome done = review::CollectFit(job);
  ASSERT_EQ(done.status, review::FitStatus::kDone);
  EXPECT_EQ(done.before, review::Evaluate(data, review::kDefaultParameters).heldOut);
  EXPECT_EQ(done.after, review::Evaluate(data, done.fitted).heldOut);
  EXPECT_TRUE(done.keep);
}

// The mean score of many sittings of 30 questions drawn without repeats from the questions
// studied and 60 never seen, each answered right at the student's true chance now; and the
// forecast of the same set.
void Exams(const testsupport::Student& student, const testsupport::Studied& s,
           const review::Parameters& fitted, double* mean, double* forecast) {
  std::int64_t now = s.end + 2 * review::kDay + 5 * 3600;  // another time of day
  std::vector<std::uint64_t> keys(s.truth.size() + 60);
  std::iota(keys.begin(), keys.end(), 1);
  std::vector<double> chance;
  for (std::size_t i = 0; i < keys.size(); ++i)
    chance.push_back(i < s.truth.size()
                         ? review::RetrievabilityNow(s.truth[i], now, student.truth)
                         : student.firstRight);
  std::mt19937_64 random(5);
  constexpr int kSittings = 2000, kAsked = 30;
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), 0);
  double total = 0;
  for (int sitting = 0; sitting < kSittings; ++sitting) {
    int right = 0;
    for (std::size_t q = 0; q < kAsked; ++q) {
      std::size_t pick =
          q + static_cast<std::size_t>(testsupport::Uniform(random) * (order.size() - q));
      std::swap(order[q], order[pick]);
      right += testsupport::Uniform(random) < chance[order[q]];
    }
    total += static_cast<double>(right) / kAsked;
  }
  *mean = total / kSittings;
  *forecast = review::ForecastOf(review::Know(s.entries, fitted), keys, {}, now).share.value_or(-1);
}

struct StudentCase {
  const char* name;
  testsupport::Student student;
  bool farFromDefaults;
  int keys, days;
};

TEST(ReviewFit, SimulatedStudents) {
#ifdef EXAMEO_SANITIZED
  GTEST_SKIP() << "the native build runs it";
#endif
  for (const StudentCase& c : {StudentCase{"fast", testsupport::FastForgetter(), true, 400, 90},
                               StudentCase{"slow", testsupport::SlowForgetter(), false, 1500, 150}}) {
    testsupport::Studied s = testsupport::Study(c.student, c.keys, 20, c.days, 11);
    review::FitData data = review::PrepareFit(s.entries);
    int steps = 0;
    review::FitResult fit = review::Fit(data, [&](int step, double) {
      steps = step;
      return true;
    });
    ASSERT_EQ(fit.status, review::FitStatus::kDone) << c.name;
    review::LogLosses trueLosses = review::Evaluate(data, c.student.truth);
    double truth = trueLosses.heldOut;
    std::printf("%s: %d reviews, %d steps; held-out log loss fitted %.4f, true %.4f, "
                "default %.4f; train fitted %.4f, true %.4f\n",
                c.name, fit.reviews, steps, fit.fittedHeldOut, truth, fit.defaultHeldOut,
                fit.trainLoss, trueLosses.train);
    EXPECT_EQ(steps, fit.steps);
    EXPECT_LE(fit.fittedHeldOut, truth * 1.02) << c.name;
    if (c.farFromDefaults) {
      EXPECT_LT(fit.fittedHeldOut, fit.defaultHeldOut) << c.name;
      EXPECT_TRUE(fit.better);
    }
    EXPECT_TRUE(review::WithinBounds(fit.fitted));
    for (int fixed : {1, 3, 15, 16})
      EXPECT_EQ(fit.fitted.w[fixed], review::kDefaultParameters.w[fixed]) << fixed;
    double mean = 0, forecast = 0;
    Exams(c.student, s, fit.fitted, &mean, &forecast);
    std::printf("%s: mean exam score %.4f, forecast %.4f\n", c.name, mean, forecast);
    EXPECT_NEAR(forecast, mean, 0.03) << c.name;
  }
}

}  // namespace
