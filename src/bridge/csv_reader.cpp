// CSV from a spreadsheet: task; correct variant numbers; up to 12 variant columns.
#include <string>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"
#include "common/csv.h"

namespace bridge {

namespace {

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

// One record, its fields folded as they end. Only what can be written is kept: the task, the
// numbers, the first filled variant columns up to the limit; of the others, whether each is
// filled.
struct Row {
  std::string task;
  std::string numbers;
  std::vector<Variant> variants;
  std::vector<std::size_t> columnOfVariant;  // variant column (from 0) of each kept variant
  std::vector<bool> filled;                  // per variant column
  int moreVariants = 0;                      // filled columns past the limit
  bool empty = true;                         // no field with text
  int line = 0;
  bool unclosed = false;  // a quote still open at the end of the input

  void Add(std::string raw) {
    std::size_t column = filled.size();
    std::string text = CellText(raw);
    if (!text.empty()) empty = false;
    if (fields_ == 0) {
      task = std::move(text);
    } else if (fields_ == 1) {
      numbers = std::move(text);
    } else {
      filled.push_back(!text.empty());
      if (!text.empty()) {
        if (variants.size() < static_cast<std::size_t>(kMaxVariantsPerQuestion)) {
          variants.push_back(Variant{std::move(text), false, line});
          columnOfVariant.push_back(column);
        } else {
          ++moreVariants;
        }
      }
    }
    ++fields_;
  }
  std::size_t Columns() const { return filled.size(); }

 private:
  int fields_ = 0;
};

// RFC 4180: fields split at `separator`, a quoted field may hold separators, line breaks and
// doubled quotes. Rows end at CR LF, LF or CR outside quotes. One row at a time.
class RowReader {
 public:
  RowReader(std::string_view s, char separator) : s_(s), separator_(separator) {}

  bool Next(Row* row) {
    if (i_ >= s_.size()) return false;
    *row = Row{};
    row->line = line_;
    csv::Field field;
    for (; i_ < s_.size(); ++i_) {
      char c = s_[i_];
      if (field.quoted && (c == '\n' || (c == '\r' && !(i_ + 1 < s_.size() && s_[i_ + 1] == '\n'))))
        ++line_;
      if (field.Quote(s_, &i_)) continue;
      if (c == separator_) {
        row->Add(field.Take());
        continue;
      }
      if (c == '\r' || c == '\n') {
        if (c == '\r' && i_ + 1 < s_.size() && s_[i_ + 1] == '\n') ++i_;
        ++i_;
        ++line_;
        break;
      }
      field.Keep(c);
    }
    row->unclosed = field.quoted;
    row->Add(field.Take());
    return true;
  }

 private:
  std::string_view s_;
  char separator_;
  std::size_t i_ = 0;
  int line_ = 1;
};

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

}  // namespace

void ReadCsv(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  bytes = SkipBom(bytes);
  TopicSink sink(source, bank);
  bool first = true;
  RowReader rows(bytes, ChooseSeparator(bytes));
  Row row;
  while (rows.Next(&row)) {
    if (row.empty) continue;
    bool isFirst = first;
    first = false;
    std::vector<int> numbers;
    bool numeric = ParseNumbers(row.numbers, &numbers);
    if (isFirst && !numeric) continue;  // a header row
    if (row.unclosed) {
      LeaveOut(source, row.line, NoKind(), lang::Say(lang::Id::kWhyQuoteNotClosed), report);
      continue;
    }
    if (!numeric) {
      LeaveOut(source, row.line, NoKind(), lang::Say(lang::Id::kWhySecondColumnNotNumbers), report);
      continue;
    }
    Question question;
    question.line = row.line;
    question.task = std::move(row.task);
    bool bad = false;
    for (int n : numbers) {
      std::size_t column = static_cast<std::size_t>(n) - 1;
      if (n < 1 || column >= row.Columns() || !row.filled[column]) {
        LeaveOut(source, row.line, NoKind(), lang::Say(lang::Id::kWhyCorrectNamesNoColumn, n),
                 report);
        bad = true;
        break;
      }
      for (std::size_t k = 0; k < row.variants.size(); ++k)
        if (row.columnOfVariant[k] == column) row.variants[k].correct = true;
    }
    if (bad) continue;
    if (question.task.empty()) {
      LeaveOut(source, row.line, NoKind(), lang::Say(lang::Id::kWhyTaskColumnEmpty), report);
      continue;
    }
    question.variants = std::move(row.variants);
    question.moreVariants = row.moreVariants;
    sink.Add(std::move(question));
  }
}

}  // namespace bridge
