// CSV from a spreadsheet: task; correct variant numbers; up to 12 variant columns.
#include <string>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"
#include "common/csv.h"

namespace bridge {

namespace {

struct Row {
  std::vector<std::string> fields;
  int line = 0;
  bool unclosed = false;  // a quote still open at the end of the input
};

// RFC 4180: fields split at `separator`, a quoted field may hold separators, line breaks and
// doubled quotes. Rows end at CR LF, LF or CR outside quotes.
std::vector<Row> SplitRows(std::string_view s, char separator) {
  std::vector<Row> rows;
  int line = 1;
  std::size_t i = 0;
  while (i < s.size()) {
    Row row;
    row.line = line;
    csv::Field field;
    for (; i < s.size(); ++i) {
      char c = s[i];
      if (field.quoted && (c == '\n' || (c == '\r' && !(i + 1 < s.size() && s[i + 1] == '\n'))))
        ++line;
      if (field.Quote(s, &i)) continue;
      if (c == separator) {
        row.fields.push_back(field.Take());
        continue;
      }
      if (c == '\r' || c == '\n') {
        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        ++i;
        ++line;
        break;
      }
      field.Keep(c);
    }
    row.unclosed = field.quoted;
    row.fields.push_back(field.Take());
    rows.push_back(std::move(row));
  }
  return rows;
}

// The separator the first row uses more of outside quotes; ';' on a tie.
char ChooseSeparator(std::string_view s) {
  int semicolons = 0, commas = 0;
  bool quoted = false;
  for (char c : s) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\r' || c == '\n') break;
    if (c == ';') ++semicolons;
    if (c == ',') ++commas;
  }
  return commas > semicolons ? ',' : ';';
}

// Parses "1, 3 4" into numbers. False when anything else is there.
bool ParseNumbers(std::string_view s, std::vector<int>* numbers) {
  std::size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == ',' || c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    if (c < '0' || c > '9') return false;
    long value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      if (value < 1000000) value = value * 10 + (s[i] - '0');
      ++i;
    }
    numbers->push_back(static_cast<int>(value));
  }
  return true;
}

// A cell's text: folded, and one apostrophe removed from the front when only apostrophes stand
// before a leading '=', '+', '-' or '@': a spreadsheet (and exameo-export) puts it there so that
// the text is not taken for a formula.
std::string CellText(std::string_view cell) {
  std::string text = FoldSpace(cell);
  std::size_t first = text.find_first_not_of('\'');
  if (first > 0 && first != std::string::npos &&
      std::string_view("=+-@").find(text[first]) != std::string_view::npos)
    text.erase(0, 1);
  return text;
}

bool RowEmpty(const Row& row) {
  for (const std::string& f : row.fields)
    if (!FoldSpace(f).empty()) return false;
  return true;
}

}  // namespace

void ReadCsv(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  bytes = SkipBom(bytes);
  TopicSink sink(source, bank);
  bool first = true;
  for (const Row& row : SplitRows(bytes, ChooseSeparator(bytes))) {
    if (RowEmpty(row)) continue;
    bool isFirst = first;
    first = false;
    std::string numbersText = row.fields.size() > 1 ? FoldSpace(row.fields[1]) : std::string();
    std::vector<int> numbers;
    bool numeric = ParseNumbers(numbersText, &numbers);
    if (isFirst && !numeric) continue;  // a header row
    if (row.unclosed) {
      LeaveOut(source, row.line, "", "a quote opened in it is never closed", report);
      continue;
    }
    if (!numeric) {
      LeaveOut(source, row.line, "", "its second column is not the numbers of the correct variants",
               report);
      continue;
    }
    Question question;
    question.line = row.line;
    question.task = CellText(row.fields[0]);
    std::size_t columns = row.fields.size() > 2 ? row.fields.size() - 2 : 0;
    std::vector<int> variantOfColumn(columns, -1);
    for (std::size_t k = 0; k < columns; ++k) {
      std::string text = CellText(row.fields[k + 2]);
      if (text.empty()) continue;
      variantOfColumn[k] = static_cast<int>(question.variants.size());
      question.variants.push_back(Variant{std::move(text), false, row.line});
    }
    bool bad = false;
    for (int n : numbers) {
      if (n < 1 || static_cast<std::size_t>(n) > columns || variantOfColumn[n - 1] < 0) {
        LeaveOut(source, row.line, "",
                 "correct variant " + std::to_string(n) + " names no filled variant column",
                 report);
        bad = true;
        break;
      }
      question.variants[static_cast<std::size_t>(variantOfColumn[n - 1])].correct = true;
    }
    if (bad) continue;
    if (question.task.empty()) {
      LeaveOut(source, row.line, "", "its task column is empty", report);
      continue;
    }
    sink.Add(std::move(question));
  }
}

}  // namespace bridge
