// The command line of exameo-review.
#include "review_run.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "bank/catalogue.h"
#include "common/cp1251.h"
#include "common/utf8.h"
#include "common/host_file.h"
#include "common/texts.h"
#include "platform/files.h"
#include "platform/in_folder.h"
#include "review/counts.h"
#include "review/fit.h"
#include "review/forecast.h"
#include "review/fsrs.h"
#include "review/log.h"
#include "review/parameters.h"
#include "review/settings.h"

namespace reviewtool {
namespace {

namespace fs = std::filesystem;

int Fail(std::FILE* err, const std::string& complaint) {
  lang::Write(err, lang::Tr(lang::Id::kReviewTryHelp, complaint));
  return kExitFailed;
}

fs::path PathFromUtf8(std::string_view utf8) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b == '"' || b == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", b);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

// Fifteen significant digits: at least the nine a reader needs, and 0.9 stays "0.9".
std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

bool ParseRetention(std::string_view text, double* value) {
  if (text.empty() || text.size() > 32) return false;
  for (char c : text)
    if ((c < '0' || c > '9') && c != '.') return false;
  std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size() && *value >= review::kMinRetention &&
         *value <= review::kMaxRetention;
}

std::string Utf8Of(const fs::path& path) {
  std::u8string name = path.u8string();
  return std::string(reinterpret_cast<const char*>(name.data()), name.size());
}

// A Windows-1251 field of the bank as UTF-8; a UTF-8 one (`isUtf8`) with ill-formed sequences
// as U+FFFD.
std::string FromCp1251(std::string_view text, bool isUtf8 = false) {
  std::string out;
  if (isUtf8) {
    utf8::Repair(text, &out);
    return out;
  }
  for (char c : text) cp1251::AppendUtf8(cp1251::ToUnicode(static_cast<unsigned char>(c)), &out);
  return out;
}

std::string Share(const std::optional<double>& share) {
  return share ? Number(*share) : "null";
}

using files::InFolder;

// The bank's catalogue, in zeroed static storage like the program's own.
DisciplineClass catalogue;

// What the command line asked for.
enum class Mode { kSchedule, kForecast, kFit };
struct Command {
  Mode mode = Mode::kSchedule;
  std::int64_t now = 0;
  double retention = review::kDefaultRetention;
  bool retentionGiven = false;
  bool nowGiven = false;
  const char* target = nullptr;
  const char* base = nullptr;
  const char* save = nullptr;
};

// The log, and what the data folder's exameo.ini says, when the target is a folder.
struct Input {
  review::LogRead read;
  review::ParametersRead parameters;
  double retention = review::kDefaultRetention;
};

// Reads the log of `target` (a file, or a data folder holding reviews.csv). False, told on
// `err`, when it cannot be read.
bool ReadInput(const char* target, std::FILE* err, Input* in) {
  fs::path path = PathFromUtf8(target);
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    std::string ini;
    if (host::ReadWholeFile(path / "exameo.ini", &ini)) {
      in->retention = review::ParseSettings(ini.data(), ini.size()).retention;
      in->parameters = review::ReadParameters(ini);
      if (in->parameters.ignored)
        lang::Write(err, lang::Tr(lang::Id::kReviewBadParameters, Utf8Of(path / "exameo.ini")));
    }
    path /= "reviews.csv";
  }
  std::string bytes;
  if (!host::ReadWholeFile(path, &bytes)) {
    lang::Write(err, lang::Tr(lang::Id::kReviewCannotRead, Utf8Of(path)));
    return false;
  }
  in->read = review::ParseLog(bytes.data(), bytes.size());
  return true;
}

const char* ParametersWord(const Input& in) {
  return in.parameters.fitted ? "fitted" : "default";
}

int Schedule(const Command& c, std::FILE* out, std::FILE* err) {
  Input in;
  if (!ReadInput(c.target, err, &in)) return kExitFailed;
  double retention = c.retentionGiven ? c.retention : in.retention;
  const review::Parameters& p = in.parameters.params;
  std::vector<review::KeyState> states = review::Replay(in.read.entries, p);
  std::string json = "{\"now\": " + JsonString(review::FormatUtc(c.now)) +
                     ", \"retention\": " + Number(retention) + ", \"parameters\": \"" +
                     ParametersWord(in) + "\", \"questions\": [";
  for (std::size_t i = 0; i < states.size(); ++i) {
    const review::KeyState& k = states[i];
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(k.Key));
    json += i == 0 ? "\n  " : ",\n  ";
    json += "{\"key\": \"" + std::string(key) + "\", \"file\": " + JsonString(k.File) +
            ", \"reviews\": " + std::to_string(k.State.Reviews) +
            ", \"lapses\": " + std::to_string(k.State.Lapses) +
            ", \"stability\": " + Number(k.State.Stability) +
            ", \"difficulty\": " + Number(k.State.Difficulty) +
            ", \"last\": " + JsonString(review::FormatUtc(k.State.Last)) +
            ", \"due\": " + JsonString(review::FormatUtc(review::Due(k.State, retention, p))) +
            ", \"retrievability\": " + Number(review::Retrievability(k.State, c.now, p)) + "}";
  }
  json += states.empty() ? "]" : "\n]";
  json += ", \"skipped\": " + std::to_string(in.read.skipped) + "}\n";
  lang::Write(out, json);
  return kExitDone;
}

