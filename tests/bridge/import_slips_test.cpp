// What used to slip through the import in silence: Cyrillic Aiken letters, choice questions
// with no right answer, links to sound files; and remarks, which lose nothing, apart from losses.
#include <gtest/gtest.h>

#include "import_test_support.h"

namespace {

using importtest::Import;
using importtest::LoadTopic;
using importtest::Notes;
using Shown = std::vector<std::string>;

TEST(AikenReader, CyrillicLettersReadByTheWholeSetOfAQuestionsLetters) {
  bridge::Report report;
  bridge::Bank bank = importtest::Read(bridge::Format::kAiken,
                                       "Столица России?\nА) Москва\nБ) Рим\nВ) Париж\nANSWER: А\n\n"
                                       "Q2\nА) x\nВ) y\nС) z\nANSWER: С\n\n"  // 7: look-alikes
                                       "Q3\nA) x\nB) y\nANSWER: В\n\n"        // 13: Latin, В = B
                                       "Q4\nА) x\nБ) y\nВ) z\nANSWER: B\n\n"  // 18: B = В
                                       "Q5\nА) x\nБ) y\nANSWER: D\n\n"        // 24
                                       "Q6\nA) x\nБ) y\nD) z\nANSWER: A\n",   // 29
                                       &report);
  ASSERT_EQ(bank.topics.size(), 1u);
  EXPECT_EQ(
      importtest::ShowTopic(bank.topics[0]),
      (Shown{"Столица России?|+Москва|-Рим|-Париж", "Q2|-x|-y|+z", "Q3|-x|+y", "Q4|-x|-y|+z"}));
  EXPECT_EQ(Notes(report),
            "1: Cyrillic option letters read in alphabet order (А, Б, В, Г...)\n"
            "7: Cyrillic option letters read as the Latin letters they look like (А = A, В = B, "
            "С = C...)\n"
            "24: question left out: its ANSWER line names 'D', none of its option letters (А, Б)\n"
            "29: question left out: its option letters mix Latin and Cyrillic letters (A, D, Б) in "
            "no order that reads\n");
  EXPECT_EQ(report.Remarks(), 2);
  EXPECT_EQ(report.Losses(), 2);
}

TEST(Import, RemarksAloneExitZeroAndEverySlipIsSaid) {
  const struct {
    const char* name;
    const char* bytes;
    int code;
    const char* out;
    const char* err;
    Shown questions;
  } cases[] = {
      {"r.gift",
       "Q1 {=a ~b}\n::n:: Q2 {~%0%один ~%0%два}\n",
       0,
       "r.gift: 2 questions in 1 topics written as Base\\1.txt; 2 remarks; dropped by design: 1 "
       "question names\n",
       "r.gift:2: blank line missing before this question: read as a new question\n"
       "r.gift:2: no answer has a positive weight: written with no variant to tick\n",
       {"Q1|+a|-b", "Q2|-один|-два"}},
      {"m.gift",
       "[html]Слушайте <a href=\"песня.MP3?t=1\">песню</a> {T}\n",
       1,
       "m.gift: 1 questions in 1 topics written as Base\\1.txt; 1 losses reported; dropped by "
       "design: 2 formatting marks\n",
       "m.gift:1: link to sound or video file 'песня.MP3?t=1' dropped: the program shows text "
       "only\n",
       {"Слушайте песню|+Верно|-Неверно"}},
      {"a.txt",
       "Вопрос\nА) да\nБ) нет\nANSWER: Б\n",
       0,
       "a.txt: 1 questions in 1 topics written as Base\\1.txt; 1 remarks\n",
       "a.txt:1: Cyrillic option letters read in alphabet order (А, Б, В, Г...)\n",
       {"Вопрос|-да|+нет"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::ScratchDir scratch;
    testsupport::WriteBytes(c.name, c.bytes);
    importtest::Run run = Import({c.name, "."});
    EXPECT_EQ(run.code, c.code);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(LoadTopic("Base\\d1\\1.txt"), c.questions);
  }
}

}  // namespace
