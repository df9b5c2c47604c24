// The study features on the real windows: the options menu and its ticks, the Yes/No box, the
// resume question on a real load, the results window and its chart, the data folder lookup.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "../support/review_student.h"
#include "platform/files.h"
#include "platform/win32/cp1251_win32.h"
#include "platform/win32/data_folder.h"
#include "platform/win32/knowledge_window.h"
#include "platform/win32/results_window.h"
#include "platform/window_system.h"
#include "review/fit.h"
#include "review/parameters.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "session/session.h"
#include "shell/data.h"
#include "win32_test_support.h"

namespace {

std::string ReadAll(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD put = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
  CloseHandle(file);
  ASSERT_EQ(put, bytes.size());
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The files of a folder (not its subfolders).
std::vector<std::wstring> FilesIn(const std::wstring& dir) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// A fresh folder under the temporary folder, with an ASCII name; removed at the end.
class Scratch {
 public:
  Scratch() {
    static int serial = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"exameo-study-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial);
    RemoveTree(path_);
    EXPECT_TRUE(CreateDirectoryW(path_.c_str(), nullptr));
  }
  ~Scratch() { RemoveTree(path_); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::wstring& Path() const { return path_; }
  // The path in the files seam's form: Windows-1251 (ASCII here).
  std::string Bytes() const { return std::string(path_.begin(), path_.end()); }

 private:
  std::wstring path_;
};

// The study data kept in a scratch folder while alive; afterwards no folder and every option
// off again, as the other tests of the program expect.
class StudyFolder : public Scratch {
 public:
  StudyFolder() { OpenDataFolder(Bytes().c_str(), true); }
  ~StudyFolder() {
    if (ResultsWindow() != nullptr) DestroyWindow(ResultsWindow());
    if (KnowledgeWindow() != nullptr) DestroyWindow(KnowledgeWindow());
    OpenDataFolder("", false);
    Pump();
  }
};

bool MenuTicked(HMENU menu, unsigned id) {
  UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
  EXPECT_NE(state, static_cast<UINT>(-1)) << id;
  return (state & MF_CHECKED) != 0;
}

// What a Yes/No or OK box showed.
struct Box {
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  bool yesNo = false;  // Yes and No buttons, no OK or Cancel
  UINT defaultId = 0;  // the button that has the focus as the box comes up: Enter presses it
  bool icon = false;
};

enum class Reply { Yes, No, Enter };

// While alive, a CBT hook of the test thread reads every message box as it becomes active and
// answers it: a Yes/No box as told, any other box with OK. A box activated again while it is
// still up (under Wine the window manager's focus may come back to it) is read only once.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(Reply reply) : reply_(reply) {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    EXPECT_NE(hook_, nullptr);
  }
  ~BoxAnswerer() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  const std::vector<Box>& Boxes() const { return boxes_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (current_ != nullptr && code == HCBT_ACTIVATE) {
      HWND window = reinterpret_cast<HWND>(wParam);
      if (ClassOf(window) == L"#32770" && !current_->IsOpen(window)) {
        current_->open_.push_back(window);
        current_->Answer(window);
      }
    }
    if (current_ != nullptr && code == HCBT_DESTROYWND) {
      std::vector<HWND>& open = current_->open_;
      open.erase(std::remove(open.begin(), open.end(), reinterpret_cast<HWND>(wParam)), open.end());
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  bool IsOpen(HWND box) const { return std::find(open_.begin(), open_.end(), box) != open_.end(); }

  void Answer(HWND box) {
    Box seen;
    seen.owner = GetWindow(box, GW_OWNER);
    seen.caption = TextOf(box);
    for (HWND child : Children(box)) {
      if (_wcsicmp(ClassOf(child).c_str(), L"Static") != 0) continue;
      if ((StyleOf(child) & SS_TYPEMASK) == SS_ICON)
        seen.icon = seen.icon || SendMessageW(child, STM_GETICON, 0, 0) != 0;
      else if ((StyleOf(child) & WS_VISIBLE) != 0)
        seen.text = TextOf(child);
    }
    auto visible = [box](int id) {
      HWND button = GetDlgItem(box, id);
      return button != nullptr && (StyleOf(button) & WS_VISIBLE) != 0;
    };
    seen.yesNo = visible(IDYES) && visible(IDNO) && !visible(IDOK) && !visible(IDCANCEL);
    boxes_.push_back(seen);
    // Answered once the box is up and has given the focus to its default button, from its
    // own message loop: the window manager's activation may come a little later, so the focus
    // is looked for every 20 ms for up to 3 s.
    waited_ = 0;
    SetTimer(box, 1, 0, Later);
  }

  static void CALLBACK Later(HWND box, UINT, UINT_PTR timer, DWORD) {
    if (current_ == nullptr || current_->boxes_.empty()) {
      KillTimer(box, timer);
      return;
    }
    HWND focus = GetFocus();
    const bool inBox = focus != nullptr && GetParent(focus) == box;
    if (!inBox && ++current_->waited_ < 150) {
      SetTimer(box, timer, 20, Later);
      return;
    }
    KillTimer(box, timer);
    Box& seen = current_->boxes_.back();
    if (inBox) seen.defaultId = static_cast<UINT>(GetDlgCtrlID(focus));
    if (!seen.yesNo)
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    else if (current_->reply_ == Reply::Yes)
      PostMessageW(box, WM_COMMAND, IDYES, 0);
    else if (current_->reply_ == Reply::No)
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    else  // Enter, as the user presses it: the box's own loop turns it into its default button
      PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
  }

  static BoxAnswerer* current_;
  HHOOK hook_ = nullptr;
  int waited_ = 0;  // timer ticks spent waiting for the focus in the current box
  Reply reply_;
  std::vector<Box> boxes_;
  std::vector<HWND> open_;  // the boxes read and not yet destroyed
};
BoxAnswerer* BoxAnswerer::current_ = nullptr;

// ---- The options menu ----

TEST(StudyMenu, PreparationHoldsTheExamASeparatorAndTheResultsAndOptionsTheThreeChecks) {
  HMENU bar = GetMenu(MainWindow());
  ASSERT_EQ(GetMenuItemCount(bar), 4);
  HMENU preparation = GetSubMenu(bar, 1);
  ASSERT_NE(preparation, nullptr);
  ASSERT_EQ(GetMenuItemCount(preparation), 6);
  const UINT preparationIds[] = {504, 505, 506, 507, 0, 503};
  const wchar_t* preparationTexts[] = {L"Экзамен...",
                                       L"Повторение на сегодня (0)",
                                       L"Работа над ошибками (0)",
                                       L"Знания по темам...",
                                       L"",
                                       L"Результаты..."};
  for (int i = 0; i < 6; ++i) {
    if (i == 4) continue;
    EXPECT_EQ(GetMenuItemID(preparation, i), preparationIds[i]) << i;
    wchar_t label[64] = {};
    GetMenuStringW(preparation, static_cast<UINT>(i), label, 64, MF_BYPOSITION);
    EXPECT_STREQ(label, preparationTexts[i]) << i;
  }
  MENUITEMINFOW separator{};
  separator.cbSize = sizeof separator;
  separator.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(preparation, 4, TRUE, &separator));
  EXPECT_NE(separator.fType & MFT_SEPARATOR, 0u);

  HMENU options = GetSubMenu(bar, 2);
  ASSERT_NE(options, nullptr);
  ASSERT_EQ(GetMenuItemCount(options), 3);
  const wchar_t* texts[] = {L"Перемешивать вопросы", L"Перемешивать варианты ответов",
                            L"Продолжать с места остановки"};
  const UINT ids[] = {500, 501, 502};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 256;
    ASSERT_TRUE(GetMenuItemInfoW(options, static_cast<UINT>(i), TRUE, &info));
    EXPECT_EQ(info.hSubMenu, nullptr);
    EXPECT_EQ(info.fType, static_cast<UINT>(MFT_STRING));
    EXPECT_STREQ(text, texts[i]);
    EXPECT_EQ(info.wID, ids[i]);
    // Every option off without a data folder: nothing ticked, everything enabled.
    EXPECT_EQ(info.fState & (MFS_CHECKED | MFS_DISABLED), 0u);
  }
}

TEST(StudyMenu, AnOptionChosenIsTickedSavedAndKeptAcrossARestart) {
  StudyFolder folder;
  HMENU bar = GetMenu(MainWindow());
  const std::wstring ini = folder.Path() + L"\\exameo.ini";

  MenuCommand(500);
  EXPECT_TRUE(MenuTicked(bar, 500));
  EXPECT_FALSE(MenuTicked(bar, 501));
  EXPECT_FALSE(MenuTicked(bar, 502));
  EXPECT_EQ(ReadAll(ini), "[options]\r\nshuffle_questions=1\r\nshuffle_answers=0\r\nresume=0\r\n");
  MenuCommand(502);
  EXPECT_TRUE(MenuTicked(bar, 500));
  EXPECT_TRUE(MenuTicked(bar, 502));
  EXPECT_EQ(ReadAll(ini), "[options]\r\nshuffle_questions=1\r\nshuffle_answers=0\r\nresume=1\r\n");

  // A restart: the options read again from the folder, a new menu bar built from them.
  OpenDataFolder(folder.Bytes().c_str(), true);
  HMENU keptDisciplines = DisciplinesMenu, keptPreparation = PreparationMenu;
  HMENU again = BuildMenuBar();
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(MenuTicked(again, 500));
  EXPECT_FALSE(MenuTicked(again, 501));
  EXPECT_TRUE(MenuTicked(again, 502));
  DestroyMenu(again);
  // The program's own bar again, for the tests that follow.
  session::P().menuBar = bar;
  DisciplinesMenu = keptDisciplines;
  PreparationMenu = keptPreparation;

  // Chosen again, the option goes off, on the bar and in the file.
  MenuCommand(500);
  EXPECT_FALSE(MenuTicked(bar, 500));
  EXPECT_TRUE(MenuTicked(bar, 502));
  EXPECT_EQ(ReadAll(ini), "[options]\r\nshuffle_questions=0\r\nshuffle_answers=0\r\nresume=1\r\n");
}

TEST(StudyMenu, OnlyTheMenuTogglesAnOptionNotAControlOrKeyWithTheSameLowWord) {
  StudyFolder folder;
  HMENU bar = GetMenu(MainWindow());
  // An answer check box of a huge topic: 1000 + 65036 = 66036 has the low word 500, and a
  // click on it sends WM_COMMAND with wParam 500 (BN_CLICKED is 0), lParam the check box.
  HWND box = CreateWindowExW(0, L"button", L"x", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10,
                             MainWindow(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(66036)),
                             GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(box, nullptr);
  SendMessageW(box, BM_CLICK, 0, 0);
  Pump();
  // The same identifier with the accelerator's high word 1.
  PostMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(501, 1), 0);
  Pump();
  DestroyWindow(box);
  EXPECT_FALSE(MenuTicked(bar, 500));
  EXPECT_FALSE(MenuTicked(bar, 501));
  EXPECT_FALSE(session::Current().shuffleQuestions);
  EXPECT_FALSE(session::Current().shuffleAnswers);
  EXPECT_FALSE(Exists(folder.Path() + L"\\exameo.ini"));
}

TEST(StudyMenu, AFolderThatCannotBeWrittenIsReportedOnceAndTheOptionsStillWork) {
  Scratch scratch;
  OpenDataFolder(scratch.Bytes().c_str(), false);
  std::vector<Box> boxes;
  {
    BoxAnswerer answerer(Reply::Yes);
    session::WarnUnwritable();
    MenuCommand(501);
    session::WarnUnwritable();
    boxes = answerer.Boxes();
  }
  EXPECT_TRUE(MenuTicked(GetMenu(MainWindow()), 501));
  EXPECT_TRUE(session::Current().shuffleAnswers);
  EXPECT_FALSE(Exists(scratch.Path() + L"\\exameo.ini"));
  OpenDataFolder("", false);
  EXPECT_FALSE(MenuTicked(GetMenu(MainWindow()), 501));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"Параметры");
  EXPECT_EQ(boxes[0].text.rfind(L"Не удаётся записать в папку данных программы.", 0), 0u)
      << boxes[0].text.size();
  EXPECT_EQ(boxes[0].owner, MainWindow());
  EXPECT_TRUE(boxes[0].icon);
  EXPECT_FALSE(boxes[0].yesNo);
}

