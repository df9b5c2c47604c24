// The window system of the program: every operation of platform/window_system.h on the Win32
// API, one or two calls each.
//
// Texts arrive as Windows-1251 bytes, or as UTF-8 when they say so (a bank file with the byte
// order mark). They are converted to UTF-16 with the code page named explicitly and passed to
// the wide-character calls: the ...A calls would read them in the system's code page and show
// garbage wherever that is not 1251. An ill-formed UTF-8 sequence shows as one U+FFFD.
#include <windows.h>

#include <string>

#include "platform/win32/cp1251_win32.h"
#include "platform/window_system.h"

namespace {

// A text as UTF-16, for the length of one call.
class Wide {
 public:
  explicit Wide(ws::Text text) : text_(cp1251::TextToWide(text.bytes, text.utf8)) {}
  const wchar_t* c_str() const { return text_.c_str(); }
  int length() const { return static_cast<int>(text_.size()); }

 private:
  std::wstring text_;
};

// Buttons and menu items take "&" as the mark of a keyboard mnemonic: "AT&T" would show as
// "ATT" with the last T underlined, and "a && b" as "a & b". The texts come from the question
// banks and mean the character itself, so controls and menu items get each "&" doubled, and
// texts drawn by DrawTextW are drawn and measured with DT_NOPREFIX.
std::wstring LiteralAmpersands(const Wide& text) {
  std::wstring shown;
  for (const wchar_t* c = text.c_str(); *c != 0; ++c) {
    if (*c == L'&') shown += L'&';
    shown += *c;
  }
  return shown;
}

RECT ToRect(Rect r) {
  return RECT{r.left, r.top, r.right, r.bottom};
}

// A device context of a window, released when it goes out of scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The font of the board's texts and of the controls: the system font, which Windows sizes for
// the display's DPI, unless it comes narrower than its height calls for (a fixed width of 7
// for 16 pixels high at 96 DPI): Wine scales only its height, which squeezes every letter at
// 150 %. Then a copy with the width scaled along; null while the system font is right as it is
// (at 96 DPI always), so that nothing changes there.
HFONT TextFont() {
  static const HFONT font = [] {
    LOGFONTW system{};
    if (GetObjectW(GetStockObject(SYSTEM_FONT), sizeof system, &system) != sizeof system)
      return HFONT{};
    if (system.lfWidth <= 0 || system.lfHeight <= 0) return HFONT{};
    const int width = MulDiv(system.lfHeight, 7, 16);
    if (system.lfWidth >= width) return HFONT{};
    system.lfWidth = width;
    return CreateFontIndirectW(&system);
  }();
  return font;
}

// Selects the text font into a device context for as long as it lives, when there is one.
class TextFontIn {
 public:
  explicit TextFontIn(HDC dc) : dc_(dc) {
    if (dc_ != nullptr && TextFont() != nullptr) old_ = SelectObject(dc_, TextFont());
  }
  ~TextFontIn() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  TextFontIn(const TextFontIn&) = delete;
  TextFontIn& operator=(const TextFontIn&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

namespace ws {

// A null window is guarded wherever Win32 gives null a meaning of its own: GetDC(null) is the
// screen, InvalidateRect(null) all windows, PostMessage(null) the thread's queue.

int SystemDpi() {
  // The screen's, which for a DPI-aware program (res/exameo.manifest) is the display's own.
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  int value = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return value;
}

Rect ClientRect(HWND window) {
  RECT r{};
  if (window != nullptr) GetClientRect(window, &r);
  return Rect{r.left, r.top, r.right, r.bottom};
}

int AverageCharWidth(HWND window) {
  if (window == nullptr) return 0;
  WindowDc dc(window);
  TextFontIn font(dc.get());
  TEXTMETRICW metrics{};
  if (dc.get() == nullptr || !GetTextMetricsW(dc.get(), &metrics)) return 0;
  return metrics.tmAveCharWidth;
}

int MeasureWrappedHeight(HWND window, Text text, int width) {
  if (window == nullptr) return 0;
  WindowDc dc(window);
  if (dc.get() == nullptr) return 0;
  TextFontIn font(dc.get());
  Wide wide(text);
  RECT r{0, 0, width, 15};
  DrawTextW(dc.get(), wide.c_str(), wide.length(), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return r.bottom - r.top;
}

void DrawWrappedNow(HWND window, Text text, Rect rect) {
  if (window == nullptr) return;
  WindowDc dc(window);
  if (dc.get() == nullptr) return;
  SetBkMode(dc.get(), TRANSPARENT);
  DrawWrapped(dc.get(), text, rect);
}

void SetTransparent(HDC context) {
  if (context != nullptr) SetBkMode(context, TRANSPARENT);
}

void DrawWrapped(HDC context, Text text, Rect rect) {
  if (context == nullptr) return;
  TextFontIn font(context);
  Wide wide(text);
  RECT r = ToRect(rect);
  DrawTextW(context, wide.c_str(), wide.length(), &r, DT_WORDBREAK | DT_NOPREFIX);
}

void Invalidate(HWND window, Rect rect) {
  if (window == nullptr) return;
  RECT r = ToRect(rect);
  InvalidateRect(window, &r, TRUE);
}

void RepaintNow(HWND window) {
  if (window != nullptr) UpdateWindow(window);
}

HFONT CreateMarkFont(int weight, bool underline, bool strikeOut) {
  // As tall as the text it marks: the check boxes and the tasks are drawn in the system font,
  // which Windows sizes for the display's DPI (16 pixels high at 96 DPI, the height a font of
  // height 0 gets there too, so at 100 % the marks are what they always were).
  int height = 0;
  {
    WindowDc screen(nullptr);
    TEXTMETRICW metrics{};
    if (screen.get() != nullptr) {
      HGDIOBJ old = SelectObject(screen.get(), GetStockObject(SYSTEM_FONT));
      if (GetTextMetricsW(screen.get(), &metrics)) height = metrics.tmHeight;
      SelectObject(screen.get(), old);
    }
  }
  // DEFAULT_CHARSET: the OEM character set would select the OEM raster font, which has no
  // Cyrillic letters outside Russian systems.
  return CreateFontW(height, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE,
                     strikeOut ? TRUE : FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr);
}

HWND CreateButton(HWND parent, Text text, std::uint32_t style, int x, int y, int width,
                  int height, int id, HINSTANCE instance) {
  if (parent == nullptr) return nullptr;
  std::wstring shown = LiteralAmpersands(Wide(text));
  HWND control =
      CreateWindowExW(0, L"button", shown.c_str(), style, x, y, width, height, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (control != nullptr && TextFont() != nullptr)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(TextFont()), FALSE);
  return control;
}

HWND CreateChooserWindow(HINSTANCE instance, HWND owner, Text title, int x, int y, int width,
                         int height) {
  Wide wide(title);
  return CreateWindowExW(0, L"OwnedWClass", wide.c_str(), WS_OVERLAPPEDWINDOW, x, y, width, height,
                         owner, nullptr, instance, nullptr);
}

void ShowNow(HWND window) {
  if (window == nullptr) return;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
}

void Destroy(HWND window) {
  if (window != nullptr) DestroyWindow(window);
}

HWND FindChild(HWND parent, int id) {
  return parent == nullptr ? nullptr : GetDlgItem(parent, id);
}

HWND FirstChild(HWND parent) {
  return parent == nullptr ? nullptr : GetWindow(parent, GW_CHILD);
}

void Enable(HWND window, bool enabled) {
  if (window == nullptr) return;
  // A control disabled while it has the keyboard focus leaves no window with the focus, and then
  // Windows sends the keys to the active window as system keys, which the accelerator table of
  // plain characters need not match: after the second OK the answer keys, Enter and space could
  // stop working until a click. The parent takes the focus first.
  if (!enabled && GetFocus() == window) SetFocus(GetParent(window));
  EnableWindow(window, enabled ? TRUE : FALSE);
}

void Focus(HWND control) {
  if (control != nullptr) SetFocus(control);
}

void BringToTop(HWND window) {
  if (window != nullptr) BringWindowToTop(window);
}

void SetTitle(HWND window, Text text) {
  if (window == nullptr) return;
  Wide wide(text);
  SetWindowTextW(window, wide.c_str());
}

int ReadTick(HWND control) {
  if (control == nullptr) return 0;
  return static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
}

void SetTick(HWND control, int state) {
  if (control != nullptr) SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void SetMark(HWND control, HFONT font) {
  if (control != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// Boxes up now: their message loops dispatch the exam's timer, which waits for them.
int gOpenBoxes = 0;

int CountedBox(HWND owner, Text text, Text caption, unsigned style) {
  Wide wideText(text);
  Wide wideCaption(caption);
  ++gOpenBoxes;
  int answer = MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);
  --gOpenBoxes;
  return answer;
}

void ShowBox(HWND owner, Text text, Text caption, unsigned style) {
  CountedBox(owner, text, caption, style);
}

bool AskYesNo(HWND owner, Text text, Text caption) {
  return CountedBox(owner, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

bool AskNoDefault(HWND owner, Text text, Text caption) {
  return CountedBox(owner, text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

int OpenBoxes() {
  return gOpenBoxes;
}

// The exam's timer: a quarter of a second, so the title's seconds never lag behind the clock.
constexpr UINT_PTR kExamTimer = 1;

void SetTicking(HWND window, bool on) {
  if (window == nullptr) return;
  if (on)
    SetTimer(window, kExamTimer, 250, nullptr);
  else
    KillTimer(window, kExamTimer);
}

bool PostStart(HWND window) {
  return window != nullptr && PostMessageW(window, WM_USER, 0, 0) != 0;
}

void SetMenuItem(HMENU menu, unsigned id, Text text, bool enabled) {
  if (menu == nullptr) return;
  // The menu copies the text; the buffer needs to live only for the call.
  std::wstring shown = LiteralAmpersands(Wide(text));
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STRING;
  item.dwTypeData = shown.data();
  SetMenuItemInfoW(menu, id, FALSE, &item);
  EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

HMENU CreateMenuBar() {
  return CreateMenu();
}

HMENU CreatePopup() {
  return CreatePopupMenu();
}

bool AddMenuItem(HMENU menu, Text text, unsigned before, unsigned id, HMENU submenu) {
  if (menu == nullptr) return false;
  // The item goes before the item of this menu (not of one of its popups, which a search by
  // command would also look into) that carries `before`; at the end when there is none.
  int count = GetMenuItemCount(menu);
  if (count < 0) return false;
  UINT position = static_cast<UINT>(count);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW probe{};
    probe.cbSize = sizeof probe;
    probe.fMask = MIIM_ID;
    if (GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &probe) && probe.wID == before) {
      position = static_cast<UINT>(i);
      break;
    }
  }
  // The menu copies the text; the buffer needs to live only for the call.
  std::wstring shown = LiteralAmpersands(Wide(text));
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
  item.fType = MFT_STRING;
  item.fState = 0;
  item.wID = id;
  item.hSubMenu = submenu;
  item.dwTypeData = shown.data();
  item.cch = static_cast<UINT>(shown.size());
  return InsertMenuItemW(menu, position, TRUE, &item) != FALSE;
}

bool AddMenuSeparator(HMENU menu) {
  if (menu == nullptr) return false;
  return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != FALSE;
}

void ClearMenu(HMENU menu) {
  if (menu == nullptr) return;
  for (int n = GetMenuItemCount(menu); n > 0; --n) DeleteMenu(menu, 0, MF_BYPOSITION);
}

void SetMenuTick(HMENU menu, unsigned id, bool ticked) {
  // By command, which also finds the item inside the bar's popups.
  if (menu != nullptr) CheckMenuItem(menu, id, MF_BYCOMMAND | (ticked ? MF_CHECKED : MF_UNCHECKED));
}

}  // namespace ws
