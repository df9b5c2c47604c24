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
#include "study/appends.h"
#include "study/ini.h"
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
// What a file that refuses a write is told with: the cause, the file, and that nothing is lost.
struct FaultWords {
  files::Fault fault;
  const char* before;  // the text before the file's path
  const char* after;   // and after it
};
constexpr auto kInUseBefore = Cp1251("Файл ");
constexpr auto kInUseAfter = Cp1251(
    " открыт в другой программе (например, в редакторе таблиц), и записать в него сейчас "
    "нельзя. Закройте его в той программе.\n");
constexpr auto kReadOnlyAfter =
    Cp1251(" доступен только для чтения, или нет прав на запись в него.\n");
constexpr auto kFullBefore = Cp1251("Не хватает места на диске для записи в файл ");
constexpr auto kOtherBefore = Cp1251("Не удаётся записать файл ");
constexpr auto kFolderBefore = Cp1251("Не удаётся записать в папку данных программы: ");
constexpr auto kDotAfter = Cp1251(".\n");
constexpr FaultWords kFaultWords[] = {
    {files::Fault::kInUse, kInUseBefore.c_str(), kInUseAfter.c_str()},
    {files::Fault::kReadOnly, kInUseBefore.c_str(), kReadOnlyAfter.c_str()},
    {files::Fault::kFull, kFullBefore.c_str(), kDotAfter.c_str()},
    {files::Fault::kFolder, kFolderBefore.c_str(), kDotAfter.c_str()},
    {files::Fault::kOther, kOtherBefore.c_str(), kDotAfter.c_str()},
};
constexpr auto kKeptText = Cp1251(
    "Программа хранит несохранённое в памяти и запишет его при следующей записи в этот файл или "
    "при закрытии программы.");
constexpr auto kAtExitText =
    Cp1251("Повторить запись? \"Нет\" - закрыть программу, потеряв несохранённое.");
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

  // What a write refused, kept for the next chance (appended lines are kept by study/appends).
  struct Whole {
    std::string path;
    std::string text;
  };
  std::vector<Whole> wholes;             // whole files still to be written
  std::vector<std::string> stale;        // progress files still to be removed
  std::vector<std::string> warnedFiles;  // told about, and not written since
  ResultMode mode = ResultMode::kPractice;
  std::vector<AssembledFile> assembled;  // of an assembled topic: its files by key (sorted)
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

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

