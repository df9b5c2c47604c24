// The study features' state and the hooks the shell and the quiz flow call.
#include "study/study.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "bank/catalogue.h"
#include "bank/question.h"
#include "board/screen.h"
#include "common/cp1251.h"
#include "platform/files.h"
#include "platform/window_system.h"
#include "shell/commands.h"
#include "shell/globals.h"
#include "study/progress.h"

namespace study {
namespace {

std::int64_t SystemNow() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

void SystemStamp(std::int64_t seconds, char out[17]) {
  std::time_t t = static_cast<std::time_t>(seconds);
  std::tm local{};
#ifdef _WIN32
  bool ok = localtime_s(&local, &t) == 0;
#else
  bool ok = localtime_r(&t, &local) != nullptr;
#endif
  if (!ok) local = std::tm{};
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d", (local.tm_year + 1900) % 10000,
                (local.tm_mon + 1) % 100, local.tm_mday % 100, local.tm_hour % 100,
                local.tm_min % 100);
  std::memcpy(out, stamp, 16);
  out[16] = '\0';
}

constexpr auto kWarnCaption = Cp1251("Параметры");
constexpr auto kWarnText = Cp1251(
    "Не удаётся записать в папку данных программы. Параметры действуют до закрытия программы, "
    "ход изучения и результаты не сохраняются.\n");
constexpr auto kAskCaption = Cp1251("Продолжить с места остановки");
constexpr auto kAskFormat = Cp1251(
    "В этой теме решено %d из %d %s.\nПродолжить с места остановки?\n\n"
    "\"Нет\" - начать тему заново.");
constexpr auto kQuestionOne = Cp1251("вопроса");
constexpr auto kQuestionMany = Cp1251("вопросов");

// What the progress file of the studied topic is known to be.
enum class FileState {
  kUnknown,  // not read yet, or a write failed halfway
  kOurs,     // begins with this topic's path and ends with a line end: lines may be appended
  kNone,     // missing, another topic's, or damaged: the next write replaces it whole
};

struct State {
  std::string folder;
  bool writable = false;  // a folder is known and can be written
  bool warned = false;
  Options options;
  review::Settings review;
  int discipline = -1;

  // The studied topic: from the chooser's load to "Game over".
  bool live = false;
  char disciplineTitle[kTitleCapacity] = {};
  char topicTitle[kTitleCapacity] = {};
  std::string fullPath;
  std::string catalogueFile;  // the topic's file as the catalogue names it, for the review log
  std::string progressPath;
  FileState file = FileState::kUnknown;
  std::vector<std::uint64_t> solved;  // keys in the file, when read (sorted)
  int questions = 0;
  bool resumed = false;
  int asked = 0;
  int right = 0;
  std::int64_t started = 0;

