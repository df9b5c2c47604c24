#include "bridge/tex_text.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

#include "bridge/tex_symbols.h"
#include "common/cp1251.h"
#include "common/utf8.h"

namespace tex {

namespace {

using cp1251::AppendUtf8;

// How a character or command sits among its neighbours, after TeX's own classes: the spacing
// of the result follows from them, as TeX's does, whatever spaces the source had.
enum class Cls { kNone, kOrd, kOp, kBin, kRel, kOpen, kClose, kPunct, kSpace, kFunc };

bool In(char32_t c, char32_t lo, char32_t hi) { return c >= lo && c <= hi; }

Cls ClassOf(char32_t c) {
  switch (c) {
    case '+': case '-': case '*': case 0x00B1: case 0x00D7: case 0x00F7: case 0x00B7:
    case 0x2212: case 0x2213: case 0x2214: case 0x2216: case 0x2217: case 0x2218: case 0x2219:
    case 0x2227: case 0x2228: case 0x2229: case 0x222A: case 0x2240: case 0x228C: case 0x228D:
    case 0x228E: case 0x2293: case 0x2294: case 0x2295: case 0x2296: case 0x2297: case 0x2298:
    case 0x2299: case 0x229A: case 0x229B: case 0x229D: case 0x229E: case 0x229F: case 0x22A0:
    case 0x22A1: case 0x22C4: case 0x22C5: case 0x22C6: case 0x2020: case 0x2021: case 0x25B3:
    case 0x25BD: case 0x25C1: case 0x25B7: case 0x22BB: case 0x22BC: case 0x22BD:
      return Cls::kBin;
    case '=': case '<': case '>': case ':': case 0x221D: case 0x2236: case 0x2237:
      return Cls::kRel;
    case ',': case ';':
      return Cls::kPunct;
    case '(': case '[': case '{': case 0x27E8: case 0x2308: case 0x230A: case 0x27E6:
      return Cls::kOpen;
    case ')': case ']': case '}': case '!': case '?': case 0x27E9: case 0x2309: case 0x230B:
    case 0x27E7:
      return Cls::kClose;
    case 0x2211: case 0x220F: case 0x2210:
      return Cls::kOp;
    default:
      break;
  }
  if (In(c, 0x222B, 0x2233) || In(c, 0x22C0, 0x22C3) || In(c, 0x2A00, 0x2A0C)) return Cls::kOp;
  if (In(c, 0x2190, 0x21FF) || In(c, 0x27F0, 0x27FF) || In(c, 0x2900, 0x297F) ||
      In(c, 0x2208, 0x220D) || In(c, 0x2223, 0x2226) || In(c, 0x223C, 0x223F) ||
      In(c, 0x2241, 0x228B) || In(c, 0x228F, 0x2292) || In(c, 0x22A2, 0x22B7) ||
      In(c, 0x22D0, 0x22D1) || In(c, 0x22D4, 0x22ED) || In(c, 0x2A7D, 0x2AFF))
    return Cls::kRel;
  return Cls::kOrd;
}

char32_t SuperscriptOf(char32_t c) {
  switch (c) {
    case '1': return 0x00B9;
    case '2': return 0x00B2;
    case '3': return 0x00B3;
    case '0': return 0x2070;
    case 'i': return 0x2071;
    case '+': return 0x207A;
    case '-': case 0x2212: return 0x207B;
    case '=': return 0x207C;
    case '(': return 0x207D;
    case ')': return 0x207E;
    case 'n': return 0x207F;
    default: return c >= '4' && c <= '9' ? 0x2074 + (c - '4') : 0;
  }
}

char32_t SubscriptOf(char32_t c) {
  if (c >= '0' && c <= '9') return 0x2080 + (c - '0');
  switch (c) {
    case '+': return 0x208A;
    case '-': case 0x2212: return 0x208B;
    case '=': return 0x208C;
    case '(': return 0x208D;
    case ')': return 0x208E;
    case 'a': return 0x2090;
    case 'e': return 0x2091;
    case 'o': return 0x2092;
    case 'x': return 0x2093;
    case 0x0259: return 0x2094;
    case 'h': return 0x2095;
    case 'k': return 0x2096;
    case 'l': return 0x2097;
    case 'm': return 0x2098;
    case 'n': return 0x2099;
    case 'p': return 0x209A;
    case 's': return 0x209B;
    case 't': return 0x209C;
    default: return 0;
  }
}

// `s` in script forms when every character has one.
bool ScriptForm(std::string_view s, char32_t (*form)(char32_t), std::string* out) {
  std::string r;
  for (std::size_t i = 0; i < s.size();) {
    utf8::Step st = utf8::Next(s, i);
    char32_t m = st.ok ? form(st.cp) : 0;
    if (m == 0) return false;
    AppendUtf8(m, &r);
    i += st.len;
  }
  *out = std::move(r);
  return true;
}

std::size_t CodePoints(std::string_view s) { return utf8::CountChars(s); }

char32_t FirstCodePoint(std::string_view s) { return s.empty() ? 0 : utf8::Next(s, 0).cp; }

char32_t LastCodePoint(std::string_view s) {
  if (s.empty()) return 0;
  std::size_t i = s.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return utf8::Next(s, i).cp;
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Whether the whole of `s` is one pair of parentheses and what they hold.
bool Wrapped(std::string_view s) {
  if (s.size() < 2 || s.front() != '(' || s.back() != ')') return false;
  int level = 0;
  for (std::size_t k = 0; k < s.size(); ++k) {
    if (s[k] == '(') ++level;
    if (s[k] == ')' && --level == 0 && k + 1 < s.size()) return false;
  }
  return level == 0;
}

std::string InParens(const std::string& s) { return Wrapped(s) ? s : "(" + s + ")"; }

Piece Paren(const Piece& p) { return p.simple ? p : Piece{InParens(p.text), true}; }

Piece Script(const Piece& base, const Piece& script, char32_t (*form)(char32_t), char mark) {
  if (script.text.empty()) return base;
  Piece b = Paren(base);
  std::string mapped;
  if (ScriptForm(script.text, form, &mapped)) return {b.text + mapped, true};
  if (CodePoints(script.text) == 1) return {b.text + mark + script.text, true};
  return {b.text + mark + InParens(script.text), true};
}

const Symbol* Find(const Symbol* table, std::size_t n, std::string_view name) {
  std::size_t lo = 0, hi = n;
  while (lo < hi) {
    std::size_t mid = (lo + hi) / 2;
    int c = name.compare(table[mid].name);
    if (c == 0) return &table[mid];
    if (c < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return nullptr;
}

bool OneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  for (std::string_view n : names)
    if (n == name) return true;
  return false;
}

// A character and the one TeX's \not makes of it (their canonical compositions with U+0338).
constexpr char32_t kNegated[][2] = {
    {'=', 0x2260},    {'<', 0x226E},    {'>', 0x226F},    {0x2264, 0x2270}, {0x2265, 0x2271},
    {0x2208, 0x2209}, {0x220B, 0x220C}, {0x2261, 0x2262}, {0x2282, 0x2284}, {0x2283, 0x2285},
    {0x2286, 0x2288}, {0x2287, 0x2289}, {0x223C, 0x2241}, {0x2248, 0x2249}, {0x2243, 0x2244},
    {0x2245, 0x2247}, {0x2223, 0x2224}, {0x2225, 0x2226},
};

struct Item {
  std::string text;
  Cls cls = Cls::kOrd;
  bool simple = true;
};

void AppendSpace(std::string* out) {
  if (!out->empty() && out->back() != ' ') out->push_back(' ');
}

void AppendText(std::string* out, std::string_view t) {
  if (!t.empty() && t[0] == ' ' && (out->empty() || out->back() == ' ')) t.remove_prefix(1);
  out->append(t);
}

// Joins a list's items with TeX's spacing: a space around relations and binary operators
// (none in scripts), after punctuation, around functions and large operators.
Piece Join(const std::vector<Item>& items, bool script) {
  std::vector<Cls> eff(items.size());
  std::vector<std::size_t> seen;  // the visible items, by index
  for (std::size_t k = 0; k < items.size(); ++k)
    if (items[k].cls != Cls::kNone && items[k].cls != Cls::kSpace) seen.push_back(k);
  for (std::size_t v = 0; v < seen.size(); ++v) {
    const Item& it = items[seen[v]];
    Cls c = it.cls;
    if (c == Cls::kBin) {
      Cls prev = v == 0 ? Cls::kNone : eff[seen[v - 1]];
      Cls next = v + 1 == seen.size() ? Cls::kNone : items[seen[v + 1]].cls;
      if (prev == Cls::kNone || prev == Cls::kBin || prev == Cls::kOp || prev == Cls::kRel ||
          prev == Cls::kOpen || prev == Cls::kPunct || next == Cls::kNone || next == Cls::kRel ||
          next == Cls::kClose || next == Cls::kPunct)
        c = Cls::kOrd;  // unary: -x, (+1)
    }
    if (c == Cls::kPunct && it.text == "," && v > 0 && v + 1 < seen.size() &&
        IsDigit(LastCodePoint(items[seen[v - 1]].text)) &&
        IsDigit(FirstCodePoint(items[seen[v + 1]].text)))
      c = Cls::kOrd;  // a decimal comma: 3,14
    eff[seen[v]] = c;
  }
  Piece out;
  int visible = 0, level = 0;  // level: inside parentheses of this list, which keep one term
  Cls prev = Cls::kNone;
  bool pendingSpace = false;
  for (std::size_t k = 0; k < items.size(); ++k) {
    const Item& it = items[k];
    if (it.cls == Cls::kNone) continue;
    if (it.cls == Cls::kSpace) {
      pendingSpace = visible > 0;
      continue;
    }
    Cls c = eff[k];
    bool space = pendingSpace;
    if (!script && prev != Cls::kNone) {
      if (c == Cls::kRel && prev != Cls::kRel && prev != Cls::kOpen) space = true;
      if (prev == Cls::kRel && c != Cls::kRel && c != Cls::kClose && c != Cls::kPunct)
        space = true;
      if (c == Cls::kBin || prev == Cls::kBin) space = true;
      if (prev == Cls::kPunct) space = true;
      if (prev == Cls::kOp && (c == Cls::kOrd || c == Cls::kOpen || c == Cls::kOp || c == Cls::kFunc))
        space = true;
      if (prev == Cls::kFunc && (c == Cls::kOrd || c == Cls::kOp || c == Cls::kFunc)) space = true;
      if ((c == Cls::kFunc || c == Cls::kOp) && (prev == Cls::kOrd || prev == Cls::kClose))
        space = true;
    }
    if (space) {
      AppendSpace(&out.text);
      if (pendingSpace && level == 0) out.simple = false;
    }
    pendingSpace = false;
    AppendText(&out.text, it.text);
    if (c == Cls::kOpen) ++level;
    if (c == Cls::kClose && level > 0) --level;
    if (level == 0 && c != Cls::kClose) {
      if (c == Cls::kBin || c == Cls::kRel || c == Cls::kPunct || !it.simple) out.simple = false;
      if ((c == Cls::kFunc || c == Cls::kOp) && seen.size() > 1) out.simple = false;
    }
    prev = c;
    ++visible;
  }
  while (!out.text.empty() && out.text.back() == ' ') out.text.pop_back();
  return out;
}

struct Parser {
  std::string_view s;
  std::size_t base;  // offset of s in the text the notes speak of
  std::vector<Note>* notes;
  std::size_t i = 0;
  int depth = 0;
  std::size_t noBracketFrom = std::string_view::npos;
  bool fault = false;
  NoteKind faultKind = NoteKind::kUnbalanced;
  std::size_t faultAt = 0;

  void Fail(NoteKind kind, std::size_t at) {
    if (fault) return;
    fault = true;
    faultKind = kind;
    faultAt = at;
  }

  bool More() const { return i < s.size() && !fault; }

  void SkipSpace() {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
  }

  // The position of the `}` that closes the `{` at `open`, or npos: for the texts kept as
  // written, which are not parsed.
  std::size_t MatchBrace(std::size_t open) const {
    int level = 0;
    for (std::size_t k = open; k < s.size(); ++k) {
      if (s[k] == '\\') {
        ++k;
      } else if (s[k] == '{') {
        ++level;
      } else if (s[k] == '}' && --level == 0) {
        return k;
      }
    }
    return std::string_view::npos;
  }

  // A `{...}` group's content as written, white space folded (\text and \operatorname).
  std::string RawArgument() {
    SkipSpace();
    std::string out;
    std::string_view raw;
    if (i < s.size() && s[i] == '{') {
      std::size_t close = MatchBrace(i);
      if (close == std::string_view::npos) {
        Fail(NoteKind::kUnbalanced, i);
        return out;
      }
      raw = s.substr(i + 1, close - i - 1);
      i = close + 1;
    } else if (i < s.size()) {
      std::size_t len = utf8::Next(s, i).len;
      raw = s.substr(i, len);
      i += len;
    }
    for (char ch : raw) {
      bool white = ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '~';
      if (ch == '{' || ch == '}') continue;
      if (white) {
        if (out.empty() || out.back() != ' ') out.push_back(' ');
      } else {
        out.push_back(ch);
      }
    }
    return out;
  }

  // The items up to the end, or to the `stop` (`}` or `]`) of this level, left unread.
  std::vector<Item> List(bool script, char stop) {
    std::vector<Item> items;
    bool afterNone = false;  // the last atom was \limits, \displaystyle, ...
    while (More()) {
      char c = s[i];
      if (c == '}' || (stop == ']' && c == ']')) {
        if (c != stop) Fail(NoteKind::kUnbalanced, i);
        break;
      }
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        ++i;
        continue;
      }
      Item it;
      if (c != '^' && c != '_') {
        it = Atom(script);
      } else if (afterNone && !items.empty() && items.back().cls != Cls::kSpace) {
        it = std::move(items.back());  // \lim\limits_{n}: the scripts are lim's
        items.pop_back();
      }
      if (fault) break;
      afterNone = it.cls == Cls::kNone;
      if (afterNone) continue;
      Piece sub, sup;
      bool scripted = false;
      for (;;) {
        SkipSpace();
        if (i >= s.size() || (s[i] != '^' && s[i] != '_')) break;
        bool up = s[i] == '^';
        ++i;
        Piece p = Argument(true);
        if (fault) break;
        (up ? sup : sub) = p;
        scripted = true;
      }
      if (fault) break;
      if (scripted) {
        if (it.cls == Cls::kOp) {
          it.text = NAry(it.text, sub, sup, {}).text;
        } else {
          Piece p = SubSup({it.text, it.simple}, sub, sup);
          it.text = p.text;
          it.simple = p.simple;
          if (it.cls != Cls::kFunc && it.cls != Cls::kClose) it.cls = Cls::kOrd;
        }
      }
      items.push_back(std::move(it));
    }
    return items;
  }

  // A group's or a single token's rendering: the argument of \frac, \sqrt, ^ and _.
  Piece Argument(bool script) {
    SkipSpace();
    if (i >= s.size() || s[i] == '}' || s[i] == '^' || s[i] == '_' || s[i] == ']') return {};
    Item it = Atom(script);
    if (it.cls == Cls::kNone || it.cls == Cls::kSpace) return {};
    return {it.text, it.simple};
  }

  Item Group(bool script) {
    std::size_t open = i++;
    std::vector<Item> items = List(script, '}');
    if (fault) return {};
    if (i >= s.size()) {
      Fail(NoteKind::kUnbalanced, open);
      return {};
    }
    ++i;
    Piece p = Join(items, script);
    return {p.text, Cls::kOrd, p.simple};
  }

  Item Atom(bool script) {
    if (++depth > kMaxDepth) {
      Fail(NoteKind::kTooDeep, i);
      --depth;
      return {};
    }
    Item it = AtomBody(script);
    --depth;
    return it;
  }

  Item AtomBody(bool script) {
    char c = s[i];
    if (c == '{') return Group(script);
    if (c == '\\') return Command(script);
    if (c == '~' || c == '&') {
      ++i;
      return {"", Cls::kSpace};
    }
    utf8::Step st = utf8::Next(s, i);
    Item it{std::string(s.substr(i, st.len)), ClassOf(st.cp)};
    i += st.len;
    return it;
  }

  Item Kept(std::size_t start) {
    // The command's arguments go with it, as written.
    for (;;) {
      std::size_t k = i;
      while (k < s.size() && (s[k] == ' ' || s[k] == '\t')) ++k;
      if (k >= s.size() || (s[k] != '{' && s[k] != '[')) break;
      if (s[k] == '{') {
        std::size_t close = MatchBrace(k);
        if (close == std::string_view::npos) {
          Fail(NoteKind::kUnbalanced, k);
          return {};
        }
        i = close + 1;
      } else {
        // No `]` after a failed search: later `[` need not look again.
        std::size_t close = k < noBracketFrom ? s.find(']', k) : std::string_view::npos;
        if (close == std::string_view::npos) {
          noBracketFrom = std::min(noBracketFrom, k);
          break;
        }
        i = close + 1;
      }
    }
    std::string name(s.substr(start, i - start));
    std::size_t end = name.find_first_of("{[ \t");
    if (notes) notes->push_back({NoteKind::kKept, base + start, name.substr(0, end)});
    return {name, Cls::kOrd, true};
  }

  Item Command(bool script) {
    std::size_t start = i++;
    if (i >= s.size()) return Kept(start);
    std::size_t nameBegin = i;
    if ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z')) {
      while (i < s.size() && ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z'))) ++i;
    } else {
      i += utf8::Next(s, i).len;
    }
    std::string_view name = s.substr(nameBegin, i - nameBegin);
    bool word = name.size() > 1 || (name[0] >= 'a' && name[0] <= 'z') ||
                (name[0] >= 'A' && name[0] <= 'Z');
    if (word) SkipSpace();

    if (OneOf(name, {"frac", "dfrac", "tfrac", "cfrac"})) {
      Piece num = Argument(script);
      Piece den = Argument(script);
      Piece f = Frac(num, den);
      return {f.text, Cls::kOrd, f.simple};
    }
    if (name == "sqrt") {
      Piece degree;
      if (i < s.size() && s[i] == '[') {
        std::size_t open = i++;
        std::vector<Item> items = List(true, ']');
        if (fault) return {};
        if (i >= s.size()) {
          Fail(NoteKind::kUnbalanced, open);
          return {};
        }
        ++i;
        degree = Join(items, true);
      }
      Piece r = Sqrt(Argument(script), degree);
      return {r.text, Cls::kOrd, r.simple};
    }
    if (OneOf(name, {"left", "right", "middle", "bigl", "bigr", "Bigl", "Bigr", "biggl",
                     "biggr", "Biggl", "Biggr", "big", "Big", "bigg", "Bigg", "bigm", "Bigm"})) {
      // Sizes: the delimiter that follows stands for itself; `.` is none.
      if (i < s.size() && s[i] == '.') ++i;
      return {"", Cls::kNone};
    }
    if (OneOf(name, {"displaystyle", "textstyle", "scriptstyle", "scriptscriptstyle", "limits",
                     "nolimits", "nonumber", "notag", "mathstrut", "strut"}))
      return {"", Cls::kNone};
    if (name == "\\") return {"", Cls::kSpace};
    if (OneOf(name, {"text", "textrm", "textit", "textbf", "textsf", "texttt", "textup",
                     "textnormal", "mbox", "hbox"})) {
      std::string t = RawArgument();
      bool simple = t.find(' ') == std::string::npos;
      return {t, Cls::kOrd, simple};
    }
    if (name == "operatorname") return {RawArgument(), Cls::kFunc};
    if (OneOf(name, {"mathrm", "mathit", "mathbf", "mathsf", "mathtt", "mathcal", "mathscr",
                     "mathfrak", "mathnormal", "boldsymbol", "bm", "pmb", "underline", "emph"})) {
      Piece p = Argument(script);
      return {p.text, Cls::kOrd, p.simple};
    }
    if (name == "mathbb") {
      Piece p = Argument(script);
      static constexpr std::pair<char, char32_t> kDouble[] = {
          {'C', 0x2102}, {'H', 0x210D}, {'N', 0x2115}, {'P', 0x2119},
          {'Q', 0x211A}, {'R', 0x211D}, {'Z', 0x2124}};
      if (p.text.size() == 1)
        for (auto [letter, u] : kDouble)
          if (p.text[0] == letter) {
            p.text.clear();
            AppendUtf8(u, &p.text);
          }
      return {p.text, Cls::kOrd, p.simple};
    }
    if (name == "%") return {"%", Cls::kOrd};
    if (name == "bmod") return {"mod", Cls::kBin};
    if (name == "pmod") return {" (mod " + Argument(script).text + ")", Cls::kOrd, false};
    if (name == "not") {
      SkipSpace();
      if (i >= s.size() || s[i] == '}' || s[i] == ']') return Kept(start);
      Item next = Atom(script);
      char32_t u = CodePoints(next.text) == 1 ? FirstCodePoint(next.text) : 0;
      for (const auto& pair : kNegated)
        if (pair[0] == u) {
          std::string t;
          AppendUtf8(pair[1], &t);
          return {t, Cls::kRel};
        }
      next.text += "\xCC\xB8";  // U+0338, the overlay \not draws
      return {next.text, Cls::kRel};
    }
    std::string_view accentName = name == "overline" ? std::string_view("bar") : name;
    if (const Symbol* accent = Find(kAccents, kAccentCount, accentName)) {
      Piece p = Argument(script);
      std::string t;
      for (std::size_t k = 0; k < p.text.size();) {
        std::size_t len = utf8::Next(p.text, k).len;
        t.append(p.text, k, len);
        if (p.text[k] != ' ') t += accent->text;
        k += len;
      }
      return {t, Cls::kOrd, p.simple};
    }
    if (const Symbol* sym = Find(kSymbols, kSymbolCount, name)) {
      std::string_view t = sym->text;
      if (t.empty()) return {"", Cls::kNone};
      if (t.find_first_not_of(' ') == std::string_view::npos) return {"", Cls::kSpace};
      bool letters = t.size() >= 2;
      for (char ch : t)
        if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == ' ')) letters = false;
      if (letters) return {std::string(t), Cls::kFunc};
      Cls cls = CodePoints(t) == 1 ? ClassOf(FirstCodePoint(t)) : Cls::kOrd;
      if (OneOf(name, {"bigoplus", "bigotimes", "bigodot", "biguplus", "bigsqcup"}))
        cls = Cls::kOp;
      if (name == "mid") cls = Cls::kRel;
      return {std::string(t), cls};
    }
    return Kept(start);
  }
};

// The formula's text; false (and the body as written) on a structural fault.
bool ConvertMathAt(std::string_view body, std::size_t base, std::vector<Note>* notes,
                   std::string* out) {
  std::size_t before = notes ? notes->size() : 0;
  Parser p{body, base, notes};
  std::vector<Item> items = p.List(false, 0);
  if (!p.fault && p.i < body.size()) p.Fail(NoteKind::kUnbalanced, p.i);  // a stray `}`
  if (p.fault) {
    if (notes) {
      notes->resize(before);
      std::string what = p.faultAt < body.size() ? std::string(1, body[p.faultAt]) : "";
      notes->push_back({p.faultKind, base + p.faultAt, what});
    }
    out->append(body);
    return false;
  }
  std::string text = Join(items, false).text;
  std::size_t lead = text.find_first_not_of(' ');
  if (lead != std::string::npos) out->append(text, lead, std::string::npos);
  return true;
}

struct Delimiter {
  std::string_view open, close;
};
constexpr Delimiter kDelimiters[] = {{"\\(", "\\)"}, {"\\[", "\\]"}, {"$$", "$$"}};

}  // namespace

