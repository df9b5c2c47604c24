// The data folder opened for the program: its warnings are boxes owned by the main window.
#pragma once

// Opens the data folder (Windows-1251, backslashes; "" for none) for a fresh program; see
// session::Init.
void OpenDataFolder(const char* folder, bool writable);
