// exameo-review: the review schedule that the review log gives, as JSON.
#pragma once

#include <cstdio>

namespace reviewtool {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 2;  // a wrong command line, or a log that cannot be read

// The whole program: arguments (UTF-8) in, JSON on `out`, complaints on `err`, the exit code
// back.
int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace reviewtool
