// What exameo-check knows about the two file formats of a question bank.
//
// The program itself says nothing when a file is wrong: a stray byte quietly becomes part of a
// title, a line without its TAB becomes a question. What a file holds is what the program's own
// catalogue and loader read from it; these checks add what the raw bytes tell beyond that (line
// numbers, what was cut or left out, why) and say what the program would make of each mistake.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bank/catalogue.h"
#include "common/texts.h"

namespace check {

// One thing wrong with a file.
struct Problem {
  std::string file;  // as shown to the user
  int line;          // from 1; 0 when it concerns the whole file
  lang::Text text;   // kept as a text of the table: the tool says it in the user's language

  std::string Message(lang::Lang language = lang::Lang::kEnglish) const {
    return lang::Render(text, language);
  }
};

struct Report {
  std::vector<Problem> problems;
  // Also name the texts of Windows-1251 files that would outgrow their limits in UTF-8.
  bool toUtf8 = false;
  void Add(const std::string& file, int line, lang::Text text);
};

enum class FileKind { kQuestions, kTopics };

// A file given on its own is a description file when every non-empty line after the first
// begins with a TAB and holds a double quote (and there is at least one such line); otherwise
// it is a question file.
FileKind Classify(std::string_view bytes);

// What a question file holds as the checks count it, to be compared with the program's loader:
// the questions (task lines) and the answer variants that have a place (12 per question).
// `questions` is -1 when the checks stopped early (a UTF-16 file) and counted nothing.
struct QuestionCounts {
  int questions = 0;
  long long variants = 0;
  bool operator==(const QuestionCounts&) const = default;
};

// Checks the bytes of a question file.
QuestionCounts CheckQuestions(std::string_view bytes, const std::string& file, Report* report);

// A question file named by a description file, as written between the quotes.
struct TopicPath {
  std::string path;  // Windows-1251 (UTF-8 when `utf8`), relative to the database directory
  int line;
  bool utf8 = false;  // a UTF-8 path Windows-1251 cannot spell (TitlePath::bPathUtf8)
};

// What the program's catalogue made of the lines of a description file after its title.
struct TopicRun {
  int first, last;  // lines, numbered as the catalogue ends them (CR LF, CR, LF)
  bank::TopicLines what;
  int topic;  // the entry, for kKept
};
struct ProgramTopics {
  std::vector<TopicRun> runs;
  std::vector<std::string> paths;  // of the kept topics, relative to the database directory
  std::vector<bool> pathUtf8;      // each path is UTF-8 (TitlePath::bPathUtf8)
};
// A catalogue entry's path without the "Base\" in front, as a description file names it.
std::string RelativePath(const TitlePath& entry);
// The program's reading of description-file bytes (bank::LoadTopicsFromBytes, the parser of
// DisciplineClass::LoadTopics).
ProgramTopics ReadTopics(std::string_view bytes);

// Checks the bytes of a description file and returns the paths of the topics the program keeps,
// for the caller to look up. The program's reading decides what is a topic; the bytes explain.
std::vector<TopicPath> CheckTopics(std::string_view bytes, const std::string& file, Report* report);
std::vector<TopicPath> CheckTopics(std::string_view bytes, const ProgramTopics& program,
                                   const std::string& file, Report* report);

// The program keeps "Base\" and the name of a description file in 47 bytes. `name` holds the
// bytes the program's file layer gives.
inline constexpr int kMaxDescriptionName =
    kPathCapacity - 1 - (static_cast<int>(sizeof kBaseDir) - 1);
void CheckDescriptionName(std::string_view name, const std::string& file, Report* report);

// Windows-1251 bytes as UTF-8, for messages and JSON; 0x98 becomes U+FFFD.
std::string ToUtf8(std::string_view bytes);
// Windows-1251 bytes as UTF-8 for a message: a zero byte shows as \0 instead of ending the text.
std::string ForMessage(std::string_view bytes);
// UTF-8 (a file name as the system gives it) as Windows-1251; characters the code page lacks
// become '?'.
std::string ToCp1251(std::string_view utf8);
// Windows-1251 bytes as a quoted JSON string.
std::string JsonString(std::string_view bytes);
// UTF-8 bytes as a quoted JSON string, each ill-formed sequence as U+FFFD.
std::string JsonUtf8(std::string_view bytes);
// Whether the bytes begin with the UTF-8 byte order mark: the program reads the file as UTF-8.
inline bool HasUtf8Mark(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

}  // namespace check
