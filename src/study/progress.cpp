// Progress files: content keys, the file's lines, and matching them against a loaded topic.
#include "study/progress.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "bank/question.h"

namespace study {

std::uint64_t ContentKey(const QuestionClass& q) {
  std::uint64_t variants[kMaxVariants];
  int n = 0;
  for (const vrnt& v : q.Vrnt) {
    if (!v.bExists) continue;
    char mark = v.bCorrect ? '+' : '-';
    std::uint64_t h = Fnv1a(&mark, 1);
    variants[n++] = Fnv1a(v.Text, strnlen(v.Text, sizeof v.Text), h);
  }
  // At most twelve: an insertion sort.
  for (int i = 1; i < n; ++i)
    for (int j = i; j > 0 && variants[j - 1] > variants[j]; --j)
      std::swap(variants[j - 1], variants[j]);
  std::uint64_t h = Fnv1a(q.Task, strnlen(q.Task, sizeof q.Task));
  // The task's end and the number of variants keep "AB" + "C" apart from "A" + "BC".
  unsigned char separator[2] = {0, static_cast<unsigned char>(n)};
  h = Fnv1a(separator, sizeof separator, h);
  for (int k = 0; k < n; ++k) {
    unsigned char bytes[8];
    for (int b = 0; b < 8; ++b) bytes[b] = static_cast<unsigned char>(variants[k] >> (8 * b));
    h = Fnv1a(bytes, sizeof bytes, h);
  }
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

int MatchSolved(TopicClass& topic, const std::vector<std::uint64_t>& sortedKeys, bool mark) {
  if (sortedKeys.empty()) return 0;
  int matched = 0;
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) {
    if (!q->bExists) continue;
    if (!std::binary_search(sortedKeys.begin(), sortedKeys.end(), ContentKey(*q))) continue;
    ++matched;
    if (mark) q->bSolved = true;
  }
  return matched;
}

int QuestionCount(TopicClass& topic) {
  int n = 0;
  QuestionClass* q = &topic.Head;
  for (int i = 0; i < topic.Count; ++i, q = q->Next) n += q->bExists ? 1 : 0;
  return n;
}

}  // namespace study
