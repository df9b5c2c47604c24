// Scratch working directories and files written as bytes, for the tests of every part.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include "common/cp1251.h"

namespace testsupport {

// A Windows-1251 relative path with backslashes as this platform names it: on Windows its
// UTF-16 form, elsewhere the same bytes with slashes, as the POSIX file layer maps them.
inline std::filesystem::path NativePath(std::string_view cp1251Path) {
#ifdef _WIN32
  std::wstring wide;
  for (char c : cp1251Path)
    wide.push_back(static_cast<wchar_t>(cp1251::ToUnicode(static_cast<unsigned char>(c))));
  return std::filesystem::path(wide);
#else
  std::string native(cp1251Path);
  for (char& c : native)
    if (c == '\\') c = '/';
  return std::filesystem::path(native);
#endif
}

// A string of Windows-1251 bytes written as escapes in the source ("\xC0..."): marks them so.
inline std::string C(const char* cp1251Bytes) { return cp1251Bytes; }

// The whole file at the relative Windows-1251 path `path`; empty when there is none.
inline std::string ReadAll(std::string_view path) {
  std::ifstream in(NativePath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `bytes` to the relative Windows-1251 path `path` (UTF-8 when `utf8Path`), creating its
// directories.
inline void WriteBytes(std::string_view path, std::string_view bytes, bool utf8Path = false) {
  std::u8string utf8(path.begin(), path.end());
  std::replace(utf8.begin(), utf8.end(), u8'\\', u8'/');
  std::filesystem::path native = utf8Path ? std::filesystem::path(utf8) : NativePath(path);
  if (native.has_parent_path()) std::filesystem::create_directories(native.parent_path());
  std::ofstream out(native, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// A fresh temporary directory made the working directory for the guard's lifetime.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> serial{0};
    previous_ = std::filesystem::current_path();
    auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
      dir_ = base / ("exameo-test-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
                     std::to_string(serial++) + "-" + std::to_string(attempt));
      if (std::filesystem::create_directory(dir_)) break;
    }
    std::filesystem::current_path(dir_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path dir_;
};

}  // namespace testsupport
