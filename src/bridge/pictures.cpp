// Pictures: what a file holds is read by bank/picture_info (stb_image, the metafiles' headers).
#include "bridge/pictures.h"

#include <cstdint>
#include <cstring>
#include <functional>

#include "bank/picture_info.h"
#include "bridge/text.h"

namespace bridge {

std::string PictureMarker(std::size_t id) {
  std::string out(kPictureMark);
  out += std::to_string(id);
  out += kPictureMark;
  return out;
}

std::vector<MarkedPiece> SplitMarked(std::string_view text, std::size_t count) {
  std::vector<MarkedPiece> pieces;
  std::size_t run = 0, at = 0;
  while ((at = text.find(kPictureMark, at)) != std::string_view::npos) {
    std::size_t digits = at + kPictureMark.size(), k = digits;
    std::size_t id = 0;
    while (k < text.size() && k - digits < 9 && text[k] >= '0' && text[k] <= '9')
      id = id * 10 + static_cast<std::size_t>(text[k++] - '0');
    if (k == digits || id >= count || text.substr(k, kPictureMark.size()) != kPictureMark) {
      at += kPictureMark.size();
      continue;
    }
    if (at > run) pieces.push_back(MarkedPiece{false, text.substr(run, at - run), 0});
    pieces.push_back(MarkedPiece{true, {}, id});
    at = run = k + kPictureMark.size();
  }
  if (run < text.size() || pieces.empty())
    pieces.push_back(MarkedPiece{false, text.substr(run), 0});
  return pieces;
}

PictureKind RecognisePicture(std::string_view bytes) {
  // A picture too large to be drawn is still a picture: the program shows its text and the
  // checker says why.
  picinfo::Info info = picinfo::Read(bytes);
  if (info.fault == picinfo::Fault::kUnreadable) return PictureKind::kNone;
  switch (info.format) {
    case picinfo::Format::kPng: return PictureKind::kPng;
    case picinfo::Format::kJpeg: return PictureKind::kJpeg;
    case picinfo::Format::kGif: return PictureKind::kGif;
    case picinfo::Format::kBmp: return PictureKind::kBmp;
    case picinfo::Format::kWmf: return PictureKind::kWmf;
    case picinfo::Format::kEmf: return PictureKind::kEmf;
    case picinfo::Format::kUnknown: break;
  }
  return PictureKind::kNone;
}

bool DecodeBase64(std::string_view text, std::string* out) {
  out->clear();
  out->reserve(text.size() / 4 * 3);
  std::uint32_t bits = 0;
  int held = 0, padding = 0;
  for (char c : text) {
    int v;
    if (c >= 'A' && c <= 'Z') v = c - 'A';
    else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
    else if (c >= '0' && c <= '9') v = c - '0' + 52;
    else if (c == '+') v = 62;
    else if (c == '/') v = 63;
    else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    else if (c == '=') {
      ++padding;
      continue;
    } else {
      return false;
    }
    if (padding > 0) return false;  // data after the padding
    bits = bits << 6 | static_cast<std::uint32_t>(v);
    if (++held == 4) {
      out->push_back(static_cast<char>(bits >> 16 & 0xFF));
      out->push_back(static_cast<char>(bits >> 8 & 0xFF));
      out->push_back(static_cast<char>(bits & 0xFF));
      bits = 0;
      held = 0;
    }
  }
  if (held == 1 || padding > 2) return false;
  if (held == 2) out->push_back(static_cast<char>(bits >> 4 & 0xFF));
  if (held == 3) {
    out->push_back(static_cast<char>(bits >> 10 & 0xFF));
    out->push_back(static_cast<char>(bits >> 2 & 0xFF));
  }
  return true;
}

std::string EncodeBase64(std::string_view bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[n >> 18 & 63];
    out += kDigits[n >> 12 & 63];
    out += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
  }
  return out;
}

std::string PictureFileName(std::string_view name) {
  std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string out;
  for (char c : name) {
    unsigned char b = static_cast<unsigned char>(c);
    bool bad = b < 0x20 || b == 0x7F || std::strchr(":*?\"<>|", c) != nullptr;
    out += bad ? '_' : c;
  }
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  std::size_t lead = out.find_first_not_of(". ");
  out.erase(0, lead == std::string::npos ? out.size() : lead);
  if (out.empty()) return "picture";
  std::string stem = LowerAscii(out.substr(0, out.find('.')));
  static constexpr std::string_view kDevices[] = {"con",  "prn",  "aux",  "nul",  "com1", "com2",
                                                  "com3", "com4", "com5", "com6", "com7", "com8",
                                                  "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5",
                                                  "lpt6", "lpt7", "lpt8", "lpt9"};
  for (std::string_view device : kDevices)
    if (stem == device) return "_" + out;
  return out;
}

std::string PictureFolder::Add(std::string_view name, std::string_view bytes) {
  std::size_t hash = std::hash<std::string_view>{}(bytes);
  auto [from, to] = byHash_.equal_range(hash);
  for (auto it = from; it != to; ++it)
    if (files_[it->second].second == bytes) return files_[it->second].first;
  std::string wanted = PictureFileName(name);
  std::string chosen = wanted;
  std::size_t dot = wanted.rfind('.');
  if (dot == 0 || dot == std::string::npos) dot = wanted.size();
  for (int n = 2; taken_.count(LowerAscii(chosen)) != 0; ++n)
    chosen = wanted.substr(0, dot) + "-" + std::to_string(n) + wanted.substr(dot);
  taken_.insert(LowerAscii(chosen));
  byHash_.emplace(hash, files_.size());
  files_.emplace_back(chosen, std::string(bytes));
  return chosen;
}

}  // namespace bridge
