#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tools_test_support.h"

namespace {

using tools_test::Has;
using tools_test::QuestionProblems;
using tools_test::TopicProblems;

std::string Repeat(char c, int n) {
  return std::string(static_cast<std::size_t>(n), c);
}

TEST(CheckQuestions, WellFormedFilesPass) {
  // Signs, an empty variant, a TAB and signs inside a task, TABs inside a variant, both line
  // ends, no final line break.
  EXPECT_TRUE(
      QuestionProblems("Task one\r\n\t+yes\r\n\t-no\r\n\t\r\n+2\t-1?\n\t\t+a\tb\nLast").empty());
  EXPECT_TRUE(QuestionProblems("Only a task\r").empty());  // a CR before the end is no line end
}

TEST(CheckQuestions, EachLimitIsReportedJustPastIt) {
  EXPECT_TRUE(QuestionProblems(Repeat('a', 2047) + "\n").empty());
  EXPECT_TRUE(Has(QuestionProblems("ok\n" + Repeat('a', 2048) + "\r\n"),
                  {"2: ", "task text is 2048 bytes", "at most 2047"}));

  // Signs, TABs and CR are not stored, so they do not count.
  EXPECT_TRUE(
      QuestionProblems("T\n\t+-" + Repeat('b', 1000) + "\t" + Repeat('b', 23) + "\r\n").empty());
  EXPECT_TRUE(Has(QuestionProblems("T\n\t+" + Repeat('b', 1024) + "\n"),
                  {"2: ", "answer text is 1024 bytes", "at most 1023"}));

  std::string twelve = "T\n";
  for (int i = 0; i < 12; ++i) twelve += "\tv\n";
  EXPECT_TRUE(QuestionProblems(twelve).empty());
  std::vector<std::string> thirteen = QuestionProblems(twelve + "\tv\n\tv\n");
  ASSERT_EQ(1u, thirteen.size());  // once per question, at the thirteenth
  EXPECT_TRUE(Has(thirteen, {"14: ", "question of line 1", "more than 12"}));
}

TEST(CheckQuestions, LineShapesTheProgramMisreads) {
  std::vector<std::string> orphan = QuestionProblems("\t+a\n\t-b\nTask\n\tc\n");
  ASSERT_EQ(1u, orphan.size());
  EXPECT_TRUE(Has(orphan, {"1: ", "answer variant before the first task line"}));

  EXPECT_TRUE(Has(QuestionProblems("T\n\tv\n\r\nU\n"), {"3: ", "empty line"}));
  EXPECT_TRUE(Has(QuestionProblems("T\n\tv\n\n"), {"3: ", "empty line"}));
  EXPECT_TRUE(Has(QuestionProblems("T\n    +yes\n"), {"2: ", "spaces and a sign"}));
  EXPECT_TRUE(QuestionProblems("T\n\t  +1 is stored\n").empty());

  // Spaces where the TAB of an answer belongs: each is a question without answers.
  std::vector<std::string> spaces =
      QuestionProblems("T\r\n\t+a\r\n   \r\n  \t+b\r\n \t\r\n \tText\r\n Leading space\r\n");
  EXPECT_TRUE(Has(spaces, {"3: ", "line of spaces only"}));
  EXPECT_TRUE(Has(spaces, {"4: ", "spaces before its TAB"}));
  EXPECT_TRUE(Has(spaces, {"5: ", "spaces before its TAB"}));
  EXPECT_TRUE(Has(spaces, {"6: ", "spaces before its TAB"}));
  EXPECT_EQ(4u, spaces.size()) << "a task may begin with a space";
  EXPECT_TRUE(Has(QuestionProblems("T\n \n"), {"2: ", "line of spaces only"}));

  std::vector<std::string> cr = QuestionProblems("A\r\t+x\r\t-y\rB\n\tz\rw\n");
  ASSERT_EQ(1u, cr.size());
  EXPECT_TRUE(Has(cr, {"1: ", "CR without LF (column 2)", "2 lines have one"}));
}

// What the checks count is compared with the program's loader, so it must count as the loader
// reads: no question for an orphan variant, none of the 13th variant, a question for an empty
// line, one line across a lone CR.
TEST(CheckQuestions, CountsWhatTheLoaderReads) {
  std::string file = "\t+orphan\nT1\r\n";
  for (int i = 0; i < 13; ++i) file += "\tv\r\n";
  file += "\nA\rB\n\tv";
  check::Report report;
  check::QuestionCounts counts = check::CheckQuestions(file, "q.txt", &report);
  EXPECT_EQ(3, counts.questions);
  EXPECT_EQ(13, counts.variants);
  EXPECT_EQ((check::QuestionCounts{0, 0}), check::CheckQuestions("", "q.txt", &report));
  EXPECT_EQ(-1, check::CheckQuestions("\xFF\xFEQ\0", "q.txt", &report).questions);  // UTF-16
}

TEST(CheckQuestions, EmptyFile) {
  EXPECT_TRUE(Has(QuestionProblems(""), {"0: ", "empty"}));
}

TEST(CheckEncoding, ByteOrderMarksAndUtf8) {
  // The mark makes the file a UTF-8 one, which the program reads as such: nothing is wrong.
  EXPECT_TRUE(QuestionProblems("\xEF\xBB\xBFTask\r\n\t+a\r\n").empty());

  // "Вопрос" in UTF-8 on line 2; the 0x98 inside "И" (D0 98) is no separate complaint.
  std::vector<std::string> utf8 =
      QuestionProblems("Q1\n\xD0\x92\xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE\xD1\x81 \xD0\x98\n\t+a\n");
  ASSERT_EQ(1u, utf8.size());
  EXPECT_TRUE(Has(utf8, {"2: ", "UTF-8, not Windows-1251",
                         "\"\xD0\x92\xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE\xD1\x81\" as "
                         "\"\xD0\xA0\xE2\x80\x99\xD0\xA0\xD1\x95\xD0\xA0\xD1\x97\xD0\xA1\xD0\x82"
                         "\xD0\xA0\xD1\x95\xD0\xA1\xD0\x83\""}));

  EXPECT_TRUE(Has(TopicProblems(std::string("\xFF\xFE"
                                            "A\0\r\0\n\0",
                                            8)),
                  {"UTF-16"}));
  // Windows-1251 Russian text is not mistaken for UTF-8.
  EXPECT_TRUE(QuestionProblems("\xC2\xEE\xEF\xF0\xEE\xF1 \xB9 1\r\n\t+\xC4\xE0\r\n").empty());
}

TEST(CheckEncoding, BytesOutsideTheCodePage) {
  std::vector<std::string> bad =
      QuestionProblems(std::string("T\x98x\x98\n\tA\0b\n\x1A", 11) + "\n\t\x7F\n");
  EXPECT_TRUE(Has(bad, {"1: ", "0x98 (column 2)"}));
  EXPECT_TRUE(Has(bad, {"2: ", "NUL byte (column 3)"}));
  EXPECT_TRUE(Has(bad, {"3: ", "control character 0x1A (column 1)"}));
  EXPECT_TRUE(Has(bad, {"4: ", "control character 0x7F"}));
  EXPECT_EQ(4u, bad.size());  // one complaint of a kind per line
}

std::string Description(const std::string& topicLines) {
  return "\xCC\xE0\xF2\xE5\xEC\xE0\xF2\xE8\xEA\xE0\r\n" + topicLines;
}

TEST(CheckTopics, WellFormedFilesPass) {
  EXPECT_TRUE(TopicProblems(Description("\tA \"a\\1.txt\"\r\n\tB\"b.q\"\r\n")).empty());
  EXPECT_TRUE(TopicProblems(Description("\tA\"a.txt\"")).empty());  // no final line break
  EXPECT_TRUE(TopicProblems("Title only\r\n").empty());
}

TEST(CheckTopics, TitleLine) {
  EXPECT_TRUE(Has(TopicProblems("Title"), {"1: ", "does not end with CR LF"}));
  EXPECT_TRUE(Has(TopicProblems("\r\n\tA\"a\"\r\n"), {"1: ", "discipline's title is empty"}));
  EXPECT_TRUE(Has(TopicProblems("Ti\ttle\r\n"), {"1: ", "TAB", "column 3"}));
  EXPECT_TRUE(Has(TopicProblems("\"T\"\r\n"), {"1: ", "double quote", "column 1"}));
  EXPECT_TRUE(TopicProblems(Repeat('t', 1023) + "\r\n").empty());
  EXPECT_TRUE(Has(TopicProblems(Repeat('t', 1024) + "\r\n"), {"1: ", "1024 bytes"}));
}

TEST(CheckTopics, MalformedTopicLines) {
  std::vector<std::string> p =
      TopicProblems(Description("\tA\"a\"\r\n"        // 2: fine
                                "B\"b\"\r\n"          // 3: no TAB
                                "\tC c\r\n"           // 4: no quotes
                                "\tD\"d\r\n"          // 5: no closing quote
                                "\tE\"e\" x\r\n"      // 6: text after the path
                                "\tF\"f\"g\"h\"\r\n"  // 7: four quotes
                                "\tG\tg\"g\"\r\n"     // 8: TAB in the title
                                "\tH\"h\th\"\r\n"     // 9: TAB in the path
                                "\t\"i\"\r\n"         // 10: empty title
                                "\tJ\"\"\r\n"         // 11: empty path
                                "\r\n"                // 12: empty line
                                "\tK\"k\rk\"\r\n"));  // 13 and 14: a lone CR ends a line
  EXPECT_TRUE(Has(p, {"3: ", "does not begin with a TAB"}));
  EXPECT_TRUE(Has(p, {"4: ", "no double quotes"}));
  EXPECT_TRUE(Has(p, {"5: ", "no closing double quote"}));
  EXPECT_TRUE(Has(p, {"6: ", "text after the closing quote (column 6)"}));
  EXPECT_TRUE(Has(p, {"7: ", "4 double quotes"}));
  EXPECT_TRUE(Has(p, {"8: ", "TAB inside the topic's title (column 3)"}));
  EXPECT_TRUE(Has(p, {"9: ", "TAB inside the path (column 5)"}));
  EXPECT_TRUE(Has(p, {"10: ", "title is empty"}));
  EXPECT_TRUE(Has(p, {"11: ", "path between the quotes is empty"}));
  EXPECT_TRUE(Has(p, {"12: ", "empty line"}));
  EXPECT_TRUE(Has(p, {"13: ", "line ends with CR alone"}));
  EXPECT_TRUE(Has(p, {"13: ", "no closing double quote"}));
  EXPECT_TRUE(Has(p, {"14: ", "does not begin with a TAB"}));
  EXPECT_EQ(13u, p.size()) << "line 2 is well formed";
}

TEST(CheckTopics, LimitsAndLineEnds) {
  std::string paths = "\tA\"" + Repeat('p', 42) + "\"\r\n\tB\"" + Repeat('p', 43) + "\"\r\n";
  std::vector<std::string> p = TopicProblems(Description(paths));
  ASSERT_EQ(1u, p.size());
  EXPECT_TRUE(Has(p, {"3: ", "path is 43 bytes", "at most 42"}));

  EXPECT_TRUE(Has(TopicProblems(Description("\t" + Repeat('t', 1024) + "\"p\"\r\n")),
                  {"2: ", "title is 1024 bytes"}));

  std::string many;
  for (int i = 0; i < 128; ++i) many += "\tT\"p\"\r\n";
  EXPECT_TRUE(TopicProblems(Description(many)).empty());
  std::vector<std::string> over = TopicProblems(Description(many + "\tT\"p\"\r\n\tT\"p\"\r\n"));
  ASSERT_EQ(1u, over.size());
  EXPECT_TRUE(Has(over, {"130: ", "more than 128 topic lines"}));

  std::vector<std::string> lf = TopicProblems("Title\n\tA\"a\"\n\tB\"b\"\r\n\tC\"c\"\n");
  ASSERT_EQ(1u, lf.size());
  EXPECT_TRUE(Has(lf, {"1: ", "LF alone", "3 lines end so"}));
}

// Lines end where the catalogue ends them: at CR LF, at a lone CR and at a lone LF.
TEST(CheckTopics, CrOnlyLineEndsSplitLikeTheProgram) {
  std::string cr = "\xCC\xE0\xF2\rA\"a\"\r\tT\"t\\q.txt\"\r\tU\"u.txt\"\r";
  check::Report report;
  std::vector<check::TopicPath> paths = check::CheckTopics(cr, "1.txt", &report);
  std::vector<std::string> p = tools_test::Messages(report);
  // No complaint about a TAB or a quote in the title: it is the first line alone.
  ASSERT_EQ(2u, p.size());
  EXPECT_TRUE(Has(p, {"1: ", "line ends with CR alone", "(4 lines end so)"}));
  EXPECT_TRUE(Has(p, {"2: ", "does not begin with a TAB"}));
  ASSERT_EQ(2u, paths.size());
  EXPECT_EQ("t\\q.txt", paths[0].path);
  EXPECT_EQ(3, paths[0].line);
  EXPECT_EQ("u.txt", paths[1].path);
  EXPECT_EQ(4, paths[1].line);
  EXPECT_EQ(check::FileKind::kTopics, check::Classify("T\r\tA\"a\"\r\tB\"b\""));
}

// The program drops a line break inside a topic's title and keeps the topic; a title that never
// meets its quote gives nothing, and a TAB opening the next line begins a topic of its own.
TEST(CheckTopics, ATitleBrokenOverLinesIsJoinedAsTheProgramJoinsIt) {
  check::Report report;
  std::vector<check::TopicPath> paths = check::CheckTopics(
      Description("\tAl\r\nge\tbra\"a\"\r\n\tNo quote\r\n\r\n\tB\"b\"\r\n"), "1.txt", &report);
  std::vector<std::string> p = tools_test::Messages(report);
  EXPECT_TRUE(Has(p, {"2: ", "goes on over a line break to line 3"}));
  EXPECT_TRUE(Has(p, {"3: ", "TAB inside the topic's title (column 3)"}));  // of line 3
  EXPECT_TRUE(Has(p, {"4: ", "no double quotes"}));
  EXPECT_TRUE(Has(p, {"5: ", "empty line"}));
  EXPECT_EQ(4u, p.size());
  ASSERT_EQ(1u, paths.size());  // the TAB leaves the joined title out
  EXPECT_EQ("b", paths[0].path);
  EXPECT_EQ(6, paths[0].line);

  check::Report kept;
  paths = check::CheckTopics(Description("\tAl\r\ngebra \"a\"\r\n"), "1.txt", &kept);
  ASSERT_EQ(1u, paths.size());
  EXPECT_EQ(2, paths[0].line);
  ASSERT_EQ(1u, kept.problems.size());
}

// The limit counts the topics the program keeps, not the lines it leaves out.
TEST(CheckTopics, TopicLimitCountsWhatTheProgramKeeps) {
  std::string lines;
  for (int i = 0; i < 128; ++i)
    lines += i % 40 == 0 ? "\tBad\tline\"x\"\r\n\tT\"p\"\r\n" : "\tT\"p\"\r\n";
  std::vector<std::string> within = TopicProblems(Description(lines));
  EXPECT_EQ(4u, within.size());  // the four bad lines, no limit
  EXPECT_FALSE(Has(within, {"more than 128"}));

  // Lines 2 to 133 hold 128 topics and 4 bad lines; 134 and 136 are the 129th and 130th topics.
  std::vector<std::string> over =
      TopicProblems(Description(lines + "\tT\"p\"\r\n\tBad\"x\r\n\tT\"p\"\r\n"));
  EXPECT_TRUE(Has(over, {"134: ", "more than 128 topic lines", "(2 in all)"}));
  EXPECT_EQ(6u, over.size());
}

// A zero byte in a path leaves the topic out; the message shows the whole path.
TEST(CheckTopics, AZeroByteInAPathIsShownAndTheTopicLeftOut) {
  check::Report report;
  std::vector<check::TopicPath> paths =
      check::CheckTopics(Description(std::string("\tT\"t\\q.txt\0x\"\r\n", 15)), "1.txt", &report);
  EXPECT_TRUE(paths.empty());
  EXPECT_TRUE(Has(tools_test::Messages(report),
                  {"2: NUL byte inside the path \"t\\q.txt\\0x\" (column 11): the program leaves "
                   "the topic out"}));
}

// The checks number lines by their own split and take the topics from the catalogue's report;
// on any bytes both must cover the same lines, or the tool says it reads a line differently.
TEST(CheckTopics, LineNumbersAgreeWithTheCatalogueOnRandomFiles) {
  std::mt19937 random(20261208);
  const char alphabet[] = {'\t', '"', '\r', '\n', 'a', ' ', '\0', '\\'};
  for (int round = 0; round < 3000; ++round) {
    std::string file = "T\r\n";
    int length = static_cast<int>(random() % 48);
    for (int i = 0; i < length; ++i) file += alphabet[random() % sizeof alphabet];
    check::ProgramTopics program = check::ReadTopics(file);
    check::Report report;
    std::vector<check::TopicPath> paths = check::CheckTopics(file, program, "1.txt", &report);
    std::string seen;
    for (const check::Problem& p : report.problems) seen += p.Message() + "\n";
    ASSERT_EQ(std::string::npos, seen.find("differently")) << testing::PrintToString(file);
    ASSERT_EQ(program.paths.size(), paths.size()) << testing::PrintToString(file);
    for (const check::TopicRun& run : program.runs) {
      if (run.what == bank::TopicLines::kKept) continue;
      bool told = false;
      for (const check::Problem& p : report.problems) told = told || p.line == run.first;
      ASSERT_TRUE(told) << "line " << run.first << " of " << testing::PrintToString(file);
    }
  }
}

TEST(CheckTopics, PathsOfWellFormedLinesAreHandedBack) {
  check::Report report;
  std::vector<check::TopicPath> paths = check::CheckTopics(
      Description("\tA\"a\\1.txt\"\r\n\tB\"b\tb\"\r\n\tC\"c\" \"\r\n\tD\"d.txt\" x\r\n"), "1.txt",
      &report);
  ASSERT_EQ(2u, paths.size());
  EXPECT_EQ("a\\1.txt", paths[0].path);
  EXPECT_EQ(2, paths[0].line);
  EXPECT_EQ("d.txt", paths[1].path);
  EXPECT_EQ(5, paths[1].line);
}

TEST(CheckTopics, DescriptionNameLength) {
  check::Report report;
  check::CheckDescriptionName(Repeat('n', 38) + ".txt", "f", &report);
  EXPECT_TRUE(report.problems.empty());
  check::CheckDescriptionName(Repeat('n', 39) + ".txt", "f", &report);
  ASSERT_EQ(1u, report.problems.size());
  EXPECT_NE(std::string::npos, report.problems[0].Message().find("43 bytes"));
}

TEST(Classify, DescriptionOnlyWhenEveryLaterLineIsATopicLine) {
  using check::FileKind;
  EXPECT_EQ(FileKind::kTopics, check::Classify("T\r\n\tA\"a\"\r\n\tB \"b\"\r\n\r\n"));
  EXPECT_EQ(FileKind::kTopics, check::Classify("T\n\tA\"a\""));
  EXPECT_EQ(FileKind::kQuestions, check::Classify("T\r\n\tA\"a\"\r\n\t+no quote\r\n"));
  EXPECT_EQ(FileKind::kQuestions, check::Classify("T\r\n\tA\"a\"\r\nNext task\r\n"));
  EXPECT_EQ(FileKind::kQuestions, check::Classify("Title only\r\n"));
  EXPECT_EQ(FileKind::kQuestions, check::Classify(""));
}

TEST(Text, JsonEscapesAndDecodesWindows1251) {
  EXPECT_EQ("\"a\\\"b\\\\c\"", check::JsonString("a\"b\\c"));
  EXPECT_EQ("\"\\u0001\\u0009\\u000A\\u000D\\u001F \x7F\"",
            check::JsonString("\x01\t\n\r\x1F \x7F"));
  // "Ёж" and the undefined 0x98 as U+FFFD, "№" and "€" as three-byte sequences.
  EXPECT_EQ("\"\xD0\x81\xD0\xB6\xEF\xBF\xBD\xE2\x84\x96\xE2\x82\xAC\"",
            check::JsonString("\xA8\xE6\x98\xB9\x88"));
  EXPECT_EQ("\"\"", check::JsonString(""));
}

TEST(Text, MessagesShowAZeroByte) {
  EXPECT_EQ("a\\0\xD0\xB0\\0", check::ForMessage(std::string_view("a\0\xE0\0", 4)));
  EXPECT_EQ("", check::ForMessage(""));
}

TEST(Text, FileNamesBetweenCodePages) {
  EXPECT_EQ("\xD0\xB0\xD0\xAF", check::ToUtf8("\xE0\xDF"));
  EXPECT_EQ("\xE0\xDF?x", check::ToCp1251("\xD0\xB0\xD0\xAF\xE2\x98\x83x"));  // no snowman
}

}  // namespace

