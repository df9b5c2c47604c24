// The TeX commands that stand for a text of their own, and the accents, as written by
// scripts/gen-tex-symbols.py into tex_symbols.cpp (sorted by name, bytewise).
#pragma once

#include <cstddef>

namespace tex {

struct Symbol {
  const char* name;  // without the backslash
  const char* text;  // UTF-8; for an accent, the combining mark it adds
};

extern const Symbol kSymbols[];
extern const std::size_t kSymbolCount;
extern const Symbol kAccents[];
extern const std::size_t kAccentCount;

}  // namespace tex
