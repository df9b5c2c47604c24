// exameo.ini's sections: a value read, a section's keys rewritten in place.
#include "records/ini.h"

#include <vector>

namespace records {
namespace {

std::string_view WithoutBom(std::string_view s) {
  if (s.substr(0, 3) == "\xEF\xBB\xBF") s.remove_prefix(3);
  return s;
}

// One line of the file, with its line end kept apart.
struct Line {
  std::string_view text;  // without the line end
  std::string_view end;   // "\n", or "" for a last line without one
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) {
      lines.push_back({bytes, {}});
      break;
    }
    lines.push_back({bytes.substr(0, end), bytes.substr(end, 1)});
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

// A section line "[name]": true, with its name.
bool SectionName(std::string_view line, std::string_view* name) {
  line = IniTrim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  *name = IniTrim(line.substr(1, line.size() - 2));
  return true;
}

// A "key=value" line: true, with both trimmed.
bool KeyValue(std::string_view line, std::string_view* key, std::string_view* value) {
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  *key = IniTrim(line.substr(0, equals));
  *value = IniTrim(line.substr(equals + 1));
  return true;
}

void AppendPair(std::string* out, const IniPair& pair) {
  *out += pair.key;
  out->push_back('=');
  *out += pair.value;
  *out += "\r\n";
}

}  // namespace

bool IniValue(std::string_view bytes, std::string_view section, std::string_view key,
              std::string* value) {
  bool inside = false, found = false;
  for (const Line& line : SplitLines(WithoutBom(bytes))) {
    std::string_view name, k, v;
    if (SectionName(line.text, &name)) {
      inside = name == section;
    } else if (inside && KeyValue(line.text, &k, &v) && k == key) {
      *value = std::string(v);
      found = true;
    }
  }
  return found;
}

std::string IniWithValues(std::string_view bytes, std::string_view section, const IniPair* pairs,
                          std::size_t count) {
  std::string out;
  std::string_view bom;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bom = bytes.substr(0, 3);
  out += bom;
  std::vector<Line> lines = SplitLines(bytes.substr(bom.size()));
  std::vector<bool> written(count, false);
  bool inside = false, seen = false;
  // The missing keys of the section go after its last non-empty line, before the blank lines
  // that part it from the next section.
  std::string pendingBlank;
  auto closeSection = [&]() {
    for (std::size_t i = 0; i < count; ++i)
      if (!written[i]) {
        AppendPair(&out, pairs[i]);
        written[i] = true;
      }
  };
  for (const Line& line : lines) {
    std::string_view name, k, v;
    bool isSection = SectionName(line.text, &name);
    if (isSection && inside) {
      closeSection();
      inside = false;
    }
    if (inside && IniTrim(line.text).empty()) {
      pendingBlank.append(line.text);
      pendingBlank.append(line.end);
      continue;
    }
    out += pendingBlank;
    pendingBlank.clear();
    if (isSection && name == section && !seen) {
      inside = true;
      seen = true;
    }
    if (inside && !isSection && KeyValue(line.text, &k, &v)) {
      bool owned = false;
      for (std::size_t i = 0; i < count; ++i) {
        if (k != pairs[i].key) continue;
        owned = true;
        if (!written[i]) AppendPair(&out, pairs[i]);
        written[i] = true;
      }
      if (owned) continue;
    }
    out.append(line.text);
    // A last line without its end gets one, so whatever follows starts a line of its own.
    out.append(line.end.empty() ? std::string_view("\r\n") : line.end);
  }
  if (inside) closeSection();
  out += pendingBlank;
  if (!seen) {
    out += "[";
    out += section;
    out += "]\r\n";
    closeSection();
  }
  return out;
}

}  // namespace records
