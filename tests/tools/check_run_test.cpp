#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tools_test_support.h"

namespace {

namespace fs = std::filesystem;
using tools_test::Put;
using tools_test::RunTool;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class CheckTool : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(scratch_.Made()); }
  fs::path Root() const { return scratch_.Root(); }
  fs::path Base() const { return scratch_.Base(); }
  std::string At(const std::string& relative) const { return (Root() / relative).string(); }
  static std::string Sep() {
    return std::string(1, static_cast<char>(fs::path::preferred_separator));
  }

 private:
  check::ScratchDatabase scratch_;
};

TEST_F(CheckTool, CleanDatabaseExitsZero) {
  Put(Base() / "1.txt", "Disc\r\n\tT\"t\\q.txt\"\r\n\tU\"t\\q.txt\"\r\n");
  Put(Base() / "t" / "q.txt", "Q\r\n\t+a\r\n");
  for (const std::string& path : {Root().string(), Base().string(), Base().string() + Sep()}) {
    tools_test::Result r = RunTool({path});
    EXPECT_EQ(check::kExitClean, r.code) << path << "\n" << r.out;
    EXPECT_EQ("", r.out);
  }
}

TEST_F(CheckTool, DatabaseProblemsNameFileAndLine) {
  Put(Base() / "1.txt",
      "Disc\r\n\tT\"t\\q.txt\"\r\n\tGone\"t\\none.txt\"\r\n\tBase\"Base\\t\\q.txt\"\r\n"
      "\tLoose\"loose.txt\"\r\n");
  Put(Base() / "2.txt", "Other\r\n\tT\"t\\q.txt\"\r\n");  // the same question file again
  Put(Base() / "t" / "q.txt", "Q\r\n\t+a\r\n\r\n");
  Put(Base() / "loose.txt", "Loose question\r\n\t+a\r\n");
  tools_test::Result r = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, r.code);
  std::string base = Base().string() + Sep();
  EXPECT_NE(std::string::npos,
            r.out.find(base + "1.txt:3: the question file \"t\\none.txt\" does not exist\n"))
      << r.out;
  EXPECT_NE(std::string::npos, r.out.find(base + "1.txt:4: the question file \"Base\\t\\q.txt\" "
                                                 "does not exist (paths are relative to the "
                                                 "Base folder"));
  EXPECT_NE(std::string::npos, r.out.find(base + "1.txt:5: the question file \"loose.txt\" lies "
                                                 "in Base itself"));
  // The empty line of the shared question file is reported once, and loose.txt is not taken
  // for a description file.
  std::string empty = base + "t" + Sep() + "q.txt:3: empty line";
  std::size_t first = r.out.find(empty);
  EXPECT_NE(std::string::npos, first) << r.out;
  EXPECT_EQ(std::string::npos, r.out.find(empty, first + 1));
  EXPECT_EQ(std::string::npos, r.out.find("loose.txt:2"));
  EXPECT_NE(std::string::npos, r.err.find("4 problems in 2 files"));
}

TEST_F(CheckTool, DatabaseWideLimits) {
  tools_test::Result none = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, none.code);
  EXPECT_NE(std::string::npos, none.out.find("no description files"));

  Put(Base() / "q.dat", "Q\r\n");
  for (int i = 0; i < 65; ++i) Put(Base() / (std::to_string(i) + ".txt"), "D\r\n\tT\"q.dat\"\r\n");
  Put(Base() / (std::string(39, 'n') + ".txt"), "D\r\n");
  tools_test::Result r = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, r.code);
  EXPECT_NE(std::string::npos,
            r.out.find(Base().string() + ": 65 description files: the program lists at most 64 "
                                         "disciplines and leaves out the last 1 in name order, "
                                         "from \"9.txt\""))
      << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find(std::string(39, 'n') + ".txt: the file name is 43 bytes"));
}

