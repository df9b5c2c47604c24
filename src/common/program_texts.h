// The program's own texts (menus, boxes, titles, reports), Russian as the program speaks, in
// one table: every window and box takes its words from here, so no text is written twice.
// Windows-1251 at compile time (Cp1251), as the program's texts are; the bank tools' texts
// in English and Russian are in texts.h.
#pragma once

#include "common/cp1251.h"

namespace ptext {

// The main window's title and the end of a quiz.
inline constexpr char kTitle[] = "Exameo 2.0";
inline constexpr char kGameOver[] = "Game over";

// The data folder's warnings.
inline constexpr auto kWarnCaption = Cp1251("Параметры");
inline constexpr auto kWarnUnwritable = Cp1251(
    "Не удаётся записать в папку данных программы. Параметры действуют до закрытия программы, "
    "ход изучения и результаты не сохраняются.\n");
inline constexpr auto kInUseBefore = Cp1251("Файл ");
inline constexpr auto kInUseAfter = Cp1251(
    " открыт в другой программе (например, в редакторе таблиц), и записать в него сейчас "
    "нельзя. Закройте его в той программе.\n");
inline constexpr auto kReadOnlyAfter =
    Cp1251(" доступен только для чтения, или нет прав на запись в него.\n");
inline constexpr auto kFullBefore = Cp1251("Не хватает места на диске для записи в файл ");
inline constexpr auto kOtherBefore = Cp1251("Не удаётся записать файл ");
inline constexpr auto kFolderBefore = Cp1251("Не удаётся записать в папку данных программы: ");
inline constexpr auto kDotAfter = Cp1251(".\n");
inline constexpr auto kKept = Cp1251(
    "Программа хранит несохранённое в памяти и запишет его при следующей записи в этот файл или "
    "при закрытии программы.");
inline constexpr auto kAtExit =
    Cp1251("Повторить запись? \"Нет\" - закрыть программу, потеряв несохранённое.");

// Continuing a topic.
inline constexpr auto kResumeCaption = Cp1251("Продолжить с места остановки");
inline constexpr auto kResumeFormat = Cp1251(
    "В этой теме решено %d из %d %s.\nПродолжить с места остановки?\n\n"
    "\"Нет\" - начать тему заново.");
inline constexpr auto kQuestionGenitiveOne = Cp1251("вопроса");
inline constexpr auto kQuestionGenitiveMany = Cp1251("вопросов");

// The exam.
inline constexpr auto kExamCaption = Cp1251("Экзамен");
inline constexpr auto kExamInterrupt = Cp1251("Прервать экзамен?");

// The review sessions and their menu items.
inline constexpr auto kReviewDueItem = Cp1251("Повторение на сегодня");
inline constexpr auto kMistakesItem = Cp1251("Работа над ошибками");
inline constexpr auto kAllDisciplines = Cp1251("Все дисциплины");
inline constexpr auto kReviewTopic = Cp1251("Повторение");
inline constexpr auto kMistakesTopic = Cp1251("Работа над ошибками");

}  // namespace ptext
