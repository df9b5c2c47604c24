// Pictures drawn with GDI+: PNG, JPEG, GIF, BMP, and WMF/EMF (the older equation editor's
// formulas), and the window that shows one at full size.
#include <windows.h>
// After windows.h, which they need.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
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

// ---- Fitting a bitmap ----
//
// A reduction by area averaging: each fitted pixel is the mean of the source pixels it covers,
// each weighted by the part of it covered, premultiplied by alpha so that transparent pixels
// lend no colour. It looks as smooth as GDI+'s best filter at these reductions and costs one
// pass over the pixels; GDI+'s own scaling under Wine took longer than decoding the picture
// (docs/decisions.md, the figures of pictures on the board).

// The source pixels one fitted pixel covers along an axis, and how much of each, in 1/16384ths.
constexpr int kWeightBits = 14;
struct Taps {
  std::unique_ptr<int[]> first, count, offset;  // per fitted pixel
  std::unique_ptr<std::uint32_t[]> weight;      // count[i] weights from offset[i], summing to 1
  bool Make(int from, int to) {
    // Each fitted pixel covers at most floor(from / to) + 2 source pixels.
    const int most = from / to + 2;
    const auto n = static_cast<std::size_t>(to);
    first.reset(new (std::nothrow) int[n]);
    count.reset(new (std::nothrow) int[n]);
    offset.reset(new (std::nothrow) int[n]);
    weight.reset(new (std::nothrow) std::uint32_t[n * static_cast<std::size_t>(most)]);
    if (!first || !count || !offset || !weight) return false;
    const double scale = static_cast<double>(from) / to;
    int at = 0;
    for (int i = 0; i < to; ++i) {
      const double lo = i * scale, hi = std::min(static_cast<double>(from), (i + 1) * scale);
      const int a = static_cast<int>(lo);
      const int b = std::min(from, std::max(a + 1, static_cast<int>(std::ceil(hi))));
      first[i] = a;
      offset[i] = at;
      int k = 0;
      std::uint32_t sum = 0, largest = 0;
      for (int x = a; x < b && k < most; ++x, ++k) {
        const double part = std::min(hi, x + 1.0) - std::max(lo, static_cast<double>(x));
        const auto w = static_cast<std::uint32_t>(std::lround(std::max(0.0, part) / scale *
                                                              (1 << kWeightBits)));
        weight[static_cast<std::size_t>(at + k)] = w;
        sum += w;
        if (w > weight[static_cast<std::size_t>(at) + largest]) largest = static_cast<std::uint32_t>(k);
      }
      // The rounding's remainder goes to the largest share, so that a flat colour stays flat.
      weight[static_cast<std::size_t>(at) + largest] += (1u << kWeightBits) - sum;
      count[i] = k;
      at += k;
    }
    return true;
  }
};

// The pixel layouts read without a conversion (which GDI+ under Wine makes slowly).
enum class Layout { kBgr, kBgrx, kBgra, kPbgra };

// The source's rows averaged across into `rows` (four channels, blue green red alpha,
// premultiplied, 8 bits more than a byte), `columns` fitted columns a row.
template <Layout L>
void Across(const Gdiplus::BitmapData& in, const Taps& taps, int columns, std::uint16_t* rows) {
  constexpr int kBytes = L == Layout::kBgr ? 3 : 4;
  const int height = static_cast<int>(in.Height);
  for (int y = 0; y < height; ++y) {
    const BYTE* line = static_cast<const BYTE*>(in.Scan0) + static_cast<std::ptrdiff_t>(y) * in.Stride;
    std::uint16_t* out = rows + static_cast<std::size_t>(y) * static_cast<std::size_t>(columns) * 4;
    for (int x = 0; x < columns; ++x) {
      std::uint32_t sum[4] = {0, 0, 0, 0};
      const std::uint32_t* w = taps.weight.get() + taps.offset[x];
      const BYTE* p = line + static_cast<std::ptrdiff_t>(taps.first[x]) * kBytes;
      for (int k = 0; k < taps.count[x]; ++k, p += kBytes) {
        std::uint32_t alpha = 255, c0 = p[0], c1 = p[1], c2 = p[2];
        if constexpr (L == Layout::kBgra || L == Layout::kPbgra) alpha = p[3];
        if constexpr (L == Layout::kBgra) {
          c0 = (c0 * alpha + 127) / 255;
          c1 = (c1 * alpha + 127) / 255;
          c2 = (c2 * alpha + 127) / 255;
        }
        sum[0] += c0 * w[k];
        sum[1] += c1 * w[k];
        sum[2] += c2 * w[k];
        sum[3] += alpha * w[k];
      }
      for (int c = 0; c < 4; ++c) out[x * 4 + c] = static_cast<std::uint16_t>(sum[c] >> (kWeightBits - 8));
    }
  }
}

