// The one table of the session kinds' words.
#include "records/kinds.h"

namespace records {
namespace {

struct KindWordRow {
  Kind kind;
  const char* word;
};
constexpr KindWordRow kWords[kKinds] = {
    {Kind::kTopic, "тренировка"},
    {Kind::kExam, "экзамен"},
    {Kind::kReview, "повторение"},
    {Kind::kMistakes, "ошибки"},
};

}  // namespace

const char* KindWord(Kind kind) {
  for (const KindWordRow& row : kWords)
    if (row.kind == kind) return row.word;
  return kWords[0].word;
}

bool KindOfWord(std::string_view word, Kind* kind) {
  for (const KindWordRow& row : kWords)
    if (word == row.word) {
      *kind = row.kind;
      return true;
    }
  return false;
}

}  // namespace records
