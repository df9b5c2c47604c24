// Aiken, as Moodle reads it: a task, options "A)" or "A." and an "ANSWER: X" line.
#include <string>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimLine(std::string_view s) {
  while (!s.empty() && (IsBlank(s.front()) || s.front() == '\r' || s.front() == '\n'))
    s.remove_prefix(1);
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

struct Pending {
  std::string task;
  int line = 0;
  std::vector<char> letters;
  std::vector<Variant> options;
  bool stray = false;  // a text line among the options
  int strayLine = 0;

  bool Empty() const { return task.empty() && options.empty() && !stray; }
};

}  // namespace

bool IsAikenOption(std::string_view line) {
  return line.size() >= 3 && line[0] >= 'A' && line[0] <= 'Z' &&
         (line[1] == ')' || line[1] == '.') && IsBlank(line[2]);
}

bool IsAikenAnswer(std::string_view line) {
  return line.substr(0, 7) == "ANSWER:";
}

void ReadAiken(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  TopicSink sink(source, bank);
  Pending q;
  for (const Line& line : SplitLines(SkipBom(bytes))) {
    std::string_view text = TrimLine(line.text);
    if (text.empty()) continue;
    if (IsAikenOption(text)) {
      if (q.Empty()) q.line = line.number;
      q.letters.push_back(text[0]);
      q.options.push_back(Variant{FoldSpace(text.substr(3)), false, line.number});
      continue;
    }
    if (IsAikenAnswer(text)) {
      if (q.Empty()) q.line = line.number;
      std::string_view letter = TrimLine(text.substr(7));
      bool found = false;
      if (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z') {
        for (std::size_t k = 0; k < q.options.size(); ++k) {
          if (q.letters[k] == letter[0]) {
            q.options[k].correct = true;
            found = true;
          }
        }
      }
      Question question;
      question.task = FoldSpace(q.task);
      question.line = q.line;
      question.variants = std::move(q.options);
      if (q.stray) {
        LeaveOut(source, q.strayLine, "",
                 "a text line among its options is neither an option nor its ANSWER line", report);
      } else if (!found) {
        LeaveOut(source, q.line, "", "its ANSWER line names no option of it", report);
      } else if (question.variants.size() < 2) {
        LeaveOut(source, q.line, "", "it has fewer than two options", report);
      } else if (question.task.empty()) {
        LeaveOut(source, q.line, "", "its text is empty", report);
      } else {
        sink.Add(std::move(question));
      }
      q = Pending{};
      continue;
    }
    if (q.options.empty()) {
      // Moodle takes one line only; a task over several lines is joined here.
      if (q.Empty()) q.line = line.number;
      if (!q.task.empty()) q.task.push_back(' ');
      q.task.append(text);
    } else if (!q.stray) {
      q.stray = true;
      q.strayLine = line.number;
    }
  }
  if (!q.Empty()) LeaveOut(source, q.line, "", "it has no ANSWER line", report);
}

}  // namespace bridge
