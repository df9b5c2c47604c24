// Placing a question: sizing the answer buttons, choosing the slot, laying out and creating
// the controls.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "board/pictures.h"
#include "board/screen.h"
#include "common/utf8.h"
#include "platform/window_system.h"
#include "shell/globals.h"

namespace {
// Lengths at 96 DPI, scaled by OnScreen2.Px to the display's.
constexpr int kTop = 10;       // top of each column; also the margin kept above the bottom
constexpr int kMargin = 15;    // left margin of a column; slack added to the text height
constexpr int kRow = 20;       // one answer row
constexpr int kOkHeight = 30;  // the OK button, reserved below every question
constexpr int kMaxRows = 8;
constexpr int kLastAnswerId = 9999;  // 10000 and up are the answer keys
constexpr int kIdBlocks = (kLastAnswerId + 1 - kFirstAnswerId) / 12;  // 750
constexpr std::uint32_t kCheckBoxStyle =
    ws::kStyleChild | ws::kStyleVisible | ws::kStyleMultiline | ws::kStyleAutoCheckBox;
constexpr std::uint32_t kOkStyle = ws::kStyleChild | ws::kStyleVisible | ws::kStylePushButton;

bool HoldsCheckBoxes(const SingleVisualEntry2& slot) {
  for (int j = 0; j < 12; ++j) {
    if (slot.hVrnt[j] != nullptr) return true;
  }
  return false;
}

// The identifier of variant 0's check box for question `a` placed into slot `s`. While the
// whole topic's numbering stays below the answer keys, every present variant of the topic
// keeps its running number; a larger topic gives the question the lowest block of twelve
// identifiers that no other slot's check boxes use (64 slots, 750 blocks: one is always free).
int ChooseIdBase(int a, int s) {
  int total = Topic_test.GetIDComponent(Topic_test.Count);
  if (kFirstAnswerId + total - 1 <= kLastAnswerId) {
    return kFirstAnswerId + Topic_test.GetIDComponent(a);
  }
  bool used[kIdBlocks] = {};
  for (int i = 0; i < kSlots; ++i) {
    const SingleVisualEntry2& slot = OnScreen2.Entry[i];
    if (i == s || slot.IdBase < kFirstAnswerId || !HoldsCheckBoxes(slot)) continue;
    // Mark every block the slot's twelve identifiers touch.
    int first = (slot.IdBase - kFirstAnswerId) / 12;
    int last = (slot.IdBase + 11 - kFirstAnswerId) / 12;
    for (int b = first; b <= last && b < kIdBlocks; ++b) used[b] = true;
  }
  for (int b = 0; b < kIdBlocks; ++b) {
    if (!used[b]) return kFirstAnswerId + 12 * b;
  }
  return kFirstAnswerId;  // not reached: at most 63 other slots
}
}  // namespace

int vrnt::GetCoefficient(float lineChars, bool utf8) {
  // A text that fills its whole field without a terminator counts as the full field.
  const void* end = std::memchr(Text, 0, sizeof Text);
  std::size_t n =
      end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - Text) : sizeof Text;
  // A UTF-8 text takes the rows of its characters, as its Windows-1251 twin does.
  if (utf8) n = utf8::CountChars(std::string_view(Text, n));
  if (!(lineChars > 0.0f)) return n > 0 ? kMaxRows : 1;
  // q = n / lineChars reaches 0.6 k exactly when 5 n >= 3 k lineChars. Compared in double, where
  // both sides are exact, so a text that reaches a threshold exactly gets its row; the float
  // quotient and threshold can round apart there (225 / 62.5 = 3.6 would give one row less).
  int rows = 1;
  for (int k = 1; k < kMaxRows; ++k) {
    if (5.0 * static_cast<double>(n) >= 3.0 * k * static_cast<double>(lineChars)) ++rows;
  }
  return rows;
}

int QuestionClass::GetSumCoefficient(int n, float lineChars) {
  int sum = 0;
  for (int i = 0; i < n && i < 12; ++i) sum += Vrnt[i].GetCoefficient(lineChars, bUtf8);
  return sum;
}

