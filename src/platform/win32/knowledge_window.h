// The window "Знания по темам": one row per topic of every discipline with what the review log
// says of it, and a bar chart of the questions coming due on each of the next 30 days.
//
// ws::OpenKnowledgeWindow (platform/window_system.h) opens it with the function that works out
// what it shows (the bank's topics and the review log's counts), called each time it opens.
#pragma once

#include <windows.h>

#include "review/counts.h"

inline constexpr wchar_t kKnowledgeClass[] = L"KnowledgeWClass";
inline constexpr wchar_t kKnowledgeChartClass[] = L"KnowledgeChartWClass";
inline constexpr int kKnowledgeListId = 1;
inline constexpr int kKnowledgeChartId = 2;
// The row under the chart: the fit's button, its progress, its cancel button and its line.
inline constexpr int kFitButtonId = 3;
inline constexpr int kFitProgressId = 4;
inline constexpr int kFitCancelId = 5;
inline constexpr int kFitStatusId = 6;

// Draws the days' bars into `area` of `dc`, its lengths scaled to `dpi`: day 0 (today, overdue
// ones included) leftmost, each bar counts × plot height / the largest count high, with its
// count above it.
// The calibration line (null or empty: none) stands at the right of the title row.
void PaintKnowledgeChart(HDC dc, RECT area, int dpi, const int (&days)[review::kHistogramDays],
                         const wchar_t* calibration = nullptr);

// The open window, or null.
HWND KnowledgeWindow();