TEST_F(CheckTool, DescriptionNamesInWindows1251CountByteForByte) {
  // "\xD2\xB8\xEC\xE0" and 35 letters: 43 bytes, one more than fits. Read as UTF-8, its first
  // two bytes would make one character and the name would seem to fit. Twenty times
  // "\xD2\xB8" is even valid UTF-8 as a whole: 44 bytes, which a count of characters would
  // take for 24.
#ifdef _WIN32
  fs::path name = L"\u0422\u0451\u043C\u0430" + std::wstring(35, L'a') + L".txt";
  std::wstring pairs;
  for (int i = 0; i < 20; ++i) pairs += L"\u0422\u0451";
  fs::path valid = pairs + L".txt";
#else
  fs::path name = "\xD2\xB8\xEC\xE0" + std::string(35, 'a') + ".txt";
  std::string pairs;
  for (int i = 0; i < 20; ++i) pairs += "\xD2\xB8";
  fs::path valid = pairs + ".txt";
  // A UTF-8 name is counted in the bytes the file layer gives, as the program counts them:
  // 6 + 35 + 4 = 45, so the program leaves it out too.
  Put(Base() / ("\xD0\xA2\xD1\x91\xD0\xBC" + std::string(35, 'b') + ".txt"),
      "D\r\n\tT\"q.dat\"\r\n");
#endif
  Put(Base() / "q.dat", "Q\r\n");
  Put(Base() / name, "D\r\n\tT\"q.dat\"\r\n");
  Put(Base() / valid, "D\r\n\tT\"q.dat\"\r\n");
  Put(Base() / (std::string(38, 'n') + ".txt"), "D\r\n\tT\"q.dat\"\r\n");  // 42: fits
  tools_test::Result r = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, r.code);
  EXPECT_NE(std::string::npos, r.out.find(": the file name is 43 bytes")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find(": the file name is 44 bytes")) << r.out;
#ifdef _WIN32
  EXPECT_EQ(2u, Count(r.out, ": the file name is")) << r.out;
#else
  EXPECT_NE(std::string::npos, r.out.find(": the file name is 45 bytes")) << r.out;
  EXPECT_EQ(3u, Count(r.out, ": the file name is")) << r.out;
#endif

#ifndef _WIN32
  // Given on its own, the file's name is counted the same way. (A Windows command line comes in
  // the system's code page, which need not hold these letters.)
  tools_test::Result alone = RunTool({"--topics", (Base() / valid).string()});
  EXPECT_NE(std::string::npos, alone.out.find(": the file name is 44 bytes")) << alone.out;
#endif
}

// Line ends, limits and names as the program reads them: what it reads decides what exists.
TEST_F(CheckTool, TheProgramsReadingDecidesWhatIsLookedUp) {
  // CR-only line ends: the title is the first line alone, and a missing question file is found.
  Put(Base() / "1.txt", "Disc\r\tT\"t\\q.txt\"\r\tGone\"t\\none.txt\"\r");
  Put(Base() / "t" / "q.txt", "Q\r\n\t+a\r\n");
  std::string base = Base().string() + Sep();
  tools_test::Result cr = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, cr.code);
  EXPECT_EQ(base +
                "1.txt:1: line ends with CR alone; lines of a description file end with CR LF "
                "(3 lines end so)\n" +
                base + "1.txt:3: the question file \"t\\none.txt\" does not exist\n",
            cr.out);
  // The same file given on its own is still taken for a description file.
  tools_test::Result alone = RunTool({At("Base/1.txt")});
  EXPECT_NE(std::string::npos, alone.out.find(":3: the question file \"t\\none.txt\" does not "
                                              "exist"))
      << alone.out;

  // A path with a zero byte: the program leaves the topic out and never opens "t\q.txt", whose
  // empty line therefore goes unreported; the message shows the path whole.
  Put(Base() / "1.txt", std::string("Disc\r\n\tT\"t\\q.txt\0x\"\r\n", 21));
  Put(Base() / "t" / "q.txt", "Q\r\n\r\n");
  tools_test::Result zero = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, zero.code);
  EXPECT_NE(std::string::npos,
            zero.out.find(base + "1.txt:2: NUL byte inside the path \"t\\q.txt\\0x\" (column "
                                 "11): the program leaves the topic out, since the path would "
                                 "end there\n"))
      << zero.out;
  EXPECT_EQ(std::string::npos, zero.out.find("q.txt:2")) << zero.out;

  // A description file that another names as its question file is still a discipline, and is
  // checked as one: its own missing question file is reported.
  Put(Base() / "1.txt", "One\r\n\tT\"2.txt\"\r\n");
  Put(Base() / "2.txt", "Two\r\n\tU\"t\\none.txt\"\r\n");
  tools_test::Result both = RunTool({Root().string()});
  EXPECT_EQ(check::kExitProblems, both.code);
  EXPECT_NE(std::string::npos, both.out.find(base + "1.txt:2: the question file \"2.txt\" lies in "
                                                    "Base itself"))
      << both.out;
  EXPECT_NE(std::string::npos,
            both.out.find(base + "2.txt:2: the question file \"t\\none.txt\" does not exist"))
      << both.out;

  // A zero byte in the title: the program's title ends there, which is no disagreement.
  fs::remove(Base() / "2.txt");
  Put(Base() / "1.txt", std::string("Ma\0th\r\n\tT\"t\\q.txt\"\r\n", 20));
  Put(Base() / "t" / "q.txt", "Q\r\n");
  tools_test::Result nul = RunTool({Root().string()});
  EXPECT_EQ(base + "1.txt:1: NUL byte (column 3): the program's text ends there\n", nul.out);
}

