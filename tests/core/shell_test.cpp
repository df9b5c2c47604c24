// The command chain, the help boxes and the menu bar.
#include <algorithm>
#include <string>
#include <vector>

#include "quiz_support.h"
#include "shell/menu.h"

namespace {

using namespace quiztest;

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(); }
  void TearDown() override { Topic_test.UnloadQuestions(); }
  ScratchDir dir_;
};

TEST_F(ShellTest, HelpBoxesShowTheirTextsOwnedByTheMainWindow) {
  struct Case {
    unsigned command;
    std::string caption;
    std::string text;
  };
  const std::vector<Case> cases = {
      {10, Cp1251("О программе").c_str(),
       Cp1251("Программа для подготовки к тестированию \"Exameo 2.0\".\n"
              "Домашняя страница: http://www.exameo.example/\n"
              "Программа бесплатна и распространяется свободно.\n"
              "Замечания и предложения присылайте по адресу feedback@exameo.example\n"
              "\n"
              "Автор: команда Exameo\n"
              "Декабрь 2026")
           .c_str()},
      {11, Cp1251("Информация").c_str(),
       Cp1251("Формат базы:\nКаждый вопрос состоит из задания и вариантов ответа. На задание и "
              "варианты отводится по 1 строчке. Перед каждым вариантом стоит символ табуляции: "
              "(char)9\nКаждая дисциплина расположена в отдельной директории.\nОписание "
              "содержимого директории находится в файле \"Base\\x.txt\", где x - порядковый "
              "номер дисциплины\nВ файле-описании первая строчка отведена под название "
              "дисциплины. Далее идут строчки описания следующего формата: символ табуляции, "
              "затем название темы, далее в кавычках относительный путь к файлу с вопросами "
              "темы\nКодировка всех файлов: Windows-1251")
           .c_str()},
      {12, Cp1251("Горячие клавиши").c_str(),
       Cp1251("Для выбора ответа используйте клавиши 1-7 на дополнительной (включите NumLock) "
              "или основной клавиатуре\nНажать кнопку \"OK\" можно пробелом или \"Enter\"\n"
              "Рисунок к заданию открывается клавишей F3 (следующий рисунок - ещё раз F3), "
              "закрывается клавишей Esc")
           .c_str()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    ResetProgram();
    EXPECT_EQ(RouteCommand(c.command | 1u << 16), -1);  // the high word is ignored
    ASSERT_EQ(fake::Boxes().size(), 1u);
    const fake::Box& box = fake::Boxes()[0];
    EXPECT_EQ(box.caption, c.caption);
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.style, 64u);
    EXPECT_EQ(box.owner, OnScreen2.hWnd);
    EXPECT_EQ(box.text.find('\r'), std::string::npos);
  }
  // The About text has seven lines, the database text six, the hot keys three.
  ResetProgram();
  for (unsigned id : {10u, 11u, 12u}) RouteCommand(id);
  auto lines = [](const std::string& s) { return 1 + std::count(s.begin(), s.end(), '\n'); };
  EXPECT_EQ(lines(fake::Boxes()[0].text), 7);
  EXPECT_EQ(lines(fake::Boxes()[1].text), 6);
  EXPECT_EQ(lines(fake::Boxes()[2].text), 3);
}

TEST_F(ShellTest, HelpCommandsPassTheWholeChainWithoutOtherEffect) {
  StartTopic({"+-", "+"});
  fake::TypeChar('1');
  fake::TypeChar('\r');  // graded: the undo step looks at every command
  std::string title = Title();
  for (unsigned id : {10u, 11u, 12u, 10u | 0xFFFFu << 16}) {
    EXPECT_EQ(fake::Command(id), -1);
    EXPECT_FALSE(OnScreen2.bAsk);
    EXPECT_EQ(Topic_test.Current, 0);
    EXPECT_EQ(Box(0)->tick, 1);
    EXPECT_EQ(Title(), title);
    EXPECT_TRUE(fake::LiveChoosers().empty());
  }
  EXPECT_EQ(fake::Boxes().size(), 4u);
  // Commands of every other kind leave Anounce without a box.
  for (unsigned id : {0u, 9u, 13u, 20u, 200u, 300u, 1000u, 10000u, 65535u}) fake::Command(id);
  EXPECT_EQ(fake::Boxes().size(), 4u);
}

TEST_F(ShellTest, EntryPointsReturnTheirResults) {
  EXPECT_EQ(RouteCommand(12345), -1);
  EXPECT_EQ(RouteCommand(300), -1);
  EXPECT_EQ(StartQuiz(), 0);
  EXPECT_EQ(ChooserDestroyed(), 0);
}

