// The Moodle XML reader on a quiz in the shape Moodle exports, and on what its parser rejects.
#include <gtest/gtest.h>

#include "import_test_support.h"

namespace {

using bridge::Drop;
using importtest::Notes;
using importtest::ShowTopic;
using Shown = std::vector<std::string>;

TEST(MoodleXmlReader, ReadsAMoodleExport) {
  std::string bytes;
  ASSERT_TRUE(bridge::ReadWholeFile(EXAMEO_BRIDGE_DATA "/moodle_quiz.xml", &bytes));
  bridge::Report report;
  bridge::Bank bank;
  std::string error;
  ASSERT_TRUE(bridge::ReadMoodleXml({"q.xml", "q"}, bytes, &bank, &report, &error)) << error;
  ASSERT_EQ(bank.topics.size(), 2u);
  EXPECT_EQ(bank.topics[0].title, "Физика");
  EXPECT_EQ(bank.topics[0].line, 4);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"Единица силы тока в СИ:|+Ампер|-Вольт|--1 ом",
                   "Какие величины векторные? E = mc^2, H_2O|+Сила|+Скорость|-Масса & объём",
                   "Знак заряда электрона|-+|+−"}));
  EXPECT_EQ(bank.topics[0].questions[0].line, 15);
  EXPECT_EQ(bank.topics[0].questions[0].variants[2].line, 55);
  EXPECT_EQ(bank.topics[1].title, "Оптика");
  EXPECT_EQ(ShowTopic(bank.topics[1]),
            (Shown{"Скорость света в вакууме около 300 000 км/с|+Верно|-Неверно",
                   "Раздел 2 линзы зеркала"}));
  EXPECT_EQ(Notes(report),
            "15: file 'amper.png' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, EMF)\n"
            "123: shortanswer question left out: the program asks only choice questions\n"
            "136: essay question left out: the program asks only choice questions\n"
            "146: matching question left out: the program asks only choice questions\n"
            "162: numerical question left out: the program asks only choice questions\n"
            "176: multianswer question left out: the program asks only choice questions\n"
            "193: multichoice question left out: it has fewer than two answers\n"
            "212: attached file 'notes.pdf' dropped: the program shows text only\n");
  EXPECT_EQ(report.Dropped(Drop::kTitle), 6);
  EXPECT_EQ(report.Dropped(Drop::kFeedback), 5);
  EXPECT_EQ(report.Dropped(Drop::kWeight), 3);
}

TEST(MoodleXmlReader, RejectsWhatTheParserRejectsWithItsLine) {
  struct Case {
    const char* xml;
    const char* error;
  } cases[] = {
      {"<?xml version=\"1.0\"?>\r\n<quiz>\r\n<question type=\"truefalse\">\r\n</quiz>\r\n",
       "4: XML error: Start-end tags mismatch"},
      {"<quiz>\n<question>\n<name>&bogus;</name>", "3: XML error: "},
      {"\n\n<html><body/></html>", "3: not a Moodle XML quiz: the root element is not <quiz>"},
      {"", "1: XML error: No document element found"},
  };
  for (const Case& c : cases) {
    bridge::Report report;
    bridge::Bank bank;
    std::string error;
    EXPECT_FALSE(bridge::ReadMoodleXml({"x.xml", "x"}, c.xml, &bank, &report, &error)) << c.xml;
    EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error) << c.xml;
  }
  // A quiz without questions is read, and gives nothing.
  bridge::Report report;
  bridge::Bank bank;
  std::string error;
  EXPECT_TRUE(bridge::ReadMoodleXml({"x.xml", "x"}, "<quiz/>", &bank, &report, &error));
  EXPECT_TRUE(bank.topics.empty());
}

// What Moodle reads in a text: every piece of it, and HTML unless it is marked plain.
TEST(MoodleXmlReader, ReadsTextsWholeAndAsHtmlUnlessMarkedPlain) {
  const char* xml =
      "<quiz>\n"
      "<question type=\"multichoice\">\n"  // 2
      "<questiontext><text><![CDATA[<p>a ]]]]><![CDATA[> b</p>]]><!-- c -->"
      "<![CDATA[<i>конец</i>]]></text></questiontext>\n"
      "<answer fraction=\"100\"><text>&lt;b&gt;да&lt;/b&gt;</text></answer>\n"
      "<answer fraction=\"0\" format=\"plain_text\"><text>x &lt;b&gt; y</text></answer>\n"
      "</question>\n"
      "<question type=\"multichoice\">\n"  // 7
      "<questiontext format=\"plain_text\"><text>1 &lt;i&gt; 2</text></questiontext>\n"
      "<answer fraction=\"100\"><text>&lt;b&gt;а&lt;/b&gt;</text></answer>\n"
      "<answer fraction=\"0\" format=\"markdown\"><text>&lt;b&gt;б&lt;/b&gt;</text></answer>\n"
      "<answer fraction=\"0\" format=\"moodle_auto_format\"><text>в&lt;br&gt;г</text></answer>\n"
      "</question>\n"
      "</quiz>\n";
  bridge::Report report;
  bridge::Bank bank;
  std::string error;
  ASSERT_TRUE(bridge::ReadMoodleXml({"x.xml", "x"}, xml, &bank, &report, &error)) << error;
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"a ]]> b конец|+да|-x <b> y", "1 <i> 2|+<b>а</b>|-б|-в г"}));
  EXPECT_EQ(Notes(report), "");
}

