// The GIFT reader on any bytes, then the bank writer and the program's loader on its result.
#include <unistd.h>

#include <cstdint>
#include <string_view>

#include "fuzz_bridge.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bridge::Bank bank;
  bank.title = "in";  // as exameo-import titles it: never empty
  bridge::Report report;
  bridge::ReadGift({"in", "in"}, std::string_view(reinterpret_cast<const char*>(data), size), &bank,
                   &report);
  fuzzbridge::Check(bank);
  return 0;
}
