// exameo-import on a Word document of some 300 pages: 2,000 numbered questions of four lettered
// answers (the right one bold), 200 pictures of 90 KB, some 20 MB in all. It must import in
// under 3 s (its peak memory, under 300 MB, is exameo_import_memory_tests' to check).
//
//   build/native/bench/exameo_bench --benchmark_filter=Word
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench_fail.h"
#include "bridge/host.h"
#include "bridge/import.h"
#include "support/large_docx.h"

namespace {

namespace fs = std::filesystem;

void BM_ImportWord(benchmark::State& state) {
  std::error_code ec;
  fs::path root = fs::temp_directory_path() / "exameo-bench-import-word";
  fs::remove_all(root, ec);
  if (!fs::create_directories(root / "db", ec) || ec) {
    Fail(state, "cannot make the benchmark's folder");
    return;
  }
  std::string document = testsupport::MakeLargeDocx(2000, 200, 90 * 1024);
  fs::path input = root / "physics.docx";
  if (!bridge::WriteNewFile(input, document)) {
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
    // Exit 0: every question and picture written.
    int code = bridge::RunImport(3, argv, sink, sink);
    if (code != bridge::kImportClean) {
      Fail(state, "the import failed");
      break;
    }
    state.PauseTiming();
    fs::remove_all(root / "db" / "Base", ec);
    std::rewind(sink);
    state.ResumeTiming();
  }
  std::fclose(sink);
  fs::remove_all(root, ec);
  state.counters["MB"] = static_cast<double>(document.size()) / (1 << 20);
  state.counters["questions"] = 2000;
}
BENCHMARK(BM_ImportWord)->Unit(benchmark::kMillisecond);

}  // namespace
