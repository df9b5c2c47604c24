// exameo-import as a whole: the files it writes, the numbers it chooses, all or nothing, the
// program's limits, exit codes and messages.
#include <gtest/gtest.h>

#include "bridge/bank_writer.h"
#include "check_run.h"
#include "import_test_support.h"

namespace {

namespace fs = std::filesystem;
using importtest::FileBytes;
using importtest::Import;
using importtest::LoadTopic;
using importtest::Snapshot;
using importtest::W;
using Shown = std::vector<std::string>;

using importtest::Put;

TEST(Import, WritesFilesThatTheProgramReadsBack) {
  testsupport::ScratchDir scratch;
  fs::create_directory("db");
  Put("физика.gift",
      "Вводный вопрос {T}\n"
      "\n"
      "$CATEGORY: $course$/top/Механика \"основы\"\n"
      "\n"
      "Сила измеряется в {=ньютонах ~-джоулях}\n"
      "\n"
      "$CATEGORY: $course$/top/Пусто\n");
  importtest::Run run = Import({"физика.gift", "db"});
  EXPECT_EQ(run.code, 0) << run.err;  // a remark loses nothing
  EXPECT_EQ(run.err,
            "физика.gift:5: variant 2 begins with '-': written after a space, or the program "
            "would take it for the variant's mark\n");
  EXPECT_EQ(run.out, "физика.gift: 2 questions in 2 topics written as Base\\1.txt; 1 remarks\n");
  EXPECT_EQ(FileBytes("db/Base/1.txt"),
            W("физика\r\n\tфизика\"d1\\1.txt\"\r\n\tМеханика 'основы'\"d1\\2.txt\"\r\n"));
  EXPECT_EQ(FileBytes("db/Base/d1/2.txt"),
            W("Сила измеряется в\r\n\t+ньютонах\r\n\t- -джоулях\r\n"));
  EXPECT_EQ(Snapshot("db").size(), 5u);  // Base, 1.txt, d1, d1/1.txt, d1/2.txt: no scratch left
}

TEST(Import, TheProgramsCatalogueAndLoaderReadWhatWasWritten) {
  testsupport::ScratchDir scratch;
  Put("a.csv", "2+2;2;3;4;5\n\"Задача\nна две строки\";;+1;-1\n");
  importtest::Run run = Import({"--title", "Арифметика", "a.csv", "."});
  ASSERT_EQ(run.code, 0) << run.err;
  DisciplineClass catalogue;
  char pattern[] = "Base\\*.txt";
  catalogue.LoadDisciplines(pattern);
  ASSERT_EQ(catalogue.LastDiscipline, 0);
  EXPECT_EQ(bridge::Cp1251ToUtf8(catalogue.Disciplines[0].Title), "Арифметика");
  catalogue.LoadTopics(catalogue.Disciplines[0]);
  ASSERT_EQ(catalogue.LastTopic, 0);
  EXPECT_EQ(bridge::Cp1251ToUtf8(catalogue.Topics[0].Title), "a");
  EXPECT_STREQ(catalogue.Topics[0].Path, "Base\\d1\\1.txt");
  EXPECT_EQ(LoadTopic(catalogue.Topics[0].Path),
            (Shown{"2+2|-3|+4|-5", "Задача на две строки|- +1|- -1"}));
}

TEST(Import, ChoosesTheSmallestFreeNumbersAndLeavesWhatIsThere) {
  testsupport::ScratchDir scratch;
  Put("Base/1.txt", "old\r\n");
  fs::create_directory("Base/d2");
  Put("a.gift", "Q {T}\n");
  Put("b.aiken", "Q\nA) x\nB) y\nANSWER: B\n");
  auto before = Snapshot("Base");
  importtest::Run run = Import({"a.gift", "b.aiken", "."});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "a.gift: 1 questions in 1 topics written as Base\\3.txt\n"
            "b.aiken: 1 questions in 1 topics written as Base\\4.txt\n");
  auto after = Snapshot("Base");
  for (const auto& [name, bytes] : before) EXPECT_EQ(after[name], bytes) << name;
  EXPECT_EQ(after.size(), before.size() + 6);  // 3.txt d3 d3/1.txt 4.txt d4 d4/1.txt
  EXPECT_EQ(after["4.txt"], "b\r\n\tb\"d4\\1.txt\"\r\n");
  EXPECT_EQ(after["d4/1.txt"], "Q\r\n\t-x\r\n\t+y\r\n");
}

