// Adding questions under Wine: the Open dialog's filters and the chosen filter forcing the
// format, files dropped on the main window (a WM_DROPFILES built here), the menu rebuilt and the
// report "Добавление вопросов" used by keys.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "platform/win32/add_window.h"
#include "shell/add_questions.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "win32_test_support.h"

namespace {

void Put(const wchar_t* name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::wstring ItemText(HMENU menu, int position) {
  wchar_t text[1100] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 1100, MF_BYPOSITION);
  return text;
}

// Drops `names` (relative to the working folder) on the main window as the shell does: a
// DROPFILES block of wide full paths, handed over with WM_DROPFILES.
void Drop(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& name : names) {
    wchar_t full[MAX_PATH] = {};
    GetFullPathNameW(name.c_str(), MAX_PATH, full, nullptr);
    list += full;
    list += L'\0';
  }
  list += L'\0';
  SIZE_T size = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GHND, size);
  ASSERT_NE(block, nullptr);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
              list.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  // The program frees it (DragFinish), as the shell expects of the receiver.
  SendMessageW(MainWindow(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
  Pump();
}

// The catalogue and menu as they were, the files added removed: other tests see the test
// database unchanged.
class AddQuestionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memcpy(saved_, Discipline.Disciplines, sizeof saved_);
    savedLast_ = Discipline.LastDiscipline;
  }
  void TearDown() override {
    if (AddReport() != nullptr) DestroyWindow(AddReport());
    CloseChoosers();
    for (int n = 5; n <= 8; ++n) {
      DeleteFileW((L"Base\\" + std::to_wstring(n) + L".txt").c_str());
      RemoveTree(L"Base\\d" + std::to_wstring(n));
    }
    std::memcpy(Discipline.Disciplines, saved_, sizeof saved_);
    Discipline.LastDiscipline = savedLast_;
    RebuildDisciplinesMenu();
    Pump();
  }
  TitlePath saved_[kMaxDisciplines];
  int savedLast_ = 0;
};

TEST_F(AddQuestionsTest, TheOpenDialogsFiltersAndTheChosenPaths) {
  const wchar_t filters[] =
      L"Вопросы (*.gift;*.txt;*.xml;*.csv;*.aiken;*.docx;*.xlsx)\0"
      L"*.gift;*.txt;*.xml;*.csv;*.aiken;*.docx;*.xlsx\0"
      L"GIFT (*.gift;*.txt)\0*.gift;*.txt\0"
      L"Moodle XML (*.xml)\0*.xml\0"
      L"Aiken (*.aiken;*.txt)\0*.aiken;*.txt\0"
      L"CSV (*.csv)\0*.csv\0"
      L"Word (*.docx)\0*.docx\0"
      L"Excel (*.xlsx)\0*.xlsx\0"
      L"Все файлы (*.*)\0*.*\0";  // and the literal's own NUL ends the list
  EXPECT_EQ(OpenFilesFilter(adding::FilterString()),
            std::wstring(filters, sizeof filters / sizeof filters[0]));
  // Several files: the folder, then the names; one file: its full path.
  EXPECT_EQ(ChosenPaths(L"C:\\q\0a.gift\0Дроби.xml\0"),
            (std::vector<std::string>{"C:\\q\\a.gift", "C:\\q\\Дроби.xml"}));
  EXPECT_EQ(ChosenPaths(L"C:\\q\\a.gift\0"), (std::vector<std::string>{"C:\\q\\a.gift"}));
  EXPECT_TRUE(ChosenPaths(L"\0").empty());
}

