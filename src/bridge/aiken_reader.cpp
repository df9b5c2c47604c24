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
  Question question;          // its task joined from its lines, its options as read
  std::vector<char> letters;  // of the options kept
  unsigned lettersSeen = 0;   // bit k: an option with letter 'A' + k, kept or not

  bool Empty() const { return question.task.empty() && question.VariantCount() == 0; }
};

}  // namespace

// Current Moodle takes "A)text" and "A.text" as options too, without a blank.
bool IsAikenOption(std::string_view line) {
  return line.size() >= 3 && line[0] >= 'A' && line[0] <= 'Z' && (line[1] == ')' || line[1] == '.');
}

bool IsAikenAnswer(std::string_view line) {
  return line.substr(0, 7) == "ANSWER:";
}

void ReadAiken(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  TopicSink sink(source, bank);
  Pending q;
  LineReader lines(SkipBom(bytes));
  Line line;
  while (lines.Next(&line)) {
    std::string_view text = TrimLine(line.text);
    if (text.empty()) continue;
    if (IsAikenOption(text)) {
      if (q.Empty()) q.question.line = line.number;
      if (q.question.variants.size() < static_cast<std::size_t>(kMaxVariantsPerQuestion))
        q.letters.push_back(text[0]);
      q.lettersSeen |= 1u << (text[0] - 'A');
      q.question.AddVariant(Variant{FoldSpace(text.substr(2)), false, line.number});
      continue;
    }
    if (IsAikenAnswer(text)) {
      if (q.Empty()) q.question.line = line.number;
      std::string_view letter = TrimLine(text.substr(7));
      bool found = letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z' &&
                   (q.lettersSeen & (1u << (letter[0] - 'A'))) != 0;
      if (found)
        for (std::size_t k = 0; k < q.letters.size(); ++k)
          if (q.letters[k] == letter[0]) q.question.variants[k].correct = true;
      Question question = std::move(q.question);
      question.task = FoldSpace(question.task);
      if (!found) {
        LeaveOut(source, question.line, NoKind(), lang::Say(lang::Id::kWhyAnswerNamesNoOption),
                 report);
      } else if (question.VariantCount() < 2) {
        LeaveOut(source, question.line, NoKind(), lang::Say(lang::Id::kWhyFewerThanTwoOptions),
                 report);
      } else if (question.task.empty()) {
        LeaveOut(source, question.line, NoKind(), lang::Say(lang::Id::kWhyTextEmpty), report);
      } else {
        sink.Add(std::move(question));
      }
      q = Pending{};
      continue;
    }
    if (q.question.VariantCount() > 0) {
      // A text line after options begins the next question, as in Moodle; the one before it
      // never had its ANSWER line.
      LeaveOut(source, q.question.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswerLine), report);
      q = Pending{};
    }
    // Moodle takes one line only; a task over several lines is joined here.
    if (q.Empty()) q.question.line = line.number;
    if (!q.question.task.empty()) q.question.task.push_back(' ');
    q.question.task.append(text);
  }
  if (!q.Empty())
    LeaveOut(source, q.question.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswerLine), report);
}

}  // namespace bridge
