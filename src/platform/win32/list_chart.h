// What the results window and the knowledge window share: a frame holding a list view above a
// chart control drawn with GDI, closed by Esc, its list taking the focus whenever it comes back.
#pragma once

#include <windows.h>

#include <string>

#include "common/dpi.h"

namespace listchart {

// The margin around and between the list and the chart, at 96 DPI.
inline constexpr int kMargin = 8;

// The controls of one such window, and the DPI its lengths are scaled to.
struct Parts {
  HWND window = nullptr;
  HWND list = nullptr;
  HWND chart = nullptr;
  int dpi = dpi::kBase;
  int footer = 0;  // a row kept free under the chart (with a margin above it), at 96 DPI
};

// The chart control's messages: painted whole through a memory bitmap (so that resizing does
// not flicker) and for WM_PRINTCLIENT, by `paint` into the client rectangle.
LRESULT ChartMessage(HWND chart, UINT message, WPARAM wParam, LPARAM lParam,
                     void (*paint)(HDC dc, RECT area));

// The frame's messages both windows treat alike: the least size, the focus going to the list,
// Esc (from the list, or IDCANCEL through the dialog keys of the message loop) closing it.
// True when the message was handled; *result is then what the procedure returns.
bool FrameMessage(const Parts& parts, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Registers the frame's class and the chart's (redrawn whole at every change of size), once.
bool RegisterClasses(HINSTANCE instance, const wchar_t* frameClass, WNDPROC frame,
                     const wchar_t* chartClass, WNDPROC chart);

// Creates the frame (`width` × `height` at 96 DPI, scaled to `dpi`, within the screen's work
// area, in its middle), a report list view with `listStyle` beside the usual ones, and the
// chart. On any failure nothing is left and the result's window is null.
Parts Create(HINSTANCE instance, HWND owner, int dpi, const wchar_t* frameClass,
             const wchar_t* title, const wchar_t* chartClass, int width, int height,
             DWORD listStyle, int listId, int chartId);

// Adds column `index` to the list, `width` pixels at 96 DPI (scaled to `dpi`), aligned right if
// `right`.
void AddColumn(HWND list, int dpi, int index, const wchar_t* title, int width, bool right);

// The list over the upper half, the chart under it, within margins, above the footer's row;
// the chart drawn again.
void LayOut(const Parts& parts);

// An open window brought back to the top.
void BringBack(HWND window);

// The font of both windows' texts.
HFONT GuiFont();

// One line of text in `r`, no prefix characters.
void TextAt(HDC dc, const std::wstring& text, RECT r, UINT format);

}  // namespace listchart
