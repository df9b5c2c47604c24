// Question files through the real loader: UnloadQuestions, then LoadQuestions of the input
// written to a file, then the chain's invariants and a comparison with a plain model of the
// format.
//
// The model reads the file one byte at a time as the format describes it, with the loader's
// choices for input outside the format: a text longer than its field is cut, variant lines
// before the first task line and from the thirteenth on are passed over.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bank/question.h"
#include "fuzz_support.h"

namespace {

using fuzzsupport::Require;

TopicClass topic;  // in zeroed static storage, like the program's own

std::string scratchDir;
std::string inputPath;

void RemoveScratch() {
  std::remove(inputPath.c_str());
  ::rmdir(scratchDir.c_str());
}

// The file every input is written to, chosen once per process: in memory where there is
// /dev/shm, since a file is written for every run.
const char* InputPath() {
  if (!inputPath.empty()) return inputPath.c_str();
  scratchDir = fuzzsupport::MakeScratchDir("questions");
  inputPath = scratchDir + "/q.txt";
  std::atexit(RemoveScratch);
  return inputPath.c_str();
}

void WriteInput(const uint8_t* data, size_t size) {
  fuzzsupport::WriteInput(InputPath(), data, size);
}

struct ModelVariant {
  std::string text;
  bool correct = false;
};
struct ModelQuestion {
  std::string task;
  std::vector<ModelVariant> variants;
};

std::vector<ModelQuestion> Model(const uint8_t* data, size_t size) {
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
    if (mode == kTask) {
      std::string& task = questions.back().task;
      if (task.size() < kTaskCapacity - 1) task += static_cast<char>(c);
    } else if (mode == kVariant && c != '\t') {
      ModelVariant& v = questions.back().variants.back();
      if (v.text.empty() && (c == '+' || c == '-'))
        v.correct = c == '+';
      else if (v.text.size() < kVariantCapacity - 1)
        v.text += static_cast<char>(c);
    }
  }
  return questions;
}

// Compared by the library rather than a loop of ours, which the fuzzer would trace byte by byte.
bool AllZero(const void* p, size_t n) {
  const unsigned char* b = static_cast<const unsigned char*>(p);
  return n == 0 || (b[0] == 0 && std::memcmp(b, b + 1, n - 1) == 0);
}

// The field holds exactly `text` followed by zeros to its end.
bool FieldHolds(const char* field, size_t capacity, const std::string& text) {
  return text.size() < capacity && std::memcmp(field, text.data(), text.size()) == 0 &&
         AllZero(field + text.size(), capacity - text.size());
}

void CheckEmpty() {
  Require(topic.Count == 1, "an unloaded topic has Count 1");
  Require(topic.Head.Next == &topic.Head, "an unloaded head links to itself");
  Require(!topic.Head.bExists && !topic.Head.bSolved && topic.Head.ShowCount == 0,
          "an unloaded head is fresh");
  Require(AllZero(topic.Head.Task, sizeof topic.Head.Task) &&
              AllZero(topic.Head.Vrnt, sizeof topic.Head.Vrnt),
          "an unloaded head holds no text");
}

void CheckLoaded(const std::vector<ModelQuestion>& model) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteInput(data, size);
  topic.UnloadQuestions();
  CheckEmpty();
  topic.LoadQuestions(const_cast<char*>(InputPath()));
  CheckLoaded(Model(data, size));
  return 0;
}
