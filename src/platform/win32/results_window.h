// The results window: the records of results.csv, newest first, and a bar chart of the
// first-round percents of the selected record's topic.
//
// ws::OpenResultsWindow (platform/window_system.h) opens it; what it shows comes from the core
// (study::ReadResults, study::ChartOf). The chart is drawn with GDI by PaintResultsChart, which
// the chart control calls for WM_PAINT (through a memory bitmap) and for WM_PRINTCLIENT.
#pragma once

#include <windows.h>

#include "study/results.h"

inline constexpr wchar_t kResultsClass[] = L"ResultsWClass";
inline constexpr wchar_t kResultsChartClass[] = L"ResultsChartWClass";
inline constexpr int kResultsListId = 1;
inline constexpr int kResultsChartId = 2;

// Chart layout in pixels, from the edges of the area: room for the title above the plot, for
// the axis labels on its left, for the attempt numbers below it. The plot is split into
// kChartBars equal slots, oldest attempt first; a bar fills the middle two thirds of its slot
// and is PercentTenths × plot height / 1000 high (rounded), on the 0 % line.
inline constexpr int kChartTop = 40;
inline constexpr int kChartLeft = 48;
inline constexpr int kChartRight = 16;
inline constexpr int kChartBottom = 36;
inline constexpr COLORREF kChartBarColour = RGB(0x2F, 0x6F, 0xB7);
// Exams in a colour of their own, named in the legend above the plot.
inline constexpr COLORREF kChartExamColour = RGB(0xE0, 0x7B, 0x1A);
inline constexpr COLORREF kChartBackground = RGB(0xFF, 0xFF, 0xFF);

// Draws the chart into `area` of `dc`: white background, grid lines and labels at 0, 25, 50,
// 75 and 100 %, one labelled bar per attempt, and `caption` above. With no attempt it says so.
void PaintResultsChart(HDC dc, RECT area, const study::Chart& chart, const wchar_t* caption);

// The open results window, or null.
HWND ResultsWindow();
