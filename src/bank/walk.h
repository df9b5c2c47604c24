// One pass over the records of a loaded topic along the chain, for when memory ran short for
// the index or the loader's keys: the usual paths use those instead.
#pragma once

#include "bank/question.h"
#include "bank/question_file.h"

namespace bank {

// Calls visit(record, present variants) for every record in chain order.
template <class Visit>
void ForEachRecord(TopicClass& topic, Visit&& visit) {
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) visit(*q, bank::PresentVariants(*q));
}

}  // namespace bank
