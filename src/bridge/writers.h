// Writers of foreign question formats, and exameo-export around them.
//
// A bank is read with the program's own loader and catalogue, so that what goes out is exactly
// what the program shows; each writer then turns it into one format, leaving out (with a note)
// the questions that format cannot carry.
#pragma once

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/model.h"
#include "bridge/pictures.h"
#include "bridge/readers.h"

namespace bridge {

// A bank as the program holds it, texts converted to UTF-8 but otherwise as loaded.
struct ExportBank {
  Bank bank;
  // Per topic: its question file as the user names it, for notes ("FILE:LINE: ...").
  std::vector<std::string> files;
  // Read from a description file: every topic becomes a category "Discipline/Topic".
  bool categories = false;
  // Where GIFT puts its pictures: the folder their <img> name (beside the output), and the files
  // to copy into it. Without it GIFT keeps a picture as its reference's text, as CSV and Aiken do.
  std::string pictureFolder;
  PictureFolder* pictureCopies = nullptr;

  // The name notes give topic `t`: its question file, or the bank's title when none is known.
  const std::string& FileOf(std::size_t t) const {
    return t < files.size() ? files[t] : bank.title;
  }
};

// A text of the bank with each picture written as its reference `![alt](path)` (as the bank
// writes it), the rest as it reads: what a format without pictures carries.
std::string TextWithReferences(const ExportBank& bank, std::string_view text);
// Whether a text shows a picture.
bool ShowsPicture(const ExportBank& bank, std::string_view text);
// Remarks, for a format that keeps pictures as text, each picture of `question` at its line.
void RemarkReferences(const ExportBank& bank, std::size_t topic, const Question& question,
                      const char* format, Report* report);
// The bytes of picture `id`, or false when its file is missing, unreadable, outside Base or no
// picture: then the loss is noted at `line` of `file` with the text put in (its alt).
bool PictureBytes(const ExportBank& bank, std::size_t id, const std::string& file, int line,
                  std::string* bytes, Report* report);

// HTML's special characters (< > & ") as references.
void AppendHtml(std::string_view text, std::string* out);
// %XX for every byte of a file name but letters, digits and "-._~", as a URL holds it.
std::string UrlName(std::string_view name);

// A text with pictures as HTML: its runs escaped, each picture an <img> whose src `place` gives
// (it is handed the picture's name and bytes), or its alt text when it cannot be read (noted).
std::string PictureHtml(const ExportBank& bank, std::string_view text, const std::string& file,
                        int line, Report* report,
                        const std::function<std::string(std::string_view name,
                                                        const std::string& bytes)>& place);

// How PATH is taken: by its place (a description file is a *.txt directly in a folder named
// Base, as the program finds them), or as the user says.
enum class BankKind { kAuto, kQuestions, kTopics };

// Reads `path`, a question file or a description file (as `kind` decides), with the program's
// loader and catalogue. `shown` names it in notes. Question files that cannot be read and
// topics without questions are noted and left out. False, with *error, when `path` itself
// cannot be read.
bool LoadForExport(const std::filesystem::path& path, const std::string& shown, BankKind kind,
                   ExportBank* out, Report* report, std::string* error);

// Whether a file at `path` is a description file by its place: "*.txt" directly in "Base"
// (both without regard to case, as on Windows).
bool IsDescriptionPath(const std::filesystem::path& path);

// Why `format` cannot carry `question`, or an empty text when it can.
lang::Text WhyLeftOut(Format format, const Question& question);

// The weight, in percent as Moodle accepts it, of the `index`-th of `correct` correct variants
// (both from 1 and 0; correct from 1 to 12). The weights of one question sum to 100.
std::string_view CorrectWeight(int correct, int index);

// The category path of a topic: "Discipline/Topic", a '/' in a title doubled.
std::string CategoryPath(std::string_view discipline, std::string_view topic);
// The title of each topic's category: a reader merges the topics of one category, so an empty
// title becomes "Тема K" and a repeated one gets " (2)", " (3)", ... (each noted).
std::vector<std::string> CategoryTitles(const ExportBank& bank, Report* report);

// The category before each topic's questions, for the writers that carry topics: only in a bank
// read from a description file, with the titles of CategoryTitles.
class TopicCategories {
 public:
  TopicCategories(const ExportBank& bank, Report* report);
  // True at the first question written of each topic, with *path its "Discipline/Topic".
  bool Opens(const Topic& topic, std::string* path);

 private:
  const ExportBank& bank_;
  std::vector<std::string> titles_;
  const Topic* current_ = nullptr;
};

// Each writer returns the whole file, UTF-8, and notes every question it leaves out.
std::string WriteGift(const ExportBank& bank, Report* report);
std::string WriteMoodleXml(const ExportBank& bank, Report* report);
std::string WriteAiken(const ExportBank& bank, Report* report);
// With a byte order mark, ';' between fields and CR LF, as spreadsheets read Cyrillic text.
std::string WriteCsv(const ExportBank& bank, Report* report);
// A spreadsheet with the CSV's columns, one worksheet per topic of a description file (named
// after it); a zip, empty only when it could not be made.
std::string WriteXlsx(const ExportBank& bank, Report* report);
std::string WriteFormat(Format format, const ExportBank& bank, Report* report);

// Calls `take(topic, question, index of the topic)` for every question of `bank` that `format` carries, in
// order, and notes the others.
template <class Take>
void ForEachCarried(Format format, const ExportBank& bank, Report* report, Take&& take) {
  for (std::size_t t = 0; t < bank.bank.topics.size(); ++t) {
    const Topic& topic = bank.bank.topics[t];
    const std::string& file = bank.FileOf(t);
    for (const Question& q : topic.questions) {
      lang::Text why = WhyLeftOut(format, q);
      if (why.empty())
        take(topic, q, t);
      else
        report->Lose(file, q.line, lang::Say(lang::Id::kExportLeftOut, std::move(why)));
    }
  }
}

// exameo-export as a whole: arguments (UTF-8) in, output and messages out, exit code back.
int RunExport(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace bridge