Piece Plain(std::string_view s) {
  Piece p{std::string(s), true};
  int level = 0;
  bool first = true;
  for (std::size_t i = 0; i < s.size();) {
    utf8::Step st = utf8::Next(s, i);
    Cls c = ClassOf(st.cp);
    if (c == Cls::kOpen) ++level;
    if (c == Cls::kClose && level > 0) --level;
    if (level == 0 && (st.cp == ' ' || st.cp == '/' || c == Cls::kRel || c == Cls::kPunct ||
                       c == Cls::kOp || (c == Cls::kBin && !first)))
      p.simple = false;
    first = false;
    i += st.len;
  }
  return p;
}

Piece Frac(const Piece& num, const Piece& den) {
  return {Paren(num).text + "/" + Paren(den).text, false};
}

Piece Sup(const Piece& base, const Piece& exp) {
  // 90^\circ is a degree; f^\prime and f^{\prime\prime} are primes.
  if (exp.text == "\xE2\x88\x98") return {Paren(base).text + "\xC2\xB0", true};
  if (!exp.text.empty() && exp.text.find_first_not_of('\'') == std::string::npos)
    return {Paren(base).text + exp.text, true};
  return Script(base, exp, SuperscriptOf, '^');
}

Piece Sub(const Piece& base, const Piece& sub) { return Script(base, sub, SubscriptOf, '_'); }

