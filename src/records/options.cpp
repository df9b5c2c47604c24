// exameo.ini: reading what it holds, writing it whole.
#include "records/options.h"

#include "records/ini.h"

#include <cstring>
#include <string_view>

namespace records {
namespace {

struct Key {
  const char* name;
  bool Options::*field;
};
constexpr Key kKeys[] = {
    {"shuffle_questions", &Options::shuffleQuestions},
    {"shuffle_answers", &Options::shuffleAnswers},
    {"resume", &Options::resume},
};

}  // namespace

Options ParseOptions(const char* bytes, std::size_t size) {
  Options options;
  if (bytes == nullptr) return options;
  std::string_view text(bytes, size);
  // A byte order mark left by an editor is not part of the first line.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  while (!text.empty()) {
    // CR, LF and CR LF all end a line, as in the bank's files.
    std::size_t end = text.find_first_of("\r\n");
    std::string_view line = IniTrim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view name = IniTrim(line.substr(0, equals));
    std::string_view value = IniTrim(line.substr(equals + 1));
    // Only a plain 0 or 1 is taken: anything else is a damaged line and changes nothing.
    if (value != "0" && value != "1") continue;
    for (const Key& key : kKeys)
      if (name == key.name) options.*key.field = value == "1";
  }
  return options;
}

std::string FormatOptions(const Options& options) {
  std::string text = "[options]\r\n";
  for (const Key& key : kKeys) {
    text += key.name;
    text += options.*key.field ? "=1\r\n" : "=0\r\n";
  }
  return text;
}

std::string OptionsInto(std::string_view ini, const Options& options) {
  IniPair pairs[3];
  std::size_t n = 0;
  for (const Key& key : kKeys) pairs[n++] = {key.name, options.*key.field ? "1" : "0"};
  return IniWithValues(ini, "options", pairs, n);
}

}  // namespace records
