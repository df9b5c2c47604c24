// The drill of an exam's mistakes: the report's "Работа над ошибками", drilled in the usual
// flow (marks, rounds until all are solved) and recorded as "ошибки".
#include <cstring>

#include "exam/rules.h"
#include "quiz/quiz.h"
#include "session/kinds.h"
#include "shell/globals.h"

namespace session {

void DrillMistakes() {
  Program& p = P();
  if (p.report.mistakes.empty() || quiz::bFlowBusy) return;
  // Taken before the question: ending a running sitting replaces the report.
  std::vector<bank::Source> mistakes = p.report.mistakes;
  std::string discipline = p.report.summary.discipline;
  std::string topic = exam::TopicOrAll(p.report.summary.topic);
  bool disciplineUtf8 = p.report.summary.disciplineUtf8;
  bool topicUtf8 = p.report.summary.topicUtf8 && !p.report.summary.topic.empty();
  if (!MayInterrupt(false)) return;
  // The files in the order they first come, each loaded once.
  std::vector<files::Path> files;
  std::vector<int> topics;
  std::vector<bank::Pick> picks;
  for (const bank::Source& m : mistakes) {
    std::size_t f = 0;
    while (f < files.size() &&
           (files[f].utf8 != m.FileUtf8 || std::strcmp(files[f].bytes, m.File) != 0))
      ++f;
    if (f == files.size()) {
      files.push_back(files::Path(m.File, m.FileUtf8));
      topics.push_back(m.Topic);
    }
    picks.push_back({static_cast<int>(f), m.Place});
  }
  std::vector<bank::Source> sources;
  if (bank::Assemble(Topic_test, files, topics, picks, &sources) == 0) return;
  Session s;
  s.kind = records::Kind::kMistakes;
  s.discipline = discipline;
  s.topic = topic;
  s.disciplineUtf8 = disciplineUtf8;
  s.topicUtf8 = topicUtf8;
  for (const bank::Source& m : sources) s.assembled.push_back({m.Key, m.File, m.FileUtf8});
  Begin(std::move(s), OnScreen2.hWnd);
}

}  // namespace session
