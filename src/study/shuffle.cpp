// Shuffling the loaded topic in place.
#include "study/shuffle.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "bank/question.h"
#include "study/walk.h"

namespace study {

std::uint64_t Random::Next() {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

std::uint32_t Random::Below(std::uint32_t n) {
  if (n == 0) return 0;
  // Draws from the largest multiple of n below 2^32 are uniform modulo n.
  const std::uint32_t limit = static_cast<std::uint32_t>((0x100000000ull / n) * n - 1);
  for (;;) {
    std::uint32_t draw = static_cast<std::uint32_t>(Next() >> 32);
    if (draw <= limit) return draw % n;
  }
}

namespace {

// Everything of a record that belongs to its question, not to its place in the chain.
void SwapContents(QuestionClass* a, QuestionClass* b) {
  QuestionClass* keep = new (std::nothrow) QuestionClass;
  if (keep == nullptr) {
    // Field by field through a small buffer: the records are 14 KiB and the stack may be small.
    for (std::size_t i = 0; i < sizeof a->Task; ++i) std::swap(a->Task[i], b->Task[i]);
    for (int k = 0; k < kMaxVariants; ++k) std::swap(a->Vrnt[k], b->Vrnt[k]);
  } else {
    std::memcpy(keep->Task, a->Task, sizeof a->Task);
    std::memcpy(a->Task, b->Task, sizeof a->Task);
    std::memcpy(b->Task, keep->Task, sizeof a->Task);
    std::memcpy(keep->Vrnt, a->Vrnt, sizeof a->Vrnt);
    std::memcpy(a->Vrnt, b->Vrnt, sizeof a->Vrnt);
    std::memcpy(b->Vrnt, keep->Vrnt, sizeof a->Vrnt);
    delete keep;
  }
  std::swap(a->bExists, b->bExists);
  std::swap(a->bSolved, b->bSolved);
  std::swap(a->ShowCount, b->ShowCount);
}

// Swaps two variants. Only the texts' used bytes move: past the longer text both fields hold
// zeros (records are cleared before they are filled), which they still do afterwards.
void SwapVariants(vrnt* a, vrnt* b) {
  std::size_t used = std::max(strnlen(a->Text, sizeof a->Text), strnlen(b->Text, sizeof b->Text));
  std::size_t n = used < sizeof a->Text ? used + 1 : used;
  char keep[sizeof a->Text];
  std::memcpy(keep, a->Text, n);
  std::memcpy(a->Text, b->Text, n);
  std::memcpy(b->Text, keep, n);
  std::swap(a->bExists, b->bExists);
  std::swap(a->bCorrect, b->bCorrect);
}

}  // namespace

void ShuffleQuestions(TopicClass& topic, Random& random) {
  const int n = topic.Count;
  if (n <= 1) return;
  if (topic.Index == nullptr || topic.IndexSize != n) topic.BuildIndex();
  if (topic.Index == nullptr || topic.IndexSize != n) return;  // no memory: the order stays
  QuestionClass** order = topic.Index;
  // Each record's present variants, from the index, travel with it: the records themselves are
  // not read again for them.
  int* before = topic.VariantsBefore;
  for (int i = n - 1; i >= 0; --i) before[i + 1] -= before[i];
  int* present = before + 1;
  for (int i = n - 1; i > 0; --i) {
    int j = static_cast<int>(random.Below(static_cast<std::uint32_t>(i) + 1));
    std::swap(order[i], order[j]);
    std::swap(present[i], present[j]);
  }
  // The chain must start at the embedded head: it takes the contents of the record drawn for
  // place 0, and that record takes the head's contents and the head's place in the order (so
  // every place keeps the contents, and the variant count, it was drawn).
  QuestionClass* head = &topic.Head;
  if (order[0] != head) {
    QuestionClass* first = order[0];
    SwapContents(head, first);
    for (int i = 1; i < n; ++i) {
      if (order[i] == head) {
        order[i] = first;
        break;
      }
    }
    order[0] = head;
  }
  // Relink as the loader links: ids count up from 0 and the last record leads back to the head.
  for (int i = 0; i < n; ++i) {
    order[i]->Id = i;
    order[i]->Next = i + 1 < n ? order[i + 1] : head;
  }
  before[0] = 0;
  for (int i = 0; i < n; ++i) before[i + 1] += before[i];
}

void ShuffleVariants(QuestionClass& q, int present, Random& random) {
  // The loader fills variants from slot 0 without gaps; only that run is shuffled, so the
  // present variants stay in slots 0..present-1.
  int m = present < kMaxVariants ? present : kMaxVariants;
  for (int k = m - 1; k > 0; --k) {
    int j = static_cast<int>(random.Below(static_cast<std::uint32_t>(k) + 1));
    if (j != k) SwapVariants(&q.Vrnt[k], &q.Vrnt[j]);
  }
}

void ShuffleAnswers(TopicClass& topic, Random& random) {
  ForEachRecord(topic, [&](QuestionClass& q, int present) { ShuffleVariants(q, present, random); });
}

}  // namespace study
