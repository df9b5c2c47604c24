// reviews.csv through the review log's reader and the replay: every line kept is a whole
// grading that the writer gives back as it was, and every replayed card stays in its bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "review/fsrs.h"
#include "review/log.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  review::LogRead read = review::ParseLog(reinterpret_cast<const char*>(data), size);
  Require(read.skipped >= 0, "no negative count");
  std::string file = review::LogHeader();
  for (const review::Entry& e : read.entries) {
    Require(e.Grade == 1 || e.Grade == 3, "a grade of 3 or 1");
    Require(!e.File.empty(), "a file name");
    bool ascii = true;
    for (char c : e.File) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    // Written again (the file name is Windows-1251 for the writer: ASCII is the same in both).
    if (ascii) file += review::LogLine(e.When, e.File.c_str(), e.Key, e.Grade, e.Kind);
  }
  review::LogRead again = review::ParseLog(file.data(), file.size());
  Require(again.skipped == 0, "every written line reads back");
  std::size_t j = 0;
  for (const review::Entry& e : read.entries) {
    bool ascii = true;
    for (char c : e.File) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) continue;
    Require(j < again.entries.size(), "every written line reads back");
    const review::Entry& a = again.entries[j++];
    Require(a.When == e.When && a.Key == e.Key && a.Grade == e.Grade && a.Kind == e.Kind &&
                a.File == e.File,
            "a written line reads back the same");
  }
  Require(j == again.entries.size(), "no line more");

  std::vector<review::KeyState> states = review::Replay(read.entries);
  int reviews = 0;
  for (std::size_t i = 0; i < states.size(); ++i) {
    const review::Card& c = states[i].State;
    Require(i == 0 || states[i - 1].Key < states[i].Key, "sorted by key, once each");
    Require(c.Reviews >= 1 && c.Lapses <= c.Reviews, "counted gradings");
    Require(c.Stability >= review::kMinStability, "stability at least 0.001");
    Require(c.Difficulty >= 1 && c.Difficulty <= 10, "difficulty from 1 to 10");
    int interval = review::IntervalDays(c.Stability, 0.9);
    Require(interval >= 1 && interval <= review::kMaxInterval, "an interval from 1 to 36500");
    double r = review::Retrievability(c, c.Last + 400 * review::kDay);
    Require(r > 0 && r <= 1, "a retrievability in (0, 1]");
    reviews += c.Reviews;
  }
  Require(reviews == static_cast<int>(read.entries.size()), "every line replayed");
  return 0;
}
