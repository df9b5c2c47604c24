// The task of the question for screen readers (accessible_win32.cpp).
#pragma once

#include <windows.h>

// Makes an answer check box of the main window report the task of its question as its
// accessible description (WM_GETOBJECT); other controls are left as they are. The main window
// calls it for each child it is told of (WM_PARENTNOTIFY).
void ExposeTaskOf(HWND control);