// Reads the last `limit` bytes of a file at most, from the start of a line: a line cut by the
// limit is left out. A missing file reads as empty.
std::string ReadTail(const std::string& path, std::size_t limit) {
  files::InputFile file(path.c_str());
  std::uint64_t size = file.Size();
  std::string bytes;
  // One byte before the limit is read too: when it ends a line, no line was cut.
  std::uint64_t start = size > limit ? size - limit - 1 : 0;
  if (start > 0 && !file.SkipTo(start)) return bytes;
  std::size_t want = static_cast<std::size_t>(size - start);
  bytes.resize(want);
  std::size_t got = 0;
  while (got < want) {
    std::size_t n = file.Read(reinterpret_cast<unsigned char*>(bytes.data()) + got, want - got);
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  if (start > 0) {
    std::size_t end = bytes.find_first_of("\r\n");
    bytes.erase(0, end == std::string::npos ? bytes.size() : end + 1);
  }
  return bytes;
}

// Tells the user why a write of `path` failed, once until the file is written again (or once
// per run for the data folder itself); a write that went through ends the episode.
void Report(files::Fault fault, const std::string& path);

std::string FaultText(files::Fault fault, const std::string& path) {
  for (const FaultWords& w : kFaultWords)
    if (w.fault == fault)
      return w.before + (fault == files::Fault::kFolder ? S().folder : path) + w.after;
  return std::string();
}

void Report(files::Fault fault, const std::string& path) {
  State& s = S();
  auto at = std::find(s.warnedFiles.begin(), s.warnedFiles.end(), path);
  if (fault == files::Fault::kNone) {
    if (at != s.warnedFiles.end()) s.warnedFiles.erase(at);
    return;
  }
  if (fault == files::Fault::kFolder) {
    WarnUnwritable();
    return;
  }
  if (at != s.warnedFiles.end()) return;
  s.warnedFiles.push_back(path);
  std::string text = FaultText(fault, path) + kKeptText.c_str();
  ws::ShowBox(OnScreen2.hWnd, text.c_str(), kWarnCaption, ws::kBoxOk | ws::kBoxWarning);
}

State::Whole* FindWhole(const std::string& path) {
  for (State::Whole& w : S().wholes)
    if (w.path == path) return &w;
  return nullptr;
}

// Replaces the file at `path` with `text`; when it cannot, the text is kept for the next whole
// write of that file or the program's end.
bool SaveWhole(const std::string& path, std::string text) {
  files::Fault why = files::Fault::kNone;
  bool ok = files::WriteWhole(path.c_str(), text.data(), text.size(), &why);
  State::Whole* kept = FindWhole(path);
  if (ok && kept != nullptr) S().wholes.erase(S().wholes.begin() + (kept - S().wholes.data()));
  if (!ok && kept != nullptr) kept->text = std::move(text);
  if (!ok && kept == nullptr) S().wholes.push_back({path, std::move(text)});
  Report(why, path);
  return ok;
}

// Removes a progress file; one that cannot be removed now is tried again later.
bool RemoveProgressFile(const std::string& path, bool report) {
  State& s = S();
  files::Fault why = files::Fault::kNone;
  bool ok = files::RemoveFile(path.c_str(), &why);
  auto at = std::find(s.stale.begin(), s.stale.end(), path);
  if (ok && at != s.stale.end()) s.stale.erase(at);
  if (!ok && at == s.stale.end()) s.stale.push_back(path);
  if (report) Report(why, path);
  return ok;
}

constexpr std::size_t kOptionsLimit = 64 * 1024;
constexpr std::size_t kDataLimit = kResultsReadLimit;

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

// Reads the studied topic's progress and notes what its file is: what the file holds, or the
// whole text still waiting to replace it, with the lines still waiting to be appended to it
// and the keys remembered meanwhile.
void ReadProgress() {
  State& s = S();
  const std::string& path = s.progressPath;
  std::string bytes;
  bool fromFile = false;
  if (const State::Whole* kept = FindWhole(path)) {
    bytes = kept->text;
  } else if (std::find(s.stale.begin(), s.stale.end(), path) == s.stale.end() ||
             RemoveProgressFile(path, false)) {
    bytes = ReadFile(path, kDataLimit);
    fromFile = true;
  }
  ProgressRead read = ParseProgress(bytes.data(), bytes.size(), s.fullPath.c_str());
  std::vector<std::uint64_t> keys = std::move(read.keys);
  if (std::string_view lines = KeptLines(path); !lines.empty()) {
    std::string text = ProgressHeader(s.fullPath.c_str()) + std::string(lines);
    ProgressRead more = ParseProgress(text.data(), text.size(), s.fullPath.c_str());
    keys.insert(keys.end(), more.keys.begin(), more.keys.end());
  }
  keys.insert(keys.end(), s.solved.begin(), s.solved.end());
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  s.solved = std::move(keys);
  bool whole = fromFile && !bytes.empty() && IsLineEnd(bytes.back());
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
  std::string header = ProgressHeader(s.fullPath.c_str());
  if (s.file == FileState::kOurs) {
    // A line the file refuses now is kept and goes before the next one.
    Report(AppendKept(s.progressPath, ProgressLine(key), header.c_str()), s.progressPath);
    return;
  }
  files::MakeFolder(InFolder("progress").c_str());
  std::string text = header;
  for (std::uint64_t k : s.solved) text += ProgressLine(k);
  // Every key is in memory: a refused write is tried whole again at the next solved question.
  if (SaveWhole(s.progressPath, std::move(text))) {
    s.file = FileState::kOurs;
    DropKept(s.progressPath);
  }
}

void Forget() {
  State& s = S();
  if (s.progressPath.empty()) return;
  DropKept(s.progressPath);
  if (State::Whole* kept = FindWhole(s.progressPath))
    s.wholes.erase(s.wholes.begin() + (kept - s.wholes.data()));
  if (CanWrite()) RemoveProgressFile(s.progressPath, true);
  s.solved.clear();
  s.file = FileState::kNone;
}

// A results file still headed by the ten old columns gets the new header, the whole file
// rewritten through a temporary one, before a record of thirteen columns follows it. A file
// too large to be read whole keeps its header (the reader takes both kinds of line).
void UpgradeResultsHeader(const std::string& path) {
  std::string head = ReadFile(path, 512);
  if (!HasOldHeader(head.data(), head.size())) return;
  std::string bytes = ReadFile(path, kDataLimit);
  if (bytes.size() >= kDataLimit) return;
  std::string text = WithNewHeader(bytes.data(), bytes.size());
  files::Fault why = files::Fault::kNone;
  files::WriteWhole(path.c_str(), text.data(), text.size(), &why);
  Report(why, path);
}

void AppendResult(int rounds) {
  State& s = S();
  ResultRecord r;
  r.Mode = s.mode;
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
  AppendRecord(r);
}

}  // namespace

void AppendRecord(const ResultRecord& r) {
  if (!CanWrite()) return;
  std::string path = InFolder("results.csv");
  UpgradeResultsHeader(path);
  // A new or empty file gets the header; one whose last line was torn gets a line end first,
  // so the record does not join the torn line. A record the file refuses is kept.
  Report(AppendKept(path, FormatResult(r), ResultsHeader().c_str()), path);
}

