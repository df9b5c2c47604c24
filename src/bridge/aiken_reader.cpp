// Aiken, as Moodle reads it: a task, options "A)" or "A." and an "ANSWER: X" line; also with
// Cyrillic letters ("А)", "ANSWER: А"), as Russian teachers type it.
#include <cstdint>
#include <string>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"
#include "common/cp1251.h"

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

// Option letters: Latin A..Z (bits 0..25) and Cyrillic А..Я (bits 26..57) and Ё (bit 58), as
// Russian teachers type them.
using Letters = std::uint64_t;
constexpr int kLatin = 26;
constexpr Letters kCyrillicBits = ((Letters{1} << 33) - 1) << kLatin;

// The letter at the start of `s` and its length in bytes, or 0.
char32_t LetterAt(std::string_view s, std::size_t* length) {
  if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') {
    *length = 1;
    return static_cast<char32_t>(s[0]);
  }
  std::size_t i = 0;
  char32_t u = s.size() >= 2 ? cp1251::DecodeUtf8(s.data(), s.size(), &i) : 0;
  if (i != 2 || !((u >= 0x410 && u <= 0x42F) || u == 0x401)) return 0;
  *length = 2;
  return u;
}

int Bit(char32_t letter) {
  if (letter < 0x80) return static_cast<int>(letter - 'A');
  return letter == 0x401 ? kLatin + 32 : kLatin + static_cast<int>(letter - 0x410);
}

char32_t LetterOfBit(int bit) {
  if (bit < kLatin) return static_cast<char32_t>('A' + bit);
  return bit == kLatin + 32 ? 0x401 : static_cast<char32_t>(0x410 + bit - kLatin);
}

// The Cyrillic capitals that look like a Latin one, and that one.
constexpr char32_t kLookAlikes[][2] = {{0x410, 'A'}, {0x412, 'B'}, {0x421, 'C'}, {0x415, 'E'},
                                       {0x41D, 'H'}, {0x41A, 'K'}, {0x41C, 'M'}, {0x41E, 'O'},
                                       {0x420, 'P'}, {0x422, 'T'}, {0x425, 'X'}};

// How a question's letters read: as written, every Cyrillic one as its Latin look-alike, or in
// Cyrillic alphabet order (Latin look-alikes as the Cyrillic letter they look like).
enum class Reading { kAsWritten, kLookAlike, kAlphabet };

// `letter` in the reading's letters; 0 when it has none there.
char32_t InReading(char32_t letter, Reading reading) {
  if (reading == Reading::kAsWritten) return letter;
  bool latin = letter < 0x80;
  if (latin == (reading == Reading::kLookAlike)) return letter;
  for (const auto& pair : kLookAlikes)
    if (pair[latin ? 1 : 0] == letter) return pair[latin ? 0 : 1];
  return 0;
}

Reading ReadingOf(Letters all) {
  if ((all & kCyrillicBits) == 0) return Reading::kAsWritten;
  Letters lookAlike = 0;
  for (const auto& pair : kLookAlikes) lookAlike |= Letters{1} << Bit(pair[0]);
  return (all & kCyrillicBits & ~lookAlike) != 0 ? Reading::kAlphabet : Reading::kLookAlike;
}

std::string Shown(Letters letters) {
  std::string list;
  for (int bit = 0; bit < 64; ++bit) {
    if ((letters & (Letters{1} << bit)) == 0) continue;
    if (!list.empty()) list += ", ";
    AppendUtf8(LetterOfBit(bit), &list);
  }
  return list;
}

struct Pending {
  Question question;              // its task joined from its lines, its options as read
  std::vector<char32_t> letters;  // of the options kept
  Letters lettersSeen = 0;        // of every option, kept or not

  bool Empty() const { return question.task.empty() && question.VariantCount() == 0; }
};

}  // namespace

// Current Moodle takes "A)text" and "A.text" as options too, without a blank.
bool IsAikenOption(std::string_view line) {
  std::size_t length = 0;
  return LetterAt(line, &length) != 0 && line.size() >= length + 2 &&
         (line[length] == ')' || line[length] == '.');
}

bool IsAikenAnswer(std::string_view line) {
  return line.substr(0, 7) == "ANSWER:";
}

namespace {

class AikenReader {
 public:
  AikenReader(const Source& source, Bank* bank, Report* report)
      : source_(source), report_(report), sink_(source, bank) {}

