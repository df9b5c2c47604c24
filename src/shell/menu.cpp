// The main menu bar, built once at start-up.
#include "shell/menu.h"

#include "bank/catalogue.h"
#include "board/screen.h"
#include "common/cp1251.h"
#include "platform/window_system.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "session/session.h"

bool Screen2::CreateMenuItem(HMENU menu, char* text, unsigned before, unsigned id, HMENU submenu) {
  return ws::AddMenuItem(menu, text, before, id, submenu);
}

HMENU PreparationMenu = nullptr;
HMENU DisciplinesMenu = nullptr;

namespace {

void FillDisciplines(HMENU menu) {
  // No item carries identifier 0 or 1 while the disciplines are put in (the separator comes
  // after them), so every item is appended.
  int last =
      Discipline.LastDiscipline < kMaxDisciplines ? Discipline.LastDiscipline : kMaxDisciplines - 1;
  for (int i = 0; i <= last; ++i)
    OnScreen2.CreateMenuItem(menu, Discipline.Disciplines[i].Title, 0, kCmdFirstDiscipline + i,
                             nullptr);
  if (last >= 0) ws::AddMenuSeparator(menu);
  auto add = Cp1251("Добавить вопросы из файла...");
  OnScreen2.CreateMenuItem(menu, add.bytes, 1, kCmdAddQuestions, nullptr);
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
  auto about = Cp1251("О программе");
  auto hotKeys = Cp1251("Горячие клавиши");
  auto database = Cp1251("База данных");
  OnScreen2.CreateMenuItem(help, about.bytes, 1, kCmdAbout, nullptr);
  OnScreen2.CreateMenuItem(help, hotKeys.bytes, 1, kCmdHotKeys, nullptr);
  OnScreen2.CreateMenuItem(help, database.bytes, 1, kCmdDatabase, nullptr);

  HMENU options = ws::CreatePopup();
  auto shuffleQuestions = Cp1251("Перемешивать вопросы");
  auto shuffleAnswers = Cp1251("Перемешивать варианты ответов");
  auto resume = Cp1251("Продолжать с места остановки");
  OnScreen2.CreateMenuItem(options, shuffleQuestions.bytes, 1, kCmdShuffleQuestions, nullptr);
  OnScreen2.CreateMenuItem(options, shuffleAnswers.bytes, 1, kCmdShuffleAnswers, nullptr);
  OnScreen2.CreateMenuItem(options, resume.bytes, 1, kCmdResume, nullptr);

  // Ways of working through a discipline beyond the drill, above the separator; the results of
  // all of them below it.
  HMENU preparation = ws::CreatePopup();
  auto exam = Cp1251("Экзамен...");
  auto results = Cp1251("Результаты...");
  OnScreen2.CreateMenuItem(preparation, exam.bytes, 1, kCmdExam, nullptr);
  // The review items get their counts each time the popup opens (MenuOpening).
  auto reviewDue = Cp1251("Повторение на сегодня (0)");
  auto reviewMistakes = Cp1251("Работа над ошибками (0)");
  OnScreen2.CreateMenuItem(preparation, reviewDue.bytes, 1, kCmdReviewDue, nullptr);
  OnScreen2.CreateMenuItem(preparation, reviewMistakes.bytes, 1, kCmdReviewMistakes, nullptr);
  auto knowledge = Cp1251("Знания по темам...");
  OnScreen2.CreateMenuItem(preparation, knowledge.bytes, 1, kCmdKnowledge, nullptr);
  ws::AddMenuSeparator(preparation);
  OnScreen2.CreateMenuItem(preparation, results.bytes, 1, kCmdResults, nullptr);

  auto disciplinesTitle = Cp1251("Дисциплины");
  auto preparationTitle = Cp1251("Подготовка");
  auto optionsTitle = Cp1251("Параметры");
  auto helpTitle = Cp1251("Помощь");
  OnScreen2.CreateMenuItem(bar, disciplinesTitle.bytes, 0, 0, disciplines);
  OnScreen2.CreateMenuItem(bar, preparationTitle.bytes, 1, 0, preparation);
  OnScreen2.CreateMenuItem(bar, optionsTitle.bytes, 1, 0, options);
  OnScreen2.CreateMenuItem(bar, helpTitle.bytes, 1, 0, help);
  PreparationMenu = preparation;
  DisciplinesMenu = disciplines;
  // The options read at start-up are shown ticked.
  session::UseMenuBar(bar);
  return bar;
}
