// exameo.ini through the program's reader: any bytes give some options, and what the writer
// makes of them reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "study/options.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const char* bytes = reinterpret_cast<const char*>(data);
  study::Options options = study::ParseOptions(bytes, size);
  std::string text = study::FormatOptions(options);
  Require(study::ParseOptions(text.data(), text.size()) == options, "options read back the same");
  // A file cut anywhere reads as some options too; appending a written file overrides all.
  std::string joined(bytes, size);
  joined += "\n" + text;
  Require(study::ParseOptions(joined.data(), joined.size()) == options,
          "the last line of a key wins");
  return 0;
}
