// The largest picture the program draws and the checker passes. A larger one shows its text:
// decoding it would take memory out of all proportion to the question it stands in.
#pragma once

#include <cstdint>

namespace picture_limits {

inline constexpr std::int64_t kMaxBytes = 20 * 1024 * 1024;  // the file
inline constexpr int kMaxSide = 10000;                        // pixels, either side
// A metafile whose header gives no size is drawn this wide (in millimetres), 4:3.
inline constexpr int kDefaultMetafileMm = 100;

}  // namespace picture_limits
