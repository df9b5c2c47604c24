// Lines appended to the program's files (results.csv, progress files, reviews.csv), kept in
// memory when a file cannot take them.
//
// A spreadsheet holding results.csv open, a lock, a full disk: the lines wait here and go to
// the file, in their order and before any newer line, at its next append or when the program
// closes. Nothing appended during a run is lost while the program runs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace records {

// Whether `c` ends a line (a file whose last byte is not one ends in a cut line).
inline bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

class Appends {
 public:
  // Appends `lines` (whole lines with their line ends) to the file at `path` after the lines
  // still kept for it, all in one write; a file that is empty gets `header` first. kNone when
  // they are in the file; otherwise why not, and the lines are kept.
  files::Fault Append(const std::string& path, std::string_view lines, const char* header);
  // The lines kept for `path` ("" when none).
  std::string_view Lines(const std::string& path) const;
  // Forgets the lines kept for `path` (its file is being removed).
  void Drop(const std::string& path);
  // Tries every file with kept lines once more. kNone when none is left; otherwise the fault of
  // the first file still refusing, and its path in `*path` when given.
  files::Fault Flush(std::string* path = nullptr);
  // Forgets every kept line.
  void Clear() { all_.clear(); }

 private:
  struct Kept {
    std::string path;
    std::string header;
    std::string lines;
  };
  // A handful of files at most: a list searched by path is enough.
  const Kept* Find(const std::string& path) const;
  static files::Fault Write(Kept& k);
  std::vector<Kept> all_;
};

}  // namespace records
