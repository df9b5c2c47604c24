// Assembling a topic from records of several question files.
#include "bank/assembled.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "bank/content_key.h"
#include "bank/question.h"
#include "platform/files.h"

namespace bank {
namespace {

// Leaves the first `keep` records of the chain and releases the rest.
void Truncate(TopicClass& topic, int keep) {
  if (keep <= 0) {
    topic.UnloadQuestions();
    return;
  }
  if (keep >= topic.Count) return;
  topic.DropIndex();
  QuestionClass* last = topic.Get(keep - 1);
  QuestionClass* q = last->Next;
  for (int i = keep; i < topic.Count; ++i) {
    QuestionClass* next = q->Next;
    q->~QuestionClass();
    bank::ReleaseRecord(q);
    q = next;
  }
  last->Next = &topic.Head;
  topic.Count = keep;
}

// Reads the records at the places of `wanted` (ascending) of a question file straight into
// their copies, by the loader's own rules: a line beginning with a TAB is the next variant of the
// record before it (a thirteenth one and the variants before the first record go nowhere), any
// other line begins a record and is its task; CRs are dropped; a variant's first '+' or '-'
// marks it, TABs inside it are dropped; texts beyond their fields are cut. Only the wanted
// records are built: loading the whole file would make thousands of records for a few.
void CopyRecords(const char* path, const std::vector<std::pair<int, std::size_t>>& wanted,
                 const std::vector<QuestionClass*>& records) {
  enum class Mode { kTask, kVariant, kSkip };
  int place = -1;
  std::size_t next = 0;        // the first entry of `wanted` not passed yet
  QuestionClass* q = nullptr;  // the record being read, when it is wanted
  bool lineStart = true;
  Mode mode = Mode::kSkip;
  int position = 0;
  int variant = -1;
  files::ReadBlocks(path, [&](const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      unsigned char c = bytes[i];
      if (lineStart) {
        lineStart = false;
        if (c == '\t') {
          if (variant < kMaxVariants) ++variant;
          position = 0;
          mode = q != nullptr && variant < kMaxVariants ? Mode::kVariant : Mode::kSkip;
          if (mode == Mode::kVariant) q->Vrnt[variant].bExists = true;
          if (mode == Mode::kSkip) goto skip_line;
          continue;
        }
        ++place;
        variant = -1;
        position = 0;
        while (next < wanted.size() && wanted[next].first < place) ++next;
        q = next < wanted.size() && wanted[next].first == place ? records[wanted[next].second]
                                                                : nullptr;
        if (q == nullptr) {
          mode = Mode::kSkip;
          if (next == wanted.size()) return false;  // nothing more is wanted of this file
          goto skip_line;
        }
        q->bExists = true;
        mode = Mode::kTask;
      }
      if (c == '\n') {
        lineStart = true;
        continue;
      }
      if (c == '\r') continue;
      if (mode == Mode::kTask) {
        if (position < kTaskCapacity - 1) q->Task[position++] = static_cast<char>(c);
      } else if (mode == Mode::kVariant) {
        if (c == '\t') continue;
        vrnt& v = q->Vrnt[variant];
        if (position == 0 && (c == '+' || c == '-'))
          v.bCorrect = c == '+';
        else if (position < kVariantCapacity - 1)
          v.Text[position++] = static_cast<char>(c);
      }
      continue;
    skip_line:
      // The rest of a line that goes nowhere is passed over at once.
      const void* end = std::memchr(bytes + i, '\n', size - i);
      if (end == nullptr) break;
      i = static_cast<std::size_t>(static_cast<const unsigned char*>(end) - bytes);
      lineStart = true;
    }
    return true;
  });
  // Two picks of one place: the second copies the first.
  for (std::size_t k = 1; k < wanted.size(); ++k)
    if (wanted[k].first == wanted[k - 1].first)
      CopyQuestion(*records[wanted[k].second], *records[wanted[k - 1].second]);
}

}  // namespace

int PresentVariants(const QuestionClass& q) {
  int n = 0;
  while (n < kMaxVariants && q.Vrnt[n].bExists) ++n;
  return n;
}

void CopyQuestion(QuestionClass& to, const QuestionClass& from) {
  std::memcpy(to.Task, from.Task, sizeof to.Task);
  std::memcpy(to.Vrnt, from.Vrnt, sizeof to.Vrnt);
  to.bExists = from.bExists;
}

std::vector<int> PlacesWithVariants(const char* path) {
  std::vector<int> places;
  int place = -1;         // the record the lines belong to; -1 before the first
  bool lineStart = true;  // the next byte begins a line
  bool marked = false;    // the current record is in `places`
  files::ReadBlocks(path, [&](const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      if (lineStart) {
        lineStart = false;
        if (bytes[i] == '\t') {
          if (place >= 0 && !marked) {
            places.push_back(place);
            marked = true;
          }
        } else {
          ++place;
          marked = false;
        }
      }
      // Only the line starts matter: the rest of the line is skipped at once.
      const void* end = std::memchr(bytes + i, '\n', size - i);
      if (end == nullptr) break;
      i = static_cast<std::size_t>(static_cast<const unsigned char*>(end) - bytes);
      lineStart = true;
    }
    return true;
  });
  return places;
}

int Assemble(TopicClass& topic, std::span<const char* const> files, std::span<const int> topics,
             std::span<const Pick> picks, std::vector<Source>* sources) {
  topic.UnloadQuestions();
  sources->assign(picks.size(), Source());
  if (picks.empty()) return 0;
  // Every record is made first, so each file's picks can go straight to their places.
  std::vector<QuestionClass*> records(picks.size(), nullptr);
  records[0] = &topic.Head;
  for (std::size_t i = 1; i < picks.size(); ++i) {
    records[i] = topic.myNew(records[i - 1]);
    if (records[i] == nullptr) {
      topic.UnloadQuestions();
      sources->clear();
      return 0;
    }
  }
  std::vector<bool> filled(picks.size(), false);
  for (std::size_t f = 0; f < files.size(); ++f) {
    // The picks of this file by place; most files give a few records of thousands.
    std::vector<std::pair<int, std::size_t>> wanted;
    for (std::size_t i = 0; i < picks.size(); ++i)
      if (picks[i].file == static_cast<int>(f) && picks[i].place >= 0)
        wanted.push_back({picks[i].place, i});
    if (wanted.empty()) continue;
    std::sort(wanted.begin(), wanted.end());
    CopyRecords(files[f], wanted, records);
    for (const auto& [place, i] : wanted) {
      QuestionClass& to = *records[i];
      int present = PresentVariants(to);
      if (!to.bExists || present == 0) continue;
      Source& s = (*sources)[i];
      std::size_t n = strnlen(files[f], kPathCapacity - 1);
      std::memcpy(s.File, files[f], n);
      s.File[n] = '\0';
      s.Topic = f < topics.size() ? topics[f] : -1;
      s.Place = place;
      s.Key = bank::ContentKey(to, present);
      filled[i] = true;
    }
  }
  // Picks that found nothing close up.
  int kept = 0;
  for (std::size_t i = 0; i < picks.size(); ++i) {
    if (!filled[i]) continue;
    if (kept != static_cast<int>(i)) {
      CopyQuestion(*records[kept], *records[i]);
      (*sources)[kept] = (*sources)[i];
    }
    ++kept;
  }
  Truncate(topic, kept);
  sources->resize(static_cast<std::size_t>(kept));
  if (kept > 0) topic.BuildIndex();
  return kept;
}

}  // namespace bank
