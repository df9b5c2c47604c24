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
  return lang::Render(MissingText(u), lang::Lang::kEnglish);
}

lang::Text MissingText(char32_t u) {
  if (u == kBad) return lang::Say(lang::Id::kMalformedUtf8);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(u));
  std::string text = buffer;
  if (u >= 0x20 && u != 0x7F) {
    text += " '";
    AppendUtf8(u, &text);
    text += "'";
  }
  return lang::Plain(text);
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