// ---- The Yes/No box ----

TEST(StudyBoxes, YesNoBoxHasYesAsDefaultAndReportsTheChoice) {
  const char* text = "\xC4\xE0?";                    // "Да?" in Windows-1251
  const char* caption = "\xC2\xEE\xEF\xF0\xEE\xF1";  // "Вопрос"
  for (Reply reply : {Reply::Yes, Reply::No, Reply::Enter}) {
    SCOPED_TRACE(static_cast<int>(reply));
    bool chosen = false;
    std::vector<Box> boxes;
    {
      BoxAnswerer answerer(reply);
      chosen = ws::AskYesNo(MainWindow(), text, caption);
      boxes = answerer.Boxes();
    }
    EXPECT_EQ(chosen, reply != Reply::No);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Вопрос");
    EXPECT_EQ(boxes[0].text, L"Да?");
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_EQ(boxes[0].defaultId, static_cast<UINT>(IDYES));
    EXPECT_TRUE(boxes[0].icon);
    EXPECT_EQ(boxes[0].owner, MainWindow());
  }
}

// ---- Resuming a topic on a real load ----

TEST(StudyResume, ASolvedQuestionIsRememberedAndYesAsksOnlyTheRest) {
  StudyFolder folder;
  MenuCommand(502);  // resume on
  ASSERT_TRUE(session::Current().resume);
  const std::wstring progress = folder.Path() + L"\\progress";

  // First run: question 0 answered right, question 1 shown but not answered.
  StartTopic(kArithmetic, 0);
  ASSERT_EQ(TextOf(Answer(1000)), L"Четыре");
  TypeChar(MainWindow(), L'1');
  TypeChar(MainWindow(), L'\r');
  // Remembered at its grading, before the next OK.
  std::vector<std::wstring> kept = FilesIn(progress);
  ASSERT_EQ(kept.size(), 1u);
  std::string lines = ReadAll(progress + L"\\" + kept[0]);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
  TypeChar(MainWindow(), L' ');
  EXPECT_EQ(TextOf(Answer(1004)), L"Два");

  // A restart, then the same topic again: the box says 1 of 2; Yes asks only question 1.
  OpenDataFolder(folder.Bytes().c_str(), true);
  std::vector<Box> boxes;
  {
    BoxAnswerer answerer(Reply::Yes);
    StartTopic(kArithmetic, 0);
    boxes = answerer.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Продолжить с места остановки");
    EXPECT_EQ(boxes[0].text,
              L"В этой теме решено 1 из 2 вопросов.\nПродолжить с места остановки?\n\n"
              L"\"Нет\" - начать тему заново.");
    EXPECT_TRUE(boxes[0].yesNo);
    EXPECT_EQ(boxes[0].defaultId, static_cast<UINT>(IDYES));
    EXPECT_EQ(Answer(1000), nullptr);
    EXPECT_EQ(TextOf(Answer(1003)), L"Один");
    EXPECT_EQ(TextOf(Answer(1004)), L"Два");

    // Question 1 right: the round ends, and with it the quiz.
    TypeChar(MainWindow(), L'2');
    TypeChar(MainWindow(), L'\r');
    TypeChar(MainWindow(), L' ');
    boxes = answerer.Boxes();
  }
  std::wstring captions;
  for (const Box& box : boxes) captions += box.caption + L" | ";
  ASSERT_EQ(boxes.size(), 3u) << "boxes: " << testing::PrintToString(captions);
  EXPECT_EQ(boxes[1].caption, L"Statistics");
  EXPECT_EQ(boxes[2].caption, L"Game over");
  // "Game over" forgets the topic and adds its record: 2 questions, 1 asked in the first round,
  // 1 right, 100.0 %, 1 round, resumed.
  EXPECT_TRUE(FilesIn(progress).empty());
  std::vector<records::ResultRecord> records = session::ReadResults();
  ASSERT_EQ(records.size(), 1u);
  // "Сложение " as the description file gives it, up to the quote.
  EXPECT_STREQ(records[0].Topic, "\xD1\xEB\xEE\xE6\xE5\xED\xE8\xE5 ");
  EXPECT_EQ(records[0].Questions, 2);
  EXPECT_EQ(records[0].Asked, 1);
  EXPECT_EQ(records[0].Right, 1);
  EXPECT_EQ(records[0].PercentTenths, 1000);
  EXPECT_EQ(records[0].Rounds, 1);
  EXPECT_TRUE(records[0].Resumed);
}

