// The GIFT reader: Moodle's grammar and order of question types, escapes, formats, categories.
#include <gtest/gtest.h>

#include "import_test_support.h"

namespace {

using bridge::Drop;
using bridge::Format;
using importtest::Notes;
using importtest::Read;
using importtest::ShowTopic;
using Shown = std::vector<std::string>;

TEST(GiftReader, TellsQuestionTypesInMoodlesOrderAndLeavesOutWhatTheProgramCannotAsk) {
  bridge::Report report;
  bridge::Bank bank = Read(Format::kGift,
                           "// a comment line\r\n"
                           "::Q1:: Столица? {=Москва ~Киев ~Минск}\r\n"  // 2
                           "\r\n"
                           "Эссе {}\r\n"  // 4
                           "\r\n"
                           "Число {#4:0.5}\r\n"  // 6
                           "\r\n"
                           "Пары {=a -> 1 =b -> 2}\r\n"  // 8
                           "\r\n"
                           "Краткий {=Москва =москва}\r\n"  // 10
                           "\r\n"
                           "Земля круглая {TRUE#да#нет}\r\n"  // 12
                           "\r\n"
                           "Луна звезда {F}\r\n"  // 14
                           "\r\n"
                           "Строчные {t}\r\n"  // 16
                           "\r\n"
                           "Один {~ %100%да}\r\n"  // 18
                           "\r\n"
                           "Только описание\r\n"  // 20
                           "  // comment inside\r\n"
                           "в две строки\r\n"
                           "\r\n"
                           "Открыт { =a ~b\r\n",  // 24
                           &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(bank.topics[0].title, "quiz");
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"Столица?|+Москва|-Киев|-Минск", "Земля круглая|+Верно|-Неверно",
                   "Луна звезда|-Верно|+Неверно", "Только описание в две строки"}));
  EXPECT_EQ(bank.topics[0].questions[1].line, 12);
  EXPECT_EQ(Notes(report),
            "4: essay question left out: the program asks only choice questions\n"
            "6: numerical question left out: the program asks only choice questions\n"
            "8: matching question left out: the program asks only choice questions\n"
            "10: short-answer question left out: the program asks only choice questions\n"
            "16: short-answer question left out: the program asks only choice questions\n"
            "18: multiple-choice question left out: it has fewer than two answers\n"
            "24: question left out: its answer block has no closing '}'\n");
  EXPECT_EQ(report.Dropped(Drop::kTitle), 1);
  EXPECT_EQ(report.Dropped(Drop::kFeedback), 1);  // the true/false feedback, counted once
}

TEST(GiftReader, DecodesEscapesWeightsFeedbackAndMissingWords) {
  bridge::Report report;
  bridge::Bank bank = Read(Format::kGift,
                           "a\\=b \\{c\\} \\#d \\~e \\: f\\\\g\\nh \\+ {\n"
                           "  =x\\=1#верно\n"
                           "  ~x\\~2\n"
                           "  ~%50%пол#fb ~%-50%минус ~%0%ноль =%25%четверть ~%abc%текст\n"
                           "  ####общий отзыв\n"
                           "} хвост.\n"
                           "\n"
                           "Год { ~1812 = 1612 } \n",
                           &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"a=b {c} #d ~e : f\\g h \\+ _____ хвост.|+x=1|-x~2|+пол|-минус|-ноль|+четверть|"
                   "-%abc%текст",
                   "Год|-1812|+1612"}));
  const bridge::Question& q = bank.topics[0].questions[0];
  EXPECT_EQ(q.variants[0].line, 2);
  EXPECT_EQ(q.variants[2].line, 4);
  EXPECT_EQ(report.Dropped(Drop::kWeight), 3);    // 50, -50, 25; 0 is only a sign
  EXPECT_EQ(report.Dropped(Drop::kFeedback), 3);  // "верно", "fb", the general one
  EXPECT_EQ(Notes(report), "");
}

