// What the readers share: line splitting, categories as topics, leaving questions out.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/model.h"

namespace bridge {

struct Line {
  std::string_view text;
  int number;  // 1-based
};

// Splits at CR LF, LF or CR. A final line break gives no empty last line.
std::vector<Line> SplitLines(std::string_view text);

// The same lines one at a time, for readers of large inputs: a vector of every line of a
// 20 MB file of short lines would take several times the file.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(Line* line);
  // Offset of `line` (given by this reader) in the text.
  std::size_t OffsetOf(const Line& line) const {
    return static_cast<std::size_t>(line.text.data() - text_.data());
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int number_ = 1;
};

// The line of an offset in a text whose first line is `first`, for offsets met mostly in
// increasing order: counts line breaks (CR LF, LF or CR) from the last offset asked.
class LineCounter {
 public:
  LineCounter(std::string_view text, int first) : text_(text), first_(first), line_(first) {}
  int At(std::size_t offset);

 private:
  std::string_view text_;
  int first_;
  std::size_t pos_ = 0;
  int line_;
};

// Title of a category path: its last non-empty component, with "//" read as a literal "/".
std::string CategoryTitle(std::string_view path);

// Puts questions into the topics of one input: questions before any category go to a topic
// titled with the input's stem; a category met again continues its topic.
class TopicSink {
 public:
  TopicSink(const Source& source, Bank* bank) : source_(source), bank_(bank) {}
  void Category(std::string_view path, int line);
  // The input the notes of the current topic name (Topic::input).
  void NameInput(std::string input);
  void Add(Question question);

 private:
  int Find(const std::string& key, const std::string& title, int line);

  const Source& source_;
  Bank* bank_;
  std::map<std::string, int> topicOfKey_;  // category path -> index into bank_->topics
  int current_ = -1;  // index into bank_->topics, -1 before any question or category
};

// A file attached to a text (Moodle XML's <file name="..." encoding="base64">).
struct AttachedFile {
  std::string name;
  std::string_view base64;
  int line = 0;
  bool used = false;  // a picture of the text took it
};

// Where the pictures of an HTML text come from: its attached files for
// `@@PLUGINFILE@@/name`, and the input's folder (Source::folder) for a relative path. Each
// picture read goes into bank->pictures.
struct PictureSource {
  Bank* bank = nullptr;
  std::vector<AttachedFile>* attached = nullptr;  // may be null
};

// A text read as written, white space folded: a picture mark of its own would be taken for one of
// the bank's pictures, so it becomes U+FFFD, as in an HTML text.
std::string PlainText(std::string_view raw);

// A picture file's bytes in, its mark out (into source.bank), or an empty text with a loss
// noted at `line`: `shown` names it in notes.
std::string TakePicture(std::string name, std::string alt, std::string bytes,
                        const std::string& shown, const Source& source, int line,
                        const PictureSource& pictures, Report* report);

// An HTML text made plain (HtmlToText), its removed tags counted as formatting and each image,
// player, embedded object and link to an attached file it drops noted at `line`. The attached
// files those notes cover are appended to *files when it is not null.
// With `pictures`, each <img> becomes a picture mark when its picture can be read, and is
// dropped with a note otherwise.
std::string HtmlAsText(std::string_view html, const Source& source, int line, Report* report,
                       std::vector<std::string>* files = nullptr,
                       const PictureSource* pictures = nullptr);

// "INPUT:LINE: KIND question left out: WHY" ("question left out: WHY" when `kind` is empty).
void LeaveOut(const Source& source, int line, const lang::Text& kind, lang::Text why,
              Report* report);
// Kinds of question for LeaveOut: Moodle's own type names stay as Moodle writes them.
inline lang::Text NoKind() {
  return {};
}
inline lang::Text MoodleKind(const std::string& type) {
  return type.empty() ? lang::Say(lang::Id::kKindUntyped)
                      : lang::Say(lang::Id::kKindMoodleType, type);
}

}  // namespace bridge
