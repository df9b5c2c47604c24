// Word's equations (the m: elements of a document, from m:oMath to its end) as the Unicode
// linear text the TeX conversion gives: fractions a/b, powers x², roots √, n-ary ∑ with its
// limits as scripts (tex_text.h renders the structure for both).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bridge/office_xml.h"
#include "bridge/tex_text.h"

namespace bridge {

class OmmlText {
 public:
  // The elements of the math namespace inside an m:oMath, and their text, as the parser hands
  // them over; Start of the outermost m:oMath begins an equation.
  void Start(const XmlElement& e);
  void End(std::string_view local);
  void Text(std::string_view text);

  // The equation whose m:oMath just ended.
  std::string Take();

  // An element with no rendering (a matrix, an equation array, a stacked fraction), kept as
  // the text of its parts: the structure is lost.
  struct Kept {
    std::string element;  // "m:m"
    std::string text;
  };
  std::vector<Kept> kept;

 private:
  enum class Kind : unsigned char {
    kContainer,  // m:oMath, m:r, an argument (m:e, m:num, ...), anything of no structure
    kText,       // m:t
    kProperty,   // m:fPr, m:naryPr, ...: read for its values, its text ignored
    kStructure,  // m:f, m:sSup, m:rad, m:nary, m:d, ...
  };
  struct Frame {
    std::string local;
    Kind kind = Kind::kContainer;
    tex::Piece content;
    int pieces = 0;  // pieces appended to content
    // The arguments of a structure, in order (m:d has several m:e).
    std::vector<std::pair<std::string, tex::Piece>> args;
    // Its properties (m:chr, m:begChr, m:endChr, m:sepChr, m:type, m:degHide, m:pos).
    std::vector<std::pair<std::string, std::string>> props;
    const std::string* Prop(std::string_view name) const;
  };
  static void Append(Frame* f, const tex::Piece& p);
  tex::Piece Render(const Frame& f);
  tex::Piece KeepAsText(const Frame& f);

  std::vector<Frame> stack_;
  std::string done_;
};

}  // namespace bridge
