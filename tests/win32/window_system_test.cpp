// The Win32 window system under the core: texts in Windows-1251 shown as Cyrillic on any
// system code page, null handles, menu insertion, fonts and the measurer.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "common/utf8.h"
#include "platform/window_system.h"
#include "win32_test_support.h"

namespace {

class WindowSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"OwnedWClass", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(window_);
    Pump();
  }
  HWND window_ = nullptr;
};

TEST_F(WindowSystem, TextsAreReadAsWindows1251WhateverTheSystemCodePage) {
  // Every Cyrillic letter of the code page, and its signs outside ASCII.
  ws::SetTitle(window_,
               Cp1251("Ёё АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ абвгдежзийклмнопрстуфхцчшщъыьэюя №«»"));
  EXPECT_EQ(TextOf(window_),
            L"Ёё АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ абвгдежзийклмнопрстуфхцчшщъыьэюя №«»");
  HWND button = ws::CreateButton(window_, Cp1251("Ответ № 1"), ws::kStyleChild, 0, 0, 50, 20, 7,
                                 GetModuleHandleW(nullptr));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(TextOf(button), L"Ответ № 1");
  EXPECT_EQ(ws::FindChild(window_, 7), button);
  EXPECT_EQ(ws::FirstChild(window_), button);
  ws::SetTitle(window_, "");
  EXPECT_EQ(TextOf(window_), L"");
}

TEST_F(WindowSystem, Utf8TextsOfTheSampleShowEveryCharacter) {
  // Fault: UTF-8 bytes read as Windows-1251 ("≤" as three letters), or an ill-formed byte shown
  // as whatever the system's converter makes of it. The texts are the sample's "Base\6.txt".
  ws::SetTitle(window_, {"Неравенства ≤ ≥ и приращения Δ", true});
  EXPECT_EQ(TextOf(window_), L"Неравенства ≤ ≥ и приращения Δ");
  HWND button = ws::CreateButton(window_, {"πr²", true}, ws::kStyleChild, 0, 0, 50, 20, 8,
                                 GetModuleHandleW(nullptr));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(TextOf(button), L"πr²");
  ws::SetTitle(window_, {"x\xE2\x82y\xC3", true});
  EXPECT_EQ(TextOf(window_), L"x\xFFFDy\xFFFD");
  // A Russian UTF-8 task wraps as its Windows-1251 twin does.
  const char* russian = "Длина окружности радиуса r равна двум пи эр, а площадь круга пи эр квадрат";
  std::string twin;
  utf8::ToCp1251(russian, &twin);
  EXPECT_EQ(ws::MeasureWrappedHeight(window_, {russian, true}, 120),
            ws::MeasureWrappedHeight(window_, twin.c_str(), 120));
  WindowLog log;
  ws::ShowBox(window_, {"√49 = ?", true}, {"Формулы (Юникод)", true}, ws::kBoxOk);
  ASSERT_EQ(log.Boxes().size(), 1u);
  EXPECT_EQ(log.Boxes()[0].text, L"√49 = ?");
  EXPECT_EQ(log.Boxes()[0].caption, L"Формулы (Юникод)");
}

TEST_F(WindowSystem, NullHandlesDoNothingAndReadZero) {
  EXPECT_EQ(ws::ClientRect(nullptr), Rect{});
  EXPECT_EQ(ws::AverageCharWidth(nullptr), 0);
  EXPECT_EQ(ws::MeasureWrappedHeight(nullptr, "abc", 100), 0);
  EXPECT_EQ(ws::ReadTick(nullptr), 0);
  EXPECT_EQ(ws::FindChild(nullptr, 300), nullptr);
  EXPECT_EQ(ws::FirstChild(nullptr), nullptr);
  EXPECT_EQ(ws::CreateButton(nullptr, "x", ws::kStyleChild, 0, 0, 1, 1, 5, nullptr), nullptr);
  ws::SetTick(nullptr, 1);
  ws::SetMark(nullptr, nullptr);
  ws::Enable(nullptr, false);
  ws::SetTitle(nullptr, "x");
  ws::Destroy(nullptr);
  ws::RepaintNow(nullptr);
  ws::DrawWrappedNow(nullptr, "x", Rect{0, 0, 10, 10});
  ws::DrawWrapped(nullptr, "x", Rect{0, 0, 10, 10});
  // Null is not "the screen" or "every window" or "the thread's queue" here.
  ws::Invalidate(nullptr, Rect{0, 0, 100, 100});
  ws::PostStart(nullptr);
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, reinterpret_cast<HWND>(-1), WM_USER, WM_USER, PM_NOREMOVE));
  EXPECT_FALSE(GetUpdateRect(MainWindow(), nullptr, FALSE));
}

