// The large topic the quiz and study benchmarks drive: questions of one or two lines of text
// and four variants, one of them correct, as a question file (CR LF).
#pragma once

#include <ostream>

inline void WriteBenchTopic(std::ostream& out, int questions) {
  for (int i = 0; i < questions; ++i) {
    out << "Question " << i
        << (i % 3 == 0 ? " with a task text long enough to take two lines"
                         " of the board in most windows, and a bit more"
                       : "")
        << "\r\n";
    for (int k = 0; k < 4; ++k)
      out << '\t' << (k == i % 4 ? '+' : '-') << "answer " << k << " of question " << i << "\r\n";
  }
}