// Averages `source` down into `target` (32 bpp premultiplied, its size the fitted size). False,
// with `target` untouched, where the picture is not a reduction or its pixels are in a layout
// not read here: the caller then draws it.
bool Reduce(Gdiplus::Bitmap& source, Gdiplus::Bitmap* target) {
  const int sw = static_cast<int>(source.GetWidth()), sh = static_cast<int>(source.GetHeight());
  const int tw = static_cast<int>(target->GetWidth()), th = static_cast<int>(target->GetHeight());
  if (sw <= 0 || sh <= 0 || tw > sw || th > sh) return false;
  const Gdiplus::PixelFormat format = source.GetPixelFormat();
  void (*across)(const Gdiplus::BitmapData&, const Taps&, int, std::uint16_t*) = nullptr;
  if (format == PixelFormat24bppRGB) {
    across = Across<Layout::kBgr>;
  } else if (format == PixelFormat32bppRGB) {
    across = Across<Layout::kBgrx>;
  } else if (format == PixelFormat32bppARGB) {
    across = Across<Layout::kBgra>;
  } else if (format == PixelFormat32bppPARGB) {
    across = Across<Layout::kPbgra>;
  } else {
    return false;
  }
  Taps wide, tall;
  if (!wide.Make(sw, tw) || !tall.Make(sh, th)) return false;
  const std::size_t rowValues = static_cast<std::size_t>(tw) * 4;
  std::unique_ptr<std::uint16_t[]> rows(
      new (std::nothrow) std::uint16_t[rowValues * static_cast<std::size_t>(sh)]);
  std::unique_ptr<std::uint32_t[]> sum(new (std::nothrow) std::uint32_t[rowValues]);
  if (!rows || !sum) return false;

  Gdiplus::Rect all(0, 0, sw, sh);
  Gdiplus::BitmapData in{};
  if (source.LockBits(&all, Gdiplus::ImageLockModeRead, format, &in) != Gdiplus::Ok) return false;
  across(in, wide, tw, rows.get());
  source.UnlockBits(&in);

  Gdiplus::Rect fitted(0, 0, tw, th);
  Gdiplus::BitmapData out{};
  if (target->LockBits(&fitted, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &out) !=
      Gdiplus::Ok) {
    return false;
  }
  constexpr int kShift = kWeightBits + 8;
  for (int y = 0; y < th; ++y) {
    std::fill(sum.get(), sum.get() + rowValues, 1u << (kShift - 1));  // rounds to nearest
    for (int k = 0; k < tall.count[y]; ++k) {
      const std::uint32_t w = tall.weight[static_cast<std::size_t>(tall.offset[y] + k)];
      const std::uint16_t* from = rows.get() + rowValues * static_cast<std::size_t>(tall.first[y] + k);
      for (std::size_t i = 0; i < rowValues; ++i) sum[i] += from[i] * w;
    }
    BYTE* line = static_cast<BYTE*>(out.Scan0) + static_cast<std::ptrdiff_t>(y) * out.Stride;
    for (std::size_t i = 0; i < rowValues; i += 4) {
      // Premultiplied: no colour above its alpha, whatever the rounding.
      const auto alpha = static_cast<BYTE>(std::min(255u, sum[i + 3] >> kShift));
      for (std::size_t c = 0; c < 3; ++c)
        line[i + c] = static_cast<BYTE>(std::min<std::uint32_t>(alpha, sum[i + c] >> kShift));
      line[i + 3] = alpha;
    }
  }
  target->UnlockBits(&out);
  return true;
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
  out.fault = ReadFile(cp1251::WideFromUtf8(path), &stream);
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
  // A reduction of a bitmap is averaged here; anything else (a metafile, a picture enlarged
  // for the display, a pixel format not read here) is drawn by GDI+.
  bool drawn = picture->image->GetType() == Gdiplus::ImageTypeBitmap &&
               Reduce(*static_cast<Gdiplus::Bitmap*>(picture->image), bitmap);
  if (!drawn) {
    Gdiplus::Graphics graphics(bitmap);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    drawn = graphics.DrawImage(picture->image, 0, 0, width, height) == Gdiplus::Ok;
  }
  // A picture that fails to decode here is kept as the file gave it: drawing it then draws
  // nothing rather than stopping anything.
  if (!drawn) {
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
