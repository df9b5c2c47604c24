// TeX formulas in imported texts: any input converts in bounded time and memory, a text without
// formulas comes back byte for byte, UTF-8 stays UTF-8, and every note points at what it names.
// The pieces a reader of Word's equations would hand over are fed from the same input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/tex_text.h"
#include "common/utf8.h"
#include "fuzz_support.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::vector<tex::Note> notes;
  std::string out = tex::ConvertText(in, &notes);
  Require(out.size() <= 8 * in.size() + 16, "the text grows by a bounded factor");
  if (!tex::HasMath(in)) {
    Require(out == in && notes.empty(), "a text without formulas is kept as it is");
  }
  bool valid = utf8::IsValid(in);
  if (valid) Require(utf8::IsValid(out), "UTF-8 in, UTF-8 out");
  std::size_t last = 0;
  for (const tex::Note& n : notes) {
    Require(n.offset < in.size() && n.offset >= last, "notes in order, inside the text");
    last = n.offset;
    if (n.kind == tex::NoteKind::kKept || n.kind == tex::NoteKind::kUnterminated)
      Require(in.substr(n.offset, n.what.size()) == n.what, "a note names what is there");
    else
      Require(n.what.size() == 1 && in[n.offset] == n.what[0], "a fault points at its brace");
  }

  // The whole input as one formula's body.
  std::string math = tex::ConvertMath(in);
  Require(math.size() <= 8 * in.size() + 16, "a formula grows by a bounded factor");
  if (valid) Require(utf8::IsValid(math), "UTF-8 in, UTF-8 out (one formula)");

  // Structured pieces: the input cut in four at character boundaries.
  if (!valid) return 0;
  std::string_view rest = in;
  tex::Piece parts[4];
  for (tex::Piece& p : parts) {
    std::size_t cut = utf8::CutLength(rest, rest.size() / 2);
    p = tex::Plain(rest.substr(0, cut));
    rest.remove_prefix(cut);
  }
  tex::Piece built[] = {
      tex::Frac(parts[0], parts[1]), tex::Sup(parts[0], parts[1]), tex::Sub(parts[2], parts[3]),
      tex::Sqrt(parts[1], parts[2]),
      tex::NAry(parts[0].text, parts[1], parts[2], tex::SubSup(parts[3], parts[0], parts[1]))};
  for (const tex::Piece& p : built) Require(utf8::IsValid(p.text), "pieces stay UTF-8");
  return 0;
}
