// Assembling a topic from records of several question files.
#include "bank/assembled.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "bank/content_key.h"
#include "bank/question.h"
#include "bank/question_file.h"

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
// their copies, by the loader's own reader. Only the wanted records are built: loading the whole
// file would make thousands of records for a few.
void CopyRecords(files::Path path, const std::vector<std::pair<int, std::size_t>>& wanted,
                 const std::vector<QuestionClass*>& records) {
  struct Sink {
    const std::vector<std::pair<int, std::size_t>>& wanted;
    const std::vector<QuestionClass*>& records;
    std::size_t next = 0;  // the first entry of `wanted` not passed yet

    bool Begin(int place, QuestionClass*& into) {
      while (next < wanted.size() && wanted[next].first < place) ++next;
      into = next < wanted.size() && wanted[next].first == place ? records[wanted[next].second]
                                                                 : nullptr;
      return into != nullptr || next < wanted.size();  // nothing more is wanted of this file
    }
  } sink{wanted, records};
  bank::ReadQuestionFile(path, sink);
  // Two picks of one place: the second copies the first.
  for (std::size_t k = 1; k < wanted.size(); ++k)
    if (wanted[k].first == wanted[k - 1].first)
      CopyQuestion(*records[wanted[k].second], *records[wanted[k - 1].second]);
}

}  // namespace

void CopyQuestion(QuestionClass& to, const QuestionClass& from) {
  std::memcpy(to.Task, from.Task, sizeof to.Task);
  std::memcpy(to.Vrnt, from.Vrnt, sizeof to.Vrnt);
  to.bExists = from.bExists;
  to.bUtf8 = from.bUtf8;
}

std::vector<int> PlacesWithVariants(files::Path path) {
  // Only the line starts matter: no record is built.
  struct Sink {
    std::vector<int> places;
    bool Begin(int, QuestionClass*& into) {
      into = nullptr;
      return true;
    }
    void Variant(int place, int slot) {
      if (slot == 0) places.push_back(place);
    }
  } sink;
  bank::ReadQuestionFile(path, sink);
  return std::move(sink.places);
}

int Assemble(TopicClass& topic, std::span<const char* const> files, std::span<const int> topics,
             std::span<const Pick> picks, std::vector<Source>* sources) {
  std::vector<files::Path> paths(files.begin(), files.end());
  return Assemble(topic, paths, topics, picks, sources);
}

int Assemble(TopicClass& topic, std::span<const files::Path> files, std::span<const int> topics,
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
      std::size_t n = strnlen(files[f].bytes, kPathCapacity - 1);
      std::memcpy(s.File, files[f].bytes, n);
      s.File[n] = '\0';
      s.FileUtf8 = files[f].utf8;
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
