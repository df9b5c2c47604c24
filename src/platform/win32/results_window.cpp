// The results window on Win32: a list view of the records and a chart control drawn with GDI.
#include "platform/win32/results_window.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/cp1251_win32.h"
#include "platform/window_system.h"
#include "study/study.h"

namespace {

// The one results window and what it shows.
struct ResultsState {
  HWND window = nullptr;
  HWND list = nullptr;
  HWND chart = nullptr;
  std::vector<study::ResultRecord> records;
  study::Chart bars;
  std::wstring caption;
};
ResultsState gResults;

constexpr int kMargin = 8;

// With the decimal comma, as results.csv writes it.
std::wstring Tenths(int tenths) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%d,%d", tenths / 10, tenths % 10);
  return text;
}

// The columns, in the order of results.csv.
struct Column {
  const wchar_t* title;
  int width;
  bool right;  // numbers are aligned right
};
constexpr Column kColumns[] = {
    {L"Дата", 110, false},
    {L"Дисциплина", 140, false},
    {L"Тема", 180, false},
    {L"Вопросов в теме", 100, true},
    {L"Задано в первом круге", 140, true},
    {L"Из них верно", 90, true},
    {L"Процент", 65, true},
    {L"Кругов", 55, true},
    {L"Длительность, с", 105, true},
    {L"Продолжено", 80, false},
    {L"Режим", 80, false},
    {L"Частичный зачёт, %", 120, true},
    {L"Оценка", 130, false},
};

std::wstring Cell(const study::ResultRecord& r, int column) {
  switch (column) {
    case 0:
      return cp1251::ToWide(r.When);
    case 1:
      return cp1251::ToWide(r.Discipline);
    case 2:
      return cp1251::ToWide(r.Topic);
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
      return r.Mode == study::ResultMode::kExam       ? L"экзамен"
             : r.Mode == study::ResultMode::kMistakes ? L"ошибки"
                                                      : L"тренировка";
    case 11:
      return r.CreditTenths >= 0 ? Tenths(r.CreditTenths) : std::wstring();
    default:
      return cp1251::ToWide(r.Grade);
  }
}

// The list holds no texts of its own (LVS_OWNERDATA): it asks for each cell it shows, so a long
// file opens as fast as a short one.
void FillList() {
  SendMessageW(gResults.list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(gResults.list, LVM_SETITEMCOUNT, static_cast<WPARAM>(gResults.records.size()), 0);
  // Each column as wide as its title or its widest text (of the first rows: they are enough to
  // show the shape).
  for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
    auto measure = [](const std::wstring& text) {
      return static_cast<int>(SendMessageW(gResults.list, LVM_GETSTRINGWIDTHW, 0,
                                           reinterpret_cast<LPARAM>(text.c_str())));
    };
    int width = measure(kColumns[c].title) + 44;
    std::size_t rows = gResults.records.size() < 500 ? gResults.records.size() : 500;
    for (std::size_t i = 0; i < rows; ++i) {
      int cell = measure(Cell(gResults.records[i], c)) + 16;
      if (cell > width) width = cell;
    }
    SendMessageW(gResults.list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), width);
  }
  SendMessageW(gResults.list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(gResults.list, nullptr, TRUE);
}

// The chart follows the selected record's topic; with nothing selected it is empty.
void ChartSelected(int index) {
  gResults.bars = study::Chart{};
  gResults.caption.clear();
  if (index >= 0 && index < static_cast<int>(gResults.records.size())) {
    const study::ResultRecord& r = gResults.records[static_cast<std::size_t>(index)];
    gResults.bars = study::ChartOf(gResults.records, r.Discipline, r.Topic);
    gResults.caption = cp1251::ToWide(r.Discipline) + L": " + cp1251::ToWide(r.Topic) +
                       L" \u2014 верно в первом круге, %";
  }
  if (gResults.chart != nullptr) InvalidateRect(gResults.chart, nullptr, FALSE);
}

void Select(int index) {
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(gResults.list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&state));
}

