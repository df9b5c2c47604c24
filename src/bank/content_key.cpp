// Content keys of questions (see content_key.h).
#include "bank/content_key.h"

#include <bit>
#include <cstddef>
#include <cstring>

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
  std::uint64_t variants[kMaxVariants];
  int n = present < 0 ? 0 : present < kMaxVariants ? present : kMaxVariants;
  for (int k = 0; k < n; ++k) {
    const vrnt& v = q.Vrnt[k];
    variants[k] = HashText(v.Text, strnlen(v.Text, sizeof v.Text), v.bCorrect ? 1 : 2);
  }
  // At most twelve: an insertion sort. Each value is held while the larger ones move up:
  // swapping neighbours makes compilers read pairs just written, which the processor cannot
  // forward from its stores.
  for (int i = 1; i < n; ++i) {
    std::uint64_t v = variants[i];
    int j = i;
    for (; j > 0 && variants[j - 1] > v; --j) variants[j] = variants[j - 1];
    variants[j] = v;
  }
  std::uint64_t h = HashText(q.Task, strnlen(q.Task, sizeof q.Task), static_cast<unsigned>(n));
  for (int k = 0; k < n; ++k) h = Finish((h ^ variants[k]) * kMix);
  return h;
}

}  // namespace bank