TEST(GiftReader, FormatMarkersCoverAnswersUnlessTheyHaveTheirOwn) {
  bridge::Report report;
  bridge::Bank bank =
      Read(Format::kGift,
           "::t::[html]<p>Жирный <b>шрифт</b></p><img src=\"@@PLUGINFILE@@/a.png\"> {\n"
           "=<i>да</i>\n"
           "~[plain]<i>нет</i>\n"
           "~[moodle]  -5\n"
           "}\n"
           "\n"
           "[markdown]Как *есть* &nbsp; <b> {=да ~нет}\n"
           "\n"
           "::t:: {=a ~b}\n"
           "\n"
           "Пусто {~ ~[html]<br> =да ~нет}\n",
           &report);
  EXPECT_EQ(ShowTopic(bank.topics.at(0)),
            (Shown{"Жирный шрифт|+да|-<i>нет</i>|--5", "Как *есть* &nbsp; <b>|+да|-нет",
                   "Пусто|+да|-нет"}));
  EXPECT_EQ(Notes(report),
            "1: image dropped: the program shows text only\n"
            "9: multiple-choice question left out: its text is empty\n"
            "11: empty answer left out\n"
            "11: empty answer left out\n");
  // Markers: [html], [plain], [moodle], [markdown], [html]; tag removals: task, first answer,
  // the <br> answer.
  EXPECT_EQ(report.Dropped(Drop::kFormatting), 8);
}

TEST(GiftReader, CategoriesBecomeTopicsAndContinueWhenMetAgain) {
  bridge::Report report;
  bridge::Bank bank = Read(Format::kGift,
                           "Первый {T}\n"
                           "\n"
                           "$CATEGORY: $course$/top/Алгебра\n"
                           "\n"
                           "$CATEGORY: $course$/top/Геометрия//Стереометрия/ \n"
                           "Куб {T}\n"
                           "\n"
                           "$CATEGORY:$course$/top/Пустая\n"
                           "\n"
                           "$CATEGORY: $course$/top/Алгебра/\n"
                           "\n"
                           "x+1=2 {=1 ~2}\n",
                           &report);
  ASSERT_EQ(bank.topics.size(), 4u);
  EXPECT_EQ(bank.topics[0].title, "quiz");
  EXPECT_EQ(bank.topics[1].title, "Алгебра");
  EXPECT_EQ(bank.topics[2].title, "Геометрия/Стереометрия");
  EXPECT_EQ(bank.topics[3].title, "Пустая");
  EXPECT_EQ(ShowTopic(bank.topics[0]), Shown{"Первый|+Верно|-Неверно"});
  EXPECT_EQ(ShowTopic(bank.topics[1]), Shown{"x+1=2|+1|-2"});
  EXPECT_EQ(ShowTopic(bank.topics[2]), Shown{"Куб|+Верно|-Неверно"});
  EXPECT_TRUE(bank.topics[3].questions.empty());
  EXPECT_EQ(bank.topics[2].questions[0].line, 6);
}

TEST(GiftReader, MoodleExportReadsWhole) {
  std::string bytes;
  ASSERT_TRUE(bridge::ReadWholeFile(EXAMEO_BRIDGE_DATA "/moodle_export.gift", &bytes));
  bridge::Report report;
  bridge::Bank bank = Read(Format::kGift, bytes, &report);
  ASSERT_EQ(bank.topics.size(), 2u);
  EXPECT_EQ(bank.topics[0].title, "Алгебра");
  EXPECT_EQ(ShowTopic(bank.topics[0]), (Shown{"Решите уравнение x^2 = 9|+x = 3|+x = -3|-x = 9",
                                              "Корень из 16 равен _____, а из 25 — пяти.|-8|+4",
                                              "Дробь 1/2 больше 1/3|+Верно|-Неверно"}));
  EXPECT_EQ(bank.topics[1].title, "Функции: графики");
  EXPECT_EQ(ShowTopic(bank.topics[1]),
            (Shown{"Раздел о функциях", "График y = {kx} — прямая|+да|-нет"}));
  EXPECT_EQ(Notes(report),
            "27: image dropped: the program shows text only\n"
            "36: matching question left out: the program asks only choice questions\n"
            "42: numerical question left out: the program asks only choice questions\n"
            "47: essay question left out: the program asks only choice questions\n");
}

}  // namespace