// Runs `action` once the Open dialog owned by the main window is up, inside its own loop; a
// dialog still up 5 s later is cancelled (and `gStuck` set), so that the test fails, not hangs.
std::function<void(HWND)> gWhileUp;
bool gStuck = false;
int gTicksUp = 0;
HWND OpenDialog() {
  HWND dialog = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM found) -> BOOL {
        if (GetWindow(w, GW_OWNER) == MainWindow() && ClassOf(w) == L"#32770" &&
            IsWindowVisible(w)) {
          *reinterpret_cast<HWND*>(found) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&dialog));
  return dialog;
}
void CALLBACK WhenOpen(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = OpenDialog();
  if (dialog == nullptr) {
    if (!gWhileUp) KillTimer(nullptr, timer);  // acted, and the dialog is gone
    return;
  }
  if (gWhileUp) {
    auto action = std::move(gWhileUp);
    gWhileUp = nullptr;
    gTicksUp = 0;
    action(dialog);
  } else if (++gTicksUp > 50) {
    // Still up: cancel it and any box it raised, every dialog of this thread.
    gStuck = true;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          if (ClassOf(w) == L"#32770" && IsWindowVisible(w))
            PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
          return TRUE;
        },
        0);
  }
}

TEST_F(AddQuestionsTest, TheFilterChosenInTheRealDialogForcesTheFormat) {
  // GIFT in a .txt whose content tells Aiken: by the Aiken filter it gives nothing.
  // In another folder: the working folder, where Base is, must stay.
  CreateDirectoryW(L"elsewhere", nullptr);
  Put(L"elsewhere\\forced.gift", "Q {T}\n");
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  wchar_t full[MAX_PATH] = {};
  GetFullPathNameW(L"elsewhere\\forced.gift", MAX_PATH, full, nullptr);
  bool seen = false;
  gWhileUp = [&](HWND dialog) {
    seen = true;
    EXPECT_EQ(TextOf(dialog), L"Добавить вопросы из файла");
    HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file types
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(SendMessageW(types, CB_GETCOUNT, 0, 0), 8);
    SendMessageW(types, CB_SETCURSEL, 3, 0);  // Aiken
    // What a choice in the list tells the dialog (Windows and Wine take the filter from it).
    for (WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, code), reinterpret_cast<LPARAM>(types));
    HWND name = GetDlgItem(dialog, 0x47c);                  // cmb13, the file name
    if (name == nullptr) name = GetDlgItem(dialog, 0x480);  // edt1
    ASSERT_NE(name, nullptr);
    SetWindowTextW(name, full);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  };
  gStuck = false;
  SetTimer(nullptr, 0, 100, WhenOpen);
  PostMessageW(MainWindow(), WM_COMMAND, 508, 0);
  Pump();
  EXPECT_FALSE(gStuck) << "the Open dialog did not take the file";
  ASSERT_TRUE(PumpUntil([] { return AddReport() != nullptr; }, 5000));
  EXPECT_TRUE(seen);
  EXPECT_EQ(adding::LastAdded().lines,
            (std::vector<std::string>{
                "forced.gift: ничего не добавлено: в файле нет вопросов, которые программа "
                "может показать",
                "forced.gift:1: вопрос пропущен: в нём нет строки ANSWER"}));
  // Nothing new: "Открыть" greyed, "Закрыть" the default button.
  HWND report = AddReport();
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(report, kAddOpen)));
  EXPECT_EQ(LOWORD(SendMessageW(report, DM_GETDEFID, 0, 0)), IDCANCEL);
  EXPECT_EQ(GetFileAttributesW(L"Base\\5.txt"), INVALID_FILE_ATTRIBUTES);
  wchar_t after[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_EQ(std::wstring(after), std::wstring(before));
  SetCurrentDirectoryW(before);
  RemoveTree(L"elsewhere");
}