bool PlaceQuestion2(int a) {
  // -1 is "no question"; an index outside the chain would place some other record.
  if (a < 0 || a >= Topic_test.Count) return false;
  Screen2& board = OnScreen2;
  QuestionClass* q = Topic_test.Get(a);
  const int width = board.Client.right;
  const int height = board.Client.bottom;
  const int half = width / 2;
  const int top = board.Px(kTop);
  const int margin = board.Px(kMargin);
  const int row = board.Px(kRow);
  const int okHeight = board.Px(kOkHeight);

  // A question with pictures is measured by the text it shows (its pictures left out) and the
  // pictures' heights; any other exactly as before.
  const bool withPictures = pictures::HoldsPictures(*q);
  pictures::Staged staged;
  const int columnWidth = half - margin;
  if (withPictures) {
    pictures::Stage(*q, board.PictureFolder, board.Dpi, columnWidth, height / 2, kMaxRows * row,
                    &staged);
  }
  const ws::Text taskText =
      withPictures ? ws::Text(staged.pictures.Text.c_str(), true) : ws::Text(q->Task, q->bUtf8);
  const int wordsHeight = ws::MeasureWrappedHeight(board.hWnd, taskText, half) + margin;
  int rows[12];
  for (int i = 0; i < 12; ++i) {
    vrnt& v = q->Vrnt[i];
    if (!withPictures || !staged.hasReference[i]) {
      rows[i] = v.GetCoefficient(board.LineChars, q->bUtf8);
      continue;
    }
    vrnt shown{};
    utf8::CopyCut(staged.label[i], shown.Text, sizeof shown.Text);
    rows[i] = std::max(shown.GetCoefficient(board.LineChars, true),
                       pictures::RowsFor(staged.vrnt[i].height, row, kMaxRows));
  }
  auto rowsBefore = [&rows](int n) {
    int sum = 0;
    for (int i = 0; i < n && i < 12; ++i) sum += rows[i];
    return sum;
  };
  int answerHeight = 0;
  for (int i = 0; i < 12; ++i) {
    if (q->Vrnt[i].bExists) answerHeight += row * rows[i];
  }
  // The task's pictures stand under its text; a question taller than the column shrinks them.
  const int gap = board.Px(pictures::kGap);
  int pictureHeight = 0;
  if (withPictures && staged.taskCount > 0) {
    pictures::ShrinkToRoom(staged.task, staged.taskCount,
                           wordsHeight + answerHeight + okHeight + gap * staged.taskCount,
                           height - 2 * top);
    for (int i = 0; i < staged.taskCount; ++i) pictureHeight += staged.task[i].height + gap;
  }
  const int textHeight = wordsHeight + pictureHeight;
  const int need = textHeight + answerHeight + okHeight;

  int s = board.CurrentSlot + 1;
  board.CurrentSlot = s;
  if (s >= kSlots || s < 0) {
    s = 0;
  } else if (s != 0) {
    if (board.Entry[s - 1].VrntRect.bottom + need > height - top) {
      s = s > kColumnSlots ? 0 : kColumnSlots;
    }
  }
  board.CurrentSlot = s;

  if (s != 0 && s != kColumnSlots &&
      board.Entry[s - 1].VrntRect.bottom + need < board.Entry[s].TextRect.top) {
    board.InsertPosition(s);
  }

  SingleVisualEntry2& slot = board.Entry[s];
  slot.bVisible = false;
  board.RemoveInvisible();

  const int y = (s == 0 || s == kColumnSlots) ? top : board.Entry[s - 1].VrntRect.bottom;
  const bool left = s < kColumnSlots;
  const int x0 = left ? margin : half + margin;
  const int x1 = left ? half : width;
  slot.TextRect = {x0, y, x1, y + textHeight};
  slot.VrntRect = {x0, y + textHeight, x1, y + textHeight + answerHeight};
  slot.Question = a;
  slot.bVisible = true;

  const int columnLast = left ? kColumnSlots - 1 : kSlots - 1;
  for (int i = s + 1; i <= columnLast; ++i) {
    if (board.Entry[i].TextRect.top < slot.VrntRect.bottom + okHeight) {
      board.Entry[i].bVisible = false;
    }
  }
  board.RemoveInvisible();

  ws::DrawWrappedNow(board.hWnd, taskText, slot.TextRect);
  if (withPictures) {
    slot.Pictures.Take(staged.pictures);
    int py = y + wordsHeight;
    for (int i = 0; i < staged.taskCount; ++i) {
      const pictures::Size size = staged.task[i];
      slot.Pictures.TaskRect[i] = {x0, py, x0 + size.width, py + size.height};
      ws::FitPicture(slot.Pictures.hTask[i], size.width, size.height);
      ws::DrawPictureNow(board.hWnd, slot.Pictures.hTask[i], slot.Pictures.TaskRect[i]);
      py += size.height + gap;
    }
  }

  const int idBase = ChooseIdBase(a, s);
  int k = 0;
  for (int i = 0; i < 12; ++i) {
    vrnt& v = q->Vrnt[i];
    if (!v.bExists) continue;
    const int boxTop = slot.VrntRect.top + row * rowsBefore(i);
    int boxWidth = slot.VrntRect.right - slot.VrntRect.left;
    const bool labelled = withPictures && staged.hasReference[i];
    // A variant's pictures stand side by side after its check box, which gives up their width.
    if (labelled && staged.vrntCount[i] > 0) {
      boxWidth = std::max(0, boxWidth - staged.vrnt[i].width - gap);
      int px = slot.VrntRect.left + boxWidth + gap;
      for (int j = 0; j < staged.vrntCount[i]; ++j) {
        const pictures::Size size = staged.vrntEach[i][j];
        slot.Pictures.VrntRect[i][j] = {px, boxTop, px + size.width, boxTop + size.height};
        ws::FitPicture(slot.Pictures.hVrnt[i][j], size.width, size.height);
        px += size.width + gap;
      }
    }
    const ws::Text label = labelled ? ws::Text(staged.label[i].c_str(), true) : ws::Text(v.Text, q->bUtf8);
    slot.hVrnt[i] = ws::CreateButton(board.hWnd, label, kCheckBoxStyle, slot.VrntRect.left, boxTop,
                                     boxWidth, row * rows[i], idBase + k, board.hInst);
    for (int j = 0; labelled && j < staged.vrntCount[i]; ++j)
      ws::DrawPictureNow(board.hWnd, slot.Pictures.hVrnt[i][j], slot.Pictures.VrntRect[i][j]);
    ++k;
  }
  slot.IdBase = k > 0 ? idBase : 0;

  slot.hOK = ws::CreateButton(board.hWnd, "OK", kOkStyle, slot.VrntRect.left,
                              slot.VrntRect.top + row * rowsBefore(k),
                              half - okHeight, okHeight, kOkId, board.hInst);
  ++q->ShowCount;
  return true;
}
