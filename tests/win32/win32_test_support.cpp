#include "win32_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/cp1251.h"
#include "shell/win32/shell_win32.h"
#include "quiz/quiz.h"
#include "shell/globals.h"

namespace {

HACCEL gTable = nullptr;
std::wstring gWorkDir;

void WriteBytes(const char* path, const std::string& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  ASSERT_NE(file, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// The database: Windows-1251 bytes, CR LF line ends.
void WriteDatabase() {
  CreateDirectoryW(L"Base", nullptr);
  CreateDirectoryW(L"Base\\arith", nullptr);
  CreateDirectoryW(L"Base\\one", nullptr);
  CreateDirectoryW(L"Base\\many", nullptr);
  WriteBytes("Base\\1.txt", std::string(Cp1251("Арифметика\r\n"
                                               "\tСложение \"arith\\add.txt\"\r\n"
                                               "\tДлинные ответы \"arith\\long.txt\"\r\n"
                                               "\tБез вопросов \"arith\\empty.txt\"\r\n"
                                               "\tНет файла \"arith\\missing.txt\"\r\n")));
  WriteBytes("Base\\2.txt", std::string(Cp1251("Пустая дисциплина\r\n")));
  WriteBytes("Base\\3.txt", std::string(Cp1251("Одна тема\r\n"
                                               "\tСтолицы \"one\\q.txt\"\r\n")));
  std::string many(Cp1251("Много тем\r\n"));
  for (int i = 0; i < 128; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "\t%s %d \"many\\t%d.txt\"\r\n", Cp1251("Тема").c_str(), i, i);
    many += line;
  }
  WriteBytes("Base\\4.txt", many);
  WriteBytes("Base\\many\\t100.txt", std::string(Cp1251("Сто один?\r\n\t+Нет, сто\r\n")));
  // Topic 0 of the many: enough questions to fill both columns of the board and start again at
  // the top of the left one.
  std::string board;
  for (int i = 0; i < 24; ++i) {
    char question[160];
    std::snprintf(question, sizeof question, "%s %d + %d?\r\n\t+%d\r\n\t-%d\r\n\t-%d\r\n\t-%d\r\n",
                  Cp1251("Сколько будет").c_str(), i, i, 2 * i, 2 * i + 1, 2 * i + 2, 2 * i + 3);
    board += question;
  }
  WriteBytes("Base\\many\\t0.txt", board);

  WriteBytes("Base\\arith\\add.txt", std::string(Cp1251("Сколько будет 2 + 2?\r\n"
                                                        "\t+Четыре\r\n"
                                                        "\t-Пять\r\n"
                                                        "\t-Три\r\n"
                                                        "Сколько будет 1 + 1?\r\n"
                                                        "\t-Один\r\n"
                                                        "\t+Два\r\n")));
  std::string longAnswer(Cp1251("Очень длинный ответ, "));
  while (longAnswer.size() < 600) longAnswer += Cp1251("который всё не кончается, ").c_str();
  WriteBytes("Base\\arith\\long.txt", std::string(Cp1251("Какой ответ длиннее?\r\n\t+")) +
                                          longAnswer + "\r\n\t-" +
                                          std::string(Cp1251("Короткий\r\n")));
  WriteBytes("Base\\arith\\empty.txt", "");
  WriteBytes("Base\\one\\q.txt", std::string(Cp1251("Столица Франции?\r\n"
                                                    "\t+Париж\r\n"
                                                    "\t-Лион\r\n")));
}

}  // namespace

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = dir + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(dir.c_str());
}

namespace {

class ProgramEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    gWorkDir = std::wstring(temp) + L"exameo-win32-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(gWorkDir);
    ASSERT_TRUE(CreateDirectoryW(gWorkDir.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(gWorkDir.c_str()));
    WriteDatabase();
    ASSERT_TRUE(StartUp(GetModuleHandleW(nullptr)));
    gTable = CreateAccelerators();
    ASSERT_NE(gTable, nullptr);
    Pump();
  }
  void TearDown() override {
    if (IsWindow(OnScreen2.hWnd)) DestroyWindow(OnScreen2.hWnd);
    Pump();
    if (gTable != nullptr) DestroyAcceleratorTable(gTable);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    SetCurrentDirectoryW(temp);
    RemoveTree(gWorkDir);
  }
};

[[maybe_unused]] ::testing::Environment* const gEnvironment =
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

// Records the suite of every test started, so that tests of the fresh start-up state can tell
// whether another test ran before them in this process.
std::vector<std::string> gStarted;

class StartedTests : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& info) override {
    gStarted.push_back(info.test_suite_name());
  }
};