TEST_F(ShellTest, CommandsCompareTheLowSixteenBitsOnly) {
  Discipline.Disciplines[3].bExists = true;
  std::snprintf(Discipline.Disciplines[3].Path, sizeof Discipline.Disciplines[3].Path,
                "Base\\d.txt");
  Discipline.LastDiscipline = 3;
  fake::Command(23 | 0x8000u << 16);
  EXPECT_EQ(fake::LiveChoosers().size(), 1u);
  // 65536 + 23 is 23; 23 + 65536 * 2 + 1 is not.
  fake::Command(24 + 2 * 65536u);
  EXPECT_EQ(fake::LiveChoosers().size(), 1u);

  StartTopic({"+"});
  fake::Command(10000 + (0x1234u << 16));
  EXPECT_EQ(Box(0)->tick, 1);
  fake::Command(10000 + 65536u * 65535u);
  EXPECT_EQ(Box(0)->tick, 0);
}

TEST_F(ShellTest, MenuBarListsTheDisciplinesAndTheHelpItems) {
  for (int i = 0; i < 3; ++i) {
    std::snprintf(Discipline.Disciplines[i].Title, 64, "Discipline %d", i);
    Discipline.Disciplines[i].bExists = true;
  }
  Discipline.LastDiscipline = 2;
  HMENU bar = BuildMenuBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->items.size(), 4u);
  EXPECT_EQ(bar->items[0].text, std::string(Cp1251("Дисциплины")));
  EXPECT_EQ(bar->items[1].text, std::string(Cp1251("Подготовка")));
  EXPECT_EQ(bar->items[2].text, std::string(Cp1251("Параметры")));
  EXPECT_EQ(bar->items[3].text, std::string(Cp1251("Помощь")));
  EXPECT_EQ(bar->items[0].id, 0u);
  EXPECT_EQ(bar->items[1].id, 0u);
  EXPECT_EQ(bar->items[2].id, 0u);
  EXPECT_EQ(bar->items[3].id, 0u);
  HMENU disciplines = bar->items[0].submenu;
  HMENU help = bar->items[3].submenu;
  ASSERT_NE(disciplines, nullptr);
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(disciplines->popup);
  ASSERT_EQ(disciplines->items.size(), 5u);
  for (unsigned i = 0; i < 3; ++i) {
    EXPECT_EQ(disciplines->items[i].text, "Discipline " + std::to_string(i));
    EXPECT_EQ(disciplines->items[i].id, 20 + i);
    EXPECT_EQ(disciplines->items[i].submenu, nullptr);
  }
  // After the disciplines, a separator and the item that adds more.
  EXPECT_TRUE(disciplines->items[3].separator);
  EXPECT_EQ(disciplines->items[4].text, std::string(Cp1251("Добавить вопросы из файла...")));
  EXPECT_EQ(disciplines->items[4].id, 508u);
  ASSERT_EQ(help->items.size(), 3u);
  EXPECT_EQ(help->items[0].text, std::string(Cp1251("О программе")));
  EXPECT_EQ(help->items[0].id, 10u);
  EXPECT_EQ(help->items[1].text, std::string(Cp1251("Горячие клавиши")));
  EXPECT_EQ(help->items[1].id, 12u);
  EXPECT_EQ(help->items[2].text, std::string(Cp1251("База данных")));
  EXPECT_EQ(help->items[2].id, 11u);
}

TEST_F(ShellTest, MenuBarWithNoOrAllDisciplines) {
  Discipline.LastDiscipline = -1;
  HMENU bar = BuildMenuBar();
  // No discipline: the item that adds some, alone.
  ASSERT_EQ(bar->items[0].submenu->items.size(), 1u);
  EXPECT_EQ(bar->items[0].submenu->items[0].id, 508u);
  EXPECT_EQ(bar->items[3].submenu->items.size(), 3u);

  for (auto& d : Discipline.Disciplines) d.bExists = true;
  Discipline.LastDiscipline = 63;
  bar = BuildMenuBar();
  ASSERT_EQ(bar->items[0].submenu->items.size(), 66u);
  EXPECT_EQ(bar->items[0].submenu->items[63].id, 83u);
  // A count beyond the table never runs off it.
  Discipline.LastDiscipline = 500;
  bar = BuildMenuBar();
  EXPECT_EQ(bar->items[0].submenu->items.size(), 66u);
}

TEST_F(ShellTest, CreateMenuItemInsertsBeforeTheItemWithTheIdentifier) {
  HMENU popup = ws::CreatePopup();
  std::string a = "a", b = "b", c = "c";
  EXPECT_TRUE(OnScreen2.CreateMenuItem(popup, a.data(), 0, 5, nullptr));
  EXPECT_TRUE(OnScreen2.CreateMenuItem(popup, b.data(), 0, 6, nullptr));
  EXPECT_TRUE(OnScreen2.CreateMenuItem(popup, c.data(), 6, 7, nullptr));  // before b
  ASSERT_EQ(popup->items.size(), 3u);
  EXPECT_EQ(popup->items[0].text, "a");
  EXPECT_EQ(popup->items[1].text, "c");
  EXPECT_EQ(popup->items[2].text, "b");
  EXPECT_FALSE(OnScreen2.CreateMenuItem(nullptr, a.data(), 0, 1, nullptr));
}

}  // namespace
