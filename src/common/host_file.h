// Whole files of the host's file system, for the tools and the bank bridge: what the program's
// own file layer does not offer.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace host {

// Reads a whole regular file. False when it cannot be read (a folder, a missing file).
inline bool ReadWholeFile(const std::filesystem::path& path, std::string* bytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace host
