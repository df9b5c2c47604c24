// Shuffling a loaded topic: the order of its questions and of each question's variants.
//
// Both run once, right after the load, on the chain itself, so everything after the load (the
// board, the answer keys, the identifiers, grading and statistics) sees the shuffled order as
// the topic's own.
#pragma once

#include <cstdint>
#include <vector>

struct QuestionClass;
struct TopicClass;

namespace bank {

// A small random source (splitmix64). Seeded from the clock in the program and fixed in tests,
// so a shuffle can be replayed.
struct Random {
  std::uint64_t state = 0;

  std::uint64_t Next();
  // Uniform in 0..n-1 (0 when n is 0), without modulo bias.
  std::uint32_t Below(std::uint32_t n);
};

// Puts the topic's records in a random order (Fisher-Yates). Record 0 stays the embedded head,
// which takes over the contents of the record drawn for the first place; Id and the index are
// renumbered and rebuilt, so Get and GetIDComponent stay constant-time. A topic whose records
// cannot be listed (no memory) keeps its order.
void ShuffleQuestions(TopicClass& topic, Random& random);
// Puts the present variants of every question in a random order, in slots 0..n-1.
void ShuffleAnswers(TopicClass& topic, Random& random);
// What a load with the study options does, in one pass over the records in the order they were
// loaded (the records are 14 KiB apart, and reading them is most of the cost): marks the records
// at `solvedPlaces` (places in the chain, ascending) solved, then, as ShuffleAnswers with
// `answers` and ShuffleQuestions with `questions` one after the other would, with the same
// draws. The index's keys, when the topic has them, follow their questions.
void Arrange(TopicClass& topic, Random& random, bool answers, bool questions,
             const std::vector<int>& solvedPlaces);
// The same for one question whose present variants are slots 0..present-1.
void ShuffleVariants(QuestionClass& q, int present, Random& random);

}  // namespace bank
