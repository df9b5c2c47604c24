#include "bridge/tex_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TexText, FormulasBecomeTheTextAPersonTypes) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"\\(x^2 \\le \\pi\\)", "x² ≤ π"},
      {"\\(a_n\\), \\(10^{-3}\\), \\(x_1^2\\)", "aₙ, 10⁻³, x₁²"},
      {"\\(e^{-x}\\) \\(x^y\\) \\(a_{ij}\\)", "e^(-x) x^y a_(ij)"},
      {"\\(\\frac{a}{b}\\) \\(\\frac12\\) \\(\\frac{a+b}{2c}\\)", "a/b 1/2 (a + b)/2c"},
      {"\\(\\frac{\\frac{a}{b}}{c}\\) \\({a+b}^2\\)", "(a/b)/c (a + b)²"},
      {"\\(\\frac{(a+b)}{2}\\) \\(\\frac{P(A \\cap B)}{P(B)}\\)", "(a + b)/2 P(A ∩ B)/P(B)"},
      {"\\(\\sqrt{x}\\) \\(\\sqrt{16}\\) \\(\\sqrt{x+1}\\) \\(\\sqrt[3]{8}\\) \\(\\sqrt[5]{y}\\)",
       "√x √16 √(x + 1) ∛8 ⁵√y"},
      {"\\(-b \\pm \\sqrt{b^2-4ac}\\)", "-b ± √(b² - 4ac)"},
      {"\\(\\alpha+\\beta\\neq\\gamma\\varepsilon\\)", "α + β ≠ γε"},
      {"\\(a\\cdot b\\times c\\div d \\approx \\infty\\)", "a · b × c ÷ d ≈ ∞"},
      {"\\(x\\to 0, x \\in A\\)", "x → 0, x ∈ A"},
      {"\\(\\sum_{i=1}^{n} x_i\\)", "∑_(i=1)ⁿ x_i"},
      {"\\(\\int_0^1 f(x)\\,dx\\)", "∫₀¹ f(x) dx"},
      {"\\(\\partial f/\\partial x = \\Delta t\\)", "∂f/∂x = Δt"},
      {"\\(90^\\circ\\) \\(f'(x)\\) \\(f^{\\prime}\\)", "90° f'(x) f'"},
      {"\\(\\pi\\approx 3,14\\)", "π ≈ 3,14"},
      {"\\(2\\sin x+\\cos(x)\\) \\(\\lim\\limits_{x\\to 0} f\\)", "2 sin x + cos(x) lim_(x→0) f"},
      {"\\(a \\equiv b \\pmod{m}\\) \\(\\{x \\mid x>0\\}\\)", "a ≡ b (mod m) {x | x > 0}"},
      {"\\(\\text{если } x>0\\)", "если x > 0"},
      {"\\(a\\not\\in B\\) \\(\\not=\\)", "a ∉ B ≠"},
      {"\\(\\mathbb{R}\\) \\(\\mathrm{d}x\\) \\(\\left( a \\right)\\)", "ℝ dx (a)"},
      {"\\({}^{14}C\\) \\(\\vec{v}\\) \\(50\\%\\)", "¹⁴C v⃗ 50%"},
      {"Найдите $$x^2$$ и \\[y_1\\].", "Найдите x² и y₁."},
      {"no math: x^2, $5 and \\alpha", "no math: x^2, $5 and \\alpha"},
      {"\\(\\)", ""},
  };
  for (const Case& c : cases) {
    std::vector<tex::Note> notes;
    EXPECT_EQ(c.out, tex::ConvertText(c.in, &notes)) << c.in;
    EXPECT_TRUE(notes.empty()) << c.in << ": " << notes[0].what;
  }
}

// What cannot be rendered stays as written, and the caller hears of it at its offset.
TEST(TexText, WhatHasNoRenderingIsKeptAndNoted) {
  using K = tex::NoteKind;
  std::string deep = "\\(" + std::string(40, '{') + "x" + std::string(40, '}') + "\\)";
  struct Case {
    std::string in, out;
    K kind;
    std::size_t offset;
    const char* what;
  } cases[] = {
      {"a \\(\\binom{n}{k} + x^2\\)", "a \\binom{n}{k} + x²", K::kKept, 4, "\\binom"},
      {"\\(\\foo[2]{x}y\\)", "\\foo[2]{x}y", K::kKept, 2, "\\foo"},
      {"\\(x\\)? \\(", "x? \\(", K::kUnterminated, 7, "\\("},
      {"$$ a $$ $$", "a $$", K::kUnterminated, 8, "$$"},
      {"\\(x^{2\\) ok", "\\(x^{2\\) ok", K::kUnbalanced, 4, "{"},
      {"\\(a}b\\)", "\\(a}b\\)", K::kUnbalanced, 3, "}"},
      {"\\(\\binom{n\\)", "\\(\\binom{n\\)", K::kUnbalanced, 8, "{"},
      {deep, deep, K::kTooDeep, 2 + tex::kMaxDepth, "{"},
  };
  for (const Case& c : cases) {
    std::vector<tex::Note> notes;
    EXPECT_EQ(c.out, tex::ConvertText(c.in, &notes)) << c.in;
    ASSERT_EQ(1u, notes.size()) << c.in;
    EXPECT_EQ(c.kind, notes[0].kind) << c.in;
    EXPECT_EQ(c.offset, notes[0].offset) << c.in;
    EXPECT_EQ(c.what, notes[0].what) << c.in;
  }
}

// The pieces a reader of Word's equations hands over render as TeX's do.
TEST(TexText, StructuredPiecesRenderLikeTex) {
  using tex::Plain;
  struct Case {
    tex::Piece got;
    const char* want;
    bool simple;
  } cases[] = {
      {tex::Frac(Plain("a+b"), Plain("c")), "(a+b)/c", false},
      {tex::Frac(Plain("-1"), Plain("2π")), "-1/2π", false},
      {tex::Sup(Plain("a+b"), Plain("2")), "(a+b)²", true},
      {tex::Sup(Plain("(a+b)"), Plain("n+1")), "(a+b)ⁿ⁺¹", true},
      {tex::Sub(Plain("x"), Plain("i")), "x_i", true},
      {tex::Sqrt(Plain("2"), Plain("n")), "ⁿ√2", true},
      {tex::Sqrt(Plain("x"), Plain("k")), "(x)^(1/k)", true},
      {tex::NAry("∑", Plain("k=0"), Plain("∞"), Plain("aₖ")), "∑ₖ₌₀^∞ aₖ", false},
      {tex::NAry("∫", {}, {}, Plain("f(x) dx")), "∫ f(x) dx", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, c.got.text);
    EXPECT_EQ(c.simple, c.got.simple) << c.want;
  }
}

}  // namespace
