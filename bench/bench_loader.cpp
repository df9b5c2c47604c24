// The question loader on a large topic, against two yardsticks: the same algorithm reading one
// byte per read() call (what the file format was first read with), and the floor of any loader
// (reading the file into memory and allocating and zeroing one record per question).
//
//   build/native/bench/exameo_bench --benchmark_filter=Loader
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench_fail.h"
#include "bank/question.h"

namespace {

constexpr int kLoaderQuestions = 10000;

// A fixed pseudo-random sequence, so that every run measures the same file.
class Random {
 public:
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % (high - low + 1)); }

 private:
  std::uint64_t state_ = 0x5EED;
};

// Russian-looking Windows-1251 text of about `length` bytes: words of lowercase letters
// (0xE0..0xFF), some capitalised, digits now and then, commas, and a final mark.
std::string Text(Random& r, int length, char last) {
  std::string s;
  while (static_cast<int>(s.size()) < length - 1) {
    if (!s.empty()) s += r.Between(0, 9) == 0 ? ", " : " ";
    int word = r.Between(2, 11);
    for (int i = 0; i < word; ++i) {
      unsigned char c = static_cast<unsigned char>(0xE0 + r.Between(0, 31));
      if (i == 0 && (s.empty() || r.Between(0, 7) == 0)) c -= 0x20;  // capital
      s += static_cast<char>(c);
    }
    if (r.Between(0, 15) == 0) s += " " + std::to_string(r.Between(1, 2024));
  }
  s += last;
  return s;
}

// The topic file: tasks of 100 to 300 bytes, 3 to 6 answers of 30 to 120 bytes each, one or
// two of them marked correct, the others marked wrong or unmarked; CR LF line ends.
std::string MakeTopic() {
  Random r;
  std::string file;
  for (int q = 0; q < kLoaderQuestions; ++q) {
    file += Text(r, r.Between(100, 300), '?') + "\r\n";
    int variants = r.Between(3, 6);
    int correct = r.Between(0, variants - 1);
    for (int v = 0; v < variants; ++v) {
      file += '\t';
      file += v == correct || r.Between(0, 5) == 0 ? "+" : r.Between(0, 1) ? "-" : "";
      file += Text(r, r.Between(30, 120), '.') + "\r\n";
    }
  }
  return file;
}

// The file, written once per process and removed at its end (the string is never destroyed,
// so the exit handler can still read it).
const std::string& TopicPath() {
  static const std::string& path = *new std::string([] {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("exameo-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string file = (dir / "topic.txt").string();
    std::string bytes = MakeTopic();
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(std::filesystem::path(TopicPath()).parent_path(), ec);
    });
    return file;
  }());
  return path;
}

TopicClass topic;

void SetCounters(benchmark::State& state, std::int64_t bytes) {
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["records"] = topic.Count;
  state.counters["bytes/record"] = sizeof(QuestionClass);
}

std::int64_t FileSize() {
  struct stat st;
  return ::stat(TopicPath().c_str(), &st) == 0 ? st.st_size : 0;
}

// The program's loader; the topic is emptied in each iteration, as the chooser does before
// every load, so the records are allocated and freed every time.
void BM_LoaderLoadQuestions(benchmark::State& state) {
  std::string path = TopicPath();
  topic.UnloadQuestions();
  for (auto _ : state) {
    topic.LoadQuestions(path.data());
    benchmark::DoNotOptimize(topic.Count);
    topic.UnloadQuestions();
  }
  topic.LoadQuestions(path.data());
  if (topic.Count != kLoaderQuestions) Fail(state, "the loader lost questions");
  SetCounters(state, FileSize());
  topic.UnloadQuestions();
}
BENCHMARK(BM_LoaderLoadQuestions)->Unit(benchmark::kMillisecond);

// The format's algorithm step by step, on one read() per byte.
void LoadByteByByte(TopicClass* t, const char* path) {
  int fd = ::open(path, O_RDONLY);
  if (fd < 0) return;
  bool lineStart = true;
  int question = -1;
  QuestionClass* current = &t->Head;
  bool variantMode = false;
  int position = 0;
  int variant = -1;
  unsigned char c;
  while (::read(fd, &c, 1) == 1) {
    if (lineStart && c == '\t') {
      ++variant;
      position = 0;
      variantMode = true;
      if (variant < kMaxVariants) current->Vrnt[variant].bExists = true;
    } else {
      if (lineStart) {
        if (++question > 0) current = t->myNew(current);
        current->bExists = true;
        current->bSolved = false;
        variantMode = false;
        position = 0;
        variant = -1;
      }
      if (c == '\n' || c == '\r') {
        // nothing is stored
      } else if (!variantMode) {
        if (position < kTaskCapacity - 1) current->Task[position++] = static_cast<char>(c);
      } else if (c != '\t' && variant < kMaxVariants) {
        vrnt& v = current->Vrnt[variant];
        if (position == 0 && (c == '+' || c == '-'))
          v.bCorrect = c == '+';
        else if (position < kVariantCapacity - 1)
          v.Text[position++] = static_cast<char>(c);
      }
    }
    lineStart = c == '\n';
  }
  ::close(fd);
}

void BM_LoaderByteByByte(benchmark::State& state) {
  std::string path = TopicPath();
  topic.UnloadQuestions();
  for (auto _ : state) {
    LoadByteByByte(&topic, path.c_str());
    benchmark::DoNotOptimize(topic.Count);
    topic.UnloadQuestions();
  }
  LoadByteByByte(&topic, path.c_str());
  if (topic.Count != kLoaderQuestions) Fail(state, "the baseline lost questions");
  SetCounters(state, FileSize());
  topic.UnloadQuestions();
}
BENCHMARK(BM_LoaderByteByByte)->Unit(benchmark::kMillisecond);

// What no loader can beat: the file read into memory in one go, and one record per question
// allocated, zeroed and freed the way the topic does it.
void BM_LoaderFloor(benchmark::State& state) {
  std::string path = TopicPath();
  std::vector<QuestionClass*> records(kLoaderQuestions);
  for (auto _ : state) {
    int fd = ::open(path.c_str(), O_RDONLY);
    struct stat st;
    ::fstat(fd, &st);
    std::unique_ptr<char[]> bytes(new char[static_cast<std::size_t>(st.st_size)]);
    ssize_t got = ::read(fd, bytes.get(), static_cast<std::size_t>(st.st_size));
    ::close(fd);
    benchmark::DoNotOptimize(got);
    for (QuestionClass*& q : records) {
      q = static_cast<QuestionClass*>(bank::AllocateRecord(sizeof(QuestionClass)));
      std::memset(static_cast<void*>(q), 0, sizeof(QuestionClass));
    }
    benchmark::ClobberMemory();
    for (QuestionClass* q : records) bank::ReleaseRecord(q);
  }
  state.SetBytesProcessed(state.iterations() * FileSize());
  state.counters["records"] = kLoaderQuestions;
  state.counters["bytes/record"] = sizeof(QuestionClass);
}
BENCHMARK(BM_LoaderFloor)->Unit(benchmark::kMillisecond);

}  // namespace
