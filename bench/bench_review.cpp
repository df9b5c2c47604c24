// Reviewing across days: replaying a large review log, and the counts the menu shows.
//
//   build/native/bench/exameo_bench --benchmark_filter=Review
//
// BM_ReviewReplay parses and replays 100,000 lines of 10,000 keys held in memory.
// BM_ReviewCounts is what opening the menu costs: reading the data folder's log of 100,000 lines,
// replaying it, reading the bank's 20,000 questions (4 disciplines of 5 topics of 1,000) for
// their keys and counting. Its counters are medians: `cpu_ms` in processor time of this thread
// (the program's own work), `ms` in wall time, which a shared machine inflates; `trusted` says
// whether the thread was seldom kept waiting (wall time within 25 % of processor time) and
// `over_aim` whether `cpu_ms` is over the aim of 150 ms.
// BM_ReviewForecast is what the exam dialog's forecast of a discipline costs, worked out from
// nothing: reading and replaying the same log, the first answers, reading the bank's 20,000
// questions and the forecast of one discipline of 5,000; its aim is 100 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "bench_fail.h"
#include "bench_topic.h"
#include "platform/files.h"
#include "review/counts.h"
#include "review/forecast.h"
#include "review/log.h"
#include "shell/globals.h"
#include "session/session.h"
#include "shell/data.h"

