// Moodle XML, written through pugixml: a category question before each topic's questions, a
// multichoice question for every question with variants, a description for one without.
#include <pugixml.hpp>

#include "bridge/writers.h"

namespace bridge {

namespace {

// Moodle wants a name for every question; it shows the first words of the task.
constexpr std::size_t kNameChars = 60;

std::string NameOf(std::string_view task) {
  std::string name;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < task.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(task[i]);
    bool lead = (c & 0xC0) != 0x80;
    if (lead && ++chars > kNameChars) {
      name += "...";
      break;
    }
    name += static_cast<char>(c == '\t' ? ' ' : c);
  }
  return name;
}

void AddText(pugi::xml_node parent, const char* element, std::string_view text,
             const char* format) {
  pugi::xml_node node = parent.append_child(element);
  if (format != nullptr) node.append_attribute("format") = format;
  node.append_child("text").text().set(std::string(text).c_str());
}

// A text into `holder`: plain text as it is; with pictures, HTML whose <img> name files attached
// to the same element (one file for the same bytes, "-2" for another of a name taken).
void AddText(const ExportBank& bank, pugi::xml_node holder, std::string_view text,
             const std::string& file, int line, Report* report) {
  if (!ShowsPicture(bank, text)) {
    holder.append_attribute("format") = "plain_text";
    holder.append_child("text").text().set(std::string(text).c_str());
    return;
  }
  PictureFolder files;
  std::string html = PictureHtml(bank, text, file, line, report,
                                 [&](std::string_view name, const std::string& bytes) {
                                   return "@@PLUGINFILE@@/" + UrlName(files.Add(name, bytes));
                                 });
  holder.append_attribute("format") = "html";
  holder.append_child("text").text().set(html.c_str());
  for (const auto& [name, bytes] : files.Files()) {
    pugi::xml_node f = holder.append_child("file");
    f.append_attribute("name") = name.c_str();
    f.append_attribute("path") = "/";
    f.append_attribute("encoding") = "base64";
    f.text().set(EncodeBase64(bytes).c_str());
  }
}

void AddValue(pugi::xml_node parent, const char* element, const char* value) {
  parent.append_child(element).text().set(value);
}

struct StringWriter : pugi::xml_writer {
  std::string* out;
  explicit StringWriter(std::string* o) : out(o) {}
  void write(const void* data, size_t size) override {
    out->append(static_cast<const char*>(data), size);
  }
};

}  // namespace

std::string WriteMoodleXml(const ExportBank& bank, Report* report) {
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node quiz = doc.append_child("quiz");

  TopicCategories categories(bank, report);
  ForEachCarried(Format::kMoodleXml, bank, report, [&](const Topic& t, const Question& q,
                                                       std::size_t topic) {
    const std::string& file = bank.FileOf(topic);
    std::string path;
    if (categories.Opens(t, &path)) {
      pugi::xml_node c = quiz.append_child("question");
      c.append_attribute("type") = "category";
      AddText(c, "category", path, nullptr);
    }
    pugi::xml_node x = quiz.append_child("question");
    x.append_attribute("type") = q.variants.empty() ? "description" : "multichoice";
    AddText(x, "name", NameOf(TextWithReferences(bank, q.task)), nullptr);
    AddText(bank, x.append_child("questiontext"), q.task, file, q.line, report);
    AddText(x, "generalfeedback", "", "plain_text");
    AddValue(x, "defaultgrade", q.variants.empty() ? "0" : "1");
    AddValue(x, "penalty", "0");
    AddValue(x, "hidden", "0");
    if (q.variants.empty()) return;

    int correct = 0;
    for (const Variant& v : q.variants) correct += v.correct ? 1 : 0;
    AddValue(x, "single", correct == 1 ? "true" : "false");
    // The program shows the variants in file order and numbers them from 1.
    AddValue(x, "shuffleanswers", "false");
    AddValue(x, "answernumbering", "123");
    int index = 0;
    for (const Variant& v : q.variants) {
      pugi::xml_node a = x.append_child("answer");
      std::string fraction = correct == 1 ? (v.correct ? "100" : "0")
                             : v.correct  ? std::string(CorrectWeight(correct, index++))
                                          : "-100";
      a.append_attribute("fraction") = fraction.c_str();
      AddText(bank, a, v.text, file, v.line, report);
      AddText(a, "feedback", "", "plain_text");
    }
  });

  std::string out;
  StringWriter writer(&out);
  doc.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
  return out;
}

}  // namespace bridge
