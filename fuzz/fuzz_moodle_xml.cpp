// The Moodle XML reader on any bytes (libxml2 reads them in the encoding they tell, with their
// DTD's entities), then the bank writer and the program's loader on its result.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_bridge.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bridge::Bank bank;
  bank.title = "in";  // as exameo-import titles it: never empty
  bridge::Report report;
  std::string error;
  if (bridge::ReadMoodleXml({"in", "in"},
                            std::string_view(reinterpret_cast<const char*>(data), size), &bank,
                            &report, &error))
    fuzzbridge::Check(bank);
  else
    fuzzsupport::Require(!error.empty(), "a refused input says why");
  return 0;
}
