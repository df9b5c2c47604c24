// A stay in another working folder: the program opens everything relative to the working
// folder (Base\...), so the tools move there for a while and back when done.
#pragma once

#include <filesystem>
#include <system_error>

namespace files {

class InFolder {
 public:
  // Enters `dir` ("" stays where it is); Entered() says whether it could.
  explicit InFolder(const std::filesystem::path& dir) {
    std::error_code ec;
    saved_ = std::filesystem::current_path(ec);
    if (ec) return;
    std::filesystem::current_path(dir.empty() ? std::filesystem::path(".") : dir, ec);
    entered_ = !ec;
  }
  ~InFolder() {
    std::error_code ec;
    if (entered_) std::filesystem::current_path(saved_, ec);
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;
  bool Entered() const { return entered_; }

 private:
  std::filesystem::path saved_;
  bool entered_ = false;
};

}  // namespace files
