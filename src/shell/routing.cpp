// The portable halves of the main window's and the chooser's window procedures.
#include "shell/routing.h"

#include <utility>

#include "bank/catalogue.h"
#include "exam/choice.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "shell/add_questions.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "session/session.h"

long RouteCommand(unsigned wParam, HWND sender) {
  // A box of the quiz flow is up and the flow waits for it halfway through an OK: nothing may
  // change the board, the topic or the catalogue under it.
  if (quiz::bFlowBusy) return -1;

  // Only the low 16 bits name the command; the high ones tell a key from a click.
  const unsigned id = wParam & 0xFFFF;

  // Every step runs, in this order; a step that does not match does nothing.
  OnScreen2.Anounce(wParam);
  if (id >= kCmdFirstDiscipline && id < kCmdFirstDiscipline + kMaxDisciplines &&
      Discipline.Disciplines[id - kCmdFirstDiscipline].bExists && session::MayInterrupt(false))
    OpenDiscipline(static_cast<int>(id - kCmdFirstDiscipline));
  if (id >= kCmdFirstAnswerKey && id < kCmdFirstAnswerKey + 12 && OnScreen2.bAsk)
    quiz::AnswerKey(static_cast<int>(id - kCmdFirstAnswerKey));
  if (!OnScreen2.bAsk) quiz::UndoClick(id);
  if (id == kCmdOk && !bNobodyHome) quiz::Ok();
  session::MenuCommand(wParam, sender);
  if (wParam == kCmdExam && sender == nullptr && session::MayInterrupt(false)) {
    ws::ExamDialogCalls calls;
    calls.catalogue = &Discipline;
    calls.initial = session::InitialChoice;
    calls.topicsOf = [](int discipline) -> const DisciplineClass* {
      return session::LoadCatalogue(discipline) ? &session::P().catalogue : nullptr;
    };
    calls.available = session::AvailableIn;
    calls.start = session::StartChoice;
    calls.forecast = session::ForecastLine;
    ws::OpenExamDialog(OnScreen2.hInst, OnScreen2.hWnd, calls);
  }
  if (wParam == kCmdReviewDue && sender == nullptr) session::StartReview(review::PlanKind::kDue);
  if (wParam == kCmdReviewMistakes && sender == nullptr)
    session::StartReview(review::PlanKind::kMistakes);
  // Only shows counts: it loads nothing, so a sitting goes on under it.
  if (wParam == kCmdKnowledge && sender == nullptr)
    ws::OpenKnowledgeWindow(OnScreen2.hInst, OnScreen2.hWnd, OnScreen2.Dpi,
                            {session::ReadKnowledge, session::StartFit, session::FitEnded});
  // Adding disciplines leaves a running sitting as it is: only the menu changes.
  if (wParam == kCmdAddQuestions && sender == nullptr) adding::AskAndAdd();
  return -1;
}

long BoardClick(int x, int y) {
  if (OpenPictureAt(x, y)) return 0;
  const int variant = VariantPictureAt(x, y);
  if (variant >= 0) RouteCommand(kCmdFirstAnswerKey + static_cast<unsigned>(variant));
  return 0;
}

long MenuOpening(HMENU popup) {
  if (popup != nullptr && popup == PreparationMenu) session::UpdateReviewItems(popup);
  return 0;
}

long StartQuiz() {
  // A start of a topic loaded before the sitting began has nothing left to start.
  if (session::Running()) return 0;
  quiz::Start();
  return 0;
}

long TimerTick() {
  session::Tick();
  return 0;
}

bool MainMayClose() {
  return session::MayInterrupt(true);
}

long ChooserCommand(HWND chooser, unsigned wParam, HWND sender) {
  const unsigned id = wParam & 0xFFFF;
  // Esc: closed as by its close box.
  if (id == kCmdDialogCancel) {
    ws::Destroy(chooser);
    return -1;
  }
  // Enter on a topic is the OK button, which has no identifier of its own to be found by once
  // topic 100 carries 200 too.
  if (id == kCmdDialogOk) sender = nullptr;
  // The radio buttons' own commands need nothing; their state is read when OK comes.
  else if (id != kCmdChooserOk)
    return -1;
  // With more than 100 topics the radio button of topic 100 carries the OK button's identifier
  // 200. A click on it has just selected it, and a push button never reads ticked, so a ticked
  // sender is that radio button: selecting it must not load it and close the chooser.
  if (ws::ReadTick(sender) == 1) return -1;
  // Loading now would pull the topic from under the flow's box: the chooser stays open and its
  // OK can be pressed again once the box is gone.
  if (quiz::bFlowBusy) return -1;
  // A chooser left open when a sitting began would load other questions under it.
  if (!session::MayInterrupt(false)) return -1;

  int topic = -1;
  for (int i = 0; i < kMaxTopics; ++i) {
    if (!Discipline.Topics[i].bExists) continue;
    if (ws::ReadTick(ws::FindChild(chooser, static_cast<int>(kCmdFirstTopic) + i)) != 1) continue;
    Topic_test.UnloadQuestions();
    Topic_test.LoadQuestions(PathOf(Discipline.Topics[i]));
    OnScreen2.PictureFolder = pictures::FolderOf(PathOf(Discipline.Topics[i]));
    topic = i;
  }
  // Shuffled, asked whether to continue (a box the chooser owns) and started.
  if (topic >= 0) session::BeginTopic(topic, chooser);
  ws::Destroy(chooser);
  return -1;
}

long ChooserDestroyed() {
  ws::Enable(OnScreen2.hWnd, true);
  ws::BringToTop(OnScreen2.hWnd);
  return 0;
}