namespace {

constexpr int kLines = 100000;
constexpr int kKeys = 10000;
constexpr std::int64_t kStart = 1793836800;  // 2026-11-05T00:00:00Z

// Lines over a month of 10,000 keys, each key graded ten times, a third of them wrong.
std::string BenchLog(const std::vector<std::uint64_t>& keys) {
  std::string log = review::LogHeader();
  log.reserve(static_cast<std::size_t>(kLines) * 70);
  for (int i = 0; i < kLines; ++i)
    log += review::LogLine(kStart + static_cast<std::int64_t>(i) * 26, "Base\\d1\\2.txt",
                           keys[static_cast<std::size_t>(i) % keys.size()], i % 3 == 0 ? 1 : 3,
                           review::Mode::kTopic);
  return log;
}

void BM_ReviewReplay(benchmark::State& state) {
  std::vector<std::uint64_t> keys;
  for (int i = 0; i < kKeys; ++i) keys.push_back(0x9e3779b97f4a7c15ull * (i + 1));
  std::string log = BenchLog(keys);
  std::size_t replayed = 0;
  for (auto _ : state) {
    review::LogRead read = review::ParseLog(log.data(), log.size());
    std::vector<review::KeyState> states = review::Replay(read.entries);
    replayed = states.size();
    benchmark::DoNotOptimize(states.data());
  }
  if (replayed != kKeys) Fail(state, "the log did not replay into its keys");
}
BENCHMARK(BM_ReviewReplay)->Unit(benchmark::kMillisecond);

// A working folder with a bank of 20,000 questions and a data folder with the log, made once.
const std::filesystem::path& ReviewFolder() {
  static const std::filesystem::path& folder = *new std::filesystem::path([] {
    std::filesystem::path dir = BenchFolder("review");
    std::filesystem::create_directories(dir / "data");
    for (int d = 1; d <= 4; ++d) {
      std::filesystem::create_directories(dir / "Base" / ("d" + std::to_string(d)));
      std::ofstream description(dir / "Base" / (std::to_string(d) + ".txt"), std::ios::binary);
      description << "Discipline " << d << "\r\n";
      for (int t = 1; t <= 5; ++t) {
        description << "\tTopic " << t << "\"d" << d << "\\" << t << ".txt\"\r\n";
        std::ofstream topic(dir / "Base" / ("d" + std::to_string(d)) / (std::to_string(t) + ".txt"),
                            std::ios::binary);
        // Distinct questions in every file: the topic's number in each task.
        std::ostringstream text;
        WriteBenchTopic(text, 1000);
        std::string bytes = text.str();
        std::string mark = "Question ";
        std::string tagged;
        for (std::size_t at = 0;;) {
          std::size_t next = bytes.find(mark, at);
          tagged.append(bytes, at, next == std::string::npos ? std::string::npos : next - at);
          if (next == std::string::npos) break;
          tagged += "Question " + std::to_string(d) + "." + std::to_string(t) + ".";
          at = next + mark.size();
        }
        topic << tagged;
      }
    }
    return dir;
  }());
  return folder;
}

// Enters the folder, loads its catalogue into the program's and writes the log. The log's keys:
// half of them questions of the bank (every other one of the first 20,000 keys' worth), half
// questions no longer in it.
void EnterWithLog() {
  std::filesystem::current_path(ReviewFolder());
  std::string pattern = "Base\\*.txt";
  Discipline.UnloadTopics();
  Discipline.LoadDisciplines(pattern.data());
  review::Bank bank = review::ScanBank(Discipline);
  std::vector<std::uint64_t> keys;
  for (const review::BankTopic& topic : bank.Topics)
    for (std::size_t i = 0; i < topic.Keys.size(); i += 4) keys.push_back(topic.Keys[i]);
  for (int i = 0; static_cast<int>(keys.size()) < kKeys; ++i)
    keys.push_back(0x9e3779b97f4a7c15ull * (i + 1));
  std::string log = BenchLog(keys);
  files::WriteWhole("data\\reviews.csv", log.data(), log.size());
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

void BM_ReviewCounts(benchmark::State& state) {
  EnterWithLog();
  OpenDataFolder("data", false);

  std::vector<double> times, cpuTimes;
  int answered = 0;
  for (auto _ : state) {
    double c0 = ThreadCpuMs();
    auto t0 = std::chrono::steady_clock::now();
    session::ReviewOverview view = session::ReviewCounts();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    cpuTimes.push_back(ThreadCpuMs() - c0);
    answered = 0;
    for (const review::TopicRow& row : view.counts.Rows) answered += row.Answered;
    benchmark::DoNotOptimize(view.counts.DueToday);
  }
  OpenDataFolder("", false);
  if (answered != 5000) {
    Fail(state, "the counts did not find the log's questions in the bank");
    return;
  }
  double cpu = Median(cpuTimes), wall = Median(times);
  state.counters["cpu_ms"] = cpu;
  state.counters["ms"] = wall;
  state.counters["trusted"] = wall < 1.25 * cpu ? 1 : 0;
  state.counters["over_aim"] = cpu > 150.0 ? 1 : 0;
}
BENCHMARK(BM_ReviewCounts)->Unit(benchmark::kMillisecond);

void BM_ReviewForecast(benchmark::State& state) {
  EnterWithLog();
  std::vector<double> times, cpuTimes;
  review::Forecast forecast;
  for (auto _ : state) {
    double c0 = ThreadCpuMs();
    auto t0 = std::chrono::steady_clock::now();
    std::string bytes;
    files::ReadBlocks("data\\reviews.csv", [&](const unsigned char* block, std::size_t size) {
      bytes.append(reinterpret_cast<const char*>(block), size);
      return true;
    });
    review::LogRead read = review::ParseLog(bytes.data(), bytes.size());
    review::Knowledge knowledge = review::Know(read.entries);
    review::Bank bank = review::ScanBank(Discipline);
    forecast = review::ForecastDiscipline(knowledge, bank, 0, kStart + 40 * review::kDay);
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    cpuTimes.push_back(ThreadCpuMs() - c0);
    benchmark::DoNotOptimize(forecast.share);
  }
  // A quarter of the discipline's 5,000 questions are in the log.
  if (forecast.questions != 5000 || forecast.answered != 1250 || !forecast.share) {
    Fail(state, "the forecast did not find the log's questions in the discipline");
    return;
  }
  double cpu = Median(cpuTimes), wall = Median(times);
  state.counters["cpu_ms"] = cpu;
  state.counters["ms"] = wall;
  state.counters["trusted"] = wall < 1.25 * cpu ? 1 : 0;
  state.counters["over_aim"] = cpu > 100.0 ? 1 : 0;
}
BENCHMARK(BM_ReviewForecast)->Unit(benchmark::kMillisecond);

}  // namespace
