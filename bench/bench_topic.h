// What the quiz and study benchmarks share: the large topic they drive (questions of one or
// two lines of text and four variants, one of them correct, as a question file, CR LF) and a
// fresh board in a maximized in-memory main window.
#pragma once

#include <new>
#include <ostream>

#include "board/screen.h"
#include "fake/fake_window_system.h"
#include "quiz/quiz.h"
#include "shell/globals.h"

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

// A new in-memory window system and main window, the board set up in it, the flow's guards
// clear: the program as it stands after start-up.
inline void FreshBoard() {
  fake::Reset();
  HWND main = fake::CreateMainWindow(1920, 1017);
  OnScreen2.~Screen2();
  new (&OnScreen2) Screen2();
  OnScreen2.hWnd = main;
  OnScreen2.Init();
  quiz::ResetGuards();
}
