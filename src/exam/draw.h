// The draw of an exam's questions from a topic or from every topic of a discipline.
#pragma once

#include <vector>

#include "bank/assembled.h"
#include "bank/shuffle.h"

struct DisciplineClass;

namespace exam {

// What a choice offers: the catalogue's topics in menu order and, for each, the places of its
// questions with variants (a card without variants is no exam question).
struct Pool {
  std::vector<int> topics;               // catalogue topic indexes
  std::vector<std::vector<int>> places;  // places[i]: of topics[i], ascending
  int Available() const;
};

// The pool of catalogue topic `topic` of `catalogue`, or of all its topics when `topic` is -1
// (the catalogue's loaded topics: LoadTopics first).
Pool PoolOf(const DisciplineClass& catalogue, int topic);

// `count` questions of the pool, each topic giving its share (Shares), drawn at random without
// repeats, then put in a random order. Pick.file indexes pool.topics.
std::vector<bank::Pick> DrawPicks(const Pool& pool, int count, bank::Random& random);

}  // namespace exam
