// The dialog "Экзамен" and the report "Результат экзамена".
#include "platform/win32/exam_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "common/program_texts.h"
#include "exam/choice.h"
#include "exam/rules.h"
#include "platform/win32/cp1251_win32.h"
#include "platform/win32/dialog_template.h"
#include "platform/window_system.h"

namespace {

void InitControls() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
}

// ---- The dialog ----

struct DialogState {
  HWND window = nullptr;
  ws::ExamDialogCalls calls;
  std::vector<int> disciplines;  // combo item -> catalogue entry
  std::vector<int> topics;       // combo item -> catalogue topic (-1: all)
  int available = 0;
  exam::Choice choice;
};
DialogState gDialog;

int Selected(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

// The number fields, clamped to their limits.
int Field(HWND dialog, int id, int low, int high) {
  BOOL ok = FALSE;
  int v = static_cast<int>(GetDlgItemInt(dialog, id, &ok, FALSE));
  if (!ok) v = low;
  return v < low ? low : v > high ? high : v;
}

// The count's range and "из N" for the choice now selected; the count kept within it.
void ShowAvailable(HWND dialog, bool firstCount) {
  int d = Selected(dialog, kExamDiscipline);
  int t = Selected(dialog, kExamTopic);
  int discipline = d >= 0 && d < static_cast<int>(gDialog.disciplines.size())
                       ? gDialog.disciplines[static_cast<std::size_t>(d)]
                       : -1;
  int topic = t >= 0 && t < static_cast<int>(gDialog.topics.size())
                  ? gDialog.topics[static_cast<std::size_t>(t)]
                  : -1;
  int n = discipline >= 0 ? gDialog.calls.available(discipline, topic) : 0;
  gDialog.available = n;
  SendDlgItemMessageW(dialog, kExamCountArrows, UDM_SETRANGE32, n > 0 ? 1 : 0, n);
  int count = firstCount ? (n < exam::kFirstCount ? n : exam::kFirstCount)
                         : Field(dialog, kExamCount, n > 0 ? 1 : 0, n);
  SetDlgItemInt(dialog, kExamCount, static_cast<UINT>(count), FALSE);
  std::wstring of = L"из " + std::to_wstring(n);
  SetDlgItemTextW(dialog, kExamAvailable, of.c_str());
  // A choice without questions cannot start; "из 0" says why.
  EnableWindow(GetDlgItem(dialog, IDOK), n > 0);
  if (gDialog.calls.forecast != nullptr) {
    std::string line = discipline >= 0 ? gDialog.calls.forecast(discipline, topic) : "";
    SetDlgItemTextW(dialog, kExamForecast, cp1251::ToWide(line.c_str()).c_str());
  }
}

void FillTopics(HWND dialog, int discipline, int topic) {
  HWND combo = GetDlgItem(dialog, kExamTopic);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  gDialog.topics.assign(1, -1);
  std::wstring all = cp1251::ToWide(ptext::kAllTopics.c_str());
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(all.c_str()));
  int select = 0;
  if (const DisciplineClass* topics = gDialog.calls.topicsOf(discipline)) {
    for (int i = 0; i < kMaxTopics; ++i) {
      if (!topics->Topics[i].bExists) continue;
      std::wstring title = cp1251::TextToWide(topics->Topics[i].Title, topics->Topics[i].bUtf8);
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
      if (i == topic) select = static_cast<int>(gDialog.topics.size());
      gDialog.topics.push_back(i);
    }
  }
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      gDialog.window = dialog;
      exam::Choice c = gDialog.calls.initial();
      HWND combo = GetDlgItem(dialog, kExamDiscipline);
      gDialog.disciplines.clear();
      int select = 0;
      const DisciplineClass& catalogue = *gDialog.calls.catalogue;
      for (int i = 0; i < kMaxDisciplines; ++i) {
        if (!catalogue.Disciplines[i].bExists) continue;
        std::wstring title = cp1251::TextToWide(catalogue.Disciplines[i].Title, catalogue.Disciplines[i].bUtf8);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(title.c_str()));
        if (i == c.discipline) select = static_cast<int>(gDialog.disciplines.size());
        gDialog.disciplines.push_back(i);
      }
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
      FillTopics(dialog, c.discipline, c.topic);
      SendDlgItemMessageW(dialog, kExamMinutesArrows, UDM_SETRANGE32, 0, exam::kMaxMinutes);
      SendDlgItemMessageW(dialog, kExamCount, EM_LIMITTEXT, 9, 0);
      SendDlgItemMessageW(dialog, kExamMinutes, EM_LIMITTEXT, 3, 0);
      ShowAvailable(dialog, false);
      SetDlgItemInt(dialog, kExamCount, static_cast<UINT>(c.count), FALSE);
      SetDlgItemInt(dialog, kExamMinutes, static_cast<UINT>(c.minutes), FALSE);
      return TRUE;  // the focus goes to the first control
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (HIWORD(wParam) == CBN_SELCHANGE && id == kExamDiscipline) {
        int d = Selected(dialog, kExamDiscipline);
        if (d >= 0 && d < static_cast<int>(gDialog.disciplines.size()))
          FillTopics(dialog, gDialog.disciplines[static_cast<std::size_t>(d)], -1);
        ShowAvailable(dialog, true);
        return TRUE;
      }
      if (HIWORD(wParam) == CBN_SELCHANGE && id == kExamTopic) {
        ShowAvailable(dialog, true);
        return TRUE;
      }
      if (id == IDOK) {
        if (gDialog.available <= 0) return TRUE;
        int d = Selected(dialog, kExamDiscipline);
        int t = Selected(dialog, kExamTopic);
        exam::Choice& c = gDialog.choice;
        c.discipline = gDialog.disciplines[static_cast<std::size_t>(d < 0 ? 0 : d)];
        c.topic = t >= 0 && t < static_cast<int>(gDialog.topics.size())
                      ? gDialog.topics[static_cast<std::size_t>(t)]
                      : -1;
        c.count = Field(dialog, kExamCount, 1, gDialog.available);
        c.minutes = Field(dialog, kExamMinutes, 0, exam::kMaxMinutes);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_DESTROY:
      gDialog.window = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

// ---- The report ----

HWND gExamReport = nullptr;

// The report's "Работа над ошибками" calls what the report it shows was handed, kept with the
// dialog (DWLP_USER).
using Drill = void (*)();

void FillReport(HWND report, const ws::ExamReportView& r) {
  SetWindowLongPtrW(report, DWLP_USER, reinterpret_cast<LONG_PTR>(r.drill));
  std::string head;
  if (r.lines != nullptr)
    for (const std::string& line : *r.lines) head += line + "\r\n";
  SetDlgItemTextW(report, kReportHead, cp1251::TextToWide(head.c_str(), r.utf8).c_str());
  HWND list = GetDlgItem(report, kReportList);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  const std::size_t rows = r.rows != nullptr ? r.rows->size() : 0;
  for (std::size_t i = 0; i < rows; ++i) {
    const exam::Row& row = (*r.rows)[i];
    const std::string* cells[] = {&row.number, &row.verdict, &row.task, &row.ticked, &row.right};
    for (int c = 0; c < 5; ++c) {
      std::wstring text = cp1251::TextToWide(cells[c]->c_str(), c == 2 && row.taskUtf8);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.iSubItem = c;
      item.pszText = text.data();
      SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, c == 0 ? 0 : i,
                   reinterpret_cast<LPARAM>(&item));
    }
  }
  EnableWindow(GetDlgItem(report, kReportDrill), r.mistakes);
}

