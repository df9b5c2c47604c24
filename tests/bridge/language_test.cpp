// The bank tools in Russian: notes kept as texts of the table render in either language after
// the fact, and exameo-export speaks Russian with its exit codes unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/bank_writer.h"
#include "bridge/readers.h"
#include "bridge/writers.h"
#include "common/texts.h"
#include "import_test_support.h"
#include "support/scratch.h"
#include "support/tool_run.h"

namespace {

using lang::Lang;

std::vector<std::string> Lines(const bridge::Report& report, Lang language) {
  std::vector<std::string> lines;
  for (const bridge::Note& note : report.notes) lines.push_back(note.Line(language));
  return lines;
}

TEST(RussianNotes, ReadersNotesInBothLanguages) {
  bridge::Report report;
  importtest::Read(bridge::Format::kGift,
                   "Write an essay. {}\n\nPick one {=a ~b}\n\nTrue? {T}\n\nShort {=a}\n\n"
                   "Lone {=a ~}\n",
                   &report);
  EXPECT_EQ(Lines(report, Lang::kEnglish),
            (std::vector<std::string>{
                "in:1: essay question left out: the program asks only choice questions",
                "in:7: short-answer question left out: the program asks only choice questions",
                "in:9: multiple-choice question left out: it has fewer than two answers"}));
  EXPECT_EQ(Lines(report, Lang::kRussian),
            (std::vector<std::string>{
                "in:1: вопрос-эссе пропущен: программа задаёт только вопросы с выбором ответа",
                "in:7: вопрос с коротким ответом пропущен: программа задаёт только вопросы с "
                "выбором ответа",
                "in:9: вопрос с выбором ответа пропущен: в нём меньше двух ответов"}));

  bridge::Report xml;
  importtest::Read(bridge::Format::kMoodleXml,
                   "<quiz>\n<question type=\"shortanswer\"><questiontext><text>x</text>"
                   "</questiontext></question>\n<question type=\"multichoice\"><questiontext>"
                   "<text><![CDATA[Look <img src=\"@@PLUGINFILE@@/a.png\"> <audio "
                   "src=\"@@PLUGINFILE@@/s.mp3\"></audio>]]></text></questiontext>\n"
                   "<answer fraction=\"100\"><text>a</text></answer><answer fraction=\"0\">"
                   "<text>b</text></answer></question>\n</quiz>\n",
                   &xml);
  EXPECT_EQ(Lines(xml, Lang::kRussian),
            (std::vector<std::string>{
                "in:2: вопрос типа shortanswer пропущен: программа задаёт только вопросы с выбором "
                "ответа",
                "in:3: не перенесено: изображение (программа показывает только текст)",
                "in:3: не перенесено: аудиозапись 's.mp3' (программа показывает только текст)"}));
  EXPECT_EQ(Lines(xml, Lang::kEnglish)[2],
            "in:3: audio 's.mp3' dropped: the program shows text only");
}

TEST(RussianNotes, BankWriterNotesNameTheCharacterInEitherLanguage) {
  bridge::Bank bank;
  bank.title = "Физика";
  bridge::Topic topic;
  topic.title = "Суммы";
  bridge::Question q;
  q.task = "Что такое \xE2\x88\x91?";  // U+2211, which Windows-1251 lacks
  q.line = 4;
  q.variants = {{"сумма", true, 5}, {"произведение", false, 6}};
  topic.questions.push_back(q);
  bridge::Question many;
  many.task = "Много";
  many.line = 9;
  for (int i = 0; i < 21; ++i) many.AddVariant({"в", i == 0, 9});
  topic.questions.push_back(many);
  bank.topics.push_back(topic);
  bridge::Report report;
  bridge::Encode(bank, "f.gift", &report);
  EXPECT_EQ(Lines(report, Lang::kRussian),
            (std::vector<std::string>{
                "f.gift:4: '?' вместо U+2211 '∑': в Windows-1251 нет такого символа",
                "f.gift:9: вопрос пропущен: в нём 21 вариант, а программа вмещает 12"}));
  EXPECT_EQ(Lines(report, Lang::kEnglish),
            (std::vector<std::string>{
                "f.gift:4: '?' put in for U+2211 '∑': Windows-1251 has no such character",
                "f.gift:9: question left out: it has 21 variants, the program holds 12"}));
}

TEST(RussianTools, ExportSaysItsNotesAndSummaryInRussianWithTheSameExitCode) {
  testsupport::ScratchDir scratch;
  std::string bytes;
  bridge::Utf8ToCp1251("Один вариант\r\n\t+да\r\nДва\r\n\t+да\r\n\t-нет\r\n", &bytes);
  testsupport::WriteBytes("q.txt", bytes);
  testsupport::ToolResult english = testsupport::RunToolMain(
      bridge::RunExport, "exameo-export", {"--format", "aiken", "q.txt"}, Lang::kEnglish);
  testsupport::ToolResult russian = testsupport::RunToolMain(
      bridge::RunExport, "exameo-export", {"--format", "aiken", "q.txt"}, Lang::kRussian);
  EXPECT_EQ(english.code, 1);
  EXPECT_EQ(russian.code, 1);
  EXPECT_EQ(russian.out, english.out);  // the data is the same in every language
  EXPECT_EQ(english.err,
            "q.txt:1: left out: a single variant: Aiken needs at least two\n"
            "exameo-export: 1 of 2 questions written, 1 left out; 1 note\n");
  EXPECT_EQ(russian.err,
            "q.txt:1: вопрос не записан: вариант только один: Aiken нужно не меньше двух\n"
            "exameo-export: записано вопросов: 1 из 2, пропущено: 1; 1 замечание\n");

  testsupport::ToolResult none = testsupport::RunToolMain(
      bridge::RunExport, "exameo-export", {"--format", "docx", "q.txt"}, Lang::kRussian);
  EXPECT_EQ(none.code, 2);
  EXPECT_EQ(none.err,
            "exameo-export: неизвестный формат 'docx' (gift, moodle-xml, aiken или csv)\n"
            "Справка: exameo-export --help\n");
  testsupport::ToolResult help =
      testsupport::RunToolMain(bridge::RunExport, "exameo-export", {"--help"}, Lang::kRussian);
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("Использование: exameo-export", 0), 0u) << help.out;
}

}  // namespace
