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
            (Shown{"Жирный шрифт|+да|-<i>нет</i>|--5", "Как *есть*|+да|-нет", "Пусто|+да|-нет"}));
  EXPECT_EQ(Notes(report),
            "1: picture 'a.png' dropped: no such file\n"
            "9: multiple-choice question left out: its text is empty\n");
  // Markers: [html], [plain], [moodle], [markdown], [html]; tag removals: task, first answer,
  // the [markdown] task (HTML as Moodle shows it), the <br> answer.
  EXPECT_EQ(report.Dropped(Drop::kFormatting), 9);
  EXPECT_EQ(report.Dropped(Drop::kEmptyAnswer), 2);
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
            "27: picture 'f.png' dropped: no such file\n"
            "36: matching question left out: the program asks only choice questions\n"
            "42: numerical question left out: the program asks only choice questions\n"
            "47: essay question left out: the program asks only choice questions\n");
}

TEST(GiftReader, ChoiceBlocksAsMoodleReadsThemAndWhatItCannotAsk) {
  bridge::Report report;
  bridge::Bank bank = Read(Format::kGift,
                           "Город? {Lyon ~Nice =Paris}\n"  // 1
                           "\n"
                           "Вес {\n"  // 3
                           "  %50%Лион\n"
                           "  ~%50%Ницца ~Париж}\n"
                           "\n"
                           "Это {1:MC:~a~=an~the} apple.\n"  // 7
                           "\n"
                           "Два {=x ~y} и {:SHORTANSWER:=z}\n"  // 9
                           "\n"
                           "}\n"  // 11
                           "\n"
                           "Хвост {=a ~b} }\n"  // 13
                           "\n"
                           "\\{1:MC:x\\} {=a ~b}\n",  // 15
                           &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(ShowTopic(bank.topics[0]),
            (Shown{"Город?|-Lyon|-Nice|+Paris", "Вес|+Лион|+Ницца|-Париж", "{1:MC:x}|+a|-b"}));
  EXPECT_EQ(bank.topics[0].questions[1].variants[0].line, 4);
  EXPECT_EQ(Notes(report),
            "7: embedded-answer question left out: the program asks only choice questions\n"
            "9: embedded-answer question left out: the program asks only choice questions\n"
            "11: question left out: a '}' in it closes no answer block\n"
            "13: question left out: a '}' in it closes no answer block\n");
  EXPECT_EQ(report.Dropped(Drop::kWeight), 2);
}

TEST(GiftReader, ANameOrCategoryAfterAClosedBlockStartsAnotherQuestion) {
  bridge::Report report;
  bridge::Bank bank = Read(Format::kGift,
                           "$CATEGORY: $course$/top/А\n"  // 1
                           "$CATEGORY: $course$/top/Б\n"
                           "::Q1:: Первый {=да ~нет}\n"  // 3
                           "::Q2:: Второй {\n"           // 4
                           "=x\n"
                           "::не имя:: ~y\n"
                           "}\n"
                           "// комментарий\n"
                           "$CATEGORY: $course$/top/В\r\n"  // 9
                           "Третий {T}\r"                   // 10
                           "::Q4:: Четвёртый {F}\r",        // 11
                           &report);
  ASSERT_EQ(bank.topics.size(), 3u);
  EXPECT_EQ(bank.topics[0].title, "А");
  EXPECT_TRUE(bank.topics[0].questions.empty());
  EXPECT_EQ(bank.topics[1].title, "Б");
  EXPECT_EQ(ShowTopic(bank.topics[1]), (Shown{"Первый|+да|-нет", "Второй|+x ::не имя::|-y"}));
  EXPECT_EQ(bank.topics[2].title, "В");
  EXPECT_EQ(ShowTopic(bank.topics[2]),
            (Shown{"Третий|+Верно|-Неверно", "Четвёртый|-Верно|+Неверно"}));
  EXPECT_EQ(bank.topics[2].questions[1].line, 11);
  EXPECT_EQ(Notes(report),
            "4: blank line missing before this question: read as a new question\n"
            "9: blank line missing before this category line: read as a new category\n"
            "11: blank line missing before this question: read as a new question\n");
}

TEST(GiftReader, UnmarkedMoodleAndMarkdownTextsAreHtmlOnlyPlainIsAsWritten) {
  bridge::Report report;
  bridge::Bank bank = Read(
      Format::kGift,
      "<div id=\"gtx-trans\"><i>City Lights</i></div> &amp; x<sup>2</sup> {=<b>да</b> ~нет &lt;}\n"
      "\n"
      "[moodle]a<br>b {=a ~[plain]<b>}\n"
      "\n"
      "[plain]<i>как есть</i> &amp; {=a ~<b>b</b>}\n",
      &report);
  EXPECT_EQ(ShowTopic(bank.topics.at(0)), (Shown{"City Lights & x^2|+да|-нет <", "a b|+a|-<b>",
                                                 "<i>как есть</i> &amp;|+a|-<b>b</b>"}));
  EXPECT_EQ(Notes(report), "");
}

TEST(GiftReader, EmptyAnswersAreDroppedAsMoodleDropsThemAndCountedNotLost) {
  testsupport::ScratchDir scratch;
  ASSERT_TRUE(bridge::WriteNewFile("a.gift",
                                   "Сколько? {~=несколько~немного}\n"
                                   "\n"
                                   "Один {=да ~ ~%0% ~нет}\n"));
  importtest::Run run = importtest::Import({"a.gift", "."});
  EXPECT_EQ(run.code, bridge::kImportClean) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "a.gift: 2 questions in 1 topics written as Base\\1.txt; dropped by design: 3 empty "
            "answers\n");
  EXPECT_EQ(importtest::LoadTopic("Base\\d1\\1.txt"),
            (Shown{"Сколько?|+несколько|-немного", "Один|+да|-нет"}));
}

}  // namespace
