// The four writers on banks made by hand: the exact text of each format, what each leaves out,
// and how a reader of the same format takes the tricky texts back.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/writers.h"
#include "import_test_support.h"

namespace {

using bridge::ExportBank;
using bridge::Format;
using bridge::Question;
using bridge::Report;
using bridge::Topic;
using bridge::Variant;

Question Q(std::string task, int line, std::vector<std::pair<std::string, bool>> variants) {
  Question q;
  q.task = std::move(task);
  q.line = line;
  for (auto& [text, correct] : variants) q.variants.push_back(Variant{text, correct, 0});
  return q;
}

// Three topics: one with every kind of question and tricky texts, one whose questions no
// Moodle format takes, and one description card.
ExportBank Science() {
  ExportBank b;
  b.categories = true;
  b.bank.title = "Наука";
  Topic physics;
  physics.title = "Физика/Химия";
  physics.questions = {
      Q("2 + 2 = ?", 1, {{"4", true}, {"5", false}}),
      Q("Что верно: {a} ~b #c \\d", 4, {{"x", true}, {"y", true}, {"z", false}}),
      Q("// не комментарий", 8, {}),
      Q("Скидка?", 9, {{"%5% больше", true}, {"[html]<b>", false}}),
      Q("Один", 12, {{"a", true}}),
  };
  Topic mechanics;
  mechanics.title = "Механика";
  mechanics.questions = {
      Q("x", 1, {{"a", false}, {"b", false}}),
      Q("y", 4, {{"a", true}, {" ", false}}),
  };
  Topic optics;
  optics.title = "Оптика";
  optics.questions = {Q("Свет", 1, {})};
  b.bank.topics = {physics, mechanics, optics};
  b.files = {"f1.txt", "f2.txt", "f3.txt"};
  return b;
}

using importtest::NotePlaces;

TEST(GiftWriter, WritesCategoriesEscapesWeightsAndGuardsAndLeavesOutWhatMoodleRefuses) {
  Report report;
  std::string gift = bridge::WriteGift(Science(), &report);
  EXPECT_EQ(gift,
            "$CATEGORY: Наука/Физика//Химия\n\n"
            "2 + 2 \\= ? {\n=4\n~5\n}\n\n"
            "Что верно\\: \\{a\\} \\~b \\#c \\\\d {\n~%50%x\n~%50%y\n~%-100%z\n}\n\n"
            "[plain]// не комментарий\n\n"
            "Скидка? {\n=[plain]%5% больше\n~[plain][html]<b>\n}\n\n"
            "$CATEGORY: Наука/Оптика\n\nСвет\n\n");
  EXPECT_EQ(NotePlaces(report), (std::vector<std::string>{"f1.txt:12", "f2.txt:1", "f2.txt:4"}));

  // Read back as GIFT: the guards and escapes give the texts as they were.
  bridge::Bank back;
  Report readReport;
  bridge::ReadGift({"x.gift", "x"}, gift, &back, &readReport);
  EXPECT_TRUE(readReport.Clean());
  ASSERT_EQ(back.topics.size(), 2u);
  EXPECT_EQ(back.topics[0].title, "Физика/Химия");
  ASSERT_EQ(back.topics[0].questions.size(), 4u);
  const Question& q2 = back.topics[0].questions[1];
  EXPECT_EQ(q2.task, "Что верно: {a} ~b #c \\d");
  ASSERT_EQ(q2.variants.size(), 3u);
  EXPECT_TRUE(q2.variants[0].correct && q2.variants[1].correct && !q2.variants[2].correct);
  EXPECT_EQ(back.topics[0].questions[2].task, "// не комментарий");
  EXPECT_TRUE(back.topics[0].questions[2].variants.empty());
  const Question& q4 = back.topics[0].questions[3];
  EXPECT_EQ(q4.variants[0].text, "%5% больше");
  EXPECT_TRUE(q4.variants[0].correct);
  EXPECT_EQ(q4.variants[1].text, "[html]<b>");
  EXPECT_EQ(back.topics[1].title, "Оптика");
}

TEST(GiftWriter, MarksEveryTextWithMarkupOrEntitiesAsPlain) {
  // Without a marker Moodle reads a GIFT text as HTML: "<b>" would vanish and "&lt;" turn
  // into "<". Texts without '<' or '&' need no marker.
  ExportBank b;
  Topic t;
  t.questions = {Q("Что делает <b>?", 1, {{"жирный шрифт", true}, {"AT&T", false}}),
                 Q("&lt; это код символа <", 4, {}), Q("a > b", 6, {{"x", true}, {"y", false}})};
  b.bank.topics = {t};
  b.files = {"q.txt"};
  Report report;
  std::string gift = bridge::WriteGift(b, &report);
  EXPECT_EQ(gift,
            "[plain]Что делает <b>? {\n=жирный шрифт\n~[plain]AT&T\n}\n\n"
            "[plain]&lt; это код символа <\n\n"
            "a > b {\n=x\n~y\n}\n\n");
  EXPECT_TRUE(report.Clean());
}

TEST(CorrectWeights, MoodleFractionsThatSumToAHundred) {
  EXPECT_EQ(bridge::CorrectWeight(1, 0), "100");
  EXPECT_EQ(bridge::CorrectWeight(3, 2), "33.33333");
  EXPECT_EQ(bridge::CorrectWeight(6, 0), "16.66667");
  EXPECT_EQ(bridge::CorrectWeight(7, 6), "14.28571");
  EXPECT_EQ(bridge::CorrectWeight(8, 0), "12.5");
  EXPECT_EQ(bridge::CorrectWeight(9, 8), "11.11111");
  // 11 and 12: nine or eight tens first, then fives.
  for (int i = 0; i < 11; ++i) EXPECT_EQ(bridge::CorrectWeight(11, i), i < 9 ? "10" : "5") << i;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(bridge::CorrectWeight(12, i), i < 8 ? "10" : "5") << i;
  for (int k = 1; k <= 12; ++k) {
    double sum = 0;
    for (int i = 0; i < k; ++i) sum += std::stod(std::string(bridge::CorrectWeight(k, i)));
    EXPECT_NEAR(sum, 100.0, 0.0001) << k;
  }
}

TEST(MoodleXmlWriter, CategoriesTypesFractionsAndEscapedTexts) {
  Report report;
  std::string xml = bridge::WriteMoodleXml(Science(), &report);
  EXPECT_EQ(NotePlaces(report), (std::vector<std::string>{"f1.txt:12", "f2.txt:1", "f2.txt:4"}));
  pugi::xml_document doc;
  ASSERT_TRUE(doc.load_string(xml.c_str())) << xml;
  std::vector<std::string> types;
  for (pugi::xml_node q : doc.child("quiz").children("question"))
    types.push_back(q.attribute("type").value());
  EXPECT_EQ(types,
            (std::vector<std::string>{"category", "multichoice", "multichoice", "description",
                                      "multichoice", "category", "description"}));
  auto question = [&](int n) {
    pugi::xml_node q = doc.child("quiz").child("question");
    for (int i = 0; i < n; ++i) q = q.next_sibling("question");
    return q;
  };
  EXPECT_STREQ(question(0).child("category").child_value("text"), "Наука/Физика//Химия");
  pugi::xml_node single = question(1);
  EXPECT_STREQ(single.child_value("single"), "true");
  EXPECT_STREQ(single.child("questiontext").child_value("text"), "2 + 2 = ?");
  EXPECT_STREQ(single.child("questiontext").attribute("format").value(), "plain_text");
  std::vector<std::string> fractions;
  for (pugi::xml_node a : single.children("answer"))
    fractions.push_back(a.attribute("fraction").value());
  EXPECT_EQ(fractions, (std::vector<std::string>{"100", "0"}));
  pugi::xml_node multi = question(2);
  EXPECT_STREQ(multi.child_value("single"), "false");
  fractions.clear();
  for (pugi::xml_node a : multi.children("answer"))
    fractions.push_back(a.attribute("fraction").value());
  EXPECT_EQ(fractions, (std::vector<std::string>{"50", "50", "-100"}));
  // Markup in a plain text is escaped by the XML writer and comes back as written.
  EXPECT_EQ(xml.find("<b>"), std::string::npos);
  EXPECT_STREQ(question(4).child("answer").next_sibling("answer").child_value("text"), "[html]<b>");
  EXPECT_STREQ(question(6).child("questiontext").child_value("text"), "Свет");
}

TEST(AikenWriter, OnlySingleAnswerQuestionsAndTasksThatCannotReadAsOptions) {
  Report report;
  std::string aiken = bridge::WriteAiken(Science(), &report);
  EXPECT_EQ(aiken,
            "2 + 2 = ?\nA) 4\nB) 5\nANSWER: A\n\n"
            "Скидка?\nA) %5% больше\nB) [html]<b>\nANSWER: A\n\n");
  // Two correct, a card, a single variant, no correct, an empty variant, a card.
  EXPECT_EQ(NotePlaces(report), (std::vector<std::string>{"f1.txt:4", "f1.txt:8", "f1.txt:12",
                                                     "f2.txt:1", "f2.txt:4", "f3.txt:1"}));

  ExportBank b;
  Topic t;
  // Moodle takes a capital with ')' or '.' for an option even without a blank after it, and
  // passes over a line shorter than two bytes ("Я" is two in UTF-8).
  t.questions = {Q("A) Пушкин?", 1, {{"да", true}, {"нет", false}}),
                 Q("ANSWER: B", 4, {{"да", true}, {"нет", false}}),
                 Q("A.S. Пушкин?", 7, {{"да", false}, {"нет", false}, {"не знаю", true}}),
                 Q("J.S. Bach?", 10, {{"да", true}, {"нет", false}}),
                 Q("Q", 13, {{"да", true}, {"нет", false}}),
                 Q("Я", 16, {{"да", true}, {"нет", false}}),
                 Q("Ja. S. Bach?", 19, {{"да", false}, {"нет", true}})};
  b.bank.topics = {t};
  b.files = {"q.txt"};
  Report second;
  EXPECT_EQ(bridge::WriteAiken(b, &second),
            "Я\nA) да\nB) нет\nANSWER: A\n\n"
            "Ja. S. Bach?\nA) да\nB) нет\nANSWER: B\n\n");
  EXPECT_EQ(NotePlaces(second),
            (std::vector<std::string>{"q.txt:1", "q.txt:4", "q.txt:7", "q.txt:10", "q.txt:13"}));
}

TEST(CsvWriter, BomHeaderQuotingAndNumbersSeparatedBySpaces) {
  Report report;
  std::string csv = bridge::WriteCsv(Science(), &report);
  std::string header = "\xEF\xBB\xBFЗадание;Верные";
  for (int i = 1; i <= 12; ++i) header += ";Вариант " + std::to_string(i);
  EXPECT_EQ(csv, header + "\r\n" +
                     "2 + 2 = ?;1;4;5\r\n"
                     "Что верно: {a} ~b #c \\d;1 2;x;y;z\r\n"
                     "// не комментарий;\r\n"
                     "Скидка?;1;%5% больше;[html]<b>\r\n"
                     "Один;1;a\r\n"
                     "x;;a;b\r\n"
                     "Свет;\r\n");
  EXPECT_EQ(NotePlaces(report), (std::vector<std::string>{"f2.txt:4"}));

  ExportBank b;
  Topic t;
  t.questions = {Q("Он сказал \"да\"; потом, нет", 1, {{"1,5", true}, {"a;b", false}})};
  b.bank.topics = {t};
  Report second;
  std::string quoted = bridge::WriteCsv(b, &second);
  EXPECT_EQ(quoted.substr(header.size() + 2),
            "\"Он сказал \"\"да\"\"; потом, нет\";1;\"1,5\";\"a;b\"\r\n");
  bridge::Bank back;
  Report readReport;
  bridge::ReadCsv({"x.csv", "x"}, quoted, &back, &readReport);
  ASSERT_EQ(back.topics.size(), 1u);
  ASSERT_EQ(back.topics[0].questions.size(), 1u);
  EXPECT_EQ(back.topics[0].questions[0].task, "Он сказал \"да\"; потом, нет");
  EXPECT_EQ(back.topics[0].questions[0].variants[0].text, "1,5");
  EXPECT_TRUE(back.topics[0].questions[0].variants[0].correct);
}

TEST(CsvWriter, TextsThatASpreadsheetWouldTakeForFormulasGetAnApostropheAndComeBack) {
  ExportBank b;
  Topic t;
  t.questions = {Q("=СУММ(A1:A2)", 1, {{"+7", true}, {"-5", false}, {"@all", false}}),
                 Q("'=x", 6, {{"a-b", true}, {"''+1", false}, {"'a", false}, {"=a;b", false}})};
  b.bank.topics = {t};
  Report report;
  std::string csv = bridge::WriteCsv(b, &report);
  std::size_t body = csv.find("\r\n") + 2;
  EXPECT_EQ(csv.substr(body),
            "'=СУММ(A1:A2);1;'+7;'-5;'@all\r\n"
            "''=x;1;a-b;'''+1;'a;\"'=a;b\"\r\n");
  bridge::Bank back;
  Report readReport;
  bridge::ReadCsv({"x.csv", "x"}, csv, &back, &readReport);
  EXPECT_TRUE(readReport.Clean());
  ASSERT_EQ(back.topics.size(), 1u);
  ASSERT_EQ(back.topics[0].questions.size(), 2u);
  EXPECT_EQ(back.topics[0].questions[0].task, "=СУММ(A1:A2)");
  EXPECT_EQ(back.topics[0].questions[1].task, "'=x");
  std::vector<std::string> variants;
  for (const Question& q : back.topics[0].questions)
    for (const Variant& v : q.variants) variants.push_back(v.text);
  EXPECT_EQ(variants, (std::vector<std::string>{"+7", "-5", "@all", "a-b", "''+1", "'a", "=a;b"}));
}

TEST(Categories, SlashesEmptyAndRepeatedTitlesComeBackAsTopicsOfTheirOwn) {
  // What a reader makes of each path is the title as written.
  for (std::string title : {"a/b", "/a", "a/", "a//b", "//", "Тема"}) {
    std::string path = bridge::CategoryPath("Дисц/иплина", title);
    EXPECT_EQ(bridge::CategoryTitle(path), title) << path;
  }
  EXPECT_EQ(bridge::CategoryPath("", "Тема"), "Тема");
  // A discipline ending in '/': "Физика///Механика" would be one category for Moodle, whose
  // separator is a '/' with no '/' beside it; the blank keeps it apart and is trimmed on reading.
  EXPECT_EQ(bridge::CategoryPath("Физика/", "Механика"), "Физика// /Механика");
  EXPECT_EQ(bridge::CategoryTitle(bridge::CategoryPath("Физика/", "Механика")), "Механика");

  ExportBank b;
  b.categories = true;
  for (std::string title : {"Алгебра", " ", "Алгебра", "Алгебра (2)"}) {
    Topic t;
    t.title = title;
    b.bank.topics.push_back(t);
    b.files.push_back("t.txt");
  }
  Report report;
  EXPECT_EQ(bridge::CategoryTitles(b, &report),
            (std::vector<std::string>{"Алгебра", "Тема 2", "Алгебра (2)", "Алгебра (2) (2)"}));
  EXPECT_EQ(report.notes.size(), 3u);
}

}  // namespace
