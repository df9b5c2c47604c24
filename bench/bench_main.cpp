// The benchmark program's main: Google Benchmark's own, except that the exit status is 1 when a
// benchmark failed (see bench_fail.h) or when none was run (a filter that matches nothing).
#include <cstdio>

#include "bench_fail.h"

namespace {
int failures = 0;
}  // namespace

void Fail(benchmark::State& state, const char* why) {
  ++failures;
  state.SkipWithError(why);
}

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  size_t ran = benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (failures > 0) {
    std::fprintf(stderr, "%d benchmark run(s) failed\n", failures);
    return 1;
  }
  if (ran == 0) {
    std::fprintf(stderr, "no benchmark matched\n");
    return 1;
  }
  return 0;
}
