// The accelerator keys as the message loop translates them: every character of the table typed
// into the main window or one of its controls becomes its command to the main window; typed in
// any other window of the program (a chooser, the results) it stays there.
#include <gtest/gtest.h>

#include "common/commands.h"
#include "win32_test_support.h"

namespace {

class KeysTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseChoosers(); }
};

TEST_F(KeysTest, EveryTableCharacterInTheMainWindowGivesItsCommand) {
  MessageSpy main(MainWindow(), true);
  for (const Accelerator& key : kAccelerators) {
    SCOPED_TRACE(key.Key);
    main.Clear();
    TypeChar(MainWindow(), key.Key);
    ASSERT_EQ(main.Commands().size(), 1u);
    // The high word 1 marks a command from an accelerator.
    EXPECT_EQ(main.Commands()[0], MAKEWPARAM(key.Command, 1));
    EXPECT_TRUE(main.Chars().empty());  // consumed: no character message reaches the window
  }
  // The table's run is "1".."9", ":", ";", "<", Enter, space.
  const wchar_t typed[] = L"123456789:;<\r ";
  const unsigned expected[] = {10000, 10001, 10002, 10003, 10004, 10005, 10006,
                               10007, 10008, 10009, 10010, 10011, 300,   300};
  for (int i = 0; i < 14; ++i) {
    main.Clear();
    TypeChar(MainWindow(), typed[i]);
    ASSERT_EQ(main.Commands().size(), 1u) << i;
    EXPECT_EQ(LOWORD(main.Commands()[0]), expected[i]);
  }
}

TEST_F(KeysTest, CharactersOutsideTheTableAreNotCommands) {
  MessageSpy main(MainWindow(), true);
  for (wchar_t c : {L'0', L'=', L'a', L'\t', L'\x0431'}) {
    main.Clear();
    TypeChar(MainWindow(), c);
    EXPECT_TRUE(main.Commands().empty()) << static_cast<int>(c);
    ASSERT_EQ(main.Chars().size(), 1u);
    EXPECT_EQ(main.Chars()[0], static_cast<WPARAM>(c));
  }
}

TEST_F(KeysTest, KeysTypedInAChooserStayThereAndNeverReachTheBoard) {
  HWND chooser = OpenChooser(kArithmetic);
  ASSERT_NE(chooser, nullptr);
  HWND radio = GetDlgItem(chooser, 100);
  MessageSpy main(MainWindow(), true);
  MessageSpy owned(chooser, false);
  for (HWND target : {chooser, radio, GetDlgItem(chooser, 200)}) {
    for (const Accelerator& key : kAccelerators) {
      main.Clear();
      owned.Clear();
      TypeChar(target, key.Key);
      EXPECT_TRUE(main.Commands().empty()) << key.Key;
      EXPECT_TRUE(owned.Commands().empty()) << key.Key;
      // The character reaches the window it was typed in.
      if (target == chooser) {
        EXPECT_EQ(owned.Chars().size(), 1u) << key.Key;
      }
    }
  }
  EXPECT_TRUE(IsWindow(chooser));  // characters press no button
}

TEST_F(KeysTest, KeysTypedInTheResultsWindowStayThere) {
  MenuCommand(503);
  HWND results = FindWindowW(L"ResultsWClass", nullptr);
  ASSERT_NE(results, nullptr);
  HWND list = GetDlgItem(results, 1);
  MessageSpy main(MainWindow(), true);
  for (HWND target : {results, list}) {
    for (const Accelerator& key : kAccelerators) {
      main.Clear();
      TypeChar(target, key.Key);
      EXPECT_TRUE(main.Commands().empty()) << key.Key;
    }
  }
  EXPECT_TRUE(IsWindow(results));
  SendMessageW(results, WM_CLOSE, 0, 0);
  Pump();
}

}  // namespace
