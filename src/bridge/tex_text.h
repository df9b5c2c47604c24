// TeX formulas in imported texts as the Unicode text a person would type: `\(x^2 \le \pi\)`
// becomes `x² ≤ π`.
//
// Two layers. The rendering of structure (Frac, Sup, Sub, Sqrt, NAry) works on pieces of text
// already rendered, so a reader of Word's equations (OMML: m:f, m:sSup, m:rad, m:nary) gives
// the same text as TeX does. The TeX reader parses the math between `\(...\)`, `\[...\]` and
// `$$...$$` with the symbol table generated from pylatexenc (tex_symbols.cpp) and calls them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tex {

// A rendered piece of a formula. `simple` when it is one term (`x`, `2π`, `x²`, `√(a+b)`),
// not several joined by operators, relations or spaces (`a + b`, `sin x`, `a/b`): a fraction
// or a power puts a piece that is not simple in parentheses.
struct Piece {
  std::string text;
  bool simple = true;
};

// A piece from plain text, `simple` judged from its characters: a space, an operator or a
// relation outside parentheses makes it several terms.
Piece Plain(std::string_view utf8);

// a/b, each side parenthesised when it is not simple.
Piece Frac(const Piece& num, const Piece& den);
// x², aₙ where every character has a superscript (subscript) form; 90° for ∘ and f'
// for primes; else x^y, x^(n+m), a_(ij). A base that is not simple is parenthesised.
Piece Sup(const Piece& base, const Piece& exp);
Piece Sub(const Piece& base, const Piece& sub);
Piece SubSup(const Piece& base, const Piece& sub, const Piece& sup);
// √x for one character or a number, √(...) otherwise; ∛ and ∜ for degrees 3 and 4, ⁵√x for a
// degree with superscript forms, (x)^(1/n) for any other. An empty degree is a square root.
Piece Sqrt(const Piece& radicand, const Piece& degree = {});
// ∑ᵢ₌₁ⁿ or ∑_(i=1)^n, then a space and the body when there is one.
Piece NAry(std::string_view op, const Piece& lower, const Piece& upper, const Piece& body);

// What the conversion of a text could not render as Unicode.
enum class NoteKind {
  kKept,          // a command with no rendering, kept as written (`\binom{n}{k}`)
  kUnterminated,  // an opening delimiter without its closing one: kept as written
  kUnbalanced,    // braces that do not pair inside a formula: the formula kept as written
  kTooDeep,       // nesting deeper than kMaxDepth: the formula kept as written
};

struct Note {
  NoteKind kind;
  std::size_t offset;  // byte offset in the converted text's source
  std::string what;    // the command (`\binom`) or the delimiter (`\(`)
};

// Groups, scripts and arguments nested deeper than this are not rendered.
inline constexpr int kMaxDepth = 32;

// Converts every formula of a UTF-8 text; the text outside them is kept byte for byte. Notes
// (if not null) get what was kept as written, in the order of the text.
std::string ConvertText(std::string_view utf8, std::vector<Note>* notes = nullptr);

// Converts one formula's body (the TeX between its delimiters); offsets count from its start.
// On a structural fault the body comes back as written, with its note.
std::string ConvertMath(std::string_view tex, std::vector<Note>* notes = nullptr);

// Whether a text holds an opening delimiter at all (a cheap test before ConvertText).
bool HasMath(std::string_view utf8);

}  // namespace tex
