// Moodle XML quizzes into the bank model: read by libxml2 (xml_input.h), walked with pugixml.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include <pugixml.hpp>

#include "bridge/pictures.h"
#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"
#include "bridge/xml_input.h"

namespace bridge {

namespace {

class XmlReader {
 public:
  XmlReader(const Source& source, Bank* bank, Report* report, const XmlInput& lines)
      : source_(source), bank_(bank), report_(report), lines_(lines), sink_(source, bank) {}

  void Quiz(pugi::xml_node quiz) {
    for (pugi::xml_node q : quiz.children("question")) Question(q);
  }

 private:
  int LineOf(pugi::xml_node node) const { return lines_.LineAt(node.offset_debug()); }

  // The whole text of an element's <text>: Moodle writes a text holding "]]>" as two CDATA
  // sections, and comments may stand between the pieces.
  static std::string WholeText(pugi::xml_node holder) {
    std::string text;
    for (pugi::xml_node piece : holder.child("text").children())
      if (piece.type() == pugi::node_pcdata || piece.type() == pugi::node_cdata)
        text += piece.value();
    return text;
  }

  // A text's format: its own attribute, else `fallback` (Moodle's rule: question texts are
  // HTML, answers take their question's format).
  static std::string FormatOf(pugi::xml_node holder, const std::string& fallback) {
    pugi::xml_attribute format = holder.attribute("format");
    return format ? std::string(format.value()) : fallback;
  }

  // The text of an element holding <text> and perhaps <file> children, made plain. Every format
  // but plain_text is shown by Moodle as HTML (moodle_auto_format and markdown pass HTML too).
  std::string Text(pugi::xml_node holder, const std::string& format, int line) {
    std::string raw = WholeText(holder);
    std::vector<std::string> shown;
    // Its files are read only when a picture of the text names them.
    std::vector<AttachedFile> attached;
    for (pugi::xml_node file : holder.children("file"))
      attached.push_back(AttachedFile{file.attribute("name").value(), file.text().get(),
                                      LineOf(file), false});
    PictureSource pictures{bank_, &attached};
    std::string plain = format != "plain_text"
                            ? HtmlAsText(raw, source_, line, report_, &shown, &pictures)
                            : PlainText(raw);
    for (const AttachedFile& file : attached) {
      // A file the text shows was noted with its image or player, or is its picture; the others
      // are noted here.
      if (file.used) continue;
      if (!file.name.empty() && std::find(shown.begin(), shown.end(), file.name) != shown.end())
        continue;
      report_->Lose(source_.name, file.line,
                    lang::Say(lang::Id::kAttachedFileDropped, file.name));
    }
    return plain;
  }

  void CountFeedback(pugi::xml_node node) {
    if (!FoldSpace(WholeText(node)).empty()) report_->Count(Drop::kFeedback);
  }

  // The picture of the question in the form of older Moodle versions: a path and its data,
  // shown after the question's text. Its mark, or an empty text (noted).
  std::string OldImage(pugi::xml_node q, int line) {
    std::string path = FoldSpace(q.child("image").text().get());
    std::string data = q.child("image_base64").text().get();
    if (FoldSpace(data).empty()) {
      // A path alone names a file of the course, which the file does not hold.
      if (!path.empty())
        report_->Lose(source_.name, line, lang::Say(lang::Id::kImageFileDropped, path));
      return std::string();
    }
    std::string name = PictureFileName(path.empty() ? "picture" : path);
    std::string shown = path.empty() ? "<image_base64>" : path;
    std::string bytes;
    if (!DecodeBase64(data, &bytes)) {
      report_->Lose(source_.name, line, lang::Say(lang::Id::kPictureNotDecoded, shown));
      return std::string();
    }
    PictureSource pictures{bank_, nullptr};
    return TakePicture(name, std::string(), std::move(bytes), shown, source_, line, pictures,
                       report_);
  }

  static double Fraction(pugi::xml_node answer) {
    return std::strtod(answer.attribute("fraction").value(), nullptr);
  }

