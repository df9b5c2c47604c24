// The help boxes as the user sees them: captions, texts in Cyrillic, icon, one OK button, owner.
#include <gtest/gtest.h>

#include <algorithm>

#include "win32_test_support.h"

namespace {

SeenBox BoxOf(unsigned command) {
  WindowLog log;
  MenuCommand(command);
  EXPECT_EQ(log.Boxes().size(), 1u) << command;
  return log.Boxes().empty() ? SeenBox{} : log.Boxes()[0];
}

void ExpectInformationBox(const SeenBox& box) {
  EXPECT_EQ(box.owner, MainWindow());
  EXPECT_FALSE(box.mainEnabled);  // modal to the main window: its menu and keys wait
  EXPECT_TRUE(box.icon);
  ASSERT_EQ(box.buttons.size(), 1u);
  EXPECT_EQ(box.buttons[0], L"OK");
}

TEST(Help, AboutBox) {
  SeenBox box = BoxOf(10);
  EXPECT_EQ(box.caption, L"О программе");
  EXPECT_EQ(box.text.rfind(L"Программа для подготовки к тестированию \"Exameo 2.0\".\n", 0), 0u)
      << std::string(box.text.begin(), box.text.end());
  // Seven lines: six line feeds, no carriage return.
  EXPECT_EQ(std::count(box.text.begin(), box.text.end(), L'\n'), 6);
  EXPECT_EQ(box.text.find(L'\r'), std::wstring::npos);
  ExpectInformationBox(box);
}

TEST(Help, DatabaseBox) {
  SeenBox box = BoxOf(11);
  EXPECT_EQ(box.caption, L"Информация");
  EXPECT_EQ(box.text,
            L"Формат базы:\n"
            L"Каждый вопрос состоит из задания и вариантов ответа. На задание и варианты отводится "
            L"по 1 строчке. Перед каждым вариантом стоит символ табуляции: (char)9\n"
            L"Каждая дисциплина расположена в отдельной директории.\n"
            L"Описание содержимого директории находится в файле \"Base\\x.txt\", где x - "
            L"порядковый номер дисциплины\n"
            L"В файле-описании первая строчка отведена под название дисциплины. Далее идут "
            L"строчки описания следующего формата: символ табуляции, затем название темы, далее "
            L"в кавычках относительный путь к файлу с вопросами темы\n"
            L"Кодировка всех файлов: Windows-1251");
  ExpectInformationBox(box);
}

TEST(Help, HotKeysBox) {
  SeenBox box = BoxOf(12);
  EXPECT_EQ(box.caption, L"Горячие клавиши");
  EXPECT_EQ(box.text,
            L"Для выбора ответа используйте клавиши 1-7 на дополнительной (включите NumLock) или "
            L"основной клавиатуре\n"
            L"Нажать кнопку \"OK\" можно пробелом или \"Enter\"\n"
            L"Рисунок к заданию открывается клавишей F3 (следующий рисунок - ещё раз F3), "
            L"закрывается клавишей Esc");
  ExpectInformationBox(box);
}

TEST(Help, OtherCommandsShowNoBox) {
  WindowLog log;
  for (unsigned command : {9u, 13u, 200u, 10012u}) MenuCommand(command);
  EXPECT_TRUE(log.Boxes().empty());
}

}  // namespace
