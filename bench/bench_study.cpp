// The study options on the large topic, every option on: one OK press that grades a question
// right (the progress line appended to its file included) or moves on, and what shuffling and
// resuming add to loading the topic.
//
//   build/native/bench/exameo_bench --benchmark_filter=Study
//
// BM_StudyGradePressRight/flush:0 is the program's own work on a grading press, /flush:1 the
// same press with the progress line flushed to the disk, as the program makes it.
//
// BM_StudyLoadExtra reports load_cpu_ms (the loader alone, every option off), extra_cpu_ms (what
// every option on adds: the loader's keys, shuffling the questions and the answers, reading the
// progress file of 5,000 solved questions, matching and marking them) and extra_cpu_pct, the
// second as a percentage of the first; the same in wall time (load_ms, extra_ms, extra_pct).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "bench_fail.h"
#include "bank/catalogue.h"
#include "bench_topic.h"
#include "bank/question.h"
#include "board/screen.h"
#include "fake/fake_window_system.h"
#include "platform/files.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "shell/routing.h"
#include "records/progress.h"
#include "review/log.h"
#include "session/session.h"
#include "shell/data.h"

namespace {

constexpr int kStudyQuestions = 10000;

// A working folder with Base\big.txt (kStudyQuestions questions of one or two lines and four
// variants, one correct) and a data folder, made once per process and removed at its end.
const std::filesystem::path& StudyFolder() {
  static const std::filesystem::path& folder = *new std::filesystem::path([] {
    std::filesystem::path dir = BenchFolder("study");
    std::filesystem::create_directories(dir / "Base");
    std::filesystem::create_directories(dir / "data");
    std::ofstream out(dir / "Base" / "big.txt", std::ios::binary | std::ios::trunc);
    WriteBenchTopic(out, kStudyQuestions);
    return dir;
  }());
  return folder;
}

std::string ProgressPath() {
  std::string full = files::FullPath("Base\\big.txt");
  return "data\\progress\\" + records::ProgressFileName(full.c_str());
}

// A fresh program in the working folder, every option on, the topic in the catalogue.
void FreshProgram() {
  std::filesystem::current_path(StudyFolder());
  FreshBoard();
  OpenDataFolder("data", true);
  session::SetOptions({true, true, true});
  Discipline.UnloadTopics();
  std::snprintf(Discipline.Topics[0].Title, kTitleCapacity, "Big");
  std::snprintf(Discipline.Topics[0].Path, kPathCapacity, "Base\\big.txt");
  Discipline.Topics[0].bExists = true;
  Discipline.LastTopic = 0;
}

// What the chooser's OK does: load, shuffle, ask about the progress; then the start.
void LoadAndStart() {
  Topic_test.UnloadQuestions();
  std::string path = "Base\\big.txt";
  Topic_test.LoadQuestions(path.data());
  session::BeginTopic(0, OnScreen2.hWnd);
  fake::Pump();  // the start message
}

// Ticks the right variants of the current question, as the user would before OK.
void TickRight() {
  QuestionClass* q = Topic_test.Get(Topic_test.Current);
  for (int k = 0; k < kMaxVariants; ++k)
    if (q->Vrnt[k].bExists && q->Vrnt[k].bCorrect) fake::TypeChar(static_cast<char>('1' + k));
}

// The grading press of a question answered right: marking, statistics, the progress line.
// With flush:0 the appended line is not flushed to the disk: the program's own work, which the
// aim of 1 ms is for; flush:1 is the press as the program makes it, the flush included. The
// difference is the disk's.
void BM_StudyGradePressRight(benchmark::State& state) {
  files::FlushAppends = state.range(0) != 0;
  FreshProgram();
  fake::SetYesNoAnswer(false);  // start afresh every time
  LoadAndStart();
  if (Topic_test.Count != kStudyQuestions) Fail(state, "the topic did not load");
  for (auto _ : state) {
    state.PauseTiming();
    if (bNobodyHome) LoadAndStart();
    TickRight();
    state.ResumeTiming();
    RouteCommand(kCmdOk);  // grade: right, remembered
    state.PauseTiming();
    RouteCommand(kCmdOk);  // move on
    fake::ClearDrawLog();
    state.ResumeTiming();
  }
  Topic_test.UnloadQuestions();
  files::FlushAppends = true;
}
BENCHMARK(BM_StudyGradePressRight)->ArgName("flush")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The grading press of a question answered with a mistake, every option on, with a review log
// of 100,000 lines already in the data folder: the line of the grading is appended (the log is
// read once in the run, not at every press). The appends are not flushed to the disk here, so
// the iteration time is the program's own work (BM_StudyGradePress times the flush apart);
// `own_us` is its median in wall time and `own_cpu_us` in processor time of this thread, which a
// busy machine does not inflate (`trusted` says whether the wall time stayed close to it);
// `first_us` is the first press. `over_aim` says whether `own_cpu_us` is over 1 ms.
void BM_StudyGradePressLogged(benchmark::State& state) {
  FreshProgram();
  fake::SetYesNoAnswer(false);
  {
    std::string log = review::LogHeader();
    for (int i = 0; i < 100000; ++i)
      log += review::LogLine(1796811300 + i, "Base\\big.txt",
                             0x9e3779b97f4a7c15ull * static_cast<std::uint64_t>(i % 10000 + 1),
                             i % 3 == 0 ? 1 : 3, review::Mode::kTopic);
    files::WriteWhole("data\\reviews.csv", log.data(), log.size());
  }
  files::FlushAppends = false;
  LoadAndStart();
  if (Topic_test.Count != kStudyQuestions) Fail(state, "the topic did not load");
  std::vector<double> own, ownCpu;
  for (auto _ : state) {
    if (bNobodyHome) LoadAndStart();
    fake::TypeChar('1');  // the first variant alone: a mistake unless it is the only right one
    fake::TypeChar('2');
    double c0 = ThreadCpuMs();
    auto t0 = std::chrono::steady_clock::now();
    RouteCommand(kCmdOk);  // grade: the log line appended
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    double cpu = ThreadCpuMs() - c0;
    state.SetIterationTime(ms / 1e3);
    own.push_back(ms);
    ownCpu.push_back(cpu);
    RouteCommand(kCmdOk);  // move on
    fake::ClearDrawLog();
  }
  files::FlushAppends = true;
  Topic_test.UnloadQuestions();
  std::string log;
  files::ReadBlocks("data\\reviews.csv", [&](const unsigned char* block, std::size_t size) {
    log.append(reinterpret_cast<const char*>(block), size);
    return true;
  });
  std::remove("data/reviews.csv");
  review::LogRead read = review::ParseLog(log.data(), log.size());
  if (read.entries.size() < 100000 + own.size() || read.skipped != 0) {
    Fail(state, "the gradings were not logged");
    return;
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  state.counters["own_us"] = median(own) * 1e3;
  state.counters["own_cpu_us"] = median(ownCpu) * 1e3;
  state.counters["first_us"] = own.empty() ? 0.0 : own.front() * 1e3;  // the log's one reading
  state.counters["trusted"] = median(own) < 1.25 * median(ownCpu) ? 1 : 0;
  state.counters["over_aim"] = median(ownCpu) > 1.0 ? 1 : 0;
}
BENCHMARK(BM_StudyGradePressLogged)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The moving-on press after a right answer: freezing it, finding and placing the next one.
void BM_StudyMoveOnPress(benchmark::State& state) {
  FreshProgram();
  fake::SetYesNoAnswer(false);
  LoadAndStart();
  for (auto _ : state) {
    state.PauseTiming();
    if (bNobodyHome) LoadAndStart();
    TickRight();
    RouteCommand(kCmdOk);  // grade
    fake::ClearDrawLog();
    state.ResumeTiming();
    RouteCommand(kCmdOk);  // move on
  }
  Topic_test.UnloadQuestions();
}
BENCHMARK(BM_StudyMoveOnPress)->Unit(benchmark::kMicrosecond);

// What the options add to loading: in each iteration the topic is loaded with every option off
// (the loader alone, as the program loads it then) and with every option on (the loader with
// its keys, both shuffles, the progress file of 5,000 solved questions read, matched and
// marked), each from an unloaded topic. The figures are medians of the iterations, in
// processor time of this thread and in wall time; a shared machine disturbs the latter more.
// `extra_cpu_pct` is the figure to hold against the aim of 20 %; `trusted` says whether the
// thread was seldom kept waiting (wall time within 25 % of processor time); `over_aim` says
// whether the median is over 20 %. It is met (about 14 to 17 %, against 23 to 26 % before the
// answers were shuffled in the loader and the key's variants added rather than sorted), but with
// a few points of margin only, so it is reported rather than failed: the brief run of the test
// command must not turn red on a busy machine.
void BM_StudyLoadExtra(benchmark::State& state) {
  FreshProgram();
  fake::SetYesNoAnswer(true);
  std::string path = "Base\\big.txt";
  Topic_test.UnloadQuestions();
  Topic_test.LoadQuestions(path.data());
  std::string full = files::FullPath(path.c_str());
  std::string text = records::ProgressHeader(full.c_str());
  for (int i = 0; i < Topic_test.Count; i += 2)
    text += records::ProgressLine(records::ContentKey(*Topic_test.Get(i)));
  files::MakeFolder("data\\progress");
  files::WriteWhole(ProgressPath().c_str(), text.data(), text.size());
  // The options change at every load: kept for the run only, so no options file is written
  // between the loads (the progress file is read all the same).
  OpenDataFolder("data", false);
  const records::Options off{false, false, false};
  const records::Options on{true, true, true};

  struct Times {
    double cpu = 0, wall = 0;
  };
  using Clock = std::chrono::steady_clock;
  // One load as the chooser's OK makes it, with `options`.
  auto load = [&](const records::Options& options) {
    session::SetOptions(options);
    Topic_test.UnloadQuestions();
    double c0 = ThreadCpuMs();
    auto t0 = Clock::now();
    Topic_test.LoadQuestions(path.data());
    session::BeginTopic(0, OnScreen2.hWnd);
    auto t1 = Clock::now();
    Times times{ThreadCpuMs() - c0, std::chrono::duration<double, std::milli>(t1 - t0).count()};
    fake::Pump();  // the start message, outside the time: it is the drill's, not the load's
    return times;
  };
  // The first loads of a process take the page faults of memory it has not held yet; the
  // measured ones reload into memory it holds, as the program does from its second topic on.
  load(on);
  load(off);

  std::vector<double> base, extra, baseWall, extraWalls;
  double cpu = 0, wall = 0;
  int solved = 0;
  for (auto _ : state) {
    Times a = load(off);
    Times b = load(on);
    base.push_back(a.cpu);
    extra.push_back(b.cpu - a.cpu);
    baseWall.push_back(a.wall);
    extraWalls.push_back(b.wall - a.wall);
    cpu += a.cpu + b.cpu;
    wall += a.wall + b.wall;
    state.SetIterationTime(b.wall / 1e3);
    solved = 0;
    for (int i = 0; i < Topic_test.Count; ++i) solved += Topic_test.Get(i)->bSolved ? 1 : 0;
  }
  Topic_test.UnloadQuestions();
  session::SetOptions(off);
  fake::ClearDrawLog();
  if (solved != kStudyQuestions / 2) {
    Fail(state, "the progress did not match");
    return;
  }
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
  };
  double loadCpu = median(base), extraCpu = median(extra);
  double loadWall = median(baseWall), extraWall = median(extraWalls);
  state.counters["load_cpu_ms"] = loadCpu;
  state.counters["extra_cpu_ms"] = extraCpu;
  state.counters["extra_cpu_pct"] = 100.0 * extraCpu / loadCpu;
  state.counters["load_ms"] = loadWall;
  state.counters["extra_ms"] = extraWall;
  state.counters["extra_pct"] = 100.0 * extraWall / loadWall;
  bool trusted = cpu > 0 && wall < 1.25 * cpu;
  state.counters["trusted"] = trusted ? 1 : 0;
  state.counters["over_aim"] = extraCpu > 0.2 * loadCpu ? 1 : 0;
}
BENCHMARK(BM_StudyLoadExtra)->UseManualTime()->Unit(benchmark::kMillisecond);
}  // namespace
