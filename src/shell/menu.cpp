// The main menu bar, built once at start-up.
#include "shell/menu.h"

#include <string>

#include "bank/catalogue.h"
#include "board/screen.h"
#include "common/program_texts.h"
#include "platform/window_system.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "session/session.h"

bool Screen2::CreateMenuItem(HMENU menu, char* text, unsigned before, unsigned id, HMENU submenu,
                             bool utf8) {
  return ws::AddMenuItem(menu, {text, utf8}, before, id, submenu);
}

HMENU PreparationMenu = nullptr;
HMENU DisciplinesMenu = nullptr;

namespace {

// CreateMenuItem takes its text writable; the table's texts are constant.
void AddItem(HMENU menu, const char* text, unsigned before, unsigned id, HMENU submenu) {
  std::string copy = text;
  OnScreen2.CreateMenuItem(menu, copy.data(), before, id, submenu);
}

void FillDisciplines(HMENU menu) {
  // No item carries identifier 0 or 1 while the disciplines are put in (the separator comes
  // after them), so every item is appended.
  int last =
      Discipline.LastDiscipline < kMaxDisciplines ? Discipline.LastDiscipline : kMaxDisciplines - 1;
  for (int i = 0; i <= last; ++i)
    OnScreen2.CreateMenuItem(menu, Discipline.Disciplines[i].Title, 0, kCmdFirstDiscipline + i,
                             nullptr, Discipline.Disciplines[i].bUtf8);
  if (last >= 0) ws::AddMenuSeparator(menu);
  AddItem(menu, ptext::kAddQuestionsItem.c_str(), 1, kCmdAddQuestions, nullptr);
}

}  // namespace

void RebuildDisciplinesMenu() {
  if (DisciplinesMenu == nullptr) return;
  ws::ClearMenu(DisciplinesMenu);
  FillDisciplines(DisciplinesMenu);
}

HMENU BuildMenuBar() {
  HMENU bar = ws::CreateMenuBar();

  HMENU disciplines = ws::CreatePopup();
  FillDisciplines(disciplines);

  HMENU help = ws::CreatePopup();
  AddItem(help, ptext::kAboutItem.c_str(), 1, kCmdAbout, nullptr);
  AddItem(help, ptext::kHotKeysItem.c_str(), 1, kCmdHotKeys, nullptr);
  AddItem(help, ptext::kDatabaseItem.c_str(), 1, kCmdDatabase, nullptr);

  HMENU options = ws::CreatePopup();
  AddItem(options, ptext::kShuffleQuestionsItem.c_str(), 1, kCmdShuffleQuestions, nullptr);
  AddItem(options, ptext::kShuffleAnswersItem.c_str(), 1, kCmdShuffleAnswers, nullptr);
  AddItem(options, ptext::kResumeItem.c_str(), 1, kCmdResume, nullptr);

  // Ways of working through a discipline beyond the drill, above the separator; the results of
  // all of them below it.
  HMENU preparation = ws::CreatePopup();
  AddItem(preparation, ptext::kExamItem.c_str(), 1, kCmdExam, nullptr);
  // The review items get their counts each time the popup opens (MenuOpening).
  std::string reviewDue = ptext::kReviewDueItem.c_str() + std::string(" (0)");
  std::string reviewMistakes = ptext::kMistakesItem.c_str() + std::string(" (0)");
  AddItem(preparation, reviewDue.c_str(), 1, kCmdReviewDue, nullptr);
  AddItem(preparation, reviewMistakes.c_str(), 1, kCmdReviewMistakes, nullptr);
  AddItem(preparation, ptext::kKnowledgeItem.c_str(), 1, kCmdKnowledge, nullptr);
  ws::AddMenuSeparator(preparation);
  AddItem(preparation, ptext::kResultsItem.c_str(), 1, kCmdResults, nullptr);

  AddItem(bar, ptext::kDisciplinesMenu.c_str(), 0, 0, disciplines);
  AddItem(bar, ptext::kPreparationMenu.c_str(), 1, 0, preparation);
  AddItem(bar, ptext::kOptionsMenu.c_str(), 1, 0, options);
  AddItem(bar, ptext::kHelpMenu.c_str(), 1, 0, help);
  PreparationMenu = preparation;
  DisciplinesMenu = disciplines;
  // The options read at start-up are shown ticked.
  session::UseMenuBar(bar);
  return bar;
}