TEST_F(AddQuestionsTest, DroppedFilesAreAddedTheMenuRebuiltAndTheReportUsedByKeys) {
  Put(L"дроби.gift", "$CATEGORY: Дроби\n\n1/2+1/2? {=1 ~2}\n\n2/4? {=1/2 ~1/4}\n");
  Put(L"notes.doc", "Q {T}\n");
  Drop({L"дроби.gift", L"notes.doc"});

  // Written as the smallest free number, and listed after the test database's four.
  EXPECT_NE(GetFileAttributesW(L"Base\\5.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(L"Base\\d5\\1.txt"), INVALID_FILE_ATTRIBUTES);
  HMENU disciplines = GetSubMenu(GetMenu(MainWindow()), 0);
  std::string said;
  for (const std::string& line : adding::LastAdded().lines) said += line + "\n";
  ASSERT_EQ(GetMenuItemCount(disciplines), 7) << said;
  EXPECT_EQ(ItemText(disciplines, 4), L"дроби");
  EXPECT_EQ(GetMenuItemID(disciplines, 4), 24u);
  EXPECT_EQ(GetMenuState(disciplines, 5, MF_BYPOSITION) & MF_SEPARATOR,
            static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(ItemText(disciplines, 6), L"Добавить вопросы из файла...");
  EXPECT_EQ(GetMenuItemID(disciplines, 6), 508u);

  HWND report = AddReport();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(TextOf(report), L"Добавление вопросов");
  EXPECT_EQ(GetWindow(report, GW_OWNER), MainWindow());
  EXPECT_EQ(TextOf(GetDlgItem(report, kAddLines)),
            L"дроби.gift: 2 вопроса в 1 теме, дисциплина «дроби»\r\n"
            L"notes.doc: ничего не добавлено: формат не распознан: дайте файлу расширение "
            L".gift, .aiken, .xml, .csv, .docx или .xlsx или выберите формат в списке типов "
            L"файлов\r\n");
  HWND open = GetDlgItem(report, kAddOpen);
  HWND close = GetDlgItem(report, IDCANCEL);
  EXPECT_EQ(TextOf(open), L"Открыть");
  EXPECT_EQ(TextOf(close), L"Закрыть");
  EXPECT_TRUE(IsWindowEnabled(open));
  EXPECT_EQ(LOWORD(SendMessageW(report, DM_GETDEFID, 0, 0)), kAddOpen);
  // Tab goes round its three controls.
  HWND at = open;
  for (HWND next : {close, GetDlgItem(report, kAddLines), open}) {
    at = GetNextDlgTabItem(report, at, FALSE);
    EXPECT_EQ(at, next);
  }
  // ... and the Tab key moves the focus along it, as in any dialog, once the window manager
  // has activated it (else its activation may come between the key and the check).
  EXPECT_TRUE(WaitForFocus(report)) << "the report never became the foreground window";
  SetFocus(open);
  PostMessageW(open, WM_KEYDOWN, VK_TAB, 0);
  Pump();
  EXPECT_EQ(GetFocus(), close);
  SetFocus(open);
  // A key typed there stays there: no command reaches the main window.
  {
    MessageSpy spy(MainWindow(), true);
    TypeChar(GetDlgItem(report, kAddLines), L'1');
    PostMessageW(GetDlgItem(report, kAddLines), WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    EXPECT_TRUE(spy.Commands().empty());
  }
  // Enter presses "Открыть": the chooser of the new discipline.
  PostMessageW(GetDlgItem(report, kAddLines), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(AddReport(), nullptr);
  std::vector<HWND> choosers = Choosers();
  ASSERT_EQ(choosers.size(), 1u);
  EXPECT_EQ(TextOf(choosers[0]), L"Base\\5.txt");
  DeleteFileW(L"дроби.gift");
  DeleteFileW(L"notes.doc");
}

TEST_F(AddQuestionsTest, EscClosesTheReportAndAnUnreadableFileChangesNothing) {
  Drop({L"missing.gift"});
  HWND report = AddReport();
  ASSERT_NE(report, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(report, kAddLines)),
            L"missing.gift: ничего не добавлено: не удалось прочитать файл\r\n");
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(MainWindow()), 0)), 6);
  EXPECT_EQ(GetFileAttributesW(L"Base\\5.txt"), INVALID_FILE_ATTRIBUTES);
  PostMessageW(GetDlgItem(report, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_EQ(AddReport(), nullptr);
}

}  // namespace
