// stb_image_write (Debian's libstb-dev) writes the PNG; its folder is given to this file alone.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
// Foreign code: its warnings are not this project's to fix.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "support/noise_png.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace noisepng {

namespace {
void Append(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<std::size_t>(size));
}
}  // namespace

std::string Encode(const unsigned char* pixels, int width, int height, int channels) {
  std::string png;
  stbi_write_png_to_func(Append, &png, width, height, channels, pixels, width * channels);
  return png;
}

std::string Make(int width, int height, unsigned seed) {
  if (width <= 0 || height <= 0) return std::string();
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::uint32_t state = seed;
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int base[3] = {x * 255 / width, y * 255 / height, 128};
      for (int c = 0; c < 3; ++c) {
        state = state * 1664525u + 1013904223u;  // a linear congruential generator
        // Six levels of noise: about 2.6 bits a sample that no filter predicts.
        const int v = base[c] + static_cast<int>((state >> 16) % 6) - 3;
        pixels[at++] = static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    }
  }
  return Encode(pixels.data(), width, height, 3);
}

long long Write(const std::string& path, int width, int height, unsigned seed) {
  const std::string png = Make(width, height, seed);
  if (png.empty()) return -1;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  out.close();
  return out ? static_cast<long long>(png.size()) : -1;
}

}  // namespace noisepng
