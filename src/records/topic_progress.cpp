// The studied topic's progress file.
#include "records/topic_progress.h"

#include <algorithm>

#include "records/appends.h"
#include "records/progress.h"

namespace records {

void TopicProgress::Start(const DataFolder& data, const std::string& fullPath) {
  fullPath_ = fullPath;
  progressPath_ = !data.Known() || fullPath.empty()
                      ? std::string()
                      : data.InFolder("progress") + "\\" + ProgressFileName(fullPath.c_str());
  file_ = FileState::kUnknown;
  solved_.clear();
}

void TopicProgress::None() {
  fullPath_.clear();
  progressPath_.clear();
  file_ = FileState::kNone;
  solved_.clear();
}

void TopicProgress::Read(DataFolder& data) {
  const std::string& path = progressPath_;
  std::string bytes;
  bool fromFile = false;
  if (const std::string* kept = data.KeptWhole(path)) {
    bytes = *kept;
  } else if (!data.RemovalPending(path) || data.Remove(path, false)) {
    bytes = DataFolder::Read(path, kDataLimit);
    fromFile = true;
  }
  ProgressRead read = ParseProgress(bytes.data(), bytes.size(), fullPath_.c_str());
  std::vector<std::uint64_t> keys = std::move(read.keys);
  if (std::string_view lines = data.KeptLines(path); !lines.empty()) {
    std::string text = ProgressHeader(fullPath_.c_str()) + std::string(lines);
    ProgressRead more = ParseProgress(text.data(), text.size(), fullPath_.c_str());
    keys.insert(keys.end(), more.keys.begin(), more.keys.end());
  }
  keys.insert(keys.end(), solved_.begin(), solved_.end());
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  solved_ = std::move(keys);
  bool whole = fromFile && !bytes.empty() && IsLineEnd(bytes.back());
  file_ = read.ours && whole ? FileState::kOurs : FileState::kNone;
}

void TopicProgress::Remember(DataFolder& data, std::uint64_t key) {
  if (!data.Writable() || progressPath_.empty()) return;
  if (file_ == FileState::kUnknown) Read(data);
  auto at = std::lower_bound(solved_.begin(), solved_.end(), key);
  if (at == solved_.end() || *at != key) solved_.insert(at, key);
  std::string header = ProgressHeader(fullPath_.c_str());
  if (file_ == FileState::kOurs) {
    // A line the file refuses now is kept and goes before the next one.
    data.Append(progressPath_, ProgressLine(key), header.c_str());
    return;
  }
  files::MakeFolder(data.InFolder("progress").c_str());
  std::string text = header;
  for (std::uint64_t k : solved_) text += ProgressLine(k);
  // Every key is in memory: a refused write is tried whole again at the next solved question.
  if (data.SaveWhole(progressPath_, std::move(text))) {
    file_ = FileState::kOurs;
    data.DropKept(progressPath_);
  }
}

void TopicProgress::Forget(DataFolder& data) {
  if (progressPath_.empty()) return;
  data.DropKept(progressPath_);
  data.DropWhole(progressPath_);
  if (data.Writable()) data.Remove(progressPath_, true);
  solved_.clear();
  file_ = FileState::kNone;
}

}  // namespace records
