// Progress: the solved questions of a question file, remembered across runs.
//
// One file per question file in the folder "progress" of the data folder, named by the FNV-1a
// hash of the question file's full path ("0123456789abcdef.txt"). Its first line is that path,
// so a file of another question file with the same hash is told apart; then one line per solved
// question: the 16 hex digits of its content key. Lines are appended whole at grading; a torn
// last line (no line end, or not 16 hex digits) is passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct QuestionClass;
struct TopicClass;

namespace records {

inline constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
inline constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

constexpr std::uint64_t Fnv1a(const void* bytes, std::size_t size,
                              std::uint64_t hash = kFnvOffset) {
  const unsigned char* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ p[i]) * kFnvPrime;
  return hash;
}

// The content key of a question (bank/content_key.h: its task and its present variants as a
// set, with their marks), its present variants being the run from slot 0.
std::uint64_t ContentKey(const QuestionClass& q);

// The progress file's bare name for a question file's full path: 16 lowercase hex digits of
// the path's FNV-1a hash and ".txt".
std::string ProgressFileName(const char* fullPath);

// The solved keys of a progress file's bytes, sorted and without repeats. Empty when the first
// line is not `fullPath` (another question file's progress, or a torn first line).
struct ProgressRead {
  bool ours = false;  // the first line names `fullPath` and ends with a line break
  std::vector<std::uint64_t> keys;
};
ProgressRead ParseProgress(const char* bytes, std::size_t size, const char* fullPath);

// The first line of a progress file, and a solved line, each with its line end.
std::string ProgressHeader(const char* fullPath);
std::string ProgressLine(std::uint64_t key);

// The places in the chain (ascending) of the loaded topic's questions whose key is in
// `sortedKeys`; from the keys the loader computed when the topic has them.
std::vector<int> MatchSolved(TopicClass& topic, const std::vector<std::uint64_t>& sortedKeys);

}  // namespace records
