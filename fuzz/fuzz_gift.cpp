// The GIFT reader on any bytes (decoded as the import decodes them), then the bank writer and the
// program's loader on its result.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/encoding.h"
#include "fuzz_bridge.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  bridge::Bank bank;
  bank.title = "in";  // as exameo-import titles it: never empty
  bridge::Report report;
  // As exameo-import reads a file: decoded first, in the encoding it tells.
  std::string text =
      bridge::DecodeInput({"in", "in"}, std::string(reinterpret_cast<const char*>(data), size),
                          bridge::Encoding::kAuto, &report);
  bridge::ReadGift({"in", "in"}, text, &bank, &report);
  fuzzbridge::Check(bank);
  return 0;
}
