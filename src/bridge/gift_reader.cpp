// GIFT, as Moodle reads it, into the bank model.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

// Moodle's default format for GIFT, and [moodle] and [markdown] too, show HTML as HTML: only
// [plain] texts are as written.
enum class TextFormat { kAsWritten, kHtml };

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
  while (i < s.size() && IsBlank(s[i])) ++i;
  return i;
}

// The first `c` at or after `from` that no backslash escapes (npos when none). `from` must not
// fall between a backslash and the character it escapes.
std::size_t FindUnescaped(std::string_view s, char c, std::size_t from = 0) {
  for (std::size_t i = from; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
      continue;
    }
    if (s[i] == c) return i;
  }
  return std::string_view::npos;
}

// The first unescaped occurrence of a two-character marker ("::", "->", "##").
std::size_t FindUnescapedPair(std::string_view s, std::string_view pair, std::size_t from = 0) {
  for (std::size_t i = from; i + 1 < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
      continue;
    }
    if (s[i] == pair[0] && s[i + 1] == pair[1]) return i;
  }
  return std::string_view::npos;
}

std::string DecodeEscapes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char next = s[i + 1];
      if (next == 'n') {
        out.push_back(' ');
        ++i;
        continue;
      }
      if (next == '~' || next == '=' || next == '#' || next == '{' || next == '}' || next == ':' ||
          next == '\\') {
        out.push_back(next);
        ++i;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

// Removes a format marker at the start of `text` (after blanks); sets *format when there was
// one.
bool TakeMarker(std::string_view* text, TextFormat* format) {
  std::string_view t = Trim(*text);
  static constexpr std::string_view kMarkers[] = {"[html]", "[plain]", "[moodle]", "[markdown]"};
  for (std::string_view marker : kMarkers) {
    if (t.substr(0, marker.size()) == marker) {
      *format = marker == "[plain]" ? TextFormat::kAsWritten : TextFormat::kHtml;
      *text = t.substr(marker.size());
      return true;
    }
  }
  return false;
}

// "::title::" at the start of a trimmed line: a question's name, so a question's first line.
bool IsTitleLine(std::string_view trimmed) {
  return trimmed.substr(0, 2) == "::" &&
         FindUnescapedPair(trimmed, "::", 2) != std::string_view::npos;
}

bool IsCategoryLine(std::string_view trimmed) {
  return trimmed.substr(0, 10) == "$CATEGORY:";
}

// The lines of one question as they stand in the input, gathered while reading. Only a
// paragraph with comment lines in it is copied (without them); the others stay views.
struct Paragraph {
  std::size_t begin = 0, end = 0;  // offsets in the input
  int first = 0;                   // line of `begin`
  bool comments = false;           // comment lines between its first and last lines
  bool onlyCategory = false;       // a single "$CATEGORY:" line so far
  bool inBlock = false;            // an answer block opened and not yet closed
  bool closedBlock = false;        // an answer block opened and closed

  bool Empty() const { return first == 0; }

  // Follows the answer blocks of one more line.
  void Scan(std::string_view line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '\\') {
        ++i;
      } else if (!inBlock && line[i] == '{') {
        inBlock = true;
      } else if (inBlock && line[i] == '}') {
        inBlock = false;
        closedBlock = true;
      }
    }
  }
};

class GiftReader {
 public:
  GiftReader(const Source& source, Bank* bank, Report* report)
      : source_(source), bank_(bank), report_(report), sink_(source, bank) {}

