#include "bank/picture_ref.h"

namespace picref {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The first position at or after `from` that `found` accepts, remembering the last answer:
// many openers before one closer (`![![![...`) then cost one scan, not one each.
template <typename Accept>
struct Finder {
  std::string_view s;
  Accept accept;
  std::size_t searchedFrom = kNone, foundAt = kNone;

  std::size_t From(std::size_t from) {
    if (searchedFrom != kNone && from >= searchedFrom && (foundAt == kNone || from <= foundAt))
      return foundAt;
    searchedFrom = from;
    foundAt = kNone;
    for (std::size_t i = from; i < s.size(); ++i)
      if (accept(s, i)) {
        foundAt = i;
        break;
      }
    return foundAt;
  }
};

// A `]` ends an alt text unless an odd run of backslashes stands before it. An alt text starts
// after `[`, so the run never reaches before it and the answer does not depend on where the
// search started.
bool AltEnd(std::string_view s, std::size_t i) {
  if (s[i] != ']') return false;
  std::size_t run = 0;
  while (run < i && s[i - 1 - run] == '\\') ++run;
  return run % 2 == 0;
}
bool AngleEnd(std::string_view s, std::size_t i) { return s[i] == '>'; }
bool BareEnd(std::string_view s, std::size_t i) { return s[i] == ')'; }

using AcceptFn = bool (*)(std::string_view, std::size_t);

std::string ReadAlt(std::string_view alt) {
  std::string out;
  out.reserve(alt.size());
  for (std::size_t i = 0; i < alt.size(); ++i) {
    if (alt[i] == '\\' && i + 1 < alt.size() && (alt[i + 1] == '\\' || alt[i + 1] == ']')) ++i;
    out.push_back(alt[i]);
  }
  return out;
}

void AppendText(std::vector<Run>* runs, std::size_t at, std::string_view piece,
                std::size_t end) {
  if (runs->empty() || runs->back().picture) {
    Run r;
    r.begin = at;
    runs->push_back(r);
  }
  runs->back().text.append(piece);
  runs->back().end = end;
}

}  // namespace

Split SplitText(std::string_view s) {
  Split out;
  Finder<AcceptFn> alt{s, AltEnd}, angle{s, AngleEnd}, bare{s, BareEnd};
  std::size_t i = 0, plain = 0;  // [plain, i) is text not yet appended
  auto flush = [&](std::size_t to) {
    if (to > plain) AppendText(&out.runs, plain, s.substr(plain, to - plain), to);
  };
  while (i < s.size()) {
    if (s[i] != '!') {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    while (j < s.size() && s[j] == '\\') ++j;
    if (j >= s.size() || s[j] != '[') {
      ++i;
      continue;
    }
    if (j > i + 1) {  // an escaped opener: one backslash fewer
      flush(i);
      AppendText(&out.runs, i, s.substr(i, j - i - 1), j + 1);
      out.runs.back().text.push_back('[');
      i = plain = j + 1;
      continue;
    }
    // `![`: a picture when `](`, a path and `)` follow.
    std::size_t close = alt.From(i + 2);
    bool ok = close != kNone && close + 1 < s.size() && s[close + 1] == '(';
    std::size_t pathBegin = 0, pathEnd = 0, end = 0;
    if (ok && close + 2 < s.size() && s[close + 2] == '<') {
      pathBegin = close + 3;
      pathEnd = angle.From(pathBegin);
      ok = pathEnd != kNone && pathEnd + 1 < s.size() && s[pathEnd + 1] == ')';
      end = pathEnd + 2;
    } else if (ok) {
      pathBegin = close + 2;
      pathEnd = bare.From(pathBegin);
      ok = pathEnd != kNone;
      end = pathEnd + 1;
    }
    if (!ok) {
      out.unclosed.push_back(i);
      i += 2;
      continue;
    }
    flush(i);
    Run pic;
    pic.picture = true;
    pic.text = ReadAlt(s.substr(i + 2, close - (i + 2)));
    pic.path = std::string(s.substr(pathBegin, pathEnd - pathBegin));
    pic.begin = i;
    pic.end = end;
    out.runs.push_back(std::move(pic));
    i = plain = end;
  }
  flush(s.size());
  return out;
}

bool HasPicture(std::string_view text) {
  if (text.find("![") == kNone) return false;
  for (const Run& r : SplitText(text).runs)
    if (r.picture) return true;
  return false;
}

std::string AltText(std::string_view text) {
  std::string out;
  for (const Run& r : SplitText(text).runs) out += r.text;
  return out;
}

const char* FaultName(PathFault fault) {
  switch (fault) {
    case PathFault::kNone: return "none";
    case PathFault::kEmpty: return "empty";
    case PathFault::kAbsolute: return "absolute";
    case PathFault::kDrive: return "drive";
    case PathFault::kNetwork: return "network";
    case PathFault::kOutsideBase: return "outside-base";
    case PathFault::kBadCharacter: return "bad-character";
  }
  return "unknown";
}

CheckedPath CheckPath(std::string_view p, int depth) {
  auto refuse = [](PathFault f) { return CheckedPath{f, {}}; };
  auto sep = [](char c) { return c == '/' || c == '\\'; };
  if (p.empty()) return refuse(PathFault::kEmpty);
  if (p.size() >= 2 && sep(p[0]) && sep(p[1])) return refuse(PathFault::kNetwork);
  if (sep(p[0])) return refuse(PathFault::kAbsolute);
  char d = p[0];
  if (p.size() >= 2 && p[1] == ':' && ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z')))
    return refuse(PathFault::kDrive);
  for (char ch : p) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || std::string_view(":*?\"<>|").find(ch) != kNone)
      return refuse(PathFault::kBadCharacter);
  }
  std::vector<std::string_view> parts;
  int ups = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= p.size(); ++i) {
    if (i < p.size() && !sep(p[i])) continue;
    std::string_view part = p.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
        continue;
      }
      if (++ups > (depth < 0 ? 0 : depth)) return refuse(PathFault::kOutsideBase);
    }
    parts.push_back(part);
  }
  if (parts.empty() || parts.back() == "..") return refuse(PathFault::kEmpty);
  CheckedPath out;
  for (std::string_view part : parts) {
    if (!out.path.empty()) out.path.push_back('/');
    out.path.append(part);
  }
  return out;
}

std::string SlashPath(std::string_view path) {
  std::string out(path);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

std::string EscapeText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out.push_back(s[i]);
    if (s[i] != '!') continue;
    std::size_t j = i + 1;
    while (j < s.size() && s[j] == '\\') ++j;
    if (j < s.size() && s[j] == '[') out.push_back('\\');
  }
  return out;
}

bool WriteReference(std::string_view alt, std::string_view path, std::string* out) {
  if (path.empty()) return false;
  bool angle = false;
  for (char ch : path) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F || ch == '<' || ch == '>') return false;
    if (ch == ' ' || ch == ')') angle = true;
  }
  out->append("![");
  for (std::size_t i = 0; i < alt.size(); ++i) {
    char ch = alt[i];
    if (ch == ']') {
      out->append("\\]");
    } else if (ch == '\\' && (i + 1 == alt.size() || alt[i + 1] == '\\' || alt[i + 1] == ']')) {
      out->append("\\\\");
    } else {
      out->push_back(ch);
    }
  }
  out->append(angle ? "](<" : "](");
  out->append(path);
  out->append(angle ? ">)" : ")");
  return true;
}

}  // namespace picref
