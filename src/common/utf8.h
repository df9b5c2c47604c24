// UTF-8 texts: strict decoding, cutting at character boundaries, counting characters, and the
// Windows-1251 bytes of a text when every character has one.
//
// Strict means what Unicode calls well-formed: no overlong forms, no surrogates, nothing past
// U+10FFFF. An ill-formed sequence is one replacement character per maximal subpart (a lead
// byte and the continuation bytes that could still follow it), as browsers and Windows show
// it, so a text's character count, its repaired form and its cut points all agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/cp1251.h"

namespace utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;
inline constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// One character at a position: its code point (U+FFFD for an ill-formed sequence), its length
// in bytes (1..4, 0 only at the end of the text) and whether it was well-formed.
struct Step {
  char32_t cp;
  std::uint8_t len;
  bool ok;
};

// The character at s[i] (i < s.size()).
constexpr Step Next(std::string_view s, std::size_t i) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = at(i);
  if (c < 0x80) return {c, 1, true};
  int need;
  unsigned char lo = 0x80, hi = 0xBF;  // the second byte's range
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1, cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 2, cp = c & 0x0F;
    if (c == 0xE0) lo = 0xA0;       // overlong
    if (c == 0xED) hi = 0x9F;       // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 3, cp = c & 0x07;
    if (c == 0xF0) lo = 0x90;       // overlong
    if (c == 0xF4) hi = 0x8F;       // past U+10FFFF
  } else {
    return {kReplacement, 1, false};  // a stray continuation byte, C0, C1 or F5..FF
  }
  std::size_t k = i + 1;
  for (int n = 0; n < need; ++n, ++k) {
    if (k >= s.size()) return {kReplacement, static_cast<std::uint8_t>(k - i), false};
    unsigned char d = at(k);
    if (n == 0 ? (d < lo || d > hi) : (d & 0xC0) != 0x80)
      return {kReplacement, static_cast<std::uint8_t>(k - i), false};
    cp = (cp << 6) | (d & 0x3F);
  }
  return {cp, static_cast<std::uint8_t>(need + 1), true};
}

// The offset of the first ill-formed sequence at or after `from`, or kNone.
constexpr std::size_t FindInvalid(std::string_view s, std::size_t from = 0) {
  std::size_t i = from;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    Step st = Next(s, i);
    if (!st.ok) return i;
    i += st.len;
  }
  return kNone;
}

constexpr bool IsValid(std::string_view s) { return FindInvalid(s) == kNone; }

// An ill-formed sequence: where it starts and how many bytes it covers.
struct Invalid {
  std::size_t offset;
  std::size_t length;
};

// Appends `s` to *out with each ill-formed sequence as U+FFFD, reporting each in *bad (if not
// null). Returns how many there were.
inline std::size_t Repair(std::string_view s, std::string* out,
                          std::vector<Invalid>* bad = nullptr) {
  std::size_t count = 0, i = 0, clean = 0;
  out->reserve(out->size() + s.size());
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    Step st = Next(s, i);
    if (st.ok) {
      i += st.len;
      continue;
    }
    out->append(s.substr(clean, i - clean));
    cp1251::AppendUtf8(kReplacement, out);
    if (bad) bad->push_back({i, st.len});
    ++count;
    i += st.len;
    clean = i;
  }
  out->append(s.substr(clean));
  return count;
}

// The code points of `s`, U+FFFD for each ill-formed sequence (reported in *bad).
inline std::u32string Decode(std::string_view s, std::vector<Invalid>* bad = nullptr) {
  std::u32string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    Step st = Next(s, i);
    if (!st.ok && bad) bad->push_back({i, st.len});
    out.push_back(st.cp);
    i += st.len;
  }
  return out;
}

// The longest prefix of `s` of at most `max` bytes that ends at a character boundary: a
// well-formed character, and an ill-formed sequence too, is kept whole or not at all.
constexpr std::size_t CutLength(std::string_view s, std::size_t max) {
  if (max >= s.size()) return s.size();
  // A character holds at most 4 bytes: the one that `max` might split starts within 3 bytes
  // before it, at a byte that is not a continuation byte.
  std::size_t start = max;
  for (int back = 0; back < 3 && start > 0; ++back) {
    if ((static_cast<unsigned char>(s[start]) & 0xC0) != 0x80) break;
    --start;
  }
  if ((static_cast<unsigned char>(s[start]) & 0xC0) == 0x80 || start == max) return max;
  return start + Next(s, start).len > max ? start : max;
}

constexpr std::string_view Cut(std::string_view s, std::size_t max) {
  return s.substr(0, CutLength(s, max));
}

// Copies `s` into a field of `size` bytes (size >= 1) with its terminating zero, cut at a
// character boundary. Returns the bytes copied; they are fewer than s.size() when it was cut.
inline std::size_t CopyCut(std::string_view s, char* field, std::size_t size) {
  std::size_t n = CutLength(s, size - 1);
  s.copy(field, n);
  field[n] = '\0';
  return n;
}

// Characters, as a display counts them: each ill-formed sequence counts as the one U+FFFD it
// shows as.
constexpr std::size_t CountChars(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); ++count) {
    if (static_cast<unsigned char>(s[i]) < 0x80)
      ++i;
    else
      i += Next(s, i).len;
  }
  return count;
}

// Whether every character of `s` has a Windows-1251 byte (an ill-formed sequence has none).
constexpr bool FitsCp1251(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    Step st = Next(s, i);
    if (!st.ok || cp1251::FromUnicode(st.cp) < 0) return false;
    i += st.len;
  }
  return true;
}

// The Windows-1251 bytes of `s` appended to *out when every character has one; otherwise
// false, *out untouched and *where (if not null) the offset of the first character without.
inline bool ToCp1251(std::string_view s, std::string* out, std::size_t* where = nullptr) {
  std::size_t start = out->size();
  out->reserve(start + s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    Step st = Next(s, i);
    int b = st.ok ? cp1251::FromUnicode(st.cp) : -1;
    if (b < 0) {
      out->resize(start);
      if (where) *where = i;
      return false;
    }
    out->push_back(static_cast<char>(b));
    i += st.len;
  }
  return true;
}

// A text as the study records keep it: its Windows-1251 bytes when every character has one (so
// whatever a record held before UTF-8 banks stays byte for byte the same), else its UTF-8 bytes.
// `text` is UTF-8 when `isUtf8`, else Windows-1251. Returns whether *out is UTF-8.
inline bool Kept(std::string_view text, bool isUtf8, std::string* out) {
  out->clear();
  if (!isUtf8 || ToCp1251(text, out)) {
    if (!isUtf8) out->assign(text);
    return false;
  }
  out->assign(text);
  return true;
}

// Windows-1251 bytes as UTF-8, appended to *out (the undefined byte 0x98 becomes U+FFFD).
inline void FromCp1251(std::string_view bytes, std::string* out) {
  out->reserve(out->size() + bytes.size() * 2);
  for (char ch : bytes) {
    unsigned char b = static_cast<unsigned char>(ch);
    if (b < 0x80)
      out->push_back(ch);
    else
      cp1251::AppendUtf8(cp1251::ToUnicode(b), out);
  }
}

}  // namespace utf8