TEST_F(WindowSystem, PostStartQueuesTheStartMessageForLater) {
  ws::PostStart(window_);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, window_, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  EXPECT_EQ(message.wParam, 0u);
  EXPECT_EQ(message.lParam, 0);
}

TEST_F(WindowSystem, TicksFontsAndEnabledStateReachTheControl) {
  HWND box = ws::CreateButton(window_, "a", ws::kStyleChild | ws::kStyleAutoCheckBox, 0, 0, 50, 20,
                              1000, GetModuleHandleW(nullptr));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ws::ReadTick(box), 0);
  ws::SetTick(box, 1);
  EXPECT_EQ(ws::ReadTick(box), 1);
  ws::SetTick(box, 0);
  EXPECT_EQ(ws::ReadTick(box), 0);

  HFONT wrong = ws::CreateMarkFont(400, false, true);
  ws::SetMark(box, wrong);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)), wrong);
  LOGFONTW font{};
  ASSERT_TRUE(FontOf(box, &font));
  // As tall as the system font the unmarked texts are drawn in, whatever the DPI: 16 pixels at
  // 96, the height a font of height 0 gets there, so the marks look as they always did.
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, GetStockObject(SYSTEM_FONT));
  TEXTMETRICW system{};
  ASSERT_TRUE(GetTextMetricsW(screen, &system));
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(font.lfHeight, system.tmHeight);
  ASSERT_EQ(dpi, 96) << "the Win32 tests run at 96 DPI";
  EXPECT_EQ(font.lfHeight, 16);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_TRUE(font.lfStrikeOut);
  EXPECT_FALSE(font.lfUnderline);
  EXPECT_EQ(font.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(font.lfFaceName[0], L'\0');

  ws::Enable(box, false);
  EXPECT_FALSE(IsWindowEnabled(box));
  ws::Destroy(box);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_EQ(ws::FindChild(window_, 1000), nullptr);
}

TEST_F(WindowSystem, DisablingTheFocusedControlHandsTheFocusToItsParent) {
  HWND box =
      ws::CreateButton(window_, "a", ws::kStyleChild | ws::kStyleVisible | ws::kStyleAutoCheckBox,
                       0, 0, 50, 20, 1000, GetModuleHandleW(nullptr));
  ASSERT_NE(box, nullptr);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(box);
  // Without a window manager Wine's windows never get the focus, and the keys would reach nothing.
  // With one, its activation arrives a little later and may move the focus meanwhile: wait.
  ASSERT_TRUE(WaitForFocus(window_, box))
      << "the display gave the test window no focus: is a window manager running on it "
         "(scripts/wine-session.sh starts one)?";
  ASSERT_EQ(GetFocus(), box);
  ws::Enable(box, false);
  EXPECT_FALSE(IsWindowEnabled(box));
  EXPECT_EQ(GetFocus(), window_) << "the keys must keep reaching the program's window";
}

TEST_F(WindowSystem, MeasuredHeightGrowsByLinesAndMatchesDrawing) {
  TEXTMETRICW metrics{};
  HDC dc = GetDC(window_);
  GetTextMetricsW(dc, &metrics);
  ReleaseDC(window_, dc);
  const int line = metrics.tmHeight;
  EXPECT_EQ(ws::MeasureWrappedHeight(window_, "", 200), line);  // as DrawText measures it
  EXPECT_EQ(ws::MeasureWrappedHeight(window_, Cp1251("Слово"), 400), line);
  // Many words in a narrow width break into several lines; long texts are not cut.
  std::string words;
  for (int i = 0; i < 40; ++i) words += Cp1251("слово ").c_str();
  const int narrow = ws::MeasureWrappedHeight(window_, words.c_str(), 100);
  EXPECT_GT(narrow, 5 * line);
  EXPECT_EQ(narrow % line, 0);
  std::string longer(5000, 'a');
  for (std::size_t i = 7; i < longer.size(); i += 8) longer[i] = ' ';
  EXPECT_GT(ws::MeasureWrappedHeight(window_, longer.c_str(), 300), 20 * line);
  EXPECT_EQ(ws::AverageCharWidth(window_), metrics.tmAveCharWidth);
}

