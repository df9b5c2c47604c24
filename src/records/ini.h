// Reading and rewriting sections of exameo.ini without disturbing the rest of it.
//
// Several parts of the program keep their settings in the one file, each in a section of its
// own ("[options]", "[exam]", "[grades]"). Whoever writes the file changes only the keys it
// owns: every other line, section and key is kept as it was, so a part never loses what
// another wrote (or what the user added by hand).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace records {

// A line or a value without the blanks and the CR around it, as every reader of exameo.ini
// takes them.
inline std::string_view IniTrim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The value of `key` in `[section]` (names compared exactly, spaces around names and values
// trimmed), or false when the section has no such key. The last line of the key counts.
bool IniValue(std::string_view bytes, std::string_view section, std::string_view key,
              std::string* value);

struct IniPair {
  const char* key;
  std::string value;
};

// The whole file `bytes` with the keys of `pairs` set in `[section]`: a key's first line in the
// section is rewritten and its later ones dropped, missing keys are added at the end of the
// section, a missing section is added at the end of the file. Every other line is kept byte for
// byte; the lines written end in CR LF.
std::string IniWithValues(std::string_view bytes, std::string_view section, const IniPair* pairs,
                          std::size_t count);

}  // namespace records
