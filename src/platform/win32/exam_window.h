// The exam's windows on Win32: the dialog "Экзамен" and the report "Результат экзамена".
//
// Both are dialogs built from in-memory templates in dialog units with DS_SETFONT, so they
// scale with the dialog font. The dialog is modal (ws::OpenExamDialog); the report is modeless
// (ws::OpenExamReport), and the message loop hands it its keys first (ExamReportMessage), so
// Tab, Enter and Esc work in it and no key reaches the board.
#pragma once

#include <windows.h>

// Control identifiers of the dialog "Экзамен".
inline constexpr int kExamDiscipline = 101;
inline constexpr int kExamTopic = 102;
inline constexpr int kExamCount = 103;
inline constexpr int kExamCountArrows = 104;
inline constexpr int kExamAvailable = 105;
inline constexpr int kExamMinutes = 106;
inline constexpr int kExamMinutesArrows = 107;
inline constexpr int kExamForecast = 108;
// ... and of the report.
inline constexpr int kReportHead = 201;
inline constexpr int kReportList = 202;
inline constexpr int kReportDrill = 203;

// The open dialog "Экзамен", or null (for tests, which drive it while it is up).
HWND ExamDialog();
// The open report, or null.
HWND ExamReport();
// A message for the report or its controls, handled as a dialog's (true), or false.
bool ExamReportMessage(MSG* message);