  // reviews.csv ends with a whole line: known after this run's first append, so the file is
  // read once per run rather than at every grading.
  bool logWhole = false;
};

State& S() {
  static State state;
  return state;
}

std::string InFolder(const char* name) {
  return S().folder + "\\" + name;
}

bool CanWrite() {
  return S().writable;
}

// Reads at most `limit` bytes of a file; a missing file reads as empty.
std::string ReadFile(const std::string& path, std::size_t limit) {
  std::string bytes;
  files::ReadBlocks(path.c_str(), [&](const unsigned char* block, std::size_t size) {
    std::size_t take = size < limit - bytes.size() ? size : limit - bytes.size();
    bytes.append(reinterpret_cast<const char*>(block), take);
    return bytes.size() < limit;
  });
  return bytes;
}

constexpr std::size_t kOptionsLimit = 64 * 1024;
constexpr std::size_t kDataLimit = 256u * 1024 * 1024;

void CopyTitle(char* out, const char* in) {
  std::size_t n = strnlen(in, kTitleCapacity - 1);
  std::memcpy(out, in, n);
  out[n] = '\0';
}

// The answers' shuffle, record by record as the loader closes them: the same draws, in the same
// (chain) order, as Arrange takes them, while each record's variants are still in the cache.
void ShuffleAnswersOnLoad(QuestionClass& q, int present) {
  ShuffleVariants(q, present, Rng);
}

void TickOptions() {
  ws::SetMenuTick(MenuBar, kCmdShuffleQuestions, S().options.shuffleQuestions);
  ws::SetMenuTick(MenuBar, kCmdShuffleAnswers, S().options.shuffleAnswers);
  ws::SetMenuTick(MenuBar, kCmdResume, S().options.resume);
}

void ApplyOptions() {
  // The loader computes the content keys only while someone will ask for them.
  Topic_test.KeyOnLoad = S().options.resume;
  Topic_test.ArrangeOnLoad = S().options.shuffleAnswers ? ShuffleAnswersOnLoad : nullptr;
  TickOptions();
}

// Reads the studied topic's progress file and notes what it is.
void ReadProgress() {
  State& s = S();
  std::string bytes = ReadFile(s.progressPath, kDataLimit);
  ProgressRead read = ParseProgress(bytes.data(), bytes.size(), s.fullPath.c_str());
  s.solved = std::move(read.keys);
  bool whole = !bytes.empty() && bytes.back() == '\n';
  s.file = read.ours && whole ? FileState::kOurs : FileState::kNone;
}

// Remembers a solved question: one appended line; the whole file when it is not ours yet (a
// fresh one, another topic's, or one whose last line was torn).
void RememberSolved(std::uint64_t key) {
  State& s = S();
  if (!CanWrite() || s.progressPath.empty()) return;
  if (s.file == FileState::kUnknown) ReadProgress();
  auto at = std::lower_bound(s.solved.begin(), s.solved.end(), key);
  if (at == s.solved.end() || *at != key) s.solved.insert(at, key);
  bool ok;
  if (s.file == FileState::kOurs) {
    std::string line = ProgressLine(key);
    ok = files::AppendBytes(s.progressPath.c_str(), line.data(), line.size());
  } else {
    files::MakeFolder(InFolder("progress").c_str());
    std::string text = ProgressHeader(s.fullPath.c_str());
    for (std::uint64_t k : s.solved) text += ProgressLine(k);
    ok = files::WriteWhole(s.progressPath.c_str(), text.data(), text.size());
  }
  s.file = ok ? FileState::kOurs : FileState::kUnknown;
  if (!ok) WarnUnwritable();
}

void Forget() {
  State& s = S();
  if (s.progressPath.empty()) return;
  if (CanWrite() && !files::RemoveFile(s.progressPath.c_str())) WarnUnwritable();
  s.solved.clear();
  s.file = FileState::kNone;
}

// Appends a whole line to a data file. A new or empty file gets the header first; one whose last
// line was torn gets a line end first, so the line does not join the torn one. Only the last
// byte is kept of what is read; with `whole` set (the file is known to end with a whole line)
// nothing is read. `whole`, when given, is updated. False when the append failed.
bool AppendLine(const std::string& path, const std::string& header, const std::string& line,
                bool* whole) {
  std::string text;
  if (whole == nullptr || !*whole) {
    bool empty = true;
    char last = '\n';
    files::ReadBlocks(path.c_str(), [&](const unsigned char* block, std::size_t size) {
      empty = false;
      last = static_cast<char>(block[size - 1]);
      return true;
    });
    if (empty)
      text = header;
    else if (last != '\n')
      text = "\r\n";
  }
  text += line;
  bool ok = AppendFile(path.c_str(), text.data(), text.size());
  if (whole != nullptr) *whole = ok;
  if (!ok) WarnUnwritable();
  return ok;
}

void AppendResult(int rounds) {
  State& s = S();
  ResultRecord r;
  LocalStamp(NowSeconds(), r.When);
  CopyTitle(r.Discipline, s.disciplineTitle);
  CopyTitle(r.Topic, s.topicTitle);
  r.Questions = s.questions;
  r.Asked = s.asked;
  r.Right = s.right;
  r.PercentTenths = PercentTenths(s.right, s.asked);
  r.Rounds = rounds;
  std::int64_t seconds = NowSeconds() - s.started;
  r.Seconds = seconds < 0 ? 0 : seconds;  // the clock was set back meanwhile
  r.Resumed = s.resumed;

  AppendLine(InFolder("results.csv"), ResultsHeader(), FormatResult(r), nullptr);
}

// The box asking whether to continue with `matched` questions remembered as solved: true for
// Yes; No forgets the topic's progress.
bool AskToResume(int matched, HWND owner) {
  State& s = S();
  char text[512];
  int n = s.questions;
  bool one = n % 10 == 1 && n % 100 != 11;  // "из 1 вопроса", "из 21 вопроса", "из 11 вопросов"
  std::snprintf(text, sizeof text, kAskFormat.c_str(), matched, n,
                one ? kQuestionOne.c_str() : kQuestionMany.c_str());
  if (ws::AskYesNo(owner, text, kAskCaption)) {
    s.resumed = true;
    return true;
  }
  Forget();
  return false;
}

}  // namespace

