// The command line of exameo-export.
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>

#include "bridge/host.h"
#include "bridge/text.h"
#include "bridge/writers.h"

namespace bridge {

namespace fs = std::filesystem;

namespace {

constexpr int kExitClean = 0;
constexpr int kExitLosses = 1;
constexpr int kExitFailed = 2;

constexpr char kHelp[] =
    "Usage: exameo-export [--format gift|moodle-xml|aiken|csv] [--questions | --topics]\n"
    "                     [-o OUT] PATH\n"
    "\n"
    "Writes the questions of an Exameo bank in a format that Moodle or a spreadsheet\n"
    "reads, UTF-8, to OUT or to standard output. The bank is read as the program\n"
    "reads it, so what goes out is what the program shows.\n"
    "\n"
    "PATH is a question file (one topic) or a description file Base\\N.txt (the\n"
    "whole discipline: in GIFT and Moodle XML every topic becomes a category\n"
    "Discipline/Topic). A *.txt directly in a folder named Base is taken for a\n"
    "description file, as the program finds them, any other file for a question\n"
    "file; --questions or --topics says which it is.\n"
    "\n"
    "--format  gift (default), moodle-xml, aiken or csv; without it, OUT's\n"
    "          extension decides (.gift .txt, .xml, .aiken, .csv).\n"
    "-o OUT    the file to write (replaced whole); standard output without it.\n"
    "--questions, --topics  PATH is a question file, or a description file.\n"
    "\n"
    "One correct variant becomes a single-answer question; several correct ones\n"
    "share 100% between them and every wrong one costs -100%; a question without\n"
    "variants becomes a description. A question the format cannot carry is left\n"
    "out and reported as FILE:LINE: why (GIFT and Moodle XML need at least two\n"
    "variants and a correct one, or none at all; Aiken exactly one correct of two\n"
    "or more; every format a task and no empty variant). CSV has a byte order\n"
    "mark, ';' between fields and a header row: task; numbers of the correct\n"
    "variants; variants 1 to 12.\n"
    "\n"
    "Exit status: 0 when every question was written, 1 when some were left out,\n"
    "2 when nothing was written (wrong command line, unreadable input, no question\n"
    "the format carries, output that cannot be written): OUT is then left as it was.\n";

int Usage(std::FILE* err, const std::string& complaint) {
  std::fprintf(err, "exameo-export: %s\nTry 'exameo-export --help'.\n", complaint.c_str());
  return kExitFailed;
}

Format ByExtension(const fs::path& out) {
  std::string ext = LowerAscii(Utf8FromPath(out.extension()));
  if (ext == ".xml") return Format::kMoodleXml;
  if (ext == ".aiken") return Format::kAiken;
  if (ext == ".csv") return Format::kCsv;
  return Format::kGift;
}

// The whole output under a temporary name beside OUT, then renamed over it: OUT is either
// what it was or the complete new file.
bool WriteOut(const fs::path& out, const std::string& bytes, std::string* error) {
  std::error_code ec;
  std::mt19937 random(
      std::random_device{}() ^
      static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::path temp;
  for (int attempt = 0; attempt < 16 && temp.empty(); ++attempt) {
    temp = out;
    temp += ".exameo-" + std::to_string(random() % 1000000) + ".tmp";
    if (fs::exists(temp, ec)) temp.clear();
  }
  if (temp.empty() || !WriteNewFile(temp, bytes)) {
    *error = "cannot write a file in its folder (no room or no permission?)";
    return false;
  }
  fs::rename(temp, out, ec);
  if (ec) {
    fs::remove(temp, ec);
    *error = "cannot replace the file";
    return false;
  }
  return true;
}

}  // namespace

int RunExport(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  Format format = Format::kUnknown;
  std::string output, input;
  bool haveOutput = false, haveInput = false, options = true;
  BankKind kind = BankKind::kAuto;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      std::fputs(kHelp, out);
      return kExitClean;
    } else if (options && (arg == "--format" || arg.compare(0, 9, "--format=") == 0)) {
      std::string name;
      if (arg == "--format") {
        if (i + 1 >= argc) return Usage(err, "--format needs a format");
        name = argv[++i];
      } else {
        name = arg.substr(9);
      }
      format = ParseFormat(name);
      if (format == Format::kUnknown)
        return Usage(err, "unknown format '" + name + "' (gift, moodle-xml, aiken or csv)");
    } else if (options && (arg == "--questions" || arg == "--topics")) {
      BankKind wanted = arg == "--questions" ? BankKind::kQuestions : BankKind::kTopics;
      if (kind != BankKind::kAuto && kind != wanted)
        return Usage(err, "--questions and --topics exclude each other");
      kind = wanted;
    } else if (options && arg == "-o") {
      if (i + 1 >= argc) return Usage(err, "-o needs a file");
      if (haveOutput) return Usage(err, "-o given twice");
      output = argv[++i];
      haveOutput = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return Usage(err, "unknown option '" + arg + "'");
    } else {
      if (haveInput) return Usage(err, "one PATH only (a question file or a description file)");
      input = arg;
      haveInput = true;
    }
  }
  if (!haveInput) return Usage(err, "no question file or description file to export");
  if (haveOutput && output.empty()) return Usage(err, "-o needs a file");
  if (format == Format::kUnknown)
    format = haveOutput ? ByExtension(PathFromUtf8(output)) : Format::kGift;

