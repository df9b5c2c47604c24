// The quiz flow: answer keys, the undo of clicks on graded answers, the two-phase OK (grading,
// then moving on), the end of a round, the end of the quiz and the start of a quiz.
//
// The flow works on the global objects (OnScreen2, Topic_test, Discipline, bNobodyHome). Beside
// them it keeps three guards against the nesting that modal boxes and the posted start message
// allow; see docs/decisions.md.
#pragma once

namespace quiz {

// An OK is being handled. It stays set across the "Statistics" and "Game over" boxes, whose own
// message loops dispatch whatever reaches the program meanwhile: the command chain drops every
// command, the chooser keeps its OK for later and a start message waits for the flow to finish.
extern bool bFlowBusy;
// Start messages posted by the chooser and not handled yet. While there is one the board still
// shows the questions of the topic before, so nothing acts on "the current question"; and when
// two loads came before their starts, only the last start runs (each start places question 0).
extern int StartsPending;
// A start message arrived while bFlowBusy was set; it runs as soon as the OK has been handled
// (several such collapse into one).
extern bool bStartDeferred;

// Answer key n (0 to 11): toggles the tick of variant n of the current question while answering.
void AnswerKey(int n);
// A command that may be a click on one of the current question's check boxes (low 16 bits of
// the command word): while the question stands graded the tick is turned back.
void UndoClick(unsigned id);
// The OK command: grades the current question, or moves on to the next one.
void Ok();
// The start message: empties the board and places question 0 of the loaded topic in round 1.
void Start();
// The board as after "Game over": round 1, no question, every slot hidden, the plain title.
void ClearBoard();
// A session that places its first question at once (a sitting): the board emptied, question 0
// of round 1 placed.
void PlaceFirst();
// Notes that a topic was loaded and a start message posted for it.
void NoteStartPosted();
// Takes back the count of a start whose message could not be posted: a message that never
// comes must not block the quiz for good. When no earlier start is on its way, the quiz starts
// at once, so the board never goes on showing the topic before; an earlier start still on its
// way starts the topic now loaded anyway.
void StartNotPosted();
// Clears the three guards (a fresh program).
void ResetGuards();

}  // namespace quiz
