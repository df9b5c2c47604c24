// exameo-export of a topic of 1,000 and 10,000 questions to GIFT, as the tool does it: the
// program's loader, the conversion to UTF-8, the writer and the output file. The time must stay
// under a second for 10,000 and grow linearly (10,000 at most 12 times 1,000).
//
//   build/native/bench/exameo_bench --benchmark_filter=Export
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench_fail.h"
#include "bridge/host.h"
#include "bridge/text.h"
#include "bridge/writers.h"

namespace {

namespace fs = std::filesystem;

// A question file in the shape of the shipped ones: Russian tasks, four to six variants, one or
// several correct, now and then a card without variants and a text with GIFT's special
// characters; Windows-1251, CR LF.
std::string MakeTopic(int questions) {
  std::string utf8;
  for (int i = 0; i < questions; ++i) {
    std::string n = std::to_string(i);
    if (i % 50 == 49) {
      utf8 += "Справка " + n + ": у этого задания нет вариантов, прочитайте его и нажмите OK.\n";
      continue;
    }
    utf8 += "Задание " + n + ". Какие из утверждений о числе " + n +
            " верны? Отметьте все верные варианты {a = b}.\n";
    int variants = 4 + i % 3;
    for (int v = 0; v < variants; ++v) {
      bool correct = v == 0 || (i % 4 == 0 && v == 2);
      utf8 += std::string("\t") + (correct ? "+" : "-") + "Утверждение " + std::to_string(v + 1) +
              " о числе " + n + ": оно делится на " + std::to_string(v + 2) + "\n";
    }
  }
  std::string bytes;
  bridge::Utf8ToCp1251(utf8, &bytes);
  std::string crlf;
  for (char c : bytes) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

void BM_ExportGift(benchmark::State& state) {
  int questions = static_cast<int>(state.range(0));
  std::error_code ec;
  fs::path root = fs::temp_directory_path() / ("exameo-bench-export-" + std::to_string(questions));
  fs::remove_all(root, ec);
  if (!fs::create_directories(root, ec) || ec) {
    Fail(state, "cannot make the benchmark's folder");
    return;
  }
  fs::path input = root / "topic.txt";
  if (!bridge::WriteNewFile(input, MakeTopic(questions))) {
    Fail(state, "cannot write the input file");
    return;
  }
  std::string inputArg = bridge::Utf8FromPath(input);
  std::string outputArg = bridge::Utf8FromPath(root / "topic.gift");
  const char* argv[] = {"exameo-export",   "--format",      "gift", "-o",
                        outputArg.c_str(), inputArg.c_str()};
  std::FILE* sink = std::tmpfile();
  if (sink == nullptr) {
    Fail(state, "no temporary file for the tool's messages");
    return;
  }
  for (auto _ : state) {
    if (bridge::RunExport(6, argv, sink, sink) != 0) {
      Fail(state, "the export left questions out or failed");
      break;
    }
  }
  std::fclose(sink);
  fs::remove_all(root, ec);
  state.counters["questions"] = questions;
}
// The two sizes are compared by their times, without the library's complexity fit: in Debian
// 12's Google Benchmark (1.7.1) the fit crashes the program when a run has failed.
BENCHMARK(BM_ExportGift)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
