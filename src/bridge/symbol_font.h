// Characters of Word's w:sym elements: the Symbol font's codes as Unicode.
#pragma once

namespace bridge {

// The Unicode character the Symbol font draws for `code` (0x20..0xFF, or the same code in the
// private-use block F020..F0FF where Word writes it), or 0 when it draws none Unicode has
// (the pieces of large brackets drawn from several glyphs are kept, as Unicode has them).
char32_t SymbolFontChar(unsigned code);

}  // namespace bridge
