// UTF-8 texts: the repaired text is well-formed and counts as many characters as the input;
// a cut never splits a character (the repaired cut is a prefix of the repaired text); a text
// fits Windows-1251 exactly when it converts, and converts back to itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "fuzz_support.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::string repaired;
  std::vector<utf8::Invalid> bad;
  std::size_t count = utf8::Repair(in, &repaired, &bad);
  Require(count == bad.size() && utf8::IsValid(repaired), "the repaired text is well-formed");
  Require(utf8::CountChars(in) == utf8::CountChars(repaired), "repair keeps the count");
  Require(utf8::Decode(in).size() == utf8::CountChars(in), "decode and count agree");
  Require((count == 0) == utf8::IsValid(in), "valid exactly when nothing was repaired");
  for (std::size_t k = 1; k < bad.size(); ++k)
    Require(bad[k].offset >= bad[k - 1].offset + bad[k - 1].length, "reports in order");

  std::size_t limits[] = {0, 1, size / 3, size / 2, size > 0 ? size - 1 : 0, size};
  for (std::size_t limit : limits) {
    std::size_t cut = utf8::CutLength(in, limit);
    Require(cut <= limit && (limit >= size || cut + 4 > limit), "a cut loses less than a character");
    std::string part;
    utf8::Repair(in.substr(0, cut), &part);
    Require(repaired.compare(0, part.size(), part) == 0, "a cut ends at a character boundary");
  }

  std::string bytes;
  std::size_t where = 0;
  bool fits = utf8::ToCp1251(in, &bytes, &where);
  Require(fits == utf8::FitsCp1251(in), "fits exactly when it converts");
  if (fits) {
    std::string back;
    utf8::FromCp1251(bytes, &back);
    Require(back == in, "Windows-1251 and back gives the text");
  } else {
    Require(bytes.empty() && where < size, "a failed conversion writes nothing, says where");
  }
  return 0;
}
