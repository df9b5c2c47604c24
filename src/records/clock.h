// The clocks the records are stamped with, replaceable by tests.
#pragma once

#include <cstdint>

namespace records {

// Seconds since 1970 (UTC).
extern std::int64_t (*NowSeconds)();
// The local "YYYY-MM-DD HH:MM" of such a moment.
extern void (*LocalStamp)(std::int64_t seconds, char out[17]);
// Milliseconds from any fixed moment, never going back (a sitting's time).
extern std::int64_t (*NowMs)();

// The steady clock run kFastClockSpeed times as fast, for NowMs: the program takes it only when
// its end-to-end test of a sitting that runs out asks for it (EXAMEO_TEST_FAST_CLOCK), so that
// the test waits 20 s for a minute's sitting instead of 60. Three, since the title's "1:00"
// then still stands for half a second (two of the timer's ticks) for the test to see.
constexpr std::int64_t kFastClockSpeed = 3;
std::int64_t FastSteadyNow();

}  // namespace records
