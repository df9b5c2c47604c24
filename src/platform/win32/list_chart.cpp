#include "platform/win32/list_chart.h"

#include <commctrl.h>

namespace listchart {

LRESULT ChartMessage(HWND chart, UINT message, WPARAM wParam, LPARAM lParam,
                     void (*paint)(HDC dc, RECT area)) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT painting;
      HDC dc = BeginPaint(chart, &painting);
      RECT client{};
      GetClientRect(chart, &client);
      HDC memory = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
      if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        paint(memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
      } else {
        paint(dc, client);
      }
      if (bitmap != nullptr) DeleteObject(bitmap);
      if (memory != nullptr) DeleteDC(memory);
      EndPaint(chart, &painting);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(chart, &client);
      paint(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    default:
      return DefWindowProcW(chart, message, wParam, lParam);
  }
}

bool FrameMessage(const Parts& parts, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_SIZE:
      LayOut(parts);
      return true;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = dpi::Scale(480, parts.dpi);
      info->ptMinTrackSize.y = dpi::Scale(360, parts.dpi);
      return true;
    }
    case WM_SETFOCUS:
      if (parts.list != nullptr) SetFocus(parts.list);
      return true;
    case WM_ACTIVATE:
      // Back to the list whenever the window comes back, so that its keys work at once.
      if (LOWORD(wParam) != WA_INACTIVE && parts.list != nullptr) SetFocus(parts.list);
      return true;
    case WM_COMMAND:
      // Esc, through the dialog keys of the message loop.
      if (LOWORD(wParam) != IDCANCEL) return false;
      DestroyWindow(parts.window);
      return true;
    case WM_KEYDOWN:
      if (wParam != VK_ESCAPE) return false;
      DestroyWindow(parts.window);
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != parts.list || header->code != LVN_KEYDOWN ||
          reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey != VK_ESCAPE)
        return false;
      // Posted: the list is still inside its own key handling.
      PostMessageW(parts.window, WM_CLOSE, 0, 0);
      return true;
    }
    default:
      return false;
  }
}

bool RegisterClasses(HINSTANCE instance, const wchar_t* frameClass, WNDPROC frame,
                     const wchar_t* chartClass, WNDPROC chart) {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW known{};
  if (GetClassInfoW(instance, frameClass, &known) && GetClassInfoW(instance, chartClass, &known))
    return true;
  WNDCLASSW main{};
  main.lpfnWndProc = frame;
  main.hInstance = instance;
  main.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = frameClass;
  WNDCLASSW drawn{};
  // Redrawn whole at every change of size: the plot's scale and places follow the size.
  drawn.style = CS_HREDRAW | CS_VREDRAW;
  drawn.lpfnWndProc = chart;
  drawn.hInstance = instance;
  drawn.hCursor = main.hCursor;
  drawn.lpszClassName = chartClass;
  return RegisterClassW(&main) != 0 && RegisterClassW(&drawn) != 0;
}

Parts Create(HINSTANCE instance, HWND owner, int dpi, const wchar_t* frameClass,
             const wchar_t* title, const wchar_t* chartClass, int width, int height,
             DWORD listStyle, int listId, int chartId) {
  // Every length here is written for 96 DPI and scaled to the display's.
  auto Px = [dpi](int length) { return dpi::Scale(length, dpi); };
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  width = Px(width) < work.right - work.left ? Px(width) : work.right - work.left;
  height = Px(height) < work.bottom - work.top ? Px(height) : work.bottom - work.top;
  const int x = work.left + (work.right - work.left - width) / 2;
  const int y = work.top + (work.bottom - work.top - height) / 2;
  Parts parts;
  parts.dpi = dpi;
  // WS_CLIPCHILDREN: the window's own background is never painted over the list and the chart.
  parts.window = CreateWindowExW(0, frameClass, title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y,
                                 width, height, owner, nullptr, instance, nullptr);
  if (parts.window == nullptr) return Parts{};
  parts.list =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                          LVS_SHOWSELALWAYS | listStyle,
                      0, 0, 0, 0, parts.window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(listId)), instance, nullptr);
  parts.chart = CreateWindowExW(
      WS_EX_CLIENTEDGE, chartClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parts.window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(chartId)), instance, nullptr);
  if (parts.list == nullptr || parts.chart == nullptr) {
    DestroyWindow(parts.window);
    return Parts{};
  }
  SendMessageW(parts.list, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), FALSE);
  SendMessageW(parts.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
               LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  return parts;
}

void AddColumn(HWND list, int dpi, int index, const wchar_t* title, int width, bool right) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  // The first column of a list view is always aligned left.
  column.fmt = right && index > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
  column.cx = dpi::Scale(width, dpi);
  column.pszText = const_cast<wchar_t*>(title);
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&column));
}

void LayOut(const Parts& parts) {
  RECT client{};
  GetClientRect(parts.window, &client);
  const int margin = dpi::Scale(kMargin, parts.dpi);
  int width = client.right - 2 * margin;
  int height = client.bottom - 3 * margin;
  if (parts.footer > 0) height -= dpi::Scale(parts.footer, parts.dpi) + margin;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  const int listHeight = height / 2;
  MoveWindow(parts.list, margin, margin, width, listHeight, TRUE);
  MoveWindow(parts.chart, margin, 2 * margin + listHeight, width, height - listHeight, TRUE);
  // The chart is laid out from its size: all of it is drawn again, never the old picture kept
  // beside a new strip.
  InvalidateRect(parts.chart, nullptr, FALSE);
}

void BringBack(HWND window) {
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  BringWindowToTop(window);
}

HFONT GuiFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void TextAt(HDC dc, const std::wstring& text, RECT r, UINT format) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            format | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace listchart
