// GIFT, as Moodle reads it, into the bank model.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

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
      *format = marker == "[html]" ? TextFormat::kHtml : TextFormat::kAsWritten;
      *text = t.substr(marker.size());
      return true;
    }
  }
  return false;
}

// One question's text, joined from its lines, with the source line of every position.
struct Paragraph {
  std::string text;
  std::vector<std::size_t> starts;  // offset in text where each line begins
  std::vector<int> numbers;

  int LineAt(std::size_t offset) const {
    if (numbers.empty()) return 0;
    auto it = std::upper_bound(starts.begin(), starts.end(), offset);
    return numbers[static_cast<std::size_t>(it - starts.begin()) - 1];
  }
};

class GiftReader {
 public:
  GiftReader(const Source& source, Bank* bank, Report* report)
      : source_(source), report_(report), sink_(source, bank) {}

  void Read(std::string_view bytes) {
    Paragraph paragraph;
    for (const Line& line : SplitLines(SkipBom(bytes))) {
      std::string_view trimmed = Trim(line.text);
      if (trimmed.substr(0, 2) == "//") continue;
      if (trimmed.empty()) {
        Flush(&paragraph);
        continue;
      }
      if (!paragraph.text.empty()) paragraph.text.push_back('\n');
      paragraph.starts.push_back(paragraph.text.size());
      paragraph.numbers.push_back(line.number);
      paragraph.text.append(line.text);
    }
    Flush(&paragraph);
  }

 private:
  void Flush(Paragraph* paragraph) {
    if (!paragraph->text.empty()) Question(*paragraph);
    *paragraph = Paragraph{};
  }

  // Plain text of a GIFT text: escapes decoded, HTML made plain when so marked.
  std::string Text(std::string_view raw, TextFormat format, int line) {
    std::string decoded = DecodeEscapes(raw);
    if (format != TextFormat::kHtml) return FoldSpace(decoded);
    return HtmlAsText(decoded, source_, line, report_);
  }

  // Drops "#feedback" from the end of an answer; counts it when there was any.
  std::string_view CutFeedback(std::string_view answer) {
    std::size_t hash = FindUnescaped(answer, '#');
    if (hash == std::string_view::npos) return answer;
    if (!Trim(answer.substr(hash + 1)).empty()) report_->Count(Drop::kFeedback);
    return answer.substr(0, hash);
  }

  void Question(const Paragraph& p) {
    std::string_view all = p.text;
    std::size_t begin = SkipBlanks(all, 0);
    int line = p.LineAt(begin);

    if (all.substr(begin, 10) == "$CATEGORY:") {
      std::size_t end = all.find('\n', begin);
      if (end == std::string_view::npos) end = all.size();
      sink_.Category(all.substr(begin + 10, end - begin - 10), line);
      begin = SkipBlanks(all, end);
      if (begin >= all.size()) return;
      line = p.LineAt(begin);
    }

    if (all.substr(begin, 2) == "::") {
      std::size_t close = FindUnescapedPair(all, "::", begin + 2);
      if (close != std::string_view::npos) {
        report_->Count(Drop::kTitle);
        begin = close + 2;
      }
    }

    std::string_view body = all.substr(begin);
    TextFormat format = TextFormat::kAsWritten;
    if (TakeMarker(&body, &format)) report_->Count(Drop::kFormatting);
    std::size_t bodyStart = all.size() - body.size();

    bridge::Question question;
    question.line = line;
    std::size_t open = FindUnescaped(body, '{');
    if (open == std::string_view::npos) {
      question.task = Text(body, format, line);
      Finish(std::move(question), "description");
      return;
    }
    std::size_t close = FindUnescaped(body, '}', open + 1);
    if (close == std::string_view::npos) {
      LeaveOut(source_, line, "", "its answer block has no closing '}'", report_);
      return;
    }
    std::string_view block = body.substr(open + 1, close - open - 1);
    std::string_view after = body.substr(close + 1);
    std::string task(body.substr(0, open));
    if (!Trim(after).empty()) {
      task += "_____";
      task += after;
    }

    std::string_view content = Trim(block);
    if (content.empty()) {
      LeaveOut(source_, line, "essay", "the program asks only choice questions", report_);
      return;
    }
    if (content[0] == '#') {
      LeaveOut(source_, line, "numerical", "the program asks only choice questions", report_);
      return;
    }
    if (FindUnescaped(content, '~') != std::string_view::npos) {
      question.task = Text(task, format, line);
      std::size_t blockStart = bodyStart + open + 1;
      if (!Choices(p, block, blockStart, format, &question)) return;
      Finish(std::move(question), "multiple-choice");
      return;
    }
    if (FindUnescaped(content, '=') != std::string_view::npos &&
        FindUnescapedPair(content, "->") != std::string_view::npos) {
      LeaveOut(source_, line, "matching", "the program asks only choice questions", report_);
      return;
    }
    std::string_view verdict = Trim(CutFeedbackQuietly(content));
    if (verdict == "T" || verdict == "TRUE" || verdict == "F" || verdict == "FALSE") {
      CutFeedback(content);  // counts the feedback once
      bool isTrue = verdict[0] == 'T';
      question.task = Text(task, format, line);
      question.variants.push_back(Variant{"Верно", isTrue, line});
      question.variants.push_back(Variant{"Неверно", !isTrue, line});
      Finish(std::move(question), "true/false");
      return;
    }
    LeaveOut(source_, line, "short-answer", "the program asks only choice questions", report_);
  }

  static std::string_view CutFeedbackQuietly(std::string_view answer) {
    std::size_t hash = FindUnescaped(answer, '#');
    return hash == std::string_view::npos ? answer : answer.substr(0, hash);
  }

  // The answers of a multiple-choice block. False when the question is left out.
  bool Choices(const Paragraph& p, std::string_view block, std::size_t blockStart,
               TextFormat questionFormat, bridge::Question* question) {
    std::size_t general = FindUnescapedPair(block, "##");
    // General feedback is "####text"; a lone "##" is two empty feedbacks and cut below.
    if (general != std::string_view::npos && block.substr(general, 4) == "####") {
      if (!Trim(block.substr(general + 4)).empty()) report_->Count(Drop::kFeedback);
      block = block.substr(0, general);
    }
    std::size_t i = 0;
    while (i < block.size() && block[i] != '~' && block[i] != '=') {
      if (block[i] == '\\') ++i;
      ++i;
    }
    while (i < block.size()) {
      char mark = block[i];
      std::size_t start = i + 1;
      std::size_t end = start;
      while (end < block.size() && block[end] != '~' && block[end] != '=') {
        if (block[end] == '\\') ++end;
        ++end;
      }
      if (end > block.size()) end = block.size();
      int line = p.LineAt(blockStart + i);
      Answer(mark, block.substr(start, end - start), line, questionFormat, question);
      i = end;
    }
    if (question->variants.size() < 2) {
      LeaveOut(source_, question->line, "multiple-choice", "it has fewer than two answers",
               report_);
      return false;
    }
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
      report_->Lose(source_.name, line, "empty answer left out");
      return;
    }
    question->variants.push_back(Variant{std::move(text), correct, line});
  }

  void Finish(bridge::Question question, std::string_view kind) {
    if (question.task.empty()) {
      LeaveOut(source_, question.line, kind, "its text is empty", report_);
      return;
    }
    sink_.Add(std::move(question));
  }

  const Source& source_;
  Report* report_;
  TopicSink sink_;
};

}  // namespace

void ReadGift(const Source& source, std::string_view bytes, Bank* bank, Report* report) {
  GiftReader reader(source, bank, report);
  reader.Read(bytes);
}

}  // namespace bridge
