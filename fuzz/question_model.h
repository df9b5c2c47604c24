// The question file format as a plain model, read one byte at a time as the format describes
// it, and the loaded chain's invariants: shared by the fuzz targets of Windows-1251 and UTF-8
// question files. The model takes the loader's choices for input outside the format: a text
// longer than its field is cut (a UTF-8 one at a character boundary), variant lines before the
// first task line and from the thirteenth on are passed over.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bank/question.h"
#include "common/utf8.h"
#include "fuzz_support.h"

namespace fuzzmodel {

using fuzzsupport::Require;

struct ModelVariant {
  std::string text;
  bool correct = false;
};
struct ModelQuestion {
  std::string task;
  std::vector<ModelVariant> variants;
};

// The records the format makes of `data`; a UTF-8 file's texts cut at a character boundary,
// every other file's at the byte that no longer fits.
inline std::vector<ModelQuestion> Model(const uint8_t* data, size_t size, bool utf8 = false) {
  std::vector<ModelQuestion> questions;
  enum { kSkip, kTask, kVariant } mode = kSkip;
  bool lineStart = true;
  int variant = -1;
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = data[i];
    if (lineStart) {
      lineStart = false;
      if (c == '\t') {
        if (variant < kMaxVariants) ++variant;
        mode = !questions.empty() && variant < kMaxVariants ? kVariant : kSkip;
        if (mode == kVariant) questions.back().variants.emplace_back();
        continue;
      }
      questions.emplace_back();
      mode = kTask;
      variant = -1;
    }
    if (c == '\n') {
      lineStart = true;
      continue;
    }
    if (c == '\r') continue;
    // Texts are kept whole here and cut below.
    if (mode == kTask) {
      questions.back().task += static_cast<char>(c);
    } else if (mode == kVariant && c != '\t') {
      ModelVariant& v = questions.back().variants.back();
      if (v.text.empty() && (c == '+' || c == '-'))
        v.correct = c == '+';
      else
        v.text += static_cast<char>(c);
    }
  }
  auto cut = [utf8](std::string& text, std::size_t max) {
    text = std::string(utf8 ? utf8::Cut(text, max) : std::string_view(text).substr(0, max));
  };
  for (ModelQuestion& q : questions) {
    cut(q.task, kTaskCapacity - 1);
    for (ModelVariant& v : q.variants) cut(v.text, kVariantCapacity - 1);
  }
  return questions;
}

// Compared by the library rather than a loop of ours, which the fuzzer would trace byte by byte.
inline bool AllZero(const void* p, size_t n) {
  const unsigned char* b = static_cast<const unsigned char*>(p);
  return n == 0 || (b[0] == 0 && std::memcmp(b, b + 1, n - 1) == 0);
}

// The field holds exactly `text` followed by zeros to its end.
inline bool FieldHolds(const char* field, size_t capacity, const std::string& text) {
  return text.size() < capacity && std::memcmp(field, text.data(), text.size()) == 0 &&
         AllZero(field + text.size(), capacity - text.size());
}

inline void CheckEmpty(TopicClass& topic) {
  Require(topic.Count == 1, "an unloaded topic has Count 1");
  Require(topic.Head.Next == &topic.Head, "an unloaded head links to itself");
  Require(!topic.Head.bExists && !topic.Head.bSolved && topic.Head.ShowCount == 0,
          "an unloaded head is fresh");
  Require(AllZero(topic.Head.Task, sizeof topic.Head.Task) &&
              AllZero(topic.Head.Vrnt, sizeof topic.Head.Vrnt),
          "an unloaded head holds no text");
}

inline void CheckLoaded(TopicClass& topic, const std::vector<ModelQuestion>& model,
                        bool utf8 = false) {
  Require(topic.Count >= 1, "Count is at least 1");
  Require(topic.Count == (model.empty() ? 1 : static_cast<int>(model.size())),
          "one record per task line");
  Require(topic.Head.bExists == !model.empty(), "the head exists when a task line was read");
  const QuestionClass* q = &topic.Head;
  int variantsBefore = 0;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) {
    Require(q->Id == i, "Id equals the index");
    Require(topic.Get(i) == q, "Get(i) is record i");
    Require(topic.GetIDComponent(i) == variantsBefore, "GetIDComponent counts earlier variants");
    Require(i == 0 || q->bExists, "appended records exist");
    Require(!q->bSolved && q->ShowCount == 0, "a loaded record is fresh");
    Require(model.empty() || q->bUtf8 == utf8, "a record says its file's encoding");
    Require(std::memchr(q->Task, 0, sizeof q->Task) != nullptr, "the task is zero-terminated");
    int present = 0;
    for (int j = 0; j < kMaxVariants; ++j) {
      const vrnt& v = q->Vrnt[j];
      Require(std::memchr(v.Text, 0, sizeof v.Text) != nullptr, "a variant is zero-terminated");
      if (v.bExists) {
        Require(present == j, "present variants have no gaps");
        ++present;
      } else {
        Require(AllZero(&v, sizeof v), "a variant not present is all zero");
      }
    }
    variantsBefore += present;
    if (model.empty()) continue;
    const ModelQuestion& m = model[static_cast<size_t>(i)];
    Require(FieldHolds(q->Task, sizeof q->Task, m.task), "the task is the line's text");
    Require(present == static_cast<int>(m.variants.size()), "one variant per variant line");
    for (int j = 0; j < present; ++j) {
      const ModelVariant& mv = m.variants[static_cast<size_t>(j)];
      Require(FieldHolds(q->Vrnt[j].Text, sizeof q->Vrnt[j].Text, mv.text),
              "the variant is the line's text");
      Require(q->Vrnt[j].bCorrect == mv.correct, "the last leading sign decides");
    }
  }
  Require(q == &topic.Head, "the chain closes back to the head after Count records");
  Require(topic.GetIDComponent(topic.Count) == variantsBefore, "GetIDComponent of all records");
  Require(topic.GetNextQuestion(topic.Count) == -1, "no question past the end");
  Require(topic.GetNextQuestion(0) == (model.empty() ? -1 : 0), "question 0 comes first");
}

}  // namespace fuzzmodel
