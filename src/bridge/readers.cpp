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
  return Format::kUnknown;
}

Format DetectFormat(std::string_view fileName, std::string_view bytes) {
  std::string name = LowerAscii(fileName);
  if (EndsWith(name, ".gift")) return Format::kGift;
  if (EndsWith(name, ".aiken")) return Format::kAiken;
  if (EndsWith(name, ".xml")) return Format::kMoodleXml;
  if (EndsWith(name, ".csv")) return Format::kCsv;
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
    case Format::kUnknown:
      break;
  }
  *error = "unknown format";
  return false;
}

}  // namespace bridge
