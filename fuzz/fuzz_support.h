// What both fuzz targets need: a hard check, a scratch folder per process, the input as a file.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzsupport {

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

// A fresh folder named after `name`, in memory where there is /dev/shm, since a file is written
// for every run.
inline std::string MakeScratchDir(const char* name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string parent = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : tmp ? tmp : "/tmp";
  std::string pattern = parent + "/exameo-fuzz-" + name + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  Require(::mkdtemp(buffer.data()) != nullptr, "a scratch folder can be made");
  return buffer.data();
}

inline void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  Require(f != nullptr, "the input file can be written");
  Require(size == 0 || std::fwrite(data, 1, size, f) == size, "the input is written whole");
  std::fclose(f);
}

}  // namespace fuzzsupport
