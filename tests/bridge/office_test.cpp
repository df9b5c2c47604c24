// Word documents and spreadsheets: the fixtures scripts/gen-office-fixtures.py builds, small
// documents made here, the zip's limits, and numbers as a Russian-locale spreadsheet shows them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bridge/import.h"
#include "bridge/number_format.h"
#include "bridge/pictures.h"
#include "bridge/readers.h"
#include "bridge/zip_archive.h"
#include "import_test_support.h"
#include "support/scratch.h"

namespace {

namespace fs = std::filesystem;
using importtest::ShowTopic;

struct Read {
  bool ok = false;
  std::string reason;
  std::vector<std::string> topics;     // "title: q1 / q2" per topic, questions as Show gives
  std::vector<std::string> notes;      // "¶N: message" or "N: message"
};

Read ReadOffice(bridge::Format format, const std::string& bytes) {
  Read out;
  bridge::Bank bank;
  bridge::Report report;
  lang::Text reason;
  bridge::Source source{"in", "stem"};
  out.ok = format == bridge::Format::kDocx ? bridge::ReadDocx(source, bytes, &bank, &report, &reason)
                                          : bridge::ReadXlsx(source, bytes, &bank, &report, &reason);
  out.reason = lang::Render(reason, lang::Lang::kEnglish);
  for (const bridge::Topic& t : bank.topics) {
    std::string line = t.title + ":";
    // A picture as "{alt}".
    for (const std::string& q : ShowTopic(t)) {
      line += " ";
      for (const bridge::MarkedPiece& piece : bridge::SplitMarked(q, bank.pictures.size()))
        line += piece.picture ? "{" + bank.pictures[piece.id].alt + "}" : std::string(piece.text);
      line += " /";
    }
    out.topics.push_back(line);
  }
  // In the order of their paragraphs, as the import prints them.
  std::stable_sort(report.notes.begin(), report.notes.end(),
                   [](const bridge::Note& a, const bridge::Note& b) { return a.line < b.line; });
  for (const bridge::Note& n : report.notes) {
    std::string line = n.Line(lang::Lang::kEnglish).substr(3);  // without "in:"
    out.notes.push_back(n.remark ? "remark " + line : line);
  }
  if (!bank.title.empty()) out.topics.insert(out.topics.begin(), "title " + bank.title);
  return out;
}

std::string Fixture(const std::string& name) {
  return importtest::FileBytes(fs::path(EXAMEO_BRIDGE_DATA) / "office" / name);
}

// The fixtures: what each shape gives, and every note at its paragraph or row. A fault in any
// rule of a shape (marks, answer lines, Word's numbering, tables, sheets, number formats)
// changes a line here.
TEST(OfficeFixtures, EachShapeGivesItsQuestionsAndNotes) {
  struct Case {
    const char* file;
    std::vector<std::string> topics;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {"markup.docx",
       {"title Биология, 9 класс",
        "Клетка: Органоид фотосинтеза|-рибосома|+хлоропласт|-митохондрия / Носитель "
        "наследственной информации|-АТФ|+ДНК /",
        "Ткани: Ткань, проводящая возбуждение|+нервная|-эпителиальная /"},
       {"remark ¶2: paragraph left out: Тест для тестирующей системы: первый вариант верный.",
        "¶13: question left out: it has no answers"}},
      {"table.docx",
       {"title География",
        "stem: Столица Франции|+Париж|-Лион|-Марсель / Самая длинная река|+Нил|-Амазонка|-Янцзы "
        "/ Крупнейший океан|-Атлантический|+Тихий|-Индийский / Высочайшая гора|+Эверест|+К2 /"},
       {"¶18: question left out: its question cell is empty",
        "remark ¶21: paragraph left out: Составил: учитель географии"}},
      {"numbered.docx",
       {"title Информатика",
        "stem: Сколько бит в байте?|-4|+8|-16 / Какие числа чётные?|-3|+4|-5|+6 / Столица "
        "России|+Москва|-Казань / Which is a language?|+C++|-HTTP / Ответ строкой, который "
        "спорит с пометкой|-один|+два / Два плюс два равно?|+4|-5 /"},
       {"remark ¶2: paragraph left out: Выберите один правильный ответ.",
        "remark ¶18: the line 'Answer: B' decides the right answers: a mark before it named "
        "others",
        "¶19: question left out: no answer of it is marked right",
        "¶22: paragraph left out: Случайная строка между вопросами",
        "¶25: text in a text box left out: подсказка в надписи"}},
      {"word_numbering.docx",
       {"title Химия",
        "stem: Символ натрия|+Na|-N|-Ne / Благородный газ|-азот|+аргон|-кислород / Формула "
        "воды|-H2O2|-HO|+H2O /"},
       {}},
      {"media.docx",
       {"title Физика",
        "stem: Что на рисунке? {Точка на плоскости}|+точка|-линия / Вычислите "
        "{equation1.wmf}|-1|+2 / Верно ли, что ∑_(i=1)ⁿ i²=n(n+1)(2n+1)/6?|+да|-нет /"},
       {}},
      {"csv_header.xlsx",
       {"stem: Половина — это|-25%|+50%|-75% / Пи с двумя знаками|+3,14|-3,15 / Сумма 0,1 и "
        "0,2|+0,3|-0,4 / День знаний|+01.09.2024|-02.09.2024 / "
        "Миллион|+1000000|+1 000 000|-12345678,9 /"},  // its no-break spaces folded
       {"7: question left out: correct variant 5 names no filled variant column"}},
      {"answer_header.xlsx",
       {"Литература: Автор «Евгения Онегина»|-Лермонтов|+Пушкин|-Гоголь / Автор «Преступления и "
        "наказания»|-Толстой|+Достоевский / Год рождения Пушкина|+1799|-1812 /",
        "Русский язык: Сколько падежей?|-5|+6|-7 /"},
       {"Русский язык:3: question left out: no answer of it is marked right"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string name = c.file;
    Read r = ReadOffice(name.ends_with(".docx") ? bridge::Format::kDocx : bridge::Format::kXlsx,
                        Fixture(name));
    EXPECT_TRUE(r.ok) << r.reason;
    EXPECT_EQ(r.topics, c.topics);
    EXPECT_EQ(r.notes, c.notes);
  }
}

const std::string kW = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
const std::string kRelsNs =
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// A document.xml body in a zip of its own, with a comments part when given, and other parts
// of the document (relationship id "rel" + file name -> its type; "ext:" + id for an external
// link).
std::string Docx(const std::string& body, const std::string& comments = "",
                 const std::vector<std::pair<std::string, std::string>>& parts = {}) {
  const std::string m = "xmlns:m=\"http://schemas.openxmlformats.org/officeDocument/2006/math\"";
  bridge::ZipOutput zip;
  zip.Add("word/document.xml", "<w:document " + kW + " " + m + " " + kRelsNs +
                                   "><w:body>" + body + "</w:body></w:document>");
  std::string rels =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  auto rel = [&](const std::string& id, const std::string& type, const std::string& target,
                 bool external) {
    rels += "<Relationship Id=\"" + id + "\" Type=\"http://schemas.openxmlformats.org/" +
            "officeDocument/2006/relationships/" + type + "\" Target=\"" + target + "\"" +
            (external ? " TargetMode=\"External\"" : "") + "/>";
  };
  if (!comments.empty()) {
    rel("c", "comments", "comments.xml", false);
    zip.Add("word/comments.xml", "<w:comments " + kW + ">" + comments + "</w:comments>");
  }
  for (const auto& [name, bytes] : parts) {
    if (name.starts_with("ext:")) {
      rel(name.substr(4), "image", bytes, true);
    } else if (name == "styles.xml") {
      rel("s", "styles", name, false);
      zip.Add("word/" + name, "<w:styles " + kW + ">" + bytes + "</w:styles>");
    } else if (name == "numbering.xml") {
      rel("n", "numbering", name, false);
      zip.Add("word/" + name, "<w:numbering " + kW + ">" + bytes + "</w:numbering>");
    } else {
      rel("rel" + name, "image", "media/" + name, false);
      zip.Add("word/media/" + name, bytes);
    }
  }
  zip.Add("word/_rels/document.xml.rels", rels + "</Relationships>");
  std::string out;
  EXPECT_TRUE(zip.Finish(&out));
  return out;
}

// A picture of the document: a:blip of a drawing (alt text in wp:docPr), or VML's imagedata.
std::string Drawing(const std::string& rel, const std::string& descr = "") {
  return "<w:r><w:drawing><wp:inline xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/"
         "wordprocessingDrawing\"><wp:docPr id=\"1\" name=\"P\" descr=\"" + descr +
         "\"/><a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
         "<a:graphicData><a:blip r:embed=\"" + rel +
         "\"/></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
}

std::string PictureData(const std::string& name) {
  return importtest::FileBytes(fs::path(EXAMEO_BRIDGE_DATA) / "pictures" / name);
}

std::string P(const std::string& text, bool bold = false) {
  return std::string("<w:p><w:r>") + (bold ? "<w:rPr><w:b/></w:rPr>" : "") +
         "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
}

// A paragraph of runs given as XML.
std::string Runs(const std::string& runs, const std::string& pPr = "") {
  return "<w:p>" + (pPr.empty() ? "" : "<w:pPr>" + pPr + "</w:pPr>") + runs + "</w:p>";
}
std::string R(const std::string& text, const std::string& rPr = "") {
  return "<w:r>" + (rPr.empty() ? "" : "<w:rPr>" + rPr + "</w:rPr>") +
         "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

// Rules the fixtures leave out; each case names the fault it would catch.
TEST(OfficeWord, SmallDocumentsByTheirRules) {
  struct Case {
    const char* fault;
    std::string docx;
    bool ok;
    std::vector<std::string> topics;
    std::vector<std::string> notes;
    std::string reason;
  };
  const Case cases[] = {
      {"every answer bold: emphasis that marks all marks none",
       Docx(P("1. Q") + P("А) x", true) + P("Б) y", true)), true, {}, {"¶1: question left out: no answer of it is marked right"}, ""},
      {"underline decides when bold does not",
       Docx(P("1. Q") + "<w:p><w:r><w:rPr><w:u w:val=\"single\"/></w:rPr><w:t>А) x</w:t></w:r></w:p>" +
            P("Б) y")),
       true, {"stem: Q|+x|-y /"}, {}, ""},
      {"a comment is a loss at its paragraph, its text said",
       Docx(P("1. Q") + "<w:p><w:r><w:t>А) x*</w:t></w:r><w:r><w:commentReference w:id=\"7\"/></w:r></w:p>" + P("Б) y"),
            "<w:comment w:id=\"7\"><w:p><w:r><w:t>проверить</w:t></w:r></w:p></w:comment>"),
       true, {"stem: Q|+x|-y /"}, {"¶2: comment left out: проверить"}, ""},
      {"a document of no question is refused, not written empty",
       Docx(P("Просто текст") + P("Ещё текст")), false, {}, {}, "no question found"},
      {"the answer line names an answer the question lacks: left out, not guessed",
       Docx(P("1. Q") + P("А) x") + P("Б) y") + P("Ответ: Г")), true, {},
       {"¶4: question left out: its line 'Ответ: Г' names no answer of it"}, ""},
      {"an answer line in numbers and several right answers",
       Docx(P("1. Q") + P("a) x") + P("b) y") + P("c) z") + P("Правильный ответ: 1, 3")), true,
       {"stem: Q|+x|-y|+z /"}, {}, ""},
      {"markup whose first (right) answer is a picture alone: no other answer is taken for right",
       Docx(P("&lt;question>Q") + P("&lt;variant>") + P("&lt;variant>b") + P("&lt;variant>c")), true, {},
       {"¶1: question left out: no answer of it is marked right",
        "¶2: empty answer left out"}, ""},
      {"a mid-text '+' is no mark (C++), a trailing one after a blank is",
       Docx(P("1. Q") + P("А) C++") + P("Б) Java +")), true, {"stem: Q|-C++|+Java /"}, {}, ""},
      // Pictures.
      {"a picture alone belongs to the answer before it; one before any question is noted; "
       "the same part twice is one picture",
       Docx(Runs(Drawing("rela.png", "шапка")) + P("1. Q") + Runs(R("А) ") + Drawing("rela.png")) +
                P("Б) y*") + Runs(Drawing("relb.png", "схема")),
            "", {{"a.png", PictureData("red.png")}, {"b.png", PictureData("dot.gif")}}),
       true, {"stem: Q|-{a.png}|+y {схема} /"},
       {"¶1: picture 'a.png' dropped: it stands outside any question"}, ""},
      {"a linked, a missing and a non-picture part are noted, never taken",
       Docx(Runs(R("1. Q ") + Drawing("relx") + Drawing("relgone.png") + Drawing("relnote.txt")) +
                P("А) x*") + P("Б) y"),
            "", {{"ext:relx", "http://example.org/p.png"}, {"note.txt", "just text"}}),
       true, {"stem: Q|+x|-y /"},
       {"¶1: picture 'http://example.org/p.png' dropped: only a path relative to the input is read",
        "¶1: picture 'relgone.png' dropped: no such file",
        "¶1: file 'note.txt' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, EMF)"}, ""},
      {"a chart and a text box's picture hold nothing to take: both noted",
       Docx(P("1. Q") +
                Runs(R("А) x*") + "<w:r><w:drawing><c:chart xmlns:c=\"http://schemas.openxmlformats.org/"
                     "drawingml/2006/chart\" r:id=\"c1\"/></w:drawing></w:r>") +
                Runs(R("Б) y") + "<w:r><w:pict><w:txbxContent><w:p>" + Drawing("rela.png") +
                     "</w:p></w:txbxContent></w:pict></w:r>"),
            "", {{"a.png", PictureData("red.png")}}),
       true, {"stem: Q|+x|-y /"},
       {"¶2: embedded object dropped: the program shows text only",
        "¶3: picture 'a.png' dropped: it stands outside any question"}, ""},
      {"markup: an answer that is a picture alone is an answer",
       Docx(P("&lt;question>Q") + Runs(R("&lt;variant>") + Drawing("rela.png", "верный")) +
                P("&lt;variant>b"),
            "", {{"a.png", PictureData("red.png")}}),
       true, {"stem: Q|-b|+{верный} /"}, {}, ""},
      // Symbols and styles.
      {"w:sym of the Symbol font is its Unicode character; a Wingdings picture is noted",
       Docx(P("1. Q") +
            Runs(R("А) x ") + "<w:r><w:sym w:font=\"Symbol\" w:char=\"F0B3\"/></w:r>" +
                 R(" 2") + "<w:r><w:sym w:font=\"Symbol\" w:char=\"70\"/></w:r>" +
                 "<w:r><w:sym w:font=\"Wingdings\" w:char=\"F04A\"/></w:r>" + R("*")) +
            P("Б) y")),
       true, {"stem: Q|+x ≥ 2π|-y /"},
       {"¶2: symbol F04A of the font 'Wingdings' dropped: it has no Unicode character here"}, ""},
      {"bold by a character style, through basedOn, and a run's own 'off' wins over a style",
       Docx(P("1. Q") + Runs(R("А) x", "<w:rStyle w:val=\"Right\"/>")) + P("Б) y") +
                Runs(R("В) z", "<w:rStyle w:val=\"Right\"/><w:b w:val=\"0\"/>")) +
                P("2. Q2") + Runs(R("А) u"), "<w:pStyle w:val=\"Answer\"/>") + P("Б) v"),
            "", {{"styles.xml",
                  "<w:style w:type=\"character\" w:styleId=\"Base\"><w:rPr><w:b/></w:rPr>"
                  "</w:style><w:style w:type=\"character\" w:styleId=\"Right\">"
                  "<w:basedOn w:val=\"Base\"/></w:style>"
                  "<w:style w:type=\"paragraph\" w:styleId=\"Answer\"><w:rPr><w:u "
                  "w:val=\"single\"/></w:rPr></w:style>"}}),
       true, {"stem: Q|+x|-y|-z / Q2|+u|-v /"}, {}, ""},
      {"Word's letters in the question's own list, a level deeper, are answers; a list of "
       "'1)' restarted under an open question gives answers",
       Docx(Runs(R("Первый"), "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"1\"/></w:numPr>") +
                Runs(R("x*"), "<w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"1\"/></w:numPr>") +
                Runs(R("y"), "<w:numPr><w:ilvl w:val=\"1\"/><w:numId w:val=\"1\"/></w:numPr>") +
                P("2. Второй") +
                Runs(R("u"), "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"2\"/></w:numPr>") +
                Runs(R("v*"), "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"2\"/></w:numPr>"),
            "", {{"numbering.xml",
                  "<w:abstractNum w:abstractNumId=\"0\"><w:lvl w:ilvl=\"0\"><w:numFmt "
                  "w:val=\"decimal\"/><w:lvlText w:val=\"%1.\"/></w:lvl><w:lvl w:ilvl=\"1\">"
                  "<w:numFmt w:val=\"russianLower\"/><w:lvlText w:val=\"%2)\"/></w:lvl>"
                  "</w:abstractNum><w:abstractNum w:abstractNumId=\"1\"><w:lvl w:ilvl=\"0\">"
                  "<w:numFmt w:val=\"decimal\"/><w:lvlText w:val=\"%1)\"/></w:lvl>"
                  "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
                  "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"1\"/><w:lvlOverride "
                  "w:ilvl=\"0\"><w:startOverride w:val=\"1\"/></w:lvlOverride></w:num>"}}),
       true, {"stem: Первый|+x|-y / Второй|-u|+v /"}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    Read r = ReadOffice(bridge::Format::kDocx, c.docx);
    EXPECT_EQ(r.ok, c.ok) << r.reason;
    if (!c.ok) {
      EXPECT_NE(r.reason.find(c.reason), std::string::npos) << r.reason;
      continue;
    }
    std::vector<std::string> topics = r.topics;
    EXPECT_EQ(topics, c.topics);
    EXPECT_EQ(r.notes, c.notes);
  }
}

// Word's equations as linear text: each case a rule whose fault would change the text.
TEST(OfficeEquations, RenderedAsUnicodeLinearText) {
  auto r = [](const std::string& t) { return "<m:r><m:t>" + t + "</m:t></m:r>"; };
  auto arg = [](const std::string& name, const std::string& inner) {
    return "<m:" + name + ">" + inner + "</m:" + name + ">";
  };
  struct Case {
    const char* fault;
    std::string math;  // inside m:oMath
    std::string shown;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {"a side of several terms is parenthesised", "<m:f>" + arg("num", r("a+b")) + arg("den", r("2")) + "</m:f>",
       "(a+b)/2", {}},
      {"powers and indices in Unicode's forms, ^ where it has none",
       "<m:sSup>" + arg("e", r("x")) + arg("sup", r("2")) + "</m:sSup>" + r("+") + "<m:sSub>" +
           arg("e", r("a")) + arg("sub", r("n")) + "</m:sSub>" + r("+") + "<m:sSup>" +
           arg("e", r("y")) + arg("sup", r("q")) + "</m:sSup>",
       "x²+aₙ+y^q", {}},
      {"a fraction in a power is one term in parentheses",
       "<m:sSup>" + arg("e", r("e")) + arg("sup", "<m:f>" + arg("num", r("x")) + arg("den", r("2")) + "</m:f>") +
           "</m:sSup>",
       "e^(x/2)", {}},
      {"a root's degree is kept, a hidden one is not",
       "<m:rad>" + arg("deg", r("3")) + arg("e", r("x")) + "</m:rad>" + r(",") +
           "<m:rad><m:radPr><m:degHide m:val=\"1\"/></m:radPr><m:deg/>" + arg("e", r("x+1")) + "</m:rad>",
       "∛x,√(x+1)", {}},
      {"an n-ary operator without a character is an integral, with its limits",
       "<m:nary>" + arg("sub", r("0")) + arg("sup", r("1")) + arg("e", r("x dx")) + "</m:nary>", "∫₀¹ x dx",
       {}},
      {"delimiters default to parentheses and '|' between parts; empty ones are none",
       "<m:d>" + arg("e", r("a")) + arg("e", r("b")) + "</m:d>" +
           "<m:d><m:dPr><m:begChr m:val=\"[\"/><m:endChr m:val=\"\"/></m:dPr>" + arg("e", r("c")) + "</m:d>",
       "(a|b)[c", {}},
      {"a function's name stands apart from its argument",
       "<m:func>" + arg("fName", r("sin")) + arg("e", r("x")) + "</m:func>", "sin x", {}},
      {"a matrix keeps its cells, row by row, and says its structure is lost",
       "<m:m><m:mPr><m:mcs/></m:mPr><m:mr>" + arg("e", r("1")) + arg("e", r("2")) + "</m:mr><m:mr>" +
           arg("e", r("3")) + arg("e", r("4")) + "</m:mr></m:m>",
       "1 2; 3 4", {"¶1: Word equation: m:m kept as its text '1 2; 3 4'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    Read got = ReadOffice(bridge::Format::kDocx,
                          Docx(Runs(R("1. Q ") + "<m:oMath>" + c.math + "</m:oMath>") + P("А) x*") +
                               P("Б) y")));
    ASSERT_EQ(got.topics.size(), 1u) << got.reason;
    EXPECT_EQ(got.topics[0], "stem: Q " + c.shown + "|+x|-y /");
    EXPECT_EQ(got.notes, c.notes);
  }
}

// Limits count what is inflated: a zip bomb stops at the limit whatever sizes it declares.
TEST(OfficeZip, LimitsCountInflatedBytesAndRefuseTheInput) {
  auto zip = [](std::vector<std::pair<std::string, std::size_t>> parts) {
    bridge::ZipOutput out;
    for (const auto& [name, size] : parts) out.Add(name, std::string(size, ' '));
    std::string bytes;
    EXPECT_TRUE(out.Finish(&bytes));
    return bytes;
  };
  bridge::ZipLimits small{1000, 2500, 3};
  struct Case {
    const char* fault;
    std::string bytes;
    const char* part;
    bridge::ZipFault fault_;
  };
  std::string bomb = zip({{"a", 5000}});
  // The declared sizes say 10 bytes (local header and directory): they are not believed.
  for (std::size_t at : {std::size_t{22}, bomb.rfind(std::string("PK\x01\x02", 4)) + 24})
    bomb.replace(at, 4, std::string("\x0A\0\0\0", 4));
  const Case cases[] = {
      {"one part past its limit", zip({{"a", 1001}}), "a", bridge::ZipFault::kPartTooLarge},
      {"parts past the total", zip({{"a", 900}, {"b", 900}, {"c", 900}}), "c", bridge::ZipFault::kTooLarge},
      {"a part that lies about its size", bomb, "a", bridge::ZipFault::kDamaged},
      {"not a zip at all", "plain text", "", bridge::ZipFault::kNotZip},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    bridge::ZipInput in(c.bytes, small);
    bool opened = in.Open();
    bool read = opened;
    std::string whole;
    for (const char* name : {"a", "b", "c"})
      if (read && in.Has(name)) read = in.Read(name, &whole);
    EXPECT_FALSE(read);
    EXPECT_EQ(in.fault(), c.fault_);
    EXPECT_EQ(in.faultPart(), c.part);
  }
  std::string four = zip({{"a", 1}, {"b", 1}, {"c", 1}, {"d", 1}});  // read in place: kept
  bridge::ZipInput many(four, small);
  EXPECT_FALSE(many.Open());
  EXPECT_EQ(many.fault(), bridge::ZipFault::kTooManyParts);

  // Through the reader, at the real limits: a document.xml of 65 MB of blanks.
  bridge::ZipOutput big;
  big.Add("word/document.xml", std::string(65u << 20, ' '));
  std::string bytes;
  ASSERT_TRUE(big.Finish(&bytes));
  Read r = ReadOffice(bridge::Format::kDocx, bytes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, "its part word/document.xml inflates past 64 MB");
}

// A legacy .doc or .xls is named so and the others are written; a .doc of text is no Word file.
TEST(OfficeImport, LegacyFilesAndForeignSheetsAreRefusedWithWhyAndTheOthersWritten) {
  testsupport::ScratchDir scratch;
  std::string ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  testsupport::WriteBytes("old.doc", ole + std::string(504, '\0'));
  testsupport::WriteBytes("old.xls", ole + std::string(504, '\0'));
  testsupport::WriteBytes("new.xlsx", Fixture("csv_header.xlsx"));
  testsupport::WriteBytes("bad.xlsx", Fixture("bad_header.xlsx"));
  fs::create_directory("db");
  importtest::Run run = importtest::Import({"old.doc", "old.xls", "bad.xlsx", "new.xlsx", "db"});
  EXPECT_EQ(run.code, bridge::kImportLossy) << run.err;
  EXPECT_NE(run.out.find("old.doc: nothing written: a legacy .doc file, not a zip: save the file "
                         "in the .docx format"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("old.xls: nothing written: a legacy .xls file, not a zip: save the file "
                         "in the .xlsx format"),
            std::string::npos);
  // A sheet of another header refuses its file, naming what it found.
  EXPECT_NE(run.out.find("bad.xlsx: nothing written: sheet 'Данные' has the header \"Фамилия | "
                         "Оценка\""),
            std::string::npos);
  EXPECT_NE(run.out.find("new.xlsx: 5 questions in 1 topics written as Base\\1.txt"),
            std::string::npos);
  bridge::ImportedInput in;
  in.name = "old.doc";
  in.refused = bridge::Refusal::kReason;
  in.reason = lang::Say(lang::Id::kOfficeLegacy, ".doc", ".docx");
  EXPECT_EQ(bridge::InputSummary(in, lang::Lang::kRussian),
            "old.doc: ничего не записано: файл старого формата .doc: сохраните файл в формате "
            ".docx\n");
}

// A Word document's pictures are written beside its topic, the text referring to them; the
// equations need UTF-8.
TEST(OfficeImport, WordPicturesLandInTheTopicsFolder) {
  testsupport::ScratchDir scratch;
  std::string docx = Fixture("media.docx");
  testsupport::WriteBytes("media.docx", docx);
  fs::create_directory("db");
  importtest::Run run = importtest::Import({"media.docx", "db"});
  EXPECT_EQ(run.code, 0) << run.out << run.err;
  EXPECT_EQ(importtest::FileBytes("db/Base/d1/1.txt"),
            "\xEF\xBB\xBF"
            "Что на рисунке? ![Точка на плоскости](1/image1.png)\r\n\t+точка\r\n\t-линия\r\n"
            "Вычислите ![equation1.wmf](1/equation1.wmf)\r\n\t-1\r\n\t+2\r\n"
            "Верно ли, что ∑_(i=1)ⁿ i²=n(n+1)(2n+1)/6?\r\n\t+да\r\n\t-нет\r\n");
  bridge::ZipInput zip(docx);
  ASSERT_TRUE(zip.Open());
  std::string png, wmf;
  ASSERT_TRUE(zip.Read("word/media/image1.png", &png) && zip.Read("word/media/equation1.wmf", &wmf));
  EXPECT_EQ(importtest::Snapshot("db/Base/d1/1"),
            (std::map<std::string, std::string>{{"image1.png", png}, {"equation1.wmf", wmf}}));
}

// Numbers as a Russian-locale spreadsheet shows them: each row a format the cells use.
TEST(OfficeNumbers, ShownAsARussianLocaleSpreadsheetShowsThem) {
  struct Case {
    double value;
    std::string code;
    const char* shown;
  };
  const Case cases[] = {
      {0.1 + 0.2, "", "0,3"},                          // no floating-point noise
      {1.0 / 3, "General", "0,333333333333333"},       // 15 significant digits
      {1e20, "", "1E+20"},
      {-42, "", "-42"},
      {0.5, "0%", "50%"},
      {0.1234, "0.00%", "12,34%"},
      {2.675, "0.00", "2,68"},                         // rounded as written, not as stored
      {1234567.891, "#,##0.00", "1\u00A0234\u00A0567,89"},
      {-5, "0.00", "-5,00"},
      {-5, "0;(0)", "(5)"},
      {0, "0;-0;\"ноль\"", "ноль"},
      {0.000123, "0.00E+00", "1,23E-04"},
      {1500, "#,##0 [$₽-419]", "1\u00A0500 ₽"},
      {45292, std::string(bridge::BuiltinNumberFormat(14)), "01.01.2024"},
      {45292.75, std::string(bridge::BuiltinNumberFormat(22)), "01.01.2024 18:00"},
      {60, "dd.mm.yyyy", "29.02.1900"},                // the day the 1900 calendar invents
      {61, "d mmmm yyyy", "1 март 1900"},
      {0.5, "h:mm:ss", "12:00:00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(bridge::ShowNumber(c.value, c.code), c.shown) << c.value << " " << c.code;
  // A Mac's workbook counts from 1904.
  EXPECT_EQ(bridge::ShowNumber(0, "dd.mm.yyyy", true), "01.01.1904");
}

}  // namespace