TEST(Import, AnInputThatGivesNothingIsNamedAndTheOthersAreWritten) {
  // Each kind of input that gives nothing, at each position among good inputs, with Base present
  // or absent: the good ones are written, the other is named with its reason, exit 1.
  const struct {
    const char* name;
    const char* bytes;
    const char* why;
  } bad[] = {
      {"missing.gift", nullptr, "cannot read the file"},
      {"broken.xml", "<quiz><question type=\"multichoice\"></quiz>", "the XML parser rejects it"},
      {"essays.gift", "Эссе {}\n\nЕщё {}\n", "no question to import"},
      {"notes.doc", "Q {T}\n", "cannot tell the format"},
      {"plain.txt", "просто текст\n", "cannot tell the format"},
  };
  for (bool baseThere : {true, false}) {
    for (const auto& b : bad) {
      for (int position = 0; position < 3; ++position) {
        SCOPED_TRACE(std::string(b.name) + " at " + std::to_string(position));
        testsupport::ScratchDir scratch;
        if (baseThere) Put("Base/1.txt", "old\r\n");
        Put("good1.gift", "Q {T}\n");
        Put("good2.csv", "Q;1;a;b\n");
        if (b.bytes != nullptr) Put(b.name, b.bytes);
        std::vector<std::string> args{"good1.gift", "good2.csv"};
        args.insert(args.begin() + position, b.name);
        args.push_back(".");
        auto before = Snapshot("Base");
        importtest::Run run = Import(args);
        EXPECT_EQ(run.code, 1) << run.err;
        int first = baseThere ? 2 : 1;
        std::string written1 = "good1.gift: 1 questions in 1 topics written as Base\\" +
                               std::to_string(first) + ".txt\n";
        std::string written2 = "good2.csv: 1 questions in 1 topics written as Base\\" +
                               std::to_string(first + 1) + ".txt\n";
        std::vector<std::string> lines{written1, written2};
        lines.insert(lines.begin() + position,
                     std::string(b.name) + ": nothing written: " + b.why + "\n");
        EXPECT_EQ(run.out, lines[0] + lines[1] + lines[2]);
        EXPECT_NE(run.err.find(std::string(b.name) + ":"), std::string::npos) << run.err;
        auto after = Snapshot("Base");
        for (const auto& [name, bytes] : before) EXPECT_EQ(after[name], bytes) << name;
        EXPECT_EQ(after.size(), before.size() + 6) << run.out;  // N.txt, dN, dN/1.txt twice
        EXPECT_EQ(LoadTopic("Base\\d" + std::to_string(first + 1) + "\\1.txt"), (Shown{"Q|+a|-b"}));
      }
    }
  }
}

TEST(Import, WhenNoInputGivesAnythingBaseStaysAsItWas) {
  for (bool baseThere : {true, false}) {
    testsupport::ScratchDir scratch;
    if (baseThere) Put("Base/1.txt", "old\r\n");
    Put("essays.gift", "Эссе {}\n");
    Put("short.gift", "Столица Франции? {=Париж}\n");
    auto before = Snapshot(".");
    importtest::Run run = Import({"essays.gift", "missing.csv", "short.gift", "."});
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(Snapshot("."), before);
    EXPECT_EQ(run.out,
              "essays.gift: nothing written: no question to import\n"
              "missing.csv: nothing written: cannot read the file\n"
              "short.gift: nothing written: no question to import\n");
    EXPECT_NE(run.err.find("exameo-import: nothing written"), std::string::npos) << run.err;
  }
}

TEST(Import, The64DisciplinesAreCountedPerInputInOrder) {
  testsupport::ScratchDir scratch;
  for (int n = 1; n <= 62; ++n) Put("Base/" + std::to_string(n) + ".TXT", "t\r\n");
  Put("a.gift", "Q {T}\n");
  Put("b.gift", "Essay {}\n");
  Put("c.gift", "Q {F}\n");
  Put("d.gift", "Q {T}\n");
  // b gives nothing and takes no place: a and c fit, d does not.
  importtest::Run run = Import({"a.gift", "b.gift", "c.gift", "d.gift", "."});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_EQ(run.out,
            "a.gift: 1 questions in 1 topics written as Base\\63.txt\n"
            "b.gift: nothing written: no question to import\n"
            "c.gift: 1 questions in 1 topics written as Base\\64.txt\n"
            "d.gift: nothing written: Base would hold more than 64 disciplines, the most the "
            "program shows\n");
  auto full = Snapshot(".");
  importtest::Run more = Import({"d.gift", "."});
  EXPECT_EQ(more.code, 2);
  EXPECT_EQ(Snapshot("."), full);
}

