// The data folder: where exameo.ini, progress\, results.csv and reviews.csv live, as one object
// made at start-up and handed to everything that reads or writes them.
//
// It owns what a write refused (appended lines, whole files, removals), keeps it in order and
// writes it at the next chance or at the end; it tells the user of a refused write through the
// handler the program gives it, so that the warning box comes at the moment of the write.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "records/appends.h"
#include "records/options.h"
#include "records/results.h"

namespace records {

// How the data folder speaks: a warning box, and the Yes/No question at the end while a file
// still refuses what is kept for it. Both may be null (nothing is shown; the question is No).
struct Handler {
  void (*warn)(void* context, const char* text, const char* caption) = nullptr;
  bool (*ask)(void* context, const char* text, const char* caption) = nullptr;
  void* context = nullptr;
};

// The caption of the data folder's warnings: the menu of the options, where the folder's
// files are set up (the review log has its own).
extern const char* const kOptionsCaption;

inline constexpr std::size_t kIniLimit = 64 * 1024;
// The most of results.csv or reviews.csv that is read.
inline constexpr std::size_t kDataLimit = 256u * 1024 * 1024;

class DataFolder {
 public:
  // Takes the folder (Windows-1251, backslashes; "" for none, trailing separators dropped) and
  // whether it can be written, and reads the options from its exameo.ini. Forgets everything
  // kept from before.
  void Open(const char* folder, bool writable, Handler handler);

  const std::string& Path() const { return folder_; }
  bool Known() const { return !folder_.empty(); }
  bool Writable() const { return writable_; }
  // "<folder>\<name>".
  std::string InFolder(const char* name) const;

  // The options exameo.ini held at Open, or were last set to.
  const Options& CurrentOptions() const { return options_; }
  // Sets the options and writes them into exameo.ini, keeping every other line.
  void SetOptions(const Options& options);
  // The whole of exameo.ini as it is now ("" when there is none or no folder); a text the file
  // refused is what the file holds for the program.
  std::string IniText() const;
  // Replaces exameo.ini with `text`, when the folder can be written.
  void SaveIni(const std::string& text);

  // Says once per run that the folder cannot be written.
  void WarnUnwritable();
  // A warning through the handler (nothing without one).
  void Warn(const char* text, const char* caption) const {
    if (handler_.warn != nullptr) handler_.warn(handler_.context, text, caption);
  }

  // Reads at most `limit` bytes of a file (missing: empty).
  static std::string Read(const std::string& path, std::size_t limit);
  // Reads the last `limit` bytes at most, from the start of a line.
  static std::string ReadTail(const std::string& path, std::size_t limit);

  // Replaces a file whole; when it cannot, the text is kept for the next write of it or the end.
  bool SaveWhole(const std::string& path, std::string text);
  // The text kept for `path` because the file refused it, or null.
  const std::string* KeptWhole(const std::string& path) const;
  void DropWhole(const std::string& path);
  // Removes a file; one that cannot be removed now is tried again later. `report`: say why.
  bool Remove(const std::string& path, bool report);
  bool RemovalPending(const std::string& path) const;

  // Appends whole lines after those kept for the file (a new file gets `header` first); refused
  // lines are kept and the user is told.
  void Append(const std::string& path, std::string_view lines, const char* header);
  std::string_view KeptLines(const std::string& path) const { return appends_.Lines(path); }
  void DropKept(const std::string& path) { appends_.Drop(path); }

  // results.csv: a record appended (the header first for a new file, the new header for a file
  // with the old one), and the newest records read (with those kept in memory), newest first.
  void AppendResult(const ResultRecord& record);
  std::vector<ResultRecord> ReadResults(std::size_t limit = kDataLimit) const;
  // reviews.csv: one line appended (with its header for a new file), and its bytes read: the
  // newest `limit` bytes of the file from the start of a line, then the lines kept in memory
  // because the file refused them.
  void AppendReview(std::string_view line, const char* header);
  std::string ReviewLogBytes(std::size_t limit = kDataLimit) const;

  // At the program's end: writes what is kept; while something is still refused, asks whether
  // to try again.
  void Close();

  // Tells the user why a write of `path` failed, once until the file is written again, in a
  // box of `caption` (the options' by default); kNone ends that file's episode.
  void Report(files::Fault fault, const std::string& path,
              const char* caption = kOptionsCaption);

 private:
  struct Whole {
    std::string path;
    std::string text;
  };
  std::string FaultText(files::Fault fault, const std::string& path) const;
  void UpgradeResultsHeader(const std::string& path);
  files::Fault SaveKept(std::string* path);

  std::string folder_;
  bool writable_ = false;
  bool warned_ = false;
  Handler handler_;
  Options options_;
  Appends appends_;
  std::vector<Whole> wholes_;
  std::vector<std::string> stale_;
  std::vector<std::string> warnedFiles_;
};

}  // namespace records
