// The board's slot operations: hiding, removing, clearing, shifting and repainting.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "board_test_util.h"

namespace {

using boardtest::AddQuestion;

class SlotsTest : public boardtest::BoardTest {
 protected:
  // Puts question q into slot i by hand: rectangles from `top`, `boxes` check boxes with
  // identifiers from `idBase`, and an OK button if asked.
  void Fill(int i, int q, int top, int boxes, bool ok, bool visible = true, int idBase = 1000) {
    SingleVisualEntry2& s = Slot(i);
    int x0 = i < 32 ? 15 : 515;
    s.Question = q;
    s.TextRect = {x0, top, x0 + 485, top + 31};
    s.VrntRect = {x0, top + 31, x0 + 485, top + 31 + 20 * boxes};
    for (int j = 0; j < boxes; ++j) {
      s.hVrnt[j] = ws::CreateButton(main_, "v", 0x50002003, x0, top + 31 + 20 * j, 485, 20,
                                    idBase + j, nullptr);
    }
    s.IdBase = boxes > 0 ? idBase : 0;
    s.hOK =
        ok ? ws::CreateButton(main_, "OK", 0x50000000, x0, s.VrntRect.bottom, 470, 30, 300, nullptr)
           : nullptr;
    s.bVisible = visible;
  }
  bool Logged(const Rect& r) {
    const auto& log = fake::InvalidationLog(main_);
    return std::find(log.begin(), log.end(), r) != log.end();
  }
};

TEST_F(SlotsTest, ANewBoardIsEmptyAndPaintsNothing) {
  for (const SingleVisualEntry2& s : OnScreen2.Entry) {
    EXPECT_EQ(s.Question, -1);
    EXPECT_FALSE(s.bVisible);
    EXPECT_EQ(s.hOK, nullptr);
  }
  EXPECT_EQ(OnScreen2.CurrentSlot, -1);
  EXPECT_TRUE(OnScreen2.bAsk);
  EXPECT_TRUE(OnScreen2.bAllRight);
  ws::Invalidate(main_, OnScreen2.Client);
  ws::RepaintNow(main_);
  EXPECT_EQ(fake::PaintCount(), 1);
  EXPECT_TRUE(fake::DrawLog().empty());
}

TEST_F(SlotsTest, HideAllOnlyHides) {
  AddQuestion("a", {"x", "y"});
  Fill(0, 0, 10, 2, false);
  Fill(1, 0, 100, 1, true);
  OnScreen2.CurrentSlot = 1;
  HWND box = Slot(0).hVrnt[1];
  OnScreen2.HideAll();
  EXPECT_EQ(OnScreen2.CurrentSlot, -1);
  for (const SingleVisualEntry2& s : OnScreen2.Entry) EXPECT_FALSE(s.bVisible);
  EXPECT_EQ(Slot(0).Question, 0);
  EXPECT_EQ(Slot(0).TextRect, (Rect{15, 10, 500, 41}));
  EXPECT_EQ(Slot(0).hVrnt[1], box);
  EXPECT_TRUE(box->alive);
  EXPECT_NE(Slot(1).hOK, nullptr);
  EXPECT_EQ(fake::LiveChildren(main_).size(), 4u);
}

TEST_F(SlotsTest, HideAllThenRemoveInvisibleEmptiesTheBoard) {
  AddQuestion("a", {"x", "y", "z"});
  Fill(0, 0, 10, 3, false);
  Fill(1, 0, 100, 2, false, false);  // already hidden
  Fill(40, 0, 10, 1, true);
  OnScreen2.CurrentSlot = 40;
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  EXPECT_TRUE(fake::LiveChildren(main_).empty());
  for (const SingleVisualEntry2& s : OnScreen2.Entry) {
    for (int j = 0; j < 12; ++j) EXPECT_EQ(s.hVrnt[j], nullptr);
    EXPECT_EQ(s.hOK, nullptr);
    EXPECT_EQ(s.IdBase, 0);
  }
  EXPECT_TRUE(Logged(Slot(0).TextRect));
  EXPECT_TRUE(Logged(Slot(1).TextRect));
  EXPECT_TRUE(Logged(Slot(40).TextRect));
  EXPECT_EQ(fake::InvalidationLog(main_).size(), 3u);
  EXPECT_FALSE(fake::HasInvalid(main_));  // repainted before returning
  // A second call invalidates the text areas again, though nothing is left to destroy.
  fake::ClearInvalidationLog(main_);
  OnScreen2.RemoveInvisible();
  EXPECT_EQ(fake::InvalidationLog(main_).size(), 3u);
}

TEST_F(SlotsTest, RemoveInvisibleKeepsOnlyTheCurrentSlotsOkButton) {
  AddQuestion("a", {"x"});
  Fill(0, 0, 10, 1, true);          // visible, not current: loses its OK
  Fill(1, 0, 100, 1, true, false);  // current but invisible: keeps its OK, loses its boxes
  OnScreen2.CurrentSlot = 1;
  HWND visibleBox = Slot(0).hVrnt[0];
  HWND currentOk = Slot(1).hOK;
  OnScreen2.RemoveInvisible();
  EXPECT_EQ(Slot(0).hOK, nullptr);
  EXPECT_EQ(Slot(0).hVrnt[0], visibleBox);
  EXPECT_TRUE(visibleBox->alive);
  EXPECT_EQ(Slot(1).hOK, currentOk);
  EXPECT_TRUE(currentOk->alive);
  EXPECT_EQ(Slot(1).hVrnt[0], nullptr);
  EXPECT_FALSE(Logged(Slot(0).TextRect));
  EXPECT_TRUE(Logged(Slot(1).TextRect));
}

TEST_F(SlotsTest, RemoveInvisibleLeavesASlotWithoutAQuestionToTheOkRule) {
  Fill(5, -1, 10, 1, true, false);
  OnScreen2.CurrentSlot = 0;
  HWND box = Slot(5).hVrnt[0];
  OnScreen2.RemoveInvisible();
  EXPECT_EQ(Slot(5).hVrnt[0], box);
  EXPECT_TRUE(box->alive);
  EXPECT_EQ(Slot(5).hOK, nullptr);
  EXPECT_TRUE(fake::InvalidationLog(main_).empty());
}

TEST_F(SlotsTest, RemoveInvisibleRepaintsOnlyWhenSomethingIsInvalid) {
  AddQuestion("first task", {"x"});
  AddQuestion("second task", {"y"});
  Fill(0, 0, 10, 1, false);
  OnScreen2.CurrentSlot = 0;
  OnScreen2.RemoveInvisible();  // nothing hidden, no OK to destroy
  EXPECT_EQ(fake::PaintCount(), 0);

  Fill(1, 1, 100, 1, false, false);
  OnScreen2.RemoveInvisible();
  EXPECT_EQ(fake::PaintCount(), 1);
  // The repaint ran inside, transparent, and drew the visible slot only.
  ASSERT_EQ(fake::DrawLog().size(), 1u);
  EXPECT_EQ(fake::DrawLog()[0].text, "first task");
  EXPECT_EQ(fake::DrawLog()[0].rect, Slot(0).TextRect);
  EXPECT_TRUE(fake::DrawLog()[0].duringPaint);
  EXPECT_TRUE(fake::DrawLog()[0].transparent);
}

TEST_F(SlotsTest, PaintDrawsEveryVisibleSlotAndSkipsTheRest) {
  AddQuestion("zero", {});
  AddQuestion("one", {});
  Fill(3, 1, 10, 0, false);
  Fill(35, 0, 10, 0, false);
  Fill(4, 0, 60, 0, false, false);  // a question, but hidden
  Fill(6, 7, 120, 0, false);        // names a question the topic no longer has
  ws::Invalidate(main_, OnScreen2.Client);
  ws::RepaintNow(main_);
  ASSERT_EQ(fake::DrawLog().size(), 2u);
  EXPECT_EQ(fake::DrawLog()[0].text, "one");
  EXPECT_EQ(fake::DrawLog()[0].rect, Slot(3).TextRect);
  EXPECT_EQ(fake::DrawLog()[1].text, "zero");
  EXPECT_EQ(fake::DrawLog()[1].rect, Slot(35).TextRect);
  // Nothing invalid: no second paint.
  ws::RepaintNow(main_);
  EXPECT_EQ(fake::PaintCount(), 1);
}

TEST_F(SlotsTest, CleanerRemovesEveryChildAndLeavesTheSlots) {
  Fill(0, 0, 10, 2, true);
  ws::CreateButton(main_, "stray", 0x50002003, 0, 0, 10, 10, 1234, nullptr);
  HWND box = Slot(0).hVrnt[0];
  OnScreen2.Cleaner();
  EXPECT_EQ(ws::FirstChild(main_), nullptr);
  EXPECT_TRUE(fake::LiveChildren(main_).empty());
  EXPECT_EQ(fake::LiveWindowCount(), 1);  // the main window
  EXPECT_EQ(Slot(0).hVrnt[0], box);       // left for RemoveInvisible to have emptied
  OnScreen2.Cleaner();                    // nothing left: returns at once
}

// Slots 0 to 31 (or 32 to 63) each get a question, rectangles and controls of their own.
class InsertTest : public SlotsTest {
 protected:
  void FillColumn(int first) {
    for (int i = first; i < first + 32; ++i) Fill(i, i, 10 + 20 * (i - first), 1, false);
  }
};

TEST_F(InsertTest, MovesTheRestOfTheLeftColumnDownOneSlot) {
  FillColumn(0);
  FillColumn(32);
  // On the heap: 64 slots are too large for the stack.
  std::vector<SingleVisualEntry2> before(OnScreen2.Entry, OnScreen2.Entry + 64);
  HWND lastBox = Slot(31).hVrnt[0];
  OnScreen2.InsertPosition(5);
  for (int i = 6; i <= 31; ++i) {
    EXPECT_EQ(Slot(i).Question, before[i - 1].Question) << i;
    EXPECT_EQ(Slot(i).TextRect, before[i - 1].TextRect) << i;
    EXPECT_EQ(Slot(i).VrntRect, before[i - 1].VrntRect) << i;
    EXPECT_EQ(Slot(i).hVrnt[0], before[i - 1].hVrnt[0]) << i;
    EXPECT_EQ(Slot(i).IdBase, before[i - 1].IdBase) << i;
    EXPECT_TRUE(Slot(i).bVisible) << i;
  }
  // Slot 5 keeps a copy of its question and rectangles, without controls.
  EXPECT_EQ(Slot(5).Question, 5);
  EXPECT_EQ(Slot(5).TextRect, before[5].TextRect);
  EXPECT_EQ(Slot(5).hVrnt[0], nullptr);
  EXPECT_EQ(Slot(5).IdBase, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Slot(i).hVrnt[0], before[i].hVrnt[0]);
  for (int i = 32; i < 64; ++i) EXPECT_EQ(Slot(i).Question, i);
  // Former slot 31 is gone, and so are its controls.
  EXPECT_FALSE(lastBox->alive);
}

TEST_F(InsertTest, MovesOnlyTheRightColumnForARightSlot) {
  FillColumn(0);
  FillColumn(32);
  OnScreen2.InsertPosition(40);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(Slot(i).Question, i);
  for (int i = 41; i < 64; ++i) EXPECT_EQ(Slot(i).Question, i - 1);
  EXPECT_EQ(Slot(40).hVrnt[0], nullptr);
  for (int i = 32; i < 40; ++i) EXPECT_EQ(Slot(i).Question, i);
}

TEST_F(InsertTest, SlotThirtyMovesAlone) {
  FillColumn(0);
  HWND box = Slot(30).hVrnt[0];
  OnScreen2.InsertPosition(30);
  EXPECT_EQ(Slot(31).Question, 30);
  EXPECT_EQ(Slot(31).hVrnt[0], box);
  EXPECT_EQ(Slot(30).hVrnt[0], nullptr);
  EXPECT_EQ(Slot(29).Question, 29);
}

TEST_F(InsertTest, TheLastSlotOfAColumnAndSlotsOutOfRangeMoveNothing) {
  FillColumn(0);
  FillColumn(32);
  for (int a : {31, 32, 63, 64, -1, 1000}) {
    OnScreen2.InsertPosition(a);
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(Slot(i).Question, i) << a;
      ASSERT_NE(Slot(i).hVrnt[0], nullptr) << a;
    }
  }
  EXPECT_EQ(fake::LiveChildren(main_).size(), 64u);
}

TEST_F(InsertTest, TheOverwrittenSlotsTextAreaIsRepaintedWhenItWasShown) {
  FillColumn(0);
  Rect lastText = Slot(31).TextRect;
  OnScreen2.InsertPosition(10);
  EXPECT_TRUE(Logged(lastText));

  Slot(31).bVisible = false;
  fake::ClearInvalidationLog(main_);
  lastText = Slot(31).TextRect;
  OnScreen2.InsertPosition(10);
  EXPECT_FALSE(Logged(lastText));
}

}  // namespace
