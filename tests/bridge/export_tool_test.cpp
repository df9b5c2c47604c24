// exameo-export on files in a scratch folder: how it reads a bank through the program's loader
// and catalogue, and its command line (exit codes, output file, messages).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bank/question.h"
#include "bridge/host.h"
#include "bridge/text.h"
#include "bridge/writers.h"
#include "import_test_support.h"
#include "support/scratch.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;

using importtest::W;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}


// A discipline with a good topic, a line the catalogue passes over, an empty topic and one whose
// file is missing; the good topic has a control character, a blank line (an empty question) and
// a variant line whose signs and TAB the loader drops.
void MakeDiscipline() {
  testsupport::WriteBytes("Base\\1.txt", W("Наука\r\n\tФизика\"phys\\a.txt\"\r\n"
                                           "\tбез пути, каталог её пропускает\r\n"
                                           "\tПусто\"phys\\empty.txt\"\r\n"
                                           "\tНет\"phys\\missing.txt\"\r\n"));
  testsupport::WriteBytes("Base\\phys\\a.txt", W("Задача\x01 один\r\n\t+да\r\n\t-нет\r\n\r\n"
                                                 "Вторая\tс TAB\n\t++-\tзнак\n"));
  testsupport::WriteBytes("Base\\phys\\empty.txt", "");
}

TEST(ExportLoad, DescriptionFileThroughTheCatalogueWithEveryLossNoted) {
  testsupport::ScratchDir scratch;
  MakeDiscipline();
  bridge::ExportBank bank;
  bridge::Report report;
  std::string error;
  ASSERT_TRUE(bridge::LoadForExport("Base/1.txt", "Base/1.txt", bridge::BankKind::kAuto, &bank,
                                    &report, &error))
      << error;
  EXPECT_TRUE(bank.categories);
  EXPECT_EQ(bank.bank.title, "Наука");
  ASSERT_EQ(bank.bank.topics.size(), 1u);
  const bridge::Topic& t = bank.bank.topics[0];
  EXPECT_EQ(t.title, "Физика");
  EXPECT_EQ(t.line, 2);
  std::string shown = std::string("Base") + static_cast<char>(fs::path::preferred_separator) +
                      "phys" + static_cast<char>(fs::path::preferred_separator) + "a.txt";
  ASSERT_EQ(bank.files, std::vector<std::string>{shown});
  ASSERT_EQ(t.questions.size(), 3u);
  EXPECT_EQ(t.questions[0].task, "Задача? один");
  EXPECT_EQ(t.questions[0].line, 1);
  ASSERT_EQ(t.questions[0].variants.size(), 2u);
  EXPECT_TRUE(t.questions[0].variants[0].correct);
  EXPECT_EQ(t.questions[0].variants[1].text, "нет");
  EXPECT_EQ(t.questions[1].task, "");
  EXPECT_EQ(t.questions[1].line, 4);
  // As the loader reads it: the TAB of a task kept, every leading sign taken, the last one
  // deciding, a TAB inside a variant dropped.
  EXPECT_EQ(t.questions[2].task, "Вторая\tс TAB");
  EXPECT_EQ(t.questions[2].line, 5);
  ASSERT_EQ(t.questions[2].variants.size(), 1u);
  EXPECT_EQ(t.questions[2].variants[0].text, "знак");
  EXPECT_FALSE(t.questions[2].variants[0].correct);
  // The control character, then the empty and the missing topic at their description lines.
  EXPECT_EQ(importtest::NotePlaces(report),
            (std::vector<std::string>{shown + ":1", "Base/1.txt:4", "Base/1.txt:5"}));
  EXPECT_NE(report.notes[2].Message().find("phys\\missing.txt"), std::string::npos);
}

