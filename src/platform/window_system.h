// The window system as the program sees it.
//
// Every operation the board, the quiz, the chooser and the shell need of the window system,
// named for what they expect of it. One implementation is linked in: the Win32 one
// (platform/win32) in the program, the in-memory one (tests/fake) in the tests. Texts are
// Windows-1251 bytes unless they say they are UTF-8 (ws::Text); an operation on a null handle
// does nothing and reads as zero.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/utf8.h"
#include "platform/handles.h"

// The data the program's own windows show are the core's records; the seam only names them
// (the Win32 windows include their pure headers, the callers fill them).
struct DisciplineClass;
namespace exam {
struct Choice;
struct Row;
}  // namespace exam
namespace review {
struct Bank;
struct Counts;
struct BankForecast;
struct FitJob;
struct FitOutcome;
}  // namespace review
namespace records {
struct ResultRecord;
}  // namespace records

// A decoded picture (the window system's own record); null is none.
struct HPICTURE__;
typedef HPICTURE__* HPICTURE;

namespace ws {

// A text to show: zero-terminated bytes, Windows-1251 (the program's own texts and the banks of
// old), or UTF-8 (a bank file that began with the byte order mark), whose ill-formed sequences
// show as U+FFFD. A plain `const char*` is Windows-1251.
struct Text {
  const char* bytes = nullptr;
  bool utf8 = false;
  Text(const char* text) : bytes(text) {}  // NOLINT: the program's texts pass as they are
  // The program's compile-time texts (cp1251::Text) too.
  template <class T>
    requires std::is_convertible_v<const T&, const char*>
  Text(const T& text) : bytes(text) {}  // NOLINT
  Text(const char* text, bool isUtf8) : bytes(text), utf8(isUtf8) {}
};

// Composes a text from pieces in either encoding: Windows-1251 while every piece is, otherwise
// UTF-8 (the Windows-1251 pieces converted), so that no character is lost.
struct Composed {
  std::string bytes;
  bool utf8 = false;
  Composed& operator+=(Text piece) {
    if (piece.bytes == nullptr) return *this;
    std::string_view more(piece.bytes);
    if (piece.utf8 && !utf8) {
      std::string converted;
      utf8::FromCp1251(bytes, &converted);
      bytes = std::move(converted);
      utf8 = true;
    }
    if (utf8 && !piece.utf8)
      utf8::FromCp1251(more, &bytes);
    else
      bytes.append(more);
    return *this;
  }
  Text text() const { return {bytes.c_str(), utf8}; }
};

// Window messages and styles the core names, with their Win32 values.
inline constexpr unsigned kMsgCreate = 1;
inline constexpr unsigned kMsgDestroy = 2;
inline constexpr unsigned kMsgPaint = 15;
inline constexpr unsigned kMsgCommand = 273;
inline constexpr unsigned kMsgUser = 1024;

inline constexpr std::uint32_t kStyleChild = 0x40000000;
inline constexpr std::uint32_t kStyleVisible = 0x10000000;
inline constexpr std::uint32_t kStyleMultiline = 0x00002000;      // BS_MULTILINE
inline constexpr std::uint32_t kStyleAutoCheckBox = 0x00000003;   // BS_AUTOCHECKBOX
inline constexpr std::uint32_t kStyleAutoRadio = 0x00000009;      // BS_AUTORADIOBUTTON
inline constexpr std::uint32_t kStylePushButton = 0x00000000;     // BS_PUSHBUTTON
inline constexpr std::uint32_t kStyleDefPushButton = 0x00000001;  // BS_DEFPUSHBUTTON
inline constexpr std::uint32_t kStyleGroup = 0x00020000;          // WS_GROUP
inline constexpr std::uint32_t kStyleTabStop = 0x00010000;        // WS_TABSTOP

// Message box styles.
inline constexpr unsigned kBoxOk = 0x00;              // MB_OK
inline constexpr unsigned kBoxInformation = 0x40;     // MB_ICONINFORMATION
inline constexpr unsigned kBoxYesNo = 0x04;           // MB_YESNO
inline constexpr unsigned kBoxQuestion = 0x20;        // MB_ICONQUESTION
inline constexpr unsigned kBoxWarning = 0x30;         // MB_ICONWARNING
inline constexpr unsigned kBoxSecondDefault = 0x100;  // MB_DEFBUTTON2

// ---- Measuring (the main window's default font) ----

// The system DPI the windows are drawn for (96 at 100 %, 144 at 150 %).
int SystemDpi();
// The client rectangle of a window: left and top 0.
Rect ClientRect(HWND window);
// The average character width of the window's default font (tmAveCharWidth).
int AverageCharWidth(HWND window);
// The height of `text` broken into lines at word boundaries to fit `width` pixels, in the
// window's default font: the bottom that DT_CALCRECT | DT_WORDBREAK gives for the rectangle
// (0, 0, width, 15), minus its top.
int MeasureWrappedHeight(HWND window, Text text, int width);

// ---- Drawing ----

// Draws `text` into `rect` of the window at once, transparent, broken at word boundaries and
// clipped to the rectangle (a device context is taken and released around it).
void DrawWrappedNow(HWND window, Text text, Rect rect);
// The same into a paint context handed to the paint handler.
void SetTransparent(HDC context);
void DrawWrapped(HDC context, Text text, Rect rect);
// Marks the rectangle for repainting with its background erased.
void Invalidate(HWND window, Rect rect);
// Repaints what is marked at once (the paint handler runs before this returns); nothing when
// nothing is marked.
void RepaintNow(HWND window);

// ---- Pictures ----

// Why a picture is not drawn.
enum class PictureFault {
  kNone,
  kMissing,     // no such file (or it cannot be opened)
  kUnreadable,  // not a picture the system can decode, or a damaged one
  kTooLarge,    // over picture_limits' size in bytes or pixels
};
struct LoadedPicture {
  HPICTURE picture = nullptr;  // null unless fault is kNone
  int width = 0;               // pixels at 96 DPI; a metafile's size by its header
  int height = 0;
  PictureFault fault = PictureFault::kNone;
};
// Reads and decodes a picture file (PNG, JPEG, GIF, BMP, WMF, EMF); `path` is UTF-8, relative
// to the working folder. A damaged file gives a fault, never more.
LoadedPicture LoadPicture(const std::string& path);
// Keeps the picture only at the size it is drawn at (the board's copy), dropping the file's
// full decoding.
void FitPicture(HPICTURE picture, int width, int height);
// Draws the picture into `rect` of the window at once, or into a paint context.
void DrawPictureNow(HWND window, HPICTURE picture, Rect rect);
void DrawPicture(HDC context, HPICTURE picture, Rect rect);
void ReleasePicture(HPICTURE picture);
// Opens the picture file at its full size in a window of its own owned by `owner`, titled by
// the picture's text (Esc closes it; the keys stay there while it is active). False, and no
// window, when the picture cannot be loaded.
bool OpenPictureWindow(HINSTANCE instance, HWND owner, const std::string& path, Text title);

// ---- Fonts ----

// A font of the default height and face with the given weight and decorations; never deleted.
HFONT CreateMarkFont(int weight, bool underline, bool strikeOut);

// ---- Controls and windows ----

// Creates a child control of class "button".
HWND CreateButton(HWND parent, Text text, std::uint32_t style, int x, int y, int width,
                  int height, int id, HINSTANCE instance);
// Creates the topic chooser: a top-level window of class "OwnedWClass" owned by `owner`, with
// the outer size and screen position given.
HWND CreateChooserWindow(HINSTANCE instance, HWND owner, Text title, int x, int y, int width,
                         int height);
// Shows a window (SW_SHOW) and paints it at once.
void ShowNow(HWND window);
void Destroy(HWND window);
// The first child of `parent` with identifier `id`, or null.
HWND FindChild(HWND parent, int id);
// The first child window of `parent`, or null when it has none.
HWND FirstChild(HWND parent);
void Enable(HWND window, bool enabled);
// Gives a control the keyboard focus (its window is activated first).
void Focus(HWND control);
void BringToTop(HWND window);
void SetTitle(HWND window, Text text);

// ---- Check boxes and radio buttons ----

// The tick as BM_GETCHECK reports it: 1 ticked, 0 clear (other values are possible).
int ReadTick(HWND control);
// Sets the tick; no command comes back from it.
void SetTick(HWND control, int state);
// Sets the font a control draws its text in, and redraws it.
void SetMark(HWND control, HFONT font);

// ---- Boxes and messages ----

// A modal message box with one OK button; returns when it is closed. A null owner gives a
// box owned by no window.
void ShowBox(HWND owner, Text text, Text caption, unsigned style);
// A modal Yes/No box (question icon), Yes the default button; true when the user chose Yes.
bool AskYesNo(HWND owner, Text text, Text caption);
// The same with No the default button (Enter answers No).
bool AskNoDefault(HWND owner, Text text, Text caption);
// The boxes of ShowBox, AskYesNo and AskNoDefault up right now (their own message loops run
// the program's handlers meanwhile).
int OpenBoxes();
// Posts the quiz start message (WM_USER, 0, 0) to the window; it is handled later, from the
// message loop. False when it could not be posted (no window, or its queue is full): then no
// start message will come.
bool PostStart(HWND window);

// ---- Menus ----

HMENU CreateMenuBar();
HMENU CreatePopup();
// Inserts an enabled, unticked text item with identifier `id` (and popup `submenu`, if not
// null) before the item whose identifier is `before`; at the end when no item has it.
// Returns true when the item was inserted.
bool AddMenuItem(HMENU menu, Text text, unsigned before, unsigned id, HMENU submenu);
// A separator at the end of a popup menu.
bool AddMenuSeparator(HMENU menu);
// Ticks or clears the check mark of item `id` (searched in submenus too).
void SetMenuTick(HMENU menu, unsigned id, bool ticked);
// Gives item `id` (searched in submenus too) the text `text` and enables or greys it.
void SetMenuItem(HMENU menu, unsigned id, Text text, bool enabled);
// Removes every item of a popup menu.
void ClearMenu(HMENU menu);

// ---- The exam ----

// Starts or stops the exam's timer on the main window: while it runs, the window's procedure
// calls TimerTick (shell/routing.h) a few times a second.
void SetTicking(HWND window, bool on);

// What the dialog "Экзамен" offers and does, handed by the program: the window system only
// shows it and calls back.
struct ExamDialogCalls {
  const DisciplineClass* catalogue = nullptr;  // its disciplines are offered
  exam::Choice (*initial)() = nullptr;         // the values it opens with
  // The topics of a catalogue entry (a catalogue with them loaded), or null when it has none.
  const DisciplineClass* (*topicsOf)(int discipline) = nullptr;
  // The questions the choice of a discipline and a topic (-1: all) offers.
  int (*available)(int discipline, int topic) = nullptr;
  // "Начать" with the values chosen.
  bool (*start)(const exam::Choice& choice) = nullptr;
  // The line under the fields: the forecast of the score for the choice (Windows-1251); none
  // without it.
  std::string (*forecast)(int discipline, int topic) = nullptr;
};
// Opens the dialog "Экзамен" (modal to `owner`); its "Начать" calls `calls.start`.
void OpenExamDialog(HINSTANCE instance, HWND owner, const ExamDialogCalls& calls);

// What the report of a sitting shows: its lines and rows (Windows-1251), and its "Работа над
// ошибками" (enabled when `mistakes`), which closes the report and calls `drill`.
struct ExamReportView {
  const std::vector<std::string>* lines = nullptr;
  const std::vector<exam::Row>* rows = nullptr;
  bool mistakes = false;
  void (*drill)() = nullptr;
  bool utf8 = false;  // the lines are UTF-8 (a title of a UTF-8 bank is)
};
// Opens the report of a sitting in a window owned by `owner`; an open one shows the new report
// and comes to the top.
void OpenExamReport(HINSTANCE instance, HWND owner, const ExamReportView& report);

// ---- The results window ----

// Opens the results window (modeless, owned by `owner`), its lengths scaled to `dpi`; a second
// call brings it to the top. It shows what `read` gives (the records, newest first), called as
// it opens and at every second call, and the chart of the selected record's topic.
void OpenResultsWindow(HINSTANCE instance, HWND owner, int dpi,
                       std::vector<records::ResultRecord> (*read)());

// ---- The knowledge window ----

// What the knowledge window shows: the bank's topics, the review log's counts, the forecast of
// each topic and discipline, the line comparing forecasts with the exams' results
// (Windows-1251; empty when no exam recorded a forecast), and the predicted gradings a fit of
// the parameters would judge (its button is enabled from review::kMinFitReviews).
struct KnowledgeView {
  review::Bank* bank = nullptr;
  review::Counts* counts = nullptr;
  review::BankForecast* forecast = nullptr;
  std::string* calibration = nullptr;
  int* fitReviews = nullptr;
};
// What the knowledge window calls: `read` what it shows; `startFit` starts the fit of the
// parameters on `job` (review/fit_job.h, told through `notify` on the worker thread), false
// when it cannot; `fitEnded` takes the outcome of a fit that ended while the window was open
// (fitted parameters kept only when better: saved and used) and gives the line to show
// (Windows-1251). A fit the window's closing cancels is dropped without `fitEnded`.
struct KnowledgeCalls {
  void (*read)(const KnowledgeView& view) = nullptr;
  bool (*startFit)(review::FitJob& job, void (*notify)(void* context), void* context) = nullptr;
  std::string (*fitEnded)(const review::FitOutcome& outcome) = nullptr;
};
// Opens "Знания по темам" (modeless, owned by `owner`; its keys stay there), its lengths scaled
// to `dpi`; a second call shows the counts of now and brings it to the top. `calls.read` is
// called as it opens and at every second call.
void OpenKnowledgeWindow(HINSTANCE instance, HWND owner, int dpi, const KnowledgeCalls& calls);

// ---- Adding questions ----

// The Open dialog for question files (several at once, owned by `owner`), with `filters`
// (UTF-8: name, NUL, patterns, NUL, ..., NUL). True when files were chosen: their full paths
// (UTF-8) and the 1-based index of the filter chosen.
bool AskOpenFiles(HWND owner, const std::string& filters, std::vector<std::string>* paths,
                  int* filter);
// What the report "Добавление вопросов" shows: its lines (UTF-8), and its "Открыть" (enabled,
// and the default button, when `canOpen`), which closes the report and calls `open`.
struct AddReportView {
  const std::vector<std::string>* lines = nullptr;
  bool canOpen = false;
  void (*open)() = nullptr;
};
// Opens the report "Добавление вопросов" (modeless, owned by `owner`; its keys stay there); an
// open one shows the new report and comes to the top.
void OpenAddReport(HINSTANCE instance, HWND owner, const AddReportView& report);

}  // namespace ws
