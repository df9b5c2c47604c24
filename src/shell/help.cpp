// The three boxes of the "Помощь" menu.
#include "board/screen.h"
#include "common/cp1251.h"
#include "platform/window_system.h"
#include "common/commands.h"
#include "shell/globals.h"

namespace {

constexpr auto kAboutCaption = Cp1251("О программе");
constexpr auto kAboutText = Cp1251(
    "Программа для подготовки к тестированию \"Exameo 2.0\".\n"
    "Домашняя страница: http://www.exameo.example/\n"
    "Программа бесплатна и распространяется свободно.\n"
    "Замечания и предложения присылайте по адресу feedback@exameo.example\n"
    "\n"
    "Автор: команда Exameo\n"
    "Декабрь 2026");

constexpr auto kDatabaseCaption = Cp1251("Информация");
constexpr auto kDatabaseText = Cp1251(
    "Формат базы:\n"
    "Каждый вопрос состоит из задания и вариантов ответа. На задание и варианты отводится по 1 "
    "строчке. Перед каждым вариантом стоит символ табуляции: (char)9\n"
    "Каждая дисциплина расположена в отдельной директории.\n"
    "Описание содержимого директории находится в файле \"Base\\x.txt\", где x - порядковый номер "
    "дисциплины\n"
    "В файле-описании первая строчка отведена под название дисциплины. Далее идут строчки "
    "описания следующего формата: символ табуляции, затем название темы, далее в кавычках "
    "относительный путь к файлу с вопросами темы\n"
    "Кодировка всех файлов: Windows-1251");

constexpr auto kHotKeysCaption = Cp1251("Горячие клавиши");
constexpr auto kHotKeysText = Cp1251(
    "Для выбора ответа используйте клавиши 1-7 на дополнительной (включите NumLock) или "
    "основной клавиатуре\n"
    "Нажать кнопку \"OK\" можно пробелом или \"Enter\"");

}  // namespace

void Screen2::Anounce(unsigned command) {
  const char* text = nullptr;
  const char* caption = nullptr;
  switch (command & 0xFFFF) {
    case kCmdAbout:
      text = kAboutText;
      caption = kAboutCaption;
      break;
    case kCmdHotKeys:
      text = kHotKeysText;
      caption = kHotKeysCaption;
      break;
    case kCmdDatabase:
      text = kDatabaseText;
      caption = kDatabaseCaption;
      break;
    default:
      return;
  }
  ws::ShowBox(OnScreen2.hWnd, text, caption, ws::kBoxOk | ws::kBoxInformation);
}
