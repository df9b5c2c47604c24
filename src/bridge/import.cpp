// exameo-import: reads every input first, then writes all disciplines or none.
#include "bridge/import.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "bridge/bank_writer.h"
#include "bridge/encoding.h"
#include "bridge/host.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

// Notes listed per input; the rest are counted (each note is a line nobody reads past this).
constexpr std::size_t kNotesListed = 10000;

std::string DropSummary(const Report& report, lang::Lang language) {
  static constexpr lang::Id kNames[] = {lang::Id::kDropTitles, lang::Id::kDropFeedback,
                                        lang::Id::kDropWeights, lang::Id::kDropFormatting,
                                        lang::Id::kDropEmptyAnswers};
  static_assert(std::size(kNames) == static_cast<std::size_t>(Drop::kCount));
  std::string list;
  for (int k = 0; k < static_cast<int>(Drop::kCount); ++k) {
    int n = report.drops[k];
    if (n == 0) continue;
    std::string item = lang::Render(lang::Say(kNames[k], n), language);
    list = list.empty()
               ? item
               : lang::Render(lang::Say(lang::Id::kImportDropSeparator, list, item), language);
  }
  return list.empty() ? list : lang::Render(lang::Say(lang::Id::kImportDropped, list), language);
}

int Usage(std::FILE* err, const std::string& why) {
  lang::Write(err, lang::Tr(lang::Id::kImportComplaint, why) + lang::Tr(lang::Id::kImportHelp));
  return kImportNothing;
}

}  // namespace

int RunImport(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  ImportOptions options;
  bool haveTitle = false;
  std::string title;
  std::vector<std::string> positional;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool option = !optionsEnd;
    if (option && (arg == "--help" || arg == "-h")) {
      lang::Write(out, lang::Tr(lang::Id::kImportHelp));
      return kImportClean;
    }
    if (option && arg == "--") {
      optionsEnd = true;
      continue;
    }
    if (option && (arg == "--format" || arg.rfind("--format=", 0) == 0)) {
      std::string value;
      if (arg == "--format") {
        if (i + 1 >= argc) return Usage(err, lang::Tr(lang::Id::kNeedsValue, arg));
        value = argv[++i];
      } else {
        value = arg.substr(9);
      }
      options.format = ParseFormat(value);
      if (options.format == Format::kUnknown)
        return Usage(err, lang::Tr(lang::Id::kImportUnknownFormat, value));
      continue;
    }
    if (option && (arg == "--encoding" || arg.rfind("--encoding=", 0) == 0)) {
      std::string value;
      if (arg == "--encoding") {
        if (i + 1 >= argc) return Usage(err, lang::Tr(lang::Id::kNeedsValue, arg));
        value = argv[++i];
      } else {
        value = arg.substr(11);
      }
      options.encoding = ParseEncoding(value);
      if (options.encoding == Encoding::kAuto)
        return Usage(err, lang::Tr(lang::Id::kImportUnknownEncoding, value));
      continue;
    }
    if (option && arg == "--utf8") {
      options.utf8 = true;
      continue;
    }
    if (option && (arg == "--title" || arg.rfind("--title=", 0) == 0)) {
      if (arg == "--title") {
        if (i + 1 >= argc) return Usage(err, lang::Tr(lang::Id::kNeedsValue, arg));
        title = argv[++i];
      } else {
        title = arg.substr(8);
      }
      haveTitle = true;
      continue;
    }
    if (option && arg.size() > 1 && arg[0] == '-')
      return Usage(err, lang::Tr(lang::Id::kImportUnknownOption, arg));
    positional.push_back(arg);
  }
  if (positional.size() < 2) return Usage(err, lang::Tr(lang::Id::kImportNoInput));
  if (haveTitle && positional.size() != 2)
    return Usage(err, lang::Tr(lang::Id::kImportTitleOneInput));
  if (haveTitle && FoldSpace(title).empty())
    return Usage(err, lang::Tr(lang::Id::kImportTitleEmpty));

  const lang::Lang language = lang::ToolLanguage();
  std::vector<std::string> inputs(positional.begin(), positional.end() - 1);
  options.title = haveTitle ? &title : nullptr;
  ImportOutcome outcome = ImportInputs(PathFromUtf8(positional.back()), inputs, options);
  if (outcome.failure == ImportFailure::kNoFolder) {
    lang::Write(err, lang::Tr(lang::Id::kImportNoFolder, positional.back()));
    return kImportNothing;
  }

  // What each input said while read, in the order given.
  for (const ImportedInput& in : outcome.inputs) {
    switch (in.refused) {
      case Refusal::kUnreadable:
        lang::Write(err,
                    lang::Tr(lang::Id::kInputSays, in.name, RefusalText(in.refused, language)));
        continue;
      case Refusal::kUnknownFormat:
        lang::Write(err,
                    lang::Tr(lang::Id::kInputSays, in.name, lang::Tr(lang::Id::kInputFormatHint)));
        continue;
      case Refusal::kParserRejects:
        lang::Write(err, in.name + ":" + in.detail + "\n");
        continue;
      default:
        break;
    }
    PrintNotes(err, in.report.notes, language);
    int unlistedLosses = in.report.unlisted - in.report.unlistedRemarks;
    if (unlistedLosses > 0)
      lang::Write(err, lang::Tr(lang::Id::kInputUnlisted, in.name, unlistedLosses));
    if (in.report.unlistedRemarks > 0)
      lang::Write(err,
                  lang::Tr(lang::Id::kInputUnlistedRemarks, in.name, in.report.unlistedRemarks));
  }
  if (outcome.failure == ImportFailure::kCannotList) {
    lang::Write(err, lang::Tr(lang::Id::kImportCannotList, outcome.failureDetail));
    return kImportNothing;
  }
  if (outcome.failure == ImportFailure::kCannotWrite) {
    lang::Write(err, lang::Tr(lang::Id::kImportCannotWrite, outcome.failureDetail));
    return kImportNothing;
  }

  for (const ImportedInput& in : outcome.inputs) lang::Write(out, InputSummary(in, language));
  if (outcome.written == 0) {
    lang::Write(err, lang::Tr(lang::Id::kImportNothingWritten));
    return kImportNothing;
  }
  return outcome.Lossy() ? kImportLossy : kImportClean;
}

