// A PNG made at run time for the Windows build's picture benchmark and memory test, so that no
// large picture is kept in the repository: an RGB gradient with a little noise on every sample,
// which deflate cannot squeeze much, so that its file is as large as a photograph of its size
// (1000 by 1000 gives about 2.1 MB).
#pragma once

#include <string>

namespace noisepng {

// A PNG of the given pixels: `channels` 3 (RGB) or 4 (RGBA) bytes a pixel, rows top down.
std::string Encode(const unsigned char* pixels, int width, int height, int channels);

// The PNG file's bytes; the same `seed` gives the same bytes.
std::string Make(int width, int height, unsigned seed);

// Writes Make(width, height, seed) to `path`; the bytes written, or -1 when the file could not
// be written whole.
long long Write(const std::string& path, int width, int height, unsigned seed);

}  // namespace noisepng
