// The in-memory window system's own Windows-like behaviour, which the other tests rely on.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake/fake_window_system.h"
#include "platform/window_system.h"
#include "shell/globals.h"

namespace {

class FakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    main_ = fake::CreateMainWindow(1000, 700);
    fake::SetCommandHook([this](HWND target, unsigned wParam) {
      commands_.emplace_back(target, wParam);
      ticksAtCommand_.push_back(lastClicked_ != nullptr ? lastClicked_->tick : -1);
    });
  }
  void TearDown() override { fake::Reset(); }
  HWND Control(HWND parent, int id, std::uint32_t style = 0x50002003, int x = 0, int y = 0) {
    return ws::CreateButton(parent, "control", style, x, y, 100, 20, id, nullptr);
  }
  bool ClickAndNote(HWND control) {
    lastClicked_ = control;
    return fake::Click(control);
  }
  HWND main_ = nullptr;
  HWND lastClicked_ = nullptr;
  std::vector<std::pair<HWND, unsigned>> commands_;
  std::vector<int> ticksAtCommand_;
};

TEST_F(FakeTest, FindChildGivesFirstLiveMatchInCreationOrder) {
  HWND first = Control(main_, 1000);
  HWND second = Control(main_, 1000);
  Control(main_, 1001);
  EXPECT_EQ(ws::FindChild(main_, 1000), first);
  ws::Destroy(first);
  EXPECT_EQ(ws::FindChild(main_, 1000), second);
  ws::Destroy(second);
  EXPECT_EQ(ws::FindChild(main_, 1000), nullptr);
  EXPECT_EQ(ws::FindChild(nullptr, 1000), nullptr);
  EXPECT_EQ(ws::FirstChild(main_)->id, 1001);
}

TEST_F(FakeTest, TicksAreSetAsButtonsTakeThem) {
  // Measured under Wine: BM_SETCHECK leaves a push button unticked and takes 2 (or more) as
  // ticked on a two-state check box or radio button.
  HWND ok = Control(main_, 300, 0x50000000);
  ws::SetTick(ok, 1);
  EXPECT_EQ(ws::ReadTick(ok), 0);
  HWND box = Control(main_, 1000);
  HWND radio = Control(main_, 100, 0x50000009);
  for (HWND control : {box, radio}) {
    ws::SetTick(control, 2);
    EXPECT_EQ(ws::ReadTick(control), 1);
    ws::SetTick(control, 0);
    EXPECT_EQ(ws::ReadTick(control), 0);
  }
}

TEST_F(FakeTest, CallsOnNoWindowOrADestroyedOneDoNothingAndReadZero) {
  HWND box = Control(main_, 1000);
  ws::SetTick(box, 1);
  ws::Destroy(box);
  ws::SetTick(box, 0);
  EXPECT_EQ(box->tick, 1);  // unchanged, but no longer readable
  EXPECT_EQ(ws::ReadTick(box), 0);
  ws::SetMark(box, ws::CreateMarkFont(700, false, false));
  EXPECT_EQ(box->font, nullptr);
  ws::Enable(box, false);
  EXPECT_TRUE(box->enabled);
  ws::SetTitle(box, "title");
  EXPECT_EQ(box->text, "control");
  ws::Destroy(box);  // twice: nothing
  for (HWND none : {static_cast<HWND>(nullptr), box}) {
    EXPECT_EQ(ws::ReadTick(none), 0);
    EXPECT_EQ(ws::ClientRect(none), Rect{});
    EXPECT_EQ(ws::AverageCharWidth(none), 0);
    EXPECT_EQ(ws::MeasureWrappedHeight(none, "text", 100), 0);
    EXPECT_EQ(ws::FirstChild(none), nullptr);
    EXPECT_EQ(ws::CreateButton(none, "x", 0x50000000, 0, 0, 1, 1, 5, nullptr), nullptr);
    ws::Invalidate(none, {0, 0, 1, 1});
    ws::RepaintNow(none);
    ws::DrawWrappedNow(none, "x", {});
    ws::PostStart(none);
    EXPECT_FALSE(fake::Click(none));
  }
  ws::SetTransparent(nullptr);
  ws::DrawWrapped(nullptr, "x", {});
  EXPECT_TRUE(fake::DrawLog().empty());
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(fake::PaintCount(), 0);
}

