// The Open dialog for question files, dropped files and the report "Добавление вопросов".
#include "platform/win32/add_window.h"
#include "platform/win32/cp1251_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <filesystem>

#include "platform/win32/dialog_template.h"
#include "platform/window_system.h"

namespace {

HWND gReport = nullptr;


// A path as UTF-8, as the import reads it.
std::string Utf8FromPath(const std::filesystem::path& path) {
  std::u8string u = path.u8string();
  return std::string(reinterpret_cast<const char*>(u.data()), u.size());
}

std::string Utf8FromWide(const std::wstring& wide) {
  return Utf8FromPath(std::filesystem::path(wide));
}

// The report's "Открыть" calls what the report it shows was handed, kept with the dialog
// (DWLP_USER).
using Open = void (*)();

void NoOpen() {}

void FillReport(HWND report, const ws::AddReportView& added) {
  SetWindowLongPtrW(report, DWLP_USER, reinterpret_cast<LONG_PTR>(added.open));
  std::string text;
  if (added.lines != nullptr)
    for (const std::string& line : *added.lines) text += line + "\r\n";
  SetDlgItemTextW(report, kAddLines, cp1251::WideFromUtf8(text).c_str());
  bool canOpen = added.canOpen;
  HWND open = GetDlgItem(report, kAddOpen);
  HWND close = GetDlgItem(report, IDCANCEL);
  EnableWindow(open, canOpen);
  // The default button is the one Enter presses: "Открыть" when there is something to open.
  SendMessageW(report, DM_SETDEFID, canOpen ? kAddOpen : IDCANCEL, 0);
  SendMessageW(open, BM_SETSTYLE, canOpen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
  SendMessageW(close, BM_SETSTYLE, canOpen ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
  SendMessageW(report, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(canOpen ? open : close), TRUE);
}

INT_PTR CALLBACK ReportProc(HWND report, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      FillReport(report, *reinterpret_cast<const ws::AddReportView*>(lParam));
      return FALSE;  // the focus is set by FillReport
    case WM_COMMAND: {
      // Read before the report goes: its action runs after.
      Open open = reinterpret_cast<Open>(GetWindowLongPtrW(report, DWLP_USER));
      return ReportCommand(report, wParam, kAddOpen, open != nullptr ? open : NoOpen) ? TRUE
                                                                                      : FALSE;
    }
    case WM_DESTROY:
      if (gReport == report) gReport = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::wstring OpenFilesFilter(const std::string& filters) {
  return cp1251::WideFromUtf8(filters);
}

std::vector<std::string> ChosenPaths(const wchar_t* buffer) {
  std::vector<std::string> paths;
  if (buffer == nullptr || buffer[0] == 0) return paths;
  std::wstring first = buffer;
  const wchar_t* next = buffer + first.size() + 1;
  if (*next == 0) {  // one file: its full path
    paths.push_back(Utf8FromWide(first));
    return paths;
  }
  std::filesystem::path folder(first);
  while (*next != 0) {
    std::wstring name = next;
    paths.push_back(Utf8FromPath(folder / name));
    next += name.size() + 1;
  }
  return paths;
}

std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    std::wstring name(length + 1, L'\0');
    DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(length);
    paths.push_back(Utf8FromWide(name));
  }
  DragFinish(drop);
  return paths;
}

HWND AddReport() {
  return gReport;
}

namespace ws {

bool AskOpenFiles(HWND owner, const std::string& filterText, std::vector<std::string>* paths,
                  int* filter) {
  // Room for a few hundred files at once; more gives FNERR_BUFFERTOOSMALL and nothing.
  std::vector<wchar_t> buffer(64 * 1024, L'\0');
  std::wstring filters = OpenFilesFilter(filterText);
  OPENFILENAMEW open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner;
  open.lpstrFilter = filters.c_str();
  open.nFilterIndex = 1;
  open.lpstrFile = buffer.data();
  open.nMaxFile = static_cast<DWORD>(buffer.size());
  open.lpstrTitle = L"Добавить вопросы из файла";
  // The working folder holds Base and stays: the dialog would otherwise move it to the files'.
  open.Flags =
      OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&open)) return false;
  *paths = ChosenPaths(buffer.data());
  *filter = static_cast<int>(open.nFilterIndex);
  return !paths->empty();
}

void OpenAddReport(HINSTANCE instance, HWND owner, const AddReportView& report) {
  if (gReport != nullptr && IsWindow(gReport)) {
    FillReport(gReport, report);
    ShowWindow(gReport, SW_SHOW);
    SetForegroundWindow(gReport);
    return;
  }
  DialogTemplate t;
  t.Begin(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 3, 0, 0, 320, 180,
          L"Добавление вопросов");
  t.Item(L"EDIT", L"",
         ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7,
         306, 145, kAddLines);
  t.Item(L"BUTTON", L"Открыть", BS_DEFPUSHBUTTON | WS_TABSTOP, 193, 159, 58, 14, kAddOpen);
  t.Item(L"BUTTON", L"Закрыть", BS_PUSHBUTTON | WS_TABSTOP, 255, 159, 58, 14, IDCANCEL);
  gReport = CreateDialogIndirectParamW(instance, t.Get(), owner, ReportProc,
                                       reinterpret_cast<LPARAM>(&report));
  if (gReport == nullptr) return;
  ShowWindow(gReport, SW_SHOW);
}

}  // namespace ws
