// Lengths on the screen for the display's scaling.
//
// Every length of the program's windows is written for 96 DPI (100 %, where it is the pixel
// count the program always had). The program declares itself DPI-aware, reads the system DPI
// at start-up and takes each length through Scale, so that a display at 150 % gets its windows
// half again as large and drawn sharp, instead of stretched by Windows and blurred.
#pragma once

#include <cstdint>

namespace dpi {

inline constexpr int kBase = 96;

// `length` pixels at 96 DPI as pixels at `dpi`, rounded to the nearest, halves away from zero
// (as MulDiv rounds). A DPI that no display reports (0 or less, when it could not be read) is
// taken as 96, so the length stays as written. The result saturates at the int range.
constexpr int Scale(int length, int dpi) {
  if (dpi <= 0) dpi = kBase;
  const std::int64_t product = static_cast<std::int64_t>(length) * dpi;
  const std::int64_t half = kBase / 2;
  std::int64_t scaled = product >= 0 ? (product + half) / kBase : -((-product + half) / kBase);
  if (scaled > INT32_MAX) scaled = INT32_MAX;
  if (scaled < INT32_MIN) scaled = INT32_MIN;
  return static_cast<int>(scaled);
}

}  // namespace dpi
