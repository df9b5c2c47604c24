// Helpers of the quiz and shell tests: a fresh program on the in-memory window system, question
// and description files written to a scratch working directory, and short ways to act as the
// user and to look at what he sees.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bank/catalogue.h"
#include "bank/question.h"
#include "board/screen.h"
#include "common/cp1251.h"
#include "fake/fake_window_system.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "shell/globals.h"
#include "shell/routing.h"
#include "support/scratch.h"

namespace quiztest {

inline constexpr int kWidth = 1000;
inline constexpr int kHeight = 700;

// The program as it is right after start-up, on a fresh main window of the given client size.
inline HWND ResetProgram(int width = kWidth, int height = kHeight) {
  fake::Reset();
  fake::SetBoxHook(nullptr);
  HWND main = fake::CreateMainWindow(width, height);
  // The board is a few megabytes: built again in place rather than through a temporary.
  OnScreen2.~Screen2();
  new (&OnScreen2) Screen2();
  OnScreen2.hWnd = main;
  OnScreen2.Init();
  Topic_test.UnloadQuestions();
  Topic_test.Round = 1;
  Topic_test.Current = 0;
  Discipline.UnloadTopics();
  std::memset(static_cast<void*>(Discipline.Disciplines), 0, sizeof Discipline.Disciplines);
  Discipline.LastDiscipline = -1;
  bNobodyHome = false;
  quiz::ResetGuards();
  return main;
}

using testsupport::NativePath;
using testsupport::ReadAll;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

// A question file from one pattern per question: one character per variant, '+' correct and
// '-' wrong; "" is a question without variants. Task i reads "Q<i>", variant k "v<k>".
inline std::string QuestionFile(const std::vector<std::string>& patterns) {
  std::string bytes;
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    bytes += "Q" + std::to_string(i) + "\r\n";
    for (std::size_t k = 0; k < patterns[i].size(); ++k)
      bytes += std::string("\t") + patterns[i][k] + "v" + std::to_string(k) + "\r\n";
  }
  return bytes;
}

// Loads a question file into Topic_test the way the chooser's OK does, and delivers the start.
inline void LoadAndStart(const char* path) {
  Topic_test.UnloadQuestions();
  std::string copy(path);
  Topic_test.LoadQuestions(copy.data());
  bNobodyHome = false;
  quiz::NoteStartPosted();
  ws::PostStart(OnScreen2.hWnd);
  fake::Pump();
}

// Writes the patterns to a file and starts them as a topic.
inline void StartTopic(const std::vector<std::string>& patterns, const char* path = "t.txt") {
  WriteBytes(path, QuestionFile(patterns));
  LoadAndStart(path);
}

// The check box of variant k of the current question, by its identifier, or null.
inline HWND Box(int k) {
  if (OnScreen2.CurrentSlot < 0) return nullptr;
  return ws::FindChild(OnScreen2.hWnd, AnswerId(k));
}
inline HWND CurrentOk() {
  return OnScreen2.CurrentSlot < 0 ? nullptr : OnScreen2.Entry[OnScreen2.CurrentSlot].hOK;
}
inline std::string Title() {
  return OnScreen2.hWnd->text;
}
inline std::string Cp(const char* cp1251Bytes) {
  return cp1251Bytes;
}

// Keys as the user types them: '1'..'9', ':', ';', '<' for variants 0..11.
inline char KeyOf(int variant) {
  return static_cast<char>('1' + variant);
}
// Ticks the given variants by key and presses Enter twice (grade, then move on).
inline void Answer(const std::vector<int>& variants) {
  for (int v : variants) fake::TypeChar(KeyOf(v));
  fake::TypeChar('\r');
  fake::TypeChar('\r');
}

}  // namespace quiztest