TEST_F(FakeTest, MainWindowMeasures) {
  EXPECT_EQ(ws::ClientRect(main_), (Rect{0, 0, 1000, 700}));
  EXPECT_EQ(ws::AverageCharWidth(main_), 8);
  EXPECT_EQ(fake::MainWindow(), main_);
}

TEST_F(FakeTest, MeasurerBreaksAtSpacesAndLineFeedsButNeverInsideAWord) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(fake::WrapLines("", 100), Lines{""});  // one line, as DrawText measures it
  EXPECT_EQ(ws::MeasureWrappedHeight(main_, "", 100), 16);
  EXPECT_EQ(fake::WrapLines("ab\ncd\r\nef\rgh", 100), (Lines{"ab", "cd", "ef", "gh"}));
  EXPECT_EQ(fake::WrapLines("ab\n\ncd", 100), (Lines{"ab", "", "cd"}));
  EXPECT_EQ(fake::WrapLines("ab\n", 100), Lines{"ab"});
  EXPECT_EQ(ws::MeasureWrappedHeight(main_, "aaaa bbbb cccc", 71), 48);
  // Line counts as DrawText (DT_CALCRECT | DT_WORDBREAK) gives them under Wine with a fixed-pitch
  // font, widths in characters: a word wider than the line is never broken, and a break drops
  // only one space.
  struct Case {
    const char* text;
    int chars;
    std::size_t lines;
  };
  const Case cases[] = {
      {"aaaa bbbb", 9, 1},
      {"aaaa bbbb", 8, 2},
      {"aaaa  bbbb cc", 10, 2},
      {"abcdefghij", 4, 1},
      {"ab abcdefghij", 4, 2},
      {"  ab cd", 5, 2},
      {"ab   ", 2, 2},
      {"abc", 0, 1},
      {"      abcdefghij", 4, 3},
      {"  abcdefghij", 4, 2},
      {"  abcd", 4, 2},
      {"  abc", 4, 2},
      {"abcdefghij ab", 4, 2},
      {"abcdefghij abcdefghij", 4, 2},
      {"   ", 2, 1},
      {"ab      cd", 4, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fake::WrapLines(c.text, c.chars * fake::kCharWidth).size(), c.lines)
        << '"' << c.text << "\" at " << c.chars;
  }
  EXPECT_EQ(fake::WrapLines("aaaa bbbb", 64), (Lines{"aaaa ", "bbbb"}));
  EXPECT_EQ(fake::WrapLines("ab abcdefghij cd", 32), (Lines{"ab ", "abcdefghij", "cd"}));
}

TEST_F(FakeTest, AutoCheckBoxTogglesBeforeItsCommandArrives) {
  HWND box = Control(main_, 1234);
  EXPECT_TRUE(ClickAndNote(box));
  EXPECT_EQ(box->tick, 1);
  ASSERT_EQ(commands_.size(), 1u);
  EXPECT_EQ(commands_[0], std::make_pair(main_, 1234u));
  EXPECT_EQ(ticksAtCommand_[0], 1);
  EXPECT_TRUE(ClickAndNote(box));
  EXPECT_EQ(box->tick, 0);
  EXPECT_EQ(ticksAtCommand_[1], 0);
  box->tick = 2;  // indeterminate (forced; BM_SETCHECK gives 1) counts as not ticked
  EXPECT_TRUE(ClickAndNote(box));
  EXPECT_EQ(box->tick, 1);
  // A push button has no tick; its command still arrives.
  HWND ok = Control(main_, 300, 0x50000000);
  EXPECT_TRUE(ClickAndNote(ok));
  EXPECT_EQ(ok->tick, 0);
  EXPECT_EQ(commands_.back(), std::make_pair(main_, 300u));
}

TEST_F(FakeTest, CommandsCarryTheLowWordOfTheIdentifierOnly) {
  HWND big = Control(main_, 65536 + 1000);
  EXPECT_TRUE(fake::Click(big));
  EXPECT_EQ(commands_.back().second, 1000u);
}

TEST_F(FakeTest, DisabledOrDestroyedControlsTakeNoClick) {
  HWND box = Control(main_, 1000);
  ws::Enable(box, false);
  EXPECT_FALSE(fake::Click(box));
  EXPECT_EQ(box->tick, 0);
  ws::Enable(box, true);
  ws::Enable(main_, false);  // e.g. under a modal box
  EXPECT_FALSE(fake::Click(box));
  ws::Enable(main_, true);
  ws::Destroy(box);
  EXPECT_FALSE(fake::Click(box));
  EXPECT_TRUE(commands_.empty());
  EXPECT_FALSE(fake::Click(main_));  // not a control
}