namespace {

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

void Init(const char* folder, bool writable) {
  State& s = S();
  s = State();
  ClearKept();
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

namespace {

// One more try of everything kept: appended lines, whole files, removals. kNone when nothing
// is left; else the first refusal and its file.
files::Fault SaveKept(std::string* path) {
  State& s = S();
  files::Fault first = FlushKept(path);
  for (std::size_t i = 0; i < s.wholes.size();) {
    files::Fault why = files::Fault::kNone;
    const State::Whole& w = s.wholes[i];
    if (files::WriteWhole(w.path.c_str(), w.text.data(), w.text.size(), &why)) {
      s.wholes.erase(s.wholes.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (first == files::Fault::kNone) {
      first = why;
      *path = w.path;
    }
    ++i;
  }
  for (std::size_t i = 0; i < s.stale.size();) {
    std::string stale = s.stale[i];
    files::Fault why = files::Fault::kNone;
    if (files::RemoveFile(stale.c_str(), &why)) {
      s.stale.erase(s.stale.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (first == files::Fault::kNone) {
      first = why;
      *path = stale;
    }
    ++i;
  }
  return first;
}

}  // namespace

void Close() {
  for (;;) {
    std::string path;
    files::Fault why = SaveKept(&path);
    if (why == files::Fault::kNone) return;
    std::string text = FaultText(why, path) + kAtExitText.c_str();
    if (!ws::AskYesNo(nullptr, text.c_str(), kWarnCaption)) return;
  }
}

const Options& Current() {
  return S().options;
}

void SetOptions(const Options& options) {
  State& s = S();
  s.options = options;
  ApplyOptions();
  if (!CanWrite()) return;
  SaveIni(OptionsInto(IniText(), options));
}

std::string IniText() {
  if (S().folder.empty()) return std::string();
  std::string path = InFolder("exameo.ini");
  // A text the file refused is what the file holds for the program.
  if (const State::Whole* kept = FindWhole(path)) return kept->text;
  return ReadFile(path, kOptionsLimit);
}

void SaveIni(const std::string& text) {
  if (!CanWrite()) return;
  SaveWhole(InFolder("exameo.ini"), text);
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
      ws::OpenResultsWindow(OnScreen2.hInst, OnScreen2.hWnd, OnScreen2.Dpi,
                            [] { return ReadResults(); });
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
  s.mode = ResultMode::kPractice;
  s.assembled.clear();
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

void AssembledLoaded(const char* discipline, const char* topic, ResultMode mode,
                     std::vector<AssembledFile> files, bool mayShuffleQuestions) {
  State& s = S();
  s.live = true;
  s.mode = mode;
  std::sort(files.begin(), files.end(),
            [](const AssembledFile& a, const AssembledFile& b) { return a.key < b.key; });
  s.assembled = std::move(files);
  s.catalogueFile.clear();
  s.resumed = false;
  s.asked = 0;
  s.right = 0;
  s.solved.clear();
  s.file = FileState::kNone;
  CopyTitle(s.disciplineTitle, discipline != nullptr ? discipline : "");
  CopyTitle(s.topicTitle, topic != nullptr ? topic : "");
  // No progress file: the questions came from several files and are asked for their own sake.
  s.fullPath.clear();
  s.progressPath.clear();
  s.questions = Topic_test.Count == 1 && !Topic_test.Head.bExists ? 0 : Topic_test.Count;
  bool answers = s.options.shuffleAnswers;
  bool questions = s.options.shuffleQuestions && mayShuffleQuestions;
  if (answers || questions) Arrange(Topic_test, Rng, answers, questions, {});
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
  if (s.mode == ResultMode::kPractice) {
    LogReview(s.catalogueFile.c_str(), key, solved, review::Mode::kDrill);
  } else {
    // An assembled topic: each question is logged under the file it came from.
    auto at = std::lower_bound(s.assembled.begin(), s.assembled.end(), key,
                               [](const AssembledFile& f, std::uint64_t k) { return f.key < k; });
    const char* file = at != s.assembled.end() && at->key == key ? at->file.c_str() : "";
    review::Mode mode =
        s.mode == ResultMode::kReview ? review::Mode::kReview : review::Mode::kMistakes;
    LogReview(file, key, solved, mode);
  }
  if (solved && s.options.resume) RememberSolved(key);
}

void LogReview(const char* catalogueFile, std::uint64_t key, bool right, review::Mode mode) {
  if (!CanWrite()) return;
  std::string line = review::LogLine(NowSeconds(), catalogueFile, key,
                                     right ? review::kGradeRight : review::kGradeWrong, mode);
  // A line the file refuses (a spreadsheet holds it open) is kept for the next chance.
  std::string path = InFolder("reviews.csv");
  Report(AppendKept(path, line, review::LogHeader().c_str()), path);
}

void QuizOver(int rounds) {
  State& s = S();
  if (!s.live) return;
  s.live = false;
  // An attempt that asked nothing (a topic solved whole before, continued) is no attempt.
  if (CanWrite() && s.asked > 0) AppendResult(rounds);
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

std::vector<ResultRecord> ReadResults(std::size_t limit) {
  if (S().folder.empty()) return {};
  // The newest records are at the end: a file over the limit is read from its tail. Records
  // kept because the file refused them come after what it holds.
  std::string path = InFolder("results.csv");
  std::string bytes = ReadTail(path, limit);
  if (std::string_view kept = KeptLines(path); !kept.empty()) {
    if (!bytes.empty() && !IsLineEnd(bytes.back())) bytes += "\r\n";
    bytes += kept;
  }
  return ParseResults(bytes.data(), bytes.size());
}

}  // namespace study