HMENU MenuBar = nullptr;
Random Rng;
std::int64_t (*NowSeconds)() = SystemNow;
void (*LocalStamp)(std::int64_t seconds, char out[17]) = SystemStamp;
bool (*AppendFile)(const char* path, const void* bytes, std::size_t size) = files::AppendBytes;

void Init(const char* folder, bool writable) {
  State& s = S();
  s = State();
  s.folder = folder != nullptr ? folder : "";
  while (!s.folder.empty() && (s.folder.back() == '\\' || s.folder.back() == '/'))
    s.folder.pop_back();
  s.writable = writable && !s.folder.empty();
  if (!s.folder.empty()) {
    std::string bytes = ReadFile(InFolder("exameo.ini"), kOptionsLimit);
    s.options = ParseOptions(bytes.data(), bytes.size());
    s.review = review::ParseSettings(bytes.data(), bytes.size());
  }
  Rng.state = static_cast<std::uint64_t>(NowSeconds()) * 0x9e3779b97f4a7c15ull ^
              reinterpret_cast<std::uintptr_t>(&s);
  ApplyOptions();
}

void UseMenuBar(HMENU bar) {
  MenuBar = bar;
  TickOptions();
}

const char* Folder() {
  return S().folder.c_str();
}

void WarnUnwritable() {
  State& s = S();
  if (s.warned) return;
  s.warned = true;
  std::string text = kWarnText.c_str() + s.folder;
  ws::ShowBox(OnScreen2.hWnd, text.c_str(), kWarnCaption, ws::kBoxOk | ws::kBoxWarning);
}

const Options& Current() {
  return S().options;
}

void SetOptions(const Options& options) {
  State& s = S();
  s.options = options;
  ApplyOptions();
  if (!CanWrite()) return;
  std::string text = FormatOptions(options) + review::FormatSettings(s.review);
  if (!files::WriteWhole(InFolder("exameo.ini").c_str(), text.data(), text.size()))
    WarnUnwritable();
}

bool MenuCommand(unsigned wParam, HWND sender) {
  if (sender != nullptr || (wParam >> 16) != 0) return false;
  Options o = S().options;
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
      ws::OpenResultsWindow(OnScreen2.hInst, OnScreen2.hWnd);
      return true;
    default:
      return false;
  }
  SetOptions(o);
  return true;
}

void DisciplineOpened(int i) {
  S().discipline = i;
}

