// One pass over the records of a loaded topic, with the records ahead read early.
//
// The records are 14 KiB apart, and a pass that reads a task and a few variants of each would
// otherwise wait on memory (and on a page walk) at every one. With the index the records ahead
// are known: a batch of them is touched at once, so those waits overlap.
#pragma once

#include "bank/question.h"

namespace study {

// The present variants of a record: the run from slot 0, as the loader fills them.
inline int PresentRun(const QuestionClass& q) {
  int m = 0;
  while (m < kMaxVariants && q.Vrnt[m].bExists) ++m;
  return m;
}

// Calls visit(record, present variants) for every record in chain order; the count comes from
// the index, so the records' own flags need not be read for it.
template <class Visit>
void ForEachRecord(TopicClass& topic, Visit&& visit) {
  const int n = topic.Count;
  if (topic.Index != nullptr && topic.IndexSize == n) {
    // A batch of records is touched first with loads that do not depend on each other, so the
    // processor waits for all of their lines (and page walks) at once rather than one by one.
    constexpr int kBatch = 32;
    for (int start = 0; start < n; start += kBatch) {
      int end = start + kBatch < n ? start + kBatch : n;
      unsigned sink = 0;
      for (int i = start; i < end; ++i) {
        const QuestionClass* q = topic.Index[i];
        int present = topic.VariantsBefore[i + 1] - topic.VariantsBefore[i];
        sink += static_cast<unsigned char>(q->Task[0]);
        for (int k = 0; k < present && k < kMaxVariants; ++k)
          sink += static_cast<unsigned char>(q->Vrnt[k].Text[0]);
      }
      asm volatile("" : : "r"(sink));
      for (int i = start; i < end; ++i)
        visit(*topic.Index[i], topic.VariantsBefore[i + 1] - topic.VariantsBefore[i]);
    }
    return;
  }
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < n; ++i, q = q->Next) visit(*q, PresentRun(*q));
}

}  // namespace study
