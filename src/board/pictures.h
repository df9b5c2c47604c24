// Pictures on the board: the sizes they are drawn at, and what a slot keeps of them.
//
// A question of a UTF-8 file may hold `![text](path)` in its task and its variants
// (bank/picture_ref.h). The task's pictures stand under its text, one below the other; a
// variant's picture stands after its check box. A picture is decoded when its question is
// placed and released when the question leaves the board, so a topic of any size costs the
// board only the pictures on screen.
#pragma once

#include <string>
#include <string_view>

#include "bank/picture_info.h"
#include "platform/handles.h"
#include "platform/window_system.h"

namespace pictures {

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A picture's drawn size: `natural` (pixels at 96 DPI, or a metafile's header size) scaled with
// the display like text, then scaled down to at most `maxWidth` by `maxHeight`, proportions kept.
// Never scaled up beyond the display's factor; a side that would round to nothing keeps one
// pixel. An empty natural size, or no room at all, gives 0 by 0 (nothing drawn).
Size Fit(Size natural, int dpi, int maxWidth, int maxHeight);

// The task pictures of a question that, with `fixed` pixels of text, answers and OK button,
// takes more than `room` (the column's height): each is scaled down by the same factor so that
// the whole fits, proportions kept; the text is never cut. Sizes that fit already stay as they
// are. Pictures that cannot shrink below a pixel keep a pixel (the question then overflows,
// as a text longer than the column does).
void ShrinkToRoom(Size* sizes, int count, int fixed, int room);

// A variant's pictures side by side, `gap` pixels apart, within `maxWidth` by `maxHeight`: each
// scaled with the display like text, then all by one common factor (never above 1), so that
// they keep their sizes relative to each other. One picture is sized as Fit sizes it. No room
// for a pixel each gives all 0 by 0 (nothing drawn).
void FitRow(const Size* natural, int count, int dpi, int maxWidth, int maxHeight, int gap,
            Size* out);

// The answer rows (of `row` pixels) a variant's picture of `height` pixels takes, 1 to `maxRows`.
int RowsFor(int height, int row, int maxRows);

// At most this many pictures of a task are drawn; further ones show their text.
inline constexpr int kTaskPictures = 8;
inline constexpr int kVariants = 12;
// At most this many pictures of a variant are drawn side by side; further ones show their text.
inline constexpr int kVariantPictures = 4;
// Pixels at 96 DPI between the task's text and its pictures, and between two pictures.
inline constexpr int kGap = 4;

// What a slot keeps of its question's pictures. Handles are owned: Release frees them.
struct SlotPictures {
  bool bAny = false;                // the question holds a picture reference
  HPICTURE hTask[kTaskPictures] = {};
  Rect TaskRect[kTaskPictures] = {};
  // Each task picture's path as the program opens it (UTF-8), for the picture window.
  std::string TaskPath[kTaskPictures];
  std::string TaskAlt[kTaskPictures];  // its text (UTF-8)
  HPICTURE hVrnt[kVariants][kVariantPictures] = {};
  Rect VrntRect[kVariants][kVariantPictures] = {};
  // The task as drawn: its text runs, with the text of each picture that is not drawn in its
  // place (UTF-8).
  std::string Text;
  // The task picture the picture key opens next.
  int NextOpen = 0;

  void Release();
  // Moves another slot's pictures here (the board shifts slots down a column).
  void Take(SlotPictures& from);
};

using picinfo::Folder;
using picinfo::FolderOf;

// The text of a picture-bearing UTF-8 text with the pictures drawn left out and the text of each
// picture not drawn in its place; where that leaves nothing but blanks, the drawn pictures'
// texts (so that a picture-only variant still shows a label for its marks). Bit j of `drawn`
// tells whether the text's picture j is drawn. Used for a variant's check box.
std::string LabelOf(std::string_view text, unsigned drawn = ~0u);

}  // namespace pictures

struct QuestionClass;

namespace pictures {

// A question's pictures loaded and sized for its slot, before the slot is chosen.
struct Staged {
  SlotPictures pictures;
  Size task[kTaskPictures] = {};
  int taskCount = 0;
  // A variant's pictures drawn, side by side: each one's size, and the row's (their widths and
  // gaps, the tallest's height; 0 by 0 when none is drawn).
  Size vrntEach[kVariants][kVariantPictures] = {};
  int vrntCount[kVariants] = {};
  Size vrnt[kVariants] = {};
  // A variant holding a picture reference: its check box's label (LabelOf), which holds the
  // text of each of its pictures not drawn.
  bool hasReference[kVariants] = {};
  std::string label[kVariants];
};

// Whether a question's texts hold a picture reference (only a UTF-8 question can).
bool HoldsPictures(const QuestionClass& q);

// Loads the pictures of `q` (paths relative to `folder`), sizes the task's to the column's
// width and `halfHeight`, a variant's to two thirds of the column's width and `variantHeight`.
// A picture refused, missing, undrawable or past the first kTaskPictures of the task leaves its
// text in the task's text; one of a variant, or past its first kVariantPictures, in its label.
void Stage(const QuestionClass& q, const Folder& folder, int dpi, int columnWidth,
           int halfHeight, int variantHeight, Staged* out);

}  // namespace pictures