void NoDrill() {}

INT_PTR CALLBACK ExamReportProc(HWND report, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND list = GetDlgItem(report, kReportList);
      SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
      // Column widths in dialog units, turned into pixels of the dialog font.
      const wchar_t* titles[] = {L"№", L"Итог", L"Вопрос", L"Отмечено", L"Верно"};
      const int units[] = {20, 42, 190, 50, 50};
      int widths[5];
      for (int c = 0; c < 5; ++c) {
        RECT r{0, 0, units[c], 8};
        MapDialogRect(report, &r);
        widths[c] = r.right;
      }
      // "Итог" as wide as its longest verdict ("без ответа") in the list's own font, with the
      // cell's margins; "Вопрос" gives up what it takes, so the columns still fill the list.
      const char* verdicts[] = {ptext::kVerdictRight.c_str(), ptext::kVerdictPartial.c_str(),
                                ptext::kVerdictWrong.c_str(), ptext::kVerdictUnanswered.c_str()};
      RECT margins{0, 0, 8, 8};
      MapDialogRect(report, &margins);
      int verdict = widths[1];
      for (const char* v : verdicts) {
        std::wstring text = cp1251::ToWide(v);
        int need = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                 reinterpret_cast<LPARAM>(text.c_str()))) +
                   margins.right;
        if (need > verdict) verdict = need;
      }
      widths[2] -= verdict - widths[1];
      widths[1] = verdict;
      for (int c = 0; c < 5; ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = widths[c];
        column.pszText = const_cast<wchar_t*>(titles[c]);
        column.iSubItem = c;
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c),
                     reinterpret_cast<LPARAM>(&column));
      }
      FillReport(report, *reinterpret_cast<const ws::ExamReportView*>(lParam));
      return TRUE;
    }
    case WM_COMMAND: {
      // Read before the report goes: its action runs after.
      Drill drill = reinterpret_cast<Drill>(GetWindowLongPtrW(report, DWLP_USER));
      return ReportCommand(report, wParam, kReportDrill, drill != nullptr ? drill : NoDrill)
                 ? TRUE
                 : FALSE;
    }
    case WM_DESTROY:
      if (gExamReport == report) gExamReport = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND ExamDialog() {
  return gDialog.window;
}