void Reload() {
  gResults.records = study::ReadResults();
  FillList();
  ChartSelected(-1);
  if (!gResults.records.empty()) {
    // Row 0 may have been selected before, and then no change is notified.
    Select(0);
    ChartSelected(0);
  }
}

void Layout(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  int width = client.right - 2 * kMargin;
  int height = client.bottom - 3 * kMargin;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  int listHeight = height * 5 / 10;
  MoveWindow(gResults.list, kMargin, kMargin, width, listHeight, TRUE);
  MoveWindow(gResults.chart, kMargin, 2 * kMargin + listHeight, width, height - listHeight, TRUE);
}

HFONT GuiFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client{};
      GetClientRect(window, &client);
      // Through a memory bitmap, so that resizing does not flicker.
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        PaintResultsChart(memory, client, gResults.bars, gResults.caption.c_str());
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
      } else {
        PaintResultsChart(dc, client, gResults.bars, gResults.caption.c_str());
      }
      if (bitmap != nullptr) DeleteObject(bitmap);
      if (memory != nullptr) DeleteDC(memory);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(window, &client);
      PaintResultsChart(reinterpret_cast<HDC>(wParam), client, gResults.bars,
                        gResults.caption.c_str());
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK ResultsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout(window);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = 480;
      info->ptMinTrackSize.y = 360;
      return 0;
    }
    case WM_SETFOCUS:
      if (gResults.list != nullptr) SetFocus(gResults.list);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != gResults.list) break;
      if (header->code == LVN_KEYDOWN &&
          reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_ESCAPE) {
        // Posted: the list is still inside its own key handling.
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      }
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

bool RegisterClasses(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return true;
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  WNDCLASSW results{};
  results.lpfnWndProc = ResultsProc;
  results.hInstance = instance;
  results.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  results.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  results.lpszClassName = kResultsClass;
  WNDCLASSW chart{};
  chart.lpfnWndProc = ChartProc;
  chart.hInstance = instance;
  chart.hCursor = results.hCursor;
  chart.lpszClassName = kResultsChartClass;
  registered = RegisterClassW(&results) != 0 && RegisterClassW(&chart) != 0;
  return registered;
}