  // The question with its ANSWER line: marked and handed on, or left out with a note.
  void Answer(Pending* q, std::string_view answer) {
    Question question = std::move(q->question);
    question.task = FoldSpace(question.task);
    std::size_t length = 0;
    char32_t letter = LetterAt(answer, &length);
    if (letter == 0 || length != answer.size()) {
      LeaveOut(source_, question.line, NoKind(), lang::Say(lang::Id::kWhyAnswerNamesNoOption),
               report_);
      return;
    }
    Letters all = q->lettersSeen | (Letters{1} << Bit(letter));
    Reading reading = ReadingOf(all);
    Letters read = 0;
    for (int bit = 0; bit < 64; ++bit) {
      if ((q->lettersSeen & (Letters{1} << bit)) == 0) continue;
      char32_t r = InReading(LetterOfBit(bit), reading);
      if (r == 0) {
        LeaveOut(source_, question.line, NoKind(),
                 lang::Say(lang::Id::kWhyOptionLettersMixed, Shown(all)), report_);
        return;
      }
      read |= Letters{1} << Bit(r);
    }
    char32_t wanted = InReading(letter, reading);
    if (wanted == 0 || (read & (Letters{1} << Bit(wanted))) == 0) {
      if ((all & kCyrillicBits) == 0) {
        LeaveOut(source_, question.line, NoKind(), lang::Say(lang::Id::kWhyAnswerNamesNoOption),
                 report_);
      } else {
        LeaveOut(source_, question.line, NoKind(),
                 lang::Say(lang::Id::kWhyAnswerLetterNotOption, answer, Shown(q->lettersSeen)),
                 report_);
      }
      return;
    }
    for (std::size_t k = 0; k < q->letters.size(); ++k)
      if (InReading(q->letters[k], reading) == wanted) question.variants[k].correct = true;
    if (question.VariantCount() < 2) {
      LeaveOut(source_, question.line, NoKind(), lang::Say(lang::Id::kWhyFewerThanTwoOptions),
               report_);
    } else if (question.task.empty()) {
      LeaveOut(source_, question.line, NoKind(), lang::Say(lang::Id::kWhyTextEmpty), report_);
    } else {
      // Said once an input for each way of reading, at the first question read so.
      if (reading != Reading::kAsWritten && !remarked_[static_cast<int>(reading)]) {
        remarked_[static_cast<int>(reading)] = true;
        report_->Remark(
            source_.name, question.line,
            lang::Say(reading == Reading::kLookAlike ? lang::Id::kAikenLettersLookAlike
                                                     : lang::Id::kAikenLettersAlphabet));
      }
      sink_.Add(std::move(question));
    }
  }

  void Read(std::string_view bytes) {
    Pending q;
    LineReader lines(SkipBom(bytes));
    Line line;
    while (lines.Next(&line)) {
      std::string_view text = TrimLine(line.text);
      if (text.empty()) continue;
      if (IsAikenOption(text)) {
        if (q.Empty()) q.question.line = line.number;
        std::size_t length = 0;
        char32_t letter = LetterAt(text, &length);
        if (q.question.variants.size() < static_cast<std::size_t>(kMaxVariantsPerQuestion))
          q.letters.push_back(letter);
        q.lettersSeen |= Letters{1} << Bit(letter);
        q.question.AddVariant(Variant{FoldSpace(text.substr(length + 1)), false, line.number});
        continue;
      }
      if (IsAikenAnswer(text)) {
        if (q.Empty()) q.question.line = line.number;
        Answer(&q, TrimLine(text.substr(7)));
        q = Pending{};
        continue;
      }
      if (q.question.VariantCount() > 0) {
        // A text line after options begins the next question, as in Moodle; the one before it
        // never had its ANSWER line.
        LeaveOut(source_, q.question.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswerLine),
                 report_);
        q = Pending{};
      }
      // Moodle takes one line only; a task over several lines is joined here.
      if (q.Empty()) q.question.line = line.number;
      if (!q.question.task.empty()) q.question.task.push_back(' ');
      q.question.task.append(text);
    }
    if (!q.Empty())
      LeaveOut(source_, q.question.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswerLine), report_);
  }

 private:
  const Source& source_;
  Report* report_;
  TopicSink sink_;
  bool remarked_[3] = {};
};

}  // namespace

void ReadAiken(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  AikenReader reader(source, bank, report);
  reader.Read(bytes);
}

}  // namespace bridge
