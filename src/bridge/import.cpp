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

struct Input {
  std::string name;  // as given
  Bank bank;
  Report report;
  std::string refused;  // why nothing of it is written; empty when it is
};

// Notes listed per input; the rest are counted (each note is a line nobody reads past this).
constexpr std::size_t kNotesListed = 10000;

// One input's notes in the order of its lines.
void PrintNotesByLine(std::FILE* err, const std::string& input, Report* report) {
  std::vector<Note>& notes = report->notes;
  std::stable_sort(notes.begin(), notes.end(),
                   [](const Note& a, const Note& b) { return a.line < b.line; });
  PrintNotes(err, notes);
  if (report->unlisted > 0)
    std::fprintf(err, "%s: %d more losses not listed\n", input.c_str(), report->unlisted);
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

  std::filesystem::path folder = PathFromUtf8(positional.back());
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    std::fprintf(err, "%s: no such folder; nothing written\n", positional.back().c_str());
    return kImportNothing;
  }

  // Each input is read whole first; one that gives nothing is named and the others go on.
  std::vector<Input> inputs(positional.size() - 1);
  std::vector<EncodedDiscipline> encoded(inputs.size());  // one for each input
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    Input& in = inputs[i];
    in.name = positional[i];
    std::filesystem::path path = PathFromUtf8(in.name);
    std::string bytes;
    if (!ReadWholeFile(path, &bytes)) {
      std::fprintf(err, "%s: cannot read the file\n", in.name.c_str());
      in.refused = "cannot read the file";
      continue;
    }
    std::string fileName = Utf8FromPath(path.filename());
    Format format = forced != Format::kUnknown ? forced : DetectFormat(fileName, bytes);
    if (format == Format::kUnknown) {
      std::fprintf(err,
                   "%s: cannot tell the format: name the file .gift, .aiken, .xml or .csv, or "
                   "use --format\n",
                   in.name.c_str());
      in.refused = "cannot tell the format";
      continue;
    }
    Source source{in.name, Utf8FromPath(path.stem())};
    std::string error;
    in.report.listLimit = kNotesListed;
    StreamEncoder encoder(in.name, &in.report);
    encoder.Attach(&in.bank);
    if (!ReadAny(format, source, bytes, &in.bank, &in.report, &error)) {
      std::fprintf(err, "%s:%s\n", in.name.c_str(), error.c_str());
      in.refused = "the XML parser rejects it";
      continue;
    }
    in.bank.title = haveTitle ? title : source.stem;
    encoded[i] = encoder.Finish(in.bank);
    in.bank = Bank{};  // its files are made: the texts are no longer needed
    PrintNotesByLine(err, in.name, &in.report);
    if (encoded[i].questions == 0) in.refused = "no question to import";
  }

  // The program shows 64 disciplines: inputs take the free places in the order given.
  int existing = CountDisciplines(folder / "Base");
  if (existing < 0) {
    std::fprintf(err, "%s: cannot list the folder; nothing written\n",
                 Utf8FromPath(folder / "Base").c_str());
    return kImportNothing;
  }
  std::vector<EncodedDiscipline> accepted;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (!inputs[i].refused.empty()) continue;
    if (existing + static_cast<int>(accepted.size()) >= kMaxDisciplines) {
      inputs[i].refused = "Base would hold more than " + std::to_string(kMaxDisciplines) +
                          " disciplines, the most the program shows";
      continue;
    }
    accepted.push_back(std::move(encoded[i]));
  }

  std::vector<int> numbers;
  if (!accepted.empty()) {
    std::string error;
    if (!WriteDisciplines(folder / "Base", accepted, &numbers, &error)) {
      std::fprintf(err, "%s; nothing written\n", error.c_str());
      return kImportNothing;
    }
  }
  bool lossy = false;
  std::size_t next = 0;  // into accepted
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const Input& in = inputs[i];
    if (!in.refused.empty()) {
      lossy = true;
      std::fprintf(out, "%s: nothing written: %s\n", in.name.c_str(), in.refused.c_str());
      continue;
    }
    const EncodedDiscipline& d = accepted[next];
    int number = numbers[next++];
    lossy = lossy || !in.report.Clean();
    std::fprintf(out, "%s: %d questions in %zu topics written as Base\\%d.txt%s%s\n",
                 in.name.c_str(), d.questions, d.topicFiles.size(), number,
                 in.report.Clean()
                     ? ""
                     : ("; " + std::to_string(in.report.Losses()) + " losses reported").c_str(),
                 DropSummary(in.report).c_str());
  }
  if (accepted.empty()) {
    std::fprintf(err, "exameo-import: nothing written\n");
    return kImportNothing;
  }
  return lossy ? kImportLossy : kImportClean;
}

}  // namespace bridge