  void Read(std::string_view bytes) {
    bytes = SkipBom(bytes);
    LineReader lines(bytes);
    Paragraph paragraph;
    Line line;
    bool commentsPending = false;  // comment lines since the paragraph's last line
    while (lines.Next(&line)) {
      std::string_view trimmed = Trim(line.text);
      if (trimmed.substr(0, 2) == "//") {
        commentsPending = !paragraph.Empty();
        continue;
      }
      if (trimmed.empty()) {
        Flush(bytes, &paragraph);
        commentsPending = false;
        continue;
      }
      if (!paragraph.Empty() && StartsAnother(paragraph, trimmed, line.number)) {
        Flush(bytes, &paragraph);
        commentsPending = false;
      }
      std::size_t offset = lines.OffsetOf(line);
      if (paragraph.Empty()) {
        paragraph.begin = offset;
        paragraph.first = line.number;
        paragraph.onlyCategory = IsCategoryLine(trimmed);
      } else {
        paragraph.comments = paragraph.comments || commentsPending;
        paragraph.onlyCategory = false;
      }
      commentsPending = false;
      paragraph.end = offset + line.text.size();
      paragraph.Scan(line.text);
    }
    Flush(bytes, &paragraph);
  }

 private:
  // A line that begins another question although no blank line came before it: a category
  // after a category line, or a name or category after a closed answer block (the blank line
  // forgotten, which is worth a note).
  bool StartsAnother(const Paragraph& p, std::string_view trimmed, int line) {
    bool category = IsCategoryLine(trimmed);
    if (category && p.onlyCategory) return true;
    if (!(category || IsTitleLine(trimmed)) || !p.closedBlock || p.inBlock) return false;
    report_->Remark(source_.name, line,
                    category ? lang::Say(lang::Id::kBlankLineBeforeCategory)
                             : lang::Say(lang::Id::kBlankLineBeforeQuestion));
    return true;
  }

  void Flush(std::string_view bytes, Paragraph* p) {
    if (p->Empty()) return;
    std::string_view text = bytes.substr(p->begin, p->end - p->begin);
    if (!p->comments) {
      Question(text, p->first);
    } else {
      // Comment lines become empty lines, so that offsets still give the input's lines.
      std::string copy;
      copy.reserve(text.size());
      LineReader lines(text);
      Line line;
      while (lines.Next(&line)) {
        if (Trim(line.text).substr(0, 2) != "//") copy.append(line.text);
        copy.push_back('\n');
      }
      Question(copy, p->first);
    }
    *p = Paragraph{};
  }

  // Plain text of a GIFT text: escapes decoded, HTML made plain when so marked.
  std::string Text(std::string_view raw, TextFormat format, int line) {
    std::string decoded = DecodeEscapes(raw);
    if (format != TextFormat::kHtml) return PlainText(decoded);
    // Pictures by a path relative to the input: Moodle's own GIFT export names none, a
    // teacher's file beside its pictures does.
    PictureSource pictures{bank_, nullptr};
    return HtmlAsText(decoded, source_, line, report_, nullptr, &pictures);
  }

  // Drops "#feedback" from the end of an answer; counts it when there was any.
  std::string_view CutFeedback(std::string_view answer) {
    std::size_t hash = FindUnescaped(answer, '#');
    if (hash == std::string_view::npos) return answer;
    if (!Trim(answer.substr(hash + 1)).empty()) report_->Count(Drop::kFeedback);
    return answer.substr(0, hash);
  }

