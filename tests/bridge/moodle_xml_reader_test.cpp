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
            "15: image dropped: the program shows text only\n"
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

}  // namespace
