// Description files through the real catalogue: the input is the only description file of a
// scratch database; LoadDisciplines scans it, UnloadTopics and LoadTopics read its topics.
// After each step the tables' invariants are checked, and a well-formed file must give what
// the format says.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bank/catalogue.h"
#include "fuzz_support.h"

namespace {

using fuzzsupport::Require;

DisciplineClass catalogue;  // in zeroed static storage, like the program's own

std::string scratchDir;

void RemoveScratch() {
  std::remove((scratchDir + "/Base/d.txt").c_str());
  ::rmdir((scratchDir + "/Base").c_str());
  ::rmdir(scratchDir.c_str());
}

// Made once per process, in memory where there is /dev/shm.
void MakeScratch() {
  if (!scratchDir.empty()) return;
  scratchDir = fuzzsupport::MakeScratchDir("topics");
  Require(::mkdir((scratchDir + "/Base").c_str(), 0700) == 0, "Base can be made");
  std::atexit(RemoveScratch);
}

// The catalogue reads "Base\..." from the working directory; the fuzzer's own paths (corpus,
// crash files) are relative to the one it was started in, so the scratch folder is entered
// only while the catalogue runs.
class InScratch {
 public:
  InScratch() : saved_(::open(".", O_RDONLY | O_CLOEXEC)) {
    Require(saved_ >= 0 && ::chdir(scratchDir.c_str()) == 0, "the scratch folder can be entered");
  }
  ~InScratch() {
    Require(::fchdir(saved_) == 0, "the fuzzer's folder can be entered again");
    ::close(saved_);
  }

 private:
  int saved_;
};

void WriteInput(const uint8_t* data, size_t size) {
  fuzzsupport::WriteInput(scratchDir + "/Base/d.txt", data, size);
}

// Compared by the library rather than a loop of ours, which the fuzzer would trace byte by byte.
bool AllZero(const void* p, size_t n) {
  const unsigned char* b = static_cast<const unsigned char*>(p);
  return n == 0 || (b[0] == 0 && std::memcmp(b, b + 1, n - 1) == 0);
}

bool FieldHolds(const char* field, size_t capacity, std::string_view text) {
  return text.size() < capacity && std::memcmp(field, text.data(), text.size()) == 0 &&
         AllZero(field + text.size(), capacity - text.size());
}

void CheckEntry(const TitlePath& e) {
  Require(e.bExists, "a filled entry exists");
  Require(std::memchr(e.Title, 0, sizeof e.Title) != nullptr, "a title is zero-terminated");
  Require(std::memchr(e.Path, 0, sizeof e.Path) != nullptr, "a path is zero-terminated");
  Require(std::strncmp(e.Path, "Base\\", 5) == 0, "a path begins with Base\\");
}

struct Topic {
  std::string_view title, path;
};

// The topics of a file that keeps to the format, or false when it does not: a title line
// without TAB and quote ending in CR LF, then only lines of TAB, title, quoted path, CR LF (the
// last line may end without a break), titles of at most 1023 bytes without TAB, quote, CR or LF,
// paths of at most 42 bytes without TAB, quote, CR, LF or zero byte, at most 128 topics.
bool WellFormed(std::string_view file, std::vector<Topic>* topics) {
  size_t end = file.find("\r\n");
  if (end == std::string_view::npos) return false;
  std::string_view title = file.substr(0, end);
  if (title.size() > 1023) return false;
  if (title.find_first_of(std::string_view("\t\"\r\n", 4)) != std::string_view::npos) return false;
  size_t at = end + 2;
  while (at < file.size()) {
    size_t lineEnd = file.find("\r\n", at);
    std::string_view line =
        file.substr(at, lineEnd == std::string_view::npos ? lineEnd : lineEnd - at);
    at = lineEnd == std::string_view::npos ? file.size() : lineEnd + 2;
    if (line.size() < 3 || line[0] != '\t' || line.back() != '"') return false;
    size_t open = line.find('"');
    if (open == line.size() - 1) return false;
    Topic t{line.substr(1, open - 1), line.substr(open + 1, line.size() - open - 2)};
    if (t.title.size() > 1023 || t.path.size() > 42) return false;
    if (t.title.find_first_of(std::string_view("\t\"\r\n", 4)) != std::string_view::npos ||
        t.path.find_first_of(std::string_view("\t\"\r\n\0", 5)) != std::string_view::npos)
      return false;
    topics->push_back(t);
    if (topics->size() > 128) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MakeScratch();
  WriteInput(data, size);
  InScratch here;
  std::string_view file(reinterpret_cast<const char*>(data), size);

  char pattern[] = "Base\\*.txt";
  catalogue.LoadDisciplines(pattern);
  Require(catalogue.LastDiscipline == 0, "the one description file is found");
  const TitlePath& d = catalogue.Disciplines[0];
  CheckEntry(d);
  Require(FieldHolds(d.Path, sizeof d.Path, "Base\\d.txt"), "the discipline's path");
  // The title is the file's first bytes, up to its first line break at most.
  size_t title = std::strlen(d.Title);
  Require(title <= 1023 && title <= size && std::memcmp(d.Title, data, title) == 0,
          "the title is the beginning of the file");
  Require(std::memchr(d.Title, '\r', title) == nullptr, "the title stops at the first CR");
  Require(AllZero(catalogue.Disciplines + 1, sizeof catalogue.Disciplines - sizeof d),
          "no other discipline");

  catalogue.UnloadTopics();
  Require(catalogue.LastTopic == -1 && AllZero(catalogue.Topics, sizeof catalogue.Topics),
          "UnloadTopics empties the topic table");
  TitlePath copy = d;
  catalogue.LoadTopics(copy);
  int last = catalogue.LastTopic;
  Require(last >= -1 && last < kMaxTopics, "LastTopic is -1 to 127");
  for (int i = 0; i <= last; ++i) CheckEntry(catalogue.Topics[i]);
  Require(AllZero(catalogue.Topics + (last + 1),
                  sizeof(TitlePath) * static_cast<size_t>(kMaxTopics - 1 - last)),
          "entries past LastTopic are all zero");
  Require(std::memcmp(&copy, &catalogue.Disciplines[0], sizeof copy) == 0,
          "LoadTopics leaves the disciplines alone");

  std::vector<Topic> topics;
  if (WellFormed(file, &topics)) {
    Require(FieldHolds(d.Title, sizeof d.Title, file.substr(0, file.find('\r'))),
            "a well-formed title is read whole");
    Require(last + 1 == static_cast<int>(topics.size()), "one topic per topic line");
    for (int i = 0; i <= last; ++i) {
      const TitlePath& t = catalogue.Topics[i];
      Require(FieldHolds(t.Title, sizeof t.Title, topics[static_cast<size_t>(i)].title),
              "a topic's title is read whole");
      Require(FieldHolds(t.Path, sizeof t.Path,
                         "Base\\" + std::string(topics[static_cast<size_t>(i)].path)),
              "a topic's path is Base\\ and the path between the quotes");
    }
  }
  return 0;
}