  void Question(std::string_view all, int first) {
    LineCounter lines(all, first);
    std::size_t begin = SkipBlanks(all, 0);
    int line = lines.At(begin);

    if (all.substr(begin, 10) == "$CATEGORY:") {
      std::size_t end = all.find_first_of("\r\n", begin);
      if (end == std::string_view::npos) end = all.size();
      sink_.Category(all.substr(begin + 10, end - begin - 10), line);
      begin = SkipBlanks(all, end);
      if (begin >= all.size()) return;
      line = lines.At(begin);
    }

    if (all.substr(begin, 2) == "::") {
      std::size_t close = FindUnescapedPair(all, "::", begin + 2);
      if (close != std::string_view::npos) {
        report_->Count(Drop::kTitle);
        begin = close + 2;
      }
    }

    std::string_view body = all.substr(begin);
    TextFormat format = TextFormat::kHtml;
    if (TakeMarker(&body, &format)) report_->Count(Drop::kFormatting);
    std::size_t bodyStart = all.size() - body.size();

    bridge::Question question;
    question.line = line;
    std::size_t open = FindUnescaped(body, '{');
    std::string_view before = body.substr(0, open);
    if (FindUnescaped(before, '}') != std::string_view::npos) {
      LeaveOut(source_, line, NoKind(), lang::Say(lang::Id::kWhyBraceClosesNothing), report_);
      return;
    }
    if (open == std::string_view::npos) {
      question.task = Text(body, format, line);
      Finish(std::move(question), lang::Say(lang::Id::kKindDescription));
      return;
    }
    std::size_t close = FindUnescaped(body, '}', open + 1);
    if (close == std::string_view::npos) {
      LeaveOut(source_, line, NoKind(), lang::Say(lang::Id::kWhyBlockNotClosed), report_);
      return;
    }
    std::string_view block = body.substr(open + 1, close - open - 1);
    std::string_view after = body.substr(close + 1);
    if (IsEmbedded(block) || HasEmbedded(after)) {
      LeaveOut(source_, line, lang::Say(lang::Id::kKindEmbeddedAnswer),
               lang::Say(lang::Id::kWhyOnlyChoiceQuestions), report_);
      return;
    }
    std::size_t reopen = FindUnescaped(after, '{');
    if (FindUnescaped(after.substr(0, reopen), '}') != std::string_view::npos) {
      LeaveOut(source_, line, NoKind(), lang::Say(lang::Id::kWhyBraceClosesNothing), report_);
      return;
    }
    std::string task(before);
    if (!Trim(after).empty()) {
      task += "_____";
      task += after;
    }

    std::string_view content = Trim(block);
    if (content.empty()) {
      LeaveOut(source_, line, lang::Say(lang::Id::kKindEssay),
               lang::Say(lang::Id::kWhyOnlyChoiceQuestions), report_);
      return;
    }
    if (content[0] == '#') {
      LeaveOut(source_, line, lang::Say(lang::Id::kKindNumerical),
               lang::Say(lang::Id::kWhyOnlyChoiceQuestions), report_);
      return;
    }
    if (FindUnescaped(content, '~') != std::string_view::npos) {
      question.task = Text(task, format, line);
      std::size_t blockStart = bodyStart + open + 1;
      if (!Choices(&lines, block, blockStart, format, &question)) return;
      Finish(std::move(question), lang::Say(lang::Id::kKindMultipleChoice));
      return;
    }
    if (FindUnescaped(content, '=') != std::string_view::npos &&
        FindUnescapedPair(content, "->") != std::string_view::npos) {
      LeaveOut(source_, line, lang::Say(lang::Id::kKindMatching),
               lang::Say(lang::Id::kWhyOnlyChoiceQuestions), report_);
      return;
    }
    std::string_view verdict = Trim(CutFeedbackQuietly(content));
    if (verdict == "T" || verdict == "TRUE" || verdict == "F" || verdict == "FALSE") {
      CutFeedback(content);  // counts the feedback once
      bool isTrue = verdict[0] == 'T';
      question.task = Text(task, format, line);
      question.variants.push_back(Variant{"Верно", isTrue, line});
      question.variants.push_back(Variant{"Неверно", !isTrue, line});
      Finish(std::move(question), lang::Say(lang::Id::kKindTrueFalse));
      return;
    }
    LeaveOut(source_, line, lang::Say(lang::Id::kKindShortAnswer),
             lang::Say(lang::Id::kWhyOnlyChoiceQuestions), report_);
  }

  // An embedded answer (cloze) such as "1:MC:~a~=an" or ":SHORTANSWER:=x": an optional
  // weight, a colon, the type in capitals, a colon.
  static bool IsEmbedded(std::string_view block) {
    std::size_t i = SkipBlanks(block, 0);
    while (i < block.size() && block[i] >= '0' && block[i] <= '9') ++i;
    if (i >= block.size() || block[i] != ':') return false;
    std::size_t type = ++i;
    while (i < block.size() && ((block[i] >= 'A' && block[i] <= 'Z') || block[i] == '_')) ++i;
    return i > type && i < block.size() && block[i] == ':';
  }