std::string RefusalText(Refusal why, lang::Lang language) {
  lang::Text text;
  switch (why) {
    case Refusal::kUnreadable:
      text = lang::Say(lang::Id::kRefusedUnreadable);
      break;
    case Refusal::kUnknownFormat:
      text = lang::Say(lang::Id::kRefusedUnknownFormat);
      break;
    case Refusal::kParserRejects:
      text = lang::Say(lang::Id::kRefusedParser);
      break;
    case Refusal::kNoQuestion:
      text = lang::Say(lang::Id::kRefusedNoQuestion);
      break;
    case Refusal::kTooManyDisciplines:
      text = lang::Say(lang::Id::kRefusedTooMany, kMaxDisciplines);
      break;
    case Refusal::kNotWritten:
      text = lang::Say(lang::Id::kRefusedNotWritten);
      break;
    case Refusal::kReason:
    case Refusal::kNone:
      break;
  }
  return lang::Render(text, language);
}

std::string InputSummary(const ImportedInput& in, lang::Lang language) {
  if (in.refused != Refusal::kNone)
    return lang::Render(
        lang::Say(lang::Id::kImportRefusedLine, in.name,
                  in.refused == Refusal::kReason ? lang::Render(in.reason, language)
                                                 : RefusalText(in.refused, language)),
        language);
  std::string losses =
      in.report.Clean()
          ? std::string()
          : lang::Render(lang::Say(lang::Id::kImportLosses, in.report.Losses()), language);
  if (long remarks = in.report.Remarks(); remarks > 0)
    losses += lang::Render(lang::Say(lang::Id::kImportRemarks, remarks), language);
  return lang::Render(lang::Say(lang::Id::kImportWrittenLine, in.name, in.questions, in.topics,
                                in.number, losses, DropSummary(in.report, language)),
                      language);
}

bool ImportOutcome::Lossy() const {
  for (const ImportedInput& in : inputs)
    if (in.refused != Refusal::kNone || !in.report.Clean()) return true;
  return false;
}

ImportOutcome ImportInputs(const std::filesystem::path& folder,
                           const std::vector<std::string>& names, const ImportOptions& options) {
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
    std::filesystem::path folder = path.parent_path();
    Source source{in.name, Utf8FromPath(path.stem()), Utf8FromPath(folder.empty() ? "." : folder)};
    in.report.listLimit = kNotesListed;
    // Moodle XML goes to libxml2 as it is, to be read in the encoding it declares; the text
    // formats are decoded first (and a .txt told by what it holds once decoded).
    Format format = options.format;
    if (format == Format::kUnknown && DetectFormat(fileName, {}) == Format::kMoodleXml)
      format = Format::kMoodleXml;
    if (format == Format::kUnknown && IsOffice(DetectFormat(fileName, bytes)))
      format = DetectFormat(fileName, bytes);
    if (format != Format::kMoodleXml && !IsOffice(format)) {
      bytes = DecodeInput(source, std::move(bytes), options.encoding, &in.report);
      if (format == Format::kUnknown) format = DetectFormat(fileName, bytes);
    }
    if (format == Format::kUnknown) {
      in.refused = Refusal::kUnknownFormat;
      continue;
    }
    Bank bank;
    StreamEncoder encoder(in.name, &in.report, options.utf8);
    encoder.Attach(&bank);
    if (IsOffice(format)) {
      // A zip of XML parts: a refusal says its own reason.
      bool read = format == Format::kDocx
                      ? ReadDocx(source, bytes, &bank, &in.report, &in.reason)
                      : ReadXlsx(source, bytes, &bank, &in.report, &in.reason);
      if (!read) {
        in.refused = Refusal::kReason;
        in.report = Report{};
        continue;
      }
    } else if (!ReadAny(format, source, bytes, &bank, &in.report, &in.detail, options.encoding)) {
      in.refused = Refusal::kParserRejects;
      continue;
    }
    bytes = std::string();  // the input is read: only the program's files are held now
    // A Word document's first paragraph titles it; other inputs by their names.
    if (options.title != nullptr)
      bank.title = *options.title;
    else if (FoldSpace(bank.title).empty())
      bank.title = source.stem;
    encoded[i] = encoder.Finish(bank);
    std::stable_sort(in.report.notes.begin(), in.report.notes.end(),
                     [](const Note& a, const Note& b) { return a.line < b.line; });
    in.questions = encoded[i].questions;
    in.topics = static_cast<int>(encoded[i].topicFiles.size());
    in.title = encoded[i].utf8 ? encoded[i].title : Cp1251ToUtf8(encoded[i].title);
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
