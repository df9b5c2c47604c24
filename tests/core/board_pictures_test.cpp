// Pictures on the board: the sizes they are drawn at, and a question with pictures placed,
// shown, opened and released.
#include <gtest/gtest.h>

#include <string>

#include "board/pictures.h"
#include "board_test_util.h"
#include "fake/fake_pictures.h"

namespace {

using pictures::Size;

// Each case names the fault it catches.
struct FitCase {
  const char* fault;
  Size natural;
  int dpi, maxWidth, maxHeight;
  Size drawn;
};
const FitCase kFitCases[] = {
    {"not drawn at its natural size at 96 DPI", {200, 100}, 96, 485, 350, {200, 100}},
    {"not scaled with the display like text", {200, 100}, 144, 485, 350, {300, 150}},
    {"scaled up to fill the column", {20, 10}, 96, 485, 350, {20, 10}},
    {"wider than the column, or its proportions lost", {1000, 500}, 96, 485, 350, {485, 243}},
    {"taller than half the window", {100, 1000}, 96, 485, 350, {35, 350}},
    {"the DPI factor and the column's limit applied twice", {400, 100}, 192, 485, 350, {485, 121}},
    {"a thin line rounded away to nothing", {5000, 1}, 96, 485, 350, {485, 1}},
    {"a picture without a size divides by zero", {0, 100}, 96, 485, 350, {0, 0}},
    {"no room drawn into anyway", {100, 100}, 96, 0, 350, {0, 0}},
    {"an unread DPI takes no factor", {100, 50}, 0, 485, 350, {100, 50}},
};

TEST(PictureFit, TableOfSizes) {
  for (const FitCase& c : kFitCases) {
    EXPECT_EQ(pictures::Fit(c.natural, c.dpi, c.maxWidth, c.maxHeight), c.drawn) << c.fault;
  }
}

struct ShrinkCase {
  const char* fault;
  Size in[2];
  int count, fixed, room;
  Size out[2];
};
const ShrinkCase kShrinkCases[] = {
    {"a question that fits is shrunk", {{100, 200}, {50, 100}}, 2, 300, 700, {{100, 200}, {50, 100}}},
    {"a tall question cropped instead of shrunk (one factor for all, proportions kept)",
     {{200, 400}, {100, 200}}, 2, 400, 700, {{100, 200}, {50, 100}}},
    {"a question whose text alone overflows loses its pictures", {{100, 100}, {}}, 1, 900, 700,
     {{1, 1}, {}}},
};

TEST(PictureFit, TallQuestionsShrinkTheirPictures) {
  for (const ShrinkCase& c : kShrinkCases) {
    Size sizes[2] = {c.in[0], c.in[1]};
    pictures::ShrinkToRoom(sizes, c.count, c.fixed, c.room);
    int total = c.fixed;
    for (int i = 0; i < c.count; ++i) {
      EXPECT_EQ(sizes[i], c.out[i]) << c.fault << ", picture " << i;
      total += sizes[i].height;
    }
    if (c.fixed < c.room) {
      EXPECT_LE(total, c.room) << c.fault;
    }
  }
}

struct RowCase {
  const char* fault;
  Size in[2];
  int count, dpi, maxWidth, maxHeight;
  Size out[2];
};
const RowCase kRowCases[] = {
    {"each picture scaled on its own, not by one factor", {{200, 100}, {100, 100}}, 2, 96, 304, 80,
     {{160, 80}, {80, 80}}},
    {"the gap left out of the room", {{300, 100}, {300, 100}}, 2, 96, 304, 160, {{150, 50}, {150, 50}}},
    {"the row not scaled with the display", {{100, 50}, {100, 50}}, 2, 144, 323, 160,
     {{150, 75}, {150, 75}}},
    {"a thin picture's pixel pushes the row past its room", {{1000, 10}, {1, 10}}, 2, 96, 104, 160,
     {{99, 1}, {1, 1}}},
    {"no room for a pixel each, drawn anyway", {{10, 10}, {10, 10}}, 2, 96, 5, 160, {{}, {}}},
};

TEST(PictureFit, VariantPicturesSideBySide) {
  for (const RowCase& c : kRowCases) {
    Size out[2];
    pictures::FitRow(c.in, c.count, c.dpi, c.maxWidth, c.maxHeight, 4, out);
    for (int i = 0; i < c.count; ++i) EXPECT_EQ(out[i], c.out[i]) << c.fault << ", picture " << i;
  }
}

TEST(PictureFit, VariantRowsAndFolders) {
  // A picture's rows: rounded up (a cut-off picture), at most the tallest variant.
  EXPECT_EQ(pictures::RowsFor(41, 20, 8), 3);
  EXPECT_EQ(pictures::RowsFor(40, 20, 8), 2);
  EXPECT_EQ(pictures::RowsFor(1000, 20, 8), 8);
  // The folder pictures start from, and how far `..` may climb from it.
  const pictures::Folder nested = pictures::FolderOf("Base\\math\\1.txt");
  EXPECT_EQ(nested.path, "Base/math/");
  EXPECT_EQ(nested.depth, 1);
  const pictures::Folder top = pictures::FolderOf("Base\\1.txt");
  EXPECT_EQ(top.path, "Base/");
  EXPECT_EQ(top.depth, 0);
}

class PicturesOnBoard : public boardtest::BoardTest {
 protected:
  void SetUp() override {
    BoardTest::SetUp();
    fake::ResetPictures();
    OnScreen2.PictureFolder = pictures::FolderOf("Base\\geo\\1.txt");
    fake::AddPicture("Base/geo/fig.png", 300, 200);
    fake::AddPicture("Base/geo/big.png", 2000, 100);
    fake::AddPicture("Base/geo/v.png", 100, 50);
    fake::AddPicture("Base/geo/bad.png", 0, 0, ws::PictureFault::kUnreadable);
  }
  void TearDown() override {
    BoardTest::TearDown();
    fake::ResetPictures();
  }
  int AddUtf8(const std::string& task, const std::vector<std::string>& variants) {
    const int q = boardtest::AddQuestion(task, variants);
    Topic_test.Get(q)->bUtf8 = true;
    return q;
  }
};

TEST_F(PicturesOnBoard, TaskPicturesStandUnderTheTextAndCountInTheHeight) {
  // Text of one line (16 + 15 slack), then fig at 300x200 and big scaled to the column (485).
  const int q = AddUtf8("Find x. ![figure](fig.png)![wide](<big.png>)", {"a", "b"});
  ASSERT_TRUE(PlaceQuestion2(q));
  const SingleVisualEntry2& s = Slot(0);
  EXPECT_EQ(s.Pictures.Text, "Find x. ") << "the references drawn as text";
  EXPECT_EQ(s.Pictures.TaskRect[0], (Rect{15, 41, 315, 241}));
  EXPECT_EQ(s.Pictures.TaskRect[1], (Rect{15, 245, 500, 269})) << "wider than the column";
  // The answers start below the pictures (and their gaps), so the next slot does too.
  EXPECT_EQ(s.TextRect.bottom, 273);
  EXPECT_EQ(s.VrntRect.top, 273);
  EXPECT_EQ(s.hVrnt[0]->rect.top, 273);
  EXPECT_EQ(s.Pictures.hTask[0]->fitWidth, 300) << "kept at full decoding";
  EXPECT_EQ(fake::PictureDraws().size(), 2u);

  // The paint handler draws the text and the pictures again.
  fake::ClearDrawLog();
  ws::Invalidate(main_, s.TextRect);
  ws::RepaintNow(main_);
  ASSERT_FALSE(fake::DrawLog().empty());
  EXPECT_EQ(fake::DrawLog().back().text, "Find x. ");
  EXPECT_TRUE(fake::PictureDraws().back().duringPaint);

  // A click on the picture opens it; beside it, nothing.
  EXPECT_TRUE(OpenPictureAt(20, 50));
  ASSERT_EQ(fake::PictureWindows().size(), 1u);
  EXPECT_EQ(fake::PictureWindows()[0].path, "Base/geo/fig.png");
  EXPECT_EQ(fake::PictureWindows()[0].title, "figure");
  EXPECT_FALSE(OpenPictureAt(400, 50));
  // The picture key goes on after the picture clicked, round to the first again.
  for (const char* next : {"Base/geo/big.png", "Base/geo/fig.png"}) {
    EXPECT_TRUE(OpenNextPicture());
    EXPECT_EQ(fake::PictureWindows().back().path, next);
  }
  // On a question without pictures the key opens nothing (and so is left to the board).
  ASSERT_TRUE(PlaceQuestion2(AddUtf8("No figure", {"a"})));
  EXPECT_FALSE(OpenNextPicture());
  EXPECT_EQ(fake::PictureWindows().size(), 3u);
}

TEST_F(PicturesOnBoard, PicturesNotDrawnShowTheirText) {
  struct Case {
    const char* fault;
    const char* task;
    const char* shown;
    std::size_t loads;
  };
  const Case cases[] = {
      {"a missing file leaves a hole", "A ![gone](none.png) B", "A gone B", 1},
      {"a damaged file leaves a hole", "![broken](bad.png)", "broken", 1},
      {"a path out of Base is opened", "![up](../../etc/x.png)", "up", 0},
      {"a drive path is opened", "![abs](C:\\x.png)", "abs", 0},
  };
  for (const Case& c : cases) {
    SetUpBoard(1000, 700);
    fake::ResetPictures();
    OnScreen2.PictureFolder = pictures::FolderOf("Base\\geo\\1.txt");
    fake::AddPicture("Base/geo/bad.png", 0, 0, ws::PictureFault::kUnreadable);
    const int q = AddUtf8(c.task, {"a"});
    ASSERT_TRUE(PlaceQuestion2(q)) << c.fault;
    EXPECT_EQ(Slot(0).Pictures.Text, c.shown) << c.fault;
    EXPECT_EQ(Slot(0).Pictures.hTask[0], nullptr) << c.fault;
    EXPECT_EQ(fake::PictureLoads().size(), c.loads) << c.fault;
    EXPECT_EQ(Slot(0).TextRect.bottom, 10 + 16 + 15) << c.fault << ": room kept for nothing";
  }
}

TEST_F(PicturesOnBoard, VariantPicturesStandAfterTheirCheckBoxes) {
  const int q = AddUtf8("Which?", {"![the small one](v.png)", "text ![v](v.png)", "plain"});
  ASSERT_TRUE(PlaceQuestion2(q));
  const SingleVisualEntry2& s = Slot(0);
  // A picture-only variant is labelled by its picture's text, so that its mark shows.
  EXPECT_EQ(s.hVrnt[0]->text, "the small one");
  EXPECT_EQ(s.hVrnt[1]->text, "text ");
  EXPECT_EQ(s.hVrnt[2]->text, "plain");
  // 50 pixels high: 3 rows; the check box gives up the picture's width and a gap.
  EXPECT_EQ(s.hVrnt[0]->rect, (Rect{15, 41, 396, 101}));
  EXPECT_EQ(s.Pictures.VrntRect[0][0], (Rect{400, 41, 500, 91}));
  EXPECT_EQ(s.hVrnt[1]->rect.top, 101);
  EXPECT_EQ(s.hVrnt[2]->rect, (Rect{15, 161, 500, 181})) << "a variant without pictures";
  EXPECT_EQ(s.hOK->rect.top, 181);
}

TEST_F(PicturesOnBoard, AVariantsPicturesStandSideBySideAndNoneVanishes) {
  const int q = AddUtf8("Which?", {"x", "![a](v.png)![b](fig.png) ![c](none.png)"});
  ASSERT_TRUE(PlaceQuestion2(q));
  const SingleVisualEntry2& s = Slot(0);
  // Two thirds of 485 less a gap, by one factor: 100x50 and 300x200 to 80x40 and 239x160.
  EXPECT_EQ(s.Pictures.VrntRect[1][0], (Rect{177, 61, 257, 101}));
  EXPECT_EQ(s.Pictures.VrntRect[1][1], (Rect{261, 61, 500, 221}));
  EXPECT_EQ(s.hVrnt[1]->rect, (Rect{15, 61, 173, 221})) << "8 rows, the pictures' width given up";
  EXPECT_EQ(s.hVrnt[1]->text, " c") << "the picture not drawn is left out in silence";
  // A click on either picture is the variant's; beside them, nothing.
  EXPECT_EQ(VariantPictureAt(300, 70), 1);
  EXPECT_EQ(VariantPictureAt(200, 70), 1);
  EXPECT_EQ(VariantPictureAt(100, 70), -1);
}

TEST_F(PicturesOnBoard, PicturesAreReleasedWithTheirQuestion) {
  const int q = AddUtf8("![figure](fig.png)", {"![v](v.png)"});
  ASSERT_TRUE(PlaceQuestion2(q));
  EXPECT_EQ(fake::LivePictures(), 2);
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  EXPECT_EQ(fake::LivePictures(), 0) << "a removed question keeps its pictures decoded";
  // A Windows-1251 question's `![` is text: nothing is loaded.
  const int plain = boardtest::AddQuestion("![figure](fig.png)", {"a"});
  ASSERT_TRUE(PlaceQuestion2(plain));
  EXPECT_TRUE(fake::PictureLoads().size() == 2u && !Slot(0).Pictures.bAny);
}

}  // namespace
