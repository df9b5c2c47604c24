// What each kind of session does differently, called by session.cpp only.
#pragma once

#include "platform/handles.h"
#include "session/session.h"

namespace session {

// Prepares the questions now in Topic_test for `p.current`, before its first question is
// placed: the kind's file decides (a topic shuffles and may resume; an assembled list shuffles
// as its session allows; a sitting places its first question itself).
void Prepare(Program& p, HWND owner);

// topic.cpp
void PrepareTopic(Program& p, HWND owner);
// exam.cpp
void PrepareSitting(Program& p);
// An assembled list (review.cpp, mistakes.cpp): answers shuffled as the options say, questions
// only when the session may.
void PrepareAssembled(Program& p);

}  // namespace session