TEST(ExportLoad, QuestionFileIsOneTopicTitledByItsName) {
  testsupport::ScratchDir scratch;
  MakeDiscipline();
  // Quotes in a question file do not make it a description file unless they name a file.
  // A name in UTF-8, as the command line gives it on every system.
  std::ofstream(bridge::PathFromUtf8("Цитаты.txt"), std::ios::binary)
      << W("Кто сказал?\r\n\t+\"нет такого файла\"\r\n");
  for (const char* file : {"Base/phys/a.txt", "Цитаты.txt"}) {
    bridge::ExportBank bank;
    bridge::Report report;
    std::string error;
    ASSERT_TRUE(bridge::LoadForExport(bridge::PathFromUtf8(file), file, bridge::BankKind::kAuto,
                                      &bank, &report, &error))
        << error;
    EXPECT_FALSE(bank.categories) << file;
    ASSERT_EQ(bank.bank.topics.size(), 1u) << file;
    EXPECT_EQ(bank.files, std::vector<std::string>{file});
  }
  bridge::ExportBank bank;
  bridge::Report report;
  std::string error;
  ASSERT_TRUE(bridge::LoadForExport(bridge::PathFromUtf8("Цитаты.txt"), "q",
                                    bridge::BankKind::kAuto, &bank, &report, &error));
  EXPECT_EQ(bank.bank.topics[0].title, "Цитаты");
  EXPECT_EQ(bank.bank.topics[0].questions[0].variants[0].text, "\"нет такого файла\"");

  EXPECT_FALSE(
      bridge::LoadForExport("Base", "Base", bridge::BankKind::kAuto, &bank, &report, &error));
  EXPECT_FALSE(bridge::LoadForExport("nothing.txt", "nothing.txt", bridge::BankKind::kAuto, &bank,
                                     &report, &error));
  EXPECT_EQ(error, "cannot read the file");
}

using Result = testsupport::ToolResult;

Result Export(std::vector<std::string> args) {
  return testsupport::RunToolMain(bridge::RunExport, "exameo-export", std::move(args));
}

TEST(ExportTool, ExitCodesAndMessages) {
  testsupport::ScratchDir scratch;
  MakeDiscipline();
  testsupport::WriteBytes("good.txt", W("2 + 2?\r\n\t+4\r\n\t-5\r\n"));

  Result clean = Export({"good.txt"});
  EXPECT_EQ(clean.code, 0) << clean.err;
  EXPECT_EQ(clean.out, "2 + 2? {\n=4\n~5\n}\n\n");
  EXPECT_EQ(clean.err, "");

  // Losses: each on its line, then a summary; the rest is still written.
  Result lossy = Export({"--format", "aiken", "Base/1.txt"});
  EXPECT_EQ(lossy.code, 1);
  EXPECT_EQ(lossy.out, "Задача? один\nA) да\nB) нет\nANSWER: A\n\n");
  EXPECT_NE(lossy.err.find("a.txt:4: left out: the task is empty"), std::string::npos) << lossy.err;
  EXPECT_NE(lossy.err.find("a.txt:5: left out: a single variant"), std::string::npos);
  EXPECT_NE(lossy.err.find("exameo-export: 1 of 3 questions written, 2 left out; 5 notes"),
            std::string::npos);

  for (std::vector<std::string> wrong : {std::vector<std::string>{},
                                         {"--format", "docx", "good.txt"},
                                         {"--format", "xlsx", "good.txt"},
                                         {"--format"},
                                         {"good.txt", "Base/1.txt"},
                                         {"-x", "good.txt"},
                                         {"-o"},
                                         {"missing.txt"},
                                         {"Base"}}) {
    Result r = Export(wrong);
    EXPECT_EQ(r.code, 2) << (wrong.empty() ? "" : wrong[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind("exameo-export: ", 0), 0u) << r.err;
  }
  Result help = Export({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("Usage: exameo-export", 0), 0u);
}

TEST(ExportTool, OutputFileIsReplacedWholeAndNeverTheBankItself) {
  testsupport::ScratchDir scratch;
  testsupport::WriteBytes("good.txt", W("2 + 2?\r\n\t+4\r\n\t-5\r\n"));
  testsupport::WriteBytes("out.csv", "old contents that are longer than the new ones ...........");

  // The extension chooses the format; the old file is replaced, no temporary file stays.
  Result r = Export({"-o", "out.csv", "good.txt"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "");
  std::string csv = Read("out.csv");
  EXPECT_EQ(csv.substr(csv.size() - 14), "2 + 2?;1;4;5\r\n");
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_EQ(Export({"-o", "out.xml", "good.txt"}).code, 0);
  EXPECT_EQ(Read("out.xml").find("<question type=\"multichoice\">") != std::string::npos, true);
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(".")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"good.txt", "out.csv", "out.xml"}));

  // Writing over the bank being exported is refused, and the bank stays as it was.
  std::string before = Read("good.txt");
  Result self = Export({"-o", "./good.txt", "good.txt"});
  EXPECT_EQ(self.code, 2);
  EXPECT_NE(self.err.find("would replace the bank"), std::string::npos);
  EXPECT_EQ(Read("good.txt"), before);

  // An output folder that does not exist: nothing written, exit 2.
  Result nowhere = Export({"-o", "no/such/folder/out.gift", "good.txt"});
  EXPECT_EQ(nowhere.code, 2);
  EXPECT_FALSE(fs::exists("no"));
}

