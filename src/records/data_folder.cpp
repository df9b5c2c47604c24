// The data folder's files, and what a write refused.
#include "records/data_folder.h"

#include <algorithm>

#include "common/program_texts.h"

namespace records {
namespace {

// What a file that refuses a write is told with: the cause, the file, and that nothing is lost.
struct FaultWords {
  files::Fault fault;
  const char* before;  // the text before the file's path
  const char* after;   // and after it
};
constexpr FaultWords kFaultWords[] = {
    {files::Fault::kInUse, ptext::kInUseBefore.c_str(), ptext::kInUseAfter.c_str()},
    {files::Fault::kReadOnly, ptext::kInUseBefore.c_str(), ptext::kReadOnlyAfter.c_str()},
    {files::Fault::kFull, ptext::kFullBefore.c_str(), ptext::kDotAfter.c_str()},
    {files::Fault::kFolder, ptext::kFolderBefore.c_str(), ptext::kDotAfter.c_str()},
    {files::Fault::kOther, ptext::kOtherBefore.c_str(), ptext::kDotAfter.c_str()},
};

}  // namespace

const char* const kOptionsCaption = ptext::kWarnCaption.c_str();

void DataFolder::Open(const char* folder, bool writable, Handler handler) {
  *this = DataFolder();
  handler_ = handler;
  folder_ = folder != nullptr ? folder : "";
  while (!folder_.empty() && (folder_.back() == '\\' || folder_.back() == '/')) folder_.pop_back();
  writable_ = writable && !folder_.empty();
  if (!folder_.empty()) {
    std::string bytes = Read(InFolder("exameo.ini"), kIniLimit);
    options_ = ParseOptions(bytes.data(), bytes.size());
  }
}

std::string DataFolder::InFolder(const char* name) const {
  return folder_ + "\\" + name;
}

void DataFolder::SetOptions(const Options& options) {
  options_ = options;
  if (!writable_) return;
  SaveIni(OptionsInto(IniText(), options));
}

std::string DataFolder::IniText() const {
  if (folder_.empty()) return std::string();
  std::string path = InFolder("exameo.ini");
  if (const std::string* kept = KeptWhole(path)) return *kept;
  return Read(path, kIniLimit);
}

void DataFolder::SaveIni(const std::string& text) {
  if (!writable_) return;
  SaveWhole(InFolder("exameo.ini"), text);
}

void DataFolder::WarnUnwritable() {
  if (warned_) return;
  warned_ = true;
  std::string text = ptext::kWarnUnwritable.c_str() + folder_;
  if (handler_.warn != nullptr) handler_.warn(handler_.context, text.c_str(), ptext::kWarnCaption);
}

std::string DataFolder::Read(const std::string& path, std::size_t limit) {
  std::string bytes;
  files::ReadBlocks(path.c_str(), [&](const unsigned char* block, std::size_t size) {
    std::size_t take = size < limit - bytes.size() ? size : limit - bytes.size();
    bytes.append(reinterpret_cast<const char*>(block), take);
    return bytes.size() < limit;
  });
  return bytes;
}

std::string DataFolder::ReadTail(const std::string& path, std::size_t limit) {
  files::InputFile file(path.c_str());
  std::uint64_t size = file.Size();
  std::string bytes;
  // One byte before the limit is read too: when it ends a line, no line was cut.
  std::uint64_t start = size > limit ? size - limit - 1 : 0;
  if (start > 0 && !file.SkipTo(start)) return bytes;
  std::size_t want = static_cast<std::size_t>(size - start);
  bytes.resize(want);
  std::size_t got = 0;
  while (got < want) {
    std::size_t n = file.Read(reinterpret_cast<unsigned char*>(bytes.data()) + got, want - got);
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  if (start > 0) {
    std::size_t end = bytes.find_first_of("\r\n");
    bytes.erase(0, end == std::string::npos ? bytes.size() : end + 1);
  }
  return bytes;
}

std::string DataFolder::FaultText(files::Fault fault, const std::string& path) const {
  for (const FaultWords& w : kFaultWords)
    if (w.fault == fault)
      return w.before + (fault == files::Fault::kFolder ? folder_ : path) + w.after;
  return std::string();
}

void DataFolder::Report(files::Fault fault, const std::string& path, const char* caption) {
  auto at = std::find(warnedFiles_.begin(), warnedFiles_.end(), path);
  if (fault == files::Fault::kNone) {
    if (at != warnedFiles_.end()) warnedFiles_.erase(at);
    return;
  }
  if (fault == files::Fault::kFolder) {
    WarnUnwritable();
    return;
  }
  if (at != warnedFiles_.end()) return;
  warnedFiles_.push_back(path);
  std::string text = FaultText(fault, path) + ptext::kKept.c_str();
  if (handler_.warn != nullptr) handler_.warn(handler_.context, text.c_str(), caption);
}

const std::string* DataFolder::KeptWhole(const std::string& path) const {
  for (const Whole& w : wholes_)
    if (w.path == path) return &w.text;
  return nullptr;
}

void DataFolder::DropWhole(const std::string& path) {
  std::erase_if(wholes_, [&](const Whole& w) { return w.path == path; });
}

bool DataFolder::SaveWhole(const std::string& path, std::string text) {
  files::Fault why = files::Fault::kNone;
  bool ok = files::WriteWhole(path.c_str(), text.data(), text.size(), &why);
  auto kept = std::find_if(wholes_.begin(), wholes_.end(),
                           [&](const Whole& w) { return w.path == path; });
  if (ok && kept != wholes_.end()) wholes_.erase(kept);
  if (!ok && kept != wholes_.end()) kept->text = std::move(text);
  if (!ok && kept == wholes_.end()) wholes_.push_back({path, std::move(text)});
  Report(why, path);
  return ok;
}

bool DataFolder::Remove(const std::string& path, bool report) {
  files::Fault why = files::Fault::kNone;
  bool ok = files::RemoveFile(path.c_str(), &why);
  auto at = std::find(stale_.begin(), stale_.end(), path);
  if (ok && at != stale_.end()) stale_.erase(at);
  if (!ok && at == stale_.end()) stale_.push_back(path);
  if (report) Report(why, path);
  return ok;
}

bool DataFolder::RemovalPending(const std::string& path) const {
  return std::find(stale_.begin(), stale_.end(), path) != stale_.end();
}

void DataFolder::Append(const std::string& path, std::string_view lines, const char* header) {
  Report(appends_.Append(path, lines, header), path);
}

// A results file still headed by the ten old columns gets the new header, the whole file
// rewritten through a temporary one, before a record of thirteen columns follows it. A file
// too large to be read whole keeps its header (the reader takes both kinds of line).
void DataFolder::UpgradeResultsHeader(const std::string& path) {
  std::string head = Read(path, 512);
  if (!HasOldHeader(head.data(), head.size())) return;
  std::string bytes = Read(path, kDataLimit);
  if (bytes.size() >= kDataLimit) return;
  std::string text = WithNewHeader(bytes.data(), bytes.size());
  files::Fault why = files::Fault::kNone;
  files::WriteWhole(path.c_str(), text.data(), text.size(), &why);
  Report(why, path);
}

void DataFolder::AppendResult(const ResultRecord& r) {
  if (!writable_) return;
  std::string path = InFolder("results.csv");
  UpgradeResultsHeader(path);
  // A new or empty file gets the header; one whose last line was torn gets a line end first,
  // so the record does not join the torn line. A record the file refuses is kept.
  Append(path, FormatResult(r), ResultsHeader().c_str());
}

std::vector<ResultRecord> DataFolder::ReadResults(std::size_t limit) const {
  if (folder_.empty()) return {};
  // The newest records are at the end: a file over the limit is read from its tail. Records
  // kept because the file refused them come after what it holds.
  std::string path = InFolder("results.csv");
  std::string bytes = ReadTail(path, limit);
  if (std::string_view kept = KeptLines(path); !kept.empty()) {
    if (!bytes.empty() && !IsLineEnd(bytes.back())) bytes += "\r\n";
    bytes += kept;
  }
  return ParseResults(bytes.data(), bytes.size());
}

void DataFolder::AppendReview(std::string_view line, const char* header) {
  if (!writable_) return;
  // A line the file refuses (a spreadsheet holds it open) is kept for the next chance.
  std::string path = InFolder("reviews.csv");
  Report(appends_.Append(path, line, header), path, ptext::kReviewLogCaption);
}

std::string DataFolder::ReviewLogBytes(std::size_t limit) const {
  if (folder_.empty()) return std::string();
  // The newest lines matter most (the schedule of every key is at its end): a file over the
  // limit is read from its tail, as results.csv is.
  std::string path = InFolder("reviews.csv");
  std::string bytes = ReadTail(path, limit);
  if (std::string_view kept = KeptLines(path); !kept.empty()) {
    if (!bytes.empty() && !IsLineEnd(bytes.back())) bytes += "\r\n";
    bytes += kept;
  }
  return bytes;
}

// One more try of everything kept: appended lines, whole files, removals. kNone when nothing
// is left; else the first refusal and its file.
files::Fault DataFolder::SaveKept(std::string* path) {
  files::Fault first = appends_.Flush(path);
  for (std::size_t i = 0; i < wholes_.size();) {
    files::Fault why = files::Fault::kNone;
    const Whole& w = wholes_[i];
    if (files::WriteWhole(w.path.c_str(), w.text.data(), w.text.size(), &why)) {
      wholes_.erase(wholes_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (first == files::Fault::kNone) {
      first = why;
      *path = w.path;
    }
    ++i;
  }
  for (std::size_t i = 0; i < stale_.size();) {
    std::string stale = stale_[i];
    files::Fault why = files::Fault::kNone;
    if (files::RemoveFile(stale.c_str(), &why)) {
      stale_.erase(stale_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (first == files::Fault::kNone) {
      first = why;
      *path = stale;
    }
    ++i;
  }
  return first;
}

void DataFolder::Close() {
  for (;;) {
    std::string path;
    files::Fault why = SaveKept(&path);
    if (why == files::Fault::kNone) return;
    std::string text = FaultText(why, path) + ptext::kAtExit.c_str();
    if (handler_.ask == nullptr || !handler_.ask(handler_.context, text.c_str(), ptext::kWarnCaption))
      return;
  }
}

}  // namespace records