int ForecastAll(const Command& c, std::FILE* out, std::FILE* err) {
  Input in;
  if (!ReadInput(c.target, err, &in)) return kExitFailed;
  // The folder holding Base, or Base itself.
  fs::path base = PathFromUtf8(c.base);
  if (!base.has_filename() && base.has_parent_path()) base = base.parent_path();  // "bank/Base/"
  std::error_code ec;
  if (!fs::is_directory(base / "Base", ec) && fs::is_directory(base, ec) &&
      base.filename() == "Base")
    base = base.parent_path();
  if (base.empty()) base = ".";
  review::Bank bank;
  bool hasBase = fs::is_directory(base / "Base", ec);
  {
    InFolder there(base);
    if (!hasBase || !there.Entered()) {
      lang::Write(err, lang::Tr(lang::Id::kReviewNoBank, c.base));
      return kExitFailed;
    }
    std::string pattern = "Base\\*.txt";
    catalogue.UnloadTopics();
    catalogue.LoadDisciplines(pattern.data());
    bank = review::ScanBank(catalogue);
  }
  review::Knowledge knowledge = review::Know(in.read.entries, in.parameters.params);
  review::BankForecast forecast = review::ForecastBank(knowledge, bank, c.now);
  std::string json = "{\"now\": " + JsonString(review::FormatUtc(c.now)) +
                     ", \"parameters\": \"" + ParametersWord(in) + "\", \"disciplines\": [";
  int last = catalogue.LastDiscipline < kMaxDisciplines ? catalogue.LastDiscipline
                                                        : kMaxDisciplines - 1;
  bool first = true;
  for (int d = 0; d <= last; ++d) {
    const TitlePath& discipline = catalogue.Disciplines[d];
    if (!discipline.bExists) continue;
    const review::BankForecast::DisciplineRow* row = nullptr;
    for (const auto& r : forecast.disciplines)
      if (r.discipline == d) row = &r;
    review::Forecast whole = row != nullptr ? row->forecast : review::Forecast{};
    json += first ? "\n  " : ",\n  ";
    first = false;
    json += "{\"file\": " +
            JsonString(FromCp1251(std::string_view(
                discipline.Path, strnlen(discipline.Path, sizeof discipline.Path)))) +
            ", \"title\": " +
            JsonString(FromCp1251(std::string_view(
                discipline.Title, strnlen(discipline.Title, sizeof discipline.Title)), discipline.bUtf8)) +
            ", \"questions\": " + std::to_string(whole.questions) +
            ", \"answered\": " + std::to_string(whole.answered) +
            ", \"forecast\": " + Share(whole.share) + ", \"topics\": [";
    for (int t = 0; row != nullptr && t < row->topicCount; ++t) {
      std::size_t i = static_cast<std::size_t>(row->firstTopic + t);
      const review::Forecast& f = forecast.topics[i];
      json += t == 0 ? "\n    " : ",\n    ";
      json +=
          "{\"title\": " + JsonString(FromCp1251(bank.Topics[i].Title, bank.Topics[i].Utf8)) +
          ", \"file\": " + JsonString(FromCp1251(bank.Topics[i].File, bank.Topics[i].FileUtf8)) +
          ", \"questions\": " + std::to_string(f.questions) +
          ", \"answered\": " + std::to_string(f.answered) + ", \"forecast\": " + Share(f.share) +
          "}";
    }
    json += row != nullptr && row->topicCount > 0 ? "\n  ]}" : "]}";
  }
  json += first ? "]}\n" : "\n]}\n";
  lang::Write(out, json);
  return kExitDone;
}

