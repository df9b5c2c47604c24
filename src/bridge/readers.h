// Readers of foreign question formats into the in-memory model.
//
// Each reader appends the topics of one input to `bank` (a category met again continues its
// topic; questions before any category go to a topic titled source.stem), normalises texts,
// leaves out what the program cannot show (with a note) and counts what it drops by design.
// Limits in Windows-1251 bytes are checked later, by the bank writer.
#pragma once

#include <string>
#include <string_view>

#include "bridge/encoding.h"
#include "bridge/model.h"

namespace bridge {

enum class Format { kUnknown, kGift, kAiken, kMoodleXml, kCsv, kDocx, kXlsx, };

// "gift", "aiken", "moodle-xml", "csv", "docx", "xlsx" -> the format; kUnknown otherwise.
Format ParseFormat(std::string_view name);
// By extension (.gift .aiken .xml .csv .docx .xlsx, any case; a .doc or .xls that is a zip
// or a legacy compound file is taken for its successor, whose reader names it); a .txt by its content: GIFT when it has
// "::", "{" or "$CATEGORY:", else Aiken when it has an "ANSWER:" line; kUnknown otherwise.
Format DetectFormat(std::string_view fileName, std::string_view bytes);

// Aiken's line kinds, as its reader tells them in a line trimmed of blanks: an option ("A) text",
// "A. text", also without the blank) and the answer line ("ANSWER: X").
bool IsAikenOption(std::string_view line);
bool IsAikenAnswer(std::string_view line);

// The text formats read UTF-8 (DecodeInput gives it; a UTF-8 byte order mark is skipped).
void ReadGift(const Source& source, std::string_view text, Bank* bank, Report* report);
void ReadAiken(const Source& source, std::string_view text, Bank* bank, Report* report);
void ReadCsv(const Source& source, std::string_view text, Bank* bank, Report* report);
// Moodle XML reads the file's bytes, in `forced` or as they tell their encoding (xml_input.h).
// False, with *error as "LINE: what", when the XML parser rejects the input.
bool ReadMoodleXml(const Source& source, std::string_view bytes, Bank* bank, Report* report,
                   std::string* error, Encoding forced = Encoding::kAuto);

// Word documents and spreadsheets read the file's bytes, a zip of XML parts. False, with
// *reason, when the input is refused whole: not a zip (a legacy .doc or .xls named as such), a
// part past the limits of zip_archive.h, XML that is not well-formed, a sheet with another
// header, a document in which no question is found.
bool ReadDocx(const Source& source, std::string_view bytes, Bank* bank, Report* report,
              lang::Text* reason);
bool ReadXlsx(const Source& source, std::string_view bytes, Bank* bank, Report* report,
              lang::Text* reason);
inline bool IsOffice(Format format) {
  return format == Format::kDocx || format == Format::kXlsx;
}

// Dispatches on `format`: UTF-8 text for the text formats, the file's bytes for Moodle XML.
// False only for an XML parser error (then *error is set).
bool ReadAny(Format format, const Source& source, std::string_view bytes, Bank* bank,
             Report* report, std::string* error, Encoding forced = Encoding::kAuto);

}  // namespace bridge
