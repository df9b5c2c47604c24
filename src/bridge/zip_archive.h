// The zip container of Word documents and spreadsheets, read and written in memory with zlib's
// minizip: nothing is unpacked to disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace bridge {

// What one input may inflate to, counted in bytes actually inflated (the sizes a zip declares
// can lie): a zip bomb stops at the limit.
struct ZipLimits {
  std::uint64_t part = std::uint64_t{64} << 20;
  std::uint64_t total = std::uint64_t{512} << 20;
  int parts = 10000;
};

enum class ZipFault {
  kNone,
  kNotZip,        // no zip directory
  kTooManyParts,  // more than ZipLimits::parts
  kPartTooLarge,  // one part inflates past ZipLimits::part
  kTooLarge,      // all parts read inflate past ZipLimits::total
  kDamaged,       // a part cannot be inflated (bad data, a wrong checksum, encryption)
  kMissing,       // no part of that name
};

// Receives a part in pieces as it is inflated; false stops the reading (ZipInput::Stream then
// returns false with kNone: the receiver says why itself).
using ZipSink = bool (*)(void* context, const char* data, std::size_t size);

class ZipInput {
 public:
  explicit ZipInput(std::string_view bytes, ZipLimits limits = {});
  ~ZipInput();
  ZipInput(const ZipInput&) = delete;
  ZipInput& operator=(const ZipInput&) = delete;

  // The archive's directory read: false with fault() set when it is not a zip or holds too many
  // parts.
  bool Open();
  bool Has(std::string_view name) const;
  // Inflates part `name` into `sink`, piece by piece.
  bool Stream(std::string_view name, ZipSink sink, void* context);
  // The whole part (for the small ones: relationships, styles, the workbook).
  bool Read(std::string_view name, std::string* out);

  ZipFault fault() const { return fault_; }
  // The part the fault concerns, for the message.
  const std::string& faultPart() const { return faultPart_; }
  const ZipLimits& limits() const { return limits_; }

  // The memory stream minizip reads through.
  struct Memory {
    std::string_view bytes;
    std::uint64_t pos = 0;
  };

 private:
  Memory memory_;
  ZipLimits limits_;
  void* zip_ = nullptr;
  // Part name -> its place in the directory (offsets minizip seeks to).
  std::map<std::string, std::pair<std::uint64_t, std::uint64_t>, std::less<>> parts_;
  std::uint64_t inflated_ = 0;
  ZipFault fault_ = ZipFault::kNone;
  std::string faultPart_;
};

// A zip written into memory: parts deflated, the whole archive handed back by Finish.
class ZipOutput {
 public:
  ZipOutput();
  ~ZipOutput();
  ZipOutput(const ZipOutput&) = delete;
  ZipOutput& operator=(const ZipOutput&) = delete;

  bool Add(std::string_view name, std::string_view data);
  // The archive; false when any step failed (then nothing is to be written).
  bool Finish(std::string* out);

  struct Memory {
    std::string bytes;
    std::uint64_t pos = 0;
  };

 private:
  Memory memory_;
  void* zip_ = nullptr;
  bool failed_ = false;
};

}  // namespace bridge