int FitAll(const Command& c, std::FILE* out, std::FILE* err) {
  Input in;
  if (!ReadInput(c.target, err, &in)) return kExitFailed;
  review::FitResult fit = review::Fit(in.read.entries);
  if (fit.status == review::FitStatus::kTooFew) {
    lang::Write(err, lang::Tr(lang::Id::kReviewTooFew, fit.reviews));
    return kExitFailed;
  }
  if (c.save != nullptr && fit.better) {
    fs::path folder = PathFromUtf8(c.save);
    std::string ini;
    host::ReadWholeFile(folder / "exameo.ini", &ini);  // none yet: a new file
    std::string bytes = review::IniWithParameters(ini, fit.fitted);
    InFolder there(folder);
    if (!there.Entered() || !files::WriteWhole("exameo.ini", bytes.data(), bytes.size())) {
      lang::Write(err, lang::Tr(lang::Id::kReviewCannotWrite, Utf8Of(folder / "exameo.ini")));
      return kExitFailed;
    }
  }
  std::string json = "{\"reviews\": " + std::to_string(fit.reviews) +
                     ", \"keys\": " + std::to_string(fit.keys) + ", \"parameters\": [";
  for (int i = 0; i < review::kParameters; ++i)
    json += (i == 0 ? "" : ", ") + Number(fit.fitted.w[i]);
  json += "], \"train_log_loss\": " + Number(fit.trainLoss) +
          ", \"held_out\": {\"reviews\": " + std::to_string(fit.heldOut) +
          ", \"fitted_log_loss\": " + Number(fit.fittedHeldOut) +
          ", \"default_log_loss\": " + Number(fit.defaultHeldOut) +
          "}, \"better\": " + (fit.better ? "true" : "false") + "}\n";
  lang::Write(out, json);
  return kExitDone;
}

}  // namespace

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  Command c;
  c.now = static_cast<std::int64_t>(std::time(nullptr));
  const char* modeOption = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      lang::Write(out, lang::Tr(lang::Id::kReviewHelp));
      return kExitDone;
    }
    if (arg == "--forecast" || arg == "--fit") {
      Mode mode = arg == "--fit" ? Mode::kFit : Mode::kForecast;
      if (modeOption != nullptr && c.mode != mode)
        return Fail(err, lang::Tr(lang::Id::kReviewNotWith, arg, modeOption));
      c.mode = mode;
      modeOption = argv[i];
      continue;
    }
    if (arg == "--now" || arg == "--retention" || arg == "--base" || arg == "--save") {
      if (i + 1 == argc) return Fail(err, lang::Tr(lang::Id::kNeedsValue, arg));
      std::string_view value = argv[++i];
      if (arg == "--now") {
        if (!review::ParseUtc(value, &c.now))
          return Fail(err, lang::Tr(lang::Id::kReviewBadNow, value));
        c.nowGiven = true;
      } else if (arg == "--retention") {
        if (!ParseRetention(value, &c.retention))
          return Fail(err, lang::Tr(lang::Id::kReviewBadRetention, value));
        c.retentionGiven = true;
      } else if (arg == "--base") {
        c.base = argv[i];
      } else {
        c.save = argv[i];
      }
      continue;
    }
    if (arg.size() > 1 && arg.front() == '-')
      return Fail(err, lang::Tr(lang::Id::kUnknownOption, arg));
    if (c.target != nullptr) return Fail(err, lang::Tr(lang::Id::kReviewOneTarget));
    c.target = argv[i];
  }
  // Each option belongs to the modes that use it.
  const char* mode = modeOption != nullptr ? modeOption : "";
  if (c.base != nullptr && c.mode != Mode::kForecast)
    return Fail(err, lang::Tr(lang::Id::kReviewOnlyWith, "--base", "--forecast"));
  if (c.save != nullptr && c.mode != Mode::kFit)
    return Fail(err, lang::Tr(lang::Id::kReviewOnlyWith, "--save", "--fit"));
  if (c.retentionGiven && c.mode != Mode::kSchedule)
    return Fail(err, lang::Tr(lang::Id::kReviewNotWith, "--retention", mode));
  if (c.nowGiven && c.mode == Mode::kFit)
    return Fail(err, lang::Tr(lang::Id::kReviewNotWith, "--now", mode));
  if (c.target == nullptr) return Fail(err, lang::Tr(lang::Id::kReviewNoTarget));
  if (c.mode == Mode::kForecast && c.base == nullptr)
    return Fail(err, lang::Tr(lang::Id::kReviewNeedsBase));
  switch (c.mode) {
    case Mode::kForecast:
      return ForecastAll(c, out, err);
    case Mode::kFit:
      return FitAll(c, out, err);
    case Mode::kSchedule:
      break;
  }
  return Schedule(c, out, err);
}

}  // namespace reviewtool
