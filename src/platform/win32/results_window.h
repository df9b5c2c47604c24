// The results window: the records of results.csv, newest first, and a bar chart of the
// first-round percents of the selected record's topic.
//
// ws::OpenResultsWindow (platform/window_system.h) opens it with the function that reads the
// records; the chart of the selected record's topic is records::ChartOf of them. The chart is drawn
// with GDI by PaintResultsChart, which the chart control calls for WM_PAINT (through a memory
// bitmap) and for WM_PRINTCLIENT.
#pragma once

#include <windows.h>

#include <string>

#include "platform/column_widths.h"
#include "records/results.h"

inline constexpr wchar_t kResultsClass[] = L"ResultsWClass";
inline constexpr wchar_t kResultsChartClass[] = L"ResultsChartWClass";
inline constexpr int kResultsListId = 1;
inline constexpr int kResultsChartId = 2;

// Chart layout in pixels at 96 DPI (scaled to the display's), from the edges of
// the area: room for the title above the plot, for
// the axis labels on its left, for the attempt numbers below it. The plot is split into
// kChartBars equal slots, oldest attempt first; a bar fills the middle two thirds of its slot
// and is PercentTenths × plot height / 1000 high (rounded), on the 0 % line.
inline constexpr int kChartTop = 40;
inline constexpr int kChartLeft = 48;
inline constexpr int kChartRight = 16;
inline constexpr int kChartBottom = 36;
inline constexpr COLORREF kChartBarColour = RGB(0x2F, 0x6F, 0xB7);
// The bar of the attempt selected in the list.
inline constexpr COLORREF kChartSelectedColour = RGB(0xE0, 0x7B, 0x00);
// The room a bar's date label ("03.12" above "09:15") needs: narrower slots label every few.
inline constexpr int kChartDateWidth = 34;
// Exams in a colour of their own, named in the legend above the plot.
inline constexpr COLORREF kChartExamColour = RGB(0x7B, 0x3F, 0xA0);
inline constexpr COLORREF kChartBackground = RGB(0xFF, 0xFF, 0xFF);

// What the chart says with no bar: nothing recorded yet, or records but none selected.
inline constexpr wchar_t kNoAttemptsText[] =
    L"Пока нет ни одной попытки: выберите тему в меню «Дисциплины» и ответьте на её вопросы. "
    L"Когда тема будет пройдена до конца, попытка появится здесь.";
inline constexpr wchar_t kChooseAttemptText[] =
    L"Выберите попытку в списке: здесь появятся все попытки её темы.";

// Draws the chart into `area` of `dc`, its lengths scaled to `dpi`: white background, grid lines
// and labels at 0, 25, 50, 75 and 100 %, one bar per attempt with its percent above and its date
// below (the selected one in its own colour), and `caption` above. With no attempt it shows
// `empty`, wrapped.
void PaintResultsChart(HDC dc, RECT area, int dpi, const records::Chart& chart,
                       const wchar_t* caption, const wchar_t* empty = nullptr);
// A chart's date label: "YYYY-MM-DD HH:MM" as "DD.MM" and "HH:MM"; any other text whole in `day`.
void ChartDate(const char* when, std::wstring* day, std::wstring* time);

// The open results window, or null.
HWND ResultsWindow();
