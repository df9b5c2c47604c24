// exameo-import on a GIFT file of 1,000 and 10,000 questions: reading, converting and writing
// the discipline, as the tool does it. The time must stay under a second for 10,000 and grow
// linearly (10,000 at most 12 times 1,000).
//
//   build/native/bench/exameo_bench --benchmark_filter=Import
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench_fail.h"
#include "bridge/host.h"
#include "bridge/import.h"

namespace {

namespace fs = std::filesystem;

// A Moodle-shaped GIFT bank: a category every 100 questions, Russian texts, four answers, some
// with weights, feedback and HTML.
std::string MakeGift(int questions) {
  std::string gift;
  for (int i = 0; i < questions; ++i) {
    if (i % 100 == 0)
      gift += "// question: 0  name: Switch category\n$CATEGORY: $course$/top/Раздел " +
              std::to_string(i / 100) + "\n\n";
    std::string n = std::to_string(i);
    gift += "// question: " + n + "\n::Вопрос " + n + "::";
    if (i % 3 == 0) {
      gift += "[html]<p>Сколько будет " + n +
              " плюс <b>один</b>?</p>{\n\t=" + std::to_string(i + 1) + "#<p>Верно</p>\n\t~" + n +
              "\n\t~" + std::to_string(i + 2) + "\n\t~%-50%" + std::to_string(i - 1) + "\n}\n\n";
    } else if (i % 3 == 1) {
      gift += "Верно ли, что число " + n + " записано цифрами без ошибок и пропусков?{TRUE}\n\n";
    } else {
      gift += "Выберите верные утверждения о числе " + n +
              " {\n\t~%50%оно целое\n\t~%50%оно "
              "неотрицательное\n\t~%-100%оно дробное\n\t~%-100%оно мнимое\n}\n\n";
    }
  }
  return gift;
}

void BM_ImportGift(benchmark::State& state) {
  int questions = static_cast<int>(state.range(0));
  std::error_code ec;
  fs::path root = fs::temp_directory_path() / ("exameo-bench-import-" + std::to_string(questions));
  fs::remove_all(root, ec);
  if (!fs::create_directories(root / "db", ec) || ec) {
    Fail(state, "cannot make the benchmark's folder");
    return;
  }
  fs::path input = root / "bank.gift";
  if (!bridge::WriteNewFile(input, MakeGift(questions))) {
    Fail(state, "cannot write the input file");
    return;
  }
  std::string inputArg = bridge::Utf8FromPath(input);
  std::string folderArg = bridge::Utf8FromPath(root / "db");
  const char* argv[] = {"exameo-import", inputArg.c_str(), folderArg.c_str()};
  std::FILE* sink = std::tmpfile();
  if (sink == nullptr) {
    Fail(state, "no temporary file for the tool's messages");
    return;
  }
  for (auto _ : state) {
    int code = bridge::RunImport(3, argv, sink, sink);
    if (code != 0) {
      Fail(state, "the import reported losses or failed");
      break;
    }
    state.PauseTiming();
    fs::remove_all(root / "db" / "Base", ec);
    state.ResumeTiming();
  }
  std::fclose(sink);
  fs::remove_all(root, ec);
  state.counters["questions"] = questions;
}
// The two sizes are compared by their times, without the library's complexity fit: in Debian
// 12's Google Benchmark (1.7.1) the fit crashes the program when a run has failed.
BENCHMARK(BM_ImportGift)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