  // Whether a later block of the text is an embedded answer.
  static bool HasEmbedded(std::string_view text) {
    for (std::size_t open = FindUnescaped(text, '{'); open != std::string_view::npos;
         open = FindUnescaped(text, '{', open + 1)) {
      if (IsEmbedded(text.substr(open + 1))) return true;
    }
    return false;
  }

  static std::string_view CutFeedbackQuietly(std::string_view answer) {
    std::size_t hash = FindUnescaped(answer, '#');
    return hash == std::string_view::npos ? answer : answer.substr(0, hash);
  }

  // The answers of a multiple-choice block. False when the question is left out. Text before
  // the first '~' or '=' is a wrong answer, as Moodle reads it.
  bool Choices(LineCounter* lines, std::string_view block, std::size_t blockStart,
               TextFormat questionFormat, bridge::Question* question) {
    std::size_t general = FindUnescapedPair(block, "##");
    // General feedback is "####text"; a lone "##" is two empty feedbacks and cut below.
    if (general != std::string_view::npos && block.substr(general, 4) == "####") {
      if (!Trim(block.substr(general + 4)).empty()) report_->Count(Drop::kFeedback);
      block = block.substr(0, general);
    }
    std::size_t i = 0;
    while (i < block.size()) {
      bool marked = block[i] == '~' || block[i] == '=';
      char mark = marked ? block[i] : '~';
      std::size_t start = marked ? i + 1 : i;
      std::size_t end = start;
      while (end < block.size() && block[end] != '~' && block[end] != '=') {
        if (block[end] == '\\') ++end;
        ++end;
      }
      if (end > block.size()) end = block.size();
      std::string_view answer = block.substr(start, end - start);
      // Blanks before the first mark are no answer.
      if (marked || !Trim(answer).empty()) {
        int line = lines->At(blockStart + SkipBlanks(block, i));
        Answer(mark, answer, line, questionFormat, question);
      }
      i = end;
    }
    if (question->VariantCount() < 2) {
      LeaveOut(source_, question->line, lang::Say(lang::Id::kKindMultipleChoice),
               lang::Say(lang::Id::kWhyFewerThanTwoAnswers), report_);
      return false;
    }
    // Moodle would not save it either; the program asks it, with nothing to tick.
    if (std::none_of(question->variants.begin(), question->variants.end(),
                     [](const Variant& v) { return v.correct; }))
      report_->Remark(source_.name, question->line, lang::Say(lang::Id::kNoPositiveAnswer));
    return true;
  }

  void Answer(char mark, std::string_view answer, int line, TextFormat questionFormat,
              bridge::Question* question) {
    answer = CutFeedback(answer);
    std::string_view rest = Trim(answer);
    bool correct = mark == '=';
    if (rest.size() > 2 && rest[0] == '%') {
      std::size_t close = rest.find('%', 1);
      if (close != std::string_view::npos) {
        std::string number(rest.substr(1, close - 1));
        char* end = nullptr;
        double weight = std::strtod(number.c_str(), &end);
        if (!number.empty() && end == number.c_str() + number.size()) {
          correct = weight > 0;
          if (weight != 0 && weight != 100) report_->Count(Drop::kWeight);
          rest = rest.substr(close + 1);
        }
      }
    }
    TextFormat format = questionFormat;
    if (TakeMarker(&rest, &format)) report_->Count(Drop::kFormatting);
    std::string text = Text(rest, format, line);
    if (text.empty()) {
      report_->Count(Drop::kEmptyAnswer);
      return;
    }
    question->AddVariant(Variant{std::move(text), correct, line});
  }

  void Finish(bridge::Question question, const lang::Text& kind) {
    if (question.task.empty()) {
      LeaveOut(source_, question.line, kind, lang::Say(lang::Id::kWhyTextEmpty), report_);
      return;
    }
    sink_.Add(std::move(question));
  }

  const Source& source_;
  Bank* bank_;
  Report* report_;
  TopicSink sink_;
};

}  // namespace

void ReadGift(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  GiftReader reader(source, bank, report);
  reader.Read(bytes);
}

}  // namespace bridge