TEST(Import, ControlCharactersAreRemovedWithANoteAndTheCheckerFindsTheBankClean) {
  testsupport::ScratchDir scratch;
  Put("ctl.gift",
      "Зада\x01ча\x1F {=да\x7F ~нет}\n"
      "\n"
      "\x02\x03 {=a ~b}\n"
      "\n"
      "Вопрос {=\x04 ~b}\n"
      "\n"
      "$CATEGORY: Те\x05ма\n"
      "\n"
      "Карточка\x06\n");
  importtest::Run run = Import({"--title", "Физика\x0B", "ctl.gift", "."});
  EXPECT_EQ(run.code, 1) << run.err;
  EXPECT_EQ(run.err,
            "ctl.gift: 1 control character (U+000B) removed: the program's texts hold none\n"
            "ctl.gift:1: 2 control characters (U+0001, ...) removed: the program's texts hold "
            "none\n"
            "ctl.gift:1: 1 control character (U+007F) removed: the program's texts hold none\n"
            "ctl.gift:3: question left out: its task holds nothing but control characters\n"
            "ctl.gift:5: question left out: its variant 1 holds nothing but control characters\n"
            "ctl.gift:7: 1 control character (U+0005) removed: the program's texts hold none\n"
            "ctl.gift:9: 1 control character (U+0006) removed: the program's texts hold none\n");
  EXPECT_EQ(FileBytes("Base/1.txt"), W("Физика\r\n\tctl\"d1\\1.txt\"\r\n\tТема\"d1\\2.txt\"\r\n"));
  EXPECT_EQ(FileBytes("Base/d1/1.txt"), W("Задача\r\n\t+да\r\n\t-нет\r\n"));
  EXPECT_EQ(FileBytes("Base/d1/2.txt"), W("Карточка\r\n"));
  testsupport::ToolResult checked = testsupport::RunToolMain(check::Run, "exameo-check", {"."});
  EXPECT_EQ(checked.code, 0) << checked.out << checked.err;
}

TEST(Import, NothingWrittenLooksLikeAnotherEncodingToTheChecker) {
  // "Рё" is "и" in UTF-8 read as Windows-1251: written back it is valid UTF-8, and a file of
  // nothing else is taken for UTF-8; "яю" is FF FE, a UTF-16 byte-order mark at a file's start.
  testsupport::ScratchDir scratch;
  Put("m.gift",
      "яю первый {=да ~нет}\n"
      "\n"
      "Вопрос {=да ~нет}\n"
      "\n"
      "$CATEGORY: Рё\n"
      "\n"
      "Рё {=a ~b}\n"
      "\n"
      "plain {=a ~b}\n");
  importtest::Run run = Import({"m.gift", "."});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err,
            "m.gift: title \"Рё\" written as \"Без названия\": in Windows-1251 it is also UTF-8, "
            "as are all titles, so the file would read as UTF-8\n"
            "m.gift:1: question left out: its task begins with what reads as a byte-order mark "
            "(\"яю\", \"юя\" or \"п»ї\"), and the file would begin with it\n"
            "m.gift:7: question left out: its letters in Windows-1251 are also UTF-8, as are all "
            "of its topic's, so the file would read as UTF-8 (mis-decoded text, \"Рё\" for "
            "\"и\"?)\n");
  EXPECT_EQ(FileBytes("Base/1.txt"),
            "m\r\n\tm\"d1\\1.txt\"\r\n\t" + W("Без названия") + "\"d1\\2.txt\"\r\n");
  EXPECT_EQ(FileBytes("Base/d1/1.txt"), W("Вопрос\r\n\t+да\r\n\t-нет\r\n"));
  EXPECT_EQ(FileBytes("Base/d1/2.txt"), "plain\r\n\t+a\r\n\t-b\r\n");
  testsupport::ToolResult checked = testsupport::RunToolMain(check::Run, "exameo-check", {"."});
  EXPECT_EQ(checked.code, 0) << checked.out << checked.err;
}

