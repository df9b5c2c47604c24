// Adding questions on Win32: the Open dialog, files dropped on the main window, and the report
// "Добавление вопросов".
//
// The report is a modeless dialog from an in-memory template in dialog units (it scales with
// the dialog font); the message loop gives it its keys as to any other window of the program
// (IsDialogMessage), so Tab, Enter and Esc act there and nothing reaches the board.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// Control identifiers of the report.
inline constexpr int kAddLines = 301;  // the lines, a read-only text
inline constexpr int kAddOpen = 302;   // "Открыть"

// The Open dialog's filter string from `filters` (UTF-8: name, NUL, patterns, NUL, ..., NUL).
std::wstring OpenFilesFilter(const std::string& filters);
// The files an Open dialog with OFN_ALLOWMULTISELECT | OFN_EXPLORER returned in `buffer`: the
// folder then each name, NUL-separated, or one full path; UTF-8 full paths.
std::vector<std::string> ChosenPaths(const wchar_t* buffer);
// The files of a drop (WM_DROPFILES), UTF-8 full paths in the order given. Frees the drop.
std::vector<std::string> DroppedPaths(HDROP drop);
// The open report, or null (for tests).
HWND AddReport();
