// Opaque handles and rectangles shared by the core and the platform layers.
//
// The handle types are declared the way the Win32 headers declare them (a pointer to an
// incomplete struct), so the Win32 layer can include <windows.h> beside this header and use
// the same types, while the in-memory window system of the tests completes the structs with
// its own fake windows. The core never includes <windows.h>.
#pragma once

#include <cstdint>

struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
struct HFONT__;
typedef HFONT__* HFONT;
struct HMENU__;
typedef HMENU__* HMENU;
struct HDC__;
typedef HDC__* HDC;

// The platform's RECT: left, top, right, bottom as signed 32-bit integers, in that order.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};
