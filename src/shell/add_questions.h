// Adding question files from the program: the Open dialog's command and dropped files run the
// import in-process into Base, the catalogue is scanned again, the disciplines menu rebuilt and
// the report "Добавление вопросов" shown.
#pragma once

#include <string>
#include <vector>

#include "bridge/import.h"
#include "bridge/readers.h"
#include "platform/handles.h"

namespace adding {

// One filter of the Open dialog: its name, its patterns, and the format it makes every file
// read as (kUnknown: told by name and content, as exameo-import does).
struct FileFilter {
  const char* name;  // UTF-8
  const char* patterns;
  bridge::Format format;
};
inline constexpr FileFilter kFilters[] = {
    {"Вопросы (*.gift;*.txt;*.xml;*.csv;*.aiken;*.docx;*.xlsx)",
     "*.gift;*.txt;*.xml;*.csv;*.aiken;*.docx;*.xlsx", bridge::Format::kUnknown},
    {"GIFT (*.gift;*.txt)", "*.gift;*.txt", bridge::Format::kGift},
    {"Moodle XML (*.xml)", "*.xml", bridge::Format::kMoodleXml},
    {"Aiken (*.aiken;*.txt)", "*.aiken;*.txt", bridge::Format::kAiken},
    {"CSV (*.csv)", "*.csv", bridge::Format::kCsv},
    {"Word (*.docx)", "*.docx", bridge::Format::kDocx},
    {"Excel (*.xlsx)", "*.xlsx", bridge::Format::kXlsx},
    {"Все файлы (*.*)", "*.*", bridge::Format::kUnknown},
};

// The filters as the Open dialog takes them (UTF-8): name, NUL, patterns, NUL, ..., NUL.
std::string FilterString();
// The format the dialog's chosen filter (its 1-based index) forces; kUnknown for the first, the
// last and any index out of range.
bridge::Format FormatOfFilter(int index);

// One note's "what and why" in Russian, as the report shows it whatever the tools' language
// (UTF-8).
std::string NoteInRussian(const bridge::Note& note);
// The report's lines (UTF-8): one per file in the order given, then every note of every file
// as "файл:строка: что и почему".
std::vector<std::string> ReportLines(const bridge::ImportOutcome& outcome);

// What the last adding showed.
struct Added {
  std::vector<std::string> lines;  // UTF-8
  int firstNew = -1;               // catalogue entry of the first new discipline; -1: none
};
const Added& LastAdded();

// Imports `paths` (UTF-8) into Base under the working folder, each read as `forced` or as its
// name and content tell; then the catalogue and the menu take the new disciplines, and the
// report opens. Nothing while a box of the quiz flow is up.
void AddQuestionFiles(const std::vector<std::string>& paths, bridge::Format forced);
// The menu command: the Open dialog, then AddQuestionFiles with what was chosen.
void AskAndAdd();
// The report's "Открыть": the chooser of the first new discipline, as its menu item opens it.
void OpenFirstNew();

// The catalogue scanned again: disciplines already listed keep their entries (their indexes
// are held by the chooser, the study state and the review), new ones are appended up to 64.
// Returns the entries appended.
int RescanCatalogue();

}  // namespace adding
