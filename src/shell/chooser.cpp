// The topic chooser: the discipline command that opens it, and its layout.
#include "bank/catalogue.h"
#include "platform/window_system.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "shell/menu.h"
#include "session/session.h"

void OpenDiscipline(int i) {
  if (i < 0 || i >= kMaxDisciplines) return;
  Discipline.UnloadTopics();
  Discipline.LoadTopics(Discipline.Disciplines[i]);
  session::DisciplineOpened(i);
  Discipline.DrawChooser(OnScreen2.hInst, OnScreen2.hWnd, nullptr, OnScreen2.Client,
                         Discipline.Disciplines[i].Path);
}

void DisciplineClass::DrawChooser(HINSTANCE instance, HWND owner, HWND, Rect client, char* title) {
  // The table never holds more than 128 topics; a value outside it must not run off the table.
  int last = LastTopic < -1 ? -1 : LastTopic > kMaxTopics - 1 ? kMaxTopics - 1 : LastTopic;
  // The top of the last row of radio buttons: 60 per row of three; -60 for an empty table.
  // Lengths at 96 DPI, scaled to the display's.
  auto px = [](int length) { return OnScreen2.Px(length); };
  int r = px(20) * (last - ((last + 3) % 3));
  int height = r + px(150);
  int width = px(810);
  HWND chooser = ws::CreateChooserWindow(instance, owner, title, (client.right - width) / 2,
                                         (client.bottom - height) / 2, width, height);
  // A dialog's radio group: the first topic starts the group and is its tab stop, arrows move
  // within it; OK starts a group of its own and is the default button that Enter presses.
  constexpr std::uint32_t kRadioStyle =
      ws::kStyleChild | ws::kStyleVisible | ws::kStyleMultiline | ws::kStyleAutoRadio;
  HWND first = nullptr;
  for (int i = 0; i <= last; ++i) {
    int col = (i + 3) % 3;
    HWND radio =
        ws::CreateButton(chooser, {Topics[i].Title, Topics[i].bUtf8},
                         i == 0 ? kRadioStyle | ws::kStyleGroup | ws::kStyleTabStop : kRadioStyle,
                         px(15) + px(265) * col, px(15) + px(20) * (i - col), px(250), px(60),
                         static_cast<int>(kCmdFirstTopic) + i, instance);
    if (i == 0) first = radio;
  }
  HWND ok = ws::CreateButton(chooser, "OK",
                             ws::kStyleChild | ws::kStyleVisible | ws::kStyleDefPushButton |
                                 ws::kStyleGroup | ws::kStyleTabStop,
                             px(15), r + px(75), px(780), px(30), static_cast<int>(kCmdChooserOk),
                             instance);
  ws::ShowNow(chooser);
  // Nothing is selected yet: the focus only points at the first topic.
  ws::Focus(first != nullptr ? first : ok);
}