Piece SubSup(const Piece& base, const Piece& sub, const Piece& sup) {
  return Sup(Sub(base, sub), sup);
}

Piece Sqrt(const Piece& radicand, const Piece& degree) {
  const std::string& x = radicand.text;
  bool bare = CodePoints(x) == 1;
  if (!bare && !x.empty()) {
    bare = true;
    for (char ch : x)
      if (!((ch >= '0' && ch <= '9') || ch == '.' || ch == ',')) bare = false;
  }
  std::string r = bare ? x : InParens(x);
  std::string sign;
  if (degree.text.empty() || degree.text == "2") return {"\xE2\x88\x9A" + r, true};
  if (degree.text == "3") return {"\xE2\x88\x9B" + r, true};
  if (degree.text == "4") return {"\xE2\x88\x9C" + r, true};
  if (ScriptForm(degree.text, SuperscriptOf, &sign)) return {sign + "\xE2\x88\x9A" + r, true};
  return {"(" + x + ")^(1/" + degree.text + ")", true};
}

Piece NAry(std::string_view op, const Piece& lower, const Piece& upper, const Piece& body) {
  Piece p = SubSup({std::string(op), true}, lower, upper);
  if (!body.text.empty()) p.text += " " + body.text;
  p.simple = false;
  return p;
}

