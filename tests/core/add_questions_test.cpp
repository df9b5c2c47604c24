// Adding question files from the program: the import in-process, the catalogue and the menu
// taking the new disciplines, and the report's lines.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bridge/host.h"
#include "bridge/text.h"
#include "session/session.h"
#include "quiz_support.h"
#include "shell/add_questions.h"
#include "common/commands.h"
#include "shell/menu.h"
#include "records/results.h"
#include "session/session.h"
#include "shell/data.h"

namespace {

using namespace quiztest;
using Lines = std::vector<std::string>;

// Every file under `dir` with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  if (!std::filesystem::exists(dir, ec)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    std::string bytes;
    if (!entry.is_directory()) bridge::ReadWholeFile(entry.path(), &bytes);
    files[entry.path().generic_string()] = entry.is_directory() ? "<dir>" : bytes;
  }
  return files;
}

// The texts of a popup's items; "-" for a separator.
Lines Texts(HMENU popup) {
  Lines texts;
  for (const FakeMenuItem& item : popup->items) texts.push_back(item.separator ? "-" : item.text);
  return texts;
}

std::string W(const char* utf8) {
  std::string bytes;
  bridge::Utf8ToCp1251(utf8, &bytes);
  return bytes;
}

class AddQuestionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgram();
    std::filesystem::create_directory("data");
    OpenDataFolder("data", true);
  }
  void TearDown() override {
    OpenDataFolder("", false);
    Topic_test.UnloadQuestions();
  }
  // The catalogue read from Base and the bar built, as at start-up.
  HMENU StartUp() {
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
    return BuildMenuBar();
  }
  ScratchDir dir_;
};

constexpr char kAlgebra[] =
    "$CATEGORY: Дроби\n"
    "\n"
    "1/2+1/2? {=1 ~2}\n"
    "\n"
    "2/4? {=1/2 ~1/4}\n"
    "\n"
    "3/3? {=1 ~3}\n"
    "\n"
    "Эссе {}\n";

TEST_F(AddQuestionsTest, TheReportSaysPerFileWhatItGaveThenEveryNote) {
  WriteBytes("Base\\1.txt", W("Старая\r\n"));
  WriteBytes("algebra.gift", kAlgebra);
  WriteBytes("geo.gift", "$CATEGORY: Реки\n\nВолга? {T}\n\n$CATEGORY: Горы\n\nЭльбрус? {T}\n");
  WriteBytes("notes.doc", "Q {T}\n");
  HMENU bar = StartUp();
  adding::AddQuestionFiles({"algebra.gift", "missing.gift", "geo.gift", "notes.doc"},
                           bridge::Format::kUnknown);
  EXPECT_EQ(adding::LastAdded().lines,
            (Lines{"algebra.gift: 3 вопроса в 1 теме, дисциплина «algebra»",
                   "missing.gift: ничего не добавлено: не удалось прочитать файл",
                   "geo.gift: 2 вопроса в 2 темах, дисциплина «geo»",
                   "notes.doc: ничего не добавлено: формат не распознан: дайте файлу расширение "
                   ".gift, .aiken, .xml, .csv, .docx или .xlsx или выберите формат в списке "
                   "типов файлов",
                   "algebra.gift:9: вопрос-эссе пропущен: программа задаёт только вопросы с "
                   "выбором ответа"}));
  EXPECT_EQ(fake::AddReportOpens(), 1);
  EXPECT_EQ(fake::AddReportOwner(), OnScreen2.hWnd);
  // The smallest free numbers, in the order given; the menu lists them after the old one.
  EXPECT_EQ(Snapshot("Base").count("Base/d2/1.txt"), 1u);
  EXPECT_EQ(Snapshot("Base").count("Base/d3/2.txt"), 1u);
  EXPECT_EQ(Texts(bar->items[0].submenu),
            (Lines{W("Старая"), "algebra", "geo", "-", W("Добавить вопросы из файла...")}));
  EXPECT_EQ(adding::LastAdded().firstNew, 1);

  // A folder in the name is not shown, a note without a line has none; a title named by the
  // file's stem; a count of 21 and 5.
  std::filesystem::create_directory("sub");
  std::string many;
  for (int i = 1; i <= 21; ++i) many += "Q" + std::to_string(i) + " {T}\n\n";
  WriteBytes("sub\\many.gift", many);
  std::string five = "$CATEGORY: a\n\nQ {T}\n\n";
  for (char c = 'b'; c <= 'e'; ++c) five += std::string("$CATEGORY: ") + c + "\n\nQ {T}\n\n";
  WriteBytes("five.gift", five + "\x01 {T}\n");
  adding::AddQuestionFiles({"sub/many.gift", "five.gift"}, bridge::Format::kUnknown);
  EXPECT_EQ(adding::LastAdded().lines,
            (Lines{"many.gift: 21 вопрос в 1 теме, дисциплина «many»",
                   "five.gift: 5 вопросов в 5 темах, дисциплина «five»",
                   "five.gift:21: вопрос пропущен: в его задании одни управляющие символы"}));
  EXPECT_EQ(adding::LastAdded().firstNew, 3);
}

