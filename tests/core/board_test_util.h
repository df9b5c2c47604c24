// Shared set-up of the board tests: a fresh board on a fresh main window of the in-memory
// window system, and questions built in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fake/fake_window_system.h"
#include "platform/window_system.h"
#include "shell/globals.h"

namespace boardtest {

// Puts OnScreen2 back into its constructed state field by field: a Screen2 temporary is too
// large for the stack of every platform the tests run on.
inline void ResetBoard() {
  Screen2& b = OnScreen2;
  b.Client = {};
  for (SingleVisualEntry2& slot : b.Entry) {
    slot.Question = -1;
    slot.TextRect = {};
    slot.VrntRect = {};
    std::memset(slot.hVrnt, 0, sizeof slot.hVrnt);
    slot.hOK = nullptr;
    slot.bVisible = false;
    slot.IdBase = 0;
    slot.Pictures = pictures::SlotPictures();  // the fake's pictures are forgotten with the test
  }
  b.PictureFolder = pictures::Folder();
  b.hInst = nullptr;
  b.hWnd = nullptr;
  b.hFontRight = b.hFontMissed = b.hFontWrong = nullptr;
  b.CurrentSlot = -1;
  b.bAsk = true;
  b.bAllRight = true;
  b.CharWidth = 0;
  b.LineChars = 0;
  b.Dpi = 96;
}

inline void ResetTopic() {
  Topic_test.UnloadQuestions();
  Topic_test.Round = 1;
  Topic_test.Current = 0;
}

// A text of exactly n characters in words of up to nine letters.
inline std::string Words(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) text += (i % 10 == 9) ? ' ' : static_cast<char>('a' + i % 10);
  if (n > 0 && text.back() == ' ') text.back() = 'z';
  return text;
}

// Appends a question with the given task and variant texts (all present, none correct) and
// returns its index.
inline int AddQuestion(const std::string& task, const std::vector<std::string>& variants) {
  QuestionClass* q;
  if (Topic_test.Count == 1 && !Topic_test.Head.bExists) {
    q = &Topic_test.Head;
  } else {
    q = Topic_test.myNew(Topic_test.Get(Topic_test.Count - 1));
  }
  std::strncpy(q->Task, task.c_str(), sizeof q->Task - 1);
  for (std::size_t i = 0; i < variants.size() && i < 12; ++i) {
    std::strncpy(q->Vrnt[i].Text, variants[i].c_str(), sizeof q->Vrnt[i].Text - 1);
    q->Vrnt[i].bExists = true;
  }
  q->bExists = true;
  return q->Id;
}

// Variant texts with the given row counts at LineChars 62.5 (a client 1000 wide):
// 1 row up to 37 characters, then one more row every 37.5.
inline std::string RowsText(int rows) {
  static constexpr int kLength[9] = {0, 10, 50, 90, 130, 170, 200, 240, 300};
  return Words(kLength[rows]);
}
inline std::vector<std::string> RowsVariants(std::initializer_list<int> rows) {
  std::vector<std::string> texts;
  for (int r : rows) texts.push_back(RowsText(r));
  return texts;
}
// A task that the fake measures as `lines` lines at width 500 (62 characters a line): words of
// 61 letters, each with the space after it filling its line, and a last word of 62.
inline std::string TaskLines(int lines) {
  std::string text;
  for (int i = 1; i < lines; ++i) text += std::string(61, 't') + ' ';
  return text + std::string(62, 't');
}

class BoardTest : public ::testing::Test {
 protected:
  void SetUp() override { SetUpBoard(1000, 700); }
  void TearDown() override {
    fake::Reset();
    ResetBoard();
    ResetTopic();
  }
  void SetUpBoard(int width, int height) {
    fake::Reset();
    ResetBoard();
    ResetTopic();
    main_ = fake::CreateMainWindow(width, height);
    OnScreen2.hWnd = main_;
    OnScreen2.Init();
  }
  SingleVisualEntry2& Slot(int i) { return OnScreen2.Entry[i]; }
  HWND main_ = nullptr;
};

}  // namespace boardtest
