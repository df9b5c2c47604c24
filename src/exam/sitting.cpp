// The sitting on the board, its timer, its end and its record.
#include "exam/sitting.h"

#include <chrono>
#include <cstring>

#include "bank/question.h"
#include "board/screen.h"
#include "common/cp1251.h"
#include "exam/draw.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "shell/globals.h"
#include "study/study.h"

namespace exam {
namespace {

constexpr char kTitle[] = "Exameo 2.0";
constexpr auto kCaption = Cp1251("Экзамен");
constexpr auto kInterrupt = Cp1251("Прервать экзамен?");

std::int64_t SteadyNow() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct State {
  bool running = false;
  bool expired = false;  // the time ran out while a box was up
  std::string discipline;
  std::string topic;  // empty: all topics
  std::vector<Source> sources;
  std::vector<unsigned> ticked;
  std::vector<bool> reached;
  std::int64_t started = 0;
  std::int64_t limitMs = 0;
  std::string title;  // the title last shown
  Report report;
};

State& S() {
  static State state;
  return state;
}

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
  std::int64_t elapsed = NowMs() - S().started;
  return elapsed < 0 ? 0 : elapsed;
}

void ShowTitle() {
  State& s = S();
  std::int64_t remaining = RemainingSeconds(s.limitMs, ElapsedMs());
  std::string title =
      TitleLine(Topic_test.Current + 1, Topic_test.Count, s.limitMs / 1000, remaining);
  if (title == s.title) return;
  s.title = title;
  ws::SetTitle(OnScreen2.hWnd, title.c_str());
}

// Takes the answer of the question on screen.
void Take() {
  State& s = S();
  int current = Topic_test.Current;
  if (current < 0 || current >= Topic_test.Count) return;
  QuestionClass& q = *Topic_test.Get(current);
  std::size_t at = static_cast<std::size_t>(current);
  s.ticked[at] = TicksOnScreen(q);
  s.reached[at] = true;
  // Each answer is a grading of the review log, when it is given; an unreached question none.
  bool right = ScoreOf(q, s.ticked[at], true).verdict == Verdict::kRight;
  study::LogReview(s.sources[at].File, s.sources[at].Key, right, review::Mode::kExam);
}

// Ends the sitting: scores, record, the board emptied, the report (unless the program closes).
void Finish(bool showReport) {
  State& s = S();
  s.running = false;
  s.expired = false;
  ws::SetTicking(OnScreen2.hWnd, false);
  std::int64_t ms = ElapsedMs();
  if (s.limitMs > 0 && ms > s.limitMs) ms = s.limitMs;

  Report report;
  Summary& sum = report.summary;
  sum.discipline = s.discipline;
  sum.topic = s.topic;
  sum.drawn = Topic_test.Count;
  sum.seconds = ms / 1000;
  sum.limitSeconds = s.limitMs / 1000;
  sum.thresholds = ReadThresholds(study::IniText());
  int answered = 0;
  for (int i = 0; i < Topic_test.Count; ++i) {
    const QuestionClass& q = *Topic_test.Get(i);
    std::size_t at = static_cast<std::size_t>(i);
    Score score = ScoreOf(q, s.ticked[at], s.reached[at]);
    answered += s.reached[at] ? 1 : 0;
    sum.right += score.verdict == Verdict::kRight ? 1 : 0;
    sum.credit += score.credit;
    report.rows.push_back(RowOf(i + 1, q, s.ticked[at], score.verdict));
    if (score.verdict != Verdict::kRight) report.mistakes.push_back(s.sources[at]);
  }
  report.lines = ReportLines(sum);

  // A sitting ended before its first answer is no attempt.
  if (answered > 0) {
    study::ResultRecord r;
    study::LocalStamp(study::NowSeconds(), r.When);
    auto copy = [](char* out, const std::string& text) {
      std::size_t n = text.size() < study::kResultTextCapacity - 1 ? text.size()
                                                                   : study::kResultTextCapacity - 1;
      std::memcpy(out, text.data(), n);
      out[n] = '\0';
    };
    copy(r.Discipline, sum.discipline);
    copy(r.Topic, TopicOrAll(sum.topic));
    r.Questions = sum.drawn;
    r.Asked = answered;
    r.Right = sum.right;
    r.PercentTenths = RightPercentTenths(sum);
    r.Rounds = 1;
    r.Seconds = sum.seconds;
    r.Resumed = false;
    r.Mode = study::ResultMode::kExam;
    r.CreditTenths = CreditPercentTenths(sum);
    const char* grade = GradeOf(sum.right, sum.drawn, sum.thresholds);
    std::memcpy(r.Grade, grade, std::strlen(grade) + 1);
    study::AppendRecord(r);
  }
  s.report = std::move(report);

  // The board as after "Game over"; the questions are not needed any more.
  Topic_test.Round = 1;
  Topic_test.Current = -1;
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  ws::SetTitle(OnScreen2.hWnd, kTitle);
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
        {&s.report.lines, &s.report.rows, !s.report.mistakes.empty(), DrillMistakes});
}

