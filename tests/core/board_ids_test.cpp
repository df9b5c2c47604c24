// Control identifiers of the board: no control left behind that a lookup could find instead of
// the current question's, and check box identifiers that stay clear of the OK button and the
// answer keys however large the topic.
#include <gtest/gtest.h>

#include <set>

#include "board_test_util.h"

namespace {

using boardtest::AddQuestion;
using boardtest::RowsVariants;
using boardtest::TaskLines;

class IdsTest : public boardtest::BoardTest {
 protected:
  // The check boxes among the main window's live children.
  std::vector<HWND> LiveBoxes() {
    std::vector<HWND> boxes;
    for (HWND child : fake::LiveChildren(main_)) {
      if ((child->style & 0xF) == 3) boxes.push_back(child);
    }
    return boxes;
  }
  // What the quiz relies on after every placement.
  void ExpectCurrentQuestionFoundById() {
    const SingleVisualEntry2& s = Slot(OnScreen2.CurrentSlot);
    const QuestionClass* q = Topic_test.Get(s.Question);
    for (int k = 0; k < 12; ++k) {
      if (!q->Vrnt[k].bExists) continue;
      ASSERT_NE(s.hVrnt[k], nullptr);
      EXPECT_EQ(AnswerId(k), s.hVrnt[k]->id) << k;
      EXPECT_EQ(ws::FindChild(main_, AnswerId(k)), s.hVrnt[k]) << k;
    }
  }
};

// The left column is filled with 32 questions; a tall one in the right column sends the board
// back to the top, where a short question is placed, and the next one is inserted in front of
// the old slot 1, which pushes slot 30 onto slot 31 while slot 31 still shows question 31.
TEST_F(IdsTest, TheOverwrittenLastSlotLeavesNoControlBehind) {
  SetUpBoard(1000, 2200);
  AddQuestion(TaskLines(1), RowsVariants({8, 8, 8}));  // slot 0, ends at 521
  for (int i = 1; i < 32; ++i) AddQuestion(TaskLines(1), RowsVariants({1}));
  int tall = AddQuestion(TaskLines(13), RowsVariants({8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 8, 6}));
  int short1 = AddQuestion(TaskLines(1), RowsVariants({1}));
  int short2 = AddQuestion(TaskLines(1), RowsVariants({1}));
  for (int q = 0; q < 32; ++q) ASSERT_TRUE(PlaceQuestion2(q));
  ASSERT_EQ(OnScreen2.CurrentSlot, 31);
  HWND oldBox = Slot(31).hVrnt[0];
  const int oldId = oldBox->id;
  ASSERT_TRUE(PlaceQuestion2(tall));
  ASSERT_EQ(OnScreen2.CurrentSlot, 32);
  ASSERT_TRUE(PlaceQuestion2(short1));
  ASSERT_EQ(OnScreen2.CurrentSlot, 0);
  ASSERT_TRUE(PlaceQuestion2(short2));
  ASSERT_EQ(OnScreen2.CurrentSlot, 1);
  ASSERT_EQ(Slot(31).Question, 30);  // question 31 was pushed off the column

  EXPECT_FALSE(oldBox->alive);
  EXPECT_EQ(ws::FindChild(main_, oldId), nullptr);
  // Every live control belongs to exactly one slot.
  std::set<HWND> held;
  for (const SingleVisualEntry2& s : OnScreen2.Entry) {
    for (int j = 0; j < 12; ++j) {
      if (s.hVrnt[j] != nullptr) {
        EXPECT_TRUE(held.insert(s.hVrnt[j]).second);
      }
    }
    if (s.hOK != nullptr) {
      EXPECT_TRUE(held.insert(s.hOK).second);
    }
  }
  for (HWND child : fake::LiveChildren(main_)) EXPECT_EQ(held.count(child), 1u) << child->id;

  // Next round: question 31 comes back with the same identifiers, and the lookup must find
  // its new check box, not the one left over from the last round.
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  EXPECT_TRUE(fake::LiveChildren(main_).empty());
  ASSERT_TRUE(PlaceQuestion2(31));
  EXPECT_EQ(AnswerId(0), oldId);
  EXPECT_EQ(ws::FindChild(main_, AnswerId(0)), Slot(OnScreen2.CurrentSlot).hVrnt[0]);
  EXPECT_EQ(ws::FindChild(main_, 300), Slot(OnScreen2.CurrentSlot).hOK);
}

TEST_F(IdsTest, AnOverwrittenOkButtonIsDestroyedToo) {
  AddQuestion(TaskLines(1), RowsVariants({1}));
  ASSERT_TRUE(PlaceQuestion2(0));
  // Hand the board's only OK button to the column's last slot, as if it had been left there.
  Slot(31) = Slot(0);
  Slot(0).hOK = nullptr;
  Slot(0).hVrnt[0] = nullptr;
  HWND oldOk = Slot(31).hOK;
  OnScreen2.InsertPosition(5);
  EXPECT_FALSE(oldOk->alive);
  EXPECT_EQ(ws::FindChild(main_, 300), nullptr);
}

TEST_F(IdsTest, ASmallTopicNumbersItsVariantsInChainOrder) {
  AddQuestion(TaskLines(1), RowsVariants({1, 1, 1}));
  AddQuestion(TaskLines(1), {});
  AddQuestion(TaskLines(1), RowsVariants({1, 1}));
  for (int q = 0; q < 3; ++q) ASSERT_TRUE(PlaceQuestion2(q));
  EXPECT_EQ(Slot(0).IdBase, 1000);
  EXPECT_EQ(Slot(1).IdBase, 0);
  EXPECT_EQ(Slot(2).IdBase, 1003);
  EXPECT_EQ(Slot(2).hVrnt[1]->id, 1004);
  EXPECT_EQ(AnswerId(1), 1004);
  EXPECT_EQ(AnswerId(12), 0);
  EXPECT_EQ(AnswerId(-1), 0);
  OnScreen2.HideAll();
  EXPECT_EQ(AnswerId(0), 0);  // no current question
}

// 750 questions of 12 variants: the last ones end exactly at 9999.
TEST_F(IdsTest, TheRunningNumberIsKeptWhileTheWholeTopicStaysBelowTheAnswerKeys) {
  for (int i = 0; i < 750; ++i) {
    AddQuestion(TaskLines(1), RowsVariants({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
  }
  Topic_test.BuildIndex();
  ASSERT_TRUE(PlaceQuestion2(749));
  EXPECT_EQ(Slot(0).IdBase, 1000 + 749 * 12);
  EXPECT_EQ(Slot(0).hVrnt[11]->id, 9999);

  // One variant more and the topic no longer fits: each question gets the lowest block of
  // twelve that no other slot's check boxes use (slot 0 now holds block 749).
  AddQuestion(TaskLines(1), RowsVariants({1}));
  Topic_test.BuildIndex();
  ASSERT_TRUE(PlaceQuestion2(749));
  ASSERT_TRUE(PlaceQuestion2(748));
  ASSERT_EQ(OnScreen2.CurrentSlot, 32);
  EXPECT_EQ(Slot(1).IdBase, 1000);
  EXPECT_EQ(Slot(1).hVrnt[11]->id, 1011);
  EXPECT_EQ(Slot(32).IdBase, 1012);
  EXPECT_EQ(AnswerId(3), 1015);
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  for (int i : {0, 1, 32}) EXPECT_EQ(Slot(i).IdBase, 0);
  ASSERT_TRUE(PlaceQuestion2(750));
  EXPECT_EQ(Slot(0).IdBase, 1000);  // freed blocks are used again
}

// 1,700 questions of 12 variants (20,400 in all) placed in order, round after round of the
// board: every live check box keeps an identifier of its own between 1000 and 9999, and the
// current question's boxes are found by AnswerId.
TEST_F(IdsTest, ALargeTopicKeepsIdentifiersDistinctAndBelowTheAnswerKeys) {
  for (int i = 0; i < 1700; ++i) {
    // Heights vary so that columns fill unevenly and the board inserts and hides.
    AddQuestion(TaskLines(1 + i % 4),
                RowsVariants({1 + i % 3, 1, 2, 1, 1 + i % 5, 1, 1, 1, 1, 1 + i % 2, 1, 1}));
  }
  Topic_test.BuildIndex();
  ASSERT_EQ(Topic_test.GetIDComponent(Topic_test.Count), 20400);
  for (int q = 0; q < 1700; q += 3) {
    ASSERT_TRUE(PlaceQuestion2(q));
    std::set<int> ids;
    for (HWND box : LiveBoxes()) {
      ASSERT_GE(box->id, 1000);
      ASSERT_LE(box->id, 9999);
      ASSERT_TRUE(ids.insert(box->id).second) << "duplicate " << box->id << " at " << q;
    }
    ExpectCurrentQuestionFoundById();
    if (q % 300 == 0) {  // a round ends now and then
      OnScreen2.HideAll();
      OnScreen2.RemoveInvisible();
    }
  }
}

}  // namespace
