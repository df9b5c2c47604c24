// The core time of the OK command on a large topic, on the in-memory window system: one press
// (grading, or moving on with the placement of the next question), and a whole round.
//
//   cmake --build build/native --target exameo_bench
//   build/native/bench/exameo_bench --benchmark_filter=Quiz
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_fail.h"
#include "bank/catalogue.h"
#include "bench_topic.h"
#include "bank/question.h"
#include "board/screen.h"
#include "fake/fake_window_system.h"
#include "platform/window_system.h"
#include "quiz/quiz.h"
#include "common/commands.h"
#include "shell/globals.h"
#include "shell/routing.h"

namespace {

constexpr int kQuizQuestions = 10000;

// A topic of kQuizQuestions questions of one or two lines of text and four variants, one of them
// correct, written once to a temporary file.
const std::string& TopicFile() {
  static const std::string path = [] {
    auto file = std::filesystem::temp_directory_path() / "exameo-bench-quiz.txt";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    WriteBenchTopic(out, kQuizQuestions);
    return file.string();
  }();
  return path;
}

// A fresh program with the large topic loaded and started.
void StartLargeTopic() {
  FreshBoard();
  Topic_test.UnloadQuestions();
  std::string path = TopicFile();
  Topic_test.LoadQuestions(path.data());
  bNobodyHome = false;
  StartQuiz();
}

// One OK press: grading and moving on alternate. Nothing is ticked, so no question is ever
// solved and the rounds go on for as long as the benchmark runs.
void BM_QuizOkPress(benchmark::State& state) {
  StartLargeTopic();
  if (Topic_test.Count != kQuizQuestions) Fail(state, "the topic did not load");
  int presses = 0;
  for (auto _ : state) {
    RouteCommand(kCmdOk);
    if (++presses % 4096 == 0) fake::ClearDrawLog();
  }
  state.SetItemsProcessed(state.iterations());
  fake::ClearDrawLog();
}
BENCHMARK(BM_QuizOkPress);

// The grading press alone (the statistics walk over the whole topic included).
void BM_QuizGradePress(benchmark::State& state) {
  StartLargeTopic();
  int presses = 0;
  for (auto _ : state) {
    RouteCommand(kCmdOk);  // grade
    state.PauseTiming();
    RouteCommand(kCmdOk);  // move on
    if (++presses % 4096 == 0) fake::ClearDrawLog();
    state.ResumeTiming();
  }
  fake::ClearDrawLog();
}
BENCHMARK(BM_QuizGradePress);

// The moving-on press alone: freezing the question, finding the next one and placing it.
void BM_QuizMoveOnPress(benchmark::State& state) {
  StartLargeTopic();
  int presses = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RouteCommand(kCmdOk);  // grade
    if (++presses % 4096 == 0) fake::ClearDrawLog();
    state.ResumeTiming();
    RouteCommand(kCmdOk);  // move on
  }
  fake::ClearDrawLog();
}
BENCHMARK(BM_QuizMoveOnPress);

// A whole round: the start and two presses per question until the round is over.
void BM_QuizWholeRound(benchmark::State& state) {
  StartLargeTopic();
  for (auto _ : state) {
    StartQuiz();
    int round = Topic_test.Round;
    while (Topic_test.Round == round) {
      RouteCommand(kCmdOk);
      RouteCommand(kCmdOk);
    }
    state.PauseTiming();
    fake::ClearDrawLog();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_QuizWholeRound)->Unit(benchmark::kMillisecond);

}  // namespace
