// Progress files through the program's reader, once as the file of the path on its first line
// and once as another question file's: the keys come out sorted and unique, only a file of its
// own path gives any, and the file the writer makes of them reads back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "records/progress.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  std::string_view text(bytes, size);
  // Lines end at CR, LF or CR LF, as the reader takes them.
  std::string path(text.substr(0, text.find_first_of("\r\n")));
  // A path holds no zero byte: the reader compares it as a C string.
  if (path.find('\0') != std::string::npos) path.clear();

  records::ProgressRead read = records::ParseProgress(bytes, size, path.c_str());
  Require(std::is_sorted(read.keys.begin(), read.keys.end()), "keys are sorted");
  Require(std::adjacent_find(read.keys.begin(), read.keys.end()) == read.keys.end(),
          "keys are unique");
  Require(read.ours || read.keys.empty(), "only its own file gives keys");
  std::size_t lineEnds = 0;
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == size || bytes[i + 1] != '\n')))
      ++lineEnds;
  Require(read.keys.size() <= lineEnds + 1, "one key a line at most");

  std::string written = records::ProgressHeader(path.c_str());
  for (std::uint64_t key : read.keys) written += records::ProgressLine(key);
  records::ProgressRead again = records::ParseProgress(written.data(), written.size(), path.c_str());
  Require(again.ours, "a written file is its path's own");
  Require(again.keys == read.keys, "written keys read back the same");

  std::string other = path + "x";
  Require(records::ParseProgress(bytes, size, other.c_str()).keys.empty(),
          "another path's file gives nothing");
  return 0;
}