TEST(StudyResume, NoStartsTheTopicAfreshAndForgetsIt) {
  StudyFolder folder;
  MenuCommand(502);
  StartTopic(kArithmetic, 0);
  TypeChar(MainWindow(), L'1');
  TypeChar(MainWindow(), L'\r');
  const std::wstring progress = folder.Path() + L"\\progress";
  ASSERT_EQ(FilesIn(progress).size(), 1u);

  std::vector<Box> boxes;
  {
    BoxAnswerer answerer(Reply::No);
    StartTopic(kArithmetic, 0);
    boxes = answerer.Boxes();
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].yesNo);
  EXPECT_EQ(TextOf(Answer(1000)), L"Четыре");
  EXPECT_TRUE(FilesIn(progress).empty());

  // Nothing remembered now: the next load asks nothing.
  {
    BoxAnswerer answerer(Reply::Yes);
    StartTopic(kArithmetic, 0);
    EXPECT_TRUE(answerer.Boxes().empty());
  }
  EXPECT_EQ(TextOf(Answer(1000)), L"Четыре");
}

// ---- The results window and its chart ----

std::uint32_t Rgb(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// Counts the pixels of a bar (either colour) in one column of a 32-bit top-down bitmap.
int BarPixels(const std::vector<std::uint32_t>& pixels, int width, int height, int x) {
  int count = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint32_t p = pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF;
    if (p == Rgb(kChartBarColour) || p == Rgb(kChartSelectedColour)) ++count;
  }
  return count;
}

