// What the dialog "Экзамен" offers and keeps: the choice of discipline, topic, number of
// questions and minutes, its first values and the last ones used (section [exam] of
// exameo.ini).
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

// The questions with variants the choice of `discipline` and `topic` offers (Catalogue is
// loaded with that discipline's topics).
int AvailableIn(int discipline, int topic);
// The dialog's values when it opens: the last ones used, when they still exist, else the first
// discipline, all topics, min(20, N) questions and as many minutes as questions. The count is
// kept within 1..N (0 when N is 0), the minutes within 0..600. Catalogue holds the discipline's
// topics afterwards.
Choice InitialChoice();
// Keeps the choice in exameo.ini and starts the sitting; false when nothing could be drawn.
bool StartChoice(const Choice& choice);

}  // namespace exam
