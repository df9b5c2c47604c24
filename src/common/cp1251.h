// Windows-1251 texts.
//
// Every text the program shows or reads is Windows-1251 bytes. The sources stay UTF-8 and
// readable; Cp1251("...") turns a UTF-8 literal into Windows-1251 bytes at compile time, so
// no conversion happens at run time and a character outside the code page fails the build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cp1251 {

// Unicode code points of bytes 0x80..0xFF in Windows-1251; 0 marks the one undefined byte
// (0x98).
inline constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The code point of one Windows-1251 byte; U+FFFD for the undefined byte 0x98.
constexpr char32_t ToUnicode(unsigned char b) {
  if (b < 0x80) return b;
  char16_t u = kHigh[b - 0x80];
  return u == 0 ? U'\uFFFD' : u;
}

// The Windows-1251 byte of a code point, or -1 when the code page has none. А..я (bytes
// 0xC0..0xFF) are U+0410..U+044F in order, so most letters of a Russian text are found at once;
// only the other 63 are searched.
constexpr int FromUnicode(char32_t u) {
  if (u < 0x80) return static_cast<int>(u);
  if (u >= 0x0410 && u <= 0x044F) return static_cast<int>(0xC0 + (u - 0x0410));
  for (int i = 0; i < 64; ++i)
    if (kHigh[i] != 0 && kHigh[i] == u) return 0x80 + i;
  return -1;
}

constexpr bool ContiguousCyrillic() {
  for (int i = 0x40; i < 128; ++i)
    if (kHigh[i] != 0x0410 + (i - 0x40)) return false;
  return true;
}
static_assert(ContiguousCyrillic(), "bytes 0xC0..0xFF are U+0410..U+044F");

// Decodes one UTF-8 sequence at s[*i]; advances *i. Returns 0xFFFFFFFF on a malformed one.
constexpr char32_t DecodeUtf8(const char* s, std::size_t n, std::size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (extra < 0 || *i + extra >= n) {
    ++*i;
    return 0xFFFFFFFFu;
  }
  char32_t u = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
  ++*i;
  for (int k = 0; k < extra; ++k) {
    unsigned char d = static_cast<unsigned char>(s[*i]);
    if ((d >> 6) != 2) return 0xFFFFFFFFu;
    u = (u << 6) | (d & 0x3F);
    ++*i;
  }
  return u;
}

// Appends the code point `u` as UTF-8.
inline void AppendUtf8(char32_t u, std::string* out) {
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

// A Windows-1251 text of at most N-1 bytes, made at compile time.
template <std::size_t N>
struct Text {
  char bytes[N] = {};
  constexpr const char* c_str() const { return bytes; }
  constexpr operator const char*() const { return bytes; }
};

// Converts a UTF-8 literal to Windows-1251 at compile time. A character the code page lacks
// is a compile error (the throw is not allowed in a constant expression).
template <std::size_t N>
consteval Text<N> Cp1251(const char (&utf8)[N]) {
  Text<N> out;
  std::size_t i = 0, o = 0;
  while (i + 1 < N) {
    char32_t u = DecodeUtf8(utf8, N - 1, &i);
    int b = u == 0xFFFFFFFFu ? -1 : FromUnicode(u);
    if (b < 0) throw "character outside Windows-1251";
    out.bytes[o++] = static_cast<char>(b);
  }
  return out;
}

}  // namespace cp1251

using cp1251::Cp1251;