TEST_F(AddQuestionsTest, TheChosenFilterForcesItsFormatOnEveryFile) {
  // Aiken by its content, yet read as GIFT when the GIFT filter is chosen: one card, no variant.
  WriteBytes("a.txt", "Столица?\nA) Париж\nB) Рим\nANSWER: A\n");
  HMENU bar = StartUp();
  fake::SetOpenFilesAnswer(true, {"a.txt"}, 2);
  EXPECT_TRUE(fake::ChooseMenuItem(bar, kCmdAddQuestions));
  EXPECT_EQ(fake::OpenFilesAsks(), 1);
  EXPECT_EQ(fake::OpenFilesOwner(), OnScreen2.hWnd);
  EXPECT_EQ(adding::LastAdded().lines, (Lines{"a.txt: 1 вопрос в 1 теме, дисциплина «a»"}));
  EXPECT_EQ(Snapshot("Base")["Base/d1/1.txt"].find('\t'), std::string::npos);
  // The Aiken filter: GIFT in a .gift gives nothing, Aiken in a .csv is read.
  WriteBytes("g.gift", "Q {T}\n");
  WriteBytes("b.csv", "Q?\nA) x\nB) y\nANSWER: B\n");
  fake::SetOpenFilesAnswer(true, {"g.gift", "b.csv"}, 4);
  fake::Command(kCmdAddQuestions);
  EXPECT_EQ(adding::LastAdded().lines,
            (Lines{"g.gift: ничего не добавлено: в файле нет вопросов, которые программа может "
                   "показать",
                   "b.csv: 1 вопрос в 1 теме, дисциплина «b»",
                   "g.gift:1: вопрос пропущен: в нём нет строки ANSWER"}));
  EXPECT_EQ(Snapshot("Base")["Base/d2/1.txt"], "Q?\r\n\t-x\r\n\t+y\r\n");
  // The first filter tells by name and content: the same .gift is read as GIFT.
  fake::SetOpenFilesAnswer(true, {"g.gift"}, 1);
  fake::Command(kCmdAddQuestions);
  EXPECT_EQ(adding::LastAdded().lines, (Lines{"g.gift: 1 вопрос в 1 теме, дисциплина «g»"}));
  // The first filter and the last tell by name and content; a foreign index does too.
  EXPECT_EQ(adding::FormatOfFilter(1), bridge::Format::kUnknown);
  EXPECT_EQ(adding::FormatOfFilter(2), bridge::Format::kGift);
  EXPECT_EQ(adding::FormatOfFilter(3), bridge::Format::kMoodleXml);
  EXPECT_EQ(adding::FormatOfFilter(4), bridge::Format::kAiken);
  EXPECT_EQ(adding::FormatOfFilter(5), bridge::Format::kCsv);
  EXPECT_EQ(adding::FormatOfFilter(6), bridge::Format::kDocx);
  EXPECT_EQ(adding::FormatOfFilter(7), bridge::Format::kXlsx);
  EXPECT_EQ(adding::FormatOfFilter(8), bridge::Format::kUnknown);
  EXPECT_EQ(adding::FormatOfFilter(0), bridge::Format::kUnknown);
  EXPECT_EQ(adding::FormatOfFilter(9), bridge::Format::kUnknown);
  // Cancel adds nothing and shows no report; a command from a control is no menu command.
  int reports = fake::AddReportOpens();
  fake::SetOpenFilesAnswer(false, {"a.txt"}, 1);
  fake::Command(kCmdAddQuestions);
  fake::Command(kCmdAddQuestions | 1u << 16);
  EXPECT_EQ(fake::AddReportOpens(), reports);
  EXPECT_EQ(fake::OpenFilesAsks(), 4);  // three above, and the cancelled one
}

TEST_F(AddQuestionsTest, TheFilterStringListsTheEightFiltersInOrder) {
  using namespace std::string_literals;
  EXPECT_EQ(adding::FilterString(),
            "Вопросы (*.gift;*.txt;*.xml;*.csv;*.aiken;*.docx;*.xlsx)\0"
            "*.gift;*.txt;*.xml;*.csv;*.aiken;*.docx;*.xlsx\0"
            "GIFT (*.gift;*.txt)\0*.gift;*.txt\0"
            "Moodle XML (*.xml)\0*.xml\0"
            "Aiken (*.aiken;*.txt)\0*.aiken;*.txt\0"
            "CSV (*.csv)\0*.csv\0"
            "Word (*.docx)\0*.docx\0"
            "Excel (*.xlsx)\0*.xlsx\0"
            "Все файлы (*.*)\0*.*\0\0"s);
}

