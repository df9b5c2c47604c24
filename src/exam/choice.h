// What the dialog "Экзамен" offers and keeps: the choice of discipline, topic, number of
// questions and minutes (section [exam] of exameo.ini keeps the last one used).
#pragma once

namespace exam {

inline constexpr int kMaxMinutes = 600;
inline constexpr int kFirstCount = 20;

struct Choice {
  int discipline = 0;  // an entry of the program's catalogue
  int topic = -1;      // a topic of that discipline, -1 for all
  int count = 0;
  int minutes = 0;  // 0: no limit
};

// A value kept within low..high.
constexpr int Clamp(int v, int low, int high) {
  return v < low ? low : v > high ? high : v;
}

}  // namespace exam
