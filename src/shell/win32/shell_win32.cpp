#include "shell/win32/shell_win32.h"

#include <cstdio>
#include <iterator>

#include "common/cp1251.h"
#include "platform/win32/add_window.h"
#include "platform/win32/exam_window.h"
#include "platform/window_system.h"
#include "shell/add_questions.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "shell/routing.h"
#include "shell/win32/accessible_win32.h"

ATOM Init() {
  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  main.style = CS_HREDRAW | CS_VREDRAW;
  main.lpfnWndProc = WndProc;
  main.hInstance = OnScreen2.hInst;
  // The program's own icon (res/exameo.rc) under the application icon's identifier. The small
  // one is taken at its own size, so that the caption and the taskbar show the 16-pixel drawing
  // rather than the large one shrunk; without the resource both stay empty.
  main.hIcon = LoadIconW(OnScreen2.hInst, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  main.hIconSm = static_cast<HICON>(LoadImageW(OnScreen2.hInst, MAKEINTRESOURCEW(32512), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  main.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = L"MainWClass";
  RegisterClassExW(&main);

  WNDCLASSW owned{};
  owned.lpfnWndProc = OwnedProc;
  owned.hInstance = OnScreen2.hInst;
  owned.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32515));  // IDC_CROSS
  owned.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  owned.lpszClassName = L"OwnedWClass";
  return RegisterClassW(&owned);
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC context = BeginPaint(window, &paint);
      WM_PaintTask(context);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_COMMAND:
      return RouteCommand(static_cast<unsigned>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_USER:
      return StartQuiz();
    case WM_INITMENUPOPUP:
      return MenuOpening(reinterpret_cast<HMENU>(wParam));
    case WM_PARENTNOTIFY:
      // A control just made: an answer tells screen readers its question's task.
      if (LOWORD(wParam) == WM_CREATE) ExposeTaskOf(reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_TIMER:
      return TimerTick();
    case WM_LBUTTONUP:
      // A click on a task's picture opens it at full size; on a variant's, answers by it.
      return BoardClick(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    case WM_DROPFILES:
      // Question files dropped on the window are added as from "Добавить вопросы из файла...".
      adding::AddQuestionFiles(DroppedPaths(reinterpret_cast<HDROP>(wParam)),
                               bridge::Format::kUnknown);
      return 0;
    case WM_CLOSE:
      // A running sitting asks whether to interrupt it first.
      if (!MainMayClose()) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

namespace {

// The chooser keeps the control that had the keyboard focus while it is inactive, as a dialog
// does, so that coming back to it (or its first activation) puts the focus there and not on the
// window itself, where the dialog keys would find no control.
void RestoreChooserFocus(HWND chooser) {
  HWND kept = reinterpret_cast<HWND>(GetWindowLongPtrW(chooser, GWLP_USERDATA));
  if (kept == nullptr || !IsWindow(kept) || GetParent(kept) != chooser)
    kept = GetNextDlgTabItem(chooser, nullptr, FALSE);
  if (kept != nullptr) SetFocus(kept);
}

bool IsRadio(HWND control) {
  return control != nullptr &&
         (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

}  // namespace

LRESULT CALLBACK OwnedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // The chooser is modeless: the main window stays enabled. 0 lets the creation go on
      // (-1 would abort it).
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && GetParent(focus) == window)
          SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(focus));
      } else if (!HIWORD(wParam)) {
        RestoreChooserFocus(window);
      }
      return 0;
    case WM_SETFOCUS:
      RestoreChooserFocus(window);
      return 0;
    case WM_COMMAND: {
      HWND sender = reinterpret_cast<HWND>(lParam);
      if (IsRadio(sender)) {
        // A radio button's own notice (a click, or the focus reaching it) is never the OK
        // button, even topic 100's, which shares its identifier. The tab stop follows the
        // selection, so that Tab back into the group lands on the selected topic.
        if (SendMessageW(sender, BM_GETCHECK, 0, 0) == BST_CHECKED) {
          for (HWND c = GetWindow(window, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!IsRadio(c)) continue;
            LONG style = GetWindowLongW(c, GWL_STYLE);
            SetWindowLongW(c, GWL_STYLE, c == sender ? style | WS_TABSTOP : style & ~WS_TABSTOP);
          }
        }
        return -1;
      }
      return ChooserCommand(window, static_cast<unsigned>(wParam), sender);
    }
    case WM_DESTROY:
      return ChooserDestroyed();
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool StartUp(HINSTANCE instance) {
  OnScreen2.hInst = instance;
  Init();

  char pattern[kPathCapacity];
  std::snprintf(pattern, sizeof pattern, "%s%s", kBaseDir, "*.txt");
  Discipline.LoadDisciplines(pattern);

  HMENU bar = BuildMenuBar();
  OnScreen2.hWnd =
      CreateWindowExW(0, L"MainWClass", L"Exameo 2.0", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, bar, instance, nullptr);
  if (OnScreen2.hWnd == nullptr) {
    // Without its window the program can do nothing; the loop would wait for a quit message
    // that never comes and leave an invisible process behind.
    if (bar != nullptr) DestroyMenu(bar);
    ws::ShowBox(nullptr, Cp1251("Не удалось создать главное окно программы."), Cp1251("Exameo 2.0"),
                MB_OK | MB_ICONERROR);
    return false;
  }
  DragAcceptFiles(OnScreen2.hWnd, TRUE);
  ShowWindow(OnScreen2.hWnd, SW_SHOWMAXIMIZED);
  UpdateWindow(OnScreen2.hWnd);
  OnScreen2.Init();
  return true;
}

HACCEL CreateAccelerators() {
  ACCEL table[std::size(kAccelerators)];
  for (std::size_t i = 0; i < std::size(kAccelerators); ++i) {
    table[i].fVirt = 0;  // a character code, no modifiers
    table[i].key = kAccelerators[i].Key;
    table[i].cmd = kAccelerators[i].Command;
  }
  return CreateAcceleratorTableW(table, static_cast<int>(std::size(table)));
}

void HandleMessage(HACCEL table, MSG* message) {
  // The exam's report takes its own keys (Tab, Enter, Esc); none of them reaches the board.
  if (ExamReportMessage(message)) return;
  HWND root = message->hwnd != nullptr ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
  // The table's keys are the board's: translated only when typed in the main window or one of
  // its controls.
  if (root == OnScreen2.hWnd && root != nullptr) {
    // The picture key, only when it opens something (its window then takes the keys).
    if (message->message == WM_KEYDOWN && message->wParam == kPictureKey && OpenNextPicture())
      return;
    if (table != nullptr && TranslateAcceleratorW(OnScreen2.hWnd, table, message)) return;
  } else if (root != nullptr && IsDialogMessageW(root, message)) {
    // Any other window of the program (a chooser, the results) takes its keys as a dialog
    // does: Tab, arrows, Enter, Esc, and nothing reaches the board.
    return;
  }
  TranslateMessage(message);
  DispatchMessageW(message);
}

int RunMessageLoop(HACCEL table) {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    HandleMessage(table, &message);
  }
  return static_cast<int>(message.wParam);
}