TEST(ExportTool, ThePlaceOfPathTellsADescriptionFileUnlessAnOptionSays) {
  testsupport::ScratchDir scratch;
  // A question file whose variants quote the name of a file that exists: still one topic.
  testsupport::WriteBytes("1.txt", W("Чужой вопрос\r\n\t+да\r\n\t-нет\r\n"));
  testsupport::WriteBytes("quotes.txt", W("Что открыть?\r\n\t+\"1.txt\"\r\n\t-\"2.txt\"\r\n"));
  Result quotes = Export({"quotes.txt"});
  EXPECT_EQ(quotes.code, 0) << quotes.err;
  EXPECT_EQ(quotes.out, "Что открыть? {\n=\"1.txt\"\n~\"2.txt\"\n}\n\n");
  // Said to be a description file, it is one: its title, then a topic naming 1.txt.
  Result topics = Export({"--topics", "quotes.txt"});
  EXPECT_EQ(topics.code, 1) << topics.err;
  EXPECT_NE(topics.out.find("Чужой вопрос {"), std::string::npos) << topics.out;

  // A *.txt in Base (any case) is a description file; --questions reads it as questions.
  MakeDiscipline();
  Result base = Export({"Base/1.txt"});
  EXPECT_NE(base.out.find("$CATEGORY: Наука/Физика"), std::string::npos) << base.out;
  fs::rename("Base", "base");
  Result lower = Export({"base/1.txt"});
  EXPECT_NE(lower.out.find("$CATEGORY: Наука/Физика"), std::string::npos) << lower.out;
  // As questions: the title line is a task, the topic lines its variants.
  Result asQuestions = Export({"--questions", "--format", "csv", "base/1.txt"});
  EXPECT_EQ(asQuestions.code, 0) << asQuestions.err;
  EXPECT_NE(asQuestions.out.find("\r\nНаука;;"), std::string::npos) << asQuestions.out;

  Result both = Export({"--questions", "--topics", "quotes.txt"});
  EXPECT_EQ(both.code, 2);
  EXPECT_NE(both.err.find("--questions and --topics exclude each other"), std::string::npos);
}