TEST_F(CheckTool, FilesGivenDirectlyAreClassifiedOrForced) {
  Put(Base() / "1.txt", "Disc\r\n\tT\"t\\q.txt\"\r\n\tX\"t\\none.txt\"\r\n");
  Put(Base() / "t" / "q.txt", "Q\r\n\t\"quoted\"\r\n");  // looks like a description file
  tools_test::Result d = RunTool({At("Base/1.txt")});
  EXPECT_EQ(check::kExitProblems, d.code);
  EXPECT_NE(std::string::npos, d.out.find(At("Base/1.txt") + ":3: the question file")) << d.out;

  tools_test::Result asTopics = RunTool({At("Base/t/q.txt")});
  EXPECT_NE(std::string::npos, asTopics.out.find("\"quoted\" does not exist")) << asTopics.out;
  tools_test::Result forced = RunTool({"--questions", At("Base/t/q.txt")});
  EXPECT_EQ(check::kExitClean, forced.code) << forced.out;

  Put(Root() / "lone.txt", "Task\r\n\t+a\r\n");
  EXPECT_NE(std::string::npos,
            RunTool({"--topics", At("lone.txt")}).out.find(":2: no double quotes"));
}

// The checks' count of questions and answers is compared with the program's loader; on files
// full of shapes outside the format both must still agree, or the tool says they differ.
TEST_F(CheckTool, CountsAgreeWithTheLoaderOnAwkwardFiles) {
  std::string awkward = "\t+orphan\nT1\r\n";
  for (int i = 0; i < 13; ++i) awkward += "\tv\r\n";
  awkward +=
      "\n   \nA\rB\n  \t+c\n\t\t-d\n" + std::string(3000, 'x') + "\n\t" + std::string(2000, 'y');
  Put(Base() / "1.txt", "D\r\n\tT\"t\\q.txt\"\r\n");
  Put(Base() / "t" / "q.txt", awkward);
  for (const std::string& path : {Root().string(), At("Base/t/q.txt")}) {
    tools_test::Result r = RunTool({"--questions", path});
    EXPECT_EQ(check::kExitProblems, r.code);
    EXPECT_NE(std::string::npos, r.out.find("q.txt:1: answer variant before")) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("exameo-check counts")) << r.out;
  }
}

