// A picture reduced to the board's size by the Win32 layer: read back from its pixels drawn over
// black, each fitted pixel is the mean of the pixels it covers, weighted by the part covered,
// with transparent pixels lending no colour.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "support/noise_png.h"
#include "win32_test_support.h"

namespace {

struct FitCase {
  const char* fault;
  int channels, width, height;
  std::vector<unsigned char> pixels;  // RGB or RGBA, rows top down
  int fittedWidth, fittedHeight;
  std::vector<unsigned char> drawn;   // RGB over black
};

std::vector<unsigned char> Flat(int count, std::vector<unsigned char> pixel) {
  std::vector<unsigned char> out;
  for (int i = 0; i < count; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
  return out;
}

const FitCase kCases[] = {
    {"a flat colour drifts with the rounding of the shares", 3, 7, 5, Flat(35, {10, 200, 30}), 3,
     2, Flat(6, {10, 200, 30})},
    {"one pixel sampled instead of both averaged", 3, 2, 1, {0, 0, 0, 255, 255, 255}, 1, 1,
     {128, 128, 128}},
    {"a pixel's share is not the part of it covered", 3, 3, 1, {0, 0, 0, 90, 90, 90, 180, 180, 180},
     2, 1, {30, 30, 30, 150, 150, 150}},
    {"a transparent pixel's colour bleeds into the mean", 4, 2, 1, {255, 0, 0, 0, 0, 0, 255, 255},
     1, 1, {0, 0, 128}},
};

// The fitted picture drawn at its size over black, as RGB rows.
std::vector<unsigned char> DrawnOverBlack(HPICTURE picture, int width, int height) {
  const std::vector<std::uint32_t> pixels = Render(width, height, [&](HDC dc) {
    PatBlt(dc, 0, 0, width, height, BLACKNESS);
    ws::DrawPicture(dc, picture, {0, 0, width, height});
  });
  std::vector<unsigned char> rgb;
  for (std::uint32_t p : pixels) {
    rgb.insert(rgb.end(), {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                           static_cast<unsigned char>(p)});
  }
  return rgb;
}

TEST(PictureFit, AReductionIsTheMeanOfThePixelsCovered) {
  for (const FitCase& c : kCases) {
    const std::string path = "fit-case.png";
    {
      const std::string png = noisepng::Encode(c.pixels.data(), c.width, c.height, c.channels);
      std::ofstream(path, std::ios::binary | std::ios::trunc) << png;
    }
    const ws::LoadedPicture loaded = ws::LoadPicture(path);
    ASSERT_NE(loaded.picture, nullptr) << c.fault;
    ws::FitPicture(loaded.picture, c.fittedWidth, c.fittedHeight);
    const std::vector<unsigned char> drawn =
        DrawnOverBlack(loaded.picture, c.fittedWidth, c.fittedHeight);
    ws::ReleasePicture(loaded.picture);
    ASSERT_EQ(drawn.size(), c.drawn.size()) << c.fault;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      // One step either way: 127.5 may round down.
      EXPECT_LE(std::abs(drawn[i] - c.drawn[i]), 1)
          << c.fault << ": sample " << i << " is " << int{drawn[i]} << ", not " << int{c.drawn[i]};
    }
    DeleteFileA(path.c_str());
  }
}

}  // namespace
