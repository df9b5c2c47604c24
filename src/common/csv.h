// CSV fields with RFC 4180 quoting, read one character at a time.
//
// Only the quoting is shared: each reader keeps its own separators, line ends and handling of
// a damaged line, so the loop over the characters stays with it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

namespace csv {

struct Field {
  std::string text;
  bool quoted = false;  // inside a quoted part: separators and line breaks are text
  bool atStart = true;  // nothing read into this field yet

  // Takes s[*i] when quoting decides it: an opening quote at the field's start, anything
  // inside quotes, a doubled quote (then *i steps past its second half) or the closing quote.
  // False for a character outside quotes that opens nothing: the caller's to place.
  bool Quote(std::string_view s, std::size_t* i) {
    char c = s[*i];
    if (quoted) {
      if (c != '"') {
        text.push_back(c);
      } else if (*i + 1 < s.size() && s[*i + 1] == '"') {
        text.push_back('"');
        ++*i;
      } else {
        quoted = false;
      }
      return true;
    }
    if (c == '"' && atStart) {
      quoted = true;
      atStart = false;
      return true;
    }
    return false;
  }

  // Plain text outside quotes, kept as written: also text after a closing quote, or a quote
  // inside an unquoted field.
  void Keep(char c) {
    text.push_back(c);
    atStart = false;
  }

  // The field ends at a separator or line end; the next one starts empty.
  std::string Take() {
    std::string out = std::move(text);
    text.clear();
    atStart = true;
    return out;
  }
};

}  // namespace csv