namespace {

std::vector<std::string> Problems(const std::string& bytes, bool topics, bool toUtf8) {
  check::Report report;
  report.toUtf8 = toUtf8;
  if (topics)
    check::CheckTopics(bytes, "1.txt", &report);
  else
    check::CheckQuestions(bytes, "q.txt", &report);
  return tools_test::Messages(report);
}

}  // namespace

TEST(CheckUtf8, MarkedFilesAndTheTextsAConversionWouldCut) {
  const std::string mark = "\xEF\xBB\xBF";
  const std::string ya = "\xD1\x8F", ya1251 = "\xFF";  // "я"
  std::string longRussian;  // 1024 letters: 1024 bytes in Windows-1251, 2048 in UTF-8
  for (int i = 0; i < 1024; ++i) longRussian += ya1251;
  std::string longUtf8;
  for (int i = 0; i < 1024; ++i) longUtf8 += ya;
  struct Case {
    const char* fault;
    std::string bytes;
    bool topics, toUtf8;
    std::vector<std::string> parts;  // of the one message expected; none: the file is clean
  } cases[] = {
      {"a marked file is taken for a wrong one", mark + "\xE2\x89\xA4 \xD0\x98\n\t+a\n", false,
       false, {}},
      {"an ill-formed sequence goes unnamed", mark + "Q\n\t+a\xE2\x82 b\xC3\n", false, false,
       {"2: ", "2 ill-formed UTF-8 sequences", "column 4: bytes E2 82"}},
      {"a UTF-8 text over its limit is not reported", mark + longUtf8 + "\n", false, false,
       {"1: ", "task text is 2048 bytes long"}},
      {"a text that only a conversion would cut is reported unasked", longRussian + "\n", false,
       false, {}},
      {"a task a conversion would cut goes unnamed", longRussian + "\n", false, true,
       {"1: ", "in UTF-8 this text would be 2048 bytes long; at most 2047 fit"}},
      {"an answer a conversion would cut goes unnamed", "Q\n\t+" + longRussian.substr(0, 600) + "\n",
       false, true, {"2: ", "would be 1200 bytes long; at most 1023"}},
      {"a marked description file is taken for a wrong one",
       mark + "\xCE\xB1\r\n\t\xCE\xB2\"a.txt\"\r\n", true, false, {}},
      {"a path without Windows-1251 bytes is taken for a wrong one",
       mark + "D\r\n\tT\"\xCF\x80.txt\"\r\n", true, false, {}},
      {"a discipline title a conversion would cut goes unnamed", longRussian.substr(0, 600) + "\r\n",
       true, true, {"1: ", "would be 1200 bytes long"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    std::vector<std::string> got = Problems(c.bytes, c.topics, c.toUtf8);
    if (c.parts.empty()) {
      EXPECT_TRUE(got.empty()) << (got.empty() ? "" : got[0]);
      continue;
    }
    ASSERT_EQ(1u, got.size()) << (got.empty() ? "" : got[0]);
    for (const std::string& part : c.parts) EXPECT_NE(std::string::npos, got[0].find(part)) << got[0];
  }
}