// Counts the pixels of the selected attempt's bar in one column.
int SelectedPixels(const std::vector<std::uint32_t>& pixels, int width, int height, int x) {
  int count = 0;
  for (int y = 0; y < height; ++y)
    if ((pixels[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF) == Rgb(kChartSelectedColour))
      ++count;
  return count;
}

// In a 544 × 276 area the plot is 544 - 48 - 16 = 480 wide, 20 slots of 24 pixels with bars
// 16 wide from 4 pixels into the slot; and 276 - 40 - 36 = 200 high, so a bar is two pixels per
// percent. The middle of slot i is at x = 48 + 24 i + 12.
constexpr int kW = 544, kH = 276;
int SlotMiddle(int i) {
  return 48 + 24 * i + 12;
}

TEST(ResultsChart, BarsStandOnOneScaleInTheirSlots) {
  records::Chart chart;
  chart.Count = 20;
  const int tenths[20] = {1000, 500, 0,  333, 1500, -5, 995, 5,  250, 750,
                          10,   20,  30, 40,  50,   60, 70,  80, 90,  100};
  for (int i = 0; i < 20; ++i) chart.PercentTenths[i] = tenths[i];
  std::vector<std::uint32_t> pixels = Render(kW, kH, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, kW, kH}, OnScreen2.Dpi, chart, L"Алгебра");
  });
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kW * kH));
  // 100 % reaches the top line; 33.3 % is 66.6, rounded 67; beyond 100 % stays at the top,
  // below 0 shows nothing; 99.5 % is 199; 0.5 % is one pixel.
  const int expected[20] = {200, 100, 0, 67, 200, 0,  199, 1,  50, 150,
                            2,   4,   6, 8,  10,  12, 14,  16, 18, 20};
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(i)), expected[i]) << i;
  // The bar of slot 0 is 16 pixels wide: columns 52 to 67, none at 51 or 68; it stands on the
  // 0 % line at y = 240, so its lowest pixel is at 239; its top at 40.
  EXPECT_EQ(BarPixels(pixels, kW, kH, 51), 0);
  EXPECT_EQ(BarPixels(pixels, kW, kH, 52), 200);
  EXPECT_EQ(BarPixels(pixels, kW, kH, 67), 200);
  EXPECT_EQ(BarPixels(pixels, kW, kH, 68), 0);
  EXPECT_EQ(pixels[static_cast<std::size_t>(239 * kW + 60)] & 0xFFFFFF, 0x2F6FB7u);
  EXPECT_NE(pixels[static_cast<std::size_t>(240 * kW + 60)] & 0xFFFFFF, 0x2F6FB7u);
  EXPECT_EQ(pixels[static_cast<std::size_t>(40 * kW + 60)] & 0xFFFFFF, 0x2F6FB7u);
  EXPECT_NE(pixels[static_cast<std::size_t>(39 * kW + 60)] & 0xFFFFFF, 0x2F6FB7u);
}

TEST(ResultsChart, AtHalfAgainTheDpiTheMarginsAndSlotsAreHalfAgainAsLarge) {
  // 144 DPI in an area half again as large (816 × 414): the margins become 72, 24, 60 and 54, so
  // the plot is 720 × 300; 20 slots of 36 with bars 24 wide from 6 into the slot: the same
  // chart, half again as large.
  OnScreen2.Dpi = 144;
  records::Chart chart;
  chart.Count = 2;
  chart.PercentTenths[0] = 1000;
  chart.PercentTenths[1] = 500;
  const int w = 816, h = 414;
  std::vector<std::uint32_t> pixels = Render(w, h, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, w, h}, OnScreen2.Dpi, chart, L"Алгебра");
  });
  OnScreen2.Dpi = 96;
  ASSERT_EQ(pixels.size(), static_cast<std::size_t>(w * h));
  EXPECT_EQ(BarPixels(pixels, w, h, 72 + 18), 300);
  EXPECT_EQ(BarPixels(pixels, w, h, 72 + 36 + 18), 150);
  EXPECT_EQ(BarPixels(pixels, w, h, 77), 0);
  EXPECT_EQ(BarPixels(pixels, w, h, 78), 300);
  EXPECT_EQ(BarPixels(pixels, w, h, 101), 300);
  EXPECT_EQ(BarPixels(pixels, w, h, 102), 0);
  // On the 0 % line at y = 414 - 54 = 360, up to the top of the plot at 60.
  EXPECT_EQ(pixels[static_cast<std::size_t>(359 * w + 90)] & 0xFFFFFF, 0x2F6FB7u);
  EXPECT_NE(pixels[static_cast<std::size_t>(360 * w + 90)] & 0xFFFFFF, 0x2F6FB7u);
  EXPECT_EQ(pixels[static_cast<std::size_t>(60 * w + 90)] & 0xFFFFFF, 0x2F6FB7u);
  EXPECT_NE(pixels[static_cast<std::size_t>(59 * w + 90)] & 0xFFFFFF, 0x2F6FB7u);
}

TEST(ResultsChart, ExamsHaveTheirOwnColourAndALegend) {
  records::Chart chart;
  chart.Count = 3;
  chart.PercentTenths[0] = chart.PercentTenths[1] = chart.PercentTenths[2] = 500;
  chart.Exam[1] = true;
  auto colourAt = [](const std::vector<std::uint32_t>& pixels, int x, int y) {
    return pixels[static_cast<std::size_t>(y * kW + x)] & 0xFFFFFF;
  };
  auto count = [](const std::vector<std::uint32_t>& pixels, std::uint32_t colour, int rows) {
    int n = 0;
    for (int i = 0; i < rows * kW; ++i)
      n += (pixels[static_cast<std::size_t>(i)] & 0xFFFFFF) == colour;
    return n;
  };
  std::vector<std::uint32_t> pixels = Render(kW, kH, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, kW, kH}, OnScreen2.Dpi, chart, L"Алгебра");
  });
  const std::uint32_t exam = 0x7B3FA0;  // RGB(7B, 3F, A0) as a 32-bit DIB pixel reads
  EXPECT_EQ(colourAt(pixels, SlotMiddle(0), 230), 0x2F6FB7u);
  EXPECT_EQ(colourAt(pixels, SlotMiddle(1), 230), exam);
  EXPECT_EQ(colourAt(pixels, SlotMiddle(2), 230), 0x2F6FB7u);
  // The legend's two swatches (12 x 10 each) in the title row.
  EXPECT_EQ(count(pixels, exam, 30), 120);
  EXPECT_EQ(count(pixels, 0x2F6FB7u, 30), 120);
  // Without exams there is nothing to tell apart: no legend.
  chart.Exam[1] = false;
  pixels = Render(kW, kH, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, kW, kH}, OnScreen2.Dpi, chart, L"Алгебра");
  });
  EXPECT_EQ(count(pixels, 0x2F6FB7u, 30), 0);
}

