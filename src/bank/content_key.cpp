// Content keys of questions (see content_key.h).
#include "bank/content_key.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <utility>

#include "bank/question.h"

namespace bank {
namespace {

constexpr std::uint64_t kMix = 0x9e3779b97f4a7c15ull;

std::uint64_t Finish(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// A text's bytes in little-endian words of eight, the last one padded with zeros, and its
// length: no two texts give the same sequence.
std::uint64_t HashText(const char* text, std::size_t size, std::uint64_t h) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  h = (h ^ size) * kMix;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= size; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      h = (h ^ word) * kMix;
      h ^= h >> 32;
    }
  }
  for (; i < size; i += 8) {
    std::uint64_t word = 0;
    std::size_t n = size - i < 8 ? size - i : 8;
    for (std::size_t b = 0; b < n; ++b) word |= static_cast<std::uint64_t>(p[i + b]) << (8 * b);
    h = (h ^ word) * kMix;
    h ^= h >> 32;
  }
  return Finish(h);
}

}  // namespace

std::uint64_t ContentKey(const QuestionClass& q, int present) {
  int n = present < 0 ? 0 : present < kMaxVariants ? present : kMaxVariants;
  // The task's hash and the variants' (each seeded by its mark), lane 0 the task.
  const char* texts[kMaxVariants + 1];
  std::size_t sizes[kMaxVariants + 1];
  std::uint64_t h[kMaxVariants + 1];
  texts[0] = q.Task;
  sizes[0] = strnlen(q.Task, sizeof q.Task);
  h[0] = static_cast<unsigned>(n);
  for (int k = 0; k < n; ++k) {
    const vrnt& v = q.Vrnt[k];
    texts[k + 1] = v.Text;
    sizes[k + 1] = strnlen(v.Text, sizeof v.Text);
    h[k + 1] = v.bCorrect ? 1 : 2;
  }
  const int lanes = n + 1;
  if constexpr (std::endian::native == std::endian::little) {
    // The texts' hashes step by step side by side: each is a chain of multiplications, and
    // independent chains overlap in the processor. Fields are a whole number of words long and
    // every text ends before its field does, so a word read at an offset below its size stays
    // in the field; the bytes past the size are masked off (they are zeros, but for a text
    // with a zero byte inside).
    static_assert(sizeof q.Task % 8 == 0 && sizeof q.Vrnt[0].Text % 8 == 0);
    std::size_t longest = 0;
    for (int t = 0; t < lanes; ++t) {
      h[t] = (h[t] ^ sizes[t]) * kMix;
      if (sizes[t] > longest) longest = sizes[t];
    }
    for (std::size_t i = 0; i < longest; i += 8) {
      for (int t = 0; t < lanes; ++t) {
        if (i >= sizes[t]) continue;
        std::uint64_t word;
        std::memcpy(&word, texts[t] + i, 8);
        std::size_t left = sizes[t] - i;
        if (left < 8) word &= (std::uint64_t{1} << (8 * left)) - 1;
        h[t] = (h[t] ^ word) * kMix;
        h[t] ^= h[t] >> 32;
      }
    }
    for (int t = 0; t < lanes; ++t) h[t] = Finish(h[t]);
  } else {
    for (int t = 0; t < lanes; ++t) h[t] = HashText(texts[t], sizes[t], h[t]);
  }
  std::uint64_t* variants = h + 1;
  // At most twelve: an insertion sort.
  for (int i = 1; i < n; ++i)
    for (int j = i; j > 0 && variants[j - 1] > variants[j]; --j)
      std::swap(variants[j - 1], variants[j]);
  std::uint64_t key = h[0];
  for (int k = 0; k < n; ++k) key = Finish((key ^ variants[k]) * kMix);
  return key;
}

}  // namespace bank
