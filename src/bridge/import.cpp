// exameo-import: reads every input first, then writes all disciplines or none.
#include "bridge/import.h"

#include <algorithm>
#include <string>
#include <vector>

#include "bridge/bank_writer.h"
#include "bridge/host.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

constexpr char kUsage[] =
    "Usage: exameo-import [--format gift|aiken|moodle-xml|csv] [--title TITLE] INPUT... FOLDER\n"
    "Makes each INPUT a new discipline in FOLDER/Base (created when missing).\n"
    "  --format F   read every INPUT as F instead of telling by its extension\n"
    "               (.gift, .aiken, .xml, .csv; a .txt by its content)\n"
    "  --title T    the discipline's title (one INPUT only); else the file's name\n"
    "\n"
    "What comes in: multiple-choice questions (one or several right answers), true/false\n"
    "(variants \"Верно\" and \"Неверно\") and descriptions (a card without variants).\n"
    "Each INPUT becomes Base\\N.txt (the smallest free N), each of its categories a topic\n"
    "Base\\dN\\K.txt. Texts become Windows-1251; HTML becomes plain text.\n"
    "\n"
    "Left out, each noted on stderr as INPUT:LINE: what and why:\n"
    "  every other type (essay, numerical, matching, short answer, embedded answers);\n"
    "  questions over the program's limits (12 variants, a task of 2047 bytes, a variant\n"
    "  of 1023), topics beyond 128, media files; characters Windows-1251 lacks become '?',\n"
    "  control characters are removed, titles over 1023 bytes are cut.\n"
    "Dropped by design and only counted: question names, feedback, partial-credit weights\n"
    "beyond their sign, formatting marks.\n"
    "\n"
    "All or nothing per INPUT: an INPUT that cannot be read or gives no question writes\n"
    "nothing and is named in the summary; the others are written. Base shows at most 64\n"
    "disciplines: INPUTs take the free places in order, the rest write nothing. Nothing\n"
    "that exists is overwritten.\n"
    "\n"
    "Exit status: 0 everything written; 1 written, with losses or INPUTs that wrote\n"
    "nothing; 2 nothing written.\n";

// Notes listed per input; the rest are counted (each note is a line nobody reads past this).
constexpr std::size_t kNotesListed = 10000;

static_assert(kMaxDisciplines == 64, "the refusal's words name the limit");

// The summary's words for a refusal (kNotWritten never reaches the summary).
const char* RefusalText(Refusal why) {
  switch (why) {
    case Refusal::kUnreadable:
      return "cannot read the file";
    case Refusal::kUnknownFormat:
      return "cannot tell the format";
    case Refusal::kParserRejects:
      return "the XML parser rejects it";
    case Refusal::kNoQuestion:
      return "no question to import";
    case Refusal::kTooManyDisciplines:
      return "Base would hold more than 64 disciplines, the most the program shows";
    case Refusal::kNotWritten:
      return "the writing failed";
    case Refusal::kNone:
      break;
  }
  return "";
}

std::string DropSummary(const Report& report) {
  static constexpr const char* kNames[] = {"question names", "feedback texts",
                                           "partial-credit weights", "formatting marks",
                                           "empty answers"};
  std::string text;
  for (int k = 0; k < static_cast<int>(Drop::kCount); ++k) {
    int n = report.drops[k];
    if (n == 0) continue;
    text += text.empty() ? "; dropped by design: " : ", ";
    text += std::to_string(n) + " " + kNames[k];
  }
  return text;
}

int Usage(std::FILE* err, const std::string& why) {
  std::fprintf(err, "exameo-import: %s\n%s", why.c_str(), kUsage);
  return kImportNothing;
}

}  // namespace

int RunImport(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  Format forced = Format::kUnknown;
  bool haveTitle = false;
  std::string title;
  std::vector<std::string> positional;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (options && (arg == "--help" || arg == "-h")) {
      std::fputs(kUsage, out);
      return kImportClean;
    }
    if (options && arg == "--") {
      options = false;
      continue;
    }
    if (options && (arg == "--format" || arg.rfind("--format=", 0) == 0)) {
      std::string value;
      if (arg == "--format") {
        if (i + 1 >= argc) return Usage(err, "--format needs a value");
        value = argv[++i];
      } else {
        value = arg.substr(9);
      }
      forced = ParseFormat(value);
      if (forced == Format::kUnknown) return Usage(err, "unknown format '" + value + "'");
      continue;
    }
    if (options && (arg == "--title" || arg.rfind("--title=", 0) == 0)) {
      if (arg == "--title") {
        if (i + 1 >= argc) return Usage(err, "--title needs a value");
        title = argv[++i];
      } else {
        title = arg.substr(8);
      }
      haveTitle = true;
      continue;
    }
    if (options && arg.size() > 1 && arg[0] == '-') return Usage(err, "unknown option " + arg);
    positional.push_back(arg);
  }
  if (positional.size() < 2) return Usage(err, "name at least one INPUT and the FOLDER");
  if (haveTitle && positional.size() != 2) return Usage(err, "--title goes with one INPUT only");
  if (haveTitle && FoldSpace(title).empty()) return Usage(err, "--title is empty");

  std::vector<std::string> inputs(positional.begin(), positional.end() - 1);
  ImportOutcome outcome =
      ImportInputs(PathFromUtf8(positional.back()), inputs, forced, haveTitle ? &title : nullptr);
  if (outcome.failure == ImportFailure::kNoFolder) {
    std::fprintf(err, "%s: no such folder; nothing written\n", positional.back().c_str());
    return kImportNothing;
  }

  // What each input said while read, in the order given.
  for (const ImportedInput& in : outcome.inputs) {
    switch (in.refused) {
      case Refusal::kUnreadable:
        std::fprintf(err, "%s: cannot read the file\n", in.name.c_str());
        continue;
      case Refusal::kUnknownFormat:
        std::fprintf(err,
                     "%s: cannot tell the format: name the file .gift, .aiken, .xml or .csv, or "
                     "use --format\n",
                     in.name.c_str());
        continue;
      case Refusal::kParserRejects:
        std::fprintf(err, "%s:%s\n", in.name.c_str(), in.detail.c_str());
        continue;
      default:
        break;
    }
    PrintNotes(err, in.report.notes);
    if (in.report.unlisted > 0)
      std::fprintf(err, "%s: %d more losses not listed\n", in.name.c_str(), in.report.unlisted);
  }
  if (outcome.failure == ImportFailure::kCannotList) {
    std::fprintf(err, "%s: cannot list the folder; nothing written\n",
                 outcome.failureDetail.c_str());
    return kImportNothing;
  }
  if (outcome.failure == ImportFailure::kCannotWrite) {
    std::fprintf(err, "%s; nothing written\n", outcome.failureDetail.c_str());
    return kImportNothing;
  }

  for (const ImportedInput& in : outcome.inputs) {
    if (in.refused != Refusal::kNone) {
      std::fprintf(out, "%s: nothing written: %s\n", in.name.c_str(), RefusalText(in.refused));
      continue;
    }
    std::fprintf(out, "%s: %d questions in %d topics written as Base\\%d.txt%s%s\n",
                 in.name.c_str(), in.questions, in.topics, in.number,
                 in.report.Clean()
                     ? ""
                     : ("; " + std::to_string(in.report.Losses()) + " losses reported").c_str(),
                 DropSummary(in.report).c_str());
  }
  if (outcome.written == 0) {
    std::fprintf(err, "exameo-import: nothing written\n");
    return kImportNothing;
  }
  return outcome.Lossy() ? kImportLossy : kImportClean;
}