TEST(ResultsChart, NoAttemptsOrNoRoomDrawNoBar) {
  records::Chart none;
  std::vector<std::uint32_t> empty = Render(kW, kH, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, kW, kH}, OnScreen2.Dpi, none, L"");
  });
  for (int x = 0; x < kW; ++x) ASSERT_EQ(BarPixels(empty, kW, kH, x), 0) << x;

  records::Chart full;
  full.Count = 25;  // more than the slots: only 20 are drawn, nothing outside the area
  for (int& t : full.PercentTenths) t = 1000;
  std::vector<std::uint32_t> tiny = Render(30, 20, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, 30, 20}, OnScreen2.Dpi, full, nullptr);
  });
  for (int x = 0; x < 30; ++x) EXPECT_EQ(BarPixels(tiny, 30, 20, x), 0) << x;
}

// results.csv as the program writes it: UTF-8 with a byte order mark, ';', CR LF, oldest first.
std::string Csv(std::initializer_list<const char*> records) {
  std::string text =
      "\xEF\xBB\xBF"
      "Дата;Дисциплина;Тема;Вопросов в теме;Задано в первом круге;Из них верно;Процент;Кругов;"
      "Длительность, с;Продолжено\r\n";
  for (const char* r : records) text += std::string(r) + "\r\n";
  return text;
}

std::wstring ItemText(HWND list, int item, int column) {
  wchar_t text[512] = {};
  LVITEMW get{};
  get.iSubItem = column;
  get.pszText = text;
  get.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&get));
  return text;
}

struct ClassSearch {
  const wchar_t* name;
  std::vector<HWND> found;
};

std::vector<HWND> WindowsOfClass(const wchar_t* name) {
  ClassSearch search{name, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM context) -> BOOL {
        auto* search = reinterpret_cast<ClassSearch*>(context);
        if (ClassOf(window) == search->name) search->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The chart control's pixels at 544 × 276, through WM_PRINTCLIENT.
std::vector<std::uint32_t> ChartPixels(HWND chart) {
  SetWindowPos(chart, nullptr, 0, 0, kW + 4, kH + 4, SWP_NOZORDER | SWP_NOMOVE);  // with edges
  RECT client{};
  GetClientRect(chart, &client);
  EXPECT_EQ(client.right, kW);
  EXPECT_EQ(client.bottom, kH);
  return Render(kW, kH, [&](HDC dc) {
    SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  });
}

TEST(ResultsWindow, ListsTheRecordsNewestFirstAndChartsTheSelectedTopic) {
  StudyFolder folder;
  WriteAll(folder.Path() + L"\\results.csv",
           Csv({"2026-12-01 10:00;Математика;Алгебра;10;10;5;50,0;2;300;нет",
                "2026-12-02 11:30;Физика;Механика;8;8;8;100,0;1;120;да",
                "2026-12-03 09:15;Математика;Алгебра;10;4;3;75,0;2;200;да"}));
  MenuCommand(503);
  HWND window = ResultsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ClassOf(window), L"ResultsWClass");
  EXPECT_EQ(TextOf(window), L"Результаты");
  EXPECT_EQ(GetWindow(window, GW_OWNER), MainWindow());
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsWindowEnabled(MainWindow()));  // modeless
  HWND list = GetDlgItem(window, kResultsListId);
  HWND chart = GetDlgItem(window, kResultsChartId);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(chart, nullptr);

  // Columns as in the file; rows newest first.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 13);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  // Ten-column lines: practice, without a partial credit or a grade.
  const wchar_t* rows[3][13] = {
      {L"2026-12-03 09:15", L"Математика", L"Алгебра", L"10", L"4", L"3", L"75,0", L"2", L"200",
       L"да", L"тренировка", L"", L""},
      {L"2026-12-02 11:30", L"Физика", L"Механика", L"8", L"8", L"8", L"100,0", L"1", L"120", L"да",
       L"тренировка", L"", L""},
      {L"2026-12-01 10:00", L"Математика", L"Алгебра", L"10", L"10", L"5", L"50,0", L"2", L"300",
       L"нет", L"тренировка", L"", L""},
  };
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 13; ++c) EXPECT_EQ(ItemText(list, r, c), rows[r][c]) << r << "," << c;

  // The newest record is selected: algebra's two attempts, oldest first, 50 % and 75 %.
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
  std::vector<std::uint32_t> pixels = ChartPixels(chart);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(0)), 100);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(1)), 150);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(2)), 0);
  // The selected attempt is the newest, in its own colour; the other in the plain one.
  EXPECT_EQ(SelectedPixels(pixels, kW, kH, SlotMiddle(1)), 150);
  EXPECT_EQ(SelectedPixels(pixels, kW, kH, SlotMiddle(0)), 0);

  // The oldest algebra record selected: the same two bars, the mark on the first.
  LVITEMW oldest{};
  oldest.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  oldest.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&oldest));
  pixels = ChartPixels(chart);
  EXPECT_EQ(SelectedPixels(pixels, kW, kH, SlotMiddle(0)), 100);
  EXPECT_EQ(SelectedPixels(pixels, kW, kH, SlotMiddle(1)), 0);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(1)), 150);

  // Selecting the physics record shows its one attempt at 100 %.
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
  pixels = ChartPixels(chart);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(0)), 200);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(1)), 0);

  // Resized, the list and the chart share the client area, one above the other.
  SetWindowPos(window, nullptr, 0, 0, 640, 480, SWP_NOZORDER | SWP_NOMOVE);
  RECT client{};
  GetClientRect(window, &client);
  RECT listAt = RectIn(list, window);
  RECT chartAt = RectIn(chart, window);
  EXPECT_EQ(listAt.left, 8);
  EXPECT_EQ(listAt.top, 8);
  EXPECT_EQ(listAt.right, client.right - 8);
  EXPECT_EQ(chartAt.top, listAt.bottom + 8);
  EXPECT_EQ(chartAt.right, client.right - 8);
  EXPECT_EQ(chartAt.bottom, client.bottom - 8);
  EXPECT_GT(chartAt.bottom - chartAt.top, 150);

  // A record added meanwhile: the menu item again brings the same window up with it, and the
  // chart shows the new newest record's topic though row 0 was selected already.
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
  std::string more = ReadAll(folder.Path() + L"\\results.csv") +
                     "2026-12-04 08:00;Физика;Механика;8;8;4;50,0;2;90;нет\r\n";
  WriteAll(folder.Path() + L"\\results.csv", more);
  MenuCommand(503);
  EXPECT_EQ(ResultsWindow(), window);
  EXPECT_EQ(WindowsOfClass(L"ResultsWClass").size(), 1u);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(ItemText(list, 0, 0), L"2026-12-04 08:00");
  // The newest selected, alone.
  EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
  EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 1);
  pixels = ChartPixels(chart);
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(0)), 200);  // mechanics: 100 %, then 50 %
  EXPECT_EQ(BarPixels(pixels, kW, kH, SlotMiddle(1)), 100);

  // Esc in the list closes it; the main window stays.
  SetFocus(list);
  PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(ResultsWindow(), nullptr);
  EXPECT_TRUE(IsWindow(MainWindow()));
}

