// One pass over the records of a loaded topic along the chain, for when memory ran short for
// the index or the loader's keys: the usual paths use those instead.
#pragma once

#include "bank/question.h"

namespace bank {

// The present variants of a record: the run from slot 0, as the loader fills them.
inline int PresentRun(const QuestionClass& q) {
  int m = 0;
  while (m < kMaxVariants && q.Vrnt[m].bExists) ++m;
  return m;
}

// Calls visit(record, present variants) for every record in chain order.
template <class Visit>
void ForEachRecord(TopicClass& topic, Visit&& visit) {
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) visit(*q, PresentRun(*q));
}

}  // namespace bank
