// The results window on Win32: a list view of the records and a chart control drawn with GDI.
#include "platform/win32/results_window.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/cp1251_win32.h"
#include "platform/win32/list_chart.h"
#include "platform/window_system.h"

namespace {

// The one results window, what it shows and where its records come from.
struct ResultsState {
  listchart::Parts parts;
  std::vector<records::ResultRecord> (*read)() = nullptr;
  std::vector<records::ResultRecord> records;
  records::Chart bars;
  std::wstring caption;
};
ResultsState gResults;

// Every length here is written for 96 DPI and scaled to the display's by ResultsPx.
using listchart::GuiFont;
using listchart::kMargin;
using listchart::TextAt;

int ResultsPx(int length) {
  return dpi::Scale(length, gResults.parts.dpi);
}

// With the decimal comma, as results.csv writes it.
std::wstring Tenths(int tenths) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%d,%d", tenths / 10, tenths % 10);
  return text;
}

// The columns, in the order of results.csv.
struct ResultsColumn {
  const wchar_t* title;
  bool right;  // numbers are aligned right
};
constexpr ResultsColumn kResultsColumns[] = {
    {L"Дата", false},
    {L"Дисциплина", false},
    {L"Тема", false},
    {L"Вопросов в теме", true},
    {L"Задано в первом круге", true},
    {L"Из них верно", true},
    {L"Процент", true},
    {L"Кругов", true},
    {L"Длительность, с", true},
    {L"Продолжено", false},
    {L"Режим", false},
    {L"Частичный зачёт, %", true},
    {L"Оценка", false},
};
constexpr int kResultsColumnCount = static_cast<int>(std::size(kResultsColumns));

std::wstring Cell(const records::ResultRecord& r, int column) {
  switch (column) {
    case 0:
      return cp1251::ToWide(r.When);
    case 1:
      return cp1251::TextToWide(r.Discipline, r.DisciplineUtf8);
    case 2:
      return cp1251::TextToWide(r.Topic, r.TopicUtf8);
    case 3:
      return std::to_wstring(r.Questions);
    case 4:
      return std::to_wstring(r.Asked);
    case 5:
      return std::to_wstring(r.Right);
    case 6:
      return Tenths(r.PercentTenths);
    case 7:
      return std::to_wstring(r.Rounds);
    case 8:
      return std::to_wstring(r.Seconds);
    case 9:
      return r.Resumed ? L"да" : L"нет";
    case 10:
      return cp1251::ToWide(records::KindWord(r.Mode), CP_UTF8);  // the word the file stores
    case 11:
      return r.CreditTenths >= 0 ? Tenths(r.CreditTenths) : std::wstring();
    default:
      return cp1251::ToWide(r.Grade);
  }
}

// The width a text needs in the list's font. A text is measured by its first 200 characters at
// most: more could never fit the widest column, and measuring a megabyte would stall the window.
int TextWidth(std::wstring text) {
  if (text.size() > 200) text.resize(200);
  return static_cast<int>(SendMessageW(gResults.parts.list, LVM_GETSTRINGWIDTHW, 0,
                                       reinterpret_cast<LPARAM>(text.c_str())));
}

// Every column as wide as its title and its widest text (of the first rows: they are enough to
// show the shape), capped, then narrowed to the list's width: titles first, then texts.
void FitColumns() {
  if (gResults.parts.list == nullptr) return;
  int title[kResultsColumnCount], content[kResultsColumnCount];
  for (int c = 0; c < kResultsColumnCount; ++c) {
    title[c] = TextWidth(kResultsColumns[c].title) + ResultsPx(kColumnTitlePadding);
    content[c] = 0;
    std::size_t rows = gResults.records.size() < 500 ? gResults.records.size() : 500;
    for (std::size_t i = 0; i < rows; ++i) {
      int cell = TextWidth(Cell(gResults.records[i], c)) + ResultsPx(kColumnCellPadding);
      if (cell > content[c]) content[c] = cell;
    }
  }
  const HWND list = gResults.parts.list;
  RECT client{};
  GetClientRect(list, &client);
  // The inner width with a vertical scroll bar's place, whether one shows now or not; its
  // place is kept free only when the rows need it.
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  const int width = client.right + ((GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) ? bar : 0);
  RECT header{}, row{};
  GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
  row.left = LVIR_BOUNDS;
  int rows = static_cast<int>(gResults.records.size());
  if (rows > 0 && !SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)))
    row = RECT{};
  int widths[kResultsColumnCount];
  FitColumnWidths(title, content, widths, kResultsColumnCount,
                  ColumnRoom(width, client.bottom, header.bottom - header.top,
                             row.bottom - row.top, rows, bar),
                  gResults.parts.dpi);
  for (int c = 0; c < kResultsColumnCount; ++c)
    SendMessageW(gResults.parts.list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), widths[c]);
}

