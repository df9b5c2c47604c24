// Assembling a topic from records of several question files.
#include "exam/assembled.h"

#include <cstring>

#include "bank/content_key.h"
#include "bank/question.h"
#include "platform/files.h"

namespace exam {
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
    bool wanted = false;
    for (const Pick& p : picks) wanted = wanted || p.file == static_cast<int>(f);
    if (!wanted) continue;
    // A scratch topic of its own: the global one's load options (keys, the answers' shuffle)
    // are not wanted here.
    TopicClass scratch;
    scratch.LoadQuestions(const_cast<char*>(files[f]));
    for (std::size_t i = 0; i < picks.size(); ++i) {
      const Pick& p = picks[i];
      if (p.file != static_cast<int>(f) || p.place < 0 || p.place >= scratch.Count) continue;
      const QuestionClass* from = scratch.Get(p.place);
      int present = PresentVariants(*from);
      if (!from->bExists || present == 0) continue;
      QuestionClass& to = *records[i];
      CopyQuestion(to, *from);
      to.bSolved = false;
      to.ShowCount = 0;
      Source& s = (*sources)[i];
      std::size_t n = strnlen(files[f], kPathCapacity - 1);
      std::memcpy(s.File, files[f], n);
      s.File[n] = '\0';
      s.Topic = f < topics.size() ? topics[f] : -1;
      s.Place = p.place;
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

}  // namespace exam