TEST_F(FakeTest, RadioButtonSelectionClearsTheOthersOfItsParentOnly) {
  HWND chooser = ws::CreateChooserWindow(nullptr, main_, "Base\\1.txt", 10, 20, 810, 150);
  HWND other = ws::CreateChooserWindow(nullptr, main_, "Base\\2.txt", 10, 20, 810, 150);
  HWND r0 = Control(chooser, 100, 0x50002009);
  HWND r1 = Control(chooser, 101, 0x50002009);
  HWND box = Control(chooser, 5, 0x50002003);
  HWND elsewhere = Control(other, 100, 0x50002009);
  ws::SetTick(box, 1);
  ws::SetTick(elsewhere, 1);
  EXPECT_TRUE(fake::Click(r0));
  EXPECT_TRUE(fake::Click(r1));
  EXPECT_EQ(r0->tick, 0);
  EXPECT_EQ(r1->tick, 1);
  EXPECT_EQ(box->tick, 1);
  EXPECT_EQ(elsewhere->tick, 1);
  EXPECT_TRUE(fake::Click(r1));  // selecting again keeps it selected
  EXPECT_EQ(r1->tick, 1);
  ASSERT_EQ(commands_.size(), 3u);
  EXPECT_EQ(commands_[0], std::make_pair(chooser, 100u));
  EXPECT_EQ(commands_[1], std::make_pair(chooser, 101u));
}

TEST_F(FakeTest, DestroyRemovesTheWindowWithItsChildrenAndOwnedWindows) {
  HWND chooser = ws::CreateChooserWindow(nullptr, main_, "t", 0, 0, 810, 150);
  EXPECT_EQ(chooser->className, "OwnedWClass");
  EXPECT_EQ(chooser->parent, main_);
  EXPECT_EQ(chooser->text, "t");
  EXPECT_EQ(ws::ClientRect(chooser), (Rect{0, 0, 810, 150}));
  HWND radio = Control(chooser, 100, 0x50002009);
  Control(main_, 1000);
  EXPECT_EQ(fake::LiveWindowCount(), 4);
  EXPECT_EQ(fake::LiveChoosers(), std::vector<HWND>{chooser});
  EXPECT_TRUE(fake::LiveChildren(main_).size() == 1u);  // an owned window is not a child
  fake::Close(radio);                                   // not a top-level window: nothing
  EXPECT_TRUE(radio->alive);
  fake::Close(chooser);
  EXPECT_FALSE(chooser->alive);
  EXPECT_FALSE(radio->alive);
  EXPECT_EQ(fake::LiveWindowCount(), 2);
  EXPECT_FALSE(fake::QuitPosted());

  HWND second = ws::CreateChooserWindow(nullptr, main_, "t", 0, 0, 810, 150);
  fake::Close(main_);
  EXPECT_FALSE(second->alive);
  EXPECT_EQ(fake::LiveWindowCount(), 0);
  EXPECT_TRUE(fake::QuitPosted());
  EXPECT_EQ(ws::CreateChooserWindow(nullptr, main_, "t", 0, 0, 1, 1), nullptr);
}

TEST_F(FakeTest, DestroyingAChooserRunsItsDestroyHandler) {
  // The chooser's WM_DESTROY gives the main window (the board's) back: enabled and on top.
  HWND saved = OnScreen2.hWnd;
  OnScreen2.hWnd = main_;
  HWND chooser = ws::CreateChooserWindow(nullptr, main_, "t", 0, 0, 810, 150);
  ws::Enable(main_, false);
  ws::Destroy(chooser);
  OnScreen2.hWnd = saved;
  EXPECT_TRUE(main_->enabled);
  EXPECT_EQ(main_->broughtToTop, 1);
  // Destroying a control runs no such handler.
  ws::Enable(main_, false);
  ws::Destroy(Control(main_, 5));
  EXPECT_FALSE(main_->enabled);
}