// The list holds no texts of its own (LVS_OWNERDATA): it asks for each cell it shows, so a long
// file opens as fast as a short one.
void FillList() {
  SendMessageW(gResults.parts.list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(gResults.parts.list, LVM_SETITEMCOUNT, static_cast<WPARAM>(gResults.records.size()),
               0);
  FitColumns();
  SendMessageW(gResults.parts.list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(gResults.parts.list, nullptr, TRUE);
}

// The chart follows the selected record's topic; with nothing selected it is empty.
void ChartSelected(int index) {
  gResults.bars = records::Chart{};
  gResults.caption.clear();
  if (index >= 0 && index < static_cast<int>(gResults.records.size())) {
    const records::ResultRecord& r = gResults.records[static_cast<std::size_t>(index)];
    gResults.bars = records::ChartOf(gResults.records, r.Discipline, r.Topic, index);
    gResults.caption = cp1251::TextToWide(r.Discipline, r.DisciplineUtf8) + L": " +
                       cp1251::TextToWide(r.Topic, r.TopicUtf8) +
                       L" \u2014 верно в первом круге, %";
  }
  if (gResults.parts.chart != nullptr) InvalidateRect(gResults.parts.chart, nullptr, FALSE);
}

void Select(int index) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(gResults.parts.list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&state));
}

void ReloadResults() {
  gResults.records =
      gResults.read != nullptr ? gResults.read() : std::vector<records::ResultRecord>{};
  FillList();
  ChartSelected(-1);
  if (!gResults.records.empty()) {
    // Row 0 may have been selected before, and then no change is notified.
    Select(0);
    ChartSelected(0);
  }
}

void Layout() {
  listchart::LayOut(gResults.parts);
  FitColumns();
}

// What the chart says when it has no bar: nothing recorded yet, or no record chosen.
const wchar_t* EmptyChartText() {
  return gResults.records.empty() ? kNoAttemptsText : kChooseAttemptText;
}

void PaintResultsChart(HDC dc, RECT area) {
  PaintResultsChart(dc, area, gResults.parts.dpi, gResults.bars, gResults.caption.c_str(),
                    EmptyChartText());
}

LRESULT CALLBACK ResultsChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return listchart::ChartMessage(window, message, wParam, lParam, PaintResultsChart);
}

LRESULT CALLBACK ResultsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != gResults.parts.window) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_SIZE) {
    Layout();
    return 0;
  }
  LRESULT result = 0;
  if (listchart::FrameMessage(gResults.parts, message, wParam, lParam, &result)) return result;
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != gResults.parts.list) break;
      if (header->code == LVN_GETDISPINFOW) {
        auto* shown = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        const int row = shown->item.iItem;
        if ((shown->item.mask & LVIF_TEXT) && shown->item.pszText != nullptr &&
            shown->item.cchTextMax > 0) {
          std::wstring text;
          if (row >= 0 && row < static_cast<int>(gResults.records.size()))
            text = Cell(gResults.records[static_cast<std::size_t>(row)], shown->item.iSubItem);
          lstrcpynW(shown->item.pszText, text.c_str(), shown->item.cchTextMax);
        }
        return 0;
      }
      if (header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
            !(change->uOldState & LVIS_SELECTED))
          ChartSelected(change->iItem);
      }
      return 0;
    }
    case WM_DESTROY:
      gResults = ResultsState{};
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND ResultsWindow() {
  return gResults.parts.window;
}

