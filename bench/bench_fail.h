// A benchmark that cannot measure what it is meant to measure fails the program: it is marked as
// an error in the report (with `why`) and counted, and the program exits with status 1 when any
// failed, so that neither a reader of the report nor a script that looks only at the exit
// status can take the run for a good one.
#pragma once

#include <benchmark/benchmark.h>

void Fail(benchmark::State& state, const char* why);
