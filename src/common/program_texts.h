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

// The menu bar: its popups' titles and items (a caption that repeats an item's words uses it).
inline constexpr auto kDisciplinesMenu = Cp1251("Дисциплины");
inline constexpr auto kPreparationMenu = Cp1251("Подготовка");
inline constexpr auto kOptionsMenu = Cp1251("Параметры");
inline constexpr auto kHelpMenu = Cp1251("Помощь");
inline constexpr auto kAddQuestionsItem = Cp1251("Добавить вопросы из файла...");
inline constexpr auto kAboutItem = Cp1251("О программе");
inline constexpr auto kHotKeysItem = Cp1251("Горячие клавиши");
inline constexpr auto kDatabaseItem = Cp1251("База данных");
inline constexpr auto kShuffleQuestionsItem = Cp1251("Перемешивать вопросы");
inline constexpr auto kShuffleAnswersItem = Cp1251("Перемешивать варианты ответов");
inline constexpr auto kResumeItem = Cp1251("Продолжать с места остановки");
inline constexpr auto kExamItem = Cp1251("Экзамен...");
inline constexpr auto kResultsItem = Cp1251("Результаты...");
inline constexpr auto kKnowledgeItem = Cp1251("Знания по темам...");

// The boxes of the menu "Помощь" (captioned by their items, but the database's).
inline constexpr auto kAboutText = Cp1251(
    "Программа для подготовки к тестированию \"Exameo 2.0\".\n"
    "Домашняя страница: http://www.exameo.example/\n"
    "Программа бесплатна и распространяется свободно.\n"
    "Замечания и предложения присылайте по адресу feedback@exameo.example\n"
    "\n"
    "Автор: команда Exameo\n"
    "Декабрь 2026");

inline constexpr auto kDatabaseCaption = Cp1251("Информация");
inline constexpr auto kDatabaseText = Cp1251(
    "Формат базы:\n"
    "Каждый вопрос состоит из задания и вариантов ответа. На задание и варианты отводится по 1 "
    "строчке. Перед каждым вариантом стоит символ табуляции: (char)9\n"
    "Каждая дисциплина расположена в отдельной директории.\n"
    "Описание содержимого директории находится в файле \"Base\\x.txt\", где x - порядковый номер "
    "дисциплины\n"
    "В файле-описании первая строчка отведена под название дисциплины. Далее идут строчки "
    "описания следующего формата: символ табуляции, затем название темы, далее в кавычках "
    "относительный путь к файлу с вопросами темы\n"
    "Кодировка всех файлов: Windows-1251");

inline constexpr auto kHotKeysText = Cp1251(
    "Для выбора ответа используйте клавиши 1-7 на дополнительной (включите NumLock) или "
    "основной клавиатуре\n"
    "Нажать кнопку \"OK\" можно пробелом или \"Enter\"\n"
    "Рисунок к заданию открывается клавишей F3 (следующий рисунок - ещё раз F3), закрывается "
    "клавишей Esc");


// The round's box and the title line of the drill.
inline constexpr auto kStatTitleFormat = Cp1251("Правильно %3.3f %%, осталось %d");
inline constexpr auto kStatBoxFormat = Cp1251("Правильных %d, всего %d (%3.3f %%)");

// The exam's verdicts, grades, title and report.
inline constexpr auto kVerdictRight = Cp1251("верно");
inline constexpr auto kVerdictPartial = Cp1251("частично");
inline constexpr auto kVerdictWrong = Cp1251("неверно");
inline constexpr auto kVerdictUnanswered = Cp1251("без ответа");
inline constexpr auto kGradeExcellent = Cp1251("отлично");
inline constexpr auto kGradeGood = Cp1251("хорошо");
inline constexpr auto kGradeSatisfactory = Cp1251("удовлетворительно");
inline constexpr auto kGradeFailed = Cp1251("неудовлетворительно");
inline constexpr auto kAllTopics = Cp1251("Все темы");
inline constexpr auto kExamTitleHead = Cp1251("Экзамен: вопрос %d из %d");
inline constexpr auto kExamTitleLeft = Cp1251(", осталось ");
inline constexpr auto kReportDiscipline = Cp1251("Дисциплина: ");
inline constexpr auto kReportTopic = Cp1251("Тема: ");
inline constexpr auto kReportRight = Cp1251("Верно: %d из %d (%s %%)");
inline constexpr auto kReportCredit = Cp1251("С частичным зачётом: %s из %d (%s %%)");
inline constexpr auto kReportGrade = Cp1251("Оценка: ");
inline constexpr auto kReportTime = Cp1251("Время: ");
inline constexpr auto kOf = Cp1251(" из ");

// The exam dialog's forecast of the score: "Прогноз: 72 % (хорошо)".
inline constexpr auto kForecastFormat = Cp1251("Прогноз: %d %% (%s)");
inline constexpr auto kForecastNone = Cp1251("Прогноз: нет данных");
inline constexpr auto kNoData = Cp1251("нет данных");
// The knowledge window's line: "Прогноз и результат по 12 экзаменам: 71 % и 68 %".
inline constexpr auto kCalibrationFormat = Cp1251("Прогноз и результат по %d %s: %d %% и %d %%");
inline constexpr auto kExamsDativeOne = Cp1251("экзамену");
inline constexpr auto kExamsDativeMany = Cp1251("экзаменам");
// The knowledge window's fit of the memory model's parameters to the student's own answers;
// the losses ("0,512") are put in as texts.
inline constexpr auto kFitButton = Cp1251("Подобрать параметры по моим ответам");
inline constexpr auto kFitCancel = Cp1251("Отмена");
inline constexpr auto kFitReady = Cp1251("Ответов по расписанию для подбора: %d.");
inline constexpr auto kFitTooFew =
    Cp1251("Ответов по расписанию для подбора: %d; подбор возможен от %d.");
inline constexpr auto kFitRunning = Cp1251("Подбор параметров: шаг %d...");
inline constexpr auto kFitKept =
    Cp1251("Лог-потеря на отложенных ответах: была %s, стала %s. Новые параметры сохранены.");
inline constexpr auto kFitKeptUnsaved = Cp1251(
    "Лог-потеря на отложенных ответах: была %s, стала %s. Новые параметры действуют до выхода.");
inline constexpr auto kFitNotKept = Cp1251(
    "Лог-потеря на отложенных ответах: была %s, с новыми %s. Оставлены прежние параметры.");
inline constexpr auto kFitCancelled = Cp1251("Подбор отменён, параметры не изменились.");

// The review sessions and their menu items.
inline constexpr auto kReviewDueItem = Cp1251("Повторение на сегодня");
inline constexpr auto kMistakesItem = Cp1251("Работа над ошибками");
inline constexpr auto kAllDisciplines = Cp1251("Все дисциплины");
inline constexpr auto kReviewTopic = Cp1251("Повторение");
inline constexpr const auto& kMistakesTopic = kMistakesItem;

// The data folder's warnings (captioned as the menu of the options).
inline constexpr const auto& kWarnCaption = kOptionsMenu;
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
inline constexpr auto kParametersIgnored = Cp1251(
    "Значение parameters в разделе [review] файла exameo.ini не подходит (нужен 21 параметр в "
    "допустимых пределах). Используются параметры по умолчанию.");
// A refused write of the review log is told under the review's name, not the options'.
inline constexpr const auto& kReviewLogCaption = kReviewTopic;
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

}  // namespace ptext