  void Question(pugi::xml_node q) {
    std::string type = q.attribute("type").value();
    int line = LineOf(q);
    if (type == "category") {
      sink_.Category(WholeText(q.child("category")), line);
      return;
    }
    if (type != "multichoice" && type != "truefalse" && type != "description") {
      LeaveOut(source_, line, MoodleKind(type), lang::Say(lang::Id::kWhyOnlyChoiceQuestions),
               report_);
      return;
    }
    if (!FoldSpace(WholeText(q.child("name"))).empty()) report_->Count(Drop::kTitle);
    for (const char* feedback :
         {"generalfeedback", "correctfeedback", "partiallycorrectfeedback", "incorrectfeedback"})
      CountFeedback(q.child(feedback));
    for (pugi::xml_node hint : q.children("hint")) CountFeedback(hint);

    bridge::Question question;
    question.line = line;
    pugi::xml_node questionText = q.child("questiontext");
    std::string format = FormatOf(questionText, "html");
    question.task = Text(questionText, format, line);
    if (std::string old = OldImage(q, line); !old.empty())
      question.task = question.task.empty() ? old : question.task + " " + old;

    if (type == "truefalse") {
      // Older and localised exports name the answers otherwise: Moodle takes them in order,
      // the first as true, and so do we, with a note.
      bool trueCorrect = false, falseCorrect = false, first = true, renamed = false;
      for (pugi::xml_node a : q.children("answer")) {
        std::string value = FoldSpace(WholeText(a));
        CountFeedback(a.child("feedback"));
        if (value != "true" && value != "false") {
          value = first ? "true" : "false";
          renamed = true;
        }
        first = false;
        if (value == "true") trueCorrect = Fraction(a) >= 100;
        if (value == "false") falseCorrect = Fraction(a) >= 100;
      }
      if (renamed) report_->Remark(source_.name, line, lang::Say(lang::Id::kTrueFalseNotNamed));
      question.variants.push_back(Variant{"Верно", trueCorrect, line});
      question.variants.push_back(Variant{"Неверно", falseCorrect, line});
    } else if (type == "multichoice") {
      // Answers past the program's limit are counted, not kept: a question of thousands of
      // answers is left out whole, as the bank writer would, without holding them all.
      std::size_t answers = 0;
      for (pugi::xml_node a : q.children("answer")) {
        int answerLine = LineOf(a);
        double fraction = Fraction(a);
        if (fraction != 0 && fraction != 100) report_->Count(Drop::kWeight);
        CountFeedback(a.child("feedback"));
        std::string text = Text(a, FormatOf(a, format), answerLine);
        if (text.empty()) {
          report_->Lose(source_.name, answerLine, lang::Say(lang::Id::kEmptyAnswerLeftOut));
          continue;
        }
        if (++answers <= static_cast<std::size_t>(kMaxVariantsPerQuestion))
          question.variants.push_back(Variant{std::move(text), fraction > 0, answerLine});
      }
      if (answers > static_cast<std::size_t>(kMaxVariantsPerQuestion)) {
        report_->Lose(
            source_.name, line,
            lang::Say(lang::Id::kQuestionLeftOut,
                      lang::Say(lang::Id::kWhyTooManyVariants, answers, kMaxVariantsPerQuestion)));
        return;
      }
      if (question.variants.size() < 2) {
        LeaveOut(source_, line, MoodleKind(type), lang::Say(lang::Id::kWhyFewerThanTwoAnswers),
                 report_);
        return;
      }
    }
    if (question.task.empty()) {
      LeaveOut(source_, line, MoodleKind(type), lang::Say(lang::Id::kWhyTextEmpty), report_);
      return;
    }
    sink_.Add(std::move(question));
  }

  const Source& source_;
  Bank* bank_;
  Report* report_;
  const XmlInput& lines_;
  TopicSink sink_;
};

}  // namespace

bool ReadMoodleXml(const Source& source, std::string_view bytes, Bank* bank, Report* report,
                   std::string* error, Encoding forced) {
  XmlInput input;
  if (!ReadXmlInput(source, bytes, forced, &input, report, error)) return false;
  std::string& text = input.xml;
  pugi::xml_document document;
  pugi::xml_parse_result result = document.load_buffer_inplace(
      text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result) {
    // libxml2 found it well-formed: only a limit of pugixml's own can refuse it here.
    *error = lang::Tr(lang::Id::kXmlError, input.LineAt(result.offset), result.description());
    return false;
  }
  pugi::xml_node quiz = document.child("quiz");
  if (!quiz) {
    pugi::xml_node root = document.document_element();
    *error = lang::Tr(lang::Id::kXmlNotQuiz, root ? input.LineAt(root.offset_debug()) : 1);
    return false;
  }
  XmlReader reader(source, bank, report, input);
  reader.Quiz(quiz);
  return true;
}

}  // namespace bridge
