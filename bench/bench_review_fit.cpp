// Fitting the schedule's parameters to a simulated student's log of 2,000 questions, about
// 20,000 of whose answers are predicted (a day or more after the question's previous one).
//
//   build/native/bench/exameo_bench --benchmark_filter=ReviewFit
//
// One fit from the defaults per iteration, on one thread. Counters: `cpu_s` in processor time
// of this thread, `reviews` predicted, `steps` of the optimizer, `over_aim` whether `cpu_s` is
// over the aim of 10 s.
#include <benchmark/benchmark.h>

#include <ctime>

#include "../tests/support/review_student.h"
#include "bench_fail.h"
#include "review/fit.h"

namespace {

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_ReviewFit(benchmark::State& state) {
  testsupport::Studied s = testsupport::Study(testsupport::FastForgetter(), 2000, 100, 55, 17);
  review::FitData data = review::PrepareFit(s.entries);
  review::FitResult fit;
  double cpu = 0;
  for (auto _ : state) {
    double c0 = ThreadCpuSeconds();
    fit = review::Fit(data);
    cpu = ThreadCpuSeconds() - c0;
  }
  if (fit.status != review::FitStatus::kDone || data.keys != 2000 || data.reviews < 19000 ||
      data.reviews > 21000) {
    Fail(state, "the simulated log is not 20,000 predicted reviews of 2,000 questions");
    return;
  }
  state.counters["cpu_s"] = cpu;
  state.counters["reviews"] = data.reviews;
  state.counters["steps"] = fit.steps;
  state.counters["over_aim"] = cpu > 10.0 ? 1 : 0;
}
BENCHMARK(BM_ReviewFit)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace
