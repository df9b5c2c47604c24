// CSV for spreadsheets: a byte order mark and ';' between fields, as spreadsheets with a
// Russian locale expect, CR LF between rows, and a header row. Each row is the task, the
// numbers of the correct variants separated by spaces (a comma would read as a decimal
// point), then the variants.
#include "bridge/writers.h"

namespace bridge {

namespace {

// RFC 4180: a field with a separator, a quote or a line break is quoted, its quotes doubled.
// Commas are quoted too, so that the file reads the same whichever separator a reader guesses.
void AppendQuoted(std::string_view text, std::string* out) {
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

// Whether the text, after any apostrophes, begins with one of those four characters.
bool IsFormulaStart(std::string_view text) {
  std::size_t first = text.find_first_not_of('\'');
  return first != std::string_view::npos &&
         std::string_view("=+-@").find(text[first]) != std::string_view::npos;
}

// A text beginning with '=', '+', '-' or '@' is a formula to a spreadsheet, which would change it
// when the file is saved again: an apostrophe in front keeps it text, and exameo-import removes
// one apostrophe there; a text that itself begins with apostrophes before one of them gets one
// more, so that it comes back as it was.
void AppendField(std::string_view text, std::string* out) {
  std::size_t blanks = text.find_first_not_of(" \t");
  if (blanks == std::string_view::npos) blanks = text.size();
  std::string_view rest = text.substr(blanks);
  if (IsFormulaStart(rest)) {
    std::string guarded(text.substr(0, blanks));
    guarded += '\'';
    guarded += rest;
    AppendQuoted(guarded, out);
    return;
  }
  AppendQuoted(text, out);
}

}  // namespace

std::string WriteCsv(const ExportBank& bank, Report* report) {
  std::string out = "\xEF\xBB\xBF";
  // The header's second column is not a list of numbers, so a reader skips the row.
  out += "Задание;Верные";
  for (int i = 1; i <= kMaxVariantsPerQuestion; ++i) out += ";Вариант " + std::to_string(i);
  out += "\r\n";
  ForEachCarried(Format::kCsv, bank, report, [&](const Topic&, const Question& q, std::size_t t) {
    // CSV has no pictures: each stays the text of its reference, remarked.
    RemarkReferences(bank, t, q, "CSV", report);
    AppendField(TextWithReferences(bank, q.task), &out);
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
      AppendField(TextWithReferences(bank, v.text), &out);
    }
    out += "\r\n";
  });
  return out;
}

}  // namespace bridge
