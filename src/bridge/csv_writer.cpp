// CSV for spreadsheets: a byte order mark and ';' between fields, as spreadsheets with a
// Russian locale expect, CR LF between rows, and a header row. Each row is the task, the
// numbers of the correct variants separated by spaces (a comma would read as a decimal
// point), then the variants.
#include "bridge/writers.h"

namespace bridge {

namespace {

// RFC 4180: a field with a separator, a quote or a line break is quoted, its quotes doubled.
// Commas are quoted too, so that the file reads the same whichever separator a reader guesses.
void AppendField(std::string_view text, std::string* out) {
  bool quote = text.find_first_of(";,\"\r\n") != std::string_view::npos;
  if (!quote) {
    *out += text;
    return;
  }
  *out += '"';
  for (char c : text) {
    if (c == '"') *out += '"';
    *out += c;
  }
  *out += '"';
}

}  // namespace

std::string WriteCsv(const ExportBank& bank, Report* report) {
  std::string out = "\xEF\xBB\xBF";
  // The header's second column is not a list of numbers, so a reader skips the row.
  out += "Задание;Верные";
  for (int i = 1; i <= kMaxVariantsPerQuestion; ++i) out += ";Вариант " + std::to_string(i);
  out += "\r\n";
  ForEachCarried(Format::kCsv, bank, report, [&](const Topic&, const Question& q) {
    AppendField(q.task, &out);
    out += ';';
    bool first = true;
    for (std::size_t i = 0; i < q.variants.size(); ++i) {
      if (!q.variants[i].correct) continue;
      if (!first) out += ' ';
      first = false;
      out += std::to_string(i + 1);
    }
    for (const Variant& v : q.variants) {
      out += ';';
      AppendField(v.text, &out);
    }
    out += "\r\n";
  });
  return out;
}

}  // namespace bridge