TEST_F(FakeTest, RepaintRunsOnlyWhenSomethingIsInvalid) {
  ws::RepaintNow(main_);
  EXPECT_EQ(fake::PaintCount(), 0);
  ws::Invalidate(main_, {1, 2, 3, 4});
  ws::Invalidate(main_, {5, 6, 7, 8});
  EXPECT_TRUE(fake::HasInvalid(main_));
  EXPECT_EQ(fake::Invalidated(main_), (std::vector<Rect>{{1, 2, 3, 4}, {5, 6, 7, 8}}));
  ws::RepaintNow(main_);
  EXPECT_EQ(fake::PaintCount(), 1);
  EXPECT_FALSE(fake::HasInvalid(main_));
  EXPECT_TRUE(fake::Invalidated(main_).empty());
  EXPECT_EQ(fake::InvalidationLog(main_).size(), 2u);
  ws::RepaintNow(main_);
  EXPECT_EQ(fake::PaintCount(), 1);
  // A destroyed visible control uncovers its area, which is repainted next.
  HWND box = Control(main_, 1000, 0x50002003, 10, 20);
  HWND hidden = Control(main_, 1001, 0x40002003, 10, 40);
  ws::Destroy(hidden);
  EXPECT_FALSE(fake::HasInvalid(main_));
  ws::Destroy(box);
  EXPECT_EQ(fake::Invalidated(main_), (std::vector<Rect>{{10, 20, 110, 40}}));
  EXPECT_EQ(fake::InvalidationLog(main_).size(), 2u);  // not the program's own
  ws::RepaintNow(main_);
  EXPECT_EQ(fake::PaintCount(), 2);
  // What lies outside the client area (1000 x 700), or is empty, leaves nothing to repaint, as
  // Windows clips the update region; a rectangle across the edge is clipped to it.
  ws::Invalidate(main_, {10, 700, 100, 750});
  ws::Invalidate(main_, {10, 10, 10, 40});
  ws::Destroy(Control(main_, 1002, 0x50002003, 10, 720));
  EXPECT_FALSE(fake::HasInvalid(main_));
  EXPECT_EQ(fake::InvalidationLog(main_).size(), 4u);
  ws::Invalidate(main_, {-5, 690, 100, 750});
  EXPECT_EQ(fake::Invalidated(main_), (std::vector<Rect>{{0, 690, 100, 700}}));
}

TEST_F(FakeTest, DrawingIsLogged) {
  ws::DrawWrappedNow(main_, "now", {1, 2, 3, 4});
  ASSERT_EQ(fake::DrawLog().size(), 1u);
  EXPECT_EQ(fake::DrawLog()[0].text, "now");
  EXPECT_EQ(fake::DrawLog()[0].rect, (Rect{1, 2, 3, 4}));
  EXPECT_TRUE(fake::DrawLog()[0].transparent);
  EXPECT_FALSE(fake::DrawLog()[0].duringPaint);
  HDC__ context{main_, false, false};
  ws::DrawWrapped(&context, "opaque", {});
  ws::SetTransparent(&context);
  ws::DrawWrapped(&context, "clear", {});
  EXPECT_FALSE(fake::DrawLog()[1].transparent);
  EXPECT_TRUE(fake::DrawLog()[2].transparent);
  fake::ClearDrawLog();
  EXPECT_TRUE(fake::DrawLog().empty());
}

TEST_F(FakeTest, BoxesAreRecordedAndTheirOwnerIsDisabledWhileUp) {
  std::vector<bool> ownerEnabled;
  std::vector<bool> keysTranslated;
  fake::SetBoxHook([&](const fake::Box& box) {
    EXPECT_EQ(fake::BoxDepth(), 1);
    if (box.owner != nullptr) ownerEnabled.push_back(box.owner->enabled);
    keysTranslated.push_back(fake::TypeChar('1'));  // the box's own loop has the keys
  });
  ws::ShowBox(main_, "text", "Statistics", 0x40);
  ws::ShowBox(nullptr, "Game over", "Game over", 0);
  ASSERT_EQ(fake::Boxes().size(), 2u);
  EXPECT_EQ(fake::Boxes()[0].owner, main_);
  EXPECT_EQ(fake::Boxes()[0].text, "text");
  EXPECT_EQ(fake::Boxes()[0].caption, "Statistics");
  EXPECT_EQ(fake::Boxes()[0].style, 0x40u);
  EXPECT_EQ(fake::Boxes()[1].owner, nullptr);
  EXPECT_EQ(ownerEnabled, std::vector<bool>{false});
  EXPECT_EQ(keysTranslated, (std::vector<bool>{false, false}));
  EXPECT_TRUE(main_->enabled);
  EXPECT_EQ(fake::BoxDepth(), 0);
  EXPECT_TRUE(commands_.empty());
}

