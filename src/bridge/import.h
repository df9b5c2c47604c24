// exameo-import: foreign question files in, new disciplines in a Base folder out.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bridge/encoding.h"
#include "bridge/model.h"
#include "bridge/readers.h"

namespace bridge {

inline constexpr int kImportClean = 0;    // written, nothing reported
inline constexpr int kImportLossy = 1;    // written, with reported losses
inline constexpr int kImportNothing = 2;  // nothing written

// Why one input wrote nothing. Words are left to whoever shows them (the tool in English, the
// program in Russian); `detail` carries what only the reader knows.
enum class Refusal {
  kNone,                // written
  kUnreadable,          // the file cannot be read
  kUnknownFormat,       // neither its name nor its content tells the format
  kParserRejects,       // the XML parser rejects it; detail: "LINE: what"
  kNoQuestion,          // read, but nothing the program can show
  kTooManyDisciplines,  // Base would hold more than kMaxDisciplines
  kNotWritten,          // it was ready, but the writing failed for all (see ImportOutcome)
  kReason,              // a Word document or a spreadsheet refused whole: `reason` says why
};

// One input of a run, in the order given.
struct ImportedInput {
  std::string name;  // as given (UTF-8)
  Refusal refused = Refusal::kNone;
  std::string detail;
  lang::Text reason;  // for kReason
  Report report;      // the notes, in the order of their lines
  int questions = 0;  // written (or that would have been)
  int topics = 0;
  std::string title;  // the discipline's title as written, UTF-8
  int number = 0;     // N of Base\N.txt once written; 0 otherwise
};

// Why the run as a whole wrote nothing.
enum class ImportFailure {
  kNone,
  kNoFolder,     // the folder named to hold Base is not a folder
  kCannotList,   // Base exists but cannot be listed
  kCannotWrite,  // the writer failed: detail says where (its own words, English)
};

struct ImportOutcome {
  std::vector<ImportedInput> inputs;
  ImportFailure failure = ImportFailure::kNone;
  std::string failureDetail;  // the path, or the writer's message
  int written = 0;            // inputs written as disciplines

  bool Lossy() const;  // an input refused or a loss reported (remarks are no loss)
};

// How the inputs of a run are read.
struct ImportOptions {
  Format format = Format::kUnknown;     // kUnknown: told by each input's name and content
  Encoding encoding = Encoding::kAuto;  // kAuto: told by each input (encoding.h)
  const std::string* title = nullptr;   // when not null, titles every discipline
  bool utf8 = false;                    // every file in UTF-8, not only those that need it
};

// The whole import: reads every input first (all or nothing per input), gives the free places
// of Base (at most kMaxDisciplines) in the order given, then writes the accepted ones all
// together into folder/Base (created when missing). Prints nothing.
ImportOutcome ImportInputs(const std::filesystem::path& folder,
                           const std::vector<std::string>& inputs, const ImportOptions& options);
inline ImportOutcome ImportInputs(const std::filesystem::path& folder,
                                  const std::vector<std::string>& inputs, Format forced,
                                  const std::string* title) {
  return ImportInputs(folder, inputs, ImportOptions{forced, Encoding::kAuto, title});
}

// Why an input wrote nothing, in `language` (the program's report shows it in Russian).
std::string RefusalText(Refusal why, lang::Lang language);
// The tool's summary line of one input ("NAME: 3 questions in 1 topics written as Base\\1.txt"
// or "NAME: nothing written: why"), with its line end, in `language`.
std::string InputSummary(const ImportedInput& input, lang::Lang language);

// The whole tool: arguments (UTF-8) in, the summary on `out`, notes and complaints on `err`.
int RunImport(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace bridge