TEST(ExportTool, NothingToWriteLeavesOutAloneAndExitsTwo) {
  testsupport::ScratchDir scratch;
  testsupport::WriteBytes("cards.txt", W("Карточка\r\nЕщё одна\r\n"));
  testsupport::WriteBytes("out.aiken", "old");
  // Aiken carries no description card: every question is left out.
  Result r = Export({"-o", "out.aiken", "cards.txt"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(Read("out.aiken"), "old");
  EXPECT_NE(r.err.find("cards.txt:2: left out: no variants"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("exameo-export: nothing written"), std::string::npos) << r.err;
  Result toStdout = Export({"--format", "aiken", "cards.txt"});
  EXPECT_EQ(toStdout.code, 2);
  EXPECT_EQ(toStdout.out, "");
}

TEST(ExportTool, TitlesChangedForCategoriesAreNoLeftOutQuestions) {
  testsupport::ScratchDir scratch;
  testsupport::WriteBytes("Base\\1.txt", W("Наука\r\n\tТема\"a.txt\"\r\n\tТема\"b.txt\"\r\n"));
  testsupport::WriteBytes("Base\\a.txt", W("Вопрос 1\r\n\t+да\r\n\t-нет\r\n"));
  testsupport::WriteBytes("Base\\b.txt", W("Вопрос 2\r\n\t+да\r\n\t-нет\r\n"));
  Result r = Export({"Base/1.txt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("$CATEGORY: Наука/Тема (2)"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("exameo-export: 2 of 2 questions written, 0 left out, 1 topic title "
                       "changed for their categories; 1 note"),
            std::string::npos)
      << r.err;
}

}  // namespace

namespace {

// The program's loader on the whole file, for comparison.
TopicClass whole;

TEST(ExportLoad, LargeFileReadInPiecesGivesWhatTheLoaderGivesWhole) {
  testsupport::ScratchDir scratch;
  // Variant lines before the first task (the loader passes over them), thirteen variants, a
  // task beyond 2047 bytes, empty lines, CR LF and LF, over 256 questions so that the file goes
  // in several pieces.
  std::string file = "\t+ничей\r\n\t-ничей\n";
  for (int i = 0; i < 700; ++i) {
    file += W("Вопрос ") + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
    if (i % 97 == 5) file += std::string(3000, 'x') + "\n";
    if (i % 50 == 7) file += "\n";
    int variants = i % 101 == 3 ? 13 : i % 7;
    for (int v = 0; v < variants; ++v)
      file += "\t" + std::string(v % 3 == 0 ? "+" : "-") + "v" + std::to_string(v) + "\r\n";
  }
  testsupport::WriteBytes("big.txt", file);

  bridge::ExportBank bank;
  bridge::Report report;
  std::string error;
  ASSERT_TRUE(
      bridge::LoadForExport("big.txt", "big.txt", bridge::BankKind::kAuto, &bank, &report, &error))
      << error;
  ASSERT_EQ(bank.bank.topics.size(), 1u);
  const std::vector<bridge::Question>& got = bank.bank.topics[0].questions;

  char path[] = "big.txt";
  whole.UnloadQuestions();
  whole.LoadQuestions(path);
  ASSERT_EQ(got.size(), static_cast<std::size_t>(whole.Count));
  EXPECT_GT(got.size(), 2 * 256u);
  const QuestionClass* q = &whole.Head;
  for (int i = 0; i < whole.Count; ++i, q = q->Next) {
    ASSERT_EQ(got[i].task, bridge::Cp1251ToUtf8(q->Task)) << i;
    std::size_t variants = 0;
    while (variants < 12 && q->Vrnt[variants].bExists) ++variants;
    ASSERT_EQ(got[i].variants.size(), variants) << i;
    for (std::size_t v = 0; v < variants; ++v) {
      EXPECT_EQ(got[i].variants[v].text, q->Vrnt[v].Text) << i;
      EXPECT_EQ(got[i].variants[v].correct, q->Vrnt[v].bCorrect) << i;
    }
  }
  whole.UnloadQuestions();
  // Lines of the questions: the first task is on line 3.
  EXPECT_EQ(got[0].line, 3);
  EXPECT_EQ(got[1].line, 4);
}

}  // namespace
