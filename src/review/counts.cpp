// The counts of the review log against the bank.
#include "review/counts.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "bank/catalogue.h"
#include "bank/content_key.h"
#include "bank/question.h"
#include "bank/question_file.h"

namespace review {
namespace {

// Scratch records of the scan, in zeroed static storage like the program's own; the program's
// catalogue and loaded topic are never touched.
DisciplineClass scanCatalogue;
TopicClass scanTopic;

std::string Field(const char* text, std::size_t capacity) {
  return std::string(text, strnlen(text, capacity));
}

// The first end of a local day after `t`: the next local midnight.
std::int64_t NextLocalMidnight(std::int64_t t) {
  std::time_t at = static_cast<std::time_t>(t);
  std::tm local{};
#ifdef _WIN32
  bool ok = localtime_s(&local, &at) == 0;
#else
  bool ok = localtime_r(&at, &local) != nullptr;
#endif
  if (!ok) return t + kDay - ((t % kDay) + kDay) % kDay;  // UTC days
  local.tm_hour = 0;
  local.tm_min = 0;
  local.tm_sec = 0;
  local.tm_mday += 1;
  local.tm_isdst = -1;  // whichever applies at that midnight
  std::time_t next = std::mktime(&local);
  if (next == static_cast<std::time_t>(-1) || next <= at) return t + kDay;
  return static_cast<std::int64_t>(next);
}

}  // namespace

Bank ScanBank(const DisciplineClass& catalogue) {
  Bank bank;
  int last = catalogue.LastDiscipline;
  if (last >= kMaxDisciplines) last = kMaxDisciplines - 1;
  for (int d = 0; d <= last; ++d) {
    const TitlePath& discipline = catalogue.Disciplines[d];
    if (!discipline.bExists) continue;
    scanCatalogue.UnloadTopics();
    scanCatalogue.LoadTopics(discipline);
    std::string disciplineTitle = Field(discipline.Title, kTitleCapacity);
    for (int t = 0; t <= scanCatalogue.LastTopic && t < kMaxTopics; ++t) {
      const TitlePath& topic = scanCatalogue.Topics[t];
      BankTopic entry;
      entry.Discipline = d;
      entry.DisciplineTitle = disciplineTitle;
      entry.Title = Field(topic.Title, kTitleCapacity);
      entry.Utf8 = discipline.bUtf8;
      entry.File = Field(topic.Path, kPathCapacity);
      entry.FileUtf8 = topic.bPathUtf8;
      char path[kPathCapacity + 1] = {};
      std::memcpy(path, topic.Path, kPathCapacity);
      scanTopic.UnloadQuestions();
      scanTopic.KeyOnLoad = true;
      scanTopic.LoadQuestions(files::Path(path, topic.bPathUtf8));
      // Every record the loader links holds a question; only the head of an empty file has
      // none.
      int questions = scanTopic.Count == 1 && !scanTopic.Head.bExists ? 0 : scanTopic.Count;
      bool indexed = scanTopic.VariantsBefore != nullptr && scanTopic.IndexSize >= questions;
      bool keyed = questions > 0 && scanTopic.Keys != nullptr;
      if (keyed) entry.Keys.assign(scanTopic.Keys, scanTopic.Keys + questions);
      entry.Variants.reserve(static_cast<std::size_t>(questions));
      for (int i = 0; i < questions; ++i) {
        int present = 0;
        if (indexed) {
          present = scanTopic.VariantsBefore[i + 1] - scanTopic.VariantsBefore[i];
        } else {
          QuestionClass* q = scanTopic.Get(i);
          while (present < kMaxVariants && q->Vrnt[present].bExists) ++present;
        }
        if (!keyed) entry.Keys.push_back(bank::ContentKey(*scanTopic.Get(i), present));
        entry.Variants.push_back(static_cast<std::uint8_t>(present));
      }
      bank.Topics.push_back(std::move(entry));
    }
  }
  scanTopic.UnloadQuestions();
  scanCatalogue.UnloadTopics();
  return bank;
}

Horizon LocalHorizon(std::int64_t now) {
  Horizon h;
  h.Now = now;
  std::int64_t end = NextLocalMidnight(now);
  for (int i = 0; i < kHistogramDays; ++i) {
    h.DayEnds[i] = end;
    end = NextLocalMidnight(end);
  }
  return h;
}

Horizon FixedHorizon(std::int64_t now, std::int64_t todayEnd) {
  Horizon h;
  h.Now = now;
  for (int i = 0; i < kHistogramDays; ++i) h.DayEnds[i] = todayEnd + i * kDay;
  return h;
}

const KeyState* Find(const std::vector<KeyState>& states, std::uint64_t key) {
  auto at = std::lower_bound(states.begin(), states.end(), key,
                             [](const KeyState& s, std::uint64_t k) { return s.Key < k; });
  return at != states.end() && at->Key == key ? &*at : nullptr;
}

Counts Count(const std::vector<KeyState>& states, const Bank& bank, const Horizon& horizon,
             double retention, const Parameters& p) {
  Counts counts;
  // Each graded question's due time, worked out once; `seen` marks those counted across the
  // bank already.
  std::vector<std::int64_t> due(states.size());
  for (std::size_t i = 0; i < states.size(); ++i) due[i] = Due(states[i].State, retention, p);
  std::vector<bool> seen(states.size(), false);
  for (std::size_t t = 0; t < bank.Topics.size(); ++t) {
    TopicRow row;
    row.Topic = static_cast<int>(t);
    const BankTopic& topic = bank.Topics[t];
    for (std::size_t q = 0; q < topic.Keys.size(); ++q) {
      // A card without variants is no review question: no session can ask it.
      if (!topic.HasVariants(q)) continue;
      std::uint64_t key = topic.Keys[q];
      ++row.Questions;
      const KeyState* state = Find(states, key);
      if (state == nullptr) continue;
      std::size_t i = static_cast<std::size_t>(state - states.data());
      ++row.Answered;
      if (Retrievability(state->State, horizon.Now, p) >= retention) ++row.Known;
      if (due[i] < horizon.DayEnds[0]) ++row.DueToday;
      if (due[i] < horizon.DayEnds[6]) ++row.DueWeek;
      if (seen[i]) continue;
      seen[i] = true;
      if (due[i] < horizon.DayEnds[0]) ++counts.DueToday;
      if (state->State.LastGrade == kGradeWrong) ++counts.Mistakes;
      for (int d = 0; d < kHistogramDays; ++d) {
        if (due[i] < horizon.DayEnds[d]) {
          ++counts.Histogram[d];
          break;
        }
      }
    }
    counts.Rows.push_back(row);
  }
  return counts;
}

}  // namespace review
