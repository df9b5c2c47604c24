// What each kind of session does differently, called by session.cpp only.
#pragma once

#include "platform/handles.h"
#include "session/session.h"

namespace session {

// Prepares the questions now in Topic_test for `p.current`, before its first question is
// placed: its kind's `prepare` (a topic shuffles and may resume; a sitting shuffles its answers
// and places its first question itself), else as an assembled list: answers shuffled as the
// options say, questions only when the session may, no progress file.
void Prepare(Program& p, HWND owner);
void PrepareAssembled(Program& p);

}  // namespace session