void TopicLoaded(int topic, HWND owner) {
  State& s = S();
  s.live = true;
  s.resumed = false;
  s.asked = 0;
  s.right = 0;
  s.solved.clear();
  s.file = FileState::kUnknown;
  s.disciplineTitle[0] = '\0';
  s.topicTitle[0] = '\0';
  if (s.discipline >= 0 && s.discipline < kMaxDisciplines)
    CopyTitle(s.disciplineTitle, Discipline.Disciplines[s.discipline].Title);
  const char* path = "";
  if (topic >= 0 && topic < kMaxTopics) {
    CopyTitle(s.topicTitle, Discipline.Topics[topic].Title);
    path = Discipline.Topics[topic].Path;
  }
  s.catalogueFile = path;
  s.fullPath = files::FullPath(path);
  s.progressPath = s.folder.empty() || s.fullPath.empty()
                       ? std::string()
                       : InFolder("progress") + "\\" + ProgressFileName(s.fullPath.c_str());

  bool resume = s.options.resume && !s.progressPath.empty();
  if (resume) ReadProgress();
  // Every record the loader links holds a question; only the head of an empty file has none.
  s.questions = Topic_test.Count == 1 && !Topic_test.Head.bExists ? 0 : Topic_test.Count;
  // The remembered questions are found by the keys the loader computed (KeyOnLoad is set while
  // resume is on), without reading the records again.
  std::vector<int> matched;
  if (resume && !s.solved.empty() && s.questions > 0) matched = MatchSolved(Topic_test, s.solved);
  if (!matched.empty() && !AskToResume(static_cast<int>(matched.size()), owner)) matched.clear();
  // Marking, shuffling the answers (unless the loader did, as each record closed) and then the
  // questions take one pass over the records; the marks of a resumed topic move with the
  // questions' contents.
  bool answers = s.options.shuffleAnswers && !Topic_test.ArrangedOnLoad;
  if (!matched.empty() || answers || s.options.shuffleQuestions)
    Arrange(Topic_test, Rng, answers, s.options.shuffleQuestions, matched);
}

int QuizStarted() {
  State& s = S();
  s.asked = 0;
  s.right = 0;
  s.started = NowSeconds();
  if (!s.resumed) return 0;
  return Topic_test.GetNextQuestion(0);
}

void Graded(QuestionClass& q, int round, bool solved) {
  State& s = S();
  if (round == 1) {
    ++s.asked;
    if (solved) ++s.right;
  }
  if (!s.live || !CanWrite()) return;  // nothing to remember or log: the key is not needed
  std::uint64_t key = ContentKey(q);
  LogReview(s.catalogueFile.c_str(), key, solved, review::Mode::kDrill);
  if (solved && s.options.resume) RememberSolved(key);
}

void LogReview(const char* catalogueFile, std::uint64_t key, bool right, review::Mode mode) {
  State& s = S();
  if (!CanWrite()) return;
  std::string line = review::LogLine(NowSeconds(), catalogueFile, key,
                                     right ? review::kGradeRight : review::kGradeWrong, mode);
  AppendLine(InFolder("reviews.csv"), review::LogHeader(), line, &s.logWhole);
}

void QuizOver(int rounds) {
  State& s = S();
  if (!s.live) return;
  s.live = false;
  if (CanWrite()) AppendResult(rounds);
  Forget();
}

const review::Settings& ReviewSettings() {
  return S().review;
}

ReviewOverview ReviewCounts() {
  ReviewOverview view;
  std::int64_t now = NowSeconds();
  if (!S().folder.empty()) {
    std::string bytes = ReadFile(InFolder("reviews.csv"), kDataLimit);
    review::LogRead read = review::ParseLog(bytes.data(), bytes.size());
    view.skipped = read.skipped;
    view.states = review::Replay(read.entries);
  }
  view.bank = review::ScanBank(Discipline);
  view.counts =
      review::Count(view.states, view.bank, review::LocalHorizon(now), S().review.retention);
  return view;
}

std::vector<ResultRecord> ReadResults() {
  if (S().folder.empty()) return {};
  std::string bytes = ReadFile(InFolder("results.csv"), kDataLimit);
  return ParseResults(bytes.data(), bytes.size());
}

}  // namespace study
