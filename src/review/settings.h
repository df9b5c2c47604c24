// The review settings in exameo.ini's section [review]: the desired retention and the most
// questions a review session asks.
#pragma once

#include <cstddef>
#include <string>

#include "review/fsrs.h"

namespace review {

inline constexpr int kDefaultReviewLimit = 50;
inline constexpr int kMaxReviewLimit = 10000;

struct Settings {
  double retention = kDefaultRetention;   // 0.70 to 0.99
  int reviewLimit = kDefaultReviewLimit;  // 1 to 10000

  friend bool operator==(const Settings&, const Settings&) = default;
};

// The settings an exameo.ini of these bytes holds: "retention=0.85" and "review_limit=30" lines
// of the section [review]. A value out of its range, a damaged line or one of another section
// changes nothing.
Settings ParseSettings(const char* bytes, std::size_t size);
// The section [review] for exameo.ini (ASCII, CR LF), so that writing the options keeps it;
// empty for the defaults, which need no line.
std::string FormatSettings(const Settings& settings);

}  // namespace review
