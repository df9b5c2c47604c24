// The board: 64 question slots in two columns over the main window's client area.
#pragma once

#include "board/pictures.h"
#include "common/dpi.h"
#include "platform/handles.h"

// One slot of the board.
struct SingleVisualEntry2 {
  int Question = -1;      // chain index of the question shown, -1 for none
  Rect TextRect;          // where the task text is drawn
  Rect VrntRect;          // the answer buttons; top = TextRect.bottom
  HWND hVrnt[4096] = {};  // entries 0..11: check box of variant i, or null
  HWND hOK = nullptr;     // the slot's OK button, or null
  bool bVisible = false;
  // Identifier of the check box of variant 0 of the question shown (variant k has IdBase + k);
  // 0 while the slot holds no check boxes. The quiz finds the current question's boxes by it.
  int IdBase = 0;
  // The question's pictures, decoded while it is on the board.
  pictures::SlotPictures Pictures;
};

inline constexpr int kSlots = 64;
inline constexpr int kColumnSlots = 32;
inline constexpr int kOkId = 300;
inline constexpr int kFirstAnswerId = 1000;

struct Screen2 {
  Rect Client;
  SingleVisualEntry2 Entry[64];
  HINSTANCE hInst = nullptr;
  HWND hWnd = nullptr;
  HFONT hFontRight = nullptr;
  HFONT hFontMissed = nullptr;
  HFONT hFontWrong = nullptr;
  int CurrentSlot = -1;
  bool bAsk = true;
  bool bAllRight = true;
  int CharWidth = 0;
  float LineChars = 0;
  // The system DPI, read by Init; every length of the board and the chooser is written for 96
  // and goes through Px.
  int Dpi = dpi::kBase;
  // The folder of the loaded topic's question file, which its pictures' paths start from.
  pictures::Folder PictureFolder;

  // Defined out of line on purpose: a constant-initialised board would put its 2 MB image
  // (64 slots of 4096 handles, with -1 and true among the zeros) into the program file; built at
  // start-up it lives in zeroed storage.
  Screen2();
  void Init();
  void HideAll();
  void RemoveInvisible();
  void Cleaner();
  void InsertPosition(int a);
  // A length written for 96 DPI, in pixels at the board's DPI.
  int Px(int length) const { return dpi::Scale(length, Dpi); }

  // Menu item insertion (shell/menu.cpp) and the help boxes (shell/help.cpp); they use no
  // board state.
  // `utf8`: the text is UTF-8 (a discipline's title from a UTF-8 description file).
  bool CreateMenuItem(HMENU menu, char* text, unsigned before, unsigned id, HMENU submenu,
                      bool utf8 = false);
  void Anounce(unsigned command);
};

// Draws the task texts of all visible slots (the main window's paint handler).
void WM_PaintTask(HDC context);
// Puts question `a` of Topic_test into the next slot of the board; false for -1.
bool PlaceQuestion2(int a);
// Opens the task picture under the point (client coordinates of the board) in the picture
// window; false when there is none.
bool OpenPictureAt(int x, int y);
// The variant of the current question whose picture is under the point, or -1. A variant's
// picture is part of its row: a click there is taken as its answer key.
int VariantPictureAt(int x, int y);
// The picture key: opens the current question's next task picture (the first, then each
// following one, round again), or gives false when it has none and the key means nothing here.
bool OpenNextPicture();
// The identifier of the current question's check box for variant k, or 0 when there is none.
int AnswerId(int k);
