// The program record and the one way of a session: begin, grade, end.
#include "session/session.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bank/question.h"
#include "board/screen.h"
#include "common/program_texts.h"
#include "platform/files.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "records/clock.h"
#include "records/progress.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "session/kinds.h"

namespace session {
namespace {

// The answers' shuffle, record by record as the loader closes them: the same draws, in the same
// (chain) order, as Arrange takes them, while each record's variants are still in the cache.
void ShuffleAnswersOnLoad(QuestionClass& q, int present) {
  bank::ShuffleVariants(q, present, P().rng);
}

void TickOptions() {
  const records::Options& o = P().data.CurrentOptions();
  ws::SetMenuTick(P().menuBar, kCmdShuffleQuestions, o.shuffleQuestions);
  ws::SetMenuTick(P().menuBar, kCmdShuffleAnswers, o.shuffleAnswers);
  ws::SetMenuTick(P().menuBar, kCmdResume, o.resume);
}

void ApplyOptions() {
  const records::Options& o = P().data.CurrentOptions();
  // The loader computes the content keys only while someone will ask for them.
  Topic_test.KeyOnLoad = o.resume;
  Topic_test.ArrangeOnLoad = o.shuffleAnswers ? ShuffleAnswersOnLoad : nullptr;
  TickOptions();
}

void AppendResult(int rounds) {
  Program& p = P();
  records::ResultRecord r;
  r.Mode = p.current.kind;
  records::LocalStamp(records::NowSeconds(), r.When);
  auto copy = [](char* out, const std::string& text) {
    std::size_t n = strnlen(text.c_str(), kTitleCapacity - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  };
  copy(r.Discipline, p.current.discipline);
  copy(r.Topic, p.current.topic);
  r.DisciplineUtf8 = p.current.disciplineUtf8;
  r.TopicUtf8 = p.current.topicUtf8;
  r.Questions = p.questions;
  r.Asked = p.asked;
  r.Right = p.right;
  r.PercentTenths = records::PercentTenths(p.right, p.asked);
  r.Rounds = rounds;
  std::int64_t seconds = records::NowSeconds() - p.started;
  r.Seconds = seconds < 0 ? 0 : seconds;  // the clock was set back meanwhile
  r.Resumed = p.resumed;
  p.data.AppendResult(r);
}

}  // namespace

void Prepare(Program& p, HWND owner) {
  if (p.current.prepare != nullptr)
    p.current.prepare(p, owner);
  else
    PrepareAssembled(p);
}

void PrepareAssembled(Program& p) {
  // No progress file: the questions came from several files and are asked for their own sake.
  p.progress.None();
  const records::Options& o = p.data.CurrentOptions();
  bool answers = o.shuffleAnswers;
  bool questions = o.shuffleQuestions && p.current.mayShuffleQuestions;
  if (answers || questions) bank::Arrange(Topic_test, p.rng, answers, questions, {});
}

Program& P() {
  static Program program;
  return program;
}

void Init(const char* folder, bool writable, records::Handler handler) {
  Program& p = P();
  HMENU bar = p.menuBar;
  p = Program();
  p.menuBar = bar;
  p.data.Open(folder, writable, handler);
  std::string ini = p.data.IniText();
  p.review = review::ParseSettings(ini.data(), ini.size());
  review::ParametersRead params = review::ReadParameters(ini);
  p.params = params.params;
  p.paramsFitted = params.fitted;
  p.paramsIgnored = params.ignored;
  p.rng.state = static_cast<std::uint64_t>(records::NowSeconds()) * 0x9e3779b97f4a7c15ull ^
                reinterpret_cast<std::uintptr_t>(&p);
  ApplyOptions();
}

records::DataFolder& Data() {
  return P().data;
}

void WarnUnwritable() {
  P().data.WarnUnwritable();
}

void Close() {
  P().data.Close();
}

void WarnIgnoredParameters() {
  Program& p = P();
  if (!p.paramsIgnored) return;
  p.paramsIgnored = false;
  p.data.Warn(ptext::kParametersIgnored.c_str(), ptext::kWarnCaption.c_str());
}

const records::Options& Current() {
  return P().data.CurrentOptions();
}

void SetOptions(const records::Options& options) {
  P().data.SetOptions(options);
  ApplyOptions();
}

void UseMenuBar(HMENU bar) {
  P().menuBar = bar;
  TickOptions();
}

bool MenuCommand(unsigned wParam, HWND sender) {
  if (sender != nullptr || (wParam >> 16) != 0) return false;
  records::Options o = Current();
  switch (wParam) {
    case kCmdShuffleQuestions:
      o.shuffleQuestions = !o.shuffleQuestions;
      break;
    case kCmdShuffleAnswers:
      o.shuffleAnswers = !o.shuffleAnswers;
      break;
    case kCmdResume:
      o.resume = !o.resume;
      break;
    case kCmdResults:
      ws::OpenResultsWindow(OnScreen2.hInst, OnScreen2.hWnd, OnScreen2.Dpi,
                            [] { return ReadResults(); });
      return true;
    default:
      return false;
  }
  SetOptions(o);
  return true;
}

const review::Settings& ReviewSettings() {
  return P().review;
}

void Begin(Session session, HWND owner, bool now) {
  Program& p = P();
  std::sort(session.assembled.begin(), session.assembled.end(),
            [](const AssembledFile& a, const AssembledFile& b) { return a.key < b.key; });
  p.live = true;
  p.current = std::move(session);
  p.resumed = false;
  p.asked = 0;
  p.right = 0;
  // Every record the loader links holds a question; only the head of an empty file has none.
  p.questions = Topic_test.Count == 1 && !Topic_test.Head.bExists ? 0 : Topic_test.Count;
  bNobodyHome = false;
  if (now) {
    // Placed at once: a start message of a topic loaded before is of no use now.
    quiz::ResetGuards();
    Prepare(p, owner);
    return;
  }
  // Counted before the kind prepares the topic: a start of an earlier load that comes while
  // its box is up then only counts itself off.
  quiz::NoteStartPosted();
  // While the box asking whether to continue is up the flow and the chooser take nothing (the
  // board still shows the topic before).
  quiz::bFlowBusy = true;
  Prepare(p, owner);
  quiz::bFlowBusy = false;
  if (quiz::bStartDeferred) {
    // A start of an earlier load that came during the box: it only counts itself off.
    quiz::bStartDeferred = false;
    quiz::Start();
  }
  if (!ws::PostStart(OnScreen2.hWnd)) quiz::StartNotPosted();
}

bool ShowsMarks() {
  return !P().live || P().current.marks;
}

int Started() {
  Program& p = P();
  p.asked = 0;
  p.right = 0;
  p.started = records::NowSeconds();
  if (!p.resumed) return 0;
  return Topic_test.GetNextQuestion(0);
}

void Graded(QuestionClass& q, int round, bool solved) {
  Program& p = P();
  if (round == 1) {
    ++p.asked;
    if (solved) ++p.right;
  }
  if (!p.live || !p.data.Writable()) return;  // nothing to remember or log: the key is not needed
  // A card without variants is no review question: no session could ask it again.
  bool reviewable = bank::PresentVariants(q) > 0;
  std::uint64_t key = records::ContentKey(q);
  if (reviewable && p.current.kind == records::Kind::kTopic) {
    LogReview(p.current.file.c_str(), key, solved, p.current.kind, p.current.fileUtf8);
  } else if (reviewable) {
    // An assembled topic: each question is logged under the file it came from.
    const std::vector<AssembledFile>& files = p.current.assembled;
    auto at = std::lower_bound(files.begin(), files.end(), key,
                               [](const AssembledFile& f, std::uint64_t k) { return f.key < k; });
    const bool found = at != files.end() && at->key == key;
    LogReview(found ? at->file.c_str() : "", key, solved, p.current.kind, found && at->utf8);
  }
  if (solved && p.current.keepsProgress && Current().resume) p.progress.Remember(p.data, key);
}

void LogReview(const char* catalogueFile, std::uint64_t key, bool right, records::Kind kind,
               bool fileUtf8) {
  Program& p = P();
  if (!p.data.Writable()) return;
  std::string line =
      review::LogLine(records::NowSeconds(), catalogueFile, key,
                      right ? review::kGradeRight : review::kGradeWrong, kind, fileUtf8);
  p.data.AppendReview(line, review::LogHeader().c_str());
}

void Ended(int rounds) {
  Program& p = P();
  if (!p.live) return;
  p.live = false;
  // An attempt that asked nothing (a topic solved whole before, continued) is no attempt.
  if (p.data.Writable() && p.asked > 0) AppendResult(rounds);
  p.progress.Forget(p.data);
}

std::string IniText() {
  return P().data.IniText();
}

void SaveIni(const std::string& text) {
  P().data.SaveIni(text);
}

void AppendRecord(const records::ResultRecord& record) {
  P().data.AppendResult(record);
}

std::vector<records::ResultRecord> ReadResults(std::size_t limit) {
  return P().data.ReadResults(limit);
}

}  // namespace session
