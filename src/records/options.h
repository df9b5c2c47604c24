// The study options and their file, exameo.ini.
//
// The file is a small INI: a section line "[options]" and one "key=0|1" line per option, ASCII
// keys. Unknown keys, other sections' lines and damaged lines are passed over, so a hand-edited
// or torn file still gives what it holds; what it does not say stays off.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace records {

struct Options {
  bool shuffleQuestions = false;  // put a loaded topic's questions in a random order
  bool shuffleAnswers = false;    // put each question's variants in a random order
  bool resume = false;            // remember solved questions per question file

  friend bool operator==(const Options&, const Options&) = default;
};

// The options an exameo.ini of these bytes holds; anything else reads as off.
Options ParseOptions(const char* bytes, std::size_t size);
// The whole text of exameo.ini for these options (ASCII, CR LF line ends).
std::string FormatOptions(const Options& options);
// The whole of an exameo.ini `ini` with the section [options] set to these options; every
// other section and key is kept (records/ini.h).
std::string OptionsInto(std::string_view ini, const Options& options);

}  // namespace records