HWND ExamReport() {
  return gExamReport;
}

bool ExamReportMessage(MSG* message) {
  if (gExamReport == nullptr || !IsWindow(gExamReport)) return false;
  if (message->hwnd != gExamReport && !IsChild(gExamReport, message->hwnd)) return false;
  return IsDialogMessageW(gExamReport, message) != 0;
}

namespace ws {

void OpenExamDialog(HINSTANCE instance, HWND owner, const ExamDialogCalls& calls) {
  // Without what it offers and does, the dialog has nothing to show.
  if (calls.catalogue == nullptr || calls.initial == nullptr || calls.topicsOf == nullptr ||
      calls.available == nullptr || calls.start == nullptr)
    return;
  InitControls();
  std::wstring caption = cp1251::ToWide(ptext::kExamCaption.c_str());
  DialogTemplate t;
  t.Begin(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 14, 0, 0, 222, 120,
          caption.c_str());
  t.Item(L"STATIC", L"Дисциплина:", SS_LEFT, 7, 9, 60, 8, -1);
  t.Item(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 70, 7, 145, 150,
         kExamDiscipline);
  t.Item(L"STATIC", L"Тема:", SS_LEFT, 7, 27, 60, 8, -1);
  t.Item(L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 70, 25, 145, 150,
         kExamTopic);
  t.Item(L"STATIC", L"Вопросов:", SS_LEFT, 7, 46, 60, 8, -1);
  t.Item(L"EDIT", L"", ES_NUMBER | WS_BORDER | WS_TABSTOP, 70, 44, 44, 13, kExamCount);
  t.Item(UPDOWN_CLASSW, L"",
         UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0,
         0, 0, kExamCountArrows);
  t.Item(L"STATIC", L"из 0", SS_LEFT, 120, 46, 95, 8, kExamAvailable);
  t.Item(L"STATIC", L"Время, мин:", SS_LEFT, 7, 65, 60, 8, -1);
  t.Item(L"EDIT", L"", ES_NUMBER | WS_BORDER | WS_TABSTOP, 70, 63, 44, 13, kExamMinutes);
  t.Item(UPDOWN_CLASSW, L"",
         UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0,
         0, 0, kExamMinutesArrows);
  t.Item(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 7, 84, 208, 8, kExamForecast);
  t.Item(L"BUTTON", L"Начать", BS_DEFPUSHBUTTON | WS_TABSTOP, 111, 99, 50, 14, IDOK);
  t.Item(L"BUTTON", L"Отмена", BS_PUSHBUTTON | WS_TABSTOP, 165, 99, 50, 14, IDCANCEL);
  gDialog = DialogState{};
  gDialog.calls = calls;
  INT_PTR result = DialogBoxIndirectParamW(instance, t.Get(), owner, DialogProc, 0);
  if (result == IDOK) calls.start(gDialog.choice);
}

void OpenExamReport(HINSTANCE instance, HWND owner, const ExamReportView& report) {
  if (gExamReport != nullptr && IsWindow(gExamReport)) {
    FillReport(gExamReport, report);
    ShowWindow(gExamReport, SW_SHOW);
    SetForegroundWindow(gExamReport);
    return;
  }
  InitControls();
  DialogTemplate t;
  t.Begin(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME, 4, 0, 0, 380, 260,
          L"Результат экзамена");
  t.Item(L"STATIC", L"", SS_LEFT, 7, 7, 366, 56, kReportHead);
  t.Item(WC_LISTVIEWW, L"", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
         7, 66, 366, 166, kReportList);
  std::wstring drill = cp1251::ToWide(ptext::kMistakesItem.c_str());
  t.Item(L"BUTTON", drill.c_str(), BS_PUSHBUTTON | WS_TABSTOP, 211, 239, 100, 14,
         kReportDrill);
  t.Item(L"BUTTON", L"Закрыть", BS_DEFPUSHBUTTON | WS_TABSTOP, 315, 239, 58, 14, IDCANCEL);
  gExamReport = CreateDialogIndirectParamW(instance, t.Get(), owner, ExamReportProc,
                                       reinterpret_cast<LPARAM>(&report));
  if (gExamReport == nullptr) return;
  ShowWindow(gExamReport, SW_SHOW);
  SetFocus(GetDlgItem(gExamReport, kReportList));
}

}  // namespace ws