TEST_F(CheckTool, UsageErrorsExitTwo) {
  Put(Root() / "q.txt", "Q\n");
  EXPECT_EQ(check::kExitUsage, RunTool({}).code);
  tools_test::Result unknown = RunTool({"--quiet", At("q.txt")});
  EXPECT_EQ(check::kExitUsage, unknown.code);
  EXPECT_NE(std::string::npos, unknown.err.find("unknown option '--quiet'"));
  EXPECT_EQ(check::kExitUsage, RunTool({"--questions", "--topics", At("q.txt")}).code);

  // A missing path is said plainly, and the other paths are still checked.
  Put(Root() / "bad.txt", "\t+a\n");
  tools_test::Result missing = RunTool({At("nothing.txt"), At("bad.txt")});
  EXPECT_EQ(check::kExitUsage, missing.code);
  EXPECT_NE(std::string::npos, missing.err.find(At("nothing.txt") + ": no such file or folder"));
  EXPECT_NE(std::string::npos, missing.out.find(At("bad.txt") + ":1: answer variant"));

  fs::create_directories(Root() / "plain");
  tools_test::Result folder = RunTool({At("plain")});
  EXPECT_EQ(check::kExitUsage, folder.code);
  EXPECT_NE(std::string::npos, folder.err.find("neither holds a Base folder nor is one"));

  EXPECT_EQ(check::kExitUsage, RunTool({"--json", "questions"}).code);
  EXPECT_EQ(check::kExitUsage, RunTool({"--json", "answers", At("q.txt")}).code);
  EXPECT_EQ(check::kExitUsage, RunTool({"--json", "questions", At("nothing.txt")}).code);
  EXPECT_EQ(check::kExitUsage, RunTool({At("q.txt"), "--json"}).code);

  // "--" lets a file name begin with a dash.
  Put(fs::current_path() / "-q.txt", "Q\n");
  EXPECT_EQ(check::kExitClean, RunTool({"--", "-q.txt"}).code);
  fs::remove(fs::current_path() / "-q.txt");
}

TEST_F(CheckTool, HelpExplainsFormatAndExitCodes) {
  tools_test::Result r = RunTool({"--help"});
  EXPECT_EQ(check::kExitClean, r.code);
  for (const char* part :
       {"--questions", "--topics", "--json questions", "Windows-1251", "2047", "1023", "12 answer",
        "128 topics", "64 description", "42", "Exit status: 0", "1 when", "2 when"})
    EXPECT_NE(std::string::npos, r.out.find(part)) << part;
}

TEST_F(CheckTool, JsonOfQuestionsIsWhatTheLoaderReads) {
  // CR LF, LF, signs, a quote, a backslash, a TAB in the task, a control byte, 0x98 and
  // Russian text; a thirteenth variant the loader passes over; no final line break.
  std::string file = "\xC2\xEE\xEF\xF0\xEE\xF1 \"1\"\\\t\x01\x98\r\n\t+-+\xC4\xE0\r\n\t\r\n";
  file += "Second\n";
  for (int i = 0; i < 13; ++i) file += "\t-" + std::to_string(i) + "\n";
  file += "Third";
  Put(Root() / "q.any", file);
  tools_test::Result r = RunTool({"--json", "questions", At("q.any")});
  ASSERT_EQ(check::kExitClean, r.code) << r.err;
  EXPECT_EQ(0u, r.out.find("{\"count\": 3, \"questions\": [{\"exists\": true, ")) << r.out;
  EXPECT_NE(std::string::npos,
            r.out.find("{\"exists\": true, \"task\": \"\xD0\x92\xD0\xBE\xD0\xBF\xD1\x80\xD0\xBE"
                       "\xD1\x81 \\\"1\\\"\\\\\\u0009\\u0001\xEF\xBF\xBD\", \"variants\": "
                       "[{\"text\": \"\xD0\x94\xD0\xB0\", \"correct\": true}, "
                       "{\"text\": \"\", \"correct\": false}]}"))
      << r.out;
  EXPECT_NE(std::string::npos, r.out.find("{\"text\": \"11\", \"correct\": false}]}"));
  EXPECT_EQ(std::string::npos, r.out.find("\"12\""));
  EXPECT_NE(std::string::npos,
            r.out.find("}]}, {\"exists\": true, \"task\": \"Third\", \"variants\": []}]}\n"));
  // One line: the only line break ends the output.
  EXPECT_EQ(r.out.size() - 1, r.out.find('\n'));
}

TEST_F(CheckTool, JsonOfAnEmptyTopic) {
  Put(Root() / "empty.txt", "");
  tools_test::Result r = RunTool({"--json", "questions", At("empty.txt")});
  ASSERT_EQ(check::kExitClean, r.code);
  EXPECT_EQ(
      "{\"count\": 1, \"questions\": [{\"exists\": false, \"task\": \"\", \"variants\": "
      "[]}]}\n",
      r.out);
}

