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

}  // namespace records
