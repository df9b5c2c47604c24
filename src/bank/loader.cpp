// The question file loader.
//
// A question file is read in large blocks, but every byte is handled as if it had been read
// on its own: the parser keeps its whole state between blocks and never looks ahead.
#include <cstring>
#include <new>

#include "bank/content_key.h"
#include "bank/question.h"
#include "platform/files.h"

namespace {

// What the bytes of the current line go into.
enum class Mode {
  kTask,     // the task text of the current record
  kVariant,  // the text of the current variant
  kSkip,     // nowhere: a variant line that has no place (see Begin)
};

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

struct Parser {
  TopicClass* topic = nullptr;
  QuestionClass* current = nullptr;
  bool lineStart = true;
  bool haveQuestion = false;  // a task line has been seen
  bool outOfMemory = false;
  bool closed = false;  // the current record has been closed (loading stopped after it)
  Mode mode = Mode::kSkip;
  int position = 0;
  int variant = -1;
  IndexBuilder index;

  // The first byte of a line decides its kind. Returns false when the byte has been used up
  // (a variant line's TAB) or loading has to stop.
  bool BeginLine(unsigned char c) {
    if (c == '\t') {
      // A variant line before any task line has no question to belong to, and a thirteenth
      // one has no field: both are passed over whole.
      if (variant < kMaxVariants) ++variant;
      position = 0;
      if (haveQuestion && variant < kMaxVariants) {
        mode = Mode::kVariant;
        current->Vrnt[variant].bExists = true;
        index.AddVariant();
      } else {
        mode = Mode::kSkip;
      }
      return false;
    }
    if (haveQuestion) {
      Close();
      QuestionClass* next = topic->myNew(current);
      if (next == nullptr) {
        // Out of memory: what has been read stays, as after a failed read.
        outOfMemory = true;
        return false;
      }
      current = next;
      index.Add(current);
    }
    closed = false;
    haveQuestion = true;
    current->bExists = true;
    current->bSolved = false;
    mode = Mode::kTask;
    position = 0;
    variant = -1;
    return true;
  }

  // The current record takes no more lines (the next task line, or the end of the file).
  void Close() {
    if (closed) return;
    closed = true;
    int present = variant + 1 < kMaxVariants ? variant + 1 : kMaxVariants;
    if (!haveQuestion) present = 0;
    index.Close(*current, present);
    if (topic->ArrangeOnLoad != nullptr && haveQuestion) topic->ArrangeOnLoad(*current, present);
  }

  void Feed(const unsigned char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      unsigned char c = bytes[i];
      if (lineStart) {
        lineStart = false;
        if (!BeginLine(c)) {
          if (outOfMemory) return;
          continue;
        }
      }
      if (c == '\n') {
        lineStart = true;
        continue;
      }
      if (c == '\r') continue;
      if (mode == Mode::kTask) {
        // Text beyond the field is dropped up to the end of the line.
        if (position < kTaskCapacity - 1) {
          current->Task[position++] = static_cast<char>(c);
          // The rest of a task line up to its break is copied as a run.
          std::size_t end = i + 1;
          std::size_t room = static_cast<std::size_t>(kTaskCapacity - 1 - position);
          std::size_t limit = size - end < room ? size : end + room;
          while (end < limit && bytes[end] != '\n' && bytes[end] != '\r') ++end;
          std::size_t run = end - (i + 1);
          std::memcpy(current->Task + position, bytes + i + 1, run);
          position += static_cast<int>(run);
          i = end - 1;
        }
      } else if (mode == Mode::kVariant) {
        if (c == '\t') continue;
        vrnt& v = current->Vrnt[variant];
        if (position == 0 && (c == '+' || c == '-')) {
          v.bCorrect = c == '+';
        } else if (position < kVariantCapacity - 1) {
          v.Text[position++] = static_cast<char>(c);
        }
      }
    }
  }
};

}  // namespace

void TopicClass::LoadQuestions(char* path) {
  // Loading relies on cleared records; a topic still holding questions is emptied first so
  // that old and new texts never mix.
  if (Count > 1 || Head.bExists) UnloadQuestions();
  DropIndex();

  Parser parser;
  parser.topic = this;
  parser.current = &Head;
  parser.index.keyed = KeyOnLoad;
  parser.index.Add(&Head);
  files::ReadBlocks(path, [&](const unsigned char* bytes, std::size_t size) {
    parser.Feed(bytes, size);
    return !parser.outOfMemory;
  });
  parser.Close();
  parser.index.Finish(this);
  ArrangedOnLoad = ArrangeOnLoad != nullptr;
}