// The pixels of what `draw` draws into a white 600 x 120 bitmap in the default font.
template <class Draw>
std::vector<std::uint32_t> Pixels(Draw draw) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 600, 120);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 600, 120};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  draw(dc);
  SelectObject(dc, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 600;
  info.bmiHeader.biHeight = -120;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(600 * 120);
  GetDIBits(dc, bitmap, 0, 120, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

// `text` drawn as written, every "&" a character.
std::vector<std::uint32_t> AsWritten(const std::wstring& text) {
  return Pixels([&](HDC dc) {
    RECT r{0, 0, 600, 120};
    DrawTextW(dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX);
  });
}

// `text` drawn the way a button or a menu item draws its text: "&" marks a mnemonic.
std::vector<std::uint32_t> AsAControlShowsIt(const std::wstring& text) {
  return Pixels([&](HDC dc) {
    RECT r{0, 0, 600, 120};
    DrawTextW(dc, text.c_str(), -1, &r, DT_WORDBREAK);
  });
}

TEST_F(WindowSystem, AmpersandsInTextsAreShownAsWritten) {
  const char* text = "AT&T, R&D: a && b & c&";
  const std::wstring written = L"AT&T, R&D: a && b & c&";
  ASSERT_NE(AsWritten(written), AsAControlShowsIt(written)) << "a mnemonic mark would show";

  // Task texts: drawn and measured with every "&" as a character.
  EXPECT_EQ(Pixels([&](HDC dc) {
              ws::DrawWrapped(dc, text, Rect{0, 0, 600, 120});
            }),
            AsWritten(written));
  std::string many;
  for (int i = 0; i < 30; ++i) many += "AT&T && R&D ";
  std::wstring manyWide(many.begin(), many.end());
  HDC dc = GetDC(window_);
  RECT expected{0, 0, 120, 15};
  DrawTextW(dc, manyWide.c_str(), -1, &expected, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ReleaseDC(window_, dc);
  EXPECT_EQ(ws::MeasureWrappedHeight(window_, many.c_str(), 120), expected.bottom);

  // Answer check boxes, the chooser's radio buttons and the discipline items of the menu.
  HWND button =
      ws::CreateButton(window_, text, ws::kStyleChild, 0, 0, 300, 20, 7, GetModuleHandleW(nullptr));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(AsAControlShowsIt(TextOf(button)), AsWritten(written));
  HMENU popup = ws::CreatePopup();
  ASSERT_TRUE(ws::AddMenuItem(popup, text, 0, 20, nullptr));
  wchar_t item[64] = {};
  ASSERT_GT(GetMenuStringW(popup, 0, item, 64, MF_BYPOSITION), 0);
  EXPECT_EQ(AsAControlShowsIt(item), AsWritten(written));
  DestroyMenu(popup);
}

TEST_F(WindowSystem, MenuItemsGoBeforeTheItemWithTheIdentifierOrAtTheEnd) {
  HMENU popup = ws::CreatePopup();
  HMENU inner = ws::CreatePopup();
  ASSERT_TRUE(ws::AddMenuItem(inner, "inner", 0, 77, nullptr));
  EXPECT_TRUE(ws::AddMenuItem(popup, Cp1251("Первый"), 0, 20, nullptr));
  EXPECT_TRUE(ws::AddMenuItem(popup, Cp1251("Третий"), 0, 22, nullptr));
  EXPECT_TRUE(ws::AddMenuItem(popup, Cp1251("Второй"), 22, 21, nullptr));
  // 77 lives only in a popup of this menu: the new item goes to the end of this menu.
  EXPECT_TRUE(ws::AddMenuItem(popup, "sub", 0, 0, inner));
  EXPECT_TRUE(ws::AddMenuItem(popup, "last", 77, 23, nullptr));
  ASSERT_EQ(GetMenuItemCount(popup), 5);
  const wchar_t* texts[] = {L"Первый", L"Второй", L"Третий", L"sub", L"last"};
  const UINT ids[] = {20, 21, 22, 0, 23};
  for (int i = 0; i < 5; ++i) {
    wchar_t text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 64;
    ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
    EXPECT_STREQ(text, texts[i]);
    EXPECT_EQ(info.wID, ids[i]);
    EXPECT_EQ(info.hSubMenu, i == 3 ? inner : nullptr);
  }
  EXPECT_EQ(GetMenuItemCount(inner), 1);
  EXPECT_FALSE(ws::AddMenuItem(nullptr, "x", 0, 1, nullptr));
  DestroyMenu(popup);
}

TEST_F(WindowSystem, BoxesShowTheirTextAndCaptionWithTheGivenStyle) {
  WindowLog log;
  ws::ShowBox(window_, Cp1251("Текст\nвторая строка"), Cp1251("Заголовок"),
              ws::kBoxOk | ws::kBoxInformation);
  ws::ShowBox(nullptr, "plain", "caption", ws::kBoxOk);
  ASSERT_EQ(log.Boxes().size(), 2u);
  EXPECT_EQ(log.Boxes()[0].caption, L"Заголовок");
  EXPECT_EQ(log.Boxes()[0].text, L"Текст\nвторая строка");
  EXPECT_EQ(log.Boxes()[0].owner, window_);
  EXPECT_TRUE(log.Boxes()[0].icon);
  EXPECT_EQ(log.Boxes()[1].owner, nullptr);
  EXPECT_FALSE(log.Boxes()[1].icon);
  ASSERT_EQ(log.Boxes()[1].buttons.size(), 1u);
}

}  // namespace
