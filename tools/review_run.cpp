// The command line of exameo-review.
#include "review_run.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "common/host_file.h"
#include "common/texts.h"
#include "review/fsrs.h"
#include "review/log.h"
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

}  // namespace

int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  double retention = review::kDefaultRetention;
  bool retentionGiven = false;
  const char* target = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      lang::Write(out, lang::Tr(lang::Id::kReviewHelp));
      return kExitDone;
    }
    if (arg == "--now" || arg == "--retention") {
      if (i + 1 == argc) return Fail(err, lang::Tr(lang::Id::kNeedsValue, arg));
      std::string_view value = argv[++i];
      if (arg == "--now" && !review::ParseUtc(value, &now))
        return Fail(err, lang::Tr(lang::Id::kReviewBadNow, value));
      if (arg == "--retention") {
        if (!ParseRetention(value, &retention))
          return Fail(err, lang::Tr(lang::Id::kReviewBadRetention, value));
        retentionGiven = true;
      }
      continue;
    }
    if (arg.size() > 1 && arg.front() == '-')
      return Fail(err, lang::Tr(lang::Id::kUnknownOption, arg));
    if (target != nullptr) return Fail(err, lang::Tr(lang::Id::kReviewOneTarget));
    target = argv[i];
  }
  if (target == nullptr) return Fail(err, lang::Tr(lang::Id::kReviewNoTarget));

  fs::path path = PathFromUtf8(target);
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    std::string ini;
    if (!retentionGiven && host::ReadWholeFile(path / "exameo.ini", &ini))
      retention = review::ParseSettings(ini.data(), ini.size()).retention;
    path /= "reviews.csv";
  }
  std::string bytes;
  if (!host::ReadWholeFile(path, &bytes)) {
    std::u8string name = path.u8string();
    lang::Write(err,
                lang::Tr(lang::Id::kReviewCannotRead, reinterpret_cast<const char*>(name.c_str())));
    return kExitFailed;
  }

  review::LogRead read = review::ParseLog(bytes.data(), bytes.size());
  std::vector<review::KeyState> states = review::Replay(read.entries);
  std::string json = "{\"now\": " + JsonString(review::FormatUtc(now)) +
                     ", \"retention\": " + Number(retention) + ", \"questions\": [";
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
            ", \"due\": " + JsonString(review::FormatUtc(review::Due(k.State, retention))) +
            ", \"retrievability\": " + Number(review::Retrievability(k.State, now)) + "}";
  }
  json += states.empty() ? "]" : "\n]";
  json += ", \"skipped\": " + std::to_string(read.skipped) + "}\n";
  lang::Write(out, json);
  return kExitDone;
}

}  // namespace reviewtool