[[maybe_unused]] const bool gStartedListener = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new StartedTests);
  return true;
}();

WindowLog* gLog = nullptr;

BOOL CALLBACK CollectChooser(HWND window, LPARAM list) {
  if (ClassOf(window) == L"OwnedWClass")
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

SeenBox ReadBox(HWND box) {
  SeenBox seen;
  seen.owner = GetWindow(box, GW_OWNER);
  seen.caption = TextOf(box);
  seen.mainEnabled = IsWindowEnabled(MainWindow()) != FALSE;
  // The box itself may not be visible yet when it is activated: look at the children's own
  // visibility, which the box sets up before it shows.
  for (HWND child : Children(box)) {
    if ((StyleOf(child) & WS_VISIBLE) == 0) continue;
    std::wstring cls = ClassOf(child);
    LONG style = StyleOf(child);
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        if (SendMessageW(child, STM_GETICON, 0, 0) != 0) seen.icon = true;
      } else {
        seen.text = TextOf(child);
      }
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      seen.buttons.push_back(TextOf(child));
    }
  }
  return seen;
}

}  // namespace

HWND MainWindow() {
  return OnScreen2.hWnd;
}
HACCEL Accelerators() {
  return gTable;
}

int TestsOutsideSuiteSoFar(const char* suite) {
  int count = 0;
  for (const std::string& started : gStarted)
    if (started != suite) ++count;
  return count;
}

bool PumpUntil(const std::function<bool()>& done, int milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return true;
}

bool WaitForFocus(HWND window, HWND focus, int milliseconds) {
  return PumpUntil(
      [&] {
        HWND has = GetFocus();
        return IsWindowVisible(window) && GetForegroundWindow() == window && has != nullptr &&
               (focus != nullptr ? has == focus : has == window || IsChild(window, has));
      },
      milliseconds);
}

int DisciplineIndex(const char* path) {
  for (int i = 0; i <= Discipline.LastDiscipline; ++i)
    if (std::strcmp(Discipline.Disciplines[i].Path, path) == 0) return i;
  return -1;
}

bool Pump() {
  bool quit = false;
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = true;
      continue;
    }
    HandleMessage(gTable, &message);
  }
  return quit;
}

namespace {

INPUT KeyEvent(WORD vk, DWORD flags) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = flags;
  return in;
}

}  // namespace

void PressKey(WORD vk, WORD modifier) {
  std::vector<INPUT> in;
  if (modifier != 0) in.push_back(KeyEvent(modifier, 0));
  in.push_back(KeyEvent(vk, 0));
  in.push_back(KeyEvent(vk, KEYEVENTF_KEYUP));
  if (modifier != 0) in.push_back(KeyEvent(modifier, KEYEVENTF_KEYUP));
  EXPECT_EQ(SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)), in.size());
  // Input under Wine arrives through the server, later on a busy machine: a short while at
  // least, then until the queue has stayed empty for a moment.
  PumpUntil([] { return false; }, 60);
  int quiet = 0;
  PumpUntil([&] { return GetQueueStatus(QS_ALLINPUT) == 0 ? ++quiet >= 3 : (quiet = 0, false); },
            1000);
}

void TypeChar(HWND window, wchar_t c) {
  PostMessageW(window, WM_CHAR, c, 1);
  Pump();
}

void MenuCommand(unsigned id) {
  PostMessageW(MainWindow(), WM_COMMAND, id, 0);
  Pump();
}

HWND OpenChooser(const char* descriptionPath) {
  std::vector<HWND> before = Choosers();
  int index = DisciplineIndex(descriptionPath);
  EXPECT_GE(index, 0) << descriptionPath;
  MenuCommand(20 + index);
  for (HWND chooser : Choosers()) {
    bool old = false;
    for (HWND b : before) old = old || b == chooser;
    if (!old) return chooser;
  }
  return nullptr;
}

std::vector<HWND> Choosers() {
  std::vector<HWND> list;
  EnumThreadWindows(GetCurrentThreadId(), CollectChooser, reinterpret_cast<LPARAM>(&list));
  return list;
}

void CloseChoosers() {
  for (HWND chooser : Choosers()) SendMessageW(chooser, WM_CLOSE, 0, 0);
  Pump();
}