TEST_F(FakeTest, TypedCharactersGoThroughTheAcceleratorTable) {
  EXPECT_TRUE(fake::TypeChar('1'));
  EXPECT_TRUE(fake::TypeChar('<'));
  EXPECT_TRUE(fake::TypeChar('\r'));
  EXPECT_TRUE(fake::TypeChar(' '));
  EXPECT_FALSE(fake::TypeChar('0'));
  EXPECT_FALSE(fake::TypeChar('='));
  EXPECT_FALSE(fake::TypeChar('\n'));
  const std::vector<std::pair<HWND, unsigned>> expected = {{main_, 10000u | 1u << 16},
                                                           {main_, 10011u | 1u << 16},
                                                           {main_, 300u | 1u << 16},
                                                           {main_, 300u | 1u << 16}};
  EXPECT_EQ(commands_, expected);
  fake::Command(20);
  EXPECT_EQ(commands_.back(), std::make_pair(main_, 20u));
  ws::Destroy(main_);
  EXPECT_FALSE(fake::TypeChar('1'));
}

TEST_F(FakeTest, PostedStartsWaitForThePump) {
  ws::PostStart(main_);
  ws::PostStart(main_);
  EXPECT_EQ(fake::PendingPosts(), 2u);
  EXPECT_EQ(fake::Pump(), 2u);
  EXPECT_EQ(fake::PendingPosts(), 0u);
  EXPECT_EQ(fake::Pump(), 0u);
  ws::PostStart(main_);
  fake::Close(main_);  // the message of a destroyed window is dropped
  EXPECT_EQ(fake::Pump(), 0u);
}

TEST_F(FakeTest, MenusInsertBeforeTheNamedItemOrAppend) {
  HMENU bar = ws::CreateMenuBar();
  HMENU popup = ws::CreatePopup();
  EXPECT_FALSE(bar->popup);
  EXPECT_TRUE(popup->popup);
  EXPECT_TRUE(ws::AddMenuItem(popup, "a", 1, 10, nullptr));
  EXPECT_TRUE(ws::AddMenuItem(popup, "b", 1, 12, nullptr));
  EXPECT_TRUE(ws::AddMenuItem(popup, "c", 12, 11, nullptr));  // before "b"
  EXPECT_TRUE(ws::AddMenuItem(bar, "bar", 0, 0, popup));
  EXPECT_FALSE(ws::AddMenuItem(nullptr, "x", 0, 1, nullptr));
  ASSERT_EQ(popup->items.size(), 3u);
  EXPECT_EQ(popup->items[0].text, "a");
  EXPECT_EQ(popup->items[1].text, "c");
  EXPECT_EQ(popup->items[1].id, 11u);
  EXPECT_EQ(popup->items[2].text, "b");
  ASSERT_EQ(bar->items.size(), 1u);
  EXPECT_EQ(bar->items[0].submenu, popup);
}

TEST_F(FakeTest, FontsRecordWhatWasAskedFor) {
  HFONT bold = ws::CreateMarkFont(700, true, false);
  EXPECT_EQ(bold->weight, 700);
  EXPECT_TRUE(bold->underline);
  EXPECT_FALSE(bold->strikeOut);
  EXPECT_EQ(fake::Fonts(), std::vector<HFONT>{bold});
  HWND box = Control(main_, 1000);
  EXPECT_EQ(box->font, fake::DefaultFont());
  ws::SetMark(box, bold);
  EXPECT_EQ(box->font, bold);
}

TEST_F(FakeTest, ResetLeavesOldHandlesReadableAsDestroyed) {
  HWND box = Control(main_, 1000);
  fake::Reset();
  EXPECT_FALSE(box->alive);
  EXPECT_FALSE(main_->alive);
  EXPECT_EQ(ws::ReadTick(box), 0);
  EXPECT_EQ(fake::LiveWindowCount(), 0);
  EXPECT_EQ(fake::MainWindow(), nullptr);
  ws::Destroy(box);
}

}  // namespace
