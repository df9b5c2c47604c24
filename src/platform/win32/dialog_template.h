// In-memory dialog templates: a DLGTEMPLATE with DS_SETFONT, then DLGITEMTEMPLATEs, in dialog
// units, so that a dialog scales with its font (and so with the system DPI).
#pragma once

#include <windows.h>

#include <vector>

struct DialogTemplate {
  std::vector<WORD> words;

  void Align() {
    if (words.size() % 2 != 0) words.push_back(0);  // items start on a DWORD boundary
  }
  void Dword(DWORD v) {
    words.push_back(LOWORD(v));
    words.push_back(HIWORD(v));
  }
  void Text(const wchar_t* text) {
    for (; *text != 0; ++text) words.push_back(static_cast<WORD>(*text));
    words.push_back(0);
  }
  void Begin(DWORD style, int items, int x, int y, int cx, int cy, const wchar_t* title) {
    Dword(style | DS_SETFONT);
    Dword(0);
    words.push_back(static_cast<WORD>(items));
    words.push_back(static_cast<WORD>(x));
    words.push_back(static_cast<WORD>(y));
    words.push_back(static_cast<WORD>(cx));
    words.push_back(static_cast<WORD>(cy));
    words.push_back(0);  // no menu
    words.push_back(0);  // the standard class
    Text(title);
    words.push_back(8);  // the dialog font: 8 points
    Text(L"MS Shell Dlg");
  }
  void Item(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int cx, int cy,
            int id) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    words.push_back(static_cast<WORD>(x));
    words.push_back(static_cast<WORD>(y));
    words.push_back(static_cast<WORD>(cx));
    words.push_back(static_cast<WORD>(cy));
    words.push_back(static_cast<WORD>(id));
    Text(cls);
    Text(text);
    words.push_back(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words.data()); }
};

// The commands of a report dialog: its action button `actionId` closes it, then acts;
// "Закрыть", Esc and the close box (IDCANCEL) close it. True when the command was one of them.
inline bool ReportCommand(HWND report, WPARAM wParam, int actionId, void (*action)()) {
  if (LOWORD(wParam) == actionId) {
    DestroyWindow(report);
    action();
    return true;
  }
  if (LOWORD(wParam) != IDCANCEL) return false;
  DestroyWindow(report);
  return true;
}
