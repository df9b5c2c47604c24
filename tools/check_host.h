// The host's own file system, for what the program's file layer does not offer: the working
// directory, files named on the command line, and a scratch database.
#pragma once

#include <filesystem>
#include <string>

#include "common/host_file.h"

namespace check {

// The program opens everything relative to the working directory; this moves there for a while.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::filesystem::path& dir);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;
  bool Entered() const { return entered_; }

 private:
  std::filesystem::path saved_;
  bool entered_ = false;
};

using host::ReadWholeFile;
bool WriteHostFile(const std::filesystem::path& path, const std::string& bytes);

// A fresh folder with an empty Base in it, removed again with everything in it.
class ScratchDatabase {
 public:
  ScratchDatabase();
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;
  bool Made() const { return !root_.empty(); }
  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Base() const { return root_ / "Base"; }

 private:
  std::filesystem::path root_;
};

}  // namespace check
