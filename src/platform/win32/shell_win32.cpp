#include "platform/win32/shell_win32.h"

#include <cstdio>
#include <iterator>

#include "common/cp1251.h"
#include "platform/win32/exam_window.h"
#include "platform/window_system.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "shell/routing.h"

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
    case WM_TIMER:
      return TimerTick();
    case WM_CLOSE:
      // A running sitting asks whether to interrupt it first.
      if (!MainMayClose()) return 0;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK OwnedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // The chooser is modeless: the main window stays enabled. 0 lets the creation go on
      // (-1 would abort it).
      return 0;
    case WM_COMMAND:
      return ChooserCommand(window, static_cast<unsigned>(wParam), reinterpret_cast<HWND>(lParam));
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
  // A key of the table typed in any window of the program is a command to the main window.
  if (table != nullptr && TranslateAcceleratorW(OnScreen2.hWnd, table, message)) return;
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
