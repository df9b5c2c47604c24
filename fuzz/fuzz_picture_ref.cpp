// Picture references: the runs of any text cover it in order; what the writer makes of them
// (texts escaped, references written) reads back as the same runs; a path that passes the check
// is normalised, stays inside Base and checks the same again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bank/picture_ref.h"
#include "fuzz_support.h"

using fuzzsupport::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  picref::Split split = picref::SplitText(in);
  std::size_t at = 0;
  bool writable = true;
  std::string written;
  for (std::size_t k = 0; k < split.runs.size(); ++k) {
    const picref::Run& r = split.runs[k];
    Require(r.begin == at && r.end > r.begin, "runs cover the text in order");
    Require(k == 0 || r.picture || split.runs[k - 1].picture, "no two text runs side by side");
    at = r.end;
    if (r.picture) {
      Require(in.substr(r.begin, 2) == "![", "a picture starts at its opener");
      writable = writable && picref::WriteReference(r.text, r.path, &written);
    } else {
      written += picref::EscapeText(r.text);
    }
  }
  Require(at == in.size(), "runs reach the end of the text");
  for (std::size_t u : split.unclosed)
    Require(in.substr(u, 2) == "![", "an unclosed opener is an opener");

  if (writable) {
    picref::Split again = picref::SplitText(written);
    Require(again.unclosed.empty(), "written text has no stray opener");
    Require(again.runs.size() == split.runs.size(), "written text reads back as many runs");
    for (std::size_t k = 0; k < again.runs.size(); ++k) {
      const picref::Run& a = again.runs[k];
      const picref::Run& b = split.runs[k];
      Require(a.picture == b.picture && a.text == b.text && a.path == b.path,
              "written text reads back the same runs");
    }
  }

  int depth = size ? data[0] % 4 : 0;
  for (const picref::Run& r : split.runs) {
    if (!r.picture) continue;
    picref::CheckedPath checked = picref::CheckPath(r.path, depth);
    if (checked.fault != picref::PathFault::kNone) {
      Require(checked.path.empty(), "a refused path gives no path");
      continue;
    }
    const std::string& p = checked.path;
    Require(!p.empty() && p.find('\\') == std::string::npos, "normalised with /");
    int ups = 0;
    bool named = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= p.size(); ++i) {
      if (i < p.size() && p[i] != '/') continue;
      std::string_view part = std::string_view(p).substr(start, i - start);
      Require(!part.empty() && part != ".", "no empty or . parts");
      if (part == "..") {
        Require(!named, ".. only leading");
        ++ups;
      } else {
        named = true;
      }
      start = i + 1;
    }
    Require(ups <= depth && named, "inside Base, naming a file");
    picref::CheckedPath twice = picref::CheckPath(p, depth);
    Require(twice.fault == picref::PathFault::kNone && twice.path == p, "checks the same again");
  }
  return 0;
}