TEST_F(AddQuestionsTest, TheMenuIsRebuiltWithTicksAndEntriesKept) {
  // No discipline yet: the item alone, no separator, and no Base folder at all.
  HMENU bar = StartUp();
  HMENU disciplines = bar->items[0].submenu;
  EXPECT_EQ(Texts(disciplines), (Lines{W("Добавить вопросы из файла...")}));
  EXPECT_EQ(disciplines->items[0].id, kCmdAddQuestions);
  fake::Command(kCmdShuffleQuestions);
  fake::Command(kCmdResume);

  WriteBytes("Base\\2.txt", W("Вторая\r\n\tТ\"d2\\1.txt\"\r\n"));
  WriteBytes("Base\\3.txt", W("Третья\r\n\tТ\"d3\\1.txt\"\r\n"));
  WriteBytes("Base\\d2\\1.txt", "Q\r\n\t+a\r\n");
  WriteBytes("algebra.gift", kAlgebra);
  Discipline.LoadDisciplines(std::string("Base\\*.txt").data());
  RebuildDisciplinesMenu();
  int second = std::string(Discipline.Disciplines[0].Path) == "Base\\2.txt" ? 0 : 1;
  // The chooser of one of them is open: the study state holds its index.
  fake::Command(kCmdFirstDiscipline + second);
  ASSERT_EQ(fake::LiveChoosers().size(), 1u);

  // algebra takes Base\1.txt, lower than both: yet it is appended, the others keep their entries.
  adding::AddQuestionFiles({"algebra.gift"}, bridge::Format::kUnknown);
  ASSERT_EQ(Discipline.LastDiscipline, 2);
  EXPECT_STREQ(Discipline.Disciplines[second].Path, "Base\\2.txt");
  EXPECT_STREQ(Discipline.Disciplines[2].Path, "Base\\1.txt");
  EXPECT_EQ(adding::LastAdded().firstNew, 2);
  ASSERT_EQ(disciplines->items.size(), 5u);
  EXPECT_EQ(disciplines->items[2].text, "algebra");
  EXPECT_EQ(disciplines->items[2].id, kCmdFirstDiscipline + 2);
  EXPECT_TRUE(disciplines->items[3].separator);
  EXPECT_EQ(disciplines->items[4].id, kCmdAddQuestions);
  // Every tick and every other menu stays.
  EXPECT_EQ(bar->items.size(), 4u);
  EXPECT_TRUE(fake::FindMenuItem(bar, kCmdShuffleQuestions)->ticked);
  EXPECT_FALSE(fake::FindMenuItem(bar, kCmdShuffleAnswers)->ticked);
  EXPECT_TRUE(fake::FindMenuItem(bar, kCmdResume)->ticked);
  ASSERT_NE(fake::FindMenuItem(bar, kCmdKnowledge), nullptr);
  // The open chooser's OK records the discipline it was opened for.
  HWND chooser = fake::LiveChoosers().back();
  fake::Click(ws::FindChild(chooser, 100));
  fake::Click(ws::FindChild(chooser, 200));
  fake::Pump();
  fake::TypeChar('1');
  fake::TypeChar('\r');
  fake::TypeChar('\r');  // the last question right: the result is recorded
  std::vector<records::ResultRecord> results = session::ReadResults();
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(std::string(results[0].Discipline), W("Вторая"));

  // "Открыть" opens the chooser of the new discipline, titled by its file as from its item.
  adding::OpenFirstNew();
  ASSERT_EQ(fake::LiveChoosers().size(), 1u);
  EXPECT_EQ(fake::LiveChoosers().back()->text, "Base\\1.txt");
  EXPECT_EQ(fake::LiveChildren(fake::LiveChoosers().back()).size(), 2u);  // a topic and OK
}

TEST_F(AddQuestionsTest, FailuresSayWhyAndChangeNothing) {
  WriteBytes("a.gift", "Q {T}\n");
  WriteBytes("bad.xml", "<quiz><question type=\"multichoice\"></quiz>");
  // Base is a file: it can be neither listed nor written.
  WriteBytes("Base", "not a folder");
  HMENU bar = StartUp();
  auto before = Snapshot(".");
  adding::AddQuestionFiles({"a.gift", "bad.xml"}, bridge::Format::kUnknown);
  EXPECT_EQ(adding::LastAdded().lines,
            (Lines{"a.gift: ничего не добавлено: не удалось прочитать папку Base",
                   "bad.xml: ничего не добавлено: файл не читается как Moodle XML (строка 1: "
                   "XML error: Start-end tags mismatch)"}));
  EXPECT_EQ(Snapshot("."), before);
  EXPECT_EQ(adding::LastAdded().firstNew, -1);
  EXPECT_EQ(Texts(bar->items[0].submenu), (Lines{W("Добавить вопросы из файла...")}));

  // 64 disciplines: the 65th says so and Base stays as it was.
  std::filesystem::remove("Base");
  for (int n = 1; n <= 64; ++n) WriteBytes("Base\\" + std::to_string(n) + ".txt", "D\r\n");
  bar = StartUp();
  before = Snapshot(".");
  adding::AddQuestionFiles({"a.gift"}, bridge::Format::kUnknown);
  EXPECT_EQ(adding::LastAdded().lines,
            (Lines{"a.gift: ничего не добавлено: в базе уже 64 дисциплины, больше программа не "
                   "показывает"}));
  EXPECT_EQ(Snapshot("."), before);
  EXPECT_EQ(bar->items[0].submenu->items.size(), 66u);
  adding::OpenFirstNew();  // nothing new: nothing opens
  EXPECT_TRUE(fake::LiveChoosers().empty());
}

