// The main menu: the bar built at start-up, and what a discipline item does.
#pragma once

#include "platform/handles.h"

// Builds the menu bar: the "Дисциплины" popup with one item per catalogue entry (identifier
// 20 + i), the "Параметры" popup (the three study options 500-502, ticked when on, a separator
// and the results 503) and the "Помощь" popup (About 10, hot keys 12, database 11). Call it
// after the catalogue has been scanned and session::Init; the session keeps the bar.
HMENU BuildMenuBar();
// The popup "Дисциплины" of the bar BuildMenuBar made.
extern HMENU DisciplinesMenu;
// Fills "Дисциплины" again from the catalogue: its disciplines, a separator and "Добавить
// вопросы из файла..." (alone when there is no discipline). Every other menu and tick stays.
void RebuildDisciplinesMenu();
// The popup "Подготовка" of the bar BuildMenuBar made (its review items' counts are updated
// when it opens).
extern HMENU PreparationMenu;

// The discipline command for catalogue entry i: reads its topics and opens the topic chooser.
void OpenDiscipline(int i);
