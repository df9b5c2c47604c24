// The entry point: start-up, the message loop, the end.
#include <windows.h>

#include "platform/win32/data_folder.h"
#include "records/clock.h"
#include "shell/win32/shell_win32.h"
#include "session/session.h"
#include "shell/data.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Only the end-to-end test of a sitting that runs out sets it: no user has it.
  if (GetEnvironmentVariableW(L"EXAMEO_TEST_FAST_CLOCK", nullptr, 0) > 0)
    records::NowMs = records::FastSteadyNow;
  // The study options are read before the menu bar is built, which shows them ticked.
  DataFolder data = ChooseDataFolder(ProgramFolder(), AppDataFolder());
  OpenDataFolder(data.path.c_str(), data.writable);
  if (!StartUp(instance)) return 1;
  // Said once the main window is up, so that the box has an owner; the options still work for
  // the run, they are only not kept.
  if (!data.writable) session::WarnUnwritable();
  // exameo.ini's parameters of the memory model that could not be used: said once, now.
  session::WarnIgnoredParameters();
  HACCEL table = CreateAccelerators();
  int code = RunMessageLoop(table);
  if (table != nullptr) DestroyAcceleratorTable(table);
  // Lines and files a write refused during the run (a spreadsheet holding results.csv) are
  // written now, or the user is asked to free them.
  session::Close();
  return code;
}
