// The Word and spreadsheet targets: the input is the text of a document's XML parts, split at
// NUL bytes, zipped here as a document holds them. The zip and the XML are the libraries'; what
// is fuzzed is our reading of what they hand over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/zip_archive.h"
#include "fuzz_bridge.h"

namespace fuzzoffice {

// The input's parts, at most `count`, split at NUL bytes.
inline std::vector<std::string> Parts(const std::uint8_t* data, std::size_t size, std::size_t count) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && parts.size() < count)
      parts.emplace_back();
    else
      parts.back().push_back(static_cast<char>(data[i]));
  }
  parts.resize(count);
  return parts;
}

inline std::string Zip(const std::vector<std::pair<std::string, std::string>>& parts) {
  bridge::ZipOutput zip;
  for (const auto& [name, body] : parts) zip.Add(name, body);
  std::string bytes;
  fuzzsupport::Require(zip.Finish(&bytes), "a zip is made in memory");
  return bytes;
}

// Our rules on what was read: every question kept has a right answer (the readers leave out
// those without), and the bank goes through the writer and the program's loader intact.
inline void Check(const bridge::Bank& bank) {
  for (const bridge::Topic& t : bank.topics)
    for (const bridge::Question& q : t.questions) {
      bool right = false;
      for (const bridge::Variant& v : q.variants) right = right || v.correct;
      fuzzsupport::Require(right || q.variants.empty(), "a question kept has a right answer");
    }
  fuzzbridge::Check(bank);
}

}  // namespace fuzzoffice
