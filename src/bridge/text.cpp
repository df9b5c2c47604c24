// Text normalisation and Windows-1251 conversion for the bridge.
#include "bridge/text.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "common/cp1251.h"

namespace bridge {

namespace {

constexpr char32_t kBad = 0xFFFFFFFFu;

// Decodes one UTF-8 sequence, refusing overlong forms, surrogates and values past U+10FFFF so
// that no hidden '<' or space slips past the byte-level passes.
char32_t NextCodePoint(std::string_view s, std::size_t* i) {
  std::size_t start = *i;
  char32_t u = cp1251::DecodeUtf8(s.data(), s.size(), i);
  if (u == kBad) return kBad;
  std::size_t length = *i - start;
  char32_t least = length == 1 ? 0 : length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return kBad;
  return u;
}

void AppendUtf8(char32_t u, std::string* out) {
  if (u < 0x80) {
    out->push_back(static_cast<char>(u));
  } else if (u < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (u >> 6)));
    out->push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else if (u < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (u >> 12)));
    out->push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (u & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (u >> 18)));
    out->push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (u & 0x3F)));
  }
}

// Byte of each code point U+0400..U+049F (the Cyrillic block the code page covers), 0 when
// none; everything else goes through the code page's own table.
constexpr std::array<unsigned char, 0xA0> MakeCyrillic() {
  std::array<unsigned char, 0xA0> table{};
  for (int i = 0; i < 128; ++i) {
    char16_t u = cp1251::kHigh[i];
    if (u >= 0x400 && u < 0x4A0) table[u - 0x400] = static_cast<unsigned char>(0x80 + i);
  }
  return table;
}
constexpr std::array<unsigned char, 0xA0> kCyrillic = MakeCyrillic();

int ByteOf(char32_t u) {
  if (u == 0) return -1;  // a zero byte would end the text in the program
  if (u < 0x80) return static_cast<int>(u);
  if (u >= 0x400 && u < 0x4A0) return kCyrillic[u - 0x400] != 0 ? kCyrillic[u - 0x400] : -1;
  return cp1251::FromUnicode(u);
}

bool IsSpaceByte(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

#ifndef EXAMEO_HAVE_GUMBO
// Without an HTML parser (a Windows build whose parser sources could not be fetched), the
// hand-written rules below read HTML.

struct Entity {
  const char* name;
  char32_t code;
};

// The named references that turn up in question banks; others stay as written.
constexpr Entity kEntities[] = {
    {"amp", '&'},       {"lt", '<'},        {"gt", '>'},       {"quot", '"'},     {"apos", '\''},
    {"nbsp", 0xA0},     {"laquo", 0xAB},    {"raquo", 0xBB},   {"ndash", 0x2013}, {"mdash", 0x2014},
    {"hellip", 0x2026}, {"copy", 0xA9},     {"reg", 0xAE},     {"deg", 0xB0},     {"plusmn", 0xB1},
    {"times", 0xD7},    {"divide", 0xF7},   {"minus", 0x2212}, {"middot", 0xB7},  {"sect", 0xA7},
    {"para", 0xB6},     {"micro", 0xB5},    {"bull", 0x2022},  {"lsquo", 0x2018}, {"rsquo", 0x2019},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E}, {"sbquo", 0x201A}, {"euro", 0x20AC},
    {"trade", 0x2122},  {"shy", 0xAD},      {"le", 0x2264},    {"ge", 0x2265},    {"ne", 0x2260},
    {"asymp", 0x2248},  {"infin", 0x221E},  {"sup2", 0xB2},    {"sup3", 0xB3},    {"frac12", 0xBD},
    {"alpha", 0x3B1},   {"beta", 0x3B2},    {"gamma", 0x3B3},  {"delta", 0x3B4},  {"pi", 0x3C0},
    {"sum", 0x2211},    {"rarr", 0x2192},   {"larr", 0x2190},  {"ensp", 0x2002},  {"emsp", 0x2003},
    {"thinsp", 0x2009}, {"numero", 0x2116},
};

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Tags that end a block of text: they separate the words on either side.
bool IsBlockTag(std::string_view name) {
  static constexpr const char* kBlocks[] = {"br", "p",  "div",        "li",  "ul", "ol",    "h1",
                                            "h2", "h3", "h4",         "h5",  "h6", "table", "tr",
                                            "td", "th", "blockquote", "pre", "hr"};
  for (const char* b : kBlocks)
    if (name == b) return true;
  return false;
}

#endif

}  // namespace

constexpr std::string_view kPluginFile = "@@PLUGINFILE@@/";

std::string AttachedFileName(std::string_view u) {
  if (u.substr(0, kPluginFile.size()) != kPluginFile) return std::string();
  u.remove_prefix(kPluginFile.size());
  u = u.substr(0, u.find_first_of("?#"));
  u = u.substr(u.rfind('/') == std::string_view::npos ? 0 : u.rfind('/') + 1);
  std::string name;
  for (std::size_t i = 0; i < u.size(); ++i) {
    auto hex = [](char c) {
      return c >= '0' && c <= '9'   ? c - '0'
             : c >= 'a' && c <= 'f' ? c - 'a' + 10
             : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                    : -1;
    };
    if (u[i] == '%' && i + 2 < u.size() && hex(u[i + 1]) >= 0 && hex(u[i + 2]) >= 0) {
      name.push_back(static_cast<char>(hex(u[i + 1]) * 16 + hex(u[i + 2])));
      i += 2;
    } else {
      name.push_back(u[i]);
    }
  }
  return name;
}

