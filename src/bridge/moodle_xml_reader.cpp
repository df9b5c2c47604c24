// Moodle XML quizzes into the bank model, through pugixml.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pugixml.hpp>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

// Source lines of byte offsets in the text given to the parser.
struct LineMap {
  std::vector<std::size_t> starts{0};

  explicit LineMap(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i)
      if (s[i] == '\n') starts.push_back(i + 1);
  }
  int At(std::ptrdiff_t offset) const {
    if (offset < 0) return 0;
    auto it = std::upper_bound(starts.begin(), starts.end(), static_cast<std::size_t>(offset));
    return static_cast<int>(it - starts.begin());
  }
};

class XmlReader {
 public:
  XmlReader(const Source& source, Bank* bank, Report* report, const LineMap& lines)
      : source_(source), report_(report), lines_(lines), sink_(source, bank) {}

  void Quiz(pugi::xml_node quiz) {
    for (pugi::xml_node q : quiz.children("question")) Question(q);
  }

 private:
  int LineOf(pugi::xml_node node) const { return lines_.At(node.offset_debug()); }

  // The text of an element holding <text> and perhaps <file> children, made plain.
  std::string Text(pugi::xml_node holder, int line) {
    std::string raw = holder.child("text").text().get();
    std::string format = holder.attribute("format").value();
    std::string plain = format == "html" ? HtmlAsText(raw, source_, line, report_) : FoldSpace(raw);
    for (pugi::xml_node file : holder.children("file")) {
      std::string name = file.attribute("name").value();
      // Images were reported with their <img>; a file the text does not show is reported here.
      if (format == "html" && !name.empty() && raw.find(name) != std::string::npos) continue;
      report_->Lose(source_.name, LineOf(file),
                    "attached file '" + name + "' dropped: the program shows text only");
    }
    return plain;
  }

  void CountFeedback(pugi::xml_node node) {
    if (!FoldSpace(node.child("text").text().get()).empty()) report_->Count(Drop::kFeedback);
  }

  static double Fraction(pugi::xml_node answer) {
    return std::strtod(answer.attribute("fraction").value(), nullptr);
  }

  void Question(pugi::xml_node q) {
    std::string type = q.attribute("type").value();
    int line = LineOf(q);
    if (type == "category") {
      sink_.Category(q.child("category").child("text").text().get(), line);
      return;
    }
    if (type != "multichoice" && type != "truefalse" && type != "description") {
      LeaveOut(source_, line, type.empty() ? std::string("untyped") : type,
               "the program asks only choice questions", report_);
      return;
    }
    if (!FoldSpace(q.child("name").child("text").text().get()).empty())
      report_->Count(Drop::kTitle);
    for (const char* feedback :
         {"generalfeedback", "correctfeedback", "partiallycorrectfeedback", "incorrectfeedback"})
      CountFeedback(q.child(feedback));
    for (pugi::xml_node hint : q.children("hint")) CountFeedback(hint);

    bridge::Question question;
    question.line = line;
    question.task = Text(q.child("questiontext"), line);

    if (type == "truefalse") {
      bool trueCorrect = false, falseCorrect = false;
      for (pugi::xml_node a : q.children("answer")) {
        std::string value = FoldSpace(a.child("text").text().get());
        CountFeedback(a.child("feedback"));
        if (value == "true") trueCorrect = Fraction(a) >= 100;
        if (value == "false") falseCorrect = Fraction(a) >= 100;
      }
      question.variants.push_back(Variant{"Верно", trueCorrect, line});
      question.variants.push_back(Variant{"Неверно", falseCorrect, line});
    } else if (type == "multichoice") {
      for (pugi::xml_node a : q.children("answer")) {
        int answerLine = LineOf(a);
        double fraction = Fraction(a);
        if (fraction != 0 && fraction != 100) report_->Count(Drop::kWeight);
        CountFeedback(a.child("feedback"));
        std::string text = Text(a, answerLine);
        if (text.empty()) {
          report_->Lose(source_.name, answerLine, "empty answer left out");
          continue;
        }
        question.variants.push_back(Variant{std::move(text), fraction > 0, answerLine});
      }
      if (question.variants.size() < 2) {
        LeaveOut(source_, line, type, "it has fewer than two answers", report_);
        return;
      }
    }
    if (question.task.empty()) {
      LeaveOut(source_, line, type, "its text is empty", report_);
      return;
    }
    sink_.Add(std::move(question));
  }

  const Source& source_;
  Report* report_;
  const LineMap& lines_;
  TopicSink sink_;
};

}  // namespace

bool ReadMoodleXml(const Source& source, std::string_view bytes, Bank* bank, Report* report,
                   std::string* error) {
  // Line ends made LF here, so that the parser's offsets count lines as the file does.
  std::string text;
  text.reserve(bytes.size());
  std::string_view in = SkipBom(bytes);
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r') {
      text.push_back('\n');
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
    } else {
      text.push_back(in[i]);
    }
  }
  LineMap lines(text);
  pugi::xml_document document;
  pugi::xml_parse_result result =
      document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result) {
    *error = std::to_string(lines.At(result.offset)) + ": XML error: " + result.description();
    return false;
  }
  pugi::xml_node quiz = document.child("quiz");
  if (!quiz) {
    pugi::xml_node root = document.document_element();
    *error = std::to_string(root ? lines.At(root.offset_debug()) : 1) +
             ": not a Moodle XML quiz: the root element is not <quiz>";
    return false;
  }
  XmlReader reader(source, bank, report, lines);
  reader.Quiz(quiz);
  return true;
}

}  // namespace bridge
