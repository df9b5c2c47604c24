// Shuffling the loaded topic in place.
#include "bank/shuffle.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "bank/question.h"
#include "bank/walk.h"

namespace bank {

std::uint64_t Random::Next() {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

std::uint32_t Random::Below(std::uint32_t n) {
  if (n == 0) return 0;
  // Draws from the largest multiple of n below 2^32 are uniform modulo n. That multiple is above
  // 2^32 - n, so below it no draw needs the bound worked out (a 64-bit division).
  for (;;) {
    std::uint32_t draw = static_cast<std::uint32_t>(Next() >> 32);
    if (draw <= 0xffffffffu - n) return draw % n;
    const std::uint32_t limit = static_cast<std::uint32_t>((0x100000000ull / n) * n - 1);
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
  std::swap(a->bUtf8, b->bUtf8);
  std::swap(a->ShowCount, b->ShowCount);
}

// A word of eight bytes has a zero byte.
constexpr bool HasZero(std::uint64_t w) {
  return ((w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull) != 0;
}

// Swaps two variants. Only the texts' used words move: past the word that ends the longer text
// both fields hold zeros (records are cleared before they are filled), which they still do
// afterwards. Word by word in place: for texts of a few dozen bytes the library's string and
// copy calls cost more than the swap.
void SwapVariants(vrnt* a, vrnt* b) {
  static_assert(sizeof a->Text % 8 == 0);
  for (std::size_t i = 0; i < sizeof a->Text; i += 8) {
    std::uint64_t x, y;
    std::memcpy(&x, a->Text + i, 8);
    std::memcpy(&y, b->Text + i, 8);
    std::memcpy(a->Text + i, &y, 8);
    std::memcpy(b->Text + i, &x, 8);
    if (HasZero(x) && HasZero(y)) break;
  }
  std::swap(a->bExists, b->bExists);
  std::swap(a->bCorrect, b->bCorrect);
}

}  // namespace

void ShuffleVariants(QuestionClass& q, int present, Random& random) {
  // The loader fills variants from slot 0 without gaps; only that run is shuffled, so the
  // present variants stay in slots 0..present-1.
  int m = present < kMaxVariants ? present : kMaxVariants;
  for (int k = m - 1; k > 0; --k) {
    int j = static_cast<int>(random.Below(static_cast<std::uint32_t>(k) + 1));
    if (j != k) SwapVariants(&q.Vrnt[k], &q.Vrnt[j]);
  }
}

namespace {

bool HasIndex(const TopicClass& topic) {
  return topic.Index != nullptr && topic.IndexSize == topic.Count;
}

// The draws of ShuffleVariants for `present` variants, four bits a step (slot k's partner at
// bits 4k..4k+3), so they can be taken in the order ShuffleAnswers takes them and applied later.
std::uint64_t DrawVariantPlan(int present, Random& random) {
  std::uint64_t plan = 0;
  int m = present < kMaxVariants ? present : kMaxVariants;
  for (int k = m - 1; k > 0; --k)
    plan |= static_cast<std::uint64_t>(random.Below(static_cast<std::uint32_t>(k) + 1)) << (4 * k);
  return plan;
}

void ApplyVariantPlan(QuestionClass& q, int present, std::uint64_t plan) {
  int m = present < kMaxVariants ? present : kMaxVariants;
  for (int k = m - 1; k > 0; --k) {
    int j = static_cast<int>(plan >> (4 * k) & 15);
    if (j != k) SwapVariants(&q.Vrnt[k], &q.Vrnt[j]);
  }
}

// Reads a byte of every line the pass will use of `n` records, with loads that do not depend on
// each other: the processor then waits for all of those lines (and their page walks) at once
// rather than for one after another as the pass reaches them.
void Touch(QuestionClass* const* records, const int* before, int n, bool variants) {
  unsigned sink = 0;
  for (int i = 0; i < n; ++i) {
    const QuestionClass* q = records[i];
    if (variants) {
      int m = before[i + 1] - before[i];
      // A text's first two lines (most texts are shorter) and its flags, which share a line
      // with the next variant's text.
      for (int k = 0; k < m && k < kMaxVariants; ++k)
        sink += static_cast<unsigned char>(q->Vrnt[k].Text[0]) +
                static_cast<unsigned char>(q->Vrnt[k].Text[64]) +
                static_cast<unsigned>(q->Vrnt[k].bCorrect);
    }
    sink += static_cast<unsigned>(q->bSolved) + static_cast<unsigned>(q->Id) +
            static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(q->Next));
  }
#if defined(__GNUC__)
  asm volatile("" : : "r"(sink));
#else
  static volatile unsigned keep;
  keep = sink;
#endif
}

// ShuffleQuestions with nothing but the index, for when memory is short.
void ShuffleQuestionsInPlace(TopicClass& topic, Random& random) {
  const int n = topic.Count;
  if (n <= 1) return;
  if (!HasIndex(topic)) topic.BuildIndex();
  if (!HasIndex(topic)) return;  // no memory: the order stays
  delete[] topic.Keys;           // not followed here
  topic.Keys = nullptr;
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

// The same, record by record along the chain, for a topic without an index (no memory for it):
// slower, but the result is the same.
void ArrangeByWalking(TopicClass& topic, Random& random, bool answers, bool questions,
                      const std::vector<int>& solvedPlaces) {
  if (!solvedPlaces.empty()) {
    std::size_t next = 0;
    QuestionClass* q = &topic.Head;
    for (int i = 0; i < topic.Count && next < solvedPlaces.size(); ++i, q = q->Next) {
      if (solvedPlaces[next] != i) continue;
      q->bSolved = true;
      ++next;
    }
  }
  if (answers)
    ForEachRecord(topic,
                  [&](QuestionClass& q, int present) { ShuffleVariants(q, present, random); });
  if (questions) ShuffleQuestionsInPlace(topic, random);
}

template <class T>
T* Allocate(std::size_t n) {
  return new (std::nothrow) T[n];
}

}  // namespace

void Arrange(TopicClass& topic, Random& random, bool answers, bool questions,
             const std::vector<int>& solvedPlaces) {
  const int n = topic.Count;
  if (n <= 0) return;
  questions = questions && n > 1;
  if (questions && !HasIndex(topic)) topic.BuildIndex();
  if (!HasIndex(topic)) return ArrangeByWalking(topic, random, answers, questions, solvedPlaces);
  if (!answers && !questions) {
    // Marks alone: only the marked records are reached, through the index.
    for (int i : solvedPlaces)
      if (i >= 0 && i < n) topic.Index[i]->bSolved = true;
    return;
  }
  const std::size_t size = static_cast<std::size_t>(n);
  std::unique_ptr<std::uint64_t[]> plans(answers ? Allocate<std::uint64_t>(size) : nullptr);
  // src[t]: the load place of the question drawn for place t; place[i]: the place the record
  // loaded at i goes to; order: the records by their new place; present: variant counts.
  std::unique_ptr<int[]> src(questions ? Allocate<int>(size) : nullptr);
  std::unique_ptr<int[]> place(questions ? Allocate<int>(size) : nullptr);
  std::unique_ptr<QuestionClass*[]> order(questions ? Allocate<QuestionClass*>(size) : nullptr);
  std::unique_ptr<int[]> before(questions ? Allocate<int>(size + 1) : nullptr);
  std::unique_ptr<std::uint64_t[]> keys(
      questions && topic.Keys != nullptr ? Allocate<std::uint64_t>(size) : nullptr);
  if ((answers && !plans) || (questions && (!src || !place || !order || !before)) ||
      (questions && topic.Keys != nullptr && !keys)) {
    return ArrangeByWalking(topic, random, answers, questions, solvedPlaces);
  }
  QuestionClass** index = topic.Index;
  const int* count = topic.VariantsBefore;
  auto present = [count](int i) { return count[i + 1] - count[i]; };

  // The draws, in the order the separate shuffles take them: every question's variants in
  // chain order, then the questions (Fisher-Yates).
  if (answers)
    for (int i = 0; i < n; ++i) plans[i] = DrawVariantPlan(present(i), random);
  int headTakes = 0;  // the load place of the question the embedded head takes
  if (questions) {
    for (int t = 0; t < n; ++t) src[t] = t;
    for (int t = n - 1; t > 0; --t) {
      int j = static_cast<int>(random.Below(static_cast<std::uint32_t>(t) + 1));
      std::swap(src[t], src[j]);
    }
    for (int t = 0; t < n; ++t) place[src[t]] = t;
    // The chain must start at the embedded head: it takes the contents of the question drawn
    // for place 0, and that question's record takes the head's contents and its place.
    headTakes = src[0];
    if (headTakes != 0) {
      place[headTakes] = place[0];
      place[0] = 0;
    }
    for (int i = 0; i < n; ++i) order[place[i]] = index[i];
  }

  // The pass, in load order (the order the records were allocated in, which the memory system
  // reads far faster than a random one), with the records a few places ahead asked for early.
  constexpr int kBatch = 32;
  std::size_t nextSolved = 0;
  for (int start = 0; start < n; start += kBatch) {
    const int end = start + kBatch < n ? start + kBatch : n;
    Touch(index + start, count + start, end - start, answers);
    for (int i = start; i < end; ++i) {
      QuestionClass* q = index[i];
      if (answers) ApplyVariantPlan(*q, present(i), plans[i]);
      if (nextSolved < solvedPlaces.size() && solvedPlaces[nextSolved] == i) {
        q->bSolved = true;
        ++nextSolved;
      }
      if (questions) {
        int p = place[i];
        q->Id = p;
        q->Next = p + 1 < n ? order[p + 1] : &topic.Head;
      }
    }
  }
  if (!questions) return;
  if (headTakes != 0) SwapContents(&topic.Head, index[headTakes]);

  // The index follows: records by place, and what belongs to each question by its contents.
  before[0] = 0;
  for (int t = 0; t < n; ++t) {
    before[t + 1] = before[t] + present(src[t]);
    if (keys) keys[t] = topic.Keys[src[t]];
  }
  delete[] topic.Index;
  delete[] topic.VariantsBefore;
  delete[] topic.Keys;
  topic.Index = order.release();
  topic.VariantsBefore = before.release();
  topic.Keys = keys.release();
}

void ShuffleQuestions(TopicClass& topic, Random& random) {
  Arrange(topic, random, false, true, {});
}

void ShuffleAnswers(TopicClass& topic, Random& random) {
  Arrange(topic, random, true, false, {});
}

}  // namespace bank
