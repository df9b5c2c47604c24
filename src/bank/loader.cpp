// The question file loader: the reader of bank/question_file.h builds the topic's chain and,
// on the way, its index.
#include <cstring>
#include <new>

#include "bank/content_key.h"
#include "bank/question.h"
#include "bank/question_file.h"

namespace {

// The topic's index, gathered while loading: walking a large topic afterwards would touch a
// dozen cache lines of every record again just to count its variants.
struct IndexBuilder {
  QuestionClass** records = nullptr;
  int* before = nullptr;          // size + 1 entries; the last one grows with the current record
  std::uint64_t* keys = nullptr;  // when keyed: size entries, the last one set when it closes
  int size = 0;
  int capacity = 0;
  bool keyed = false;
  bool failed = false;

  ~IndexBuilder() {
    delete[] records;
    delete[] before;
    delete[] keys;
  }

  void Add(QuestionClass* q) {
    if (failed) return;
    if (size == capacity) {
      int grown = capacity < 64 ? 64 : capacity < (1 << 29) ? capacity * 2 : 0;
      auto* moreRecords = grown > 0 ? new (std::nothrow) QuestionClass*[grown] : nullptr;
      auto* moreBefore = grown > 0 ? new (std::nothrow) int[grown + 1] : nullptr;
      auto* moreKeys = grown > 0 && keyed ? new (std::nothrow) std::uint64_t[grown] : nullptr;
      if (moreRecords == nullptr || moreBefore == nullptr || (keyed && moreKeys == nullptr)) {
        delete[] moreRecords;
        delete[] moreBefore;
        delete[] moreKeys;
        failed = true;
        return;
      }
      if (size > 0) {
        std::memcpy(moreRecords, records, sizeof(QuestionClass*) * size);
        std::memcpy(moreBefore, before, sizeof(int) * (size + 1));
        if (keyed) std::memcpy(moreKeys, keys, sizeof(std::uint64_t) * size);
      } else {
        moreBefore[0] = 0;
      }
      delete[] records;
      delete[] before;
      delete[] keys;
      records = moreRecords;
      before = moreBefore;
      keys = moreKeys;
      capacity = grown;
    }
    records[size] = q;
    before[size + 1] = before[size];
    ++size;
  }

  void AddVariant() {
    if (!failed) ++before[size];
  }

  // The last record is complete: its key, from its text while it is still in the cache.
  void Close(const QuestionClass& q, int present) {
    if (keyed && !failed && size > 0) keys[size - 1] = bank::ContentKey(q, present);
  }

  // Hands the index to the topic, or has the topic build its own when memory ran short.
  void Finish(TopicClass* topic) {
    if (failed || size != topic->Count) {
      topic->BuildIndex();
      return;
    }
    topic->DropIndex();
    topic->Index = records;
    topic->VariantsBefore = before;
    topic->IndexSize = size;
    topic->Keys = keys;
    records = nullptr;
    before = nullptr;
    keys = nullptr;
  }
};

// What the loader makes of a question file's records: the topic's chain and its index.
struct LoadSink {
  TopicClass* topic = nullptr;
  QuestionClass* current = nullptr;  // the last record linked
  IndexBuilder index;

  bool Begin(int place, QuestionClass*& into) {
    if (place > 0) {
      QuestionClass* next = topic->myNew(current);
      // Out of memory: what has been read stays, as after a failed read.
      if (next == nullptr) return false;
      current = next;
      index.Add(current);
    }
    into = current;
    return true;
  }

  void Variant(int, int) { index.AddVariant(); }

  // The record is complete, while its text is still in the cache.
  void End(int, int present) {
    index.Close(*current, present);
    if (topic->ArrangeOnLoad != nullptr) topic->ArrangeOnLoad(*current, present);
  }
};

}  // namespace

void TopicClass::LoadQuestions(files::Path path) {
  // Loading relies on cleared records; a topic still holding questions is emptied first so
  // that old and new texts never mix.
  if (Count > 1 || Head.bExists) UnloadQuestions();
  DropIndex();

  LoadSink sink;
  sink.topic = this;
  sink.current = &Head;
  sink.index.keyed = KeyOnLoad;
  sink.index.Add(&Head);
  // A file without a record leaves the empty head, keyed as such.
  if (bank::ReadQuestionFile(path, sink) == 0) sink.index.Close(Head, 0);
  sink.index.Finish(this);
  ArrangedOnLoad = ArrangeOnLoad != nullptr;
}
