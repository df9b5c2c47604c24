// PLACEHOLDER until the quiz and shell logic land: lets the board and the fake link.
#include "shell/routing.h"

long RouteCommand(unsigned) { return -1; }
long StartQuiz() { return 0; }
long ChooserCommand(HWND, unsigned) { return -1; }
long ChooserDestroyed() { return 0; }