// The chart as the screen shows it: its client area read from the window's device context,
// without asking it to paint.
std::vector<std::uint32_t> OnScreen(HWND window, int width, int height) {
  HDC screen = GetDC(window);
  std::vector<std::uint32_t> pixels = Render(
      width, height, [&](HDC dc) { BitBlt(dc, 0, 0, width, height, screen, 0, 0, SRCCOPY); });
  ReleaseDC(window, screen);
  for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

// Lets the paints a change of size queued reach the windows, as the program's loop would.
void Settle() {
  PumpUntil([] { return false; }, 100);
  int quiet = 0;
  PumpUntil([&] { return GetQueueStatus(QS_ALLINPUT) == 0 ? ++quiet >= 3 : (quiet = 0, false); },
            1000);
}

TEST(ResultsWindow, AResizeRedrawsTheWholeChartAtItsNewSize) {
  StudyFolder folder;
  WriteAll(folder.Path() + L"\\results.csv",
           Csv({"2026-12-01 10:00;Математика;Алгебра;10;10;5;50,0;2;300;нет",
                "2026-12-02 11:30;Математика;Алгебра;10;10;10;100,0;1;120;да",
                "2026-12-03 09:15;Математика;Алгебра;10;4;3;75,0;2;200;да"}));
  MenuCommand(503);
  HWND window = ResultsWindow();
  ASSERT_NE(window, nullptr);
  HWND chart = GetDlgItem(window, kResultsChartId);
  SetForegroundWindow(window);
  SetWindowPos(window, nullptr, 10, 10, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
  Settle();
  // Larger, smaller, larger again: each time every pixel of the chart on the screen is what a
  // fresh paint at the new size gives, the caption included.
  const SIZE sizes[] = {{1200, 960}, {640, 420}, {1000, 700}};
  for (SIZE size : sizes) {
    SCOPED_TRACE(size.cx);
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    Settle();
    RECT client{};
    GetClientRect(chart, &client);
    ASSERT_GT(client.right, 300);
    std::vector<std::uint32_t> shown = OnScreen(chart, client.right, client.bottom);
    std::vector<std::uint32_t> fresh = Render(client.right, client.bottom, [&](HDC dc) {
      SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
    for (std::uint32_t& p : fresh) p &= 0xFFFFFF;
    ASSERT_EQ(shown.size(), fresh.size());
    int differ = 0, first = -1;
    for (std::size_t i = 0; i < shown.size(); ++i)
      if (shown[i] != fresh[i]) {
        if (first < 0) first = static_cast<int>(i);
        ++differ;
      }
    EXPECT_EQ(differ, 0) << "first at x " << first % client.right << ", y " << first / client.right;
    // The caption is there: dark text pixels in the chart's top 22 rows.
    int dark = 0;
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < client.right; ++x)
        dark += (shown[static_cast<std::size_t>(y * client.right + x)] & 0xFF) < 0x80 ? 1 : 0;
    EXPECT_GT(dark, 20);
  }
}

// The list at the window's default size: all columns side by side within it, however long a
// text; a megabyte of title in one record is cut to the widest column.
TEST(ResultsWindow, AllColumnsFitTheListAtTheDefaultSize) {
  StudyFolder folder;
  std::string huge(1 << 20, 'W');
  std::string line = "2026-12-01 10:00;Математика;" + huge + ";10;10;5;50,0;2;300;нет";
  WriteAll(folder.Path() + L"\\results.csv",
           Csv({line.c_str(), "2026-12-02 11:30;Физика;Механика;8;8;8;100,0;1;120;да"}));
  MenuCommand(503);
  HWND window = ResultsWindow();
  ASSERT_NE(window, nullptr);
  HWND list = GetDlgItem(window, kResultsListId);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
  RECT client{};
  GetClientRect(list, &client);
  int total = 0;
  const int columns = static_cast<int>(SendMessageW(
      reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
  ASSERT_EQ(columns, 13);
  for (int c = 0; c < columns; ++c) {
    const int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0));
    EXPECT_GE(width, kMinColumnWidth) << c;
    EXPECT_LE(width, kMaxColumnWidth) << c;
    total += width;
  }
  EXPECT_LE(total, client.right);
  // The header's last item ("Оценка") ends inside the list.
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  RECT last{};
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, columns - 1, reinterpret_cast<LPARAM>(&last)));
  EXPECT_LE(last.right, client.right);
  // Titles of the numbers are whole at this size: each column at least its title's width.
  for (int c = 3; c < columns; ++c) {
    wchar_t title[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = title;
    item.cchTextMax = 64;
    SendMessageW(header, HDM_GETITEMW, c, reinterpret_cast<LPARAM>(&item));
    const int needed = static_cast<int>(
        SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title)));
    EXPECT_GE(SendMessageW(list, LVM_GETCOLUMNWIDTH, c, 0), needed + kColumnTitlePadding) << c;
  }
}