void StartTopic(const char* descriptionPath, int topic) {
  HWND chooser = OpenChooser(descriptionPath);
  ASSERT_NE(chooser, nullptr);
  SendMessageW(GetDlgItem(chooser, 100 + topic), BM_CLICK, 0, 0);
  SendMessageW(GetDlgItem(chooser, 200), BM_CLICK, 0, 0);
  Pump();
  // The quiz starts when its start message comes back through the queue: wait for it, so that
  // keys typed next reach the new topic and no late start lands after them.
  PumpUntil([] { return quiz::StartsPending == 0 && !quiz::bStartDeferred; }, 3000);
}

HWND Answer(int id) {
  return GetDlgItem(MainWindow(), id);
}

bool Ticked(int id) {
  return SendMessageW(Answer(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

Mark MarkOf(int id) {
  LOGFONTW font{};
  if (!FontOf(Answer(id), &font)) return Mark::None;
  // Marks are drawn with fonts that have Cyrillic letters everywhere.
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET) << id;
  EXPECT_EQ(font.lfItalic, 0) << id;
  if (font.lfWeight == FW_BOLD && !font.lfUnderline && !font.lfStrikeOut) return Mark::Right;
  if (font.lfWeight == FW_BOLD && font.lfUnderline && !font.lfStrikeOut) return Mark::Missed;
  if (font.lfWeight == FW_NORMAL && !font.lfUnderline && font.lfStrikeOut) return Mark::Wrong;
  ADD_FAILURE() << "unexpected font on " << id << ": weight " << font.lfWeight;
  return Mark::None;
}

std::wstring TextOf(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

LONG StyleOf(HWND window) {
  return GetWindowLongW(window, GWL_STYLE);
}

RECT RectIn(HWND window, HWND reference) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> list;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    list.push_back(child);
  return list;
}

bool FontOf(HWND control, LOGFONTW* font) {
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (handle == nullptr) return false;
  return GetObjectW(handle, sizeof *font, font) == sizeof *font;
}

int MeasuredHeight(const std::wstring& text, int width) {
  HDC dc = GetDC(MainWindow());
  RECT r{0, 0, width, 15};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK);
  ReleaseDC(MainWindow(), dc);
  return r.bottom - r.top;
}

WindowLog::WindowLog() {
  gLog = this;
  hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
  EXPECT_NE(hook_, nullptr);
}

WindowLog::~WindowLog() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  gLog = nullptr;
}

std::vector<CreatedWindow> WindowLog::CreatedOfClass(const wchar_t* className) const {
  std::vector<CreatedWindow> list;
  for (const CreatedWindow& c : created_)
    if (_wcsicmp(c.className.c_str(), className) == 0) list.push_back(c);
  return list;
}

LRESULT CALLBACK WindowLog::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (gLog != nullptr && code == HCBT_CREATEWND) {
    HWND window = reinterpret_cast<HWND>(wParam);
    const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    CreatedWindow c;
    c.window = window;
    c.className = ClassOf(window);
    if (create->lpszName != nullptr && HIWORD(reinterpret_cast<UINT_PTR>(create->lpszName)))
      c.text = create->lpszName;
    c.style = create->style;
    c.x = create->x;
    c.y = create->y;
    c.width = create->cx;
    c.height = create->cy;
    c.parent = create->hwndParent;
    c.id = reinterpret_cast<INT_PTR>(create->hMenu);
    gLog->created_.push_back(c);
    if (!gLog->refused_.empty() && _wcsicmp(c.className.c_str(), gLog->refused_.c_str()) == 0)
      return 1;
  }
  if (gLog != nullptr && code == HCBT_ACTIVATE) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (ClassOf(window) == L"#32770") {
      gLog->boxes_.push_back(ReadBox(window));
      if (gLog->action_) gLog->action_(window);
      PostMessageW(window, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

MessageSpy::MessageSpy(HWND window, bool swallowCommands)
    : window_(window), original_(nullptr), swallow_(swallowCommands) {
  SetPropW(window, L"ExameoTestSpy", this);
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
}

MessageSpy::~MessageSpy() {
  if (IsWindow(window_)) {
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropW(window_, L"ExameoTestSpy");
  }
}

LRESULT CALLBACK MessageSpy::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* spy = static_cast<MessageSpy*>(GetPropW(window, L"ExameoTestSpy"));
  if (spy == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  WNDPROC original = spy->original_;
  switch (message) {
    case WM_COMMAND:
      spy->commands_.push_back(wParam);
      if (spy->swallow_) return -1;
      break;
    case WM_CHAR:
      spy->chars_.push_back(wParam);
      break;
    case WM_USER:
      spy->startsWithChooser_.push_back(!Choosers().empty());
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropW(window, L"ExameoTestSpy");
      break;
    default:
      break;
  }
  return CallWindowProcW(original, window, message, wParam, lParam);
}
