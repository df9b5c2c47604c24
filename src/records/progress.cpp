// Progress files: content keys, the file's lines, and matching them against a loaded topic.
#include "records/progress.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "bank/content_key.h"
#include "bank/question.h"
#include "bank/walk.h"

namespace records {

std::uint64_t ContentKey(const QuestionClass& q) {
  return bank::ContentKey(q, bank::PresentVariants(q));
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

// Each byte's value as a hex digit, or -1: a look-up rather than three comparisons per digit.
constexpr auto kHex = [] {
  std::array<signed char, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                               : -1);
  return table;
}();

int HexDigit(char c) {
  return kHex[static_cast<unsigned char>(c)];
}

// Takes the next line off `text` into `line`: CR, LF and CR LF all end one. False when no line
// end is left (the rest, if any, is a line a crash may have cut short).
bool NextLine(std::string_view* text, std::string_view* line) {
  std::size_t end = text->find_first_of("\r\n");
  if (end == std::string_view::npos) return false;
  *line = text->substr(0, end);
  std::size_t after = end + 1;
  if ((*text)[end] == '\r' && after < text->size() && (*text)[after] == '\n') ++after;
  text->remove_prefix(after);
  return true;
}

}  // namespace

ProgressRead ParseProgress(const char* bytes, std::size_t size, const char* fullPath) {
  ProgressRead read;
  if (bytes == nullptr || fullPath == nullptr) return read;
  std::string_view text(bytes, size);
  std::string_view line;
  if (!NextLine(&text, &line) || line != fullPath) return read;
  read.ours = true;
  // Only lines with their line end count: the last one may have been cut short by a crash.
  while (NextLine(&text, &line)) {
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

namespace {

// The solved keys in an open-addressing table: a probe per question rather than a binary search
// whose branches a processor cannot guess. The keys are hashes already: their low bits place
// them.
struct KeySet {
  std::vector<std::uint64_t>& slots;
  std::uint64_t mask = 0;
  bool hasZero = false;  // zero marks an empty slot, so the key 0 is kept aside

  // The table's memory is kept from one load to the next: fresh memory costs a page fault per
  // 4 KiB at its first touch, more than the matching itself.
  static std::vector<std::uint64_t>& Memory() {
    static std::vector<std::uint64_t> memory;
    return memory;
  }

  explicit KeySet(const std::vector<std::uint64_t>& keys) : slots(Memory()) {
    std::size_t size = 16;
    while (size < keys.size() * 2) size *= 2;
    slots.assign(size, 0);
    mask = size - 1;
    for (std::uint64_t key : keys) {
      if (key == 0) {
        hasZero = true;
        continue;
      }
      std::uint64_t at = key & mask;
      while (slots[at] != 0 && slots[at] != key) at = (at + 1) & mask;
      slots[at] = key;
    }
  }

  bool Has(std::uint64_t key) const {
    if (key == 0) return hasZero;
    for (std::uint64_t at = key & mask;; at = (at + 1) & mask) {
      if (slots[at] == key) return true;
      if (slots[at] == 0) return false;
    }
  }
};

}  // namespace

std::vector<int> MatchSolved(TopicClass& topic, const std::vector<std::uint64_t>& sortedKeys) {
  std::vector<int> matched;
  if (sortedKeys.empty()) return matched;
  KeySet known(sortedKeys);
  if (topic.Keys != nullptr && topic.Index != nullptr && topic.IndexSize == topic.Count) {
    // Every record the loader links holds a question; only the head of an empty file has none.
    for (int i = 0; i < topic.Count; ++i)
      if (known.Has(topic.Keys[i]) && (i > 0 || topic.Head.bExists)) matched.push_back(i);
    return matched;
  }
  int i = 0;
  bank::ForEachRecord(topic, [&](QuestionClass& q, int present) {
    if (q.bExists && known.Has(bank::ContentKey(q, present))) matched.push_back(i);
    ++i;
  });
  return matched;
}

}  // namespace records
