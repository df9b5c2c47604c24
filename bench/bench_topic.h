// What the quiz and study benchmarks share: the large topic they drive (questions of one or
// two lines of text and four variants, one of them correct, as a question file, CR LF) and a
// fresh board in a maximized in-memory main window.
#pragma once

#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <new>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "board/screen.h"
#include "fake/fake_window_system.h"
#include "quiz/quiz.h"
#include "shell/globals.h"

// The processor time this thread has used, in milliseconds.
inline double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

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

// A scratch folder "exameo-bench-NAME-PID" in the temporary folder, made now and removed with
// all it holds when the process ends (the working folder is moved out of it first).
inline std::filesystem::path BenchFolder(const std::string& name) {
  // Never destroyed, so that the exit handler can still read it.
  static std::vector<std::filesystem::path>* made = nullptr;
  std::filesystem::path dir = std::filesystem::temp_directory_path() /
                              ("exameo-bench-" + name + "-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  if (made == nullptr) {
    made = new std::vector<std::filesystem::path>;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
      for (const std::filesystem::path& d : *made) std::filesystem::remove_all(d, ec);
    });
  }
  made->push_back(dir);
  return dir;
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
