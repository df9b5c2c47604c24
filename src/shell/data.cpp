// The data folder's handler: a refused write is a warning box at the moment of the write.
#include "shell/data.h"

#include "board/screen.h"
#include "platform/window_system.h"
#include "session/session.h"
#include "shell/globals.h"

namespace {

void Warn(void*, const char* text, const char* caption) {
  ws::ShowBox(OnScreen2.hWnd, text, caption, ws::kBoxOk | ws::kBoxWarning);
}

bool Ask(void*, const char* text, const char* caption) {
  return ws::AskYesNo(nullptr, text, caption);
}

}  // namespace

void OpenDataFolder(const char* folder, bool writable) {
  session::Init(folder, writable, records::Handler{Warn, Ask, nullptr});
}