// Older and localised exports name true/false answers otherwise; Moodle reads them in order.
TEST(MoodleXmlReader, TrueFalseAnswersNamedOtherwiseAreReadInOrderWithANote) {
  const char* xml =
      "<quiz>\n"
      "<question type=\"truefalse\">\n"
      "<questiontext><text>Земля круглая</text></questiontext>\n"
      "<answer fraction=\"100\"><text>Верно</text></answer>\n"
      "<answer fraction=\"0\"><text>Неверно</text></answer>\n"
      "</question>\n"
      "<question type=\"truefalse\">\n"
      "<questiontext><text>Солнце холодное</text></questiontext>\n"
      "<answer fraction=\"0\"><text>Yes</text></answer>\n"
      "<answer fraction=\"100\"><text>No</text></answer>\n"
      "</question>\n"
      "<question type=\"truefalse\">\n"
      "<questiontext><text>Вода мокрая</text></questiontext>\n"
      "<answer fraction=\"0\"><text>false</text></answer>\n"
      "<answer fraction=\"100\"><text>true</text></answer>\n"
      "</question>\n"
      "</quiz>\n";
  bridge::Report report;
  bridge::Bank bank;
  std::string error;
  ASSERT_TRUE(bridge::ReadMoodleXml({"x.xml", "x"}, xml, &bank, &report, &error)) << error;
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"Земля круглая|+Верно|-Неверно", "Солнце холодное|-Верно|+Неверно",
                   "Вода мокрая|+Верно|-Неверно"}));
  const char* note =
      ": true/false answers not named 'true' and 'false': read in order, the first as true, as "
      "Moodle reads them\n";
  EXPECT_EQ(Notes(report), std::string("2") + note + "7" + note);
}

// Every file or reference Moodle carries and the program drops is a note at its question.
TEST(MoodleXmlReader, NotesEveryDroppedFileAndReference) {
  const char* xml =
      "<quiz>\n"
      "<question type=\"multichoice\">\n"  // 2
      "<questiontext><text><![CDATA[Послушайте <audio src=\"@@PLUGINFILE@@/a.mp3\"></audio>"
      "<video src=\"@@PLUGINFILE@@/v.mp4\"></video><object data=\"f.swf\"></object>"
      "<a href=\"@@PLUGINFILE@@/my%20notes.pdf\">конспект</a>]]></text>\n"
      "<file name=\"a.mp3\" encoding=\"base64\">AA==</file>\n"
      "<file name=\"v.mp4\" encoding=\"base64\">AA==</file>\n"
      "<file name=\"my notes.pdf\" encoding=\"base64\">AA==</file>\n"
      "<file name=\"extra.txt\" encoding=\"base64\">AA==</file>\n"  // 7
      "</questiontext>\n"
      "<image>images/old.gif</image>\n"
      "<image_base64>R0lGOD==</image_base64>\n"
      "<answer fraction=\"100\"><text><![CDATA[<img src=\"@@PLUGINFILE@@/y.png\">да]]></text>"
      "<file name=\"y.png\" encoding=\"base64\">AA==</file></answer>\n"  // 11
      "<answer fraction=\"0\" format=\"plain_text\"><text>нет</text>"
      "<file name=\"n.png\" encoding=\"base64\">AA==</file></answer>\n"  // 12
      "</question>\n"
      "<question type=\"description\">\n"  // 14
      "<questiontext format=\"html\"><text>Раздел</text></questiontext>\n"
      "<image_base64>R0lGOD==</image_base64>\n"
      "</question>\n"
      "</quiz>\n";
  bridge::Report report;
  bridge::Bank bank;
  std::string error;
  ASSERT_TRUE(bridge::ReadMoodleXml({"x.xml", "x"}, xml, &bank, &report, &error)) << error;
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]), (Shown{"Послушайте конспект|+да|-нет", "Раздел"}));
  EXPECT_EQ(Notes(report),
            "2: audio 'a.mp3' dropped: the program shows text only\n"
            "2: video 'v.mp4' dropped: the program shows text only\n"
            "2: embedded object dropped: the program shows text only\n"
            "2: link to attached file 'my notes.pdf' dropped: the program shows text only\n"
            "7: attached file 'extra.txt' dropped: the program shows text only\n"
            "2: file 'images/old.gif' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, EMF)\n"
            "11: file 'y.png' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, EMF)\n"
            "12: attached file 'n.png' dropped: the program shows text only\n"
            "14: file '<image_base64>' dropped: it is not a picture (PNG, JPEG, GIF, BMP, WMF, EMF)\n");
}

}  // namespace
