// Windows-1251 bytes and the UTF-16 of the wide Win32 calls, with code page 1251 named
// explicitly: the system's own code page need not be 1251.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "common/utf8.h"

namespace cp1251 {

// A text to show (Windows-1251, or another code page such as CP_UTF8): its UTF-16, empty for a
// null text.
// takes the system's replacement rather than losing the text.
inline std::wstring ToWide(const char* text, unsigned codePage = 1251) {
  std::wstring wide;
  if (text == nullptr) return wide;
  int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 1) return wide;
  wide.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));  // the terminator stays in the buffer
  return wide;
}

// UTF-8 bytes (a path, a report's text, an Open dialog's filters with their NULs) as UTF-16,
// every byte of the string converted.
inline std::wstring WideFromUtf8(const std::string& utf8) {
  std::wstring wide;
  if (utf8.empty()) return wide;
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return wide;
  wide.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

// A bank text (Windows-1251, or UTF-8 from a file with the byte order mark) as UTF-16; an
// ill-formed UTF-8 sequence is one U+FFFD, whatever the system's converter would make of it.
inline std::wstring TextToWide(const char* text, bool utf8) {
  if (!utf8 || text == nullptr) return ToWide(text);
  std::string repaired;
  utf8::Repair(text, &repaired);
  return ToWide(repaired.c_str(), CP_UTF8);
}

// A wide text as Windows-1251 bytes, exactly: false, and *out unchanged, when a character has
// no byte there (a name spelled with it could not be opened again from those bytes).
inline bool FromWideExactly(const wchar_t* wide, std::string* out) {
  BOOL usedDefault = FALSE;
  int length =
      WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return false;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, wide, -1, bytes.data(), length, nullptr,
                          &usedDefault) != length ||
      usedDefault)
    return false;
  bytes.resize(static_cast<std::size_t>(length - 1));
  *out = std::move(bytes);
  return true;
}

}  // namespace cp1251
