// The knowledge window on Win32: a list view of the topics and a chart control drawn with GDI,
// shaped as the results window.
#include "platform/win32/knowledge_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "platform/win32/cp1251_win32.h"
#include "platform/win32/results_window.h"
#include "platform/window_system.h"
#include "shell/globals.h"
#include "study/study.h"

namespace {

struct KnowledgeState {
  HWND window = nullptr;
  HWND list = nullptr;
  HWND chart = nullptr;
  int days[review::kHistogramDays] = {};
};
KnowledgeState gKnowledge;

constexpr int kMargin = 8;

int Px(int length) {
  return OnScreen2.Px(length);
}

struct Column {
  const wchar_t* title;
  int width;  // at 96 DPI
  bool right;
};
constexpr Column kColumns[] = {
    {L"Дисциплина", 180, false}, {L"Тема", 240, false},      {L"Вопросов", 80, true},
    {L"Отвечено", 80, true},     {L"Знаю сейчас", 95, true}, {L"Повторить сегодня", 130, true},
    {L"За 7 дней", 80, true},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

void SetCell(int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(gKnowledge.list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
               reinterpret_cast<LPARAM>(&item));
}

void Reload() {
  study::ReviewOverview view = study::ReviewCounts();
  SendMessageW(gKnowledge.list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(gKnowledge.list, LVM_DELETEALLITEMS, 0, 0);
  int row = 0;
  for (const review::TopicRow& r : view.counts.Rows) {
    if (r.Topic < 0 || static_cast<std::size_t>(r.Topic) >= view.bank.Topics.size()) continue;
    const review::BankTopic& t = view.bank.Topics[static_cast<std::size_t>(r.Topic)];
    SetCell(row, 0, cp1251::ToWide(t.DisciplineTitle.c_str()));
    SetCell(row, 1, cp1251::ToWide(t.Title.c_str()));
    SetCell(row, 2, std::to_wstring(r.Questions));
    SetCell(row, 3, std::to_wstring(r.Answered));
    SetCell(row, 4, std::to_wstring(r.Known));
    SetCell(row, 5, std::to_wstring(r.DueToday));
    SetCell(row, 6, std::to_wstring(r.DueWeek));
    ++row;
  }
  SendMessageW(gKnowledge.list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(gKnowledge.list, nullptr, TRUE);
  for (int d = 0; d < review::kHistogramDays; ++d) gKnowledge.days[d] = view.counts.Histogram[d];
  if (gKnowledge.chart != nullptr) InvalidateRect(gKnowledge.chart, nullptr, FALSE);
}

void Layout(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const int margin = Px(kMargin);
  int width = client.right - 2 * margin;
  int height = client.bottom - 3 * margin;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  int listHeight = height * 5 / 10;
  MoveWindow(gKnowledge.list, margin, margin, width, listHeight, TRUE);
  MoveWindow(gKnowledge.chart, margin, 2 * margin + listHeight, width, height - listHeight, TRUE);
  InvalidateRect(gKnowledge.chart, nullptr, FALSE);
}

HFONT GuiFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TextAt(HDC dc, const std::wstring& text, RECT r, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            format | DT_SINGLELINE | DT_NOPREFIX);
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
        PaintKnowledgeChart(memory, client, gKnowledge.days);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
      } else {
        PaintKnowledgeChart(dc, client, gKnowledge.days);
      }
      if (bitmap != nullptr) DeleteObject(bitmap);
      if (memory != nullptr) DeleteDC(memory);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(window, &client);
      PaintKnowledgeChart(reinterpret_cast<HDC>(wParam), client, gKnowledge.days);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK KnowledgeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout(window);
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = Px(480);
      info->ptMinTrackSize.y = Px(360);
      return 0;
    }
    case WM_SETFOCUS:
      if (gKnowledge.list != nullptr) SetFocus(gKnowledge.list);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && gKnowledge.list != nullptr) SetFocus(gKnowledge.list);
      return 0;
    case WM_COMMAND:
      // Esc, through the dialog keys of the message loop.
      if (LOWORD(wParam) == IDCANCEL) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == gKnowledge.list && header->code == LVN_KEYDOWN &&
          reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_ESCAPE) {
        // Posted: the list is still inside its own key handling.
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
      }
      break;
    }
    case WM_DESTROY:
      gKnowledge = KnowledgeState{};
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
  WNDCLASSW main{};
  main.lpfnWndProc = KnowledgeProc;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = kKnowledgeClass;
  WNDCLASSW chart{};
  chart.style = CS_HREDRAW | CS_VREDRAW;
  chart.lpfnWndProc = ChartProc;
  chart.hInstance = instance;
  chart.hCursor = main.hCursor;
  chart.lpszClassName = kKnowledgeChartClass;
  registered = RegisterClassW(&main) != 0 && RegisterClassW(&chart) != 0;
  return registered;
}

}  // namespace

HWND KnowledgeWindow() {
  return gKnowledge.window;
}

void PaintKnowledgeChart(HDC dc, RECT area, const int (&days)[review::kHistogramDays]) {
  HBRUSH background = CreateSolidBrush(kChartBackground);
  FillRect(dc, &area, background);
  DeleteObject(background);
  HGDIOBJ oldFont = SelectObject(dc, GuiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  RECT title{area.left + Px(8), area.top + Px(2), area.right - Px(8), area.top + Px(22)};
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

void OpenKnowledgeWindow(HINSTANCE instance, HWND owner) {
  if (gKnowledge.window != nullptr && IsWindow(gKnowledge.window)) {
    // The log may have grown since it opened.
    Reload();
    ShowWindow(gKnowledge.window, SW_SHOWNORMAL);
    SetForegroundWindow(gKnowledge.window);
    BringWindowToTop(gKnowledge.window);
    return;
  }
  if (!RegisterClasses(instance)) return;
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int width = Px(960) < work.right - work.left ? Px(960) : work.right - work.left;
  int height = Px(640) < work.bottom - work.top ? Px(640) : work.bottom - work.top;
  int x = work.left + (work.right - work.left - width) / 2;
  int y = work.top + (work.bottom - work.top - height) / 2;
  HWND window =
      CreateWindowExW(0, kKnowledgeClass, L"Знания по темам", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      x, y, width, height, owner, nullptr, instance, nullptr);
  if (window == nullptr) return;
  gKnowledge.window = window;
  gKnowledge.list = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0, 0, 0,
      0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKnowledgeListId)), instance,
      nullptr);
  gKnowledge.chart = CreateWindowExW(
      WS_EX_CLIENTEDGE, kKnowledgeChartClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kKnowledgeChartId)), instance, nullptr);
  if (gKnowledge.list == nullptr || gKnowledge.chart == nullptr) {
    DestroyWindow(window);
    return;
  }
  SendMessageW(gKnowledge.list, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  SendMessageW(gKnowledge.list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int c = 0; c < kColumnCount; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = kColumns[c].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = Px(kColumns[c].width);
    column.pszText = const_cast<wchar_t*>(kColumns[c].title);
    column.iSubItem = c;
    SendMessageW(gKnowledge.list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c),
                 reinterpret_cast<LPARAM>(&column));
  }
  Layout(window);
  Reload();
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  SetFocus(gKnowledge.list);
}

}  // namespace ws
