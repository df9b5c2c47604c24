// Progress files: content keys, the file's lines, and matching them against a loaded topic.
#include "study/progress.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "bank/question.h"
#include "study/walk.h"

namespace study {

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

std::uint64_t ContentKey(const QuestionClass& q) {
  return ContentKey(q, PresentRun(q));
}

std::uint64_t ContentKey(const QuestionClass& q, int present) {
  std::uint64_t variants[kMaxVariants];
  int n = present < 0 ? 0 : present < kMaxVariants ? present : kMaxVariants;
  for (int k = 0; k < n; ++k) {
    const vrnt& v = q.Vrnt[k];
    variants[k] = HashText(v.Text, strnlen(v.Text, sizeof v.Text), v.bCorrect ? 1 : 2);
  }
  // At most twelve: an insertion sort.
  for (int i = 1; i < n; ++i)
    for (int j = i; j > 0 && variants[j - 1] > variants[j]; --j)
      std::swap(variants[j - 1], variants[j]);
  std::uint64_t h = HashText(q.Task, strnlen(q.Task, sizeof q.Task), static_cast<unsigned>(n));
  for (int k = 0; k < n; ++k) h = Finish((h ^ variants[k]) * kMix);
  return h;
}

std::string ProgressFileName(const char* fullPath) {
  std::uint64_t h = fullPath != nullptr ? Fnv1a(fullPath, std::strlen(fullPath)) : kFnvOffset;
  return ProgressLine(h).substr(0, 16) + ".txt";
}

std::string ProgressHeader(const char* fullPath) {
  return std::string(fullPath != nullptr ? fullPath : "") + "\r\n";
}

std::string ProgressLine(std::uint64_t key) {
  char line[19];
  std::snprintf(line, sizeof line, "%016llx\r\n", static_cast<unsigned long long>(key));
  return std::string(line, 18);
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

ProgressRead ParseProgress(const char* bytes, std::size_t size, const char* fullPath) {
  ProgressRead read;
  if (bytes == nullptr || fullPath == nullptr) return read;
  std::string_view text(bytes, size);
  std::size_t end = text.find('\n');
  if (end == std::string_view::npos) return read;
  std::string_view first = text.substr(0, end);
  if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
  if (first != fullPath) return read;
  read.ours = true;
  text.remove_prefix(end + 1);
  // Only lines with their line end count: the last one may have been cut short by a crash.
  while ((end = text.find('\n')) != std::string_view::npos) {
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() != 16) continue;
    std::uint64_t key = 0;
    bool ok = true;
    for (char c : line) {
      int d = HexDigit(c);
      if (d < 0) {
        ok = false;
        break;
      }
      key = key << 4 | static_cast<std::uint64_t>(d);
    }
    if (ok) read.keys.push_back(key);
  }
  std::sort(read.keys.begin(), read.keys.end());
  read.keys.erase(std::unique(read.keys.begin(), read.keys.end()), read.keys.end());
  return read;
}

std::vector<QuestionClass*> MatchSolved(TopicClass& topic,
                                        const std::vector<std::uint64_t>& sortedKeys) {
  std::vector<QuestionClass*> matched;
  if (sortedKeys.empty()) return matched;
  ForEachRecord(topic, [&](QuestionClass& q, int present) {
    if (q.bExists &&
        std::binary_search(sortedKeys.begin(), sortedKeys.end(), ContentKey(q, present)))
      matched.push_back(&q);
  });
  return matched;
}

int QuestionCount(TopicClass& topic) {
  int n = 0;
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) n += q->bExists ? 1 : 0;
  return n;
}

}  // namespace study
