#include "check_host.h"

#include <chrono>
#include <fstream>
#include <random>
#include <system_error>

namespace check {

namespace fs = std::filesystem;

WorkingDirectory::WorkingDirectory(const fs::path& dir) {
  std::error_code ec;
  saved_ = fs::current_path(ec);
  if (ec) return;
  fs::current_path(dir, ec);
  entered_ = !ec;
}

WorkingDirectory::~WorkingDirectory() {
  std::error_code ec;
  if (entered_) fs::current_path(saved_, ec);
}

bool WriteHostFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

ScratchDatabase::ScratchDatabase() {
  std::error_code ec;
  fs::path temp = fs::temp_directory_path(ec);
  if (ec) return;
  std::random_device device;
  std::mt19937_64 random(
      device() ^
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()));
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path root = temp / ("exameo-check-" + std::to_string(random() % 1000000000));
    // create_directory is false when the folder was there already: someone else's.
    if (fs::create_directory(root, ec) && !ec) {
      if (fs::create_directory(root / "Base", ec) && !ec) {
        root_ = root;
      } else {
        fs::remove_all(root, ec);
      }
      return;
    }
  }
}

ScratchDatabase::~ScratchDatabase() {
  std::error_code ec;
  if (!root_.empty()) fs::remove_all(root_, ec);
}

}  // namespace check
