// Aiken: the task on one line, the options "A) ..." to "L) ...", then "ANSWER: X", and a blank
// line between questions. Only single-answer questions fit it; topics are not carried.
#include "bridge/writers.h"

namespace bridge {

std::string WriteAiken(const ExportBank& bank, Report* report) {
  std::string out;
  ForEachCarried(Format::kAiken, bank, report, [&](const Topic&, const Question& q,
                                                   std::size_t t) {
    // Aiken has no pictures: each stays the text of its reference, remarked.
    RemarkReferences(bank, t, q, "Aiken", report);
    // Aiken has no escapes; a TAB would only be folded on reading, so it is folded here.
    auto line = [&](std::string_view text) {
      for (char c : TextWithReferences(bank, text)) out += c == '\t' ? ' ' : c;
      out += '\n';
    };
    line(q.task);
    char answer = 'A';
    for (std::size_t i = 0; i < q.variants.size(); ++i) {
      char letter = static_cast<char>('A' + i);
      if (q.variants[i].correct) answer = letter;
      out += letter;
      out += ") ";
      line(q.variants[i].text);
    }
    out += "ANSWER: ";
    out += answer;
    out += "\n\n";
  });
  return out;
}

}  // namespace bridge
