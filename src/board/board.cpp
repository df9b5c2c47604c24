// The board: measuring, hiding, removing and shifting slots, and repainting the task texts.
#include <cstdint>

#include "board/screen.h"
#include "platform/window_system.h"
#include "shell/globals.h"

namespace {
constexpr int kWeightNormal = 400;
constexpr int kWeightBold = 700;
constexpr int kLeftLast = kColumnSlots - 1;  // 31
constexpr int kRightLast = kSlots - 1;       // 63

void DestroyControls(SingleVisualEntry2& slot) {
  for (int j = 0; j < 12; ++j) {
    if (slot.hVrnt[j] != nullptr) {
      ws::Destroy(slot.hVrnt[j]);
      slot.hVrnt[j] = nullptr;
    }
  }
  slot.IdBase = 0;
  slot.Pictures.Release();
}

// A variant's picture is drawn on the board beside its check box, so removing the slot must
// repaint that part too.
void InvalidateSlot(HWND window, const SingleVisualEntry2& slot) {
  ws::Invalidate(window, slot.TextRect);
  if (slot.Pictures.bAny) ws::Invalidate(window, slot.VrntRect);
}
}  // namespace

// The member initialisers give the new board; see the declaration for why this is out of line.
Screen2::Screen2() = default;

void Screen2::Init() {
  CurrentSlot = -1;
  Dpi = ws::SystemDpi();
  Client = ws::ClientRect(hWnd);
  CharWidth = ws::AverageCharWidth(hWnd);
  // Without a character width nothing fits a line; GetCoefficient then gives long answers all
  // the rows there are instead of dividing by zero.
  LineChars =
      CharWidth > 0 ? static_cast<float>(static_cast<double>(Client.right / 2) / CharWidth) : 0.0f;
  hFontRight = ws::CreateMarkFont(kWeightBold, false, false);
  hFontMissed = ws::CreateMarkFont(kWeightBold, true, false);
  hFontWrong = ws::CreateMarkFont(kWeightNormal, false, true);
}

void Screen2::HideAll() {
  for (SingleVisualEntry2& slot : Entry) slot.bVisible = false;
  CurrentSlot = -1;
}

void Screen2::RemoveInvisible() {
  for (int i = 0; i < kSlots; ++i) {
    SingleVisualEntry2& slot = Entry[i];
    if (slot.Question != -1 && !slot.bVisible) {
      InvalidateSlot(hWnd, slot);
      DestroyControls(slot);
    }
    if (i != CurrentSlot && slot.hOK != nullptr) {
      ws::Destroy(slot.hOK);
      slot.hOK = nullptr;
    }
    // The paint handler runs here, between slots, and sees the table as it is now.
    ws::RepaintNow(hWnd);
  }
}

void Screen2::Cleaner() {
  // Stops should a child refuse to go, rather than spinning on it.
  HWND last = nullptr;
  for (HWND child = ws::FirstChild(hWnd); child != nullptr && child != last;
       child = ws::FirstChild(hWnd)) {
    ws::Destroy(child);
    last = child;
  }
}

void Screen2::InsertPosition(int a) {
  int target;
  if (a >= 0 && a <= kLeftLast - 1) {
    target = kLeftLast;
  } else if (a >= kColumnSlots + 1 && a <= kRightLast - 1) {
    target = kRightLast;
  } else {
    return;
  }
  // The column's last slot is overwritten. Its controls would stay on screen with no slot to
  // remove them, and a later lookup by identifier could find them before the new ones.
  SingleVisualEntry2& last = Entry[target];
  if (last.bVisible && last.Question != -1) InvalidateSlot(hWnd, last);
  DestroyControls(last);
  if (last.hOK != nullptr) {
    ws::Destroy(last.hOK);
    last.hOK = nullptr;
  }
  for (int i = target; i > a; --i) {
    SingleVisualEntry2& to = Entry[i];
    const SingleVisualEntry2& from = Entry[i - 1];
    to.Question = from.Question;
    to.TextRect = from.TextRect;
    to.VrntRect = from.VrntRect;
    to.bVisible = from.bVisible;
    for (int j = 0; j < 12; ++j) to.hVrnt[j] = from.hVrnt[j];
    to.hOK = from.hOK;
    to.IdBase = from.IdBase;
    to.Pictures.Take(Entry[i - 1].Pictures);
  }
  SingleVisualEntry2& freed = Entry[a];
  for (int j = 0; j < 12; ++j) freed.hVrnt[j] = nullptr;
  freed.hOK = nullptr;
  freed.IdBase = 0;
}

