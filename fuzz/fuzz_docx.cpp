// The Word reader: document.xml, numbering.xml and styles.xml from the input (split at NUL).
#include <cstdint>
#include <string>

#include "fuzz_office.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzzoffice::Parts(data, size, 3);
  std::string bytes = fuzzoffice::Zip(
      {{"word/document.xml", parts[0]},
       {"word/_rels/document.xml.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"n\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/numbering\" Target=\"numbering.xml\"/><Relationship Id=\"s\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
        "Target=\"styles.xml\"/></Relationships>"},
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
