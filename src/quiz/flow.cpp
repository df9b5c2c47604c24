// The quiz flow. Every handler runs on the GUI thread from the main window's procedure; the
// only nesting comes from the modal boxes, which the guards in quiz.h keep harmless.
#include "quiz/quiz.h"

#include "board/screen.h"
#include "common/program_texts.h"
#include "platform/window_system.h"
#include "shell/globals.h"
#include "session/session.h"

namespace quiz {

bool bFlowBusy = false;
int StartsPending = 0;
bool bStartDeferred = false;

namespace {


// The question now being answered, or null when there is none (after the quiz, or an index
// that does not belong to the loaded chain).
QuestionClass* CurrentQuestion() {
  if (Topic_test.Current < 0 || Topic_test.Current >= Topic_test.Count) return nullptr;
  return Topic_test.Get(Topic_test.Current);
}

// The check box of variant k of the current question, found by its identifier; null when the
// board holds no question or the question has no check boxes.
HWND AnswerBox(int k) {
  if (OnScreen2.CurrentSlot < 0 || OnScreen2.CurrentSlot >= kSlots) return nullptr;
  if (OnScreen2.Entry[OnScreen2.CurrentSlot].IdBase <= 0) return nullptr;
  return ws::FindChild(OnScreen2.hWnd, AnswerId(k));
}

void Toggle(HWND box) {
  ws::SetTick(box, ws::ReadTick(box) == 1 ? 0 : 1);
}

// First OK: mark every present variant and record whether the question was answered right.
void Grade() {
  QuestionClass* q = CurrentQuestion();
  if (q != nullptr) {
    for (int k = 0; k < kMaxVariants; ++k) {
      if (!q->Vrnt[k].bExists) continue;
      HWND box = AnswerBox(k);
      int tick = ws::ReadTick(box);
      bool correct = q->Vrnt[k].bCorrect;
      if (tick == 1 && correct) {
        ws::SetMark(box, OnScreen2.hFontRight);
      } else if (tick == 1) {
        ws::SetMark(box, OnScreen2.hFontWrong);
        OnScreen2.bAllRight = false;
      } else if (tick == 0 && correct) {
        ws::SetMark(box, OnScreen2.hFontMissed);
        OnScreen2.bAllRight = false;
      }
    }
    if (OnScreen2.bAllRight) q->bSolved = true;
    session::Graded(*q, Topic_test.Round, OnScreen2.bAllRight);
  }
  Topic_test.GetStat(false, OnScreen2.hWnd);
  OnScreen2.bAsk = false;
}

void EndQuiz() {
  // Recorded before the box: closing the program while it is up loses nothing.
  session::Ended(Topic_test.Round - 1);
  ws::ShowBox(nullptr, ptext::kGameOver, ptext::kGameOver, ws::kBoxOk);
  ClearBoard();
  Discipline.UnloadTopics();
  bNobodyHome = true;
  PlaceQuestion2(-1);
  OnScreen2.bAsk = true;
}

void EndRound() {
  Topic_test.GetStat(true, OnScreen2.hWnd);
  Topic_test.Round += 1;
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  ws::SetTitle(OnScreen2.hWnd, ptext::kTitle);
  Topic_test.Current = Topic_test.GetNextQuestion(0);
  if (Topic_test.Current != -1) {
    PlaceQuestion2(Topic_test.Current);
    OnScreen2.bAsk = true;
    return;
  }
  EndQuiz();
}

// Second OK: freeze the graded question and ask the next unsolved one of the round.
void MoveOn() {
  if (QuestionClass* q = CurrentQuestion()) {
    for (int k = 0; k < kMaxVariants; ++k)
      if (q->Vrnt[k].bExists) ws::Enable(AnswerBox(k), false);
  }
  OnScreen2.bAllRight = true;
  Topic_test.Current = Topic_test.GetNextQuestion(Topic_test.Current + 1);
  if (Topic_test.Current != -1) {
    PlaceQuestion2(Topic_test.Current);
    OnScreen2.bAsk = true;
    return;
  }
  EndRound();
}

// Nothing acts on the current question while the flow is busy or the board still shows the
// topic before the one just loaded.
bool Blocked() {
  return bFlowBusy || StartsPending > 0;
}

}  // namespace

void AnswerKey(int n) {
  if (Blocked() || !OnScreen2.bAsk || n < 0 || n >= kMaxVariants) return;
  QuestionClass* q = CurrentQuestion();
  if (q == nullptr || !q->Vrnt[n].bExists) return;
  Toggle(AnswerBox(n));
}

void UndoClick(unsigned id) {
  if (Blocked() || OnScreen2.bAsk) return;
  QuestionClass* q = CurrentQuestion();
  if (q == nullptr) return;
  for (int k = 0; k < kMaxVariants; ++k) {
    if (!q->Vrnt[k].bExists || OnScreen2.CurrentSlot < 0) continue;
    if (id == static_cast<unsigned>(AnswerId(k))) Toggle(AnswerBox(k));
  }
}

void Ok() {
  if (bNobodyHome || Blocked()) return;
  bFlowBusy = true;
  // A session without marks (a sitting) takes one OK per question.
  if (!session::ShowsMarks())
    session::SittingOk();
  else if (OnScreen2.bAsk)
    Grade();
  else
    MoveOn();
  bFlowBusy = false;
  if (bStartDeferred) {
    bStartDeferred = false;
    Start();
  }
}

void Start() {
  if (bFlowBusy) {
    bStartDeferred = true;
    return;
  }
  if (StartsPending > 1) {
    --StartsPending;
    return;
  }
  StartsPending = 0;
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  OnScreen2.Cleaner();
  // 0, or with a resumed topic its first question not solved before.
  const int first = session::Started();
  Topic_test.Current = first < 0 ? 0 : first;
  Topic_test.Round = 1;
  OnScreen2.bAsk = true;
  OnScreen2.bAllRight = true;
  ws::SetTitle(OnScreen2.hWnd, ptext::kTitle);
  if (first < 0) {
    // Every question was solved before: the quiz is over at once.
    bFlowBusy = true;
    EndQuiz();
    bFlowBusy = false;
    return;
  }
  PlaceQuestion2(first);
}

void ClearBoard() {
  Topic_test.Round = 1;
  Topic_test.Current = -1;
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  ws::SetTitle(OnScreen2.hWnd, ptext::kTitle);
}

void PlaceFirst() {
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  OnScreen2.Cleaner();
  Topic_test.Round = 1;
  Topic_test.Current = 0;
  OnScreen2.bAsk = true;
  OnScreen2.bAllRight = true;
  PlaceQuestion2(0);
}

void NoteStartPosted() {
  ++StartsPending;
}

void StartNotPosted() {
  if (StartsPending > 0) --StartsPending;
  if (StartsPending == 0) Start();
}

void ResetGuards() {
  bFlowBusy = false;
  StartsPending = 0;
  bStartDeferred = false;
}

}  // namespace quiz
