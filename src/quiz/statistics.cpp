// The statistics of the round in progress: the title line and the round summary box.
#include <cstdio>

#include "bank/question.h"
#include "common/program_texts.h"
#include "platform/window_system.h"

namespace {

constexpr const auto& kTitleFormat = ptext::kStatTitleFormat;
constexpr const auto& kBoxFormat = ptext::kStatBoxFormat;
constexpr char kCaption[] = "Statistics";

struct Figures {
  int asked = 0;
  int correct = 0;
  int remaining = 0;

  void Count(const QuestionClass& q, int round) {
    if (!q.bExists) return;
    if (q.ShowCount == round) {
      ++asked;
      if (q.bSolved) ++correct;
    } else if (q.ShowCount < round && !q.bSolved) {
      ++remaining;
    }
  }
};

}  // namespace

void TopicClass::GetStat(bool showBox, HWND window) {
  Figures f;
  if (Index != nullptr && IndexSize == Count) {
    for (int i = 0; i < IndexSize; ++i) f.Count(*Index[i], Round);
  } else {
    // One walk of Count records; the Next of the last one is never followed.
    const QuestionClass* q = &Head;
    for (int i = 0; i < Count && q != nullptr; ++i) {
      f.Count(*q, Round);
      if (i + 1 < Count) q = q->Next;
    }
  }
  double percent = f.asked == 0 ? 0.0 : static_cast<double>(f.correct) / f.asked * 100.0;

  // Both texts fit: the box line is at most 51 characters for any non-negative counts.
  char text[64];
  std::snprintf(text, sizeof text, kTitleFormat.c_str(), percent, f.remaining);
  ws::SetTitle(window, text);
  if (!showBox) return;
  std::snprintf(text, sizeof text, kBoxFormat.c_str(), f.correct, f.asked, percent);
  ws::ShowBox(window, text, kCaption, ws::kBoxOk);
}
