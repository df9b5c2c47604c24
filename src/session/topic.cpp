// A topic's drill: the chooser's topic, shuffled, resumed from its progress file when asked.
#include <cstdio>
#include <vector>

#include "common/program_texts.h"
#include "common/utf8.h"
#include "platform/files.h"
#include "platform/window_system.h"
#include "records/progress.h"
#include "session/kinds.h"
#include "shell/globals.h"

namespace session {
namespace {

// The box asking whether to continue with `matched` questions remembered as solved: true for
// Yes; No forgets the topic's progress.
bool AskToResume(Program& p, int matched, HWND owner) {
  char text[512];
  int n = p.questions;
  bool one = n % 10 == 1 && n % 100 != 11;  // "из 1 вопроса", "из 21 вопроса", "из 11 вопросов"
  std::snprintf(text, sizeof text, ptext::kResumeFormat.c_str(), matched, n,
                one ? ptext::kQuestionGenitiveOne.c_str() : ptext::kQuestionGenitiveMany.c_str());
  if (ws::AskYesNo(owner, text, ptext::kResumeCaption)) {
    p.resumed = true;
    return true;
  }
  p.progress.Forget(p.data);
  return false;
}

void PrepareTopic(Program& p, HWND owner);

}  // namespace

void DisciplineOpened(int i) {
  P().discipline = i;
}

void BeginTopic(int topic, HWND chooser) {
  Program& p = P();
  Session s;
  s.kind = records::Kind::kTopic;
  s.keepsProgress = true;
  s.prepare = PrepareTopic;
  if (p.discipline >= 0 && p.discipline < kMaxDisciplines) {
    const TitlePath& d = Discipline.Disciplines[p.discipline];
    s.disciplineUtf8 = utf8::Kept(d.Title, d.bUtf8, &s.discipline);
  }
  if (topic >= 0 && topic < kMaxTopics) {
    s.topicIndex = topic;
    const TitlePath& t = Discipline.Topics[topic];
    s.topicUtf8 = utf8::Kept(t.Title, t.bUtf8, &s.topic);
    s.file = Discipline.Topics[topic].Path;
    s.fileUtf8 = Discipline.Topics[topic].bPathUtf8;
  }
  Begin(std::move(s), chooser);
}

namespace {

void PrepareTopic(Program& p, HWND owner) {
  const records::Options& o = p.data.CurrentOptions();
  // A path Windows-1251 cannot spell is keyed on its UTF-8 full path; every other path on its
  // Windows-1251 bytes, as ever.
  p.progress.Start(p.data,
                   files::FullPath(files::Path(p.current.file.c_str(), p.current.fileUtf8)));
  bool resume = o.resume && p.progress.Kept();
  if (resume) p.progress.Read(p.data);
  // The remembered questions are found by the keys the loader computed (KeyOnLoad is set while
  // resume is on), without reading the records again.
  std::vector<int> matched;
  if (resume && !p.progress.Solved().empty() && p.questions > 0)
    matched = records::MatchSolved(Topic_test, p.progress.Solved());
  if (!matched.empty() && !AskToResume(p, static_cast<int>(matched.size()), owner))
    matched.clear();
  // Marking, shuffling the answers (unless the loader did, as each record closed) and then the
  // questions take one pass over the records; the marks of a resumed topic move with the
  // questions' contents.
  bool answers = o.shuffleAnswers && !Topic_test.ArrangedOnLoad;
  if (!matched.empty() || answers || o.shuffleQuestions)
    bank::Arrange(Topic_test, p.rng, answers, o.shuffleQuestions, matched);
}

}  // namespace

}  // namespace session
