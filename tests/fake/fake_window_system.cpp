// The in-memory window system: the ws:: seam for the tests, and the fake:: controls and queries.
#include "fake/fake_window_system.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "board/screen.h"
#include "platform/window_system.h"
#include "common/commands.h"
#include "shell/routing.h"

namespace {

// Everything the fake holds. Windows, fonts and menus are kept until Reset so that a test may
// still look at a destroyed window through its handle.
struct FakeState {
  std::vector<std::unique_ptr<HWND__>> windows;
  std::vector<std::unique_ptr<HFONT__>> fontStore;
  std::vector<HFONT> fonts;
  std::vector<std::unique_ptr<HMENU__>> menus;
  HWND main = nullptr;
  std::vector<fake::Box> boxes;
  std::function<void(const fake::Box&)> boxHook;
  std::function<void(HWND, unsigned)> commandHook;
  int boxDepth = 0;
  bool yesNoAnswer = true;
  int resultsOpens = 0;
  int knowledgeOpens = 0;
  HWND knowledgeOwner = nullptr;
  ws::KnowledgeCalls knowledgeCalls;
  int reportOpens = 0;
  int dialogOpens = 0;
  bool ticking = false;
  HWND resultsOwner = nullptr;
  std::vector<fake::DrawCall> drawLog;
  int paintCount = 0;
  std::vector<HWND> posts;
  bool failNextPost = false;
  bool quitPosted = false;
  HWND focus = nullptr;
  int dpi = 96;
  // Adding questions: the Open dialog's scripted answer, and what was asked and shown.
  bool openFilesChosen = false;
  std::vector<std::string> openFiles;
  int openFilter = 1;
  int openFilesAsks = 0;
  HWND openFilesOwner = nullptr;
  int addReportOpens = 0;
  HWND addReportOwner = nullptr;
};

FakeState& State() {
  static FakeState state;
  return state;
}

bool Alive(HWND window) {
  return window != nullptr && window->alive;
}

// The control style's button type, as the button class reads it.
constexpr std::uint32_t kButtonTypeMask = 0xF;

HWND NewWindow(FakeKind kind, HWND parent, const char* className, ws::Text text,
               std::uint32_t style, Rect rect, int id) {
  auto window = std::make_unique<HWND__>();
  window->kind = kind;
  window->parent = parent;
  window->className = className;
  window->text = text.bytes != nullptr ? text.bytes : "";
  window->utf8 = text.utf8;
  window->style = style;
  window->rect = rect;
  window->id = id;
  HWND handle = window.get();
  State().windows.push_back(std::move(window));
  return handle;
}

// A window takes input only when it and every window above it are enabled (a modal box
// disables its owner).
bool TakesInput(HWND window) {
  for (HWND w = window; w != nullptr; w = w->kind == FakeKind::Control ? w->parent : nullptr) {
    if (!Alive(w) || !w->enabled) return false;
  }
  return true;
}

// Adds to the window's update region what of `rect` lies in its client area: as on Windows,
// an empty rectangle or one outside the client area leaves nothing to repaint.
void MarkInvalid(HWND window, Rect rect) {
  Rect clip{std::max(rect.left, 0), std::max(rect.top, 0),
            std::min(rect.right, window->rect.right - window->rect.left),
            std::min(rect.bottom, window->rect.bottom - window->rect.top)};
  if (clip.left < clip.right && clip.top < clip.bottom) window->invalid.push_back(clip);
}

// The window procedure's WM_DESTROY.
void SendDestroy(HWND window) {
  if (window->kind == FakeKind::Chooser) {
    ChooserDestroyed();
  } else if (window->kind == FakeKind::Main) {
    State().quitPosted = true;
  }
}

void DestroyTree(HWND window) {
  if (!Alive(window)) return;
  // Owned windows go first, then the window gets WM_DESTROY, then its children. Only top-level
  // windows own others; skipping the scan for controls keeps a destroy from growing with every
  // window a long run has created.
  for (auto& other : State().windows) {
    if (window->kind == FakeKind::Control) break;
    if (other->kind == FakeKind::Chooser && other->parent == window && other->alive) {
      DestroyTree(other.get());
    }
  }
  if (!Alive(window)) return;  // an owned window's WM_DESTROY may have destroyed it
  SendDestroy(window);
  if (!Alive(window)) return;
  std::vector<HWND> children = window->children;
  for (HWND child : children) DestroyTree(child);
  window->alive = false;
  window->children.clear();
  window->invalid.clear();
  if (window->kind == FakeKind::Control) {
    HWND parent = window->parent;
    if (Alive(parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
      // The parent repaints what the control covered.
      if ((window->style & ws::kStyleVisible) != 0) MarkInvalid(parent, window->rect);
    }
  }
  if (window == State().main) {
    // The posted messages of a destroyed window are dropped.
    auto& posts = State().posts;
    posts.erase(std::remove(posts.begin(), posts.end(), window), posts.end());
  }
}

// A paragraph (text without line breaks) broken into lines of at most `maxChars` characters the
// way DrawText's DT_WORDBREAK does it (measured under Wine with a fixed-pitch font):
// - what is left of the paragraph stays on one line when it fits, spaces included;
// - else, when the first character past the line is a space, the line ends there and that one
//   space is dropped;
// - else the line ends after the last space that fits (the space stays on it);
// - a word that does not fit on a line by itself is never broken: it takes the line whole,
//   and the one space after it is dropped.
// Only one space is dropped at a break; further spaces open the next line.
void WrapParagraph(std::string_view paragraph, std::size_t maxChars,
                   std::vector<std::string>& lines) {
  std::size_t pos = 0;
  do {
    std::string_view rest = paragraph.substr(pos);
    if (rest.size() <= maxChars) {
      lines.emplace_back(rest);
      return;
    }
    std::size_t fit = maxChars;
    if (fit > 0 && rest[fit] == ' ') {
      lines.emplace_back(rest.substr(0, fit));
      pos += fit + 1;
      continue;
    }
    std::size_t space = fit > 0 ? rest.find_last_of(' ', fit - 1) : std::string_view::npos;
    if (space != std::string_view::npos) {
      lines.emplace_back(rest.substr(0, space + 1));
      pos += space + 1;
      continue;
    }
    // A single word wider than the line.
    std::size_t end = std::min(rest.find(' '), rest.size());
    lines.emplace_back(rest.substr(0, end));
    pos += std::min(end + 1, rest.size());
  } while (pos < paragraph.size());
}

}  // namespace

// ---------------------------------------------------------------------------------------------
namespace ws {

int SystemDpi() {
  return State().dpi;
}

Rect ClientRect(HWND window) {
  if (!Alive(window)) return {};
  return {0, 0, window->rect.right - window->rect.left, window->rect.bottom - window->rect.top};
}

int AverageCharWidth(HWND window) {
  return Alive(window) ? fake::kCharWidth : 0;
}

int MeasureWrappedHeight(HWND window, Text text, int width) {
  if (!Alive(window)) return 0;
  return static_cast<int>(fake::WrapLines(text.bytes, width, text.utf8).size()) *
         fake::kLineHeight;
}

void DrawWrappedNow(HWND window, Text text, Rect rect) {
  if (!Alive(window)) return;
  State().drawLog.push_back({text.bytes != nullptr ? text.bytes : "", rect, true, false, text.utf8});
}

void SetTransparent(HDC context) {
  if (context != nullptr) context->transparent = true;
}

void DrawWrapped(HDC context, Text text, Rect rect) {
  if (context == nullptr || !Alive(context->window)) return;
  State().drawLog.push_back({text.bytes != nullptr ? text.bytes : "", rect, context->transparent,
                             context->paint, text.utf8});
}

void Invalidate(HWND window, Rect rect) {
  if (!Alive(window)) return;
  MarkInvalid(window, rect);
  window->invalidLog.push_back(rect);
}

void RepaintNow(HWND window) {
  if (!Alive(window) || window->invalid.empty()) return;
  // BeginPaint validates first: what the handler invalidates again stays for the next repaint.
  window->invalid.clear();
  if (window->kind != FakeKind::Main) return;  // choosers paint nothing of their own
  HDC__ context;
  context.window = window;
  context.paint = true;
  ++State().paintCount;
  WM_PaintTask(&context);
}

HFONT CreateMarkFont(int weight, bool underline, bool strikeOut) {
  auto font = std::make_unique<HFONT__>();
  font->weight = weight;
  font->underline = underline;
  font->strikeOut = strikeOut;
  HFONT handle = font.get();
  State().fontStore.push_back(std::move(font));
  State().fonts.push_back(handle);
  return handle;
}

HWND CreateButton(HWND parent, Text text, std::uint32_t style, int x, int y, int width,
                  int height, int id, HINSTANCE) {
  if (!Alive(parent)) return nullptr;  // a child needs a parent
  HWND control = NewWindow(FakeKind::Control, parent, "button", text, style,
                           {x, y, x + width, y + height}, id);
  parent->children.push_back(control);
  return control;
}

HWND CreateChooserWindow(HINSTANCE, HWND owner, Text title, int x, int y, int width,
                         int height) {
  if (owner != nullptr && !owner->alive) return nullptr;
  return NewWindow(FakeKind::Chooser, owner, "OwnedWClass", title, 0, {x, y, x + width, y + height},
                   0);
}

void ShowNow(HWND window) {
  if (!Alive(window)) return;
  window->style |= kStyleVisible;
  RepaintNow(window);
}

void Destroy(HWND window) {
  DestroyTree(window);
}

HWND FindChild(HWND parent, int id) {
  if (!Alive(parent)) return nullptr;
  for (HWND child : parent->children) {
    if (child->alive && child->id == id) return child;
  }
  return nullptr;
}

HWND FirstChild(HWND parent) {
  if (!Alive(parent)) return nullptr;
  for (HWND child : parent->children) {
    if (child->alive) return child;
  }
  return nullptr;
}

void Enable(HWND window, bool enabled) {
  if (Alive(window)) window->enabled = enabled;
}

void Focus(HWND control) {
  if (Alive(control)) State().focus = control;
}

void BringToTop(HWND window) {
  if (Alive(window)) ++window->broughtToTop;
}

void SetTitle(HWND window, Text text) {
  if (!Alive(window)) return;
  window->text = text.bytes != nullptr ? text.bytes : "";
  window->utf8 = text.utf8;
}

int ReadTick(HWND control) {
  return Alive(control) ? control->tick : 0;
}

void SetTick(HWND control, int state) {
  if (!Alive(control)) return;
  // As BM_SETCHECK: a push button has no tick, and a two-state box or radio button takes any
  // state above 1 as ticked (only three-state boxes, which the program never makes, read 2).
  switch (control->style & kButtonTypeMask) {
    case 0x0:  // BS_PUSHBUTTON
    case 0x1:  // BS_DEFPUSHBUTTON
      return;
    default:
      control->tick = state > 1 ? 1 : state;
  }
}

void SetMark(HWND control, HFONT font) {
  if (Alive(control)) control->font = font;
}

void ShowBox(HWND owner, Text text, Text caption, unsigned style) {
  FakeState& state = State();
  fake::Box box{Alive(owner) ? owner : nullptr, text.bytes != nullptr ? text.bytes : "",
                caption.bytes != nullptr ? caption.bytes : "", style, text.utf8, caption.utf8};
  state.boxes.push_back(box);
  // A modal box disables its owner while it is up.
  bool reenable = Alive(owner) && owner->enabled;
  if (reenable) owner->enabled = false;
  ++state.boxDepth;
  if (state.boxHook) state.boxHook(box);
  --state.boxDepth;
  if (reenable && Alive(owner)) owner->enabled = true;
}

bool AskYesNo(HWND owner, Text text, Text caption) {
  ShowBox(owner, text, caption, kBoxYesNo | kBoxQuestion);
  return State().yesNoAnswer;
}

bool AskNoDefault(HWND owner, Text text, Text caption) {
  ShowBox(owner, text, caption, kBoxYesNo | kBoxQuestion | kBoxSecondDefault);
  return State().yesNoAnswer;
}

int OpenBoxes() {
  return State().boxDepth;
}

void SetTicking(HWND window, bool on) {
  if (Alive(window)) State().ticking = on;
}

void OpenExamDialog(HINSTANCE, HWND, const ExamDialogCalls&) {
  ++State().dialogOpens;
}

bool AskOpenFiles(HWND owner, const std::string&, std::vector<std::string>* paths, int* filter) {
  FakeState& state = State();
  ++state.openFilesAsks;
  state.openFilesOwner = owner;
  if (!state.openFilesChosen) return false;
  *paths = state.openFiles;
  *filter = state.openFilter;
  return true;
}

void OpenAddReport(HINSTANCE, HWND owner, const AddReportView&) {
  ++State().addReportOpens;
  State().addReportOwner = owner;
}

void ClearMenu(HMENU menu) {
  if (menu != nullptr) menu->items.clear();
}

void OpenExamReport(HINSTANCE, HWND owner, const ExamReportView&) {
  ++State().reportOpens;
  State().resultsOwner = owner;
}

bool PostStart(HWND window) {
  FakeState& state = State();
  if (state.failNextPost) {
    state.failNextPost = false;
    return false;
  }
  if (!Alive(window)) return false;
  state.posts.push_back(window);
  return true;
}

HMENU CreateMenuBar() {
  State().menus.push_back(std::make_unique<HMENU__>());
  return State().menus.back().get();
}

HMENU CreatePopup() {
  HMENU menu = CreateMenuBar();
  menu->popup = true;
  return menu;
}

bool AddMenuItem(HMENU menu, Text text, unsigned before, unsigned id, HMENU submenu) {
  if (menu == nullptr) return false;
  FakeMenuItem item{text.bytes != nullptr ? text.bytes : "", id, submenu};
  item.utf8 = text.utf8;
  auto& items = menu->items;
  auto at = std::find_if(items.begin(), items.end(),
                         [before](const FakeMenuItem& other) { return other.id == before; });
  items.insert(at, std::move(item));
  return true;
}

bool AddMenuSeparator(HMENU menu) {
  if (menu == nullptr) return false;
  FakeMenuItem item;
  item.separator = true;
  menu->items.push_back(std::move(item));
  return true;
}

void SetMenuItem(HMENU menu, unsigned id, Text text, bool enabled) {
  if (menu == nullptr) return;
  // As SetMenuItemInfoW and EnableMenuItem by command: the first item with the identifier.
  for (FakeMenuItem& item : menu->items) {
    if (item.separator) continue;
    if (item.submenu == nullptr && item.id == id) {
      item.text = text.bytes != nullptr ? text.bytes : "";
      item.utf8 = text.utf8;
      item.enabled = enabled;
      return;
    }
    if (item.submenu != nullptr) SetMenuItem(item.submenu, id, text, enabled);
  }
}

void SetMenuTick(HMENU menu, unsigned id, bool ticked) {
  if (menu == nullptr) return;
  // As CheckMenuItem with MF_BYCOMMAND: the first item with the identifier, submenus searched.
  for (FakeMenuItem& item : menu->items) {
    if (item.separator) continue;
    if (item.submenu == nullptr && item.id == id) {
      item.ticked = ticked;
      return;
    }
    if (item.submenu != nullptr) SetMenuTick(item.submenu, id, ticked);
  }
}

void OpenKnowledgeWindow(HINSTANCE, HWND owner, int, const KnowledgeCalls& calls) {
  ++State().knowledgeOpens;
  State().knowledgeOwner = owner;
  State().knowledgeCalls = calls;
}

void OpenResultsWindow(HINSTANCE, HWND owner, int, std::vector<records::ResultRecord> (*)()) {
  ++State().resultsOpens;
  State().resultsOwner = owner;
}

}  // namespace ws

// ---------------------------------------------------------------------------------------------
namespace fake {

void Reset() {
  FakeState& state = State();
  // The windows of earlier tests are kept, dead, for good: a handle that a global object still
  // holds then reads as destroyed instead of pointing at freed memory.
  static std::vector<std::unique_ptr<HWND__>> graveyard;
  for (auto& window : state.windows) {
    window->alive = false;
    window->children.clear();
    graveyard.push_back(std::move(window));
  }
  static std::vector<std::unique_ptr<HFONT__>> oldFonts;
  for (auto& font : state.fontStore) oldFonts.push_back(std::move(font));
  static std::vector<std::unique_ptr<HMENU__>> oldMenus;
  for (auto& menu : state.menus) oldMenus.push_back(std::move(menu));
  state = FakeState{};
}

HWND CreateMainWindow(int clientWidth, int clientHeight) {
  HWND window = NewWindow(FakeKind::Main, nullptr, "MainWClass", "Exameo 2.0", ws::kStyleVisible,
                          {0, 0, clientWidth, clientHeight}, 0);
  State().main = window;
  return window;
}

HWND MainWindow() {
  return State().main;
}

HWND Focused() {
  return Alive(State().focus) ? State().focus : nullptr;
}

void SetDpi(int dpi) {
  State().dpi = dpi;
}

const std::vector<Box>& Boxes() {
  return State().boxes;
}
void SetYesNoAnswer(bool yes) {
  State().yesNoAnswer = yes;
}
bool Ticking() {
  return State().ticking;
}
int ExamReportOpens() {
  return State().reportOpens;
}
void SetOpenFilesAnswer(bool chosen, std::vector<std::string> paths, int filter) {
  State().openFilesChosen = chosen;
  State().openFiles = std::move(paths);
  State().openFilter = filter;
}
int OpenFilesAsks() {
  return State().openFilesAsks;
}
HWND OpenFilesOwner() {
  return State().openFilesOwner;
}
int AddReportOpens() {
  return State().addReportOpens;
}
HWND AddReportOwner() {
  return State().addReportOwner;
}
int ExamDialogOpens() {
  return State().dialogOpens;
}
int ResultsWindowOpens() {
  return State().resultsOpens;
}
HWND ResultsWindowOwner() {
  return State().resultsOwner;
}
int KnowledgeWindowOpens() {
  return State().knowledgeOpens;
}
HWND KnowledgeWindowOwner() {
  return State().knowledgeOwner;
}
const ws::KnowledgeCalls& KnowledgeWindowCalls() {
  return State().knowledgeCalls;
}
void SetBoxHook(std::function<void(const Box&)> hook) {
  State().boxHook = std::move(hook);
}
void SetCommandHook(std::function<void(HWND, unsigned)> hook) {
  State().commandHook = std::move(hook);
}
const std::vector<DrawCall>& DrawLog() {
  return State().drawLog;
}
void ClearDrawLog() {
  State().drawLog.clear();
}
int PaintCount() {
  return State().paintCount;
}
bool HasInvalid(HWND window) {
  return Alive(window) && !window->invalid.empty();
}

const std::vector<Rect>& Invalidated(HWND window) {
  static const std::vector<Rect> none;
  return window != nullptr ? window->invalid : none;
}

const std::vector<Rect>& InvalidationLog(HWND window) {
  static const std::vector<Rect> none;
  return window != nullptr ? window->invalidLog : none;
}

void ClearInvalidationLog(HWND window) {
  if (window != nullptr) window->invalidLog.clear();
}

std::size_t PendingPosts() {
  return State().posts.size();
}

void FailNextPost() {
  State().failNextPost = true;
}

std::size_t Pump() {
  std::size_t delivered = 0;
  // Messages posted while one is handled wait for the loop to come round, as in a real queue.
  while (!State().posts.empty()) {
    HWND target = State().posts.front();
    State().posts.erase(State().posts.begin());
    if (!Alive(target)) continue;
    ++delivered;
    if (target->kind == FakeKind::Main) StartQuiz();
  }
  return delivered;
}

bool Click(HWND control) {
  if (control == nullptr || control->kind != FakeKind::Control || !TakesInput(control)) {
    return false;
  }
  switch (control->style & kButtonTypeMask) {
    case ws::kStyleAutoCheckBox:
      control->tick = (control->tick & 1) != 0 ? 0 : 1;
      break;
    case ws::kStyleAutoRadio:
      for (HWND sibling : control->parent->children) {
        if (sibling != control && sibling->alive &&
            (sibling->style & kButtonTypeMask) == ws::kStyleAutoRadio) {
          sibling->tick = 0;
        }
      }
      control->tick = 1;
      break;
    default:
      break;
  }
  // WM_COMMAND carries the identifier in its low word only.
  unsigned command = static_cast<unsigned>(control->id) & 0xFFFFu;
  HWND parent = control->parent;
  if (State().commandHook) State().commandHook(parent, command);
  if (parent->kind == FakeKind::Main) {
    RouteCommand(command, control);
  } else if (parent->kind == FakeKind::Chooser) {
    ChooserCommand(parent, command, control);
  }
  return true;
}

bool TypeChar(char c) {
  // The program's loop translates keys; while a modal box runs its own loop it does not.
  if (!Alive(State().main) || State().boxDepth > 0) return false;
  for (const Accelerator& entry : kAccelerators) {
    if (entry.Key == static_cast<unsigned char>(c)) {
      unsigned command = entry.Command | 1u << 16;
      if (State().commandHook) State().commandHook(State().main, command);
      RouteCommand(command);
      return true;
    }
  }
  return false;
}

long Command(unsigned wParam) {
  if (!Alive(State().main)) return 0;
  if (State().commandHook) State().commandHook(State().main, wParam);
  return RouteCommand(wParam);
}

void OpenMenu(HMENU popup) {
  if (!Alive(State().main)) return;
  MenuOpening(popup);
}

const FakeMenuItem* FindMenuItem(HMENU menu, unsigned id) {
  if (menu == nullptr) return nullptr;
  for (const FakeMenuItem& item : menu->items) {
    if (item.separator) continue;
    if (item.submenu == nullptr && item.id == id) return &item;
    if (const FakeMenuItem* inner = FindMenuItem(item.submenu, id)) return inner;
  }
  return nullptr;
}

bool ChooseMenuItem(HMENU bar, unsigned id) {
  if (bar == nullptr) return false;
  for (const FakeMenuItem& top : bar->items) {
    if (FindMenuItem(top.submenu, id) == nullptr) continue;
    OpenMenu(top.submenu);
    const FakeMenuItem* item = FindMenuItem(top.submenu, id);
    if (item == nullptr || !item->enabled) return false;
    Command(id);
    return true;
  }
  return false;
}

void Close(HWND window) {
  if (!Alive(window) || window->kind == FakeKind::Control) return;
  if (window->kind == FakeKind::Main && !MainMayClose()) return;
  DestroyTree(window);
}

std::vector<HWND> LiveChildren(HWND parent) {
  std::vector<HWND> live;
  if (!Alive(parent)) return live;
  for (HWND child : parent->children) {
    if (child->alive) live.push_back(child);
  }
  return live;
}

std::vector<HWND> LiveChoosers() {
  std::vector<HWND> live;
  for (auto& window : State().windows) {
    if (window->alive && window->kind == FakeKind::Chooser) live.push_back(window.get());
  }
  return live;
}

int LiveWindowCount() {
  int count = 0;
  for (auto& window : State().windows) count += window->alive ? 1 : 0;
  return count;
}

HFONT DefaultFont() {
  return nullptr;
}

const std::vector<HFONT>& Fonts() {
  return State().fonts;
}
bool QuitPosted() {
  return State().quitPosted;
}
int BoxDepth() {
  return State().boxDepth;
}

std::string Shown(const std::string& bytes, bool utf8) {
  std::string out;
  if (utf8)
    utf8::Repair(bytes, &out);
  else
    utf8::FromCp1251(bytes, &out);
  return out;
}

std::vector<std::string> WrapLines(const char* text, int width, bool utf8) {
  std::vector<std::string> lines;
  std::string_view all = text != nullptr ? text : "";
  // A UTF-8 text is measured by its characters: each stands for one byte, its Windows-1251 one
  // where it has one (a Russian text wraps as its Windows-1251 twin does).
  std::string narrow;
  if (utf8) {
    for (char32_t c : utf8::Decode(all)) {
      int b = cp1251::FromUnicode(c);
      narrow += b >= 0 ? static_cast<char>(b) : '?';
    }
    all = narrow;
  }
  std::size_t maxChars = static_cast<std::size_t>(std::max(0, width / kCharWidth));
  // CR LF, LF and CR each end a line; a break at the very end opens no further line.
  std::size_t start = 0;
  std::size_t pos = 0;
  while (pos < all.size()) {
    char c = all[pos];
    if (c != '\n' && c != '\r') {
      ++pos;
      continue;
    }
    WrapParagraph(all.substr(start, pos - start), maxChars, lines);
    pos += (c == '\r' && pos + 1 < all.size() && all[pos + 1] == '\n') ? 2 : 1;
    start = pos;
  }
  if (start < all.size() || lines.empty()) WrapParagraph(all.substr(start), maxChars, lines);
  return lines;
}

}  // namespace fake