bool TimeIsUp() {
  State& s = S();
  return s.limitMs > 0 && ElapsedMs() >= s.limitMs;
}

}  // namespace

std::int64_t (*NowMs)() = SteadyNow;
DisciplineClass Catalogue;

bool LoadCatalogue(int discipline) {
  if (discipline < 0 || discipline >= kMaxDisciplines ||
      !Discipline.Disciplines[discipline].bExists)
    return false;
  Catalogue.UnloadTopics();
  Catalogue.LoadTopics(Discipline.Disciplines[discipline]);
  return true;
}

bool Running() {
  return S().running;
}

bool Begin(int discipline, int topic, int count, int minutes) {
  State& s = S();
  if (s.running || quiz::bFlowBusy || !LoadCatalogue(discipline)) return false;
  if (topic >= kMaxTopics || (topic >= 0 && !Catalogue.Topics[topic].bExists)) return false;
  Pool pool = PoolOf(Catalogue, topic);
  std::vector<Pick> picks = DrawPicks(pool, count, study::Rng);
  if (picks.empty()) return false;
  std::vector<const char*> files;
  for (int t : pool.topics) files.push_back(Catalogue.Topics[t].Path);
  std::vector<Source> sources;
  // The topic now on the board is given up: only the drawn questions stay loaded.
  int drawn = Assemble(Topic_test, files, pool.topics, picks, &sources);
  if (drawn == 0) return false;
  if (study::Current().shuffleAnswers)
    for (int i = 0; i < drawn; ++i) {
      QuestionClass& q = *Topic_test.Get(i);
      study::ShuffleVariants(q, PresentVariants(q), study::Rng);
    }

  s.running = true;
  s.expired = false;
  s.discipline = Discipline.Disciplines[discipline].Title;
  s.topic = topic >= 0 ? Catalogue.Topics[topic].Title : "";
  s.sources = std::move(sources);
  s.ticked.assign(static_cast<std::size_t>(drawn), 0);
  s.reached.assign(static_cast<std::size_t>(drawn), false);
  s.limitMs = static_cast<std::int64_t>(minutes < 0 ? 0 : minutes) * 60000;
  s.started = NowMs();
  s.title.clear();

  // A start message of a topic loaded before is of no use now.
  quiz::ResetGuards();
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  OnScreen2.Cleaner();
  Topic_test.Round = 1;
  Topic_test.Current = 0;
  OnScreen2.bAsk = true;
  OnScreen2.bAllRight = true;
  bNobodyHome = false;
  PlaceQuestion2(0);
  ShowTitle();
  if (s.limitMs > 0) ws::SetTicking(OnScreen2.hWnd, true);
  return true;
}

void Ok() {
  State& s = S();
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
  State& s = S();
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
  State& s = S();
  if (!s.running) return true;
  bool yes = ws::AskNoDefault(OnScreen2.hWnd, kInterrupt, kCaption);
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
  return S().report;
}

void DrillMistakes() {
  State& s = S();
  if (s.report.mistakes.empty() || quiz::bFlowBusy) return;
  // Taken before the question: ending a running sitting replaces the report.
  std::vector<Source> mistakes = s.report.mistakes;
  std::string discipline = s.report.summary.discipline;
  std::string topic = TopicOrAll(s.report.summary.topic);
  if (!MayInterrupt(false)) return;
  // The files in the order they first come, each loaded once.
  std::vector<const char*> files;
  std::vector<int> topics;
  std::vector<Pick> picks;
  for (const Source& m : mistakes) {
    std::size_t f = 0;
    while (f < files.size() && std::strcmp(files[f], m.File) != 0) ++f;
    if (f == files.size()) {
      files.push_back(m.File);
      topics.push_back(m.Topic);
    }
    picks.push_back({static_cast<int>(f), m.Place});
  }
  std::vector<Source> sources;
  if (Assemble(Topic_test, files, topics, picks, &sources) == 0) return;
  std::vector<study::AssembledFile> logged;
  for (const Source& m : sources) logged.push_back({m.Key, m.File});
  // Started as the chooser starts a topic: the start message places the first question.
  bNobodyHome = false;
  quiz::NoteStartPosted();
  quiz::bFlowBusy = true;
  study::AssembledLoaded(discipline.c_str(), topic.c_str(), study::ResultMode::kMistakes,
                         std::move(logged));
  quiz::bFlowBusy = false;
  if (!ws::PostStart(OnScreen2.hWnd)) quiz::StartNotPosted();
}

void Reset() {
  State& s = S();
  s = State();
}

}  // namespace exam
