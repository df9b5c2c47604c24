// The real program under Wine, for the Win32 tests.
//
// One start-up for the whole test program (a global environment): a temporary working
// directory with a Base\ database written in Windows-1251 with CR LF, then the program's own
// start-up (StartUp) and accelerator table. Tests drive it with real window messages and read
// back what the user gets: windows, controls, menus, fonts, titles and message boxes.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The test database's disciplines, by the name of their description file.
inline constexpr char kArithmetic[] = "Base\\1.txt";  // four topics
inline constexpr char kEmpty[] = "Base\\2.txt";       // no topic
inline constexpr char kSingle[] = "Base\\3.txt";      // one topic
inline constexpr char kMany[] = "Base\\4.txt";        // 128 topics; topic 0 fills the board

HWND MainWindow();
HACCEL Accelerators();
// How many tests of suites other than `suite` this process has started so far.
int TestsOutsideSuiteSoFar(const char* suite);
// Pumps messages for up to `milliseconds` until `done()` holds; returns whether it did. For
// what arrives from the display server (focus, activation) rather than from the program.
bool PumpUntil(const std::function<bool()>& done, int milliseconds);
// Pumps for up to `milliseconds` until `window` is shown, is the foreground window and has the
// keyboard focus on `focus` (on itself or any of its children when `focus` is null); returns
// whether it got there. The window manager activates a new window through the display server,
// later on a busy machine, and may hand the focus about meanwhile: a test checks the focus only
// once this has settled, and fails (never retries) when it does not within the bound.
bool WaitForFocus(HWND window, HWND focus = nullptr, int milliseconds = 5000);
// The catalogue index of a description file, or -1.
int DisciplineIndex(const char* path);
// Removes a folder with everything in it, as far as it can.
void RemoveTree(const std::wstring& dir);

// Takes and handles every queued message the way the program's loop does. Returns whether a
// quit message was taken.
bool Pump();
// Real key input: `vk` pressed and released through SendInput (with `modifier` held around it
// when not 0), then the loop runs until the input and what it gives rise to are handled.
void PressKey(WORD vk, WORD modifier = 0);
// A character typed into `window`: WM_CHAR posted to it, then the loop runs.
void TypeChar(HWND window, wchar_t c);
// A command sent as a menu item sends it (posted, then the loop runs).
void MenuCommand(unsigned id);
// Opens the chooser of a discipline through its menu command; returns the new chooser.
HWND OpenChooser(const char* descriptionPath);
// The live topic choosers, in no particular order.
std::vector<HWND> Choosers();
// Closes every chooser with its close box.
void CloseChoosers();

// Loads topic `topic` of a discipline through its chooser and lets the quiz start.
void StartTopic(const char* descriptionPath, int topic);
// A control of the main window by identifier (answer check boxes 1000 + ..., OK 300).
HWND Answer(int id);
bool Ticked(int id);
// How a graded answer is marked, read from the font it is drawn with.
enum class Mark { None, Right, Missed, Wrong };
Mark MarkOf(int id);

std::wstring TextOf(HWND window);
std::wstring ClassOf(HWND window);
LONG StyleOf(HWND window);
// A window's rectangle in the client coordinates of `reference`.
RECT RectIn(HWND window, HWND reference);
// The live child windows of `parent`, in Z order.
std::vector<HWND> Children(HWND parent);
// The logical font a control draws with (WM_GETFONT), or false when it has none set.
bool FontOf(HWND control, LOGFONTW* font);
// The height DrawText gives a text wrapped to `width` in the main window's default font.
int MeasuredHeight(const std::wstring& text, int width);

// What a message box showed, read while it was up.
struct SeenBox {
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  bool mainEnabled = false;           // the main window took input while the box was up
  bool icon = false;                  // a visible icon
  std::vector<std::wstring> buttons;  // texts of the visible buttons
};

// A window as the program asked for it, from its creation parameters.
struct CreatedWindow {
  HWND window = nullptr;
  std::wstring className;
  std::wstring text;
  LONG style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;  // parent of a child, owner of a top-level window
  INT_PTR id = 0;         // the menu field: a child's identifier
};

// While alive, a CBT hook of the test thread records every message box as it becomes active
// and closes it with its OK button, and records every window created. It can also refuse the
// creation of windows of one class, as the system does when it runs out of resources.
class WindowLog {
 public:
  WindowLog();
  ~WindowLog();
  WindowLog(const WindowLog&) = delete;
  WindowLog& operator=(const WindowLog&) = delete;

  const std::vector<SeenBox>& Boxes() const { return boxes_; }
  const std::vector<CreatedWindow>& Created() const { return created_; }
  std::vector<CreatedWindow> CreatedOfClass(const wchar_t* className) const;
  void Refuse(const wchar_t* className) { refused_ = className; }
  // Called with each box once it has been read, before it is closed: what the user does while
  // the box is up. Messages it posts are handled by the box's own loop before the box closes.
  void WhileBoxIsUp(std::function<void(HWND box)> action) { action_ = std::move(action); }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_ = nullptr;
  std::vector<SeenBox> boxes_;
  std::vector<CreatedWindow> created_;
  std::wstring refused_;
  std::function<void(HWND)> action_;
};

// While alive, replaces a window's procedure to record the messages it gets; by default they
// still reach the program's procedure, unless `swallowCommands` is set (then WM_COMMAND is
// recorded and goes no further).
class MessageSpy {
 public:
  MessageSpy(HWND window, bool swallowCommands);
  ~MessageSpy();
  MessageSpy(const MessageSpy&) = delete;
  MessageSpy& operator=(const MessageSpy&) = delete;

  // The first parameters of the WM_COMMAND messages received.
  const std::vector<WPARAM>& Commands() const { return commands_; }
  // The characters of the WM_CHAR messages received.
  const std::vector<WPARAM>& Chars() const { return chars_; }
  // For each WM_USER received: whether a chooser window existed at that moment.
  const std::vector<bool>& StartsWithChooser() const { return startsWithChooser_; }
  void Clear() {
    commands_.clear();
    chars_.clear();
    startsWithChooser_.clear();
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_;
  WNDPROC original_;
  bool swallow_;
  std::vector<WPARAM> commands_;
  std::vector<WPARAM> chars_;
  std::vector<bool> startsWithChooser_;
};

// Draws with `paint(dc)` into a 32-bit bitmap of the given size (black until painted) and returns
// its pixels, top row first (0x00RRGGBB).
template <class Paint>
inline std::vector<std::uint32_t> Render(int width, int height, Paint paint) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  EXPECT_NE(bitmap, nullptr);
  std::vector<std::uint32_t> pixels;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    paint(dc);
    GdiFlush();
    const auto* p = static_cast<const std::uint32_t*>(bits);
    pixels.assign(p, p + width * height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
  }
  DeleteDC(dc);
  return pixels;
}
