// The progress file of the topic being studied: what it is known to hold, the solved keys
// remembered meanwhile, and its writes through the data folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "records/data_folder.h"

namespace records {

class TopicProgress {
 public:
  // A topic whose question file has this full path ("" for none: nothing is kept).
  void Start(const DataFolder& data, const std::string& fullPath);
  // An assembled topic keeps no progress.
  void None();
  bool Kept() const { return !progressPath_.empty(); }

  // Reads the file (or the whole text still waiting to replace it, with the lines still
  // waiting to be appended to it) into the solved keys.
  void Read(DataFolder& data);
  // The solved keys known, sorted.
  const std::vector<std::uint64_t>& Solved() const { return solved_; }
  // Remembers a solved question: one appended line; the whole file when it is not ours yet (a
  // fresh one, another topic's, or one whose last line was torn).
  void Remember(DataFolder& data, std::uint64_t key);
  // Forgets the topic's progress: its kept lines and text, and the file.
  void Forget(DataFolder& data);

 private:
  // What the progress file of the studied topic is known to be.
  enum class FileState {
    kUnknown,  // not read yet, or a write failed halfway
    kOurs,     // begins with this topic's path and ends with a line end: lines may be appended
    kNone,     // missing, another topic's, or damaged: the next write replaces it whole
  };
  std::string fullPath_;
  std::string progressPath_;
  FileState file_ = FileState::kUnknown;
  std::vector<std::uint64_t> solved_;
};

}  // namespace records
