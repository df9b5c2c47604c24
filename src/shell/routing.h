// What the window procedures of the main window and the chooser do, without the window system:
// the Win32 procedures and the in-memory window system of the tests call these unchanged.
#pragma once

#include "platform/handles.h"

// WM_COMMAND of the main window: the command chain, in its fixed order. Returns -1. `sender` is
// the control the command came from (WM_COMMAND's lParam): null for a menu item or an
// accelerator key. The study menu's commands count only without a sender and with high word 0,
// so a check box of a huge topic whose identifier wraps onto one of them is not taken for it.
long RouteCommand(unsigned wParam, HWND sender = nullptr);
// A click (button up) on the board itself at client point (x, y): a task's picture opens in the
// picture window; a variant's picture of the current question gives its answer key, as a click
// on its row does. Returns 0.
long BoardClick(int x, int y);
// WM_INITMENUPOPUP of the main window: the popup "Подготовка" shows its review counts of now.
// Returns 0.
long MenuOpening(HMENU popup);
// WM_USER of the main window: start the quiz on the loaded topic. Returns 0.
long StartQuiz();
// The exam's timer on the main window (ws::SetTicking). Returns 0.
long TimerTick();
// The user closes the main window: false when it has to stay (a sitting runs and the user chose
// not to interrupt it).
bool MainMayClose();
// WM_COMMAND of a chooser window from the control `sender` (null for none): its OK button, or
// the dialog keys' IDOK (Enter, taken as OK) and IDCANCEL (Esc, closes it). Returns -1.
long ChooserCommand(HWND chooser, unsigned wParam, HWND sender);
// WM_DESTROY of a chooser window: enable the main window and bring it to the top. Returns 0.
long ChooserDestroyed();
