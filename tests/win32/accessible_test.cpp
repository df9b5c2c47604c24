// What a screen reader gets from the board through the accessibility interface: each answer
// check box keeps its own text as its name and carries its question's task as its description.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which they need.
#include <oleacc.h>

#include <string>

#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

// IAccessible's identifier, written out: the import library's IID_IAccessible is a thunk.
constexpr GUID kAccessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct Read {
  HRESULT result = E_FAIL;
  std::wstring text;
};

// The accessible name or description of a control's own client object, as a reader asks for it.
Read Accessible(HWND control, bool description) {
  Read read;
  IAccessible* object = nullptr;
  read.result = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                           kAccessibleIid, reinterpret_cast<void**>(&object));
  if (FAILED(read.result) || object == nullptr) return read;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  read.result =
      description ? object->get_accDescription(self, &text) : object->get_accName(self, &text);
  if (text != nullptr) {
    read.text.assign(text, SysStringLen(text));
    SysFreeString(text);
  }
  object->Release();
  return read;
}

class AccessibleTask : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { bNobodyHome = true; }
};

TEST_F(AccessibleTask, EachAnswerDescribesItsQuestionsTaskAndKeepsItsName) {
  StartTopic(kArithmetic, 0);  // 2 + 2: +Четыре -Пять -Три; then 1 + 1: -Один +Два
  for (int id = 1000; id <= 1002; ++id) {
    SCOPED_TRACE(id);
    Read told = Accessible(Answer(id), true);
    EXPECT_EQ(told.result, S_OK);
    EXPECT_EQ(told.text, L"Сколько будет 2 + 2?");
  }
  Read name = Accessible(Answer(1000), false);
  EXPECT_EQ(name.result, S_OK);
  EXPECT_EQ(name.text, L"Четыре");
  // The board's OK button says its own text and nothing more.
  EXPECT_EQ(Accessible(Answer(300), false).text, L"OK");
  EXPECT_TRUE(Accessible(Answer(300), true).text.empty());

  // Graded and moved on: the next question's answers tell the next task; the graded ones
  // above still tell theirs.
  TypeChar(MainWindow(), L'\r');
  TypeChar(MainWindow(), L'\r');
  ASSERT_NE(Answer(1003), nullptr);
  EXPECT_EQ(Accessible(Answer(1003), true).text, L"Сколько будет 1 + 1?");
  EXPECT_EQ(Accessible(Answer(1004), false).text, L"Два");
  EXPECT_EQ(Accessible(Answer(1000), true).text, L"Сколько будет 2 + 2?");
}

}  // namespace