std::string FoldSpace(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  bool pending = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    bool space = IsSpaceByte(s[i]);
    if (!space && static_cast<unsigned char>(s[i]) == 0xC2 && i + 1 < s.size() &&
        static_cast<unsigned char>(s[i + 1]) == 0xA0) {
      space = true;
      ++i;
    }
    if (space) {
      pending = true;
      continue;
    }
    if (pending && !out.empty()) out.push_back(' ');
    pending = false;
    out.push_back(s[i]);
  }
  return out;
}

#ifndef EXAMEO_HAVE_GUMBO
std::string DecodeEntities(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out.push_back(s[i]);
      continue;
    }
    // References are short; a lone '&' far from any ';' is text. Looking no further keeps a
    // text full of '&' linear.
    std::size_t semi = s.substr(i + 1, 12).find(';');
    if (semi != std::string_view::npos) semi += i + 1;
    if (semi == std::string_view::npos || semi == i + 1) {
      out.push_back('&');
      continue;
    }
    std::string_view body = s.substr(i + 1, semi - i - 1);
    char32_t code = kBad;
    if (body[0] == '#') {
      bool hex = body.size() > 1 && (body[1] == 'x' || body[1] == 'X');
      std::size_t k = hex ? 2 : 1;
      char32_t value = 0;
      bool ok = k < body.size();
      for (; ok && k < body.size(); ++k) {
        char c = Lower(body[k]);
        int digit = IsDigit(c) ? c - '0' : (hex && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (digit < 0 || value > 0x10FFFF) {
          ok = false;
        } else {
          value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
        }
      }
      if (ok && value != 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF))
        code = value;
    } else {
      for (const Entity& e : kEntities)
        if (body == e.name) code = e.code;
    }
    if (code == kBad) {
      out.push_back('&');
      continue;
    }
    AppendUtf8(code, &out);
    i = semi;
  }
  return out;
}

std::string HtmlToText(std::string_view s, HtmlDropped* dropped) {
  HtmlDropped ignored;
  if (dropped == nullptr) dropped = &ignored;
  if (s.size() > kMaxHtmlBytes) {
    dropped->unread = "it is over " + std::to_string(kMaxHtmlBytes) + " bytes";
    return std::string();
  }
  std::string plain;
  plain.reserve(s.size());
  bool noClose = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c != '<' || i + 1 >= s.size()) {
      plain.push_back(c);
      continue;
    }
    if (s.compare(i, 4, "<!--") == 0) {
      std::size_t end = s.find("-->", i + 4);
      i = end == std::string_view::npos ? s.size() : end + 2;
      dropped->tags = true;
      continue;
    }
    std::size_t k = i + 1;
    bool closing = s[k] == '/';
    if (closing) ++k;
    // Only '<' before a name (or '!' / '?') opens a tag; "a < b" stays text.
    if (k >= s.size() || !(IsAsciiLetter(s[k]) || (!closing && (s[k] == '!' || s[k] == '?')))) {
      plain.push_back(c);
      continue;
    }
    // Once no '>' is left, no later '<' can open a tag either: one search, not one per '<'.
    std::size_t end = noClose ? std::string_view::npos : s.find('>', k);
    if (end == std::string_view::npos) {
      noClose = true;
      plain.push_back(c);
      continue;
    }
    std::string name;
    while (k < end && (IsAsciiLetter(s[k]) || IsDigit(s[k]))) name.push_back(Lower(s[k++]));
    dropped->tags = true;
    if (IsBlockTag(name)) {
      plain.push_back(' ');
    } else if (!closing && name == "sup") {
      plain.push_back('^');
    } else if (!closing && name == "sub") {
      plain.push_back('_');
    } else if (!closing && name == "img") {
      ++dropped->images;
      dropped->media.push_back("image");
      std::string_view tag = s.substr(i, end - i);
      std::size_t at = tag.find("@@PLUGINFILE@@/");
      if (at != std::string_view::npos) {
        std::string_view url = tag.substr(at);
        std::string file = AttachedFileName(url.substr(0, url.find_first_of("\"' >")));
        if (!file.empty()) dropped->files.push_back(std::move(file));
      }
    }
    i = end;
  }
  return FoldSpace(DecodeEntities(plain));
}

#endif

std::string HtmlToText(std::string_view html, int* images, bool* tags) {
  HtmlDropped dropped;
  std::string plain = HtmlToText(html, &dropped);
  if (images != nullptr) *images += dropped.images;
  if (tags != nullptr && dropped.tags) *tags = true;
  return plain;
}

int Utf8ToCp1251(std::string_view s, std::string* out, std::vector<char32_t>* missing) {
  int replaced = 0;
  out->reserve(out->size() + s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c != 0 && c < 0x80) {
      out->push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    char32_t u = NextCodePoint(s, &i);
    int b = u == kBad ? -1 : ByteOf(u);
    if (b < 0) {
      out->push_back('?');
      ++replaced;
      if (missing != nullptr) missing->push_back(u);
    } else {
      out->push_back(static_cast<char>(b));
    }
  }
  return replaced;
}

std::string DescribeMissing(char32_t u) {
  if (u == kBad) return "a malformed UTF-8 sequence";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(u));
  std::string text = buffer;
  if (u >= 0x20 && u != 0x7F) {
    text += " '";
    AppendUtf8(u, &text);
    text += "'";
  }
  return text;
}

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) AppendUtf8(cp1251::ToUnicode(static_cast<unsigned char>(c)), &out);
  return out;
}

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string_view SkipBom(std::string_view bytes) {
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.remove_prefix(3);
  return bytes;
}

}  // namespace bridge