void WM_PaintTask(HDC context) {
  ws::SetTransparent(context);
  for (const SingleVisualEntry2& slot : OnScreen2.Entry) {
    // A slot may still name a question of a topic unloaded since (the chooser loads before
    // the board is emptied); such a slot has nothing to draw.
    if (!slot.bVisible || slot.Question < 0 || slot.Question >= Topic_test.Count) continue;
    const QuestionClass* q = Topic_test.Get(slot.Question);
    if (!slot.Pictures.bAny) {
      ws::DrawWrapped(context, {q->Task, q->bUtf8}, slot.TextRect);
      continue;
    }
    const pictures::SlotPictures& p = slot.Pictures;
    ws::DrawWrapped(context, {p.Text.c_str(), true}, slot.TextRect);
    for (int i = 0; i < pictures::kTaskPictures; ++i) ws::DrawPicture(context, p.hTask[i], p.TaskRect[i]);
    for (int i = 0; i < pictures::kVariants; ++i) {
      for (int j = 0; j < pictures::kVariantPictures; ++j)
        ws::DrawPicture(context, p.hVrnt[i][j], p.VrntRect[i][j]);
    }
  }
}

namespace {
bool OpenTaskPicture(pictures::SlotPictures& p, int i) {
  // The key goes on from the picture last opened, by key or by click.
  p.NextOpen = i + 1 < pictures::kTaskPictures && p.hTask[i + 1] != nullptr ? i + 1 : 0;
  return ws::OpenPictureWindow(OnScreen2.hInst, OnScreen2.hWnd, p.TaskPath[i],
                               {p.TaskAlt[i].c_str(), true});
}
}  // namespace

bool OpenPictureAt(int x, int y) {
  for (SingleVisualEntry2& slot : OnScreen2.Entry) {
    if (!slot.bVisible || !slot.Pictures.bAny) continue;
    pictures::SlotPictures& p = slot.Pictures;
    for (int i = 0; i < pictures::kTaskPictures; ++i) {
      const Rect& r = p.TaskRect[i];
      if (p.hTask[i] == nullptr || x < r.left || x >= r.right || y < r.top || y >= r.bottom)
        continue;
      return OpenTaskPicture(p, i);
    }
  }
  return false;
}

int VariantPictureAt(int x, int y) {
  const int s = OnScreen2.CurrentSlot;
  if (s < 0 || s >= kSlots) return -1;
  const SingleVisualEntry2& slot = OnScreen2.Entry[s];
  if (!slot.bVisible || !slot.Pictures.bAny) return -1;
  for (int i = 0; i < pictures::kVariants; ++i) {
    for (int j = 0; j < pictures::kVariantPictures; ++j) {
      const Rect& r = slot.Pictures.VrntRect[i][j];
      if (slot.Pictures.hVrnt[i][j] != nullptr && x >= r.left && x < r.right && y >= r.top &&
          y < r.bottom)
        return i;
    }
  }
  return -1;
}

bool OpenNextPicture() {
  const int s = OnScreen2.CurrentSlot;
  if (s < 0 || s >= kSlots) return false;
  SingleVisualEntry2& slot = OnScreen2.Entry[s];
  if (!slot.bVisible || !slot.Pictures.bAny) return false;
  pictures::SlotPictures& p = slot.Pictures;
  // Task pictures are held from the first entry on, without gaps.
  int i = p.NextOpen;
  if (i < 0 || i >= pictures::kTaskPictures || p.hTask[i] == nullptr) i = 0;
  if (p.hTask[i] == nullptr) return false;
  return OpenTaskPicture(p, i);
}

int AnswerId(int k) {
  int s = OnScreen2.CurrentSlot;
  if (s < 0 || s >= kSlots || k < 0 || k >= 12) return 0;
  int base = OnScreen2.Entry[s].IdBase;
  return base != 0 ? base + k : 0;
}
