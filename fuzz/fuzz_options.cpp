// exameo.ini through the program's reader: any bytes give some options, and what the writer
// makes of them reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "records/options.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  records::Options options = records::ParseOptions(bytes, size);
  std::string text = records::FormatOptions(options);
  Require(records::ParseOptions(text.data(), text.size()) == options, "options read back the same");
  // A file cut anywhere reads as some options too; appending a written file overrides all.
  std::string joined(bytes, size);
  joined += "\n" + text;
  Require(records::ParseOptions(joined.data(), joined.size()) == options,
          "the last line of a key wins");
  return 0;
}
