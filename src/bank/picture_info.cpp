// Picture files read with stb_image (PNG, JPEG, GIF, BMP) and by the metafiles' headers.
#include "bank/picture_info.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "common/picture_limits.h"
#include "common/utf8.h"

// stb_image is a header-only library (Debian's libstb-dev); only the formats pictures may be
// in, read from memory, its functions private to this file.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#if defined(__clang__)
#pragma GCC diagnostic ignored "-Wunknown-warning-option"
#endif
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// g++ 12 at -O3 sees overflows in its pixel conversions that its bounds rule out.
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Warray-bounds"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace picinfo {

namespace {

std::uint32_t U32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                    static_cast<unsigned char>(b[at + 1]) << 8);
}
std::int32_t I32(std::string_view b, std::size_t at) { return static_cast<std::int32_t>(U32(b, at)); }
std::int16_t I16(std::string_view b, std::size_t at) { return static_cast<std::int16_t>(U16(b, at)); }

// A metafile's size in millimetres as pixels at 96 DPI; the default when it gives none.
void SizeFromMm(double widthMm, double heightMm, Info* info) {
  if (!(widthMm > 0.0 && heightMm > 0.0)) {
    widthMm = picture_limits::kDefaultMetafileMm;
    heightMm = widthMm * 3.0 / 4.0;
  }
  const double w = widthMm / 25.4 * 96.0, h = heightMm / 25.4 * 96.0;
  if (w > picture_limits::kMaxSide || h > picture_limits::kMaxSide) {
    info->fault = Fault::kTooLarge;
    return;
  }
  info->width = std::max(1, static_cast<int>(std::lround(w)));
  info->height = std::max(1, static_cast<int>(std::lround(h)));
}

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"

// The WMF header (METAHEADER) at `at`: a memory or disk metafile of a 9-word header.
bool WmfHeader(std::string_view b, std::size_t at) {
  if (b.size() < at + 18) return false;
  const std::uint16_t type = U16(b, at), words = U16(b, at + 2);
  return (type == 1 || type == 2) && words == 9;
}

Info ReadWmf(std::string_view b) {
  Info info;
  info.format = Format::kWmf;
  if (U32(b, 0) == kPlaceableKey) {
    // The placeable header: bounds in units of which `inch` make an inch, and a checksum of
    // its first ten words.
    if (b.size() < 22 + 18) return {Fault::kUnreadable, Format::kWmf};
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum ^= U16(b, i);
    const int inch = U16(b, 14);
    if (sum != U16(b, 20) || inch == 0 || !WmfHeader(b, 22)) return {Fault::kUnreadable, Format::kWmf};
    const double w = std::abs(I16(b, 10) - I16(b, 6)) * 25.4 / inch;
    const double h = std::abs(I16(b, 12) - I16(b, 8)) * 25.4 / inch;
    SizeFromMm(w, h, &info);
    return info;
  }
  if (!WmfHeader(b, 0)) return {Fault::kUnreadable, Format::kWmf};
  SizeFromMm(0, 0, &info);  // a plain WMF gives no size
  return info;
}

Info ReadEmf(std::string_view b) {
  Info info;
  info.format = Format::kEmf;
  // EMR_HEADER: type 1, its size, bounds, the frame in hundredths of a millimetre, the
  // signature, the version and the file's size in bytes.
  if (b.size() < 88 || U32(b, 40) != kEmfSignature || U32(b, 4) < 88 || U32(b, 48) > b.size())
    return {Fault::kUnreadable, Format::kEmf};
  const double w = (static_cast<double>(I32(b, 32)) - I32(b, 24)) / 100.0;
  const double h = (static_cast<double>(I32(b, 36)) - I32(b, 28)) / 100.0;
  SizeFromMm(std::abs(w), std::abs(h), &info);
  return info;
}

Format Sniff(std::string_view b) {
  if (b.size() >= 8 && b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return Format::kPng;
  if (b.size() >= 3 && b.substr(0, 3) == "\xFF\xD8\xFF") return Format::kJpeg;
  if (b.size() >= 6 && (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a")) return Format::kGif;
  if (b.size() >= 2 && b.substr(0, 2) == "BM") return Format::kBmp;
  if (b.size() >= 4 && U32(b, 0) == kPlaceableKey) return Format::kWmf;
  if (b.size() >= 44 && U32(b, 0) == 1 && U32(b, 40) == kEmfSignature) return Format::kEmf;
  if (WmfHeader(b, 0)) return Format::kWmf;
  return Format::kUnknown;
}

}  // namespace

Info Read(std::string_view bytes) {
  if (static_cast<std::int64_t>(bytes.size()) > picture_limits::kMaxBytes)
    return {Fault::kTooLarge, Sniff(bytes.substr(0, 64))};
  const Format format = Sniff(bytes);
  if (format == Format::kWmf) return ReadWmf(bytes);
  if (format == Format::kEmf) return ReadEmf(bytes);
  if (format == Format::kUnknown) return {Fault::kUnreadable, format};
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(data, length, &w, &h, &channels)) {
    // stb refuses sides over its limit as it does damage: the header tells them apart.
    return {Fault::kUnreadable, format};
  }
  if (w > picture_limits::kMaxSide || h > picture_limits::kMaxSide) return {Fault::kTooLarge, format, w, h};
  // Decoded whole: a header that reads over damaged data is not a picture that draws.
  stbi_uc* pixels = stbi_load_from_memory(data, length, &w, &h, &channels, 0);
  if (pixels == nullptr) return {Fault::kUnreadable, format};
  stbi_image_free(pixels);
  return {Fault::kNone, format, w, h};
}

const char* FormatName(Format format) {
  switch (format) {
    case Format::kPng: return "PNG";
    case Format::kJpeg: return "JPEG";
    case Format::kGif: return "GIF";
    case Format::kBmp: return "BMP";
    case Format::kWmf: return "WMF";
    case Format::kEmf: return "EMF";
    case Format::kUnknown: break;
  }
  return "?";
}

Folder FolderOf(files::Path topicPath) {
  Folder folder;
  if (topicPath.bytes == nullptr) return folder;
  std::string path;
  if (topicPath.utf8)
    path = topicPath.bytes;
  else
    utf8::FromCp1251(topicPath.bytes, &path);
  std::replace(path.begin(), path.end(), '\\', '/');
  const std::size_t slash = path.rfind('/');
  folder.path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  // "Base/" itself is depth 0: a picture there may not climb at all.
  const long slashes = std::count(folder.path.begin(), folder.path.end(), '/');
  folder.depth = slashes > 0 ? static_cast<int>(slashes - 1) : 0;
  return folder;
}

}  // namespace picinfo
