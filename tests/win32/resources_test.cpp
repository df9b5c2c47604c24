// The program's icon and version resources: what the window, the taskbar and the file's
// properties show.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win32_test_support.h"

namespace {

// The program file's path as Windows sees it: the build gives a Unix path, which Wine reaches
// through drive Z:.
std::wstring ProgramPath() {
  std::string path = EXAMEO_PROGRAM;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return std::wstring(path.begin(), path.end());
}

// The colour of pixel (x, y) of `icon` drawn at `size` over black.
COLORREF IconPixel(HICON icon, int size, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return colour;
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colours, reserved;
  WORD planes, bitCount;
  DWORD bytes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

TEST(Resources, TheMainWindowClassShowsTheProgramsOwnIcon) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(32512));
  ASSERT_NE(icon, nullptr) << "no icon 32512 in the module";
  EXPECT_NE(icon, LoadIconW(nullptr, MAKEINTRESOURCEW(32512)));  // not the system's default

  WNDCLASSEXW main{};
  main.cbSize = sizeof main;
  ASSERT_TRUE(GetClassInfoExW(instance, L"MainWClass", &main));
  EXPECT_EQ(main.hIcon, icon);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrW(MainWindow(), GCLP_HICON)), icon);
  EXPECT_EQ(IconWidth(main.hIcon), GetSystemMetrics(SM_CXICON));
  ASSERT_NE(main.hIconSm, nullptr);
  EXPECT_EQ(IconWidth(main.hIconSm), GetSystemMetrics(SM_CXSMICON));

  // The drawing itself: at 32 pixels a blue tile around a white sheet; at 16 the sheet carries
  // one green tick through its middle.
  const int big = IconWidth(icon);
  ASSERT_EQ(big, 32);
  COLORREF tile = IconPixel(icon, 32, 16, 2);
  EXPECT_GT(GetBValue(tile), 150);
  EXPECT_LT(GetRValue(tile), 80);
  COLORREF sheet = IconPixel(icon, 32, 22, 15);
  EXPECT_GT(GetRValue(sheet), 240);
  EXPECT_GT(GetGValue(sheet), 240);
  EXPECT_GT(GetBValue(sheet), 240);
  COLORREF tick = IconPixel(main.hIconSm, 16, 7, 10);
  EXPECT_GT(GetGValue(tick), 120);
  EXPECT_LT(GetRValue(tick), 80);
  EXPECT_LT(GetBValue(tick), 100);
}

TEST(Resources, TheProgramFileCarriesTheIconInFourSizesAndItsVersion) {
  const std::wstring path = ProgramPath();
  HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << "cannot open " << EXAMEO_PROGRAM;
  HRSRC group =
      FindResourceW(program, MAKEINTRESOURCEW(32512), MAKEINTRESOURCEW(14));  // group icon
  ASSERT_NE(group, nullptr);
  const auto* header =
      static_cast<const GroupIconHeader*>(LockResource(LoadResource(program, group)));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->type, 1);
  ASSERT_EQ(header->count, 4);
  const auto* entries = reinterpret_cast<const GroupIconEntry*>(header + 1);
  std::vector<int> widths;
  for (int i = 0; i < header->count; ++i) {
    widths.push_back(entries[i].width == 0 ? 256 : entries[i].width);
    EXPECT_EQ(entries[i].width, entries[i].height);
    EXPECT_EQ(entries[i].bitCount, 32);  // with an alpha channel: smooth edges on any background
  }
  EXPECT_EQ(widths, (std::vector<int>{16, 32, 48, 256}));
  FreeLibrary(program);

  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
  ASSERT_GT(size, 0u);
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);  // 2.0
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  // One translation, Russian with Unicode strings, and the strings under it.
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0419);
  EXPECT_EQ(translation[1], 1200);
  auto text = [&](const wchar_t* name) {
    std::wstring key = std::wstring(L"\\StringFileInfo\\041904b0\\") + name;
    wchar_t* value = nullptr;
    UINT chars = 0;
    if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &chars))
      return std::wstring(L"<missing>");
    return std::wstring(value);
  };
  EXPECT_EQ(text(L"ProductName"), L"Exameo");
  EXPECT_EQ(text(L"ProductVersion"), L"2.0");
  EXPECT_EQ(text(L"FileVersion"), L"2.0");
  EXPECT_EQ(text(L"FileDescription"), L"Exameo — тренажёр для подготовки к тестам");
  EXPECT_EQ(text(L"OriginalFilename"), L"exameo.exe");
}

}  // namespace

// Sharp at any display scaling: the manifest declares the program aware of the system DPI, so
// Windows leaves its drawing alone; the process that carries it (this test program links the
// same resources) then runs DPI-aware, which only a manifest that Windows could read gives.
TEST(Resources, TheProgramFileDeclaresItselfAwareOfTheSystemDpi) {
  const std::wstring path = ProgramPath();
  HMODULE program = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr) << "cannot open " << EXAMEO_PROGRAM;
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
  ASSERT_NE(bytes, nullptr);
  const std::string manifest(bytes, SizeofResource(program, found));
  FreeLibrary(program);
  EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/"
                          "WindowsSettings\">true</dpiAware>"),
            std::string::npos)
      << manifest;
  // System awareness, not per monitor: the program scales once, at start-up.
  EXPECT_EQ(manifest.find("dpiAwareness"), std::string::npos);
  EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos);

  EXPECT_TRUE(IsProcessDPIAware());
}