TEST(ResultsWindow, NoFileGivesAnEmptyListAndAnEmptyChart) {
  StudyFolder folder;
  MenuCommand(503);
  HWND window = ResultsWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(SendMessageW(GetDlgItem(window, kResultsListId), LVM_GETITEMCOUNT, 0, 0), 0);
  std::vector<std::uint32_t> pixels = ChartPixels(GetDlgItem(window, kResultsChartId));
  for (int x = 0; x < kW; ++x) ASSERT_EQ(BarPixels(pixels, kW, kH, x), 0) << x;
  // It says what to do to get a first attempt.
  std::vector<std::uint32_t> told = Render(kW, kH, [&](HDC dc) {
    PaintResultsChart(dc, RECT{0, 0, kW, kH}, OnScreen2.Dpi, records::Chart{}, L"", kNoAttemptsText);
  });
  EXPECT_TRUE(pixels == told);
  SendMessageW(window, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_EQ(ResultsWindow(), nullptr);
}

// ---- The data folder ----

// ---- The knowledge window ----

// The pixels of the knowledge chart's bar colour in its client area, through WM_PRINTCLIENT.
int KnowledgeBarPixels(HWND chart) {
  RECT client{};
  GetClientRect(chart, &client);
  std::vector<std::uint32_t> pixels = Render(client.right, client.bottom, [&](HDC dc) {
    SendMessageW(chart, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  });
  int count = 0;
  for (std::uint32_t p : pixels) count += (p & 0xFFFFFF) == Rgb(kChartBarColour) ? 1 : 0;
  return count;
}

TEST(KnowledgeWindow, OneRowPerTopicTheDaysChartTheFitAndItsKeysStayThere) {
  StudyFolder folder;
  MenuCommand(507);
  HWND window = KnowledgeWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ClassOf(window), L"KnowledgeWClass");
  EXPECT_EQ(TextOf(window), L"Знания по темам");
  EXPECT_EQ(GetWindow(window, GW_OWNER), MainWindow());
  EXPECT_TRUE(IsWindowEnabled(MainWindow()));  // modeless
  HWND list = GetDlgItem(window, kKnowledgeListId);
  HWND chart = GetDlgItem(window, kKnowledgeChartId);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(chart, nullptr);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 8);

  // A row per topic of every discipline of the catalogue, each discipline's own row (its
  // forecast) before its topics; nothing answered yet.
  session::ReviewOverview view = session::ReviewCounts();
  int disciplines = 0;
  for (std::size_t i = 0; i < view.bank.Topics.size(); ++i)
    disciplines += i == 0 || view.bank.Topics[i].Discipline != view.bank.Topics[i - 1].Discipline;
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0),
            static_cast<LRESULT>(view.bank.Topics.size()) + disciplines);
  // The first topic with questions a session can ask (cards without variants are none).
  std::size_t t = 0;
  std::vector<std::uint64_t> asked;
  for (; t < view.bank.Topics.size() && asked.empty(); ++t)
    for (std::size_t q = 0; q < view.bank.Topics[t].Keys.size(); ++q)
      if (view.bank.Topics[t].HasVariants(q)) asked.push_back(view.bank.Topics[t].Keys[q]);
  ASSERT_FALSE(asked.empty());
  --t;
  const review::BankTopic& topic = view.bank.Topics[t];
  // Its row: after the rows of the topics and disciplines before it, and its discipline's.
  int row = static_cast<int>(t) + 1;
  for (std::size_t i = 1; i <= t; ++i)
    row += view.bank.Topics[i].Discipline != view.bank.Topics[i - 1].Discipline;
  int disciplineRow = row - 1;
  while (ItemText(list, disciplineRow, 1) != L"Все темы") --disciplineRow;
  EXPECT_EQ(ItemText(list, disciplineRow, 0), cp1251::ToWide(topic.DisciplineTitle.c_str()));
  EXPECT_EQ(ItemText(list, disciplineRow, 7), L"нет данных");
  EXPECT_EQ(ItemText(list, row, 7), L"нет данных");
  EXPECT_EQ(ItemText(list, row, 0), cp1251::ToWide(topic.DisciplineTitle.c_str()));
  EXPECT_EQ(ItemText(list, row, 1), cp1251::ToWide(topic.Title.c_str()));
  EXPECT_EQ(ItemText(list, row, 2), std::to_wstring(asked.size()));
  EXPECT_EQ(ItemText(list, row, 3), L"0");
  EXPECT_EQ(KnowledgeBarPixels(chart), 0);

  // Its first question answered right ten days ago (due after two) and its second wrong today
  // (due tomorrow, known now): the same window shows them when chosen again.
  std::int64_t now = records::NowSeconds();
  std::string log =
      review::LogHeader() + review::LogLine(now - 10 * review::kDay, topic.File.c_str(),
                                            asked[0], 3, review::Mode::kTopic);
  if (asked.size() > 1 && asked[1] != asked[0])
    log += review::LogLine(now, topic.File.c_str(), asked[1], 1, review::Mode::kTopic);
  WriteAll(folder.Path() + L"\\reviews.csv", log);
  MenuCommand(507);
  EXPECT_EQ(KnowledgeWindow(), window);
  EXPECT_EQ(WindowsOfClass(L"KnowledgeWClass").size(), 1u);
  int answered = asked.size() > 1 && asked[1] != asked[0] ? 2 : 1;
  EXPECT_EQ(ItemText(list, row, 3), std::to_wstring(answered));
  EXPECT_EQ(ItemText(list, row, 4), std::to_wstring(answered - 1));  // the fresh one only
  EXPECT_EQ(ItemText(list, row, 5), L"1");
  EXPECT_EQ(ItemText(list, row, 6), std::to_wstring(answered));
  // Answered: the topic and its discipline have a forecast, a whole percent.
  for (int r : {row, disciplineRow}) {
    std::wstring percent = ItemText(list, r, 7);
    EXPECT_FALSE(percent.empty());
    EXPECT_EQ(percent.find_first_not_of(L"0123456789"), std::wstring::npos) << percent;
  }
  EXPECT_GT(KnowledgeBarPixels(chart), 0);

  // A key typed there stays there: no command reaches the main window.
  {
    MessageSpy spy(MainWindow(), true);
    SetFocus(list);
    TypeChar(list, L'1');
    Pump();
    EXPECT_TRUE(spy.Commands().empty());
    EXPECT_TRUE(spy.Chars().empty());
  }
  // The fit's row under the chart: with two answers its button is greyed, and says why.
  HWND fit = GetDlgItem(window, kFitButtonId);
  HWND progress = GetDlgItem(window, kFitProgressId);
  HWND cancel = GetDlgItem(window, kFitCancelId);
  HWND status = GetDlgItem(window, kFitStatusId);
  EXPECT_EQ(TextOf(fit), L"Подобрать параметры по моим ответам");
  EXPECT_FALSE(IsWindowEnabled(fit));
  EXPECT_EQ(TextOf(status), L"Ответов по расписанию для подбора: 0; подбор возможен от 400.");
  EXPECT_GE(RectIn(fit, window).top, RectIn(chart, window).bottom);

  // A student's months over the bank's questions: enabled, and driven by keys alone. While a
  // fit runs keys are posted and the queue emptied once (real input is waited for until the
  // queue is quiet, which a fit's news keeps from happening until its end).
  std::vector<std::pair<std::string, std::uint64_t>> questions;
  for (const review::BankTopic& b : view.bank.Topics)
    for (std::size_t q = 0; q < b.Keys.size() && questions.size() < 300; ++q)
      if (b.HasVariants(q)) questions.push_back({b.File, b.Keys[q]});
  testsupport::Studied studied = testsupport::Study(
      testsupport::FastForgetter(), static_cast<int>(questions.size()), 10, 90, 5);
  std::string months = review::LogHeader();
  for (const review::Entry& e : studied.entries) {
    const auto& [file, key] = questions[static_cast<std::size_t>(e.Key - 1)];
    months += review::LogLine(e.When + now - review::kDay - studied.end, file.c_str(), key,
                              e.Grade, review::Mode::kTopic);
  }
  WriteAll(folder.Path() + L"\\reviews.csv", months);
  MenuCommand(507);
  auto Key = [](WORD vk) {
    PostMessageW(GetFocus(), WM_KEYDOWN, vk, 1);
    PostMessageW(GetFocus(), WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001));
    Pump();
  };
  auto Ini = [&] { return ReadAll(folder.Path() + L"\\exameo.ini"); };
  const std::string iniBefore = Ini();
  ASSERT_TRUE(WaitForFocus(window, list));
  PressKey(VK_TAB);
  ASSERT_EQ(GetFocus(), fit);
  // Enter starts it (the keys go on with "Отмена"), Enter there cancels it: nothing changes.
  Key(VK_RETURN);
  EXPECT_FALSE(IsWindowEnabled(fit));
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_EQ(GetFocus(), cancel);
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(cancel); }, 60000));
  EXPECT_EQ(TextOf(status), L"Подбор отменён, параметры не изменились.");
  EXPECT_EQ(Ini(), iniBefore);
  // To its end: the losses, and parameters saved and used only when better.
  Key(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(cancel); }, 120000));
  std::wstring said = TextOf(status);
  EXPECT_EQ(said.rfind(L"Лог-потеря на отложенных ответах: была ", 0), 0u) << said;
  review::ParametersRead saved = review::ReadParameters(Ini());
  EXPECT_EQ(saved.fitted, said.find(L"сохранены") != std::wstring::npos) << said;
  EXPECT_EQ(session::P().params.w[0], saved.params.w[0]);

  // Esc while a fit runs closes the window, the fit cancelled and waited for, nothing written
  // after.
  const std::string iniAfter = Ini();
  ASSERT_TRUE(WaitForFocus(window, fit));
  Key(VK_RETURN);
  ASSERT_TRUE(IsWindowVisible(cancel));
  Key(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Ini(), iniAfter);

  // Esc in the list closes it; the main window stays.
  MenuCommand(507);
  window = KnowledgeWindow();
  PostMessageW(GetDlgItem(window, kKnowledgeListId), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(KnowledgeWindow(), nullptr);
  EXPECT_TRUE(IsWindow(MainWindow()));
}

