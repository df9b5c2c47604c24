// The kinds of session the program asks questions in, and the one word each is stored as.
//
// results.csv and reviews.csv store the word, never the number, so the order here is free; the
// words stay byte for byte what the files already hold.
#pragma once

#include <cstdint>
#include <string_view>

namespace records {

enum class Kind : std::uint8_t {
  kTopic,     // "тренировка": a topic drilled with marks after every answer
  kExam,      // "экзамен": a rehearsed exam
  kReview,    // "повторение": the questions the review log says are due
  kMistakes,  // "ошибки": the drill of an exam's mistakes, or of the log's latest mistakes
};
inline constexpr int kKinds = 4;

// The kind's word as the files store it (UTF-8).
const char* KindWord(Kind kind);
// The kind of a stored word; false for a word no kind has.
bool KindOfWord(std::string_view word, Kind* kind);

}  // namespace records
