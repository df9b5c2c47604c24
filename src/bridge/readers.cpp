// Choosing a reader: by name, by extension, or by what a .txt holds.
#include "bridge/readers.h"

#include "bridge/reader_support.h"
#include "bridge/text.h"

namespace bridge {

namespace {

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

}  // namespace

Format ParseFormat(std::string_view name) {
  if (name == "gift") return Format::kGift;
  if (name == "aiken") return Format::kAiken;
  if (name == "moodle-xml") return Format::kMoodleXml;
  if (name == "csv") return Format::kCsv;
  if (name == "docx") return Format::kDocx;
  if (name == "xlsx") return Format::kXlsx;
  return Format::kUnknown;
}

Format DetectFormat(std::string_view fileName, std::string_view bytes) {
  std::string name = LowerAscii(fileName);
  if (EndsWith(name, ".gift")) return Format::kGift;
  if (EndsWith(name, ".aiken")) return Format::kAiken;
  if (EndsWith(name, ".xml")) return Format::kMoodleXml;
  if (EndsWith(name, ".csv")) return Format::kCsv;
  if (EndsWith(name, ".docx")) return Format::kDocx;
  if (EndsWith(name, ".xlsx")) return Format::kXlsx;
  // A legacy .doc or .xls goes to its successor's reader, which names it; so does one saved
  // in the new format under the old name. Other files named so (text, RTF) are not told.
  bool zipOrLegacy = bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
                     bytes.substr(0, 4) == std::string_view("\xD0\xCF\x11\xE0", 4);
  if (EndsWith(name, ".doc")) return zipOrLegacy ? Format::kDocx : Format::kUnknown;
  if (EndsWith(name, ".xls")) return zipOrLegacy ? Format::kXlsx : Format::kUnknown;
  if (!EndsWith(name, ".txt")) return Format::kUnknown;
  bytes = SkipBom(bytes);
  if (bytes.find("::") != std::string_view::npos || bytes.find('{') != std::string_view::npos ||
      bytes.find("$CATEGORY:") != std::string_view::npos)
    return Format::kGift;
  for (const Line& line : SplitLines(bytes)) {
    std::string_view t = line.text;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    if (IsAikenAnswer(t)) return Format::kAiken;
  }
  return Format::kUnknown;
}

bool ReadAny(Format format, const Source& source, std::string_view bytes, Bank* bank,
             Report* report, std::string* error, Encoding forced) {
  switch (format) {
    case Format::kGift:
      ReadGift(source, bytes, bank, report);
      return true;
    case Format::kAiken:
      ReadAiken(source, bytes, bank, report);
      return true;
    case Format::kCsv:
      ReadCsv(source, bytes, bank, report);
      return true;
    case Format::kMoodleXml:
      return ReadMoodleXml(source, bytes, bank, report, error, forced);
    case Format::kDocx:
    case Format::kXlsx: {
      lang::Text reason;
      bool read = format == Format::kDocx ? ReadDocx(source, bytes, bank, report, &reason)
                                          : ReadXlsx(source, bytes, bank, report, &reason);
      if (!read) *error = lang::Render(reason, lang::ToolLanguage());
      return read;
    }
    case Format::kUnknown:
      break;
  }
  *error = "unknown format";
  return false;
}

}  // namespace bridge
