// What exameo-check knows about the two file formats of a question bank.
//
// The program itself says nothing when a file is wrong: a stray byte quietly becomes part of a
// title, a line without its TAB becomes a question. These checks look at the raw bytes of a file
// and say, line by line, what the program would make of each mistake.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace check {

// One thing wrong with a file.
struct Problem {
  std::string file;  // as shown to the user
  int line;          // from 1; 0 when it concerns the whole file
  std::string message;
};

struct Report {
  std::vector<Problem> problems;
  void Add(const std::string& file, int line, std::string message);
};

enum class FileKind { kQuestions, kTopics };

// A file given on its own is a description file when every non-empty line after the first
// begins with a TAB and holds a double quote (and there is at least one such line); otherwise
// it is a question file.
FileKind Classify(std::string_view bytes);

// Checks the bytes of a question file.
void CheckQuestions(std::string_view bytes, const std::string& file, Report* report);

// A question file named by a description file, as written between the quotes.
struct TopicPath {
  std::string path;  // Windows-1251, relative to the database directory
  int line;
};

// Checks the bytes of a description file and returns the paths of its well-formed topic lines,
// for the caller to look up.
std::vector<TopicPath> CheckTopics(std::string_view bytes, const std::string& file, Report* report);

// The program keeps "Base\" and the name of a description file in 47 bytes.
inline constexpr int kMaxDescriptionName = 42;
void CheckDescriptionName(std::string_view name, const std::string& file, Report* report);

// Windows-1251 bytes as UTF-8, for messages and JSON; 0x98 becomes U+FFFD.
std::string ToUtf8(std::string_view bytes);
// UTF-8 (a file name as the system gives it) as Windows-1251; characters the code page lacks
// become '?'.
std::string ToCp1251(std::string_view utf8);
// Windows-1251 bytes as a quoted JSON string.
std::string JsonString(std::string_view bytes);

}  // namespace check
