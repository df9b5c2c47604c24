// exameo-check and the pictures of UTF-8 question files: every picture the program would show as
// its text is named at its line, and picture files are read by a real decoder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "bank/picture_info.h"
#include "check_pictures.h"
#include "tools_test_support.h"

namespace {

namespace fs = std::filesystem;

// A 3 by 2 PNG.
const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x03\x00\x00\x00"
    "\x02\x08\x02\x00\x00\x00\x12\x16\xf1\x4d\x00\x00\x00\x10\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf"
    "\xc0\x00\x41\x0c\x70\x16\x00\x41\xd2\x05\xfb\x87\xf0\xb9\x48\x00\x00\x00\x00\x49\x45\x4e\x44"
    "\xae\x42\x60\x82",
    73);

std::string Le16(int v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string Le32(std::uint32_t v) { return Le16(static_cast<int>(v & 0xFFFF)) + Le16(static_cast<int>(v >> 16)); }

// The 9-word WMF header of a metafile with no records but its end.
std::string WmfHeader() {
  return Le16(1) + Le16(9) + Le16(0x0300) + Le32(12) + Le16(0) + Le32(3) + Le16(0) +
         Le32(3) + Le16(0);
}
// A placeable WMF of `right` by `bottom` units at `inch` units an inch; `damage` spoils the
// checksum.
std::string PlaceableWmf(int right, int bottom, int inch, bool damage = false) {
  std::string head = Le32(0x9AC6CDD7) + Le16(0) + Le16(0) + Le16(0) + Le16(right) + Le16(bottom) +
                     Le16(inch) + Le32(0);
  int sum = 0;
  for (std::size_t i = 0; i < head.size(); i += 2)
    sum ^= static_cast<unsigned char>(head[i]) | static_cast<unsigned char>(head[i + 1]) << 8;
  return head + Le16(damage ? sum ^ 1 : sum) + WmfHeader();
}
// An EMF header record with its frame in hundredths of a millimetre.
std::string Emf(int frameRight, int frameBottom) {
  std::string b = Le32(1) + Le32(88) + Le32(0) + Le32(0) + Le32(10) + Le32(10) + Le32(0) + Le32(0) +
                  Le32(static_cast<std::uint32_t>(frameRight)) +
                  Le32(static_cast<std::uint32_t>(frameBottom)) + Le32(0x464D4520) +
                  Le32(0x10000) + Le32(88);
  b.resize(88, '\0');
  return b;
}

TEST(PictureInfo, SizesAndFaultsByFormat) {
  std::string huge = kPng;
  huge[16 + 2] = '\x27';  // width 0x2711 = 10001 in the header
  huge[16 + 3] = '\x11';
  struct Case {
    const char* fault;
    std::string bytes;
    picinfo::Fault result;
    int width, height;
  };
  const Case cases[] = {
      {"a PNG's pixels misread", kPng, picinfo::Fault::kNone, 3, 2},
      {"a PNG cut short passes for a picture", kPng.substr(0, 45), picinfo::Fault::kUnreadable, 0, 0},
      {"a picture past 10000 pixels is decoded", huge, picinfo::Fault::kTooLarge, 10001, 2},
      {"a text file passes for a picture", "not a picture", picinfo::Fault::kUnreadable, 0, 0},
      {"a WMF's header size misread (1440 units an inch)", PlaceableWmf(2400, 1800, 1440),
       picinfo::Fault::kNone, 160, 120},
      {"a damaged placeable header read as a size", PlaceableWmf(2400, 1800, 1440, true),
       picinfo::Fault::kUnreadable, 0, 0},
      {"a WMF without a size gets none (10 cm wide, 4:3)", WmfHeader(), picinfo::Fault::kNone,
       378, 283},
      {"an EMF's frame misread (hundredths of a millimetre)", Emf(5080, 2540),
       picinfo::Fault::kNone, 192, 96},
      {"an EMF cut short read as a size", Emf(5080, 2540).substr(0, 60),
       picinfo::Fault::kUnreadable, 0, 0},
  };
  for (const Case& c : cases) {
    const picinfo::Info info = picinfo::Read(c.bytes);
    EXPECT_EQ(info.fault, c.result) << c.fault;
    if (c.result != picinfo::Fault::kUnreadable) {
      EXPECT_EQ(info.width, c.width) << c.fault;
      EXPECT_EQ(info.height, c.height) << c.fault;
    }
  }
}

TEST(CheckPictures, EveryPictureNotDrawnIsNamedAtItsLine) {
  check::ScratchDatabase scratch;
  ASSERT_TRUE(scratch.Made());
  const fs::path folder = scratch.Base() / "d";
  tools_test::Put(folder / "p" / "ok.png", kPng);
  tools_test::Put(folder / "p" / "cut.png", kPng.substr(0, 45));
  tools_test::Put(folder / "p" / "eq.wmf", PlaceableWmf(2400, 1800, 1440));
  tools_test::Put(folder / "p" / std::filesystem::path(u8"рис 1.png"), kPng);
  struct Case {
    const char* fault;
    const char* line;
    const char* message;  // nothing when empty
  };
  const Case cases[] = {
      {"a drawable picture reported", "Q ![a](p/ok.png) ![b](<p\\рис 1.png>) ![c](p/eq.wmf)", ""},
      {"a missing picture passes", "\t+![a](p/none.png)", "\"p/none.png\": no such file"},
      {"a damaged picture passes", "\t-![a](p/cut.png)", "\"p/cut.png\": not a PNG"},
      {"a path out of Base passes", "Q ![a](../../x.png)", "leads out of Base"},
      {"a drive path passes", "Q ![a](C:\\x.png)", "(drive)"},
      {"an unclosed `![` goes unsaid (its column counts characters)", "Ω ![a](p/ok.png",
       "\"![\" at column 3"},
  };
  for (const Case& c : cases) {
    check::Report report;
    check::CheckPictures(std::string("\xEF\xBB\xBF") + c.line + "\r\n", folder, 1, "q.txt", &report);
    const std::vector<std::string> messages = tools_test::Messages(report);
    if (*c.message == '\0') {
      EXPECT_TRUE(messages.empty()) << c.fault << ": " << (messages.empty() ? "" : messages[0]);
    } else {
      EXPECT_TRUE(tools_test::Has(messages, {"1: ", c.message})) << c.fault;
      EXPECT_EQ(messages.size(), 1u) << c.fault;
    }
  }
  // A Windows-1251 file's `![` is text, and says nothing.
  check::Report plain;
  check::CheckPictures("Q ![a](p/none.png)\r\n", folder, 1, "q.txt", &plain);
  EXPECT_TRUE(plain.problems.empty());
}

}  // namespace