void TextAt(HDC dc, const std::wstring& text, RECT r, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            format | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

HWND ResultsWindow() {
  return gResults.window;
}

void PaintResultsChart(HDC dc, RECT area, const study::Chart& chart, const wchar_t* caption) {
  HBRUSH background = CreateSolidBrush(kChartBackground);
  FillRect(dc, &area, background);
  DeleteObject(background);

  HGDIOBJ oldFont = SelectObject(dc, GuiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));

  RECT title{area.left + 8, area.top + 2, area.right - 8, area.top + 22};
  if (caption != nullptr && *caption != 0)
    TextAt(dc, caption, title, DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS);

  const int left = area.left + kChartLeft;
  const int right = area.right - kChartRight;
  const int top = area.top + kChartTop;
  const int bottom = area.bottom - kChartBottom;
  if (right - left < study::kChartBars || bottom - top < 10) {
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
    RECT label{area.left, y - 8, left - 4, y + 8};
    TextAt(dc, std::to_wstring(percent) + L"%", label, DT_RIGHT | DT_VCENTER);
  }
  HGDIOBJ oldPen = SelectObject(dc, axis);
  MoveToEx(dc, left, top, nullptr);
  LineTo(dc, left, bottom + 1);
  SelectObject(dc, oldPen);
  DeleteObject(grid);
  DeleteObject(axis);

  if (chart.Count <= 0) {
    RECT middle{left, top, right, bottom};
    TextAt(dc, L"Нет попыток: выберите запись в списке", middle, DT_CENTER | DT_VCENTER);
    SelectObject(dc, oldFont);
    return;
  }

  // Fixed slots, so a bar keeps its width as attempts are added.
  const int slot = (right - left) / study::kChartBars;
  const int barWidth = slot * 2 / 3 > 0 ? slot * 2 / 3 : 1;
  HBRUSH bar = CreateSolidBrush(kChartBarColour);
  HBRUSH examBar = CreateSolidBrush(kChartExamColour);
  // The legend, at the right of the title row, when there are exams to tell apart: a swatch and
  // the name of each kind of attempt.
  bool exams = false;
  for (int i = 0; i < chart.Count && i < study::kChartBars; ++i) exams = exams || chart.Exam[i];
  if (exams) {
    const wchar_t* names[] = {L"тренировка", L"экзамен"};
    HBRUSH swatches[] = {bar, examBar};
    int x = area.right - 8;
    for (int k = 1; k >= 0; --k) {
      RECT measure{0, 0, 0, 0};
      DrawTextW(dc, names[k], -1, &measure, DT_CALCRECT | DT_SINGLELINE);
      RECT name{x - measure.right, area.top + 2, x, area.top + 22};
      TextAt(dc, names[k], name, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      RECT swatch{name.left - 16, area.top + 7, name.left - 4, area.top + 17};
      FillRect(dc, &swatch, swatches[k]);
      x = swatch.left - 12;
    }
  }
  const int count = chart.Count < study::kChartBars ? chart.Count : study::kChartBars;
  for (int i = 0; i < count; ++i) {
    int tenths = chart.PercentTenths[i];
    if (tenths < 0) tenths = 0;
    if (tenths > 1000) tenths = 1000;
    const int height = (tenths * plot + 500) / 1000;
    const int x = left + i * slot + (slot - barWidth) / 2;
    RECT filled{x, bottom - height, x + barWidth, bottom};
    if (height > 0) FillRect(dc, &filled, chart.Exam[i] ? examBar : bar);
    // The percent above the bar (whole numbers where the slot is narrow), the attempt's
    // number below.
    std::wstring value = slot >= 36 ? Tenths(tenths) : std::to_wstring((tenths + 5) / 10);
    RECT above{left + i * slot, bottom - height - 16, left + (i + 1) * slot, bottom - height};
    TextAt(dc, value, above, DT_CENTER | DT_BOTTOM);
    RECT below{left + i * slot, bottom + 4, left + (i + 1) * slot, bottom + 20};
    TextAt(dc, std::to_wstring(i + 1), below, DT_CENTER | DT_TOP);
  }
  DeleteObject(bar);
  DeleteObject(examBar);
  SelectObject(dc, oldFont);
}

namespace ws {

void OpenResultsWindow(HINSTANCE instance, HWND owner) {
  if (gResults.window != nullptr && IsWindow(gResults.window)) {
    // The records may have grown since it opened.
    Reload();
    ShowWindow(gResults.window, SW_SHOWNORMAL);
    SetForegroundWindow(gResults.window);
    BringWindowToTop(gResults.window);
    return;
  }
  if (!RegisterClasses(instance)) return;

  // Centred on the owner, as large as the records need but never beyond the screen's work area.
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = 1120 < work.right - work.left ? 1120 : work.right - work.left;
  int height = 680 < work.bottom - work.top ? 680 : work.bottom - work.top;
  int x = work.left + (work.right - work.left - width) / 2;
  int y = work.top + (work.bottom - work.top - height) / 2;

  HWND window = CreateWindowExW(0, kResultsClass, L"Результаты", WS_OVERLAPPEDWINDOW, x, y, width,
                                height, owner, nullptr, instance, nullptr);
  if (window == nullptr) return;
  gResults.window = window;
  gResults.list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                      LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                  0, 0, 0, 0, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kResultsListId)),
                                  instance, nullptr);
  gResults.chart = CreateWindowExW(
      WS_EX_CLIENTEDGE, kResultsChartClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kResultsChartId)), instance, nullptr);
  if (gResults.list == nullptr || gResults.chart == nullptr) {
    DestroyWindow(window);
    return;
  }
  SendMessageW(gResults.list, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  SendMessageW(gResults.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[c].right && c > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = kColumns[c].width;
    column.pszText = const_cast<wchar_t*>(kColumns[c].title);
    column.iSubItem = c;
    SendMessageW(gResults.list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c),
                 reinterpret_cast<LPARAM>(&column));
  }
  Layout(window);
  Reload();
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetFocus(gResults.list);
}

}  // namespace ws