std::string ConvertMath(std::string_view tex, std::vector<Note>* notes) {
  std::string out;
  ConvertMathAt(tex, 0, notes, &out);
  return out;
}

bool HasMath(std::string_view s) {
  for (const Delimiter& d : kDelimiters)
    if (s.find(d.open) != std::string_view::npos) return true;
  return false;
}

std::string ConvertText(std::string_view s, std::vector<Note>* notes) {
  std::string out;
  out.reserve(s.size());
  // The next closing delimiter of each kind at or after where it was last looked for: an
  // unterminated opener then costs one search for the whole text, not one per opener.
  std::size_t closeFrom[3] = {0, 0, 0}, closeAt[3];
  bool searched[3] = {false, false, false};
  std::size_t i = 0, copied = 0;
  while (i + 1 < s.size()) {
    int kind = -1;
    for (int k = 0; k < 3; ++k)
      if (s.substr(i, 2) == kDelimiters[k].open) kind = k;
    if (kind < 0) {
      ++i;
      continue;
    }
    std::size_t from = i + 2;
    if (!searched[kind] || from < closeFrom[kind] ||
        (closeAt[kind] != std::string_view::npos && from > closeAt[kind])) {
      closeAt[kind] = s.find(kDelimiters[kind].close, from);
      closeFrom[kind] = from;
      searched[kind] = true;
    }
    std::size_t close = closeAt[kind];
    if (close == std::string_view::npos) {
      if (notes) notes->push_back({NoteKind::kUnterminated, i, std::string(kDelimiters[kind].open)});
      i = from;
      continue;
    }
    out.append(s, copied, i - copied);
    std::size_t mark = out.size();
    if (!ConvertMathAt(s.substr(from, close - from), from, notes, &out)) {
      out.resize(mark);  // the formula as written, delimiters and all
      out.append(s, i, close + 2 - i);
    }
    i = copied = close + 2;
  }
  out.append(s, copied, std::string_view::npos);
  return out;
}

}  // namespace tex
