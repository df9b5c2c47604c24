// The Word reader: document.xml, numbering.xml and styles.xml from the input (split at NUL),
// with a picture (relationship "p") and a part that is none ("t") for r:embed to name.
#include <cstdint>
#include <string>

#include "fuzz_office.h"

namespace {

// tests/bridge/data/pictures/red.png
const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52"
    "\x00\x00\x00\x03\x00\x00\x00\x02\x01\x03\x00\x00\x00\xA7\xBA\xF4"
    "\x59\x00\x00\x00\x03\x50\x4C\x54\x45\xFF\x00\x00\x19\xE2\x09\x37"
    "\x00\x00\x00\x0C\x49\x44\x41\x54\x08\xD7\x63\x60\x60\x60\x00\x00"
    "\x00\x04\x00\x01\x27\x34\x27\x0A\x00\x00\x00\x00\x49\x45\x4E\x44"
    "\xAE\x42\x60\x82",
    84);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzzoffice::Parts(data, size, 3);
  std::string bytes = fuzzoffice::Zip(
      {{"word/document.xml", parts[0]},
       {"word/_rels/document.xml.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"n\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/numbering\" Target=\"numbering.xml\"/><Relationship Id=\"s\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/><Relationship Id=\"p\" Type=\"http://schemas.openxmlformats.org/"
        "officeDocument/2006/relationships/image\" Target=\"media/p.png\"/><Relationship "
        "Id=\"t\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "image\" Target=\"media/t.png\"/></Relationships>"},
       {"word/media/p.png", kPng},
       {"word/media/t.png", "text"},
       {"word/numbering.xml", parts[1]},
       {"word/styles.xml", parts[2]}});
  bridge::Bank bank;
  bank.title = "in";
  bridge::Report report;
  lang::Text reason;
  if (bridge::ReadDocx({"in", "in"}, bytes, &bank, &report, &reason)) {
    if (bank.title.empty()) bank.title = "in";
    fuzzoffice::Check(bank);
  } else {
    fuzzsupport::Require(!reason.empty(), "a refusal says why");
  }
  return 0;
}
