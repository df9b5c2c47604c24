// The three boxes of the "Помощь" menu.
#include "board/screen.h"
#include "common/program_texts.h"
#include "platform/window_system.h"
#include "common/commands.h"
#include "shell/globals.h"

namespace {

using namespace ptext;

}  // namespace

void Screen2::Anounce(unsigned command) {
  const char* text = nullptr;
  const char* caption = nullptr;
  switch (command & 0xFFFF) {
    case kCmdAbout:
      text = kAboutText;
      caption = kAboutItem;
      break;
    case kCmdHotKeys:
      text = kHotKeysText;
      caption = kHotKeysItem;
      break;
    case kCmdDatabase:
      text = kDatabaseText;
      caption = kDatabaseCaption;
      break;
    default:
      return;
  }
  ws::ShowBox(OnScreen2.hWnd, text, caption, ws::kBoxOk | ws::kBoxInformation);
}
