// The exam's sitting: a timed run over an assembled topic, one OK per question, no marks until
// the report; its dialog's values over the program's catalogue.
#include <cstring>

#include "bank/question.h"
#include "board/screen.h"
#include "common/program_texts.h"
#include "common/utf8.h"
#include "exam/draw.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "records/clock.h"
#include "session/kinds.h"
#include "shell/globals.h"

namespace session {
namespace {

void PrepareSitting(Program& p, HWND);

// The ticks of the question on screen, as bits of its variant slots.
unsigned TicksOnScreen(const QuestionClass& q) {
  unsigned bits = 0;
  for (int k = 0; k < kMaxVariants; ++k) {
    if (!q.Vrnt[k].bExists) continue;
    if (ws::ReadTick(ws::FindChild(OnScreen2.hWnd, AnswerId(k))) == 1) bits |= 1u << k;
  }
  return bits;
}

std::int64_t ElapsedMs() {
  std::int64_t elapsed = records::NowMs() - P().sitting.started;
  return elapsed < 0 ? 0 : elapsed;
}

void ShowTitle() {
  Sitting& s = P().sitting;
  std::int64_t remaining = exam::RemainingSeconds(s.limitMs, ElapsedMs());
  std::string title =
      exam::TitleLine(Topic_test.Current + 1, Topic_test.Count, s.limitMs / 1000, remaining);
  if (title == s.title) return;
  s.title = title;
  ws::SetTitle(OnScreen2.hWnd, title.c_str());
}

// Takes the answer of the question on screen.
void Take() {
  Sitting& s = P().sitting;
  int current = Topic_test.Current;
  if (current < 0 || current >= Topic_test.Count) return;
  QuestionClass& q = *Topic_test.Get(current);
  std::size_t at = static_cast<std::size_t>(current);
  s.ticked[at] = TicksOnScreen(q);
  s.reached[at] = true;
  // Each answer is a grading of the review log, when it is given; an unreached question none.
  bool right = exam::ScoreOf(q, s.ticked[at], true).verdict == exam::Verdict::kRight;
  LogReview(s.sources[at].File, s.sources[at].Key, right, records::Kind::kExam,
            s.sources[at].FileUtf8);
}

// Ends the sitting: scores, record, the board emptied, the report (unless the program closes).
void Finish(bool showReport) {
  Program& p = P();
  Sitting& s = p.sitting;
  s.running = false;
  s.expired = false;
  p.live = false;
  ws::SetTicking(OnScreen2.hWnd, false);
  std::int64_t ms = ElapsedMs();
  if (s.limitMs > 0 && ms > s.limitMs) ms = s.limitMs;

  Report report;
  exam::Summary& sum = report.summary;
  sum.discipline = s.discipline;
  sum.topic = s.topic;
  sum.disciplineUtf8 = s.disciplineUtf8;
  sum.topicUtf8 = s.topicUtf8;
  sum.drawn = Topic_test.Count;
  sum.seconds = ms / 1000;
  sum.limitSeconds = s.limitMs / 1000;
  sum.thresholds = exam::ReadThresholds(p.data.IniText());
  int answered = 0;
  for (int i = 0; i < Topic_test.Count; ++i) {
    const QuestionClass& q = *Topic_test.Get(i);
    std::size_t at = static_cast<std::size_t>(i);
    exam::Score score = exam::ScoreOf(q, s.ticked[at], s.reached[at]);
    answered += s.reached[at] ? 1 : 0;
    sum.right += score.verdict == exam::Verdict::kRight ? 1 : 0;
    sum.credit += score.credit;
    report.rows.push_back(exam::RowOf(i + 1, q, s.ticked[at], score.verdict));
    if (score.verdict != exam::Verdict::kRight) report.mistakes.push_back(s.sources[at]);
  }
  report.lines = exam::ReportLines(sum);

  // A sitting ended before its first answer is no attempt.
  if (answered > 0) {
    records::ResultRecord r;
    records::LocalStamp(records::NowSeconds(), r.When);
    auto copy = [](char* out, const std::string& text) {
      std::size_t n = text.size() < records::kResultTextCapacity - 1
                          ? text.size()
                          : records::kResultTextCapacity - 1;
      std::memcpy(out, text.data(), n);
      out[n] = '\0';
    };
    copy(r.Discipline, sum.discipline);
    copy(r.Topic, exam::TopicOrAll(sum.topic));
    r.DisciplineUtf8 = s.disciplineUtf8;
    r.TopicUtf8 = s.topicUtf8;
    r.Questions = sum.drawn;
    r.Asked = answered;
    r.Right = sum.right;
    r.PercentTenths = exam::RightPercentTenths(sum);
    r.Rounds = 1;
    r.Seconds = sum.seconds;
    r.Resumed = false;
    r.Mode = records::Kind::kExam;
    r.CreditTenths = exam::CreditPercentTenths(sum);
    const char* grade = exam::GradeOf(sum.right, sum.drawn, sum.thresholds);
    std::memcpy(r.Grade, grade, std::strlen(grade) + 1);
    r.ForecastPercent = s.forecastPercent;
    p.data.AppendResult(r);
  }
  p.report = std::move(report);

  // The board as after "Game over"; the questions are not needed any more.
  quiz::ClearBoard();
  Topic_test.UnloadQuestions();
  s.sources.clear();
  s.ticked.clear();
  s.reached.clear();
  bNobodyHome = true;
  PlaceQuestion2(-1);
  OnScreen2.bAsk = true;
  if (showReport)
    ws::OpenExamReport(
        OnScreen2.hInst, OnScreen2.hWnd,
        {&p.report.lines, &p.report.rows, !p.report.mistakes.empty(), DrillMistakes,
         exam::ReportLinesUtf8(p.report.summary)});
}

bool TimeIsUp() {
  Sitting& s = P().sitting;
  return s.limitMs > 0 && ElapsedMs() >= s.limitMs;
}

// The bare name of a description file: "3.txt" of "Base\3.txt".
const char* BareName(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  return slash != nullptr ? slash + 1 : path;
}

}  // namespace

bool LoadCatalogue(int discipline) {
  if (discipline < 0 || discipline >= kMaxDisciplines ||
      !Discipline.Disciplines[discipline].bExists)
    return false;
  P().catalogue.UnloadTopics();
  P().catalogue.LoadTopics(Discipline.Disciplines[discipline]);
  return true;
}

bool Running() {
  return P().sitting.running;
}

bool BeginSitting(int discipline, int topic, int count, int minutes) {
  Program& p = P();
  if (p.sitting.running || quiz::bFlowBusy || !LoadCatalogue(discipline)) return false;
  const DisciplineClass& catalogue = p.catalogue;
  if (topic >= kMaxTopics || (topic >= 0 && !catalogue.Topics[topic].bExists)) return false;
  exam::Pool pool = exam::PoolOf(catalogue, topic);
  std::vector<bank::Pick> picks = exam::DrawPicks(pool, count, p.rng);
  if (picks.empty()) return false;
  std::vector<files::Path> files;
  for (int t : pool.topics) files.push_back(PathOf(catalogue.Topics[t]));
  std::vector<bank::Source> sources;
  // The topic now on the board is given up: only the drawn questions stay loaded.
  int drawn = bank::Assemble(Topic_test, files, pool.topics, picks, &sources);
  if (drawn == 0) return false;

  Sitting& s = p.sitting;
  s = Sitting();
  s.disciplineUtf8 = utf8::Kept(Discipline.Disciplines[discipline].Title,
                                Discipline.Disciplines[discipline].bUtf8, &s.discipline);
  if (topic >= 0) s.topicUtf8 = utf8::Kept(catalogue.Topics[topic].Title, catalogue.Topics[topic].bUtf8, &s.topic);
  s.sources = std::move(sources);
  s.ticked.assign(static_cast<std::size_t>(drawn), 0);
  s.reached.assign(static_cast<std::size_t>(drawn), false);
  s.limitMs = static_cast<std::int64_t>(minutes < 0 ? 0 : minutes) * 60000;

  Session session;
  session.kind = records::Kind::kExam;
  session.discipline = s.discipline;
  session.topic = exam::TopicOrAll(s.topic);
  session.disciplineUtf8 = s.disciplineUtf8;
  session.topicUtf8 = s.topicUtf8;
  session.marks = false;
  session.rounds = false;
  session.mayShuffleQuestions = false;
  session.minutes = minutes < 0 ? 0 : minutes;
  session.prepare = PrepareSitting;
  for (const bank::Source& src : s.sources)
    session.assembled.push_back({src.Key, src.File, src.FileUtf8});
  Begin(std::move(session), OnScreen2.hWnd, true);
  return true;
}

namespace {

// A sitting's answers shuffled as the options say; its first question placed at once.
void PrepareSitting(Program& p, HWND) {
  Sitting& s = p.sitting;
  if (p.data.CurrentOptions().shuffleAnswers)
    for (int i = 0; i < Topic_test.Count; ++i) {
      QuestionClass& q = *Topic_test.Get(i);
      bank::ShuffleVariants(q, bank::PresentVariants(q), p.rng);
    }
  s.running = true;
  s.expired = false;
  s.started = records::NowMs();
  s.title.clear();
  quiz::PlaceFirst();
  ShowTitle();
  if (s.limitMs > 0) ws::SetTicking(OnScreen2.hWnd, true);
}

}  // namespace

void SittingOk() {
  Sitting& s = P().sitting;
  if (!s.running) return;
  int current = Topic_test.Current;
  if (current < 0 || current >= Topic_test.Count) return;
  Take();
  QuestionClass& q = *Topic_test.Get(current);
  for (int k = 0; k < kMaxVariants; ++k)
    if (q.Vrnt[k].bExists) ws::Enable(ws::FindChild(OnScreen2.hWnd, AnswerId(k)), false);
  if (current + 1 >= Topic_test.Count) {
    Finish(true);
    return;
  }
  Topic_test.Current = current + 1;
  PlaceQuestion2(Topic_test.Current);
  ShowTitle();
}

void Tick() {
  Sitting& s = P().sitting;
  if (!s.running) return;
  if (!TimeIsUp()) {
    ShowTitle();
    return;
  }
  // A box is up (the flow's, a help text, the question whether to interrupt): the sitting ends
  // once it is closed.
  if (quiz::bFlowBusy || ws::OpenBoxes() > 0) {
    s.expired = true;
    ShowTitle();
    return;
  }
  Take();
  Finish(true);
}

bool MayInterrupt(bool closing) {
  Sitting& s = P().sitting;
  if (!s.running) return true;
  bool yes = ws::AskNoDefault(OnScreen2.hWnd, ptext::kExamInterrupt, ptext::kExamCaption);
  if (!s.running) return true;  // ended while the box was up
  if (s.expired || TimeIsUp()) {
    // The time ran out while the question was up: the sitting ends as at any time-out.
    Take();
    Finish(!closing);
    return yes;
  }
  if (yes) Finish(!closing);
  return yes;
}

const Report& LastReport() {
  return P().report;
}

void ResetExam() {
  Program& p = P();
  // A sitting given up this way is no session any more: the flow shows marks again.
  if (p.sitting.running && p.current.kind == records::Kind::kExam) p.live = false;
  p.sitting = Sitting();
  p.report = Report();
}

int AvailableIn(int discipline, int topic) {
  if (!LoadCatalogue(discipline)) return 0;
  const DisciplineClass& catalogue = P().catalogue;
  if (topic >= kMaxTopics || (topic >= 0 && !catalogue.Topics[topic].bExists)) return 0;
  return exam::PoolOf(catalogue, topic).Available();
}

exam::Choice InitialChoice() {
  exam::Choice c;
  exam::Settings kept = exam::ReadSettings(IniText());
  c.discipline = -1;
  for (int i = 0; i < kMaxDisciplines; ++i) {
    if (!Discipline.Disciplines[i].bExists) continue;
    if (c.discipline < 0) c.discipline = i;
    if (!kept.discipline.empty() && kept.discipline == BareName(Discipline.Disciplines[i].Path)) {
      c.discipline = i;
      break;
    }
  }
  bool same = c.discipline >= 0 && !kept.discipline.empty() &&
              kept.discipline == BareName(Discipline.Disciplines[c.discipline].Path);
  if (c.discipline < 0) {
    c.discipline = 0;
    return c;
  }
  LoadCatalogue(c.discipline);
  const DisciplineClass& catalogue = P().catalogue;
  c.topic = -1;
  if (same && !kept.topic.empty()) {
    bool found = false;
    for (int i = 0; i < kMaxTopics && !found; ++i) {
      if (!catalogue.Topics[i].bExists || exam::TitleAsKept(catalogue.Topics[i].Title) != kept.topic)
        continue;
      c.topic = i;
      found = true;
    }
    // A topic that is gone falls back to all of them, and the rest to the first values.
    same = found;
  }
  int n = AvailableIn(c.discipline, c.topic);
  if (same && kept.count > 0 && kept.minutes >= 0) {
    c.count = exam::Clamp(kept.count, n > 0 ? 1 : 0, n);
    c.minutes = exam::Clamp(kept.minutes, 0, exam::kMaxMinutes);
  } else {
    c.count = n < exam::kFirstCount ? n : exam::kFirstCount;
    c.minutes = exam::Clamp(c.count, 0, exam::kMaxMinutes);
  }
  return c;
}

bool StartChoice(const exam::Choice& c) {
  if (c.discipline < 0 || c.discipline >= kMaxDisciplines ||
      !Discipline.Disciplines[c.discipline].bExists || c.count <= 0)
    return false;
  exam::Settings kept;
  kept.discipline = BareName(Discipline.Disciplines[c.discipline].Path);
  const DisciplineClass& catalogue = P().catalogue;
  if (LoadCatalogue(c.discipline) && c.topic >= 0 && c.topic < kMaxTopics &&
      catalogue.Topics[c.topic].bExists)
    kept.topic = catalogue.Topics[c.topic].Title;
  kept.count = c.count;
  kept.minutes = exam::Clamp(c.minutes, 0, exam::kMaxMinutes);
  SaveIni(exam::WriteSettings(IniText(), kept));
  // The forecast as it stands when the sitting begins, for its record.
  int forecast = ForecastPercent(c.discipline, c.topic);
  if (!BeginSitting(c.discipline, c.topic, c.count, kept.minutes)) return false;
  P().sitting.forecastPercent = forecast;
  return true;
}

}  // namespace session
