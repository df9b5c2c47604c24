// Pictures drawn with GDI+: PNG, JPEG, GIF, BMP, and WMF/EMF (the older equation editor's
// formulas), and the window that shows one at full size.
#include <windows.h>
// After windows.h, which they need.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <new>
#include <cmath>
#include <string>

#include "common/picture_limits.h"
#include "platform/win32/cp1251_win32.h"
#include "platform/window_system.h"

struct HPICTURE__ {
  IStream* stream = nullptr;          // the file's bytes, which GDI+ reads as it decodes
  Gdiplus::Image* image = nullptr;    // the file's picture, until fitted
  Gdiplus::Bitmap* fitted = nullptr;  // the picture at the size the board draws it
  int width = 0, height = 0;          // pixels at 96 DPI
};

namespace {

// GDI+ is started once, by the first picture, and left running to the end of the process.
bool StartGdiplus() {
  static const bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

std::wstring WideFromUtf8(const std::string& utf8) {
  std::wstring wide;
  if (utf8.empty()) return wide;
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  if (n <= 0) return wide;
  wide.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

void Free(HPICTURE p) {
  if (p == nullptr) return;
  delete p->fitted;
  delete p->image;
  if (p->stream != nullptr) p->stream->Release();
  delete p;
}

// Reads the whole file into a stream GDI+ can decode from, so that the file is not held open
// while the picture is on the board.
ws::PictureFault ReadFile(const std::wstring& path, IStream** stream) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ws::PictureFault::kMissing;
  LARGE_INTEGER size{};
  ws::PictureFault fault = ws::PictureFault::kNone;
  HGLOBAL memory = nullptr;
  if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0) {
    fault = ws::PictureFault::kUnreadable;
  } else if (size.QuadPart > picture_limits::kMaxBytes) {
    fault = ws::PictureFault::kTooLarge;
  } else {
    const DWORD bytes = static_cast<DWORD>(size.QuadPart);
    memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* data = memory != nullptr ? GlobalLock(memory) : nullptr;
    DWORD read = 0;
    const bool ok = data != nullptr && ::ReadFile(file, data, bytes, &read, nullptr) && read == bytes;
    if (data != nullptr) GlobalUnlock(memory);
    if (!ok || CreateStreamOnHGlobal(memory, TRUE, stream) != S_OK) {
      if (memory != nullptr) GlobalFree(memory);
      fault = ws::PictureFault::kUnreadable;
    }
  }
  CloseHandle(file);
  return fault;
}

// A metafile's size by its header (hundredths of a millimetre) at 96 DPI; 10 cm wide, 4:3, when
// the header gives none.
void MetafileSize(Gdiplus::Image& image, int* width, int* height) {
  Gdiplus::SizeF physical;
  double w = 0, h = 0;
  if (image.GetPhysicalDimension(&physical) == Gdiplus::Ok) {
    w = physical.Width / 2540.0 * 96.0;
    h = physical.Height / 2540.0 * 96.0;
  }
  if (!(w >= 1.0 && h >= 1.0)) {
    w = picture_limits::kDefaultMetafileMm / 25.4 * 96.0;
    h = w * 3.0 / 4.0;
  }
  *width = static_cast<int>(std::lround(std::min(w, 1e6)));
  *height = static_cast<int>(std::lround(std::min(h, 1e6)));
}

void DrawInto(HDC context, HPICTURE p, Rect rect) {
  if (context == nullptr || p == nullptr) return;
  Gdiplus::Image* shown = p->fitted != nullptr ? static_cast<Gdiplus::Image*>(p->fitted) : p->image;
  if (shown == nullptr) return;
  Gdiplus::Graphics graphics(context);
  graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  graphics.DrawImage(shown, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                     static_cast<INT>(rect.right - rect.left),
                     static_cast<INT>(rect.bottom - rect.top));
}

// ---- The picture window ----

constexpr wchar_t kPictureClass[] = L"ExameoPicture";

HPICTURE PictureOf(HWND window) {
  return reinterpret_cast<HPICTURE>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Closes the picture window and, when it had the keys, gives them back to the board it was
// opened from: the window manager may activate some other window, and the board's keys are
// what a user goes on with.
void Close(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  const bool active = GetActiveWindow() == window;
  DestroyWindow(window);
  if (active && owner != nullptr && IsWindow(owner) && IsWindowEnabled(owner))
    SetForegroundWindow(owner);
}

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC context = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      DrawInto(context, PictureOf(window), {client.left, client.top, client.right, client.bottom});
      EndPaint(window, &paint);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) Close(window);
      return 0;
    case WM_COMMAND:
      // Esc, as the message loop's dialog keys deliver it.
      if (LOWORD(wParam) == IDCANCEL) Close(window);
      return 0;
    case WM_CLOSE:
      Close(window);
      return 0;
    case WM_DESTROY:
      Free(PictureOf(window));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

namespace ws {

LoadedPicture LoadPicture(const std::string& path) {
  LoadedPicture out;
  if (!StartGdiplus()) {
    out.fault = PictureFault::kUnreadable;
    return out;
  }
  IStream* stream = nullptr;
  out.fault = ReadFile(WideFromUtf8(path), &stream);
  if (out.fault != PictureFault::kNone) return out;
  HPICTURE p = new (std::nothrow) HPICTURE__;
  if (p == nullptr) {
    stream->Release();
    out.fault = PictureFault::kUnreadable;
    return out;
  }
  p->stream = stream;
  p->image = Gdiplus::Image::FromStream(stream);
  if (p->image == nullptr || p->image->GetLastStatus() != Gdiplus::Ok) {
    Free(p);
    out.fault = PictureFault::kUnreadable;
    return out;
  }
  const Gdiplus::ImageType type = p->image->GetType();
  if (type == Gdiplus::ImageTypeMetafile) {
    MetafileSize(*p->image, &p->width, &p->height);
  } else if (type == Gdiplus::ImageTypeBitmap) {
    p->width = static_cast<int>(p->image->GetWidth());
    p->height = static_cast<int>(p->image->GetHeight());
  }
  if (p->width <= 0 || p->height <= 0) {
    Free(p);
    out.fault = PictureFault::kUnreadable;
    return out;
  }
  if (p->width > picture_limits::kMaxSide || p->height > picture_limits::kMaxSide) {
    Free(p);
    out.fault = PictureFault::kTooLarge;
    return out;
  }
  out.picture = p;
  out.width = p->width;
  out.height = p->height;
  return out;
}

void FitPicture(HPICTURE picture, int width, int height) {
  if (picture == nullptr || picture->image == nullptr || width <= 0 || height <= 0) return;
  // GDI+ objects allocate through GdipAlloc, which gives null rather than throwing.
  auto* bitmap = new Gdiplus::Bitmap(width, height, PixelFormat32bppPARGB);
  if (bitmap == nullptr) return;
  if (bitmap->GetLastStatus() != Gdiplus::Ok) {
    delete bitmap;
    return;
  }
  Gdiplus::Status drawn;
  {
    Gdiplus::Graphics graphics(bitmap);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    drawn = graphics.DrawImage(picture->image, 0, 0, width, height);
  }
  // A picture that fails to decode here is kept as the file gave it: drawing it then draws
  // nothing rather than stopping anything.
  if (drawn != Gdiplus::Ok) {
    delete bitmap;
    return;
  }
  delete picture->fitted;
  picture->fitted = bitmap;
  delete picture->image;
  picture->image = nullptr;
  picture->stream->Release();
  picture->stream = nullptr;
}

void DrawPictureNow(HWND window, HPICTURE picture, Rect rect) {
  if (window == nullptr || picture == nullptr) return;
  HDC context = GetDC(window);
  if (context == nullptr) return;
  DrawInto(context, picture, rect);
  ReleaseDC(window, context);
}

void DrawPicture(HDC context, HPICTURE picture, Rect rect) { DrawInto(context, picture, rect); }

void ReleasePicture(HPICTURE picture) { Free(picture); }

bool OpenPictureWindow(HINSTANCE instance, HWND owner, const std::string& path, Text title) {
  LoadedPicture loaded = LoadPicture(path);
  if (loaded.picture == nullptr) return false;
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = PictureProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = kPictureClass;
  RegisterClassExW(&cls);  // fails harmlessly when the class is there already

  // Full size: the picture's pixels scaled with the display like text, within the work area.
  const double display = SystemDpi() / 96.0;
  double w = loaded.width * display, h = loaded.height * display;
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame{0, 0, 0, 0};
  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const double roomW = (work.right - work.left) - (frame.right - frame.left);
  const double roomH = (work.bottom - work.top) - (frame.bottom - frame.top);
  const double factor = std::min({1.0, roomW / w, roomH / h});
  const int cw = std::max(1, static_cast<int>(std::lround(w * factor)));
  const int ch = std::max(1, static_cast<int>(std::lround(h * factor)));
  const std::wstring caption = cp1251::TextToWide(title.bytes, title.utf8);
  HWND window = CreateWindowExW(0, kPictureClass, caption.c_str(), kStyle, work.left, work.top,
                                cw + (frame.right - frame.left), ch + (frame.bottom - frame.top),
                                owner, nullptr, instance, nullptr);
  if (window == nullptr) {
    Free(loaded.picture);
    return false;
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(loaded.picture));
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  // Its keys (Esc) are the user's next ones, whether a click or a key opened it.
  SetForegroundWindow(window);
  SetFocus(window);
  return true;
}

}  // namespace ws
