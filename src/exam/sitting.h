// The sitting: a timed exam over the assembled topic in Topic_test, on the board of the drill.
//
// One OK per question records its ticks and disables its check boxes without marks; nothing
// shows right or wrong until the end. The sitting ends after the last question, when its time
// runs out (the ticks on screen are that question's answer) or when the user interrupts it;
// then the record is appended to results.csv and the report opens. With no sitting started,
// nothing here acts, and the drill runs as it always has.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "exam/assembled.h"
#include "exam/rules.h"
#include "platform/handles.h"

namespace exam {

// The sittings' clock: milliseconds from any fixed moment, never going back. Replaceable by
// tests.
extern std::int64_t (*NowMs)();

// The catalogue the dialog and the sitting read: the disciplines of the program's catalogue and
// the topics of the one chosen, kept apart from the chooser's.
extern DisciplineClass Catalogue;
// Loads the topics of discipline `discipline` (an entry of the program's catalogue) into
// Catalogue; false when there is no such discipline.
bool LoadCatalogue(int discipline);

// A sitting is running.
bool Running();
// Starts a sitting of `count` questions of catalogue topic `topic` of Catalogue (as loaded for
// `discipline`), or of all its topics when `topic` is -1, with `minutes` to answer (0: no
// limit). False, and nothing changed, when no question can be drawn.
bool Begin(int discipline, int topic, int count, int minutes);
// OK during a sitting: records the ticks of the question on screen and asks the next.
void Ok();
// The timer: updates the title and ends the sitting when its time is up (once any box is
// closed).
void Tick();
// Before a command that would load other questions, and before the program closes: with a
// sitting running, asks "Прервать экзамен?"; Yes ends it (the questions not answered
// "без ответа"), records it and, unless `closing`, opens the report. True when the command may
// go on: no sitting, or Yes.
bool MayInterrupt(bool closing);

// What the report shows of the last sitting.
struct Report {
  Summary summary;
  std::vector<std::string> lines;  // ReportLines
  std::vector<Row> rows;
  std::vector<Source> mistakes;  // every question not fully right, in the asked order
};
const Report& LastReport();
// The report's "Работа над ошибками": the questions of LastReport().mistakes drilled in the
// usual flow (marks, rounds until all are solved), recorded as "ошибки". Asks first when a
// sitting runs; nothing when there are no mistakes or the flow is busy.
void DrillMistakes();

// A fresh program: no sitting, no report.
void Reset();

}  // namespace exam
