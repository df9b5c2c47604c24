// GIFT: one question per paragraph, the answers one per line inside the braces.
//
//   $CATEGORY: Математика/Алгебра
//
//   Сколько будет 2 + 2? {
//   =4
//   ~5
//   }
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>

#include "bridge/writers.h"

namespace bridge {

namespace {

// A text as GIFT reads it back: its special characters escaped, and a "[plain]" marker in front
// when the text itself begins like a comment, a format marker or an answer's weight ("%50%"),
// which would otherwise be taken as such, or when it holds '<' or '&': a text without a marker
// is HTML to Moodle (and to exameo-import), where those would be read as tags and entities.
void AppendEscaped(std::string_view text, std::string* out);

void AppendText(std::string_view text, std::string* out) {
  std::size_t start = 0;
  while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
  std::string_view head = text.substr(start);
  bool guard = head.compare(0, 2, "//") == 0 || head.compare(0, 1, "%") == 0 ||
               text.find_first_of("<&") != std::string_view::npos;
  for (std::string_view marker : {"[html]", "[plain]", "[moodle]", "[markdown]"}) {
    if (head.size() < marker.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < marker.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(head[i])) == marker[i];
    guard = guard || same;
  }
  guard = guard || text.find_first_of("<&") != std::string_view::npos;
  if (guard) *out += "[plain]";
  AppendEscaped(text, out);
}

// GIFT's special characters escaped.
void AppendEscaped(std::string_view text, std::string* out) {
  // Runs without a special character go in whole.
  for (;;) {
    std::size_t special = text.find_first_of("~=#{}:\\");
    *out += text.substr(0, special);
    if (special == std::string_view::npos) break;
    *out += '\\';
    *out += text[special];
    text.remove_prefix(special + 1);
  }
}

}  // namespace

std::string WriteGift(const ExportBank& bank, Report* report) {
  std::string out;
  // The texts and a little for the marks, escapes and line breaks: one allocation for the lot.
  std::size_t size = 0;
  for (const Topic& t : bank.bank.topics)
    for (const Question& q : t.questions) {
      size += q.task.size() + 16;
      for (const Variant& v : q.variants) size += v.text.size() + 16;
    }
  out.reserve(size + size / 8);
  TopicCategories categories(bank, report);
  // A text with pictures is HTML naming them in the folder beside the output; without that
  // folder, the text of their references.
  auto appendText = [&](const std::string& text, std::size_t t, int line) {
    if (!ShowsPicture(bank, text)) {
      AppendText(text, &out);
    } else if (bank.pictureCopies == nullptr) {
      AppendText(TextWithReferences(bank, text), &out);
    } else {
      out += "[html]";
      AppendEscaped(PictureHtml(bank, text, bank.FileOf(t), line, report,
                                [&](std::string_view name, const std::string& bytes) {
                                  return UrlName(bank.pictureFolder) + "/" +
                                         UrlName(bank.pictureCopies->Add(name, bytes));
                                }),
                    &out);
    }
  };
  ForEachCarried(Format::kGift, bank, report, [&](const Topic& t, const Question& q,
                                                  std::size_t topic) {
    if (bank.pictureCopies == nullptr) RemarkReferences(bank, topic, q, "GIFT", report);
    std::string path;
    if (categories.Opens(t, &path)) out += "$CATEGORY: " + path + "\n\n";
    appendText(q.task, topic, q.line);
    if (q.variants.empty()) {
      // No answer block: a description.
      out += "\n\n";
      return;
    }
    int correct = 0;
    for (const Variant& v : q.variants) correct += v.correct ? 1 : 0;
    out += " {\n";
    int index = 0;
    for (const Variant& v : q.variants) {
      if (correct == 1) {
        out += v.correct ? "=" : "~";
      } else if (v.correct) {
        out += "~%";
        out += CorrectWeight(correct, index++);
        out += "%";
      } else {
        out += "~%-100%";
      }
      appendText(v.text, topic, v.line);
      out += "\n";
    }
    out += "}\n\n";
  });
  return out;
}

}  // namespace bridge
