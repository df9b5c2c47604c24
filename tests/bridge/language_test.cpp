// The bank tools in Russian: notes kept as texts of the table render in either language after
// the fact, and exameo-export speaks Russian with its exit codes unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/bank_writer.h"
#include "bridge/import.h"
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
                "in:3: не перенесено: аудиозапись 's.mp3' (программа показывает только текст)",
                "in:3: рисунок 'a.png' не перенесён: такого файла нет"}));
  EXPECT_EQ(Lines(xml, Lang::kEnglish)[1],
            "in:3: audio 's.mp3' dropped: the program shows text only");
}

TEST(RussianNotes, BankWriterNotesNameTheCharacterInEitherLanguage) {
  bridge::Bank bank;
  bank.title = "Физика";
  bridge::Topic topic;
  topic.title = "Суммы";
  bridge::Question q;
  q.task = "Что такое \x01?";  // U+0001, which no text of the program holds
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
                "f.gift:4: удалён 1 управляющий символ (U+0001): в текстах программы их не бывает",
                "f.gift:9: вопрос пропущен: в нём 21 вариант, а программа вмещает 12"}));
  EXPECT_EQ(Lines(report, Lang::kEnglish),
            (std::vector<std::string>{
                "f.gift:4: 1 control character (U+0001) removed: the program's texts hold none",
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
      bridge::RunExport, "exameo-export", {"--format", "odt", "q.txt"}, Lang::kRussian);
  EXPECT_EQ(none.code, 2);
  EXPECT_EQ(none.err,
            "exameo-export: неизвестный формат 'odt' (gift, moodle-xml, aiken, csv или xlsx)\n"
            "Справка: exameo-export --help\n");
  testsupport::ToolResult help =
      testsupport::RunToolMain(bridge::RunExport, "exameo-export", {"--help"}, Lang::kRussian);
  EXPECT_EQ(help.code, 0);
  EXPECT_EQ(help.out.rfind("Использование: exameo-export", 0), 0u) << help.out;
}

// Runs exameo-import on algebra.gift (a named question and an essay) and a missing file, in a
// scratch folder of its own.
testsupport::ToolResult ImportAlgebra(Lang language) {
  testsupport::ScratchDir scratch;
  testsupport::WriteBytes("algebra.gift", "::q1:: 2+2? {=4 ~5}\n\nEssay. {}\n");
  return testsupport::RunToolMain(bridge::RunImport, "exameo-import",
                                  {"algebra.gift", "missing.gift", "."}, language);
}

TEST(RussianTools, ImportSaysItsSummaryNotesAndRefusalsInRussianWithTheSameExitCode) {
  testsupport::ToolResult english = ImportAlgebra(Lang::kEnglish);
  testsupport::ToolResult russian = ImportAlgebra(Lang::kRussian);
  EXPECT_EQ(english.code, bridge::kImportLossy);
  EXPECT_EQ(russian.code, bridge::kImportLossy);
  EXPECT_EQ(english.out,
            "algebra.gift: 1 questions in 1 topics written as Base\\1.txt; 1 losses reported; "
            "dropped by design: 1 question names\n"
            "missing.gift: nothing written: cannot read the file\n");
  EXPECT_EQ(english.err,
            "algebra.gift:3: essay question left out: the program asks only choice questions\n"
            "missing.gift: cannot read the file\n");
  EXPECT_EQ(russian.out,
            "algebra.gift: 1 вопрос в 1 теме записан как Base\\1.txt; 1 потеря в отчёте; "
            "отброшено намеренно: 1 название вопроса\n"
            "missing.gift: ничего не записано: файл не читается\n");
  EXPECT_EQ(russian.err,
            "algebra.gift:3: вопрос-эссе пропущен: программа задаёт только вопросы с выбором "
            "ответа\n"
            "missing.gift: файл не читается\n");

  testsupport::ToolResult wrong = testsupport::RunToolMain(bridge::RunImport, "exameo-import",
                                                           {"-x", "a", "b"}, Lang::kRussian);
  EXPECT_EQ(wrong.code, bridge::kImportNothing);
  EXPECT_EQ(
      wrong.err.rfind("exameo-import: неизвестный параметр -x\nИспользование: exameo-import", 0),
      0u)
      << wrong.err;
  testsupport::ToolResult help =
      testsupport::RunToolMain(bridge::RunImport, "exameo-import", {"--help"}, Lang::kRussian);
  EXPECT_EQ(help.code, bridge::kImportClean);
  EXPECT_EQ(help.out.rfind("Использование: exameo-import", 0), 0u) << help.out;
}

TEST(RussianTools, TheProgramGetsNotesAndRefusalsInRussianWhateverTheToolsSpeak) {
  lang::ToolLanguageFor english(Lang::kEnglish);
  testsupport::ScratchDir scratch;
  testsupport::WriteBytes("a.gift", "Только описание.\n\nЧисло? {#4}\n");
  testsupport::WriteBytes("b.txt", "не вопросы\n");
  bridge::ImportOutcome outcome =
      bridge::ImportInputs(".", {"a.gift", "b.txt"}, bridge::Format::kUnknown, nullptr);
  ASSERT_EQ(outcome.inputs.size(), 2u);
  ASSERT_EQ(outcome.inputs[0].report.notes.size(), 1u);
  EXPECT_EQ(outcome.inputs[0].report.notes[0].Line(Lang::kRussian),
            "a.gift:3: числовой вопрос пропущен: программа задаёт только вопросы с выбором ответа");
  EXPECT_EQ(bridge::InputSummary(outcome.inputs[0], Lang::kRussian),
            "a.gift: 1 вопрос в 1 теме записан как Base\\1.txt; 1 потеря в отчёте\n");
  EXPECT_EQ(outcome.inputs[1].refused, bridge::Refusal::kUnknownFormat);
  EXPECT_EQ(bridge::RefusalText(outcome.inputs[1].refused, Lang::kRussian), "формат не распознан");
  EXPECT_EQ(bridge::RefusalText(bridge::Refusal::kTooManyDisciplines, Lang::kRussian),
            "в Base было бы больше 64 дисциплин, а больше программа не показывает");
  EXPECT_EQ(bridge::RefusalText(bridge::Refusal::kTooManyDisciplines, Lang::kEnglish),
            "Base would hold more than 64 disciplines, the most the program shows");
}

}  // namespace
