// The in-memory window system of the tests.
//
// A faithful model of what the program relies on of Win32: a window tree with identifiers,
// styles, texts, rectangles, ticks, fonts and enabled state; lookups that behave like
// GetDlgItem (first match, none after destroy, every call on none a no-op); a deterministic text
// measurer; invalid regions with a synchronous repaint that calls the paint handler only when
// something is invalid; modal boxes recorded with a hook to act while one is up; a queue of
// posted messages; and user actions that reach the program's window procedures the way
// Windows delivers them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/window_system.h"

enum class FakeKind { Main, Chooser, Control };

// A fake window. Handles are never freed, so a test can still look at a destroyed window;
// `alive` tells whether it exists. fake::Reset marks every window of the test dead.
struct HWND__ {
  FakeKind kind = FakeKind::Control;
  HWND__* parent = nullptr;       // parent of a control, owner of a chooser
  std::vector<HWND__*> children;  // live children, in creation order
  int id = 0;
  std::string className;  // "button", "MainWClass", "OwnedWClass"
  std::string text;       // its bytes: Windows-1251, or UTF-8 when `utf8`
  bool utf8 = false;
  std::uint32_t style = 0;
  Rect rect;             // client coordinates of the parent; screen ones for top-level windows
  int tick = 0;          // BM_GETCHECK
  HFONT font = nullptr;  // null: the default font
  bool enabled = true;
  bool alive = true;
  HMENU menu = nullptr;          // the main window's menu bar
  std::vector<Rect> invalid;     // marked for repainting since the last repaint
  std::vector<Rect> invalidLog;  // every rectangle the program invalidated (not uncovered ones)
  int broughtToTop = 0;          // how often BringToTop was called on it
};

// A fake device context: the window it belongs to and its background mode.
struct HDC__ {
  HWND__* window = nullptr;
  bool transparent = false;
  bool paint = false;  // handed to the paint handler
};

// A fake font: what CreateMarkFont was asked for.
struct HFONT__ {
  int weight = 400;
  bool underline = false;
  bool strikeOut = false;
};

struct FakeMenuItem {
  std::string text;  // Windows-1251, or UTF-8 when `utf8`
  unsigned id = 0;
  HMENU submenu = nullptr;
  bool ticked = false;
  bool separator = false;
  bool enabled = true;
  bool utf8 = false;
};
struct HMENU__ {
  bool popup = false;
  std::vector<FakeMenuItem> items;
};

