// The entry point: start-up, the message loop, the end.
#include <windows.h>

#include "platform/win32/shell_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (!StartUp(instance)) return 1;
  HACCEL table = CreateAccelerators();
  int code = RunMessageLoop(table);
  if (table != nullptr) DestroyAcceleratorTable(table);
  return code;
}