void PaintResultsChart(HDC dc, RECT area, int dpi, const records::Chart& chart,
                       const wchar_t* caption, const wchar_t* empty) {
  auto ResultsPx = [dpi](int length) { return dpi::Scale(length, dpi); };
  HBRUSH background = CreateSolidBrush(kChartBackground);
  FillRect(dc, &area, background);
  DeleteObject(background);

  HGDIOBJ oldFont = SelectObject(dc, GuiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));

  RECT title{area.left + ResultsPx(8), area.top + ResultsPx(2), area.right - ResultsPx(8), area.top + ResultsPx(22)};
  if (caption != nullptr && *caption != 0)
    TextAt(dc, caption, title, DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);

  const int left = area.left + ResultsPx(kChartLeft);
  const int right = area.right - ResultsPx(kChartRight);
  const int top = area.top + ResultsPx(kChartTop);
  const int bottom = area.bottom - ResultsPx(kChartBottom);
  if (right - left < records::kChartBars || bottom - top < ResultsPx(10)) {
    SelectObject(dc, oldFont);
    return;  // too small to draw anything readable
  }
  const int plot = bottom - top;

  // Grid and axis labels every 25 %, the 0 % line darker.
  HPEN grid = CreatePen(PS_SOLID, 1, RGB(0xD0, 0xD0, 0xD0));
  HPEN axis = CreatePen(PS_SOLID, 1, RGB(0x40, 0x40, 0x40));
  for (int percent = 0; percent <= 100; percent += 25) {
    int y = bottom - (percent * plot + 50) / 100;
    HGDIOBJ oldPen = SelectObject(dc, percent == 0 ? axis : grid);
    MoveToEx(dc, left, y, nullptr);
    LineTo(dc, right, y);
    SelectObject(dc, oldPen);
    RECT label{area.left, y - ResultsPx(8), left - ResultsPx(4), y + ResultsPx(8)};
    TextAt(dc, std::to_wstring(percent) + L"%", label, DT_RIGHT | DT_VCENTER);
  }
  HGDIOBJ oldPen = SelectObject(dc, axis);
  MoveToEx(dc, left, top, nullptr);
  LineTo(dc, left, bottom + 1);
  SelectObject(dc, oldPen);
  DeleteObject(grid);
  DeleteObject(axis);

  if (chart.Count <= 0) {
    // Wrapped, in the middle of the plot.
    if (empty != nullptr && *empty != 0) {
      const int length = static_cast<int>(std::wcslen(empty));
      RECT measure{left + 8, top, right - 8, bottom};
      DrawTextW(dc, empty, length, &measure, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
      const int lines = measure.bottom - measure.top;
      RECT middle{left + 8, top + (bottom - top - lines) / 2, right - 8, bottom};
      DrawTextW(dc, empty, length, &middle, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    return;
  }

  // Fixed slots, so a bar keeps its width as attempts are added.
  const int slot = (right - left) / records::kChartBars;
  const int barWidth = slot * 2 / 3 > 0 ? slot * 2 / 3 : 1;
  // Dates under every bar where they fit, else under every few (the newest always) and under
  // the selected one.
  const int step = (ResultsPx(kChartDateWidth) + slot - 1) / slot;
  HBRUSH bar = CreateSolidBrush(kChartBarColour);
  HBRUSH picked = CreateSolidBrush(kChartSelectedColour);
  HBRUSH examBar = CreateSolidBrush(kChartExamColour);
  // The legend, at the right of the title row, when there are exams to tell apart: a swatch and
  // the name of each kind of attempt.
  bool exams = false;
  for (int i = 0; i < chart.Count && i < records::kChartBars; ++i) exams = exams || chart.Exam[i];
  if (exams) {
    // The words the results file stores for the two kinds.
    const std::wstring names[] = {cp1251::ToWide(records::KindWord(records::Kind::kTopic), CP_UTF8),
                                  cp1251::ToWide(records::KindWord(records::Kind::kExam), CP_UTF8)};
    HBRUSH swatches[] = {bar, examBar};
    int x = area.right - ResultsPx(8);
    for (int k = 1; k >= 0; --k) {
      RECT measure{0, 0, 0, 0};
      DrawTextW(dc, names[k].c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
      RECT name{x - measure.right, area.top + ResultsPx(2), x, area.top + ResultsPx(22)};
      TextAt(dc, names[k].c_str(), name, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      RECT swatch{name.left - ResultsPx(16), area.top + ResultsPx(7), name.left - ResultsPx(4), area.top + ResultsPx(17)};
      FillRect(dc, &swatch, swatches[k]);
      x = swatch.left - ResultsPx(12);
    }
  }
  const int count = chart.Count < records::kChartBars ? chart.Count : records::kChartBars;
  for (int i = 0; i < count; ++i) {
    int tenths = chart.PercentTenths[i];
    if (tenths < 0) tenths = 0;
    if (tenths > 1000) tenths = 1000;
    const int height = (tenths * plot + 500) / 1000;
    const int x = left + i * slot + (slot - barWidth) / 2;
    RECT filled{x, bottom - height, x + barWidth, bottom};
    if (height > 0)
      FillRect(dc, &filled, i == chart.Selected ? picked : chart.Exam[i] ? examBar : bar);
    // The percent above the bar (whole numbers where the slot is narrow), its date below.
    std::wstring value = slot >= ResultsPx(36) ? Tenths(tenths) : std::to_wstring((tenths + 5) / 10);
    RECT above{left + i * slot, bottom - height - ResultsPx(16), left + (i + 1) * slot, bottom - height};
    TextAt(dc, value, above, DT_CENTER | DT_BOTTOM);
    if (i == chart.Selected || (count - 1 - i) % step == 0) {
      std::wstring day, time;
      ChartDate(chart.When[i], &day, &time);
      const int middle = left + i * slot + slot / 2;
      const int half = step * slot / 2 > slot / 2 ? step * slot / 2 : slot / 2;
      RECT below{middle - half, bottom + ResultsPx(3), middle + half, bottom + ResultsPx(19)};
      TextAt(dc, day, below, DT_CENTER | DT_TOP);
      RECT second{middle - half, bottom + ResultsPx(18), middle + half, bottom + ResultsPx(34)};
      TextAt(dc, time, second, DT_CENTER | DT_TOP);
    }
  }
  DeleteObject(bar);
  DeleteObject(picked);
  DeleteObject(examBar);
  SelectObject(dc, oldFont);
}

void ChartDate(const char* when, std::wstring* day, std::wstring* time) {
  // "YYYY-MM-DD HH:MM" as "DD.MM" and "HH:MM"; anything else as it is, on the first line.
  auto digits = [&](int from, int n) {
    for (int k = from; k < from + n; ++k)
      if (when[k] < '0' || when[k] > '9') return false;
    return true;
  };
  day->clear();
  time->clear();
  if (when == nullptr) return;
  const std::size_t length = std::strlen(when);
  if (length == 16 && digits(0, 4) && when[4] == '-' && digits(5, 2) && when[7] == '-' &&
      digits(8, 2) && when[10] == ' ' && digits(11, 2) && when[13] == ':' && digits(14, 2)) {
    *day = {static_cast<wchar_t>(when[8]), static_cast<wchar_t>(when[9]), L'.',
            static_cast<wchar_t>(when[5]), static_cast<wchar_t>(when[6])};
    *time = {static_cast<wchar_t>(when[11]), static_cast<wchar_t>(when[12]), L':',
             static_cast<wchar_t>(when[14]), static_cast<wchar_t>(when[15])};
    return;
  }
  *day = cp1251::ToWide(when);
}

namespace ws {

void OpenResultsWindow(HINSTANCE instance, HWND owner, int dpi,
                       std::vector<records::ResultRecord> (*read)()) {
  if (gResults.parts.window != nullptr && IsWindow(gResults.parts.window)) {
    gResults.read = read;
    // The records may have grown since it opened.
    ReloadResults();
    listchart::BringBack(gResults.parts.window);
    return;
  }
  if (!listchart::RegisterClasses(instance, kResultsClass, ResultsProc, kResultsChartClass,
                                  ResultsChartProc))
    return;
  // As large as the records need (below) but never beyond the screen's work area. The list
  // holds no texts of its own (LVS_OWNERDATA): it asks for each cell it shows.
  listchart::Parts parts =
      listchart::Create(instance, owner, dpi, kResultsClass, L"Результаты", kResultsChartClass,
                        1120, 680, LVS_OWNERDATA, kResultsListId, kResultsChartId);
  if (parts.window == nullptr) return;
  gResults.parts = parts;
  gResults.read = read;
  const HWND window = parts.window;
  for (int c = 0; c < kResultsColumnCount; ++c)  // fitted later
    listchart::AddColumn(parts.list, dpi, c, kResultsColumns[c].title, 60, kResultsColumns[c].right);
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT placed{};
  GetWindowRect(window, &placed);
  int width = placed.right - placed.left, height = placed.bottom - placed.top;
  int x = placed.left, y = placed.top;
  Layout();
  ReloadResults();
  // Wide enough for every column's title whole beside the texts' share, where the screen
  // allows: at the default width, titles are cut only on a small screen.
  // (A few pixels spare: the fitting shares the room out in whole pixels.)
  int wanted =
      GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE) + 2 * ResultsPx(kMargin) + ResultsPx(16);
  const std::size_t rows = gResults.records.size() < 500 ? gResults.records.size() : 500;
  for (int c = 0; c < kResultsColumnCount; ++c) {
    int need = TextWidth(kResultsColumns[c].title) + ResultsPx(kColumnTitlePadding);
    for (std::size_t i = 0; i < rows; ++i) {
      int cell = TextWidth(Cell(gResults.records[i], c)) + ResultsPx(kColumnCellPadding);
      if (cell > ResultsPx(kKeptTextWidth)) cell = ResultsPx(kKeptTextWidth);
      if (cell > need) need = cell;
    }
    wanted += need;
  }
  RECT frame{};
  GetWindowRect(window, &frame);
  RECT inner{};
  GetClientRect(window, &inner);
  wanted += (frame.right - frame.left) - inner.right;
  if (wanted > width) {
    width = wanted < work.right - work.left ? wanted : work.right - work.left;
    x = work.left + (work.right - work.left - width) / 2;
    MoveWindow(window, x, y, width, height, FALSE);
    Layout();
  }
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetFocus(gResults.parts.list);
}

}  // namespace ws