namespace fake {

// The measurer: every character is 8 pixels wide, a line is 16 pixels high; text breaks at
// spaces as DT_WORDBREAK does (a word longer than the width is never broken), and at CR, LF
// and CR LF.
inline constexpr int kCharWidth = 8;
inline constexpr int kLineHeight = 16;

struct Box {
  HWND owner;
  std::string text;     // Windows-1251, or UTF-8 when textUtf8
  std::string caption;  // Windows-1251, or UTF-8 when captionUtf8
  unsigned style;
  bool textUtf8 = false;
  bool captionUtf8 = false;
};
struct DrawCall {
  std::string text;
  Rect rect;
  bool transparent;
  bool duringPaint;  // drawn by the paint handler (WM_PaintTask), not by DrawWrappedNow
  bool utf8 = false;  // `text` is UTF-8
};

// The characters a text shows, as UTF-8: Windows-1251 bytes decoded, or UTF-8 with each
// ill-formed sequence as U+FFFD, as the Win32 layer shows them.
std::string Shown(const std::string& bytes, bool utf8);

// Forgets every window, menu, font, box, post and log. Tests call it first.
void Reset();
// Creates the main window with the given client size (its procedure is the program's main
// window routing) and returns it. It does not touch OnScreen2.
HWND CreateMainWindow(int clientWidth, int clientHeight);
HWND MainWindow();
// The control ws::Focus was last given, while it lives; null otherwise.
HWND Focused();

// The system DPI SystemDpi reports: 96 until set, and again after Reset. The measurer keeps
// its 8 by 16 pixels whatever it is, so that the lengths the program scales stand apart.
void SetDpi(int dpi);

// What the user saw. Yes/No boxes are recorded here too, with their style.
const std::vector<Box>& Boxes();
// The answer the next Yes/No boxes get (after the box hook ran); Yes, the default button,
// until set. Reset sets it back to Yes.
void SetYesNoAnswer(bool yes);
// How often the program asked to open the results window, and its owner at the last call.
int ResultsWindowOpens();
HWND ResultsWindowOwner();
// How often the knowledge window was opened, and the owner it was given last.
int KnowledgeWindowOpens();
HWND KnowledgeWindowOwner();
// What it was handed to call, last.
const ws::KnowledgeCalls& KnowledgeWindowCalls();
// The exam's timer runs (ws::SetTicking), and how often the exam's report was opened.
bool Ticking();
int ExamReportOpens();
int ExamDialogOpens();  // how often the dialog "Экзамен" was asked for
// The Open dialog of adding questions: what the next ones answer (not chosen, until set and
// after Reset: as Cancel), how often it was asked and by which owner last.
void SetOpenFilesAnswer(bool chosen, std::vector<std::string> paths, int filter);
int OpenFilesAsks();
HWND OpenFilesOwner();
// How often the report "Добавление вопросов" was opened, and its owner at the last call.
int AddReportOpens();
HWND AddReportOwner();
// Called while a box is up, before it closes (to act during a modal box).
void SetBoxHook(std::function<void(const Box&)> hook);
const std::vector<DrawCall>& DrawLog();
void ClearDrawLog();
int PaintCount();  // how often the paint handler ran
bool HasInvalid(HWND window);
// Marked for repainting since the last repaint, clipped to the client area.
const std::vector<Rect>& Invalidated(HWND window);

// The posted-message queue: PostStart appends; Pump delivers everything queued (WM_USER to
// the main window's routing) and returns how many messages it delivered.
std::size_t PendingPosts();
std::size_t Pump();
// The next PostStart fails (returns false and queues nothing), as PostMessage does when the
// queue is full. Reset clears it.
void FailNextPost();

// User actions.
// A click on a control: an automatic check box toggles itself, an automatic radio button
// selects itself and clears the other radio buttons of its parent, then WM_COMMAND with the
// control's identifier (high word 0) goes to the parent's procedure. A disabled or destroyed
// control takes no click (returns false).
bool Click(HWND control);
// A typed character, translated through the program's accelerator table as the message loop
// does: a match sends WM_COMMAND (command | 1 << 16) to the main window and returns true.
bool TypeChar(char c);
// Sends WM_COMMAND with the given first parameter to the main window, as a menu item does.
long Command(unsigned wParam);
// Opens popup `popup` of the main window's menu: WM_INITMENUPOPUP reaches the program first.
void OpenMenu(HMENU popup);
// The item `id` of `menu` (submenus searched), or null.
const FakeMenuItem* FindMenuItem(HMENU menu, unsigned id);
// Opens the popup of the menu bar `bar` holding item `id` and chooses the item: false, and no
// command, when there is no such item or it is greyed.
bool ChooseMenuItem(HMENU bar, unsigned id);
// Closes a top-level window with its close box (destroys it and its children); the main
// window asks MainMayClose first, as WM_CLOSE does.
void Close(HWND window);

// Queries.
std::vector<HWND> LiveChildren(HWND parent);
std::vector<HWND> LiveChoosers();
int LiveWindowCount();
HFONT DefaultFont();  // what a control reports before any SetMark

// Additions: what else the tests look at.
const std::vector<HFONT>& Fonts();  // every font CreateMarkFont made, in order
bool QuitPosted();                  // the main window was destroyed (its WM_DESTROY ran)
int BoxDepth();                     // modal boxes up right now (non-zero inside the box hook)
// Every rectangle the program invalidated in the window since Reset or the last clear,
// whether repainted since or not; areas uncovered by destroyed controls are not in it.
const std::vector<Rect>& InvalidationLog(HWND window);
void ClearInvalidationLog(HWND window);
// Called with the target window and the first parameter just before a WM_COMMAND from Click,
// TypeChar or Command reaches the program's procedure (to see what arrived, and when).
void SetCommandHook(std::function<void(HWND target, unsigned wParam)> hook);
// The lines the measurer breaks `text` into at `width` pixels (what MeasureWrappedHeight counts).
// A UTF-8 text is measured by its characters: each stands for one byte in the lines.
std::vector<std::string> WrapLines(const char* text, int width, bool utf8 = false);

}  // namespace fake
