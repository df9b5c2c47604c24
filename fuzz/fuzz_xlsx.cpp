// The spreadsheet reader: two worksheets, the shared strings and the styles from the input
// (split at NUL).
#include <cstdint>
#include <string>

#include "fuzz_office.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts = fuzzoffice::Parts(data, size, 4);
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  std::string bytes = fuzzoffice::Zip(
      {{"xl/workbook.xml",
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"" + rel.substr(0, rel.size() - 1) + "\"><sheets><sheet name=\"A/1\" "
        "sheetId=\"1\" r:id=\"a\"/><sheet name=\"B\" sheetId=\"2\" r:id=\"b\"/></sheets></workbook>"},
       {"xl/_rels/workbook.xml.rels",
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"a\" Type=\"" + rel + "worksheet\" Target=\"a.xml\"/>"
        "<Relationship Id=\"b\" Type=\"" + rel + "worksheet\" Target=\"b.xml\"/>"
        "<Relationship Id=\"s\" Type=\"" + rel + "sharedStrings\" Target=\"s.xml\"/>"
        "<Relationship Id=\"t\" Type=\"" + rel + "styles\" Target=\"t.xml\"/></Relationships>"},
       {"xl/a.xml", parts[0]},
       {"xl/b.xml", parts[1]},
       {"xl/s.xml", parts[2]},
       {"xl/t.xml", parts[3]}});
  bridge::Bank bank;
  bank.title = "in";
  bridge::Report report;
  lang::Text reason;
  if (bridge::ReadXlsx({"in", "in"}, bytes, &bank, &report, &reason))
    fuzzoffice::Check(bank);
  else
    fuzzsupport::Require(!reason.empty(), "a refusal says why");
  return 0;
}
