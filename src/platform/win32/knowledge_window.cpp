// The knowledge window on Win32: a list view of the topics and a chart control drawn with GDI,
// shaped as the results window.
#include "platform/win32/knowledge_window.h"

#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/program_texts.h"
#include "platform/win32/cp1251_win32.h"
#include "platform/win32/list_chart.h"
#include "platform/win32/results_window.h"
#include "platform/window_system.h"
#include "review/fit_job.h"
#include "review/forecast.h"

namespace {

struct KnowledgeState {
  listchart::Parts parts;
  ws::KnowledgeCalls calls;
  int days[review::kHistogramDays] = {};
  std::wstring calibration;  // forecasts against the exams' results
  // The fit's row.
  HWND fitButton = nullptr;
  HWND progress = nullptr;
  HWND cancel = nullptr;
  HWND status = nullptr;
  int fitReviews = 0;
  std::wstring outcome;  // what the last fit came to, shown until the window closes
};
KnowledgeState gKnowledge;

// The fit's worker tells the window through a posted message, one at a time: a message not yet
// handled is not posted again, so a fast fit cannot flood the queue.
constexpr UINT kFitMessage = WM_APP + 1;
struct FitNews {
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> posted{false};
  std::int64_t lastStep = 0;  // when a step's news was last passed on (the worker's own)
};
FitNews gNews;
// The fit of the open window. Closing the window cancels and waits for it.
review::FitJob gFit;

// The fit's row, at 96 DPI.
constexpr int kFooter = 26;
constexpr int kProgressWidth = 160;

// A step's news at most every 50 ms, so the window keeps time to paint; the end's always (a
// message still on its way sees the end as well, when it is taken).
void Notify(void* context) {
  auto* news = static_cast<FitNews*>(context);
  if (!gFit.ended.load()) {
    const std::int64_t now = static_cast<std::int64_t>(GetTickCount64());
    if (now - news->lastStep < 50) return;
    news->lastStep = now;
  }
  if (news->posted.exchange(true)) return;
  HWND window = news->window.load();
  if (window == nullptr || !PostMessageW(window, kFitMessage, 0, 0)) news->posted.store(false);
}

using listchart::GuiFont;
using listchart::TextAt;

struct Column {
  const wchar_t* title;
  int width;  // at 96 DPI
  bool right;
};
constexpr Column kColumns[] = {
    {L"Дисциплина", 150, false}, {L"Тема", 210, false},      {L"Вопросов", 80, true},
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

int Px(int length) {
  return dpi::Scale(length, gKnowledge.parts.dpi);
}

int TextWidth(HWND control) {
  wchar_t text[256];
  int length = GetWindowTextW(control, text, 256);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, GuiFont());
  SIZE size{};
  GetTextExtentPoint32W(dc, text, length, &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size.cx;
}

// The fit's row along the bottom: its button, while it runs its progress and cancel button,
// and its line in what is left.
void LayOutFit() {
  const listchart::Parts& parts = gKnowledge.parts;
  if (gKnowledge.fitButton == nullptr) return;
  RECT client{};
  GetClientRect(parts.window, &client);
  const int margin = Px(listchart::kMargin), height = Px(kFooter);
  const int top = client.bottom - margin - height;
  int x = margin;
  const int button = TextWidth(gKnowledge.fitButton) + Px(28);
  MoveWindow(gKnowledge.fitButton, x, top, button, height, TRUE);
  x += button + margin;
  if (review::FitRunning(gFit)) {
    MoveWindow(gKnowledge.progress, x, top + Px(4), Px(kProgressWidth), height - Px(8), TRUE);
    x += Px(kProgressWidth) + margin;
    int cancel = TextWidth(gKnowledge.cancel) + Px(24);
    if (cancel < Px(80)) cancel = Px(80);
    MoveWindow(gKnowledge.cancel, x, top, cancel, height, TRUE);
    x += cancel + margin;
  }
  int rest = client.right - margin - x;
  MoveWindow(gKnowledge.status, x, top, rest > 0 ? rest : 0, height, TRUE);
}

// The row's controls as the fit's state is: the button enabled from the least number of
// predicted gradings while no fit runs, the progress and the cancel button only while one does.
void ShowFitState() {
  const bool running = review::FitRunning(gFit);
  EnableWindow(gKnowledge.fitButton, !running && gKnowledge.calls.startFit != nullptr &&
                                         gKnowledge.fitReviews >= review::kMinFitReviews);
  ShowWindow(gKnowledge.progress, running ? SW_SHOWNA : SW_HIDE);
  ShowWindow(gKnowledge.cancel, running ? SW_SHOWNA : SW_HIDE);
  std::wstring line = gKnowledge.outcome;
  char text[256];
  if (running) {
    std::snprintf(text, sizeof text, ptext::kFitRunning.c_str(), gFit.step.load());
    line = cp1251::ToWide(text);
  } else if (line.empty()) {
    if (gKnowledge.fitReviews >= review::kMinFitReviews)
      std::snprintf(text, sizeof text, ptext::kFitReady.c_str(), gKnowledge.fitReviews);
    else
      std::snprintf(text, sizeof text, ptext::kFitTooFew.c_str(), gKnowledge.fitReviews,
                    review::kMinFitReviews);
    line = cp1251::ToWide(text);
  }
  SetWindowTextW(gKnowledge.status, line.c_str());
  LayOutFit();
}

void Reload() {
  review::Bank bank;
  review::Counts counts;
  review::BankForecast forecast;
  std::string calibration;
  if (gKnowledge.calls.read != nullptr)
    gKnowledge.calls.read({&bank, &counts, &forecast, &calibration, &gKnowledge.fitReviews});
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
  ShowFitState();
}

void StartFit() {
  if (gKnowledge.calls.startFit == nullptr || review::FitRunning(gFit) ||
      !IsWindowEnabled(gKnowledge.fitButton))
    return;
  gNews.window.store(gKnowledge.parts.window);
  gNews.posted.store(false);
  gNews.lastStep = 0;
  if (!gKnowledge.calls.startFit(gFit, Notify, &gNews)) return;
  gKnowledge.outcome.clear();
  SendMessageW(gKnowledge.progress, PBM_SETPOS, 0, 0);
  ShowFitState();
  // The button just greyed had the focus: the keys go on with the cancel button.
  SetFocus(gKnowledge.cancel);
}

// News from the fit's worker: its step, or its end.
void FitNewsArrived() {
  gNews.posted.store(false);
  if (!review::FitRunning(gFit)) return;
  if (!review::FitEnded(gFit)) {
    // Only the bar and the line change: nothing is laid out again, so the controls are not
    // redrawn at every step.
    const int step = gFit.step.load();
    SendMessageW(gKnowledge.progress, PBM_SETPOS, static_cast<WPARAM>(step), 0);
    char text[256];
    std::snprintf(text, sizeof text, ptext::kFitRunning.c_str(), step);
    SetWindowTextW(gKnowledge.status, cp1251::ToWide(text).c_str());
    return;
  }
  review::FitOutcome outcome = review::CollectFit(gFit);
  std::string line = gKnowledge.calls.fitEnded != nullptr ? gKnowledge.calls.fitEnded(outcome)
                                                          : std::string();
  gKnowledge.outcome = cp1251::ToWide(line.c_str());
  HWND focus = GetFocus();
  // Worked out again with the parameters now in use.
  Reload();
  if (focus == gKnowledge.cancel || focus == gKnowledge.fitButton)
    SetFocus(IsWindowEnabled(gKnowledge.fitButton) ? gKnowledge.fitButton : gKnowledge.parts.list);
}

// The fit's buttons, clicked or pressed by Enter (the message loop's dialog keys send IDOK for
// the window, whichever of its buttons has the focus).
bool FitCommand(WPARAM wParam) {
  const int id = LOWORD(wParam);
  HWND target = id == kFitButtonId ? gKnowledge.fitButton
                : id == kFitCancelId ? gKnowledge.cancel
                : id == IDOK         ? GetFocus()
                                     : nullptr;
  if (target == nullptr) return false;
  if (target == gKnowledge.fitButton) StartFit();
  if (target == gKnowledge.cancel && review::FitRunning(gFit)) gFit.cancel.store(true);
  return true;
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
  if (window == gKnowledge.parts.window) {
    if (message == kFitMessage) {
      FitNewsArrived();
      return 0;
    }
    if (message == WM_COMMAND && FitCommand(wParam)) return 0;
    if (listchart::FrameMessage(gKnowledge.parts, message, wParam, lParam, &result)) {
      if (message == WM_SIZE) LayOutFit();
      return result;
    }
  }
  if (message == WM_DESTROY && window == gKnowledge.parts.window) {
    // No news to this window any more, and no fit outlives it: cancelled, waited for, dropped.
    gNews.window.store(nullptr);
    review::StopFit(gFit);
    gNews.posted.store(false);
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

void OpenKnowledgeWindow(HINSTANCE instance, HWND owner, int dpi, const KnowledgeCalls& calls) {
  if (gKnowledge.parts.window != nullptr && IsWindow(gKnowledge.parts.window)) {
    gKnowledge.calls = calls;
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
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  parts.footer = kFooter;
  gKnowledge.parts = parts;
  gKnowledge.calls = calls;
  for (int c = 0; c < kColumnCount; ++c)
    listchart::AddColumn(parts.list, dpi, c, kColumns[c].title, kColumns[c].width,
                         kColumns[c].right);
  auto Control = [&](const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
    HWND control = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | style, 0, 0, 0, 0,
                                   parts.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
    return control;
  };
  gKnowledge.fitButton = Control(L"BUTTON", cp1251::ToWide(ptext::kFitButton.c_str()),
                                 WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kFitButtonId);
  gKnowledge.progress = Control(PROGRESS_CLASSW, L"", 0, kFitProgressId);
  gKnowledge.cancel = Control(L"BUTTON", cp1251::ToWide(ptext::kFitCancel.c_str()),
                              WS_TABSTOP | BS_PUSHBUTTON, kFitCancelId);
  gKnowledge.status =
      Control(L"STATIC", L"", WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE | SS_NOPREFIX |
                                  SS_ENDELLIPSIS,
              kFitStatusId);
  SendMessageW(gKnowledge.progress, PBM_SETRANGE32, 0, review::kMaxFitSteps);
  listchart::LayOut(parts);
  Reload();
  ShowWindow(parts.window, SW_SHOWNORMAL);
  UpdateWindow(parts.window);
  SetFocus(parts.list);
}

}  // namespace ws