#ifndef _WIN32
TEST_F(AddQuestionsTest, ABaseThatCannotBeWrittenSaysSoAndChangesNothing) {
  WriteBytes("Base\\1.txt", "Old\r\n");
  WriteBytes("a.gift", "Q {T}\n");
  WriteBytes("b.gift", "R {F}\n");
  ASSERT_EQ(0, chmod("Base", 0555));
  // The superuser writes anyway, and a pass would prove nothing: scripts/test.sh runs this
  // test as an unprivileged user when it runs as root.
  if (std::FILE* probe = std::fopen("Base/probe", "wb")) {
    std::fclose(probe);
    std::remove("Base/probe");
    chmod("Base", 0755);
    FAIL() << "this user can write in a folder of mode 555 (root?): run this test as an "
              "unprivileged user, as scripts/test.sh does";
  }
  HMENU bar = StartUp();
  auto before = Snapshot(".");
  adding::AddQuestionFiles({"a.gift", "b.gift"}, bridge::Format::kUnknown);
  chmod("Base", 0755);
  EXPECT_EQ(adding::LastAdded().lines,
            (Lines{"a.gift: ничего не добавлено: в папку Base не удалось записать",
                   "b.gift: ничего не добавлено: в папку Base не удалось записать"}));
  EXPECT_EQ(Snapshot("."), before);
  EXPECT_EQ(adding::LastAdded().firstNew, -1);
  EXPECT_EQ(Texts(bar->items[0].submenu), (Lines{"Old", "-", W("Добавить вопросы из файла...")}));
}
#endif

TEST_F(AddQuestionsTest, BaseIsCreatedWhenMissingAndARunningSittingIsLeftAlone) {
  WriteBytes("a.gift", "Q {T}\n");
  HMENU bar = StartUp();
  ASSERT_FALSE(std::filesystem::exists("Base"));
  adding::AddQuestionFiles({"a.gift"}, bridge::Format::kUnknown);
  EXPECT_TRUE(std::filesystem::exists("Base/1.txt"));
  EXPECT_EQ(Texts(bar->items[0].submenu), (Lines{"a", "-", W("Добавить вопросы из файла...")}));
  // While a box of the quiz flow is up nothing is imported.
  WriteBytes("b.gift", "Q {T}\n");
  quiz::bFlowBusy = true;
  adding::AddQuestionFiles({"b.gift"}, bridge::Format::kUnknown);
  quiz::bFlowBusy = false;
  EXPECT_FALSE(std::filesystem::exists("Base/2.txt"));
  EXPECT_EQ(fake::AddReportOpens(), 1);

  // An exam runs: adding goes on beside it and leaves it as it is.
  ASSERT_TRUE(session::BeginSitting(0, -1, 1, 10));
  std::string title = Title();
  adding::AddQuestionFiles({"b.gift"}, bridge::Format::kUnknown);
  EXPECT_TRUE(std::filesystem::exists("Base/2.txt"));
  EXPECT_TRUE(session::Running());
  EXPECT_EQ(Title(), title);
  EXPECT_EQ(Texts(bar->items[0].submenu),
            (Lines{"a", "b", "-", W("Добавить вопросы из файла...")}));
  EXPECT_TRUE(fake::Boxes().empty());
  // "Открыть" asks first, as a discipline's item does; No keeps the sitting and opens nothing.
  fake::SetYesNoAnswer(false);
  adding::OpenFirstNew();
  EXPECT_EQ(fake::Boxes().size(), 1u);
  EXPECT_TRUE(session::Running());
  EXPECT_TRUE(fake::LiveChoosers().empty());
  fake::SetYesNoAnswer(true);
  adding::OpenFirstNew();
  EXPECT_FALSE(session::Running());
  ASSERT_EQ(fake::LiveChoosers().size(), 1u);
  EXPECT_EQ(fake::LiveChoosers().back()->text, "Base\\2.txt");
}

}  // namespace
