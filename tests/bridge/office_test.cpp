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

// A document.xml body in a zip of its own, with a comments part when given.
std::string Docx(const std::string& body, const std::string& comments = "") {
  const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
  bridge::ZipOutput zip;
  zip.Add("word/document.xml", "<w:document " + w + "><w:body>" + body + "</w:body></w:document>");
  if (!comments.empty()) {
    zip.Add("word/_rels/document.xml.rels",
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
            "<Relationship Id=\"c\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
            "relationships/comments\" Target=\"comments.xml\"/></Relationships>");
    zip.Add("word/comments.xml", "<w:comments " + w + ">" + comments + "</w:comments>");
  }
  std::string out;
  EXPECT_TRUE(zip.Finish(&out));
  return out;
}

std::string P(const std::string& text, bool bold = false) {
  return std::string("<w:p><w:r>") + (bold ? "<w:rPr><w:b/></w:rPr>" : "") +
         "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r></w:p>";
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
