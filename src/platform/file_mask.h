// Matching a file name against a directory-search mask, as both file layers need it.
#pragma once

namespace files {

inline unsigned char FoldCase(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Matches `name` against a mask of literal bytes, '?' and '*', ignoring the case of ASCII
// letters as the Windows search does.
inline bool MatchesMask(const char* mask, const char* name) {
  const char* starMask = nullptr;
  const char* starName = nullptr;
  while (*name != '\0') {
    if (*mask == '*') {
      starMask = ++mask;
      starName = name;
    } else if (*mask != '\0' && (*mask == '?' || FoldCase(static_cast<unsigned char>(*mask)) ==
                                                     FoldCase(static_cast<unsigned char>(*name)))) {
      ++mask;
      ++name;
    } else if (starMask != nullptr) {
      mask = starMask;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*mask == '*') ++mask;
  return *mask == '\0';
}

}  // namespace files