TEST(DataFolderLookup, ProgramFolderWithAnIniElseTheApplicationDataFolder) {
  Scratch program;
  Scratch appData;
  // No exameo.ini beside the program: Exameo in the application data folder, made for it.
  DataFolder chosen = ChooseDataFolder(program.Path(), appData.Path() + L"\\");
  EXPECT_EQ(chosen.path, appData.Bytes() + "\\Exameo");
  EXPECT_TRUE(chosen.writable);
  EXPECT_NE(GetFileAttributesW((appData.Path() + L"\\Exameo").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            0u);

  // A folder called exameo.ini is no file.
  CreateDirectoryW((program.Path() + L"\\exameo.ini").c_str(), nullptr);
  EXPECT_EQ(ChooseDataFolder(program.Path(), appData.Path()).path, appData.Bytes() + "\\Exameo");
  RemoveDirectoryW((program.Path() + L"\\exameo.ini").c_str());

  // With one, the program's own folder, without a trailing backslash.
  WriteAll(program.Path() + L"\\exameo.ini", "[options]\r\n");
  chosen = ChooseDataFolder(program.Path() + L"\\", appData.Path());
  EXPECT_EQ(chosen.path, program.Bytes());
  EXPECT_TRUE(chosen.writable);

  // An application data folder in which Exameo cannot be made (it is a file): named, so that
  // what it holds would be read, but not writable.
  WriteAll(appData.Path() + L"\\file", "x");
  chosen = ChooseDataFolder(L"", appData.Path() + L"\\file");
  EXPECT_EQ(chosen.path, appData.Bytes() + "\\file\\Exameo");
  EXPECT_FALSE(chosen.writable);

  // Neither known: no folder.
  chosen = ChooseDataFolder(L"", L"");
  EXPECT_EQ(chosen.path, "");
  EXPECT_FALSE(chosen.writable);
}

TEST(DataFolderLookup, NamesOutsideWindows1251AreTakenByTheirShortNames) {
  Scratch scratch;
  // Cyrillic is spelled in Windows-1251 as it is.
  const std::wstring russian = scratch.Path() + L"\\Данные";
  ASSERT_TRUE(CreateDirectoryW(russian.c_str(), nullptr));
  DataFolder chosen = ChooseDataFolder(L"", russian);
  EXPECT_EQ(chosen.path, scratch.Bytes() + "\\\xC4\xE0\xED\xED\xFB\xE5\\Exameo");
  EXPECT_TRUE(chosen.writable);

  // Greek is not: the short name is used, and files written through it land in the folder.
  const std::wstring greek = scratch.Path() + L"\\Δεδομένα";
  ASSERT_TRUE(CreateDirectoryW(greek.c_str(), nullptr));
  chosen = ChooseDataFolder(L"", greek);
  ASSERT_FALSE(chosen.path.empty());
  EXPECT_EQ(chosen.path.find('?'), std::string::npos) << chosen.path;
  EXPECT_TRUE(chosen.writable);
  std::string file = chosen.path + "\\results.csv";
  EXPECT_TRUE(files::WriteWhole(file.c_str(), "abc", 3));
  EXPECT_EQ(ReadAll(greek + L"\\Exameo\\results.csv"), "abc");
}

}  // namespace