TEST(Import, KeepsToTheProgramsLimitsAndReportsEachLoss) {
  const std::string letter = "я";  // two bytes in UTF-8, one in Windows-1251
  auto repeat = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += letter;
    return s;
  };
  bridge::Bank bank;
  bank.title = repeat(1030);
  bridge::Topic topic;
  topic.title = "Т\"ема";
  topic.line = 1;
  topic.questions.push_back({repeat(2047), {{"-" + repeat(1021), true, 3}, {"b", false, 3}}, 2});
  topic.questions.push_back({repeat(2048), {{"a", true, 5}}, 4});
  topic.questions.push_back({"x", {{"-" + repeat(1022), true, 7}, {"b", false, 7}}, 6});
  bridge::Question thirteen{"13", {}, 8};
  for (int i = 0; i < 13; ++i) thirteen.variants.push_back({std::to_string(i), i == 0, 8});
  topic.questions.push_back(thirteen);
  bank.topics.push_back(topic);
  for (int t = 0; t < 129; ++t) {
    bridge::Topic more;
    more.title = "T" + std::to_string(t);
    more.line = 100 + t;
    more.questions.push_back({"q", {}, 100 + t});
    // Characters Windows-1251 lacks make their topic's file UTF-8; the others stay as they were.
    if (t == 0) more.questions.push_back({"∑ и ∫", {}, 9});
    bank.topics.push_back(more);
  }
  bridge::Report report;
  bridge::EncodedDiscipline d = bridge::Encode(bank, "in", &report);
  EXPECT_EQ(d.title.size(), 1023u);
  ASSERT_EQ(d.topicFiles.size(), 128u);
  EXPECT_EQ(d.topicTitles[0], W("Т'ема"));
  EXPECT_EQ(d.questions, 1 + 128);
  EXPECT_EQ(d.topicFiles[0], W(repeat(2047) + "\r\n\t+ -" + repeat(1021) + "\r\n\t-b\r\n"));
  EXPECT_EQ(d.topicFiles[1], "\xEF\xBB\xBFq\r\n∑ и ∫\r\n");
  EXPECT_EQ(d.topicFiles[2], "q\r\n");
  EXPECT_EQ(importtest::Notes(report),
            "0: title cut from 1030 to 1023 bytes: the program holds no more\n"
            "3: variant 1 begins with '-': written after a space, or the program would take it "
            "for the variant's mark\n"
            "4: question left out: its task is 2048 bytes in Windows-1251, the program holds "
            "2047\n"
            "7: question left out: its variant 1 is 1024 bytes in Windows-1251, the program "
            "holds 1023\n"
            "8: question left out: it has 13 variants, the program holds 12\n"
            "227: topic 'T127' left out with its 1 questions: a discipline holds at most 128 "
            "topics\n"
            "228: topic 'T128' left out with its 1 questions: a discipline holds at most 128 "
            "topics\n");
}

TEST(Import, SpeaksAsACommandLineTool) {
  testsupport::ScratchDir scratch;
  Put("a.gift", "Q {T}\n\nEssay {}\n");
  Put("q.txt", "Вопрос\nA) да\nB) нет\nANSWER: A\n");
  Put("x.xml", "<quiz>\n<question type=\"truefalse\">\n</quiz>\n");
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* err;  // a piece of what stderr must say
  } cases[] = {
      {{}, 2, "name at least one INPUT and the FOLDER"},
      {{"a.gift"}, 2, "name at least one INPUT and the FOLDER"},
      {{"--title", "T", "a.gift", "q.txt", "."}, 2, "--title goes with one INPUT only"},
      {{"--title", " ", "a.gift", "."}, 2, "--title is empty"},
      {{"--format", "odt", "a.gift", "."}, 2, "unknown format 'odt'"},
      {{"--bogus", "a.gift", "."}, 2, "unknown option --bogus"},
      {{"a.gift", "nowhere"}, 2, "nowhere: no such folder; nothing written"},
      {{"x.xml", "."}, 2, "x.xml:3: XML error: Start-end tags mismatch"},
      {{"--format=aiken", "a.gift", "."}, 2, "a.gift:1: question left out: it has no ANSWER"},
      {{"a.gift", "."}, 1, "a.gift:3: essay question left out"},
      {{"q.txt", "."}, 0, ""},
  };
  for (const Case& c : cases) {
    importtest::Run run = Import(c.args);
    std::string shown = c.args.empty() ? "(none)" : c.args[0];
    EXPECT_EQ(run.code, c.code) << shown << "\n" << run.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << shown << "\n" << run.err;
    if (c.code == 0) {
      EXPECT_EQ(run.err, "");
    }
  }
  importtest::Run help = Import({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("Usage: exameo-import", 0), 0u);
  // The rules, as the README says --help lists them.
  for (const char* rule : {"What comes in: multiple-choice", "Left out, each noted on stderr",
                           "Dropped by design and only counted", "All or nothing per INPUT",
                           "at most 64\ndisciplines", "Exit status: 0 everything written; 1"})
    EXPECT_NE(help.out.find(rule), std::string::npos) << rule;
  // Disciplines written: a.gift (lossy) and q.txt, read as Aiken.
  EXPECT_EQ(FileBytes("Base/2.txt"), "q\r\n\tq\"d2\\1.txt\"\r\n");

  EXPECT_EQ(bridge::DetectFormat("Q.TXT", "::t:: x"), bridge::Format::kGift);
  EXPECT_EQ(bridge::DetectFormat("q.txt", "\xEF\xBB\xBF$CATEGORY: a"), bridge::Format::kGift);
  EXPECT_EQ(bridge::DetectFormat("q.txt", "Q\n  ANSWER: A"), bridge::Format::kAiken);
  EXPECT_EQ(bridge::DetectFormat("q.txt", "Q\nA) x\nanswer: A"), bridge::Format::kUnknown);
  EXPECT_EQ(bridge::DetectFormat("q.Gift", ""), bridge::Format::kGift);
  EXPECT_EQ(bridge::DetectFormat("q", "{"), bridge::Format::kUnknown);
}

}  // namespace
