// What the main window really shows, read back from its pixels: every visible slot's task area
// has text in it, and everything that is neither a visible slot's task area nor a control is
// plain background, also where a slot was hidden or a round emptied the board.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/screen.h"
#include "shell/globals.h"
#include "win32_test_support.h"

namespace {

// The main window's client area as the screen shows it, without repainting anything first:
// only what the program itself invalidated has been redrawn.
struct Shot {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

Shot Capture() {
  UpdateWindow(MainWindow());
  Pump();
  Shot shot;
  RECT client{};
  GetClientRect(MainWindow(), &client);
  shot.width = client.right;
  shot.height = client.bottom;
  HDC window = GetDC(MainWindow());
  HDC dc = CreateCompatibleDC(window);
  HBITMAP bitmap = CreateCompatibleBitmap(window, shot.width, shot.height);
  HGDIOBJ old = SelectObject(dc, bitmap);
  BitBlt(dc, 0, 0, shot.width, shot.height, window, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  shot.pixels.resize(static_cast<std::size_t>(shot.width) * static_cast<std::size_t>(shot.height));
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(shot.height), shot.pixels.data(), &info,
            DIB_RGB_COLORS);
  for (std::uint32_t& p : shot.pixels) p &= 0xFFFFFF;
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(MainWindow(), window);
  return shot;
}

// With EXAMEO_SHOTS naming a folder, each checked picture is also kept there as a bitmap file,
// for a person to look at.
void Keep(const Shot& shot, const char* when) {
  char folder[MAX_PATH] = {};
  if (GetEnvironmentVariableA("EXAMEO_SHOTS", folder, MAX_PATH) == 0) return;
  std::string name = std::string(folder) + "\\";
  for (const char* c = when; *c != '\0'; ++c) name += (*c == ' ') ? '-' : *c;
  name += ".bmp";
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = shot.width;
  info.biHeight = -shot.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  const DWORD bytes = static_cast<DWORD>(shot.pixels.size() * 4);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + bytes;
  HANDLE out = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE) << name;
  DWORD written = 0;
  WriteFile(out, &file, sizeof file, &written, nullptr);
  WriteFile(out, &info, sizeof info, &written, nullptr);
  WriteFile(out, shot.pixels.data(), bytes, &written, nullptr);
  CloseHandle(out);
}

std::uint32_t Background() {
  COLORREF c = GetSysColor(COLOR_BTNFACE);
  return (static_cast<std::uint32_t>(GetRValue(c)) << 16) |
         (static_cast<std::uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

RECT Clip(const Rect& r, const Shot& shot) {
  RECT c{r.left < 0 ? 0 : r.left, r.top < 0 ? 0 : r.top,
         r.right > shot.width ? shot.width : r.right,
         r.bottom > shot.height ? shot.height : r.bottom};
  return c;
}

int Ink(const Shot& shot, const RECT& r) {
  int ink = 0;
  const std::uint32_t background = Background();
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (shot.At(x, y) != background) ++ink;
  return ink;
}

// Checks the whole client area against the board; `when` names the moment for the messages.
// Returns the number of visible slots.
int CheckBoard(const char* when) {
  SCOPED_TRACE(when);
  Shot shot = Capture();
  Keep(shot, when);
  EXPECT_GT(shot.width, 800);
  // What may carry ink: the visible slots' task areas and the controls.
  std::vector<std::uint8_t> allowed(shot.pixels.size(), 0);
  auto allow = [&](const RECT& r) {
    for (int y = r.top < 0 ? 0 : r.top; y < r.bottom && y < shot.height; ++y)
      for (int x = r.left < 0 ? 0 : r.left; x < r.right && x < shot.width; ++x)
        allowed[static_cast<std::size_t>(y) * static_cast<std::size_t>(shot.width) +
                static_cast<std::size_t>(x)] = 1;
  };
  int visible = 0;
  for (int i = 0; i < kSlots; ++i) {
    const SingleVisualEntry2& slot = OnScreen2.Entry[i];
    if (!slot.bVisible || slot.Question < 0) continue;
    ++visible;
    RECT text = Clip(slot.TextRect, shot);
    // "Сколько будет N + N?" in the default font leaves well over a hundred dark pixels.
    EXPECT_GT(Ink(shot, text), 100)
        << "slot " << i << " shows question " << slot.Question << " but its task area is empty";
    allow(text);
  }
  for (HWND child : Children(MainWindow()))
    if (IsWindowVisible(child)) allow(RectIn(child, MainWindow()));

  int stray = 0;
  std::string first;
  const std::uint32_t background = Background();
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(shot.width) +
                       static_cast<std::size_t>(x);
      if (allowed[at] || shot.pixels[at] == background) continue;
      if (stray++ == 0) {
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
        for (int i = 0; i < kSlots; ++i) {
          const Rect& r = OnScreen2.Entry[i].TextRect;
          if (OnScreen2.Entry[i].Question >= 0 && x >= r.left && x < r.right && y >= r.top &&
              y < r.bottom)
            first += " in the task area of hidden slot " + std::to_string(i);
        }
      }
    }
  }
  EXPECT_EQ(stray, 0) << "ink outside every visible slot and control, first at " << first;
  return visible;
}

int HiddenInColumn(int first, int last) {
  int hidden = 0;
  for (int i = first; i <= last; ++i)
    if (!OnScreen2.Entry[i].bVisible && OnScreen2.Entry[i].Question >= 0) ++hidden;
  return hidden;
}

TEST(BoardPixels, TaskAreasShowWhatTheBoardSaysThroughWrapAroundAndANewRound) {
  // Topic 0 of the 128; identifier 200 there is topic 100's radio button, so the chooser's OK is
  // taken as its last control.
  HWND chooser = OpenChooser(kMany);
  ASSERT_NE(chooser, nullptr);
  SendMessageW(GetDlgItem(chooser, 100), BM_CLICK, 0, 0);
  SendMessageW(GetWindow(GetWindow(chooser, GW_CHILD), GW_HWNDLAST), BM_CLICK, 0, 0);
  Pump();
  ASSERT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(CheckBoard("the first question placed"), 1);

  // Enter twice per question (graded with nothing ticked, then the next one) until the board
  // has filled the right column and started again at the top of the left one.
  bool right = false;
  int placed = 1;
  while (placed < 24 && !(right && OnScreen2.CurrentSlot < kColumnSlots)) {
    TypeChar(MainWindow(), L'\r');
    TypeChar(MainWindow(), L'\r');
    ++placed;
    right = right || OnScreen2.CurrentSlot >= kColumnSlots;
    CheckBoard(("question " + std::to_string(placed - 1) + " placed").c_str());
  }
  ASSERT_TRUE(right) << "the right column was never used";
  ASSERT_EQ(OnScreen2.CurrentSlot, 0) << "no wrap-around within the topic";
  // The new question at the top of the left column covered at least its first old slot; the
  // right column is untouched.
  EXPECT_GE(HiddenInColumn(0, kColumnSlots - 1), 1);
  EXPECT_EQ(HiddenInColumn(kColumnSlots, kSlots - 1), 0);
  const int visible = CheckBoard("after the wrap-around");
  EXPECT_GE(visible, 2 * (placed - 1) / 3);

  // Through the rest of the round; its end empties the board and round 2 starts with question 0
  // alone at the top.
  {
    WindowLog log;
    while (log.Boxes().empty() && placed <= 24) {
      TypeChar(MainWindow(), L'\r');
      TypeChar(MainWindow(), L'\r');
      ++placed;
    }
    ASSERT_EQ(log.Boxes().size(), 1u);
    EXPECT_EQ(log.Boxes()[0].caption, L"Statistics");
  }
  EXPECT_EQ(OnScreen2.CurrentSlot, 0);
  EXPECT_EQ(OnScreen2.Entry[0].Question, 0);
  EXPECT_EQ(CheckBoard("round 2 begun"), 1);

  // The picture is the screen's: a word drawn straight onto the window where the board is
  // empty shows up in it (and a repaint of that area takes it away again).
  HDC dc = GetDC(MainWindow());
  RECT stray{OnScreen2.Client.right * 3 / 4, OnScreen2.Client.bottom * 3 / 4,
             OnScreen2.Client.right * 3 / 4 + 200, OnScreen2.Client.bottom * 3 / 4 + 40};
  DrawTextW(dc, L"Посторонний текст", -1, &stray, DT_NOPREFIX);
  ReleaseDC(MainWindow(), dc);
  EXPECT_GT(Ink(Capture(), stray), 100);
  InvalidateRect(MainWindow(), &stray, TRUE);
  EXPECT_EQ(Ink(Capture(), stray), 0);
  bNobodyHome = true;
}

}  // namespace
