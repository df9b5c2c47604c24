// Starting a sitting: 50 questions drawn over a discipline of 10 topics of 2,000 questions
// each, and the memory its records take at the peak.
//
//   build/native/bench/exameo_bench --benchmark_filter=Exam
//
// BM_ExamStart times session::Begin (counting every topic's questions, drawing, reading the drawn
// questions out of their files, placing the first on the board). Its counters:
// peak_records, the most question records alive at once during a start, against
// largest_topic + drawn, the bound a start must keep (only the drawn questions stay loaded);
// peak_mib, those records in MiB. The benchmark fails when the bound is broken.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "bank/catalogue.h"
#include "bank/question.h"
#include "bench_fail.h"
#include "bench_topic.h"
#include "session/session.h"
#include "shell/globals.h"
#include "session/session.h"
#include "shell/data.h"

namespace {

constexpr int kTopics = 10;
constexpr int kPerTopic = 2000;
constexpr int kDrawn = 50;

// Records alive now and at most, counted through the records' allocation hook.
long gLive = 0;
long gPeak = 0;
void* CountedAllocate(std::size_t size) {
  void* p = ::operator new(size, std::nothrow);
  if (p != nullptr && ++gLive > gPeak) gPeak = gLive;
  return p;
}
void CountedRelease(void* p) {
  --gLive;
  ::operator delete(p);
}

const std::filesystem::path& ExamFolder() {
  static const std::filesystem::path& folder = *new std::filesystem::path([] {
    std::filesystem::path dir = BenchFolder("exam");
    std::filesystem::create_directories(dir / "Base" / "d");
    std::ofstream description(dir / "Base" / "1.txt", std::ios::binary | std::ios::trunc);
    description << "Discipline\r\n";
    for (int t = 0; t < kTopics; ++t) {
      description << "\tTopic " << t << " \"d\\" << t << ".txt\"\r\n";
      std::ofstream out(dir / "Base" / "d" / (std::to_string(t) + ".txt"),
                        std::ios::binary | std::ios::trunc);
      WriteBenchTopic(out, kPerTopic);
    }
    return dir;
  }());
  return folder;
}

void BM_ExamStart(benchmark::State& state) {
  std::filesystem::current_path(ExamFolder());
  FreshBoard();
  OpenDataFolder("", false);
  char pattern[] = "Base\\*.txt";
  Discipline.LoadDisciplines(pattern);
  session::ResetExam();
  Topic_test.UnloadQuestions();
  auto* allocate = bank::AllocateRecord;
  auto* release = bank::ReleaseRecord;
  bank::AllocateRecord = CountedAllocate;
  bank::ReleaseRecord = CountedRelease;
  gLive = 0;
  gPeak = 0;
  bool drew = true;
  for (auto _ : state) {
    drew = drew && session::BeginSitting(0, -1, kDrawn, 60) && Topic_test.Count == kDrawn;
    state.PauseTiming();
    session::ResetExam();
    Topic_test.UnloadQuestions();
    state.ResumeTiming();
  }
  bank::AllocateRecord = allocate;
  bank::ReleaseRecord = release;
  // The head of each topic is embedded: a topic of n records allocates n - 1.
  long bound = (kPerTopic - 1) + (kDrawn - 1);
  state.counters["peak_records"] = static_cast<double>(gPeak);
  state.counters["largest_topic"] = kPerTopic;
  state.counters["drawn"] = kDrawn;
  state.counters["peak_mib"] =
      static_cast<double>(gPeak) * sizeof(QuestionClass) / (1024.0 * 1024.0);
  if (!drew) Fail(state, "the sitting did not draw its 50 questions");
  if (gPeak > bound) Fail(state, "more records alive than the largest topic and the drawn ones");
}
BENCHMARK(BM_ExamStart)->Unit(benchmark::kMillisecond);

}  // namespace