  fs::path inputPath = PathFromUtf8(input);
  std::error_code ec;
  if (haveOutput && fs::exists(PathFromUtf8(output), ec) &&
      fs::equivalent(inputPath, PathFromUtf8(output), ec)) {
    std::fprintf(err, "exameo-export: %s: the output would replace the bank it is made from\n",
                 output.c_str());
    return kExitFailed;
  }

  ExportBank bank;
  Report report;
  std::string error;
  if (!LoadForExport(inputPath, input, kind, &bank, &report, &error)) {
    std::fprintf(err, "exameo-export: %s: %s\n", input.c_str(), error.c_str());
    return kExitFailed;
  }
  std::size_t total = 0, carried = 0;
  for (const Topic& t : bank.bank.topics)
    for (const Question& q : t.questions) {
      ++total;
      carried += WhyLeftOut(format, q).empty() ? 1 : 0;
    }
  std::string bytes = WriteFormat(format, bank, &report);
  PrintNotes(err, report.notes);
  if (carried == 0) {
    std::fprintf(
        err, "exameo-export: nothing written: %s\n",
        total == 0 ? "the bank holds no question" : "the format carries none of its questions");
    return kExitFailed;
  }

  if (haveOutput) {
    if (!WriteOut(PathFromUtf8(output), bytes, &error)) {
      std::fprintf(err, "exameo-export: %s: %s\n", output.c_str(), error.c_str());
      return kExitFailed;
    }
  } else if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
             std::fflush(out) != 0) {
    std::fprintf(err, "exameo-export: cannot write to standard output\n");
    return kExitFailed;
  }

  if (!report.Clean()) {
    // Titles changed for their categories lose no question: counted on their own.
    std::string renamed;
    if (bank.categories && (format == Format::kGift || format == Format::kMoodleXml)) {
      Report titles;
      CategoryTitles(bank, &titles);
      if (!titles.notes.empty())
        renamed = ", " + std::to_string(titles.notes.size()) + " topic title" +
                  (titles.notes.size() == 1 ? "" : "s") + " changed for their categories";
    }
    std::fprintf(err, "exameo-export: %zu of %zu questions written, %zu left out%s; %zu note%s\n",
                 carried, total, total - carried, renamed.c_str(), report.notes.size(),
                 report.notes.size() == 1 ? "" : "s");
  }
  return report.Clean() ? kExitClean : kExitLosses;
}

}  // namespace bridge