bool ImportOutcome::Lossy() const {
  for (const ImportedInput& in : inputs)
    if (in.refused != Refusal::kNone || !in.report.Clean()) return true;
  return false;
}

ImportOutcome ImportInputs(const std::filesystem::path& folder,
                           const std::vector<std::string>& names, Format forced,
                           const std::string* title) {
  ImportOutcome outcome;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    outcome.failure = ImportFailure::kNoFolder;
    outcome.failureDetail = Utf8FromPath(folder);
    return outcome;
  }

  // Each input is read whole first; one that gives nothing is named and the others go on.
  outcome.inputs.resize(names.size());
  std::vector<EncodedDiscipline> encoded(names.size());  // one for each input
  for (std::size_t i = 0; i < names.size(); ++i) {
    ImportedInput& in = outcome.inputs[i];
    in.name = names[i];
    std::filesystem::path path = PathFromUtf8(in.name);
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) {
      in.refused = Refusal::kUnreadable;
      continue;
    }
    std::string fileName = Utf8FromPath(path.filename());
    Format format = forced != Format::kUnknown ? forced : DetectFormat(fileName, bytes);
    if (format == Format::kUnknown) {
      in.refused = Refusal::kUnknownFormat;
      continue;
    }
    Source source{in.name, Utf8FromPath(path.stem())};
    Bank bank;
    in.report.listLimit = kNotesListed;
    StreamEncoder encoder(in.name, &in.report);
    encoder.Attach(&bank);
    if (!ReadAny(format, source, bytes, &bank, &in.report, &in.detail)) {
      in.refused = Refusal::kParserRejects;
      continue;
    }
    bank.title = title != nullptr ? *title : source.stem;
    encoded[i] = encoder.Finish(bank);
    std::stable_sort(in.report.notes.begin(), in.report.notes.end(),
                     [](const Note& a, const Note& b) { return a.line < b.line; });
    in.questions = encoded[i].questions;
    in.topics = static_cast<int>(encoded[i].topicFiles.size());
    in.title = Cp1251ToUtf8(encoded[i].title);
    if (encoded[i].questions == 0) in.refused = Refusal::kNoQuestion;
  }

  // The program shows 64 disciplines: inputs take the free places in the order given.
  std::filesystem::path base = folder / "Base";
  int existing = CountDisciplines(base);
  if (existing < 0) {
    outcome.failure = ImportFailure::kCannotList;
    outcome.failureDetail = Utf8FromPath(base);
    for (ImportedInput& in : outcome.inputs)
      if (in.refused == Refusal::kNone) in.refused = Refusal::kNotWritten;
    return outcome;
  }
  std::vector<EncodedDiscipline> accepted;
  std::vector<std::size_t> owners;  // the input of each accepted discipline
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (outcome.inputs[i].refused != Refusal::kNone) continue;
    if (existing + static_cast<int>(accepted.size()) >= kMaxDisciplines) {
      outcome.inputs[i].refused = Refusal::kTooManyDisciplines;
      continue;
    }
    accepted.push_back(std::move(encoded[i]));
    owners.push_back(i);
  }
  if (accepted.empty()) return outcome;

  std::vector<int> numbers;
  std::string error;
  if (!WriteDisciplines(base, accepted, &numbers, &error)) {
    outcome.failure = ImportFailure::kCannotWrite;
    outcome.failureDetail = error;
    for (std::size_t i : owners) outcome.inputs[i].refused = Refusal::kNotWritten;
    return outcome;
  }
  for (std::size_t k = 0; k < owners.size(); ++k) outcome.inputs[owners[k]].number = numbers[k];
  outcome.written = static_cast<int>(owners.size());
  return outcome;
}

}  // namespace bridge
