// A UTF-8 bank on the screen: the menu, the chooser and the board show every character, and a
// Russian UTF-8 question takes the place of its Windows-1251 twin.
#include <string>
#include <vector>

#include "common/utf8.h"
#include "common/commands.h"
#include "quiz_support.h"
#include "shell/menu.h"

namespace {

using namespace quiztest;

const std::string kMark = "\xEF\xBB\xBF";

class Utf8DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgram(1000, 700); }
  void TearDown() override {
    Topic_test.UnloadQuestions();
    Discipline.UnloadTopics();
  }
  ScratchDir dir_;
};

// The slot rectangles a question file's first question takes on an empty board.
std::pair<Rect, Rect> PlaceOf(const std::string& bytes) {
  ResetProgram(1000, 700);
  WriteBytes("Base\\p.txt", bytes);
  LoadAndStart("Base\\p.txt");
  return {OnScreen2.Entry[0].TextRect, OnScreen2.Entry[0].VrntRect};
}

TEST_F(Utf8DisplayTest, MenuChooserAndBoardShowEveryCharacter) {
  // Fault: UTF-8 bytes shown as Windows-1251 ("≤" as "в‰¤") anywhere on the way.
  const std::string title = "\xD0\xA4\xD0\xBE\xD1\x80\xD0\xBC\xD1\x83\xD0\xBB\xD1\x8B \xCF\x80";
  const std::string topic = "x\xC2\xB2 \xE2\x89\xA4 \xCE\xB1";
  const std::string task = "\xE2\x88\x9A" "4 = ? (\xCE\x94)";
  WriteBytes("Base\\1.txt", kMark + title + "\r\n\t" + topic + "\"q.txt\"\r\n");
  WriteBytes("Base\\q.txt", kMark + task + "\r\n\t+2\r\n\t-\xCF\x80\xC3\r\n");
  char pattern[] = "Base\\*.txt";
  Discipline.LoadDisciplines(pattern);
  HMENU bar = BuildMenuBar();
  ASSERT_NE(bar, nullptr);
  const FakeMenuItem& item = bar->items[0].submenu->items[0];
  EXPECT_EQ(fake::Shown(item.text, item.utf8), title);

  fake::Command(kCmdFirstDiscipline);
  std::vector<HWND> choosers = fake::LiveChoosers();
  ASSERT_EQ(choosers.size(), 1u);
  HWND radio = ws::FindChild(choosers[0], 100);
  ASSERT_NE(radio, nullptr);
  EXPECT_EQ(fake::Shown(radio->text, radio->utf8), topic);
  fake::Click(radio);
  fake::Click(ws::FindChild(choosers[0], 200));
  fake::Pump();

  ASSERT_FALSE(fake::DrawLog().empty());
  const fake::DrawCall& drawn = fake::DrawLog().back();
  EXPECT_EQ(fake::Shown(drawn.text, drawn.utf8), task);
  HWND wrong = Box(1);
  ASSERT_NE(wrong, nullptr);
  // An ill-formed byte shows as U+FFFD.
  EXPECT_EQ(fake::Shown(wrong->text, wrong->utf8), "\xCF\x80\xEF\xBF\xBD");
}

TEST_F(Utf8DisplayTest, ARussianQuestionTakesTheRowsOfItsWindows1251Twin) {
  // Fault: a UTF-8 text measured by its bytes, twice as long as it reads.
  std::string task1251, answer1251;
  for (int i = 0; i < 300; ++i) task1251 += (i % 8 == 7) ? ' ' : '\xFF';  // "я" and spaces
  for (int i = 0; i < 200; ++i) answer1251 += (i % 8 == 7) ? ' ' : '\xE6';  // "ж"
  std::string file1251 = task1251 + "\r\n\t+" + answer1251 + "\r\n\t-a\r\n";
  std::string fileUtf8 = kMark;
  utf8::FromCp1251(file1251, &fileUtf8);
  auto [text1251, variants1251] = PlaceOf(file1251);
  auto [textUtf8, variantsUtf8] = PlaceOf(fileUtf8);
  EXPECT_GT(variants1251.bottom - variants1251.top, 40) << "the answer spans rows";
  EXPECT_EQ(text1251.bottom, textUtf8.bottom);
  EXPECT_EQ(variants1251.bottom, variantsUtf8.bottom);
}

}  // namespace
