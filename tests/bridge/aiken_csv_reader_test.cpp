// The Aiken and CSV readers: options and ANSWER lines; spreadsheet rows, quoting, numbers.
#include <gtest/gtest.h>

#include "import_test_support.h"

namespace {

using bridge::Format;
using importtest::Notes;
using importtest::Read;
using importtest::ShowTopic;
using Shown = std::vector<std::string>;

TEST(AikenReader, ReadsOptionsAsMoodleDoesAndLeavesOutBrokenQuestions) {
  bridge::Report report;
  bridge::Bank bank = Read(Format::kAiken,
                           "\xEF\xBB\xBF"
                           "Какая планета\n"  // 1
                           "самая  большая?\n"
                           "A) Земля\n"
                           "B. Юпитер\n"
                           "C) -Марс\n"
                           "ANSWER: B\n"
                           "\n"
                           "Один вариант?\n"  // 8
                           "A) Да\n"
                           "ANSWER: A\n"
                           "\n"
                           "Неверный ответ?\n"  // 12
                           "A) Да\n"
                           "B) Нет\n"
                           "ANSWER: C\n"
                           "\n"
                           "a) строчная буква - это текст\n"  // 17
                           "Вопрос:\n"
                           "A)без пробела - тоже вариант\n"
                           "A) x\n"
                           "Лишняя строка\n"  // 21: the next question
                           "B) y\n"
                           "ANSWER: A\n"
                           "Без ответа\n"  // 24
                           "A) x\n"
                           "B) y\n",
                           &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"Какая планета самая большая?|-Земля|+Юпитер|--Марс"}));
  EXPECT_EQ(bank.topics[0].questions[0].variants[2].line, 5);
  EXPECT_EQ(Notes(report),
            "8: question left out: it has fewer than two options\n"
            "12: question left out: its ANSWER line names no option of it\n"
            "17: question left out: it has no ANSWER line\n"
            "21: question left out: its ANSWER line names no option of it\n"
            "24: question left out: it has no ANSWER line\n");
}

TEST(AikenReader, AQuestionWithoutItsAnswerLineLeavesTheNextOneWhole) {
  bridge::Report report;
  std::string text =
      "Первый без ответа?\n"  // 1
      "A) да\n"
      "B) нет\n"
      "Второй?\n"  // 4
      "A)Париж\n"
      "B.Лион\n"
      "C) Ницца\n"
      "ANSWER: A\n"
      "Много?\n";  // 9
  for (char letter = 'A'; letter <= 'N'; ++letter) text += std::string(1, letter) + ") v\n";
  text += "ANSWER: N\n";
  bridge::Bank bank = Read(Format::kAiken, text, &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  ASSERT_EQ(bank.topics[0].questions.size(), 2u);
  EXPECT_EQ(importtest::Show(bank.topics[0].questions[0]), "Второй?|+Париж|-Лион|-Ницца");
  EXPECT_EQ(bank.topics[0].questions[0].line, 4);
  EXPECT_EQ(Notes(report), "1: question left out: it has no ANSWER line\n");
  // Options past the limit are counted, not kept; the answer may name one of them.
  const bridge::Question& many = bank.topics[0].questions[1];
  EXPECT_EQ(many.variants.size(), 12u);
  EXPECT_EQ(many.VariantCount(), 14);
  // The rule is one for the reader, the detection of a .txt and the export's guard.
  EXPECT_TRUE(bridge::IsAikenOption("B.Лион"));
  EXPECT_FALSE(bridge::IsAikenOption("B."));
  EXPECT_FALSE(bridge::IsAikenOption("b) x"));
}

TEST(CsvReader, ReadsARussianSpreadsheet) {
  std::string bytes;
  ASSERT_TRUE(bridge::ReadWholeFile(EXAMEO_BRIDGE_DATA "/spreadsheet.csv", &bytes));
  ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  ASSERT_NE(bytes.find("\r\n"), std::string::npos) << "the file must keep its CR LF";
  bridge::Report report;
  bridge::Bank bank = Read(Format::kCsv, bytes, &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"Столица России?|-Киев|+Москва|-Минск", "Выберите \"чётные\"|+2|-3|+4",
                   "Без вариантов", "Пропуск|-а|+б", "Точка; с запятой|+да;да|+нет,нет"}));
  EXPECT_EQ(bank.topics[0].questions[1].line, 5);
  EXPECT_EQ(Notes(report),
            "7: question left out: correct variant 2 names no filled variant column\n"
            "9: question left out: correct variant 5 names no filled variant column\n"
            "10: question left out: its second column is not the numbers of the correct "
            "variants\n");
}

TEST(CsvReader, ChoosesTheSeparatorAndTheHeaderFromTheFirstRow) {
  bridge::Report report;
  // More commas than semicolons outside quotes: commas; a first row with numbers is a question.
  bridge::Bank bank = Read(Format::kCsv, "\"a;b;c\",1,x;y,z\r2+2,2 1,3,4,\n", &report);
  EXPECT_EQ(ShowTopic(bank.topics.at(0)), (Shown{"a;b;c|+x;y|-z", "2+2|+3|+4"}));
  // A tie is semicolons; a header is skipped only as the first row.
  bridge::Report report2;
  bridge::Bank bank2 = Read(
      Format::kCsv, "Вопрос;Ответ,Ответы;a,b\nq;1;a\nВопрос;Ответ;a\n\"открыта;1;a\n", &report2);
  EXPECT_EQ(ShowTopic(bank2.topics.at(0)), (Shown{"q|+a"}));
  EXPECT_EQ(Notes(report2),
            "3: question left out: its second column is not the numbers of the correct "
            "variants\n"
            "4: question left out: a quote opened in it is never closed\n");
}

}  // namespace
