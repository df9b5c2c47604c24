// The knowledge window on Win32: a list view of the topics and a chart control drawn with GDI,
// shaped as the results window.
#include "platform/win32/knowledge_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "common/program_texts.h"
#include "platform/win32/cp1251_win32.h"
#include "platform/win32/list_chart.h"
#include "platform/win32/results_window.h"
#include "platform/window_system.h"
#include "review/forecast.h"

namespace {

struct KnowledgeState {
  listchart::Parts parts;
  void (*read)(const ws::KnowledgeView& view) = nullptr;
  int days[review::kHistogramDays] = {};
  std::wstring calibration;  // forecasts against the exams' results
};
KnowledgeState gKnowledge;

using listchart::GuiFont;
using listchart::TextAt;

struct Column {
  const wchar_t* title;
  int width;  // at 96 DPI
  bool right;
};
constexpr Column kColumns[] = {
    {L"Дисциплина", 180, false}, {L"Тема", 240, false},      {L"Вопросов", 80, true},
    {L"Отвечено", 80, true},     {L"Знаю сейчас", 95, true}, {L"Повторить сегодня", 130, true},
    {L"За 7 дней", 80, true},    {L"Прогноз, %", 90, true},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

void SetCell(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(gKnowledge.parts.list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
               reinterpret_cast<LPARAM>(&item));
}

// A forecast's cell: its rounded percent, or "нет данных".
std::wstring ForecastCell(const review::Forecast& f) {
  if (!f.share) return cp1251::ToWide(ptext::kNoData.c_str());
  return std::to_wstring(static_cast<int>(*f.share * 100 + 0.5));
}

void Reload() {
  review::Bank bank;
  review::Counts counts;
  review::BankForecast forecast;
  std::string calibration;
  if (gKnowledge.read != nullptr) gKnowledge.read({&bank, &counts, &forecast, &calibration});
  gKnowledge.calibration = cp1251::ToWide(calibration.c_str());
  const HWND list = gKnowledge.parts.list;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  int row = 0;
  std::size_t discipline = 0;  // the next discipline row of the forecast
  for (const review::TopicRow& r : counts.Rows) {
    if (r.Topic < 0 || static_cast<std::size_t>(r.Topic) >= bank.Topics.size()) continue;
    const review::BankTopic& t = bank.Topics[static_cast<std::size_t>(r.Topic)];
    // Each discipline's row before its topics: the forecast of an exam over all of them.
    if (discipline < forecast.disciplines.size() &&
        forecast.disciplines[discipline].firstTopic == r.Topic) {
      const review::Forecast& f = forecast.disciplines[discipline].forecast;
      SetCell(row, 0, cp1251::TextToWide(t.DisciplineTitle.c_str(), t.Utf8));
      SetCell(row, 1, cp1251::ToWide(ptext::kAllTopics.c_str()));
      SetCell(row, 2, std::to_wstring(f.questions));
      SetCell(row, 3, std::to_wstring(f.answered));
      SetCell(row, 7, ForecastCell(f));
      ++row;
      ++discipline;
    }
    SetCell(row, 0, cp1251::TextToWide(t.DisciplineTitle.c_str(), t.Utf8));
    SetCell(row, 1, cp1251::TextToWide(t.Title.c_str(), t.Utf8));
    SetCell(row, 2, std::to_wstring(r.Questions));
    SetCell(row, 3, std::to_wstring(r.Answered));
    SetCell(row, 4, std::to_wstring(r.Known));
    SetCell(row, 5, std::to_wstring(r.DueToday));
    SetCell(row, 6, std::to_wstring(r.DueWeek));
    if (static_cast<std::size_t>(r.Topic) < forecast.topics.size())
      SetCell(row, 7, ForecastCell(forecast.topics[static_cast<std::size_t>(r.Topic)]));
    ++row;
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  for (int d = 0; d < review::kHistogramDays; ++d) gKnowledge.days[d] = counts.Histogram[d];
  if (gKnowledge.parts.chart != nullptr) InvalidateRect(gKnowledge.parts.chart, nullptr, FALSE);
}

void PaintChart(HDC dc, RECT area) {
  PaintKnowledgeChart(dc, area, gKnowledge.parts.dpi, gKnowledge.days,
                      gKnowledge.calibration.c_str());
}

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return listchart::ChartMessage(window, message, wParam, lParam, PaintChart);
}

LRESULT CALLBACK KnowledgeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (window == gKnowledge.parts.window &&
      listchart::FrameMessage(gKnowledge.parts, message, wParam, lParam, &result))
    return result;
  if (message == WM_DESTROY) {
    gKnowledge = KnowledgeState{};
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND KnowledgeWindow() {
  return gKnowledge.parts.window;
}

void PaintKnowledgeChart(HDC dc, RECT area, int dpi, const int (&days)[review::kHistogramDays],
                         const wchar_t* calibration) {
  auto Px = [dpi](int length) { return dpi::Scale(length, dpi); };
  HBRUSH background = CreateSolidBrush(kChartBackground);
  FillRect(dc, &area, background);
  DeleteObject(background);
  HGDIOBJ oldFont = SelectObject(dc, GuiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT title{area.left + Px(8), area.top + Px(2), area.right - Px(8), area.top + Px(22)};
  // The forecasts against the exams' results at the right of the title row, the title in what
  // is left of it.
  if (calibration != nullptr && *calibration != L'\0') {
    RECT measure{0, 0, 0, 0};
    DrawTextW(dc, calibration, -1, &measure, DT_CALCRECT | DT_SINGLELINE);
    RECT right{title.right - measure.right, title.top, title.right, title.bottom};
    if (right.left < title.left) right.left = title.left;
    TextAt(dc, calibration, right, DT_RIGHT | DT_VCENTER | DT_END_ELLIPSIS);
    title.right = right.left - Px(12);
  }
  TextAt(dc, L"Вопросов к повторению по дням (сегодня первым)", title,
         DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);

  const int left = area.left + Px(kChartLeft);
  const int right = area.right - Px(kChartRight);
  const int top = area.top + Px(kChartTop);
  const int bottom = area.bottom - Px(kChartBottom);
  if (right - left < review::kHistogramDays || bottom - top < Px(10)) {
    SelectObject(dc, oldFont);
    return;  // too small to draw anything readable
  }
  const int plot = bottom - top;
  int most = 0;
  for (int d : days) most = d > most ? d : most;

  HPEN axis = CreatePen(PS_SOLID, 1, RGB(0x40, 0x40, 0x40));
  HGDIOBJ oldPen = SelectObject(dc, axis);
  MoveToEx(dc, left, bottom, nullptr);
  LineTo(dc, right, bottom);
  SelectObject(dc, oldPen);
  DeleteObject(axis);

  const int slot = (right - left) / review::kHistogramDays;
  const int barWidth = slot * 2 / 3 > 0 ? slot * 2 / 3 : 1;
  // Day numbers under every bar where they fit, else under every few (today always).
  const int step = (Px(20) + slot - 1) / slot;
  HBRUSH bar = CreateSolidBrush(kChartBarColour);
  for (int i = 0; i < review::kHistogramDays; ++i) {
    int count = days[i] < 0 ? 0 : days[i];
    const int height =
        most > 0 ? static_cast<int>((static_cast<long long>(count) * plot + most / 2) / most) : 0;
    const int x = left + i * slot + (slot - barWidth) / 2;
    RECT filled{x, bottom - height, x + barWidth, bottom};
    if (height > 0) FillRect(dc, &filled, bar);
    if (count > 0) {
      RECT above{left + i * slot - slot, bottom - height - Px(16), left + (i + 2) * slot,
                 bottom - height};
      TextAt(dc, std::to_wstring(count), above, DT_CENTER | DT_BOTTOM);
    }
    if (i % step == 0) {
      RECT below{left + i * slot - slot, bottom + Px(3), left + (i + 2) * slot, bottom + Px(19)};
      TextAt(dc, i == 0 ? std::wstring(L"сег.") : L"+" + std::to_wstring(i), below,
             DT_CENTER | DT_TOP);
    }
  }
  DeleteObject(bar);
  SelectObject(dc, oldFont);
}

namespace ws {

void OpenKnowledgeWindow(HINSTANCE instance, HWND owner, int dpi,
                         void (*read)(const KnowledgeView& view)) {
  if (gKnowledge.parts.window != nullptr && IsWindow(gKnowledge.parts.window)) {
    gKnowledge.read = read;
    // The log may have grown since it opened.
    Reload();
    listchart::BringBack(gKnowledge.parts.window);
    return;
  }
  if (!listchart::RegisterClasses(instance, kKnowledgeClass, KnowledgeProc, kKnowledgeChartClass,
                                  ChartProc))
    return;
  listchart::Parts parts =
      listchart::Create(instance, owner, dpi, kKnowledgeClass, L"Знания по темам",
                        kKnowledgeChartClass, 960, 640, 0, kKnowledgeListId, kKnowledgeChartId);
  if (parts.window == nullptr) return;
  gKnowledge.parts = parts;
  gKnowledge.read = read;
  for (int c = 0; c < kColumnCount; ++c)
    listchart::AddColumn(parts.list, dpi, c, kColumns[c].title, kColumns[c].width,
                         kColumns[c].right);
  listchart::LayOut(parts);
  Reload();
  ShowWindow(parts.window, SW_SHOWNORMAL);
  UpdateWindow(parts.window);
  SetFocus(parts.list);
}

}  // namespace ws