TEST_F(CheckTool, JsonOfTopicsFromAnyFolder) {
  // Named neither N.txt nor placed in Base, and with a name too long for the program's Path.
  std::string name = std::string(60, 'd') + ".desc";
  Put(Root() / "elsewhere" / name, "\xCC\xE0\xF2\\\"\r\n\tA \"a\\1.txt\"\r\n\t\xC1\"b.txt\"");
  tools_test::Result r = RunTool({"--json", "topics", At("elsewhere/" + name)});
  ASSERT_EQ(check::kExitClean, r.code) << r.err;
  EXPECT_EQ(
      "{\"title\": \"\xD0\x9C\xD0\xB0\xD1\x82\\\\\\\"\", \"topics\": ["
      "{\"title\": \"A \", \"path\": \"Base\\\\a\\\\1.txt\"}, "
      "{\"title\": \"\xD0\x91\", \"path\": \"Base\\\\b.txt\"}]}\n",
      r.out);
  // The working directory is left as it was.
  EXPECT_TRUE(fs::exists(fs::current_path()));

  Put(Root() / "title-only.txt", "T");
  EXPECT_EQ("{\"title\": \"T\", \"topics\": []}\n",
            RunTool({"--json", "topics", At("title-only.txt")}).out);
}

}  // namespace

TEST_F(CheckTool, JsonOfUtf8FilesCarriesEveryCharacter) {
  // Fault: UTF-8 bytes decoded again as Windows-1251 ("≤" as three letters), or an ill-formed
  // sequence passed into the JSON as it is.
  Put(Root() / "u.txt", "\xEF\xBB\xBFx \xE2\x89\xA4 \xCF\x80\xC3\n\t+\xCE\xB1\n");
  tools_test::Result q = RunTool({"--json", "questions", At("u.txt")});
  ASSERT_EQ(check::kExitClean, q.code) << q.err;
  EXPECT_EQ(
      "{\"count\": 1, \"questions\": [{\"exists\": true, \"task\": \"x \xE2\x89\xA4 \xCF\x80"
      "\xEF\xBF\xBD\", \"variants\": [{\"text\": \"\xCE\xB1\", \"correct\": true}]}]}\n",
      q.out);
  // A path Windows-1251 cannot spell is shown as it is written, not decoded again.
  Put(Root() / "d.txt",
      "\xEF\xBB\xBF\xCE\x94\r\n\t\xCE\xB2\"a.txt\"\r\n\t\xCE\xB3\"\xCF\x80.txt\"\r\n");
  tools_test::Result d = RunTool({"--json", "topics", At("d.txt")});
  ASSERT_EQ(check::kExitClean, d.code) << d.err;
  EXPECT_EQ(
      "{\"title\": \"\xCE\x94\", \"topics\": [{\"title\": \"\xCE\xB2\", \"path\": "
      "\"Base\\\\a.txt\"}, {\"title\": \"\xCE\xB3\", \"path\": \"Base\\\\\xCF\x80.txt\"}]}\n",
      d.out);
}

// Faults: such a topic left unchecked, its pictures looked for elsewhere or let out of Base, its
// path named in mojibake, an ill-formed path passed over in silence.
TEST_F(CheckTool, PathsWindows1251CannotSpellAreCheckedAsAnyOther) {
  const std::string el = "\xCE\x95\xCE\xBB", delta = "\xCE\x94";  // "Ελ", "Δ"
  Put(Base() / "1.txt",
      "\xEF\xBB\xBF"
      "D\r\n\tA\"" +
          el + "\\" + delta + ".txt\"\r\n\tC\"" + delta + "-none.txt\"\r\n\tD\"x\xC3.txt\"\r\n");
  Put(Base() / fs::path(std::u8string(el.begin(), el.end())) / fs::path(u8"\u0394.txt"),
      "\xEF\xBB\xBFQ ![f](f.png) ![u](../../x.png)\r\n\r\n\t+a\r\n");
  tools_test::Result r = RunTool({Root().string()});
  const std::string base = Base().string() + Sep(), file = base + el + Sep() + delta + ".txt:";
  for (const std::string& message :
       {file + "2: empty line", file + "1: picture \"f.png\": no such",
        file + "1: picture \"../../x.png\": the path leads out of Base",
        base + "1.txt:3: the question file \"" + delta + "-none.txt\" does not exist",
        base + "1.txt:4: the path \"x\xEF\xBF\xBD.txt\" is no well-formed"})
    EXPECT_NE(r.out.find(message), std::string::npos) << message << "\n" << r.out;
}
