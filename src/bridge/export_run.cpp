// The command line of exameo-export.
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>
#include <vector>

#include "bridge/host.h"
#include "bridge/text.h"
#include "bridge/writers.h"

namespace bridge {

namespace fs = std::filesystem;

namespace {

constexpr int kExitClean = 0;
constexpr int kExitLosses = 1;
constexpr int kExitFailed = 2;

int ExportUsage(std::FILE* err, const std::string& complaint) {
  lang::Write(err, lang::Tr(lang::Id::kExportTryHelp, complaint));
  return kExitFailed;
}

Format ByExtension(const fs::path& out) {
  std::string ext = LowerAscii(Utf8FromPath(out.extension()));
  if (ext == ".xml") return Format::kMoodleXml;
  if (ext == ".aiken") return Format::kAiken;
  if (ext == ".csv") return Format::kCsv;
  if (ext == ".xlsx") return Format::kXlsx;
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
    *error = lang::Tr(lang::Id::kExportCannotWriteBeside);
    return false;
  }
  fs::rename(temp, out, ec);
  if (ec) {
    fs::remove(temp, ec);
    *error = lang::Tr(lang::Id::kExportCannotReplace);
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
      lang::Write(out, lang::Tr(lang::Id::kExportHelp));
      return kExitClean;
    } else if (options && (arg == "--format" || arg.compare(0, 9, "--format=") == 0)) {
      std::string name;
      if (arg == "--format") {
        if (i + 1 >= argc) return ExportUsage(err, lang::Tr(lang::Id::kExportFormatNeedsValue));
        name = argv[++i];
      } else {
        name = arg.substr(9);
      }
      format = ParseFormat(name);
      if (format == Format::kUnknown)
        return ExportUsage(err, lang::Tr(lang::Id::kExportUnknownFormat, name));
      if (format == Format::kDocx) return ExportUsage(err, lang::Tr(lang::Id::kExportNotWritten, name));
    } else if (options && (arg == "--questions" || arg == "--topics")) {
      BankKind wanted = arg == "--questions" ? BankKind::kQuestions : BankKind::kTopics;
      if (kind != BankKind::kAuto && kind != wanted)
        return ExportUsage(err, lang::Tr(lang::Id::kExportKindsExclusive));
      kind = wanted;
    } else if (options && arg == "-o") {
      if (i + 1 >= argc) return ExportUsage(err, lang::Tr(lang::Id::kExportOutputNeedsFile));
      if (haveOutput) return ExportUsage(err, lang::Tr(lang::Id::kExportOutputTwice));
      output = argv[++i];
      haveOutput = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return ExportUsage(err, lang::Tr(lang::Id::kUnknownOption, arg));
    } else {
      if (haveInput) return ExportUsage(err, lang::Tr(lang::Id::kExportOnePath));
      input = arg;
      haveInput = true;
    }
  }
  if (!haveInput) return ExportUsage(err, lang::Tr(lang::Id::kExportNoPath));
  if (haveOutput && output.empty()) return ExportUsage(err, lang::Tr(lang::Id::kExportOutputNeedsFile));
  if (format == Format::kUnknown)
    format = haveOutput ? ByExtension(PathFromUtf8(output)) : Format::kGift;

  // A zip on a console is of no use, and a Windows console would mangle its bytes.
  if (format == Format::kXlsx && !haveOutput)
    return ExportUsage(err, lang::Tr(lang::Id::kExportNeedsOutputFile, ".xlsx"));

  fs::path inputPath = PathFromUtf8(input);
  std::error_code ec;
  if (haveOutput && fs::exists(PathFromUtf8(output), ec) &&
      fs::equivalent(inputPath, PathFromUtf8(output), ec)) {
    lang::Write(err, lang::Tr(lang::Id::kExportWouldReplaceInput, output));
    return kExitFailed;
  }

  ExportBank bank;
  Report report;
  std::string error;
  if (!LoadForExport(inputPath, input, kind, &bank, &report, &error)) {
    lang::Write(err, lang::Tr(lang::Id::kToolPathFailure, "exameo-export", input, error));
    return kExitFailed;
  }
  // GIFT names its pictures in a folder beside the output ("quiz.gift": "quiz-pictures").
  PictureFolder copies;
  fs::path pictureFolder;
  if (format == Format::kGift && haveOutput) {
    fs::path outPath = PathFromUtf8(output);
    bank.pictureFolder = Utf8FromPath(outPath.stem()) + "-pictures";
    bank.pictureCopies = &copies;
    pictureFolder = outPath.parent_path() / PathFromUtf8(bank.pictureFolder);
  }
  std::size_t total = 0, carried = 0;
  for (const Topic& t : bank.bank.topics)
    for (const Question& q : t.questions) {
      ++total;
      carried += WhyLeftOut(format, q).empty() ? 1 : 0;
    }
  std::string bytes = WriteFormat(format, bank, &report);
  PrintNotes(err, report.notes);
  if (format == Format::kXlsx && bytes.empty() && carried > 0) {
    lang::Write(err, lang::Tr(lang::Id::kToolPathFailure, "exameo-export", output,
                              lang::Tr(lang::Id::kExportCannotWriteBeside)));
    return kExitFailed;
  }
  if (carried == 0) {
    lang::Write(err, lang::Tr(total == 0 ? lang::Id::kExportNothingNoQuestion
                                         : lang::Id::kExportNothingCarried));
    return kExitFailed;
  }

  if (haveOutput) {
    // The pictures first: the output never names a picture that is not there. Those that were
    // not there before go again when the output cannot be written.
    std::vector<fs::path> made;
    bool madeFolder = false;
    auto undo = [&] {
      for (const fs::path& p : made) fs::remove(p, ec);
      if (madeFolder) fs::remove(pictureFolder, ec);
    };
    if (!copies.Empty()) {
      madeFolder = fs::create_directory(pictureFolder, ec);
      for (const auto& [name, picture] : copies.Files()) {
        fs::path to = pictureFolder / PathFromUtf8(name);
        bool existed = fs::exists(to, ec);
        if (!WriteOut(to, picture, &error)) {
          lang::Write(err, lang::Tr(lang::Id::kToolPathFailure, "exameo-export",
                                    Utf8FromPath(to), error));
          undo();
          return kExitFailed;
        }
        if (!existed) made.push_back(to);
      }
    }
    if (!WriteOut(PathFromUtf8(output), bytes, &error)) {
      undo();
      lang::Write(err, lang::Tr(lang::Id::kToolPathFailure, "exameo-export", output, error));
      return kExitFailed;
    }
    if (!copies.Empty())
      lang::Write(err, lang::Tr(lang::Id::kExportPicturesCopied, copies.Files().size(),
                                Utf8FromPath(pictureFolder)));
  } else if (!lang::Write(out, bytes) || std::fflush(out) != 0) {
    lang::Write(err, lang::Tr(lang::Id::kExportCannotWriteStdout));
    return kExitFailed;
  }

  if (!report.Clean()) {
    // Titles changed for their categories lose no question: counted on their own.
    std::string renamed;
    if (bank.categories && (format == Format::kGift || format == Format::kMoodleXml)) {
      Report titles;
      CategoryTitles(bank, &titles);
      if (!titles.notes.empty())
        renamed = lang::Tr(lang::Id::kExportTitlesChanged, titles.notes.size());
    }
    lang::Write(err, lang::Tr(lang::Id::kExportSummary, carried, total, total - carried, renamed,
                              report.notes.size()));
  }
  return report.Clean() ? kExitClean : kExitLosses;
}

}  // namespace bridge
