// What the program's own loaders make of a file, as JSON. The file is copied into a scratch
// database so that the loaders find it under "Base\" from any working directory, whatever its
// name and wherever it lies.
#include <cstring>

#include "bank/catalogue.h"
#include "bank/question.h"
#include "check_host.h"
#include "check_run.h"

namespace check {

namespace {

// Like the program's own objects, these live in zeroed static storage.
TopicClass topic;
DisciplineClass catalogue;

// A field of a record, in the encoding of its file.
std::string Field(const char* text, std::size_t capacity, bool utf8 = false) {
  const void* zero = std::memchr(text, 0, capacity);
  std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : capacity;
  return utf8 ? JsonUtf8(std::string_view(text, length))
              : JsonString(std::string_view(text, length));
}

// Copies `file` into a scratch database as Base\<name>; false with *error when it cannot.
bool Stage(const std::string& file, const char* name, ScratchDatabase* scratch,
           std::string* error) {
  std::string bytes;
  if (!ReadWholeFile(file, &bytes)) {
    *error = lang::Tr(lang::Id::kCannotReadFile);
    return false;
  }
  if (!scratch->Made() || !WriteHostFile(scratch->Base() / name, bytes)) {
    *error = lang::Tr(lang::Id::kCannotCopyFile);
    return false;
  }
  return true;
}

}  // namespace

bool QuestionsJson(const std::string& file, std::string* json, std::string* error) {
  ScratchDatabase scratch;
  if (!Stage(file, "questions.txt", &scratch, error)) return false;
  WorkingDirectory here(scratch.Root());
  if (!here.Entered()) {
    *error = lang::Tr(lang::Id::kChkCannotEnterTemporary);
    return false;
  }
  char path[] = "Base\\questions.txt";
  topic.UnloadQuestions();
  topic.LoadQuestions(path);

  // One line in the documented shape, so that a reader can compare it as text as well.
  std::string out = "{\"count\": " + std::to_string(topic.Count) + ", \"questions\": [";
  const QuestionClass* q = &topic.Head;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) {
    out += i == 0 ? "" : ", ";
    out += "{\"exists\": ";
    out += q->bExists ? "true" : "false";
    out += ", \"task\": " + Field(q->Task, sizeof q->Task, q->bUtf8) + ", \"variants\": [";
    bool first = true;
    for (const vrnt& v : q->Vrnt) {
      if (!v.bExists) continue;
      out += first ? "" : ", ";
      first = false;
      out += "{\"text\": " + Field(v.Text, sizeof v.Text, q->bUtf8) +
             ", \"correct\": " + (v.bCorrect ? "true" : "false") + "}";
    }
    out += "]}";
  }
  out += "]}\n";
  topic.UnloadQuestions();
  *json = std::move(out);
  return true;
}

bool TopicsJson(const std::string& file, std::string* json, std::string* error) {
  ScratchDatabase scratch;
  if (!Stage(file, "topics.txt", &scratch, error)) return false;
  WorkingDirectory here(scratch.Root());
  if (!here.Entered()) {
    *error = lang::Tr(lang::Id::kChkCannotEnterTemporary);
    return false;
  }
  char pattern[] = "Base\\*.txt";
  catalogue.LoadDisciplines(pattern);
  TitlePath discipline{};
  if (catalogue.LastDiscipline >= 0 && catalogue.Disciplines[0].bExists) {
    discipline = catalogue.Disciplines[0];
  } else {
    std::strcpy(discipline.Path, "Base\\topics.txt");
  }
  catalogue.UnloadTopics();
  catalogue.LoadTopics(discipline);

  std::string out =
      "{\"title\": " + Field(discipline.Title, sizeof discipline.Title, discipline.bUtf8) + ", \"topics\": [";
  for (int i = 0; i <= catalogue.LastTopic && i < kMaxTopics; ++i) {
    const TitlePath& t = catalogue.Topics[i];
    out += i == 0 ? "" : ", ";
    out += "{\"title\": " + Field(t.Title, sizeof t.Title, t.bUtf8) +
           ", \"path\": " + Field(t.Path, sizeof t.Path, t.bPathUtf8) + "}";
  }
  out += "]}\n";
  catalogue.UnloadTopics();
  *json = std::move(out);
  return true;
}

}  // namespace check
