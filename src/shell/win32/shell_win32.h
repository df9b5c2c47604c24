// The program's frame on Win32: window classes, window procedures, start-up and message loop.
//
// The procedures are thin: every decision is made by the portable shell (shell/routing.h) and
// the board; these only turn window messages into its calls. WinMain (winmain.cpp) is the
// start-up, the loop and the end; the tests call the same pieces.
#pragma once

#include <windows.h>

// Registers "MainWClass", then "OwnedWClass". Returns the second class's atom (unused).
ATOM Init();
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK OwnedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Start-up up to the loop: stores the instance, registers the classes, reads the catalogue,
// builds the menu bar, creates the main window, shows it maximized and measures the board.
// When the main window cannot be created it says so in a box and returns false.
bool StartUp(HINSTANCE instance);
// The 14 accelerator keys of shell/commands.h as a table; null when it cannot be made.
HACCEL CreateAccelerators();
// One turn of the message loop for a message taken from the queue: a key of the table typed in
// the main window or one of its controls becomes a command to the main window; in any other
// window of the program the dialog keys act there (IsDialogMessage); anything else is
// translated and dispatched.
void HandleMessage(HACCEL table, MSG* message);
// The message loop; returns the quit message's code.
int RunMessageLoop(HACCEL table);
